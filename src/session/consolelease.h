#pragma once

#include "core/result.h"
#include "store/consolas.h"

#include <QList>
#include <QObject>
#include <QTimer>

class ListaPuestos;
struct ConsoleContext;
namespace store {
class ConnectionKeeper;
}

namespace session {

// The console's lease on its stations among the consoles of one database.
// It registers the console, renews its heartbeat, takes over the stations of
// a console silent for longer than the take-over delay, and fences itself
// (stops polling) when it cannot renew while another console was alive: by
// then the other may take its stations. Safety does not rest on the timing:
// every write of a station checks the epoch under which this console holds
// it, and a station taken over refuses the old owner's writes.
class ConsoleLease : public QObject {
    Q_OBJECT
public:
    // The heartbeat's period: a fifth of the take-over delay, so that a
    // console renews several times before it must fence itself, within
    // these bounds.
    static constexpr int MaxHeartbeatMs = 3000;
    static constexpr int MinHeartbeatMs = 500;
    int heartbeatMs() const;
    // The rows of stations in use are written this often while other
    // consoles are alive, so a take-over loses at most this much use.
    static constexpr int RunningSaveMs = 10000;

    ConsoleLease(ConsoleContext& context, ListaPuestos& puestos, store::ConnectionKeeper& keeper,
                 QObject* parent = nullptr);
    ~ConsoleLease() override;

    const store::ConsolaId& id() const { return m_id; }

    // Registers the console under context.consoleName before its stations
    // load; refused (with the text to show) while another computer's
    // console runs under that name.
    Status registrar();
    // The heartbeat from now on; stop(true) at a clean end also gives the
    // name back (the stations stay this console's for its next start).
    void start();
    void stop(bool clean);
    bool isRunning() const { return m_timer.isActive(); }

    // One step on the monotonic clock: the fence, the heartbeat when due,
    // the take-overs it finds. The timer calls it every second.
    void step(qint64 nowMs);
    // The next step renews whatever time it is.
    void renewSoon() { m_nextRenewalMs = 0; }
    bool fenced() const { return m_fenced; }

    // The other consoles that own stations, for the take-over by hand.
    Result<std::vector<store::ConsolaRow>> otras() const;
    // Takes every station of that console whatever its heartbeat.
    Result<QList<int>> tomarAMano(const QString& from);

    // Milliseconds of silence after which a console is dead; 0 never.
    qint64 deadAfterMs() const;

signals:
    // Stations that came over from another console and are polled now.
    void taken(const QString& from, const QList<int>& stations);
    // Stations another console owns now; they are no longer polled here.
    void lost(const QList<int>& stations);
    // The console stopped polling (it could not renew its lease) or goes on.
    void fencedChanged(bool fenced);
    // A heartbeat was renewed; othersAlive: other consoles work on the database.
    void renewed(bool othersAlive);

private:
    void renew(qint64 nowMs);
    void takeOver(const QString& from, qint64 silentMs);
    void reconcile();
    void fence();
    void unfence();
    qint64 liveMs() const;

    ConsoleContext& m_context;
    ListaPuestos& m_puestos;
    store::ConnectionKeeper& m_keeper;
    store::ConsolaId m_id;
    QTimer m_timer;
    qint64 m_lastRenewalMs = -1;
    qint64 m_nextRenewalMs = 0;
    qint64 m_nextRunningSaveMs = 0;
    int m_othersAlive = 0;
    bool m_fenced = false;
    // What the registry held at the last look: a change of either says
    // another console moved a station.
    qint64 m_ownedDigest = -1;
};

} // namespace session
