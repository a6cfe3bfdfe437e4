// The station link under load: N links on the console's event loop against
// simulated stations in another process, one poll a second each. Prints
// exchanges per second, the share of exchanges that started within 100 ms of
// their due time, the console's CPU time per 1 000 exchanges and its memory
// per station, and the interval each station actually got between its
// exchanges. --transport threads runs the comparison instead: one blocking
// thread per station, measured the same way. Without --count it runs 100, 1 000, 5 000 and 9 999 stations,
// each in a fresh process so that one size's memory does not colour the next.
#include "benchload.h"
#include "core/clock.h"
#include "core/consolecontext.h"
#include "station/filelimit.h"
#include "station/listapuestos.h"
#include "station/stationaddress.h"
#include "store/rows.h"
#include "threadpoller.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <cstdio>

#include <sys/resource.h>
#include <unistd.h>

namespace {

struct Options {
    QList<int> counts{100, 1000, 5000, 9999};
    int count = 0;
    int seconds = 20;
    int warmup = 4;
    QString transport = QStringLiteral("native");
    QString stations; // the station program; the responder beside us by default
    QStringList stationArgs;
    QString base = QStringLiteral("127.0.1.1");
    int port = 22222;
    bool burst = false;
    bool timerPerLink = false;
};

double cpuSeconds() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

qint64 residentBytes() {
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() * ::sysconf(_SC_PAGESIZE) : 0;
}

void runLoop(int ms) {
    QTimer t;
    t.setSingleShot(true);
    t.setTimerType(Qt::PreciseTimer);
    QObject::connect(&t, &QTimer::timeout, qApp, &QCoreApplication::quit);
    t.start(ms);
    QCoreApplication::exec();
}

bool stationsReady(const Options& o) {
    const QHostAddress last = station::loopbackStationAddress(QHostAddress(o.base), o.count - 1);
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 60000) {
        QTcpSocket probe;
        probe.connectToHost(last, quint16(o.port));
        if (probe.waitForConnected(200)) {
            probe.abort();
            return true;
        }
        QThread::msleep(100);
    }
    return false;
}

void stopStations(QProcess& stations) {
    stations.terminate();
    if (!stations.waitForFinished(5000)) {
        stations.kill();
        stations.waitForFinished(5000);
    }
}

// What each station got: the time between its exchange starts.
void printIntervals(const station::IntervalHistogram& h) {
    std::printf(
        "        achieved interval per station: mean %.1f ms, p99 %lld ms, max %lld ms (%llu intervals); "
        "load %s\n",
        h.meanMs(), static_cast<long long>(h.percentileMs(0.99)), static_cast<long long>(h.maxMs),
        static_cast<unsigned long long>(h.total), qPrintable(loadAverage()));
}

// The comparison: a blocking thread per station, measured the same way.
int runThreads(const Options& o) {
    std::vector<QHostAddress> addresses;
    addresses.reserve(size_t(o.count));
    for (int i = 0; i < o.count; ++i)
        addresses.push_back(station::loopbackStationAddress(QHostAddress(o.base), i));
    const qint64 rssBefore = residentBytes();
    ThreadPoller poller(std::move(addresses), quint16(o.port), 1000);
    poller.start();
    QThread::msleep(ulong(1000 + o.warmup * 1000));
    poller.reset();
    const double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QThread::msleep(ulong(o.seconds * 1000));
    const double cpu = cpuSeconds() - cpu0;
    const double elapsed = double(wall.elapsed()) / 1000.0;
    const quint64 exchanges = poller.exchanges();
    const qint64 rssAfter = residentBytes();
    printIntervals(poller.intervals());
    std::printf(
        "%6d stations  %8.0f exchanges/s  %7.2f ms CPU per 1000 exchanges  %5.1f %% of one core  %6.2f KiB "
        "per station  %llu failed, %d unreachable  (one blocking thread per station)\n",
        o.count, double(exchanges) / elapsed, exchanges ? 1e6 * cpu / double(exchanges) : 0.0,
        100.0 * cpu / elapsed, double(rssAfter - rssBefore) / 1024.0 / o.count,
        static_cast<unsigned long long>(poller.failed()), poller.disconnected());
    std::fflush(stdout);
    poller.stop();
    return 0;
}

