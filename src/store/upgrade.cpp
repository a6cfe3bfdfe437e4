#include "store/upgrade.h"

#include "store/dbfile.h"
#include "store/dialect.h"
#include "store/engine.h"
#include "store/schemaupdates.h"
#include "store/sql.h"

#include <QDateTime>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <cmath>

namespace store {

namespace {

// One old statement, in our engine's terms.
void exec(const QSqlDatabase& db, const QString& statement, std::initializer_list<QVariant> values = {}) {
    run(db, engineStatement(statement), values);
}

// Rewrites one column of every row from another, through convert.
void convertColumn(const QSqlDatabase& db, const QString& table, const QString& from, const QString& to,
                   const std::function<int(const QVariant&)>& convert) {
    // Read first: the table is not rewritten under a running scan.
    QList<std::pair<QVariant, int>> values;
    {
        QSqlQuery rows = run(db, QStringLiteral("SELECT rowid, ") + from + QStringLiteral(" FROM ") + table);
        while (rows.next())
            values.append({rows.value(0), convert(rows.value(1))});
    }
    const QString update = QStringLiteral("UPDATE ") + table + QStringLiteral(" SET ") + to +
                           QStringLiteral(" = ? WHERE rowid = ?");
    for (const auto& [rowid, value] : values)
        run(db, update, {value, rowid});
}

// Drops table.column. The engine refuses while an index names the column
// (among its columns or in its condition), and an index only speeds up
// reading, so those indexes go first. What else refuses (a view, a trigger,
// a constraint of the table) stays, and the drop fails.
void dropColumn(const QSqlDatabase& db, const QString& table, const QString& column) {
    const QRegularExpression named(QStringLiteral("\\b") + QRegularExpression::escape(column) +
                                       QStringLiteral("\\b"),
                                   QRegularExpression::CaseInsensitiveOption);
    QStringList indexes;
    {
        // A constraint's own index has no statement: it is not ours to drop.
        QSqlQuery rows = run(db,
                             QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'index' AND "
                                            "sql IS NOT NULL AND tbl_name = ? COLLATE NOCASE"),
                             {table});
        while (rows.next()) {
            // From the columns on: the index's own name does not count.
            const QString sql = rows.value(1).toString();
            if (named.match(sql.mid(sql.indexOf(QLatin1Char('(')))).hasMatch())
                indexes << rows.value(0).toString();
        }
    }
    for (QString index : indexes)
        run(db, QStringLiteral("DROP INDEX \"") + index.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
                    QLatin1Char('"'));
    exec(db, QStringLiteral("Alter table ") + table + QStringLiteral(" drop ") + column);
}

// The versions that upgrade to the current one.
bool upgrades(const QString& version) {
    return version == QLatin1String("3.2") || version == QLatin1String("3.21");
}

// The old layouts come from files, and their statements were written for one;
// a server's database is made current by copying an upgraded file to it.
const QString kOnlyFiles = QStringLiteral("La actualización de versiones antiguas se hace sobre un fichero.");

} // namespace

QString VersionBase(const QSqlDatabase& db) {
    if (!hasTable(db, QStringLiteral("cuentas")))
        return QString();
    if (!hasColumn(db, QStringLiteral("cuentas"), QStringLiteral("bonotiempo")))
        return QStringLiteral("3.2");
    if (hasTable(db, QStringLiteral("tasas")))
        return QStringLiteral("4.0");
    return QStringLiteral("3.21");
}

int secondsOfDay(const QVariant& v) {
    if (v.isNull() || !v.isValid())
        return 0;
    bool isNumber = false;
    const double days = v.toDouble(&isNumber);
    if (isNumber) {
        // The old engine counts days from 30/12/1899; the fraction is the
        // time of day, also for days before that origin.
        const double fraction = std::fabs(days - std::trunc(days));
        return static_cast<int>(std::llround(fraction * 86400.0)) % 86400;
    }
    const QString text = v.toString().trimmed();
    if (text.isEmpty())
        return 0;
    for (const char* format : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm:ss", "yyyy-MM-dd HH:mm:ss.zzz",
                               "yyyy-MM-ddTHH:mm:ss.zzz"}) {
        const QDateTime dt = QDateTime::fromString(text, QString::fromLatin1(format));
        if (dt.isValid())
            return dt.time().msecsSinceStartOfDay() / 1000;
    }
    for (const char* format : {"HH:mm:ss", "H:mm:ss", "HH:mm"}) {
        const QTime t = QTime::fromString(text, QString::fromLatin1(format));
        if (t.isValid())
            return t.msecsSinceStartOfDay() / 1000;
    }
    return 0;
}

