#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>

// A station program for tests: listens on one loopback address, records
// every line the console sends and answers as the test says.
class FakeStation : public QObject {
    Q_OBJECT
public:
    // What to do with a received line: return the reply, or an empty array
    // to stay silent (the test may answer later with reply()).
    using Responder = std::function<QByteArray(const QByteArray& line)>;

    explicit FakeStation(QObject* parent = nullptr);

    bool listen(const QHostAddress& address, quint16 port);
    void setAddress(const QHostAddress& address) { m_address = address; }
    bool listenAt(quint16 port) { return listen(m_address, port); }
    void stopListening();
    quint16 port() const { return m_server.serverPort(); }
    QHostAddress address() const { return m_address; }

    void setResponder(Responder r) { m_responder = std::move(r); }
    // Every line gets this reply (the default answers "OK", which the console ignores).
    void answerAlways(const QByteArray& reply);
    void stayQuiet();
    // Writes at once and hands the bytes to the system before returning.
    void reply(const QByteArray& bytes);
    void dropConnection();

    // Lines received, without their CR, and every byte received.
    QList<QByteArray> lines;
    QByteArray received;
    int connections = 0;
    bool connected() const { return m_socket && m_socket->state() == QAbstractSocket::ConnectedState; }

signals:
    void lineReceived(const QByteArray& line);

private:
    void onData();

    QTcpServer m_server;
    QHostAddress m_address;
    QPointer<QTcpSocket> m_socket;
    QByteArray m_partial;
    Responder m_responder;
};

// Loopback addresses for one test program: 127.<program>.<block>.<n>, never
// repeated within a run, so parallel tests never meet.
QHostAddress nextTestAddress(int program);
