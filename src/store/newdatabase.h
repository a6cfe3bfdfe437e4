#pragma once

#include "core/result.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace store {

// Splits an SQL script into statements at semicolons outside quotes;
// "--" comments are dropped.
QStringList splitSqlScript(const QString& script);

// Runs the statements of a script resource on db, all or nothing.
Status runScript(const QSqlDatabase& db, const QString& resourcePath);

// Creates a new database file with every base table and the rows the
// program expects; demo adds sample data. An existing file is never touched.
// A PostgreSQL URI names an empty database on a server instead; one that
// has tables is refused and left as it was.
Status createDatabase(const QString& filePath, bool demo);
// The same, with statements of the caller's own run last, inside the build:
// the file appears under its name with them or not at all.
Status createDatabase(const QString& filePath, bool demo, const QStringList& extraStatements);

} // namespace store
