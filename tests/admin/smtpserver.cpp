#include "smtpserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QTest>

SmtpServer::SmtpServer(const QString& host, quint16 port, const Options& options) {
    const QString out = m_dir.filePath(QStringLiteral("out"));
    QDir().mkpath(out);
    QStringList args{QStringLiteral(QUINTOR_SMTP_SERVER), host, QString::number(port), out};
    if (!options.auth.isEmpty())
        args << QStringLiteral("--auth") << options.auth;
    if (options.starttls || options.implicitTls) {
        QProcess openssl;
        openssl.setStandardOutputFile(QProcess::nullDevice());
        openssl.setStandardErrorFile(QProcess::nullDevice());
        openssl.start(QStringLiteral("openssl"),
                      {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                       QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
                       QStringLiteral("1"), QStringLiteral("-subj"), QStringLiteral("/CN=") + host,
                       QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:") + host,
                       QStringLiteral("-keyout"), m_dir.filePath(QStringLiteral("key.pem")),
                       QStringLiteral("-out"), certificate()});
        if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0)
            return;
        args << QStringLiteral("--cert") << certificate() << QStringLiteral("--key")
             << m_dir.filePath(QStringLiteral("key.pem"));
        if (options.implicitTls)
            args << QStringLiteral("--implicit-tls");
    }
    if (!options.refuseRecipient.isEmpty())
        args << QStringLiteral("--refuse-rcpt") << options.refuseRecipient;
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral("/usr/bin/python3"), args);
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 15000 && m_process.state() != QProcess::NotRunning) {
        m_process.waitForReadyRead(100);
        if (m_process.readAllStandardOutput().contains("READY")) {
            m_ready = true;
            break;
        }
    }
}

SmtpServer::~SmtpServer() {
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

QString SmtpServer::certificate() const {
    return m_dir.filePath(QStringLiteral("cert.pem"));
}

QList<QJsonObject> SmtpServer::messages() const {
    QList<QJsonObject> out;
    const QDir dir(m_dir.filePath(QStringLiteral("out")));
    for (const QString& name : dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::ReadOnly))
            out << QJsonDocument::fromJson(f.readAll()).object();
    }
    return out;
}

int SmtpServer::authCommands() const {
    QFile f(QDir(m_dir.filePath(QStringLiteral("out"))).filePath(QStringLiteral("auth.log")));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    return static_cast<int>(f.readAll().count('\n'));
}

bool SmtpServer::waitForMessages(int count, int timeoutMs) const {
    QElapsedTimer t;
    t.start();
    while (messages().size() < count) {
        if (t.elapsed() > timeoutMs)
            return false;
        QTest::qWait(50);
    }
    return true;
}
