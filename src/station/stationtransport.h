#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

namespace station {

// What a transport reports to its link. Never called from inside the
// transport call that caused it, so the link sees one event at a time.
class TransportListener {
public:
    virtual void transportConnected() = 0;
    // Everything handed to send() has gone out.
    virtual void transportSent() = 0;
    // Data (or the end of the stream) may be waiting; the link reads it.
    virtual void transportReadable() = 0;
    // Connection refused, reset or otherwise broken.
    virtual void transportFailed() = 0;

protected:
    virtual ~TransportListener() = default;
};

// The link's connection to one station program, non-blocking. Small on
// purpose: the link keeps thousands of them, and the native one watches
// its socket only while connecting, sending or awaiting a reply.
class StationTransport {
public:
    virtual ~StationTransport() = default;

    enum class SendResult { Sent, Pending, Failed };
    enum class ReadResult { Data, Nothing, Closed };

    // Starts connecting to address (an IP address or a host name); reports
    // transportConnected or transportFailed later.
    virtual void connectToStation(const QString& address, quint16 port) = 0;
    virtual bool isConnected() const = 0;
    // A connect whose deadline passed: whether it completed in the meantime
    // (its report may still be waiting in the event queue).
    virtual bool connectCompleted() = 0;

    // Sent: all of it went out now. Pending: the rest follows and
    // transportSent reports it. Failed: the connection is broken.
    virtual SendResult send(const QByteArray& bytes) = 0;
    // A send whose deadline passed: pushes out what it can now and answers
    // whether everything has gone (its report may still be waiting).
    virtual bool sendCompleted() = 0;

    // Reports transportReadable while on.
    virtual void watchReadable(bool on) = 0;
    // One read of at most max bytes of what has already arrived, without waiting.
    virtual ReadResult readOnce(QByteArray& out, qsizetype max) = 0;
    // Throws away whatever has arrived unasked. False when the station closed
    // the connection or it broke.
    virtual bool discardUnread() = 0;

    virtual void close() = 0;
    // Closes with a reset, throwing away whatever has not reached the station
    // yet: a line the link gave up on must not arrive later, when the
    // station reads again or its cable is back.
    virtual void reset() = 0;
};

enum class TransportKind {
    Native,  // a non-blocking socket of our own, watched only while busy
    QtSocket // QTcpSocket
};

std::unique_ptr<StationTransport> makeTransport(TransportKind kind, TransportListener& listener);

} // namespace station
