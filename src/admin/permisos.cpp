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

const QStringList& permisoTexts() {
    static const QStringList texts{
        QStringLiteral("Puestos (Añadir, Modificar, Borrar)"),
        QStringLiteral("Tarifas(Añadir, Modificar, Borrar)"),
        QStringLiteral("Franjas horarias (Añadir, Modificar, Borrar)"),
        QStringLiteral("Bonos y Recargas (Añadir, Modificar, Borrar)"),
        QStringLiteral("Artículos TPV (Añadir, Modificar, Borrar)"),
        QStringLiteral("Tickets (Configurar)"),
        QStringLiteral("Turnos caja (Añadir, Modificar, Borrar)"),
        QStringLiteral("Opciones"),
        QStringLiteral("Cuentas de cliente y Códigos de tiempo (Añadir)"),
        QStringLiteral("Cuentas de cliente  y Códigos de tiempo (Modificar)"),
        QStringLiteral("Cuentas de cliente y Códigos de tiempo (Borrar)"),
        QStringLiteral("Cuentas de cliente y Códigos de tiempo (Modificar crédito)"),
        QStringLiteral("Cuentas de cliente (Cambiar tarifas)"),
        QStringLiteral("Apagar puesto (Cerrar sesión)"),
        QStringLiteral("Apagar puesto (Apagar equipo)"),
        QStringLiteral("Apagar puesto (Reiniciar)"),
        QStringLiteral("Apagar puesto (Finalizar Velkar)"),
        QStringLiteral("Apagar todos los puestos"),
        QStringLiteral("Desactivar puesto"),
        QStringLiteral("Activar puesto"),
        QStringLiteral("Venta TPV"),
        QStringLiteral("Listados (Tickets)"),
        QStringLiteral("Listados (Actividad puestos)"),
        QStringLiteral("Listados (Cuentas de clientes)"),
        QStringLiteral("Listados (Movimiento de cuentas)"),
        QStringLiteral("Informes (Caja diaria)"),
        QStringLiteral("Informes (Estadística clientes)"),
        QStringLiteral("Informes (Estadística puestos)"),
        QStringLiteral("Informes (Ventas artículos)"),
        QStringLiteral("Informes (Ventas bonos)"),
        QStringLiteral("IVA (Añadir, Modificar, Borrar)"),
        QStringLiteral("Configuración de Logs"),
        QStringLiteral("Imprimir Login y Password en cuentas de clientes"),
        QStringLiteral("Imprimir Login y Paswor en códigos de tiempo"),
        QStringLiteral("Modificar fecha de última visita en cuentas y códigos de tiempo"),
        QStringLiteral("Registro de auditoría"),
        QStringLiteral("Acceso web"),
    };
    return texts;
}

} // namespace admin
