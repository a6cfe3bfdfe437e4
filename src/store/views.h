#pragma once

#include "store/rows.h"

#include <optional>
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

// A stretch of a queue in its order (by id, ascending or not): the rows
// after the id `after` and up to `through` included (either unset: from
// the first, to the last), at most limit of them (negative: all). By id,
// never by position, so a page read after others came and went is right.
struct QueueRange {
    bool ascending = true;
    std::optional<int> after;
    std::optional<int> through;
    int limit = -1;
};
// Only the columns the queues show.
std::vector<Ticket> pendingTickets(const QSqlDatabase& db, const QueueRange& range);
std::vector<MovCuenta> pendingMovements(const QSqlDatabase& db, const QueueRange& range);

// A cheap look at the pending rows of every console: it changes whenever a
// row joins or leaves them, or (tickets) a pending amount grows. Compared,
// never shown.
QVariantList pendingTicketsDigest(const QSqlDatabase& db);
QVariantList pendingMovementsDigest(const QSqlDatabase& db);

} // namespace store
