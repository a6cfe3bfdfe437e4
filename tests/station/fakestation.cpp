#include "fakestation.h"

FakeStation::FakeStation(QObject* parent)
    : QObject(parent) {
    answerAlways("OK");
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* s = m_server.nextPendingConnection()) {
            ++connections;
            if (m_socket)
                m_socket->deleteLater();
            m_socket = s;
            m_partial.clear();
            connect(s, &QTcpSocket::readyRead, this, &FakeStation::onData);
        }
    });
}

bool FakeStation::listen(const QHostAddress& address, quint16 port) {
    m_address = address;
    return m_server.listen(address, port);
}

void FakeStation::stopListening() {
    m_server.close();
}

void FakeStation::answerAlways(const QByteArray& replyBytes) {
    m_responder = [replyBytes](const QByteArray&) { return replyBytes; };
}

void FakeStation::stayQuiet() {
    m_responder = [](const QByteArray&) { return QByteArray(); };
}

void FakeStation::reply(const QByteArray& bytes) {
    if (!m_socket)
        return;
    m_socket->write(bytes);
    m_socket->flush();
}

void FakeStation::dropConnection() {
    if (m_socket) {
        m_socket->abort();
        m_socket->deleteLater();
        m_socket = nullptr;
    }
}

void FakeStation::onData() {
    auto* s = qobject_cast<QTcpSocket*>(sender());
    if (!s || s != m_socket)
        return;
    const QByteArray data = s->readAll();
    received += data;
    m_partial += data;
    qsizetype cr;
    while ((cr = m_partial.indexOf('\r')) >= 0) {
        const QByteArray line = m_partial.left(cr);
        m_partial.remove(0, cr + 1);
        lines.append(line);
        emit lineReceived(line);
        const QByteArray answer = m_responder ? m_responder(line) : QByteArray();
        if (!answer.isEmpty() && m_socket)
            reply(answer);
        if (!m_socket)
            return;
    }
}

QHostAddress nextTestAddress(int program) {
    static int n = 0;
    ++n;
    return QHostAddress((127u << 24) | (quint32(program & 0xFF) << 16) | (quint32((n / 250) + 1) << 8) |
                        quint32((n % 250) + 1));
}
