#include "store/replica.h"

#include "store/datamodule.h"
#include "store/dbfile.h"
#include "store/engine.h"
#include "store/maintenance.h"
#include "store/resumenes.h"
#include "store/sql.h"
#include "store/transaction.h"
#include "store/transfer.h"

#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <optional>
#include <vector>

namespace store {

namespace {

const QString kPulseFinalizar = QStringLiteral("Pulse \"Finalizar\" para cerrar esta ventana...");

// Answers false when the purge was cancelled.
bool purgeTickets(const QSqlDatabase& db, const ReplicaPlan& plan, ReplicaObserver& observer) {
    if (!plan.before) {
        Transaction t(db);
        PausaResumenes pausa(db);
        run(db, QStringLiteral("delete FROM ticket"));
        run(db, QStringLiteral("delete FROM lintick"));
        vaciarResumenes(db, QStringLiteral("ticket"));
        pausa.reanudar();
        t.commit();
        return true;
    }
    const QVariant fecha1 = sqlValue(*plan.before);
    observer.line(QStringLiteral("Borrando registros de la tabla tickets..."));
    std::vector<qint64> ids;
    {
        QSqlQuery q =
            run(db, QStringLiteral("select id_tick from ticket where fecha < ? order by id_tick"), {fecha1});
        while (q.next())
            ids.push_back(q.value(0).toLongLong());
    }
    const int total = static_cast<int>(ids.size());
    observer.ticketPurgeStarted(total == 0 ? 100 : total);

    // The tickets of a run of numbers go in one statement with their lines,
    // and leave the summaries in one more instead of line by line.
    const QString span = QStringLiteral("ticket.ID_TICK BETWEEN ? AND ? AND ticket.FECHA < ?");
    const QString lines =
        QStringLiteral("delete from lintick where id_tick in (select ticket.id_tick from ticket "
                       "where ") +
        span + QLatin1Char(')');
    const QString tickets = QStringLiteral("delete from ticket where ") + span;
    constexpr int stepRows = 256;
    // A commit per ticket costs a disk sync each; a batch is committed after
    // batchRows tickets or batchMs, and only then is the bar moved and a
    // cancel taken, so a cancel keeps whole batches and every ticket goes
    // with its lines or stays with them.
    std::optional<Transaction> batch;
    std::optional<PausaResumenes> pausa;
    QElapsedTimer batchTime;
    int inBatch = 0;
    for (int i = 0; i < total;) {
        if (!batch) {
            batch.emplace(db);
            pausa.emplace(db);
            batchTime.start();
            inBatch = 0;
        }
        const int step = std::min({stepRows, std::max(1, plan.batchRows - inBatch), total - i});
        const QVariantList values{ids[static_cast<size_t>(i)], ids[static_cast<size_t>(i + step - 1)],
                                  fecha1};
        restarDeResumenes(db, QStringLiteral("ticket"), span, values);
        run(db, lines, values);
        run(db, tickets, values);
        i += step;
        inBatch += step;
        const bool last = i == total;
        if (last || inBatch >= plan.batchRows || batchTime.elapsed() >= plan.batchMs) {
            pausa->reanudar();
            pausa.reset();
            if (last)
                run(db, QStringLiteral("DELETE from ticket where fecha < ?"), {fecha1});
            batch->commit();
            batch.reset();
            observer.ticketPurged(i);
            if (observer.cancelRequested()) {
                observer.ticketPurgeEnded(true);
                return false;
            }
        }
    }
    if (total == 0)
        run(db, QStringLiteral("DELETE from ticket where fecha < ?"), {fecha1});
    observer.ticketPurgeEnded(false);
    return true;
}

// A dated purge of a table that feeds summaries: the rows leave them in
// one statement, not one trigger run each.
void purgeDated(const QSqlDatabase& db, const QString& table, const std::optional<QVariant>& before) {
    Transaction t(db);
    PausaResumenes pausa(db);
    if (before) {
        const QString where = table + QStringLiteral(".fecha < ?");
        restarDeResumenes(db, table, where, {*before});
        run(db, QStringLiteral("delete FROM ") + table + QStringLiteral(" WHERE ") + where, {*before});
    } else {
        run(db, QStringLiteral("delete FROM ") + table);
        vaciarResumenes(db, table);
    }
    pausa.reanudar();
    t.commit();
}

// The ticked tables of the working database; false when the ticket purge was cancelled.
bool purgeHistory(const QSqlDatabase& db, const ReplicaPlan& plan, ReplicaObserver& observer) {
    const std::optional<QVariant> fecha1 =
        plan.before ? std::optional<QVariant>(sqlValue(*plan.before)) : std::nullopt;
    if (plan.tickets) {
        if (!purgeTickets(db, plan, observer))
            return false;
        observer.line(QStringLiteral("Se han descargado los registros de la tabla Tickets..."));
    }
    if (plan.movcuentas) {
        purgeDated(db, QStringLiteral("movcuentas"), fecha1);
        observer.line(
            QStringLiteral("Se han descargado los registros de la tabla Movimientos de cuentas..."));
    }
    if (plan.ciber) {
        purgeDated(db, QStringLiteral("ciber"), fecha1);
        observer.line(QStringLiteral("Se han descargado los registros de la tabla Ciber..."));
    }
    return true;
}

ReplicaEnd cancelled(ReplicaObserver& observer) {
    observer.line(QStringLiteral("El proceso de replicación ha sido cancelado por el usuario..."));
    observer.line(kPulseFinalizar);
    return ReplicaEnd::Cancelled;
}

ReplicaEnd failed(ReplicaObserver& observer, const QString& text) {
    observer.failure(text);
    observer.line(kPulseFinalizar);
    return ReplicaEnd::Failed;
}

ReplicaEnd finished(ReplicaObserver& observer, const Status& compacted) {
    if (compacted)
        observer.line(QStringLiteral("Se ha compactado la base de datos..."));
    else
        observer.failure(compacted.error());
    observer.line(QStringLiteral("El proceso de replicación ha finalizado con exito..."));
    observer.line(kPulseFinalizar);
    return ReplicaEnd::Finished;
}

// The transaction of a server replica: rolled back on every way out but the commit.
class SnapshotTransaction {
public:
    explicit SnapshotTransaction(QSqlDatabase db)
        : m_db(std::move(db)) {
        run(m_db, QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ"));
    }
    ~SnapshotTransaction() {
        if (m_done)
            return;
        QSqlQuery q(m_db);
        q.exec(QStringLiteral("ROLLBACK"));
    }
    SnapshotTransaction(const SnapshotTransaction&) = delete;
    SnapshotTransaction& operator=(const SnapshotTransaction&) = delete;

    // Still ours: nothing on the way committed or ended it.
    bool open() const { return inTransaction(m_db) && !transactionFailed(m_db); }
    void commit() {
        if (!open())
            throw DatabaseError(QStringLiteral("La transacción se interrumpió por un error anterior."));
        run(m_db, QStringLiteral("COMMIT"));
        m_done = true;
    }

private:
    QSqlDatabase m_db;
    bool m_done = false;
};

ReplicaEnd runServerReplica(const ReplicaPlan& plan, ReplicaObserver& observer) {
    TDataModule1 data;
    if (const Status opened = data.open(plan.databasePath, plan.password); !opened)
        return failed(observer, opened.error());
    const QSqlDatabase db = data.db();
    try {
        SnapshotTransaction snapshot(db);
        // The archive is this snapshot's copy; it must be whole and on disk
        // before a row of the server goes. A large one takes minutes: its
        // rows move the bar, and a cancel meanwhile purges nothing.
        int shown = -1;
        Status archived = transferToFile(data, plan.copyPath, [&](const TransferStep& step) {
            const int percent = step.total > 0 ? int(step.rows * 100 / step.total) : 100;
            if (percent != shown)
                observer.archiveProgress(shown = percent);
        });
        if (archived)
            archived = syncToDisk(plan.copyPath);
        const bool stop = archived && observer.cancelRequested();
        observer.archiveEnded(stop || !archived);
        if (!archived || !snapshot.open()) {
            observer.line(QStringLiteral("No se ha podido copiar el fichero: ") + plan.copyName);
            return ReplicaEnd::CopyFailed;
        }
        if (stop)
            return cancelled(observer);
        if (!purgeHistory(db, plan, observer))
            return cancelled(observer);
        snapshot.commit();
    } catch (const DatabaseError& e) {
        return failed(observer, e.text());
    }
    return finished(observer, vacuumDatabase(db));
}

} // namespace

ReplicaEnd runReplica(const ReplicaPlan& plan, ReplicaObserver& observer) {
    observer.line(QStringLiteral("Espere un momento..."));
    if (isServerAddress(plan.databasePath))
        return runServerReplica(plan, observer);
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
        try {
            if (!purgeHistory(data.db(), plan, observer))
                return cancelled(observer);
        } catch (const DatabaseError& e) {
            return failed(observer, e.text());
        }
    }
    return finished(observer, CompactarBase(plan.databasePath));
}

} // namespace store
