#include "web/acceso.h"

#include "store/bloqueos.h"
#include "store/claves.h"
#include "store/consolas.h"
#include "store/opciones.h"
#include "store/operadores.h"

namespace web {

namespace {

int minutosArriba(qint64 ms) {
    return int(qMax<qint64>(1, (ms + 59999) / 60000));
}

QString claveOperador(const QString& nombre) {
    return store::claveBloqueo(store::TipoBloqueo::Operador, nombre);
}

QString claveDireccion(const QString& direccion) {
    return QStringLiteral("web:") + direccion;
}

} // namespace

ResultadoAcceso ControlAcceso::comprobar(const QSqlDatabase& db, const QString& nombre, const QString& clave,
                                         const QString& direccion) {
    ResultadoAcceso r;
    const auto bloqueado = [&](qint64 ms) {
        r.motivo = ResultadoAcceso::Motivo::Bloqueado;
        r.minutos = minutosArriba(ms);
        return r;
    };
    const QString nombreLimpio = nombre.trimmed();
    // A locked address or operator is refused before any password is looked at.
    if (const auto ms = m_intentos.bloqueado(claveDireccion(direccion)))
        return bloqueado(*ms);
    if (const auto ms = m_intentos.bloqueado(claveOperador(nombreLimpio)))
        return bloqueado(*ms);
    const qint64 serverNow = store::serverNowMs(db);
    if (const auto lock = store::bloqueoVigente(db, store::TipoBloqueo::Operador, nombreLimpio, serverNow)) {
        r.motivo = ResultadoAcceso::Motivo::Bloqueado;
        r.minutos = store::minutosRestantes(*lock, serverNow);
        return r;
    }

    const std::optional<store::Operador> op =
        nombreLimpio.isEmpty() ? std::nullopt : store::operadorPorNombre(db, nombreLimpio);
    if (op && op->PASS.isEmpty()) {
        // Nothing to guess: no count, and no way in over the network.
        r.motivo = ResultadoAcceso::Motivo::ClaveVacia;
        return r;
    }
    // An unknown name costs a password's check too, and counts as a wrong
    // password: the answer never tells which names exist.
    static const QString ninguna = store::claveProtegida(QStringLiteral("quintor-web"));
    const bool correcta =
        op ? store::claveCorrecta(op->PASS, clave) : (store::claveCorrecta(ninguna, clave), false);
    if (!correcta) {
        const store::LimitesBloqueo limites = store::limitesBloqueo(store::readOpciones(db));
        const auto porOperador =
            m_intentos.fallo(claveOperador(nombreLimpio), limites.intentos, limites.ventanaMs(),
                             limites.duracionMs(store::TipoBloqueo::Operador));
        const auto porDireccion =
            m_intentos.fallo(claveDireccion(direccion), limites.intentosPuesto, limites.ventanaMs(),
                             limites.duracionMs(store::TipoBloqueo::Puesto));
        if (porOperador || porDireccion)
            return bloqueado(qMax(porOperador.value_or(0), porDireccion.value_or(0)));
        r.motivo = ResultadoAcceso::Motivo::ClaveIncorrecta;
        return r;
    }
    if (!op->tiene(store::Permiso::ACCESOWEB)) {
        r.motivo = ResultadoAcceso::Motivo::SinAccesoWeb;
        return r;
    }
    r.motivo = ResultadoAcceso::Motivo::Aceptado;
    r.operador = op->NOMBRE;
    return r;
}

bool ControlAcceso::sigueDentro(const QSqlDatabase& db, const QString& nombre) {
    const std::optional<store::Operador> op = store::operadorPorNombre(db, nombre);
    if (!op || op->PASS.isEmpty() || !op->tiene(store::Permiso::ACCESOWEB))
        return false;
    return !store::bloqueoVigente(db, store::TipoBloqueo::Operador, nombre, store::serverNowMs(db));
}

QString textoAcceso(const ResultadoAcceso& r, bool english) {
    switch (r.motivo) {
    case ResultadoAcceso::Motivo::Aceptado:
        return QString();
    case ResultadoAcceso::Motivo::ClaveIncorrecta:
        return english ? QStringLiteral("Wrong operator name or password.")
                       : QStringLiteral("Nombre de operador o contraseña incorrectos.");
    case ResultadoAcceso::Motivo::ClaveVacia:
        return english ? QStringLiteral("An operator without a password cannot log in over the web.")
                       : QStringLiteral("Un operador sin contraseña no puede acceder por la web.");
    case ResultadoAcceso::Motivo::SinAccesoWeb:
        return english ? QStringLiteral("This operator has no web access.")
                       : QStringLiteral("Este operador no tiene acceso web.");
    case ResultadoAcceso::Motivo::Bloqueado:
        return english ? QStringLiteral("Access locked. Try again in %1 minutes.").arg(r.minutos)
                       : QStringLiteral("Acceso bloqueado. Inténtelo de nuevo dentro de %1 minutos.")
                             .arg(r.minutos);
    }
    return QString();
}

} // namespace web
