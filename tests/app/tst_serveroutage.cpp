// The console while its PostgreSQL server goes away and comes back: a
// cluster of this test's own is stopped and started again under a running
// console with simulated stations, and a relay between the two cuts the
// connection in the middle of a COMMIT. Afterwards every period is booked
// exactly once and the operator was told once.
#include "accounts/accountdecisions.h"
#include "app/frmmain.h"
#include "app/stationcontroller.h"
#include "sim/simulator.h"
#include "station/stationaddress.h"
#include "store/sql.h"
#include "support/loopback.h"
#include "support/pgrelay.h"
#include "support/scriptedui.h"
#include "support/simcafe.h"
#include "support/testengine.h"
#include "support/testserver.h"

#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QTest>

#include <memory>
#include <vector>

#include <unistd.h>

using station::Estado;

namespace {

constexpr int Stations = 4;
// Stopping, starting and reconnecting are real time.
constexpr int OutageMs = 20000;

// The test's cluster: made afresh for the run in a folder of its own, never
// the one the other tests share.
class Cluster {
public:
    Cluster()
        : m_dir(QStringLiteral("/tmp/quintor-pgo-%1").arg(QCoreApplication::applicationPid())) {}
    QString dir() const { return m_dir; }
    bool start() { return command({QStringLiteral("start"), m_dir}); }
    bool stop() { return command({QStringLiteral("stop"), m_dir}); }
    bool restart() { return command({QStringLiteral("restart"), m_dir}); }
    void remove() {
        stop();
        QDir(m_dir).removeRecursively();
    }
    bool running() const { return QFile::exists(m_dir + QStringLiteral("/data/postmaster.pid")); }

private:
    bool command(const QStringList& args) {
        QProcess sh;
        sh.setProcessChannelMode(QProcess::ForwardedChannels);
        sh.start(QStringLiteral("sh"), QStringList{QStringLiteral(QUINTOR_PGCLUSTER)} + args);
        return sh.waitForFinished(120000) && sh.exitStatus() == QProcess::NormalExit && sh.exitCode() == 0;
    }
    QString m_dir;
};

Cluster& cluster() {
    static Cluster c;
    return c;
}

// Whatever a test leaves behind, the server is up again before its
// databases are dropped.
struct ServerBack {
    ~ServerBack() {
        if (!cluster().running())
            cluster().restart();
    }
};

QHostAddress baseAddress() {
    return loopbackBase(61);
}

// The console on a demo database of the test's cluster, stations 1–4 played
// by the simulator, with its main window's station controller. The
// connection's keeper runs on real time.
struct Cafe : SimCafe {
    Cafe()
        : SimCafe(baseAddress(), Stations) {
        // No question about printing the closing tickets.
        store::run(db(), QStringLiteral("UPDATE opciones SET imp_cierre = 2"));
        stations = std::make_unique<StationController>(*te.engine, window);
        window.attachMenu();
    }

    bool start() {
        te.engine->conexion().start();
        return SimCafe::start();
    }

    const QLabel* warning() const { return window.findChild<QLabel*>(QStringLiteral("saveWarning")); }
    int count(const QString& sql) const { return store::toInt(store::scalar(db(), sql)); }

    TFrmMain window;
    std::unique_ptr<StationController> stations;
};

} // namespace

class TestServerOutage : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void stoppedServerBooksEveryPeriodOnce();
    void commitWithoutAnswer_data();
    void commitWithoutAnswer();
    void reconnectWaitsForTheServer();
    void lockedRowIsAnErrorNotAHang();
};

void TestServerOutage::initTestCase() {
    // This test is about the server: without one it fails.
    QVERIFY2(cluster().start(), "no PostgreSQL cluster could start (scripts/install-deps.sh installs one)");
    qputenv("QUINTOR_TEST_ENGINE", "postgresql");
    qputenv("QUINTOR_TEST_PGHOST", cluster().dir().toLocal8Bit());
}

void TestServerOutage::cleanupTestCase() {
    cluster().remove();
    QDir(cluster().dir() + QStringLiteral("-relay")).removeRecursively();
}

