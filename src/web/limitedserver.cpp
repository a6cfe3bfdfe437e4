#include "web/limitedserver.h"

#include "web/paginas.h"

namespace web {

GuardiaConexion::GuardiaConexion(QTcpSocket* socket, const Limites& limites)
    : QObject(socket)
    , m_socket(socket)
    , m_limites(limites) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &GuardiaConexion::caducado);
    // Connected before the HTTP server's own handler: the bytes are
    // counted (and a request too large thrown away) before it parses them.
    connect(socket, &QIODevice::readyRead, this, &GuardiaConexion::leido);
    connect(socket, &QIODevice::bytesWritten, this, &GuardiaConexion::escrito);
    // A new connection owes its first request within the request limit.
    m_enPeticion = true;
    m_timer.start(m_limites.requestMs);
}

void GuardiaConexion::leido() {
    const qint64 nuevos = m_socket->bytesAvailable();
    if (nuevos <= 0)
        return;
    if (!m_enPeticion) {
        m_enPeticion = true;
        m_bytes = 0;
        m_timer.start(m_limites.requestMs);
    }
    m_bytes += nuevos;
    if (m_bytes > m_limites.maxRequestBytes)
        rechazar(QByteArrayLiteral("413 Content Too Large"));
}

void GuardiaConexion::escrito() {
    // The server answers only complete requests: an answer under way ends
    // the request. Each part written restarts the idle limit, so a slow
    // reader of a large answer is never cut off by the request limit.
    m_enPeticion = false;
    m_bytes = 0;
    m_timer.start(m_limites.idleMs);
}

void GuardiaConexion::caducado() {
    if (m_enPeticion && m_socket->state() == QAbstractSocket::ConnectedState && m_bytes > 0)
        rechazar(QByteArrayLiteral("408 Request Timeout"));
    else
        m_socket->abort();
}

void GuardiaConexion::rechazar(const QByteArray& status) {
    m_timer.stop();
    // What was read is dropped, so the HTTP server never sees the request.
    m_socket->readAll();
    disconnect(m_socket, &QIODevice::readyRead, this, &GuardiaConexion::leido);
    disconnect(m_socket, &QIODevice::bytesWritten, this, &GuardiaConexion::escrito);
    QByteArray answer = QByteArrayLiteral("HTTP/1.1 ") + status + QByteArrayLiteral("\r\n");
    for (const auto& [name, value] : cabecerasSeguridad())
        answer += name + QByteArrayLiteral(": ") + value + QByteArrayLiteral("\r\n");
    answer += QByteArrayLiteral("Content-Length: 0\r\nConnection: close\r\n\r\n");
    m_socket->write(answer);
    m_socket->disconnectFromHost();
    // A peer that never reads its answer is cut off all the same.
    QTimer::singleShot(2000, m_socket, [s = QPointer<QTcpSocket>(m_socket)] {
        if (s)
            s->abort();
    });
}

QTcpSocket* Vigilante::vigilar(QTcpSocket* socket) {
    if (*m_abiertas >= m_limites.maxConnections) {
        socket->abort();
        socket->deleteLater();
        return nullptr;
    }
    ++*m_abiertas;
    QObject::connect(socket, &QObject::destroyed, [abiertas = m_abiertas] { --*abiertas; });
    new GuardiaConexion(socket, m_limites);
    return socket;
}

QTcpSocket* LimitedTcpServer::nextPendingConnection() {
    while (QTcpSocket* socket = QTcpServer::nextPendingConnection())
        if (QTcpSocket* vigilado = m_vigilante.vigilar(socket))
            return vigilado;
    return nullptr;
}

LimitedSslServer::LimitedSslServer(Limites limites, QObject* parent)
    : QSslServer(parent)
    , m_vigilante(limites) {
    // Handshakes are bounded by the request limit too.
    setHandshakeTimeout(limites.requestMs);
}

QTcpSocket* LimitedSslServer::nextPendingConnection() {
    while (QTcpSocket* socket = QSslServer::nextPendingConnection())
        if (QTcpSocket* vigilado = m_vigilante.vigilar(socket))
            return vigilado;
    return nullptr;
}

} // namespace web
