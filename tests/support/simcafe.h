#pragma once

#include "accounts/accountdecisions.h"
#include "sim/simulator.h"
#include "store/sql.h"
#include "support/testengine.h"

#include <QHostAddress>

#include <memory>

// The console's engine on a demo database with its accounts' decisions, and
// its first stations played by the simulator on loopback addresses from
// base; the other stations of the demo are gone. The engine's clock is
// fake: the test moves it a poll interval at a time.
struct SimCafe {
    SimCafe(const QHostAddress& base, int stations);
    virtual ~SimCafe();
    SimCafe(const SimCafe&) = delete;
    SimCafe& operator=(const SimCafe&) = delete;

    // The simulator listening and every link polling; true once each station
    // has answered and sleeps until its next poll.
    bool start();
    // One poll interval (or more): every station exchanges once, then the
    // clock ticks.
    bool round(qint64 ms = 1000);

    velkarsim::StationModel& tile(int number) { return sim.station(sim.indexOfNumber(number)); }
    station::StationRecord& rec(int number) { return te.rec(number); }
    QSqlDatabase db() const { return te.db.data.db(); }

    const int stationCount;
    // Destroyed last: the links close their connections first.
    velkarsim::Simulator sim;
    TestEngine te;
    std::unique_ptr<accounts::AccountDecisions> decisions;
    quint16 port = 0;
    int exchanges = 0;
};
