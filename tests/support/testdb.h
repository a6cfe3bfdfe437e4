#pragma once

#include "store/datamodule.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// The demo's history (tickets, activity, movements) is dated from the
// machine's clock, while tests pin theirs: a demo database comes without it
// unless a test asks for the demo exactly as --demo makes it.
enum class DemoHistory { Without, With };

// A program folder in a temporary directory with its "database" folder, and
// helpers to put databases there.
class TestHome {
public:
    TestHome();
    ~TestHome();
    TestHome(const TestHome&) = delete;
    TestHome& operator=(const TestHome&) = delete;
    QString home() const { return m_dir.path(); }
    QString databaseFolder() const;
    QString databaseFile(const QString& name) const;
    QString configIni() const;

    // Creates a new database (base rows, or the demo) named name in the
    // database folder; on a test run against PostgreSQL, a database of its
    // own on the cluster instead, and answers its URI.
    QString createDatabase(const QString& name = QStringLiteral("ciber.mdb"), bool demo = false,
                           DemoHistory history = DemoHistory::Without) const;
    // The working database as the console names it: the name, or the URI of
    // the database createDatabase made for it on the cluster.
    QString where(const QString& name = QStringLiteral("ciber.mdb")) const;
    // What TDataModule1::open takes for it: the file's path, or that URI.
    QString database(const QString& name = QStringLiteral("ciber.mdb")) const;
    void writeConfigId(const QString& id) const;
    void writeFile(const QString& name, const QByteArray& bytes) const;

private:
    QTemporaryDir m_dir;
    mutable QStringList m_serverDatabases;
    mutable QHash<QString, QString> m_uris;
};

// An open data module on a new database of a TestHome.
struct TestDatabase {
    explicit TestDatabase(bool demo = false, DemoHistory history = DemoHistory::Without);
    TestHome home;
    QString path;
    TDataModule1 data;
};

// An installed console's first database, made as its first start makes it:
// waiting for the start-up assistant, ADMIN without a password.
struct FirstStartDatabase {
    FirstStartDatabase();
    QSqlDatabase db() const { return data.db(); }
    // The user's data folder that plays the home.
    QString home() const;
    QTemporaryDir dir;
    QString path;
    TDataModule1 data;
};
