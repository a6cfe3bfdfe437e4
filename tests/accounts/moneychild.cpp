// A console with one simulated station whose customer logs in with the demo's
// time account 10004, until the process is killed. The crash test kills it
// with SIGKILL at the instant it reports and checks what the next start finds.
//
//   moneychild DATABASE login     READY right after the log-in
//   moneychild DATABASE voucher   ten minutes of play, the periodic save, then
//                                 a one-hour voucher sold to the account: READY

#include "accounts/accountdecisions.h"
#include "accounts/movimientos.h"
#include "core/consolecontext.h"
#include "session/engine.h"
#include "sim/simulator.h"
#include "station/stationaddress.h"
#include "store/datamodule.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "support/loopback.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTcpServer>
#include <QTimer>

#include <cstdio>

namespace {

constexpr int Station = 4;

bool waitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QString mode = QString::fromLatin1(argv[2]);
    TDataModule1 data;
    if (!data.open(QString::fromLocal8Bit(argv[1])))
        return 3;
    const QSqlDatabase db = data.db();
    FakeClock clock(QDateTime(QDate(2026, 3, 10), QTime(11, 0, 0)));
    ConsoleContext context;
    context.data = &data;
    context.regional = Regional::spanishSpain();
    context.clock = &clock;
    context.currentOperator = QStringLiteral("CAJA");
    context.settings = store::runtimeSettings(store::readOpciones(db));

    // Station 4 on an address of this process only, played by the simulator.
    const QHostAddress base = loopbackBase(61);
    const quint16 port = freePort(base);
    if (port == 0)
        return 4;
    store::run(db, QStringLiteral("UPDATE cuentas SET Alta = ?, Ultima = ?"),
               {clock.now().date().addDays(-40), clock.now().date().addDays(-2)});
    store::run(db, QStringLiteral("UPDATE puestos SET ip = ?, host = '' WHERE npuesto = ?"),
               {base.toString(), Station});
    store::run(db, QStringLiteral("DELETE FROM puestos WHERE npuesto <> ?"), {Station});

    ConsoleEngine engine(context);
    accounts::AccountDecisions decisions(context, engine.tarifas(), engine.puestos().loginsInUse(), {});
    engine.setAccountDecisions(&decisions);
    ListaPuestos& puestos = engine.puestos();
    if (!engine.cargarTarifas() || !puestos.CargarPuestos(nullptr))
        return 5;
    puestos.scheduler().setDrive(station::LinkScheduler::Drive::Manual);
    puestos.linkEnvironment().port = port;
    int exchanges = 0;
    QObject::connect(puestos.at(0).tarea.get(), &TTareaCliente::exchangeFinished, [&] { ++exchanges; });

    velkarsim::Simulator sim;
    sim.setPort(port);
    sim.setListenPolicy(velkarsim::Simulator::ListenPolicy::Always);
    sim.addStations(base, 1, Station);
    if (!sim.start())
        return 6;
    puestos.startAll();
    if (!waitFor([&] { return puestos.at(0).tarea->phase() == TTareaCliente::Phase::Sleeping; }, 5000))
        return 7;
    const auto round = [&](qint64 ms) {
        clock.advance(ms);
        const int expected = exchanges + 1;
        puestos.scheduler().runDue();
        const bool ok = waitFor([&] { return exchanges >= expected; }, 5000);
        engine.reloj().tick(clock.monotonicMs());
        return ok;
    };

    sim.station(0).queueLogin(QStringLiteral("10004"), QStringLiteral("4444"));
    if (!round(1000) || puestos.at(0).rec().estado != station::Estado::Prepago)
        return 8;
    if (mode == QLatin1String("voucher")) {
        for (int minute = 0; minute < 10; ++minute)
            round(60000);
        // The 60-second save of the registry.
        if (!puestos.GuardarPuestos(nullptr))
            return 9;
        store::Ticket ticket = accounts::abrirVenta(db, context.currentOperator, clock.now());
        accounts::Venta venta;
        venta.ticket = ticket;
        venta.login = QStringLiteral("10004");
        venta.descripcion = QStringLiteral("BONO 1 HORA");
        venta.cantidad = 1;
        venta.precio = Currency::fromUnits(2);
        venta.minutos = 60;
        const store::Cuenta before =
            store::select<store::Cuenta>(db, QStringLiteral("WHERE Login = '10004'")).at(0);
        if (!accounts::confirmarTiempo(db, venta, before.Bonotiempo, context.currentOperator, 1,
                                       context.creditSync)
                 .ok())
            return 10;
    }
    std::printf("READY\n");
    std::fflush(stdout);
    // Polls go on until the kill.
    QTimer polls;
    QObject::connect(&polls, &QTimer::timeout, [&] { round(1000); });
    polls.start(50);
    return app.exec();
}
