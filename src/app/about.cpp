#include "app/about.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtGlobal>

#include <cups/cups.h>

namespace app {

namespace {

// The shared objects mapped into this process, as the kernel lists them:
// what the build really links, whatever the headers on the machine say.
QString mappedLibraries() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(maps.readAll());
}

QString sqliteVersion(const QSqlDatabase& db) {
    if (!db.isOpen() || db.driverName() != QLatin1String("QSQLITE"))
        return {};
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("select sqlite_version()")) && query.next())
        return query.value(0).toString();
    return {};
}

} // namespace

QString programLicence() {
    return QStringLiteral("Software propietario. Todos los derechos reservados.");
}

QList<LibraryInfo> libraries(const QSqlDatabase& db) {
    const QString maps = mappedLibraries();
    const auto loaded = [&maps](const char* soname) { return maps.contains(QLatin1String(soname)); };

    QList<LibraryInfo> list;
    list << LibraryInfo{QStringLiteral("Qt"), QString::fromLatin1(qVersion()),
                        QStringLiteral("GNU LGPL versión 3")};
    const QString sqlite = sqliteVersion(db);
    if (!sqlite.isEmpty() || loaded("libsqlite3.so"))
        list << LibraryInfo{QStringLiteral("SQLite"), sqlite, QStringLiteral("Dominio público")};
    list << LibraryInfo{QStringLiteral("CUPS (libcups)"),
                        QStringLiteral("%1.%2").arg(CUPS_VERSION_MAJOR).arg(CUPS_VERSION_MINOR),
                        QStringLiteral("Apache 2.0 (con excepciones para GPL 2 y LGPL 2)")};
    if (loaded("libcurl.so") || loaded("libcurl-gnutls.so"))
        list << LibraryInfo{QStringLiteral("libcurl"), QString(), QStringLiteral("Licencia curl (tipo MIT)")};
    if (loaded("libgcrypt.so"))
        list << LibraryInfo{QStringLiteral("libgcrypt"), QString(),
                            QStringLiteral("GNU LGPL versión 2.1 o posterior")};
    return list;
}

} // namespace app
