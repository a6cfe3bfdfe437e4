#pragma once

#include "core/result.h"

#include <QSqlDatabase>
#include <QString>

#include <functional>

namespace store {

// The table about to be worked on, the tables done so far and all of them;
// called once more at the end with an empty table and done == total.
using MaintenanceProgress = std::function<void(const QString& table, int done, int total)>;

// Compaction of a database on a PostgreSQL server: VACUUM (ANALYZE) of every
// table of the database, one at a time, which makes the room of deleted rows
// reusable and brings the planner's figures up to date. VACUUM cannot run
// inside a transaction, so the connection must be outside any; the rows are
// never touched. Fails with the server's text at the first table it refuses.
// A file is compacted by CompactarBase instead, and is refused here.
Status vacuumDatabase(const QSqlDatabase& db, const MaintenanceProgress& progress = {});

// The room the open database takes, in bytes: on the server, or in its file.
Result<qint64> databaseSize(const QSqlDatabase& db);

} // namespace store
