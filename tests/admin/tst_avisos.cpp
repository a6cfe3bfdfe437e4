#include "admin/avisos.h"
#include "admin/mailtask.h"
#include "app/frmmain.h"
#include "app/lifecycle.h"
#include "app/mailcontroller.h"
#include "core/consolecontext.h"
#include "session/engine.h"
#include "smtpserver.h"
#include "store/opciones.h"
#include "store/schemaupdates.h"
#include "store/sql.h"
#include "store/transaction.h"
#include "support/scriptedui.h"
#include "support/testdb.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QLabel>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

using admin::MailKind;

namespace {

const QString Host = QStringLiteral("127.0.13.3");

QString golden(const QString& name) {
    QFile f(QStringLiteral(QUINTOR_MAIL_DATA "/") + name);
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("missing golden file ") + name;
    return QString::fromUtf8(f.readAll());
}

QStringList strings(const QJsonValue& v) {
    QStringList out;
    for (const QJsonValue& s : v.toArray())
        out << s.toString();
    return out;
}

void addTicket(const QSqlDatabase& db, const QString& number, QDate day, QTime time, qint64 cents,
               const QString& op) {
    store::Ticket t;
    t.NUM_TICKET = number;
    t.FECHA = day;
    t.HORA = time;
    t.IMPORTE = Currency::fromCents(cents);
    t.OPERADOR = op;
    store::insert(db, t);
}

// A console on a new database with its mail settings pointing at port.
struct MailConsole {
    explicit MailConsole(quint16 port) {
        context.data = &db.data;
        context.regional = Regional::spanishSpain();
        context.clock = &clock;
        context.currentOperator = QStringLiteral("ANA");
        engine = std::make_unique<ConsoleEngine>(context);
        mail = std::make_unique<MailController>(context, window, *engine);
        mail->sender().setTimeLimitMs(1500);
        web = store::readWebConfig(db.data.db());
        web.smtp = Host;
        web.port = QString::number(port);
        web.to1 = QStringLiteral("sala@cafe.test");
        web.to2 = QStringLiteral("dueno@cafe.test");
        web.de = QStringLiteral("Cibercafé Ñandú");
        web.smtpinformes = Host;
        web.portinformes = QString::number(port);
        web.toinformes = QStringLiteral("caja@cafe.test");
        web.deinformes = QStringLiteral("Caja");
        web.ccinformes = QString();
        save();
    }
    void save() { store::saveWebConfig(db.data.db(), web); }

    TestDatabase db;
    FakeClock clock{QDateTime(QDate(2026, 1, 15), QTime(9, 5, 7))};
    ConsoleContext context;
    TFrmMain window;
    std::unique_ptr<ConsoleEngine> engine;
    std::unique_ptr<MailController> mail;
    store::WebConfig web;
};

bool waitIdle(admin::MailSender& sender, int ms = 8000) {
    QElapsedTimer t;
    t.start();
    while (sender.runningCount() > 0 && t.elapsed() < ms)
        QTest::qWait(20);
    return sender.runningCount() == 0;
}

} // namespace

class TestAvisos : public QObject {
    Q_OBJECT
private slots:
    void subjects_data();
    void subjects();
    void cajaProvisional_data();
    void cajaProvisional();
    void eachKindDelivered_data();
    void eachKindDelivered();
    void incompleteSettingsSendNothing_data();
    void incompleteSettingsSendNothing();
    void failureShownUntilNextSuccess();
    void schedule();
    void startAndChangeMails();
    void shutdownWaits_data();
    void shutdownWaits();
    void securityColumnsOnOldDatabases();
    void answeringNoSendsNothing();
    void thousandsOfTickets();
};

