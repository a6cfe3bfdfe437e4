#pragma once

#include "station/stationtransport.h"

#include <QObject>

class QTcpSocket;

namespace station {

// The link over QTcpSocket. Simple, but every connected QTcpSocket keeps its
// read notifier enabled and a read-buffer chunk allocated, which thousands
// of stations feel; kept for comparison and for platforms without the
// native transport.
class QtSocketTransport final : public QObject, public StationTransport {
    Q_OBJECT
public:
    explicit QtSocketTransport(TransportListener& listener);
    ~QtSocketTransport() override;

    void connectToStation(const QString& address, quint16 port) override;
    bool isConnected() const override;
    bool connectCompleted() override;
    SendResult send(const QByteArray& bytes) override;
    bool sendCompleted() override;
    void watchReadable(bool on) override { m_watchRead = on; }
    ReadResult readOnce(QByteArray& out, qsizetype max) override;
    bool discardUnread() override;
    void close() override;
    // Where the platform allows it; elsewhere an orderly close.
    void reset() override;

private:
    TransportListener& m_listener;
    // A new socket per connection, so nothing queued for an earlier one reaches the link.
    QTcpSocket* m_socket = nullptr;
    bool m_connectReported = false;
    bool m_watchRead = false;
    bool m_sending = false;
    bool m_inCall = false;
};

} // namespace station
