#include "store/resumenes.h"

#include "store/engine.h"
#include "store/schemaupdates.h"
#include "store/sql.h"
#include "store/transaction.h"

#include <vector>

namespace store {

namespace {

const QString kPausa = QStringLiteral("resumenes_pausa");

struct Columna {
    QString nombre;
    QString tipo; // INTEGER, REAL or TEXT
    // Over the row {r} (and, for sales, the ticket {t}).
    QString valor;
};

// Where a source table's rows feed a summary from: the FROM clause that
// brings the other table of the join, with {r} the line and {t} the ticket.
struct Resumen {
    ResumenDe de;
    QString tabla;
    QString fecha; // the day that places a row in a month
    std::vector<Columna> claves;
    std::vector<Columna> medidas; // summed
    QString filtro;               // rows that count at all
    QString vacia;                // a summary row with nothing left in it
};

Columna texto(const QString& nombre, const QString& columna) {
    return {nombre, QStringLiteral("TEXT"), QStringLiteral("COALESCE({r}.%1, '')").arg(columna)};
}
Columna nulo(const QString& nombre, const QString& columna) {
    return {nombre, QStringLiteral("INTEGER"),
            QStringLiteral("CASE WHEN {r}.%1 IS NULL THEN 1 ELSE 0 END").arg(columna)};
}
Columna suma(const QString& nombre, const QString& columna, const QString& tipo = QStringLiteral("INTEGER")) {
    return {nombre, tipo, QStringLiteral("COALESCE({r}.%1, 0)").arg(columna)};
}
Columna cuenta(const QString& nombre, const QString& columna) {
    return {nombre, QStringLiteral("INTEGER"),
            QStringLiteral("CASE WHEN {r}.%1 IS NULL THEN 0 ELSE 1 END").arg(columna)};
}
// The key's letters A-Z folded, as the statistics group customers: first
// in the table's key, so that they are added up in its order.
Columna plegada(const QString& columna) {
    return {QStringLiteral("CLAVE"), QStringLiteral("TEXT"),
            QStringLiteral("lower(COALESCE({r}.%1, '') {C})").arg(columna)};
}
Columna filas() {
    return {QStringLiteral("N"), QStringLiteral("INTEGER"), QStringLiteral("1")};
}

// NULLs become a value and a flag: a unique key never matches NULLs, and
// the statistics keep a NULL group apart from an empty one, as GROUP BY does.
const std::vector<Resumen>& resumenes() {
    static const std::vector<Resumen> all = {
        {ResumenDe::Ventas,
         QStringLiteral("resumen_ventas"),
         QStringLiteral("{t}.FECHA"),
         {texto(QStringLiteral("CODIGO"), QStringLiteral("CODIGO")),
          nulo(QStringLiteral("CODIGO_NULO"), QStringLiteral("CODIGO")),
          texto(QStringLiteral("ARTICULO"), QStringLiteral("ARTICULO")),
          nulo(QStringLiteral("ARTICULO_NULO"), QStringLiteral("ARTICULO")),
          // Article or voucher, as the statistics tell them apart.
          {QStringLiteral("BONO"), QStringLiteral("INTEGER"),
           QStringLiteral("CASE WHEN COALESCE({r}.BONO, 0) = 0 THEN 0 ELSE 1 END")}},
         {filas(), suma(QStringLiteral("CANT"), QStringLiteral("CANT"), QStringLiteral("REAL")),
          cuenta(QStringLiteral("CANT_N"), QStringLiteral("CANT")),
          suma(QStringLiteral("IMPORTE"), QStringLiteral("IMPORTE")),
          cuenta(QStringLiteral("IMPORTE_N"), QStringLiteral("IMPORTE"))},
         QString(),
         QStringLiteral("N = 0")},
        {ResumenDe::Puestos,
         QStringLiteral("resumen_puestos"),
         QStringLiteral("{r}.FECHA"),
         {{QStringLiteral("NPUESTO"), QStringLiteral("INTEGER"), QStringLiteral("COALESCE({r}.NPUESTO, 0)")},
          nulo(QStringLiteral("NPUESTO_NULO"), QStringLiteral("NPUESTO"))},
         {filas(), suma(QStringLiteral("TIEMPO"), QStringLiteral("TIEMPO")),
          cuenta(QStringLiteral("TIEMPO_N"), QStringLiteral("TIEMPO"))},
         QString(),
         QStringLiteral("N = 0")},
        // Anonymous use, with or without an empty name, is one customer.
        {ResumenDe::Clientes,
         QStringLiteral("resumen_clientes"),
         QStringLiteral("{r}.FECHA"),
         {plegada(QStringLiteral("CLIENTE")), texto(QStringLiteral("CLIENTE"), QStringLiteral("CLIENTE"))},
         {filas(), suma(QStringLiteral("TIEMPO"), QStringLiteral("TIEMPO")),
          cuenta(QStringLiteral("TIEMPO_N"), QStringLiteral("TIEMPO"))},
         QString(),
         QStringLiteral("N = 0")},
        {ResumenDe::Cuentas,
         QStringLiteral("resumen_cuentas"),
         QStringLiteral("{r}.FECHA"),
         {plegada(QStringLiteral("CUENTA")), nulo(QStringLiteral("CUENTA_NULO"), QStringLiteral("CUENTA")),
          texto(QStringLiteral("CUENTA"), QStringLiteral("CUENTA"))},
         {{QStringLiteral("CONSUMIDO"), QStringLiteral("INTEGER"),
           QStringLiteral("CASE WHEN {r}.SALDO_MOV < 0 THEN -{r}.SALDO_MOV ELSE 0 END")},
          {QStringLiteral("N_CONSUMIDO"), QStringLiteral("INTEGER"),
           QStringLiteral("CASE WHEN {r}.SALDO_MOV < 0 THEN 1 ELSE 0 END")},
          {QStringLiteral("APORTADO"), QStringLiteral("INTEGER"),
           QStringLiteral("CASE WHEN {r}.SALDO_MOV > 0 THEN {r}.SALDO_MOV ELSE 0 END")},
          {QStringLiteral("N_APORTADO"), QStringLiteral("INTEGER"),
           QStringLiteral("CASE WHEN {r}.SALDO_MOV > 0 THEN 1 ELSE 0 END")}},
         QStringLiteral("({r}.SALDO_MOV < 0 OR {r}.SALDO_MOV > 0)"),
         QStringLiteral("N_CONSUMIDO = 0 AND N_APORTADO = 0")},
    };
    return all;
}

const Resumen& resumen(ResumenDe de) {
    for (const Resumen& r : resumenes())
        if (r.de == de)
            return r;
    return resumenes().front();
}

// The month of a stored day, "" for a day that is not a real "yyyy-MM-dd",
// NULL for none. Only such a day lies inside [M-01, M-last] exactly when its
// first seven characters are M.
QString mesDe(Engine engine, const QString& v) {
    const bool pg = engine == Engine::PostgreSQL;
    const QString year = QStringLiteral("CAST(substr(%1, 1, 4) AS INTEGER)").arg(v);
    const QString lastDay =
        QStringLiteral("CASE substr(%1, 6, 2) WHEN '02' THEN CASE WHEN %2 % 4 = 0 AND (%2 % 100 <> 0 OR "
                       "%2 % 400 = 0) THEN '29' ELSE '28' END WHEN '04' THEN '30' WHEN '06' THEN '30' "
                       "WHEN '09' THEN '30' WHEN '11' THEN '30' ELSE '31' END")
            .arg(v, year);
    const QString shape = pg ? QStringLiteral("%1 ~ '^[0-9]{4}-[01][0-9]-[0-3][0-9]$'").arg(v)
                             : QStringLiteral("%1 GLOB '[0-9][0-9][0-9][0-9]-[01][0-9]-[0-3][0-9]'").arg(v);
    // The shape is checked before the year is read as a number: the server
    // would fail on anything else.
    return QStringLiteral("(CASE WHEN %1 IS NULL THEN NULL WHEN %2 THEN CASE WHEN substr(%1, 6, 2) BETWEEN "
                          "'01' AND '12' AND substr(%1, 9, 2) BETWEEN '01' AND (%3) THEN substr(%1, 1, 7) "
                          "ELSE '' END ELSE '' END)")
        .arg(v, shape, lastDay);
}

// {C}: the collation that compares byte by byte.
QString bind(Engine engine, QString text, const QString& r, const QString& t) {
    return text.replace(QStringLiteral("{r}"), r)
        .replace(QStringLiteral("{t}"), t)
        .replace(QStringLiteral("{C}"), engine == Engine::PostgreSQL ? QStringLiteral("COLLATE \"C\"")
                                                                     : QStringLiteral("COLLATE BINARY"));
}

QString sqlType(Engine engine, const QString& tipo) {
    if (engine != Engine::PostgreSQL)
        return tipo;
    if (tipo == QLatin1String("INTEGER"))
        return QStringLiteral("BIGINT");
    if (tipo == QLatin1String("REAL"))
        return QStringLiteral("DOUBLE PRECISION");
    return QStringLiteral("TEXT COLLATE \"C\"");
}

// Adds (sign 1) or takes out (sign -1) what the rows of `from` put into
// the summary. `from` is a whole FROM ... WHERE clause over {r} and {t}.
QString delta(Engine engine, const Resumen& s, const QString& from, const QString& r, const QString& t,
              int sign) {
    const QString mes = mesDe(engine, bind(engine, s.fecha, r, t));
    QStringList names{QStringLiteral("MES")};
    QStringList keys{mes};
    for (const Columna& c : s.claves) {
        names << c.nombre;
        keys << bind(engine, c.valor, r, t);
    }
    QStringList measures;
    QStringList updates;
    for (const Columna& c : s.medidas) {
        QString sum = QStringLiteral("SUM(") + bind(engine, c.valor, r, t) + QLatin1Char(')');
        // The server adds whole numbers up as decimals.
        if (c.tipo == QLatin1String("INTEGER"))
            sum = QStringLiteral("CAST(") + sum + QStringLiteral(" AS BIGINT)");
        measures << (sign < 0 ? QStringLiteral("-") + sum : sum);
        updates << QStringLiteral("%1 = %2.%1 + excluded.%1").arg(c.nombre, s.tabla);
    }
    QStringList columns = names;
    for (const Columna& c : s.medidas)
        columns << c.nombre;
    QString where = from + QStringLiteral(" AND ") + mes + QStringLiteral(" IS NOT NULL");
    if (!s.filtro.isEmpty())
        where += QStringLiteral(" AND ") + bind(engine, s.filtro, r, t);
    return QStringLiteral(
               "INSERT INTO %1 (%2) SELECT %3, %4 %5 GROUP BY %3 ON CONFLICT (%6) DO UPDATE SET %7")
        .arg(s.tabla, columns.join(QStringLiteral(", ")), keys.join(QStringLiteral(", ")),
             measures.join(QStringLiteral(", ")), where, names.join(QStringLiteral(", ")),
             updates.join(QStringLiteral(", ")));
}

// A source table and what its row triggers do.
struct Fuente {
    QString tabla;
    QStringList columnas; // an update of any of these moves the row's share
    // Per summary it feeds: the FROM clause for one row, with the row's
    // alias put in for {row}.
    struct Parte {
        ResumenDe de;
        QString from;
        bool filaEsLinea; // the row is {r}; otherwise it is {t}
    };
    std::vector<Parte> partes;
};

const std::vector<Fuente>& fuentes() {
    static const std::vector<Fuente> all = {
        {QStringLiteral("lintick"),
         {QStringLiteral("ID_TICK"), QStringLiteral("CODIGO"), QStringLiteral("ARTICULO"),
          QStringLiteral("CANT"), QStringLiteral("IMPORTE"), QStringLiteral("BONO")},
         {{ResumenDe::Ventas, QStringLiteral("FROM ticket WHERE ticket.ID_TICK = {row}.ID_TICK"), true}}},
        // Lines written before their ticket, or a ticket moved to another day.
        {QStringLiteral("ticket"),
         {QStringLiteral("ID_TICK"), QStringLiteral("FECHA")},
         {{ResumenDe::Ventas, QStringLiteral("FROM lintick WHERE lintick.ID_TICK = {row}.ID_TICK"), false}}},
        {QStringLiteral("ciber"),
         {QStringLiteral("FECHA"), QStringLiteral("NPUESTO"), QStringLiteral("CLIENTE"),
          QStringLiteral("TIEMPO")},
         {{ResumenDe::Puestos, QStringLiteral("FROM (SELECT 1 AS uno) AS fila WHERE 1 = 1"), true},
          {ResumenDe::Clientes, QStringLiteral("FROM (SELECT 1 AS uno) AS fila WHERE 1 = 1"), true}}},
        {QStringLiteral("movcuentas"),
         {QStringLiteral("FECHA"), QStringLiteral("CUENTA"), QStringLiteral("SALDO_MOV")},
         {{ResumenDe::Cuentas, QStringLiteral("FROM (SELECT 1 AS uno) AS fila WHERE 1 = 1"), true}}},
    };
    return all;
}

// The statements a row change runs: take out the old row's share, add the new one's.
QStringList rowStatements(Engine engine, const Fuente& f, const QString& row, int sign) {
    QStringList out;
    for (const Fuente::Parte& p : f.partes) {
        const Resumen& s = resumen(p.de);
        QString from = p.from;
        from.replace(QStringLiteral("{row}"), row);
        const QString r = p.filaEsLinea ? row : QStringLiteral("lintick");
        const QString t = p.filaEsLinea ? QStringLiteral("ticket") : row;
        out << delta(engine, s, from, r, t, sign);
    }
    return out;
}

// The layout of the summaries, in their triggers' names: a build that
// lays them out otherwise finds its triggers missing and makes them again.
constexpr int kLayout = 3;

QString triggerName(const Fuente& f, const QString& op) {
    return QStringLiteral("resumen%1_%2%3")
        .arg(kLayout)
        .arg(f.tabla, op.isEmpty() ? QString() : QLatin1Char('_') + op);
}

QStringList triggerNames(Engine engine) {
    QStringList names;
    for (const Fuente& f : fuentes()) {
        if (engine == Engine::PostgreSQL)
            names << triggerName(f, QString());
        else
            for (const char* op : {"ins", "del", "upd"})
                names << triggerName(f, QLatin1String(op));
    }
    return names;
}

bool hasTrigger(const QSqlDatabase& db, const QString& name) {
    if (engineOf(db) == Engine::PostgreSQL)
        return toInt(scalar(db,
                            QStringLiteral("SELECT COUNT(*) FROM pg_trigger t JOIN pg_class c ON c.oid = "
                                           "t.tgrelid JOIN pg_namespace n ON n.oid = c.relnamespace WHERE "
                                           "t.tgname = ? AND n.nspname = current_schema()"),
                            {name})) > 0;
    return toInt(scalar(
               db, QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'trigger' AND name = ?"),
               {name})) > 0;
}

// Every summary trigger (and on the server its function), of any layout.
void dropTriggers(const QSqlDatabase& db) {
    if (engineOf(db) == Engine::PostgreSQL) {
        QList<QPair<QString, QString>> triggers;
        QSqlQuery q =
            run(db, QStringLiteral("SELECT t.tgname, c.relname FROM pg_trigger t JOIN pg_class c ON c.oid = "
                                   "t.tgrelid JOIN pg_namespace n ON n.oid = c.relnamespace WHERE "
                                   "t.tgname LIKE 'resumen%' AND NOT t.tgisinternal AND n.nspname = "
                                   "current_schema()"));
        while (q.next())
            triggers.append({q.value(0).toString(), q.value(1).toString()});
        for (const auto& [name, table] : std::as_const(triggers))
            run(db, QStringLiteral("DROP TRIGGER %1 ON %2").arg(name, table));
        QStringList functions;
        QSqlQuery f = run(db, QStringLiteral("SELECT p.proname FROM pg_proc p JOIN pg_namespace n ON n.oid = "
                                             "p.pronamespace WHERE p.proname LIKE 'resumen%' AND n.nspname = "
                                             "current_schema()"));
        while (f.next())
            functions << f.value(0).toString();
        for (const QString& name : std::as_const(functions))
            run(db, QStringLiteral("DROP FUNCTION %1()").arg(name));
        return;
    }
    QStringList triggers;
    QSqlQuery q =
        run(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'trigger' AND name LIKE "
                               "'resumen%'"));
    while (q.next())
        triggers << q.value(0).toString();
    for (const QString& name : std::as_const(triggers))
        run(db, QStringLiteral("DROP TRIGGER ") + name);
}

void createTriggers(const QSqlDatabase& db) {
    const Engine engine = engineOf(db);
    const QString paused = QStringLiteral("EXISTS (SELECT 1 FROM ") + kPausa + QLatin1Char(')');
    for (const Fuente& f : fuentes()) {
        const QStringList removeOld = rowStatements(engine, f, QStringLiteral("OLD"), -1);
        const QStringList addNew = rowStatements(engine, f, QStringLiteral("NEW"), 1);
        const QString columns = f.columnas.join(QStringLiteral(", "));
        if (engine == Engine::PostgreSQL) {
            const QString name = triggerName(f, QString());
            run(db,
                QStringLiteral("CREATE OR REPLACE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS $body$ "
                               "BEGIN IF %2 THEN RETURN NULL; END IF; "
                               "IF TG_OP IN ('UPDATE', 'DELETE') THEN %3; END IF; "
                               "IF TG_OP IN ('UPDATE', 'INSERT') THEN %4; END IF; "
                               "RETURN NULL; END $body$")
                    .arg(name, paused, removeOld.join(QStringLiteral("; ")),
                         addNew.join(QStringLiteral("; "))));
            run(db, QStringLiteral("CREATE TRIGGER %1 AFTER INSERT OR DELETE OR UPDATE OF %2 ON %3 FOR EACH "
                                   "ROW EXECUTE FUNCTION %1()")
                        .arg(name, columns, f.tabla));
            continue;
        }
        const QString when = QStringLiteral(" WHEN NOT ") + paused + QStringLiteral(" BEGIN ");
        run(db, QStringLiteral("CREATE TRIGGER ") + triggerName(f, QStringLiteral("ins")) +
                    QStringLiteral(" AFTER INSERT ON ") + f.tabla + when + addNew.join(QStringLiteral("; ")) +
                    QStringLiteral("; END"));
        run(db, QStringLiteral("CREATE TRIGGER ") + triggerName(f, QStringLiteral("del")) +
                    QStringLiteral(" AFTER DELETE ON ") + f.tabla + when +
                    removeOld.join(QStringLiteral("; ")) + QStringLiteral("; END"));
        run(db, QStringLiteral("CREATE TRIGGER ") + triggerName(f, QStringLiteral("upd")) +
                    QStringLiteral(" AFTER UPDATE OF ") + columns + QStringLiteral(" ON ") + f.tabla + when +
                    (removeOld + addNew).join(QStringLiteral("; ")) + QStringLiteral("; END"));
    }
}

void createTable(const QSqlDatabase& db, const Resumen& s) {
    const Engine engine = engineOf(db);
    QStringList columns{QStringLiteral("MES ") + sqlType(engine, QStringLiteral("TEXT")) +
                        QStringLiteral(" NOT NULL")};
    QStringList key;
    for (const Columna& c : s.claves) {
        columns << c.nombre + QLatin1Char(' ') + sqlType(engine, c.tipo) + QStringLiteral(" NOT NULL");
        key << c.nombre;
    }
    // A key's months side by side: a statistic adds them up as it reads.
    key << QStringLiteral("MES");
    for (const Columna& c : s.medidas)
        columns << c.nombre + QLatin1Char(' ') + sqlType(engine, c.tipo) +
                       QStringLiteral(" NOT NULL DEFAULT 0");
    // The file keeps the rows themselves in the key's order, not beside it.
    run(db, QStringLiteral("CREATE TABLE %1 (%2, PRIMARY KEY (%3))%4")
                .arg(s.tabla, columns.join(QStringLiteral(", ")), key.join(QStringLiteral(", ")),
                     engine == Engine::SQLite ? QStringLiteral(" WITHOUT ROWID") : QString()));
    run(db, QStringLiteral("CREATE INDEX %1_mes ON %1 (MES)").arg(s.tabla));
}

// The FROM clause over every row of a summary's source.
QString allRows(const Resumen& s) {
    if (s.de == ResumenDe::Ventas)
        return QStringLiteral(
            "FROM lintick INNER JOIN ticket ON lintick.ID_TICK = ticket.ID_TICK WHERE 1 = 1");
    return QStringLiteral("FROM ") +
           (s.de == ResumenDe::Cuentas ? QStringLiteral("movcuentas") : QStringLiteral("ciber")) +
           QStringLiteral(" WHERE 1 = 1");
}

QString sourceOf(const Resumen& s) {
    switch (s.de) {
    case ResumenDe::Ventas:
        return QStringLiteral("ticket");
    case ResumenDe::Cuentas:
        return QStringLiteral("movcuentas");
    case ResumenDe::Puestos:
    case ResumenDe::Clientes:
        break;
    }
    return QStringLiteral("ciber");
}

void fill(const QSqlDatabase& db) {
    const Engine engine = engineOf(db);
    for (const Resumen& s : resumenes()) {
        run(db, QStringLiteral("DELETE FROM ") + s.tabla);
        const QString r = s.de == ResumenDe::Ventas ? QStringLiteral("lintick") : sourceOf(s);
        run(db, delta(engine, s, allRows(s), r, QStringLiteral("ticket"), 1));
        // The server plans by what it knows of a table: a table it has
        // never looked at seems empty, and is added up by sorting on disk.
        if (engine == Engine::PostgreSQL)
            run(db, QStringLiteral("ANALYZE ") + s.tabla);
    }
}

} // namespace

