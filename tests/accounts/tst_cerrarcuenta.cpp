#include "accountfixture.h"

#include "sales/tickets.h"
#include "store/sql.h"
#include "store/transaction.h"
#include "support/faults.h"

#include <QTest>

namespace {

const QDate Today(2026, 3, 10);

store::Ticket ticketOf(const QSqlDatabase& db, int cents) {
    store::Ticket t;
    t.IMPORTE = Currency::fromCents(cents);
    t.NPUESTO = 3;
    return sales::NuevoNumeroTicket(db, t, QDateTime(Today, QTime(10, 0)));
}

} // namespace

class TstCerrarCuenta : public QObject {
    Q_OBJECT
private slots:
    void moneyAccount();
    void ticketChargedFirst_data();
    void ticketChargedFirst();
    void timeAccount_data();
    void timeAccount();
    void notice_data();
    void notice();
    void unknownLoginChangesNothing();
    void failureLeavesNothing();
    void callerRollbackLeavesNothing();
};

void TstCerrarCuenta::moneyAccount() {
    AccountFixture f;
    store::Cuenta c = f.cuenta(QStringLiteral("ANA"));
    c.credito = Currency::fromCents(500);
    c.Ultima = Today.addDays(-9);
    f.add(c);
    f.decisions->CerrarCuenta(QStringLiteral("ana"), 3, QStringLiteral("0"), QString(), 3600,
                              Currency::fromCents(120));
    const std::vector<store::MovCuenta> m = f.movements();
    QCOMPARE(m.size(), size_t(1));
    // Under the account's own login, as the listings look for it.
    QCOMPARE(m[0].CUENTA, QStringLiteral("ANA"));
    QCOMPARE(m[0].CONCEPTO, QStringLiteral("PUESTO 3  1:00:00"));
    QCOMPARE(m[0].SALDO_ANT, Currency::fromCents(500));
    QCOMPARE(m[0].SALDO_MOV, Currency::fromCents(-120));
    QCOMPARE(m[0].SALDO_FIN, Currency::fromCents(380));
    QCOMPARE(m[0].TICKET, QString());
    QCOMPARE(m[0].CONTA, false);
    QCOMPARE(m[0].FECHA, Today);
    QCOMPARE(m[0].HORA, QTime(11, 0));
    QCOMPARE(m[0].saldoti_ant_bono, std::nullopt);
    const store::Cuenta after = f.read(QStringLiteral("ANA"));
    QCOMPARE(after.credito, Currency::fromCents(380));
    QCOMPARE(after.Ultima, Today);
}

void TstCerrarCuenta::ticketChargedFirst_data() {
    QTest::addColumn<bool>("tickCargo");
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<bool>("ticketExists");
    QTest::addColumn<bool>("charged");
    QTest::newRow("charged") << true << "0" << true << true;
    QTest::newRow("band account charged") << true << "1" << true << true;
    QTest::newRow("option off") << false << "0" << true << false;
    QTest::newRow("ticket gone") << true << "0" << false << false;
}

