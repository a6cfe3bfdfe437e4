// The start-up assistant's pages, driven offscreen as an owner would.
#include "admin/frmasistente.h"
#include "core/clock.h"
#include "sales/rawprinter.h"
#include "sales/ticketlayouts.h"
#include "sales/ticketprinter.h"
#include "sim/simulator.h"
#include "station/stationaddress.h"
#include "store/claves.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "support/loopback.h"
#include "support/scriptedui.h"
#include "support/testdb.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTcpServer>
#include <QTest>
#include <QTextBrowser>

namespace {

class FakePrinter final : public sales::RawPrinter {
public:
    QList<QByteArray> jobs;
    QStringList names;
    QStringList printers() override { return {QStringLiteral("TM-T20")}; }
    Outcome print(const QString& printer, const QByteArray& data, const QString&) override {
        jobs << data;
        names << printer;
        return {};
    }
};

QHostAddress base(int program) {
    return loopbackBase(quint32(program));
}

// The assistant on an installed console's first database.
struct Assistant {
    // rooms: stations already in the database (the assistant again from the menu).
    explicit Assistant(sales::TicketPrinter* printer = nullptr, int rooms = 0)
        : logic(db.db(), Regional::spanishSpain())
        , wizard(logic, proposal(rooms), Regional::spanishSpain(), SystemClock::instance(), printer) {
        wizard.show();
    }
    admin::PlanPuestaEnMarcha proposal(int rooms) {
        for (int n = 1; n <= rooms; ++n)
            store::run(db.db(), QStringLiteral("INSERT INTO puestos (npuesto, ip) VALUES (?, ?)"),
                       {n, QStringLiteral("127.0.9.%1").arg(n)});
        return logic.propuesta();
    }
    template <class T> T* field(const char* name) { return wizard.findChild<T*>(QLatin1String(name)); }
    QLineEdit* edit(const char* name) { return field<QLineEdit>(name); }
    QTableWidget* table() { return field<QTableWidget>("tabla"); }
    QString focused() const { return wizard.focusWidget() ? wizard.focusWidget()->objectName() : QString(); }
    void type(const char* name, const QString& text) {
        QLineEdit* e = edit(name);
        e->selectAll();
        QTest::keyClicks(e, text);
    }
    void passwords(const QString& a, const QString& b) {
        edit("adminClave")->setText(a);
        edit("adminConfirmacion")->setText(b);
    }
    void press(QWizard::WizardButton which) { wizard.button(which)->click(); }
    // Station rows from the first address, so nothing outside loopback is named.
    void loopbackRoom(const QHostAddress& first, int count) {
        field<QSpinBox>("cantidad")->setValue(count);
        type("primera", first.toString());
    }
    QString snapshot() const {
        QStringList out;
        for (const char* sql : {"SELECT NOMBRE || PASS FROM operadores", "SELECT npuesto || ip FROM puestos",
                                "SELECT NOM FROM tarifas", "SELECT valor FROM tasas",
                                "SELECT TEXTO_TICK || impresoratick || redondeo FROM opciones",
                                "SELECT terminado FROM asistente"}) {
            QSqlQuery q = store::run(db.db(), QLatin1String(sql));
            while (q.next())
                out << q.value(0).toString();
        }
        return out.join(QLatin1Char('|'));
    }
    ScriptedUi ui;
    FirstStartDatabase db;
    admin::PuestaEnMarcha logic;
    TFrmAsistente wizard;
};

} // namespace

class TestFrmAsistente : public QObject {
    Q_OBJECT
private slots:
    void enterWalksThePages();
    void adminPasswordIsRequired();
    void stationRows();
    void probarShowsWhoAnswers();
    void printTestUsesTheChosenPrinter();
    void finishWritesEverything();
    void againEnterAddsNoStations();
    void skippedPagesAreLeftOut();
    void cancelWritesNothing_data();
    void cancelWritesNothing();
    void english();
};

