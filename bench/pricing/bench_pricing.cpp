// Pricing on the clock tick and the cost of one period end on disk.
// Run: build/dev/bin/bench-pricing [calls] [period-ends]

#include "benchload.h"
#include "session/precios.h"
#include "session/registrouso.h"
#include "session/tarifas.h"
#include "store/datamodule.h"
#include "store/newdatabase.h"
#include "store/sql.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <vector>

using namespace session;

namespace {

// Keeps the optimiser from dropping the priced values.
volatile qint64 g_sink = 0;

template <class F> double nsPerCall(qint64 calls, F&& f) {
    QElapsedTimer timer;
    timer.start();
    qint64 sum = 0;
    for (qint64 i = 0; i < calls; ++i)
        sum += f(i).raw();
    const qint64 ns = timer.nsecsElapsed();
    g_sink = g_sink + sum;
    return static_cast<double>(ns) / static_cast<double>(calls);
}

store::Franja band(QTime ini, QTime fin, const QString& tarifa) {
    store::Franja f;
    f.franja_ini = ini;
    f.franja_fin = fin;
    f.tarifa = tarifa;
    return f;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qint64 calls = args.size() > 1 ? args.at(1).toLongLong() : 1000000;
    const int ends = args.size() > 2 ? args.at(2).toInt() : 200;
    QTextStream out(stdout);

    ListaTarifas tarifas;
    for (int i = 0; i < 8; ++i)
        tarifas.append(Ttarifas{
            QStringLiteral("OTRA%1").arg(i), Ttarifas::Fija, Currency::fromCents(100), Currency(), {}});
    tarifas.append(Ttarifas{
        QStringLiteral("NORMAL"), Ttarifas::Fija, Currency::fromCents(120), Currency::fromCents(50), {}});
    tarifas.append(
        Ttarifas{QStringLiteral("NOCHE"), Ttarifas::Fija, Currency::fromCents(200), Currency(), {}});
    tarifas.append(Ttarifas{
        QStringLiteral("PASES"),
        Ttarifas::Variable,
        Currency(),
        Currency(),
        {{30, Currency::fromCents(100)}, {60, Currency::fromCents(180)}, {120, Currency::fromCents(300)}}});
    const FranjasSnapshot franjas({band(QTime(8, 0), QTime(20, 0), QStringLiteral("NORMAL")),
                                   band(QTime(20, 0), QTime(8, 0), QStringLiteral("NOCHE"))});
    RuntimeSettings settings;
    settings.roundingUnit = Currency::fromCents(5);
    const QDateTime now(QDate(2026, 1, 15), QTime(20, 30, 0));

    const QString fixed = QStringLiteral("NORMAL");
    const QString variable = QStringLiteral("PASES");
    const QString none;
    const QString login = QStringLiteral("ana");
    // Clocks from 0 to about 3 h, so every step and both bands are reached.
    auto clock = [](qint64 i) { return (i * 7919) % (3 * 3600 * 1000); };

    out << "PrecioTarifa fixed:      " << nsPerCall(calls, [&](qint64 i) {
        return PrecioTarifa(tarifas, fixed, clock(i), 0, 100, none, settings);
    }) << " ns/call\n";
    out << "PrecioTarifa variable:   " << nsPerCall(calls, [&](qint64 i) {
        return PrecioTarifa(tarifas, variable, clock(i), 10, 150, login, settings);
    }) << " ns/call\n";
    // As the clock prices: "now" converted and the bands' tariffs looked up
    // once per tick, then every station.
    const Ahora ahora(now);
    const TarifasFranjas conTarifas(tarifas, franjas);
    out << "PrecioFranjas two bands: " << nsPerCall(calls, [&](qint64 i) {
        return PrecioFranjas(conTarifas, clock(i), 0, 100, none, Direccion::Pasado, ahora, settings);
    }) << " ns/call\n";
    // The comparisons: the tariffs looked up by name in every call, and the
    // time-zone conversion paid in every call as well.
    out << "  with the tariffs looked up in every call: " << nsPerCall(calls, [&](qint64 i) {
        return PrecioFranjas(tarifas, franjas, clock(i), 0, 100, none, Direccion::Pasado, ahora, settings);
    }) << " ns/call\n";
    out << "  with now converted in every call too:     " << nsPerCall(calls / 20, [&](qint64 i) {
        return PrecioFranjas(tarifas, franjas, clock(i), 0, 100, none, Direccion::Pasado, Ahora(now),
                             settings);
    }) << " ns/call\n";
    // One tick of 9 999 band-priced stations: the conversion, the lookups and every price.
    constexpr int kStations = 9999;
    const int ticks = 200;
    QElapsedTimer tick;
    tick.start();
    qint64 sink = 0;
    for (int t = 0; t < ticks; ++t) {
        const Ahora perTick(now.addSecs(t));
        const TarifasFranjas tickBands(tarifas, franjas);
        for (int s = 0; s < kStations; ++s)
            sink += PrecioFranjas(tickBands, clock(qint64(t) * kStations + s), 0, 100, none,
                                  Direccion::Pasado, perTick, settings)
                        .raw();
    }
    out << "Tick of " << kStations << " band-priced stations: " << double(tick.nsecsElapsed()) / 1e6 / ticks
        << " ms (" << (sink != 0 ? "" : "0 ") << ticks << " ticks); load " << loadAverage() << "\n";
    out.flush();

    // One period end as the clock tick writes it: ticket, line, activity record.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ciber.mdb"));
    const Status created = store::createDatabase(path, false);
    if (!created) {
        out << "cannot create database: " << created.error() << "\n";
        return 1;
    }
    TDataModule1 data;
    const Status opened = data.open(path);
    if (!opened) {
        out << "cannot open database: " << opened.error() << "\n";
        return 1;
    }
    const QSqlDatabase db = data.db();
    const QString journal = store::toText(store::scalar(db, QStringLiteral("PRAGMA journal_mode")));
    const int synchronous = store::toInt(store::scalar(db, QStringLiteral("PRAGMA synchronous")));

    std::vector<double> ms;
    ms.reserve(static_cast<size_t>(ends));
    for (int i = 0; i < ends; ++i) {
        UsoTerminado u;
        u.tariffName = fixed;
        u.station = 1 + i % 50;
        u.modo = Modo::Contador;
        u.cost = Currency::fromCents(90);
        u.seconds = 2710;
        QElapsedTimer timer;
        timer.start();
        RegistrarUso(db, u, QStringLiteral("ADMIN"), now, 1);
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    out << "Period end (ticket + line + activity), journal_mode=" << journal << " synchronous=" << synchronous
        << ": median " << ms[ms.size() / 2] << " ms, p90 " << ms[ms.size() * 9 / 10] << " ms over " << ends
        << " ends\n";
    return 0;
}
