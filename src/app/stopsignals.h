#pragma once

#include <QSocketNotifier>

#include <memory>

namespace app {

// SIGTERM and SIGINT (a service manager's stop, Ctrl+C) quit the event loop,
// so the program closes its connections and its database and ends as a
// program that finished. Keep the answer alive while the loop runs; null
// when the signals could not be routed.
std::unique_ptr<QSocketNotifier> quitOnStopSignals();

} // namespace app
