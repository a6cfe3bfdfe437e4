#pragma once

#include "core/result.h"

#include <QSqlDatabase>
#include <QString>

namespace web {

// The web's own connection to the console's database, read-only at the
// engine: the SQLite file opened read-only, the PostgreSQL session set to
// read-only transactions. It never writes, and never runs schema updates:
// a database the console has not brought up to date reads as it is.
class BaseSoloLectura {
public:
    explicit BaseSoloLectura(QString connectionName = QStringLiteral("quintor-web"));
    ~BaseSoloLectura();
    BaseSoloLectura(const BaseSoloLectura&) = delete;
    BaseSoloLectura& operator=(const BaseSoloLectura&) = delete;

    // where: an SQLite file or a "postgresql://" URI, as the console takes it.
    Status open(const QString& where);
    void close();
    QSqlDatabase db() const { return m_db; }
    QString where() const { return m_where; }
    // Whether the server went away; then reopen() before the next read.
    bool broken() const;
    Status reopen();

private:
    QString m_name;
    QString m_where;
    QSqlDatabase m_db;
};

} // namespace web
