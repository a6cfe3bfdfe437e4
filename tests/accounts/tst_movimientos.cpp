#include "accountfixture.h"

#include "accounts/movimientos.h"
#include "sales/tickets.h"
#include "store/auditoria.h"
#include "store/opciones.h"
#include "store/sql.h"

#include <QTest>

using namespace accounts;

namespace {

const QDateTime Now(QDate(2026, 3, 10), QTime(11, 0));

Venta money(const store::Ticket& t, double quantity, int cents,
            const QString& text = QStringLiteral("Recarga")) {
    Venta v;
    v.ticket = t;
    v.login = QStringLiteral("ANA");
    v.descripcion = text;
    v.cantidad = quantity;
    v.precio = Currency::fromCents(cents);
    return v;
}

Venta voucher(const store::Ticket& t, double quantity, int minutes) {
    Venta v = money(t, quantity, 1000, QStringLiteral("Bono 2 horas"));
    v.codigo = QStringLiteral("B2H");
    v.minutos = minutes;
    return v;
}

} // namespace

class TstMovimientos : public QObject {
    Q_OBJECT
private slots:
    void moneySales();
    void wholeQuantityOnTheLine();
    void emptyDescriptionBooksNothing();
    void vanishedAccountBooksNothing();
    void voidedSale();
    void timeLimit_data();
    void timeLimit();
    void negativeTimeSale();
    void saleBookedUnderTheAccountsLogin_data();
    void saleBookedUnderTheAccountsLogin();
    void handMadeChangesAreAudited_data();
    void handMadeChangesAreAudited();
};

void TstMovimientos::moneySales() {
    AccountFixture f;
    store::Cuenta c = f.cuenta(QStringLiteral("ANA"));
    c.credito = Currency::fromCents(300);
    f.add(c);
    const store::Ticket t = abrirVenta(f.db(), QStringLiteral("CAJA"), Now);
    QCOMPARE(t.IMPORTE, Currency());
    VentaResultado r =
        confirmarMetalico(f.db(), money(t, 2, 500), Currency::fromCents(300), QStringLiteral("LUIS"), 2);
    QVERIFY(r.ok());
    QCOMPARE(r.cuenta.credito, Currency::fromCents(1300));
    std::vector<store::MovCuenta> m = f.movements();
    QCOMPARE(m.size(), size_t(1));
    QCOMPARE(m[0].SALDO_ANT, Currency::fromCents(300));
    QCOMPARE(m[0].SALDO_MOV, Currency::fromCents(1000));
    QCOMPARE(m[0].SALDO_FIN, Currency::fromCents(1300));
    QCOMPARE(m[0].TICKET, t.NUM_TICKET);
    QCOMPARE(m[0].CONCEPTO, QStringLiteral("Recarga"));
    QCOMPARE(m[0].FECHA, t.FECHA);
    const store::Ticket stored = *sales::ticketById(f.db(), t.ID_TICK);
    QCOMPARE(stored.IMPORTE, Currency::fromCents(1000));
    QCOMPARE(stored.OPERADOR, QStringLiteral("LUIS"));

    // The next sale starts from the remembered 13.00.
    const store::Ticket t2 = abrirVenta(f.db(), QStringLiteral("CAJA"), Now);
    r = confirmarMetalico(f.db(), money(t2, 1, 500), r.cuenta.credito, QStringLiteral("LUIS"), 2);
    m = f.movements();
    QCOMPARE(m[1].SALDO_ANT, Currency::fromCents(1300));
    QCOMPARE(m[1].SALDO_FIN, Currency::fromCents(1800));
    QCOMPARE(f.read(QStringLiteral("ANA")).credito, Currency::fromCents(1800));

    // Another window tops up meanwhile: the credit grows from what is stored,
    // the movement starts from what this window remembers.
    f.sql(QStringLiteral("UPDATE cuentas SET credito = 30000 WHERE Login = 'ANA'"));
    const store::Ticket t3 = abrirVenta(f.db(), QStringLiteral("CAJA"), Now);
    r = confirmarMetalico(f.db(), money(t3, 1, 500), Currency::fromCents(1800), QStringLiteral("LUIS"), 2);
    QCOMPARE(r.cuenta.credito, Currency::fromCents(800));
    m = f.movements();
    QCOMPARE(m[2].SALDO_ANT, Currency::fromCents(1800));
    QCOMPARE(m[2].SALDO_FIN, Currency::fromCents(800));
    QCOMPARE(f.read(QStringLiteral("ANA")).credito, Currency::fromCents(800));
}

void TstMovimientos::wholeQuantityOnTheLine() {
    AccountFixture f;
    f.add(f.cuenta(QStringLiteral("ANA")));
    const store::Ticket t = abrirVenta(f.db(), QStringLiteral("CAJA"), Now);
    QVERIFY(confirmarMetalico(f.db(), money(t, 2.5, 500), Currency(), QStringLiteral("CAJA"), 2).ok());
    const std::vector<store::LinTick> l = sales::lines(f.db(), t.ID_TICK);
    QCOMPARE(l.size(), size_t(1));
    QCOMPARE(l[0].CANT, 2.0);
    QCOMPARE(l[0].IMPORTE, Currency::fromCents(1250));
    QCOMPARE(f.read(QStringLiteral("ANA")).credito, Currency::fromCents(1250));
}

