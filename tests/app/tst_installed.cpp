// Where an installed console keeps its data, and its "Acerca de" box.
#include "app/about.h"
#include "app/aboutcontroller.h"
#include "app/frmmain.h"
#include "app/paths.h"
#include "core/consolecontext.h"
#include "store/datamodule.h"
#include "support/scriptedui.h"
#include "support/testdb.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

class TestInstalled : public QObject {
    Q_OBJECT
private slots:
    void homeRule_data();
    void homeRule();
    void firstStartCreatesTheDatabase();
    void firstStartLeavesOtherHomesAlone();
    void firstStartReportsAFolderItCannotMake();
    void aboutNamesTheLibraries();
};

void TestInstalled::homeRule_data() {
    QTest::addColumn<QString>("homeOption");
    QTest::addColumn<QString>("programFolder");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("userData");
    const QString data = QStringLiteral("/home/ana/.local/share/Quintor");
    QTest::newRow("portable") << QString() << "/opt/cafe" << true << "/opt/cafe" << false;
    QTest::newRow("installed") << QString() << "/usr/bin" << false << data << true;
    QTest::newRow("installed, run by root") << QString() << "/usr/bin" << true << data << true;
    QTest::newRow("under /usr/local") << QString() << "/usr/local/bin" << true << data << true;
    QTest::newRow("read-only portable") << QString() << "/media/cd" << false << data << true;
    QTest::newRow("under /usr/lib") << QString() << "/usr/lib/quintor" << true << data << true;
    QTest::newRow("a build tree under /usr/src")
        << QString() << "/usr/src/q/build/bin" << true << "/usr/src/q/build/bin" << false;
    QTest::newRow("/usr/binx is not /usr/bin") << QString() << "/usr/binx" << true << "/usr/binx" << false;
    QTest::newRow("a relative --home")
        << "cafe/../cafe2"
        << "/usr/bin" << false << QDir::cleanPath(QDir::currentPath() + QStringLiteral("/cafe2")) << false;
    QTest::newRow("--home wins when installed") << "/srv/cafe"
                                                << "/usr/bin" << false << "/srv/cafe" << false;
    QTest::newRow("--home wins when portable") << "/srv/cafe/"
                                               << "/opt/cafe" << true << "/srv/cafe" << false;
}

void TestInstalled::homeRule() {
    QFETCH(QString, homeOption);
    QFETCH(QString, programFolder);
    QFETCH(bool, writable);
    QFETCH(QString, expected);
    QFETCH(bool, userData);
    const app::Paths paths = app::Paths::choose(homeOption, programFolder, writable,
                                                QStringLiteral("/home/ana/.local/share/Quintor"));
    QCOMPARE(paths.home(), expected);
    QCOMPARE(paths.inUserDataFolder(), userData);
    // config.ini stays beside the database, wherever the home is.
    QCOMPARE(paths.configIni(), expected + QStringLiteral("/database/config.ini"));
}

void TestInstalled::firstStartCreatesTheDatabase() {
    QTemporaryDir dir;
    const QString data = dir.path() + QStringLiteral("/share/Quintor");
    const app::Paths paths = app::Paths::choose({}, QStringLiteral("/usr/bin"), false, data);
    QString error;
    const QString file = app::createFirstDatabase(paths, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(file, data + QStringLiteral("/database/ciber.mdb"));

    TDataModule1 module;
    QVERIFY(module.open(file, QString()));
    QVERIFY(module.isCurrentVersion());
    module.close();

    // The next start finds the folder and touches nothing.
    QVERIFY(QFile::remove(file));
    QVERIFY(app::createFirstDatabase(paths, &error).isEmpty());
    QVERIFY(error.isEmpty());
    QVERIFY(!QFileInfo::exists(file));
}

void TestInstalled::firstStartLeavesOtherHomesAlone() {
    QTemporaryDir dir;
    const QString home = dir.path() + QStringLiteral("/cafe");
    for (const app::Paths& paths : {app::Paths::choose(home, QStringLiteral("/usr/bin"), false, dir.path()),
                                    app::Paths::choose({}, home, true, dir.path())}) {
        QString error;
        QVERIFY(app::createFirstDatabase(paths, &error).isEmpty());
        QVERIFY(error.isEmpty());
        QVERIFY(!QFileInfo::exists(paths.databaseFolder()));
    }
}

void TestInstalled::firstStartReportsAFolderItCannotMake() {
    QTemporaryDir dir;
    // A file where the data folder should be.
    QFile blocker(dir.path() + QStringLiteral("/Quintor"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const app::Paths paths = app::Paths::choose({}, QStringLiteral("/usr/bin"), false, blocker.fileName());
    QString error;
    QVERIFY(app::createFirstDatabase(paths, &error).isEmpty());
    QVERIFY(error.contains(QStringLiteral("database")));
}

void TestInstalled::aboutNamesTheLibraries() {
    TestDatabase db;
    const QList<app::LibraryInfo> libs = app::libraries(db.data.db());
    QStringList names;
    for (const app::LibraryInfo& lib : libs) {
        names << lib.name;
        QVERIFY2(!lib.licence.isEmpty(), qPrintable(lib.name));
    }
    // The console links Qt Charts, which comes under the GPL only.
    QCOMPARE(names.mid(0, 4), (QStringList{QStringLiteral("Qt"), QStringLiteral("Qt Charts"),
                                           QStringLiteral("SQLite"), QStringLiteral("PostgreSQL (libpq)")}));
    QVERIFY(libs.at(1).licence.contains(QStringLiteral("GPL")) && !libs.at(1).licence.contains(u"LGPL"));
    QCOMPARE(libs.at(0).version, QString::fromLatin1(qVersion()));
    QVERIFY(libs.at(2).version.startsWith(QLatin1String("3.")));
    QCOMPARE(names.removeDuplicates(), 0);

    ConsoleContext context;
    context.data = &db.data;
    TFrmMain window;
    AboutController controller(context, window);
    ScriptedUi scripted;
    int rows = -1;
    QString version;
    scripted.onNextDialog([&](QDialog* dialog) {
        rows = dialog->findChild<QTableWidget*>(QStringLiteral("libraries"))->rowCount();
        version = dialog->findChild<QLabel*>(QStringLiteral("version"))->text();
        return int(QDialog::Accepted);
    });
    QAction* action = window.action(QStringLiteral("acercaDe"));
    QVERIFY(action->isEnabled());
    action->trigger();
    QCOMPARE(rows, libs.size());
    QVERIFY(version.contains(QStringLiteral(QUINTOR_VERSION)));
    QVERIFY(scripted.messages().isEmpty());
}

QTEST_MAIN(TestInstalled)
#include "tst_installed.moc"