int runOne(const Options& o) {
    const long files = station::raiseOpenFileLimit();
    if (files >= 0 && files < o.count + 64) {
        std::fprintf(stderr, "open-file limit %ld is too low for %d stations\n", files, o.count);
        return 1;
    }

    QProcess stations;
    stations.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList args{QStringLiteral("--base"),  o.base,
                     QStringLiteral("--count"), QString::number(o.count),
                     QStringLiteral("--port"),  QString::number(o.port)};
    QString program = o.stations;
    if (program.isEmpty())
        program = QCoreApplication::applicationDirPath() + QStringLiteral("/station-responder");
    else
        args.prepend(QStringLiteral("--headless"));
    args << o.stationArgs;
    stations.start(program, args);
    if (!stations.waitForStarted(10000) || !stationsReady(o)) {
        std::fprintf(stderr, "the stations did not come up (%s)\n", qPrintable(program));
        return 1;
    }

    if (o.transport == QLatin1String("threads")) {
        const int result = runThreads(o);
        stopStations(stations);
        return result;
    }

    ConsoleContext ctx;
    ctx.regional = Regional::spanishSpain();
    ctx.settings.pollIntervalMs = 1000;

    const qint64 rssBefore = residentBytes();
    auto lista = std::make_unique<ListaPuestos>(ctx);
    lista->linkEnvironment().port = quint16(o.port);
    if (o.timerPerLink)
        lista->scheduler().setDrive(station::LinkScheduler::Drive::TimerPerTask);
    lista->linkEnvironment().transport = o.transport == QLatin1String("qt") ? station::TransportKind::QtSocket
                                                                            : station::TransportKind::Native;
    std::vector<store::Puesto> rows;
    rows.reserve(size_t(o.count));
    for (int i = 0; i < o.count; ++i) {
        store::Puesto p;
        p.npuesto = i + 1;
        p.ip = station::loopbackStationAddress(QHostAddress(o.base), i).toString();
        p.preciorel = 100;
        p.estado = 1;
        p.sinconex = QStringLiteral("0");
        rows.push_back(p);
    }
    lista->cargarFilas(rows, false);
    rows.clear();
    rows.shrink_to_fit();
    // A console that has run for a while has its stations' exchanges spread
    // over the interval; start the links that way. (Started all at once,
    // the first round is a burst; its lateness is printed apart.)
    if (o.burst) {
        lista->startAll();
    } else {
        QElapsedTimer since;
        since.start();
        int next = 0;
        QTimer starter;
        QObject::connect(&starter, &QTimer::timeout, [&] {
            while (next < lista->count() && since.elapsed() * lista->count() >= qint64(next) * 1000)
                lista->at(next++).tarea->start();
            if (next == lista->count())
                starter.stop();
        });
        starter.start(1);
        runLoop(1000);
    }
    runLoop(o.warmup * 1000);
    const qint64 startupLateness = lista->statistics().maxLatenessMs;

    station::LinkStatistics& st = lista->statistics();
    st = station::LinkStatistics();
    const double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    runLoop(o.seconds * 1000);
    const double cpu = cpuSeconds() - cpu0;
    const double elapsed = double(wall.elapsed()) / 1000.0;
    const qint64 rssAfter = residentBytes();
    int disconnected = 0;
    for (int i = 0; i < lista->count(); ++i)
        disconnected += lista->at(i).rec().disconnected ? 1 : 0;

    if (qEnvironmentVariableIsSet("BENCH_DEBUG"))
        std::printf("        started %llu, replies %llu in %.3f s\n",
                    static_cast<unsigned long long>(st.started), static_cast<unsigned long long>(st.replies),
                    elapsed);
    const double perSecond = double(st.started) / elapsed;
    const double onSchedule = st.started ? 100.0 * double(st.onSchedule) / double(st.started) : 0.0;
    const double cpuPerThousand = st.started ? 1000.0 * cpu * 1000.0 / double(st.started) : 0.0;
    const double coreShare = 100.0 * cpu / elapsed;
    const double kibPerStation = double(rssAfter - rssBefore) / 1024.0 / o.count;
    std::printf("        mean reply wait %.2f ms, %llu replies found only at the deadline\n",
                st.replies ? double(st.replyWaitTotalMs) / double(st.replies) : 0.0,
                static_cast<unsigned long long>(st.repliesAtDeadline));
    printIntervals(st.intervals);
    std::printf(
        "%6d stations  %8.0f exchanges/s  %6.2f %% on schedule (max %lld ms late)  %7.2f ms CPU per 1000 "
        "exchanges  %5.1f %% of one core  %6.2f KiB per station  %llu failed, %d unreachable  (warm-up: "
        "max %lld ms late)\n",
        o.count, perSecond, onSchedule, static_cast<long long>(st.maxLatenessMs), cpuPerThousand, coreShare,
        kibPerStation, static_cast<unsigned long long>(st.failed), disconnected,
        static_cast<long long>(startupLateness));
    std::fflush(stdout);

    lista->stopAll();
    lista.reset();
    stopStations(stations);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Options o;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString a = args.at(i);
        const QString v = i + 1 < args.size() ? args.at(i + 1) : QString();
        if (a == QLatin1String("--count")) {
            o.count = v.toInt();
            ++i;
        } else if (a == QLatin1String("--counts")) {
            o.counts.clear();
            for (const QString& c : v.split(QLatin1Char(',')))
                o.counts << c.toInt();
            ++i;
        } else if (a == QLatin1String("--seconds")) {
            o.seconds = v.toInt();
            ++i;
        } else if (a == QLatin1String("--warmup")) {
            o.warmup = v.toInt();
            ++i;
        } else if (a == QLatin1String("--transport")) {
            o.transport = v;
            ++i;
        } else if (a == QLatin1String("--stations")) {
            o.stations = v;
            ++i;
        } else if (a == QLatin1String("--station-args")) {
            o.stationArgs = v.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            ++i;
        } else if (a == QLatin1String("--burst")) {
            o.burst = true;
        } else if (a == QLatin1String("--timer-per-link")) {
            o.timerPerLink = true;
        } else if (a == QLatin1String("--base")) {
            o.base = v;
            ++i;
        } else if (a == QLatin1String("--port")) {
            o.port = v.toInt();
            ++i;
        } else {
            std::fprintf(
                stderr,
                "usage: %s [--counts 100,1000,5000,9999 | --count N] [--seconds S] [--warmup S] "
                "[--transport native|qt|threads] [--stations PROGRAM] [--station-args \"ARGS\"] [--base "
                "ADDRESS] [--port P] [--burst] "
                "[--timer-per-link]\n",
                argv[0]);
            return 2;
        }
    }
    if (o.count > 0)
        return runOne(o);

    std::printf("station link, %s, %s, %s event dispatcher, %s, links started %s, %d s measured "
                "after %d s\n",
                o.transport == QLatin1String("threads")
                    ? "one blocking thread per station (the comparison)"
                    : qPrintable(o.transport + QStringLiteral(" transport")),
                o.timerPerLink ? "one QTimer per link" : "one scheduler timer",
                qEnvironmentVariableIsSet("QT_NO_GLIB") ? "Qt's own" : "GLib",
                o.stations.isEmpty() ? "bench responder" : qPrintable(QFileInfo(o.stations).fileName()),
                o.burst ? "all at once" : "spread over one interval", o.seconds, o.warmup);
    std::fflush(stdout);
    int failures = 0;
    for (int n : o.counts) {
        QStringList child{QStringLiteral("--count"),     QString::number(n),
                          QStringLiteral("--seconds"),   QString::number(o.seconds),
                          QStringLiteral("--warmup"),    QString::number(o.warmup),
                          QStringLiteral("--transport"), o.transport,
                          QStringLiteral("--base"),      o.base,
                          QStringLiteral("--port"),      QString::number(o.port)};
        if (!o.stations.isEmpty())
            child << QStringLiteral("--stations") << o.stations;
        if (!o.stationArgs.isEmpty())
            child << QStringLiteral("--station-args") << o.stationArgs.join(QLatin1Char(' '));
        if (o.burst)
            child << QStringLiteral("--burst");
        if (o.timerPerLink)
            child << QStringLiteral("--timer-per-link");
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(QCoreApplication::applicationFilePath(), child);
        p.waitForFinished(-1);
        failures += p.exitCode() != 0 ? 1 : 0;
    }
    return failures == 0 ? 0 : 1;
}