void TestAvisos::subjects_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("subject");
    QTest::newRow("start") << 2 << "09:05:07 Inicio Quintor. OPERADOR: ANA";
    QTest::newRow("test") << 0 << "09:05:07 Envio  de prueba. OPERADOR: ANA";
    QTest::newRow("closing") << 3 << "09:05:07 Se ha cerrado Quintor. OPERADOR: ANA";
    QTest::newRow("status") << 4 << "09:05:07 Resumen del estado de los puestos. OPERADOR: ANA";
    QTest::newRow("provisional") << 5 << "09:05:07 Informe de caja provisional. OPERADOR: ANA";
    QTest::newRow("change") << 6 << "09:05:07 Cambio de operador. NUEVO OPERADOR: ANA";
    QTest::newRow("cash report") << 7 << "09:05:07 Informe de caja.OPERADOR: ANA";
}

void TestAvisos::subjects() {
    QFETCH(int, kind);
    QFETCH(QString, subject);
    QCOMPARE(admin::mailSubject(QTime(9, 5, 7), static_cast<MailKind>(kind), QStringLiteral("ANA")), subject);
}

void TestAvisos::cajaProvisional_data() {
    QTest::addColumn<int>("tickets");
    QTest::addColumn<QString>("file");
    QTest::newRow("empty day") << 0 << "caja_provisional_vacia.html";
    QTest::newRow("three tickets") << 3 << "caja_provisional_tres.html";
}

void TestAvisos::cajaProvisional() {
    QFETCH(int, tickets);
    QFETCH(QString, file);
    TestDatabase db;
    const QDate day(2026, 1, 15);
    const QSqlDatabase& sql = db.data.db();
    addTicket(sql, QStringLiteral("0000099"), day.addDays(-1), QTime(23, 59, 0), 1000, QStringLiteral("ANA"));
    if (tickets > 0) {
        addTicket(sql, QStringLiteral("0000102"), day, QTime(18, 30, 5), 123456, QStringLiteral("LUIS"));
        addTicket(sql, QStringLiteral("0000100"), day, QTime(9, 5, 7), 150, QStringLiteral("ANA"));
        addTicket(sql, QStringLiteral("0000101"), day, QTime(10, 0, 0), 0, QStringLiteral("ANA"));
    }
    const QStringList lines = admin::cajaProvisionalHTML(sql, day, Regional::spanishSpain());
    QCOMPARE(lines.join(QStringLiteral("\n")) + QLatin1Char('\n'), golden(file));
}

void TestAvisos::eachKindDelivered_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("cc");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("bodyFile");
    QTest::newRow("start") << 2 << "sala@cafe.test"
                           << "dueno@cafe.test"
                           << "Cibercafé Ñandú"
                           << "";
    QTest::newRow("closing") << 3 << "sala@cafe.test"
                             << "dueno@cafe.test"
                             << "Cibercafé Ñandú"
                             << "";
    QTest::newRow("status") << 4 << "sala@cafe.test"
                            << "dueno@cafe.test"
                            << "Cibercafé Ñandú"
                            << "estado_vacio.html";
    QTest::newRow("provisional") << 5 << "sala@cafe.test"
                                 << "dueno@cafe.test"
                                 << "Cibercafé Ñandú"
                                 << "caja_provisional_vacia.html";
    QTest::newRow("change") << 6 << "sala@cafe.test"
                            << "dueno@cafe.test"
                            << "Cibercafé Ñandú"
                            << "";
    QTest::newRow("cash report, no copy") << 7 << "caja@cafe.test"
                                          << ""
                                          << "Caja"
                                          << "informe.html";
}

