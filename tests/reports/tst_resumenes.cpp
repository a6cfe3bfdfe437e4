#include "reports/listings.h"
#include "store/dialect.h"
#include "store/replica.h"
#include "store/resumenes.h"
#include "store/sql.h"
#include "support/testdb.h"
#include "support/testserver.h"

#include <QRandomGenerator>
#include <QTest>

using namespace reports;

namespace {

// The history spans four months and a bit, so that ranges cut months at
// either end; a few rows fall outside every range but the widest.
const QDate First(2025, 12, 20);
constexpr int Span = 140;
const QDateTime printed(QDate(2026, 6, 1), QTime(9, 0));

struct Quiet : store::ReplicaObserver {
    void line(const QString&) override {}
    void ticketPurgeStarted(int) override {}
    void ticketPurged(int) override {}
    bool cancelRequested() override { return false; }
    void ticketPurgeEnded(bool) override {}
    void failure(const QString& text) override { failures << text; }
    QStringList failures;
};

// Random writes of every kind the statistics add up, in the shapes the
// columns allow: letter cases of one key, NULLs, empty texts, voids, edits
// that move a row to another month or ticket, deletes.
class Writer {
public:
    Writer(QSqlDatabase db, quint32 seed)
        : m_db(std::move(db))
        , m_rng(seed) {}

