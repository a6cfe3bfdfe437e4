#include "app/configini.h"

#include "store/engine.h"
#include "store/privatefiles.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSysInfo>

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
    const QString where = ini.value(QStringLiteral("Base/Database")).toString().trimmed();
    if (!where.isEmpty())
        return where;
    const QString id = ini.value(QStringLiteral("Empresa/ID")).toString().trimmed();
    return id.isEmpty() ? QString::fromLatin1(DefaultDatabase) : id;
}

namespace {

Status finish(QSettings& ini, const QString& path) {
    ini.sync();
    if (ini.status() != QSettings::NoError || !QFileInfo(path).isFile())
        return Status::failure(QStringLiteral("No se ha podido escribir %1").arg(path));
    store::makePrivate(path);
    return Status::success();
}

} // namespace

Status ConfigIni::writeDatabaseId(const QString& name) const {
    resetAttributes();
    QSettings ini(m_path, QSettings::IniFormat);
    if (store::isServerAddress(name) || QFileInfo(name).isAbsolute()) {
        ini.setValue(QStringLiteral("Base/Database"), store::withoutPassword(name));
    } else {
        ini.remove(QStringLiteral("Base/Database"));
        ini.setValue(QStringLiteral("Empresa/ID"), name);
    }
    return finish(ini, m_path);
}

Result<QString> ConfigIni::useDatabase(const QString& where, const QString& databaseFolder) const {
    const QString given = where.trimmed();
    QString name = given;
    if (!store::isServerAddress(given)) {
        const QFileInfo file(given);
        // A file of the database folder is remembered by its name, as before.
        name = file.absolutePath() == QFileInfo(databaseFolder).absoluteFilePath() ? file.fileName()
                                                                                   : file.absoluteFilePath();
    }
    if (const Status written = writeDatabaseId(name); !written)
        return Result<QString>::failure(written.error());
    return store::serverPassword(given);
}

QString ConfigIni::consoleName() const {
    const QString name =
        QSettings(m_path, QSettings::IniFormat).value(QStringLiteral("Consola/Nombre")).toString();
    if (!name.trimmed().isEmpty())
        return name.trimmed();
    const QString host = QSysInfo::machineHostName();
    return host.isEmpty() ? QStringLiteral("CONSOLA") : host;
}

Status ConfigIni::writeConsoleName(const QString& name) const {
    resetAttributes();
    QSettings ini(m_path, QSettings::IniFormat);
    ini.setValue(QStringLiteral("Consola/Nombre"), name);
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
