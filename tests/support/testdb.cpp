#include "support/testdb.h"

#include "app/paths.h"
#include "store/newdatabase.h"
#include "store/sql.h"
#include "store/transfer.h"
#include "support/testserver.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTest>

TestHome::TestHome() {
    QDir(m_dir.path()).mkpath(QStringLiteral("database"));
}

QString TestHome::databaseFolder() const {
    return m_dir.path() + QStringLiteral("/database");
}

QString TestHome::databaseFile(const QString& name) const {
    return databaseFolder() + QLatin1Char('/') + name;
}

QString TestHome::configIni() const {
    return databaseFile(QStringLiteral("config.ini"));
}

namespace {

// Leaves the demo's settings and accounts, with an empty history and the
// ticket counter and keys starting afresh.
void removeHistory(const QString& path) {
    const QString connection = QStringLiteral("test-remove-history");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("cannot open test database: %s", qPrintable(path));
        try {
            for (const char* table : {"lintick", "ticket", "ciber", "movcuentas"})
                store::run(db, QStringLiteral("DELETE FROM ") + QLatin1String(table));
            store::run(db, QStringLiteral("DELETE FROM sqlite_sequence WHERE name IN "
                                          "('lintick', 'ticket', 'movcuentas')"));
            store::run(db, QStringLiteral("UPDATE opciones SET NUM_TICK = 0"));
        } catch (const store::DatabaseError& e) {
            qFatal("cannot empty the demo's history: %s", qPrintable(e.text()));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

} // namespace

TestHome::~TestHome() {
    for (const QString& uri : m_serverDatabases)
        testserver::dropDatabase(uri);
}

QString TestHome::createDatabase(const QString& name, bool demo, DemoHistory history) const {
    if (testserver::onServer()) {
        // Made as a file and copied to a template on the cluster once per
        // run; each test gets a copy of the template of its own.
        const QString kind = !demo                          ? QStringLiteral("base")
                             : history == DemoHistory::With ? QStringLiteral("historia")
                                                            : QStringLiteral("demo");
        const QString uri =
            testserver::newDatabaseFrom(QStringLiteral("plantilla_") + kind, [&](const QString& to) {
                const QString file = databaseFile(name + QStringLiteral(".build"));
                if (const Status s = store::createDatabase(file, demo); !s)
                    qFatal("cannot create test database: %s", qPrintable(s.error()));
                if (demo && history == DemoHistory::Without)
                    removeHistory(file);
                if (const Status s = store::transferDatabase(file, to); !s)
                    qFatal("cannot copy the test database to the cluster: %s", qPrintable(s.error()));
                for (const char* suffix : {"", "-wal", "-shm"})
                    QFile::remove(file + QLatin1String(suffix));
            });
        m_serverDatabases << uri;
        m_uris.insert(name, uri);
        return uri;
    }
    const QString path = databaseFile(name);
    const Status s = store::createDatabase(path, demo);
    if (!s)
        qFatal("cannot create test database: %s", qPrintable(s.error()));
    if (demo && history == DemoHistory::Without)
        removeHistory(path);
    return path;
}

QString TestHome::where(const QString& name) const {
    return m_uris.value(name, name);
}

QString TestHome::database(const QString& name) const {
    return m_uris.contains(name) ? m_uris.value(name) : databaseFile(name);
}

void TestHome::writeConfigId(const QString& id) const {
    QSettings ini(configIni(), QSettings::IniFormat);
    ini.setValue(QStringLiteral("Empresa/ID"), id);
    ini.sync();
}

void TestHome::writeFile(const QString& name, const QByteArray& bytes) const {
    QFile f(databaseFile(name));
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(name));
    f.write(bytes);
}

TestDatabase::TestDatabase(bool demo, DemoHistory history) {
    path = home.createDatabase(QStringLiteral("ciber.mdb"), demo, history);
    const Status s = data.open(path);
    if (!s)
        qFatal("cannot open test database: %s", qPrintable(s.error()));
}

FirstStartDatabase::FirstStartDatabase() {
    const app::Paths paths = app::Paths::choose({}, QStringLiteral("/usr/bin"), false, home());
    QString error;
    path = app::createFirstDatabase(paths, &error);
    if (path.isEmpty() || !data.open(path))
        qFatal("cannot create the first database: %s", qPrintable(error));
}

QString FirstStartDatabase::home() const {
    return dir.path() + QStringLiteral("/Quintor");
}
