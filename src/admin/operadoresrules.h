#pragma once

#include "core/result.h"
#include "store/operadores.h"

#include <QSqlDatabase>
#include <QString>

namespace admin {

constexpr int MaxOperatorName = 30;
constexpr int MaxOperatorPassword = 10;

// Only the operator named exactly "ADMIN" manages operators.
inline bool puedeConfigurarOperadores(const QString& currentOperator) {
    return currentOperator == QLatin1String("ADMIN");
}

// The first failed check of the permission dialog: message key and the field
// to focus ("name" or "password"). Empty key: all passed.
struct OperadorCheck {
    QString messageKey;
    QString field;
    bool ok() const { return messageKey.isEmpty(); }
};

// The dialog's checks on "&Aceptar", in order.
OperadorCheck comprobarOperador(const QSqlDatabase& db, const QString& name, const QString& password,
                                const QString& confirmation, bool adding);

// Saves what the dialog accepted: a new operator with the name as typed, or
// the password (and, for anyone but ADMIN, the permissions) of an existing one.
Result<int> guardarOperador(const QSqlDatabase& db, const store::Operador& op, bool adding);

// Deleting: ADMIN never; anyone else by ID.
bool puedeEliminarOperador(const store::Operador& op);
Status eliminarOperador(const QSqlDatabase& db, const store::Operador& op);

} // namespace admin
