#pragma once

#include "store/rows.h"

#include <vector>

namespace store {

// Accounts and time codes share the table; these filters keep them apart, so
// no row is ever in both views. A row without a type is an account.
QString cuentasFilter();
QString codigosFilter();

std::vector<Cuenta> cuentasView(const QSqlDatabase& db);
std::vector<Cuenta> codigosView(const QSqlDatabase& db);

// Pending tickets of the station queue, and pending account movements.
std::vector<Ticket> pendingTickets(const QSqlDatabase& db, bool ascending = true);
std::vector<MovCuenta> pendingMovements(const QSqlDatabase& db, bool ascending = true);

// A cheap look at the pending rows of every console: it changes whenever a
// row joins or leaves them, or (tickets) a pending amount grows. Compared,
// never shown.
QVariantList pendingTicketsDigest(const QSqlDatabase& db);
QVariantList pendingMovementsDigest(const QSqlDatabase& db);

} // namespace store
