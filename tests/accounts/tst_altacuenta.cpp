#include "accountfixture.h"

#include "accounts/altacuenta.h"
#include "sales/tickets.h"
#include "store/opciones.h"
#include "store/sql.h"

#include <QRandomGenerator>
#include <QTest>

using namespace accounts;

namespace {

const QDateTime Now(QDate(2026, 3, 10), QTime(11, 0));

store::Cuenta nueva(const QString& login) {
    store::Cuenta c;
    c.Login = login;
    c.Pass = QStringLiteral("pw");
    c.Tipo = QStringLiteral("0");
    c.Tarifa = QStringLiteral("NORMAL");
    return c;
}

} // namespace

class TstAltaCuenta : public QObject {
    Q_OBJECT
private slots:
    void randomDigits();
    void generatedLogin();
    void generatedLoginTooLong();
    void passwordModes_data();
    void passwordModes();
    void checksInOrder_data();
    void checksInOrder();
    void initialCreditSale();
    void noCreditNoTicket();
    void negativeVoucherLine();
};

void TstAltaCuenta::randomDigits() {
    QRandomGenerator random(7);
    for (int n : {4, 6, 8}) {
        for (int i = 0; i < 200; ++i) {
            const QString d = digitosAleatorios(n, random);
            QCOMPARE(d.size(), n);
            QCOMPARE(d.at(0), QLatin1Char('0'));
            for (QChar c : d)
                QVERIFY(c.isDigit());
        }
    }
    QCOMPARE(digitosAleatorios(5, random), QStringLiteral("00000"));
}

void TstAltaCuenta::generatedLogin() {
    AccountFixture f;
    f.sql(QStringLiteral("UPDATE opciones SET op2_1 = 1, contador = 41, cmb_1_val = 4"));
    QRandomGenerator random(1);
    const CuentaPropuesta p = proponerCuenta(f.db(), random);
    QCOMPARE(p.login.size(), 6);
    QVERIFY(p.login.startsWith(QStringLiteral("420")));
    // Used up at once, even if the window is then cancelled.
    QCOMPARE(store::readOpciones(f.db()).contador, 42);
}

void TstAltaCuenta::generatedLoginTooLong() {
    AccountFixture f;
    f.sql(QStringLiteral("UPDATE opciones SET op2_1 = 1, contador = 123, cmb_1_val = 8"));
    QRandomGenerator random(1);
    const CuentaPropuesta p = proponerCuenta(f.db(), random);
    QCOMPARE(p.messageKey, QStringLiteral("LoginLargo"));
    QVERIFY(p.login.isEmpty());
    QCOMPARE(store::readOpciones(f.db()).contador, 123);
}

void TstAltaCuenta::passwordModes_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("intropass");
    QTest::addColumn<QString>("expected"); // "####" for four digits
    QTest::newRow("customer chooses") << 0 << true << "";
    QTest::newRow("four random digits") << 1 << false << "####";
    QTest::newRow("fixed, trimmed") << 2 << false << "abc";
}

void TstAltaCuenta::passwordModes() {
    QFETCH(int, mode);
    QFETCH(bool, intropass);
    QFETCH(QString, expected);
    AccountFixture f;
    store::run(f.db(), QStringLiteral("UPDATE opciones SET op2_1 = 0, op2_2 = ?, pass_ini = '  abc '"),
               {mode});
    QRandomGenerator random(3);
    const CuentaPropuesta p = proponerCuenta(f.db(), random);
    QCOMPARE(p.intropass, intropass);
    QVERIFY(p.login.isEmpty());
    if (expected == QLatin1String("####")) {
        QCOMPARE(p.password.size(), 4);
        QVERIFY(p.password.toInt() >= 0);
    } else {
        QCOMPARE(p.password, expected);
    }
}

void TstAltaCuenta::checksInOrder_data() {
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<QString>("repeat");
    QTest::addColumn<bool>("noTariffs");
    QTest::addColumn<QString>("key");
    QTest::newRow("empty login first") << "  "
                                       << ""
                                       << "x" << true << "MensajeCuenta";
    QTest::newRow("login too long") << "ABCDEFGHIJK"
                                    << "0"
                                    << "pw" << false << "LoginLargo";
    QTest::newRow("no pricing mode") << "NUEVA"
                                     << ""
                                     << "x" << false << "NoTarifa";
    QTest::newRow("bands without tariffs") << "NUEVA"
                                           << "1"
                                           << "x" << true << "noTarifa1";
    QTest::newRow("duplicate of a time code") << "codigo"
                                              << "0"
                                              << "x" << false << "cuentaexiste";
    QTest::newRow("passwords differ") << "NUEVA"
                                      << "0"
                                      << "x" << false << "RepetirPass";
    QTest::newRow("saved") << "nueva"
                           << "0"
                           << "pw" << false << "";
}

