#include "threadpoller.h"

#include "core/regional.h"
#include "station/stationrecord.h"
#include "station/wirecodec.h"
#include "station/wireformat.h"

#include <cerrno>
#include <ctime>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

qint64 monotonicMs() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void sleepMs(qint64 ms) {
    if (ms <= 0)
        return;
    timespec ts{time_t(ms / 1000), long(ms % 1000) * 1000000L};
    while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

int connectTo(const QHostAddress& address, quint16 port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return -1;
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    // The write timeout of a blocking stream.
    const timeval sendTimeout{3, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(address.toIPv4Address());
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

struct ThreadPoller::Worker {
    pthread_t thread{};
    bool started = false;
    ThreadPoller* owner = nullptr;
    int index = 0;
};

ThreadPoller::ThreadPoller(std::vector<QHostAddress> stations, quint16 port, int intervalMs)
    : m_stations(std::move(stations))
    , m_port(port)
    , m_intervalMs(intervalMs)
    , m_intervalCounts(station::IntervalHistogram::Buckets) {}

ThreadPoller::~ThreadPoller() {
    stop();
}

void ThreadPoller::start() {
    pthread_attr_t attr;
    ::pthread_attr_init(&attr);
    // Thousands of threads: small stacks, as such a console would have to choose.
    ::pthread_attr_setstacksize(&attr, 256 * 1024);
    for (size_t i = 0; i < m_stations.size(); ++i) {
        auto w = std::make_unique<Worker>();
        w->owner = this;
        w->index = int(i);
        w->started = ::pthread_create(
                         &w->thread, &attr,
                         [](void* arg) -> void* {
                             auto* self = static_cast<Worker*>(arg);
                             self->owner->run(self->index);
                             return nullptr;
                         },
                         w.get()) == 0;
        m_workers.push_back(std::move(w));
    }
    ::pthread_attr_destroy(&attr);
}

void ThreadPoller::stop() {
    m_stop.store(true);
    for (auto& w : m_workers) {
        if (w->started)
            ::pthread_join(w->thread, nullptr);
        w->started = false;
    }
    m_workers.clear();
}

void ThreadPoller::reset() {
    m_exchanges.store(0);
    m_failed.store(0);
    for (auto& c : m_intervalCounts)
        c.store(0);
    m_intervalSum.store(0);
    m_intervalMax.store(0);
}

station::IntervalHistogram ThreadPoller::intervals() const {
    station::IntervalHistogram h;
    for (size_t i = 0; i < m_intervalCounts.size(); ++i) {
        h.counts[i] = m_intervalCounts[i].load(std::memory_order_relaxed);
        h.total += h.counts[i];
    }
    h.sumMs = m_intervalSum.load();
    h.maxMs = m_intervalMax.load();
    return h;
}

void ThreadPoller::run(int index) {
    const Regional regional = Regional::spanishSpain();
    station::StationRecord rec;
    // Spread the first exchanges over one interval, as a console that has run for a while.
    qint64 due = monotonicMs() + qint64(index) * m_intervalMs / qint64(m_stations.size()) + m_intervalMs;
    int fd = connectTo(m_stations[size_t(index)], m_port);
    bool disconnected = fd < 0;
    if (disconnected)
        m_disconnected.fetch_add(1);
    qint64 lastStart = 0;
    char buffer[513];
    while (!m_stop.load(std::memory_order_relaxed)) {
        while (monotonicMs() < due && !m_stop.load(std::memory_order_relaxed))
            sleepMs(qMin<qint64>(due - monotonicMs(), 100));
        if (m_stop.load(std::memory_order_relaxed))
            break;
        const qint64 startMs = monotonicMs();
        if (lastStart > 0) {
            const qint64 interval = startMs - lastStart;
            m_intervalCounts[size_t(qMin<qint64>(interval, station::IntervalHistogram::Buckets - 1))]
                .fetch_add(1, std::memory_order_relaxed);
            m_intervalSum.fetch_add(interval, std::memory_order_relaxed);
            qint64 seen = m_intervalMax.load(std::memory_order_relaxed);
            while (interval > seen && !m_intervalMax.compare_exchange_weak(seen, interval)) {
            }
        }
        lastStart = startMs;
        QByteArray wire = station::toWindows1252(station::pollLine(rec, regional));
        wire.append('\r');
        if (fd < 0)
            fd = connectTo(m_stations[size_t(index)], m_port);
        bool ok = fd >= 0 && ::send(fd, wire.constData(), size_t(wire.size()), MSG_NOSIGNAL) == wire.size();
        if (ok) {
            pollfd p{fd, POLLIN, 0};
            ok = ::poll(&p, 1, 1000) == 1 && ::recv(fd, buffer, 512, 0) > 0;
        }
        m_exchanges.fetch_add(1, std::memory_order_relaxed);
        if (!ok) {
            m_failed.fetch_add(1, std::memory_order_relaxed);
            if (fd >= 0)
                ::close(fd);
            fd = -1;
            if (!disconnected)
                m_disconnected.fetch_add(1);
            disconnected = true;
        } else if (disconnected) {
            m_disconnected.fetch_sub(1);
            disconnected = false;
        }
        // Then sleep one poll interval.
        due = monotonicMs() + m_intervalMs;
    }
    if (fd >= 0)
        ::close(fd);
}
