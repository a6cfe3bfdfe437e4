#include "core/consolecontext.h"
#include "sales/tickets.h"
#include "session/engine.h"
#include "store/opciones.h"
#include "store/rows.h"
#include "store/sql.h"
#include "support/testdb.h"
#include "support/testserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QSqlQuery>
#include <QTest>
#include <QThread>

#include <csignal>

namespace {

// The first column of every row of a statement.
QStringList column(const QSqlDatabase& db, const QString& sql) {
    QSqlQuery q(db);
    QStringList values;
    if (!q.exec(sql))
        return {QStringLiteral("<%1 failed>").arg(sql)};
    while (q.next())
        values << q.value(0).toString();
    return values;
}

// Adds the values to seen; false (with the first repeated one) when a value was there already.
bool addUnique(QSet<QString>& seen, const QStringList& values, QString& repeated) {
    for (const QString& v : values) {
        if (seen.contains(v)) {
            repeated = v;
            return false;
        }
        seen.insert(v);
    }
    return true;
}

// A killed console's session on a server ends when the server notices:
// until then its last COMMIT may still be landing. The checks wait for it.
bool killedSessionsEnded(const QSqlDatabase& db) {
    if (!testserver::onServer())
        return true;
    return QTest::qWaitFor(
        [&] {
            return store::toInt(
                       store::scalar(db, QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE "
                                                        "datname = current_database() AND pid <> "
                                                        "pg_backend_pid()"))) == 0;
        },
        10000);
}

} // namespace