void TstAltaCuenta::checksInOrder() {
    QFETCH(QString, login);
    QFETCH(QString, tipo);
    QFETCH(QString, repeat);
    QFETCH(bool, noTariffs);
    QFETCH(QString, key);
    AccountFixture f;
    store::Cuenta code = f.cuenta(QStringLiteral("CODIGO"));
    code.Tipo = QStringLiteral("9");
    f.add(code);
    if (noTariffs)
        f.sql(QStringLiteral("DELETE FROM tarifas"));
    store::Cuenta c = nueva(login);
    c.Tipo = tipo;
    const AltaResultado r = guardarCuentaNueva(f.db(), c, repeat, {}, {}, QStringLiteral("CAJA"), 2, Now);
    QCOMPARE(r.messageKey, key);
    const int rows = store::toInt(store::scalar(f.db(), QStringLiteral("SELECT COUNT(*) FROM cuentas")));
    QCOMPARE(rows, key.isEmpty() ? 2 : 1);
    if (key.isEmpty()) {
        const store::Cuenta saved = f.read(QStringLiteral("NUEVA"));
        QCOMPARE(saved.Login, QStringLiteral("NUEVA"));
        QCOMPARE(saved.email, QStringLiteral("     "));
        QCOMPARE(saved.credito, Currency());
    }
}

void TstAltaCuenta::initialCreditSale() {
    AccountFixture f;
    f.sql(QStringLiteral("UPDATE opciones SET NUM_TICK = 9"));
    const std::vector<LineaCredito> dinero{
        {QStringLiteral("R5"), QStringLiteral("Recarga 5 euros"), 2, Currency::fromCents(500), 0}};
    const std::vector<LineaCredito> bonos{
        {QStringLiteral("B1H"), QStringLiteral("Bono 1 hora"), 1, Currency::fromCents(300), 60}};
    const AltaResultado r = guardarCuentaNueva(f.db(), nueva(QStringLiteral("NUEVA")), QStringLiteral("pw"),
                                               dinero, bonos, QStringLiteral("CAJA"), 2, Now);
    QVERIFY(r.ok());
    QCOMPARE(r.ticket, QStringLiteral("10"));
    const store::Ticket t = *sales::findTicket(f.db(), r.ticket);
    QCOMPARE(t.IMPORTE, Currency::fromCents(1300));
    QCOMPARE(t.OPERADOR, QStringLiteral("CAJA"));
    const std::vector<store::LinTick> lines = sales::lines(f.db(), t.ID_TICK);
    QCOMPARE(lines.size(), size_t(2));
    QCOMPARE(lines[0].IMPORTE, Currency::fromCents(1000));
    QCOMPARE(lines[1].BONO, true);
    // No code: initial credit is not an article sale.
    QVERIFY(lines[0].CODIGO.isEmpty());
    QVERIFY(lines[1].CODIGO.isEmpty());
    const std::vector<store::MovCuenta> m = f.movements();
    QCOMPARE(m.size(), size_t(2));
    QCOMPARE(m[0].SALDO_ANT, Currency());
    QCOMPARE(m[0].SALDO_MOV, Currency::fromCents(1000));
    QCOMPARE(m[0].SALDO_FIN, Currency::fromCents(1000));
    QCOMPARE(m[0].TICKET, QStringLiteral("10"));
    QCOMPARE(m[1].saldoti_ant_bono, 0);
    QCOMPARE(m[1].SALDOTI_MOV, QStringLiteral("1:00:00"));
    QCOMPARE(m[1].saldoti_fin_bono, 3600);
    const store::Cuenta c = f.read(QStringLiteral("NUEVA"));
    QCOMPARE(c.credito, Currency::fromCents(1000));
    QCOMPARE(c.Bonotiempo, 3600);
}

void TstAltaCuenta::noCreditNoTicket() {
    AccountFixture f;
    QVERIFY(guardarCuentaNueva(f.db(), nueva(QStringLiteral("NUEVA")), QStringLiteral("pw"), {}, {},
                               QStringLiteral("CAJA"), 2, Now)
                .ticket.isEmpty());
    QCOMPARE(store::toInt(store::scalar(f.db(), QStringLiteral("SELECT COUNT(*) FROM ticket"))), 0);
    QCOMPARE(f.read(QStringLiteral("NUEVA")).Bonotiempo, 0);
}

void TstAltaCuenta::negativeVoucherLine() {
    AccountFixture f;
    const LineaCredito hour{QStringLiteral("B1H"), QStringLiteral("Bono 1 hora"), 1, Currency::fromCents(100),
                            60};
    LineaCredito back = hour;
    back.cantidad = -2;
    back.minutos = -120;
    const AltaResultado r = guardarCuentaNueva(f.db(), nueva(QStringLiteral("NUEVA")), QStringLiteral("pw"),
                                               {}, {hour, back, hour}, QStringLiteral("CAJA"), 2, Now);
    QVERIFY(r.ok());
    // The credit never goes below nothing, and the ledger agrees with it.
    QCOMPARE(f.read(QStringLiteral("NUEVA")).Bonotiempo, 3600);
    const std::vector<store::MovCuenta> m = f.movements();
    QCOMPARE(m.size(), size_t(3));
    QCOMPARE(m[1].SALDOTI_MOV, QStringLiteral(" - 2:00:00"));
    QCOMPARE(m[1].saldoti_fin_bono, 0);
    QCOMPARE(m[2].saldoti_ant_bono, 0);
    QCOMPARE(m[2].saldoti_fin_bono, 3600);
    QCOMPARE(sales::findTicket(f.db(), r.ticket)->IMPORTE, Currency());
}

QTEST_GUILESS_MAIN(TstAltaCuenta)
#include "tst_altacuenta.moc"
