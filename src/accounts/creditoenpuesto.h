#pragma once

#include "core/creditsync.h"
#include "store/rows.h"

#include <QSqlDatabase>

namespace accounts {

// The credit a running station follows, as the account row holds it.
CreditoCuenta creditoDe(const store::Cuenta& c);

// A change of an account's credit, in two steps around its transaction: the
// station's row inside it, the station's record after the commit. Both do
// nothing without a sync (no console running) or when no station has the
// login.
void escribirCreditoEnPuesto(CreditSync* sync, const QSqlDatabase& db, const store::Cuenta& c);
void aplicarCreditoEnPuesto(CreditSync* sync, const store::Cuenta& c);

} // namespace accounts
