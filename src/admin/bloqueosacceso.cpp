#include "admin/bloqueosacceso.h"

#include "store/consolas.h"
#include "store/sql.h"

namespace admin {

const ui::MessageTable& bloqueosMessages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        {"Cuenta", QStringLiteral("Cuenta"), QStringLiteral("Account")},
        {"Puesto", QStringLiteral("Puesto"), QStringLiteral("Station")},
        {"Operador", QStringLiteral("Operador"), QStringLiteral("Operator")},
        {"Confirme", QStringLiteral("¿Desbloquear %1 %2?"), QStringLiteral("Unlock %1 %2?")},
        {"SoloAdmin", QStringLiteral("Sólo ADMIN puede desbloquear operadores."),
         QStringLiteral("Only ADMIN can unlock operators.")},
        {"YaNo", QStringLiteral("Ese bloqueo ya no está en vigor."),
         QStringLiteral("That lock is no longer in force.")},
        {"Ninguno", QStringLiteral("No hay bloqueos de acceso en vigor."),
         QStringLiteral("No log-in locks are in force.")},
    };
    return table;
}

QString textoTipoBloqueo(store::TipoBloqueo tipo) {
    switch (tipo) {
    case store::TipoBloqueo::Puesto:
        return bloqueosMessages().text(QStringLiteral("Puesto"));
    case store::TipoBloqueo::Operador:
        return bloqueosMessages().text(QStringLiteral("Operador"));
    case store::TipoBloqueo::Login:
        break;
    }
    return bloqueosMessages().text(QStringLiteral("Cuenta"));
}

Result<BloqueosActuales> bloqueosActuales(const QSqlDatabase& db) {
    try {
        BloqueosActuales r;
        r.nowMs = store::serverNowMs(db);
        r.bloqueos = store::bloqueosVigentes(db, r.nowMs);
        return r;
    } catch (const store::DatabaseError& e) {
        return Result<BloqueosActuales>::failure(e.text());
    }
}

std::optional<store::Permiso> permisoDesbloqueo(store::TipoBloqueo tipo) {
    if (tipo == store::TipoBloqueo::Operador)
        return std::nullopt;
    return store::Permiso::CUEMOD;
}

bool puedeDesbloquearOperadores(const QString& currentOperator) {
    return currentOperator == QLatin1String("ADMIN");
}

Result<bool> desbloquear(const QSqlDatabase& db, const store::Bloqueo& bloqueo, const Autor& autor) {
    try {
        return store::levantarBloqueo(db, bloqueo.clave, store::serverNowMs(db), autor.operador,
                                      autor.cuando);
    } catch (const store::DatabaseError& e) {
        return Result<bool>::failure(e.text());
    }
}

} // namespace admin
