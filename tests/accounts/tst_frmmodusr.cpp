#include "accountfixture.h"

#include "accounts/frmmodusr.h"
#include "accounts/frmmovcue.h"
#include "accounts/movimientos.h"
#include "admin/console.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "support/faults.h"
#include "support/scriptedui.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>

using accounts::LineaCredito;

namespace {

const QString Duplicado = QStringLiteral("Nombre de cuenta duplicado. La cuenta ya existe.");

int indexOf(QComboBox* box, const char* text) {
    return box->findText(QString::fromUtf8(text));
}

} // namespace

class TstFrmModusr : public QObject {
    Q_OBJECT
private slots:
    void newAccountDefaults_data();
    void newAccountDefaults();
    void typedLogin_data();
    void typedLogin();
    void newAccountChecks_data();
    void newAccountChecks();
    void initialCreditThroughTheEntryWindows();
    void failedSaveLeavesNothing_data();
    void failedSaveLeavesNothing();
    void printsWhenAsked_data();
    void printsWhenAsked();
    void moneyLine_data();
    void moneyLine();
    void enterWalksToAceptar();
    void voucherLine_data();
    void voucherLine();
    void modifiedLogin_data();
    void modifiedLogin();
    void modifyInUseFollowsAtTheStation();
    void datesNeedPermission_data();
    void datesNeedPermission();
};

void TstFrmModusr::newAccountDefaults_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<bool>("intropass");
    QTest::addColumn<QString>("password"); // a pattern
    QTest::newRow("customer chooses") << 0 << false << false << true << "^$";
    QTest::newRow("four random digits") << 1 << true << true << false << "^\\d{4}$";
    QTest::newRow("fixed, trimmed") << 2 << true << false << false << "^ab c$";
}

void TstFrmModusr::newAccountDefaults() {
    QFETCH(int, mode);
    QFETCH(bool, enabled);
    QFETCH(bool, shown);
    QFETCH(bool, intropass);
    QFETCH(QString, password);
    AccountFixture f;
    ScriptedUi ui;
    store::run(f.db(),
               QStringLiteral("UPDATE opciones SET op2_1 = 1, contador = 41, cmb_1_val = 4, op2_2 = ?, "
                              "pass_ini = '  ab c ', op2_4 = 1, op2_5 = 1, op2_6 = 1, ini_desktop = 3, "
                              "ini_met = 'R5', ini_time = 'B1H'"),
               {mode});
    TFrmModusr w(f.te.context, f.te.engine->tarifas());
    QCOMPARE(w.windowTitle(), QStringLiteral("Nueva cuenta de cliente"));
    QVERIFY2(QRegularExpression(QStringLiteral("^420\\d{3}$")).match(w.loginEdit()->text()).hasMatch(),
             qPrintable(w.loginEdit()->text()));
    QVERIFY(QRegularExpression(password).match(w.passwordEdit()->text()).hasMatch());
    QCOMPARE(w.repeatEdit()->text(), w.passwordEdit()->text());
    QCOMPARE(w.passwordEdit()->isEnabled(), enabled);
    QCOMPARE(w.passwordEdit()->echoMode() == QLineEdit::Normal, shown);
    QCOMPARE(w.intropassBox()->isChecked(), intropass);
    // A customer who must choose his password may change it.
    QCOMPARE(w.nomodpassBox()->isChecked(), !intropass);
    QVERIFY(w.blockButton()->isChecked());
    QCOMPARE(w.modeBox()->currentIndex(), 1);
    QCOMPARE(w.desktopBox()->currentIndex(), 3);
    QCOMPARE(w.altaEdit()->date(), QDate(2026, 3, 10));
    QCOMPARE(w.moneyEdit()->text(), f.te.context.regional.formatCurrency(Currency::fromCents(500)));
    QCOMPARE(w.timeEdit()->text(), QStringLiteral("1:00:00"));
    w.reject();
    QCOMPARE(w.passwordEdit()->echoMode(), QLineEdit::Password);
    QCOMPARE(w.repeatEdit()->echoMode(), QLineEdit::Password);
    // The number is used up although the window was cancelled.
    QCOMPARE(store::readOpciones(f.db()).contador, 42);
    QVERIFY(ui.messages().isEmpty());
}

