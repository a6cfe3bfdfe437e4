#include "store/databaselock.h"
#include "store/datamodule.h"
#include "store/dbfile.h"
#include "store/engine.h"
#include "store/sql.h"
#include "support/testdb.h"
#include "support/testserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTest>

#include <unistd.h>

using Kind = store::DatabaseLock::Outcome::Kind;

class TestDatabaseLock : public QObject {
    Q_OBJECT
private slots:
    void anotherProcessHoldsItUntilKilled();
    void oneClaimPerFileInOneProcess();
    void writeCheckAsksTheEngine_data();
    void writeCheckAsksTheEngine();
    void serverWriteCheckAsksTheServer_data();
    void serverWriteCheckAsksTheServer();
    void noLockFileForAServer();
};

// The lock and the engine's own refusal of a file.
#define FILES_ONLY()                                                                                         \
    if (testserver::onServer())                                                                              \
    QSKIP("a database file")

void TestDatabaseLock::anotherProcessHoldsItUntilKilled() {
    FILES_ONLY();
    TestHome home;
    const QString path = home.createDatabase();
    QProcess child;
    child.start(QCoreApplication::applicationDirPath() + QStringLiteral("/lockchild"), {path});
    QVERIFY(child.waitForStarted());
    QVERIFY(child.waitForReadyRead(10000));
    QCOMPARE(child.readLine(), QByteArray("held\n"));

    store::DatabaseLock mine;
    const store::DatabaseLock::Outcome refused = mine.acquire(path);
    QCOMPARE(refused.kind, Kind::HeldElsewhere);
    QCOMPARE(refused.host, QSysInfo::machineHostName());
    QCOMPARE(refused.pid, child.processId());
    QVERIFY(!mine.isHeld());

    // A reader never asks for the claim.
    {
        TDataModule1 reader;
        QVERIFY(reader.open(path));
        QCOMPARE(store::toInt(store::scalar(reader.db(), QStringLiteral("SELECT COUNT(*) FROM opciones"))),
                 1);
    }

    // SIGKILL: no clean-up ran, and the file is free at once.
    child.kill();
    QVERIFY(child.waitForFinished());
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    QVERIFY(mine.acquire(path).acquired());
    QVERIFY(mine.holds(path));
}

void TestDatabaseLock::oneClaimPerFileInOneProcess() {
    FILES_ONLY();
    TestHome home;
    const QString path = home.createDatabase();
    const QString other = home.createDatabase(QStringLiteral("otra.mdb"));
    const qint64 pid = ::getpid();
    {
        store::DatabaseLock console;
        QVERIFY(console.acquire(path).acquired());
        // The same file by another spelling is the same claim, not a second one.
        QVERIFY(console.acquire(home.databaseFolder() + QStringLiteral("/./ciber.mdb")).acquired());

        // Reading the holder through another descriptor must not drop the
        // claim, as closing it would with a per-process lock.
        QFile file(store::DatabaseLock::lockPathFor(path));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(),
                 QSysInfo::machineHostName().toUtf8() + '\n' + QByteArray::number(pid) + '\n');
        file.close();

        store::DatabaseLock second;
        store::DatabaseLock::Outcome refused = second.acquire(path);
        QCOMPARE(refused.kind, Kind::HeldElsewhere);
        QCOMPARE(refused.pid, pid);

        // The compaction replaces the database file; the claim is on the file
        // beside it and outlives the replacement.
        QVERIFY(store::CompactarBase(path).ok());
        QCOMPARE(second.acquire(path).kind, Kind::HeldElsewhere);

        // Moving to another file frees the first only once the second is held.
        QCOMPARE(second.acquire(other).kind, Kind::Acquired);
        QCOMPARE(console.acquire(other).kind, Kind::HeldElsewhere);
        QVERIFY(console.holds(path));
        second.release();
        QVERIFY(console.acquire(other).acquired());
        QVERIFY(second.acquire(path).acquired());
        second.release();
        QVERIFY(console.holds(other));
    }
    // Gone with its owner; a file left behind names nobody.
    store::DatabaseLock after;
    QVERIFY(after.acquire(other).acquired());
    QVERIFY(after.acquire(path).acquired());
    QFile left(store::DatabaseLock::lockPathFor(other));
    QVERIFY(left.open(QIODevice::ReadOnly));
    QCOMPARE(left.size(), 0);

    // A lock file that cannot be used is a failure with the system's reason.
    QVERIFY(QDir(home.databaseFolder()).mkdir(QStringLiteral("rota.mdb.lock")));
    const store::DatabaseLock::Outcome failed = after.acquire(home.databaseFile(QStringLiteral("rota.mdb")));
    QCOMPARE(failed.kind, Kind::Failed);
    QVERIFY(!failed.error.isEmpty());
    QVERIFY(after.holds(path));
}

