#include "app/databasefiles.h"

#include "store/engine.h"
#include "store/privatefiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace app {

QString withMdbExtension(const QString& name) {
    // A server's database, or a file named in full, is taken as given.
    if (store::isServerAddress(name) || QFileInfo(name).isAbsolute())
        return name;
    if (QFileInfo(name).suffix().compare(QLatin1String("mdb"), Qt::CaseInsensitive) == 0)
        return name;
    return name + QStringLiteral(".mdb");
}

QStringList mdbFiles(const QString& folder) {
    QDir dir(folder);
    QStringList files =
        dir.entryList({QStringLiteral("*.mdb"), QStringLiteral("*.MDB")}, QDir::Files, QDir::Name);
    files.removeDuplicates();
    return files;
}

QStringList filesMatching(const QString& folder, const QString& databaseName) {
    if (databaseName.isEmpty())
        return {};
    QDir dir(folder);
    return dir.entryList({databaseName}, QDir::Files, QDir::Name);
}

QString nextCopyName(const QString& folder, const QString& fileName) {
    for (int n = 0;; ++n) {
        const QString candidate = QStringLiteral("BD~%1%2").arg(n).arg(fileName);
        if (!QFileInfo::exists(folder + QLatin1Char('/') + candidate))
            return candidate;
    }
}

Result<QString> copyIntoFolder(const QString& source, const QString& folder) {
    const QString name = nextCopyName(folder, QFileInfo(source).fileName());
    const QString copy = folder + QLatin1Char('/') + name;
    if (!QFile::copy(source, copy))
        return Result<QString>::failure(QStringLiteral("No se ha podido copiar el fichero seleccionado"));
    // The copy is the café's working data now, whatever mode the original had.
    store::makePrivate(copy);
    return name;
}

} // namespace app