void TestServerOutage::stoppedServerBooksEveryPeriodOnce() {
    Cafe cafe;
    ServerBack serverBack;
    ScriptedUi ui;
    QVERIFY(cafe.start());
    ListaPuestos& lista = cafe.te.engine->puestos();
    store::ConnectionKeeper& keeper = cafe.te.engine->conexion();

    // A money account, a time account, an anonymous counter and an anonymous prepaid hour.
    cafe.tile(1).queueLogin(QStringLiteral("10001"), QStringLiteral("1111"));
    cafe.tile(2).queueLogin(QStringLiteral("10004"), QStringLiteral("4444"));
    session::AperturaPedido counter;
    counter.tariffName = QStringLiteral("NORMAL");
    QVERIFY(cafe.te.engine->abrirPuesto(cafe.te.pos(3), counter).ok());
    session::AperturaPedido prepaid;
    prepaid.prepago = true;
    prepaid.tariffName = QStringLiteral("NORMAL");
    prepaid.amount = Currency::fromUnits(2);
    prepaid.hours = 1;
    QVERIFY(cafe.te.engine->abrirPuesto(cafe.te.pos(4), prepaid).ok());
    QVERIFY(cafe.round());
    QCOMPARE(cafe.rec(1).accountLogin, QStringLiteral("10001"));
    QCOMPARE(cafe.rec(2).accountLogin, QStringLiteral("10004"));
    for (int minute = 0; minute < 10; ++minute)
        QVERIFY(cafe.round(60000));

    // The server stops under the idle console: it notices by itself.
    QVERIFY(cluster().stop());
    QElapsedTimer outage;
    outage.start();
    QTRY_VERIFY_WITH_TIMEOUT(keeper.isLost(), OutageMs);
    const qint64 noticed = outage.elapsed();
    QTRY_COMPARE_WITH_TIMEOUT(ui.messages().size(), 1, OutageMs);
    QCOMPARE(ui.messages().first().icon, ui::Icon::Error);
    QVERIFY2(ui.messages().first().text.startsWith(QStringLiteral("Se ha perdido la conexión")),
             qPrintable(ui.messages().first().text));
    QVERIFY(!cafe.warning()->isHidden());
    QCOMPARE(cafe.warning()->text(), QStringLiteral("Sin conexión con la base de datos: reintentando…"));

    // Meanwhile the stations are polled and their clocks count; the ends wait.
    const qint64 timeLeft = cafe.rec(2).clockMs;
    const qint64 prepaidLeft = cafe.rec(4).clockMs;
    cafe.tile(1).queueLogout();
    QVERIFY(cafe.te.engine->cerrarPuesto(cafe.te.pos(3)));
    const int polls = cafe.exchanges;
    for (int minute = 0; minute < 5; ++minute)
        QVERIFY(cafe.round(60000));
    QCOMPARE(cafe.exchanges, polls + 5 * Stations);
    QVERIFY(cafe.rec(1).bookingPending());
    QVERIFY(cafe.rec(3).bookingPending());
    QCOMPARE(cafe.rec(2).clockMs, timeLeft - 300000);
    QCOMPARE(cafe.rec(4).clockMs, prepaidLeft - 300000);
    QCOMPARE(cafe.tile(2).lastPoll().stateWord, QStringLiteral("PREPAGO"));
    const Currency cost1 = cafe.rec(1).cost;
    const Currency cost3 = cafe.rec(3).cost;
    QCOMPARE(cost3, Currency::fromCents(50)); // ten minutes at the minimum
    // A customer who logs in now is neither let in nor refused: the log-in waits.
    cafe.tile(1).queueLogin(QStringLiteral("10002"), QStringLiteral("2222"));
    QVERIFY(cafe.round());
    QVERIFY(cafe.round());
    QVERIFY(cafe.rec(1).bookingPending());
    QCOMPARE(cafe.tile(1).lastRefusalCode(), std::optional<int>());
    // One box for the whole outage.
    QCOMPARE(ui.messages().size(), 1);
    QVERIFY(!lista.saveError().isEmpty());

    // The server comes back: the console reconnects by itself, and the ends
    // are booked by the next tick.
    outage.restart();
    QVERIFY(cluster().restart());
    QTRY_VERIFY_WITH_TIMEOUT(!keeper.isLost(), OutageMs);
    const qint64 back = outage.elapsed();
    QVERIFY(cafe.warning()->isHidden());
    QVERIFY(lista.saveError().isEmpty());
    QVERIFY(cafe.round());
    QVERIFY(!cafe.rec(1).bookingPending());
    QVERIFY(!cafe.rec(3).bookingPending());
    cafe.tile(1).queueLogin(QStringLiteral("10002"), QStringLiteral("2222"));
    QVERIFY(cafe.round());
    QCOMPARE(cafe.rec(1).accountLogin, QStringLiteral("10002"));
    for (int minute = 0; minute < 5; ++minute)
        QVERIFY(cafe.round(60000));
    const Currency cost5 = cafe.rec(1).cost;
    const int creditLeft = int(station::roundedSeconds(cafe.rec(2).clockMs));
    cafe.tile(1).queueLogout();
    cafe.tile(2).queueLogout();
    QVERIFY(cafe.te.engine->cerrarPuesto(cafe.te.pos(4)));
    QVERIFY(cafe.round());
    QVERIFY(cafe.round());
    for (int n = 1; n <= Stations; ++n)
        QVERIFY2(cafe.rec(n).estado == Estado::Libre && !cafe.rec(n).bookingPending(),
                 qPrintable(QString::number(n)));

    // Five periods, each booked once.
    QCOMPARE(cafe.count(QStringLiteral("SELECT COUNT(*) FROM ciber")), 5);
    for (const auto& [station, client] : {std::pair{1, "10001"}, std::pair{1, "10002"}, std::pair{2, "10004"},
                                          std::pair{3, ""}, std::pair{4, ""}})
        QCOMPARE(store::toInt(store::scalar(cafe.db(),
                                            QStringLiteral("SELECT COUNT(*) FROM ciber WHERE NPUESTO = ? AND "
                                                           "COALESCE(CLIENTE, '') = ?"),
                                            {station, QString::fromLatin1(client)})),
                 1);
    // The money: the accounts paid their use once, the anonymous tickets hold theirs once.
    QCOMPARE(
        store::toCurrency(store::scalar(cafe.db(), QStringLiteral("SELECT SUM(SALDO_MOV) FROM movcuentas "
                                                                  "WHERE SALDO_MOV IS NOT NULL"))),
        -(cost1 + cost5));
    QCOMPARE(store::toCurrency(store::scalar(
                 cafe.db(), QStringLiteral("SELECT credito FROM cuentas WHERE Login = '10001'"))),
             Currency::fromUnits(10) - cost1);
    QCOMPARE(store::toInt(store::scalar(
                 cafe.db(), QStringLiteral("SELECT Bonotiempo FROM cuentas WHERE Login = '10004'"))),
             creditLeft);
    QCOMPARE(store::toCurrency(store::scalar(cafe.db(), QStringLiteral("SELECT SUM(IMPORTE) FROM ticket"))),
             Currency::fromUnits(2) + cost3);
    QCOMPARE(cafe.count(QStringLiteral("SELECT COUNT(*) FROM lintick WHERE ARTICULO = 'PUESTO 3  0:10:00'")),
             1);
    QCOMPARE(cafe.count(QStringLiteral("SELECT COUNT(*) FROM puestos WHERE estado <> 1")), 0);
    QCOMPARE(ui.messages().size(), 1);
    qInfo("outage noticed after %lld ms; connection back %lld ms after the server", qlonglong(noticed),
          qlonglong(back));
}

