#include "store/datamodule.h"
#include "store/newdatabase.h"
#include "store/opciones.h"
#include "store/operadores.h"
#include "store/rows.h"
#include "store/sql.h"
#include "support/testdb.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace store;

class TestNewDatabase : public QObject {
    Q_OBJECT
private slots:
    void baseContents();
    void demoContents();
    void scriptSplitting();
    void existingFileIsNeverOverwritten();
    void commandLine_data();
    void commandLine();
};

void TestNewDatabase::baseContents() {
    TestDatabase t;
    const QSqlDatabase db = t.data.db();
    const QStringList tables = t.data.tableNames();
    for (const char* name : {"articulos", "bonos", "ciber", "cuentas", "franjas", "Grids", "lintarifas",
                             "lintick", "movcuentas", "opciones", "operadores", "puestos", "recargas",
                             "tarifas", "tasas", "ticket", "turnos", "udart", "webconfig"})
        QVERIFY2(tables.contains(QString::fromLatin1(name)), name);
    QCOMPARE(tables.size(), 19);

    QCOMPARE(toInt(scalar(db, QStringLiteral("SELECT COUNT(*) FROM opciones"))), 1);
    QCOMPARE(toInt(scalar(db, QStringLiteral("SELECT COUNT(*) FROM Grids"))), 1);
    QCOMPARE(toInt(scalar(db, QStringLiteral("SELECT COUNT(*) FROM udart"))), 1);
    QCOMPARE(toInt(scalar(db, QStringLiteral("SELECT COUNT(*) FROM webconfig"))), 1);
    QCOMPARE(toInt(scalar(db, QStringLiteral("SELECT COUNT(*) FROM puestos"))), 0);

    const Opciones o = readOpciones(db);
    QCOMPARE(o.NUM_TICK, 0);
    QVERIFY(o.redondeo > Currency());
    QVERIFY(o.ping >= 1 && o.ping <= 60);
    QCOMPARE(o.DBLookUp, QStringLiteral(" "));
    QCOMPARE(o.pass_ini, QString(10, QLatin1Char(' ')));
    QCOMPARE(o.ini_tarifa_2, QString(5, QLatin1Char(' ')));
    QCOMPARE(o.impresoratick, QStringLiteral("NoPrinter"));
    // A closed station's ticket is offered, not printed unasked.
    QCOMPARE(o.imp_cierre, 0);
    QCOMPARE(o.panelinf, 400);

    const std::vector<Operador> ops = operadores(db);
    QCOMPARE(ops.size(), size_t(1));
    QCOMPARE(ops[0].NOMBRE, QStringLiteral("ADMIN"));
    for (int i = 0; i < PermisoCount; ++i)
        QVERIFY2(ops[0].permisos[size_t(i)], qPrintable(permisoColumns().at(i)));

    // The journal mode stays with the file.
    QCOMPARE(scalar(db, QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
}

void TestNewDatabase::demoContents() {
    TestDatabase t(true);
    const QSqlDatabase db = t.data.db();
    const std::vector<Operador> ops = operadores(db);
    QVERIFY(ops.size() >= 2);
    QCOMPARE(ops[0].NOMBRE, QStringLiteral("CAJA"));
    QCOMPARE(ops[0].PASS, QStringLiteral("1234"));
    QVERIFY(!ops[0].tiene(Permiso::CONFOP));
    QVERIFY(ops[0].tiene(Permiso::VENTATPV));
    QCOMPARE(ops[1].NOMBRE, QStringLiteral("ADMIN"));

    const std::vector<Puesto> puestos = select<Puesto>(db, QStringLiteral("ORDER BY npuesto"));
    QCOMPARE(puestos.size(), size_t(8));
    for (int i = 0; i < 8; ++i) {
        QCOMPARE(puestos[size_t(i)].npuesto, i + 1);
        QCOMPARE(puestos[size_t(i)].ip, QStringLiteral("127.0.1.%1").arg(i + 1));
        QCOMPARE(puestos[size_t(i)].estado, 1);
    }

    const std::vector<Tarifa> tarifas = select<Tarifa>(db);
    QVERIFY(std::count_if(tarifas.begin(), tarifas.end(), [](const Tarifa& x) { return x.TIPO == 0; }) >= 2);
    QVERIFY(std::count_if(tarifas.begin(), tarifas.end(), [](const Tarifa& x) { return x.TIPO == 1; }) >= 1);
    QCOMPARE(select<Franja>(db).size(), size_t(2));
    QVERIFY(select<LinTarifa>(db).size() >= 3);
    // Every band names an existing tariff.
    for (const Franja& f : select<Franja>(db))
        QVERIFY(std::any_of(tarifas.begin(), tarifas.end(),
                            [&](const Tarifa& x) { return x.NOM == f.tarifa && x.ID_TAR == f.id_tar; }));

    const std::vector<Cuenta> cuentas = select<Cuenta>(db);
    for (const char* tipo : {"0", "1", "2", "9"})
        QVERIFY2(std::any_of(cuentas.begin(), cuentas.end(),
                             [&](const Cuenta& c) { return c.Tipo == QLatin1String(tipo); }),
                 tipo);
    const std::vector<Bono> bonos = select<Bono>(db);
    QVERIFY(!bonos.empty());
    // The voucher a code sale proposes exists, or the sale makes an empty code.
    const QString timeCod = readOpciones(db).ini_time_cod.trimmed();
    QVERIFY(!timeCod.isEmpty());
    QVERIFY2(std::any_of(bonos.begin(), bonos.end(), [&](const Bono& b) { return b.CODIGO == timeCod; }),
             qPrintable(timeCod));
    QVERIFY(!select<Recarga>(db).empty());
    QVERIFY(!select<Articulo>(db).empty());
    QVERIFY(select<Tasa>(db).size() >= 2);
    QVERIFY(!select<Turno>(db).empty());
}

void TestNewDatabase::scriptSplitting() {
    const QStringList s = splitSqlScript(QStringLiteral("-- c;omment\nINSERT INTO t VALUES ('a;b'); -- x\n"
                                                        "SELECT 1;\n\n;SELECT 'it''s';"));
    QCOMPARE(s, QStringList({QStringLiteral("INSERT INTO t VALUES ('a;b')"), QStringLiteral("SELECT 1"),
                             QStringLiteral("SELECT 'it''s'")}));
}

void TestNewDatabase::existingFileIsNeverOverwritten() {
    TestHome home;
    home.writeFile(QStringLiteral("ciber.mdb"), QByteArray("precious"));
    const Status s = createDatabase(home.databaseFile(QStringLiteral("ciber.mdb")), true);
    QVERIFY(!s);
    QFile f(home.databaseFile(QStringLiteral("ciber.mdb")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("precious"));
    QVERIFY(!createDatabase(home.databaseFile(QStringLiteral("no/such/folder/x.mdb")), false));
    QVERIFY(!createDatabase(QString(), false));
}

void TestNewDatabase::commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<bool>("fileAfter");
    QTest::newRow("new database") << QStringList{QStringLiteral("--new-database"), QStringLiteral("@/a.mdb")}
                                  << 0 << true;
    QTest::newRow("demo") << QStringList{QStringLiteral("--new-database"), QStringLiteral("@/b.mdb"),
                                         QStringLiteral("--demo")}
                          << 0 << true;
    QTest::newRow("existing file") << QStringList{QStringLiteral("--new-database"),
                                                  QStringLiteral("@/exists.mdb")}
                                   << 1 << true;
    QTest::newRow("missing folder") << QStringList{QStringLiteral("--new-database"),
                                                   QStringLiteral("@/none/c.mdb")}
                                    << 1 << false;
    QTest::newRow("no file name") << QStringList{QStringLiteral("--new-database")} << 2 << false;
    QTest::newRow("demo alone") << QStringList{QStringLiteral("--demo")} << 2 << false;
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--frobnicate")} << 2 << false;
    QTest::newRow("version") << QStringList{QStringLiteral("--version")} << 0 << false;
    QTest::newRow("help") << QStringList{QStringLiteral("--help")} << 0 << false;
}

void TestNewDatabase::commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(bool, fileAfter);
    const QString bin = qEnvironmentVariable("QUINTOR_BIN");
    if (bin.isEmpty())
        QSKIP("QUINTOR_BIN not set");
    QTemporaryDir dir;
    QFile existing(dir.path() + QStringLiteral("/exists.mdb"));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("keep");
    existing.close();
    QString file;
    for (QString& a : arguments) {
        if (a.startsWith(QLatin1Char('@'))) {
            a = dir.path() + a.mid(1);
            file = a;
        }
    }
    QProcess p;
    p.start(bin, arguments);
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), exitCode);
    if (!file.isEmpty())
        QCOMPARE(QFile::exists(file), fileAfter);
    if (exitCode != 0)
        QVERIFY(!p.readAllStandardError().trimmed().isEmpty());
    QFile kept(dir.path() + QStringLiteral("/exists.mdb"));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("keep"));
    if (QTest::currentDataTag() == QLatin1String("demo")) {
        TDataModule1 data;
        QVERIFY(data.open(file));
        QCOMPARE(toInt(scalar(data.db(), QStringLiteral("SELECT COUNT(*) FROM puestos"))), 8);
    }
}

QTEST_GUILESS_MAIN(TestNewDatabase)
#include "tst_newdatabase.moc"
