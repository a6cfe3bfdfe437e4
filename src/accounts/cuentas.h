#pragma once

#include "store/rows.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace station {
class LoginsInUse;
}

namespace accounts {

// The rows of cuentas (accounts and time codes) with that login, letter case
// aside; the login is a bound value, so quotes and wildcards are plain text.
std::vector<store::Cuenta> cuentasPorLogin(const QSqlDatabase& db, const QString& login);
// The one row with that login, or nothing when there is none or several.
std::optional<store::Cuenta> cuentaPorLogin(const QSqlDatabase& db, const QString& login);

// The same inside the caller's transaction, with the row locked until it
// ends where the engine locks rows: a change of its credit at another console
// waits, so the balances read here are the ones the change starts from.
std::optional<store::Cuenta> cuentaParaCambiar(const QSqlDatabase& db, const QString& login);

// Desktop types offered by a station, by Escritorio.
QStringList tiposEscritorio();

} // namespace accounts

namespace accounts {

// The LIKE pattern of typed text: %, _ and the escape character "\" are
// plain; startsWith gives "text%", otherwise "%text%". Use with ESCAPE '\'.
QString patronLike(const QString& typed, bool startsWith);

// The accounts (no time codes) whose Login or Nombre matches the typed text.
std::vector<store::Cuenta> buscarCuentas(const QSqlDatabase& db, bool byName, const QString& typed,
                                         bool startsWith);

// Deletes an account unless its login is logged in at a station (false
// then). Its movements stay.
bool eliminarCuenta(const QSqlDatabase& db, const QString& login, const station::LoginsInUse& inUse);

// Removal of expired accounts: those created (or, byLastUse, last used)
// before the day. When any of them is in use nothing is deleted and their
// logins are answered; otherwise all are deleted in one statement.
QStringList eliminarCaducadas(const QSqlDatabase& db, bool byLastUse, const QDate& before,
                              const station::LoginsInUse& inUse);

} // namespace accounts
