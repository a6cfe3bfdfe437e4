#include "admin/mailtask.h"
#include "smtpserver.h"
#include "ui/messagetable.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

using admin::MailMessage;
using admin::MailResult;
using admin::MailSender;

namespace {

const QString Host = QStringLiteral("127.0.13.1");

MailMessage message(quint16 port) {
    MailMessage m;
    m.server = Host;
    m.port = QString::number(port);
    m.greeting = Host;
    m.senderAddress = QStringLiteral("caja@cafe.test");
    m.senderName = QStringLiteral("Cibercafé Núñez");
    m.subject = QStringLiteral("09:05:07 Inicio Quintor. OPERADOR: ÁNGEL");
    m.recipients = {QStringLiteral("caja@cafe.test")};
    m.copies = {QStringLiteral("dueno@cafe.test")};
    m.body = {QStringLiteral("<B>Nº ticket</B>"), QStringLiteral(".línea con punto"),
              QString(2000, QLatin1Char('x'))};
    return m;
}

MailResult deliver(MailSender& sender, const MailMessage& m) {
    QSignalSpy spy(&sender, &MailSender::finished);
    sender.start(m);
    if (!spy.wait(sender.timeLimitMs() + 5000))
        return {};
    return spy.first().first().value<MailResult>();
}

QStringList strings(const QJsonValue& v) {
    QStringList out;
    for (const QJsonValue& s : v.toArray())
        out << s.toString();
    return out;
}

} // namespace

class TestMailTask : public QObject {
    Q_OBJECT
private slots:
    void deliversWithEncodedHeaders();
    void lineBreaksNeverAddHeaders();
    void secureSessions_data();
    void secureSessions();
    void plainAuthenticationOnlyWhenAllowed_data();
    void plainAuthenticationOnlyWhenAllowed();
    void failuresEndWithinTheLimit_data();
    void failuresEndWithinTheLimit();
    void severalAtOnce();
};

void TestMailTask::deliversWithEncodedHeaders() {
    SmtpServer server(Host, 2525);
    QVERIFY(server.isReady());
    MailSender sender;
    const MailMessage m = message(2525);
    const MailResult r = deliver(sender, m);
    QVERIFY2(r.ok, qPrintable(r.error));
    QVERIFY(server.waitForMessages(1));
    const QJsonObject got = server.messages().first();
    QCOMPARE(got[QStringLiteral("helo")].toString(), Host);
    QCOMPARE(got[QStringLiteral("mail_from")].toString(), QStringLiteral("caja@cafe.test"));
    QCOMPARE(strings(got[QStringLiteral("rcpt_tos")]),
             QStringList({QStringLiteral("caja@cafe.test"), QStringLiteral("dueno@cafe.test")}));
    QCOMPARE(got[QStringLiteral("subject")].toString(), m.subject);
    QCOMPARE(got[QStringLiteral("from")].toString(), QStringLiteral("Cibercafé Núñez <caja@cafe.test>"));
    QCOMPARE(got[QStringLiteral("cc")].toString(), QStringLiteral("<dueno@cafe.test>"));
    QVERIFY(got[QStringLiteral("content_type")].toString().startsWith(QStringLiteral("text/html")));
    QCOMPARE(got[QStringLiteral("body")].toString(), m.body.join(QStringLiteral("\r\n")));
}

void TestMailTask::lineBreaksNeverAddHeaders() {
    SmtpServer server(Host, 2526);
    QVERIFY(server.isReady());
    MailSender sender;
    MailMessage m = message(2526);
    m.subject = QStringLiteral("hola\r\nBcc: intruso@cafe.test");
    m.senderName = QStringLiteral("Caja\nX-Evil: 1");
    m.copies.clear();
    const MailResult r = deliver(sender, m);
    QVERIFY2(r.ok, qPrintable(r.error));
    QVERIFY(server.waitForMessages(1));
    const QJsonObject got = server.messages().first();
    const QStringList names = strings(got[QStringLiteral("header_names")]);
    QVERIFY(!names.contains(QStringLiteral("Bcc"), Qt::CaseInsensitive));
    QVERIFY(!names.contains(QStringLiteral("X-Evil"), Qt::CaseInsensitive));
    QVERIFY(!names.contains(QStringLiteral("Cc"), Qt::CaseInsensitive));
    QCOMPARE(strings(got[QStringLiteral("rcpt_tos")]), QStringList{QStringLiteral("caja@cafe.test")});
    QCOMPARE(got[QStringLiteral("subject")].toString(), QStringLiteral("hola  Bcc: intruso@cafe.test"));

    // An address with a line break inside never reaches the server.
    m.recipients = {QStringLiteral("caja@cafe.test\r\nRCPT TO:<otro@cafe.test>")};
    QVERIFY(!deliver(sender, m).ok);
    QCOMPARE(server.messages().size(), 1);
}

