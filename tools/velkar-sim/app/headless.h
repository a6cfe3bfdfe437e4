#pragma once

#include "sim/options.h"

namespace velkarsim {

// Runs the stations without a window until "quit", --duration, SIGINT or SIGTERM.
int runHeadless(const Options& options);

} // namespace velkarsim