void TestAvisos::eachKindDelivered() {
    QFETCH(int, kind);
    QFETCH(QString, to);
    QFETCH(QString, cc);
    QFETCH(QString, from);
    QFETCH(QString, bodyFile);
    SmtpServer server(Host, 2550);
    QVERIFY(server.isReady());
    MailConsole console(2550);
    const QStringList informe{QStringLiteral("<table>"), QStringLiteral("<tr><td>Informe</td></tr>"),
                              QStringLiteral("</table>")};
    const quint64 id = console.mail->avisos().EnviarAviso(static_cast<MailKind>(kind), informe);
    QVERIFY(id != 0);
    QVERIFY(server.waitForMessages(1));
    const QJsonObject got = server.messages().first();
    QCOMPARE(got[QStringLiteral("subject")].toString(),
             admin::mailSubject(QTime(9, 5, 7), static_cast<MailKind>(kind), QStringLiteral("ANA")));
    QCOMPARE(got[QStringLiteral("mail_from")].toString(), to);
    QCOMPARE(got[QStringLiteral("from")].toString(), from + QStringLiteral(" <") + to + QLatin1Char('>'));
    QStringList rcpt{to};
    if (!cc.isEmpty())
        rcpt << cc;
    QCOMPARE(strings(got[QStringLiteral("rcpt_tos")]), rcpt);
    QCOMPARE(got[QStringLiteral("cc")].isNull(), cc.isEmpty());
    QVERIFY(got[QStringLiteral("bcc")].isNull());
    QCOMPARE(got[QStringLiteral("helo")].toString(), Host);

    QString expected = bodyFile.isEmpty() ? QString() : golden(bodyFile);
    expected.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    expected += admin::firmaHTML();
    QCOMPARE(got[QStringLiteral("body")].toString(), expected);
    QVERIFY(admin::firmaHTML().contains(QStringLiteral("Quintor")));
}

void TestAvisos::incompleteSettingsSendNothing_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("blank");
    QTest::newRow("start without server") << 2 << "smtp";
    QTest::newRow("change without port") << 6 << "port";
    QTest::newRow("status without recipient") << 4 << "to1";
    QTest::newRow("cash report without server") << 7 << "smtpinformes";
    QTest::newRow("cash report without port") << 7 << "portinformes";
    QTest::newRow("cash report without recipient") << 7 << "toinformes";
}

void TestAvisos::incompleteSettingsSendNothing() {
    QFETCH(int, kind);
    QFETCH(QString, blank);
    MailConsole console(2551);
    store::run(console.db.data.db(),
               QStringLiteral("UPDATE webconfig SET ") + blank + QStringLiteral(" = ''"));
    QCOMPARE(console.mail->avisos().EnviarAviso(static_cast<MailKind>(kind), {QStringLiteral("x")}),
             quint64(0));
    QCOMPARE(console.mail->sender().runningCount(), 0);
}

void TestAvisos::failureShownUntilNextSuccess() {
    MailConsole console(2552); // nothing listens yet
    QSignalSpy changed(&console.mail->avisos(), &admin::Avisos::failureChanged);
    console.mail->avisos().EnviarAviso(MailKind::Inicio);
    QVERIFY(waitIdle(console.mail->sender()));
    QCOMPARE(changed.size(), 1);
    QVERIFY(console.mail->avisos().lastFailure(admin::MailServer::Logs).has_value());
    QVERIFY(!console.mail->avisos().lastFailure(admin::MailServer::Informes).has_value());
    auto* label = console.window.findChild<QLabel*>(QStringLiteral("mailFailure"));
    QVERIFY(label);
    QVERIFY(!label->isHidden());
    QVERIFY(label->text().contains(QStringLiteral("logs")));

    SmtpServer server(Host, 2552);
    QVERIFY(server.isReady());
    console.mail->avisos().EnviarAviso(MailKind::Inicio);
    QVERIFY(waitIdle(console.mail->sender()));
    QCOMPARE(changed.size(), 2);
    QVERIFY(!console.mail->avisos().lastFailure(admin::MailServer::Logs).has_value());
    QVERIFY(label->isHidden());
}

void TestAvisos::schedule() {
    SmtpServer server(Host, 2553);
    QVERIFY(server.isReady());
    MailConsole console(2553);
    console.mail->started(console.web);
    QCOMPARE(console.mail->avisos().schedule().interval(), 60 * 60000);
    console.web.frecuencia = 0;
    console.mail->started(console.web);
    QVERIFY(!console.mail->avisos().schedule().isActive());

    // Both scheduled mails, as two tasks.
    console.web.estado = true;
    console.web.informe = true;
    console.save();
    console.mail->avisos().onSchedule();
    QCOMPARE(console.mail->sender().runningCount(), 2);
    QVERIFY(server.waitForMessages(2));
    QStringList subjects;
    for (const QJsonObject& m : server.messages())
        subjects << m[QStringLiteral("subject")].toString();
    subjects.sort();
    QCOMPARE(subjects,
             QStringList({QStringLiteral("09:05:07 Informe de caja provisional. OPERADOR: ANA"),
                          QStringLiteral("09:05:07 Resumen del estado de los puestos. OPERADOR: ANA")}));
}