void TestServerOutage::commitWithoutAnswer_data() {
    QTest::addColumn<int>("cut");
    QTest::newRow("kept, answer lost") << int(PgRelay::Cut::AfterCommit);
    QTest::newRow("lost before the server") << int(PgRelay::Cut::BeforeCommit);
}

// The connection drops while a booking's COMMIT is on its way: whether the
// server kept it or not, the period ends up booked once.
void TestServerOutage::commitWithoutAnswer() {
    QFETCH(int, cut);
    TestEngine te;
    ServerBack serverBack;
    PgRelay relay;
    const QString relayFolder = cluster().dir() + QStringLiteral("-relay");
    QVERIFY(relay.start(relayFolder, cluster().dir()));
    const QString direct = te.db.data.filePath();
    const QString relayed = QStringLiteral("postgresql://quintor@/%1?host=%2")
                                .arg(store::serverDatabaseName(direct), relayFolder);
    QVERIFY(te.db.data.open(relayed));
    store::ConnectionKeeper& keeper = te.engine->conexion();

    session::AperturaPedido counter;
    counter.tariffName = QStringLiteral("NORMAL");
    QVERIFY(te.engine->abrirPuesto(te.pos(1), counter).ok());
    te.tick();
    for (int minute = 0; minute < 10; ++minute)
        te.tick(60000);
    const Currency cost = te.rec(1).cost;
    QVERIFY(te.engine->cerrarPuesto(te.pos(1)));

    relay.cutAtNextCommit(PgRelay::Cut(cut));
    te.tick();
    QCOMPARE(relay.cuts(), 1);
    QVERIFY(te.rec(1).bookingPending());
    QVERIFY(te.rec(1).bookingInDoubt());
    QVERIFY(keeper.isLost());
    QTRY_VERIFY_WITH_TIMEOUT(!keeper.isLost(), OutageMs);
    // The rows caught up on the way back, but not the one that may hold the booking.
    const int row = store::toInt(
        store::scalar(te.db.data.db(), QStringLiteral("SELECT estado FROM puestos WHERE npuesto = 1")));
    QCOMPARE(row, cut == int(PgRelay::Cut::AfterCommit) ? 1 : 2);

    te.tick();
    QVERIFY(!te.rec(1).bookingPending());
    QVERIFY(!te.rec(1).bookingInDoubt());
    const QSqlDatabase db = te.db.data.db();
    QCOMPARE(store::toInt(store::scalar(db, QStringLiteral("SELECT COUNT(*) FROM ciber WHERE NPUESTO = 1"))),
             1);
    QCOMPARE(store::toInt(store::scalar(
                 db, QStringLiteral("SELECT COUNT(*) FROM lintick WHERE ARTICULO = 'PUESTO 1  0:10:00'"))),
             1);
    QCOMPARE(store::toCurrency(
                 store::scalar(db, QStringLiteral("SELECT SUM(IMPORTE) FROM ticket WHERE NPUESTO = 1"))),
             cost);
    QCOMPARE(store::toInt(store::scalar(db, QStringLiteral("SELECT estado FROM puestos WHERE npuesto = 1"))),
             1);
    QVERIFY(te.engine->puestos().saveError().isEmpty());
}