void Actualizar321(const QSqlDatabase& db) {
    const auto seconds = [](const QVariant& v) { return secondsOfDay(v); };
    const auto minutes = [](const QVariant& v) { return secondsOfDay(v) / 60; };
    const QString cuentas = QStringLiteral("cuentas");
    const QString movcuentas = QStringLiteral("movcuentas");
    const QString bonos = QStringLiteral("bonos");
    exec(db, QStringLiteral("Alter table cuentas add Bonotiempo integer"));
    convertColumn(db, cuentas, QStringLiteral("creditotiempo"), QStringLiteral("Bonotiempo"), seconds);
    dropColumn(db, cuentas, QStringLiteral("creditotiempo"));
    exec(db, QStringLiteral("Alter table movcuentas add saldoti_ant_bono integer"));
    exec(db, QStringLiteral("Alter table movcuentas add saldoti_fin_bono integer"));
    convertColumn(db, movcuentas, QStringLiteral("saldoti_ant"), QStringLiteral("saldoti_ant_bono"), seconds);
    convertColumn(db, movcuentas, QStringLiteral("saldoti_fin"), QStringLiteral("saldoti_fin_bono"), seconds);
    dropColumn(db, movcuentas, QStringLiteral("saldoti_ant"));
    dropColumn(db, movcuentas, QStringLiteral("saldoti_fin"));
    exec(db, QStringLiteral("Alter table opciones add host YESNO"));
    exec(db, QStringLiteral("Alter table opciones add cambiotarifa byte"));
    exec(db, QStringLiteral("Alter table bonos add tiempo_bono integer"));
    convertColumn(db, bonos, QStringLiteral("tiempo"), QStringLiteral("tiempo_bono"), minutes);
    dropColumn(db, bonos, QStringLiteral("tiempo"));
    exec(db, QStringLiteral("Alter table puestos add descuento integer"));
    exec(db, QStringLiteral("Alter table puestos add host text(16)"));
    exec(db, QStringLiteral("Create table recargas(codigo text(20) ,descripcion text(50), precio currency)"));
}

void MigracionBD(const QSqlDatabase& db, const UpgradeProgress& progress) {
    const auto line = [&](const char* text, int level = 1) {
        if (progress)
            progress(QString::fromUtf8(text), level);
    };
    const auto addColumns = [&](const QString& table, const char* type,
                                std::initializer_list<const char*> columns) {
        for (const char* column : columns)
            exec(db, QStringLiteral("Alter table ") + table + QStringLiteral(" add ") +
                         QString::fromLatin1(column) + QLatin1Char(' ') + QString::fromLatin1(type));
    };
    const QString opciones = QStringLiteral("opciones");

    line("Actualizando a versión 4.0 PRO", 0);
    line("Creando tabla Tasas");
    exec(db, QStringLiteral(
                 "Create table tasas(IdTax counter,  Nombre Text(25) ,valor single, primary key(IdTax))"));

    line("Se ha actualizado con éxito la tabla Lintick...");
    exec(db, QStringLiteral("Alter table Lintick add IdTax integer"));
    line("Se ha actualizado con éxito la tabla Artículos...");
    exec(db, QStringLiteral("Alter table articulos add IdTax integer"));
    line("Se ha actualizado con éxito la tabla Cuentas...");
    exec(db, QStringLiteral("Alter table cuentas add escritorio byte"));
    exec(db, QStringLiteral("Alter table cuentas add email string"));

    line("Se ha actualizado con éxito la tabla Opciones...");
    exec(db, QStringLiteral("Alter table opciones add desgloseiva YESNO"));
    exec(db, QStringLiteral("update opciones set desgloseiva=0"));
    addColumns(QStringLiteral("grids"), "Integer",
               {"GRIDCUECOL0", "GRIDCUECOL1", "GRIDCUECOL2", "GRIDCUECOL3", "GRIDCUECOL4", "GRIDCUECOL5",
                "GRIDCODCOL0", "GRIDCODCOL1", "GRIDCODCOL2"});
    exec(db, QStringLiteral("update grids set GRIDCUECOL0 = 93, GRIDCUECOL1 = 144, GRIDCUECOL2 = 82, "
                            "GRIDCUECOL3 = 97, GRIDCUECOL4 = 90, GRIDCUECOL5 = 84, GRIDCODCOL0 = 71, "
                            "GRIDCODCOL1 = 91, GRIDCODCOL2 = 99"));
    addColumns(opciones, "YESNO", {"op2_1"});
    addColumns(opciones, "byte", {"cmb_1", "cmb_1_val", "op2_2"});
    addColumns(opciones, "string", {"pass_ini"});
    addColumns(opciones, "YESNO", {"op2_4"});
    addColumns(opciones, "byte", {"op2_5"});
    addColumns(opciones, "YESNO", {"op2_6", "op2_7"});
    addColumns(opciones, "string", {"ini_tarifa", "ini_met", "ini_time"});
    addColumns(opciones, "byte", {"ini_desktop", "ini_desktop_cod"});
    addColumns(opciones, "YESNO", {"op3_1"});
    addColumns(opciones, "byte", {"op3_2"});
    addColumns(opciones, "YESNO", {"op3_3"});
    addColumns(opciones, "string", {"pass_ini2"});
    addColumns(opciones, "byte", {"cmb_2", "cmb_2_val"});
    addColumns(opciones, "YESNO", {"op3_6", "op3_4"});
    addColumns(opciones, "string", {"ini_time_cod"});
    addColumns(opciones, "integer", {"izq_sup", "izq_inf", "panelinf"});
    addColumns(opciones, "YESNO", {"sup", "inf"});
    addColumns(opciones, "byte", {"op4_1"});
    addColumns(opciones, "currency", {"op4_cash"});
    addColumns(opciones, "YESNO", {"op4_2", "op4_3"});
    addColumns(opciones, "integer", {"op4_4"});
    addColumns(opciones, "string", {"ini_tarifa_2"});
    addColumns(opciones, "string", {"ID"});
    exec(db, QStringLiteral("update opciones set ID = ?"), {QStringLiteral("ciber.mdb")});
    addColumns(opciones, "int", {"contador"});
    addColumns(opciones, "integer", {"iva_gen"});
    addColumns(opciones, "YESNO", {"tick_cargo", "tick_aviso"});
    addColumns(opciones, "integer", {"cad_cue", "dias_cad_cue", "cad_cod", "dias_cad_cod"});
    exec(db, QStringLiteral("update opciones set cad_cue =1,cad_cod = 1,dias_cad_cue=60,dias_cad_cod=60"));

    line("Se ha actualizado con éxito la tabla Operadores...");
    addColumns(QStringLiteral("operadores"), "YESNO",
               {"CONFIMP", "CONFLOGS", "IMPLOGPAS", "IMPLOGPAS_1", "MODFECHACAD"});
    exec(db,
         QStringLiteral(
             "update operadores set CONFIMP=1, CONFLOGS=1, IMPLOGPAS=1, IMPLOGPAS_1=1, MODFECHACAD=1 "
             "where nombre=?"),
         {QStringLiteral("ADMIN")});

    // The mail settings come before the closing line, so that a failure here
    // is never announced as a finished upgrade.
    exec(db, QStringLiteral("Create table webconfig(Id counter, activar YESNO, smtp Text(50), port Text(50),"
                            "userid Text(50),body Text(50),") +
                 QStringLiteral("copy Text(50),blindcopy Text(50), de Text(50), attach Text(50),to1 Text(50),"
                                "to2 Text(50),to3 Text(50),") +
                 QStringLiteral("deinformes Text(50),toinformes Text(50), smtpinformes Text(50), "
                                "portinformes Text(50), ccinformes Text(50),") +
                 QStringLiteral(
                     "inicio YESNO,fin YESNO,cambio YESNO, resumen YESNO, estado YESNO, informe YESNO, "
                     "frecuencia Integer, Desocupacion_p integer,primary key(Id))"));
    exec(db, QStringLiteral("insert into webconfig(inicio) values(0)"));
}

