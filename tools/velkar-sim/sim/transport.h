#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QString>

#include <memory>

class QObject;

namespace velkarsim {

// What the transport reports. Calls arrive on the thread that owns the
// transport, and the receiver may call back into the transport from them.
class TransportEvents {
public:
    virtual void connectionOpened(int slot) = 0;
    virtual void dataReceived(int slot, const char* data, qsizetype size) = 0;
    // The peer closed the connection or it failed. Not reported for closes
    // the receiver asked for.
    virtual void connectionClosed(int slot) = 0;

protected:
    ~TransportEvents() = default;
};

// One listening socket and at most one console connection per slot (a new
// connection replaces the old one). Thousands of slots stay cheap.
class Transport {
public:
    virtual ~Transport() = default;

    virtual void resize(int slotCount) = 0;
    virtual bool listen(int slot, const QHostAddress& address, quint16 port, QString* error) = 0;
    virtual void closeListener(int slot) = 0;
    virtual bool isListening(int slot) const = 0;
    virtual bool isConnected(int slot) const = 0;
    // Changes with every connection, so late work for a closed one can be told apart.
    virtual quint32 connectionId(int slot) const = 0;
    virtual void closeConnection(int slot) = 0;
    // One write of the whole reply. False when the connection failed; it is
    // then closed, without a connectionClosed report.
    virtual bool send(int slot, const QByteArray& bytes) = 0;
};

std::unique_ptr<Transport> createPlatformTransport(TransportEvents* events, QObject* parent);

// Raises the soft limit of open files as far as the hard limit allows and
// returns the soft limit in force.
int raiseOpenFileLimit();

} // namespace velkarsim
