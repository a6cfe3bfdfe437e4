#pragma once

#include "web/sesiones.h"

#include <QSqlDatabase>
#include <QString>

namespace web {

// The web's log-in: an operator's name and password, checked as the console
// checks them, with lock-outs of its own kept in memory (per operator and
// per client address) and the database's operator locks honoured, never
// written. Only operators with "Acceso web" get in.
struct ResultadoAcceso {
    enum class Motivo { Aceptado, ClaveIncorrecta, ClaveVacia, SinAccesoWeb, Bloqueado };
    Motivo motivo = Motivo::ClaveIncorrecta;
    // The operator's name as stored, when accepted.
    QString operador;
    // Bloqueado: whole minutes, rounded up, until another try.
    int minutos = 0;
    bool aceptado() const { return motivo == Motivo::Aceptado; }
};

class ControlAcceso {
public:
    explicit ControlAcceso(const Clock& clock)
        : m_intentos(clock) {}

    // Throws store::DatabaseError.
    ResultadoAcceso comprobar(const QSqlDatabase& db, const QString& nombre, const QString& clave,
                              const QString& direccion);
    // Whether an operator who logged in may still be in: a session ends at
    // once when the operator is gone, loses "Acceso web" or the password, or
    // is locked by a console. Throws store::DatabaseError.
    static bool sigueDentro(const QSqlDatabase& db, const QString& nombre);

private:
    Intentos m_intentos;
};

// The refusal's text for the log-in page, in Spanish or English.
QString textoAcceso(const ResultadoAcceso& r, bool english);

} // namespace web
