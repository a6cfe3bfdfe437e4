#include "accounts/busqueda.h"

#include "accounts/cuentas.h"
#include "store/dialect.h"

namespace accounts {

QString condicionBusqueda(const QSqlDatabase& db, const QString& base, const FiltroBusqueda& filtro,
                          QVariantList& values) {
    if (filtro.typed.isEmpty())
        return base;
    values << patronLike(filtro.typed, filtro.startsWith);
    const QString column =
        filtro.campo == CampoBusqueda::Nombre ? QStringLiteral("Nombre") : QStringLiteral("Login");
    return QStringLiteral("(") + base + QStringLiteral(") AND ") + store::likeCaseless(db, column);
}

} // namespace accounts
