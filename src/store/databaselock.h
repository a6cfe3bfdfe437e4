#pragma once

#include <QString>

namespace store {

// A console's claim on its database file: an advisory lock on
// "<database file>.lock", which names the computer and the process holding
// it. One console per file; the system drops the lock when the process
// ends, however it ends. Plain connections (readers, tools) never take it,
// and the engine's own locking is left as it is.
//
// flock, not fcntl: an fcntl lock belongs to the whole process, so a second
// claim in the same process would pass, and closing ANY descriptor of the
// file (reading the holder, say) would silently drop it. A flock belongs to
// one open file description and lives exactly as long as it.
class DatabaseLock {
public:
    struct Outcome {
        enum class Kind { Acquired, HeldElsewhere, Failed };
        Kind kind = Kind::Failed;
        QString databasePath;
        // The holder, when another holds it; empty or 0 when it did not say.
        QString host;
        qint64 pid = 0;
        // What the system said, when the lock file could not be used.
        QString error;

        bool acquired() const { return kind == Kind::Acquired; }
    };

    DatabaseLock() = default;
    ~DatabaseLock();
    DatabaseLock(const DatabaseLock&) = delete;
    DatabaseLock& operator=(const DatabaseLock&) = delete;

    // Claims the database file. A claim already held on another file is
    // given up only once the new one is taken; on a refusal it stays. A
    // server's URI is granted without a file and changes nothing here.
    Outcome acquire(const QString& databasePath);
    void release();

    bool isHeld() const { return !m_key.isEmpty(); }
    // The database file this lock holds, as given to acquire().
    QString databasePath() const { return m_databasePath; }
    // Whether this lock holds that database file (the same file by any path).
    bool holds(const QString& databasePath) const;

    static QString lockPathFor(const QString& databasePath);

private:
    int m_fd = -1;
    QString m_databasePath;
    QString m_key;
};

} // namespace store
