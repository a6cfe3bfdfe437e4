// A thousand customers log in at once: the console's engine on a database of
// accounts, its links over real loopback sockets to velkar-sim (headless, in
// its own process), every station sending its log-in within one poll
// interval. Prints how long until every log-in was accepted, whether any
// station looked unreachable meanwhile, and how long the clock's ticks took
// before, during and after. Then every customer logs out at once: the
// ticks book the settlements within the clock's booking budget, and the
// figures say how long until every account was settled.
//
//   BENCH_STATIONS  stations and customers (default 1000)
//   BENCH_SECONDS   seconds of play between log-in and log-out (default 3)
//   BENCH_ROUNDS    log-in, play and log-out this many times (default 1)
//   BENCH_PORT      station port (default 22223)
//
// Run: build/dev/bin/bench-station-logins
#include "accounts/accountdecisions.h"
#include "core/consolecontext.h"
#include "session/engine.h"
#include "station/filelimit.h"
#include "station/stationaddress.h"
#include "store/datamodule.h"
#include "store/newdatabase.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "store/transaction.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <sys/resource.h>

namespace {

const QHostAddress Base(QStringLiteral("127.61.0.1"));
const QHostAddress Control(QStringLiteral("127.62.0.1"));

int envInt(const char* name, int fallback) {
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok && v > 0 ? v : fallback;
}

QString loginOf(int i) {
    return QStringLiteral("L%1").arg(i, 6, 10, QLatin1Char('0'));
}

double cpuSeconds() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Two of three customers on money (priced at every tick), one on time credit.
void addAccountsAndStations(const QSqlDatabase& db, int count) {
    store::Transaction tx(db);
    store::run(db, QStringLiteral("DELETE FROM puestos"));
    QSqlQuery a(db);
    a.prepare(QStringLiteral(
        "INSERT INTO cuentas (Login, Pass, Tipo, Tarifa, credito, Bonotiempo, Bloquear, Alta, Ultima) "
        "VALUES (?, 'pw', ?, ?, 100000, 36000, 1, date('now', 'localtime'), date('now', 'localtime'))"));
    QSqlQuery p(db);
    p.prepare(QStringLiteral("INSERT INTO puestos (npuesto, ip, ip1, ip2, ip3, ip4, host, preciorel) "
                             "VALUES (?, ?, ?, ?, ?, ?, '', 100)"));
    for (int i = 0; i < count; ++i) {
        const bool time = i % 3 == 2;
        a.addBindValue(loginOf(i));
        a.addBindValue(time ? QStringLiteral("2") : QStringLiteral("0"));
        a.addBindValue(time ? QStringLiteral("BONO TIEMPO") : QStringLiteral("NORMAL"));
        const quint32 ip = station::loopbackStationAddress(Base, i).toIPv4Address();
        p.addBindValue(i + 1);
        p.addBindValue(QHostAddress(ip).toString());
        p.addBindValue(int(ip >> 24));
        p.addBindValue(int((ip >> 16) & 0xFF));
        p.addBindValue(int((ip >> 8) & 0xFF));
        p.addBindValue(int(ip & 0xFF));
        if (!a.exec() || !p.exec())
            qFatal("cannot fill the database");
    }
    tx.commit();
}

struct Durations {
    std::vector<double> ms;
    void add(double v) { ms.push_back(v); }
    double at(double p) const {
        if (ms.empty())
            return 0;
        std::vector<double> s = ms;
        std::sort(s.begin(), s.end());
        return s[std::min(s.size() - 1, size_t(p * double(s.size())))];
    }
    QString text() const {
        return QStringLiteral("%1 ticks, median %2 ms, max %3 ms")
            .arg(ms.size())
            .arg(at(0.5), 0, 'f', 2)
            .arg(at(1.0), 0, 'f', 2);
    }
};

void runFor(int ms) {
    QTimer t;
    t.setSingleShot(true);
    QObject::connect(&t, &QTimer::timeout, qApp, &QCoreApplication::quit);
    t.start(ms);
    QCoreApplication::exec();
}

// Runs the loop until done() or the time is up; answers whether done.
template <typename F> bool runUntil(F done, int ms) {
    QElapsedTimer waited;
    waited.start();
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (done() || waited.elapsed() > ms)
            QCoreApplication::quit();
    });
    check.start(1);
    QCoreApplication::exec();
    return done();
}

