#include "station/qttransport.h"

#include <QTcpSocket>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#endif

namespace station {

QtSocketTransport::QtSocketTransport(TransportListener& listener)
    : m_listener(listener) {}

QtSocketTransport::~QtSocketTransport() {
    close();
}

void QtSocketTransport::connectToStation(const QString& address, quint16 port) {
    close();
    m_socket = new QTcpSocket(this);
    QTcpSocket* s = m_socket;
    connect(s, &QTcpSocket::connected, this, [this] {
        if (m_connectReported)
            return;
        m_connectReported = true;
        m_listener.transportConnected();
    });
    connect(
        s, &QTcpSocket::errorOccurred, this,
        [this, s] {
            if (s != m_socket)
                return;
            close();
            m_listener.transportFailed();
        },
        Qt::QueuedConnection);
    connect(s, &QTcpSocket::bytesWritten, this, [this] {
        if (m_sending && !m_inCall && m_socket && m_socket->bytesToWrite() == 0) {
            m_sending = false;
            m_listener.transportSent();
        }
    });
    connect(s, &QTcpSocket::readyRead, this, [this] {
        if (m_watchRead && !m_inCall)
            m_listener.transportReadable();
    });
    m_inCall = true;
    s->connectToHost(address, port);
    m_inCall = false;
}

bool QtSocketTransport::isConnected() const {
    return m_socket && m_connectReported && m_socket->state() == QAbstractSocket::ConnectedState;
}

bool QtSocketTransport::connectCompleted() {
    if (!m_socket)
        return false;
    if (m_socket->state() != QAbstractSocket::ConnectedState) {
        m_inCall = true;
        m_socket->waitForConnected(0);
        m_inCall = false;
    }
    if (m_socket->state() != QAbstractSocket::ConnectedState)
        return false;
    m_connectReported = true;
    return true;
}

StationTransport::SendResult QtSocketTransport::send(const QByteArray& bytes) {
    if (!isConnected())
        return SendResult::Failed;
    m_inCall = true;
    const qint64 n = m_socket->write(bytes);
    m_socket->flush();
    m_inCall = false;
    if (n != bytes.size())
        return SendResult::Failed;
    if (m_socket->bytesToWrite() == 0)
        return SendResult::Sent;
    m_sending = true;
    return SendResult::Pending;
}

bool QtSocketTransport::sendCompleted() {
    if (!isConnected())
        return false;
    m_inCall = true;
    m_socket->flush();
    m_inCall = false;
    if (m_socket->bytesToWrite() != 0)
        return false;
    m_sending = false;
    return true;
}

StationTransport::ReadResult QtSocketTransport::readOnce(QByteArray& out, qsizetype max) {
    if (!m_socket)
        return ReadResult::Closed;
    if (m_socket->bytesAvailable() == 0 && m_socket->state() == QAbstractSocket::ConnectedState) {
        // Pulls in what the system already holds, without waiting.
        m_inCall = true;
        m_socket->waitForReadyRead(0);
        m_inCall = false;
    }
    if (m_socket->bytesAvailable() > 0) {
        out = m_socket->read(max);
        return ReadResult::Data;
    }
    return m_socket->state() == QAbstractSocket::ConnectedState ? ReadResult::Nothing : ReadResult::Closed;
}

bool QtSocketTransport::discardUnread() {
    if (!isConnected())
        return false;
    m_socket->readAll();
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

void QtSocketTransport::reset() {
#ifdef Q_OS_UNIX
    // QTcpSocket::abort() drops only its own buffer; the system's goes on sending.
    if (isConnected()) {
        const linger abortive{1, 0};
        ::setsockopt(int(m_socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    }
#endif
    close();
}

void QtSocketTransport::close() {
    if (!m_socket)
        return;
    QTcpSocket* s = m_socket;
    m_socket = nullptr;
    s->disconnect(this);
    s->abort();
    s->deleteLater();
    m_connectReported = false;
    m_sending = false;
    m_watchRead = false;
}

} // namespace station