void TstFrmModusr::typedLogin_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("upper case, quotes and wildcards kept") << "o'b%_*\""
                                                           << "O'B%_*\"";
    QTest::newRow("eleven characters") << "abcdefghijk"
                                       << "ABCDEFGHIJ";
}

void TstFrmModusr::typedLogin() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    AccountFixture f;
    f.sql(QStringLiteral("UPDATE opciones SET op2_1 = 0"));
    TFrmModusr w(f.te.context, f.te.engine->tarifas());
    QTest::keyClicks(w.loginEdit(), typed);
    QCOMPARE(w.loginEdit()->text(), shown);
}

void TstFrmModusr::newAccountChecks_data() {
    QTest::addColumn<QString>("login");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("noTariffs");
    QTest::addColumn<QString>("repeat");
    QTest::addColumn<QString>("message"); // empty: saved
    QTest::newRow("empty login before all else") << "" << -1 << true << "x"
                                                 << "Es necesario introducir el nombre de cuenta";
    QTest::newRow("no pricing mode") << "NUEVA" << -1 << true << "x"
                                     << "Debe seleccionar el modo de tarifa de esta cuenta.";
    QTest::newRow("time bands without tariffs")
        << "NUEVA" << 1 << true << "x"
        << "No se puede utilizar Tipo de Tarifa: \"(2)Franjas horarias\"\r\r"
           "Motivo: No existen tarifas creadas previamente.\r"
           "Solución:Cree alguna tarifa en \"Archivo-Configuración-Tarifas\"\r"
           "o utilice \"(3)Bonos de tiempo\"";
    QTest::newRow("taken by an account, other case") << "ya" << 1 << false << "x" << Duplicado;
    QTest::newRow("taken by a time code") << "Cod1" << 0 << false << "pw" << Duplicado;
    QTest::newRow("passwords differ") << "NUEVA" << 2 << false << "x"
                                      << "Repita la contraseña correctamente";
    QTest::newRow("a wildcard matches nothing") << "A%" << 2 << false << "pw"
                                                << "";
    QTest::newRow("quotes are plain") << "O'B\"_*" << 0 << false << "pw"
                                      << "";
}

void TstFrmModusr::newAccountChecks() {
    QFETCH(QString, login);
    QFETCH(int, mode);
    QFETCH(bool, noTariffs);
    QFETCH(QString, repeat);
    QFETCH(QString, message);
    AccountFixture f;
    ScriptedUi ui;
    f.sql(QStringLiteral("UPDATE opciones SET op2_1 = 0, op2_2 = 2, pass_ini = 'pw', ini_met = '', "
                         "ini_time = ''"));
    f.add(f.cuenta(QStringLiteral("YA")));
    f.add(f.cuenta(QStringLiteral("AB")));
    store::Cuenta code = f.cuenta(QStringLiteral("COD1"));
    code.Tipo = QStringLiteral("9");
    f.add(code);
    if (noTariffs)
        f.sql(QStringLiteral("DELETE FROM tarifas"));
    TFrmModusr w(f.te.context, f.te.engine->tarifas());
    w.loginEdit()->setText(login);
    w.modeBox()->setCurrentIndex(mode);
    w.repeatEdit()->setText(repeat);
    w.accept();
    const int rows = store::toInt(store::scalar(f.db(), QStringLiteral("SELECT COUNT(*) FROM cuentas")));
    if (message.isEmpty()) {
        QVERIFY2(ui.messages().isEmpty(), qPrintable(ui.messageTexts().join(QLatin1Char('|'))));
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(rows, 4);
        QCOMPARE(f.read(login).Login, login);
        return;
    }
    QCOMPARE(ui.messageTexts(), QStringList{message});
    QCOMPARE(ui.messages().at(0).caption, QStringLiteral("Atención"));
    QCOMPARE(w.result(), int(QDialog::Rejected));
    QCOMPARE(rows, 3);
}

