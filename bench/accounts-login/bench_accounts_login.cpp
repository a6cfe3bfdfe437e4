// The log-in decision against a large accounts table, and a burst of
// log-ins from many stations handled in one poll interval.
// Run: build/dev/bin/bench-accounts-login [accounts] [lookups] [stations]

#include "accounts/accountdecisions.h"
#include "core/consolecontext.h"
#include "session/engine.h"
#include "store/datamodule.h"
#include "store/newdatabase.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "store/transaction.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

QString loginOf(int i) {
    return QStringLiteral("C%1").arg(i, 7, 10, QLatin1Char('0'));
}

void addAccounts(const QSqlDatabase& db, int count) {
    store::Transaction tx(db);
    QSqlQuery q(db);
    q.prepare(
        QStringLiteral("INSERT INTO cuentas (Login, Pass, Tipo, Tarifa, credito, Bonotiempo, Bloquear, "
                       "Alta, Ultima) VALUES (?, 'pw', ?, ?, 100000, 36000, 1, date('now'), date('now'))"));
    for (int i = 0; i < count; ++i) {
        const int kind = i % 3;
        q.addBindValue(loginOf(i));
        q.addBindValue(kind == 0   ? QStringLiteral("0")
                       : kind == 1 ? QStringLiteral("1")
                                   : QStringLiteral("2"));
        q.addBindValue(kind == 0   ? QStringLiteral("NORMAL")
                       : kind == 1 ? QStringLiteral("FRANJA HORARIA")
                                   : QStringLiteral("BONO TIEMPO"));
        if (!q.exec())
            qFatal("insert failed");
    }
    tx.commit();
}

void addStations(const QSqlDatabase& db, int count) {
    store::Transaction tx(db);
    store::run(db, QStringLiteral("DELETE FROM puestos"));
    for (int n = 1; n <= count; ++n) {
        const int b = 10 + n / 250, c = n % 250 + 1;
        store::run(db,
                   QStringLiteral("INSERT INTO puestos (npuesto, ip, ip1, ip2, ip3, ip4, host) "
                                  "VALUES (?, ?, 127, 3, ?, ?, '')"),
                   {n, QStringLiteral("127.3.%1.%2").arg(b).arg(c), b, c});
    }
    tx.commit();
}

double percentile(std::vector<qint64>& ns, double p) {
    std::sort(ns.begin(), ns.end());
    const size_t i = std::min(ns.size() - 1, size_t(p * double(ns.size())));
    return double(ns[i]) / 1e6;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int accounts = args.size() > 1 ? args[1].toInt() : 100000;
    const int lookups = args.size() > 2 ? args[2].toInt() : 20000;
    const int stations = args.size() > 3 ? args[3].toInt() : 1000;
    QTextStream out(stdout);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ciber.mdb"));
    if (!store::createDatabase(path, true))
        qFatal("cannot create the database");
    TDataModule1 data;
    if (!data.open(path))
        qFatal("cannot open the database");
    const QSqlDatabase db = data.db();
    addAccounts(db, accounts);
    addStations(db, stations);

    ConsoleContext context;
    context.data = &data;
    context.regional = Regional::spanishSpain();
    context.settings = store::runtimeSettings(store::readOpciones(db));
    ConsoleEngine engine(context);
    if (!engine.cargarTarifas() || !engine.puestos().CargarPuestos(nullptr))
        qFatal("cannot load the engine");
    accounts::AccountDecisions decisions(context, engine.tarifas(), engine.puestos().loginsInUse(), {});
    engine.setAccountDecisions(&decisions);

    // 1. One decision at a time, random accounts of every type.
    std::vector<qint64> ns;
    ns.reserve(size_t(lookups));
    QRandomGenerator rng(42);
    int accepted = 0;
    for (int i = 0; i < lookups; ++i) {
        station::StationRecord rec;
        const QString request = loginOf(int(rng.bounded(accounts))) + QStringLiteral("\tpw");
        QElapsedTimer t;
        t.start();
        accepted += decisions.checkLogin(rec, request) == 0;
        ns.push_back(t.nsecsElapsed());
    }
    const double median = percentile(ns, 0.5);
    const double p99 = percentile(ns, 0.99);
    out << "CheckStationLogin, " << accounts << " accounts, " << lookups << " log-ins (" << accepted
        << " accepted): median " << QString::number(median, 'f', 3) << " ms, p99 "
        << QString::number(p99, 'f', 3) << " ms\n";

    // 2. Every station sends a log-in in the same poll interval, each its
    // own account; then the clock tick that starts all the periods.
    ListaPuestos& lista = engine.puestos();
    std::vector<qint64> perStation;
    QElapsedTimer burst;
    burst.start();
    for (int pos = 0; pos < lista.count(); ++pos) {
        QElapsedTimer t;
        t.start();
        lista.at(pos).tarea->handleReply(
            (QStringLiteral("CLI\t") + loginOf(pos) + QStringLiteral("\tpw")).toLatin1());
        perStation.push_back(t.nsecsElapsed());
    }
    const double burstMs = double(burst.nsecsElapsed()) / 1e6;
    int occupied = 0;
    for (int pos = 0; pos < lista.count(); ++pos)
        occupied += lista.at(pos).rec().occupied();
    QElapsedTimer tick;
    tick.start();
    engine.reloj().tick(context.clock->monotonicMs());
    const double tickMs = double(tick.nsecsElapsed()) / 1e6;
    const double worst = percentile(perStation, 1.0);
    out << stations << " stations log in within one poll interval (" << context.settings.pollIntervalMs
        << " ms): " << occupied << " accepted, all handled in " << QString::number(burstMs, 'f', 1)
        << " ms (slowest " << QString::number(worst, 'f', 3) << " ms); the tick that starts them "
        << QString::number(tickMs, 'f', 1) << " ms\n";
    return 0;
}
