#include "accountfixture.h"

#include "accounts/altacuenta.h"
#include "accounts/codigos.h"
#include "accounts/frmcodigostiempo.h"
#include "sales/tickets.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "support/scriptedui.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTest>

#include <limits>

using namespace accounts;

namespace {

// A 60-minute voucher at 3.00, and what a table holds after a sale.
store::Bono bono60() {
    store::Bono b;
    b.CODIGO = QStringLiteral("H1");
    b.DESCRIPCION = QStringLiteral("Una hora");
    b.PRECIO = Currency::fromRaw(30000);
    b.tiempo_bono = 60;
    return b;
}

int count(const AccountFixture& f, const char* table) {
    return store::toInt(
        store::scalar(f.db(), QStringLiteral("SELECT COUNT(*) FROM ") + QLatin1String(table)));
}

int opcion(const AccountFixture& f, const char* column) {
    return store::toInt(store::scalar(f.db(), QStringLiteral("SELECT ") + QLatin1String(column) +
                                                  QStringLiteral(" FROM opciones")));
}

store::Cuenta codigoDe(const QString& login, int seconds) {
    store::Cuenta c;
    c.Login = login;
    c.Pass = QStringLiteral("PW");
    c.Tipo = QStringLiteral("9");
    c.Bonotiempo = seconds;
    c.Alta = QDate(2026, 3, 1);
    c.Ultima = QDate(2026, 3, 1);
    return c;
}

} // namespace

class TstCodigos : public QObject {
    Q_OBJECT
private slots:
    void proposedLogin_data();
    void proposedLogin();
    void sale();
    void refusals_data();
    void refusals();
    void topUp_data();
    void topUp();
    void automaticSale_data();
    void automaticSale();
    void automaticSaleRepeatedLogin();
    void windowSellsCodesInARow();
    void cancelAfterNuevo();
    void windowRefusesQuantity_data();
    void windowRefusesQuantity();
};

void TstCodigos::proposedLogin_data() {
    QTest::addColumn<int>("contador");
    QTest::addColumn<int>("digits");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<int>("contadorAfter");
    QTest::newRow("7 and six digits") << 7 << 6 << "8" << 8;
    QTest::newRow("41 and four") << 41 << 4 << "42" << 42;
    QTest::newRow("ten characters exactly") << 98 << 8 << "99" << 99;
    // 100 and eight digits would make eleven: refused, the counter untouched.
    QTest::newRow("eleven characters") << 99 << 8 << QString() << 99;
}

void TstCodigos::proposedLogin() {
    QFETCH(int, contador);
    QFETCH(int, digits);
    QFETCH(QString, prefix);
    QFETCH(int, contadorAfter);
    AccountFixture f;
    store::run(f.db(), QStringLiteral("UPDATE opciones SET op3_1 = 1, cmb_2_val = ?, contador = ?"),
               {digits, contador});
    QRandomGenerator random(7);
    const CodigoPropuesto p = proponerCodigo(f.db(), random);
    QCOMPARE(opcion(f, "contador"), contadorAfter);
    if (prefix.isEmpty()) {
        QCOMPARE(p.messageKey, QStringLiteral("LoginLargo"));
        QVERIFY(p.login.isEmpty());
        return;
    }
    QVERIFY(p.messageKey.isEmpty());
    QCOMPARE(p.login.size(), prefix.size() + digits);
    QVERIFY(p.login.startsWith(prefix));
    QCOMPARE(p.login.at(prefix.size()), QLatin1Char('0'));
}

