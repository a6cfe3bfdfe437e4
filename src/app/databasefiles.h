#pragma once

#include "core/result.h"

#include <QString>
#include <QStringList>

namespace app {

// A database name with ".mdb" appended when its extension is not ".mdb";
// a server's URI or an absolute path stays as it is.
QString withMdbExtension(const QString& name);

// The .mdb files of a folder, by name.
QStringList mdbFiles(const QString& folder);
// The files of a folder that match a database name (the name itself and its
// side files), as the database tools page lists them.
QStringList filesMatching(const QString& folder, const QString& databaseName);

// "BD~" + n + name, with n the smallest number from 0 for which no such file
// exists in folder.
QString nextCopyName(const QString& folder, const QString& fileName);

// Copies source into folder under nextCopyName; answers the copy's name.
Result<QString> copyIntoFolder(const QString& source, const QString& folder);

} // namespace app