void TstMovimientos::emptyDescriptionBooksNothing() {
    AccountFixture f;
    f.add(f.cuenta(QStringLiteral("ANA")));
    const store::Ticket t = abrirVenta(f.db(), QStringLiteral("CAJA"), Now);
    QCOMPARE(confirmarMetalico(f.db(), money(t, 1, 500, QString()), Currency(), QStringLiteral("CAJA"), 2)
                 .messageKey,
             QStringLiteral("NoDes"));
    Venta v = voucher(t, 1, 60);
    v.descripcion.clear();
    QCOMPARE(confirmarTiempo(f.db(), v, 0, QStringLiteral("CAJA"), 2).messageKey,
             QStringLiteral("NoDescripcion"));
    QVERIFY(f.movements().empty());
    QCOMPARE(f.read(QStringLiteral("ANA")).credito, Currency());
}

void TstMovimientos::vanishedAccountBooksNothing() {
    AccountFixture f;
    const store::Ticket t = abrirVenta(f.db(), QStringLiteral("CAJA"), Now);
    QCOMPARE(confirmarMetalico(f.db(), money(t, 1, 500), Currency(), QStringLiteral("CAJA"), 2).messageKey,
             QStringLiteral("CuentaNoExiste"));
    QVERIFY(f.movements().empty());
    QVERIFY(sales::lines(f.db(), t.ID_TICK).empty());
}

void TstMovimientos::voidedSale() {
    AccountFixture f;
    f.sql(QStringLiteral("UPDATE opciones SET NUM_TICK = 41"));
    const store::Ticket t = abrirVenta(f.db(), QStringLiteral("CAJA"), Now);
    QCOMPARE(t.NUM_TICKET, QStringLiteral("42"));
    anularVenta(f.db(), t, QStringLiteral("LUIS"), Now);
    const store::Ticket stored = *sales::ticketById(f.db(), t.ID_TICK);
    QCOMPARE(stored.IMPORTE, Currency());
    QCOMPARE(stored.OBSERVACIONES, QStringLiteral("ANULADO"));
    QCOMPARE(stored.OPERADOR, QStringLiteral("LUIS"));
    const std::vector<store::LinTick> l = sales::lines(f.db(), t.ID_TICK);
    QCOMPARE(l.size(), size_t(1));
    QCOMPARE(l[0].ARTICULO, QString());
    QCOMPARE(l[0].IMPORTE, Currency());
    QCOMPARE(store::readOpciones(f.db()).NUM_TICK, 42);
    QVERIFY(f.movements().empty());
}

void TstMovimientos::timeLimit_data() {
    QTest::addColumn<int>("hours");
    QTest::addColumn<QString>("key");
    QTest::newRow("499 h + 2 h") << 499 << "Bono";
    QTest::newRow("498 h + 2 h") << 498 << "";
}

void TstMovimientos::timeLimit() {
    QFETCH(int, hours);
    QFETCH(QString, key);
    AccountFixture f;
    store::Cuenta c = f.cuenta(QStringLiteral("ANA"));
    c.Tipo = QStringLiteral("2");
    c.Bonotiempo = hours * 3600;
    f.add(c);
    const store::Ticket t = abrirVenta(f.db(), QStringLiteral("CAJA"), Now);
    const VentaResultado r =
        confirmarTiempo(f.db(), voucher(t, 1, 120), c.Bonotiempo, QStringLiteral("CAJA"), 2);
    QCOMPARE(r.messageKey, key);
    if (key.isEmpty()) {
        QCOMPARE(f.read(QStringLiteral("ANA")).Bonotiempo, MaxBonoSeconds);
        const std::vector<store::MovCuenta> m = f.movements();
        QCOMPARE(m.at(0).SALDOTI_MOV, QStringLiteral("2:00:00"));
        QCOMPARE(m.at(0).saldoti_ant_bono, hours * 3600);
        QCOMPARE(m.at(0).saldoti_fin_bono, MaxBonoSeconds);
        const std::vector<store::LinTick> l = sales::lines(f.db(), t.ID_TICK);
        QCOMPARE(l.at(0).BONO, true);
        QCOMPARE(l.at(0).CODIGO, QStringLiteral("B2H"));
    } else {
        QCOMPARE(f.read(QStringLiteral("ANA")).Bonotiempo, hours * 3600);
        QVERIFY(f.movements().empty());
    }
}

