#pragma once

#include "sim/fault.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace velkarsim {

class Simulator;

// Which stations a command is for: one number, a range "3-7" or "all".
struct StationSelector {
    bool all = false;
    int first = 0;
    int last = 0;

    bool matches(int number) const { return all || (number >= first && number <= last); }
    static std::optional<StationSelector> parse(const QString& text);
};

// One command of a script or of the control channel.
//   station SEL login LOGIN [PASSWORD]
//   station SEL logout
//   station SEL msg TEXT
//   station SEL setpass NEWPASS [0|1]
//   station SEL admin on|off
//   station SEL stop | start
//   station SEL fault MODE[=MS]
//   station SEL reply RAW        (\t, \r, \xHH escapes)
//   station SEL status
//   stats
//   quit
struct Command {
    enum class Verb {
        Login,
        Logout,
        Message,
        SetPassword,
        Admin,
        Stop,
        Start,
        SetFault,
        Raw,
        Status,
        Stats,
        Quit
    };

    Verb verb = Verb::Quit;
    StationSelector stations;
    QString text;     // login, message, new password or raw reply
    QString password; // login only
    std::optional<bool> firstPassword;
    bool on = false; // admin
    Fault fault;

    static std::optional<Command> parse(const QString& line, QString* error);
};

// A timed command: "2.5 station 3 logout" at 2.5 s from the start, "+1 …" one
// second after the previous line, no time: together with the previous line.
struct ScriptAction {
    qint64 atMs = 0;
    int lineNumber = 0;
    Command command;
};

// Blank lines and lines starting with '#' are skipped. On error returns
// nothing and says which line is wrong.
std::optional<QList<ScriptAction>> parseScript(const QString& text, QString* error);

// Carries out commands on a simulator. The answer is "ok", "ok …" or "error …".
class CommandExecutor {
public:
    explicit CommandExecutor(Simulator& simulator)
        : m_sim(simulator) {}

    void setQuitHandler(std::function<void()> onQuit) { m_onQuit = std::move(onQuit); }

    QString execute(const Command& command);
    QString execute(const QString& line);

    // One line describing a station, as "status" answers.
    static QString describe(const Simulator& simulator, int index);
    static QString describeStats(const Simulator& simulator);

private:
    QString applyTo(int index, const Command& command);

    Simulator& m_sim;
    std::function<void()> m_onQuit;
};

} // namespace velkarsim
