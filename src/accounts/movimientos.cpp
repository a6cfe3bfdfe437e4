#include "accounts/movimientos.h"

#include "accounts/creditoenpuesto.h"
#include "accounts/cuentas.h"
#include "core/formatohora.h"
#include "core/importes.h"
#include "sales/tickets.h"
#include "store/auditoriatexto.h"
#include "store/sql.h"
#include "store/transaction.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace accounts {

QString tiempoRelativo() {
    return QStringLiteral(
        "Bonotiempo = CASE WHEN COALESCE(Bonotiempo, 0) + ? > 0 THEN COALESCE(Bonotiempo, 0) "
        "+ ? ELSE 0 END");
}

store::MovCuenta movimiento(const QString& login, const QDateTime& at) {
    store::MovCuenta m;
    m.CUENTA = login;
    m.FECHA = at.date();
    m.HORA = at.time();
    m.CONTA = false;
    return m;
}

Currency importeLinea(double quantity, Currency price) {
    return Currency::roundHalfEven(static_cast<long double>(quantity) * price.raw());
}

int segundosLinea(double quantity, int minutes) {
    const long double seconds = std::trunc(static_cast<long double>(quantity) * minutes * 60);
    if (std::isnan(seconds))
        return 0;
    // Held at the ends of int, never wrapped: a huge quantity still meets the 500-hour check.
    return int(
        std::clamp<long double>(seconds, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

QString tiempoLinea(double quantity, int minutes) {
    const qint64 wholeMinutes = truncateToInt(std::fabs(static_cast<long double>(quantity)) * minutes);
    const QString text = FormatoHora(wholeMinutes * 60);
    return quantity > 0 ? text : QStringLiteral(" - ") + text;
}

store::Ticket abrirVenta(const QSqlDatabase& db, const QString& operatorName, const QDateTime& now) {
    store::Ticket t;
    t.OPERADOR = operatorName;
    return sales::NuevoNumeroTicket(db, t, now);
}

void anularVenta(const QSqlDatabase& db, const store::Ticket& ticket, const QString& operatorName,
                 const QDateTime& now) {
    store::Transaction tx(db);
    store::LinTick empty;
    empty.ID_TICK = ticket.ID_TICK;
    sales::addLine(db, empty);
    sales::cancelTicket(db, ticket.ID_TICK, operatorName, now);
    tx.commit();
}

namespace {

void closeTicket(const QSqlDatabase& db, const store::Ticket& ticket, Currency amount,
                 const QString& operatorName) {
    store::run(db, QStringLiteral("UPDATE ticket SET IMPORTE = ?, OPERADOR = ? WHERE ID_TICK = ?"),
               {store::sqlValue(amount), QVariant(operatorName), QVariant(ticket.ID_TICK)});
}

// Booked under the account's own login, which may differ in letter case
// from the one the window was opened with (a station's, as typed).
store::MovCuenta saleMovement(const Venta& venta, const store::Cuenta& cuenta, const QString& concepto) {
    store::MovCuenta m = movimiento(cuenta.Login, QDateTime(venta.ticket.FECHA, venta.ticket.HORA));
    m.TICKET = venta.ticket.NUM_TICKET;
    m.CONCEPTO = concepto;
    return m;
}

// A hand-made change of an account's credit or time, for the audit trail.
void auditarCambio(const QSqlDatabase& db, const QString& operatorName, const QString& accion,
                   const store::Cuenta& cuenta, const QString& antes, const QString& despues,
                   const QDateTime& now) {
    const QString kind =
        cuenta.Tipo == QLatin1String("9") ? QStringLiteral("Código ") : QStringLiteral("Cuenta ");
    store::auditar(db, {operatorName, accion, kind + cuenta.Login, antes, despues, now});
}

QString enTicket(const QString& change, const QString& ticketNumber) {
    return change + QStringLiteral(" en el ticket ") + ticketNumber;
}

} // namespace

void auditarTiempo(const QSqlDatabase& db, const QString& operatorName, const store::Cuenta& cuenta,
                   int before, int after, int added, const QString& ticketNumber, const QDateTime& now) {
    auditarCambio(db, operatorName, store::accion::TiempoCuenta, cuenta,
                  QStringLiteral("Tiempo ") + FormatoHora(before),
                  QStringLiteral("Tiempo ") + FormatoHora(after) + QLatin1Char('\n') +
                      enTicket((added < 0 ? QStringLiteral("-") : QStringLiteral("+")) +
                                   FormatoHora(added < 0 ? -qint64(added) : qint64(added)),
                               ticketNumber),
                  now);
}

VentaResultado confirmarMetalico(const QSqlDatabase& db, const Venta& venta, Currency remembered,
                                 const QString& operatorName, int ivaGen, CreditSync* sync) {
    if (venta.descripcion.isEmpty())
        return {QStringLiteral("NoDes"), {}};
    if (!cantidadValida(venta.cantidad))
        return {QStringLiteral("CantidadNoValida"), {}};
    if (!venta.precio.withinMaxAmount() || !importeLineaAcotado(venta.cantidad, venta.precio))
        return {QStringLiteral("ImporteMaximo"), {}};
    store::Transaction tx(db);
    const std::optional<store::Cuenta> before = cuentaPorLogin(db, venta.login);
    if (!before)
        return {QStringLiteral("CuentaNoExiste"), {}};
    const Currency amount = importeLinea(venta.cantidad, venta.precio);
    // From the stored credit, not the remembered one.
    store::run(db, QStringLiteral("UPDATE cuentas SET credito = COALESCE(credito, 0) + ? WHERE Login = ?"),
               {store::sqlValue(amount), QVariant(before->Login)});
    const store::Cuenta cuenta = *cuentaPorLogin(db, before->Login);

    store::LinTick line;
    line.ID_TICK = venta.ticket.ID_TICK;
    line.ARTICULO = venta.descripcion;
    line.CANT = double(roundHalfEvenToInt(venta.cantidad));
    line.PRECIO = venta.precio;
    line.IMPORTE = amount;
    line.IdTax = ivaGen;
    sales::addLine(db, line);
    closeTicket(db, venta.ticket, amount, operatorName);

    store::MovCuenta m = saleMovement(venta, cuenta, line.ARTICULO);
    m.SALDO_ANT = remembered;
    m.SALDO_MOV = amount;
    m.SALDO_FIN = cuenta.credito;
    const int movId = int(store::insert(db, m));
    // The credit as the relative update found it, not as first read.
    auditarCambio(
        db, operatorName, store::accion::CreditoCuenta, cuenta,
        QStringLiteral("Crédito ") + store::importeAuditado(cuenta.credito - amount),
        QStringLiteral("Crédito ") + store::importeAuditado(cuenta.credito) + QLatin1Char('\n') +
            enTicket((amount < Currency() ? QString() : QStringLiteral("+")) + store::importeAuditado(amount),
                     venta.ticket.NUM_TICKET),
        {});
    escribirCreditoEnPuesto(sync, db, cuenta);
    tx.commit();
    aplicarCreditoEnPuesto(sync, cuenta);
    return {QString(), cuenta, movId};
}

VentaResultado confirmarTiempo(const QSqlDatabase& db, const Venta& venta, int rememberedSeconds,
                               const QString& operatorName, int ivaGen, CreditSync* sync) {
    if (venta.descripcion.isEmpty())
        return {QStringLiteral("NoDescripcion"), {}};
    if (!cantidadValida(venta.cantidad))
        return {QStringLiteral("CantidadNoValida"), {}};
    store::Transaction tx(db);
    // Locked: the 500-hour check and the new balance hold against a
    // settlement or a sale at another console.
    const std::optional<store::Cuenta> before = cuentaParaCambiar(db, venta.login);
    if (!before)
        return {QStringLiteral("CuentaNoExiste"), {}};
    const int added = segundosLinea(venta.cantidad, venta.minutos);
    if (qint64(before->Bonotiempo) + added > MaxBonoSeconds)
        return {QStringLiteral("Bono"), {}};
    if (!venta.precio.withinMaxAmount() || !importeLineaAcotado(venta.cantidad, venta.precio))
        return {QStringLiteral("ImporteMaximo"), {}};
    const int bono = qMax(0, before->Bonotiempo + added);
    store::run(db,
               QStringLiteral("UPDATE cuentas SET ") + tiempoRelativo() + QStringLiteral(" WHERE Login = ?"),
               {QVariant(added), QVariant(added), QVariant(before->Login)});

    const Currency amount = importeLinea(venta.cantidad, venta.precio);
    store::LinTick line;
    line.ID_TICK = venta.ticket.ID_TICK;
    line.CODIGO = venta.codigo;
    line.BONO = true;
    line.ARTICULO = venta.descripcion;
    line.CANT = venta.cantidad;
    line.PRECIO = venta.precio;
    line.IMPORTE = amount;
    line.IdTax = ivaGen;
    sales::addLine(db, line);
    closeTicket(db, venta.ticket, amount, operatorName);

    store::MovCuenta m = saleMovement(venta, *before, line.ARTICULO);
    m.saldoti_ant_bono = rememberedSeconds;
    m.SALDOTI_MOV =
        venta.cantidad > 0 ? FormatoHora(added) : QStringLiteral(" - ") + FormatoHora(-qint64(added));
    m.saldoti_fin_bono = bono >= 1 ? bono : 0;
    const int movId = int(store::insert(db, m));
    store::Cuenta cuenta = *before;
    cuenta.Bonotiempo = bono;
    auditarTiempo(db, operatorName, cuenta, before->Bonotiempo, bono, added, venta.ticket.NUM_TICKET, {});
    escribirCreditoEnPuesto(sync, db, cuenta);
    tx.commit();
    aplicarCreditoEnPuesto(sync, cuenta);
    return {QString(), cuenta, movId};
}

} // namespace accounts
