#include "store/replica.h"

#include "store/datamodule.h"
#include "store/dbfile.h"
#include "store/sql.h"
#include "store/transaction.h"

namespace store {

namespace {

const QString kPulseFinalizar = QStringLiteral("Pulse \"Finalizar\" para cerrar esta ventana...");

// Answers false when the purge was cancelled.
bool purgeTickets(const QSqlDatabase& db, const ReplicaPlan& plan, ReplicaObserver& observer) {
    if (!plan.before) {
        Transaction t(db);
        run(db, QStringLiteral("delete FROM ticket"));
        run(db, QStringLiteral("delete FROM lintick"));
        t.commit();
        return true;
    }
    const QVariant fecha1 = sqlValue(*plan.before);
    observer.line(QStringLiteral("Borrando registros de la tabla tickets..."));
    QList<QVariant> ids;
    {
        QSqlQuery q = run(db, QStringLiteral("select id_tick  from ticket where fecha < ?"), {fecha1});
        while (q.next())
            ids << q.value(0);
    }
    observer.ticketPurgeStarted(ids.isEmpty() ? 100 : static_cast<int>(ids.size()));
    for (int i = 0; i < ids.size(); ++i) {
        {
            Transaction t(db);
            run(db, QStringLiteral("delete from lintick where id_tick=?"), {ids.at(i)});
            run(db, QStringLiteral("delete from ticket where id_tick=?"), {ids.at(i)});
            t.commit();
        }
        observer.ticketPurged(i + 1);
        if (observer.cancelRequested()) {
            observer.ticketPurgeEnded(true);
            return false;
        }
    }
    run(db, QStringLiteral("DELETE from ticket where fecha < ?"), {fecha1});
    observer.ticketPurgeEnded(false);
    return true;
}

} // namespace

ReplicaEnd runReplica(const ReplicaPlan& plan, ReplicaObserver& observer) {
    observer.line(QStringLiteral("Espere un momento..."));
    if (!copyDatabase(plan.databasePath, plan.copyPath)) {
        observer.line(QStringLiteral("No se ha podido copiar el fichero: ") + plan.copyName);
        return ReplicaEnd::CopyFailed;
    }

    {
        TDataModule1 data;
        const Status opened = data.open(plan.databasePath);
        if (!opened) {
            observer.failure(opened.error());
            return ReplicaEnd::Failed;
        }
        const QSqlDatabase db = data.db();
        const std::optional<QVariant> fecha1 =
            plan.before ? std::optional<QVariant>(sqlValue(*plan.before)) : std::nullopt;
        try {
            if (plan.tickets) {
                if (!purgeTickets(db, plan, observer)) {
                    observer.line(
                        QStringLiteral("El proceso de replicación ha sido cancelado por el usuario..."));
                    observer.line(kPulseFinalizar);
                    return ReplicaEnd::Cancelled;
                }
                observer.line(QStringLiteral("Se han descargado los registros de la tabla Tickets..."));
            }
            if (plan.movcuentas) {
                if (fecha1)
                    run(db, QStringLiteral("delete FROM movcuentas WHERE movcuentas.fecha < ?"), {*fecha1});
                else
                    run(db, QStringLiteral("delete FROM movcuentas"));
                observer.line(
                    QStringLiteral("Se han descargado los registros de la tabla Movimientos de cuentas..."));
            }
            if (plan.ciber) {
                if (fecha1)
                    run(db, QStringLiteral("delete FROM ciber WHERE ciber.fecha < ?"), {*fecha1});
                else
                    run(db, QStringLiteral("delete FROM ciber"));
                observer.line(QStringLiteral("Se han descargado los registros de la tabla Ciber..."));
            }
        } catch (const DatabaseError& e) {
            observer.failure(e.text());
            observer.line(kPulseFinalizar);
            return ReplicaEnd::Failed;
        }
    }

    const Status compacted = CompactarBase(plan.databasePath);
    if (compacted)
        observer.line(QStringLiteral("Se ha compactado la base de datos..."));
    else
        observer.failure(compacted.error());
    observer.line(QStringLiteral("El proceso de replicación ha finalizado con exito..."));
    observer.line(kPulseFinalizar);
    return ReplicaEnd::Finished;
}

} // namespace store
