#pragma once

#include "station/tareacliente.h"

#include <QHostAddress>

#include <atomic>
#include <memory>
#include <vector>

// The comparison the link is measured against: one blocking thread per
// station, each running the polling loop a thread-per-station console runs
// (connect; then wait for the due time, build the poll line, send it with its
// CR, wait up to the reply time for data, read once, sleep one interval).
class ThreadPoller {
public:
    ThreadPoller(std::vector<QHostAddress> stations, quint16 port, int intervalMs);
    ~ThreadPoller();

    // Starts every thread, their first exchanges spread over one interval.
    void start();
    void stop();

    // Counters since the last reset.
    void reset();
    quint64 exchanges() const { return m_exchanges.load(std::memory_order_relaxed); }
    quint64 failed() const { return m_failed.load(std::memory_order_relaxed); }
    int disconnected() const { return m_disconnected.load(std::memory_order_relaxed); }
    station::IntervalHistogram intervals() const;

private:
    struct Worker;
    void run(int index);

    std::vector<QHostAddress> m_stations;
    quint16 m_port;
    int m_intervalMs;
    std::vector<std::unique_ptr<Worker>> m_workers;
    std::atomic<bool> m_stop{false};
    std::atomic<quint64> m_exchanges{0};
    std::atomic<quint64> m_failed{0};
    std::atomic<int> m_disconnected{0};
    std::vector<std::atomic<quint64>> m_intervalCounts;
    std::atomic<qint64> m_intervalSum{0};
    std::atomic<qint64> m_intervalMax{0};
};
