#include "store/datamodule.h"
#include "store/dbfile.h"
#include "store/sql.h"
#include "store/transaction.h"
#include "support/testdb.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
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

QTEST_GUILESS_MAIN(TestCompaction)
#include "tst_compaction.moc"
