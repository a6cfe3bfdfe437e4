#include "admin/mailpages.h"
#include "admin/mailtask.h"
#include "app/frmmain.h"
#include "app/mailcontroller.h"
#include "core/consolecontext.h"
#include "session/engine.h"
#include "smtpserver.h"
#include "store/opciones.h"
#include "support/scriptedui.h"
#include "support/testdb.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

const QString Host = QStringLiteral("127.0.13.4");

struct Pages {
    Pages() {
        context.data = &db.data;
        context.regional = Regional::spanishSpain();
        context.currentOperator = QStringLiteral("ANA");
        engine = std::make_unique<ConsoleEngine>(context);
        mail = std::make_unique<MailController>(context, window, *engine);
        mail->sender().setTimeLimitMs(1500);
    }
    template <class Page> Page* page(int entry) { return page<Page>(entry, &window); }
    template <class Page> Page* page(int entry, QWidget* parent) {
        auto it = ui::opcionesPages().find(entry);
        if (it == ui::opcionesPages().end())
            return nullptr;
        return qobject_cast<Page*>(it->second(context, parent));
    }
    TestDatabase db;
    ConsoleContext context;
    TFrmMain window;
    std::unique_ptr<ConsoleEngine> engine;
    std::unique_ptr<MailController> mail;
};

void type(QWidget* page, const char* name, const QString& text) {
    page->findChild<QLineEdit*>(QLatin1String(name))->setText(text);
}

} // namespace

class TestMailPages : public QObject {
    Q_OBJECT
private slots:
    void schedulePageRoundTrip();
    void serverPagesRoundTrip_data();
    void serverPagesRoundTrip();
    void testButtonChecksInOrder_data();
    void testButtonChecksInOrder();
    void testButtonSendsWhatIsOnScreen();
    void testButtonWithPasswordInClear();
};

void TestMailPages::schedulePageRoundTrip() {
    Pages p;
    auto* page = p.page<admin::ProgramacionLogsPage>(11);
    QVERIFY(page);
    auto* frecuencia = page->findChild<QComboBox*>(QStringLiteral("frecuencia"));
    QStringList items;
    for (int i = 0; i < frecuencia->count(); ++i)
        items << frecuencia->itemText(i);
    QCOMPARE(items.join(QLatin1Char(',')), QStringLiteral("5,10,20,30,45,60,90,120,180,240,300,360"));

    store::WebConfig web = store::readWebConfig(p.db.data.db());
    web.frecuencia = 90;
    web.estado = true;
    web.fin = true;
    page->load({}, web);
    QCOMPARE(frecuencia->currentText(), QStringLiteral("90"));
    QSignalSpy edited(page, &ui::OpcionesPage::edited);
    frecuencia->setCurrentIndex(frecuencia->findText(QStringLiteral("360")));
    page->findChildren<QCheckBox*>().at(4)->setChecked(false); // "Cierre de Quintor"
    QVERIFY(edited.size() >= 2);
    store::Opciones opciones;
    store::WebConfig saved;
    page->save(opciones, saved);
    QCOMPARE(saved.frecuencia, 360);
    QVERIFY(saved.estado && !saved.informe && !saved.inicio && !saved.cambio && !saved.fin);

    // A stored period off the list survives the page untouched.
    web.frecuencia = 7;
    page->load({}, web);
    page->save(opciones, saved);
    QCOMPARE(saved.frecuencia, 7);
}

void TestMailPages::serverPagesRoundTrip_data() {
    QTest::addColumn<int>("entry");
    QTest::newRow("logs") << 12;
    QTest::newRow("cash report") << 13;
}

void TestMailPages::serverPagesRoundTrip() {
    QFETCH(int, entry);
    Pages p;
    auto* page = p.page<admin::ServidorCorreoPage>(entry);
    QVERIFY(page);
    store::WebConfig web;
    web.to1 = QStringLiteral("sala@cafe.test");
    web.toinformes = QStringLiteral("caja@cafe.test");
    web.smtptls = true;
    web.sincifrarinformes = true;
    page->load({}, web);
    auto* sinCifrar = page->findChild<QCheckBox*>(QStringLiteral("sinCifrar"));
    QCOMPARE(sinCifrar->isChecked(), entry == 13);
    sinCifrar->setChecked(entry == 12);
    type(page, "cc", QStringLiteral("dueno@cafe.test"));
    type(page, "de", QStringLiteral("Núñez"));
    type(page, "smtp", QStringLiteral("mail.cafe.test"));
    type(page, "puerto", QStringLiteral("587"));
    type(page, "usuario", QStringLiteral("u"));
    type(page, "clave", QStringLiteral("c"));
    store::Opciones opciones;
    store::WebConfig saved;
    page->save(opciones, saved);
    const admin::MailServerSettings s = entry == 12 ? admin::logServer(saved) : admin::reportServer(saved);
    QCOMPARE(s.to, entry == 12 ? QStringLiteral("sala@cafe.test") : QStringLiteral("caja@cafe.test"));
    QCOMPARE(s.cc, QStringLiteral("dueno@cafe.test"));
    QCOMPARE(s.de, QStringLiteral("Núñez"));
    QCOMPARE(s.smtp + s.port, QStringLiteral("mail.cafe.test587"));
    QCOMPARE(s.security.user + s.security.password, QStringLiteral("uc"));
    QCOMPARE(s.security.tls, entry == 12);
    QCOMPARE(s.security.plainAuthAllowed, entry == 12);
    // The other server's columns are left alone.
    const admin::MailServerSettings other =
        entry == 12 ? admin::reportServer(saved) : admin::logServer(saved);
    QVERIFY(other.smtp.isEmpty() && other.de.isEmpty() && !other.security.plainAuthAllowed);
}

