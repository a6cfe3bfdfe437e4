#include "store/schemaupdates.h"

#include "store/auditoria.h"
#include "store/bloqueos.h"
#include "store/claves.h"
#include "store/dialect.h"
#include "store/resumenes.h"
#include "store/sql.h"
#include "store/transaction.h"

#include <QSqlRecord>

#include <iterator>
#include <utility>

namespace store {

namespace {

void addColumnIfMissing(const QSqlDatabase& db, const QString& table, const QString& column,
                        const QString& type) {
    if (hasColumn(db, table, column))
        return;
    for (const QString& statement : schemaStatements(engineOf(db), QStringLiteral("ALTER TABLE ") + table +
                                                                       QStringLiteral(" ADD COLUMN ") +
                                                                       column + QLatin1Char(' ') + type))
        run(db, statement);
}

// Looked up first: on a server, even CREATE INDEX IF NOT EXISTS wants the
// table's owner, and a café's console may run as a role that only reads and
// writes rows.
bool hasIndex(const QSqlDatabase& db, const QString& name) {
    // The server folds unquoted names to lower case; the file keeps them as written.
    if (engineOf(db) == Engine::PostgreSQL)
        return toInt(scalar(db, QStringLiteral("SELECT COUNT(*) FROM pg_indexes WHERE indexname = ?"),
                            {name.toLower()})) > 0;
    return toInt(scalar(db,
                        QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND name = ? "
                                       "COLLATE NOCASE"),
                        {name})) > 0;
}

void createIndexIfMissing(const QSqlDatabase& db, const QString& name, const QString& on) {
    if (!hasIndex(db, name))
        run(db, QStringLiteral("CREATE INDEX ") + name + QStringLiteral(" ON ") + on);
}

void dropIndexIfPresent(const QSqlDatabase& db, const QString& name) {
    if (hasIndex(db, name))
        run(db, QStringLiteral("DROP INDEX ") + name);
}

// False when the table was there already.
bool createTableIfMissing(const QSqlDatabase& db, const QString& table, const QString& columns) {
    if (hasTable(db, table))
        return false;
    for (const QString& statement :
         schemaStatements(engineOf(db), QStringLiteral("CREATE TABLE ") + table + QStringLiteral(" (") +
                                            columns + QLatin1Char(')')))
        run(db, statement);
    return true;
}

// A database from before the shared logins: the accounts logged in at its
// stations hold their logins from the start.
void claimLoginsInUse(const QSqlDatabase& db) {
    QSqlQuery q = run(db, QStringLiteral("SELECT npuesto, cuenta FROM puestos WHERE cuenta <> ''"));
    while (q.next()) {
        run(db,
            QStringLiteral(
                "INSERT INTO logins_en_uso (LOGIN, NPUESTO) VALUES (?, ?) ON CONFLICT (LOGIN) DO NOTHING"),
            {foldAscii(toText(q.value(1))), toInt(q.value(0))});
    }
}

// Rewrites table.column to the value of source.key that equals it letter
// case aside but not exactly. A value that matches no row, or several, stays
// as it is; so does one that differs in a letter outside A-Z.
void canonicalise(const QSqlDatabase& db, const QString& table, const QString& column, const QString& source,
                  const QString& key, const QString& only = QString()) {
    // A database whose older steps stopped early may lack a table.
    if (!hasTable(db, table) || !hasTable(db, source))
        return;
    const QString value = table + QLatin1Char('.') + column;
    // Both sides under the one rule: folding only the stored value would
    // match nothing where the engine compares the other side exactly.
    const QString match = QStringLiteral(" FROM ") + source + QStringLiteral(" WHERE ") +
                          caseless(db, source + QLatin1Char('.') + key) + QStringLiteral(" = ") +
                          caseless(db, value) + QLatin1Char(')');
    const QString canonical = QStringLiteral("(SELECT ") + source + QLatin1Char('.') + key + match;
    run(db, QStringLiteral("UPDATE ") + table + QStringLiteral(" SET ") + column + QStringLiteral(" = ") +
                canonical + QStringLiteral(" WHERE ") +
                (only.isEmpty() ? QString() : only + QStringLiteral(" AND ")) + value +
                QStringLiteral(" <> '' AND (SELECT COUNT(*)") + match + QStringLiteral(" = 1 AND ") + value +
                QStringLiteral(" <> ") + exact(db, canonical));
}

// Logins, customers and codes were stored as typed ("ana" for the account
// "ANA"); they become the account's or the article's own value, so that a
// customer or an article is one row in the listings and statistics.
void canonicalKeys(const QSqlDatabase& db) {
    const QString cuentas = QStringLiteral("cuentas");
    const QString login = QStringLiteral("Login");
    canonicalise(db, QStringLiteral("movcuentas"), QStringLiteral("CUENTA"), cuentas, login);
    canonicalise(db, QStringLiteral("ciber"), QStringLiteral("CLIENTE"), cuentas, login);
    canonicalise(db, QStringLiteral("ticket"), QStringLiteral("CLIENTE"), cuentas, login);
    canonicalise(db, QStringLiteral("puestos"), QStringLiteral("cuenta"), cuentas, login);
    // Top-up lines are not vouchers either, and keep their own code.
    QString articles = QStringLiteral("COALESCE(lintick.BONO, 0) = 0");
    if (hasTable(db, QStringLiteral("recargas")))
        articles += QStringLiteral(" AND NOT EXISTS (SELECT 1 FROM recargas WHERE recargas.CODIGO = ") +
                    exact(db, QStringLiteral("lintick.CODIGO")) + QLatin1Char(')');
    canonicalise(db, QStringLiteral("lintick"), QStringLiteral("CODIGO"), QStringLiteral("articulos"),
                 QStringLiteral("CODIGO"), articles);
    canonicalise(db, QStringLiteral("lintick"), QStringLiteral("CODIGO"), QStringLiteral("bonos"),
                 QStringLiteral("CODIGO"), QStringLiteral("COALESCE(lintick.BONO, 0) <> 0"));
}

// Mends of the data that run once per database, oldest first; the
// database's user_version counts the ones done.
using Mend = void (*)(const QSqlDatabase&);
constexpr Mend kMends[] = {canonicalKeys};

void runMends(const QSqlDatabase& db) {
    const int done = userVersion(db);
    const int count = int(std::size(kMends));
    for (int i = done; i < count; ++i)
        kMends[i](db);
    if (done < count)
        setUserVersion(db, count);
}

// Each subsystem adds its steps here, newest last.
void runSteps(const QSqlDatabase& db) {
    // Mail: optional authentication and TLS of the two servers; empty is plain SMTP.
    for (const char* column : {"smtpusuario", "smtpclave", "usuarioinformes", "claveinformes"})
        addColumnIfMissing(db, QStringLiteral("webconfig"), QLatin1String(column), QStringLiteral("TEXT"));
    // Log-in without TLS only when asked for; empty is refused.
    for (const char* column : {"smtptls", "tlsinformes", "smtpsincifrar", "sincifrarinformes"})
        addColumnIfMissing(db, QStringLiteral("webconfig"), QLatin1String(column), QStringLiteral("INTEGER"));
    // Mail: a period of 0, or none (as an upgraded database had), is none of
    // the choices and the scheduled mails would never go: the first choice.
    run(db, QStringLiteral("UPDATE webconfig SET frecuencia = ? WHERE COALESCE(frecuencia, 0) <= 0"),
        {kMailPeriods[0]});
    // The listings and the cash report select by day (and time of day).
    createIndexIfMissing(db, QStringLiteral("ticket_fecha_hora"), QStringLiteral("ticket (FECHA, HORA)"));
    // A prefix of the one above: it served no selection and cost a write on every ticket.
    dropIndexIfPresent(db, QStringLiteral("ticket_fecha"));
    createIndexIfMissing(db, QStringLiteral("lintick_ticket"), QStringLiteral("lintick (ID_TICK)"));
    createIndexIfMissing(db, QStringLiteral("movcuentas_fecha"), QStringLiteral("movcuentas (FECHA)"));
    createIndexIfMissing(db, QStringLiteral("ciber_fecha"), QStringLiteral("ciber (FECHA)"));
    // The queues read the pending rows by id a page at a time. SQLite's index
    // on the flag keeps the ids in order within it; PostgreSQL's does not,
    // and would walk every settled row before the first pending one.
    if (engineOf(db) == Engine::PostgreSQL) {
        createIndexIfMissing(db, QStringLiteral("ticket_pendiente"),
                             QStringLiteral("ticket (ID_TICK) WHERE CONTA = 0"));
        createIndexIfMissing(db, QStringLiteral("movcuentas_pendiente"),
                             QStringLiteral("movcuentas (ID) WHERE CONTA = 0"));
    }
    // Printing the ticket when a station closes: 0 (empty too) asks, 1 always, 2 never.
    addColumnIfMissing(db, QStringLiteral("opciones"), QStringLiteral("imp_cierre"),
                       QStringLiteral("INTEGER DEFAULT 0"));
    // Several consoles on one database: who polls each station, under which
    // ownership epoch; the live consoles; the logins in use at any of them;
    // which console sold each ticket; the wait before a silent console's
    // stations are taken over (0: only by hand).
    addColumnIfMissing(db, QStringLiteral("puestos"), QStringLiteral("CONSOLA"), QStringLiteral("TEXT"));
    addColumnIfMissing(db, QStringLiteral("puestos"), QStringLiteral("EPOCA"),
                       QStringLiteral("INTEGER DEFAULT 0"));
    addColumnIfMissing(db, QStringLiteral("ticket"), QStringLiteral("CONSOLA"), QStringLiteral("TEXT"));
    addColumnIfMissing(db, QStringLiteral("opciones"), QStringLiteral("esperatoma"),
                       QStringLiteral("INTEGER DEFAULT 30"));
    createTableIfMissing(
        db, QStringLiteral("consolas"),
        QStringLiteral("NOMBRE TEXT PRIMARY KEY, EQUIPO TEXT, PID INTEGER DEFAULT 0, MARCA TEXT, "
                       "LATIDO INTEGER DEFAULT 0"));
    if (createTableIfMissing(db, QStringLiteral("logins_en_uso"),
                             QStringLiteral("LOGIN TEXT PRIMARY KEY, NPUESTO INTEGER, CONSOLA TEXT")))
        claimLoginsInUse(db);
    // The sale being entered at the point of sale is each console's own.
    addColumnIfMissing(db, QStringLiteral("udart"), QStringLiteral("CONSOLA"), QStringLiteral("TEXT"));
    // Which console booked each account movement, as each ticket records it.
    addColumnIfMissing(db, QStringLiteral("movcuentas"), QStringLiteral("CONSOLA"), QStringLiteral("TEXT"));
    // What each console keeps in memory and another may edit: a version per
    // kind of edit, bumped in the edit's transaction and polled by the others.
    createTableIfMissing(db, QStringLiteral("cambios"),
                         QStringLiteral("CLAVE TEXT PRIMARY KEY, VERSION INTEGER DEFAULT 0"));
    // The audit trail of what moves money or trust outside the normal flow.
    crearAuditoria(db);
    // Reading that trail is a permission of its own; the administrator has
    // every permission.
    if (!hasColumn(db, QStringLiteral("operadores"), QStringLiteral("AUDITORIA"))) {
        addColumnIfMissing(db, QStringLiteral("operadores"), QStringLiteral("AUDITORIA"),
                           QStringLiteral("INTEGER DEFAULT 0"));
        run(db, QStringLiteral("UPDATE operadores SET AUDITORIA = 1 WHERE NOMBRE = 'ADMIN'"));
    }
    // So is logging in to the owner's view in a browser.
    if (!hasColumn(db, QStringLiteral("operadores"), QStringLiteral("ACCESOWEB"))) {
        addColumnIfMissing(db, QStringLiteral("operadores"), QStringLiteral("ACCESOWEB"),
                           QStringLiteral("INTEGER DEFAULT 0"));
        run(db, QStringLiteral("UPDATE operadores SET ACCESOWEB = 1 WHERE NOMBRE = 'ADMIN'"));
    }
    // When each station's row was last saved (milliseconds since the epoch),
    // so a reader can run a station's clock on between saves.
    addColumnIfMissing(db, QStringLiteral("puestos"), QStringLiteral("GUARDADO"),
                       QStringLiteral("INTEGER DEFAULT 0"));
    // Lock-outs against password guessing: their limits, and the failures
    // and locks every console counts on.
    for (const auto& [column, value] :
         {std::pair{"bloq_intentos", LimitesBloqueo::DefaultIntentos},
          std::pair{"bloq_ventana", LimitesBloqueo::DefaultVentanaMinutos},
          std::pair{"bloq_minutos", LimitesBloqueo::DefaultMinutos},
          std::pair{"bloq_puesto_intentos", LimitesBloqueo::DefaultIntentosPuesto},
          std::pair{"bloq_puesto_minutos", LimitesBloqueo::DefaultMinutosPuesto}})
        addColumnIfMissing(db, QStringLiteral("opciones"), QLatin1String(column),
                           QStringLiteral("INTEGER DEFAULT ") + QString::number(value));
    crearTablasBloqueo(db);
    // Operators' passwords brought in as typed (a copy, an upgrade, an
    // import) are hashed before anyone logs in with them.
    protegerClavesOperadores(db);
    runMends(db);
    // The statistics' monthly summaries, filled from the rows when they are
    // made (after the mends, which rewrite the keys they group by).
    crearResumenes(db);
}

} // namespace

bool hasTable(const QSqlDatabase& db, const QString& table) {
    const QStringList tables = db.tables();
    return tables.contains(table, Qt::CaseInsensitive);
}

bool hasColumn(const QSqlDatabase& db, const QString& table, const QString& column) {
    if (engineOf(db) == Engine::PostgreSQL) {
        for (const ColumnInfo& c : tableColumns(db, table)) {
            if (c.name.compare(column, Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    }
    const QSqlRecord rec = db.record(table);
    for (int i = 0; i < rec.count(); ++i) {
        if (rec.fieldName(i).compare(column, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

Status applySchemaUpdates(const QSqlDatabase& db) {
    try {
        Transaction t(db);
        runSteps(db);
        t.commit();
    } catch (const DatabaseError& e) {
        return Status::failure(e.text());
    }
    return Status::success();
}

} // namespace store
