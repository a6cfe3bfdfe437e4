#pragma once

#include "store/rows.h"

#include <QDateTime>
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

// What an account or a code held when it was deleted, for the audit trail:
// name, tariff, money and time credit, dates.
QString textoCuenta(const store::Cuenta& c);

// Deletes the rows of cuentas that where selects, each with its line in the
// audit trail, inside the caller's transaction.
void borrarAuditando(const QSqlDatabase& db, const QString& where, const QVariantList& values,
                     const QString& operatorName, const QDateTime& now);

// Deletes an account unless its login is logged in at a station (false
// then). Its movements stay; the audit trail keeps what it held.
bool eliminarCuenta(const QSqlDatabase& db, const QString& login, const station::LoginsInUse& inUse,
                    const QString& operatorName, const QDateTime& now);

// Removal of expired accounts: those created (or, byLastUse, last used)
// before the day. When any of them is in use nothing is deleted and their
// logins are answered; otherwise all are deleted in one transaction, with a
// line in the audit trail for each.
QStringList eliminarCaducadas(const QSqlDatabase& db, bool byLastUse, const QDate& before,
                              const station::LoginsInUse& inUse, const QString& operatorName,
                              const QDateTime& now);

} // namespace accounts