void TstFrmModusr::initialCreditThroughTheEntryWindows() {
    AccountFixture f;
    ScriptedUi ui;
    f.sql(QStringLiteral("UPDATE opciones SET op2_1 = 0, op2_2 = 2, pass_ini = 'pw', ini_met = '', "
                         "ini_time = '', op2_5 = 0, NUM_TICK = 9, op2_7 = 0"));
    TFrmModusr w(f.te.context, f.te.engine->tarifas());
    QVERIFY(w.moneyEdit()->text().isEmpty());
    ui.onNextDialog([](QDialog* d) {
        auto* v = qobject_cast<TFrmmovcue_a*>(d);
        v->choose(indexOf(v->list(), "Recarga 5 euros"));
        v->quantityEdit()->setText(QStringLiteral("2"));
        v->priceEdit()->clear();
        QTest::keyClicks(v->priceEdit(), QStringLiteral("5.5"));
        v->accept();
        return v->result();
    });
    w.addMoney();
    ui.onNextDialog([](QDialog* d) {
        auto* v = qobject_cast<Tfrmmovcuetiempo_a*>(d);
        v->choose(indexOf(v->list(), "Bono 1 hora"));
        v->accept();
        return v->result();
    });
    w.addTime();
    // A cancelled entry keeps nothing.
    w.addMoney();
    QCOMPARE(ui.dialogNames(), (QStringList{"TFrmmovcue_a", "Tfrmmovcuetiempo_a", "TFrmmovcue_a"}));
    QCOMPARE(w.moneyEdit()->text(), f.te.context.regional.formatCurrency(Currency::fromCents(1100)));
    QCOMPARE(w.timeEdit()->text(), QStringLiteral("1:00:00"));
    w.loginEdit()->setText(QStringLiteral("NUEVA"));
    w.accept();
    QCOMPARE(w.result(), int(QDialog::Accepted));

    const store::Cuenta c = f.read(QStringLiteral("NUEVA"));
    QCOMPARE(c.credito, Currency::fromCents(1100));
    QCOMPARE(c.Bonotiempo, 3600);
    const store::Ticket t =
        store::select<store::Ticket>(f.db(), QStringLiteral("WHERE NUM_TICKET = '10'")).at(0);
    QCOMPARE(t.IMPORTE, Currency::fromCents(1200));
    const std::vector<store::MovCuenta> m = f.movements();
    QCOMPARE(m.size(), size_t(2));
    QCOMPARE(m[0].CONCEPTO, QStringLiteral("Recarga 5 euros"));
    QCOMPARE(m[0].SALDO_FIN, Currency::fromCents(1100));
    QCOMPARE(m[1].SALDOTI_MOV, QStringLiteral("1:00:00"));
    QCOMPARE(store::readOpciones(f.db()).NUM_TICK, 10);
}

void TstFrmModusr::failedSaveLeavesNothing_data() {
    QTest::addColumn<QString>("table");
    QTest::newRow("the account row") << "cuentas";
    QTest::newRow("the last movement") << "movcuentas";
}

void TstFrmModusr::failedSaveLeavesNothing() {
    QFETCH(QString, table);
    AccountFixture f;
    ScriptedUi ui;
    f.sql(QStringLiteral("UPDATE opciones SET op2_1 = 0, op2_2 = 2, pass_ini = 'pw', ini_met = 'R5', "
                         "ini_time = 'B1H', op2_5 = 0, NUM_TICK = 9"));
    refuseWrites(f.db(), QStringLiteral("fails"), QStringLiteral("INSERT"), table,
                 QStringLiteral("(SELECT COUNT(*) FROM movcuentas) >= 1 OR '") + table +
                     QStringLiteral("' = 'cuentas'"));
    TFrmModusr w(f.te.context, f.te.engine->tarifas());
    w.loginEdit()->setText(QStringLiteral("NUEVA"));
    w.accept();
    QCOMPARE(w.result(), int(QDialog::Rejected));
    QCOMPARE(ui.messages().size(), 1);
    QCOMPARE(ui.messages().at(0).caption, QStringLiteral("Error"));
    QVERIFY(ui.messages().at(0).text.contains(QStringLiteral("disco lleno")));
    const auto count = [&](const char* sql) {
        return store::toInt(store::scalar(f.db(), QLatin1String(sql)));
    };
    QCOMPARE(count("SELECT COUNT(*) FROM cuentas"), 0);
    QCOMPARE(count("SELECT COUNT(*) FROM ticket"), 0);
    QCOMPARE(count("SELECT COUNT(*) FROM movcuentas"), 0);
    QCOMPARE(store::readOpciones(f.db()).NUM_TICK, 9);
}

