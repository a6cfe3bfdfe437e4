#pragma once

#include "store/rows.h"

#include <QSqlDatabase>
#include <QString>

#include <optional>
#include <vector>

namespace accounts {

// The rows of cuentas (accounts and time codes) with that login, letter case
// aside; the login is a bound value, so quotes and wildcards are plain text.
std::vector<store::Cuenta> cuentasPorLogin(const QSqlDatabase& db, const QString& login);
// The one row with that login, or nothing when there is none or several.
std::optional<store::Cuenta> cuentaPorLogin(const QSqlDatabase& db, const QString& login);

// Desktop types offered by a station, by Escritorio.
QStringList tiposEscritorio();

} // namespace accounts
