#include "app/configini.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace app {

ConfigIni::ConfigIni(QString path)
    : m_path(std::move(path)) {}

bool ConfigIni::exists() const {
    return QFileInfo(m_path).isFile();
}

void ConfigIni::resetAttributes() const {
    if (!exists())
        return;
    QFile::setPermissions(m_path, QFile::permissions(m_path) | QFile::ReadOwner | QFile::WriteOwner);
}

QString ConfigIni::databaseId() const {
    resetAttributes();
    QSettings ini(m_path, QSettings::IniFormat);
    const QString id = ini.value(QStringLiteral("Empresa/ID")).toString().trimmed();
    return id.isEmpty() ? QString::fromLatin1(DefaultDatabase) : id;
}

namespace {

Status finish(QSettings& ini, const QString& path) {
    ini.sync();
    if (ini.status() != QSettings::NoError || !QFileInfo(path).isFile())
        return Status::failure(QStringLiteral("No se ha podido escribir %1").arg(path));
    return Status::success();
}

} // namespace

Status ConfigIni::writeDatabaseId(const QString& name) const {
    resetAttributes();
    QSettings ini(m_path, QSettings::IniFormat);
    ini.setValue(QStringLiteral("Empresa/ID"), name);
    return finish(ini, m_path);
}

DockLayout ConfigIni::readLayout() const {
    resetAttributes();
    QSettings ini(m_path, QSettings::IniFormat);
    return DockLayout::read(ini);
}

Status ConfigIni::writeLayout(const DockLayout& layout) const {
    resetAttributes();
    QSettings ini(m_path, QSettings::IniFormat);
    layout.write(ini);
    return finish(ini, m_path);
}

} // namespace app