void TstMovimientos::negativeTimeSale() {
    AccountFixture f;
    store::Cuenta c = f.cuenta(QStringLiteral("ANA"));
    c.Tipo = QStringLiteral("2");
    c.Bonotiempo = 1800;
    f.add(c);
    const store::Ticket t = abrirVenta(f.db(), QStringLiteral("CAJA"), Now);
    QVERIFY(confirmarTiempo(f.db(), voucher(t, -1, 120), 1800, QStringLiteral("CAJA"), 2).ok());
    QCOMPARE(f.read(QStringLiteral("ANA")).Bonotiempo, 0);
    const std::vector<store::MovCuenta> m = f.movements();
    QCOMPARE(m.at(0).SALDOTI_MOV, QStringLiteral(" - 2:00:00"));
    QCOMPARE(m.at(0).saldoti_fin_bono, 0);
    QCOMPARE(sales::lines(f.db(), t.ID_TICK).at(0).CANT, -1.0);
}

void TstMovimientos::saleBookedUnderTheAccountsLogin_data() {
    QTest::addColumn<bool>("time");
    QTest::newRow("money") << false;
    QTest::newRow("time") << true;
}

// A window opened for a station's login, typed in other letter case, books
// under the account's own login.
void TstMovimientos::saleBookedUnderTheAccountsLogin() {
    QFETCH(bool, time);
    AccountFixture f;
    f.add(f.cuenta(QStringLiteral("ANA")));
    const store::Ticket t = abrirVenta(f.db(), QStringLiteral("CAJA"), Now);
    Venta v = time ? voucher(t, 1, 60) : money(t, 1, 500);
    v.login = QStringLiteral("ana");
    const VentaResultado r = time ? confirmarTiempo(f.db(), v, 0, QStringLiteral("CAJA"), 2)
                                  : confirmarMetalico(f.db(), v, Currency(), QStringLiteral("CAJA"), 2);
    QVERIFY(r.ok());
    QCOMPARE(r.cuenta.Login, QStringLiteral("ANA"));
    const std::vector<store::MovCuenta> m = f.movements();
    QCOMPARE(m.size(), size_t(1));
    QCOMPARE(m[0].CUENTA, QStringLiteral("ANA"));
    const store::Cuenta stored = f.read(QStringLiteral("ANA"));
    if (time)
        QCOMPARE(stored.Bonotiempo, 3600);
    else
        QCOMPARE(stored.credito, Currency::fromCents(500));
}

void TstMovimientos::handMadeChangesAreAudited_data() {
    QTest::addColumn<bool>("time");
    QTest::addColumn<int>("stored"); // cents, or seconds of time
    QTest::addColumn<double>("quantity");
    QTest::addColumn<QString>("antes");
    QTest::addColumn<QString>("despues");
    // The window remembers no credit at all: the trail must start from the stored one.
    QTest::newRow("top-up") << false << 300 << 2.0 << QStringLiteral("Crédito 3,00")
                            << QStringLiteral("Crédito 13,00\n+10,00 en el ticket 42");
    QTest::newRow("money given back") << false << 1300 << -1.0 << QStringLiteral("Crédito 13,00")
                                      << QStringLiteral("Crédito 8,00\n-5,00 en el ticket 42");
    QTest::newRow("voucher") << true << 3600 << 2.0 << QStringLiteral("Tiempo 1:00:00")
                             << QStringLiteral("Tiempo 3:00:00\n+2:00:00 en el ticket 42");
    QTest::newRow("more time taken than held") << true << 1800 << -1.0 << QStringLiteral("Tiempo 0:30:00")
                                               << QStringLiteral("Tiempo 0:00:00\n-1:00:00 en el ticket 42");
}

void TstMovimientos::handMadeChangesAreAudited() {
    QFETCH(bool, time);
    QFETCH(int, stored);
    QFETCH(double, quantity);
    QFETCH(QString, antes);
    QFETCH(QString, despues);
    AccountFixture f;
    store::Cuenta c = f.cuenta(QStringLiteral("ANA"));
    if (time)
        c.Bonotiempo = stored;
    else
        c.credito = Currency::fromCents(stored);
    f.add(c);
    f.sql(QStringLiteral("UPDATE opciones SET NUM_TICK = 41"));
    const store::Ticket t = abrirVenta(f.db(), QStringLiteral("CAJA"), Now);
    const VentaResultado r =
        time ? confirmarTiempo(f.db(), voucher(t, quantity, 60), 0, QStringLiteral("LUIS"), 2)
             : confirmarMetalico(f.db(), money(t, quantity, 500), Currency(), QStringLiteral("LUIS"), 2);
    QVERIFY(r.ok());
    QSqlQuery q =
        store::run(f.db(), QStringLiteral("SELECT OPERADOR, ACCION, OBJETO, ANTES, DESPUES FROM auditoria"));
    QVERIFY(q.next());
    QCOMPARE(store::toText(q.value(0)), QStringLiteral("LUIS"));
    QCOMPARE(store::toText(q.value(1)), time ? store::accion::TiempoCuenta : store::accion::CreditoCuenta);
    QCOMPARE(store::toText(q.value(2)), QStringLiteral("Cuenta ANA"));
    QCOMPARE(store::toText(q.value(3)), antes);
    QCOMPARE(store::toText(q.value(4)), despues);
    QVERIFY(!q.next());
}

QTEST_GUILESS_MAIN(TstMovimientos)
#include "tst_movimientos.moc"
