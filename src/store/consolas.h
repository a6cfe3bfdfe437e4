#pragma once

#include <QSqlDatabase>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace store {

// Several consoles on one database. Each registers a row in consolas and
// renews its heartbeat (LATIDO, the server's clock in milliseconds) every
// few seconds; puestos.CONSOLA names the console that polls each station and
// puestos.EPOCA counts the changes of its owner. Every write of a station's
// row checks the epoch its console holds, so a console that lost a station
// can never write to it again.

// The database's own clock, in milliseconds since 1970: every console
// compares heartbeats on the one clock.
qint64 serverNowMs(const QSqlDatabase& db);
// The same moment as an SQL expression, to be written in the statement
// that records it.
QString nowExpression(const QSqlDatabase& db);
// " FOR UPDATE" where the engine locks rows so, else nothing (SQLite locks
// the whole file for the transaction).
QString forUpdate(const QSqlDatabase& db);

struct ConsolaRow {
    QString nombre;
    QString equipo;
    qint64 pid = 0;
    // Milliseconds since its last heartbeat, by the server's clock.
    qint64 silenceMs = 0;
    int puestos = 0;
};

// Who this console process is.
struct ConsolaId {
    QString nombre;
    QString equipo; // the computer's host name
    qint64 pid = 0;
    QString marca; // this run's own mark: a row with another is someone else's
};

struct Registro {
    // The name's heartbeat is live at another process: its computer.
    std::optional<QString> heldBy;
    // Stations nobody owned, claimed now.
    int claimed = 0;
};
// Registers the console in one transaction: refused while another process
// renewed the name's heartbeat within liveMs (this process, and a process
// of this computer that no longer runs, do not count); else the row is this run's, and the
// stations without a console become its own under a new epoch.
Registro registrarConsola(const QSqlDatabase& db, const ConsolaId& id, qint64 liveMs);

struct Latido {
    // The row is still this run's; false when another console took it over
    // (its stations went with it).
    bool kept = false;
    // The other consoles whose heartbeat is younger than liveMs.
    int othersAlive = 0;
    // The other consoles silent for longer than deadMs (0: none is).
    std::vector<ConsolaRow> dead;
};
// Renews the heartbeat in its own short transaction and looks at the others.
Latido renovarLatido(const QSqlDatabase& db, const ConsolaId& id, qint64 liveMs, qint64 deadMs);
// Registers the row again after it was taken over (the console lives on with
// what it still owns).
void volverARegistrar(const QSqlDatabase& db, const ConsolaId& id);
// Removes this run's row at a clean end: its stations stay its own.
void darDeBaja(const QSqlDatabase& db, const ConsolaId& id);

// Every other console and how many stations it owns, by name.
std::vector<ConsolaRow> otrasConsolas(const QSqlDatabase& db, const QString& nombre);

struct Toma {
    QString from;
    std::vector<int> stations; // by number
};
// Takes every station of the console named from, with its logins in use, in
// one transaction: ownership and a new epoch, and the other's row removed.
// With silentMs above 0 nothing is taken unless that console is still silent
// for so long once its row is locked; 0 takes it whatever its heartbeat.
// Stations taken leave a line in the audit trail under operador (empty: the
// console took them by itself, on an expired lease).
std::optional<Toma> tomarPuestos(const QSqlDatabase& db, const QString& nombre, const QString& from,
                                 qint64 silentMs, const QString& operador);

struct Propiedad {
    int npuesto = 0;
    int epoca = 0;
};
// The stations the console owns and their epochs, by number.
std::vector<Propiedad> puestosDe(const QSqlDatabase& db, const QString& nombre);
// How many stations the console owns and the sum of their epochs: a change
// says a station came or went.
std::pair<int, qint64> resumenPropiedad(const QSqlDatabase& db, const QString& nombre);
// Gives a station to another console (empty: none) under a new epoch.
void moverPuesto(const QSqlDatabase& db, int npuesto, const QString& consola);

// The logins in use at any console's station: a row each, under the folded
// login (one rule for letter case everywhere), claimed inside the
// transaction that accepts the log-in and released inside the one that books
// its end.
// False when the login is in use at a station already.
bool reclamarLogin(const QSqlDatabase& db, const QString& login, int npuesto, const QString& consola);
void liberarLogin(const QSqlDatabase& db, const QString& login);
// Whether the login is in use at any console's station.
bool loginEnUso(const QSqlDatabase& db, const QString& login);
// An exchange moved the period (and its login) to another station.
void moverLogin(const QSqlDatabase& db, const QString& login, int npuesto);
// The console's claims whose station no longer holds the login (a crash of
// an older version, a station removed): released.
int liberarLoginsHuerfanos(const QSqlDatabase& db, const QString& consola);

} // namespace store
