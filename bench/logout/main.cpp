// Log-outs while the queues hold 200 000 pending rows each: the console's
// engine with its clock running on a timer, the station queue and the
// movement queue shown (offscreen) and following the bookings as the
// console does. A timer at the stations' poll pace records how late each of
// its timeouts came: that is how late a station's poll would be. First one
// customer logs out, then a burst of every station at once. Beside it, in
// the same run, what one reading of both queues cost before (every pending
// row at each booking).
//
//   BENCH_STATIONS  occupied stations, all logging out in the burst (default 1000)
//   BENCH_PENDING   pending tickets and movements each (default 200000)
//
// The database is built once into /tmp/bench-logout-<pending>-<stations>.db
// and copied for each run.
#include "accounts/frmcolamovcuentas.h"
#include "benchload.h"
#include "core/consolecontext.h"
#include "pendingdb.h"
#include "sales/frmcolpue.h"
#include "sales/pendingtickets.h"
#include "session/engine.h"
#include "store/datamodule.h"
#include "store/newdatabase.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "store/transaction.h"
#include "store/views.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int PollMs = 100;

int envInt(const char* name, int fallback) {
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok && v > 0 ? v : fallback;
}

struct Lateness {
    std::vector<double> samples;
    double doneMs = -1;
    double worst() const { return samples.empty() ? 0 : *std::max_element(samples.begin(), samples.end()); }
    double p99() const {
        if (samples.empty())
            return 0;
        std::vector<double> s = samples;
        std::sort(s.begin(), s.end());
        return s[std::min(s.size() - 1, s.size() * 99 / 100)];
    }
};

// Runs the event loop for ms while the poll timer records its lateness;
// done, when given, is asked at each timeout and the first time it answers
// true is kept (ms from the start).
Lateness watch(int ms, const std::function<void()>& atStart, const std::function<bool()>& done = {}) {
    Lateness late;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    poll.setInterval(PollMs);
    QElapsedTimer since;
    QElapsedTimer run;
    run.start();
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const double gap = double(since.nsecsElapsed()) / 1e6;
        since.restart();
        late.samples.push_back(std::max(0.0, gap - PollMs));
        if (done && late.doneMs < 0 && done())
            late.doneMs = double(run.nsecsElapsed()) / 1e6;
    });
    since.start();
    poll.start();
    QTimer::singleShot(PollMs / 2, atStart);
    while (run.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    return late;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int stations = envInt("BENCH_STATIONS", 1000);
    const int pending = envInt("BENCH_PENDING", 200000);
    const QString source = QStringLiteral("/tmp/bench-logout-%1-%2.db").arg(pending).arg(stations);
    // Two years of history: four settled rows for every pending one, in front of them.
    if (!buildPendingDatabase(source, stations, pending * 4, pending)) {
        std::fprintf(stderr, "cannot build %s\n", qPrintable(source));
        return 1;
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ciber.mdb"));
    QFile::copy(source, path);

    TDataModule1 data;
    if (!data.open(path))
        return 1;
    ConsoleContext context;
    context.data = &data;
    context.regional = Regional::spanishSpain();
    context.currentOperator = QStringLiteral("CAJA");
    context.settings = store::runtimeSettings(store::readOpciones(data.db()));
    ConsoleEngine engine(context);
    if (!engine.cargarTarifas() || !engine.puestos().CargarPuestos(nullptr))
        return 1;

    // The queues as the console shows them, following the bookings.
    sales::PendingTicketsModel ticketsModel(context);
    TFrmColPue tickets(context, ticketsModel);
    accounts::MovimientosPendientesModel movementsModel(context);
    TFrmcolamovcuentas movements(context, movementsModel);
    QObject::connect(&engine, &ConsoleEngine::ticketsChanged, &tickets, &TFrmColPue::refresh);
    QObject::connect(&engine, &ConsoleEngine::ticketsChanged, &movements, &TFrmcolamovcuentas::refresh);
    for (QWidget* w : {static_cast<QWidget*>(&tickets), static_cast<QWidget*>(&movements)}) {
        w->resize(900, 300);
        w->show();
    }

    session::AperturaPedido pedido;
    pedido.tariffName = QStringLiteral("NORMAL");
    for (int pos = 0; pos < engine.puestos().count(); ++pos)
        engine.abrirPuesto(pos, pedido);
    engine.reloj().start();
    watch(3000, [] {});
    (void)engine.reloj().takeTickFigures();

    std::printf("Log-outs with %d pending tickets and %d pending movements, %d occupied stations\n", pending,
                pending, stations);
    std::printf("load average: %s\n\n", qPrintable(loadAverage()));
    std::printf("%-36s %12s %12s %14s\n", "", "poll late", "p99 late", "longest tick");

    const auto report = [&](const char* what, const Lateness& late) {
        const session::StationClock::TickFigures f = engine.reloj().takeTickFigures();
        std::printf("%-36s %9.1f ms %9.1f ms %11.1f ms\n", what, late.worst(), late.p99(), f.maxMs);
    };
    report("one customer logs out", watch(4000, [&] { engine.cerrarPuesto(0); }));
    const auto allBooked = [&] {
        for (int pos = 0; pos < engine.puestos().count(); ++pos)
            if (engine.puestos().at(pos).rec().bookingPending() || engine.puestos().at(pos).rec().occupied())
                return false;
        return true;
    };
    const Lateness burst = watch(
        15000,
        [&] {
            for (int pos = 1; pos < engine.puestos().count(); ++pos)
                engine.cerrarPuesto(pos);
        },
        allBooked);
    report("all the others log out at once", burst);
    std::printf("the burst's %d ends all booked after %.1f s (a booking budget of %d ms a tick)\n",
                engine.puestos().count() - 1, burst.doneMs / 1000, session::StationClock::BookingBudgetMs);
    const int left = store::toInt(
        store::scalar(data.db(), QStringLiteral("SELECT COUNT(*) FROM puestos WHERE estado <> 1")));
    std::printf("stations still waiting for their booking: %d; rows shown: %d tickets, %d movements\n", left,
                ticketsModel.rowCount(), movementsModel.rowCount());

    // The same run's comparison: what every booking cost the queues before.
    engine.reloj().stop();
    QElapsedTimer before;
    before.start();
    const size_t rows =
        store::pendingTickets(data.db(), true).size() + store::pendingMovements(data.db(), true).size();
    (void)store::pendingTicketsDigest(data.db());
    (void)store::pendingMovementsDigest(data.db());
    const double fullMs = double(before.nsecsElapsed()) / 1e6;
    QElapsedTimer now;
    now.start();
    ticketsModel.refreshIfChanged();
    movementsModel.refreshIfChanged();
    const double windowMs = double(now.nsecsElapsed()) / 1e6;
    std::printf("\none reading of both queues after a booking: %.1f ms now (the loaded rows), %.1f ms before "
                "(all %zu pending rows)\n",
                windowMs, fullMs, rows);
    std::printf("load average: %s\n", qPrintable(loadAverage()));
    return 0;
}
