// Times the dated ticket purge of the replica: one commit per ticket against
// batched commits, on a database of N tickets with three lines each, all of
// them before the purge date.
//   build/dev/bin/bench-replica [N]   (default 100 000)

#include "store/datamodule.h"
#include "store/dbfile.h"
#include "store/newdatabase.h"
#include "store/replica.h"
#include "store/sql.h"
#include "store/transaction.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

QTextStream out(stdout);

struct Quiet : store::ReplicaObserver {
    void line(const QString&) override {}
    void ticketPurgeStarted(int) override {}
    void ticketPurged(int) override { ++reports; }
    bool cancelRequested() override { return false; }
    void ticketPurgeEnded(bool) override {}
    void failure(const QString& text) override { out << "failure: " << text << Qt::endl; }
    int reports = 0;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int tickets = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    const QString model = dir.filePath(QStringLiteral("model.mdb"));
    if (!store::createDatabase(model, false)) {
        out << "cannot create " << model << Qt::endl;
        return 1;
    }
    {
        TDataModule1 data;
        if (!data.open(model))
            return 1;
        const QSqlDatabase db = data.db();
        store::Transaction t(db);
        for (int i = 1; i <= tickets; ++i) {
            store::run(db,
                       QStringLiteral(
                           "INSERT INTO ticket (ID_TICK, NUM_TICKET, FECHA, IMPORTE) VALUES (?, ?, ?, ?)"),
                       {i, QString::number(i), QStringLiteral("2024-06-01"), 15000});
            for (int j = 0; j < 3; ++j)
                store::run(
                    db,
                    QStringLiteral("INSERT INTO lintick (ID_TICK, CODIGO, IMPORTE) VALUES (?, 'CAFE', 5000)"),
                    {i});
        }
        t.commit();
    }
    out << tickets << " tickets, " << 3 * tickets << " lines" << Qt::endl;
    for (const int batchRows : {1, 1000}) {
        const QString work = dir.filePath(QStringLiteral("work%1.mdb").arg(batchRows));
        if (!store::copyDatabase(model, work))
            return 1;
        store::ReplicaPlan plan;
        plan.databasePath = work;
        plan.copyPath = dir.filePath(QStringLiteral("archive%1.mdb").arg(batchRows));
        plan.copyName = QStringLiteral("archive");
        plan.before = QDate(2025, 1, 1);
        plan.tickets = true;
        plan.movcuentas = plan.ciber = false;
        plan.batchRows = batchRows;
        Quiet quiet;
        QElapsedTimer t;
        t.start();
        store::runReplica(plan, quiet);
        out << "batch of " << batchRows << ": " << t.elapsed() << " ms (copy and compaction included), "
            << quiet.reports << " commits" << Qt::endl;
    }
    return 0;
}