// A failed attempt leaves the data module pointed at the same database,
// so the next one finds it.
void TestServerOutage::reconnectWaitsForTheServer() {
    TestDatabase database;
    ServerBack serverBack;
    const QString where = database.data.filePath();
    const QString count = QStringLiteral("SELECT COUNT(*) FROM operadores");
    const int operators = store::toInt(store::scalar(database.data.db(), count));
    QVERIFY(operators > 0);
    QVERIFY(cluster().stop());
    QVERIFY(!database.data.reconnect());
    QVERIFY(!database.data.reconnect());
    QCOMPARE(database.data.filePath(), where);
    QVERIFY(cluster().restart());
    QVERIFY(database.data.reconnect());
    QCOMPARE(database.data.filePath(), where);
    QCOMPARE(store::toInt(store::scalar(database.data.db(), count)), operators);
}

// A row that another session keeps locked fails the write within seconds.
void TestServerOutage::lockedRowIsAnErrorNotAHang() {
    TestDatabase database;
    TDataModule1 other;
    QVERIFY(other.open(database.data.filePath()));
    store::run(other.db(), QStringLiteral("BEGIN"));
    store::run(other.db(), QStringLiteral("UPDATE opciones SET NUM_TICK = NUM_TICK + 1"));
    QElapsedTimer waited;
    waited.start();
    try {
        store::run(database.data.db(), QStringLiteral("UPDATE opciones SET NUM_TICK = NUM_TICK + 1"));
        QFAIL("the locked row was written");
    } catch (const store::DatabaseError& e) {
        QVERIFY(!e.connectionLost());
    }
    QVERIFY2(waited.elapsed() < 10000, qPrintable(QString::number(waited.elapsed())));
    store::run(other.db(), QStringLiteral("ROLLBACK"));
}

QTEST_MAIN(TestServerOutage)
#include "tst_serveroutage.moc"
