#pragma once

#include <QString>

namespace store {

// The older databases were upgraded with statements written for another
// engine. This is the one place that turns such a statement into ours: its
// column types become the ones the current schema uses (yes/no and whole
// numbers INTEGER, money INTEGER x 10 000, text TEXT, reals REAL, counters
// INTEGER PRIMARY KEY AUTOINCREMENT). Statements that are not CREATE TABLE
// or ALTER TABLE pass unchanged.
QString engineStatement(const QString& statement);

} // namespace store
