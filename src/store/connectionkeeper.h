#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class QThread;
class TDataModule1;

namespace store {

// Keeps a running console's connection to its server: notices when the
// server has gone away (stopped, restarted, cut off), says so once, and
// opens the connection again as soon as the server answers. The waiting is
// done off the main thread, so the stations and the clock go on meanwhile.
// A file's connection is never lost.
class ConnectionKeeper : public QObject {
    Q_OBJECT
public:
    // How often a running console looks at its connection, and how often it
    // asks a server that went away whether it is back.
    static constexpr int CheckMs = 2000;
    static constexpr int RetryMs = 3000;

    explicit ConnectionKeeper(TDataModule1* data, QObject* parent = nullptr);
    ~ConnectionKeeper() override;

    // Looks at the connection every CheckMs from now on; stop() ends that
    // and any retrying.
    void start();
    void stop();

    bool isLost() const { return m_lost; }
    // A statement failed with error: true when the connection is lost (the
    // keeper tells and reconnects from here), false when the statement
    // itself was refused.
    bool noteFailure(const QString& error);
    // One attempt now, waiting for it: the shut-down's last chance to save.
    bool reconnectNow();

signals:
    // The connection went away; error is the engine's text. Once per outage.
    void lost(const QString& error);
    // The connection works again.
    void restored();

private:
    void check();
    void becomeLost(const QString& error);
    void retry();
    void answered(bool answers);
    bool reopen();

    TDataModule1* m_data;
    QTimer m_check;
    QTimer m_retry;
    bool m_lost = false;
    QThread* m_ping = nullptr;
};

} // namespace store