bool isSummaryTable(const QString& table) {
    if (table.compare(kPausa, Qt::CaseInsensitive) == 0)
        return true;
    for (const Resumen& s : resumenes())
        if (table.compare(s.tabla, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void crearResumenes(const QSqlDatabase& db) {
    for (const char* source : {"ticket", "lintick", "ciber", "movcuentas"})
        if (!hasTable(db, QLatin1String(source)))
            return;
    const Engine engine = engineOf(db);
    bool complete = hasTable(db, kPausa);
    for (const Resumen& s : resumenes())
        complete = complete && hasTable(db, s.tabla);
    for (const QString& name : triggerNames(engine))
        complete = complete && hasTrigger(db, name);
    if (complete)
        return;
    Transaction t(db);
    // Whatever part was there may be out of step with the rows: all of it is made again.
    dropTriggers(db);
    if (!hasTable(db, kPausa))
        run(db, QStringLiteral("CREATE TABLE ") + kPausa + QStringLiteral(" (PAUSA ") +
                    sqlType(engine, QStringLiteral("INTEGER")) + QLatin1Char(')'));
    for (const Resumen& s : resumenes()) {
        if (hasTable(db, s.tabla))
            run(db, QStringLiteral("DROP TABLE ") + s.tabla);
        createTable(db, s);
    }
    createTriggers(db);
    fill(db);
    t.commit();
}

void rehacerResumenes(const QSqlDatabase& db) {
    Transaction t(db);
    fill(db);
    t.commit();
}

PausaResumenes::PausaResumenes(QSqlDatabase db)
    : m_db(std::move(db)) {
    if (!Transaction::anyOpen() && !inTransaction(m_db))
        throw DatabaseError(QStringLiteral("Los resúmenes solo se detienen dentro de una transacción."));
    run(m_db, QStringLiteral("INSERT INTO ") + kPausa + QStringLiteral(" (PAUSA) VALUES (1)"));
}

PausaResumenes::~PausaResumenes() {
    if (!m_activa)
        return;
    // Left to the transaction's end when this fails: a rollback takes the
    // pause with it, and a commit cannot happen past the error.
    QSqlQuery q(m_db);
    q.exec(QStringLiteral("DELETE FROM ") + kPausa);
}

void PausaResumenes::reanudar() {
    run(m_db, QStringLiteral("DELETE FROM ") + kPausa);
    m_activa = false;
}

void restarDeResumenes(const QSqlDatabase& db, const QString& table, const QString& where,
                       const QVariantList& values) {
    const Engine engine = engineOf(db);
    for (const Resumen& s : resumenes()) {
        if (sourceOf(s).compare(table, Qt::CaseInsensitive) != 0)
            continue;
        QString from;
        if (s.de == ResumenDe::Ventas)
            from =
                QStringLiteral("FROM lintick INNER JOIN ticket ON lintick.ID_TICK = ticket.ID_TICK WHERE (") +
                where + QLatin1Char(')');
        else
            from = QStringLiteral("FROM ") + table + QStringLiteral(" WHERE (") + where + QLatin1Char(')');
        const QString r = s.de == ResumenDe::Ventas ? QStringLiteral("lintick") : table;
        run(db, delta(engine, s, from, r, QStringLiteral("ticket"), -1), values);
        run(db, QStringLiteral("DELETE FROM ") + s.tabla + QStringLiteral(" WHERE ") + s.vacia);
    }
}

void vaciarResumenes(const QSqlDatabase& db, const QString& table) {
    for (const Resumen& s : resumenes())
        if (sourceOf(s).compare(table, Qt::CaseInsensitive) == 0 ||
            (s.de == ResumenDe::Ventas && table.compare(QLatin1String("lintick"), Qt::CaseInsensitive) == 0))
            run(db, QStringLiteral("DELETE FROM ") + s.tabla);
}

LecturaResumenes::LecturaResumenes(const QSqlDatabase& db) {
    if (engineOf(db) != Engine::PostgreSQL)
        return;
    m_transaction.emplace(db);
    run(db, QStringLiteral("SET LOCAL max_parallel_workers_per_gather = 0"));
}

LecturaResumenes::~LecturaResumenes() {
    if (!m_transaction)
        return;
    // Nothing was written: a failed commit loses nothing, and the
    // transaction's destructor rolls back.
    try {
        m_transaction->commit();
    } catch (const DatabaseError&) {
    }
}

QString mesesResumen(const QSqlDatabase& db) {
    // A unary plus keeps SQLite's planner off the index; the server plans by its statistics.
    return engineOf(db) == Engine::SQLite ? QStringLiteral("+MES BETWEEN ? AND ?")
                                          : QStringLiteral("MES BETWEEN ? AND ?");
}

QString claveResumen(const QSqlDatabase& db, const QString& operand) {
    return bind(engineOf(db), QStringLiteral("lower(%1 {C})").arg(operand), QString(), QString());
}

QString resumenTabla(ResumenDe de) {
    return resumen(de).tabla;
}

TramosResumen tramosResumen(const QSqlDatabase& db, ResumenDe de, const QDate& from, const QDate& to) {
    TramosResumen t;
    if (!from.isValid() || !to.isValid() || from > to)
        return t;
    const QDate firstMonth = from.day() == 1 ? from : QDate(from.year(), from.month(), 1).addMonths(1);
    const QDate lastMonth = to.day() == to.daysInMonth() ? QDate(to.year(), to.month(), 1)
                                                         : QDate(to.year(), to.month(), 1).addMonths(-1);
    if (firstMonth > lastMonth)
        return t;
    const Resumen& s = resumen(de);
    if (!hasTable(db, s.tabla))
        return t;
    // A day stored in another shape: the rows know where it falls, the months do not.
    if (run(db, QStringLiteral("SELECT 1 FROM ") + s.tabla + QStringLiteral(" WHERE MES = '' AND NOT (") +
                    s.vacia + QStringLiteral(") LIMIT 1"))
            .next())
        return t;
    t.meses = true;
    t.mesDesde = firstMonth.toString(QStringLiteral("yyyy-MM"));
    t.mesHasta = lastMonth.toString(QStringLiteral("yyyy-MM"));
    t.primerDiaResumido = firstMonth.toString(Qt::ISODate);
    t.ultimoDiaResumido = lastMonth.addMonths(1).addDays(-1).toString(Qt::ISODate);
    t.antes = from < firstMonth;
    t.despues = to > lastMonth.addMonths(1).addDays(-1);
    return t;
}

} // namespace store
