#include "core/consolecontext.h"
#include "sales/tickets.h"
#include "session/engine.h"
#include "store/opciones.h"
#include "store/rows.h"
#include "store/sql.h"
#include "support/testdb.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSet>
#include <QTest>

#include <csignal>

class TestRestart : public QObject {
    Q_OBJECT
private slots:
    void killedConsoleLosesNothing();
};

void TestRestart::killedConsoleLosesNothing() {
    TestHome home;
    const QString path = home.createDatabase(QStringLiteral("ciber.mdb"), true);
    QProcess child;
    child.start(QCoreApplication::applicationDirPath() + QStringLiteral("/crashchild"), {path});
    QVERIFY(child.waitForStarted());
    QVERIFY(child.waitForReadyRead(60000));
    QCOMPARE(child.readLine().trimmed(), QByteArray("READY"));
    // Let periods and tickets come and go, then pull the plug mid-way.
    QTest::qWait(400);
    ::kill(pid_t(child.processId()), SIGKILL);
    QVERIFY(child.waitForFinished(10000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);

    TDataModule1 data;
    QVERIFY(data.open(path));
    FakeClock clock;
    ConsoleContext context;
    context.data = &data;
    context.clock = &clock;
    context.currentOperator = QStringLiteral("CAJA");
    ConsoleEngine engine(context);
    QVERIFY(engine.cargarTarifas());
    QVERIFY(engine.puestos().CargarPuestos(nullptr));
    ListaPuestos& puestos = engine.puestos();
    const station::StationRecord& counter = puestos.at(puestos.positionOf(2)).rec();
    const station::StationRecord& prepaid = puestos.at(puestos.positionOf(3)).rec();
    const station::StationRecord& account = puestos.at(puestos.positionOf(4)).rec();

    // Every occupied station is back with its clock, cost, account and ticket.
    QCOMPARE(counter.estado, station::Estado::Contador);
    QCOMPARE(counter.tariffName, QStringLiteral("NORMAL"));
    // As the periodic save left it: 599 s counted after the start tick.
    QCOMPARE(counter.clockMs, qint64(599000));
    QCOMPARE(counter.cost, Currency::fromCents(50)); // the minimum
    QCOMPARE(prepaid.estado, station::Estado::Prepago);
    QCOMPARE(prepaid.clockMs, qint64(3001000));
    QCOMPARE(prepaid.prepaidSeconds, 3600);
    QCOMPARE(prepaid.prepaidAmount, Currency::fromUnits(2));
    QVERIFY(!prepaid.ticketNumber.isEmpty());
    const std::optional<store::Ticket> ticket = sales::findTicket(data.db(), prepaid.ticketNumber);
    QVERIFY(ticket);
    QCOMPARE(ticket->IMPORTE, Currency::fromUnits(2));
    QCOMPARE(account.accountLogin, QStringLiteral("10001"));
    QCOMPARE(account.moneyCredit, Currency::fromUnits(10));
    QVERIFY(puestos.loginsInUse().contains(QStringLiteral("10001")));

    // The counting goes on from the restored clock.
    const qint64 counterClock = counter.clockMs;
    const qint64 prepaidClock = prepaid.clockMs;
    engine.reloj().tick(clock.monotonicMs());
    clock.advance(1000);
    engine.reloj().tick(clock.monotonicMs());
    QCOMPARE(counter.clockMs, counterClock + 1000);
    QCOMPARE(prepaid.clockMs, prepaidClock - 1000);

    // No ticket number was ever issued twice, and the next one is new.
    const std::vector<store::Ticket> tickets = store::select<store::Ticket>(data.db());
    QVERIFY(tickets.size() > 2);
    QSet<QString> numbers;
    int highest = 0;
    for (const store::Ticket& t : tickets) {
        QVERIFY2(!numbers.contains(t.NUM_TICKET), qPrintable(t.NUM_TICKET));
        numbers.insert(t.NUM_TICKET);
        highest = qMax(highest, t.NUM_TICKET.toInt());
    }
    QCOMPARE(store::readOpciones(data.db()).NUM_TICK, highest);
    const store::Ticket next = sales::NuevoNumeroTicket(data.db(), store::Ticket{}, clock.now());
    QCOMPARE(next.NUM_TICKET, QString::number(highest + 1));
    // Every ticket has its line: none was left half written.
    for (const store::Ticket& t : tickets)
        QVERIFY2(!sales::lines(data.db(), t.ID_TICK).empty(), qPrintable(t.NUM_TICKET));
}

QTEST_GUILESS_MAIN(TestRestart)
#include "tst_restart.moc"
