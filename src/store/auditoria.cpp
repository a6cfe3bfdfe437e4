#include "store/auditoria.h"

#include "store/dialect.h"
#include "store/engine.h"
#include "store/schemaupdates.h"
#include "store/sql.h"

namespace store {

void auditar(const QSqlDatabase& db, const EntradaAuditoria& e) {
    const QDateTime when = e.cuando.isValid() ? e.cuando : QDateTime::currentDateTime();
    run(db,
        QStringLiteral(
            "INSERT INTO auditoria (FECHA, HORA, CONSOLA, OPERADOR, ACCION, OBJETO, ANTES, DESPUES) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
        {sqlValue(when.date()), sqlValue(when.time()), QVariant(writingConsole(db)), QVariant(e.operador),
         QVariant(e.accion), QVariant(e.objeto), QVariant(e.antes), QVariant(e.despues)});
}

void crearAuditoria(const QSqlDatabase& db) {
    if (hasTable(db, QStringLiteral("auditoria")))
        return;
    const Engine engine = engineOf(db);
    for (const QString& statement : schemaStatements(
             engine,
             QStringLiteral("CREATE TABLE auditoria (ID INTEGER PRIMARY KEY AUTOINCREMENT, FECHA TEXT, "
                            "HORA TEXT, CONSOLA TEXT, OPERADOR TEXT, ACCION TEXT, OBJETO TEXT, "
                            "ANTES TEXT, DESPUES TEXT)")))
        run(db, statement);
    run(db, QStringLiteral("CREATE INDEX auditoria_fecha ON auditoria (FECHA, HORA)"));
    // Append-only: a line once written is what the owner reads, whoever
    // holds the console afterwards.
    if (engine == Engine::PostgreSQL) {
        run(db, QStringLiteral("CREATE OR REPLACE FUNCTION auditoria_solo_anadir() RETURNS trigger AS $$ "
                               "BEGIN RAISE EXCEPTION 'El registro de auditoría solo admite líneas nuevas'; "
                               "END $$ LANGUAGE plpgsql"));
        run(db, QStringLiteral("CREATE TRIGGER auditoria_sin_cambios BEFORE UPDATE OR DELETE ON auditoria "
                               "FOR EACH ROW EXECUTE FUNCTION auditoria_solo_anadir()"));
        run(db, QStringLiteral("CREATE TRIGGER auditoria_sin_vaciar BEFORE TRUNCATE ON auditoria "
                               "FOR EACH STATEMENT EXECUTE FUNCTION auditoria_solo_anadir()"));
    } else {
        for (const char* event : {"UPDATE", "DELETE"})
            run(db,
                QStringLiteral("CREATE TRIGGER auditoria_sin_%1 BEFORE %2 ON auditoria BEGIN "
                               "SELECT RAISE(ABORT, 'El registro de auditoría solo admite líneas nuevas'); "
                               "END")
                    .arg(QString::fromLatin1(event).toLower(), QLatin1String(event)));
    }
}

QString diferencias(const QList<ValorAuditado>& antes, const QList<ValorAuditado>& despues) {
    QStringList lines;
    for (const ValorAuditado& b : antes) {
        for (const ValorAuditado& a : despues) {
            if (a.nombre == b.nombre && a.valor != b.valor)
                lines << QStringLiteral("%1: %2 -> %3").arg(b.nombre, b.valor, a.valor);
        }
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace store