void TestFrmAsistente::enterWalksThePages() {
    Assistant a;
    QCOMPARE(a.wizard.currentId(), int(TFrmAsistente::PageAdmin));
    QCOMPARE(a.focused(), QStringLiteral("adminClave"));
    QVERIFY(!a.wizard.button(QWizard::CustomButton1)->isVisible());
    a.passwords(QStringLiteral("secreto"), QStringLiteral("secreto"));
    // The defaults of a Spanish café carry through every page on Enter alone.
    const char* firsts[] = {"cantidad", "tarifa", "iva", "impresora", "conCajero", "resumen"};
    for (int page = TFrmAsistente::PagePuestos; page <= TFrmAsistente::PageResumen; ++page) {
        QTest::keyClick(a.wizard.focusWidget(), Qt::Key_Return);
        QVERIFY2(a.ui.messages().isEmpty(), qPrintable(a.ui.messageTexts().join(u'\n')));
        QCOMPARE(a.wizard.currentId(), page);
        QCOMPARE(a.focused(), QLatin1String(firsts[page - 1]));
        QVERIFY(a.wizard.button(QWizard::CustomButton1)->isVisible() == (page != TFrmAsistente::PageResumen));
    }
    QCOMPARE(a.field<QLineEdit>("ejemplo")->text(), QStringLiteral("TOTAL                      1,50 €"));
    QCOMPARE(a.field<QComboBox>("impresora")->currentText(), QStringLiteral("Sin impresora"));
    const QString summary = a.field<QTextBrowser>("resumen")->toPlainText();
    QVERIFY(summary.contains(QStringLiteral("10 puestos: del 1 (192.168.1.101) al 10 (192.168.1.110)")));
    QVERIFY(
        summary.contains(QStringLiteral("Tarifa «NORMAL»: 1,50 € la hora, mínimo 0,50 €, redondeo 0,05 €")));
    QVERIFY(summary.contains(QStringLiteral("IVA general: 21 %")));
    QVERIFY(summary.contains(QStringLiteral("Cajero: ninguno")));
}

void TestFrmAsistente::adminPasswordIsRequired() {
    Assistant a;
    a.press(QWizard::NextButton);
    QCOMPARE(a.ui.messageTexts(), QStringList{QStringLiteral("ADMIN necesita una contraseña.")});
    a.passwords(QStringLiteral("secreto"), QStringLiteral("secretO"));
    a.edit("cabecera0")->setFocus();
    a.press(QWizard::NextButton);
    QCOMPARE(a.ui.messageTexts().last(), QStringLiteral("La confirmación de contraseña no es correcta"));
    QCOMPARE(a.wizard.currentId(), int(TFrmAsistente::PageAdmin));
    QCOMPARE(a.focused(), QStringLiteral("adminClave"));
}

void TestFrmAsistente::stationRows() {
    Assistant a;
    a.passwords(QStringLiteral("secreto"), QStringLiteral("secreto"));
    a.press(QWizard::NextButton);
    QTableWidget* t = a.table();
    QCOMPARE(t->rowCount(), 10);
    // Typed one key at a time: half an address leaves the table alone.
    a.loopbackRoom(QHostAddress(QStringLiteral("127.0.9.253")), 3);
    QCOMPARE(t->rowCount(), 3);
    QCOMPARE(t->item(2, 0)->text(), QStringLiteral("3"));
    QCOMPARE(t->item(2, 1)->text(), QStringLiteral("127.0.10.1"));
    // A row edited into its neighbour's address.
    t->item(2, 1)->setText(QStringLiteral("127.0.9.254"));
    a.press(QWizard::NextButton);
    QCOMPARE(a.ui.messageTexts().last(), QStringLiteral("Fila 3: Dirección IP duplicada"));
    QCOMPARE(a.wizard.currentId(), int(TFrmAsistente::PagePuestos));
    QCOMPARE(t->currentRow(), 2);
    QCOMPARE(t->currentColumn(), 1);
    t->item(2, 1)->setText(QStringLiteral("127.0.9.300"));
    a.press(QWizard::NextButton);
    QCOMPARE(a.ui.messageTexts().last(), QStringLiteral("Fila 3: Rango de IP no válido"));
    QCOMPARE(a.ui.messages().last().icon, ui::Icon::Error);
}

