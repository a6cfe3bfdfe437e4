#include "store/privatefiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace store {

bool createPrivateFile(const QString& path) {
    // The mode is given at creation: no moment in which the file is anyone else's.
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool makePrivate(const QString& path) {
    return ::chmod(QFile::encodeName(path).constData(), 0600) == 0;
}

bool makePrivateFolder(const QString& path) {
    return ::chmod(QFile::encodeName(path).constData(), 0700) == 0;
}

bool createPrivateFolder(const QString& path) {
    if (QFileInfo(path).isDir())
        return true;
    if (!QDir().mkpath(path))
        return false;
    return makePrivateFolder(path);
}

void withdrawWorldAccess(const QString& databaseFile) {
    for (const char* suffix : {"", "-wal", "-shm"}) {
        const QByteArray file = QFile::encodeName(databaseFile + QLatin1String(suffix));
        struct stat st {};
        if (::stat(file.constData(), &st) == 0 && (st.st_mode & S_IRWXO) != 0)
            ::chmod(file.constData(), st.st_mode & 07770);
    }
}

} // namespace store
