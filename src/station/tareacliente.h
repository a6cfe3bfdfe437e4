#pragma once

#include "station/linkscheduler.h"
#include "station/stationaddress.h"
#include "station/stationrecord.h"
#include "station/stationtransport.h"
#include "station/wireformat.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class Clock;
class Regional;
struct RuntimeSettings;

namespace station {

// Every bound of one exchange. The defaults are the protocol's; tests shorten them.
struct LinkTimings {
    int connectTimeoutMs = 3000;
    int writeTimeoutMs = 3000;
    int replyWaitMs = 1000;
};

// An exchange that starts within this of its due time counts as on schedule.
constexpr qint64 OnScheduleMs = 100;

// Counters over all links of a registry, for the benchmark and diagnostics.
// Intervals between one station's exchange starts, in 1 ms buckets up to
// 10 s (longer ones count in the last): what each station actually got,
// which a count of exchanges per second hides after a burst.
struct IntervalHistogram {
    static constexpr int Buckets = 10001;
    std::vector<quint64> counts = std::vector<quint64>(Buckets, 0);
    quint64 total = 0;
    qint64 sumMs = 0;
    qint64 maxMs = 0;

    void note(qint64 ms) {
        ms = qMax<qint64>(ms, 0);
        ++counts[size_t(qMin<qint64>(ms, Buckets - 1))];
        ++total;
        sumMs += ms;
        maxMs = qMax(maxMs, ms);
    }
    void add(const IntervalHistogram& other) {
        for (size_t i = 0; i < counts.size(); ++i)
            counts[i] += other.counts[i];
        total += other.total;
        sumMs += other.sumMs;
        maxMs = qMax(maxMs, other.maxMs);
    }
    double meanMs() const { return total ? double(sumMs) / double(total) : 0.0; }
    // The interval that share (0..1) of them stay at or under.
    qint64 percentileMs(double share) const {
        const quint64 wanted = quint64(double(total) * share + 0.999999);
        quint64 seen = 0;
        for (size_t i = 0; i < counts.size(); ++i) {
            seen += counts[i];
            if (seen >= wanted && seen > 0)
                return qint64(i);
        }
        return maxMs;
    }
};

struct LinkStatistics {
    quint64 started = 0;
    quint64 onSchedule = 0;
    quint64 replies = 0;
    quint64 failed = 0;
    qint64 maxLatenessMs = 0;
    // From the line's departure to the reply's reading, summed over replies.
    qint64 replyWaitTotalMs = 0;
    // Replies found only when the reply wait ran out (the loop was busy).
    quint64 repliesAtDeadline = 0;
    IntervalHistogram intervals;
};

// What every link of one registry shares. The poll interval is read from
// settings at every sleep, so an options change applies at once.
struct LinkEnvironment {
    const RuntimeSettings* settings = nullptr;
    const Regional* regional = nullptr;
    LinkScheduler* scheduler = nullptr;
    LinkTimings timings;
    quint16 port = StationPort;
    TransportKind transport = TransportKind::Native;
    LinkStatistics* statistics = nullptr;
};

// What the link asks of the entry that owns it; runs on the main thread.
class LinkHost {
public:
    // The log-in code; a negative value leaves the request unanswered (the
    // station asks again at its next exchange).
    virtual int checkStationLogin(const QString& request) = 0;
    virtual QString changeStationPassword(const QString& login, const QString& newPassword) = 0;
    // The disconnected flag was set or cleared.
    virtual void connectionChanged() = 0;
    // A log-in was accepted and the record now holds the account.
    virtual void loginAccepted(const QString& login) = 0;
    // The account's notice goes to the station as this message.
    virtual void noticeQueued(const QString& message) { Q_UNUSED(message); }

protected:
    virtual ~LinkHost() = default;
};

} // namespace station

// One station: its live record and its link to the station program. The
// link runs on the main event loop: one exchange (one line out, one reply
// in) per poll interval, every wait bounded by the link's timings.
class TTareaCliente final : public QObject,
                            private station::ScheduledTask,
                            private station::TransportListener {
    Q_OBJECT
public:
    enum class Phase {
        Stopped,    // not started, or stopped
        Paused,     // deactivated or being exchanged
        Connecting, // the connection made at start, before the first exchange
        Sleeping,   // waiting for the next exchange
        Reconnecting,
        Sending,
        AwaitingReply
    };

    TTareaCliente(const QString& address, int stationNumber, const station::LinkEnvironment& env,
                  station::LinkHost& host, QObject* parent = nullptr);
    ~TTareaCliente() override;

    station::StationRecord& rec() { return m_rec; }
    const station::StationRecord& rec() const { return m_rec; }
    int stationNumber() const { return m_number; }
    const QString& address() const { return m_address; }

    // Connects at once; the first exchange follows one poll interval later.
    void start();
    // Stops polling and reconnecting; an exchange under way is abandoned
    // (its connection closed, so a late reply is never taken for the next).
    void pause();
    // Resumes a paused (or never started) link: next exchange one poll interval from now.
    void resume();
    void stop();

    Phase phase() const { return m_phase; }
    bool isRunning() const { return m_phase != Phase::Stopped && m_phase != Phase::Paused; }
    // When the next exchange is due (while sleeping), monotonic ms.
    qint64 nextExchangeDueMs() const { return m_exchangeDueMs; }

    // The last line sent (without its CR) and the last reply read.
    const QByteArray& outgoingLine() const { return m_outgoing; }
    const QString& replyLine() const { return m_reply; }

    // Handles bytes as the station's reply to the last line: cut at the first
    // zero byte and at MaxLineBytes, decoded, then acted upon.
    void handleReply(const QByteArray& bytes);

signals:
    // An exchange ended: with a reply, or failed.
    void exchangeFinished(bool replied);

private:
    // ScheduledTask
    void fire(qint64 nowMs) override;
    // TransportListener
    void transportConnected() override;
    void transportSent() override;
    void transportReadable() override;
    void transportFailed() override;

    void beginExchange(qint64 nowMs);
    void sendLine();
    void readReply(bool deadlinePassed);
    void finishExchange(bool replied);
    void queueNotice();
    void failExchange();
    void markDisconnected();
    void markConnected();
    void scheduleNextExchange();
    void closeConnection();
    void abandon();

    station::StationRecord m_rec;
    QString m_address;
    int m_number = 0;
    const station::LinkEnvironment& m_env;
    station::LinkHost& m_host;
    std::unique_ptr<station::StationTransport> m_transport;

    Phase m_phase = Phase::Stopped;
    qint64 m_exchangeDueMs = 0;
    // When the last exchange began, for the statistics' intervals; 0 before the first.
    qint64 m_lastStartMs = 0;
    qint64 m_sentMs = 0;
    int m_lastWarningMinute = 0;
    // The pending command as the line left it, so that a reply does not
    // drop a command the operator queued while the exchange was under way.
    station::Pendiente m_pendingAfterBuild = station::Pendiente::Poll;
    // The line on its way is the poll of an occupied station.
    bool m_occupiedPollSent = false;
    QByteArray m_outgoing;
    station::PollLineCache m_pollCache;
    // The outgoing line with its CR, built again only when the line changes.
    QByteArray m_wire;
    QByteArray m_wireLine;
    QString m_reply;
};
