#pragma once

#include "app/docklayout.h"
#include "core/result.h"

#include <QString>

namespace app {

// config.ini in the database folder: the working database's name and the
// docking layout. Its attributes are reset before every read and write so a
// read-only copy becomes writable.
class ConfigIni {
public:
    static constexpr const char* DefaultDatabase = "ciber.mdb";

    explicit ConfigIni(QString path);

    QString path() const { return m_path; }
    bool exists() const;

    // The working database: [Base] Database when set (a PostgreSQL URI, or
    // a file named in full), else [Empresa] ID, else "ciber.mdb".
    QString databaseId() const;
    // Writes the working database, creating the file when needed: a name in
    // the database folder goes to [Empresa] ID and clears [Base] Database;
    // a URI (never with its password) or a full path goes to [Base] Database.
    Status writeDatabaseId(const QString& name) const;

    // Makes where, a file path or a server's URI as the --database option
    // gives it, the working database. Answers the password the URI carries,
    // which is kept for this run only.
    Result<QString> useDatabase(const QString& where, const QString& databaseFolder) const;

    // This console's name among the consoles of one database: [Consola]
    // Nombre, else the computer's host name.
    QString consoleName() const;
    Status writeConsoleName(const QString& name) const;

    DockLayout readLayout() const;
    Status writeLayout(const DockLayout& layout) const;

private:
    void resetAttributes() const;
    QString m_path;
};

} // namespace app
