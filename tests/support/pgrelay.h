#pragma once

#include <QString>

#include <atomic>
#include <string>
#include <thread>

// A unix-socket relay in front of a PostgreSQL cluster, on a thread of its
// own (a console waits for its answers on the main thread). It passes
// everything; told so, it cuts both ends at the next COMMIT (before it
// reaches the server, or after the server has answered it), or goes down:
// every connection through it is cut and new ones are closed at once, until
// it comes up again.
class PgRelay {
public:
    enum class Cut { None, BeforeCommit, AfterCommit };

    PgRelay() = default;
    ~PgRelay();
    PgRelay(const PgRelay&) = delete;
    PgRelay& operator=(const PgRelay&) = delete;

    // Listens in folder (the host of a URI) for the cluster of serverFolder.
    bool start(const QString& folder, const QString& serverFolder);
    void cutAtNextCommit(Cut how) { m_cut = int(how); }
    int cuts() const { return m_cuts; }
    void setDown(bool down);

private:
    struct Pair {
        int client;
        int server;
    };
    void run();
    bool fromClient(const Pair& p);
    static void cut(const Pair& p);

    std::string m_path;
    std::string m_server;
    int m_listener = -1;
    int m_wake[2] = {-1, -1};
    std::thread m_thread;
    std::atomic<int> m_cut{int(Cut::None)};
    std::atomic<int> m_cuts{0};
    std::atomic<bool> m_down{false};
};
