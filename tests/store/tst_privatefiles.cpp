// Every file the console makes of the café's data is its user's alone, and a
// database made before that loses the world's access when it is opened.
#include "store/datamodule.h"
#include "store/dbfile.h"
#include "store/importcuentas.h"
#include "store/newdatabase.h"
#include "store/privatefiles.h"
#include "store/transfer.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <sys/stat.h>

namespace {

// The mode bits as the kernel has them (QFileInfo mixes in the owner's view).
int mode(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

using Make = std::function<bool(const QString& source, const QString& target)>;

} // namespace

Q_DECLARE_METATYPE(Make)

class TestPrivateFiles : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void madePrivate_data();
    void madePrivate();
    void openingWithdrawsOnlyTheWorld();
};

void TestPrivateFiles::initTestCase() {
    // The most open mask a desktop session has: nothing here may rely on it.
    ::umask(0);
}

void TestPrivateFiles::madePrivate_data() {
    QTest::addColumn<Make>("make");
    QTest::addColumn<QString>("extension");
    QTest::newRow("new database") << Make([](const QString&, const QString& t) {
        return bool(store::createDatabase(t, false));
    }) << "mdb";
    QTest::newRow("copy") << Make([](const QString& s, const QString& t) {
        return bool(store::copyDatabase(s, t));
    }) << "mdb";
    QTest::newRow("compacted") << Make([](const QString& s, const QString& t) {
        return QFile::copy(s, t) && QFile::setPermissions(t, QFile::permissions(t) | QFile::ReadOther) &&
               bool(store::CompactarBase(t));
    }) << "mdb";
    QTest::newRow("copied between engines")
        << Make([](const QString& s, const QString& t) { return bool(store::transferDatabase(s, t)); })
        << "mdb";
    QTest::newRow("accounts export") << Make([](const QString&, const QString& t) {
        return bool(store::writeExportFile(t, {{QStringLiteral("ana"), QStringLiteral("clave")}}));
    }) << "qdt";
}

void TestPrivateFiles::madePrivate() {
    QFETCH(Make, make);
    QFETCH(QString, extension);
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("origen.mdb"));
    QVERIFY(store::createDatabase(source, true));
    const QString target = dir.filePath(QStringLiteral("destino.") + extension);
    QVERIFY(make(source, target));
    QCOMPARE(mode(target), 0600);
    // The engine's side files follow the database's mode.
    if (QFile::exists(target + QStringLiteral("-wal")))
        QCOMPARE(mode(target + QStringLiteral("-wal")), 0600);
}

void TestPrivateFiles::openingWithdrawsOnlyTheWorld() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("antigua.mdb"));
    QVERIFY(store::createDatabase(file, false));
    QVERIFY(::chmod(QFile::encodeName(file).constData(), 0664) == 0);
    TDataModule1 data;
    QVERIFY(data.open(file));
    // The group an owner shared it with keeps its access.
    QCOMPARE(mode(file), 0660);
    QCOMPARE(mode(file + QStringLiteral("-wal")), 0660);
}

QTEST_GUILESS_MAIN(TestPrivateFiles)
#include "tst_privatefiles.moc"
