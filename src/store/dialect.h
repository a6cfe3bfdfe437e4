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

// The one letter-case rule of logins, customers and article and voucher
// codes, the one cuentas.Login has always had in the database: the ASCII
// letters A-Z and a-z fold, every other character (ñ and Ñ, accented
// letters) compares exactly. It is SQLite's NOCASE; an engine without it
// gets its equivalent here and nowhere else.

// text with A-Z turned to a-z, every other character as it was.
QString foldAscii(const QString& text);
// Whether two logins (or two codes) are the same one under that rule.
bool sameKey(const QString& a, const QString& b);
// An SQL operand compared under that rule, whatever its column declares:
// the columns of databases made before they declared it compare exactly.
QString caseless(const QString& operand);

// "ORDER BY" the order in which a table's rows were added, for the tables
// without a key of their own (vouchers, top-ups, articles).
QString tableOrder();

} // namespace store
