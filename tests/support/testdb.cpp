#include "support/testdb.h"

#include "app/paths.h"
#include "store/newdatabase.h"

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

QString TestHome::createDatabase(const QString& name, bool demo) const {
    const QString path = databaseFile(name);
    const Status s = store::createDatabase(path, demo);
    if (!s)
        qFatal("cannot create test database: %s", qPrintable(s.error()));
    return path;
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

TestDatabase::TestDatabase(bool demo) {
    path = home.createDatabase(QStringLiteral("ciber.mdb"), demo);
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
