#pragma once

#include "core/creditsync.h"
#include "core/currency.h"
#include "store/rows.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

namespace accounts {

// A movement of an account at an instant, booked (CONTA false), with no
// balances yet.
store::MovCuenta movimiento(const QString& login, const QDateTime& at);

// "Bonotiempo = ..." adding the seconds bound twice (a sum that is not
// positive leaves 0), from the stored credit as the statement finds it.
QString tiempoRelativo();

// The most time credit an account may hold: 500 hours.
constexpr int MaxBonoSeconds = 1800000;

// quantity x price, rounded once to 1/10 000. Throws CurrencyOverflow where
// the product does not fit; importeLineaAcotado is the checked form.
Currency importeLinea(double quantity, Currency price);
// quantity x minutes x 60, truncated to whole seconds, held within int.
int segundosLinea(double quantity, int minutes);
// The time a voucher line adds, as the time window shows it: the whole
// minutes of quantity x minutes as H:MM:SS, after " - " when the quantity is
// not positive.
QString tiempoLinea(double quantity, int minutes);

// "Nuevo [F1]" of an entry window: the sale's ticket, numbered at once with
// amount 0.
store::Ticket abrirVenta(const QSqlDatabase& db, const QString& operatorName, const QDateTime& now);

// "Anular [F3]": the pending ticket gets an empty line and is voided; its
// number stays used.
void anularVenta(const QSqlDatabase& db, const store::Ticket& ticket, const QString& operatorName,
                 const QDateTime& now);

// The audit line of a hand-made change of the time credit of an account or
// a code, sold on a ticket: before and after in seconds, the change made.
// An invalid now is this computer's clock.
void auditarTiempo(const QSqlDatabase& db, const QString& operatorName, const store::Cuenta& cuenta,
                   int before, int after, int added, const QString& ticketNumber, const QDateTime& now);

// One confirmed sale of an entry window, on the ticket "Nuevo" issued.
struct Venta {
    store::Ticket ticket;
    QString login;
    QString descripcion;
    double cantidad = 1;
    Currency precio;
    // Voucher sales only.
    QString codigo;
    int minutos = 0;
};

// The outcome of a confirmed sale: the account as saved, or the key of the
// message the window shows (nothing was booked).
struct VentaResultado {
    QString messageKey;
    store::Cuenta cuenta;
    // The booked movement (movcuentas.ID), for its receipt.
    int movId = 0;
    bool ok() const { return messageKey.isEmpty(); }
};

// A top-up sale: credit, ticket line, ticket total and movement in one
// transaction. Refused, with nothing booked, for a quantity that is not a
// number other than 0 ("CantidadNoValida") and for a price or line amount
// beyond Currency::MaxAmount ("ImporteMaximo"). The account is found by its login in the whole table, so no
// filter of a window can make the sale lose the customer's money.
// remembered is the balance the window shows as "Saldo actual..". With a
// sync, the station where the account is logged in gets its new credit in
// the same transaction.
VentaResultado confirmarMetalico(const QSqlDatabase& db, const Venta& venta, Currency remembered,
                                 const QString& operatorName, int ivaGen, CreditSync* sync = nullptr);
// A voucher sale; refused with "Bono" when the credit would pass 500 hours,
// and as a top-up is for the quantity and the amount.
VentaResultado confirmarTiempo(const QSqlDatabase& db, const Venta& venta, int rememberedSeconds,
                               const QString& operatorName, int ivaGen, CreditSync* sync = nullptr);

} // namespace accounts
