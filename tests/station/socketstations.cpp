#include "socketstations.h"

#include <cerrno>
#include <cstring>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

sockaddr_in endpoint(const QHostAddress& address, quint16 port) {
    sockaddr_in a;
    std::memset(&a, 0, sizeof a);
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(address.toIPv4Address());
    return a;
}

void closeFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

bool waitFor(int fd, short events, int timeoutMs) {
    pollfd p{fd, events, 0};
    int n;
    do {
        n = ::poll(&p, 1, timeoutMs);
    } while (n < 0 && errno == EINTR);
    return n == 1;
}

// Options set before listen() reach every connection it accepts.
int listenOn(const QHostAddress& address, quint16 port, int backlog, bool tinyWindow) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (tinyWindow) {
        // The smallest receive buffer, and small segments, which keep the
        // console's send buffer small too: a few dozen lines fill both.
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &one, sizeof one);
        const int segment = 536;
        ::setsockopt(fd, IPPROTO_TCP, TCP_MAXSEG, &segment, sizeof segment);
    }
    const sockaddr_in a = endpoint(address, port);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, backlog) != 0)
        closeFd(fd);
    return fd;
}

} // namespace

UnansweredListener::~UnansweredListener() {
    close();
}

bool UnansweredListener::open(const QHostAddress& address, quint16 port) {
    close();
    m_listener = listenOn(address, port, 0, false);
    if (m_listener < 0)
        return false;
    const sockaddr_in a = endpoint(address, port);
    // The queue of a listener with backlog 0 holds one connection or so;
    // connect until one is left hanging.
    for (int i = 0; i < 64; ++i) {
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return false;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0 && errno != EINPROGRESS) {
            closeFd(fd);
            return false;
        }
        if (!waitFor(fd, POLLOUT, 200)) {
            closeFd(fd);
            return true;
        }
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
            closeFd(fd);
            return false;
        }
        m_fillers.push_back(fd);
    }
    return false;
}

void UnansweredListener::close() {
    for (int& fd : m_fillers)
        closeFd(fd);
    m_fillers.clear();
    closeFd(m_listener);
}

StalledStation::~StalledStation() {
    closeFd(m_connection);
    closeFd(m_listener);
}

bool StalledStation::listen(const QHostAddress& address, quint16 port) {
    m_listener = listenOn(address, port, 4, true);
    return m_listener >= 0;
}

bool StalledStation::accept(int timeoutMs) {
    if (!waitFor(m_listener, POLLIN, timeoutMs))
        return false;
    closeFd(m_connection);
    m_connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
    return m_connection >= 0;
}

bool StalledStation::reply(const QByteArray& bytes) {
    return m_connection >= 0 &&
           ::send(m_connection, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL) == bytes.size();
}

QByteArray StalledStation::readSome(int timeoutMs) {
    if (m_connection < 0 || !waitFor(m_connection, POLLIN, timeoutMs))
        return {};
    QByteArray buffer(65536, Qt::Uninitialized);
    const ssize_t n = ::recv(m_connection, buffer.data(), size_t(buffer.size()), MSG_DONTWAIT);
    buffer.resize(n > 0 ? qsizetype(n) : 0);
    return buffer;
}

bool StalledStation::endsInReset(int timeoutMs) {
    char buffer[65536];
    for (;;) {
        if (m_connection < 0 || !waitFor(m_connection, POLLIN, timeoutMs))
            return false;
        const ssize_t n = ::recv(m_connection, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n == 0)
            return false;
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return errno == ECONNRESET;
    }
}
