#include "store/datamodule.h"
#include "store/dialect.h"
#include "store/newdatabase.h"
#include "store/resumenes.h"
#include "store/sql.h"
#include "store/transfer.h"
#include "support/olddatabases.h"
#include "support/testserver.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace store;

namespace {

// Every row of every table, as text, in the order the rows were added.
QStringList dump(const QString& where) {
    TDataModule1 data;
    const Status opened = data.open(where);
    if (!opened)
        qFatal("%s", qPrintable(opened.error()));
    const QSqlDatabase db = data.db();
    QStringList rows;
    QStringList tables = data.tableNames();
    std::sort(tables.begin(), tables.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    for (const QString& table : std::as_const(tables)) {
        if (isEngineTable(table))
            continue;
        QStringList names;
        for (const ColumnInfo& c : tableColumns(db, table))
            names << c.name;
        // The summaries have no order of their own (nor, in a file, a row number).
        const QString order = isSummaryTable(table) ? QString() : rowOrderColumn(db, table);
        QSqlQuery q =
            run(db, QStringLiteral("SELECT ") + names.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") +
                        table + (order.isEmpty() ? QString() : QStringLiteral(" ORDER BY ") + order));
        QStringList tableRows;
        while (q.next()) {
            QStringList values;
            for (int i = 0; i < names.size(); ++i)
                values << (q.value(i).isNull() ? QStringLiteral("NULL") : q.value(i).toString());
            tableRows << table.toLower() + QLatin1Char(':') + values.join(QLatin1Char('|'));
        }
        // A copy makes the summaries again from its rows: the same rows, in
        // whatever order they were made.
        if (isSummaryTable(table))
            tableRows.sort();
        rows << tableRows;
        for (const ColumnInfo& c : tableColumns(db, table)) {
            if (c.counter)
                rows << QStringLiteral("%1.%2 counter %3")
                            .arg(table.toLower(), c.name.toLower())
                            .arg(counterValue(db, table, c.name));
        }
    }
    rows << QStringLiteral("version %1").arg(userVersion(db));
    return rows;
}

QByteArray digest(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

void addHistory(const QString& path, int tickets) {
    TDataModule1 data;
    QVERIFY(data.open(path));
    const QSqlDatabase db = data.db();
    run(db, QStringLiteral("BEGIN"));
    // Amounts past what a 32-bit column holds, and reals with fractions.
    run(db,
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
                       "INSERT INTO ticket (NUM_TICKET, FECHA, HORA, IMPORTE, CLIENTE, NPUESTO, MODO) "
                       "SELECT printf('%06d', i), date('2025-01-01', '+' || (i % 700) || ' days'), "
                       "'10:00:00', 3000000000 + i * 125, CASE i % 3 WHEN 0 THEN 'Núñez' ELSE "
                       "'cliente' || (i % 97) END, i % 40, 'C' FROM n"),
        {tickets});
    run(db, QStringLiteral("INSERT INTO lintick (ID_TICK, CODIGO, ARTICULO, CANT, PRECIO, IMPORTE) "
                           "SELECT ID_TICK, 'caf', 'Café', 1.5, 12500, 18750 FROM ticket"));
    run(db, QStringLiteral(
                "INSERT INTO lintick (ID_TICK, CODIGO, ARTICULO, CANT, PRECIO, IMPORTE) "
                "SELECT ID_TICK, 'T1', 'Tiempo', 0.25, 20000, 5000 FROM ticket WHERE ID_TICK % 2 = 0"));
    // Counters ahead of the last row: deleted tickets keep their numbers used.
    run(db, QStringLiteral("DELETE FROM ticket WHERE ID_TICK = (SELECT MAX(ID_TICK) FROM ticket)"));
    run(db, QStringLiteral("COMMIT"));
}

} // namespace

class TestTransfer : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void copiesBothWays_data();
    void copiesBothWays();
    void countersGoOn();
    void refusesATargetThatHasData();
    void aFailedCopyLeavesNothing();
    void olderLayoutIsUpgradedOnACopy();

private:
    // A new target in the engine of the run: a database of its own on the
    // cluster, or a file.
    QString newTarget(const QString& name);
    std::unique_ptr<QTemporaryDir> m_dir;
    QStringList m_serverDatabases;
};

void TestTransfer::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestTransfer::cleanup() {
    for (const QString& uri : std::as_const(m_serverDatabases))
        testserver::dropDatabase(uri);
    m_serverDatabases.clear();
}

QString TestTransfer::newTarget(const QString& name) {
    if (!testserver::onServer())
        return m_dir->filePath(name);
    m_serverDatabases << testserver::newDatabase();
    return m_serverDatabases.last();
}

void TestTransfer::copiesBothWays_data() {
    QTest::addColumn<bool>("demo");
    QTest::addColumn<int>("tickets");
    QTest::newRow("demo") << true << 0;
    QTest::newRow("large") << false << 40000;
}

