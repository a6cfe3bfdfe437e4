#include "sim/command.h"

#include "sim/simulator.h"

#include <QRegularExpression>

namespace velkarsim {

namespace {

// Splits off the first whitespace-separated word; rest keeps its inner spaces.
QString takeWord(QString& rest) {
    rest = rest.trimmed();
    qsizetype end = 0;
    while (end < rest.size() && !rest.at(end).isSpace())
        ++end;
    const QString word = rest.left(end);
    rest = rest.mid(end);
    // One separator only: the rest of a message keeps its own leading blanks.
    if (!rest.isEmpty())
        rest = rest.mid(1);
    return word;
}

std::optional<Command> fail(QString* error, const QString& text) {
    if (error)
        *error = text;
    return std::nullopt;
}

} // namespace

std::optional<StationSelector> StationSelector::parse(const QString& text) {
    StationSelector s;
    if (text.compare(u"all", Qt::CaseInsensitive) == 0) {
        s.all = true;
        return s;
    }
    const qsizetype dash = text.indexOf(u'-');
    bool ok1 = false;
    bool ok2 = false;
    if (dash < 0) {
        s.first = s.last = text.toInt(&ok1);
        ok2 = true;
    } else {
        s.first = text.left(dash).toInt(&ok1);
        s.last = text.mid(dash + 1).toInt(&ok2);
    }
    if (!ok1 || !ok2 || s.first < 0 || s.last < s.first)
        return std::nullopt;
    return s;
}

std::optional<Command> Command::parse(const QString& line, QString* error) {
    QString rest = line;
    const QString head = takeWord(rest).toLower();
    Command c;
    if (head == u"quit" || head == u"exit") {
        c.verb = Verb::Quit;
        return c;
    }
    if (head == u"stats") {
        c.verb = Verb::Stats;
        return c;
    }
    if (head != u"station")
        return fail(error, QStringLiteral("unknown command '%1'").arg(head));

    const QString selector = takeWord(rest);
    const auto stations = StationSelector::parse(selector);
    if (!stations)
        return fail(error, QStringLiteral("bad station '%1' (a number, FIRST-LAST or all)").arg(selector));
    c.stations = *stations;

    const QString verb = takeWord(rest).toLower();
    if (verb == u"login") {
        c.verb = Verb::Login;
        c.text = takeWord(rest);
        c.password = rest.trimmed();
        if (c.text.isEmpty())
            return fail(error, QStringLiteral("login needs a login and a password"));
    } else if (verb == u"logout") {
        c.verb = Verb::Logout;
    } else if (verb == u"msg") {
        c.verb = Verb::Message;
        c.text = rest;
    } else if (verb == u"setpass") {
        c.verb = Verb::SetPassword;
        c.text = takeWord(rest);
        const QString flag = takeWord(rest);
        if (flag == u"1")
            c.firstPassword = true;
        else if (flag == u"0")
            c.firstPassword = false;
        else if (!flag.isEmpty())
            return fail(error, QStringLiteral("setpass flag must be 0 or 1"));
        if (c.text.isEmpty())
            return fail(error, QStringLiteral("setpass needs the new password"));
    } else if (verb == u"admin") {
        c.verb = Verb::Admin;
        const QString onOff = takeWord(rest).toLower();
        if (onOff != u"on" && onOff != u"off")
            return fail(error, QStringLiteral("admin takes on or off"));
        c.on = onOff == u"on";
    } else if (verb == u"stop") {
        c.verb = Verb::Stop;
    } else if (verb == u"start") {
        c.verb = Verb::Start;
    } else if (verb == u"fault") {
        c.verb = Verb::SetFault;
        QString why;
        const auto fault = Fault::parse(takeWord(rest), &why);
        if (!fault)
            return fail(error, why);
        c.fault = *fault;
    } else if (verb == u"reply") {
        c.verb = Verb::Raw;
        c.text = rest;
    } else if (verb == u"status") {
        c.verb = Verb::Status;
    } else {
        return fail(error, QStringLiteral("unknown station command '%1'").arg(verb));
    }

    const bool takesRest = c.verb == Verb::Login || c.verb == Verb::Message || c.verb == Verb::Raw;
    if (!takesRest && !rest.trimmed().isEmpty())
        return fail(error, QStringLiteral("unexpected '%1'").arg(rest.trimmed()));
    return c;
}

std::optional<QList<ScriptAction>> parseScript(const QString& text, QString* error) {
    static const QRegularExpression timePattern(QStringLiteral("^(\\+?)(\\d+(?:\\.\\d*)?|\\.\\d+)$"));
    QList<ScriptAction> actions;
    qint64 previous = 0;
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        QString rest = lines[i].trimmed();
        if (rest.isEmpty() || rest.startsWith(u'#'))
            continue;
        ScriptAction action;
        action.lineNumber = i + 1;
        action.atMs = previous;

        QString probe = rest;
        const QString first = takeWord(probe);
        const QRegularExpressionMatch m = timePattern.match(first);
        if (m.hasMatch()) {
            const qint64 ms = qRound64(m.captured(2).toDouble() * 1000.0);
            action.atMs = m.captured(1).isEmpty() ? ms : previous + ms;
            rest = probe;
            if (action.atMs < previous) {
                if (error)
                    *error = QStringLiteral("line %1: time goes backwards").arg(i + 1);
                return std::nullopt;
            }
        }
        QString why;
        const auto command = Command::parse(rest, &why);
        if (!command) {
            if (error)
                *error = QStringLiteral("line %1: %2").arg(i + 1).arg(why);
            return std::nullopt;
        }
        action.command = *command;
        previous = action.atMs;
        actions.append(action);
    }
    return actions;
}

