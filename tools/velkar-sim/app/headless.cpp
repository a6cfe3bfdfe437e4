#include "app/headless.h"

#include "app/session.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace velkarsim {

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
}

void printLine(const QString& line) {
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    std::fputc('\n', stdout);
}

} // namespace

int runHeadless(const Options& options) {
    // Exchanges come by the thousand: buffer stdout, flush on a short timer.
    static char buffer[1 << 16];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);

    Session session(options);
    QObject::connect(&session, &Session::quitRequested, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    if (options.log)
        session.addLogSink(printLine);
    session.setNoticeSink([](const QString& text) {
        std::fprintf(stderr, "velkar-sim: %s\n", text.toLocal8Bit().constData());
    });

    QString error;
    QString warning;
    if (!session.start(&error, &warning)) {
        std::fprintf(stderr, "velkar-sim: %s\n", error.toLocal8Bit().constData());
        return 2;
    }
    if (!warning.isEmpty())
        std::fprintf(stderr, "velkar-sim: %s\n", warning.toLocal8Bit().constData());

    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) == 0) {
        auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, qApp);
        QObject::connect(notifier, &QSocketNotifier::activated, qApp, &QCoreApplication::quit);
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
    }

    QTimer flush;
    QObject::connect(&flush, &QTimer::timeout, [] { std::fflush(stdout); });
    flush.start(50);

    QTimer statsTimer;
    if (options.stats && options.statsEverySeconds > 0) {
        QObject::connect(&statsTimer, &QTimer::timeout, [&session] { printLine(session.statsLine(true)); });
        statsTimer.start(options.statsEverySeconds * 1000);
    }
    if (options.durationSeconds > 0)
        QTimer::singleShot(qRound64(options.durationSeconds * 1000.0), qApp, &QCoreApplication::quit);

    std::fprintf(stderr, "velkar-sim: %d stations from %s (number %d) on port %u\n", options.count,
                 options.base.toString().toLocal8Bit().constData(), options.firstNumber,
                 unsigned(options.port));

    const int rc = QCoreApplication::exec();
    if (options.stats)
        printLine(session.statsLine(false));
    std::fflush(stdout);
    return rc;
}

} // namespace velkarsim
