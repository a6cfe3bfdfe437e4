#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QtGlobal>

// Milliseconds from a monotonic source, 64 bits wide so it never wraps, and
// the wall clock for dates and times of records. Behind an interface so tests
// can move time by hand.
class Clock {
public:
    virtual ~Clock() = default;
    virtual qint64 monotonicMs() const = 0;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    SystemClock() { m_timer.start(); }
    qint64 monotonicMs() const override { return m_timer.elapsed(); }
    QDateTime now() const override { return QDateTime::currentDateTime(); }

    static SystemClock& instance();

private:
    QElapsedTimer m_timer;
};

class FakeClock final : public Clock {
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 1, 15), QTime(10, 0, 0)))
        : m_now(std::move(start)) {}
    qint64 monotonicMs() const override { return m_ms; }
    QDateTime now() const override { return m_now; }

    void advance(qint64 ms) {
        m_ms += ms;
        m_now = m_now.addMSecs(ms);
    }
    void setNow(const QDateTime& dt) { m_now = dt; }

private:
    qint64 m_ms = 1000000;
    QDateTime m_now;
};
