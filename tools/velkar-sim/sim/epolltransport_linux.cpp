// Linux transport: plain non-blocking sockets in one epoll set. The Qt event
// loop watches only the epoll descriptor, so a wake-up costs the same with ten
// stations or ten thousand (Qt's own dispatcher polls every notifier on every
// iteration).
#include "sim/transport.h"

#include <QSocketNotifier>
#include <QTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

namespace velkarsim {

namespace {

constexpr int Backlog = 64;
constexpr int MaxEvents = 512;
constexpr int ReadChunk = 4096;
// After running out of descriptors, leave the listener alone this long
// instead of spinning on a connection that cannot be accepted.
constexpr int AcceptPauseMs = 200;

class EpollTransport final : public Transport {
public:
    EpollTransport(TransportEvents* events, QObject* parent)
        : m_events(events) {
        m_epoll = epoll_create1(EPOLL_CLOEXEC);
        if (m_epoll < 0)
            qFatal("epoll_create1: %s", strerror(errno));
        m_notifier = new QSocketNotifier(m_epoll, QSocketNotifier::Read, parent);
        QObject::connect(m_notifier, &QSocketNotifier::activated, m_notifier, [this] { drain(); });
        m_context = m_notifier;
    }

    ~EpollTransport() override {
        for (Slot& s : m_slots) {
            closeFd(s.connFd);
            closeFd(s.listenFd);
        }
        delete m_notifier;
        ::close(m_epoll);
    }

    void resize(int slotCount) override { m_slots.resize(std::size_t(slotCount)); }

    bool listen(int slot, const QHostAddress& address, quint16 port, QString* error) override {
        Slot& s = m_slots[std::size_t(slot)];
        if (s.listenFd >= 0)
            return true;
        bool ok = false;
        const quint32 ip = address.toIPv4Address(&ok);
        if (!ok) {
            setError(error, QStringLiteral("not an IPv4 address: %1").arg(address.toString()));
            return false;
        }
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            setError(error, QStringLiteral("socket: %1").arg(QString::fromLocal8Bit(strerror(errno))));
            return false;
        }
        const int one = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_port = htons(port);
        sa.sin_addr.s_addr = htonl(ip);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || ::listen(fd, Backlog) != 0) {
            setError(error, QStringLiteral("%1:%2: %3")
                                .arg(address.toString())
                                .arg(port)
                                .arg(QString::fromLocal8Bit(strerror(errno))));
            ::close(fd);
            return false;
        }
        s.listenFd = fd;
        s.listenTag = nextTag();
        if (!add(fd, slot, s.listenTag, EPOLLIN)) {
            setError(error, QStringLiteral("epoll_ctl: %1").arg(QString::fromLocal8Bit(strerror(errno))));
            closeFd(s.listenFd);
            return false;
        }
        return true;
    }

    void closeListener(int slot) override {
        Slot& s = m_slots[std::size_t(slot)];
        closeFd(s.listenFd);
        s.listenTag = 0;
    }

    bool isListening(int slot) const override { return m_slots[std::size_t(slot)].listenFd >= 0; }
    bool isConnected(int slot) const override { return m_slots[std::size_t(slot)].connFd >= 0; }
    quint32 connectionId(int slot) const override { return m_slots[std::size_t(slot)].connTag; }

    void closeConnection(int slot) override {
        Slot& s = m_slots[std::size_t(slot)];
        closeFd(s.connFd);
        s.connTag = 0;
        s.outbox.clear();
    }

    bool send(int slot, const QByteArray& bytes) override {
        Slot& s = m_slots[std::size_t(slot)];
        if (s.connFd < 0)
            return false;
        if (!s.outbox.isEmpty()) {
            s.outbox.append(bytes);
            return true;
        }
        const ssize_t n = ::send(s.connFd, bytes.constData(), std::size_t(bytes.size()), MSG_NOSIGNAL);
        if (n == bytes.size())
            return true;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            closeConnection(slot);
            return false;
        }
        s.outbox = bytes.mid(n < 0 ? 0 : n);
        modify(s.connFd, slot, s.connTag, EPOLLIN | EPOLLRDHUP | EPOLLOUT);
        return true;
    }

