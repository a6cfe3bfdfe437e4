#include "station/nativetransport.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace station {

namespace {

bool wouldBlock(int e) {
    return e == EAGAIN || e == EWOULDBLOCK;
}

#ifdef MSG_NOSIGNAL
constexpr int SendFlags = MSG_NOSIGNAL;
#else
constexpr int SendFlags = 0;
#endif

int openSocket(int family) {
#ifdef SOCK_NONBLOCK
    return ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
#else
    const int fd = ::socket(family, SOCK_STREAM, 0);
    if (fd >= 0) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    return fd;
#endif
}

} // namespace

NativeTransport::NativeTransport(TransportListener& listener)
    : m_listener(listener) {}

NativeTransport::~NativeTransport() {
    close();
}

void NativeTransport::connectToStation(const QString& address, quint16 port) {
    close();
    m_port = port;
    QHostAddress ip;
    if (ip.setAddress(address)) {
        connectToAddress(ip, port);
        return;
    }
    // A host name: resolved on every connect, so a changed address is picked up.
    m_state = State::Resolving;
    const quint32 generation = m_generation;
    m_lookupId = QHostInfo::lookupHost(address, this, [this, generation](const QHostInfo& info) {
        if (generation != m_generation || m_state != State::Resolving)
            return;
        m_lookupId = -1;
        for (const QHostAddress& a : info.addresses()) {
            if (a.protocol() == QAbstractSocket::IPv4Protocol ||
                a.protocol() == QAbstractSocket::IPv6Protocol) {
                connectToAddress(a, m_port);
                return;
            }
        }
        m_state = State::Closed;
        m_listener.transportFailed();
    });
}

void NativeTransport::connectToAddress(const QHostAddress& address, quint16 port) {
    sockaddr_storage storage;
    std::memset(&storage, 0, sizeof storage);
    socklen_t length = 0;
    int family = AF_INET;
    if (address.protocol() == QAbstractSocket::IPv6Protocol) {
        family = AF_INET6;
        auto* a6 = reinterpret_cast<sockaddr_in6*>(&storage);
        a6->sin6_family = AF_INET6;
        a6->sin6_port = htons(port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&a6->sin6_addr, &bytes, sizeof bytes);
        length = sizeof(sockaddr_in6);
    } else {
        auto* a4 = reinterpret_cast<sockaddr_in*>(&storage);
        a4->sin_family = AF_INET;
        a4->sin_port = htons(port);
        a4->sin_addr.s_addr = htonl(address.toIPv4Address());
        length = sizeof(sockaddr_in);
    }
    m_fd = openSocket(family);
    if (m_fd < 0) {
        failLater();
        return;
    }
    const int one = 1;
    ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    m_state = State::Connecting;
    if (::connect(m_fd, reinterpret_cast<sockaddr*>(&storage), length) != 0 && errno != EINPROGRESS) {
        failLater();
        return;
    }
    // Also when the connect completed at once: the link hears of it from the
    // event loop, never from inside this call.
    setWriteWatch(true);
}

void NativeTransport::failLater() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_state = State::Failing;
    const quint32 generation = m_generation;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation != m_generation)
                return;
            m_state = State::Closed;
            m_listener.transportFailed();
        },
        Qt::QueuedConnection);
}

bool NativeTransport::finishConnect() {
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
        return false;
    m_state = State::Connected;
    setWriteWatch(false);
    return true;
}

bool NativeTransport::connectCompleted() {
    if (m_state == State::Connected)
        return true;
    if (m_state != State::Connecting)
        return false;
    pollfd p{m_fd, POLLOUT, 0};
    if (::poll(&p, 1, 0) != 1)
        return false;
    return finishConnect();
}

void NativeTransport::setWriteWatch(bool on) {
    if (!m_writeNotifier) {
        if (!on)
            return;
        m_writeNotifier = new QSocketNotifier(QSocketNotifier::Write, this);
        connect(m_writeNotifier, &QSocketNotifier::activated, this, &NativeTransport::writable);
    }
    if (on && qintptr(m_writeNotifier->socket()) != m_fd) {
        m_writeNotifier->setEnabled(false);
        m_writeNotifier->setSocket(m_fd);
    }
    m_writeNotifier->setEnabled(on);
}

