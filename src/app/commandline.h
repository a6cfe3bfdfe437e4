#pragma once

#include <QString>
#include <QStringList>

namespace app {

struct CommandLine {
    QString home;        // --home DIR
    QString newDatabase; // --new-database FILE
    QString database;    // --database FILE|URL
    QString copyFrom;    // --copy-database FROM TO
    QString copyTo;
    bool demo = false;    // --demo
    bool english = false; // --lang en
    QString screenshots;  // --screenshots DIR: the manual's pictures (not in --help)
    QString console;      // --console NAME: this console's name among the database's consoles
    // --headless: the stations, the clock and the lease without windows or
    // an operator, until SIGTERM (tests and benchmarks; not in --help).
    bool headless = false;
    bool showVersion = false;
    bool showHelp = false;
    QString error; // a bad option, with the text to print

    // "es" or "en", for the catalogues of Qt's own texts.
    QString language() const { return english ? QStringLiteral("en") : QStringLiteral("es"); }

    // Whether the command line asks for a command that opens no window.
    bool isCommand() const {
        return !error.isEmpty() || showHelp || showVersion || !newDatabase.isEmpty() || !copyFrom.isEmpty();
    }

    static constexpr int MaxConsoleName = 40;
    static bool validConsoleName(const QString& name);

    static CommandLine parse(const QStringList& arguments);
    static QString helpText();
};

} // namespace app
