#pragma once

#include "core/currency.h"
#include "station/stationrecord.h"
#include "store/rows.h"
#include "ui/messagetable.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

#include <optional>

// Tickets and their lines. Failed statements throw store::DatabaseError;
// every operation of several statements runs in one store::Transaction.

namespace sales {

// Issues a ticket: advances NUM_TICK (the last number issued) by one and
// stores the ticket with that number, today's date and the time of now. All
// or nothing, and the counter stays locked until the caller's transaction
// ends, so a number is never issued twice. The other columns come from
// ticket as given; CONSOLA, when not given, is the connection's writing
// console. Answers the stored row with its ID_TICK.
store::Ticket NuevoNumeroTicket(const QSqlDatabase& db, store::Ticket ticket, const QDateTime& now);

// Appends a line to the ticket named by line.ID_TICK; answers its ID_LIN.
int addLine(const QSqlDatabase& db, const store::LinTick& line);
std::vector<store::LinTick> lines(const QSqlDatabase& db, int idTick);

// The ticket whose NUM_TICKET is exactly number: no trimming, no numeric
// reading ("12" does not find "012" nor "12 "). The first by ID_TICK.
std::optional<store::Ticket> findTicket(const QSqlDatabase& db, const QString& number);
std::optional<store::Ticket> ticketById(const QSqlDatabase& db, int idTick);

// Cancels a ticket: its lines keep their texts, codes and prices with
// quantity, amount and tax 0; the ticket gets total 0, the remark "ANULADO"
// and the operator. The number stays used. The audit trail gets, in the same
// transaction, what the cancellation zeroes: the selling operator, each
// line and the total. Nothing happens for a ticket that does not exist.
void cancelTicket(const QSqlDatabase& db, int idTick, const QString& operatorName, const QDateTime& now);

// Stores the sum of the lines' amounts as the ticket's total and answers it.
Currency recomputeTotal(const QSqlDatabase& db, int idTick);

// The station queue: one ticket, or every pending ticket with one statement.
void settleTicket(const QSqlDatabase& db, int idTick);
void settleAllPending(const QSqlDatabase& db);

// Refusal of attaching or detaching a station's ticket.
struct TicketOutcome {
    // Key in ticketMessages(); empty when done.
    QString messageKey;
    bool ok() const { return messageKey.isEmpty(); }
};

// "NoAnotar" when the station already holds a ticket; otherwise the station
// holds number. A free station may hold a ticket.
TicketOutcome attachTicket(station::StationRecord& station, const QString& number);
// "NoBorrarPrepago" for an anonymous prepaid station (its ticket is the
// customer's receipt); otherwise the station lets go of its ticket. The
// ticket row is not touched.
TicketOutcome detachTicket(station::StationRecord& station);

const ui::MessageTable& ticketMessages();

} // namespace sales
