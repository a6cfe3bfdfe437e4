#pragma once

#include "core/currency.h"

// Values read from the options at start-up and changed at once when the
// options window is accepted; the station link and the session engine read
// them on every poll and tick.
struct RuntimeSettings {
    static constexpr int DefaultPollMs = 1000;

    int pollIntervalMs = DefaultPollMs;
    Currency roundingUnit = Currency::fromCents(1);
    int prepaidAlarmSeconds = 0;
    Currency creditAlarm;
    // 0: stations in use follow the time band in force; otherwise the tariff
    // chosen at the start stays.
    int cambiotarifa = 1;
    bool porfranjas = false;
    // Seconds of silence after which another console's stations are taken
    // over; 0 only by hand.
    int takeoverDelaySeconds = DefaultTakeoverDelaySeconds;
    static constexpr int DefaultTakeoverDelaySeconds = 30;
    static constexpr int MinTakeoverDelaySeconds = 5;
    static constexpr int MaxTakeoverDelaySeconds = 3600;
    // 0 stays 0; anything else is brought within the limits.
    static int takeoverDelayFor(int seconds) {
        return seconds <= 0 ? 0
                            : (seconds < MinTakeoverDelaySeconds   ? MinTakeoverDelaySeconds
                               : seconds > MaxTakeoverDelaySeconds ? MaxTakeoverDelaySeconds
                                                                   : seconds);
    }

    // ping seconds -> poll period: 1 to 60 only, anything else polls every second.
    static int pollIntervalForPing(int ping) {
        return (ping >= 1 && ping <= 60) ? ping * 1000 : DefaultPollMs;
    }
    // A rounding unit that is not above 0 becomes 0.01.
    static Currency roundingUnitFor(Currency redondeo) {
        return redondeo.raw() > 0 ? redondeo : Currency::fromCents(1);
    }
};