    void batch(int operations) {
        for (int i = 0; i < operations; ++i)
            operation();
    }
    void setDb(QSqlDatabase db) { m_db = std::move(db); }
    // Days no summary month can hold leave with the next batch.
    void dropOddDays() {
        for (const char* table : {"ticket", "movcuentas", "ciber"})
            store::run(m_db, QStringLiteral("DELETE FROM %1 WHERE FECHA IN ('2026-02-30', '2026-1-05')")
                                 .arg(QLatin1String(table)));
    }

private:
    int pick(int n) { return int(m_rng.bounded(n)); }
    template <typename T> T pickOf(std::initializer_list<T> values) {
        return *(values.begin() + pick(int(values.size())));
    }
    QVariant day() {
        if (pick(60) == 0)
            return pickOf({QStringLiteral("2026-02-30"), QStringLiteral("2026-1-05")});
        return store::sqlValue(First.addDays(pick(Span)));
    }
    QVariant text(std::initializer_list<const char*> values) {
        const char* v = pickOf(values);
        return v ? QVariant(QString::fromUtf8(v)) : QVariant();
    }
    QVariant customer() { return text({"ana", "ANA", "Ana", "luis", "", nullptr, "pepe"}); }
    qint64 anyId(const QString& table, const QString& key) {
        const QVariant id = store::scalar(
            m_db, QStringLiteral("SELECT %1 FROM %2 ORDER BY %1 LIMIT 1 OFFSET ?").arg(key, table),
            {pick(qMax(
                1, int(store::scalar(m_db, QStringLiteral("SELECT COUNT(*) FROM ") + table).toLongLong())))});
        return id.isValid() ? id.toLongLong() : -1;
    }
    void line(qint64 ticket) {
        const int article = pick(5);
        store::run(
            m_db,
            QStringLiteral("INSERT INTO lintick (ID_TICK, CODIGO, ARTICULO, CANT, PRECIO, IMPORTE, BONO) "
                           "VALUES (?, ?, ?, ?, 0, ?, ?)"),
            {ticket, article == 4 ? text({"", nullptr}) : text({"A1", "a1", "B2", "b2", "C3"}),
             pick(8) == 0 ? QVariant() : QVariant(QStringLiteral("Artículo %1").arg(article)),
             pick(10) == 0 ? QVariant() : QVariant(pickOf({1.0, 2.0, 0.5, 3.0, -1.0})),
             pick(10) == 0 ? QVariant() : QVariant(qint64(pick(50000)) * 100),
             pick(10) == 0 ? QVariant() : QVariant(pickOf({0, 0, 1}))});
    }
    void operation() {
        switch (pick(14)) {
        case 0:
        case 1:
        case 2: { // a sale
            store::run(m_db,
                       QStringLiteral("INSERT INTO ticket (NUM_TICKET, FECHA, HORA, IMPORTE) VALUES ('1', ?, "
                                      "'10:00:00', 0)"),
                       {day()});
            const qint64 id =
                store::scalar(m_db, QStringLiteral("SELECT MAX(ID_TICK) FROM ticket")).toLongLong();
            for (int n = 1 + pick(3); n > 0; --n)
                line(id);
            break;
        }
        case 3: { // lines written before their ticket
            const qint64 id =
                store::scalar(m_db, QStringLiteral("SELECT COALESCE(MAX(ID_TICK), 0) + 5 FROM ticket"))
                    .toLongLong();
            line(id);
            store::run(m_db,
                       QStringLiteral("INSERT INTO ticket (ID_TICK, NUM_TICKET, FECHA) VALUES (?, '2', ?)"),
                       {id, day()});
            // The server's counter does not follow a number given by hand.
            store::setCounterValue(m_db, QStringLiteral("ticket"), QStringLiteral("ID_TICK"), id);
            break;
        }
        case 4: // a voided ticket
            store::run(m_db, QStringLiteral("UPDATE lintick SET CANT = 0, IMPORTE = 0 WHERE ID_TICK = ?"),
                       {anyId(QStringLiteral("ticket"), QStringLiteral("ID_TICK"))});
            break;
        case 5: // a ticket reopened and a line added
            line(anyId(QStringLiteral("ticket"), QStringLiteral("ID_TICK")));
            break;
        case 6: // edits of a ticket and of a line
            store::run(m_db, QStringLiteral("UPDATE ticket SET FECHA = ? WHERE ID_TICK = ?"),
                       {day(), anyId(QStringLiteral("ticket"), QStringLiteral("ID_TICK"))});
            store::run(
                m_db, QStringLiteral("UPDATE lintick SET CODIGO = ?, BONO = ?, ID_TICK = ? WHERE ID_LIN = ?"),
                {text({"A1", "b2", nullptr}), pickOf({0, 1}),
                 anyId(QStringLiteral("ticket"), QStringLiteral("ID_TICK")),
                 anyId(QStringLiteral("lintick"), QStringLiteral("ID_LIN"))});
            break;
        case 7: // deletes: a line, a ticket without its lines
            store::run(m_db, QStringLiteral("DELETE FROM lintick WHERE ID_LIN = ?"),
                       {anyId(QStringLiteral("lintick"), QStringLiteral("ID_LIN"))});
            if (pick(3) == 0)
                store::run(m_db, QStringLiteral("DELETE FROM ticket WHERE ID_TICK = ?"),
                           {anyId(QStringLiteral("ticket"), QStringLiteral("ID_TICK"))});
            break;
        case 8:
        case 9: // top-ups, charges and movements of time only
            store::run(m_db,
                       QStringLiteral("INSERT INTO movcuentas (CUENTA, FECHA, HORA, SALDO_MOV) VALUES (?, ?, "
                                      "'11:00:00', ?)"),
                       {customer(), day(),
                        pick(8) == 0 ? QVariant() : QVariant(qint64(pick(4001) - 2000) * 100 * pick(2))});
            break;
        case 10: // a movement edited or deleted
            if (pick(2) == 0)
                store::run(
                    m_db,
                    QStringLiteral("UPDATE movcuentas SET SALDO_MOV = -SALDO_MOV, CUENTA = ?, FECHA = ? "
                                   "WHERE ID = ?"),
                    {customer(), day(), anyId(QStringLiteral("movcuentas"), QStringLiteral("ID"))});
            else
                store::run(m_db, QStringLiteral("DELETE FROM movcuentas WHERE ID = ?"),
                           {anyId(QStringLiteral("movcuentas"), QStringLiteral("ID"))});
            break;
        case 11:
        case 12: // a settled use period
            store::run(m_db,
                       QStringLiteral("INSERT INTO ciber (FECHA, HORA, NPUESTO, CLIENTE, TIEMPO) VALUES (?, "
                                      "'12:00:00', ?, ?, ?)"),
                       {day(), pick(8) == 0 ? QVariant() : QVariant(pick(5)), customer(),
                        pick(8) == 0 ? QVariant() : QVariant(pick(7200))});
            break;
        default: { // a use period edited or deleted
            const QString rowid = store::rowOrderColumn(m_db, QStringLiteral("ciber"));
            const qint64 id = anyId(QStringLiteral("ciber"), rowid);
            if (pick(2) == 0)
                store::run(m_db,
                           QStringLiteral("UPDATE ciber SET TIEMPO = ?, NPUESTO = ?, FECHA = ? WHERE %1 = ?")
                               .arg(rowid),
                           {pick(4000), pick(5), day(), id});
            else
                store::run(m_db, QStringLiteral("DELETE FROM ciber WHERE %1 = ?").arg(rowid), {id});
        }
        }
    }

