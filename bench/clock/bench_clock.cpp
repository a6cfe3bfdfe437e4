// The station clock's tick over many counter-mode stations, and the cost of
// one period end (ticket, line and activity record).
//
//   bench-clock [stations...]      default: 1000 9999

#include "core/consolecontext.h"
#include "session/engine.h"
#include "store/datamodule.h"
#include "store/newdatabase.h"
#include "store/sql.h"
#include "store/transaction.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Figures {
    double medianMs = 0;
    double p90Ms = 0;
    double maxMs = 0;
};

Figures figures(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    Figures f;
    f.medianMs = samples[samples.size() / 2];
    f.p90Ms = samples[samples.size() * 9 / 10];
    f.maxMs = samples.back();
    return f;
}

enum class Pricing { Fixed, Variable, Bands, Mixed };

const char* name(Pricing p) {
    switch (p) {
    case Pricing::Fixed:
        return "fixed";
    case Pricing::Variable:
        return "variable";
    case Pricing::Bands:
        return "bands";
    case Pricing::Mixed:
        return "mixed";
    }
    return "";
}

// A database with n stations, every one occupied in counter mode.
bool prepare(TDataModule1& data, const QString& path, int n) {
    if (!store::createDatabase(path, true) || !data.open(path))
        return false;
    const QSqlDatabase db = data.db();
    store::Transaction t(db);
    store::run(db, QStringLiteral("DELETE FROM puestos"));
    for (int i = 1; i <= n; ++i)
        store::run(db, QStringLiteral("INSERT INTO puestos (npuesto, ip, estado) VALUES (?, ?, 2)"),
                   {i, QStringLiteral("127.9.%1.%2").arg(i / 250).arg(i % 250 + 1)});
    t.commit();
    return true;
}

Figures benchTick(int n, Pricing pricing) {
    QTemporaryDir dir;
    TDataModule1 data;
    if (!prepare(data, dir.filePath(QStringLiteral("ciber.mdb")), n))
        return {};
    FakeClock clock;
    ConsoleContext context;
    context.data = &data;
    context.clock = &clock;
    context.regional = Regional::spanishSpain();
    context.settings.roundingUnit = Currency::fromCents(5);
    context.settings.cambiotarifa = 0;
    context.settings.porfranjas = pricing == Pricing::Bands || pricing == Pricing::Mixed;
    ConsoleEngine engine(context);
    engine.cargarTarifas();
    engine.puestos().CargarPuestos(nullptr);
    for (int i = 0; i < engine.puestos().count(); ++i) {
        station::StationRecord& r = engine.puestos().at(i).rec();
        Pricing p = pricing == Pricing::Mixed ? Pricing(i % 3) : pricing;
        r.tariffName = p == Pricing::Variable ? QStringLiteral("PASES")
                       : p == Pricing::Bands  ? QStringLiteral("FRANJAS")
                                              : QStringLiteral("NORMAL");
        // Accounts of type 1 follow the bands, anonymous stations their tariff.
        if (pricing == Pricing::Mixed && p != Pricing::Bands) {
            r.accountLogin = QStringLiteral("A%1").arg(i);
            r.accountType = QStringLiteral("0");
        } else if (pricing == Pricing::Mixed) {
            r.accountLogin = QStringLiteral("B%1").arg(i);
            r.accountType = QStringLiteral("1");
        }
        r.moneyCredit = Currency::fromUnits(1000);
    }
    engine.reloj().tick(clock.monotonicMs()); // the periods start
    std::vector<double> samples;
    QElapsedTimer timer;
    for (int k = 0; k < 60; ++k) {
        clock.advance(1000 + k * 37);
        timer.start();
        engine.reloj().tick(clock.monotonicMs());
        samples.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return figures(samples);
}

Figures benchPeriodEnd(int count) {
    QTemporaryDir dir;
    TDataModule1 data;
    const QString path = dir.filePath(QStringLiteral("ciber.mdb"));
    if (!store::createDatabase(path, true) || !data.open(path))
        return {};
    FakeClock clock;
    std::vector<double> samples;
    QElapsedTimer timer;
    for (int k = 0; k < count; ++k) {
        session::UsoTerminado uso;
        uso.tariffName = QStringLiteral("NORMAL");
        uso.station = 1 + k % 8;
        uso.modo = session::Modo::Contador;
        uso.cost = Currency::fromCents(90);
        uso.seconds = 2710;
        timer.start();
        session::RegistrarUso(data.db(), uso, QStringLiteral("CAJA"), clock.now(), 1);
        samples.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return figures(samples);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(QString::fromLocal8Bit(argv[i]).toInt());
    if (sizes.empty())
        sizes = {1000, 9999};
    std::printf("Station clock: one tick over counter-mode stations (60 ticks each)\n");
    std::printf("%8s %-9s %10s %10s %10s\n", "stations", "pricing", "median ms", "p90 ms", "max ms");
    for (int n : sizes) {
        for (Pricing p : {Pricing::Fixed, Pricing::Variable, Pricing::Bands, Pricing::Mixed}) {
            const Figures f = benchTick(n, p);
            std::printf("%8d %-9s %10.3f %10.3f %10.3f\n", n, name(p), f.medianMs, f.p90Ms, f.maxMs);
        }
    }
    const Figures end = benchPeriodEnd(200);
    std::printf("\nOne period end (ticket + line + activity record, WAL, synchronous=FULL), 200 ends:\n");
    std::printf("  median %.3f ms, p90 %.3f ms, max %.3f ms\n", end.medianMs, end.p90Ms, end.maxMs);
    return 0;
}