void TstCodigos::sale() {
    AccountFixture f;
    const int tick = opcion(f, "NUM_TICK");
    QList<store::Cuenta> changed;
    VentaCodigo v;
    v.login = QStringLiteral("abc");
    v.password = QStringLiteral("xy1");
    v.bono = bono60();
    v.cantidad = 2;
    const CodigoResultado r = crearCodigo(f.db(), v, QStringLiteral("CAJA"), 1, f.te.clock.now(),
                                          [&](const store::Cuenta& c) { changed << c; });
    QVERIFY2(r.ok(), qPrintable(r.messageKey));
    const store::Cuenta c = f.read(QStringLiteral("ABC"));
    QCOMPARE(c.Login, QStringLiteral("ABC"));
    QCOMPARE(c.Pass, QStringLiteral("XY1"));
    QCOMPARE(c.Tipo, QStringLiteral("9"));
    QCOMPARE(c.Bonotiempo, 7200);
    QCOMPARE(c.Alta, QDate(2026, 3, 10));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.first().Bonotiempo, 7200);

    const store::Ticket t = *sales::ticketById(f.db(), r.idTick);
    QCOMPARE(t.NUM_TICKET, QString::number(tick + 1));
    QCOMPARE(opcion(f, "NUM_TICK"), tick + 1);
    QCOMPARE(t.IMPORTE, Currency::fromRaw(60000));
    QCOMPARE(t.OPERADOR, QStringLiteral("CAJA"));
    // Pending in the station queue, as every top-up ticket.
    QVERIFY(!t.CONTA);
    const std::vector<store::LinTick> lines = sales::lines(f.db(), r.idTick);
    QCOMPARE(lines.size(), size_t(1));
    QCOMPARE(lines[0].CODIGO, QStringLiteral("H1"));
    QVERIFY(lines[0].BONO);
    QCOMPARE(lines[0].CANT, 2.0);
    QCOMPARE(lines[0].IMPORTE, Currency::fromRaw(60000));

    const std::vector<store::MovCuenta> m = f.movements();
    QCOMPARE(m.size(), size_t(1));
    QCOMPARE(m[0].CUENTA, QStringLiteral("ABC"));
    QCOMPARE(m[0].TICKET, t.NUM_TICKET);
    QCOMPARE(m[0].saldoti_ant_bono, std::optional<int>(0));
    QCOMPARE(m[0].SALDOTI_MOV, QStringLiteral("2:00:00"));
    QCOMPARE(m[0].saldoti_fin_bono, std::optional<int>(7200));
}

void TstCodigos::refusals_data() {
    QTest::addColumn<QString>("login");
    QTest::addColumn<bool>("withBono");
    QTest::addColumn<double>("cantidad");
    QTest::addColumn<QString>("key");
    QTest::newRow("empty login") << "" << true << 1.0 << "NoLogin";
    QTest::newRow("empty login before no voucher") << "" << false << 1.0 << "NoLogin";
    QTest::newRow("no voucher") << "NUEVO" << false << 1.0 << "NoDescripcion";
    QTest::newRow("eleven characters") << "ABCDEFGHIJK" << true << 1.0 << "LoginLargo";
    QTest::newRow("501 hours") << "NUEVO" << true << 501.0 << "Bono";
    QTest::newRow("500 hours before the repeated login") << "taken" << true << 501.0 << "Bono";
    QTest::newRow("differs only in case") << "taken" << true << 1.0 << "Cuenta repetida";
    QTest::newRow("an account's login") << "ANA" << true << 1.0 << "Cuenta repetida";
    QTest::newRow("quantity 0") << "NUEVO" << true << 0.0 << "CantidadNoValida";
    QTest::newRow("quantity not a number")
        << "NUEVO" << true << std::numeric_limits<double>::quiet_NaN() << "CantidadNoValida";
    // Its seconds do not fit an int; held at the top they still meet the 500 hours.
    QTest::newRow("a million hours") << "NUEVO" << true << 1e6 << "Bono";
}

void TstCodigos::refusals() {
    QFETCH(QString, login);
    QFETCH(bool, withBono);
    QFETCH(double, cantidad);
    QFETCH(QString, key);
    AccountFixture f;
    // Written before logins were upper-cased.
    f.add(codigoDe(QStringLiteral("Taken"), 60));
    f.add(f.cuenta(QStringLiteral("ANA")));
    const int tickets = count(f, "ticket");
    const int tick = opcion(f, "NUM_TICK");
    VentaCodigo v;
    v.login = login;
    if (withBono)
        v.bono = bono60();
    v.cantidad = cantidad;
    bool called = false;
    const CodigoResultado r = crearCodigo(f.db(), v, QStringLiteral("CAJA"), 1, f.te.clock.now(),
                                          [&](const store::Cuenta&) { called = true; });
    QCOMPARE(r.messageKey, key);
    QCOMPARE(count(f, "cuentas"), 2);
    QCOMPARE(count(f, "ticket"), tickets);
    QCOMPARE(count(f, "movcuentas"), 0);
    QCOMPARE(opcion(f, "NUM_TICK"), tick);
    QVERIFY(!called);
}