    QSqlDatabase m_db;
    QRandomGenerator m_rng;
};

QStringList cells(const Statistic& s) {
    QStringList out;
    for (const Group& g : s.report.body)
        for (const Row& r : g.rows)
            out << r.cells.join(QLatin1Char('|'));
    return out;
}

// Every statistic over every range, from the summaries and from the rows alone.
void compareAll(const QSqlDatabase& db, const QString& when) {
    const Regional es = Regional::spanishSpain();
    const std::pair<QDate, QDate> ranges[] = {
        {First.addDays(-30), First.addDays(Span + 30)}, // everything, months cut at both ends
        {QDate(2026, 1, 1), QDate(2026, 4, 30)},        // whole months only
        {QDate(2026, 2, 1), QDate(2026, 2, 28)},        // one month
        {QDate(2026, 1, 31), QDate(2026, 3, 1)},        // a whole month and a day at either side
        {QDate(2026, 2, 10), QDate(2026, 3, 5)},        // no whole month
        {QDate(2026, 3, 1), QDate(2026, 3, 1)},         // one day, a month's first
        {QDate(2026, 2, 28), QDate(2026, 2, 28)},       // one day, a month's last
        {QDate(2026, 3, 2), QDate(2026, 2, 1)},         // backwards: nothing
    };
    for (const auto& [from, to] : ranges) {
        const DateRange range{from, to};
        using Make = std::function<Statistic(Origen)>;
        const std::pair<const char*, Make> statistics[] = {
            {"consumido",
             [&](Origen o) {
                 return estadisticaClientes(db, es, range, EstClientes::CreditoConsumido, printed, o);
             }},
            {"aportado",
             [&](Origen o) {
                 return estadisticaClientes(db, es, range, EstClientes::CreditoAportado, printed, o);
             }},
            {"tiempo",
             [&](Origen o) { return estadisticaClientes(db, es, range, EstClientes::Tiempo, printed, o); }},
            {"puestos", [&](Origen o) { return estadisticaPuestos(db, es, range, printed, o); }},
            {"articulos", [&](Origen o) { return ventasArticulos(db, es, range, std::nullopt, printed, o); }},
            {"un articulo",
             [&](Origen o) { return ventasArticulos(db, es, range, QStringLiteral("a1"), printed, o); }},
            {"bonos", [&](Origen o) { return ventasBonos(db, es, range, printed, o); }},
        };
        for (const auto& [name, make] : statistics) {
            const Statistic summed = make(Origen::Resumenes);
            const Statistic rows = make(Origen::Filas);
            const QString where =
                QStringLiteral("%1, %2 %3..%4")
                    .arg(when, QLatin1String(name), from.toString(Qt::ISODate), to.toString(Qt::ISODate));
            QVERIFY2(cells(summed) == cells(rows),
                     qPrintable(where + QStringLiteral("\nsummaries: ") +
                                cells(summed).join(QStringLiteral(" / ")) + QStringLiteral("\nrows:      ") +
                                cells(rows).join(QStringLiteral(" / "))));
            QVERIFY2(summed.labels == rows.labels, qPrintable(where));
            QVERIFY2(summed.values == rows.values, qPrintable(where));
        }
    }
}

} // namespace

class TestResumenes : public QObject {
    Q_OBJECT
private slots:
    void summariesAddUpAsTheRows_data();
    void summariesAddUpAsTheRows();
    void theTriggersFireAndOddDaysFallBack();
};

void TestResumenes::summariesAddUpAsTheRows_data() {
    QTest::addColumn<quint32>("seed");
    QTest::newRow("seed 1") << 1u;
    QTest::newRow("seed 77") << 77u;
    QTest::newRow("seed 2026") << 2026u;
}

