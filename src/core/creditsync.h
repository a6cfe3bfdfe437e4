#pragma once

#include "core/currency.h"

#include <QString>

class QSqlDatabase;

// An account's credit as the station where it is logged in must follow it.
struct CreditoCuenta {
    QString login;
    int timeCreditSeconds = 0;
    Currency moneyCredit;
    int discountPercent = 0;
    bool closeWhenCreditExhausted = false;
};

// Where a change of an account's credit meets a running use period. The
// station's row is written in the same transaction as the movement, so a
// crash right after a top-up never brings the station back with the old
// credit; the station's record in memory follows once that transaction has
// committed.
class CreditSync {
public:
    virtual ~CreditSync() = default;
    // Inside the caller's open transaction. Throws store::DatabaseError.
    virtual void escribirPuesto(const QSqlDatabase& db, const CreditoCuenta& credito) = 0;
    // After the commit; nothing when no station has the login.
    virtual void aplicarPuesto(const CreditoCuenta& credito) = 0;
};
