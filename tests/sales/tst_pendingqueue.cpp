// The station and movement queues read a page at a time, by id: what they
// show after scrolling, bookings and settlements is what the tables hold.
#include "accounts/frmcolamovcuentas.h"
#include "core/consolecontext.h"
#include "sales/pendingtickets.h"
#include "store/sql.h"
#include "store/transaction.h"
#include "support/testdb.h"

#include <QSignalSpy>
#include <QTest>

namespace {

constexpr int Page = sales::PendingTicketsModel::PageSize;

struct Queue {
    Queue() {
        context.data = &db.data;
        context.regional = Regional::spanishSpain();
    }
    QSqlDatabase sql() const { return db.data.db(); }
    // A ticket; conta 0, 1 or empty (an upgraded database's pending one).
    int ticket(const QVariant& conta, int amountCents = 100) {
        store::run(
            sql(),
            QStringLiteral("INSERT INTO ticket (NUM_TICKET, FECHA, HORA, IMPORTE, NPUESTO, MODO, CONTA) "
                           "VALUES ('T', '2026-03-10', '11:00:00', ?, 1, 'CONTADOR', ?)"),
            {store::sqlValue(Currency::fromCents(amountCents)), conta});
        return store::toInt(store::scalar(sql(), QStringLiteral("SELECT MAX(ID_TICK) FROM ticket")));
    }
    int movement(const QVariant& conta) {
        store::run(sql(),
                   QStringLiteral("INSERT INTO movcuentas (CUENTA, FECHA, HORA, CONCEPTO, SALDO_FIN, CONTA) "
                                  "VALUES ('ANA', '2026-03-10', '11:00:00', 'RECARGA', 500, ?)"),
                   {conta});
        return store::toInt(store::scalar(sql(), QStringLiteral("SELECT MAX(ID) FROM movcuentas")));
    }
    void settle(int id) {
        store::run(sql(), QStringLiteral("UPDATE ticket SET CONTA = 1 WHERE ID_TICK = ?"), {id});
    }
    // Every row, scrolled to the end.
    template <class Model> static void fetchAll(Model& model) {
        while (model.canFetchMore({}))
            model.fetchMore({});
    }
    template <class Model> static QList<int> ids(const Model& model, int (*idOf)(const Model&, int)) {
        QList<int> out;
        for (int r = 0; r < model.rowCount(); ++r)
            out << idOf(model, r);
        return out;
    }

    TestDatabase db;
    ConsoleContext context;
};

int ticketId(const sales::PendingTicketsModel& m, int row) {
    return m.ticketAt(row).ID_TICK;
}
int movementId(const accounts::MovimientosPendientesModel& m, int row) {
    return m.at(row).ID;
}

} // namespace

class TestPendingQueue : public QObject {
    Q_OBJECT
private slots:
    void pagesAtTheirEdges_data();
    void pagesAtTheirEdges();
    void bookingWhileHalfLoaded_data();
    void bookingWhileHalfLoaded();
    void settlingTheLastLoadedRow();
    void changedAmountShows();
    void movementsPage();
};

void TestPendingQueue::pagesAtTheirEdges_data() {
    QTest::addColumn<int>("pending");
    QTest::addColumn<bool>("ascending");
    for (int n : {0, Page - 1, Page, Page + 1, 2 * Page + 7}) {
        QTest::addRow("%d ascending", n) << n << true;
        QTest::addRow("%d descending", n) << n << false;
    }
}

void TestPendingQueue::pagesAtTheirEdges() {
    QFETCH(int, pending);
    QFETCH(bool, ascending);
    Queue q;
    QList<int> expected;
    // Settled ones between them, and some pending with the flag empty.
    store::Transaction tx(q.sql());
    for (int i = 0; i < pending; ++i) {
        expected << q.ticket(i % 5 == 3 ? QVariant() : QVariant(0));
        q.ticket(1);
    }
    tx.commit();
    if (!ascending)
        std::reverse(expected.begin(), expected.end());

    sales::PendingTicketsModel model(q.context);
    model.setAscending(ascending);
    QCOMPARE(model.rowCount(), qMin(pending, Page));
    QCOMPARE(model.canFetchMore({}), pending >= Page);
    Queue::fetchAll(model);
    QCOMPARE(Queue::ids(model, &ticketId), expected);
    // Nothing moved: a look changes nothing.
    QVERIFY(!model.refreshIfChanged());
}

