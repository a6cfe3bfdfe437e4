#pragma once

#include "sim/command.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QTimer>

#include <functional>

class QTcpServer;
class QTcpSocket;

namespace velkarsim {

// Plays a parsed script against an executor, each action at its time from start().
class ScriptRunner final : public QObject {
    Q_OBJECT
public:
    ScriptRunner(QList<ScriptAction> actions, CommandExecutor& executor, QObject* parent = nullptr);

    void start();
    bool finished() const { return m_next >= m_actions.size(); }

    // Where the answers that are not a plain "ok" go (errors, status lines).
    using Output = std::function<void(const QString&)>;
    void setOutput(Output output) { m_output = std::move(output); }

private:
    void runDue();

    QList<ScriptAction> m_actions;
    CommandExecutor& m_executor;
    qsizetype m_next = 0;
    QElapsedTimer m_clock;
    QTimer m_timer;
    Output m_output;
};

// Commands line by line over TCP on a loopback address; each line gets one
// answer line ("ok", "ok …" or "error …").
class ControlServer final : public QObject {
    Q_OBJECT
public:
    ControlServer(CommandExecutor& executor, QObject* parent = nullptr);

    // Only loopback addresses are accepted.
    bool listen(const QHostAddress& address, quint16 port, QString* error);
    quint16 serverPort() const;

private:
    void accept();
    void readFrom(QTcpSocket* socket);

    CommandExecutor& m_executor;
    QTcpServer* m_server;
};

} // namespace velkarsim