void TestMailTask::secureSessions_data() {
    QTest::addColumn<quint16>("port");
    QTest::addColumn<QString>("serverAuth");
    QTest::addColumn<bool>("starttls");
    QTest::addColumn<bool>("implicitTls");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("tls");
    QTest::addColumn<bool>("plainAuth");
    QTest::addColumn<bool>("delivered");

    QTest::newRow("authentication in clear, allowed")
        << quint16(2531) << "ana:secreto" << false << false << "ana"
        << "secreto" << false << true << true;
    QTest::newRow("wrong password") << quint16(2532) << "ana:secreto" << false << false << "ana"
                                    << "otra" << false << true << false;
    QTest::newRow("server wants a password") << quint16(2533) << "ana:secreto" << false << false << ""
                                             << "" << false << false << false;
    QTest::newRow("starttls offered") << quint16(2534) << "" << true << false << ""
                                      << "" << true << false << true;
    QTest::newRow("starttls and authentication") << quint16(2535) << "ana:secreto" << true << false << "ana"
                                                 << "secreto" << true << false << true;
    QTest::newRow("tls asked, server offers none") << quint16(2536) << "" << false << false << ""
                                                   << "" << true << false << true;
    QTest::newRow("password never in clear") << quint16(2537) << "ana:secreto" << false << false << "ana"
                                             << "secreto" << true << true << false;
    QTest::newRow("implicit tls on 465") << quint16(465) << "ana:secreto" << false << true << "ana"
                                         << "secreto" << true << false << true;
}

void TestMailTask::secureSessions() {
    QFETCH(quint16, port);
    QFETCH(QString, serverAuth);
    QFETCH(bool, starttls);
    QFETCH(bool, implicitTls);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(bool, tls);
    QFETCH(bool, plainAuth);
    QFETCH(bool, delivered);

    SmtpServer::Options options;
    options.auth = serverAuth;
    options.starttls = starttls;
    options.implicitTls = implicitTls;
    SmtpServer server(Host, port, options);
    if (implicitTls && !server.isReady())
        QSKIP("port 465 cannot be bound here");
    QVERIFY(server.isReady());
    MailSender sender;
    sender.setTimeLimitMs(5000);
    MailMessage m = message(port);
    m.security = {user, password, tls, plainAuth};
    if (starttls || implicitTls)
        m.caFile = server.certificate();
    const MailResult r = deliver(sender, m);
    QVERIFY2(r.ok == delivered, qPrintable(r.error));
    if (delivered) {
        QVERIFY(server.waitForMessages(1));
        const QJsonObject got = server.messages().first();
        QCOMPARE(got[QStringLiteral("tls")].toBool(), starttls || implicitTls);
        QCOMPARE(got[QStringLiteral("login")].toString(), user);
    } else {
        QVERIFY(!r.error.isEmpty());
        QVERIFY(server.messages().isEmpty());
    }
}

void TestMailTask::plainAuthenticationOnlyWhenAllowed_data() {
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("why");
    QTest::newRow("spanish") << false << "Permitir autenticación sin cifrar";
    QTest::newRow("english") << true << "Allow authentication without encryption";
}

