#include "support/readonly.h"

#include <QFileInfo>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

ReadOnly::ReadOnly(QString path)
    : m_path(std::move(path)) {
    if (setImmutable(true)) {
        m_immutable = true;
        return;
    }
    m_permissions = QFile::permissions(m_path);
    QFile::setPermissions(m_path,
                          QFileInfo(m_path).isDir() ? QFile::ReadOwner | QFile::ExeOwner : QFile::ReadOwner);
}

ReadOnly::~ReadOnly() {
    if (m_immutable)
        setImmutable(false);
    else
        QFile::setPermissions(m_path, m_permissions);
}

bool ReadOnly::effective() const {
    return m_immutable || ::access(QFile::encodeName(m_path).constData(), W_OK) != 0;
}

bool ReadOnly::setImmutable(bool on) const {
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}
