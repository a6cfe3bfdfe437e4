#include "sales/tickets.h"

#include "store/auditoriatexto.h"
#include "store/consolas.h"
#include "store/sql.h"
#include "store/transaction.h"

namespace sales {

store::Ticket NuevoNumeroTicket(const QSqlDatabase& db, store::Ticket ticket, const QDateTime& now) {
    store::Transaction tx(db);
    // Advanced and read in one statement, which locks the options row until
    // the ticket is committed: a console sharing the database waits for it
    // and never takes the same number.
    QSqlQuery q = store::run(
        db, QStringLiteral("UPDATE opciones SET NUM_TICK = COALESCE(NUM_TICK, 0) + 1 RETURNING NUM_TICK"));
    if (!q.next())
        throw store::DatabaseError(QStringLiteral("No se encuentra el registro de opciones."));
    const int number = store::toInt(q.value(0));
    q.finish();
    ticket.NUM_TICKET = QString::number(number);
    ticket.FECHA = now.date();
    ticket.HORA = now.time();
    if (ticket.CONSOLA.isEmpty())
        ticket.CONSOLA = store::writingConsole(db);
    ticket.ID_TICK = static_cast<int>(store::insert(db, ticket));
    tx.commit();
    return ticket;
}

int addLine(const QSqlDatabase& db, const store::LinTick& line) {
    return static_cast<int>(store::insert(db, line));
}

std::vector<store::LinTick> lines(const QSqlDatabase& db, int idTick) {
    return store::select<store::LinTick>(db, QStringLiteral("WHERE ID_TICK = ? ORDER BY ID_LIN"), {idTick});
}

std::optional<store::Ticket> findTicket(const QSqlDatabase& db, const QString& number) {
    // Bound as text: compared character by character with the stored number.
    return store::selectOne<store::Ticket>(db, QStringLiteral("WHERE NUM_TICKET = ? ORDER BY ID_TICK"),
                                           {QVariant(number)});
}

std::optional<store::Ticket> ticketById(const QSqlDatabase& db, int idTick) {
    return store::selectOne<store::Ticket>(db, QStringLiteral("WHERE ID_TICK = ?"), {idTick});
}

namespace {

// What the cancellation overwrites, as the owner reads it afterwards: who
// sold, each line's quantity, article and amount, and the total.
QString ventaAnulada(const store::Ticket& ticket, const std::vector<store::LinTick>& ls) {
    QStringList text{QStringLiteral("Vendido por ") + ticket.OPERADOR};
    for (const store::LinTick& l : ls) {
        // The empty line a voided account sale gets says nothing.
        if (l.ARTICULO.isEmpty() && l.CODIGO.isEmpty() && l.CANT == 0 && l.IMPORTE == Currency())
            continue;
        text << QStringLiteral("%1 x %2 %3")
                    .arg(store::cantidadAuditada(l.CANT), l.ARTICULO, store::importeAuditado(l.IMPORTE));
    }
    text << QStringLiteral("Total ") + store::importeAuditado(ticket.IMPORTE);
    return text.join(QLatin1Char('\n'));
}

} // namespace

void cancelTicket(const QSqlDatabase& db, int idTick, const QString& operatorName, const QDateTime& now) {
    store::Transaction tx(db);
    // Read under a lock before the overwrite: the trail keeps what it zeroes.
    const std::optional<store::Ticket> ticket = store::selectOne<store::Ticket>(
        db, QStringLiteral("WHERE ID_TICK = ?") + store::forUpdate(db), {idTick});
    if (!ticket)
        return;
    const std::vector<store::LinTick> before = lines(db, idTick);
    store::run(db, QStringLiteral("UPDATE lintick SET CANT = 0, IMPORTE = 0, IdTax = 0 WHERE ID_TICK = ?"),
               {idTick});
    store::run(
        db,
        QStringLiteral("UPDATE ticket SET IMPORTE = 0, OBSERVACIONES = ?, OPERADOR = ? WHERE ID_TICK = ?"),
        {QStringLiteral("ANULADO"), operatorName, idTick});
    store::auditar(db,
                   {operatorName, store::accion::AnularTicket, QStringLiteral("Ticket ") + ticket->NUM_TICKET,
                    ventaAnulada(*ticket, before), QStringLiteral("ANULADO, total 0,00"), now});
    tx.commit();
}

Currency recomputeTotal(const QSqlDatabase& db, int idTick) {
    store::Transaction tx(db);
    // The amounts are stored as exact integers, so the database's sum is
    // exact; a server sums them as decimals, read back as whole numbers.
    const Currency total = store::toCurrency(store::scalar(
        db, QStringLiteral("SELECT CAST(COALESCE(SUM(IMPORTE), 0) AS BIGINT) FROM lintick WHERE ID_TICK = ?"),
        {idTick}));
    store::run(db, QStringLiteral("UPDATE ticket SET IMPORTE = ? WHERE ID_TICK = ?"),
               {store::sqlValue(total), idTick});
    tx.commit();
    return total;
}

void settleTicket(const QSqlDatabase& db, int idTick) {
    store::run(db, QStringLiteral("UPDATE ticket SET CONTA = 1 WHERE ID_TICK = ?"), {idTick});
}

void settleAllPending(const QSqlDatabase& db) {
    // Pending as the station queue sees it: an empty flag is pending too.
    store::run(db, QStringLiteral("UPDATE ticket SET CONTA = 1 WHERE COALESCE(CONTA, 0) = 0"));
}

TicketOutcome attachTicket(station::StationRecord& station, const QString& number) {
    if (!station.ticketNumber.isEmpty())
        return TicketOutcome{QStringLiteral("NoAnotar")};
    station.ticketNumber = number;
    return TicketOutcome{};
}

TicketOutcome detachTicket(station::StationRecord& station) {
    if (station.estado == station::Estado::Prepago && station.accountLogin.isEmpty())
        return TicketOutcome{QStringLiteral("NoBorrarPrepago")};
    station.ticketNumber.clear();
    return TicketOutcome{};
}

const ui::MessageTable& ticketMessages() {
    static const ui::MessageTable table{
        {"NoAnotar", QStringLiteral("No se puede anotar.\r\rEste puesto ya tiene un ticket."),
         QStringLiteral("Can not be assigned\r\rThis terminal already has a ticket.")},
        {"NoBorrarPrepago", QStringLiteral("No se puede borrar un ticket de prepago."), QString()},
        {"TicketInexistente", QStringLiteral("Ticket inexistente..."),
         QStringLiteral("This ticket does not exist...")},
    };
    return table;
}

} // namespace sales
