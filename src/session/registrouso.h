#pragma once

#include "core/currency.h"
#include "store/rows.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

// The tickets and the activity record that the session engine writes when a
// use period ends, opens prepaid, or has its prepaid time increased. Each
// call is one transaction; failed statements throw store::DatabaseError and
// leave nothing behind.

namespace session {

enum class Modo { Contador, Prepago };

// "CONTADOR" or "PREPAGO".
QString modoTexto(Modo modo);

// Ticket line texts: "PUESTO 3  0:45:10" for a closed period, "PUESTO 7 1:00:00"
// for prepaid time.
QString articuloCierre(int station, qint64 seconds);
QString articuloPrepago(int station, qint64 seconds);

// A use period that ended, as the clock tick hands it over.
struct UsoTerminado {
    QString tariffName;
    int station = 0;
    // The station's ticket when the period ended; empty when none.
    QString ticketNumber;
    Modo modo = Modo::Contador;
    // The station's cost (the prepaid amount in prepaid mode).
    Currency cost;
    qint64 seconds = 0;
    // Empty for an anonymous customer.
    QString accountLogin;
};

// What the caller puts back: the ticket written, if any.
struct TicketEscrito {
    // The ticket that received the period (new or extended); empty when none.
    QString ticketNumber;
    // A ticket was newly issued.
    bool issued = false;
    bool written() const { return !ticketNumber.isEmpty(); }
};

// Records an ended use period. An anonymous counter period goes onto the
// station's ticket (total grows, one line, pending again) or onto a new
// ticket when the station has none; an anonymous period without a ticket in
// prepaid mode gets a new one as well. An anonymous prepaid period with a
// ticket was charged at its opening, and account customers settle through
// their account: neither writes a ticket. Then the activity record goes to
// ciber, with the ticket number the station held.
TicketEscrito RegistrarUso(const QSqlDatabase& db, const UsoTerminado& uso, const QString& operatorName,
                           const QDateTime& now, int ivaGen);

// The activity records of a station on a day. A booking counts them with
// its own before it commits: when the COMMIT gets no answer, a count as
// high later says the booking was kept.
int registrosDelDia(const QSqlDatabase& db, int station, const QDate& day);

// The ticket of an anonymous prepaid opening: added to the station's ticket
// when it exists (MODO "PREPAGO", total grows, pending again), otherwise a
// new ticket. Answers the number the station must hold.
TicketEscrito ticketAperturaPrepago(const QSqlDatabase& db, int station, const QString& ticketNumber,
                                    int prepaidSeconds, Currency amount, const QString& operatorName,
                                    const QDateTime& now, int ivaGen);

// An increase of prepaid time: amount added to the station's ticket with a
// line showing lineSeconds (the caller chooses: the added time for a fixed
// tariff, the new total prepaid time for a variable one). A station whose
// ticket is gone gets a new ticket, so the money is never left off the books.
TicketEscrito ticketIncrementoPrepago(const QSqlDatabase& db, int station, const QString& ticketNumber,
                                      qint64 lineSeconds, Currency amount, const QString& operatorName,
                                      const QDateTime& now, int ivaGen);

} // namespace session
