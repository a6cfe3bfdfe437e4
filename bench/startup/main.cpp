// The console's start-up on a big database: from opening it to the main
// window shown, as the program does once the operator has logged in (every
// controller, the start-up steps, the station links started, the queues
// docked and shown). Beside it, in the same run, what reading every pending
// row of both queues costs, as the start-up did before.
//
//   BENCH_STATIONS  stations (default 9999)
//   BENCH_PENDING   pending tickets and pending movements each (default 1000000)
//
// The database is built once into /tmp/bench-startup-<pending>-<stations>.db
// (a few minutes) and copied into a console home for each run.
#include "app/accountscontroller.h"
#include "app/admincontroller.h"
#include "app/codigoscontroller.h"
#include "app/frmmain.h"
#include "app/lifecycle.h"
#include "app/paths.h"
#include "app/salescontroller.h"
#include "app/sessioncontroller.h"
#include "app/stationcontroller.h"
#include "benchload.h"
#include "core/consolecontext.h"
#include "pendingdb.h"
#include "sales/pendingtickets.h"
#include "session/engine.h"
#include "station/filelimit.h"
#include "store/datamodule.h"
#include "store/newdatabase.h"
#include "store/sql.h"
#include "store/transaction.h"
#include "store/views.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>

#include <sys/resource.h>

namespace {

int envInt(const char* name, int fallback) {
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok && v > 0 ? v : fallback;
}

double peakRssMiB() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const int stations = envInt("BENCH_STATIONS", 9999);
    const int pending = envInt("BENCH_PENDING", 1000000);
    const QString source = QStringLiteral("/tmp/bench-startup-%1-%2.db").arg(pending).arg(stations);
    {
        QCoreApplication builder(argc, argv);
        if (!buildPendingDatabase(source, stations, 0, pending)) {
            std::fprintf(stderr, "cannot build %s\n", qPrintable(source));
            return 1;
        }
    }
    QTemporaryDir home;
    QDir(home.path()).mkpath(QStringLiteral("database"));
    const QString path = home.filePath(QStringLiteral("database/ciber.mdb"));
    if (!QFile::copy(source, path))
        return 1;
    // The copy is read once before the clock starts, as a console's database
    // sits in the page cache of a computer that used it the day before.
    {
        QFile warm(path);
        if (warm.open(QIODevice::ReadOnly))
            while (!warm.read(1 << 20).isEmpty()) {
            }
    }
    const double rssBefore = peakRssMiB();

    QElapsedTimer took;
    took.start();
    QApplication application(argc, argv);
    TFrmMain mainWindow;
    TDataModule1 data;
    ConsoleContext context;
    context.data = &data;
    context.currentOperator = QStringLiteral("ADMIN");
    context.workingDatabase = QStringLiteral("ciber.mdb");
    const app::Paths paths = app::Paths::forConsole(home.path());
    if (!data.open(path))
        return 1;
    const double openedMs = double(took.nsecsElapsed()) / 1e6;
    station::raiseOpenFileLimit();
    ConsoleEngine engine(context);
    StationController stationsController(engine, mainWindow);
    SessionController sessions(engine, mainWindow, stationsController);
    AccountsController accounts(engine, mainWindow, stationsController);
    CodigosController codigos(engine, mainWindow, accounts);
    AdminController admin(engine, mainWindow, stationsController);
    SalesController sales(engine, mainWindow, stationsController, sessions);
    ConsoleLifecycle lifecycle(context, paths, mainWindow, engine);
    lifecycle.addGridParticipant(&sessions);
    lifecycle.addGridParticipant(&accounts);
    lifecycle.addGridParticipant(&codigos);
    const double builtMs = double(took.nsecsElapsed()) / 1e6;
    if (!lifecycle.afterLogin()) {
        std::fprintf(stderr, "the start-up failed: %s\n",
                     qPrintable(lifecycle.problems().join(QLatin1Char('\n'))));
        return 1;
    }
    const double afterLoginMs = double(took.nsecsElapsed()) / 1e6;
    mainWindow.show();
    lifecycle.restoreLayout();
    // Both queues docked and shown, as a café that keeps them open has them.
    mainWindow.action(QStringLiteral("verColaPuestos"))->trigger();
    mainWindow.action(QStringLiteral("verMovimientos"))->trigger();
    QApplication::processEvents();
    QApplication::processEvents();
    const double startMs = double(took.nsecsElapsed()) / 1e6;
    const double rssAfter = peakRssMiB();

    // The comparison, on the same database in the same run.
    QElapsedTimer before;
    before.start();
    const size_t rows =
        store::pendingTickets(data.db(), true).size() + store::pendingMovements(data.db(), true).size();
    const double fullMs = double(before.nsecsElapsed()) / 1e6;
    const double rssFull = peakRssMiB();

    std::printf("Start-up to the main window: %d stations, %d pending tickets and %d pending movements\n",
                stations, pending, pending);
    std::printf("load average: %s\n", qPrintable(loadAverage()));
    std::printf("  start-up:                  %8.0f ms, peak RSS %.0f MiB (%.0f MiB before the console)\n",
                startMs, rssAfter, rssBefore);
    std::printf(
        "  of it: database open %.0f ms, windows built %.0f ms, start-up steps %.0f ms, shown %.0f ms\n",
        openedMs, builtMs - openedMs, afterLoginMs - builtMs, startMs - afterLoginMs);
    std::printf("  station queue rows read:   %d\n", sessions.queueModel()->rowCount());
    std::printf(
        "  reading every pending row: %8.0f ms (%zu rows; peak RSS then %.0f MiB), as the start-up did "
        "before\n",
        fullMs, rows, rssFull);
    engine.puestos().stopAll();
    return 0;
}
