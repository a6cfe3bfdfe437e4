#include "app/paths.h"

#include <QCoreApplication>
#include <QDir>

namespace app {

Paths::Paths(QString home)
    : m_home(QDir::cleanPath(QDir(home).absolutePath())) {}

Paths Paths::fromApplication() {
    return Paths(QCoreApplication::applicationDirPath());
}

QString Paths::databaseFolder() const {
    return m_home + QStringLiteral("/database");
}

QString Paths::databaseFile(const QString& name) const {
    return databaseFolder() + QLatin1Char('/') + name;
}

QString Paths::configIni() const {
    return databaseFile(QStringLiteral("config.ini"));
}

} // namespace app