void TstCerrarCuenta::ticketChargedFirst() {
    QFETCH(bool, tickCargo);
    QFETCH(QString, tipo);
    QFETCH(bool, ticketExists);
    QFETCH(bool, charged);
    AccountFixture f;
    store::run(f.db(), QStringLiteral("UPDATE opciones SET tick_cargo = ?, iva_gen = 2"),
               {tickCargo ? 1 : 0});
    store::Cuenta c = f.cuenta(QStringLiteral("ANA"));
    c.Tipo = tipo;
    c.credito = Currency::fromCents(500);
    f.add(c);
    const store::Ticket t = ticketOf(f.db(), 250);
    const QString number = ticketExists ? t.NUM_TICKET : QStringLiteral("999");

    f.decisions->CerrarCuenta(QStringLiteral("ANA"), 3, tipo, number, 3600, Currency::fromCents(120));

    const std::vector<store::MovCuenta> m = f.movements();
    const store::Ticket ticket = *sales::ticketById(f.db(), t.ID_TICK);
    const std::vector<store::LinTick> lines = sales::lines(f.db(), t.ID_TICK);
    if (charged) {
        QCOMPARE(m.size(), size_t(2));
        QCOMPARE(m[0].CONCEPTO, QStringLiteral("TICKET: ") + number);
        QCOMPARE(m[0].SALDO_ANT, Currency::fromCents(500));
        QCOMPARE(m[0].SALDO_MOV, Currency::fromCents(-250));
        QCOMPARE(m[0].SALDO_FIN, Currency::fromCents(250));
        QCOMPARE(m[0].TICKET, QString());
        QCOMPARE(m[1].SALDO_ANT, Currency::fromCents(250));
        QCOMPARE(m[1].SALDO_FIN, Currency::fromCents(130));
        QCOMPARE(f.read(QStringLiteral("ANA")).credito, Currency::fromCents(130));
        QCOMPARE(lines.size(), size_t(1));
        QCOMPARE(lines[0].ARTICULO, QStringLiteral("A CUENTA: ANA"));
        QCOMPARE(lines[0].CANT, 1.0);
        QCOMPARE(lines[0].PRECIO, Currency::fromCents(-250));
        QCOMPARE(lines[0].IMPORTE, Currency::fromCents(-250));
        QCOMPARE(lines[0].IdTax, 2);
        QCOMPARE(ticket.IMPORTE, Currency());
        QCOMPARE(ticket.OBSERVACIONES, QStringLiteral("A CUENTA: ANA"));
    } else {
        QCOMPARE(m.size(), size_t(1));
        QCOMPARE(m[0].SALDO_ANT, Currency::fromCents(500));
        QCOMPARE(f.read(QStringLiteral("ANA")).credito, Currency::fromCents(380));
        QVERIFY(lines.empty());
        QCOMPARE(ticket.IMPORTE, Currency::fromCents(250));
    }
}

void TstCerrarCuenta::timeAccount_data() {
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<bool>("withTicket");
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("left");
    // Twenty minutes used of an hour.
    QTest::newRow("time account") << "2" << false << 3600 << 2400;
    QTest::newRow("time code") << "9" << false << 3600 << 2400;
    // A time code never pays a ticket from its (absent) money.
    QTest::newRow("time code with a ticket") << "9" << true << 3600 << 2400;
    // An hour sold while the period ran: the account keeps it.
    QTest::newRow("topped up meanwhile") << "2" << false << 7200 << 6000;
    QTest::newRow("code topped up meanwhile") << "9" << false << 7200 << 6000;
    // Never below nothing, whatever the clock counted.
    QTest::newRow("used more than it holds") << "2" << false << 600 << 0;
}

void TstCerrarCuenta::timeAccount() {
    QFETCH(QString, tipo);
    QFETCH(bool, withTicket);
    QFETCH(int, stored);
    QFETCH(int, left);
    AccountFixture f;
    f.sql(QStringLiteral("UPDATE opciones SET tick_cargo = 1"));
    store::Cuenta c = f.cuenta(QStringLiteral("BONO"));
    c.Tipo = tipo;
    c.Tarifa = QStringLiteral("BONO TIEMPO");
    c.Bonotiempo = stored;
    c.credito = Currency::fromCents(700);
    c.Ultima = Today.addDays(-3);
    f.add(c);
    const QString ticket = withTicket ? ticketOf(f.db(), 250).NUM_TICKET : QString();

    // The time the clock counted.
    f.decisions->CerrarCuenta(QStringLiteral("BONO"), 3, tipo, ticket, 1200, Currency());

    const std::vector<store::MovCuenta> m = f.movements();
    QCOMPARE(m.size(), size_t(1));
    QCOMPARE(m[0].saldoti_ant_bono, stored);
    QCOMPARE(m[0].SALDOTI_MOV, QStringLiteral("-0:20:00"));
    QCOMPARE(m[0].CONCEPTO, QStringLiteral("PUESTO 3  0:20:00"));
    QCOMPARE(m[0].saldoti_fin_bono, left);
    QCOMPARE(m[0].SALDO_MOV, Currency());
    const store::Cuenta after = f.read(QStringLiteral("BONO"));
    QCOMPARE(after.Bonotiempo, left);
    QCOMPARE(after.credito, Currency::fromCents(700));
    QCOMPARE(after.Ultima, Today);
}

