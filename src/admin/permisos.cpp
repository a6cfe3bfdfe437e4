#include "admin/permisos.h"

namespace admin {

PermisoCheck TienePermiso(const QSqlDatabase& db, const QString& currentOperator, store::Permiso permiso) {
    const std::optional<store::Operador> op = store::operadorPorNombre(db, currentOperator);
    if (!op)
        return PermisoCheck::NoOperator;
    return op->tiene(permiso) ? PermisoCheck::Allowed : PermisoCheck::Refused;
}

QString refusalKey(store::Permiso permiso) {
    using P = store::Permiso;
    switch (permiso) {
    case P::CONFPUE:
    case P::CONFFRA:
    case P::CONFTPV:
    case P::DESACTIVA:
    case P::ACTIVA:
    case P::CONFIMP:
        return QStringLiteral("NoPermiso");
    default:
        return QStringLiteral("NoPermitida");
    }
}

} // namespace admin