void TestAvisos::startAndChangeMails() {
    SmtpServer server(Host, 2554);
    QVERIFY(server.isReady());
    MailConsole console(2554);
    console.mail->started(console.web); // inicio false
    console.mail->operatorChanged();    // cambio false
    QVERIFY(waitIdle(console.mail->sender()));
    QVERIFY(server.messages().isEmpty());

    console.web.inicio = true;
    console.web.cambio = true;
    console.save();
    console.mail->started(console.web);
    console.context.currentOperator = QStringLiteral("LUIS");
    console.mail->operatorChanged();
    QVERIFY(server.waitForMessages(2));
    QStringList subjects;
    for (const QJsonObject& m : server.messages())
        subjects << m[QStringLiteral("subject")].toString();
    subjects.sort();
    QCOMPARE(subjects, QStringList({QStringLiteral("09:05:07 Cambio de operador. NUEVO OPERADOR: LUIS"),
                                    QStringLiteral("09:05:07 Inicio Quintor. OPERADOR: ANA")}));
}

void TestAvisos::shutdownWaits_data() {
    QTest::addColumn<bool>("fin");
    QTest::addColumn<bool>("silent");
    QTest::newRow("delivered") << true << false;
    QTest::newRow("silent server ends at the limit") << true << true;
    QTest::newRow("no closing mail") << false << false;
}

void TestAvisos::shutdownWaits() {
    QFETCH(bool, fin);
    QFETCH(bool, silent);
    ScriptedUi scripted;
    QTcpServer mute;
    QVERIFY(mute.listen(QHostAddress(Host), 2555));
    SmtpServer server(Host, 2556);
    QVERIFY(server.isReady());
    MailConsole console(silent ? 2555 : 2556);
    console.web.fin = fin;
    console.save();
    ConsoleLifecycle lifecycle(console.context, app::Paths(console.db.home.home()), console.window,
                               *console.engine);
    lifecycle.setMail(console.mail.get());

    bool progressShown = false;
    QTimer probe;
    connect(&probe, &QTimer::timeout, [&] {
        if (auto* p = console.window.findChild<QProgressDialog*>(QStringLiteral("mailProgress"));
            p && p->isVisible())
            progressShown = true;
    });
    probe.start(50);
    QElapsedTimer t;
    t.start();
    lifecycle.shutdown();
    QVERIFY(t.elapsed() < 1500 + 3000);
    QCOMPARE(console.mail->sender().runningCount(), 0);
    QCOMPARE(server.messages().size(), fin && !silent ? 1 : 0);
    // Seen at least while a silent server holds the closing mail.
    if (silent)
        QVERIFY(progressShown);
    QCOMPARE(console.mail->avisos().lastFailure(admin::MailServer::Logs).has_value(), silent);
    if (fin && !silent)
        QCOMPARE(server.messages().first()[QStringLiteral("subject")].toString(),
                 QStringLiteral("09:05:07 Se ha cerrado Quintor. OPERADOR: ANA"));
}

