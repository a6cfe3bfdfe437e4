#include "support/pgrelay.h"

#include <QByteArray>
#include <QDir>

#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

sockaddr_un addressOf(const std::string& path) {
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    path.copy(a.sun_path, sizeof a.sun_path - 1);
    return a;
}

bool writeAll(int fd, const char* data, ssize_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

bool pass(int from, int to) {
    char buffer[65536];
    const ssize_t n = ::read(from, buffer, sizeof buffer);
    return n > 0 && writeAll(to, buffer, n);
}

} // namespace

PgRelay::~PgRelay() {
    if (m_thread.joinable()) {
        const char stop = 'x';
        (void)::write(m_wake[1], &stop, 1);
        m_thread.join();
    }
    for (int fd : {m_listener, m_wake[0], m_wake[1]})
        if (fd >= 0)
            ::close(fd);
    if (!m_path.empty())
        ::unlink(m_path.c_str());
}

bool PgRelay::start(const QString& folder, const QString& serverFolder) {
    QDir().mkpath(folder);
    m_path = QString(folder + QStringLiteral("/.s.PGSQL.5432")).toStdString();
    m_server = QString(serverFolder + QStringLiteral("/.s.PGSQL.5432")).toStdString();
    ::unlink(m_path.c_str());
    // Close-on-exec everywhere: a process the test starts must never hold a
    // cut connection open.
    m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_un address = addressOf(m_path);
    if (m_listener < 0 ||
        ::bind(m_listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listener, 16) != 0 || ::pipe2(m_wake, O_CLOEXEC) != 0)
        return false;
    m_thread = std::thread([this] { run(); });
    return true;
}

void PgRelay::setDown(bool down) {
    m_down = down;
    // The relay's thread looks again at once.
    const char wake = 'w';
    (void)::write(m_wake[1], &wake, 1);
}

void PgRelay::run() {
    std::vector<Pair> pairs;
    for (;;) {
        std::vector<pollfd> fds{{m_wake[0], POLLIN, 0}, {m_listener, POLLIN, 0}};
        for (const Pair& p : pairs) {
            fds.push_back({p.client, POLLIN, 0});
            fds.push_back({p.server, POLLIN, 0});
        }
        if (::poll(fds.data(), fds.size(), -1) < 0)
            continue;
        if (fds[0].revents) {
            char why = 0;
            if (::read(m_wake[0], &why, 1) != 1 || why == 'x')
                break;
        }
        const bool down = m_down;
        std::vector<Pair> alive;
        for (size_t i = 0; i < pairs.size(); ++i) {
            const Pair p = pairs[i];
            bool open = !down;
            if (open && fds[2 + 2 * i].revents)
                open = fromClient(p);
            if (open && fds[3 + 2 * i].revents)
                open = pass(p.server, p.client);
            if (open) {
                alive.push_back(p);
            } else {
                cut(p);
            }
        }
        pairs = std::move(alive);
        if (fds[1].revents & POLLIN) {
            const int client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (down) {
                if (client >= 0)
                    ::close(client);
                continue;
            }
            const int server = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            const sockaddr_un address = addressOf(m_server);
            if (client >= 0 && server >= 0 &&
                ::connect(server, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
                pairs.push_back({client, server});
            } else {
                for (int fd : {client, server})
                    if (fd >= 0)
                        ::close(fd);
            }
        }
    }
    for (const Pair& p : pairs)
        cut(p);
}

void PgRelay::cut(const Pair& p) {
    for (int fd : {p.client, p.server}) {
        ::shutdown(fd, SHUT_RDWR);
        ::close(fd);
    }
}

bool PgRelay::fromClient(const Pair& p) {
    char buffer[65536];
    const ssize_t n = ::read(p.client, buffer, sizeof buffer);
    if (n <= 0)
        return false;
    // The simple query "COMMIT", as the driver sends it.
    static const QByteArray commit("Q\0\0\0\x0b"
                                   "COMMIT\0",
                                   12);
    const int cut = m_cut;
    if (cut == int(Cut::None) || !QByteArray::fromRawData(buffer, n).contains(commit))
        return writeAll(p.server, buffer, n);
    m_cut = int(Cut::None);
    ++m_cuts;
    if (cut == int(Cut::AfterCommit) && writeAll(p.server, buffer, n)) {
        // The server's answer says it kept the transaction; the console never hears it.
        pollfd answer{p.server, POLLIN, 0};
        if (::poll(&answer, 1, 5000) > 0) {
            char swallowed[4096];
            (void)::read(p.server, swallowed, sizeof swallowed);
        }
    }
    return false;
}
