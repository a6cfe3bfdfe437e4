#include "admin/frmopciones.h"
#include "admin/opcionesrules.h"
#include "core/consolecontext.h"
#include "store/bloqueos.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "support/scriptedui.h"
#include "support/testengine.h"
#include "ui/opcionespage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

namespace {

// The options window on the demo, opened by an operator.
struct Options {
    explicit Options(const QString& op = QStringLiteral("ADMIN"), const QString& sql = QString()) {
        for (const QString& statement : sql.split(QLatin1Char(';'), Qt::SkipEmptyParts))
            store::run(db(), statement);
        engine.context.currentOperator = op;
        window = std::make_unique<Tfrmopciones>(engine.context, engine.engine->tarifas());
        if (!window->begin())
            qFatal("options window did not open");
    }
    template <class W> W* get(const char* name) { return window->findChild<W*>(QString::fromLatin1(name)); }
    QSqlDatabase db() { return engine.db.data.db(); }
    store::Opciones row() { return store::readOpciones(db()); }

    ScriptedUi ui;
    TestEngine engine;
    std::unique_ptr<Tfrmopciones> window;
};

// A page of another subsystem, as it registers itself.
class RecordingPage : public ui::OpcionesPage {
public:
    using OpcionesPage::OpcionesPage;
    static inline int loads = 0;
    static inline bool pass = true;
    void load(const store::Opciones&, const store::WebConfig& web) override {
        ++loads;
        frecuencia = web.frecuencia;
    }
    bool check() override { return pass; }
    void save(store::Opciones&, store::WebConfig& web) const override { web.frecuencia = 15; }
    int frecuencia = 0;
};

} // namespace

class TestOpciones : public QObject {
    Q_OBJECT
private slots:
    void ticketNumber_data();
    void ticketNumber();
    void changesListOnlyWhatChangedAndHidePasswords_data();
    void changesListOnlyWhatChangedAndHidePasswords();
    void ticketIssuedWhileOpen();
    void amountsAndRuntime_data();
    void amountsAndRuntime();
    void roundingZeroSavesNothing();
    void takeoverDelay_data();
    void takeoverDelay();
    void oneBandGreysTheBandLists();
    void variableBandRefusesAutomaticChange();
    void blankMarkersRoundTrip();
    void creditModeEntries();
    void pagesFollowPermissions();
    void anyKeyEnablesApply();
    void registeredPagesAndNotices();
    void noPrinterWhenNoneChosen();
    void emptyFixedPasswordRefused();
    void closingTicketChoice_data();
    void closingTicketChoice();
    void openingPageVisibility_data();
    void openingPageVisibility();
    void lockoutLimits_data();
    void lockoutLimits();
};

void TestOpciones::ticketNumber_data() {
    QTest::addColumn<int>("typed");
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("message");
    // The audit line of the apply: a window applied as it opened changes nothing.
    QTest::addColumn<QString>("trail");
    QTest::newRow("20 stores 19") << 20 << 19 << QString() << QStringLiteral("NUM_TICK: 10 -> 19");
    QTest::newRow("11 unchanged") << 11 << 10 << QString() << QString();
    QTest::newRow("10 unchanged") << 10 << 10 << QString() << QString();
    QTest::newRow("9 refused") << 9 << 10
                               << QStringLiteral(
                                      "Próximo Número de ticket incorrecto. Debe ser mayor que el actual.")
                               << QString();
}

void TestOpciones::ticketNumber() {
    QFETCH(int, typed);
    QFETCH(int, stored);
    QFETCH(QString, message);
    QFETCH(QString, trail);
    // No default interval: the demo's default tariff has none to choose.
    Options o(QStringLiteral("ADMIN"), QStringLiteral("UPDATE opciones SET NUM_TICK = 10, op4_4 = 0"));
    QCOMPARE(o.get<QLineEdit>("lastTicket")->text(), QStringLiteral("10"));
    QCOMPARE(o.get<QSpinBox>("nextTicket")->value(), 11);
    o.get<QSpinBox>("nextTicket")->setValue(typed);
    QCOMPARE(o.window->AplicarOpciones(), message.isEmpty());
    QCOMPARE(o.row().NUM_TICK, stored);
    if (!message.isEmpty()) {
        QCOMPARE(o.ui.messageTexts(), QStringList{message});
        QCOMPARE(o.window->currentEntry(), int(admin::EntryGenerales));
    } else {
        QCOMPARE(o.get<QSpinBox>("nextTicket")->value(), stored + 1);
    }
    QStringList lines;
    QSqlQuery q = store::run(o.db(), QStringLiteral("SELECT OPERADOR, ACCION, DESPUES FROM auditoria"));
    while (q.next()) {
        QCOMPARE(store::toText(q.value(0)), QStringLiteral("ADMIN"));
        QCOMPARE(store::toText(q.value(1)), QStringLiteral("Opciones"));
        lines << store::toText(q.value(2));
    }
    QCOMPARE(lines, trail.isEmpty() ? QStringList() : QStringList{trail});
}

