#include "support/testserver.h"

#include "store/datamodule.h"
#include "store/engine.h"
#include "store/sql.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSqlDatabase>

#include <atomic>

namespace testserver {

namespace {

std::atomic<int> g_databases{0};

QString socketFolder() {
    const QString host = qEnvironmentVariable("QUINTOR_TEST_PGHOST");
    if (host.isEmpty())
        qFatal("QUINTOR_TEST_ENGINE=postgresql without QUINTOR_TEST_PGHOST: no cluster to test on");
    return host;
}

QString uriOf(const QString& database) {
    return QStringLiteral("postgresql://quintor@/%1?host=%2").arg(database, socketFolder());
}

// Runs one statement outside any transaction, as the superuser.
void administer(const QString& sql) {
    TDataModule1 admin;
    const Status opened = admin.open(adminUri());
    if (!opened)
        qFatal("cannot reach the test cluster: %s", qPrintable(opened.error()));
    try {
        store::run(admin.db(), sql);
    } catch (const store::DatabaseError& e) {
        qFatal("test cluster: %s", qPrintable(e.text()));
    }
}

} // namespace

bool onServer() {
    return qEnvironmentVariable("QUINTOR_TEST_ENGINE") == QLatin1String("postgresql");
}

QString adminUri() {
    return uriOf(QStringLiteral("postgres"));
}

QString newDatabase() {
    const QString name = QStringLiteral("t%1_%2_%3")
                             .arg(QCoreApplication::applicationPid())
                             .arg(++g_databases)
                             .arg(QDateTime::currentMSecsSinceEpoch() % 100000);
    administer(QStringLiteral("CREATE DATABASE ") + name);
    return uriOf(name);
}

QString newDatabaseFrom(const QString& templateName, const std::function<void(const QString&)>& build) {
    {
        TDataModule1 admin;
        if (const Status opened = admin.open(adminUri()); !opened)
            qFatal("cannot reach the test cluster: %s", qPrintable(opened.error()));
        try {
            // Test programs run in parallel: one builds, the others wait.
            store::run(admin.db(), QStringLiteral("SELECT pg_advisory_lock(20260324)"));
            const bool exists =
                store::scalar(admin.db(),
                              QStringLiteral("SELECT COUNT(*) FROM pg_database WHERE datname = ?"),
                              {templateName})
                    .toInt() > 0;
            if (!exists) {
                store::run(admin.db(), QStringLiteral("CREATE DATABASE ") + templateName);
                build(uriOf(templateName));
            }
            store::run(admin.db(), QStringLiteral("SELECT pg_advisory_unlock(20260324)"));
        } catch (const store::DatabaseError& e) {
            qFatal("test cluster: %s", qPrintable(e.text()));
        }
    }
    const QString name = QStringLiteral("t%1_%2_%3")
                             .arg(QCoreApplication::applicationPid())
                             .arg(++g_databases)
                             .arg(QDateTime::currentMSecsSinceEpoch() % 100000);
    administer(QStringLiteral("CREATE DATABASE ") + name + QStringLiteral(" TEMPLATE ") + templateName);
    return uriOf(name);
}

void dropDatabase(const QString& uri) {
    const QString name = store::serverDatabaseName(uri);
    if (!name.isEmpty())
        administer(QStringLiteral("DROP DATABASE IF EXISTS ") + name + QStringLiteral(" WITH (FORCE)"));
}

} // namespace testserver