void TestMailPages::testButtonChecksInOrder_data() {
    QTest::addColumn<QString>("de");
    QTest::addColumn<QString>("para");
    QTest::addColumn<QString>("smtp");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::newRow("De only blanks") << "   "
                                    << ""
                                    << ""
                                    << ""
                                    << "El campo De: no puede quedar en blanco"
                                    << "de";
    QTest::newRow("Para") << "Caja"
                          << ""
                          << ""
                          << ""
                          << "El campo Para: no puede quedar en blanco"
                          << "para";
    QTest::newRow("server") << "Caja"
                            << "a@b"
                            << " "
                            << "25"
                            << "El campo Servidor SMTP: no puede quedar en blanco"
                            << "smtp";
    QTest::newRow("port") << "Caja"
                          << "a@b"
                          << "mail"
                          << ""
                          << "El campo Puerto: no puede quedar en blanco"
                          << "puerto";
}

void TestMailPages::testButtonChecksInOrder() {
    QFETCH(QString, de);
    QFETCH(QString, para);
    QFETCH(QString, smtp);
    QFETCH(QString, port);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    ScriptedUi scripted;
    Pages p;
    std::unique_ptr<admin::ServidorCorreoPage> page(p.page<admin::ServidorCorreoPage>(12, nullptr));
    page->show();
    QApplication::setActiveWindow(page.get());
    QVERIFY(QTest::qWaitForWindowActive(page.get()));
    type(page.get(), "de", de);
    type(page.get(), "para", para);
    type(page.get(), "smtp", smtp);
    type(page.get(), "puerto", port);
    page->findChild<QPushButton*>(QStringLiteral("envioPrueba"))->click();
    QCOMPARE(scripted.messages().size(), 1);
    QCOMPARE(scripted.messages().first().caption, QStringLiteral("Atención"));
    QCOMPARE(scripted.messages().first().text, message);
    QCOMPARE(scripted.messages().first().icon, ui::Icon::Warning);
    QCOMPARE(QApplication::focusWidget(), page->findChild<QLineEdit*>(focus));
    QCOMPARE(p.mail->sender().runningCount(), 0);
}

void TestMailPages::testButtonSendsWhatIsOnScreen() {
    ScriptedUi scripted;
    SmtpServer server(Host, 2560);
    QVERIFY(server.isReady());
    Pages p;
    auto* page = p.page<admin::ServidorCorreoPage>(13);
    page->load({}, store::readWebConfig(p.db.data.db())); // nothing saved
    type(page, "de", QStringLiteral(" Caja "));
    type(page, "para", QStringLiteral("caja@cafe.test"));
    type(page, "smtp", Host);
    type(page, "puerto", QStringLiteral("2561")); // nobody there
    auto* button = page->findChild<QPushButton*>(QStringLiteral("envioPrueba"));
    auto* failure = page->findChild<QLabel*>(QStringLiteral("ultimoFallo"));
    button->click();
    QTRY_VERIFY_WITH_TIMEOUT(!failure->isHidden(), 5000);
    QVERIFY(failure->text().startsWith(QStringLiteral("Último envío fallido")));

    type(page, "puerto", QStringLiteral("2560"));
    button->click();
    QVERIFY(server.waitForMessages(1));
    QTRY_VERIFY_WITH_TIMEOUT(failure->isHidden(), 5000);
    const QJsonObject got = server.messages().first();
    QVERIFY(got[QStringLiteral("subject")].toString().endsWith(
        QStringLiteral(" Envio  de prueba. OPERADOR: ANA")));
    QCOMPARE(got[QStringLiteral("from")].toString(), QStringLiteral("Caja <caja@cafe.test>"));
    QCOMPARE(got[QStringLiteral("body")].toString(), admin::firmaHTML());
    QVERIFY(scripted.messages().isEmpty());
}

void TestMailPages::testButtonWithPasswordInClear() {
    ScriptedUi scripted;
    SmtpServer::Options options;
    options.auth = QStringLiteral("sala:uno");
    SmtpServer server(Host, 2562, options);
    QVERIFY(server.isReady());
    Pages p;
    auto* page = p.page<admin::ServidorCorreoPage>(12);
    page->load({}, store::readWebConfig(p.db.data.db()));
    auto* sinCifrar = page->findChild<QCheckBox*>(QStringLiteral("sinCifrar"));
    QVERIFY(!sinCifrar->isChecked());
    type(page, "de", QStringLiteral("Sala"));
    type(page, "para", QStringLiteral("sala@cafe.test"));
    type(page, "smtp", Host);
    type(page, "puerto", QStringLiteral("2562"));
    type(page, "usuario", QStringLiteral("sala"));
    type(page, "clave", QStringLiteral("uno"));
    auto* button = page->findChild<QPushButton*>(QStringLiteral("envioPrueba"));
    auto* failure = page->findChild<QLabel*>(QStringLiteral("ultimoFallo"));
    button->click();
    QTRY_VERIFY_WITH_TIMEOUT(!failure->isHidden(), 5000);
    QVERIFY2(failure->text().contains(QStringLiteral("Permitir autenticación sin cifrar")),
             qPrintable(failure->text()));
    QCOMPARE(server.authCommands(), 0);

    sinCifrar->setChecked(true);
    button->click();
    QVERIFY(server.waitForMessages(1));
    QTRY_VERIFY_WITH_TIMEOUT(failure->isHidden(), 5000);
    QCOMPARE(server.messages().first()[QStringLiteral("login")].toString(), QStringLiteral("sala"));
}

QTEST_MAIN(TestMailPages)
#include "tst_mailpages.moc"
