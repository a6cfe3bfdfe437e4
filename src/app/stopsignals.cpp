#include "app/stopsignals.h"

#include <QCoreApplication>

#include <csignal>

#include <sys/socket.h>
#include <unistd.h>

namespace app {

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    // Nothing else is safe in a signal handler.
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

} // namespace

std::unique_ptr<QSocketNotifier> quitOnStopSignals() {
    if (g_signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return nullptr;
    auto notifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, QCoreApplication::instance(),
                     [] { QCoreApplication::quit(); });
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    return notifier;
}

} // namespace app
