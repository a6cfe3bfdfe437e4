#include "store/transfer.h"

#include "store/datamodule.h"
#include "store/dbfile.h"
#include "store/dialect.h"
#include "store/engine.h"
#include "store/newdatabase.h"
#include "store/privatefiles.h"
#include "store/resumenes.h"
#include "store/schemaupdates.h"
#include "store/sql.h"
#include "store/transaction.h"
#include "store/upgrade.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <atomic>

namespace store {

namespace {

std::atomic<int> g_sequence{0};

// Rows read from the source at a time, and values written per statement
// (under the oldest SQLite's limit of 999 bound values).
constexpr int kPage = 2000;
constexpr int kValuesPerInsert = 900;

// The new file on its way: a connection to "<target>.partial", which is
// renamed to the target only once the copy is committed.
class NewFile {
public:
    explicit NewFile(const QString& target)
        : m_target(QFileInfo(target).absoluteFilePath())
        , m_partial(m_target + QStringLiteral(".partial"))
        , m_name(QStringLiteral("quintor-transfer-%1").arg(++g_sequence)) {}
    ~NewFile() {
        close();
        if (!m_done) {
            for (const char* suffix : {"", "-wal", "-shm", "-journal"})
                QFile::remove(m_partial + QLatin1String(suffix));
        }
    }
    Status open() {
        const QFileInfo info(m_target);
        if (info.exists())
            return Status::failure(
                QStringLiteral("El fichero %1 ya existe; no se sobrescribe.").arg(m_target));
        if (!info.absoluteDir().exists())
            return Status::failure(QStringLiteral("La carpeta %1 no existe.").arg(info.absolutePath()));
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            QFile::remove(m_partial + QLatin1String(suffix));
        if (!createPrivateFile(m_partial))
            return Status::failure(QStringLiteral("No se puede crear %1").arg(m_partial));
        QSqlDatabase db = QSqlDatabase::addDatabase(driverName(Engine::SQLite), m_name);
        db.setDatabaseName(m_partial);
        if (!db.open())
            return Status::failure(db.lastError().text());
        return Status::success();
    }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }
    Status finish() {
        {
            QSqlQuery q(db());
            q.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        }
        close();
        if (!QFile::rename(m_partial, m_target))
            return Status::failure(QStringLiteral("No se puede crear %1").arg(m_target));
        m_done = true;
        return Status::success();
    }

private:
    void close() {
        if (!QSqlDatabase::contains(m_name))
            return;
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    QString m_target;
    QString m_partial;
    QString m_name;
    bool m_done = false;
};

QStringList copiedTables(const TDataModule1& data) {
    QStringList tables;
    for (const QString& t : data.tableNames()) {
        // The summaries are made again from the copied rows.
        if (!isEngineTable(t) && !isSummaryTable(t))
            tables << t;
    }
    return tables;
}

bool hasTableNamed(const QStringList& tables, const QString& table) {
    return tables.contains(table, Qt::CaseInsensitive);
}

// The source's value as the target's column takes it: SQLite keeps what it
// is given in any column, PostgreSQL only values of the column's type.
QVariant converted(const QVariant& value, ColumnInfo::Kind kind, const QString& where) {
    if (value.isNull())
        return value;
    switch (kind) {
    case ColumnInfo::Kind::Integer: {
        if (value.typeId() == QMetaType::QString) {
            const QString text = value.toString().trimmed();
            if (text.isEmpty())
                return QVariant();
            bool ok = false;
            const qlonglong n = text.toLongLong(&ok);
            if (ok)
                return n;
            const double d = text.toDouble(&ok);
            if (ok && d == double(qlonglong(d)))
                return qlonglong(d);
            throw DatabaseError(QStringLiteral("%1: \"%2\" no es un número entero.").arg(where, text));
        }
        if (value.typeId() == QMetaType::Double) {
            const double d = value.toDouble();
            if (d != double(qlonglong(d)))
                throw DatabaseError(QStringLiteral("%1: %2 no es un número entero.").arg(where).arg(d));
            return qlonglong(d);
        }
        return value.toLongLong();
    }
    case ColumnInfo::Kind::Real: {
        if (value.typeId() == QMetaType::QString) {
            const QString text = value.toString().trimmed();
            if (text.isEmpty())
                return QVariant();
            bool ok = false;
            const double d = text.toDouble(&ok);
            if (!ok)
                throw DatabaseError(QStringLiteral("%1: \"%2\" no es un número.").arg(where, text));
            return d;
        }
        return value.toDouble();
    }
    case ColumnInfo::Kind::Text:
        break;
    }
    return value.toString();
}

// The target's tables: the current schema, then whatever the source has
// beyond it (a table or a column of its own).
void makeSchema(const QSqlDatabase& source, const QStringList& sourceTables, const QSqlDatabase& target) {
    const Engine engine = engineOf(target);
    QFile file(QStringLiteral(":/store/sql/schema.sql"));
    if (!file.open(QIODevice::ReadOnly))
        throw DatabaseError(QStringLiteral("No se puede leer el esquema."));
    for (const QString& statement : splitSqlScript(QString::fromUtf8(file.readAll()))) {
        for (const QString& s : schemaStatements(engine, statement))
            run(target, s);
    }
    const Status updates = applySchemaUpdates(target);
    if (!updates)
        throw DatabaseError(updates.error());
    const QStringList targetTables = target.tables();
    for (const QString& table : sourceTables) {
        const QList<ColumnInfo> columns = tableColumns(source, table);
        if (!hasTableNamed(targetTables, table)) {
            QStringList definitions;
            for (const ColumnInfo& c : columns)
                definitions << columnDefinition(c);
            for (const QString& s :
                 schemaStatements(engine, QStringLiteral("CREATE TABLE ") + table + QStringLiteral(" (") +
                                              definitions.join(QStringLiteral(", ")) + QLatin1Char(')')))
                run(target, s);
            continue;
        }
        for (const ColumnInfo& c : columns) {
            if (hasColumn(target, table, c.name))
                continue;
            ColumnInfo plain = c;
            plain.counter = false;
            for (const QString& s :
                 schemaStatements(engine, QStringLiteral("ALTER TABLE ") + table +
                                              QStringLiteral(" ADD COLUMN ") + columnDefinition(plain)))
                run(target, s);
        }
    }
}

qint64 rowCount(const QSqlDatabase& db, const QString& table) {
    return scalar(db, QStringLiteral("SELECT COUNT(*) FROM ") + table).toLongLong();
}

void copyRows(const QSqlDatabase& source, const QSqlDatabase& target, const QString& table,
              TransferStep& step, const TransferProgress& progress) {
    const QList<ColumnInfo> sourceColumns = tableColumns(source, table);
    const QList<ColumnInfo> targetColumns = tableColumns(target, table);
    QStringList names;
    QList<ColumnInfo::Kind> kinds;
    for (const ColumnInfo& c : sourceColumns) {
        names << c.name;
        ColumnInfo::Kind kind = c.kind;
        for (const ColumnInfo& t : targetColumns) {
            if (t.name.compare(c.name, Qt::CaseInsensitive) == 0)
                kind = t.kind;
        }
        kinds << kind;
    }
    // The order the rows were added in comes along with them, also where
    // the table has no key of its own.
    const QString order = rowOrderColumn(source, table);
    const bool orderIsColumn = names.contains(order, Qt::CaseInsensitive);
    const bool carryOrder = !order.isEmpty() && !orderIsColumn && !rowOrderColumn(target, table).isEmpty();
    const int orderIndex = orderIsColumn ? int(names.indexOf(order)) : -1;
    QStringList selected = names;
    if (!order.isEmpty() && !orderIsColumn)
        selected.prepend(order);
    QStringList inserted = names;
    if (carryOrder)
        inserted.prepend(QStringLiteral("rowid"));
    const int width = int(inserted.size());
    const int rowsPerInsert = qMax(1, kValuesPerInsert / qMax(1, width));

    step.table = table;
    step.tableRows = 0;
    step.tableTotal = rowCount(source, table);
    if (progress)
        progress(step);

    const QString marks = QLatin1Char('(') +
                          QStringList(width, QStringLiteral("?")).join(QStringLiteral(", ")) +
                          QLatin1Char(')');
    const QString insertHead = QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") +
                               inserted.join(QStringLiteral(", ")) + QStringLiteral(") VALUES ");
    const auto insertOf = [&](int rows) -> QString {
        return insertHead + QStringList(rows, marks).join(QStringLiteral(", "));
    };
    // Full batches reuse one prepared statement: the engines parse a
    // statement's placeholders in time that grows faster than their count.
    QSqlQuery batch(target);
    bool batchPrepared = false;
    QVariantList pending;
    int pendingRows = 0;
    auto flush = [&] {
        if (pendingRows == 0)
            return;
        if (pendingRows < rowsPerInsert) {
            run(target, insertOf(pendingRows), pending);
        } else {
            if (!batchPrepared && !batch.prepare(insertOf(rowsPerInsert)))
                throw failedStatement(target, batch.lastError());
            batchPrepared = true;
            for (int i = 0; i < pending.size(); ++i)
                batch.bindValue(i, pending.at(i));
            if (!batch.exec())
                throw failedStatement(target, batch.lastError());
        }
        pending.clear();
        pendingRows = 0;
    };

    const QString select =
        QStringLiteral("SELECT ") + selected.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") + table;
    QVariant last;
    bool more = true;
    while (more) {
        more = false;
        QSqlQuery q;
        if (order.isEmpty()) {
            // Neither a key nor a row number: one read (the small tables of options).
            q = run(source, select);
        } else if (last.isNull()) {
            q = run(source, select + QStringLiteral(" ORDER BY ") + order + QStringLiteral(" LIMIT ") +
                                QString::number(kPage));
        } else {
            q = run(source,
                    select + QStringLiteral(" WHERE ") + order + QStringLiteral(" > ? ORDER BY ") + order +
                        QStringLiteral(" LIMIT ") + QString::number(kPage),
                    {last});
        }
        int read = 0;
        while (q.next()) {
            ++read;
            const int offset = (!order.isEmpty() && !orderIsColumn) ? 1 : 0;
            if (!order.isEmpty())
                last = offset ? q.value(0) : q.value(orderIndex);
            if (carryOrder)
                pending << q.value(0).toLongLong();
            for (int i = 0; i < names.size(); ++i)
                pending << converted(q.value(i + offset), kinds.at(i),
                                     table + QLatin1Char('.') + names.at(i));
            if (++pendingRows >= rowsPerInsert)
                flush();
            ++step.tableRows;
            ++step.rows;
        }
        flush();
        if (progress)
            progress(step);
        more = !order.isEmpty() && read == kPage;
    }

    // Counters go on from where the source's were, not from its last row.
    for (const ColumnInfo& c : sourceColumns) {
        if (c.counter)
            setCounterValue(target, table, c.name,
                            qMax(counterValue(source, table, c.name),
                                 scalar(target, QStringLiteral("SELECT MAX(") + c.name +
                                                    QStringLiteral(") FROM ") + table)
                                     .toLongLong()));
    }
    if (carryOrder && engineOf(target) == Engine::PostgreSQL)
        setCounterValue(target, table, QStringLiteral("rowid"),
                        scalar(target, QStringLiteral("SELECT MAX(rowid) FROM ") + table).toLongLong());
}

// Rows and the totals of the whole-number columns, table by table.
Status compare(const QSqlDatabase& source, const QSqlDatabase& target, const QStringList& tables) {
    for (const QString& table : tables) {
        const qint64 a = rowCount(source, table);
        const qint64 b = rowCount(target, table);
        if (a != b)
            return Status::failure(QStringLiteral("La copia de la tabla %1 tiene %2 filas en vez de %3.")
                                       .arg(table)
                                       .arg(b)
                                       .arg(a));
        for (const ColumnInfo& c : tableColumns(source, table)) {
            if (c.kind != ColumnInfo::Kind::Integer)
                continue;
            const QString sum =
                QStringLiteral("SELECT CAST(SUM(") + c.name + QStringLiteral(") AS TEXT) FROM ") + table;
            const QString x = toText(scalar(source, sum));
            const QString y = toText(scalar(target, sum));
            if (x != y)
                return Status::failure(QStringLiteral("La copia de %1.%2 suma %3 en vez de %4.")
                                           .arg(table, c.name, y.isEmpty() ? QStringLiteral("0") : y,
                                                x.isEmpty() ? QStringLiteral("0") : x));
        }
    }
    return Status::success();
}

// The source read as of one instant: rows a running console writes while
// the copy goes on are not half in it, and the totals checked at the end are
// those of the rows copied.
// A caller already reading in a transaction of its own (the replica, which
// purges what it copied) keeps it: the copy reads inside it.
class Snapshot {
public:
    explicit Snapshot(const QSqlDatabase& db)
        : m_db(db) {
        if (engineOf(m_db) == Engine::PostgreSQL) {
            if (inTransaction(m_db))
                return;
            run(m_db, QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"));
            m_end = QStringLiteral("ROLLBACK");
        } else {
            // Opens a read transaction, or nests in the caller's.
            run(m_db, QStringLiteral("SAVEPOINT transfer_snapshot"));
            m_end = QStringLiteral("RELEASE transfer_snapshot");
        }
    }
    ~Snapshot() {
        if (m_end.isEmpty())
            return;
        QSqlQuery q(m_db);
        q.exec(m_end);
    }
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;

private:
    QSqlDatabase m_db;
    QString m_end;
};

Status copyInto(const TDataModule1& from, const QSqlDatabase& target, const TransferProgress& progress) {
    const QSqlDatabase source = from.db();
    const QStringList tables = copiedTables(from);
    try {
        Snapshot snapshot(source);
        Transaction t(target);
        makeSchema(source, tables, target);
        // What the target's schema made by itself gives way to the source's rows.
        for (const QString& table : target.tables()) {
            if (!isEngineTable(table))
                run(target, QStringLiteral("DELETE FROM ") + table);
        }
        TransferStep step;
        for (const QString& table : tables)
            step.total += rowCount(source, table);
        {
            // Row by row the triggers would add every copied row up once more.
            PausaResumenes pausa(target);
            for (const QString& table : tables)
                copyRows(source, target, table, step, progress);
            pausa.reanudar();
        }
        rehacerResumenes(target);
        setUserVersion(target, userVersion(source));
        if (const Status same = compare(source, target, tables); !same)
            return same;
        t.commit();
    } catch (const DatabaseError& e) {
        return Status::failure(e.text());
    }
    return Status::success();
}

} // namespace

Status transferDatabase(const QString& from, const QString& to, const TransferProgress& progress) {
    if (from.trimmed().isEmpty() || to.trimmed().isEmpty())
        return Status::failure(QStringLiteral("Faltan la base de datos de origen o la de destino."));
    TDataModule1 source;
    QTemporaryDir scratch;
    Status opened = source.open(from);
    if (!opened)
        return Status::failure(
            QStringLiteral("No se puede abrir %1: %2").arg(withoutPassword(from), opened.error()));
    if (!source.isCurrentVersion()) {
        if (source.isServer())
            return Status::failure(
                QStringLiteral(
                    "La base de datos %1 es de una versión antigua: actualícela antes como fichero.")
                    .arg(withoutPassword(from)));
        // An older layout is upgraded on a copy; the source stays as it is.
        source.close();
        if (!scratch.isValid())
            return Status::failure(QStringLiteral("No se puede crear una carpeta temporal."));
        const QString copy = scratch.filePath(QFileInfo(from).fileName());
        if (const Status copied = copyDatabase(from, copy); !copied)
            return copied;
        if (opened = source.open(copy); !opened)
            return opened;
        const Result<bool> upgraded = upgradeToCurrent(source.db(), {});
        if (!upgraded)
            return Status::failure(upgraded.error());
        if (!upgraded.value())
            return Status::failure(
                QStringLiteral("%1 no es una base de datos de ninguna versión conocida.").arg(from));
    }

    if (isServerAddress(to)) {
        TDataModule1 target;
        if (const Status o = target.open(to); !o)
            return Status::failure(
                QStringLiteral("No se puede abrir %1: %2").arg(withoutPassword(to), o.error()));
        for (const QString& table : target.db().tables()) {
            if (!isEngineTable(table))
                return Status::failure(
                    QStringLiteral("La base de datos %1 ya tiene tablas; solo se copia en una vacía.")
                        .arg(withoutPassword(to)));
        }
        return copyInto(source, target.db(), progress);
    }
    NewFile target(to);
    if (const Status o = target.open(); !o)
        return o;
    if (const Status copied = copyInto(source, target.db(), progress); !copied)
        return copied;
    return target.finish();
}

Status transferToFile(const TDataModule1& from, const QString& to, const TransferProgress& progress) {
    if (!from.isOpen() || !from.isCurrentVersion())
        return Status::failure(
            QStringLiteral("Solo se copia una base de datos abierta de la versión actual."));
    NewFile target(to);
    if (const Status o = target.open(); !o)
        return o;
    if (const Status copied = copyInto(from, target.db(), progress); !copied)
        return copied;
    return target.finish();
}

} // namespace store