// A café's file goes to the engine and comes back as the same rows, the
// same counters and the same version.
void TestTransfer::copiesBothWays() {
    QFETCH(bool, demo);
    QFETCH(int, tickets);
    const QString source = m_dir->filePath(QStringLiteral("ciber.mdb"));
    QVERIFY(createDatabase(source, demo));
    if (tickets > 0)
        addHistory(source, tickets);
    const QStringList original = dump(source);

    const QString middle = newTarget(QStringLiteral("medio.mdb"));
    qint64 lastRows = -1;
    qint64 total = 0;
    bool ordered = true;
    const Status there = transferDatabase(source, middle, [&](const TransferStep& s) {
        ordered = ordered && s.rows >= lastRows && s.tableRows <= s.tableTotal;
        lastRows = s.rows;
        total = s.total;
    });
    QVERIFY2(there, qPrintable(there.error()));
    QVERIFY(ordered);
    QCOMPARE(lastRows, total);
    QCOMPARE(dump(middle), original);

    const QString back = m_dir->filePath(QStringLiteral("vuelta.mdb"));
    const Status home = transferDatabase(middle, back);
    QVERIFY2(home, qPrintable(home.error()));
    QCOMPARE(dump(back), original);
    QVERIFY(!QFile::exists(back + QStringLiteral(".partial")));
}

// The engine's own numbering goes on after the copy, from where the source's
// counter was, not from its last row.
void TestTransfer::countersGoOn() {
    const QString source = m_dir->filePath(QStringLiteral("ciber.mdb"));
    QVERIFY(createDatabase(source, false));
    addHistory(source, 10);
    qint64 before = 0;
    {
        TDataModule1 data;
        QVERIFY(data.open(source));
        before = counterValue(data.db(), QStringLiteral("ticket"), QStringLiteral("ID_TICK"));
        QCOMPARE(scalar(data.db(), QStringLiteral("SELECT MAX(ID_TICK) FROM ticket")).toLongLong(),
                 before - 1);
    }
    const QString target = newTarget(QStringLiteral("copia.mdb"));
    QVERIFY(transferDatabase(source, target));
    TDataModule1 data;
    QVERIFY(data.open(target));
    run(data.db(), QStringLiteral("INSERT INTO ticket (NUM_TICKET) VALUES ('nuevo')"));
    QCOMPARE(scalar(data.db(), QStringLiteral("SELECT ID_TICK FROM ticket WHERE NUM_TICKET = 'nuevo'"))
                 .toLongLong(),
             before + 1);
}

void TestTransfer::refusesATargetThatHasData() {
    const QString source = m_dir->filePath(QStringLiteral("ciber.mdb"));
    QVERIFY(createDatabase(source, true));
    const QString target = newTarget(QStringLiteral("ocupada.mdb"));
    QVERIFY(createDatabase(target, false));
    const QStringList before = dump(target);
    const QByteArray bytes = digest(target);
    const Status s = transferDatabase(source, target);
    QVERIFY(!s);
    QVERIFY2(s.error().contains(QStringLiteral("ya tiene tablas")) ||
                 s.error().contains(QStringLiteral("ya existe")),
             qPrintable(s.error()));
    QCOMPARE(dump(target), before);
    QCOMPARE(digest(target), bytes);
}

// A value the target cannot hold stops the copy before it commits: the
// target is left as it was, empty, and no file is left behind.
void TestTransfer::aFailedCopyLeavesNothing() {
    const QString source = m_dir->filePath(QStringLiteral("ciber.mdb"));
    QVERIFY(createDatabase(source, true));
    {
        TDataModule1 data;
        QVERIFY(data.open(source));
        run(data.db(),
            QStringLiteral("UPDATE ticket SET IMPORTE = 'doce' WHERE ID_TICK = (SELECT MAX(ID_TICK) "
                           "FROM ticket)"));
        if (scalar(data.db(), QStringLiteral("SELECT COUNT(*) FROM ticket")).toInt() == 0)
            run(data.db(), QStringLiteral("INSERT INTO ticket (NUM_TICKET, IMPORTE) VALUES ('1', 'doce')"));
    }
    const QString target = newTarget(QStringLiteral("copia.mdb"));
    const Status s = transferDatabase(source, target);
    QVERIFY(!s);
    QVERIFY2(s.error().contains(QStringLiteral("doce")), qPrintable(s.error()));
    if (testserver::onServer()) {
        TDataModule1 data;
        QVERIFY(data.open(target));
        QCOMPARE(data.tableNames().size(), 0);
    } else {
        QVERIFY(!QFile::exists(target));
        QVERIFY(!QFile::exists(target + QStringLiteral(".partial")));
    }
}

void TestTransfer::olderLayoutIsUpgradedOnACopy() {
    const QString source = m_dir->filePath(QStringLiteral("antigua.mdb"));
    createOldDatabase(source, QStringLiteral("3.21"),
                      {QStringLiteral("INSERT INTO cuentas (Login, Nombre) VALUES ('Pepe', 'Pepe')")});
    const QByteArray bytes = digest(source);
    const QString target = newTarget(QStringLiteral("nueva.mdb"));
    const Status s = transferDatabase(source, target);
    QVERIFY2(s, qPrintable(s.error()));
    QCOMPARE(digest(source), bytes);
    TDataModule1 data;
    QVERIFY(data.open(target));
    QVERIFY(data.isCurrentVersion());
    QCOMPARE(scalar(data.db(), QStringLiteral("SELECT Nombre FROM cuentas WHERE Login = 'Pepe'")).toString(),
             QStringLiteral("Pepe"));
}

QTEST_GUILESS_MAIN(TestTransfer)
#include "tst_transfer.moc"