void TstCodigos::topUp_data() {
    QTest::addColumn<int>("before");
    QTest::addColumn<double>("cantidad");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("after");
    QTest::addColumn<QString>("mov");
    QTest::newRow("one hour") << 1800 << 1.0 << "" << 5400 << "1:00:00";
    QTest::newRow("up to 500 hours exactly") << 1796400 << 1.0 << "" << 1800000 << "1:00:00";
    QTest::newRow("past 500 hours") << 1796401 << 1.0 << "Bono" << 1796401 << "";
    QTest::newRow("negative below nothing") << 1800 << -1.0 << "" << 0 << " - 1:00:00";
}

void TstCodigos::topUp() {
    QFETCH(int, before);
    QFETCH(double, cantidad);
    QFETCH(QString, key);
    QFETCH(int, after);
    QFETCH(QString, mov);
    AccountFixture f;
    f.add(codigoDe(QStringLiteral("C1"), before));
    VentaCodigo v;
    v.login = QStringLiteral("C1");
    v.bono = bono60();
    v.cantidad = cantidad;
    QList<int> changed;
    const CodigoResultado r = recargarCodigo(f.db(), v, QStringLiteral("CAJA"), 1, f.te.clock.now(),
                                             [&](const store::Cuenta& c) { changed << c.Bonotiempo; });
    QCOMPARE(r.messageKey, key);
    const store::Cuenta c = f.read(QStringLiteral("C1"));
    QCOMPARE(c.Bonotiempo, after);
    if (!key.isEmpty()) {
        QCOMPARE(count(f, "movcuentas"), 0);
        QVERIFY(changed.isEmpty());
        QCOMPARE(c.Ultima, QDate(2026, 3, 1));
        return;
    }
    QCOMPARE(changed, QList<int>{after});
    QCOMPARE(c.Ultima, QDate(2026, 3, 10));
    const std::vector<store::MovCuenta> m = f.movements();
    QCOMPARE(m.size(), size_t(1));
    QCOMPARE(m[0].saldoti_ant_bono, std::optional<int>(before));
    QCOMPARE(m[0].SALDOTI_MOV, mov);
    QCOMPARE(m[0].saldoti_fin_bono, std::optional<int>(after));
}

void TstCodigos::automaticSale_data() {
    QTest::addColumn<bool>("op3_1");
    QTest::addColumn<int>("passMode");
    QTest::addColumn<bool>("withVoucher");
    QTest::addColumn<int>("loginLength");
    QTest::addColumn<QString>("pass");
    QTest::newRow("counter and six digits, fixed password")
        << true << 2 << true << 1 + 6 << QStringLiteral("abc");
    QTest::newRow("without op3_1 four digits") << false << 2 << true << 1 + 4 << QStringLiteral("abc");
    QTest::newRow("random password") << true << 1 << true << 7 << QString();
    QTest::newRow("first use") << true << 0 << true << 7 << QString();
    QTest::newRow("no voucher: no time, no ticket") << true << 2 << false << 7 << QStringLiteral("abc");
}