void TestOpciones::changesListOnlyWhatChangedAndHidePasswords_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("line");
    QTest::newRow("a text") << QStringLiteral("TEXTO_TICK") << QStringLiteral("Bienvenido")
                            << QStringLiteral("Hola") << QStringLiteral("TEXTO_TICK: Bienvenido -> Hola");
    QTest::newRow("a mail password changed")
        << QStringLiteral("smtpclave") << QStringLiteral("secreta1") << QStringLiteral("secreta2")
        << QStringLiteral("smtpclave: **** -> **** (otra)");
    QTest::newRow("a mail password set")
        << QStringLiteral("claveinformes") << QStringLiteral("") << QStringLiteral("secreta2")
        << QStringLiteral("claveinformes: (vacía) -> ****");
    QTest::newRow("a mail password cleared")
        << QStringLiteral("smtpclave") << QStringLiteral("secreta1") << QStringLiteral("")
        << QStringLiteral("smtpclave: **** -> (vacía)");
    QTest::newRow("a mail password kept") << QStringLiteral("smtpclave") << QStringLiteral("secreta1")
                                          << QStringLiteral("secreta1") << QStringLiteral("");
    QTest::newRow("an initial password changed")
        << QStringLiteral("pass_ini") << QStringLiteral("secreta1") << QStringLiteral("secreta2")
        << QStringLiteral("pass_ini: **** -> **** (otra)");
    // The options store a run of blanks for an empty password.
    QTest::newRow("blanks for nothing") << QStringLiteral("pass_ini2") << QStringLiteral("         ")
                                        << QStringLiteral("") << QStringLiteral("");
}

void TestOpciones::changesListOnlyWhatChangedAndHidePasswords() {
    QFETCH(QString, field);
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QString, line);
    store::Opciones o;
    o.ping = 3;
    o.redondeo = Currency::fromCents(5);
    store::WebConfig w;
    w.smtp = QStringLiteral("smtp.example.com");
    store::Opciones o2 = o;
    store::WebConfig w2 = w;
    const auto set = [&field](store::Opciones& opts, store::WebConfig& web, const QString& value) {
        if (field == QLatin1String("TEXTO_TICK"))
            opts.TEXTO_TICK = value;
        else if (field == QLatin1String("pass_ini"))
            opts.pass_ini = value;
        else if (field == QLatin1String("pass_ini2"))
            opts.pass_ini2 = value;
        else if (field == QLatin1String("smtpclave"))
            web.smtpclave = value;
        else
            web.claveinformes = value;
    };
    set(o, w, before);
    set(o2, w2, after);
    // A change beside it is listed too, and nothing else.
    o2.ping = 4;
    const QString changes = admin::diferenciasOpciones(o, w, o2, w2);
    QStringList expected{QStringLiteral("ping: 3 -> 4")};
    if (!line.isEmpty())
        expected << line;
    QStringList listed = changes.split(QLatin1Char('\n'));
    listed.sort();
    expected.sort();
    QCOMPARE(listed, expected);
    for (const QString& secret : {QStringLiteral("secreta1"), QStringLiteral("secreta2")})
        if (field != QLatin1String("TEXTO_TICK"))
            QVERIFY(!changes.contains(secret));
}

