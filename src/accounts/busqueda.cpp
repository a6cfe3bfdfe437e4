#include "accounts/busqueda.h"

#include "accounts/cuentas.h"

namespace accounts {

QString condicionBusqueda(const QString& base, const FiltroBusqueda& filtro, QVariantList& values) {
    if (filtro.typed.isEmpty())
        return base;
    values << patronLike(filtro.typed, filtro.startsWith);
    const QString column =
        filtro.campo == CampoBusqueda::Nombre ? QStringLiteral("Nombre") : QStringLiteral("Login");
    return QStringLiteral("(") + base + QStringLiteral(") AND ") + column +
           QStringLiteral(" LIKE ? ESCAPE '\\'");
}

} // namespace accounts
