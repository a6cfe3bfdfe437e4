#pragma once

#include "core/result.h"

#include <QSqlDatabase>

namespace store {

// Brings a database of the current version up to what this build expects:
// columns and indexes added after the version's layout was fixed. Every step
// is idempotent and the whole runs in one transaction, so it runs at every
// opening and on every new database.
Status applySchemaUpdates(const QSqlDatabase& db);

// Whether a table has a column (names compared ignoring case).
bool hasColumn(const QSqlDatabase& db, const QString& table, const QString& column);

} // namespace store
