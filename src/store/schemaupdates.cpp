#include "store/schemaupdates.h"

#include "store/sql.h"
#include "store/transaction.h"

#include <QSqlRecord>

namespace store {

namespace {

void addColumnIfMissing(const QSqlDatabase& db, const QString& table, const QString& column,
                        const QString& type) {
    if (!hasColumn(db, table, column))
        run(db, QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" ADD COLUMN ") + column +
                    QLatin1Char(' ') + type);
}

// Each subsystem adds its steps here, newest last.
void runSteps(const QSqlDatabase& db) {
    // Mail: optional authentication and TLS of the two servers; empty is plain SMTP.
    for (const char* column : {"smtpusuario", "smtpclave", "usuarioinformes", "claveinformes"})
        addColumnIfMissing(db, QStringLiteral("webconfig"), QLatin1String(column), QStringLiteral("TEXT"));
    for (const char* column : {"smtptls", "tlsinformes"})
        addColumnIfMissing(db, QStringLiteral("webconfig"), QLatin1String(column), QStringLiteral("INTEGER"));
    // The listings and the cash report select by day (and time of day).
    run(db, QStringLiteral("CREATE INDEX IF NOT EXISTS ticket_fecha_hora ON ticket (FECHA, HORA)"));
    run(db, QStringLiteral("CREATE INDEX IF NOT EXISTS lintick_ticket ON lintick (ID_TICK)"));
    run(db, QStringLiteral("CREATE INDEX IF NOT EXISTS movcuentas_fecha ON movcuentas (FECHA)"));
    run(db, QStringLiteral("CREATE INDEX IF NOT EXISTS ciber_fecha ON ciber (FECHA)"));
}

} // namespace

bool hasColumn(const QSqlDatabase& db, const QString& table, const QString& column) {
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
