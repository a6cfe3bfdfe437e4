#pragma once

#include "core/result.h"
#include "store/databaselock.h"

#include <QObject>
#include <QSqlDatabase>
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

    // Opens an existing database file. A missing file is never created, and
    // a file that is not a database (or is damaged) is refused with the
    // engine's error text; nothing is written to it. The password is kept
    // for engines that have one.
    Status open(const QString& filePath, const QString& password = QString());
    void close();
    bool isOpen() const;

    QSqlDatabase db() const { return m_db; }
    QString filePath() const { return m_filePath; }
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
    QString m_connectionName;
    QSqlDatabase m_db;
    QString m_filePath;
    QString m_openWarning;
    store::DatabaseLock m_lock;
};
