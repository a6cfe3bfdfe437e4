#pragma once

#include "core/result.h"
#include "store/operadores.h"

#include <QDateTime>
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

// The dialog's checks on "&Aceptar", in order. The password boxes open
// empty: left empty they keep the stored password; typed, the confirmation
// must match.
OperadorCheck comprobarOperador(const QSqlDatabase& db, const QString& name, const QString& password,
                                const QString& confirmation, bool adding);

// Who acts on the operators, and when, for the audit trail.
struct Autor {
    QString operador;
    QDateTime cuando;
};

// Saves what the dialog accepted: a new operator with the name as typed, or
// the password (and, for anyone but ADMIN, the permissions) of an existing
// one. clave is the password as typed, stored hashed; empty keeps the stored
// one (a new operator then has none); op.PASS is never read. One
// transaction with its audit line (an edit that changes nothing writes none).
Result<int> guardarOperador(const QSqlDatabase& db, const store::Operador& op, const QString& clave,
                            bool adding, const Autor& autor);

// Deleting: ADMIN never; anyone else by ID, with its audit line.
bool puedeEliminarOperador(const store::Operador& op);
Status eliminarOperador(const QSqlDatabase& db, const store::Operador& op, const Autor& autor);

// What the trail says of an operator: its permissions granted, by column.
QString permisosAuditados(const store::Operador& op);

} // namespace admin
