#include "sim/runners.h"

#include "station/stationaddress.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace velkarsim {

namespace {
// A control line longer than this is not a command; the client is dropped.
constexpr qsizetype MaxControlLine = 64 * 1024;
} // namespace

ScriptRunner::ScriptRunner(QList<ScriptAction> actions, CommandExecutor& executor, QObject* parent)
    : QObject(parent)
    , m_actions(std::move(actions))
    , m_executor(executor) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ScriptRunner::runDue);
}

void ScriptRunner::start() {
    m_clock.start();
    m_next = 0;
    runDue();
}

void ScriptRunner::runDue() {
    while (m_next < m_actions.size() && m_actions[m_next].atMs <= m_clock.elapsed()) {
        const ScriptAction& action = m_actions[m_next++];
        const QString answer = m_executor.execute(action.command);
        if (answer != u"ok" && m_output)
            m_output(QStringLiteral("script line %1: %2").arg(action.lineNumber).arg(answer));
    }
    if (m_next < m_actions.size())
        m_timer.start(int(std::max<qint64>(0, m_actions[m_next].atMs - m_clock.elapsed())));
}

ControlServer::ControlServer(CommandExecutor& executor, QObject* parent)
    : QObject(parent)
    , m_executor(executor)
    , m_server(new QTcpServer(this)) {
    connect(m_server, &QTcpServer::newConnection, this, &ControlServer::accept);
}

bool ControlServer::listen(const QHostAddress& address, quint16 port, QString* error) {
    if (!station::isLoopback(address)) {
        if (error)
            *error = QStringLiteral("the control channel listens on 127.x.y.z only");
        return false;
    }
    if (!m_server->listen(address, port)) {
        if (error)
            *error = m_server->errorString();
        return false;
    }
    return true;
}

quint16 ControlServer::serverPort() const {
    return m_server->serverPort();
}

void ControlServer::accept() {
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void ControlServer::readFrom(QTcpSocket* socket) {
    while (socket->canReadLine()) {
        const QString line = QString::fromUtf8(socket->readLine()).trimmed();
        if (line.isEmpty())
            continue;
        const QString answer = m_executor.execute(line);
        socket->write(answer.toUtf8() + '\n');
        socket->flush();
    }
    if (socket->bytesAvailable() > MaxControlLine)
        socket->disconnectFromHost();
}

} // namespace velkarsim
