#pragma once

#include <QSqlDatabase>
#include <QString>

// A database that refuses a write as a full disk would: the statement fails
// with "disco lleno" and changes nothing. A trigger on both engines.
//   event  "INSERT", "UPDATE", "UPDATE OF IMPORTE", "DELETE"
//   when   an optional condition, on NEW or with subqueries, in SQL both
//          engines read
void refuseWrites(const QSqlDatabase& db, const QString& name, const QString& event, const QString& table,
                  const QString& when = QString());
// Takes the refusal away again.
void allowWrites(const QSqlDatabase& db, const QString& name, const QString& table);
