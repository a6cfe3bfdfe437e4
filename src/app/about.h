#pragma once

#include <QList>
#include <QString>

class QSqlDatabase;

namespace app {

// What "Acerca de Quintor" says: the program and the libraries it runs on,
// in the console's language.
struct LibraryInfo {
    QString name;
    QString version; // empty when the library does not tell
    QString licence;
};

QString programLicence();

// The libraries this process uses, each once: Qt, SQLite (through the open
// connection, when there is one), the CUPS client library, and libcurl and
// libgcrypt when the process has them loaded.
QList<LibraryInfo> libraries(const QSqlDatabase& db);

} // namespace app
