#include "admin/permisos.h"
#include "app/commandline.h"
#include "app/configini.h"
#include "app/databasefiles.h"
#include "app/docklayout.h"
#include "app/login.h"
#include "support/testdb.h"

#include <QFile>
#include <QSettings>
#include <QTest>

class TestConfigFiles : public QObject {
    Q_OBJECT
private slots:
    void mdbExtension_data();
    void mdbExtension();
    void copyNames();
    void readOnlyConfigBecomesWritable();
    void layoutSectionsRoundTrip();
    void hexText();
    void commandLine_data();
    void commandLine();
    void permissionCheck();
};

void TestConfigFiles::mdbExtension_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << QStringLiteral("copia") << QStringLiteral("copia.mdb");
    QTest::newRow("with extension") << QStringLiteral("ciber.mdb") << QStringLiteral("ciber.mdb");
    QTest::newRow("upper case extension") << QStringLiteral("CIBER.MDB") << QStringLiteral("CIBER.MDB");
    QTest::newRow("other extension") << QStringLiteral("datos.bak") << QStringLiteral("datos.bak.mdb");
}

void TestConfigFiles::mdbExtension() {
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(app::withMdbExtension(name), expected);
}

void TestConfigFiles::copyNames() {
    TestHome home;
    const QString folder = home.databaseFolder();
    QCOMPARE(app::nextCopyName(folder, QStringLiteral("x.mdb")), QStringLiteral("BD~0x.mdb"));
    home.writeFile(QStringLiteral("BD~0x.mdb"), "a");
    home.writeFile(QStringLiteral("BD~2x.mdb"), "a");
    QCOMPARE(app::nextCopyName(folder, QStringLiteral("x.mdb")), QStringLiteral("BD~1x.mdb"));
    QVERIFY(!app::copyIntoFolder(folder + QStringLiteral("/missing.mdb"), folder));
    home.writeFile(QStringLiteral("uno.mdb"), "a");
    home.writeFile(QStringLiteral("dos.MDB"), "a");
    home.writeFile(QStringLiteral("tres.txt"), "a");
    QCOMPARE(app::mdbFiles(folder), QStringList({QStringLiteral("BD~0x.mdb"), QStringLiteral("BD~2x.mdb"),
                                                 QStringLiteral("dos.MDB"), QStringLiteral("uno.mdb")}));
}

void TestConfigFiles::readOnlyConfigBecomesWritable() {
    TestHome home;
    home.writeConfigId(QStringLiteral("viejo.mdb"));
    QFile::setPermissions(home.configIni(), QFile::ReadOwner | QFile::ReadGroup);
    const app::ConfigIni config(home.configIni());
    QCOMPARE(config.databaseId(), QStringLiteral("viejo.mdb"));
    QVERIFY(QFile::permissions(home.configIni()) & QFile::WriteOwner);
    QVERIFY(config.writeDatabaseId(QStringLiteral("nuevo.mdb")));
    QCOMPARE(config.databaseId(), QStringLiteral("nuevo.mdb"));
    // A missing ID reads as the default.
    TestHome other;
    QSettings ini(other.configIni(), QSettings::IniFormat);
    ini.setValue(QStringLiteral("Otra/Clave"), 1);
    ini.sync();
    QCOMPARE(app::ConfigIni(other.configIni()).databaseId(), QStringLiteral("ciber.mdb"));
}

void TestConfigFiles::layoutSectionsRoundTrip() {
    TestHome home;
    app::DockLayout layout;
    app::DockWindowState floating;
    floating.docked = false;
    floating.dockHost = 0;
    floating.visible = true;
    floating.left = 10;
    floating.top = 20;
    floating.width = 300;
    floating.height = 200;
    app::DockWindowState docked;
    docked.dockHost = 3;
    docked.visible = true;
    docked.hasOrientation = true;
    docked.orientation = 0;
    docked.align = 3;
    layout.windows[QStringLiteral("FrmColPue")] = floating;
    layout.windows[QStringLiteral("FrmColMen")] = docked;
    layout.hasSites = true;
    layout.leftSite = {180, 600, QByteArray("\x01\x02\xff", 3)};
    layout.bottomSite = {900, 150, {}};
    layout.centerSite = {500, 400, QByteArray("z")};
    const app::ConfigIni config(home.configIni());
    QVERIFY(config.writeDatabaseId(QStringLiteral("ciber.mdb")));
    QVERIFY(config.writeLayout(layout));
    QSettings ini(home.configIni(), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("DockSites/LeftData")).toString(), QStringLiteral("0102FF"));
    QVERIFY(!ini.contains(QStringLiteral("FrmColPue/Orientation")));
    QCOMPARE(ini.value(QStringLiteral("Empresa/ID")).toString(), QStringLiteral("ciber.mdb"));

    const app::DockLayout back = config.readLayout();
    QCOMPARE(back.windows.size(), size_t(2));
    const app::DockWindowState& f = back.windows.at(QStringLiteral("FrmColPue"));
    QCOMPARE(f.docked, false);
    QCOMPARE(f.left, 10);
    QCOMPARE(f.height, 200);
    QCOMPARE(f.hasOrientation, false);
    QCOMPARE(back.windows.at(QStringLiteral("FrmColMen")).dockHost, 3);
    QCOMPARE(back.leftSite.data, QByteArray("\x01\x02\xff", 3));
    QCOMPARE(back.centerSite.width, 500);
    QCOMPARE(back.bottomSite.height, 150);
}

