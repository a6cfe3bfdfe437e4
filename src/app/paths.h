#pragma once

#include <QString>

namespace app {

// Where the console keeps its files: the program's folder (or the folder
// given with --home) and the "database" folder below it.
class Paths {
public:
    explicit Paths(QString home);
    // The executable's folder.
    static Paths fromApplication();

    QString home() const { return m_home; }
    QString databaseFolder() const;
    QString databaseFile(const QString& name) const;
    QString configIni() const;

private:
    QString m_home;
};

} // namespace app