void TstCerrarCuenta::notice_data() {
    QTest::addColumn<bool>("tickAviso");
    QTest::addColumn<bool>("withTicket");
    QTest::addColumn<bool>("shown");
    QTest::newRow("shown") << true << true << true;
    QTest::newRow("option off") << false << true << false;
    QTest::newRow("no ticket") << true << false << false;
}

void TstCerrarCuenta::notice() {
    QFETCH(bool, tickAviso);
    QFETCH(bool, withTicket);
    QFETCH(bool, shown);
    AccountFixture f;
    store::run(f.db(), QStringLiteral("UPDATE opciones SET tick_aviso = ?"), {tickAviso ? 1 : 0});
    f.add(f.cuenta(QStringLiteral("ANA")));
    f.decisions->CerrarCuenta(QStringLiteral("ana"), 4, QStringLiteral("0"),
                              withTicket ? QStringLiteral("77") : QString(), 60, Currency::fromCents(2));
    QCOMPARE(f.notices.size(), shown ? 1 : 0);
    if (shown) {
        QCOMPARE(f.notices[0].station, 4);
        QCOMPARE(f.notices[0].time, QStringLiteral("11:00:00"));
        QCOMPARE(f.notices[0].text, QStringLiteral("[System]: ANA ha finalizado con ticket: 77"));
    }
}

void TstCerrarCuenta::unknownLoginChangesNothing() {
    AccountFixture f;
    f.decisions->CerrarCuenta(QStringLiteral("NADIE"), 3, QStringLiteral("0"), QString(), 60,
                              Currency::fromCents(5));
    QVERIFY(f.movements().empty());
}

void TstCerrarCuenta::failureLeavesNothing() {
    AccountFixture f;
    f.sql(QStringLiteral("UPDATE opciones SET tick_cargo = 1, tick_aviso = 1"));
    store::Cuenta c = f.cuenta(QStringLiteral("ANA"));
    c.credito = Currency::fromCents(500);
    f.add(c);
    const store::Ticket t = ticketOf(f.db(), 250);
    // The last statement of the settlement fails.
    refuseWrites(f.db(), QStringLiteral("stop"), QStringLiteral("UPDATE OF credito"),
                 QStringLiteral("cuentas"));
    QVERIFY_THROWS_EXCEPTION(store::DatabaseError,
                             f.decisions->CerrarCuenta(QStringLiteral("ANA"), 3, QStringLiteral("0"),
                                                       t.NUM_TICKET, 3600, Currency::fromCents(120)));
    QVERIFY(f.movements().empty());
    QVERIFY(sales::lines(f.db(), t.ID_TICK).empty());
    QCOMPARE(sales::ticketById(f.db(), t.ID_TICK)->IMPORTE, Currency::fromCents(250));
    QCOMPARE(f.read(QStringLiteral("ANA")).credito, Currency::fromCents(500));
    QVERIFY(f.notices.isEmpty());
}

void TstCerrarCuenta::callerRollbackLeavesNothing() {
    // Inside the booking of the period: what the caller rolls back takes the
    // settlement with it.
    AccountFixture f;
    store::Cuenta c = f.cuenta(QStringLiteral("ANA"));
    c.credito = Currency::fromCents(500);
    f.add(c);
    {
        store::Transaction booking(f.db());
        f.decisions->CerrarCuenta(QStringLiteral("ANA"), 3, QStringLiteral("0"), QString(), 3600,
                                  Currency::fromCents(120));
        QCOMPARE(f.movements().size(), size_t(1));
    }
    QVERIFY(f.movements().empty());
    QCOMPARE(f.read(QStringLiteral("ANA")).credito, Currency::fromCents(500));
}

QTEST_GUILESS_MAIN(TstCerrarCuenta)
#include "tst_cerrarcuenta.moc"