Result<bool> upgradeToCurrent(const QSqlDatabase& db, const UpgradeProgress& progress) {
    const QString version = VersionBase(db);
    if (!upgrades(version))
        return false;
    if (engineOf(db) != Engine::SQLite)
        return Result<bool>::failure(kOnlyFiles);
    // A transaction of its own rather than a savepoint: undoing the outermost
    // savepoint still commits, and moves the file's change counter on; a
    // failed upgrade leaves the file as it was, to the byte.
    QSqlDatabase connection = db;
    if (!connection.transaction())
        return Result<bool>::failure(connection.lastError().text());
    try {
        if (version == QLatin1String("3.2"))
            Actualizar321(db);
        MigracionBD(db, progress);
        const Status updates = applySchemaUpdates(db);
        if (!updates)
            throw DatabaseError(updates.error());
        if (!connection.commit())
            throw DatabaseError(connection.lastError().text());
    } catch (const DatabaseError& e) {
        connection.rollback();
        return Result<bool>::failure(e.text());
    }
    if (progress)
        progress(
            QStringLiteral("El proceso de actualización ha finalizado con éxito... Pulse \"Siguiente\" para "
                           "continuar."),
            1);
    return true;
}

InPlaceUpgrade upgradeInPlace(const QSqlDatabase& db, const QString& path, const UpgradeProgress& progress) {
    InPlaceUpgrade outcome;
    const QString version = VersionBase(db);
    if (!upgrades(version))
        return outcome;
    if (engineOf(db) != Engine::SQLite) {
        outcome.error = kOnlyFiles;
        return outcome;
    }
    const Result<QString> copy = copyDatabaseDated(path, QFileInfo(path).absolutePath());
    if (!copy) {
        outcome.error = copy.error();
        return outcome;
    }
    outcome.copyPath = copy.value();
    const Result<bool> upgraded = upgradeToCurrent(db, progress);
    if (upgraded)
        outcome.upgraded = upgraded.value();
    else
        outcome.error = upgraded.error();
    return outcome;
}

} // namespace store