void TstCodigos::automaticSale() {
    QFETCH(bool, op3_1);
    QFETCH(int, passMode);
    QFETCH(bool, withVoucher);
    QFETCH(int, loginLength);
    QFETCH(QString, pass);
    AccountFixture f;
    store::run(
        f.db(),
        QStringLiteral("UPDATE opciones SET op3_1 = ?, cmb_2_val = 6, contador = 7, op3_2 = ?, "
                       "pass_ini2 = 'abc', ini_time_cod = ?, op3_6 = 1, ini_desktop_cod = 2"),
        {store::sqlValue(op3_1), passMode, withVoucher ? QStringLiteral("B1H") : QStringLiteral("       ")});
    const int tickets = count(f, "ticket");
    QRandomGenerator random(11);
    const CodigoResultado r = ventaAutomatica(f.db(), random, QStringLiteral("CAJA"), f.te.clock.now());
    QVERIFY2(r.ok(), qPrintable(r.messageKey));
    QCOMPARE(opcion(f, "contador"), 8);
    const store::Cuenta c = f.read(r.cuenta.Login);
    QCOMPARE(c.Login.size(), loginLength);
    QVERIFY(c.Login.startsWith(QLatin1Char('8')));
    QCOMPARE(c.Tipo, QStringLiteral("9"));
    QCOMPARE(c.Escritorio, 2);
    QCOMPARE(c.Intropass, passMode == 0);
    // The first-use choice excludes the other.
    QCOMPARE(c.Nomodpass, passMode != 0);
    if (passMode == 1) {
        QCOMPARE(c.Pass.size(), 4);
        bool digits = false;
        c.Pass.toInt(&digits);
        QVERIFY(digits);
    } else {
        QCOMPARE(c.Pass, pass);
    }
    QCOMPARE(c.Bonotiempo, withVoucher ? 3600 : 0);
    QCOMPARE(count(f, "ticket"), tickets + (withVoucher ? 1 : 0));
    QCOMPARE(count(f, "movcuentas"), withVoucher ? 1 : 0);
    if (withVoucher) {
        const store::Ticket t = *sales::ticketById(f.db(), r.idTick);
        QCOMPARE(t.IMPORTE, Currency::fromRaw(10000));
        QCOMPARE(f.movements()[0].SALDOTI_MOV, QStringLiteral("1:00:00"));
    }
}

void TstCodigos::automaticSaleRepeatedLogin() {
    AccountFixture f;
    store::run(f.db(),
               QStringLiteral("UPDATE opciones SET op3_1 = 1, cmb_2_val = 4, contador = 7, op3_2 = 2, "
                              "ini_time_cod = 'B1H'"));
    // The same draws give the same login.
    QRandomGenerator first(5);
    f.add(f.cuenta(QStringLiteral("8") + digitosAleatorios(4, first)));
    const int tickets = count(f, "ticket");
    QRandomGenerator random(5);
    const CodigoResultado r = ventaAutomatica(f.db(), random, QStringLiteral("CAJA"), f.te.clock.now());
    QCOMPARE(r.messageKey, QStringLiteral("Código repetido"));
    QCOMPARE(count(f, "cuentas"), 1);
    QCOMPARE(count(f, "ticket"), tickets);
    // The number stays used.
    QCOMPARE(opcion(f, "contador"), 8);
}

void TstCodigos::windowSellsCodesInARow() {
    AccountFixture f;
    ScriptedUi ui;
    store::run(f.db(),
               QStringLiteral("UPDATE opciones SET op3_1 = 1, cmb_2_val = 4, contador = 0, op3_2 = 2, "
                              "pass_ini2 = 'clave', ini_time_cod = 'B1H'"));
    Tfrmcodigostiempo w(f.te.context, Tfrmcodigostiempo::Modo::Crear, std::nullopt, {});
    QVERIFY(!w.bonoBox()->isEnabled());
    QVERIFY(!w.loginEdit()->isEnabled());
    QStringList logins;
    for (int i = 0; i < 2; ++i) {
        w.nuevo();
        QVERIFY(w.salePending());
        QCOMPARE(w.bonoBox()->currentText(), QStringLiteral("Bono 1 hora"));
        w.quantityEdit()->setText(QStringLiteral("2"));
        w.confirmar();
        QVERIFY2(ui.messageTexts().isEmpty(), qPrintable(ui.messageTexts().join(QLatin1Char('|'))));
        QVERIFY(!w.salePending());
        logins << w.lastSale().cuenta.Login;
    }
    QCOMPARE(opcion(f, "contador"), 2);
    QVERIFY(logins[0].startsWith(QLatin1Char('1')) && logins[1].startsWith(QLatin1Char('2')));
    const std::vector<store::MovCuenta> m = f.movements();
    QCOMPARE(m.size(), size_t(2));
    for (const store::MovCuenta& mov : m) {
        // Each code from nothing, not from the one sold before it.
        QCOMPARE(mov.saldoti_ant_bono, std::optional<int>(0));
        QCOMPARE(mov.saldoti_fin_bono, std::optional<int>(7200));
        QCOMPARE(f.read(mov.CUENTA).Pass, QStringLiteral("CLAVE"));
    }
}