void TestOpciones::ticketIssuedWhileOpen() {
    // The clock keeps issuing tickets behind the modal window.
    Options o(QStringLiteral("ADMIN"), QStringLiteral("UPDATE opciones SET NUM_TICK = 10"));
    store::run(o.db(), QStringLiteral("UPDATE opciones SET NUM_TICK = 14"));
    o.get<QLineEdit>("alarmacredito")->setText(QStringLiteral("3"));
    QVERIFY(o.window->AplicarOpciones());
    QCOMPARE(o.row().NUM_TICK, 14);
    QCOMPARE(o.get<QSpinBox>("nextTicket")->value(), 15);
    // A number typed is still checked against the tickets issued meanwhile.
    store::run(o.db(), QStringLiteral("UPDATE opciones SET NUM_TICK = 20"));
    o.get<QSpinBox>("nextTicket")->setValue(18);
    QVERIFY(!o.window->AplicarOpciones());
    QCOMPARE(o.row().NUM_TICK, 20);
}

void TestOpciones::amountsAndRuntime_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<qint64>("cents");
    QTest::newRow("comma") << QStringLiteral("2,50") << qint64(250);
    QTest::newRow("point") << QStringLiteral("2.50") << qint64(250);
    QTest::newRow("whole") << QStringLiteral("7") << qint64(700);
}

void TestOpciones::amountsAndRuntime() {
    QFETCH(QString, typed);
    QFETCH(qint64, cents);
    Options o;
    o.get<QLineEdit>("alarmacredito")->setText(typed);
    o.get<QLineEdit>("redondeo")->setText(QStringLiteral("0,10"));
    o.get<QSpinBox>("alarmaprepago")->setValue(300);
    o.get<QComboBox>("ping")->setCurrentText(QStringLiteral("5"));
    o.get<QComboBox>("cambiotarifa")->setCurrentIndex(0);
    QVERIFY(o.window->AplicarOpciones());
    // At once, for the running console.
    const RuntimeSettings& s = o.engine.context.settings;
    QCOMPARE(s.creditAlarm, Currency::fromCents(cents));
    QCOMPARE(s.roundingUnit, Currency::fromCents(10));
    QCOMPARE(s.prepaidAlarmSeconds, 300);
    QCOMPARE(s.pollIntervalMs, 5000);
    QCOMPARE(s.cambiotarifa, 0);
    // And the same after a restart.
    const RuntimeSettings restarted = store::runtimeSettings(o.row());
    QCOMPARE(restarted.creditAlarm, Currency::fromCents(cents));
    QCOMPARE(restarted.pollIntervalMs, 5000);
    // A malformed amount is refused, nothing saved.
    o.get<QLineEdit>("alarmacredito")->setText(QStringLiteral("2,5x"));
    QVERIFY(!o.window->AplicarOpciones());
    QCOMPARE(o.row().alarmacredito, Currency::fromCents(cents));
}

void TestOpciones::roundingZeroSavesNothing() {
    Options o(QStringLiteral("ADMIN"), QStringLiteral("UPDATE opciones SET NUM_TICK = 10"));
    o.get<QSpinBox>("nextTicket")->setValue(50);
    o.get<QLineEdit>("redondeo")->setText(QStringLiteral("0"));
    o.get<QSpinBox>("alarmaprepago")->setValue(999);
    QVERIFY(!o.window->AplicarOpciones());
    QCOMPARE(o.ui.messageTexts(), QStringList{QStringLiteral("El redondeo debe ser mayor de 0")});
    QCOMPARE(o.row().NUM_TICK, 10);
    QVERIFY(o.row().alarmaprepago != 999);
    QVERIFY(o.engine.context.settings.prepaidAlarmSeconds != 999);
}

void TestOpciones::takeoverDelay_data() {
    QTest::addColumn<int>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("0, by hand only") << 0 << true;
    QTest::newRow("4 refused") << 4 << false;
    QTest::newRow("5") << 5 << true;
    QTest::newRow("3600") << 3600 << true;
}

void TestOpciones::takeoverDelay() {
    QFETCH(int, typed);
    QFETCH(bool, accepted);
    Options o;
    QCOMPARE(o.get<QSpinBox>("esperatoma")->value(), RuntimeSettings::DefaultTakeoverDelaySeconds);
    // Nothing above the hour can be typed at all.
    QCOMPARE(o.get<QSpinBox>("esperatoma")->maximum(), RuntimeSettings::MaxTakeoverDelaySeconds);
    o.get<QSpinBox>("esperatoma")->setValue(typed);
    QCOMPARE(o.window->AplicarOpciones(), accepted);
    const int kept = accepted ? typed : RuntimeSettings::DefaultTakeoverDelaySeconds;
    QCOMPARE(o.row().esperatoma, kept);
    // At once, for the lease of the running console.
    QCOMPARE(o.engine.context.settings.takeoverDelaySeconds, kept);
    if (!accepted) {
        QCOMPARE(
            o.ui.messageTexts(),
            QStringList{QStringLiteral("La espera para tomar los puestos de otra consola debe ser 0 (solo a "
                                       "mano) o de 5 a 3600 segundos.")});
        QCOMPARE(o.window->currentEntry(), int(admin::EntryGenerales));
    }
}

