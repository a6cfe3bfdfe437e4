#include "accountfixture.h"
#include "support/loopback.h"

#include "accounts/codigos.h"
#include "sim/simulator.h"
#include "store/sql.h"

#include <QTcpServer>
#include <QTest>

#include <functional>

using station::Estado;

namespace {

// Used by no other test.
const QHostAddress StationAddress(QStringLiteral("127.14.3.1"));

store::Bono bono(const AccountFixture& f) {
    return *store::selectOne<store::Bono>(f.db(), QStringLiteral("WHERE CODIGO = 'B1H'"));
}

// Real time and the console's clock go on together, 20 ms at a time, and the
// station clock ticks at every whole second, until done says so.
bool runUntil(AccountFixture& f, const std::function<bool()>& done, int maxMs = 8000) {
    for (int t = 0; t < maxMs; t += 20) {
        f.te.clock.advance(20);
        if (f.te.clock.monotonicMs() % 1000 == 0)
            f.te.engine->reloj().tick(f.te.clock.monotonicMs());
        QTest::qWait(20);
        if (done())
            return true;
    }
    return false;
}

} // namespace

class TstCodigosPuesto : public QObject {
    Q_OBJECT
private slots:
    void soldCodeIsUsedAtAStation();
};

void TstCodigosPuesto::soldCodeIsUsedAtAStation() {
    AccountFixture f;
    const quint16 port = freePort(StationAddress);
    QVERIFY(port != 0);
    store::run(f.db(), QStringLiteral("DELETE FROM puestos WHERE npuesto <> 1"));
    store::run(f.db(), QStringLiteral("UPDATE puestos SET ip = ?, host = '' WHERE npuesto = 1"),
               {StationAddress.toString()});
    ListaPuestos& puestos = f.te.engine->puestos();
    QVERIFY(puestos.CargarPuestos(nullptr));
    velkarsim::Simulator sim;
    sim.setPort(port);
    sim.addStation(1, StationAddress);
    QString error;
    QVERIFY2(sim.start(&error), qPrintable(error));
    f.te.context.settings.pollIntervalMs = 100;
    puestos.linkEnvironment().port = port;
    puestos.startAll();

    // Sold at the counter: two hours.
    accounts::VentaCodigo venta;
    venta.login = QStringLiteral("zz01");
    venta.password = QStringLiteral("pw");
    venta.bono = bono(f);
    venta.cantidad = 2;
    const accounts::CodigoResultado sold =
        accounts::crearCodigo(f.db(), venta, QStringLiteral("CAJA"), 1, f.te.clock.now());
    QVERIFY2(sold.ok(), qPrintable(sold.messageKey));

    // The customer types the login of the ticket in small letters.
    velkarsim::StationModel& tile = sim.station(0);
    QVERIFY(tile.queueLogin(QStringLiteral("zz01"), QStringLiteral("PW")));
    station::StationRecord& rec = f.te.rec(1);
    QVERIFY(runUntil(f, [&] { return tile.lastPoll().stateWord == QLatin1String("PREPAGO"); }));
    QCOMPARE(rec.estado, Estado::Prepago);
    QCOMPARE(rec.accountLogin.toUpper(), QStringLiteral("ZZ01"));
    QCOMPARE(rec.prepaidSeconds, 7200);

    // Its time runs down from the first tick on.
    QVERIFY(runUntil(f, [&] { return rec.estadoAnterior == Estado::Prepago; }));
    const qint64 start = rec.clockMs;
    QCOMPARE(start, 7200 * 1000);
    QVERIFY(runUntil(f, [&] { return rec.clockMs <= start - 3000; }));
    QVERIFY(runUntil(f, [&] { return tile.lastPoll().balance.startsWith(QStringLiteral("1:59:")); }));

    // A top-up while it runs: the station has the hour at once.
    const qint64 before = rec.clockMs;
    venta.cantidad = 1;
    const accounts::CodigoResultado topUp = accounts::recargarCodigo(
        f.db(), venta, QStringLiteral("CAJA"), 1, f.te.clock.now(), {}, f.te.context.creditSync);
    QVERIFY2(topUp.ok(), qPrintable(topUp.messageKey));
    QCOMPARE(topUp.cuenta.Bonotiempo, 10800);
    QCOMPARE(rec.prepaidSeconds, 10800);
    QCOMPARE(rec.clockMs, before + 3600 * 1000);
    QVERIFY(runUntil(f, [&] { return tile.lastPoll().balance.startsWith(QStringLiteral("2:59:")); }));

    // The log-out settles what was used.
    QVERIFY(tile.queueLogout());
    QVERIFY(runUntil(f, [&] { return rec.estado == Estado::Libre && !rec.bookingPending(); }));
    puestos.stopAll();
    const store::Cuenta after = f.read(QStringLiteral("ZZ01"));
    QVERIFY2(after.Bonotiempo > 10800 - 60 && after.Bonotiempo < 10800,
             qPrintable(QString::number(after.Bonotiempo)));
    const std::vector<store::MovCuenta> m = f.movements();
    QCOMPARE(m.size(), size_t(3));
    QVERIFY2(m[2].CONCEPTO.startsWith(QStringLiteral("PUESTO 1  ")), qPrintable(m[2].CONCEPTO));
    QVERIFY(m[2].SALDOTI_MOV.startsWith(QLatin1Char('-')));
    QCOMPARE(m[2].saldoti_fin_bono, std::optional<int>(after.Bonotiempo));
    QVERIFY(!puestos.loginsInUse().contains(QStringLiteral("ZZ01")));
}

QTEST_MAIN(TstCodigosPuesto)
#include "tst_codigos_puesto.moc"
