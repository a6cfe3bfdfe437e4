#pragma once

#include <QPointer>
#include <QSslServer>
#include <QTcpServer>
#include <QTimer>

#include <memory>

namespace web {

// The bounds a public-facing server needs and Qt HttpServer 6.4 has no
// setting for, enforced on each socket before the HTTP server reads it.
struct Limites {
    qint64 maxRequestBytes = 16 * 1024; // headers and body of one request
    int requestMs = 10000;              // to complete a request once it began
    int idleMs = 30000;                 // between requests
    int maxConnections = 256;           // extra ones are closed at once
};

// Watches one connection: counts a request's bytes, closes it when the
// request grows too large, takes too long, or the connection idles.
class GuardiaConexion : public QObject {
    Q_OBJECT
public:
    GuardiaConexion(QTcpSocket* socket, const Limites& limites);

private:
    void leido();
    void escrito();
    void caducado();
    void rechazar(const QByteArray& status);

    QTcpSocket* m_socket;
    Limites m_limites;
    QTimer m_timer;
    qint64 m_bytes = 0;
    bool m_enPeticion = false;
};

// Applies the limits to every connection a server hands out. Each server
// kind (plain or TLS) owns one and forwards its accepted sockets.
class Vigilante {
public:
    explicit Vigilante(Limites limites)
        : m_limites(limites) {}
    // The socket the HTTP server gets, or nullptr when the server is full
    // (the socket is then closed).
    QTcpSocket* vigilar(QTcpSocket* socket);
    int abiertas() const { return *m_abiertas; }
    const Limites& limites() const { return m_limites; }

private:
    Limites m_limites;
    // Shared with the sockets, which may outlive the server by a moment.
    std::shared_ptr<int> m_abiertas = std::make_shared<int>(0);
};

class LimitedTcpServer : public QTcpServer {
    Q_OBJECT
public:
    explicit LimitedTcpServer(Limites limites = {}, QObject* parent = nullptr)
        : QTcpServer(parent)
        , m_vigilante(limites) {}
    QTcpSocket* nextPendingConnection() override;
    int openConnections() const { return m_vigilante.abiertas(); }

private:
    Vigilante m_vigilante;
};

class LimitedSslServer : public QSslServer {
    Q_OBJECT
public:
    explicit LimitedSslServer(Limites limites = {}, QObject* parent = nullptr);
    QTcpSocket* nextPendingConnection() override;
    int openConnections() const { return m_vigilante.abiertas(); }

private:
    Vigilante m_vigilante;
};

} // namespace web