void TestOpciones::oneBandGreysTheBandLists() {
    Options o(QStringLiteral("ADMIN"),
              QStringLiteral("DELETE FROM franjas WHERE tarifa = 'NOCHE';"
                             "UPDATE opciones SET porfranjas = 1, cambiotarifa = 0"));
    auto* cambio = o.get<QComboBox>("cambiotarifa");
    auto* porFranjas = o.get<QComboBox>("porfranjas");
    QVERIFY(!cambio->isEnabled());
    QVERIFY(!porFranjas->isEnabled());
    QCOMPARE(cambio->currentText(), QStringLiteral("No"));
    QCOMPARE(porFranjas->currentText(), QStringLiteral("No"));
    QVERIFY(o.window->AplicarOpciones());
    QCOMPARE(o.row().porfranjas, false);
    QCOMPARE(o.row().cambiotarifa, 1);
}

void TestOpciones::variableBandRefusesAutomaticChange() {
    Options o(QStringLiteral("ADMIN"),
              QStringLiteral("UPDATE franjas SET tarifa = 'PASES' WHERE tarifa = 'NOCHE';"
                             "UPDATE opciones SET cambiotarifa = 1"));
    o.get<QComboBox>("cambiotarifa")->setCurrentIndex(0);
    o.get<QSpinBox>("alarmaprepago")->setValue(777);
    QVERIFY(!o.window->AplicarOpciones());
    QCOMPARE(o.ui.messageTexts().size(), 1);
    QVERIFY(o.ui.messageTexts().first().startsWith(QStringLiteral("Utilizando tarifas por intervalos")));
    QCOMPARE(o.window->currentEntry(), int(admin::EntryFranjas));
    QVERIFY(o.row().alarmaprepago != 777);
    // Closing forces the tariff to stay, in the row and in the running console.
    store::run(o.db(), QStringLiteral("UPDATE opciones SET cambiotarifa = 0"));
    o.engine.context.settings.cambiotarifa = 0;
    o.window->reject();
    QCOMPARE(o.row().cambiotarifa, 1);
    QCOMPARE(o.engine.context.settings.cambiotarifa, 1);
}

void TestOpciones::blankMarkersRoundTrip() {
    Options o;
    auto* iniTime = o.get<QComboBox>("ini_time");
    auto* iniMet = o.get<QComboBox>("ini_met");
    iniTime->setCurrentIndex(iniTime->findText(QStringLiteral("Bono 5 horas")));
    iniMet->setCurrentIndex(iniMet->findText(QStringLiteral("Recarga 10 euros")));
    QVERIFY(o.window->AplicarOpciones());
    QCOMPARE(o.row().ini_time, QStringLiteral("B5H"));
    QCOMPARE(o.row().ini_met, QStringLiteral("R10"));
    iniTime->setCurrentIndex(0);
    iniMet->setCurrentIndex(0);
    o.get<QComboBox>("ini_tarifa_2")->setCurrentIndex(0);
    o.get<QComboBox>("ini_time_cod")->setCurrentIndex(0);
    QVERIFY(o.window->AplicarOpciones());
    const store::Opciones row = o.row();
    QCOMPARE(row.ini_time, QStringLiteral("    "));
    QCOMPARE(row.ini_met, QStringLiteral("     "));
    QCOMPARE(row.ini_tarifa_2, QStringLiteral("     "));
    QCOMPARE(row.ini_time_cod, QStringLiteral("       "));

    Tfrmopciones again(o.engine.context, o.engine.engine->tarifas());
    QVERIFY(again.begin());
    for (const char* name : {"ini_time", "ini_met", "ini_tarifa_2", "ini_time_cod"})
        QCOMPARE(again.findChild<QComboBox*>(QString::fromLatin1(name))->currentText(),
                 QStringLiteral("- ninguno -"));
    // A code that no longer exists also shows as none.
    store::run(o.db(), QStringLiteral("UPDATE opciones SET ini_time = 'GONE'"));
    Tfrmopciones third(o.engine.context, o.engine.engine->tarifas());
    QVERIFY(third.begin());
    QCOMPARE(third.findChild<QComboBox*>(QStringLiteral("ini_time"))->currentText(),
             QStringLiteral("- ninguno -"));
}

