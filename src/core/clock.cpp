#include "core/clock.h"

SystemClock& SystemClock::instance() {
    static SystemClock clock;
    return clock;
}
