#pragma once

#include "store/engine.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

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
// An SQL operand compared, grouped and sorted under that rule, whatever its
// column declares: the columns of databases made before they declared it
// compare exactly. Both sides of a comparison go through it ("?" too).
QString caseless(const QSqlDatabase& db, const QString& operand);
QString caseless(Engine engine, const QString& operand);
// "operand = ?" under that rule.
QString equalsCaseless(const QSqlDatabase& db, const QString& operand);
// "operand LIKE ?" with the ESCAPE character "\\" under that rule, as the
// searches have always matched on SQLite (ASCII letters fold).
QString likeCaseless(const QSqlDatabase& db, const QString& operand);
// An operand compared exactly, byte by byte, whatever its column declares.
QString exact(const QSqlDatabase& db, const QString& operand);

// The statements that make a table of the schema (written for SQLite) in the
// engine: on PostgreSQL money and counters are 64-bit, reals double, counters
// identity columns, text in byte order, and the case rule's uniqueness an
// index on the folded value. Tables without a counter get a hidden "rowid"
// there, the order their rows were added in, as SQLite has it.
QStringList schemaStatements(Engine engine, const QString& statement);
// The count of the data mends done on a database (SQLite's user_version;
// a one-row table of its own on PostgreSQL, which has none).
int userVersion(const QSqlDatabase& db);
void setUserVersion(const QSqlDatabase& db, int version);
// The tables only an engine has for itself, never copied or compared.
bool isEngineTable(const QString& table);

// A table's column as both engines can make it.
struct ColumnInfo {
    enum class Kind { Integer, Real, Text };
    QString name;
    Kind kind = Kind::Text;
    bool counter = false; // the table's own key, numbered by the engine
};
// The columns of a table in their order, the hidden one left out.
QList<ColumnInfo> tableColumns(const QSqlDatabase& db, const QString& table);
// The SQLite form of a column, as the schema writes it.
QString columnDefinition(const ColumnInfo& column);
// The last number a table's counter gave (0 when none), and setting it:
// the next row gets the number after it.
qint64 counterValue(const QSqlDatabase& db, const QString& table, const QString& column);
void setCounterValue(const QSqlDatabase& db, const QString& table, const QString& column, qint64 value);
// The column that keeps the order a table's rows were added in: its
// counter, or the engine's row number; empty when it has neither.
QString rowOrderColumn(const QSqlDatabase& db, const QString& table);

// The column a table has only on PostgreSQL, never copied or compared.
bool isHiddenColumn(const QString& column);

// "ORDER BY" the order in which a table's rows were added, for the tables
// without a key of their own (vouchers, top-ups, articles).
QString tableOrder();

} // namespace store