void TestOpciones::creditModeEntries() {
    Options o;
    auto* mode = o.get<QComboBox>("op2_5");
    const QStringList cached = o.engine.engine->tarifas().names();
    QCOMPARE(mode->count(), 2 + int(cached.size()));
    QCOMPARE(mode->itemText(2), QStringLiteral("Crédito metálico con tarifa ") + cached.first());
    mode->setCurrentIndex(2);
    QVERIFY(o.window->AplicarOpciones());
    QCOMPARE(o.row().op2_5, 2);
    const admin::TipoCredito tipo = admin::tipoCreditoDe(o.row().op2_5, cached);
    QCOMPARE(tipo.tipo, QStringLiteral("0"));
    QCOMPARE(tipo.tarifa, cached.first());
    QCOMPARE(admin::tipoCreditoDe(0, cached).tarifa, QStringLiteral("BONO TIEMPO"));
    QCOMPARE(admin::tipoCreditoDe(1, cached).tipo, QStringLiteral("1"));
}

void TestOpciones::pagesFollowPermissions() {
    // CAJA holds none of the options permissions.
    Options o(QStringLiteral("CAJA"));
    QVERIFY(o.window->currentPage() == nullptr);
    QVERIFY(o.ui.messageTexts().contains(QStringLiteral("CAJA:\r\rOperación no permitida.")));
    o.ui.clear();
    o.window->selectEntry(admin::EntryFranjas);
    QCOMPARE(o.ui.messageTexts(), QStringList{QStringLiteral("CAJA:\r\rNo tiene permiso de acceso.")});
    QVERIFY(o.window->currentPage() == nullptr);
    store::run(o.db(), QStringLiteral("UPDATE operadores SET CONFTIC = 1 WHERE NOMBRE = 'CAJA'"));
    o.ui.clear();
    o.window->selectEntry(admin::EntryTickets);
    QVERIFY(o.ui.messageTexts().isEmpty());
    QCOMPARE(o.window->currentPage(), o.window->page(admin::EntryTickets));
    // Refused again: the Tickets page stays.
    o.window->selectEntry(9);
    QCOMPARE(o.ui.messageTexts(), QStringList{QStringLiteral("CAJA:\r\rNo tiene permiso de acceso.")});
    QCOMPARE(o.window->currentPage(), o.window->page(admin::EntryTickets));
    // An operator without a row is refused silently.
    o.engine.context.currentOperator = QStringLiteral("NADIE");
    o.ui.clear();
    QVERIFY(!o.window->PermisoPagina(admin::EntryGenerales));
    QVERIFY(o.ui.messageTexts().isEmpty());
}

void TestOpciones::anyKeyEnablesApply() {
    Options o;
    auto* aplicar = o.get<QPushButton>("aplicar");
    QVERIFY(!aplicar->isEnabled());
    QTest::keyClick(o.get<QLineEdit>("redondeo"), Qt::Key_End);
    QVERIFY(aplicar->isEnabled());
    QTest::mouseClick(aplicar, Qt::LeftButton);
    QVERIFY(!aplicar->isEnabled());
}

void TestOpciones::registeredPagesAndNotices() {
    RecordingPage* created = nullptr;
    ui::registerOpcionesPage(11, [&created](ConsoleContext&, QWidget* parent) {
        created = new RecordingPage(parent);
        return created;
    });
    RecordingPage::loads = 0;
    RecordingPage::pass = true;
    Options o;
    QVERIFY(created);
    QCOMPARE(RecordingPage::loads, 1);
    QCOMPARE(created->frecuencia, 60);
    QCOMPARE(o.window->page(11), static_cast<QWidget*>(created));
    // Entries nobody registered say so plainly.
    QVERIFY(o.window->page(4)->findChild<QLabel*>(QStringLiteral("noticeLabel")));
    QVERIFY(o.window->page(10)->findChild<QLabel*>(QStringLiteral("noticeLabel")));

    RecordingPage::pass = false;
    o.get<QSpinBox>("alarmaprepago")->setValue(555);
    QVERIFY(!o.window->AplicarOpciones());
    QVERIFY(o.row().alarmaprepago != 555);
    RecordingPage::pass = true;
    QVERIFY(o.window->AplicarOpciones());
    QCOMPARE(o.row().alarmaprepago, 555);
    QCOMPARE(store::readWebConfig(o.db()).frecuencia, 15);
    QCOMPARE(RecordingPage::loads, 2);
    ui::opcionesPages().erase(11);
}