void TstFrmModusr::printsWhenAsked_data() {
    QTest::addColumn<bool>("option");
    QTest::addColumn<QString>("initialCredit");
    QTest::newRow("option off") << false << "R5";
    QTest::newRow("after a sale") << true << "R5";
    QTest::newRow("without a sale") << true << "";
}

void TstFrmModusr::printsWhenAsked() {
    QFETCH(bool, option);
    QFETCH(QString, initialCredit);
    AccountFixture f;
    ScriptedUi ui;
    store::run(f.db(),
               QStringLiteral("UPDATE opciones SET op2_1 = 0, op2_2 = 2, pass_ini = 'pw', ini_met = ?, "
                              "ini_time = '', op2_5 = 0, op2_7 = ?, impresoratick = 'NoPrinter'"),
               {initialCredit, store::sqlValue(option)});
    TFrmModusr w(f.te.context, f.te.engine->tarifas());
    w.loginEdit()->setText(QStringLiteral("NUEVA"));
    w.accept();
    QCOMPARE(w.result(), int(QDialog::Accepted));
    // With no ticket printer chosen, an attempt to print says so.
    QCOMPARE(ui.messageTexts().size(), option ? 1 : 0);
}

void TstFrmModusr::moneyLine_data() {
    QTest::addColumn<bool>("chosen");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("typedPrice");
    QTest::addColumn<QString>("shownPrice");
    QTest::addColumn<double>("cantidad");
    QTest::addColumn<int>("cents");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("point typed") << true << "2"
                                 << "5.5"
                                 << "5,5" << 2.0 << 550 << true;
    QTest::newRow("comma typed") << true << "2,5"
                                 << "5,50"
                                 << "5,50" << 2.5 << 550 << true;
    QTest::newRow("negative quantity") << true << "-1"
                                       << "5"
                                       << "5" << -1.0 << 500 << true;
    QTest::newRow("no description") << false << "1"
                                    << "5"
                                    << "5" << 1.0 << 500 << false;
}

void TstFrmModusr::moneyLine() {
    QFETCH(bool, chosen);
    QFETCH(QString, quantity);
    QFETCH(QString, typedPrice);
    QFETCH(QString, shownPrice);
    QFETCH(double, cantidad);
    QFETCH(int, cents);
    QFETCH(bool, accepted);
    AccountFixture f;
    ScriptedUi ui;
    const std::vector<LineaCredito> kept{
        {QStringLiteral("R10"), QStringLiteral("Recarga 10 euros"), 1, Currency::fromCents(1000), 0}};
    TFrmmovcue_a v(f.te.context, kept);
    if (chosen)
        v.choose(indexOf(v.list(), "Recarga 5 euros"));
    v.quantityEdit()->setText(quantity);
    v.priceEdit()->clear();
    QTest::keyClicks(v.priceEdit(), typedPrice);
    QCOMPARE(v.priceEdit()->text(), shownPrice);
    QCOMPARE(v.resultLabel()->text(),
             f.te.context.regional.formatCurrency(
                 Currency::fromCents(1000) + accounts::importeLinea(cantidad, Currency::fromCents(cents))));
    v.accept();
    QCOMPARE(v.result() == QDialog::Accepted, accepted);
    if (!accepted) {
        QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("No hay descripción")});
        return;
    }
    QCOMPARE(v.linea().cantidad, cantidad);
    QCOMPARE(v.linea().precio, Currency::fromCents(cents));
    QCOMPARE(v.linea().descripcion, QStringLiteral("Recarga 5 euros"));
}

