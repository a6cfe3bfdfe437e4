#pragma once

#include "core/currency.h"
#include "session/precios.h"
#include "session/registrouso.h"
#include "station/messagerow.h"
#include "station/stationrecord.h"
#include "store/transaction.h"

#include <QObject>
#include <QSet>
#include <QTimer>

#include <memory>
#include <optional>
#include <vector>

class ListaPuestos;
class TPuestos;
class ListaTarifas;
struct ConsoleContext;

namespace session {

class Ahora;
class FranjasSnapshot;

// What the clock hands on when a use period ends.
class UsePeriodHandler {
public:
    // Books an ended period in one transaction: the account's settlement
    // (when ended.accountLogin is set), the ticket and activity record of uso,
    // and the station's row as freed holds it. Inside the caller's
    // transaction it is a part of it that fails alone. Throws
    // store::DatabaseError and then leaves nothing of it written, unless the
    // error says the commit is uncertain. Either way records holds the
    // station's activity records of day, the booking's own included, once
    // they were written.
    virtual void registrarUso(const UsoTerminado& uso, const station::StationRecord& ended,
                              const station::StationRecord& freed, QDate& day, int& records) = 0;
    // What follows in memory once the booking of ended is committed.
    virtual void usoRegistrado(const UsoTerminado& uso, const station::StationRecord& ended) = 0;
    // Whether the booking of ended whose commit was uncertain was kept after
    // all; when it was, does what follows a booking. Throws store::DatabaseError.
    virtual bool registrado(const UsoTerminado& uso, const station::StationRecord& ended) = 0;
    // A row for the message queue window.
    virtual void messageRow(const station::MessageQueueRow& row) = 0;

protected:
    ~UsePeriodHandler() = default;
};

// TimerTiempos: once a second, advances the clock of every occupied
// station, prices counter-mode stations, raises the alarms, and sees the
// starts and ends of use periods. tick() takes the monotonic time so tests
// drive it by hand; start() runs it from a 1000 ms timer.
class StationClock : public QObject {
    Q_OBJECT
public:
    static constexpr int IntervalMs = 1000;

    ~StationClock() override;
    StationClock(ConsoleContext& context, ListaPuestos& puestos, const ListaTarifas& tarifas,
                 UsePeriodHandler& handler, QObject* parent = nullptr);

    // What the timer's ticks may spend booking ended periods. A burst of ends
    // (hundreds of customers logging out in one second) would otherwise hold
    // the main thread for seconds; the rest stay pending, saved as running,
    // and are booked by the next ticks. With one commit a tick an end costs
    // a quarter of a millisecond: some two hundred ends a tick, and no poll
    // waits behind them for long.
    static constexpr int BookingBudgetMs = 50;

    // One pass over the registry. A database error while booking leaves the
    // end pending and is reported to the registry's saves; anything else
    // pricing throws goes on, and the timer path turns it into fatalError.
    // With a budget (ms, not
    // negative), no booking starts once the tick has run that long,
    // but every tick books at least one.
    void tick(qint64 nowMs, int bookingBudgetMs = -1);

    // Books the period of that registry position now when it ended and
    // waits for the next tick (before the station takes a new period).
    // Throws as tick() does; the record stays pending then.
    void liquidar(int pos);

    void start();
    void stop();
    bool isActive() const { return m_timer.isActive(); }

    // The timer's ticks since the last call: how many, and the longest and
    // total time they took (ms), for the figures of a benchmark.
    struct TickFigures {
        int ticks = 0;
        double maxMs = 0;
        double totalMs = 0;
    };
    TickFigures takeTickFigures();

signals:
    // The time and amount of a registry position may show new values.
    void timeShown(int pos);
    // A tick failed: the console must save the stations and end.
    void fatalError(const QString& error);

private:
    void timerTick();
    Currency priceCounter(const TPuestos& puesto, const Ahora& now);
    const FranjasSnapshot& franjas();
    // The bands with their tariffs, looked up at most once per tick.
    const TarifasFranjas& tarifasFranjas();
    // A free station's record: books a pending end, then clears the period.
    // True when the row needs a repaint.
    bool freeStation(TPuestos& p);
    // The booking of a pending end as it would free the station.
    static UsoTerminado usoDe(const TPuestos& p);
    // A booking the database may have kept already (its commit went without
    // an answer): true when it was, and the record is freed.
    bool yaRegistrado(TPuestos& p, const UsoTerminado& uso, const station::StationRecord& freed);
    // The ends one tick booked, written and not yet committed.
    struct Fin {
        int pos = -1;
        UsoTerminado uso;
        station::StationRecord freed;
        QDate day;
        int records = 0;
    };
    struct Lote {
        std::optional<store::Transaction> tx;
        std::vector<Fin> fines;
    };
    // Commits the tick's ends and frees their records; true when any was.
    bool cerrarLote(Lote& lote);

    ConsoleContext& m_context;
    ListaPuestos& m_puestos;
    const ListaTarifas& m_tarifas;
    UsePeriodHandler& m_handler;
    QTimer m_timer;
    std::unique_ptr<FranjasSnapshot> m_franjas;
    bool m_franjasRead = false;
    std::optional<TarifasFranjas> m_tarifasFranjas;
    TickFigures m_figures;
    // Stations whose last booking failed, by number.
    QSet<int> m_endsFailed;
};

} // namespace session