void TestOpciones::noPrinterWhenNoneChosen() {
    Options o(QStringLiteral("ADMIN"), QStringLiteral("UPDATE opciones SET impresoratick = 'NoPrinter'"));
    auto* printer = o.get<QComboBox>("impresoratick");
    printer->setCurrentIndex(-1);
    QVERIFY(o.window->AplicarOpciones());
    QCOMPARE(o.row().impresoratick, QStringLiteral("NoPrinter"));
    // A configured printer missing from the scheduler right now is kept.
    store::run(o.db(), QStringLiteral("UPDATE opciones SET impresoratick = 'TPV-BARRA'"));
    Tfrmopciones again(o.engine.context, o.engine.engine->tarifas());
    QVERIFY(again.begin());
    QCOMPARE(again.findChild<QComboBox*>(QStringLiteral("impresoratick"))->currentText(),
             QStringLiteral("TPV-BARRA"));
    QVERIFY(again.AplicarOpciones());
    QCOMPARE(o.row().impresoratick, QStringLiteral("TPV-BARRA"));
}

void TestOpciones::emptyFixedPasswordRefused() {
    Options o;
    o.window->findChild<QAbstractButton*>(QStringLiteral("pass_ini_2"))->setChecked(true);
    o.get<QLineEdit>("pass_ini")->clear();
    QVERIFY(!o.window->AplicarOpciones());
    QCOMPARE(o.window->currentEntry(), int(admin::EntryCuentas));
    o.get<QLineEdit>("pass_ini")->setText(QStringLiteral("abc"));
    QVERIFY(o.window->AplicarOpciones());
    QCOMPARE(o.row().op2_2, 2);
    QCOMPARE(o.row().pass_ini, QStringLiteral("abc"));
}

void TestOpciones::openingPageVisibility_data() {
    QTest::addColumn<QString>("tariff");
    QTest::addColumn<bool>("prepaid");
    QTest::addColumn<bool>("grid");
    QTest::addColumn<bool>("amount");
    QTest::addColumn<bool>("minimum");
    QTest::addColumn<bool>("noConfirm");
    QTest::newRow("none") << QStringLiteral("- ninguno -") << true << false << false << false << false;
    QTest::newRow("fixed prepaid") << QStringLiteral("NORMAL") << true << false << true << true << true;
    QTest::newRow("fixed counter") << QStringLiteral("NORMAL") << false << false << false << false << true;
    QTest::newRow("variable prepaid") << QStringLiteral("PASES") << true << true << false << false << true;
    QTest::newRow("variable counter") << QStringLiteral("PASES") << false << false << false << false << true;
}

void TestOpciones::openingPageVisibility() {
    QFETCH(QString, tariff);
    QFETCH(bool, prepaid);
    QFETCH(bool, grid);
    QFETCH(bool, amount);
    QFETCH(bool, minimum);
    QFETCH(bool, noConfirm);
    Options o;
    o.window->selectEntry(admin::EntryApertura);
    o.get<QCheckBox>("op4_2")->setChecked(true);
    auto* tariffs = o.get<QComboBox>("ini_tarifa_2");
    tariffs->setCurrentIndex(tariffs->findText(tariff));
    o.get<QComboBox>("op4_1")->setCurrentIndex(prepaid ? 1 : 0);
    auto* intervals = o.get<QTableWidget>("op4_4");
    QCOMPARE(!intervals->isHidden(), grid);
    QCOMPARE(!o.get<QLineEdit>("op4_cash")->isHidden(), amount);
    QCOMPARE(!o.get<QLabel>("minCost")->isHidden(), minimum);
    QCOMPARE(o.get<QCheckBox>("op4_3")->isEnabled(), noConfirm);
    if (minimum)
        QCOMPARE(o.get<QLabel>("minCost")->text(), QStringLiteral("Coste mínimo ......... 0,50 €"));
    if (grid) {
        QCOMPARE(intervals->rowCount(), 3);
        intervals->selectRow(1);
        QVERIFY(o.window->AplicarOpciones());
        QCOMPARE(o.row().op4_4, 2);
        QCOMPARE(o.row().ini_tarifa_2, QStringLiteral("PASES"));
    }
    // Unticking "Aplicar al abrir puestos" unticks and disables the other.
    o.get<QCheckBox>("op4_3")->setChecked(noConfirm);
    o.get<QCheckBox>("op4_2")->setChecked(false);
    QVERIFY(!o.get<QCheckBox>("op4_3")->isEnabled());
    QVERIFY(!o.get<QCheckBox>("op4_3")->isChecked());
}

