#include "store/datamodule.h"
#include "store/dbfile.h"
#include "store/dialect.h"
#include "store/opciones.h"
#include "store/schemaupdates.h"
#include "store/sql.h"
#include "store/upgrade.h"
#include "support/olddatabases.h"
#include "support/testdb.h"
#include "support/testserver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

namespace {

// Column name (lower case) -> declared type, of every table.
QMap<QString, QMap<QString, QString>> columnTypes(const QSqlDatabase& db) {
    QMap<QString, QMap<QString, QString>> types;
    QSqlQuery tables(db);
    tables.exec(
        QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'"));
    while (tables.next()) {
        const QString table = tables.value(0).toString().toLower();
        QSqlQuery info(db);
        info.exec(QStringLiteral("PRAGMA table_info(") + table + QLatin1Char(')'));
        while (info.next()) {
            QString type = info.value(2).toString().toUpper();
            types[table][info.value(1).toString().toLower()] = type;
        }
    }
    return types;
}

int count(const QSqlDatabase& db, const QString& sql) {
    return store::toInt(store::scalar(db, sql));
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The schema and every row of a database file, as text.
QStringList contents(const QString& path) {
    TDataModule1 data;
    if (!data.open(path))
        return {};
    QStringList lines;
    QSqlQuery schema(data.db());
    schema.exec(QStringLiteral("SELECT type, name, sql FROM sqlite_master ORDER BY type, name"));
    while (schema.next()) {
        lines << schema.value(0).toString() + QLatin1Char(' ') + schema.value(1).toString() +
                     QLatin1Char(' ') + schema.value(2).toString();
        if (schema.value(0).toString() != QLatin1String("table"))
            continue;
        QSqlQuery rows(data.db());
        rows.exec(QStringLiteral("SELECT * FROM \"") + schema.value(1).toString() +
                  QStringLiteral("\" ORDER BY rowid"));
        while (rows.next()) {
            QStringList values;
            for (int i = 0; i < rows.record().count(); ++i)
                values << rows.value(i).toString();
            lines << values.join(QLatin1Char('|'));
        }
    }
    return lines;
}

// The copies the in-place upgrade of name made in its folder.
QStringList datedCopies(const TestHome& home, const QString& name) {
    return QDir(home.databaseFolder())
        .entryList(QDir::Files)
        .filter(QRegularExpression(QStringLiteral("^\\d{12}(~\\d+)?") + QRegularExpression::escape(name) +
                                   QLatin1Char('$')));
}

// The older layouts are files; a server's database never had one.
#define FILES_ONLY()                                                                                         \
    if (testserver::onServer())                                                                              \
    QSKIP("an old database file")

// Every table and column of a server's database, as text.
QStringList layout(const QSqlDatabase& db) {
    QStringList columns;
    QSqlQuery q = store::run(db, QStringLiteral("SELECT table_name, column_name, data_type FROM "
                                                "information_schema.columns WHERE table_schema = "
                                                "current_schema() ORDER BY 1, 2"));
    while (q.next())
        columns << q.value(0).toString() + QLatin1Char('.') + q.value(1).toString() + QLatin1Char(' ') +
                       q.value(2).toString();
    return columns;
}

} // namespace

class TestUpgrade : public QObject {
    Q_OBJECT
private slots:
    void secondsOfDay_data();
    void secondsOfDay();
    void engineStatements_data();
    void engineStatements();
    void versions();
    void upgrade32ConvertsTimes();
    void upgradedDatabaseHasCurrentSchema_data();
    void upgradedDatabaseHasCurrentSchema();
    void failedUpgradeLeavesFileAsItWas_data();
    void failedUpgradeLeavesFileAsItWas();
    void datedCopyNames();
    void mailPeriodOfUpgradedDatabase_data();
    void mailPeriodOfUpgradedDatabase();
    void databaseWithoutAccountsIsLeftAlone();
    void letterCaseMendedOnce_data();
    void letterCaseMendedOnce();
    void oldLayoutOnAServerIsLeftAlone_data();
    void oldLayoutOnAServerIsLeftAlone();
};

void TestUpgrade::secondsOfDay_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("seconds");
    QTest::newRow("01:30:15") << QVariant(5415.0 / 86400.0) << 5415;
    QTest::newRow("02:45:30") << QVariant(9930.0 / 86400.0) << 9930;
    QTest::newRow("whole days lost") << QVariant(2.5) << 43200;
    QTest::newRow("before the origin") << QVariant(-1.25) << 21600;
    QTest::newRow("almost midnight") << QVariant(86399.0 / 86400.0) << 86399;
    QTest::newRow("empty") << QVariant() << 0;
    QTest::newRow("empty text") << QVariant(QString()) << 0;
    QTest::newRow("date-time text") << QVariant(QStringLiteral("1899-12-30 01:30:15")) << 5415;
    QTest::newRow("ISO text") << QVariant(QStringLiteral("1899-12-30T02:45:30")) << 9930;
    QTest::newRow("time text") << QVariant(QStringLiteral("00:10:00")) << 600;
    QTest::newRow("garbage") << QVariant(QStringLiteral("abc")) << 0;
}

void TestUpgrade::secondsOfDay() {
    QFETCH(QVariant, value);
    QFETCH(int, seconds);
    QCOMPARE(store::secondsOfDay(value), seconds);
}

void TestUpgrade::engineStatements_data() {
    QTest::addColumn<QString>("old");
    QTest::addColumn<QString>("ours");
    QTest::newRow("yes/no") << "Alter table opciones add desgloseiva YESNO"
                            << "ALTER TABLE opciones ADD COLUMN desgloseiva INTEGER DEFAULT 0";
    QTest::newRow("string") << "Alter table cuentas add email string"
                            << "ALTER TABLE cuentas ADD COLUMN email TEXT";
    QTest::newRow("currency") << "Alter table opciones add op4_cash currency"
                              << "ALTER TABLE opciones ADD COLUMN op4_cash INTEGER";
    QTest::newRow("text(n)") << "Alter table puestos add host text(16)"
                             << "ALTER TABLE puestos ADD COLUMN host TEXT";
    QTest::newRow("counter")
        << "Create table tasas(IdTax counter,  Nombre Text(25) ,valor single, primary key(IdTax))"
        << "CREATE TABLE tasas (IdTax INTEGER PRIMARY KEY AUTOINCREMENT, Nombre TEXT ,valor REAL)";
    QTest::newRow("column named like a type") << "Alter table opciones add stringtiempo string"
                                              << "ALTER TABLE opciones ADD COLUMN stringtiempo TEXT";
    QTest::newRow("drop") << "Alter table bonos drop tiempo"
                          << "Alter table bonos drop tiempo";
    QTest::newRow("update") << "update opciones set desgloseiva=0"
                            << "update opciones set desgloseiva=0";
}

void TestUpgrade::engineStatements() {
    QFETCH(QString, old);
    QFETCH(QString, ours);
    QCOMPARE(store::engineStatement(old), ours);
}

void TestUpgrade::versions() {
    FILES_ONLY();
    TestHome home;
    createOldDatabase(home.databaseFile(QStringLiteral("v32.mdb")), QStringLiteral("3.2"));
    createOldDatabase(home.databaseFile(QStringLiteral("v321.mdb")), QStringLiteral("3.21"));
    home.createDatabase(QStringLiteral("v40.mdb"));
    const QStringList names{QStringLiteral("v32.mdb"), QStringLiteral("v321.mdb"), QStringLiteral("v40.mdb")};
    const QStringList expected{QStringLiteral("3.2"), QStringLiteral("3.21"), QStringLiteral("4.0")};
    for (int i = 0; i < names.size(); ++i) {
        TDataModule1 data;
        QVERIFY(data.open(home.databaseFile(names.at(i))));
        QCOMPARE(store::VersionBase(data.db()), expected.at(i));
    }
}

void TestUpgrade::upgrade32ConvertsTimes() {
    FILES_ONLY();
    TestHome home;
    const QString path = home.databaseFile(QStringLiteral("old.mdb"));
    createOldDatabase(path, QStringLiteral("3.2"));
    TDataModule1 data;
    QVERIFY(data.open(path));
    QStringList lines;
    const Result<bool> upgraded =
        store::upgradeToCurrent(data.db(), [&](const QString& line, int) { lines << line; });
    QVERIFY2(upgraded.ok(), qPrintable(upgraded.error()));
    QVERIFY(upgraded.value());
    QCOMPARE(lines.first(), QStringLiteral("Actualizando a versión 4.0 PRO"));
    QCOMPARE(lines.last(), QStringLiteral("El proceso de actualización ha finalizado con éxito... Pulse "
                                          "\"Siguiente\" para continuar."));
    const QSqlDatabase db = data.db();
    const auto bono = [&](const char* login) {
        return store::toInt(store::scalar(db,
                                          QStringLiteral("SELECT Bonotiempo FROM cuentas WHERE Login = ?"),
                                          {QString::fromLatin1(login)}));
    };
    QCOMPARE(bono("ANA"), 5415);
    QCOMPARE(bono("LUIS"), 43200);
    QCOMPARE(bono("EVA"), 0);
    QCOMPARE(bono("PEPE"), 600);
    QCOMPARE(count(db, QStringLiteral("SELECT tiempo_bono FROM bonos WHERE CODIGO = 'B1'")), 165);
    QCOMPARE(count(db, QStringLiteral("SELECT saldoti_ant_bono FROM movcuentas")), 3600);
    QCOMPARE(count(db, QStringLiteral("SELECT saldoti_fin_bono FROM movcuentas")), 7200);
    QCOMPARE(store::toCurrency(
                 store::scalar(db, QStringLiteral("SELECT credito FROM cuentas WHERE Login = 'ANA'"))),
             Currency::fromCents(250));
    QCOMPARE(store::VersionBase(db), QStringLiteral("4.0"));
    QVERIFY(data.isCurrentVersion());
}

void TestUpgrade::upgradedDatabaseHasCurrentSchema_data() {
    QTest::addColumn<QString>("version");
    QTest::addColumn<QStringList>("statements");
    QTest::newRow("3.2") << QStringLiteral("3.2") << QStringList();
    QTest::newRow("3.21") << QStringLiteral("3.21") << QStringList();
    // The engine drops no column an index names; those indexes go, the others stay.
    QTest::newRow("3.2, indexes on the columns that go")
        << QStringLiteral("3.2")
        << QStringList{QStringLiteral("CREATE INDEX cuentas_tiempo ON cuentas (creditotiempo)"),
                       QStringLiteral(
                           "CREATE INDEX movcuentas_saldos ON movcuentas (CUENTA, SALDOTI_ANT, saldoti_fin)"),
                       QStringLiteral("CREATE INDEX \"bonos con tiempo\" ON bonos (CODIGO) WHERE tiempo > 0"),
                       QStringLiteral("CREATE INDEX cuentas_nombre ON cuentas (Nombre)")};
}

void TestUpgrade::upgradedDatabaseHasCurrentSchema() {
    FILES_ONLY();
    QFETCH(QString, version);
    QFETCH(QStringList, statements);
    TestHome home;
    const QString path = home.databaseFile(QStringLiteral("old.mdb"));
    createOldDatabase(path, version, statements);
    TDataModule1 data;
    QVERIFY(data.open(path));
    const store::InPlaceUpgrade upgraded = store::upgradeInPlace(data.db(), path, {});
    QVERIFY2(upgraded.upgraded, qPrintable(upgraded.error));
    QVERIFY(upgraded.error.isEmpty());
    const QSqlDatabase db = data.db();
    QVERIFY(data.isCurrentVersion());

    // The copy made first is the database as it was.
    QCOMPARE(datedCopies(home, QStringLiteral("old.mdb")),
             QStringList{QFileInfo(upgraded.copyPath).fileName()});
    {
        TDataModule1 copy;
        QVERIFY(copy.open(upgraded.copyPath));
        QCOMPARE(store::VersionBase(copy.db()), version);
    }

    // The data is kept.
    QCOMPARE(count(db, QStringLiteral("SELECT Bonotiempo FROM cuentas WHERE Login = 'ANA'")), 5415);
    QCOMPARE(count(db, QStringLiteral("SELECT tiempo_bono FROM bonos WHERE CODIGO = 'B1'")), 165);
    QCOMPARE(count(db, QStringLiteral("SELECT NUM_TICK FROM opciones")), 7);
    QCOMPARE(count(db, QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name = 'cuentas_nombre'")),
             statements.isEmpty() ? 0 : 1);
    // The scheduled mails have a period: the first the options offer.
    QCOMPARE(store::readWebConfig(db).frecuencia, 5);
    QCOMPARE(store::toText(store::scalar(db, QStringLiteral("SELECT ID FROM opciones"))),
             QStringLiteral("ciber.mdb"));
    QCOMPARE(count(db, QStringLiteral("SELECT cad_cue FROM opciones")), 1);
    QCOMPARE(count(db, QStringLiteral("SELECT cad_cod FROM opciones")), 1);
    QCOMPARE(count(db, QStringLiteral("SELECT dias_cad_cue FROM opciones")), 60);
    QCOMPARE(count(db, QStringLiteral("SELECT dias_cad_cod FROM opciones")), 60);
    QSqlQuery grids =
        store::run(db, QStringLiteral("SELECT GRIDCUECOL0, GRIDCUECOL1, GRIDCUECOL2, GRIDCUECOL3, "
                                      "GRIDCUECOL4, GRIDCUECOL5 FROM Grids"));
    QVERIFY(grids.next());
    const QList<int> widths{93, 144, 82, 97, 90, 84};
    for (int i = 0; i < widths.size(); ++i)
        QCOMPARE(grids.value(i).toInt(), widths.at(i));
    const QString perms = QStringLiteral("SELECT CONFIMP + CONFLOGS + IMPLOGPAS + IMPLOGPAS_1 + MODFECHACAD "
                                         "+ AUDITORIA + ACCESOWEB FROM operadores "
                                         "WHERE NOMBRE = ?");
    QCOMPARE(store::toInt(store::scalar(db, perms, {QStringLiteral("ADMIN")})), 7);
    QCOMPARE(store::toInt(store::scalar(db, perms, {QStringLiteral("CAJA")})), 0);
    QCOMPARE(count(db, QStringLiteral("SELECT COUNT(*) FROM webconfig")), 1);
    QCOMPARE(count(db, QStringLiteral("SELECT COUNT(*) FROM tasas")), 0);
    QCOMPARE(count(db, QStringLiteral("SELECT COUNT(*) FROM cuentas")),
             version == QLatin1String("3.2") ? 4 : 2);

    // Every column of a new database is there, with the same type.
    home.createDatabase(QStringLiteral("new.mdb"));
    TDataModule1 fresh;
    QVERIFY(fresh.open(home.databaseFile(QStringLiteral("new.mdb"))));
    const auto expected = columnTypes(fresh.db());
    const auto actual = columnTypes(db);
    for (auto table = expected.cbegin(); table != expected.cend(); ++table) {
        QVERIFY2(actual.contains(table.key()), qPrintable(table.key()));
        for (auto column = table->cbegin(); column != table->cend(); ++column) {
            const QString where = table.key() + QLatin1Char('.') + column.key();
            QVERIFY2(actual[table.key()].contains(column.key()), qPrintable(where));
            QVERIFY2(
                actual[table.key()][column.key()].startsWith(column.value().section(QLatin1Char(' '), 0, 0)),
                qPrintable(where + QLatin1Char(' ') + actual[table.key()][column.key()]));
        }
    }
    QVERIFY(!actual[QStringLiteral("cuentas")].contains(QStringLiteral("creditotiempo")));
    QVERIFY(!actual[QStringLiteral("bonos")].contains(QStringLiteral("tiempo")));
    QVERIFY(!actual[QStringLiteral("movcuentas")].contains(QStringLiteral("saldoti_ant")));
}

void TestUpgrade::failedUpgradeLeavesFileAsItWas_data() {
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("error");
    const QString fixedOperators = QStringLiteral(
        "CREATE TRIGGER operadores_fijos BEFORE UPDATE ON operadores BEGIN SELECT RAISE(ABORT, 'operadores "
        "fijos'); END");
    // In the first step, after its accounts and movements.
    QTest::newRow("3.2, a view of the vouchers' time")
        << "3.2"
        << "CREATE VIEW bonos_tiempo AS SELECT CODIGO, tiempo FROM bonos"
        << "bonos_tiempo";
    QTest::newRow("3.2, without the vouchers' time") << "3.2"
                                                     << "ALTER TABLE bonos DROP COLUMN tiempo"
                                                     << "tiempo";
    // Near the end of the migration.
    QTest::newRow("3.2, operators that refuse a change") << "3.2" << fixedOperators << "operadores fijos";
    QTest::newRow("3.21, operators that refuse a change") << "3.21" << fixedOperators << "operadores fijos";
    // The migration's last statement.
    QTest::newRow("3.21, a table webconfig already there") << "3.21"
                                                           << "CREATE TABLE webconfig (x INTEGER)"
                                                           << "webconfig";
    // The schema updates that follow the migration.
    QTest::newRow("3.21, ticket indexes that cannot be made") << "3.21"
                                                              << "CREATE VIEW ticket_fecha_hora AS SELECT 1"
                                                              << "ticket_fecha_hora";
}

void TestUpgrade::failedUpgradeLeavesFileAsItWas() {
    FILES_ONLY();
    QFETCH(QString, version);
    QFETCH(QString, statement);
    QFETCH(QString, error);
    TestHome home;
    const QString path = home.databaseFile(QStringLiteral("old.mdb"));
    createOldDatabase(path, version, {statement});
    const QByteArray before = bytesOf(path);
    const QStringList content = contents(path);
    QVERIFY(!before.isEmpty() && !content.isEmpty());

    store::InPlaceUpgrade upgraded;
    QStringList lines;
    {
        TDataModule1 data;
        QVERIFY(data.open(path));
        upgraded = store::upgradeInPlace(data.db(), path, [&](const QString& line, int) { lines << line; });
        QVERIFY(!upgraded.upgraded);
        QVERIFY2(upgraded.error.contains(error), qPrintable(upgraded.error));
        QCOMPARE(store::VersionBase(data.db()), version);
        QVERIFY(!data.isCurrentVersion());
    }
    QCOMPARE(bytesOf(path), before);
    // Never announced as finished.
    QVERIFY(!lines.contains(QStringLiteral(
        "El proceso de actualización ha finalizado con éxito... Pulse \"Siguiente\" para continuar.")));
    // The copy made first holds the same.
    QCOMPARE(datedCopies(home, QStringLiteral("old.mdb")),
             QStringList{QFileInfo(upgraded.copyPath).fileName()});
    QCOMPARE(contents(upgraded.copyPath), content);
}

void TestUpgrade::datedCopyNames() {
    FILES_ONLY();
    TestHome home;
    const QString path = home.createDatabase(QStringLiteral("ciber.mdb"));
    const QDateTime when(QDate(2025, 3, 1), QTime(9, 5, 59));
    QStringList names;
    for (int i = 0; i < 3; ++i) {
        const Result<QString> copy = store::copyDatabaseDated(path, home.home(), when);
        QVERIFY2(copy.ok(), qPrintable(copy.error()));
        names << QFileInfo(copy.value()).fileName();
    }
    QCOMPARE(names,
             (QStringList{QStringLiteral("202503010905ciber.mdb"), QStringLiteral("202503010905~1ciber.mdb"),
                          QStringLiteral("202503010905~2ciber.mdb")}));
}

void TestUpgrade::mailPeriodOfUpgradedDatabase_data() {
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<int>("period");
    QTest::newRow("empty") << QVariant() << 5;
    QTest::newRow("0") << QVariant(0) << 5;
    QTest::newRow("on the list") << QVariant(90) << 90;
    QTest::newRow("off the list") << QVariant(7) << 7;
}

// A database upgraded by an earlier build kept no period (0): none of the
// choices, and no scheduled mail goes. The start gives it the first choice;
// a period chosen stays.
void TestUpgrade::mailPeriodOfUpgradedDatabase() {
    FILES_ONLY();
    QFETCH(QVariant, stored);
    QFETCH(int, period);
    TestHome home;
    const QString path = home.databaseFile(QStringLiteral("old.mdb"));
    createOldDatabase(path, QStringLiteral("3.2"));
    TDataModule1 data;
    QVERIFY(data.open(path));
    QVERIFY(store::upgradeToCurrent(data.db(), {}).ok());
    store::run(data.db(), QStringLiteral("UPDATE webconfig SET frecuencia = ?"), {stored});
    QVERIFY(store::applySchemaUpdates(data.db()));
    QCOMPARE(store::readWebConfig(data.db()).frecuencia, period);
}

void TestUpgrade::databaseWithoutAccountsIsLeftAlone() {
    FILES_ONLY();
    TestHome home;
    const QString path = home.databaseFile(QStringLiteral("odd.mdb"));
    {
        TDataModule1 data;
        home.writeFile(QStringLiteral("odd.mdb"), QByteArray());
        QVERIFY(data.open(path));
        store::run(data.db(), QStringLiteral("CREATE TABLE otra (a INTEGER)"));
        const store::InPlaceUpgrade upgraded = store::upgradeInPlace(data.db(), path, {});
        QVERIFY(!upgraded.upgraded);
        QVERIFY(upgraded.error.isEmpty() && upgraded.copyPath.isEmpty());
        QCOMPARE(data.tableNames(), QStringList{QStringLiteral("otra")});
    }
    QCOMPARE(QDir(home.databaseFolder()).entryList(QDir::Files), QStringList{QStringLiteral("odd.mdb")});
}

void TestUpgrade::letterCaseMendedOnce_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::addColumn<int>("bono");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("mended");
    QTest::newRow("movement") << "movcuentas"
                              << "CUENTA" << -1 << "ana"
                              << "ANA";
    QTest::newRow("use period") << "ciber"
                                << "CLIENTE" << -1 << "ana"
                                << "ANA";
    QTest::newRow("ticket") << "ticket"
                            << "CLIENTE" << -1 << "aNa"
                            << "ANA";
    QTest::newRow("station") << "puestos"
                             << "cuenta" << -1 << "ana"
                             << "ANA";
    QTest::newRow("mixed-case account") << "movcuentas"
                                        << "CUENTA" << -1 << "PEPE"
                                        << "Pepe";
    QTest::newRow("already the account's") << "movcuentas"
                                           << "CUENTA" << -1 << "ANA"
                                           << "ANA";
    QTest::newRow("eñe differs") << "movcuentas"
                                 << "CUENTA" << -1 << "ñu"
                                 << "ñu";
    QTest::newRow("eñe differs, rest folds") << "ciber"
                                             << "CLIENTE" << -1 << "ñU"
                                             << "ñU";
    QTest::newRow("no such account") << "movcuentas"
                                     << "CUENTA" << -1 << "nadie"
                                     << "nadie";
    QTest::newRow("article line") << "lintick"
                                  << "CODIGO" << 0 << "cafe"
                                  << "CAFE";
    QTest::newRow("top-up line keeps its code") << "lintick"
                                                << "CODIGO" << 0 << "R5"
                                                << "R5";
    QTest::newRow("voucher line") << "lintick"
                                  << "CODIGO" << 1 << "b60"
                                  << "B60";
    QTest::newRow("voucher line is no article") << "lintick"
                                                << "CODIGO" << 1 << "cafe"
                                                << "cafe";
}

// A database of the previous build holds logins and codes as they were
// typed; the start rewrites them to the account's or article's own, once.
void TestUpgrade::letterCaseMendedOnce() {
    QFETCH(QString, table);
    QFETCH(QString, column);
    QFETCH(int, bono);
    QFETCH(QString, stored);
    QFETCH(QString, mended);
    for (const bool upgraded : {false, true}) {
        // An upgraded database is a file; the mend runs on a server's all the same.
        if (upgraded && testserver::onServer())
            continue;
        TestHome home;
        QString path = home.databaseFile(QStringLiteral("old.mdb"));
        if (upgraded)
            createUpgradedDatabase(path);
        else
            path = home.createDatabase();
        TDataModule1 data;
        QVERIFY(data.open(path));
        const QSqlDatabase db = data.db();
        // As the previous build left it: no mend done yet.
        store::setUserVersion(db, 0);
        for (const char* login : {"ANA", "Pepe", "ÑU"})
            store::run(
                db,
                QStringLiteral("INSERT INTO cuentas (Login, Tipo) VALUES (?, '0') ON CONFLICT DO NOTHING"),
                {QString::fromUtf8(login)});
        store::run(db, QStringLiteral("INSERT INTO articulos (CODIGO, ARTICULO) VALUES "
                                      "('CAFE', 'Café'), ('r5', 'Otro') ON CONFLICT DO NOTHING"));
        store::run(db, QStringLiteral("INSERT INTO bonos (CODIGO, DESCRIPCION) VALUES ('B60', 'Bono') ON "
                                      "CONFLICT DO NOTHING"));
        store::run(db, QStringLiteral("INSERT INTO recargas (CODIGO, DESCRIPCION) VALUES ('R5', 'Recarga')"));
        const QString key = store::rowOrderColumn(db, table);
        QVERIFY(!key.isEmpty());
        const auto insertRow = [&](const QString& value) {
            if (bono < 0)
                store::run(db,
                           QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") + column +
                               QStringLiteral(") VALUES (?)"),
                           {value});
            else
                store::run(db,
                           QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") + column +
                               QStringLiteral(", BONO) VALUES (?, ?)"),
                           {value, bono});
            return store::scalar(db, QStringLiteral("SELECT MAX(") + key + QStringLiteral(") FROM ") + table);
        };
        const auto valueOf = [&](const QVariant& row) {
            return store::toText(store::scalar(db,
                                               QStringLiteral("SELECT ") + column + QStringLiteral(" FROM ") +
                                                   table + QStringLiteral(" WHERE ") + key +
                                                   QStringLiteral(" = ?"),
                                               {row}));
        };
        const QVariant first = insertRow(stored);

        QVERIFY(store::applySchemaUpdates(db));
        QCOMPARE(valueOf(first), mended);
        QCOMPARE(store::userVersion(db), 1);

        // The next start finds the mend done and touches nothing.
        const QVariant second = insertRow(stored);
        QVERIFY(store::applySchemaUpdates(db));
        QCOMPARE(valueOf(first), mended);
        QCOMPARE(valueOf(second), stored);
    }
}

void TestUpgrade::oldLayoutOnAServerIsLeftAlone_data() {
    QTest::addColumn<QString>("version");
    QTest::addColumn<QStringList>("statements");
    QTest::newRow("3.2") << "3.2"
                         << QStringList{
                                QStringLiteral("CREATE TABLE cuentas (Login TEXT, creditotiempo TEXT)"),
                                QStringLiteral("CREATE TABLE bonos (CODIGO TEXT, tiempo TEXT)"),
                                QStringLiteral("INSERT INTO cuentas VALUES ('ANA', '01:30:15')")};
    QTest::newRow("3.21") << "3.21"
                          << QStringList{
                                 QStringLiteral("CREATE TABLE cuentas (Login TEXT, Bonotiempo BIGINT)"),
                                 QStringLiteral("CREATE TABLE opciones (NUM_TICK BIGINT)"),
                                 QStringLiteral("INSERT INTO cuentas VALUES ('ANA', 5415)")};
}

// An old layout is upgraded as a file and then copied to a server: on the
// server itself the upgrade refuses and changes nothing.
void TestUpgrade::oldLayoutOnAServerIsLeftAlone() {
    QFETCH(QString, version);
    QFETCH(QStringList, statements);
    if (!testserver::onServer())
        QSKIP("a server's database");
    const QString uri = testserver::newDatabase();
    {
        TDataModule1 data;
        QVERIFY(data.open(uri));
        const QSqlDatabase db = data.db();
        for (const QString& statement : statements)
            store::run(db, statement);
        QCOMPARE(store::VersionBase(db), version);
        const QStringList before = layout(db);
        QStringList lines;
        const auto progress = [&](const QString& line, int) { lines << line; };

        const store::InPlaceUpgrade inPlace = store::upgradeInPlace(db, uri, progress);
        QVERIFY(!inPlace.upgraded);
        QVERIFY(inPlace.copyPath.isEmpty());
        QVERIFY2(
            inPlace.error.startsWith(QStringLiteral("La actualización de versiones antiguas se hace sobre "
                                                    "un fichero")),
            qPrintable(inPlace.error));
        const Result<bool> upgraded = store::upgradeToCurrent(db, progress);
        QVERIFY(!upgraded.ok());
        QCOMPARE(upgraded.error(), inPlace.error);

        QVERIFY(lines.isEmpty());
        QCOMPARE(layout(db), before);
        QCOMPARE(store::VersionBase(db), version);
        QCOMPARE(store::toText(store::scalar(db, QStringLiteral("SELECT Login FROM cuentas"))),
                 QStringLiteral("ANA"));
    }
    testserver::dropDatabase(uri);
}

QTEST_GUILESS_MAIN(TestUpgrade)
#include "tst_upgrade.moc"
