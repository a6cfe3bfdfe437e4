#include "store/datamodule.h"
#include "store/dbfile.h"
#include "store/maintenance.h"
#include "store/sql.h"
#include "store/transaction.h"
#include "support/testdb.h"
#include "support/testserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

namespace {

// Fills a database with enough tickets that a compaction takes a while, and
// leaves free pages behind for it to reclaim.
void fill(const QString& path, int tickets) {
    TDataModule1 data;
    QVERIFY(data.open(path));
    store::Transaction t(data.db());
    for (int i = 0; i < tickets; ++i)
        store::run(data.db(),
                   QStringLiteral("INSERT INTO ticket (NUM_TICKET, FECHA, HORA, IMPORTE, OBSERVACIONES) "
                                  "VALUES (?, '2025-01-01', '10:00:00', 100, ?)"),
                   {QString::number(i), QString(200, QLatin1Char('x'))});
    t.commit();
    store::run(data.db(), QStringLiteral("DELETE FROM ticket WHERE ID_TICK % 2 = 0"));
}

int tickets(const QString& path) {
    TDataModule1 data;
    if (!data.open(path))
        return -1;
    return store::toInt(store::scalar(data.db(), QStringLiteral("SELECT COUNT(*) FROM ticket")));
}

// Rows and money of the tables a café lives on.
QStringList figures(const QString& where) {
    TDataModule1 data;
    if (!data.open(where))
        return {};
    QStringList lines;
    for (const char* sql :
         {"SELECT COUNT(*), SUM(IMPORTE) FROM ticket", "SELECT COUNT(*), SUM(IMPORTE) FROM lintick",
          "SELECT COUNT(*), SUM(credito), SUM(Bonotiempo) FROM cuentas",
          "SELECT COUNT(*), SUM(SALDO_MOV) FROM movcuentas", "SELECT COUNT(*), SUM(TIEMPO) FROM ciber",
          "SELECT COUNT(*), SUM(PRECIO) FROM articulos", "SELECT NUM_TICK FROM opciones"}) {
        QSqlQuery q = store::run(data.db(), QString::fromLatin1(sql));
        QStringList values;
        while (q.next()) {
            for (int i = 0; i < q.record().count(); ++i)
                values << QString::number(q.value(i).toLongLong());
        }
        lines << values.join(QLatin1Char(' '));
    }
    return lines;
}

// A case about the compaction of a file, which a server's database is not.
#define FILES_ONLY()                                                                                         \
    if (testserver::onServer())                                                                              \
    QSKIP("a database file's compaction")

} // namespace

class TestCompaction : public QObject {
    Q_OBJECT
private slots:
    void tempName_data();
    void tempName();
    void compactsInPlace();
    void refusesWhatIsNotADatabase();
    void readOnlyFolderLeavesFileAsItWas();
    void fileInUseIsLeftAlone();
    void killedMidCompactionLeavesOldOrNewFile();
    void copyIsAFullDatabase();
    void compactionKeepsEveryRow();
    void serverCompactionIsAVacuumOfEveryTable();
    void vacuumOnlyOutsideATransactionOnAServer();
};

void TestCompaction::tempName_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("temp");
    QTest::newRow("mdb") << "/d/ciber.mdb"
                         << "/d/ciber~1.mdb";
    QTest::newRow("two dots") << "/d/mi.base.mdb"
                              << "/d/mi.base~1.mdb";
    QTest::newRow("no extension") << "/d/ciber"
                                  << "/d/ciber~1";
}

void TestCompaction::tempName() {
    QFETCH(QString, path);
    QFETCH(QString, temp);
    QCOMPARE(store::compactionTempPath(path), temp);
}

