#pragma once

#include "store/operadores.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

#include <vector>

namespace app {

// The log-in page's check of the chosen operator and the typed password.
struct LoginCheck {
    enum class Outcome { Accepted, NoOperatorSelected, WrongPassword, Locked };
    Outcome outcome = Outcome::NoOperatorSelected;
    store::Operador operador;
    // Message key of the refusal, empty when accepted.
    QString messageKey;
    // Locked: the minutes, rounded up, until the operator may try again.
    int minutos = 0;
};

// selectedIndex is the list position (-1 for none); the password is checked
// against the stored one (hashed, or as typed) exactly.
LoginCheck checkLogin(const std::vector<store::Operador>& operators, int selectedIndex,
                      const QString& password);

// The same against password guessing, on the lock-outs of db: a locked
// operator is refused without looking at the password, a wrong password
// counts, and the one that reaches the limit answers Locked. ADMIN too, in
// this dialog only, and only until the lock ends. cuando dates the audit
// line of a lock-out. Throws store::DatabaseError.
LoginCheck checkLogin(const QSqlDatabase& db, const std::vector<store::Operador>& operators,
                      int selectedIndex, const QString& password, const QDateTime& cuando);

} // namespace app