void TestOpciones::closingTicketChoice_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("chosen");
    QTest::newRow("empty, as an upgrade leaves it")
        << QStringLiteral("NULL") << QStringLiteral("Preguntar") << 2;
    QTest::newRow("always") << QStringLiteral("1") << QStringLiteral("Siempre") << 0;
    QTest::newRow("never") << QStringLiteral("2") << QStringLiteral("Nunca") << 1;
    QTest::newRow("unknown value asks") << QStringLiteral("7") << QStringLiteral("Preguntar") << 1;
}

void TestOpciones::closingTicketChoice() {
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    QFETCH(int, chosen);
    Options o(QStringLiteral("ADMIN"), QStringLiteral("UPDATE opciones SET imp_cierre = ") + stored);
    auto* choice = o.get<QComboBox>("imp_cierre");
    QVERIFY(choice);
    QCOMPARE(choice->currentText(), shown);
    choice->setCurrentIndex(chosen);
    QVERIFY(o.window->AplicarOpciones());
    QCOMPARE(o.row().imp_cierre, chosen);
    Tfrmopciones again(o.engine.context, o.engine.engine->tarifas());
    QVERIFY(again.begin());
    QCOMPARE(again.findChild<QComboBox*>(QStringLiteral("imp_cierre"))->currentIndex(), chosen);
}

void TestOpciones::lockoutLimits_data() {
    QTest::addColumn<QString>("sql");
    QTest::newRow("new database") << QString();
    QTest::newRow("upgraded, limits empty")
        << QStringLiteral("UPDATE opciones SET bloq_intentos = NULL, bloq_ventana = NULL, bloq_minutos = 0, "
                          "bloq_puesto_intentos = NULL, bloq_puesto_minutos = NULL");
}

void TestOpciones::lockoutLimits() {
    QFETCH(QString, sql);
    Options o(QStringLiteral("ADMIN"), sql);
    const char* boxes[] = {"bloq_intentos", "bloq_ventana", "bloq_minutos", "bloq_puesto_intentos",
                           "bloq_puesto_minutos"};
    QList<int> shown;
    for (const char* box : boxes)
        shown << o.get<QSpinBox>(box)->value();
    QCOMPARE(shown, QList<int>({5, 10, 15, 20, 5}));
    const QList<int> typed{3, 30, 60, 100, 1};
    for (int i = 0; i < typed.size(); ++i)
        o.get<QSpinBox>(boxes[i])->setValue(typed.at(i));
    QVERIFY(o.window->AplicarOpciones());
    const store::LimitesBloqueo saved = store::limitesBloqueo(o.row());
    QCOMPARE(QList<int>({saved.intentos, saved.ventanaMinutos, saved.minutos, saved.intentosPuesto,
                         saved.minutosPuesto}),
             typed);
    QCOMPARE(o.row().bloq_puesto_intentos, 100);
    // What the boxes cannot hold, the rules refuse rather than save.
    store::Opciones edited = o.row();
    edited.bloq_puesto_intentos = 4;
    const admin::OpcionesCheck check =
        admin::comprobarOpciones(o.db(), edited, edited.NUM_TICK, edited.NUM_TICK + 1);
    QCOMPARE(check.messageKey, QStringLiteral("BloqueoAccesos"));
    QCOMPARE(check.field, QStringLiteral("bloq_puesto_intentos"));
    QCOMPARE(check.entry, int(admin::EntryGenerales));
}

QTEST_MAIN(TestOpciones)
#include "tst_opciones.moc"
