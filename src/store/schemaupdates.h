#pragma once

#include "core/result.h"

#include <QSqlDatabase>

namespace store {

// The periods of the scheduled mails the options offer, in minutes.
inline constexpr int kMailPeriods[] = {5, 10, 20, 30, 45, 60, 90, 120, 180, 240, 300, 360};

// Brings a database of the current version up to what this build expects:
// columns and indexes added after the version's layout was fixed, and the
// one-time mends of the data (marked in the database, so each runs once).
// Every step is idempotent and the whole runs in one transaction, so it runs
// at every opening and on every new database.
Status applySchemaUpdates(const QSqlDatabase& db);

// Whether the database has a table (names compared ignoring case).
bool hasTable(const QSqlDatabase& db, const QString& table);
// Whether a table has a column (names compared ignoring case).
bool hasColumn(const QSqlDatabase& db, const QString& table, const QString& column);

} // namespace store
