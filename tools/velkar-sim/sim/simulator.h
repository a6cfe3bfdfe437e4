#pragma once

#include "sim/fault.h"
#include "sim/stationmodel.h"
#include "sim/transport.h"
#include "sim/wire.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <queue>
#include <vector>

namespace velkarsim {

struct SimulatorStats {
    int stations = 0;
    int listening = 0;
    int connected = 0;
    quint64 linesReceived = 0;
    quint64 repliesSent = 0;
    quint64 bytesIn = 0;
    quint64 bytesOut = 0;
    quint64 connectionsAccepted = 0;
    quint64 connectionsLost = 0;
    quint64 listenFailures = 0;
};

// Plays any number of stations on the event loop of the thread that creates
// it: one listener per station on its own address, the console's lines fed to
// each station's model, the replies sent back, faults and power states.
class Simulator final : public QObject, private TransportEvents {
    Q_OBJECT
public:
    // When a station keeps its listener while the console is connected. A
    // station needs one descriptor idle and two connected; when the process
    // cannot afford two per station, the listener is closed while connected
    // (the console opens a new connection only after the old one is gone).
    enum class ListenPolicy { Auto, Always, WhileIdle };

    explicit Simulator(QObject* parent = nullptr);
    ~Simulator() override;

    // Set before start().
    void setPort(quint16 port) { m_port = port; }
    quint16 port() const { return m_port; }
    void setRebootMs(int ms) { m_rebootMs = ms; }
    int rebootMs() const { return m_rebootMs; }
    void setListenPolicy(ListenPolicy policy) { m_policy = policy; }
    bool listenerClosedWhileConnected() const { return m_whileIdle; }

    // Stations 0 … count-1 at loopbackStationAddress(base, i), numbered from firstNumber.
    void addStations(const QHostAddress& base, int count, int firstNumber);
    int addStation(int number, const QHostAddress& address);

    // Starts listening for every station that is on. Returns false when some
    // station could not listen; error then says which and why.
    bool start(QString* error = nullptr);

    int count() const { return int(m_slots.size()); }
    StationModel& station(int index) { return m_slots[std::size_t(index)].model; }
    const StationModel& station(int index) const { return m_slots[std::size_t(index)].model; }
    int indexOfNumber(int number) const;

    void setFault(int index, const Fault& fault);
    // By hand: "stop" switches the station off, "start" switches it on.
    void powerOff(int index);
    void powerOn(int index);
    bool isListening(int index) const { return m_transport->isListening(index); }

    SimulatorStats stats() const;
    qint64 elapsedMs() const { return m_clock.elapsed(); }

    // One line per exchange and per connection event, when set.
    using LogSink = std::function<void(const QString&)>;
    void setLogSink(LogSink sink) { m_log = std::move(sink); }

private:
    struct Slot {
        Slot(int number, const QHostAddress& address)
            : model(number, address) {}
        StationModel model;
        LineSplitter splitter;
        quint32 rebootToken = 0;
    };
    struct DelayedReply {
        qint64 dueMs;
        int index;
        quint32 connection;
        QByteArray reply;
        bool operator>(const DelayedReply& o) const { return dueMs > o.dueMs; }
    };

    void connectionOpened(int slot) override;
    void dataReceived(int slot, const char* data, qsizetype size) override;
    void connectionClosed(int slot) override;

    void handleLine(int index, const QByteArray& line);
    void sendReply(int index, const QByteArray& reply);
    void applyAction(int index, StationModel::Action action);
    void goDark(int index, Power power);
    void syncListener(int index);
    void closeConnectionOf(int index);
    void scheduleDelayed();
    void sendDueReplies();
    QByteArray garbage(int index);

    void logExchange(int index, const QByteArray& line, const QString& reply);
    void logEvent(int index, const QString& text);

    std::unique_ptr<Transport> m_transport;
    std::deque<Slot> m_slots;
    quint16 m_port = 2222;
    int m_rebootMs = 5000;
    ListenPolicy m_policy = ListenPolicy::Auto;
    bool m_whileIdle = false;
    bool m_started = false;
    QElapsedTimer m_clock;
    std::priority_queue<DelayedReply, std::vector<DelayedReply>, std::greater<>> m_delayed;
    QTimer m_delayTimer;
    quint32 m_garbageSeed = 0x9E3779B9u;
    SimulatorStats m_stats;
    LogSink m_log;
};

} // namespace velkarsim
