#include "station/linkscheduler.h"

#include "core/clock.h"

#include <limits>

namespace station {

ScheduledTask::~ScheduledTask() {
    if (m_scheduler)
        m_scheduler->cancel(*this);
}

LinkScheduler::LinkScheduler(Clock& clock, Drive drive, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
    , m_drive(drive) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_armedForMs = -1;
        runDue();
    });
}

LinkScheduler::~LinkScheduler() {
    for (const Entry& e : m_heap) {
        ScheduledTask* t = e.task;
        t->m_heapIndex = -1;
        t->m_scheduler = nullptr;
    }
    for (auto& [task, timer] : m_taskTimers) {
        if (timer->isActive()) {
            task->m_heapIndex = -1;
            task->m_scheduler = nullptr;
        }
    }
}

qint64 LinkScheduler::nowMs() const {
    return m_clock.monotonicMs();
}

void LinkScheduler::setDrive(Drive drive) {
    // Only between the heap drives, or while nothing is scheduled.
    Q_ASSERT((drive != Drive::TimerPerTask && m_drive != Drive::TimerPerTask) || m_heap.empty());
    m_drive = drive;
    if (m_drive == Drive::Manual) {
        m_timer.stop();
        m_armedForMs = -1;
    } else {
        arm();
    }
}

void LinkScheduler::schedule(ScheduledTask& task, qint64 dueMs) {
    if (m_drive == Drive::TimerPerTask) {
        QTimer*& timer = m_taskTimers[&task];
        if (!timer) {
            timer = new QTimer(this);
            timer->setSingleShot(true);
            timer->setTimerType(Qt::PreciseTimer);
            ScheduledTask* t = &task;
            connect(timer, &QTimer::timeout, this, [this, t] {
                t->m_heapIndex = -1;
                t->m_scheduler = nullptr;
                t->fire(nowMs());
            });
        }
        task.m_dueMs = dueMs;
        task.m_heapIndex = 0;
        task.m_scheduler = this;
        timer->start(int(qBound<qint64>(0, dueMs - nowMs(), qint64(std::numeric_limits<int>::max()))));
        return;
    }
    if (task.m_heapIndex >= 0) {
        const qint64 old = task.m_dueMs;
        task.m_dueMs = dueMs;
        m_heap[size_t(task.m_heapIndex)].dueMs = dueMs;
        if (dueMs < old)
            siftUp(task.m_heapIndex);
        else
            siftDown(task.m_heapIndex);
    } else {
        task.m_dueMs = dueMs;
        task.m_scheduler = this;
        m_heap.push_back(Entry{dueMs, &task});
        task.m_heapIndex = int(m_heap.size()) - 1;
        siftUp(task.m_heapIndex);
    }
    // Only an earlier deadline than the armed one needs the timer moved;
    // while tasks run, the timer is armed once at the end.
    if (m_running == 0 && (m_armedForMs < 0 || dueMs < m_armedForMs))
        arm();
}

void LinkScheduler::cancel(ScheduledTask& task) {
    if (task.m_heapIndex < 0)
        return;
    if (m_drive == Drive::TimerPerTask) {
        task.m_heapIndex = -1;
        task.m_scheduler = nullptr;
        if (QTimer* timer = m_taskTimers[&task])
            timer->stop();
        return;
    }
    removeAt(task.m_heapIndex);
    // A timer armed for a cancelled deadline fires once for nothing and re-arms.
}

int LinkScheduler::runDue(int maxTasks) {
    const qint64 now = nowMs();
    int ran = 0;
    ++m_running;
    // Past maxTasks the rest waits for the next turn of the event loop, so
    // replies that arrived meanwhile are read before their deadlines are judged.
    while (ran < maxTasks && !m_heap.empty() && m_heap.front().dueMs <= now) {
        ScheduledTask* t = m_heap.front().task;
        removeAt(0);
        ++ran;
        // A task may enter a nested event loop (a modal box in a decision):
        // the other links must keep running meanwhile.
        if (m_drive == Drive::Timer && !m_timer.isActive())
            arm();
        t->fire(now);
    }
    --m_running;
    arm();
    return ran;
}

void LinkScheduler::arm() {
    if (m_drive != Drive::Timer)
        return;
    if (m_heap.empty()) {
        m_timer.stop();
        m_armedForMs = -1;
        return;
    }
    const qint64 due = m_heap.front().dueMs;
    const qint64 delay = qMax<qint64>(0, due - nowMs());
    m_armedForMs = due;
    m_timer.start(int(qMin<qint64>(delay, std::numeric_limits<int>::max())));
}

void LinkScheduler::place(int i, Entry e) {
    m_heap[size_t(i)] = e;
    e.task->m_heapIndex = i;
}

void LinkScheduler::siftUp(int i) {
    const Entry e = m_heap[size_t(i)];
    while (i > 0) {
        const int parent = (i - 1) / 2;
        const Entry& p = m_heap[size_t(parent)];
        if (p.dueMs <= e.dueMs)
            break;
        place(i, p);
        i = parent;
    }
    place(i, e);
}

void LinkScheduler::siftDown(int i) {
    const int n = int(m_heap.size());
    const Entry e = m_heap[size_t(i)];
    for (;;) {
        int child = 2 * i + 1;
        if (child >= n)
            break;
        if (child + 1 < n && m_heap[size_t(child + 1)].dueMs < m_heap[size_t(child)].dueMs)
            ++child;
        if (m_heap[size_t(child)].dueMs >= e.dueMs)
            break;
        place(i, m_heap[size_t(child)]);
        i = child;
    }
    place(i, e);
}

void LinkScheduler::removeAt(int i) {
    ScheduledTask* gone = m_heap[size_t(i)].task;
    gone->m_heapIndex = -1;
    gone->m_scheduler = nullptr;
    const Entry last = m_heap.back();
    m_heap.pop_back();
    if (last.task == gone)
        return;
    place(i, last);
    siftUp(i);
    siftDown(last.task->m_heapIndex);
}

} // namespace station
