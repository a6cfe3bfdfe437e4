// A stand-in for the station programs while the benchmark runs: listens on
// count loopback addresses from base and answers every line (up to its CR)
// with "OK", which the console ignores. No state, no protocol beyond that:
// the real station simulator lives in tools/.
#include "station/stationaddress.h"

#include <QCoreApplication>
#include <QHostAddress>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void onSignal(int) {
    g_stop = 1;
}

int listenOn(quint32 address, quint16 port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(address);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 16) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString base = QStringLiteral("127.0.1.1");
    int count = 100;
    int port = 22222;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--base"))
            base = args.at(++i);
        else if (args.at(i) == QLatin1String("--count"))
            count = args.at(++i).toInt();
        else if (args.at(i) == QLatin1String("--port"))
            port = args.at(++i).toInt();
    }

    // Never outlive the benchmark that started us.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);

    // Two descriptors per station (listener and connection). When the limit
    // cannot hold them all, the stations are shared among several processes.
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
    const int perProcess = qMax(1, int(limit.rlim_cur == RLIM_INFINITY ? count : (limit.rlim_cur - 64) / 2));
    int from = 0;
    int to = count;
    while (to - from > perProcess) {
        const int split = from + perProcess;
        const pid_t child = ::fork();
        if (child == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            from = split;
        } else {
            to = split;
            break;
        }
    }

    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    std::signal(SIGPIPE, SIG_IGN);

    const int ep = ::epoll_create1(EPOLL_CLOEXEC);
    std::unordered_map<int, bool> listeners;
    const QHostAddress first(base);
    for (int i = from; i < to; ++i) {
        const QHostAddress a = station::loopbackStationAddress(first, i);
        const int fd = listenOn(a.toIPv4Address(), quint16(port));
        if (fd < 0) {
            std::fprintf(stderr, "responder: cannot listen on %s:%d: %s\n", qPrintable(a.toString()), port,
                         std::strerror(errno));
            return 1;
        }
        listeners[fd] = true;
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.fd = fd;
        ::epoll_ctl(ep, EPOLL_CTL_ADD, fd, &ev);
    }
    if (to == count) {
        std::printf("ready\n");
        std::fflush(stdout);
    }

    epoll_event events[256];
    char buffer[4096];
    while (!g_stop) {
        const int n = ::epoll_wait(ep, events, 256, 200);
        for (int k = 0; k < n; ++k) {
            const int fd = events[k].data.fd;
            if (listeners.count(fd)) {
                for (;;) {
                    const int c = ::accept4(fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
                    if (c < 0)
                        break;
                    epoll_event ev{};
                    ev.events = EPOLLIN;
                    ev.data.fd = c;
                    ::epoll_ctl(ep, EPOLL_CTL_ADD, c, &ev);
                }
                continue;
            }
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0) {
                if (got < 0 && errno == EAGAIN)
                    continue;
                ::close(fd);
                continue;
            }
            for (ssize_t i = 0; i < got; ++i) {
                if (buffer[i] == '\r')
                    ::send(fd, "OK", 2, MSG_NOSIGNAL);
            }
        }
    }
    return 0;
}