void TestAvisos::securityColumnsOnOldDatabases() {
    TestDatabase db;
    const QSqlDatabase& sql = db.data.db();
    const QStringList columns{QStringLiteral("smtpusuario"),   QStringLiteral("smtpclave"),
                              QStringLiteral("smtptls"),       QStringLiteral("usuarioinformes"),
                              QStringLiteral("claveinformes"), QStringLiteral("tlsinformes"),
                              QStringLiteral("smtpsincifrar"), QStringLiteral("sincifrarinformes")};
    for (const QString& c : columns)
        store::run(sql, QStringLiteral("ALTER TABLE webconfig DROP COLUMN ") + c);
    store::run(sql, QStringLiteral("UPDATE webconfig SET smtp = 'mail.cafe.test', to1 = 'sala@cafe.test'"));
    for (int pass = 0; pass < 2; ++pass)
        QVERIFY(store::applySchemaUpdates(sql));
    for (const QString& c : columns)
        QVERIFY2(store::hasColumn(sql, QStringLiteral("webconfig"), c), qPrintable(c));

    // Empty: a plain session, as before the columns existed.
    store::WebConfig web = store::readWebConfig(sql);
    QCOMPARE(web.smtp, QStringLiteral("mail.cafe.test"));
    const admin::MailSecurity plain = admin::logServer(web).security;
    QVERIFY(plain.user.isEmpty() && plain.password.isEmpty() && !plain.tls && !plain.plainAuthAllowed);

    web.smtpusuario = QStringLiteral("sala");
    web.smtpclave = QStringLiteral("uno");
    web.smtptls = true;
    web.sincifrarinformes = true;
    web.usuarioinformes = QStringLiteral("caja");
    web.claveinformes = QStringLiteral("dos");
    store::saveWebConfig(sql, web);
    web = store::readWebConfig(sql);
    const admin::MailSecurity logs = admin::logServer(web).security;
    const admin::MailSecurity informes = admin::reportServer(web).security;
    QCOMPARE(logs.user + logs.password, QStringLiteral("salauno"));
    QVERIFY(logs.tls);
    QCOMPARE(informes.user + informes.password, QStringLiteral("cajados"));
    QVERIFY(!informes.tls);
    QVERIFY(!logs.plainAuthAllowed && informes.plainAuthAllowed);
}

void TestAvisos::answeringNoSendsNothing() {
    ScriptedUi scripted;
    SmtpServer server(Host, 2557);
    QVERIFY(server.isReady());
    MailConsole console(2557);
    console.web.fin = true;
    console.save();
    ConsoleLifecycle lifecycle(console.context, app::Paths(console.db.home.home()), console.window,
                               *console.engine);
    lifecycle.setMail(console.mail.get());
    console.window.show();
    scripted.answerNext(ui::Answer::No);
    console.window.close();
    QCOMPARE(scripted.messages().size(), 1);
    QCOMPARE(console.mail->sender().runningCount(), 0);
    QTest::qWait(200);
    QVERIFY(server.messages().isEmpty());
}

void TestAvisos::thousandsOfTickets() {
    SmtpServer server(Host, 2558);
    QVERIFY(server.isReady());
    MailConsole console(2558);
    const QSqlDatabase& sql = console.db.data.db();
    {
        store::Transaction t(sql);
        for (int i = 0; i < 3000; ++i)
            addTicket(sql, QStringLiteral("%1").arg(i, 7, 10, QLatin1Char('0')), QDate(2026, 1, 15),
                      QTime(9, 0, 0).addSecs(i), 100 + i, QStringLiteral("ANA"));
        t.commit();
    }
    QVERIFY(console.mail->avisos().EnviarAviso(MailKind::CajaProvisional) != 0);
    QVERIFY(server.waitForMessages(1, 20000));
    const QString body = server.messages().first()[QStringLiteral("body")].toString();
    QCOMPARE(body.count(QStringLiteral("<TR bgcolor=#DCDCDC>")), 1500);
    QCOMPARE(body.count(QStringLiteral("<TR bgcolor=#CCCCCC>")), 1500);
    QVERIFY(body.endsWith(QStringLiteral("</TABLE>\r\n") + admin::firmaHTML()));
    QVERIFY(waitIdle(console.mail->sender()));
    QVERIFY(!console.mail->avisos().lastFailure(admin::MailServer::Logs).has_value());
}

QTEST_MAIN(TestAvisos)
#include "tst_avisos.moc"
