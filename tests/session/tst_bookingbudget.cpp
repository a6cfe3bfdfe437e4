// Many periods ending in the same second: the clock's tick books them within
// its budget and leaves the rest for the next ticks, each exactly once.
#include "session/engine.h"
#include "store/rows.h"
#include "store/sql.h"
#include "support/testengine.h"

#include <QTest>

using station::Estado;

class TestBookingBudget : public QObject {
    Q_OBJECT
private slots:
    void burstOfEnds_data();
    void burstOfEnds();
};

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
    const QList<int> stations{1, 2, 4, 6, 7};
    session::AperturaPedido pedido;
    pedido.tariffName = QStringLiteral("NORMAL");
    for (int n : stations)
        QVERIFY(te.engine->abrirPuesto(te.pos(n), pedido).ok());
    te.tick();
    te.tick(600000);
    // Every customer leaves in the same second.
    for (int n : stations)
        te.rec(n).estado = Estado::Libre;

    const auto booked = [&] {
        return store::toInt(store::scalar(db, QStringLiteral("SELECT COUNT(*) FROM ciber")));
    };
    for (int expected : bookedPerTick) {
        te.clock.advance(1000);
        te.engine->reloj().tick(te.clock.monotonicMs(), budgetMs);
        QCOMPARE(booked(), expected);
        // What waits is saved as running, never as free without its booking.
        QVERIFY(te.engine->puestos().GuardarPuestos());
        for (int n : stations) {
            const int saved = store::toInt(
                store::scalar(db, QStringLiteral("SELECT estado FROM puestos WHERE npuesto = ?"), {n}));
            QCOMPARE(saved, te.rec(n).bookingPending() ? 2 : 1);
        }
    }
    // Each period once, for its ten minutes, on its own ticket.
    const std::vector<store::Ciber> records = store::select<store::Ciber>(db);
    QCOMPARE(records.size(), size_t(stations.size()));
    for (const store::Ciber& r : records)
        QCOMPARE(r.TIEMPO, 600);
    QCOMPARE(store::toInt(store::scalar(db, QStringLiteral("SELECT COUNT(DISTINCT NPUESTO) FROM ticket"))),
             int(stations.size()));
}

QTEST_GUILESS_MAIN(TestBookingBudget)
#include "tst_bookingbudget.moc"