bool reachable(const QHostAddress& address, int port, int ms) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < ms) {
        QTcpSocket probe;
        probe.connectToHost(address, quint16(port));
        if (probe.waitForConnected(200))
            return true;
        QThread::msleep(100);
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int count = envInt("BENCH_STATIONS", 1000);
    const int playSeconds = envInt("BENCH_SECONDS", 3);
    const int port = envInt("BENCH_PORT", 22223);
    const int rounds = envInt("BENCH_ROUNDS", 1);

    const long files = station::raiseOpenFileLimit();
    if (files >= 0 && files < count + 64) {
        std::fprintf(stderr, "open-file limit %ld is too low for %d stations\n", files, count);
        return 1;
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ciber.mdb"));
    if (!store::createDatabase(path, true))
        qFatal("cannot create the database");
    TDataModule1 data;
    if (!data.open(path))
        qFatal("cannot open the database");
    addAccountsAndStations(data.db(), count);

    QProcess stations;
    stations.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    stations.setStandardOutputFile(QProcess::nullDevice());
    stations.start(QCoreApplication::applicationDirPath() + QStringLiteral("/velkar-sim"),
                   {QStringLiteral("--headless"), QStringLiteral("--base"), Base.toString(),
                    QStringLiteral("--count"), QString::number(count), QStringLiteral("--port"),
                    QString::number(port), QStringLiteral("--control"),
                    Control.toString() + QLatin1Char(':') + QString::number(port)});
    if (!stations.waitForStarted(10000) || !reachable(Control, port, 30000) ||
        !reachable(station::loopbackStationAddress(Base, count - 1), port, 30000)) {
        std::fprintf(stderr, "velkar-sim did not come up beside %s\n", argv[0]);
        return 1;
    }
    QTcpSocket control;
    control.connectToHost(Control, quint16(port));
    if (!control.waitForConnected(3000))
        qFatal("no control channel");

    ConsoleContext ctx;
    ctx.data = &data;
    ctx.regional = Regional::spanishSpain();
    ctx.currentOperator = QStringLiteral("CAJA");
    ctx.settings = store::runtimeSettings(store::readOpciones(data.db()));
    ConsoleEngine engine(ctx);
    if (!engine.cargarTarifas() || !engine.puestos().CargarPuestos(nullptr))
        qFatal("cannot load the engine");
    accounts::AccountDecisions decisions(
        ctx, engine.tarifas(), engine.puestos().loginsInUse(),
        [&engine](const station::MessageQueueRow& row) { engine.mensajes().append(row); });
    engine.setAccountDecisions(&decisions);
    ListaPuestos& lista = engine.puestos();
    lista.linkEnvironment().port = quint16(port);
    const int interval = ctx.settings.pollIntervalMs;

    // TimerTiempos as the console runs it, timed.
    Durations* phase = nullptr;
    QTimer clockTimer;
    clockTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&clockTimer, &QTimer::timeout, [&] {
        QElapsedTimer t;
        t.start();
        engine.reloj().tick(ctx.clock->monotonicMs(), session::StationClock::BookingBudgetMs);
        if (phase)
            phase->add(double(t.nsecsElapsed()) / 1e6);
    });
    clockTimer.start(session::StationClock::IntervalMs);

    // A console that has run for a while polls its stations spread over the interval.
    {
        QElapsedTimer since;
        since.start();
        int next = 0;
        QTimer starter;
        QObject::connect(&starter, &QTimer::timeout, [&] {
            while (next < lista.count() && since.elapsed() * lista.count() >= qint64(next) * interval)
                lista.at(next++).tarea->start();
            if (next == lista.count())
                starter.stop();
        });
        starter.start(1);
        runFor(interval + 2 * interval);
    }
    const auto unreachable = [&] {
        int n = 0;
        for (int pos = 0; pos < lista.count(); ++pos)
            n += lista.at(pos).rec().disconnected ? 1 : 0;
        return n;
    };
    const auto occupied = [&] {
        int n = 0;
        for (int pos = 0; pos < lista.count(); ++pos)
            n += lista.at(pos).rec().occupied() ? 1 : 0;
        return n;
    };
    if (unreachable() > 0) {
        std::fprintf(stderr, "%d stations unreachable before the log-ins\n", unreachable());
        return 1;
    }
    Durations idle;
    phase = &idle;
    runFor(3 * interval);

    std::printf("station log-ins: %d stations over loopback (velkar-sim, own process), poll interval %d ms, "
                "%d s of play, %d round(s)\n",
                count, interval, playSeconds, rounds);
    std::printf("  clock tick, stations free:      %s\n", qPrintable(idle.text()));
    std::fflush(stdout);

    std::vector<double> acceptedAt(size_t(count), -1);
    QElapsedTimer since;
    QObject::connect(&lista, &ListaPuestos::rowChanged, [&](int pos) {
        if (acceptedAt[size_t(pos)] < 0 && lista.at(pos).rec().occupied())
            acceptedAt[size_t(pos)] = double(since.nsecsElapsed()) / 1e6;
    });
    QByteArray commands;
    for (int i = 0; i < count; ++i)
        commands += "station " + QByteArray::number(i + 1) + " login " + loginOf(i).toLatin1() + " pw\n";
    QByteArray logouts;
    for (int i = 0; i < count; ++i)
        logouts += "station " + QByteArray::number(i + 1) + " logout\n";
    QSqlQuery movs(data.db());
    const auto movements = [&] {
        movs.exec(QStringLiteral("SELECT COUNT(*) FROM movcuentas"));
        return movs.next() ? movs.value(0).toInt() : -1;
    };

    bool allGood = true;
    for (int round = 1; round <= rounds; ++round) {
        if (rounds > 1)
            std::printf(" round %d\n", round);
        control.readAll(); // the channel's "ok" lines
        std::fill(acceptedAt.begin(), acceptedAt.end(), -1.0);
        // Every station's log-in, queued at once; each goes out at the station's next poll.
        lista.statistics() = station::LinkStatistics();
        Durations loggingIn;
        phase = &loggingIn;
        const double cpu0 = cpuSeconds();
        since.start();
        control.write(commands);
        control.flush();
        const bool allIn = runUntil([&] { return occupied() == count; }, 10 * interval);
        const double allInMs = double(since.nsecsElapsed()) / 1e6;
        const int unreachableLogin = unreachable();
        const station::LinkStatistics loginStats = lista.statistics();
        runFor(interval); // the tick that starts the last periods
        const double loginCpu = cpuSeconds() - cpu0;

        std::vector<double> accepted;
        for (double t : acceptedAt)
            if (t >= 0)
                accepted.push_back(t);
        std::sort(accepted.begin(), accepted.end());
        const auto pick = [&](double p) {
            return accepted.empty()
                       ? 0.0
                       : accepted[std::min(accepted.size() - 1, size_t(p * double(accepted.size())))];
        };

        std::printf(
            "  log-in:  %d of %d accepted; all in %.0f ms = %.2f intervals (target: 2); first %.0f ms, "
            "median %.0f ms, 99th %.0f ms after the log-ins were queued\n",
            int(accepted.size()), count, allInMs, allInMs / interval, pick(0), pick(0.5), pick(0.99));
        std::printf(
            "           %d unreachable, %llu failed exchanges, %llu replies found only at the deadline, "
            "max %lld ms late; console CPU %.2f s\n",
            unreachableLogin, static_cast<unsigned long long>(loginStats.failed),
            static_cast<unsigned long long>(loginStats.repliesAtDeadline),
            static_cast<long long>(loginStats.maxLatenessMs), loginCpu);
        std::printf("  clock tick, while logging in:   %s\n", qPrintable(loggingIn.text()));
        std::fflush(stdout);

        Durations playing;
        phase = &playing;
        lista.statistics() = station::LinkStatistics();
        runFor(playSeconds * 1000);
        std::printf("  clock tick, %d in use:         %s; %d unreachable\n", occupied(),
                    qPrintable(playing.text()), unreachable());
        std::fflush(stdout);

        // Every customer logs out at once: one settlement each, booked by the ticks.
        Durations loggingOut;
        phase = &loggingOut;
        lista.statistics() = station::LinkStatistics();
        since.start();
        control.write(logouts);
        control.flush();
        const bool allOut =
            runUntil([&] { return occupied() == 0 && lista.loginsInUse().isEmpty(); }, 150 * interval);
        const double allOutMs = double(since.nsecsElapsed()) / 1e6;
        std::printf(
            "  log-out: %s in %.0f ms = %.2f intervals; %d movements booked; %d unreachable, %llu failed "
            "exchanges, %llu replies found only at the deadline\n",
            allOut ? "all settled" : "NOT all settled", allOutMs, allOutMs / interval, movements(),
            unreachable(), static_cast<unsigned long long>(lista.statistics().failed),
            static_cast<unsigned long long>(lista.statistics().repliesAtDeadline));
        std::printf("  clock tick, while logging out:  %s\n", qPrintable(loggingOut.text()));
        std::fflush(stdout);
        allGood = allGood && allIn && allOut;
    }

    clockTimer.stop();
    lista.stopAll();
    control.write("quit\n");
    control.flush();
    if (!stations.waitForFinished(5000)) {
        stations.terminate();
        stations.waitForFinished(5000);
    }
    return allGood ? 0 : 1;
}
