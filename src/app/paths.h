#pragma once

#include <QString>

namespace app {

// Where the console keeps its files: a home folder and the "database" folder
// below it, which holds the working database and config.ini.
//
// The home is, in this order: the folder given with --home; the program's
// folder when the console runs portable (a writable folder that is not a
// system's program folder such as /usr/bin); else, for an installed
// console, the user's data folder (~/.local/share/Quintor).
class Paths {
public:
    explicit Paths(QString home);
    // The executable's folder.
    static Paths fromApplication();
    // The home the console starts with; QCoreApplication must exist and
    // carry the application's name.
    static Paths forConsole(const QString& homeOption);
    // The rule itself, with the folders given.
    static Paths choose(const QString& homeOption, const QString& programFolder, bool programFolderWritable,
                        const QString& userDataFolder);
    static bool isInstalledLocation(const QString& programFolder);

    QString home() const { return m_home; }
    // True when the home is the user's data folder of an installed console.
    bool inUserDataFolder() const { return m_userData; }
    QString databaseFolder() const;
    // A server's URI, or an absolute path, names itself.
    QString databaseFile(const QString& name) const;
    QString configIni() const;

private:
    QString m_home;
    bool m_userData = false;
};

// An installed console's first start: a home with no database folder yet
// gets one with a new, empty working database, so the log-in finds it. The
// database is marked for the start-up assistant.
// Returns the file created, or an empty text when nothing was needed; an
// error reaches `error`.
QString createFirstDatabase(const Paths& paths, QString* error);

} // namespace app
