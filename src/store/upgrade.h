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

// 3.2 -> 3.21. Throws DatabaseError with the engine's text at the first
// statement that fails. A column it drops loses its indexes first.
void Actualizar321(const QSqlDatabase& db);

// 3.21 -> 4.0, announcing its steps. Throws DatabaseError with the engine's
// text at the first statement that fails.
void MigracionBD(const QSqlDatabase& db, const UpgradeProgress& progress);

// The whole upgrade of an open database to the current version as one
// transaction: Actualizar321 when it is a 3.2 database, MigracionBD, then the
// schema updates of this build. A failure at any statement leaves the
// database as it was, so it is never half upgraded yet taken for current.
// Answers false without touching anything when the database is of no
// version that upgrades. Runs outside any transaction of the connection.
// Only a file is upgraded: an old layout on a server is refused untouched.
Result<bool> upgradeToCurrent(const QSqlDatabase& db, const UpgradeProgress& progress);

// What an upgrade in place did.
struct InPlaceUpgrade {
    bool upgraded = false; // the file is now of the current version
    QString copyPath;      // the dated copy made before the upgrade; empty when none was made
    QString error;         // why no copy could be made or the upgrade failed; empty when neither
};

// The upgrade of the open database whose file is path, in place: first a
// dated copy of the file in its own folder (copyDatabaseDated), then
// upgradeToCurrent. Without the copy nothing is upgraded. A database of no
// version that upgrades is left alone, and no copy is made; so is one on a
// server, with the refusal as the error.
InPlaceUpgrade upgradeInPlace(const QSqlDatabase& db, const QString& path, const UpgradeProgress& progress);

} // namespace store