QString CommandExecutor::execute(const QString& line) {
    QString why;
    const auto command = Command::parse(line, &why);
    if (!command)
        return u"error " + why;
    return execute(*command);
}

QString CommandExecutor::execute(const Command& command) {
    using Verb = Command::Verb;
    if (command.verb == Verb::Quit) {
        if (m_onQuit)
            m_onQuit();
        return QStringLiteral("ok");
    }
    if (command.verb == Verb::Stats)
        return u"ok " + describeStats(m_sim);

    QStringList answers;
    QString firstError;
    int matched = 0;
    auto run = [&](int index) {
        ++matched;
        const QString answer = applyTo(index, command);
        if (answer.startsWith(u"error") && firstError.isEmpty())
            firstError = answer;
        else if (answer.size() > 2)
            answers.append(answer.mid(3));
    };
    if (!command.stations.all && command.stations.first == command.stations.last) {
        const int index = m_sim.indexOfNumber(command.stations.first);
        if (index >= 0)
            run(index);
    } else {
        for (int i = 0; i < m_sim.count(); ++i) {
            if (command.stations.matches(m_sim.station(i).number()))
                run(i);
        }
    }
    if (matched == 0)
        return QStringLiteral("error no such station");
    if (!firstError.isEmpty())
        return firstError;
    return answers.isEmpty() ? QStringLiteral("ok") : u"ok " + answers.join(QStringLiteral(" | "));
}

QString CommandExecutor::applyTo(int index, const Command& command) {
    using Verb = Command::Verb;
    StationModel& m = m_sim.station(index);
    bool queued = true;
    switch (command.verb) {
    case Verb::Login:
        queued = m.queueLogin(command.text, command.password);
        break;
    case Verb::Logout:
        queued = m.queueLogout();
        break;
    case Verb::Message:
        queued = m.queueMessage(command.text);
        break;
    case Verb::SetPassword:
        queued = m.queueSetPassword(command.text, command.firstPassword);
        break;
    case Verb::Admin:
        queued = m.queueAdmin(command.on);
        break;
    case Verb::Raw:
        queued = m.queue(unescapeTyped(command.text));
        break;
    case Verb::Stop:
        m_sim.powerOff(index);
        break;
    case Verb::Start:
        m_sim.powerOn(index);
        break;
    case Verb::SetFault:
        m_sim.setFault(index, command.fault);
        break;
    case Verb::Status:
        return u"ok " + describe(m_sim, index);
    case Verb::Stats:
    case Verb::Quit:
        break;
    }
    if (!queued)
        return QStringLiteral("error station %1: reply queue full").arg(m.number());
    return QStringLiteral("ok");
}

QString CommandExecutor::describe(const Simulator& simulator, int index) {
    const StationModel& m = simulator.station(index);
    const PollState& p = m.lastPoll();
    QString power;
    switch (m.power()) {
    case Power::On:
        power = QStringLiteral("on");
        break;
    case Power::Off:
        power = QStringLiteral("off");
        break;
    case Power::Rebooting:
        power = QStringLiteral("rebooting");
        break;
    case Power::ProgramEnded:
        power = QStringLiteral("ended");
        break;
    }
    auto optional = [](const std::optional<int>& v) { return v ? QString::number(*v) : QString(); };
    QStringList parts;
    parts << QStringLiteral("station=%1").arg(m.number()) << u"address=" + m.address().toString()
          << u"power=" + power << QStringLiteral("connected=%1").arg(m.connected() ? 1 : 0)
          << QStringLiteral("listening=%1").arg(simulator.isListening(index) ? 1 : 0)
          << u"fault=" + m.fault().toString() << u"state=" + (p.seen ? p.stateWord : QStringLiteral("-"))
          << u"time=" + p.time << u"cost=" + escapeForLog(toCp1252(p.cost)) << u"login=" + p.login
          << u"balance=" + escapeForLog(toCp1252(p.balance))
          << QStringLiteral("warning=%1").arg(m.warning() ? 1 : 0) << u"volume=" + optional(m.volume())
          << u"refusal=" + optional(m.lastRefusalCode()) << u"off=" + optional(m.lastOffKind())
          << u"setpass=" + m.lastSetPassResult() << QStringLiteral("queued=%1").arg(m.queuedReplies().size())
          << QStringLiteral("lines=%1").arg(m.linesReceived())
          << QStringLiteral("replies=%1").arg(m.repliesSent())
          << u"message=" + escapeForLog(toCp1252(m.lastMessage()));
    return parts.join(u' ');
}

QString CommandExecutor::describeStats(const Simulator& simulator) {
    const SimulatorStats s = simulator.stats();
    return QStringLiteral(
               "stations=%1 listening=%2 connected=%3 lines=%4 replies=%5 bytes_in=%6 bytes_out=%7 "
               "accepted=%8 lost=%9")
        .arg(s.stations)
        .arg(s.listening)
        .arg(s.connected)
        .arg(s.linesReceived)
        .arg(s.repliesSent)
        .arg(s.bytesIn)
        .arg(s.bytesOut)
        .arg(s.connectionsAccepted)
        .arg(s.connectionsLost);
}

} // namespace velkarsim