void TstFrmModusr::enterWalksToAceptar() {
    AccountFixture f;
    ScriptedUi ui;
    TFrmmovcue_a v(f.te.context, {});
    v.show();
    QVERIFY(QTest::qWaitForWindowActive(&v));
    v.descriptionEdit()->setFocus();
    QTest::keyClicks(v.descriptionEdit(), QStringLiteral("Recarga"));
    for (QLineEdit* e : {v.descriptionEdit(), v.quantityEdit(), v.priceEdit()}) {
        QCOMPARE(QApplication::focusWidget(), e);
        QTest::keyClick(e, Qt::Key_Return);
        QVERIFY(v.isVisible());
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(v.result(), int(QDialog::Accepted));
}

void TstFrmModusr::voucherLine_data() {
    QTest::addColumn<int>("keptHours");
    QTest::addColumn<int>("quantity");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("total");
    QTest::newRow("499 hours") << 0 << 499 << true << "499:00:00";
    QTest::newRow("500 hours") << 0 << 500 << true << "500:00:00";
    QTest::newRow("501 hours") << 0 << 501 << false << "501:00:00";
    QTest::newRow("499 kept and 1 more") << 499 << 1 << true << "500:00:00";
    QTest::newRow("499 kept and 2 more") << 499 << 2 << false << "501:00:00";
    QTest::newRow("a negative line goes no lower than nothing") << 1 << -2 << true << "0:00:00";
}

void TstFrmModusr::voucherLine() {
    QFETCH(int, keptHours);
    QFETCH(int, quantity);
    QFETCH(bool, accepted);
    QFETCH(QString, total);
    AccountFixture f;
    ScriptedUi ui;
    std::vector<LineaCredito> kept;
    if (keptHours > 0)
        kept.push_back({QStringLiteral("B1H"), QStringLiteral("Bono 1 hora"), double(keptHours),
                        Currency::fromCents(100), keptHours * 60});
    Tfrmmovcuetiempo_a v(f.te.context, kept);
    v.accept();
    QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("No hay descripción")});
    ui.clear();
    v.choose(indexOf(v.list(), "Bono 1 hora"));
    v.quantityEdit()->clear();
    QTest::keyClicks(v.quantityEdit(), QString::number(quantity));
    QCOMPARE(v.resultLabel()->text(), total);
    v.accept();
    QCOMPARE(v.result() == QDialog::Accepted, accepted);
    if (!accepted) {
        QCOMPARE(ui.messageTexts(),
                 QStringList{QStringLiteral("Un cliente no puede superar las 500 horas en bono")});
        return;
    }
    QCOMPARE(v.linea().minutos, quantity * 60);
    QCOMPARE(v.linea().codigo, QStringLiteral("B1H"));
}

void TstFrmModusr::modifiedLogin_data() {
    QTest::addColumn<QString>("tarifa");
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("message");
    QTest::newRow("unchanged login is not a duplicate") << "NORMAL"
                                                        << "ANA"
                                                        << "";
    QTest::newRow("renamed") << "NORMAL"
                             << "ANA2"
                             << "";
    QTest::newRow("renamed to a time code's login") << "NORMAL"
                                                    << "cod1" << Duplicado;
    QTest::newRow("its tariff no longer exists") << "GONE"
                                                 << "ANA"
                                                 << "Debe seleccionar el modo de tarifa de esta cuenta.";
}

void TstFrmModusr::modifiedLogin() {
    QFETCH(QString, tarifa);
    QFETCH(QString, login);
    QFETCH(QString, message);
    AccountFixture f;
    ScriptedUi ui;
    store::Cuenta ana = f.cuenta(QStringLiteral("ANA"));
    ana.Tarifa = tarifa;
    ana.Nombre = QStringLiteral("Ana");
    ana.credito = Currency::fromCents(300);
    ana.email = QStringLiteral("     ");
    f.add(ana);
    store::Cuenta code = f.cuenta(QStringLiteral("COD1"));
    code.Tipo = QStringLiteral("9");
    f.add(code);
    TFrmModusr w(f.te.context, f.te.engine->tarifas(), f.read(QStringLiteral("ANA")), false);
    QCOMPARE(w.windowTitle(), QStringLiteral("Cuenta: Ana"));
    QCOMPARE(w.passwordEdit()->text(), QStringLiteral("pw"));
    QVERIFY(w.emailEdit()->text().isEmpty());
    w.loginEdit()->setText(login);
    w.nameEdit()->setText(QStringLiteral("Ana Gil"));
    w.accept();
    if (!message.isEmpty()) {
        QCOMPARE(ui.messageTexts(), QStringList{message});
        QCOMPARE(f.read(QStringLiteral("ANA")).Nombre, QStringLiteral("Ana"));
        return;
    }
    QVERIFY(ui.messages().isEmpty());
    const store::Cuenta saved = f.read(login);
    QCOMPARE(saved.Nombre, QStringLiteral("Ana Gil"));
    QCOMPARE(saved.credito, Currency::fromCents(300));
    QCOMPARE(saved.email, QStringLiteral("     "));
}