void TestCompaction::compactsInPlace() {
    FILES_ONLY();
    TestHome home;
    const QString path = home.createDatabase();
    fill(path, 2000);
    const qint64 before = QFileInfo(path).size() + QFileInfo(path + QStringLiteral("-wal")).size();
    // A temporary file left by an earlier run goes first.
    home.writeFile(QStringLiteral("ciber~1.mdb"), "left over");
    const Status s = store::CompactarBase(path);
    QVERIFY2(s.ok(), qPrintable(s.error()));
    QVERIFY(QFileInfo(path).size() < before);
    QCOMPARE(QDir(home.databaseFolder()).entryList(QDir::Files), QStringList{QStringLiteral("ciber.mdb")});
    QCOMPARE(tickets(path), 1000);
    QVERIFY(store::integrityCheck(path).ok());
}

void TestCompaction::refusesWhatIsNotADatabase() {
    FILES_ONLY();
    TestHome home;
    const QByteArray text(4096, 'q');
    home.writeFile(QStringLiteral("texto.mdb"), text);
    const QString path = home.databaseFile(QStringLiteral("texto.mdb"));
    const Status s = store::CompactarBase(path);
    QVERIFY(!s.ok());
    QVERIFY(!s.error().isEmpty());
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), text);
    QVERIFY(!QFileInfo::exists(home.databaseFile(QStringLiteral("texto~1.mdb"))));
}

