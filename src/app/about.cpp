#include "app/about.h"

#include "store/engine.h"
#include "ui/messagetable.h"

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
    if (!db.isOpen() || store::engineOf(db) != store::Engine::SQLite)
        return store::sqliteVersion();
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("select sqlite_version()")) && query.next())
        return query.value(0).toString();
    return {};
}

} // namespace

QString programLicence() {
    return ui::language() == ui::Language::English
               ? QStringLiteral(
                     "Quintor is free software: you can redistribute it and/or modify it under the "
                     "terms of the GNU General Public License, version 3 or later.")
               : QStringLiteral("Quintor es software libre: puede redistribuirlo y modificarlo bajo los "
                                "términos de la Licencia Pública General GNU, versión 3 o posterior.");
}

QList<LibraryInfo> libraries(const QSqlDatabase& db) {
    const QString maps = mappedLibraries();
    const auto loaded = [&maps](const char* soname) { return maps.contains(QLatin1String(soname)); };
    const bool english = ui::language() == ui::Language::English;
    const auto text = [english](const char* spanish, const char* inEnglish) {
        return QString::fromUtf8(english ? inEnglish : spanish);
    };

    QList<LibraryInfo> list;
    list << LibraryInfo{QStringLiteral("Qt"), QString::fromLatin1(qVersion()),
                        text("GNU LGPL versión 3", "GNU LGPL version 3")};
    // Unlike the rest of Qt, Qt Charts comes under the GPL only.
    if (loaded("libQt6Charts.so"))
        list << LibraryInfo{QStringLiteral("Qt Charts"), QString::fromLatin1(qVersion()),
                            text("GNU GPL versión 3", "GNU GPL version 3")};
    const QString sqlite = sqliteVersion(db);
    if (!sqlite.isEmpty() || loaded("libsqlite3.so"))
        list << LibraryInfo{QStringLiteral("SQLite"), sqlite, text("Dominio público", "Public domain")};
    list << LibraryInfo{QStringLiteral("PostgreSQL (libpq)"), store::libpqVersion(),
                        text("Licencia PostgreSQL (tipo BSD)", "PostgreSQL licence (BSD-like)")};
    list << LibraryInfo{QStringLiteral("CUPS (libcups)"),
                        QStringLiteral("%1.%2").arg(CUPS_VERSION_MAJOR).arg(CUPS_VERSION_MINOR),
                        text("Apache 2.0 (con excepciones para GPL 2 y LGPL 2)",
                             "Apache 2.0 (with exceptions for GPL 2 and LGPL 2)")};
    if (loaded("libcurl.so") || loaded("libcurl-gnutls.so"))
        list << LibraryInfo{QStringLiteral("libcurl"), QString(),
                            text("Licencia curl (tipo MIT)", "curl licence (MIT-like)")};
    if (loaded("libgcrypt.so"))
        list << LibraryInfo{QStringLiteral("libgcrypt"), QString(),
                            text("GNU LGPL versión 2.1 o posterior", "GNU LGPL version 2.1 or later")};
    return list;
}

} // namespace app
