#pragma once

#include "accounts/seguimiento.h"
#include "core/creditsync.h"
#include "session/cambioscompartidos.h"
#include "session/consolelease.h"
#include "session/registrouso.h"
#include "session/stationclock.h"
#include "session/tarifas.h"
#include "station/linkdecisions.h"
#include "station/listapuestos.h"
#include "station/messagequeue.h"
#include "store/connectionkeeper.h"
#include "store/rows.h"

#include <QObject>

#include <map>
#include <vector>

struct ConsoleContext;

namespace session {

// What the operator chose in the open-station dialog.
struct AperturaPedido {
    bool prepago = false;
    QString tariffName;
    // Prepaid with a fixed tariff: the amount and the time it buys.
    Currency amount;
    int hours = 0;
    int minutes = 0;
    // Prepaid with a variable tariff: the chosen interval (0-based, by end).
    int interval = -1;
};

// What the operator adds in the increase-prepaid dialog.
struct IncrementoPedido {
    // The tariff the dialog priced with (the band's when the station runs on "FRANJAS").
    QString tariffName;
    Currency amount;
    int hours = 0;
    int minutes = 0;
    int interval = -1;
};

// The outcome of an operation the operator started: done, or the key of the
// message the window shows.
struct Outcome {
    QString messageKey;
    bool ok() const { return messageKey.isEmpty(); }
    static Outcome done() { return {}; }
    static Outcome refused(const QString& key) { return {key}; }
};

// Texts of the session commands.
const ui::MessageTable& sessionMessages();

} // namespace session

// What runs behind the main window while the console is up: the station
// registry with its links, the tariff cache, the station clock, and the
// message queue they feed. The main window owns one and shows it; it never
// contains it.
class ConsoleEngine : public QObject,
                      private session::UsePeriodHandler,
                      private station::LinkDecisions,
                      private CreditSync {
    Q_OBJECT
public:
    explicit ConsoleEngine(ConsoleContext& context, QObject* parent = nullptr);
    ~ConsoleEngine() override;

    ConsoleContext& context() const { return m_context; }
    ListaPuestos& puestos() { return m_puestos; }
    const ListaTarifas& tarifas() const { return m_tarifas; }
    // For the tariff editing, which keeps the cache in step with the tables.
    ListaTarifas& tarifasEditables() { return m_tarifas; }
    station::MessageQueueModel& mensajes() { return m_mensajes; }
    session::StationClock& reloj() { return m_clock; }
    // The connection to a server's database: lost, kept retrying, restored.
    store::ConnectionKeeper& conexion() { return m_conexion; }
    // The console's lease on its stations among the database's consoles.
    session::ConsoleLease& consola() { return m_lease; }
    // What the other consoles of a shared database edit, followed here.
    session::CambiosCompartidos& cambios() { return m_cambios; }

    // Builds the tariff cache from the tables (start-up).
    Status cargarTarifas();

    // Until the accounts are wired in, log-ins are refused as unknown.
    void setAccountDecisions(station::LinkDecisions* decisions) { m_accountDecisions = decisions; }

    // Open-station: the station at registry position pos, free when the
    // dialog was accepted. Writes the prepaid ticket at once.
    session::Outcome abrirPuesto(int pos, const session::AperturaPedido& pedido);
    // Adds prepaid time to an anonymous prepaid station.
    session::Outcome incrementarPrepago(int pos, const session::IncrementoPedido& pedido);
    // Closes the period of an occupied station (after the operator confirmed).
    // False when it was already closed.
    bool cerrarPuesto(int pos);
    // The stations a station may be exchanged with: same relative price,
    // neither deactivated nor in admin mode.
    std::vector<int> candidatosIntercambio(int pos) const;
    void intercambiar(int pos, int otherPos);
    // "&B.- Borrar ticket de puesto...".
    session::Outcome borrarTicket(int pos);
    // Registry position of the station where login is logged in, or -1.
    int posicionDeCuenta(const QString& login) const;

    // Writes one station's row at once, so a crash loses no event of its period.
    void guardarPuesto(int pos);
    // Books every period that ended and waits for the next tick (shut-down).
    // Throws store::DatabaseError; what was not booked stays running.
    void liquidarPendientes();

signals:
    // A ticket was written: the station queue reads again.
    void ticketsChanged();
    // A use period of an anonymous customer was booked with its ticket
    // (idTick, NUM_TICKET). Emitted from the event loop once the booking is
    // committed, never from the clock's tick.
    void ticketBooked(int idTick, const QString& ticketNumber, int station);
    void fatalError(const QString& error);

private:
    // UsePeriodHandler
    void registrarUso(const session::UsoTerminado& uso, const station::StationRecord& ended,
                      const station::StationRecord& freed, QDate& day, int& records) override;
    bool registrado(const session::UsoTerminado& uso, const station::StationRecord& ended) override;
    void usoRegistrado(const session::UsoTerminado& uso, const station::StationRecord& ended) override;
    // What follows a committed booking in memory.
    void afterBooking(const station::StationRecord& ended);
    void messageRow(const station::MessageQueueRow& row) override;
    // LinkDecisions
    int CheckStationLogin(TPuestos& puesto, const QString& request) override;
    QString ChangeStationPassword(const QString& login, const QString& newPassword) override;
    void CerrarCuenta(const QString& login, int stationNumber, const QString& accountType,
                      const QString& ticketNumber, int seconds, Currency cost) override;

    // CreditSync
    void escribirPuesto(const QSqlDatabase& db, const CreditoCuenta& credito) override;
    void aplicarPuesto(const CreditoCuenta& credito) override;

    void notifyTicketsChanged();
    // Accounts logged in here whose credit another console changed (a
    // top-up at its counter): their stations follow the stored credit.
    void seguirCreditosDeOtras();
    int ivaGen() const;
    QString tariffInForce(const QString& chosen) const;

    ConsoleContext& m_context;
    ListaPuestos m_puestos;
    ListaTarifas m_tarifas;
    station::MessageQueueModel m_mensajes;
    session::StationClock m_clock;
    store::ConnectionKeeper m_conexion;
    session::ConsoleLease m_lease;
    session::CambiosCompartidos m_cambios;
    station::DefaultLinkDecisions m_noAccounts;
    station::LinkDecisions* m_accountDecisions = &m_noAccounts;
    bool m_ticketsChangedQueued = false;
    // The anonymous customers' tickets of the bookings written and not yet
    // committed, by station number.
    std::map<int, store::Ticket> m_ticketsBooked;
    // The account movements this console has looked at.
    accounts::MovimientosNuevos m_movimientos;
};
