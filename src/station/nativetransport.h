#pragma once

#include "station/stationtransport.h"

#include <QObject>

class QHostAddress;
class QSocketNotifier;

namespace station {

// A non-blocking TCP socket of our own. Its notifiers are enabled only
// while connecting, sending or awaiting a reply: the event dispatcher polls
// every enabled notifier on every wake-up, and thousands of idle stations
// must cost nothing there. The platform calls live in this file pair.
class NativeTransport final : public QObject, public StationTransport {
    Q_OBJECT
public:
    explicit NativeTransport(TransportListener& listener);
    ~NativeTransport() override;

    void connectToStation(const QString& address, quint16 port) override;
    bool isConnected() const override { return m_state == State::Connected; }
    bool connectCompleted() override;
    SendResult send(const QByteArray& bytes) override;
    bool sendCompleted() override;
    void watchReadable(bool on) override;
    ReadResult readOnce(QByteArray& out, qsizetype max) override;
    bool discardUnread() override;
    void close() override;
    void reset() override;

private:
    // Failing: a failure report is queued; nothing else happens until it is delivered.
    enum class State : quint8 { Closed, Resolving, Connecting, Connected, Failing };

    void connectToAddress(const QHostAddress& address, quint16 port);
    void writable();
    void readable();
    bool finishConnect();
    void failLater();
    void setWriteWatch(bool on);

    TransportListener& m_listener;
    int m_fd = -1;
    State m_state = State::Closed;
    bool m_sending = false;
    quint16 m_port = 0;
    int m_lookupId = -1;
    // Bumped on every close, so a report queued for an earlier connection is dropped.
    quint32 m_generation = 0;
    QByteArray m_unsent;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
};

} // namespace station