void TestResumenes::summariesAddUpAsTheRows() {
    QFETCH(quint32, seed);
    TestDatabase t;
    Writer writer(t.data.db(), seed);
    for (int round = 0; round < 6; ++round) {
        writer.batch(60);
        if (round % 2 == 1) {
            writer.dropOddDays();
            // With the odd days gone the summaries serve again.
            for (auto kind : {store::ResumenDe::Ventas, store::ResumenDe::Puestos, store::ResumenDe::Clientes,
                              store::ResumenDe::Cuentas})
                QVERIFY(store::tramosResumen(t.data.db(), kind, QDate(2026, 1, 1), QDate(2026, 4, 30)).meses);
        }
        compareAll(t.data.db(), QStringLiteral("round %1").arg(round));
        if (QTest::currentTestFailed())
            return;
        if (round == 2) {
            // A dated purge, in batches of a few tickets: the summaries lose
            // the purged rows without a trigger run per row.
            t.data.close();
            QTemporaryDir archive;
            store::ReplicaPlan plan;
            plan.databasePath = t.path;
            plan.copyPath = archive.filePath(QStringLiteral("archivo.mdb"));
            plan.copyName = QStringLiteral("archivo");
            plan.before = QDate(2026, 2, 15);
            plan.batchRows = 3;
            Quiet quiet;
            QCOMPARE(store::runReplica(plan, quiet), store::ReplicaEnd::Finished);
            QVERIFY2(quiet.failures.isEmpty(), qPrintable(quiet.failures.join(QLatin1Char('\n'))));
            QVERIFY(t.data.open(t.path));
            writer.setDb(t.data.db());
            QCOMPARE(store::scalar(t.data.db(),
                                   QStringLiteral("SELECT COUNT(*) FROM ticket WHERE FECHA < '2026-02-15'"))
                         .toLongLong(),
                     0);
            compareAll(t.data.db(), QStringLiteral("after the purge"));
        }
        if (round == 4) {
            store::rehacerResumenes(t.data.db());
            compareAll(t.data.db(), QStringLiteral("after a rebuild"));
        }
    }
}

void TestResumenes::theTriggersFireAndOddDaysFallBack() {
    TestDatabase t;
    const QSqlDatabase db = t.data.db();
    const QDate from(2026, 1, 1);
    const QDate to(2026, 1, 31);
    store::run(db,
               QStringLiteral("INSERT INTO ciber (FECHA, NPUESTO, CLIENTE, TIEMPO) VALUES ('2026-01-10', 3, "
                              "'ana', 60)"));
    store::run(
        db, QStringLiteral("INSERT INTO movcuentas (CUENTA, FECHA, SALDO_MOV) VALUES ('ana', '2026-01-10', "
                           "-500)"));
    store::run(db, QStringLiteral("INSERT INTO ticket (ID_TICK, FECHA) VALUES (1, '2026-01-10')"));
    store::run(
        db, QStringLiteral("INSERT INTO lintick (ID_TICK, CODIGO, ARTICULO, CANT, IMPORTE) VALUES (1, 'A1', "
                           "'Café', 2, 300)"));
    for (const char* table : {"resumen_ventas", "resumen_puestos", "resumen_clientes", "resumen_cuentas"})
        QCOMPARE(
            store::scalar(
                db, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE MES = '2026-01'").arg(QLatin1String(table)))
                .toLongLong(),
            1);
    QVERIFY(store::tramosResumen(db, store::ResumenDe::Ventas, from, to).meses);
    // A day no calendar has: no summary month can say which side of a range
    // it falls on, so the statistic reads the rows while it is there.
    store::run(db, QStringLiteral("UPDATE ticket SET FECHA = '2026-01-32' WHERE ID_TICK = 1"));
    QVERIFY(!store::tramosResumen(db, store::ResumenDe::Ventas, from, to).meses);
    QVERIFY(store::tramosResumen(db, store::ResumenDe::Puestos, from, to).meses);
    store::run(db, QStringLiteral("UPDATE ticket SET FECHA = '2026-01-31' WHERE ID_TICK = 1"));
    QVERIFY(store::tramosResumen(db, store::ResumenDe::Ventas, from, to).meses);
    const Statistic s = ventasArticulos(db, Regional::spanishSpain(), {from, to}, std::nullopt, printed);
    QCOMPARE(s.labels, QStringList{QStringLiteral("Café")});
    QCOMPARE(s.values, std::vector<double>{2.0});
}

QTEST_GUILESS_MAIN(TestResumenes)
#include "tst_resumenes.moc"
