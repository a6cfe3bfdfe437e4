#include "store/databaselock.h"

#include "store/engine.h"

#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QThread>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace store {

namespace {

QString fileKey(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QFileInfo(info.absoluteFilePath()).filePath() : canonical;
}

#ifdef Q_OS_UNIX
QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The holder writes its name right after taking the lock; a reader that
// comes in between finds the file still empty, so it looks again briefly.
void readHolder(int fd, DatabaseLock::Outcome& outcome) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        char buffer[512];
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            const QStringList lines =
                QString::fromUtf8(buffer, int(n)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            outcome.host = lines.value(0).trimmed();
            outcome.pid = lines.value(1).trimmed().toLongLong();
            if (outcome.pid > 0)
                return;
        }
        QThread::msleep(10);
    }
}

bool clearHolder(int fd) {
    return ::ftruncate(fd, 0) == 0;
}

bool writeHolder(int fd) {
    const QByteArray holder =
        QSysInfo::machineHostName().toUtf8() + '\n' + QByteArray::number(qint64(::getpid())) + '\n';
    return clearHolder(fd) && ::pwrite(fd, holder.constData(), size_t(holder.size()), 0) == holder.size();
}
#endif

} // namespace

DatabaseLock::~DatabaseLock() {
    release();
}

QString DatabaseLock::lockPathFor(const QString& databasePath) {
    return databasePath + QStringLiteral(".lock");
}

bool DatabaseLock::holds(const QString& databasePath) const {
    return !m_key.isEmpty() && m_key == fileKey(databasePath);
}

DatabaseLock::Outcome DatabaseLock::acquire(const QString& databasePath) {
    Outcome outcome;
    outcome.databasePath = databasePath;
    // A server's database is shared by design, and its consoles claim
    // stations instead: no file is made beside a URI.
    if (isServerAddress(databasePath)) {
        outcome.kind = Outcome::Kind::Acquired;
        return outcome;
    }
    // A second claim of our own would conflict with the first.
    if (holds(databasePath)) {
        outcome.kind = Outcome::Kind::Acquired;
        return outcome;
    }
#ifdef Q_OS_UNIX
    const QByteArray lockPath = QFile::encodeName(lockPathFor(databasePath));
    bool writable = true;
    int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
        // Made by another user: the lock works on a read-only descriptor.
        writable = false;
        fd = ::open(lockPath.constData(), O_RDONLY | O_CLOEXEC);
    }
    if (fd < 0) {
        outcome.error = systemError(errno);
        return outcome;
    }
    int locked;
    do
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    while (locked < 0 && errno == EINTR);
    if (locked < 0) {
        const int error = errno;
        if (error == EWOULDBLOCK) {
            outcome.kind = Outcome::Kind::HeldElsewhere;
            readHolder(fd, outcome);
        } else {
            outcome.error = systemError(error);
        }
        ::close(fd);
        return outcome;
    }
    // Held even when the name cannot be written; others are then refused
    // without it.
    if (writable)
        writeHolder(fd);
    release();
    m_fd = fd;
#endif
    m_databasePath = databasePath;
    m_key = fileKey(databasePath);
    outcome.kind = Outcome::Kind::Acquired;
    return outcome;
}

void DatabaseLock::release() {
#ifdef Q_OS_UNIX
    if (m_fd >= 0) {
        // A file left behind names nobody.
        clearHolder(m_fd);
        ::close(m_fd);
        m_fd = -1;
    }
#endif
    m_databasePath.clear();
    m_key.clear();
}

} // namespace store
