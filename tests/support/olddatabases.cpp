#include "support/olddatabases.h"

#include "store/datamodule.h"
#include "store/newdatabase.h"
#include "store/upgrade.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

void createOldDatabase(const QString& path, const QString& version, const QStringList& statements) {
    const QString script = version == QLatin1String("3.2")
                               ? QStringLiteral(":/testsupport/support/data/layout32.sql")
                               : QStringLiteral(":/testsupport/support/data/layout321.sql");
    QFile::remove(path);
    const QString connection = QStringLiteral("old-database-fixture");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("cannot create %s", qPrintable(path));
        const Status s = store::runScript(db, script);
        if (!s)
            qFatal("cannot build the %s layout: %s", qPrintable(version), qPrintable(s.error()));
        for (const QString& statement : statements) {
            QSqlQuery q(db);
            if (!q.exec(statement))
                qFatal("%s: %s", qPrintable(statement), qPrintable(q.lastError().text()));
        }
        QSqlQuery(db).exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

void createUpgradedDatabase(const QString& path) {
    createOldDatabase(path, QStringLiteral("3.21"));
    TDataModule1 data;
    if (const Status opened = data.open(path); !opened)
        qFatal("cannot open %s: %s", qPrintable(path), qPrintable(opened.error()));
    const Result<bool> upgraded = store::upgradeToCurrent(data.db(), {});
    if (!upgraded.ok() || !upgraded.value())
        qFatal("cannot upgrade %s: %s", qPrintable(path), qPrintable(upgraded.error()));
}
