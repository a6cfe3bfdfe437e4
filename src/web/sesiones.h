#pragma once

#include "core/clock.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

namespace web {

// The web's sessions: a random token in a cookie names the operator who
// logged in. A session ends after its idle limit without a request, or at
// "Salir". Kept in memory: a restart logs everybody out, which is fine.
class Sesiones {
public:
    explicit Sesiones(const Clock& clock, int idleMinutes = 15);

    // A new session for the operator; answers its token (64 hex digits).
    QByteArray abrir(const QString& operador);
    // The operator of a live session, which the request keeps alive; nothing
    // for an unknown, ended or expired token.
    std::optional<QString> usar(const QByteArray& token);
    void cerrar(const QByteArray& token);
    int abiertas() const { return int(m_sesiones.size()); }
    qint64 idleMs() const { return m_idleMs; }

private:
    void olvidarCaducadas(qint64 nowMs);

    struct Sesion {
        QString operador;
        qint64 ultimaMs = 0;
    };
    const Clock& m_clock;
    qint64 m_idleMs;
    QHash<QByteArray, Sesion> m_sesiones;
    qint64 m_ultimaLimpiezaMs = 0;
};

// Failed log-ins counted in memory, per key (an operator, a client
// address): reaching the limit within the window locks the key for a while
// and forgets its failures, as the console counts its own. Never written to
// the database: the web only reads it.
class Intentos {
public:
    explicit Intentos(const Clock& clock)
        : m_clock(clock) {}

    // Milliseconds the key stays locked; nothing when it is free.
    std::optional<qint64> bloqueado(const QString& clave) const;
    // Counts a failure; answers the lock's length when this one started it.
    std::optional<qint64> fallo(const QString& clave, int limite, qint64 ventanaMs, qint64 duracionMs);

private:
    struct Cuenta {
        QList<qint64> fallosMs;
        qint64 hastaMs = 0;
    };
    const Clock& m_clock;
    QHash<QString, Cuenta> m_cuentas;
};

} // namespace web
