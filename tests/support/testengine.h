#pragma once

#include "core/consolecontext.h"
#include "session/engine.h"
#include "support/testdb.h"

#include <memory>

// An engine on a new demo database: its options in force, the tariff cache
// built and the stations loaded, no link running, the clock fake.
struct TestEngine {
    // sql runs on the database before anything is read from it.
    explicit TestEngine(const QString& sql = QString());

    void tick(qint64 advanceMs = 1000);
    int pos(int number);
    station::StationRecord& rec(int number);

    TestDatabase db{true};
    FakeClock clock{QDateTime(QDate(2026, 3, 10), QTime(11, 0, 0))};
    ConsoleContext context;
    std::unique_ptr<ConsoleEngine> engine;
};
