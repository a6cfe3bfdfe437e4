#include "app/manual.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace app {

namespace {

const QString kIndex = QStringLiteral("index.html");

bool hasManual(const QString& folder) {
    return QFileInfo(folder + QStringLiteral("/es/") + kIndex).isFile();
}

} // namespace

QString manualFolder(const QString& programFolder, const QStringList& dataFolders) {
    // <prefix>/bin/quintor and <prefix>/share/quintor/manual: the same rule
    // serves the build tree, /usr and any other prefix.
    const QString besideProgram = QDir::cleanPath(programFolder + QStringLiteral("/../share/quintor/manual"));
    if (hasManual(besideProgram))
        return besideProgram;
    for (const QString& data : dataFolders) {
        const QString folder = QDir::cleanPath(data + QStringLiteral("/quintor/manual"));
        if (hasManual(folder))
            return folder;
    }
    return QString();
}

QString manualFolder() {
    return manualFolder(QCoreApplication::applicationDirPath(),
                        QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation));
}

QString manualIndex(const QString& folder, ui::Language language) {
    if (folder.isEmpty())
        return QString();
    const QString english = folder + QStringLiteral("/en/") + kIndex;
    if (language == ui::Language::English && QFileInfo(english).isFile())
        return english;
    const QString spanish = folder + QStringLiteral("/es/") + kIndex;
    return QFileInfo(spanish).isFile() ? spanish : QString();
}

bool desktopHasBrowser() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty())
        return false;
    if (!qEnvironmentVariableIsEmpty("BROWSER"))
        return true;
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/html")});
    if (query.waitForFinished(3000) && !query.readAllStandardOutput().trimmed().isEmpty())
        return true;
    // Without a default, xdg-open tries the usual browsers by name.
    for (const char* name :
         {"x-www-browser", "firefox", "firefox-esr", "chromium", "google-chrome", "epiphany", "konqueror"}) {
        if (!QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty())
            return true;
    }
    return false;
#else
    return true;
#endif
}

} // namespace app
