#pragma once

#include "sim/fault.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>

#include <deque>
#include <optional>

namespace velkarsim {

// Whether the simulated PC and its station program are running.
enum class Power {
    On,
    Off,         // stopped by hand, or shut down by the console ("OFF 1")
    Rebooting,   // "OFF 2": back by itself after a while
    ProgramEnded // "OFF 3": until started again by hand
};

QString powerLabel(Power power);

// Spanish text of a log-in refusal code.
QString refusalText(int code);

// What the last poll told the station.
struct PollState {
    bool seen = false;
    QString stateWord; // "LIBRE", "OCUPADO", "PREPAGO", "ADM"
    int shutdownKind = 0;
    QString time;
    QString cost;
    QString login;
    QString password;
    QString balance;
    QString noPasswordChange;
    QString desktopType;
};

// One simulated station: what the console told it and the replies waiting to
// go out. No sockets here; the engine feeds it lines and sends what it says.
class StationModel {
public:
    static constexpr int MaxQueuedReplies = 32;

    enum class Action { None, PowerOff, Reboot, EndProgram };

    StationModel(int number, const QHostAddress& address)
        : m_number(number)
        , m_address(address) {}

    int number() const { return m_number; }
    const QHostAddress& address() const { return m_address; }

    // Takes in one line from the console (without its CR) and says what the
    // station does about it beyond replying.
    Action observe(const QByteArray& line);
    // The answer to the line just observed: the oldest queued reply, else "OK".
    QByteArray takeReply();

    // Replies for the next lines; false when the queue is full.
    bool queue(const QByteArray& reply);
    bool queueLogin(const QString& login, const QString& password);
    bool queueLogout();
    bool queueMessage(const QString& text);
    // The flag says whether this is the first password after a "CLI 21";
    // without it the station knows from what it was told.
    bool queueSetPassword(const QString& newPassword, std::optional<bool> firstPassword = std::nullopt);
    bool queueAdmin(bool on);
    void clearQueue();
    QList<QByteArray> queuedReplies() const { return {m_queue.begin(), m_queue.end()}; }
    bool hasQueuedReplies() const { return !m_queue.empty(); }

    const PollState& lastPoll() const { return m_poll; }
    // A customer with an account is logged in, as far as the last poll says.
    bool customerLoggedIn() const;
    bool inAdminMode() const { return m_poll.seen && m_poll.stateWord == u"ADM"; }

    QString lastMessage() const { return m_lastMessage; }
    bool warning() const { return m_warning; }
    QString warningText() const { return m_warningText; }
    std::optional<int> volume() const { return m_volume; }
    std::optional<int> lastRefusalCode() const { return m_lastRefusal; }
    std::optional<int> lastOffKind() const { return m_lastOff; }
    QString lastSetPassResult() const { return m_lastSetPassResult; }
    bool mustSetPassword() const { return m_mustSetPassword; }
    QString lastLoginAttempt() const { return m_lastLoginAttempt; }
    QByteArray lastLine() const { return m_lastLine; }
    QByteArray lastReply() const { return m_lastReply; }
    void noteReplySent(const QByteArray& reply);

    Fault fault() const { return m_fault; }
    void setFault(const Fault& fault);
    Power power() const { return m_power; }
    void setPower(Power power);
    bool connected() const { return m_connected; }
    void setConnected(bool connected);

    quint64 linesReceived() const { return m_linesReceived; }
    quint64 repliesSent() const { return m_repliesSent; }
    // Grows on every change, so a window can redraw only what changed.
    quint64 revision() const { return m_revision; }

private:
    void touch() { ++m_revision; }

    int m_number;
    QHostAddress m_address;
    std::deque<QByteArray> m_queue;
    PollState m_poll;
    bool m_logoutSent = false; // "CLINO" gone out since the last poll
    QString m_lastMessage;
    bool m_warning = false;
    QString m_warningText;
    std::optional<int> m_volume;
    std::optional<int> m_lastRefusal;
    std::optional<int> m_lastOff;
    QString m_lastSetPassResult;
    bool m_mustSetPassword = false;
    QString m_lastLoginAttempt;
    QByteArray m_lastLine;
    QByteArray m_lastReply;
    Fault m_fault;
    Power m_power = Power::On;
    bool m_connected = false;
    quint64 m_linesReceived = 0;
    quint64 m_repliesSent = 0;
    quint64 m_revision = 0;
};

} // namespace velkarsim
