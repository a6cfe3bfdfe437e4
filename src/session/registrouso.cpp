#include "session/registrouso.h"

#include "core/formatohora.h"
#include "sales/tickets.h"
#include "store/sql.h"
#include "store/transaction.h"

namespace session {

namespace {

const QString Contador = QStringLiteral("CONTADOR");
const QString Prepago = QStringLiteral("PREPAGO");

void addUseLine(const QSqlDatabase& db, int idTick, const QString& articulo, Currency amount, int ivaGen) {
    store::LinTick l;
    l.ID_TICK = idTick;
    l.ARTICULO = articulo;
    l.CANT = 1;
    l.PRECIO = amount;
    l.IMPORTE = amount;
    l.IdTax = ivaGen;
    sales::addLine(db, l);
}

store::Ticket issueUseTicket(const QSqlDatabase& db, int station, const QString& modo, Currency amount,
                             const QString& operatorName, const QDateTime& now) {
    store::Ticket t;
    t.CONTA = false;
    t.NPUESTO = station;
    t.MODO = modo;
    t.OPERADOR = operatorName;
    t.IMPORTE = amount;
    return sales::NuevoNumeroTicket(db, t, now);
}

} // namespace

QString modoTexto(Modo modo) {
    return modo == Modo::Contador ? Contador : Prepago;
}

QString articuloCierre(int station, qint64 seconds) {
    return QStringLiteral("PUESTO ") + QString::number(station) + QStringLiteral("  ") + FormatoHora(seconds);
}

QString articuloPrepago(int station, qint64 seconds) {
    return QStringLiteral("PUESTO ") + QString::number(station) + QLatin1Char(' ') + FormatoHora(seconds);
}

TicketEscrito RegistrarUso(const QSqlDatabase& db, const UsoTerminado& uso, const QString& operatorName,
                           const QDateTime& now, int ivaGen) {
    store::Transaction tx(db);
    TicketEscrito written;
    if (uso.accountLogin.isEmpty()) {
        const QString articulo = articuloCierre(uso.station, uso.seconds);
        std::optional<store::Ticket> attached;
        if (!uso.ticketNumber.isEmpty() && uso.modo == Modo::Contador)
            attached = sales::findTicket(db, uso.ticketNumber);
        if (attached) {
            store::run(db,
                       QStringLiteral(
                           "UPDATE ticket SET CONTA = 0, NPUESTO = ?, MODO = ?, OPERADOR = ?, CLIENTE = ?, "
                           "IMPORTE = IMPORTE + ? WHERE ID_TICK = ?"),
                       {uso.station, Contador, operatorName, QString(), store::sqlValue(uso.cost),
                        attached->ID_TICK});
            addUseLine(db, attached->ID_TICK, articulo, uso.cost, ivaGen);
            written.ticketNumber = attached->NUM_TICKET;
        } else if (uso.ticketNumber.isEmpty() || uso.modo == Modo::Contador) {
            // No ticket, or one that is gone: the period's money goes onto a
            // new ticket rather than onto none. A prepaid period with a ticket
            // was charged when it opened.
            const store::Ticket t =
                issueUseTicket(db, uso.station, modoTexto(uso.modo), uso.cost, operatorName, now);
            addUseLine(db, t.ID_TICK, articulo, uso.cost, ivaGen);
            written.ticketNumber = t.NUM_TICKET;
            written.issued = true;
        }
    }

    store::Ciber record;
    record.CLIENTE = uso.accountLogin;
    record.FECHA = now.date();
    record.HORA = now.time();
    record.NPUESTO = uso.station;
    record.MODALIDAD = modoTexto(uso.modo);
    record.OPERADOR = operatorName;
    record.NUM_TICKET = uso.ticketNumber;
    record.TARIFA = uso.tariffName;
    record.TIEMPO = static_cast<int>(uso.seconds);
    store::insert(db, record);

    tx.commit();
    return written;
}

int registrosDelDia(const QSqlDatabase& db, int station, const QDate& day) {
    return store::toInt(
        store::scalar(db, QStringLiteral("SELECT COUNT(*) FROM ciber WHERE FECHA = ? AND NPUESTO = ?"),
                      {store::sqlValue(day), station}));
}

namespace {

// Prepaid money onto the station's ticket, or onto a new one when the station
// has none (or its ticket is gone). An opening also makes the ticket the
// station's prepaid ticket; an increase leaves station and mode as they are.
TicketEscrito chargePrepaid(const QSqlDatabase& db, int station, const QString& ticketNumber,
                            const QString& articulo, Currency amount, const QString& operatorName,
                            const QDateTime& now, int ivaGen, bool opening) {
    store::Transaction tx(db);
    TicketEscrito written;
    std::optional<store::Ticket> attached;
    if (!ticketNumber.isEmpty())
        attached = sales::findTicket(db, ticketNumber);
    if (attached) {
        // The added money waits in the station queue like the rest of the ticket.
        if (opening)
            store::run(db,
                       QStringLiteral("UPDATE ticket SET CONTA = 0, NPUESTO = ?, MODO = ?, OPERADOR = ?, "
                                      "IMPORTE = IMPORTE + ? WHERE ID_TICK = ?"),
                       {station, Prepago, operatorName, store::sqlValue(amount), attached->ID_TICK});
        else
            store::run(
                db,
                QStringLiteral(
                    "UPDATE ticket SET CONTA = 0, OPERADOR = ?, IMPORTE = IMPORTE + ? WHERE ID_TICK = ?"),
                {operatorName, store::sqlValue(amount), attached->ID_TICK});
        addUseLine(db, attached->ID_TICK, articulo, amount, ivaGen);
        written.ticketNumber = attached->NUM_TICKET;
    } else {
        const store::Ticket t = issueUseTicket(db, station, Prepago, amount, operatorName, now);
        addUseLine(db, t.ID_TICK, articulo, amount, ivaGen);
        written.ticketNumber = t.NUM_TICKET;
        written.issued = true;
    }
    tx.commit();
    return written;
}

} // namespace

TicketEscrito ticketAperturaPrepago(const QSqlDatabase& db, int station, const QString& ticketNumber,
                                    int prepaidSeconds, Currency amount, const QString& operatorName,
                                    const QDateTime& now, int ivaGen) {
    return chargePrepaid(db, station, ticketNumber, articuloPrepago(station, prepaidSeconds), amount,
                         operatorName, now, ivaGen, true);
}

TicketEscrito ticketIncrementoPrepago(const QSqlDatabase& db, int station, const QString& ticketNumber,
                                      qint64 lineSeconds, Currency amount, const QString& operatorName,
                                      const QDateTime& now, int ivaGen) {
    return chargePrepaid(db, station, ticketNumber, articuloPrepago(station, lineSeconds), amount,
                         operatorName, now, ivaGen, false);
}

} // namespace session
