#include "store/dbfile.h"

#include "store/privatefiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace store {

namespace {

std::atomic<int> g_sequence{0};

QString errorText(const QSqlError& e) {
    const QString text = e.databaseText().isEmpty() ? e.text() : e.databaseText();
    return text.trimmed().isEmpty() ? QStringLiteral("Error de base de datos") : text;
}

// A private connection to one file, removed when it goes.
class FileConnection {
public:
    FileConnection(const QString& path, const char* mode)
        : m_name(QStringLiteral("quintor-file-%1").arg(++g_sequence)) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
        url.setQuery(QStringLiteral("mode=") + QString::fromLatin1(mode));
        db.setDatabaseName(url.toString(QUrl::FullyEncoded));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open())
            m_error = errorText(db.lastError());
    }
    ~FileConnection() {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    FileConnection(const FileConnection&) = delete;
    FileConnection& operator=(const FileConnection&) = delete;

    bool ok() const { return m_error.isEmpty(); }
    const QString& error() const { return m_error; }

    // Runs one statement; the first column of its first row, or the error.
    Result<QString> exec(const QString& sql, const QVariantList& values = {}) const {
        QSqlQuery q(QSqlDatabase::database(m_name, false));
        if (!q.prepare(sql))
            return Result<QString>::failure(errorText(q.lastError()));
        for (int i = 0; i < values.size(); ++i)
            q.bindValue(i, values.at(i));
        if (!q.exec())
            return Result<QString>::failure(errorText(q.lastError()));
        return q.next() ? q.value(0).toString() : QString();
    }

private:
    QString m_name;
    QString m_error;
};

void removeWithSideFiles(const QString& path) {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QString::fromLatin1(suffix));
}

bool syncFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

Status vacuumInto(const QString& source, const QString& destination, const char* mode) {
    FileConnection from(source, mode);
    if (!from.ok())
        return Status::failure(from.error());
    // Reading the schema tells a database from any other file.
    if (auto probe = from.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master")); !probe)
        return Status::failure(probe.error());
    // An empty file made private beforehand is one the copy may fill.
    createPrivateFile(destination);
    if (auto copied = from.exec(QStringLiteral("VACUUM INTO ?"), {QFileInfo(destination).absoluteFilePath()});
        !copied)
        return Status::failure(copied.error());
    return Status::success();
}

} // namespace

Status copyDatabase(const QString& source, const QString& destination) {
    if (!QFileInfo(source).isFile())
        return Status::failure(QStringLiteral("No se encuentra el fichero %1").arg(source));
    if (QFileInfo::exists(destination))
        return Status::failure(QStringLiteral("El fichero %1 ya existe").arg(destination));
    Status copied = vacuumInto(source, destination, "ro");
    if (!copied) {
        // A database in write-ahead-log mode needs its shared-memory file,
        // which a read-only opening may not create.
        removeWithSideFiles(destination);
        copied = vacuumInto(source, destination, "rw");
    }
    if (copied)
        copied = integrityCheck(destination);
    if (copied && !syncFile(destination))
        copied = Status::failure(QStringLiteral("No se puede escribir %1").arg(destination));
    if (!copied)
        removeWithSideFiles(destination);
    return copied;
}

Result<QString> copyDatabaseDated(const QString& source, const QString& folder, const QDateTime& when) {
    const QString stamp = when.toString(QStringLiteral("yyyyMMddHHmm"));
    const QString name = QFileInfo(source).fileName();
    QString destination;
    for (int n = 0; destination.isEmpty() || QFileInfo::exists(destination); ++n)
        destination =
            QDir(folder).absoluteFilePath(stamp + (n > 0 ? QStringLiteral("~%1").arg(n) : QString()) + name);
    if (const Status copied = copyDatabase(source, destination); !copied)
        return Result<QString>::failure(copied.error());
    return destination;
}

Status integrityCheck(const QString& path) {
    FileConnection db(path, "rw");
    if (!db.ok())
        return Status::failure(db.error());
    const Result<QString> check = db.exec(QStringLiteral("PRAGMA integrity_check"));
    if (!check)
        return Status::failure(check.error());
    if (check.value().compare(QLatin1String("ok"), Qt::CaseInsensitive) != 0)
        return Status::failure(check.value());
    return Status::success();
}

Status syncToDisk(const QString& path) {
    const QFileInfo info(path);
    if (!syncFile(info.absoluteFilePath()) || !syncFile(info.absolutePath()))
        return Status::failure(QStringLiteral("No se puede escribir %1").arg(path));
    return Status::success();
}

QString compactionTempPath(const QString& path) {
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString base = suffix.isEmpty() ? info.fileName() : info.completeBaseName();
    return info.absolutePath() + QLatin1Char('/') + base + QStringLiteral("~1") +
           (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
}

Status CompactarBase(const QString& path, const QString& password) {
    Q_UNUSED(password);
    const QFileInfo info(path);
    if (!info.isFile())
        return Status::failure(QStringLiteral("No se encuentra el fichero %1").arg(path));
    const QString source = info.absoluteFilePath();
    const QString temp = compactionTempPath(source);
    removeWithSideFiles(temp);

    {
        FileConnection from(source, "rw");
        if (!from.ok())
            return Status::failure(from.error());
        const Result<QString> check = from.exec(QStringLiteral("PRAGMA integrity_check"));
        if (!check)
            return Status::failure(check.error());
        if (check.value().compare(QLatin1String("ok"), Qt::CaseInsensitive) != 0)
            return Status::failure(check.value());
        // Everything committed goes into the main file first, so that the
        // file we replace holds no data that lives only in its log.
        if (auto cp = from.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")); !cp)
            return Status::failure(cp.error());
        createPrivateFile(temp);
        if (auto copied = from.exec(QStringLiteral("VACUUM INTO ?"), {temp}); !copied) {
            removeWithSideFiles(temp);
            return Status::failure(copied.error());
        }
    }

    Status checked = integrityCheck(temp);
    if (checked && !syncFile(temp))
        checked = Status::failure(QStringLiteral("No se puede escribir %1").arg(temp));
    // The last connection to close removes the log; one still there means
    // another connection holds the file open, and would go on writing into
    // the old file after the rename.
    if (checked && QFileInfo::exists(source + QStringLiteral("-wal")))
        checked = Status::failure(QStringLiteral("La base de datos %1 está en uso").arg(info.fileName()));
    if (!checked) {
        removeWithSideFiles(temp);
        return checked;
    }
    QFile::remove(source + QStringLiteral("-shm"));
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(source).constData()) != 0) {
        removeWithSideFiles(temp);
        return Status::failure(QStringLiteral("No se puede reemplazar %1").arg(source));
    }
    syncFile(info.absolutePath());
    return Status::success();
}

} // namespace store
