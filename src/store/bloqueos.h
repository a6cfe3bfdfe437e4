#pragma once

#include "store/rows.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace store {

// Lock-outs against password guessing: the failed log-ins of a customer's
// login, of a station and of an operator are counted in the database, so the
// count holds across restarts and across the consoles of one database; when
// one reaches its limit within the window, that login, station or operator
// is refused for a while. Moments are milliseconds of the database server's
// clock (serverNowMs), which every console shares.

enum class TipoBloqueo { Login, Puesto, Operador };

// The limits as the options keep them, brought within their ranges (an
// empty or damaged value reads as the default).
struct LimitesBloqueo {
    static constexpr int DefaultIntentos = 5;
    static constexpr int DefaultVentanaMinutos = 10;
    static constexpr int DefaultMinutos = 15;
    static constexpr int DefaultIntentosPuesto = 20;
    static constexpr int DefaultMinutosPuesto = 5;
    static constexpr int MinIntentos = 3;
    static constexpr int MaxIntentos = 50;
    static constexpr int MinIntentosPuesto = 5;
    static constexpr int MaxIntentosPuesto = 500;
    static constexpr int MaxVentanaMinutos = 1440;
    static constexpr int MaxMinutos = 1440;

    // Wrong passwords of one login (or operator) that lock it.
    int intentos = DefaultIntentos;
    // The window the failures are counted in, minutes.
    int ventanaMinutos = DefaultVentanaMinutos;
    // How long a login or an operator stays locked, minutes.
    int minutos = DefaultMinutos;
    // Failed log-ins at one station that lock its log-ins.
    int intentosPuesto = DefaultIntentosPuesto;
    // How long a station's log-ins stay refused, minutes.
    int minutosPuesto = DefaultMinutosPuesto;

    int limite(TipoBloqueo tipo) const { return tipo == TipoBloqueo::Puesto ? intentosPuesto : intentos; }
    qint64 duracionMs(TipoBloqueo tipo) const {
        return qint64(tipo == TipoBloqueo::Puesto ? minutosPuesto : minutos) * 60000;
    }
    qint64 ventanaMs() const { return qint64(ventanaMinutos) * 60000; }
    bool operator==(const LimitesBloqueo&) const = default;
};
LimitesBloqueo limitesBloqueo(const Opciones& opciones);
// The options' columns set to the limits.
void ponerLimites(Opciones& opciones, const LimitesBloqueo& limites);

// The key of a login, a station (its number) or an operator: logins and
// operators under the one letter-case rule, so "ANA" and "ana" share a count.
QString claveBloqueo(TipoBloqueo tipo, const QString& nombre);

struct Bloqueo {
    QString clave;
    TipoBloqueo tipo = TipoBloqueo::Login;
    // The login, station number or operator as the console knows it.
    QString nombre;
    qint64 desdeMs = 0;
    qint64 hastaMs = 0;
    // The failures that started it.
    int intentos = 0;
};

// The lock in force on the login, station or operator at nowMs: locked
// while nowMs is before its end.
std::optional<Bloqueo> bloqueoVigente(const QSqlDatabase& db, TipoBloqueo tipo, const QString& nombre,
                                      qint64 nowMs);
// Whole minutes, rounded up, from nowMs until the lock ends (at least 1).
int minutosRestantes(const Bloqueo& bloqueo, qint64 nowMs);

// Whether any of the keys is locked at nowMs, in one look.
bool algunoBloqueado(const QSqlDatabase& db, const QStringList& claves, qint64 nowMs);
// Every lock in force, the ones ending first first.
std::vector<Bloqueo> bloqueosVigentes(const QSqlDatabase& db, qint64 nowMs);

struct FalloRegistrado {
    // The failures of the key within the window, this one included.
    int fallos = 0;
    // This failure started the lock: of two consoles counting at once,
    // exactly one sees it, and that one tells its operator.
    std::optional<Bloqueo> bloqueo;
};
// Records one failed log-in in its own transaction: the key's failures
// older than the window are forgotten, the rest counted, and at the limit
// the lock is set, its failures cleared and the lock-out audited (dated
// cuando, by the console's clock). A key already locked counts nothing.
// Throws DatabaseError.
FalloRegistrado registrarFallo(const QSqlDatabase& db, TipoBloqueo tipo, const QString& nombre,
                               const LimitesBloqueo& limites, qint64 nowMs, const QDateTime& cuando);

// Lifts the lock in force on the key and forgets its failures, in one
// transaction with its audit line under operador. False when no lock was
// in force. Throws DatabaseError.
bool levantarBloqueo(const QSqlDatabase& db, const QString& clave, qint64 nowMs, const QString& operador,
                     const QDateTime& cuando);

// Creates the tables when missing; part of the schema updates.
void crearTablasBloqueo(const QSqlDatabase& db);

} // namespace store
