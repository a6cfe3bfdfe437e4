#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QTemporaryDir>

// A private SMTP server (aiosmtpd) on a loopback address, for one test.
class SmtpServer {
public:
    struct Options {
        QString auth;          // "user:password" required before MAIL
        bool starttls = false; // offers STARTTLS with a throw-away certificate
        bool implicitTls = false;
        QString refuseRecipient;
    };

    SmtpServer(const QString& host, quint16 port, const Options& options);
    SmtpServer(const QString& host, quint16 port)
        : SmtpServer(host, port, Options{}) {}
    ~SmtpServer();

    bool isReady() const { return m_ready; }
    // The certificate clients must trust (TLS modes).
    QString certificate() const;
    // Messages received so far, oldest first.
    QList<QJsonObject> messages() const;
    // AUTH commands received so far.
    int authCommands() const;
    // Waits up to timeoutMs for count messages.
    bool waitForMessages(int count, int timeoutMs = 10000) const;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    bool m_ready = false;
};