void TstFrmModusr::modifyInUseFollowsAtTheStation() {
    AdminConsole c;
    c.actAs(QStringLiteral("ana"));
    store::run(c.dbh(), QStringLiteral("UPDATE cuentas SET Bonotiempo = 3600 WHERE Login = '10004'"));
    station::StationRecord& rec = c.rec(1);
    rec.accountLogin = QStringLiteral("10004");
    rec.accountType = QStringLiteral("2");
    rec.prepaidSeconds = 3600;
    rec.clockMs = 600000;
    c.engine->puestos().loginsInUse().add(QStringLiteral("10004"));

    bool loginEnabled = true;
    QString caption;
    QString whileOpen;
    c.ui.onNextDialog([&](QDialog* d) {
        auto* w = qobject_cast<TFrmModusr*>(d);
        caption = w->windowTitle();
        loginEnabled = w->loginEdit()->isEnabled();
        whileOpen =
            c.accounts->decisions().ChangeStationPassword(QStringLiteral("10004"), QStringLiteral("9"));
        // Meanwhile a voucher is sold: the save must not write the old credit back.
        store::run(c.dbh(), QStringLiteral("UPDATE cuentas SET Bonotiempo = 7200 WHERE Login = '10004'"));
        w->discountBox()->setValue(5);
        w->accept();
        return w->result();
    });
    c.accounts->modificarCuenta(QStringLiteral("10004"));
    QCOMPARE(caption, QStringLiteral("Cuenta: Javier Ortega Sanz"));
    QVERIFY(!loginEnabled);
    QCOMPARE(whileOpen, QStringLiteral("0"));
    const store::Cuenta saved =
        store::select<store::Cuenta>(c.dbh(), QStringLiteral("WHERE Login = '10004'")).at(0);
    QCOMPARE(saved.Descuento, 5);
    QCOMPARE(saved.Bonotiempo, 7200);
    QCOMPARE(c.rec(1).clockMs, qint64(4200000));
    QCOMPARE(c.rec(1).prepaidSeconds, 7200);
    QCOMPARE(c.rec(1).pendiente, station::Pendiente::QuitarAviso);
    // Closed, the station may change the password again.
    QCOMPARE(c.accounts->decisions().ChangeStationPassword(QStringLiteral("10004"), QStringLiteral("9")),
             QStringLiteral("1"));
}

void TstFrmModusr::datesNeedPermission_data() {
    QTest::addColumn<bool>("newAccount");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("new, allowed") << true << true;
    QTest::newRow("new, not allowed") << true << false;
    QTest::newRow("modify, allowed") << false << true;
    QTest::newRow("modify, not allowed") << false << false;
}

void TstFrmModusr::datesNeedPermission() {
    QFETCH(bool, newAccount);
    QFETCH(bool, allowed);
    AdminConsole c;
    if (allowed)
        c.actAs(QStringLiteral("ana"));
    else
        c.actAs(QStringLiteral("ana"), {store::Permiso::MODFECHACAD});
    bool alta = !allowed;
    bool ultima = !allowed;
    c.ui.onNextDialog([&](QDialog* d) {
        auto* w = qobject_cast<TFrmModusr*>(d);
        alta = w->altaEdit()->isEnabled();
        ultima = w->ultimaEdit()->isEnabled();
        return int(QDialog::Rejected);
    });
    if (newAccount)
        c.accounts->anadirCuenta();
    else
        c.accounts->modificarCuenta(QStringLiteral("10001"));
    QCOMPARE(c.ui.dialogNames(), QStringList{QStringLiteral("TFrmModusr")});
    QCOMPARE(alta, allowed);
    QCOMPARE(ultima, allowed);
}

QTEST_MAIN(TstFrmModusr)
#include "tst_frmmodusr.moc"