void TestDatabaseLock::writeCheckAsksTheEngine_data() {
    QTest::addColumn<bool>("ours");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("our database") << true << false;
    QTest::newRow("our database, read-only") << true << true;
    QTest::newRow("not ours yet") << false << false;
    QTest::newRow("not ours yet, read-only") << false << true;
}

void TestDatabaseLock::writeCheckAsksTheEngine() {
    FILES_ONLY();
    QFETCH(bool, ours);
    QFETCH(bool, readOnly);
    TestHome home;
    QString path = home.databaseFile(QStringLiteral("otra.mdb"));
    if (ours) {
        path = home.createDatabase();
        TDataModule1 d;
        QVERIFY(d.open(path));
        store::run(d.db(), QStringLiteral("UPDATE opciones SET NUM_TICK = 41"));
    } else {
        home.writeFile(QStringLiteral("otra.mdb"), QByteArray());
        TDataModule1 d;
        QVERIFY(d.open(path));
        store::run(d.db(), QStringLiteral("CREATE TABLE otra (a INTEGER)"));
    }
    {
        // Root writes through file permissions; an engine told to open the
        // file read-only cannot write it whoever runs it.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(path);
        if (readOnly)
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        QVERIFY(db.open());
        const Status writable = store::checkWritable(db);
        QCOMPARE(writable.ok(), !readOnly);
        if (readOnly)
            QVERIFY2(writable.error().contains(QStringLiteral("readonly")), qPrintable(writable.error()));
        // Nothing was left open or changed.
        QVERIFY(db.transaction());
        QVERIFY(db.rollback());
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    TDataModule1 after;
    QVERIFY(after.open(path));
    QCOMPARE(after.tableNames().contains(QStringLiteral("quintor_prueba_escritura")), false);
    if (ours)
        QCOMPARE(store::toInt(store::scalar(after.db(), QStringLiteral("SELECT NUM_TICK FROM opciones"))),
                 41);
    else
        QCOMPARE(after.tableNames(), QStringList{QStringLiteral("otra")});
    QVERIFY(after.checkWritable().ok());
}

void TestDatabaseLock::serverWriteCheckAsksTheServer_data() {
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("writable") << false;
    QTest::newRow("read-only") << true;
}

void TestDatabaseLock::serverWriteCheckAsksTheServer() {
    QFETCH(bool, readOnly);
    if (!testserver::onServer())
        QSKIP("a server's database");
    TestHome home;
    const QString uri = home.createDatabase();
    {
        TDataModule1 d;
        QVERIFY(d.open(uri));
        store::run(d.db(), QStringLiteral("UPDATE opciones SET NUM_TICK = 41"));
        // What a role that may only read finds: every transaction read-only.
        if (readOnly)
            store::run(d.db(), QStringLiteral("ALTER DATABASE ") + store::serverDatabaseName(uri) +
                                   QStringLiteral(" SET default_transaction_read_only = on"));
    }
    TDataModule1 data;
    QVERIFY(data.open(uri));
    const Status writable = data.checkWritable();
    QCOMPARE(writable.ok(), !readOnly);
    if (readOnly)
        QVERIFY2(writable.error().contains(QStringLiteral("read-only")) ||
                     writable.error().contains(QStringLiteral("sólo lectura")),
                 qPrintable(writable.error()));
    // Nothing was left open or changed.
    QVERIFY(!store::inTransaction(data.db()));
    QCOMPARE(store::toInt(store::scalar(data.db(), QStringLiteral("SELECT NUM_TICK FROM opciones"))), 41);
    QCOMPARE(data.tableNames().contains(QStringLiteral("quintor_prueba_escritura")), false);
}

void TestDatabaseLock::noLockFileForAServer() {
    // Works the same whichever engine the run is on: a URI names no file.
    TestHome home;
    const QString path = home.databaseFile(QStringLiteral("ciber.mdb"));
    home.writeFile(QStringLiteral("ciber.mdb"), QByteArray());
    const QString uri = QStringLiteral("postgresql://caja@/cafe?host=") + home.home();
    const QString cwd = QDir::currentPath();
    QVERIFY(QDir::setCurrent(home.home()));
    store::DatabaseLock lock;
    QVERIFY(lock.acquire(path).acquired());
    const store::DatabaseLock::Outcome server = lock.acquire(uri);
    QVERIFY(QDir::setCurrent(cwd));
    QCOMPARE(server.kind, Kind::Acquired);
    // The file's claim is kept; the server's takes nothing anywhere.
    QVERIFY(lock.holds(path));
    QVERIFY(!lock.holds(uri));
    QCOMPARE(QDir(home.home()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("database")});
    QCOMPARE(QDir(home.databaseFolder()).entryList(QDir::Files),
             (QStringList{QStringLiteral("ciber.mdb"), QStringLiteral("ciber.mdb.lock")}));
}

QTEST_GUILESS_MAIN(TestDatabaseLock)
#include "tst_databaselock.moc"
