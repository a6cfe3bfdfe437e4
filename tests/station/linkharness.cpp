#include "linkharness.h"

station::TransportKind LinkHarness::transport = station::TransportKind::Native;

LinkHarness::LinkHarness(int program)
    : m_program(program) {
    ctx.regional = Regional::spanishSpain();
    ctx.clock = &clock;
    ctx.settings.pollIntervalMs = 1000;
    lista = std::make_unique<ListaPuestos>(ctx);
    lista->scheduler().setDrive(station::LinkScheduler::Drive::Manual);
    lista->setDecisions(&decisions);
    lista->linkEnvironment().transport = transport;
}

FakeStation& LinkHarness::addStation(int number, bool listening) {
    auto station = std::make_unique<FakeStation>();
    const QHostAddress address = nextTestAddress(m_program);
    if (m_port == 0) {
        // The first station finds a free port; the others share it on their own addresses.
        FakeStation probe;
        if (!probe.listen(address, 0))
            qFatal("cannot listen on %s", qPrintable(address.toString()));
        m_port = probe.port();
        probe.stopListening();
        lista->linkEnvironment().port = m_port;
    }
    station->setAddress(address);
    if (listening && !station->listenAt(m_port))
        qFatal("cannot listen on %s:%d", qPrintable(address.toString()), m_port);
    store::Puesto row;
    row.npuesto = number;
    row.ip = address.toString();
    row.preciorel = 100;
    row.estado = 1;
    row.sinconex = QStringLiteral("0");
    rows.push_back(row);
    stations.push_back(std::move(station));
    FakeStation& s = *stations.back();
    s.setObjectName(address.toString());
    return s;
}

void LinkHarness::load() {
    lista->cargarFilas(rows, false);
}

bool LinkHarness::startAll() {
    lista->startAll();
    for (int i = 0; i < lista->count(); ++i) {
        if (lista->at(i).rec().estado == station::Estado::Desactivado)
            continue;
        if (!settled(lista->at(i).number))
            return false;
    }
    return true;
}

void LinkHarness::advance(qint64 ms) {
    clock.advance(ms);
    lista->scheduler().runDue();
}

void LinkHarness::advanceTo(qint64 monotonicMs) {
    if (monotonicMs > clock.monotonicMs())
        clock.advance(monotonicMs - clock.monotonicMs());
    lista->scheduler().runDue();
}

bool LinkHarness::settled(int number) {
    TTareaCliente& t = link(number);
    return QTest::qWaitFor([&] { return t.phase() == TTareaCliente::Phase::Sleeping; }, 5000);
}

bool LinkHarness::exchange(int number) {
    TTareaCliente& t = link(number);
    if (!settled(number))
        return false;
    QSignalSpy done(&t, &TTareaCliente::exchangeFinished);
    advanceTo(t.nextExchangeDueMs());
    return QTest::qWaitFor([&] { return done.count() > 0; }, 5000);
}