void TestCompaction::readOnlyFolderLeavesFileAsItWas() {
    FILES_ONLY();
    TestHome home;
    const QString path = home.createDatabase();
    fill(path, 50);
    QFile::setPermissions(home.databaseFolder(), QFile::ReadOwner | QFile::ExeOwner);
    const Status s = store::CompactarBase(path);
    QFile::setPermissions(home.databaseFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (s.ok())
        QSKIP("the folder stays writable for this user");
    QCOMPARE(tickets(path), 25);
}

void TestCompaction::fileInUseIsLeftAlone() {
    FILES_ONLY();
    TestHome home;
    const QString path = home.createDatabase();
    fill(path, 50);
    TDataModule1 other;
    QVERIFY(other.open(path));
    const Status s = store::CompactarBase(path);
    QVERIFY(!s.ok());
    QVERIFY(s.error().contains(QStringLiteral("en uso")));
    // The connection that held it still sees and writes the same file.
    store::run(other.db(), QStringLiteral("INSERT INTO ticket (NUM_TICKET) VALUES ('x')"));
    other.close();
    QCOMPARE(tickets(path), 26);
    QVERIFY(!QFileInfo::exists(home.databaseFile(QStringLiteral("ciber~1.mdb"))));
}

void TestCompaction::killedMidCompactionLeavesOldOrNewFile() {
    FILES_ONLY();
    TestHome home;
    const QString path = home.createDatabase();
    fill(path, 20000);
    int finishedRounds = 0;
    for (const int delay : {40, 90, 150, 230, 310, 420, 530, 700}) {
        QProcess child;
        child.start(QCoreApplication::applicationDirPath() + QStringLiteral("/compactchild"), {path});
        QVERIFY(child.waitForStarted());
        QTest::qWait(delay);
        child.kill();
        QVERIFY(child.waitForFinished());
        QVERIFY2(child.exitStatus() == QProcess::CrashExit, child.readAllStandardError().constData());
        finishedRounds += int(child.readAllStandardOutput().count('\n'));
        QVERIFY2(store::integrityCheck(path).ok(), qPrintable(QStringLiteral("after %1 ms").arg(delay)));
        QCOMPARE(tickets(path), 10000);
    }
    // The kills fell inside the loop of compactions, not before it.
    QVERIFY(finishedRounds > 0);
    // What a killed run left beside it is cleared by the next one.
    QVERIFY(store::CompactarBase(path).ok());
    QVERIFY(!QFileInfo::exists(home.databaseFile(QStringLiteral("ciber~1.mdb"))));
}

void TestCompaction::copyIsAFullDatabase() {
    FILES_ONLY();
    TestHome home;
    const QString path = home.createDatabase();
    // Rows still in the write-ahead log of an open connection reach the copy.
    TDataModule1 data;
    QVERIFY(data.open(path));
    store::run(data.db(),
               QStringLiteral("INSERT INTO ticket (NUM_TICKET, FECHA) VALUES ('9', '2025-01-01')"));
    QVERIFY(QFileInfo(path + QStringLiteral("-wal")).size() > 0);
    const QString copy = home.databaseFile(QStringLiteral("copia.mdb"));
    QVERIFY(store::copyDatabase(path, copy).ok());
    QCOMPARE(tickets(copy), 1);
    // Never over an existing file; never from a file that is not a database.
    QVERIFY(!store::copyDatabase(path, copy).ok());
    home.writeFile(QStringLiteral("texto.mdb"), QByteArray(2048, 't'));
    const QString other = home.databaseFile(QStringLiteral("otra.mdb"));
    QVERIFY(!store::copyDatabase(home.databaseFile(QStringLiteral("texto.mdb")), other).ok());
    QVERIFY(!QFileInfo::exists(other));
}

void TestCompaction::compactionKeepsEveryRow() {
    TestHome home;
    const QString where = home.createDatabase(QStringLiteral("ciber.mdb"), true, DemoHistory::With);
    fill(where, 2000);
    const QStringList before = figures(where);
    QVERIFY(!before.isEmpty());
    if (testserver::onServer()) {
        TDataModule1 data;
        QVERIFY(data.open(where));
        const Status s = store::vacuumDatabase(data.db());
        QVERIFY2(s.ok(), qPrintable(s.error()));
    } else {
        const Status s = store::CompactarBase(where);
        QVERIFY2(s.ok(), qPrintable(s.error()));
    }
    QCOMPARE(figures(where), before);
}

void TestCompaction::serverCompactionIsAVacuumOfEveryTable() {
    if (!testserver::onServer())
        QSKIP("a server's compaction");
    TestHome home;
    const QString where = home.createDatabase();
    fill(where, 200);
    TDataModule1 data;
    QVERIFY(data.open(where));
    QStringList tables;
    QList<int> done;
    int total = -1;
    const Status s = store::vacuumDatabase(data.db(), [&](const QString& table, int d, int t) {
        tables << table;
        done << d;
        total = t;
    });
    QVERIFY2(s.ok(), qPrintable(s.error()));
    // Table by table in name order, every table of the database once, and
    // the end.
    QCOMPARE(tables.takeLast(), QString());
    QCOMPARE(total, tables.size());
    QStringList sorted = tables;
    sorted.sort();
    QCOMPARE(tables, sorted);
    QStringList ours = data.tableNames();
    ours << QStringLiteral("quintor_version");
    for (QString& t : ours)
        t = t.toLower();
    ours.sort();
    QCOMPARE(tables, ours);
    for (int i = 0; i < done.size(); ++i)
        QCOMPARE(done.at(i), i);

    // The server says so itself.
    TDataModule1 other;
    QVERIFY(other.open(where));
    const int unvacuumed = store::toInt(store::scalar(
        other.db(), QStringLiteral("SELECT COUNT(*) FROM pg_stat_user_tables WHERE schemaname = "
                                   "current_schema() AND (last_vacuum IS NULL OR last_analyze IS NULL)")));
    QCOMPARE(unvacuumed, 0);
    QCOMPARE(tickets(where), 100);
}

void TestCompaction::vacuumOnlyOutsideATransactionOnAServer() {
    TestHome home;
    const QString where = home.createDatabase();
    TDataModule1 data;
    QVERIFY(data.open(where));
    const QSqlDatabase db = data.db();
    if (!testserver::onServer()) {
        // A file is compacted as a file, never by this.
        QVERIFY(!store::vacuumDatabase(db).ok());
        return;
    }
    store::Transaction t(db);
    store::run(db, QStringLiteral("INSERT INTO ticket (NUM_TICKET) VALUES ('1')"));
    const Status s = store::vacuumDatabase(db);
    QVERIFY(!s.ok());
    QVERIFY(s.error().contains(QStringLiteral("transacción")));
    // Refused before the server was asked: the caller's transaction goes on.
    store::run(db, QStringLiteral("INSERT INTO ticket (NUM_TICKET) VALUES ('2')"));
    t.commit();
    QCOMPARE(tickets(where), 2);
}

QTEST_GUILESS_MAIN(TestCompaction)
#include "tst_compaction.moc"
