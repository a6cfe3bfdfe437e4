#include "support/simcafe.h"

#include "station/stationaddress.h"
#include "support/loopback.h"

#include <QTest>

SimCafe::SimCafe(const QHostAddress& base, int stations)
    : stationCount(stations) {
    port = freePort(base);
    if (port == 0)
        qFatal("cannot listen on %s", qPrintable(base.toString()));
    sim.setPort(port);
    sim.setListenPolicy(velkarsim::Simulator::ListenPolicy::Always);
    sim.addStations(base, stations, 1);
    // Every exchange on stderr, for a failure under the microscope.
    if (qEnvironmentVariableIsSet("QUINTOR_SIM_LOG"))
        sim.setLogSink([](const QString& line) { qInfo("%s", qPrintable(line)); });

    decisions = std::make_unique<accounts::AccountDecisions>(
        te.context, te.engine->tarifas(), te.engine->puestos().loginsInUse(),
        [this](const station::MessageQueueRow& row) { te.engine->mensajes().append(row); });
    te.engine->setAccountDecisions(decisions.get());

    // The demo dates its accounts from the real day; ours is the fake clock's.
    const QDate today = te.clock.now().date();
    store::run(db(), QStringLiteral("UPDATE cuentas SET Alta = ?, Ultima = ?"),
               {today.addDays(-40), today.addDays(-2)});

    // The first stations of the demo on our addresses; the others would poll nobody.
    for (int i = 0; i < stations; ++i)
        store::run(db(), QStringLiteral("UPDATE puestos SET ip = ?, host = '' WHERE npuesto = ?"),
                   {station::loopbackStationAddress(base, i).toString(), i + 1});
    store::run(db(), QStringLiteral("DELETE FROM puestos WHERE npuesto > ?"), {stations});
    ListaPuestos& lista = te.engine->puestos();
    if (!lista.CargarPuestos(nullptr))
        qFatal("cannot load the stations");
    lista.scheduler().setDrive(station::LinkScheduler::Drive::Manual);
    lista.linkEnvironment().port = port;
    for (int pos = 0; pos < lista.count(); ++pos)
        QObject::connect(lista.at(pos).tarea.get(), &TTareaCliente::exchangeFinished,
                         [this] { ++exchanges; });
}

SimCafe::~SimCafe() {
    te.engine->puestos().stopAll();
}

bool SimCafe::start() {
    QString error;
    if (!sim.start(&error)) {
        qWarning("%s", qPrintable(error));
        return false;
    }
    ListaPuestos& lista = te.engine->puestos();
    lista.startAll();
    return QTest::qWaitFor(
        [&] {
            for (int n = 1; n <= stationCount; ++n)
                if (lista.byNumber(n)->tarea->phase() != TTareaCliente::Phase::Sleeping)
                    return false;
            return true;
        },
        5000);
}

bool SimCafe::round(qint64 ms) {
    te.clock.advance(ms);
    const int expected = exchanges + stationCount;
    te.engine->puestos().scheduler().runDue();
    if (!QTest::qWaitFor([&] { return exchanges >= expected; }, 5000))
        return false;
    te.engine->reloj().tick(te.clock.monotonicMs());
    return true;
}