void NativeTransport::watchReadable(bool on) {
    if (!m_readNotifier) {
        if (!on)
            return;
        m_readNotifier = new QSocketNotifier(QSocketNotifier::Read, this);
        connect(m_readNotifier, &QSocketNotifier::activated, this, &NativeTransport::readable);
    }
    if (on) {
        if (m_fd < 0)
            return;
        if (qintptr(m_readNotifier->socket()) != m_fd) {
            m_readNotifier->setEnabled(false);
            m_readNotifier->setSocket(m_fd);
        }
    }
    m_readNotifier->setEnabled(on);
}

void NativeTransport::writable() {
    if (m_state == State::Connecting) {
        if (finishConnect()) {
            m_listener.transportConnected();
        } else {
            close();
            m_listener.transportFailed();
        }
        return;
    }
    if (!m_sending) {
        setWriteWatch(false);
        return;
    }
    const ssize_t n = ::send(m_fd, m_unsent.constData(), size_t(m_unsent.size()), SendFlags);
    if (n < 0 && wouldBlock(errno))
        return;
    if (n < 0) {
        close();
        m_listener.transportFailed();
        return;
    }
    m_unsent.remove(0, n);
    if (m_unsent.isEmpty()) {
        m_sending = false;
        setWriteWatch(false);
        m_listener.transportSent();
    }
}

void NativeTransport::readable() {
    if (m_readNotifier)
        m_readNotifier->setEnabled(false);
    m_listener.transportReadable();
}

StationTransport::SendResult NativeTransport::send(const QByteArray& bytes) {
    if (m_state != State::Connected)
        return SendResult::Failed;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(m_fd, bytes.constData() + done, size_t(bytes.size() - done), SendFlags);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (wouldBlock(errno))
                break;
            return SendResult::Failed;
        }
        done += n;
    }
    if (done == bytes.size())
        return SendResult::Sent;
    m_unsent = bytes.mid(done);
    m_sending = true;
    setWriteWatch(true);
    return SendResult::Pending;
}

bool NativeTransport::sendCompleted() {
    if (m_state != State::Connected)
        return false;
    if (m_sending) {
        const ssize_t n = ::send(m_fd, m_unsent.constData(), size_t(m_unsent.size()), SendFlags);
        if (n > 0)
            m_unsent.remove(0, n);
        if (!m_unsent.isEmpty())
            return false;
        m_sending = false;
        setWriteWatch(false);
    }
    return true;
}

StationTransport::ReadResult NativeTransport::readOnce(QByteArray& out, qsizetype max) {
    if (m_state != State::Connected)
        return ReadResult::Closed;
    char buffer[4096];
    const size_t want = size_t(qMin<qsizetype>(max, qsizetype(sizeof buffer)));
    ssize_t n;
    do {
        n = ::recv(m_fd, buffer, want, 0);
    } while (n < 0 && errno == EINTR);
    if (n > 0) {
        out = QByteArray(buffer, n);
        return ReadResult::Data;
    }
    if (n < 0 && wouldBlock(errno))
        return ReadResult::Nothing;
    return ReadResult::Closed;
}

bool NativeTransport::discardUnread() {
    if (m_state != State::Connected)
        return false;
    char buffer[4096];
    // A station that floods us is treated as broken.
    for (int i = 0; i < 16; ++i) {
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0)
            continue;
        if (n < 0 && errno == EINTR)
            continue;
        return n < 0 && wouldBlock(errno);
    }
    return false;
}

void NativeTransport::reset() {
    if (m_fd >= 0 && m_state == State::Connected) {
        const linger abortive{1, 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    }
    close();
}

void NativeTransport::close() {
    ++m_generation;
    if (m_lookupId >= 0) {
        QHostInfo::abortHostLookup(m_lookupId);
        m_lookupId = -1;
    }
    if (m_readNotifier)
        m_readNotifier->setEnabled(false);
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(false);
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_state = State::Closed;
    m_sending = false;
    m_unsent.clear();
}

} // namespace station
