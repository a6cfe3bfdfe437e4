#include "store/maintenance.h"

#include "store/engine.h"
#include "store/sql.h"

#include <QSqlQuery>
#include <QStringList>

namespace store {

namespace {

QString quotedIdentifier(QString name) {
    return QLatin1Char('"') + name.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

} // namespace

Status vacuumDatabase(const QSqlDatabase& db, const MaintenanceProgress& progress) {
    if (engineOf(db) != Engine::PostgreSQL)
        return Status::failure(QStringLiteral("Un fichero se compacta con CompactarBase."));
    // The server refuses it there, and would abort the caller's transaction with it.
    if (inTransaction(db))
        return Status::failure(QStringLiteral("La compactación no puede hacerse dentro de una transacción."));
    try {
        QStringList tables;
        {
            QSqlQuery q = run(db, QStringLiteral("SELECT tablename FROM pg_tables WHERE schemaname = "
                                                 "current_schema() ORDER BY tablename"));
            while (q.next())
                tables << q.value(0).toString();
        }
        const int total = int(tables.size());
        for (int i = 0; i < total; ++i) {
            if (progress)
                progress(tables.at(i), i, total);
            run(db, QStringLiteral("VACUUM (ANALYZE) ") + quotedIdentifier(tables.at(i)));
        }
        if (progress)
            progress(QString(), total, total);
    } catch (const DatabaseError& e) {
        return Status::failure(e.text());
    }
    return Status::success();
}

Result<qint64> databaseSize(const QSqlDatabase& db) {
    try {
        if (engineOf(db) == Engine::PostgreSQL)
            return scalar(db, QStringLiteral("SELECT pg_database_size(current_database())")).toLongLong();
        return scalar(db, QStringLiteral("SELECT page_count * page_size FROM pragma_page_count(), "
                                         "pragma_page_size()"))
            .toLongLong();
    } catch (const DatabaseError& e) {
        return Result<qint64>::failure(e.text());
    }
}

} // namespace store
