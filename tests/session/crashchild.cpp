// Runs use periods on a database until it is killed: the restart test kills
// it with SIGKILL in the middle and checks what the next start finds.
//
//   crashchild DATABASE

#include "core/consolecontext.h"
#include "session/engine.h"
#include "store/datamodule.h"
#include "store/opciones.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    TDataModule1 data;
    if (!data.open(QString::fromLocal8Bit(argv[1])))
        return 3;
    FakeClock clock;
    ConsoleContext context;
    context.data = &data;
    context.clock = &clock;
    context.currentOperator = QStringLiteral("CAJA");
    context.settings.roundingUnit = Currency::fromCents(5);
    ConsoleEngine engine(context);
    if (!engine.cargarTarifas() || !engine.puestos().CargarPuestos(nullptr))
        return 4;
    ListaPuestos& puestos = engine.puestos();
    auto pos = [&](int n) { return puestos.positionOf(n); };

    session::AperturaPedido counter;
    counter.tariffName = QStringLiteral("NORMAL");
    engine.abrirPuesto(pos(2), counter);
    session::AperturaPedido prepaid;
    prepaid.prepago = true;
    prepaid.tariffName = QStringLiteral("NORMAL");
    prepaid.amount = Currency::fromUnits(2);
    prepaid.hours = 1;
    engine.abrirPuesto(pos(3), prepaid);
    // An account at station 4, as a log-in leaves it.
    station::StationRecord& account = puestos.at(pos(4)).rec();
    account.estado = station::Estado::Contador;
    account.accountLogin = QStringLiteral("10001");
    account.accountType = QStringLiteral("0");
    account.tariffName = QStringLiteral("NORMAL");
    account.moneyCredit = Currency::fromUnits(10);
    engine.guardarPuesto(pos(4));

    // Ten minutes of use, then the periodic save.
    for (int i = 0; i < 600; ++i) {
        clock.advance(1000);
        engine.reloj().tick(clock.monotonicMs());
    }
    puestos.GuardarPuestos(nullptr);
    std::printf("READY\n");
    std::fflush(stdout);

    // Periods come and go on station 5, each one ending on a new ticket,
    // until the process is killed.
    QTimer churn;
    QObject::connect(&churn, &QTimer::timeout, [&] {
        clock.advance(1000);
        TPuestos& p = puestos.at(pos(5));
        if (p.rec().estado == station::Estado::Libre && p.rec().estadoAnterior == station::Estado::Libre)
            engine.abrirPuesto(pos(5), counter);
        else if (p.rec().estado == station::Estado::Contador)
            engine.cerrarPuesto(pos(5));
        engine.reloj().tick(clock.monotonicMs());
    });
    churn.start(0);
    return app.exec();
}
