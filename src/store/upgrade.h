#pragma once

#include "core/result.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <functional>

namespace store {

// "3.2", "3.21", "4.0" or empty: which older layout an open database has.
QString VersionBase(const QSqlDatabase& db);

// Seconds of the time of day of an old date-time value: a day count with
// its fraction (how the old engine stored them) or a date-time text. An
// empty value gives 0. Whole days are lost, as they always were.
int secondsOfDay(const QVariant& oldDateTime);

// A progress line of the upgrade: level 0 is the root of the tree, 1 its children.
using UpgradeProgress = std::function<void(const QString& line, int level)>;

// 3.2 -> 3.21. Stops silently at the first statement that fails; what ran stays.
void Actualizar321(const QSqlDatabase& db);

// 3.21 -> 4.0, announcing its steps. Throws DatabaseError with the engine's
// text at the first statement that fails.
void MigracionBD(const QSqlDatabase& db, const UpgradeProgress& progress);

// The whole upgrade of an open database to the current version as one
// transaction: Actualizar321 when it is a 3.2 database, MigracionBD, then the
// schema updates of this build. A failure leaves the database as it was, so
// it is never half upgraded yet taken for current. Answers false without
// touching anything when the database is of no version that upgrades.
Result<bool> upgradeToCurrent(const QSqlDatabase& db, const UpgradeProgress& progress);

} // namespace store
