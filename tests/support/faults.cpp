#include "support/faults.h"

#include "store/engine.h"
#include "store/sql.h"

void refuseWrites(const QSqlDatabase& db, const QString& name, const QString& event, const QString& table,
                  const QString& when) {
    const QString condition = when.isEmpty() ? QStringLiteral("TRUE") : when;
    if (store::engineOf(db) == store::Engine::PostgreSQL) {
        // The server's triggers run a function, and take no subquery in
        // their own condition: the function tests it.
        store::run(db,
                   QStringLiteral("CREATE OR REPLACE FUNCTION %1_f() RETURNS trigger LANGUAGE plpgsql AS $$ "
                                  "BEGIN IF %2 THEN RAISE EXCEPTION 'disco lleno'; END IF; "
                                  "IF TG_OP = 'DELETE' THEN RETURN OLD; END IF; RETURN NEW; END $$")
                       .arg(name, condition));
        store::run(db,
                   QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW EXECUTE FUNCTION %1_f()")
                       .arg(name, event, table));
        return;
    }
    store::run(db,
               QStringLiteral(
                   "CREATE TRIGGER %1 BEFORE %2 ON %3 WHEN %4 BEGIN SELECT RAISE(ABORT, 'disco lleno'); END")
                   .arg(name, event, table, condition));
}

void allowWrites(const QSqlDatabase& db, const QString& name, const QString& table) {
    if (store::engineOf(db) == store::Engine::PostgreSQL) {
        store::run(db, QStringLiteral("DROP TRIGGER %1 ON %2").arg(name, table));
        store::run(db, QStringLiteral("DROP FUNCTION %1_f()").arg(name));
        return;
    }
    store::run(db, QStringLiteral("DROP TRIGGER ") + name);
}