void TestConfigFiles::hexText() {
    QCOMPARE(app::toHexText(QByteArray("\x00\xab", 2)), QStringLiteral("00AB"));
    QCOMPARE(app::fromHexText(QStringLiteral("00AB")), QByteArray("\x00\xab", 2));
    QVERIFY(app::fromHexText(QStringLiteral("0G")).isEmpty());
    QVERIFY(app::fromHexText(QStringLiteral("ABC")).isEmpty());
}

void TestConfigFiles::commandLine_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("home");
    QTest::addColumn<bool>("english");
    QTest::newRow("nothing") << QStringList() << true << QString() << false;
    QTest::newRow("home") << QStringList{QStringLiteral("--home"), QStringLiteral("/x")} << true
                          << QStringLiteral("/x") << false;
    QTest::newRow("home=") << QStringList{QStringLiteral("--home=/y")} << true << QStringLiteral("/y")
                           << false;
    QTest::newRow("english") << QStringList{QStringLiteral("--lang"), QStringLiteral("en")} << true
                             << QString() << true;
    QTest::newRow("spanish") << QStringList{QStringLiteral("--lang=es")} << true << QString() << false;
    QTest::newRow("unknown language")
        << QStringList{QStringLiteral("--lang"), QStringLiteral("fr")} << false << QString() << false;
    QTest::newRow("home without value")
        << QStringList{QStringLiteral("--home")} << false << QString() << false;
    QTest::newRow("copy") << QStringList{QStringLiteral("--copy-database"), QStringLiteral("a.mdb"),
                                         QStringLiteral("postgresql:///b")}
                          << true << QString() << false;
    QTest::newRow("copy without target")
        << QStringList{QStringLiteral("--copy-database"), QStringLiteral("a.mdb")} << false << QString()
        << false;
    QTest::newRow("copy and new database")
        << QStringList{QStringLiteral("--copy-database"), QStringLiteral("a.mdb"), QStringLiteral("b.mdb"),
                       QStringLiteral("--new-database"), QStringLiteral("c.mdb")}
        << false << QString() << false;
    QTest::newRow("qt platform option")
        << QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen")} << true << QString()
        << false;
}

void TestConfigFiles::commandLine() {
    QFETCH(QStringList, args);
    QFETCH(bool, ok);
    QFETCH(QString, home);
    QFETCH(bool, english);
    args.prepend(QStringLiteral("quintor"));
    const app::CommandLine cl = app::CommandLine::parse(args);
    QCOMPARE(cl.error.isEmpty(), ok);
    if (ok) {
        QCOMPARE(cl.home, home);
        QCOMPARE(cl.english, english);
    }
}

void TestConfigFiles::permissionCheck() {
    TestDatabase t(true);
    const QSqlDatabase db = t.data.db();
    using admin::PermisoCheck;
    QCOMPARE(admin::TienePermiso(db, QStringLiteral("caja"), store::Permiso::APAGA2), PermisoCheck::Allowed);
    QCOMPARE(admin::TienePermiso(db, QStringLiteral("CAJA"), store::Permiso::CONFOP), PermisoCheck::Refused);
    QCOMPARE(admin::TienePermiso(db, QStringLiteral("nadie"), store::Permiso::APAGA2),
             PermisoCheck::NoOperator);
    QCOMPARE(admin::refusalKey(store::Permiso::DESACTIVA), QStringLiteral("NoPermiso"));
    QCOMPARE(admin::refusalKey(store::Permiso::APAGA2), QStringLiteral("NoPermitida"));

    std::vector<store::Operador> ops = store::operadores(db);
    QCOMPARE(app::checkLogin(ops, 0, QStringLiteral("1234")).outcome, app::LoginCheck::Outcome::Accepted);
    QCOMPARE(app::checkLogin(ops, 5, QStringLiteral("1234")).outcome,
             app::LoginCheck::Outcome::NoOperatorSelected);
    QCOMPARE(app::checkLogin(ops, 0, QStringLiteral("1234 ")).outcome,
             app::LoginCheck::Outcome::WrongPassword);
}

QTEST_GUILESS_MAIN(TestConfigFiles)
#include "tst_configfiles.moc"
