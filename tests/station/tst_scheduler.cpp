#include "core/clock.h"
#include "station/linkscheduler.h"

#include <QRandomGenerator>
#include <QTest>

#include <memory>
#include <vector>

namespace {

struct Task : station::ScheduledTask {
    std::vector<std::pair<int, qint64>>* log = nullptr;
    int id = 0;
    std::function<void()> onFire;
    void fire(qint64 now) override {
        log->push_back({id, now});
        if (onFire)
            onFire();
    }
};

} // namespace

class TestScheduler : public QObject {
    Q_OBJECT
private slots:
    void firesInDeadlineOrder();
    void rescheduleAndCancel();
    void budgetLeavesTheRest();
    void destroyedTaskLeavesNoDeadline();
    void timerDrive();
};

void TestScheduler::firesInDeadlineOrder() {
    FakeClock clock;
    station::LinkScheduler s(clock, station::LinkScheduler::Drive::Manual);
    std::vector<std::pair<int, qint64>> log;
    std::vector<std::unique_ptr<Task>> tasks;
    QRandomGenerator random(7);
    std::vector<qint64> due;
    const qint64 base = clock.monotonicMs();
    for (int i = 0; i < 500; ++i) {
        auto t = std::make_unique<Task>();
        t->log = &log;
        t->id = i;
        due.push_back(base + random.bounded(1000));
        s.schedule(*t, due.back());
        tasks.push_back(std::move(t));
    }
    // Moving some deadlines and cancelling others keeps the order right.
    for (int i = 0; i < 500; i += 3) {
        due[size_t(i)] = base + random.bounded(1000);
        s.schedule(*tasks[size_t(i)], due[size_t(i)]);
    }
    for (int i = 1; i < 500; i += 7) {
        s.cancel(*tasks[size_t(i)]);
        due[size_t(i)] = -1;
    }
    clock.advance(1000);
    s.runDue(100000);
    qint64 last = -1;
    int fired = 0;
    for (const auto& [id, now] : log) {
        QVERIFY(due[size_t(id)] >= last);
        QVERIFY(due[size_t(id)] >= 0);
        last = due[size_t(id)];
        ++fired;
    }
    QCOMPARE(fired, 500 - 72);
    QCOMPARE(s.size(), 0);
}

void TestScheduler::rescheduleAndCancel() {
    FakeClock clock;
    station::LinkScheduler s(clock, station::LinkScheduler::Drive::Manual);
    std::vector<std::pair<int, qint64>> log;
    Task a;
    a.log = &log;
    a.id = 1;
    const qint64 t0 = clock.monotonicMs();
    s.schedule(a, t0 + 100);
    s.schedule(a, t0 + 50);
    QCOMPARE(s.size(), 1);
    QCOMPARE(s.nextDueMs(), t0 + 50);
    clock.advance(49);
    QCOMPARE(s.runDue(), 0);
    clock.advance(1);
    QCOMPARE(s.runDue(), 1);
    QVERIFY(!a.isScheduled());
    s.schedule(a, t0 + 60);
    s.cancel(a);
    s.cancel(a);
    clock.advance(100);
    QCOMPARE(s.runDue(), 0);
    // A task that keeps scheduling itself for now cannot hold the loop for ever.
    a.onFire = [&] { s.schedule(a, clock.monotonicMs()); };
    s.schedule(a, clock.monotonicMs());
    QCOMPARE(s.runDue(10), 10);
    QVERIFY(a.isScheduled());
}

void TestScheduler::budgetLeavesTheRest() {
    FakeClock clock;
    station::LinkScheduler s(clock, station::LinkScheduler::Drive::Manual);
    std::vector<std::pair<int, qint64>> log;
    std::vector<std::unique_ptr<Task>> tasks(10);
    for (auto& t : tasks) {
        t = std::make_unique<Task>();
        t->log = &log;
        s.schedule(*t, clock.monotonicMs());
    }
    QCOMPARE(s.runDue(4), 4);
    QCOMPARE(s.runDue(4), 4);
    QCOMPARE(s.runDue(4), 2);
}

void TestScheduler::destroyedTaskLeavesNoDeadline() {
    FakeClock clock;
    station::LinkScheduler s(clock, station::LinkScheduler::Drive::Manual);
    std::vector<std::pair<int, qint64>> log;
    Task kept;
    kept.log = &log;
    s.schedule(kept, clock.monotonicMs() + 10);
    {
        Task gone;
        gone.log = &log;
        s.schedule(gone, clock.monotonicMs() + 5);
        QCOMPARE(s.size(), 2);
    }
    QCOMPARE(s.size(), 1);
    clock.advance(10);
    QCOMPARE(s.runDue(), 1);
    QCOMPARE(log.size(), size_t(1));
}

void TestScheduler::timerDrive() {
    station::LinkScheduler s(SystemClock::instance());
    std::vector<std::pair<int, qint64>> log;
    Task a;
    a.log = &log;
    Task b;
    b.log = &log;
    b.id = 2;
    const qint64 now = s.nowMs();
    s.schedule(a, now + 30);
    s.schedule(b, now + 10);
    QTRY_COMPARE(log.size(), size_t(2));
    QCOMPARE(log[0].first, 2);
    QCOMPARE(log[1].first, 0);
}

QTEST_GUILESS_MAIN(TestScheduler)
#include "tst_scheduler.moc"
