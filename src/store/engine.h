#pragma once

#include "core/result.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

namespace store {

// The two engines a café's database can live in: an SQLite file beside the
// console, or a PostgreSQL database on a server that several consoles share.
enum class Engine { SQLite, PostgreSQL };

Engine engineOf(const QSqlDatabase& db);
// The Qt driver of an engine.
QString driverName(Engine engine);

// Whether where names a PostgreSQL database (a "postgresql://" or
// "postgres://" URI, as libpq reads it) rather than a file.
bool isServerAddress(const QString& where);

// The URI as it may be shown and remembered: without its password.
QString withoutPassword(const QString& where);

// Points db, a connection of the PostgreSQL driver, at the database the URI
// names: host (or socket folder), port, database, user and every other
// libpq parameter. An empty password leaves libpq to find one (in the URI,
// PGPASSWORD or ~/.pgpass). A URI libpq cannot read is refused with its text.
Status configureServerConnection(QSqlDatabase& db, const QString& uri, const QString& password);

// The database a URI names, for the messages; empty when it names none.
QString serverDatabaseName(const QString& uri);
// The password a URI carries; empty when it carries none.
QString serverPassword(const QString& uri);

// PostgreSQL: whether the connection is inside a transaction, and whether
// that transaction failed (a statement in it was refused). Always false on
// SQLite, whose savepoints open and close transactions by themselves.
bool inTransaction(const QSqlDatabase& db);
bool transactionFailed(const QSqlDatabase& db);

// The versions of the engines' client libraries this build runs with.
QString sqliteVersion();
QString libpqVersion();

// Whether a failed opening of a server asks for a (different) password.
bool passwordRefused(const QSqlError& error);
// Asks the server itself, whatever language its messages come in: whether
// logging in to the URI's database fails for want of the right password.
bool serverWantsPassword(const QString& uri, const QString& password);
// Whether an error says the server is gone (stopped, restarted, cut off)
// rather than that a statement was wrong.
bool connectionLost(const QSqlDatabase& db, const QSqlError& error);
// Whether the connection to the server is gone, so that every statement on it
// will fail until it is opened again. Reads, without waiting, what the
// server sent meanwhile (its goodbye when it shut down); why, when given,
// receives libpq's text. Always false on SQLite.
bool connectionBroken(const QSqlDatabase& db, QString* why = nullptr);
// Whether the server a URI names accepts connections now. Asks without
// logging in and may wait up to the connect timeout: call it off the main
// thread.
bool serverAnswers(const QString& uri);

} // namespace store
