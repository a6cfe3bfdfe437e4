#pragma once

#include "support/loopback.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

// A base address of our own for each call (127.42.<pid>.<n>), so test
// programs running side by side never share a station address.
inline QHostAddress freshBase() {
    static int next = 0;
    const quint32 pidPart = quint32(QCoreApplication::applicationPid() % 250) + 1;
    const quint32 n = quint32(next++ % 15) * 16 + 1;
    return QHostAddress((127u << 24) | (42u << 16) | (pidPart << 8) | n);
}

// The console's side, with waits that keep the event loop turning so that a
// simulator in the same thread keeps working.
class SimClient {
public:
    enum class Outcome { Connected, Refused, Other };

    Outcome connectTo(const QHostAddress& address, quint16 port, int timeoutMs = 3000) {
        m_socket.abort();
        m_socket.connectToHost(address, port);
        QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired()) {
            if (m_socket.state() == QAbstractSocket::ConnectedState)
                return Outcome::Connected;
            if (m_socket.state() == QAbstractSocket::UnconnectedState)
                return m_socket.error() == QAbstractSocket::ConnectionRefusedError ? Outcome::Refused
                                                                                   : Outcome::Other;
            QTest::qWait(2);
        }
        return Outcome::Other;
    }

    void send(const QByteArray& bytes) {
        m_socket.write(bytes);
        m_socket.flush();
    }

    // Sends line + CR and returns what arrives (at least minBytes, or whatever
    // came before the timeout).
    QByteArray exchange(const QByteArray& line, qsizetype minBytes = 1, int timeoutMs = 3000) {
        send(line + '\r');
        return read(minBytes, timeoutMs);
    }

    QByteArray read(qsizetype minBytes = 1, int timeoutMs = 3000) {
        QDeadlineTimer deadline(timeoutMs);
        while (m_buffer.size() < minBytes && !deadline.hasExpired()) {
            m_buffer += m_socket.readAll();
            if (m_buffer.size() >= minBytes || m_socket.state() != QAbstractSocket::ConnectedState)
                break;
            QTest::qWait(2);
        }
        m_buffer += m_socket.readAll();
        return std::exchange(m_buffer, {});
    }

    // Lets the event loop run for ms and says whether anything arrived.
    bool quietFor(int ms) {
        QTest::qWait(ms);
        m_buffer += m_socket.readAll();
        return m_buffer.isEmpty();
    }

    bool waitForClosed(int timeoutMs = 3000) {
        QDeadlineTimer deadline(timeoutMs);
        while (m_socket.state() == QAbstractSocket::ConnectedState && !deadline.hasExpired())
            QTest::qWait(2);
        return m_socket.state() != QAbstractSocket::ConnectedState;
    }

    bool connected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }
    void close() { m_socket.abort(); }

private:
    QTcpSocket m_socket;
    QByteArray m_buffer;
};

// The poll of a free station without account, as the console sends it (Windows-1252 "€").
inline QByteArray freePoll() {
    return QByteArray("PING\tLIBRE\t0:00:00\t0,00 \x80\t\t\t0,00 \x80\t0\t0");
}

inline QByteArray occupiedPoll(const QByteArray& login) {
    return "PING\tOCUPADO\t0\t0:10:00\t1,50 \x80\t" + login + "\t1111\t3,50 \x80\t0\t0";
}