void TestMailTask::plainAuthenticationOnlyWhenAllowed() {
    QFETCH(bool, english);
    QFETCH(QString, why);
    SmtpServer::Options options;
    options.auth = QStringLiteral("ana:secreto");
    SmtpServer server(Host, 2538, options);
    QVERIFY(server.isReady());
    MailSender sender;
    sender.setTimeLimitMs(5000);
    MailMessage m = message(2538);
    m.security = {QStringLiteral("ana"), QStringLiteral("secreto"), false, false};
    ui::setLanguage(english ? ui::Language::English : ui::Language::Spanish);
    const MailResult refused = deliver(sender, m);
    ui::setLanguage(ui::Language::Spanish);
    QVERIFY(!refused.ok);
    QVERIFY2(refused.error.contains(why) && refused.error.contains(QStringLiteral("TLS")),
             qPrintable(refused.error));
    // Nothing of the credentials went out: the server never saw AUTH.
    QCOMPARE(server.authCommands(), 0);
    QVERIFY(server.messages().isEmpty());

    m.security.plainAuthAllowed = true;
    const MailResult sent = deliver(sender, m);
    QVERIFY2(sent.ok, qPrintable(sent.error));
    QVERIFY(server.waitForMessages(1));
    QCOMPARE(server.authCommands(), 1);
    QCOMPARE(server.messages().first()[QStringLiteral("login")].toString(), QStringLiteral("ana"));
}

void TestMailTask::failuresEndWithinTheLimit_data() {
    QTest::addColumn<QString>("failure");
    QTest::newRow("unreachable") << "unreachable";
    QTest::newRow("silent server") << "silent";
    QTest::newRow("recipient refused") << "refused";
    QTest::newRow("port not a number") << "port";
    QTest::newRow("address with blanks") << "blanks";
    QTest::newRow("empty server") << "server";
}

void TestMailTask::failuresEndWithinTheLimit() {
    QFETCH(QString, failure);
    constexpr int Limit = 1500;
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress(QStringLiteral("127.0.13.2")), 2540));
    SmtpServer::Options options;
    options.refuseRecipient = QStringLiteral("nadie@cafe.test");
    SmtpServer refusing(Host, 2541, options);
    QVERIFY(refusing.isReady());

    MailMessage m = message(2541);
    if (failure == QLatin1String("unreachable"))
        m.port = QStringLiteral("2549");
    else if (failure == QLatin1String("silent"))
        m.server = QStringLiteral("127.0.13.2"), m.port = QStringLiteral("2540");
    else if (failure == QLatin1String("refused"))
        m.recipients = {QStringLiteral("nadie@cafe.test")};
    else if (failure == QLatin1String("port"))
        m.port = QStringLiteral("25a");
    else if (failure == QLatin1String("blanks"))
        m.recipients = {QStringLiteral("caja @cafe.test")};
    else if (failure == QLatin1String("server"))
        m.server = QStringLiteral("  ");

    MailSender sender;
    sender.setTimeLimitMs(Limit);
    QElapsedTimer t;
    t.start();
    const MailResult r = deliver(sender, m);
    QVERIFY(!r.ok);
    QVERIFY(!r.error.isEmpty());
    QVERIFY(r.at.isValid());
    QVERIFY(t.elapsed() < Limit + 3000);
    QVERIFY(refusing.messages().isEmpty());
}

void TestMailTask::severalAtOnce() {
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress(QStringLiteral("127.0.13.2")), 2542));
    SmtpServer server(Host, 2543);
    QVERIFY(server.isReady());
    MailSender sender;
    sender.setTimeLimitMs(3000);
    QSignalSpy spy(&sender, &MailSender::finished);
    // One mail stuck on a silent server holds up none of the others.
    MailMessage stuck = message(2542);
    stuck.server = QStringLiteral("127.0.13.2");
    const quint64 stuckId = sender.start(stuck);
    for (int i = 0; i < 3; ++i)
        sender.start(message(2543));
    QCOMPARE(sender.runningCount(), 4);
    QVERIFY(server.waitForMessages(3));
    QTRY_COMPARE_WITH_TIMEOUT(spy.size(), 3, 5000);
    QVERIFY(sender.isRunning(stuckId));
    QTRY_COMPARE_WITH_TIMEOUT(spy.size(), 4, 8000);
    QCOMPARE(sender.runningCount(), 0);
}

QTEST_GUILESS_MAIN(TestMailTask)
#include "tst_mailtask.moc"