void TstCodigos::cancelAfterNuevo() {
    AccountFixture f;
    ScriptedUi ui;
    store::run(f.db(), QStringLiteral("UPDATE opciones SET op3_1 = 1, cmb_2_val = 4, contador = 5"));
    const int tickets = count(f, "ticket");
    const int tick = opcion(f, "NUM_TICK");
    Tfrmcodigostiempo w(f.te.context, Tfrmcodigostiempo::Modo::Crear, std::nullopt, {});
    w.nuevo();
    QCOMPARE(w.ticketLabel()->text(), QString::number(tick + 1));
    w.anular();
    QCOMPARE(w.result(), int(QDialog::Rejected));
    QCOMPARE(count(f, "ticket"), tickets);
    QCOMPARE(opcion(f, "NUM_TICK"), tick);
    QCOMPARE(count(f, "cuentas"), 0);
    QCOMPARE(opcion(f, "contador"), 6);
}

void TstCodigos::windowRefusesQuantity_data() {
    QTest::addColumn<bool>("topUp");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<int>("bonotiempo");
    QTest::newRow("new code, letters") << false << "abc" << -1;
    QTest::newRow("new code, 0") << false << "0" << -1;
    QTest::newRow("new code, empty") << false << "" << -1;
    QTest::newRow("new code, 1") << false << "1" << 3600;
    QTest::newRow("top-up, letters") << true << "abc" << -1;
    QTest::newRow("top-up, 0") << true << "0" << -1;
    QTest::newRow("top-up, 1") << true << "1" << 3600 + 600;
}

void TstCodigos::windowRefusesQuantity() {
    QFETCH(bool, topUp);
    QFETCH(QString, quantity);
    QFETCH(int, bonotiempo);
    AccountFixture f;
    ScriptedUi ui;
    store::run(f.db(),
               QStringLiteral("UPDATE opciones SET op3_1 = 1, cmb_2_val = 4, contador = 0, op3_2 = 2, "
                              "pass_ini2 = 'clave', ini_time_cod = 'B1H'"));
    f.add(codigoDe(QStringLiteral("COD1"), 600));
    const int tickets = count(f, "ticket");
    const int tick = opcion(f, "NUM_TICK");
    Tfrmcodigostiempo w(
        f.te.context, topUp ? Tfrmcodigostiempo::Modo::Recargar : Tfrmcodigostiempo::Modo::Crear,
        topUp ? std::optional<store::Cuenta>(f.read(QStringLiteral("COD1"))) : std::nullopt, {});
    w.nuevo();
    w.choose(w.bonoBox()->findText(QStringLiteral("Bono 1 hora")));
    w.quantityEdit()->setText(quantity);
    w.confirmar();
    if (bonotiempo >= 0) {
        QVERIFY2(ui.messageTexts().isEmpty(), qPrintable(ui.messageTexts().join(QLatin1Char('|'))));
        QCOMPARE(w.lastSale().cuenta.Bonotiempo, bonotiempo);
        QCOMPARE(count(f, "ticket"), tickets + 1);
        return;
    }
    QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("Cantidad no válida.")});
    QCOMPARE(w.focusWidget(), static_cast<QWidget*>(w.quantityEdit()));
    QVERIFY(w.salePending());
    // Nothing was created: no code, no ticket, no movement, no number used.
    QCOMPARE(count(f, "cuentas"), 1);
    QCOMPARE(f.read(QStringLiteral("COD1")).Bonotiempo, 600);
    QCOMPARE(count(f, "ticket"), tickets);
    QCOMPARE(count(f, "movcuentas"), 0);
    QCOMPARE(opcion(f, "NUM_TICK"), tick);
}

QTEST_MAIN(TstCodigos)
#include "tst_codigos.moc"
