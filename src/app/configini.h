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

    // [Empresa] ID, or "ciber.mdb" when missing.
    QString databaseId() const;
    // Writes [Empresa] ID, creating the file when needed.
    Status writeDatabaseId(const QString& name) const;

    DockLayout readLayout() const;
    Status writeLayout(const DockLayout& layout) const;

private:
    void resetAttributes() const;
    QString m_path;
};

} // namespace app
