// Many periods ending in the same second: the clock's tick books them within
// its budget and leaves the rest for the next ticks, each exactly once.
#include "session/engine.h"
#include "store/rows.h"
#include "store/sql.h"
#include "support/faults.h"
#include "support/testengine.h"

#include <QTest>

using station::Estado;

class TestBookingBudget : public QObject {
    Q_OBJECT
private slots:
    void burstOfEnds_data();
    void burstOfEnds();
    void oneEndFails_data();
    void oneEndFails();
};

namespace {

const QList<int> Stations{1, 2, 4, 6, 7};

// Every station's customer leaves in the same second, after ten minutes.
bool endTogether(TestEngine& te) {
    session::AperturaPedido pedido;
    pedido.tariffName = QStringLiteral("NORMAL");
    for (int n : Stations)
        if (!te.engine->abrirPuesto(te.pos(n), pedido).ok())
            return false;
    te.tick();
    te.tick(600000);
    for (int n : Stations)
        te.rec(n).estado = Estado::Libre;
    return true;
}

int booked(const QSqlDatabase& db) {
    return store::toInt(store::scalar(db, QStringLiteral("SELECT COUNT(*) FROM ciber")));
}

} // namespace

void TestBookingBudget::burstOfEnds_data() {
    QTest::addColumn<int>("budgetMs");
    QTest::addColumn<QList<int>>("bookedPerTick");
    QTest::newRow("no budget: all at once") << -1 << QList<int>{5, 5, 5};
    QTest::newRow("spent: one per tick") << 0 << QList<int>{1, 2, 3, 4, 5, 5};
    QTest::newRow("ample budget") << 60000 << QList<int>{5, 5};
}

void TestBookingBudget::burstOfEnds() {
    QFETCH(int, budgetMs);
    QFETCH(QList<int>, bookedPerTick);
    TestEngine te;
    const QSqlDatabase db = te.db.data.db();
    QVERIFY(endTogether(te));
    for (int expected : bookedPerTick) {
        te.clock.advance(1000);
        te.engine->reloj().tick(te.clock.monotonicMs(), budgetMs);
        QCOMPARE(booked(db), expected);
        // What waits is saved as running, never as free without its booking.
        QVERIFY(te.engine->puestos().GuardarPuestos());
        for (int n : Stations) {
            const int saved = store::toInt(
                store::scalar(db, QStringLiteral("SELECT estado FROM puestos WHERE npuesto = ?"), {n}));
            QCOMPARE(saved, te.rec(n).bookingPending() ? 2 : 1);
        }
    }
    // Each period once, for its ten minutes, on its own ticket.
    const std::vector<store::Ciber> records = store::select<store::Ciber>(db);
    QCOMPARE(records.size(), size_t(Stations.size()));
    for (const store::Ciber& r : records)
        QCOMPARE(r.TIEMPO, 600);
    QCOMPARE(store::toInt(store::scalar(db, QStringLiteral("SELECT COUNT(DISTINCT NPUESTO) FROM ticket"))),
             int(Stations.size()));
}

void TestBookingBudget::oneEndFails_data() {
    QTest::addColumn<int>("failing");
    QTest::addColumn<QList<int>>("bookedPerTick");
    // The first failure of a tick may be the database's own: the others wait.
    QTest::newRow("the first: the others wait one tick, then go first") << 1 << QList<int>{0, 4, 4};
    QTest::newRow("one among them: the others are kept") << 4 << QList<int>{4, 4};
}

void TestBookingBudget::oneEndFails() {
    QFETCH(int, failing);
    QFETCH(QList<int>, bookedPerTick);
    TestEngine te;
    const QSqlDatabase db = te.db.data.db();
    QVERIFY(endTogether(te));
    // One station's activity record is refused.
    refuseWrites(db, QStringLiteral("refuse"), QStringLiteral("INSERT"), QStringLiteral("ciber"),
                 QStringLiteral("NEW.NPUESTO = %1").arg(failing));
    for (int expected : bookedPerTick) {
        te.tick();
        QCOMPARE(booked(db), expected);
        QVERIFY(te.rec(failing).bookingPending());
        for (int n : Stations)
            QCOMPARE(te.rec(n).bookingPending(), n == failing || expected == 0);
    }
    allowWrites(db, QStringLiteral("refuse"), QStringLiteral("ciber"));
    te.tick();
    // Each period once, the refused one too, with nothing of its failures left.
    const std::vector<store::Ciber> records = store::select<store::Ciber>(db);
    QCOMPARE(records.size(), size_t(Stations.size()));
    QCOMPARE(store::toInt(store::scalar(db, QStringLiteral("SELECT COUNT(DISTINCT NPUESTO) FROM ciber"))),
             int(Stations.size()));
    QCOMPARE(store::toInt(store::scalar(db, QStringLiteral("SELECT COUNT(DISTINCT NPUESTO) FROM ticket"))),
             int(Stations.size()));
    QCOMPARE(store::toInt(store::scalar(db, QStringLiteral("SELECT COUNT(*) FROM ticket"))),
             int(Stations.size()));
    QVERIFY(te.engine->puestos().GuardarPuestos());
    QCOMPARE(store::toInt(store::scalar(db, QStringLiteral("SELECT COUNT(*) FROM puestos WHERE estado = 2"))),
             0);
}

QTEST_GUILESS_MAIN(TestBookingBudget)
#include "tst_bookingbudget.moc"
