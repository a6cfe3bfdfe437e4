#include "support/faults.h"

#include "store/engine.h"
#include "store/sql.h"

void refuseWrites(const QSqlDatabase& db, const QString& name, const QString& event, const QString& table,
                  const QString& when) {
    if (store::engineOf(db) == store::Engine::PostgreSQL) {
        // A trigger there runs a function of its own.
        store::run(db, QStringLiteral("CREATE OR REPLACE FUNCTION %1_f() RETURNS trigger LANGUAGE plpgsql AS "
                                      "$$BEGIN RAISE EXCEPTION 'disco lleno'; END$$")
                           .arg(name));
        store::run(db,
                   QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW %4 EXECUTE FUNCTION %1_f()")
                       .arg(name, event, table,
                            when.isEmpty() ? QString() : QStringLiteral("WHEN (") + when + QLatin1Char(')')));
        return;
    }
    store::run(db, QStringLiteral(
                       "CREATE TRIGGER %1 BEFORE %2 ON %3 %4 BEGIN SELECT RAISE(ABORT, 'disco lleno'); END")
                       .arg(name, event, table, when.isEmpty() ? QString() : QStringLiteral("WHEN ") + when));
}

void allowWrites(const QSqlDatabase& db, const QString& name, const QString& table) {
    if (store::engineOf(db) == store::Engine::PostgreSQL) {
        store::run(db, QStringLiteral("DROP TRIGGER %1 ON %2").arg(name, table));
        store::run(db, QStringLiteral("DROP FUNCTION %1_f()").arg(name));
        return;
    }
    store::run(db, QStringLiteral("DROP TRIGGER ") + name);
}