class TestRestart : public QObject {
    Q_OBJECT
private slots:
    void killedConsoleLosesNothing();
    void randomKillsBookEveryPeriodOnce();
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
    QVERIFY(killedSessionsEnded(data.db()));
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

// The crash day is killed at random instants and restarted on the same
// database; after every kill the database must hold each period either booked
// once (ticket line, activity record, account settlement) or still running at
// exactly one station. QUINTOR_CRASH_KILLS sets a longer run.
void TestRestart::randomKillsBookEveryPeriodOnce() {
    const int kills = qEnvironmentVariableIsSet("QUINTOR_CRASH_KILLS")
                          ? qEnvironmentVariableIntValue("QUINTOR_CRASH_KILLS")
                          : 200;
    TestHome home;
    const QString path = home.createDatabase(QStringLiteral("ciber.mdb"), true);
    const QString journalPath = home.databaseFile(QStringLiteral("periodos.journal"));
    QRandomGenerator random(20261209);
    QElapsedTimer elapsed;
    elapsed.start();
    qsizetype periods = 0;
    qsizetype running = 0;
    for (int run = 1; run <= kills; ++run) {
        QProcess child;
        child.start(QCoreApplication::applicationDirPath() + QStringLiteral("/crashday"),
                    {path, QString::number(run), journalPath});
        QVERIFY(child.waitForStarted());
        QVERIFY2(child.waitForReadyRead(30000),
                 qPrintable(QString::fromLocal8Bit(child.readAllStandardError())));
        QCOMPARE(child.readLine().trimmed(), QByteArray("READY"));
        QThread::usleep(random.bounded(100000));
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        TDataModule1 data;
        QVERIFY(data.open(path));
        const QSqlDatabase db = data.db();
        const QString at = QStringLiteral("after kill %1: ").arg(run);
        QVERIFY(killedSessionsEnded(db));
        if (!testserver::onServer())
            QCOMPARE(column(db, QStringLiteral("PRAGMA integrity_check")), QStringList{QStringLiteral("ok")});

        // Ticket numbers: unique, and the counter stands at the highest.
        QSet<QString> numbers;
        QString repeated;
        QVERIFY2(addUnique(numbers, column(db, QStringLiteral("SELECT NUM_TICKET FROM ticket")), repeated),
                 qPrintable(at + QStringLiteral("ticket issued twice: ") + repeated));
        const QStringList highest =
            column(db, QStringLiteral("SELECT COALESCE(MAX(CAST(NUM_TICKET AS INTEGER)), 0) FROM ticket"));
        QCOMPARE(store::readOpciones(db).NUM_TICK, highest.value(0).toInt());
        QCOMPARE(column(db, QStringLiteral("SELECT COUNT(*) FROM ticket t WHERE NOT EXISTS "
                                           "(SELECT 1 FROM lintick l WHERE l.ID_TICK = t.ID_TICK)")),
                 QStringList{QStringLiteral("0")});

        // Each period booked at most once, and never booked while a station still runs it.
        QSet<QString> booked;
        QVERIFY2(
            addUnique(booked,
                      column(db, QStringLiteral("SELECT CASE WHEN COALESCE(CLIENTE, '') = '' THEN TARIFA "
                                                "ELSE CLIENTE END FROM ciber")),
                      repeated),
            qPrintable(at + QStringLiteral("booked twice: ") + repeated));
        QSet<QString> open;
        const QStringList occupied = column(db, QStringLiteral("SELECT CASE WHEN COALESCE(cuenta, '') = '' "
                                                               "THEN tarifa ELSE cuenta END FROM puestos "
                                                               "WHERE estado IN (2, 3)"));
        QVERIFY2(addUnique(open, occupied, repeated),
                 qPrintable(at + QStringLiteral("running at two stations: ") + repeated));
        for (const QString& id : occupied)
            QVERIFY2(!booked.contains(id), qPrintable(at + QStringLiteral("booked and running: ") + id));

        // Accounts settled exactly with their activity records.
        QSet<QString> settled;
        QVERIFY2(addUnique(settled, column(db, QStringLiteral("SELECT login FROM crash_cuentas")), repeated),
                 qPrintable(at + QStringLiteral("account settled twice: ") + repeated));
        const QStringList accountRecords =
            column(db, QStringLiteral("SELECT CLIENTE FROM ciber WHERE COALESCE(CLIENTE, '') <> ''"));
        QCOMPARE(settled, QSet<QString>(accountRecords.begin(), accountRecords.end()));

        // One closing line per anonymous period that ends on a ticket.
        QCOMPARE(column(db, QStringLiteral("SELECT COUNT(*) FROM lintick WHERE ARTICULO LIKE 'PUESTO %  %'")),
                 column(db, QStringLiteral("SELECT COUNT(*) FROM ciber WHERE COALESCE(CLIENTE, '') = '' AND "
                                           "(MODALIDAD = 'CONTADOR' OR COALESCE(NUM_TICKET, '') = '')")));
        // A running prepaid period holds its ticket with all the money paid for it.
        QCOMPARE(
            column(db, QStringLiteral("SELECT COUNT(*) FROM puestos p LEFT JOIN ticket t ON t.NUM_TICKET "
                                      "= p.ticket WHERE p.estado = 3 AND COALESCE(p.cuenta, '') = '' AND "
                                      "(t.ID_TICK IS NULL OR t.IMPORTE <> p.coste_prepago)")),
            QStringList{QStringLiteral("0")});

        // Nothing that reached the database was lost.
        QFile journal(journalPath);
        QVERIFY(journal.open(QIODevice::ReadOnly));
        periods = 0;
        while (!journal.atEnd()) {
            const QString id = QString::fromUtf8(journal.readLine().trimmed()).mid(2);
            ++periods;
            QVERIFY2(booked.contains(id) || open.contains(id),
                     qPrintable(at + QStringLiteral("lost: ") + id));
        }
        running = open.size();
        data.close();
    }
    qInfo("%d kills, %lld periods opened, %lld booked, %lld running, %lld ms", kills, qlonglong(periods),
          qlonglong(periods - running), qlonglong(running), qlonglong(elapsed.elapsed()));
}

QTEST_GUILESS_MAIN(TestRestart)
#include "tst_restart.moc"
