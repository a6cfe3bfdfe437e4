#pragma once

#include "store/operadores.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace admin {

// The one permission check of every guarded command, read from the table at
// every call so a change in the operators window applies at once.
enum class PermisoCheck {
    Allowed,
    Refused,   // show the operator's name and the command's refusal text
    NoOperator // the current operator has no row: do nothing, say nothing
};

PermisoCheck TienePermiso(const QSqlDatabase& db, const QString& currentOperator, store::Permiso permiso);

// The refusal text of a command: "No tiene permiso de acceso." for the
// commands that say so, "Operación no permitida." for the rest.
QString refusalKey(store::Permiso permiso);

// The permission dialog's line for each permission, in table order.
const QStringList& permisoTexts();

} // namespace admin