void TestFrmAsistente::probarShowsWhoAnswers() {
    const quint16 port = freePort(base(62));
    QVERIFY(port != 0);
    velkarsim::Simulator sim;
    sim.setPort(port);
    sim.addStations(base(62), 1, 1);
    QString error;
    QVERIFY2(sim.start(&error), qPrintable(error));

    Assistant a;
    a.wizard.sonda().setPort(port);
    a.passwords(QStringLiteral("secreto"), QStringLiteral("secreto"));
    a.press(QWizard::NextButton);
    a.loopbackRoom(base(62), 2);
    a.field<QPushButton>("probar")->click();
    QVERIFY(!a.field<QPushButton>("probar")->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(a.field<QLabel>("probarEstado")->text(),
                              QStringLiteral("Responden 1 de 2 puestos."), 5000);
    QCOMPARE(a.table()->item(0, 2)->text(), QStringLiteral("Sí"));
    QCOMPARE(a.table()->item(1, 2)->text(), QStringLiteral("No"));
    QVERIFY(a.field<QPushButton>("probar")->isEnabled());
}

void TestFrmAsistente::printTestUsesTheChosenPrinter() {
    auto raw = std::make_unique<FakePrinter>();
    FakePrinter* fake = raw.get();
    sales::TicketPrinter printer(std::move(raw));
    Assistant a(&printer);
    a.passwords(QStringLiteral("secreto"), QStringLiteral("secreto"));
    a.edit("cabecera0")->setText(QStringLiteral("Ciber Luna"));
    for (int i = 0; i < 4; ++i)
        a.press(QWizard::NextButton);
    QCOMPARE(a.wizard.currentId(), int(TFrmAsistente::PageImpresora));
    auto* combo = a.field<QComboBox>("impresora");
    auto* prueba = a.field<QPushButton>("prueba");
    QCOMPARE(combo->count(), 2);
    QVERIFY(!prueba->isEnabled());
    combo->setCurrentIndex(1);
    prueba->click();
    QTRY_COMPARE(a.field<QLabel>("pruebaEstado")->text(), QStringLiteral("Impresa."));
    QCOMPARE(fake->names, QStringList{QStringLiteral("TM-T20")});
    const QByteArray job = fake->jobs.value(0);
    // The header typed a moment ago, not yet saved, and the ticket's own end.
    QVERIFY(job.startsWith("Ciber Luna\n"));
    QVERIFY(job.contains("PRUEBA DE IMPRESORA"));
    QVERIFY(job.endsWith(sales::endOfTicket()));
    // Nothing reached the database.
    QCOMPARE(store::readOpciones(a.db.db()).impresoratick, QStringLiteral("NoPrinter"));
}

void TestFrmAsistente::finishWritesEverything() {
    Assistant a;
    a.passwords(QStringLiteral("secreto"), QStringLiteral("secreto"));
    a.edit("cabecera1")->setText(QStringLiteral("C/ Mayor 1"));
    a.press(QWizard::NextButton);
    a.loopbackRoom(base(63), 2);
    a.press(QWizard::NextButton);
    a.edit("costeHora")->setText(QStringLiteral("2"));
    a.press(QWizard::NextButton);
    a.press(QWizard::NextButton);
    a.press(QWizard::NextButton);
    a.field<QCheckBox>("conCajero")->setChecked(true);
    a.edit("cajeroClave")->setText(QStringLiteral("1234"));
    a.edit("cajeroConfirmacion")->setText(QStringLiteral("1234"));
    a.press(QWizard::NextButton);
    QCOMPARE(a.wizard.currentId(), int(TFrmAsistente::PageResumen));
    QVERIFY(a.field<QTextBrowser>("resumen")->toPlainText().contains(QStringLiteral("Cajero: CAJA")));
    QVERIFY(a.ui.messages().isEmpty());
    a.press(QWizard::FinishButton);
    QCOMPARE(a.wizard.result(), int(QDialog::Accepted));
    QCOMPARE(a.wizard.escrita().puestos, (std::vector<int>{1, 2}));

    const QSqlDatabase db = a.db.db();
    QVERIFY(
        store::claveCorrecta(store::toText(store::scalar(
                                 db, QStringLiteral("SELECT PASS FROM operadores WHERE NOMBRE = 'ADMIN'"))),
                             QStringLiteral("secreto")));
    QCOMPARE(store::toText(store::scalar(db, QStringLiteral("SELECT ip FROM puestos WHERE npuesto = 2"))),
             station::loopbackStationAddress(base(63), 1).toString());
    QCOMPARE(store::toCurrency(store::scalar(db, QStringLiteral("SELECT COS_HORA FROM tarifas"))),
             Currency::fromCents(200));
    QCOMPARE(store::readOpciones(db).TEXTO_TICK, QStringLiteral("CIBERCAFÉ\r\nC/ Mayor 1"));
    QVERIFY(store::operadorPorNombre(db, QStringLiteral("CAJA")));
    QVERIFY(!admin::asistentePendiente(db));
}

void TestFrmAsistente::againEnterAddsNoStations() {
    Assistant a(nullptr, 2);
    a.passwords(QStringLiteral("secreto"), QStringLiteral("secreto"));
    QTest::keyClick(a.wizard.focusWidget(), Qt::Key_Return);
    QCOMPARE(a.wizard.currentId(), int(TFrmAsistente::PagePuestos));
    QCOMPARE(a.field<QSpinBox>("cantidad")->value(), 0);
    QCOMPARE(a.table()->rowCount(), 0);
    // One more asked for: the next number and address after the room's.
    a.field<QSpinBox>("cantidad")->setValue(1);
    QCOMPARE(a.table()->item(0, 0)->text(), QStringLiteral("3"));
    QCOMPARE(a.table()->item(0, 1)->text(), QStringLiteral("127.0.9.3"));
    a.field<QSpinBox>("cantidad")->setValue(0);
    while (a.wizard.currentId() != int(TFrmAsistente::PageResumen))
        QTest::keyClick(a.wizard.focusWidget(), Qt::Key_Return);
    a.press(QWizard::FinishButton);
    QCOMPARE(a.wizard.result(), int(QDialog::Accepted));
    // The room as it was: Enter added nobody.
    QSqlQuery rooms = store::run(a.db.db(), QStringLiteral("SELECT COUNT(*) FROM puestos"));
    QVERIFY(rooms.next());
    QCOMPARE(rooms.value(0).toInt(), 2);
}

void TestFrmAsistente::skippedPagesAreLeftOut() {
    Assistant a;
    a.passwords(QStringLiteral("secreto"), QStringLiteral("secreto"));
    a.press(QWizard::NextButton);
    // Left out even with a table the checks would refuse.
    a.table()->item(0, 1)->setText(QStringLiteral("no es una dirección"));
    for (int page = TFrmAsistente::PagePuestos; page <= TFrmAsistente::PageCajero; ++page)
        a.press(QWizard::CustomButton1);
    QCOMPARE(a.wizard.currentId(), int(TFrmAsistente::PageResumen));
    QVERIFY(a.ui.messages().isEmpty());
    const QString summary = a.field<QTextBrowser>("resumen")->toPlainText();
    QVERIFY(summary.contains(QStringLiteral("Puestos: se deja como está")));
    QVERIFY(summary.contains(QStringLiteral("Tarifa: se deja como está")));
    // Back to the tariff page and on with Next: that page counts again.
    a.press(QWizard::BackButton);
    a.press(QWizard::BackButton);
    a.press(QWizard::BackButton);
    a.press(QWizard::BackButton);
    QCOMPARE(a.wizard.currentId(), int(TFrmAsistente::PageTarifa));
    a.press(QWizard::NextButton);
    QVERIFY(!a.wizard.skipped(TFrmAsistente::PageTarifa));
    QVERIFY(a.wizard.skipped(TFrmAsistente::PagePuestos));
    for (int i = 0; i < 3; ++i)
        a.press(QWizard::NextButton);
    a.press(QWizard::FinishButton);
    QCOMPARE(a.wizard.result(), int(QDialog::Accepted));
    const QSqlDatabase db = a.db.db();
    QCOMPARE(store::toInt(store::scalar(db, QStringLiteral("SELECT COUNT(*) FROM puestos"))), 0);
    QCOMPARE(store::toInt(store::scalar(db, QStringLiteral("SELECT COUNT(*) FROM tarifas"))), 1);
}

void TestFrmAsistente::cancelWritesNothing_data() {
    QTest::addColumn<bool>("consolesOwn");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("questions");
    QTest::newRow("ADMIN without a password: asked first") << true << "" << 1;
    QTest::newRow("ADMIN with a password: just closes") << true << "viejo" << 0;
    QTest::newRow("a --new-database's open ADMIN: just closes") << false << "" << 0;
}

void TestFrmAsistente::cancelWritesNothing() {
    QFETCH(bool, consolesOwn);
    QFETCH(QString, stored);
    QFETCH(int, questions);
    FirstStartDatabase first;
    TestDatabase other;
    const QSqlDatabase db = consolesOwn ? first.db() : other.data.db();
    store::run(db, QStringLiteral("UPDATE operadores SET PASS = ?"), {stored});
    ScriptedUi ui;
    admin::PuestaEnMarcha logic(db, Regional::spanishSpain());
    TFrmAsistente wizard(logic, logic.propuesta(), Regional::spanishSpain(), SystemClock::instance(),
                         nullptr);
    wizard.show();
    wizard.findChild<QLineEdit*>(QStringLiteral("adminClave"))->setText(QStringLiteral("nueva"));
    wizard.findChild<QLineEdit*>(QStringLiteral("adminConfirmacion"))->setText(QStringLiteral("nueva"));
    wizard.next();
    wizard.next();
    QCOMPARE(wizard.currentId(), int(TFrmAsistente::PageTarifa));
    if (questions > 0) {
        // "No": back to the assistant.
        QTest::keyClick(&wizard, Qt::Key_Escape);
        QCOMPARE(ui.messages().size(), 1);
        QCOMPARE(ui.messages().first().buttons, ui::Buttons::YesNo);
        QVERIFY(wizard.isVisible());
        ui.answerNext(ui::Answer::Yes);
    }
    QTest::keyClick(&wizard, Qt::Key_Escape);
    QVERIFY(!wizard.isVisible());
    QCOMPARE(wizard.result(), int(QDialog::Rejected));
    QCOMPARE(ui.messages().size(), questions * 2);
    QCOMPARE(wizard.cancelledWithoutPassword(), questions > 0);
    QCOMPARE(store::toText(store::scalar(db, QStringLiteral("SELECT PASS FROM operadores"))), stored);
    QCOMPARE(store::toInt(store::scalar(db, QStringLiteral("SELECT COUNT(*) FROM puestos"))), 0);
    QCOMPARE(admin::asistentePendiente(db), consolesOwn);
}

void TestFrmAsistente::english() {
    ui::setLanguage(ui::Language::English);
    {
        Assistant a;
        QCOMPARE(a.wizard.windowTitle(), QStringLiteral("[ Start-up assistant ]"));
        QCOMPARE(a.wizard.page(TFrmAsistente::PageAdmin)->title(),
                 QStringLiteral("ADMIN's password and the tickets"));
        QCOMPARE(a.wizard.buttonText(QWizard::NextButton), QStringLiteral("&Next >"));
        a.press(QWizard::NextButton);
        QCOMPARE(a.ui.messageTexts(), QStringList{QStringLiteral("ADMIN needs a password.")});
    }
    ui::setLanguage(ui::Language::Spanish);
}

QTEST_MAIN(TestFrmAsistente)
#include "tst_frmasistente.moc"