void TestPendingQueue::bookingWhileHalfLoaded_data() {
    QTest::addColumn<bool>("ascending");
    QTest::newRow("ascending: the new one waits at the end") << true;
    QTest::newRow("descending: the new one shows on top") << false;
}

void TestPendingQueue::bookingWhileHalfLoaded() {
    QFETCH(bool, ascending);
    Queue q;
    QList<int> all;
    store::Transaction tx(q.sql());
    for (int i = 0; i < Page + 50; ++i)
        all << q.ticket(0);
    tx.commit();
    sales::PendingTicketsModel model(q.context);
    model.setAscending(ascending);
    QCOMPARE(model.rowCount(), Page);

    // A booking and a settlement inside the loaded page, then another booking.
    const int booked = q.ticket(0);
    q.settle(all[ascending ? 10 : all.size() - 11]);
    QVERIFY(model.refreshIfChanged());
    all.removeAt(ascending ? 10 : all.size() - 11);
    all << booked << q.ticket(0);
    if (!ascending)
        std::reverse(all.begin(), all.end());
    // Loaded rows only: the rest comes as the view scrolls, each once.
    QCOMPARE(model.rowCount(), ascending ? Page - 1 : Page);
    QVERIFY(model.refreshIfChanged() == !ascending);
    Queue::fetchAll(model);
    QCOMPARE(Queue::ids(model, &ticketId), all);
}

void TestPendingQueue::settlingTheLastLoadedRow() {
    Queue q;
    QList<int> all;
    store::Transaction tx(q.sql());
    for (int i = 0; i < 2 * Page; ++i)
        all << q.ticket(0);
    tx.commit();
    sales::PendingTicketsModel model(q.context);
    model.refresh();
    // The page's last row is where the next page starts from.
    q.settle(all[Page - 1]);
    QVERIFY(model.refreshIfChanged());
    QCOMPARE(model.rowCount(), Page - 1);
    all.removeAt(Page - 1);
    Queue::fetchAll(model);
    QCOMPARE(Queue::ids(model, &ticketId), all);
    // And every one of them collected: the queue empties.
    store::run(q.sql(), QStringLiteral("UPDATE ticket SET CONTA = 1"));
    QVERIFY(model.refreshIfChanged());
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(!model.canFetchMore({}));
}

void TestPendingQueue::changedAmountShows() {
    Queue q;
    const int id = q.ticket(0, 100);
    q.ticket(0, 100);
    sales::PendingTicketsModel model(q.context);
    model.refresh();
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    // A prepaid station's ticket grows at another console.
    store::run(q.sql(), QStringLiteral("UPDATE ticket SET IMPORTE = ? WHERE ID_TICK = ?"),
               {store::sqlValue(Currency::fromCents(250)), id});
    QVERIFY(model.refreshIfChanged());
    QCOMPARE(changed.count(), 1);
    QCOMPARE(model.data(model.index(0, 5)).toString(), QStringLiteral("2,50 €"));
    QCOMPARE(model.rowCount(), 2);
}

void TestPendingQueue::movementsPage() {
    Queue q;
    QList<int> expected;
    store::Transaction tx(q.sql());
    for (int i = 0; i < Page + 3; ++i) {
        expected << q.movement(i == Page ? QVariant() : QVariant(0));
        q.movement(1);
    }
    tx.commit();
    accounts::MovimientosPendientesModel model(q.context);
    model.setAscending(false);
    QCOMPARE(model.rowCount(), Page);
    std::reverse(expected.begin(), expected.end());
    Queue::fetchAll(model);
    QCOMPARE(Queue::ids(model, &movementId), expected);
    QCOMPARE(model.data(model.index(0, 0)).toString(), QStringLiteral("ANA"));
}

QTEST_MAIN(TestPendingQueue)
#include "tst_pendingqueue.moc"
