#include "app/paths.h"

#include "admin/puestaenmarcha.h"
#include "app/configini.h"
#include "app/databasefiles.h"
#include "store/engine.h"
#include "store/newdatabase.h"
#include "store/privatefiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

namespace app {

Paths::Paths(QString home)
    : m_home(QDir::cleanPath(QDir(home).absolutePath())) {}

Paths Paths::fromApplication() {
    return Paths(QCoreApplication::applicationDirPath());
}

bool Paths::isInstalledLocation(const QString& programFolder) {
    // Even root, who could write there, must not put a database beside a
    // system's programs. A build tree under /usr/src stays portable.
    const QString folder = QDir::cleanPath(QDir(programFolder).absolutePath());
    static const QStringList binaries = {QStringLiteral("/bin"),
                                         QStringLiteral("/sbin"),
                                         QStringLiteral("/usr/bin"),
                                         QStringLiteral("/usr/sbin"),
                                         QStringLiteral("/usr/games"),
                                         QStringLiteral("/usr/local/bin"),
                                         QStringLiteral("/usr/local/sbin"),
                                         QStringLiteral("/usr/local/games")};
    if (binaries.contains(folder))
        return true;
    for (const char* tree :
         {"/usr/lib/", "/usr/libexec/", "/usr/share/", "/usr/local/lib/", "/usr/local/libexec/"}) {
        if (folder.startsWith(QLatin1String(tree)))
            return true;
    }
    return false;
}

Paths Paths::choose(const QString& homeOption, const QString& programFolder, bool programFolderWritable,
                    const QString& userDataFolder) {
    if (!homeOption.isEmpty())
        return Paths(homeOption);
    if (programFolderWritable && !isInstalledLocation(programFolder))
        return Paths(programFolder);
    Paths paths(userDataFolder);
    paths.m_userData = true;
    return paths;
}

Paths Paths::forConsole(const QString& homeOption) {
    const QString program = QCoreApplication::applicationDirPath();
    const QFileInfo info(program);
    return choose(homeOption, program, info.isDir() && info.isWritable(),
                  QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

QString Paths::databaseFolder() const {
    return m_home + QStringLiteral("/database");
}

QString Paths::databaseFile(const QString& name) const {
    if (store::isServerAddress(name) || QFileInfo(name).isAbsolute())
        return name;
    return databaseFolder() + QLatin1Char('/') + name;
}

QString Paths::configIni() const {
    return databaseFile(QStringLiteral("config.ini"));
}

QString createFirstDatabase(const Paths& paths, QString* error) {
    // A portable console and --home keep the start-up as it is: a missing
    // database there is the operator's to find or copy.
    if (!paths.inUserDataFolder() || QFileInfo::exists(paths.databaseFolder()))
        return {};
    if (!store::createPrivateFolder(paths.databaseFolder())) {
        if (error)
            *error = QStringLiteral("No se puede crear la carpeta %1")
                         .arg(QDir::toNativeSeparators(paths.databaseFolder()));
        return {};
    }
    const QString file =
        paths.databaseFile(withMdbExtension(QString::fromLatin1(ConfigIni::DefaultDatabase)));
    // Marked as the console's own: its start-up assistant opens at ADMIN's log-in.
    const Status created = store::createDatabase(file, false, admin::tablaAsistente());
    if (!created) {
        if (error)
            *error = created.error();
        return {};
    }
    return file;
}

} // namespace app
