#pragma once

#include "core/result.h"
#include "store/databaselock.h"

#include <QObject>
#include <QSqlDatabase>
#include <QSqlError>
#include <QStringList>

namespace store {
// Whether the engine lets this connection write: a write that is rolled
// back at once, so the answer is the engine's own (a read-only file, mount
// or folder) and nothing changes. The reason is the engine's text.
Status checkWritable(QSqlDatabase db);
} // namespace store

// The one connection to the working database. Everything that reads or
// writes business data goes through db().
class TDataModule1 : public QObject {
    Q_OBJECT
public:
    explicit TDataModule1(QObject* parent = nullptr);
    ~TDataModule1() override;

    // Whether the database engine can be loaded at all.
    static bool engineAvailable();

    // Opens an existing database: a file, or a PostgreSQL database named by
    // a "postgresql://" URI. A missing file is never created, and a file that
    // is not a database (or is damaged) is refused with the engine's error
    // text; nothing is written to it. The password is the server's (a
    // file's engine has none); it is kept for reconnecting.
    Status open(const QString& filePath, const QString& password = QString());
    void close();
    bool isOpen() const;
    // Opens again what was open last, after the server went away. A failed
    // attempt leaves the connection closed but remembers where it goes.
    Status reconnect();

    QSqlDatabase db() const { return m_db; }
    // The console whose tickets and movements this connection writes; kept
    // across reconnections (see store::writingConsole).
    void setConsoleName(const QString& name);
    // The open file, or the server's URI without its password.
    QString filePath() const { return m_filePath; }
    // Whether the open database is on a PostgreSQL server.
    bool isServer() const;
    // Whether the last open() failed because the server wants a (different) password.
    bool passwordRefused() const;
    // Set when the database could not be switched to write-ahead logging
    // (a read-only folder, say): the console runs, but says so.
    QString openWarning() const { return m_openWarning; }

    // The engine's answer for the open database; see store::checkWritable.
    Status checkWritable() const;

    // The console's claim on its working database. Opening and closing the
    // connection leave it as it is (the tools close and reopen the file
    // they work on); a reader never takes it.
    store::DatabaseLock& lock() { return m_lock; }

    QStringList tableNames() const;
    QStringList columnNames(const QString& table) const;
    // A database of the current version has the table "tasas".
    bool isCurrentVersion() const;

private:
    void useDriver(const QString& driver);
    Status openServer(const QString& uri, const QString& password);

    QString m_connectionName;
    QString m_where;
    QString m_password;
    QSqlError m_lastOpenError;
    bool m_passwordRefused = false;
    QSqlDatabase m_db;
    QString m_filePath;
    QString m_openWarning;
    store::DatabaseLock m_lock;
};
