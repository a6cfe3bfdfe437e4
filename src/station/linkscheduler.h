#pragma once

#include <QObject>
#include <QTimer>

#include <unordered_map>
#include <vector>

class Clock;

namespace station {

class LinkScheduler;

// Something that wants to run once at a given monotonic time. Each task
// holds at most one deadline; scheduling it again moves that deadline.
class ScheduledTask {
public:
    ScheduledTask() = default;
    ScheduledTask(const ScheduledTask&) = delete;
    ScheduledTask& operator=(const ScheduledTask&) = delete;

    qint64 dueMs() const { return m_dueMs; }
    bool isScheduled() const { return m_heapIndex >= 0; }

protected:
    // A task that goes away leaves no deadline behind.
    virtual ~ScheduledTask();
    // Called once when the deadline is reached, already unscheduled.
    virtual void fire(qint64 nowMs) = 0;

private:
    friend class LinkScheduler;
    qint64 m_dueMs = 0;
    int m_heapIndex = -1;
    LinkScheduler* m_scheduler = nullptr;
};

// One timer for every station link: the deadlines of all links in a binary
// heap, the earliest one armed on a single QTimer. Thousands of per-link
// QTimers would each sit in the event dispatcher's timer list. Times come
// from the console's monotonic clock. Manual drive leaves the firing to the
// caller (runDue), for tests that move a fake clock.
class LinkScheduler : public QObject {
    Q_OBJECT
public:
    // TimerPerTask gives every task a QTimer of its own instead of the heap;
    // kept only so the benchmark can compare the two.
    enum class Drive { Timer, Manual, TimerPerTask };

    explicit LinkScheduler(Clock& clock, Drive drive = Drive::Timer, QObject* parent = nullptr);
    ~LinkScheduler() override;

    Clock& clock() const { return m_clock; }
    qint64 nowMs() const;

    void setDrive(Drive drive);
    Drive drive() const { return m_drive; }

    void schedule(ScheduledTask& task, qint64 dueMs);
    void cancel(ScheduledTask& task);

    // Runs, earliest first, every task due by now (at most maxTasks; the
    // timer picks up the rest at once). Answers how many ran.
    int runDue(int maxTasks = 4000);

    qsizetype size() const { return qsizetype(m_heap.size()); }
    // Earliest deadline, or -1 when nothing is scheduled (heap drives only).
    qint64 nextDueMs() const { return m_heap.empty() ? -1 : m_heap.front().dueMs; }

private:
    void arm();
    void siftUp(int i);
    void siftDown(int i);
    // A task's deadline is kept beside it in the heap, so reordering
    // thousands of links compares adjacent memory, not each task's own.
    struct Entry {
        qint64 dueMs;
        ScheduledTask* task;
    };
    void place(int i, Entry e);
    void removeAt(int i);

    Clock& m_clock;
    Drive m_drive;
    std::vector<Entry> m_heap;
    QTimer m_timer;
    qint64 m_armedForMs = -1;
    int m_running = 0;
    std::unordered_map<ScheduledTask*, QTimer*> m_taskTimers;
};

} // namespace station
