#pragma once

#include "core/currency.h"
#include "session/registrouso.h"
#include "station/messagerow.h"

#include <QObject>
#include <QTimer>

#include <memory>

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
    // A station became free: its ticket and its activity record.
    virtual void registrarUso(const UsoTerminado& uso) = 0;
    // An account's period ended by credit or expiry: settle the account.
    virtual void cerrarCuenta(const QString& login, int stationNumber, const QString& accountType,
                              const QString& ticketNumber, int seconds, Currency cost) = 0;
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

    // One pass over the registry. Throws what pricing or the database throws;
    // the timer path turns that into fatalError.
    void tick(qint64 nowMs);

    void start();
    void stop();
    bool isActive() const { return m_timer.isActive(); }

signals:
    // The time and amount of a registry position may show new values.
    void timeShown(int pos);
    // A tick failed: the console must save the stations and end.
    void fatalError(const QString& error);

private:
    void timerTick();
    Currency priceCounter(const TPuestos& puesto, const Ahora& now);
    const FranjasSnapshot& franjas();

    ConsoleContext& m_context;
    ListaPuestos& m_puestos;
    const ListaTarifas& m_tarifas;
    UsePeriodHandler& m_handler;
    QTimer m_timer;
    std::unique_ptr<FranjasSnapshot> m_franjas;
    bool m_franjasRead = false;
};

} // namespace session