private:
    struct Slot {
        int listenFd = -1;
        int connFd = -1;
        quint32 listenTag = 0;
        quint32 connTag = 0;
        QByteArray outbox;
    };

    static void setError(QString* error, const QString& text) {
        if (error)
            *error = text;
    }

    quint32 nextTag() {
        if (++m_tag == 0)
            ++m_tag;
        return m_tag;
    }

    static quint64 pack(int slot, quint32 tag) { return (quint64(quint32(slot)) << 32) | tag; }

    bool add(int fd, int slot, quint32 tag, quint32 events) {
        epoll_event ev{};
        ev.events = events;
        ev.data.u64 = pack(slot, tag);
        return epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &ev) == 0;
    }

    void modify(int fd, int slot, quint32 tag, quint32 events) {
        epoll_event ev{};
        ev.events = events;
        ev.data.u64 = pack(slot, tag);
        epoll_ctl(m_epoll, EPOLL_CTL_MOD, fd, &ev);
    }

    // Closing a descriptor also takes it out of the epoll set.
    static void closeFd(int& fd) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }

    void drain() {
        epoll_event events[MaxEvents];
        // A few rounds per wake-up while the set stays busy; the event loop
        // gets its turn in between.
        for (int round = 0; round < 4; ++round) {
            const int n = epoll_wait(m_epoll, events, MaxEvents, 0);
            if (n <= 0)
                return;
            for (int i = 0; i < n; ++i) {
                const int slot = int(events[i].data.u64 >> 32);
                const quint32 tag = quint32(events[i].data.u64);
                if (slot < 0 || std::size_t(slot) >= m_slots.size())
                    continue;
                const Slot& s = m_slots[std::size_t(slot)];
                if (tag == s.listenTag && s.listenFd >= 0)
                    acceptAll(slot);
                else if (tag == s.connTag && s.connFd >= 0)
                    connectionReady(slot, events[i].events);
            }
            if (n < MaxEvents)
                return;
        }
    }

    void acceptAll(int slot) {
        for (;;) {
            Slot& s = m_slots[std::size_t(slot)];
            if (s.listenFd < 0)
                return;
            const int fd = ::accept4(s.listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0) {
                if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
                    pauseListener(slot);
                return;
            }
            const int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            if (s.connFd >= 0) {
                closeConnection(slot);
                m_events->connectionClosed(slot);
            }
            Slot& now = m_slots[std::size_t(slot)];
            now.connFd = fd;
            now.connTag = nextTag();
            if (!add(fd, slot, now.connTag, EPOLLIN | EPOLLRDHUP)) {
                closeConnection(slot);
                continue;
            }
            m_events->connectionOpened(slot);
        }
    }

    void pauseListener(int slot) {
        Slot& s = m_slots[std::size_t(slot)];
        const quint32 tag = s.listenTag;
        epoll_ctl(m_epoll, EPOLL_CTL_DEL, s.listenFd, nullptr);
        QTimer::singleShot(AcceptPauseMs, m_context, [this, slot, tag] {
            Slot& again = m_slots[std::size_t(slot)];
            if (again.listenFd >= 0 && again.listenTag == tag)
                add(again.listenFd, slot, tag, EPOLLIN);
        });
    }

    void connectionReady(int slot, quint32 events) {
        const quint32 tag = m_slots[std::size_t(slot)].connTag;
        if (events & EPOLLOUT) {
            Slot& s = m_slots[std::size_t(slot)];
            const ssize_t n =
                ::send(s.connFd, s.outbox.constData(), std::size_t(s.outbox.size()), MSG_NOSIGNAL);
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                closeConnection(slot);
                m_events->connectionClosed(slot);
                return;
            }
            if (n > 0)
                s.outbox.remove(0, n);
            if (s.outbox.isEmpty())
                modify(s.connFd, slot, tag, EPOLLIN | EPOLLRDHUP);
        }
        if (!(events & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR)))
            return;
        char buffer[ReadChunk];
        for (;;) {
            const Slot& s = m_slots[std::size_t(slot)];
            if (s.connFd < 0 || s.connTag != tag)
                return;
            const ssize_t n = ::recv(s.connFd, buffer, sizeof buffer, 0);
            if (n > 0) {
                m_events->dataReceived(slot, buffer, n);
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return;
            if (n < 0 && errno == EINTR)
                continue;
            closeConnection(slot);
            m_events->connectionClosed(slot);
            return;
        }
    }

    TransportEvents* m_events;
    int m_epoll = -1;
    QSocketNotifier* m_notifier = nullptr;
    QObject* m_context = nullptr;
    std::vector<Slot> m_slots;
    quint32 m_tag = 0;
};

} // namespace

std::unique_ptr<Transport> createPlatformTransport(TransportEvents* events, QObject* parent) {
    return std::make_unique<EpollTransport>(events, parent);
}

int raiseOpenFileLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 1024;
    if (limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
        getrlimit(RLIMIT_NOFILE, &limit);
    }
    return limit.rlim_cur > rlim_t(INT32_MAX) ? INT32_MAX : int(limit.rlim_cur);
}

} // namespace velkarsim
