#pragma once

#include "admin/operadoresrules.h"
#include "core/result.h"
#include "store/bloqueos.h"
#include "ui/messagetable.h"

#include <QSqlDatabase>
#include <QString>

#include <optional>
#include <vector>

namespace admin {

// The locks in force, as the unlock window lists them, and the database
// server's moment they were read at (the locks end by that clock).
struct BloqueosActuales {
    std::vector<store::Bloqueo> bloqueos;
    qint64 nowMs = 0;
};
Result<BloqueosActuales> bloqueosActuales(const QSqlDatabase& db);

// Who may lift a lock: a customer's login or a station's with the accounts
// permission (answered here); an operator's only ADMIN (nullopt).
std::optional<store::Permiso> permisoDesbloqueo(store::TipoBloqueo tipo);
bool puedeDesbloquearOperadores(const QString& currentOperator);

// Lifts the lock in one transaction with its audit line. False when it had
// ended, or another console lifted it, meanwhile.
Result<bool> desbloquear(const QSqlDatabase& db, const store::Bloqueo& bloqueo, const Autor& autor);

// "Cuenta", "Puesto", "Operador".
QString textoTipoBloqueo(store::TipoBloqueo tipo);

const ui::MessageTable& bloqueosMessages();

} // namespace admin
