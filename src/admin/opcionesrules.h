#pragma once

#include "core/result.h"
#include "core/runtimesettings.h"
#include "store/rows.h"

#include <QSqlDatabase>
#include <QString>

namespace admin {

// Tree entries of the options window that the rules below point at.
enum OpcionesEntry {
    EntryGenerales = 0,
    EntryCuentas = 1,
    EntryCodigos = 2,
    EntryApertura = 3,
    EntryFranjas = 5,
    EntryTickets = 8,
    EntryCount = 14
};

// The first failed check of the options window: the message to show, the
// page (tree entry) to show and the control to focus. Empty key: all passed.
struct OpcionesCheck {
    QString messageKey;
    int entry = -1;
    QString field;
    bool ok() const { return messageKey.isEmpty(); }
};

// Highest ticket number the options accept.
constexpr int MaxTicketNumber = 99999999;

int numeroFranjas(const QSqlDatabase& db);
// Some time band names a variable tariff.
bool franjaConTarifaVariable(const QSqlDatabase& db);

// With fewer than two bands, neither band option can be chosen: the row gets
// cambiotarifa 1 and no band pricing. Answers whether the band lists are usable.
bool aplicarReglaFranjas(store::Opciones& opciones, int bandCount);

// The checks of "Aplicar" / "&Aceptar", in order. lastTicket is the number of
// the last ticket issued as the database holds it now.
OpcionesCheck comprobarOpciones(const QSqlDatabase& db, const store::Opciones& edited, int lastTicket,
                                int nextTicket);

// The last-ticket number to store: typing a next number above last + 1 makes
// the next ticket bear it; anything else leaves the counter alone.
int numTickTrasAplicar(int lastTicket, int nextTicket);

// The run-time values that follow the options at once.
void aplicarEnEjecucion(RuntimeSettings& settings, const store::Opciones& opciones);

// edited.NUM_TICK is the last number the window showed; nextTicket the next
// number typed. Checks and saves both rows in one transaction and updates the run-time
// values. The counters the console keeps moving while the window is open
// (the ticket number, generated logins, the shut-down's layout columns, the
// identification choice) are taken from the database, not from the window's
// copy, so a ticket issued meanwhile never gets its number reused.
// On a failed check nothing is written and the check is answered. What
// changed goes to the audit trail as one line, in the same transaction.
struct AplicarResultado {
    OpcionesCheck check;
    store::Opciones saved; // the row as now stored (when check passed)
};
Result<AplicarResultado> aplicarOpciones(const QSqlDatabase& db, const store::Opciones& edited,
                                         const store::WebConfig& web, int nextTicket,
                                         RuntimeSettings& settings, const QString& operatorName);

// "campo: antes -> después" lines of the options and mail settings that
// differ, passwords masked (only whether one was set, cleared or changed).
QString diferenciasOpciones(const store::Opciones& antes, const store::WebConfig& webAntes,
                            const store::Opciones& despues, const store::WebConfig& webDespues);

// Closing the window: a band with a variable tariff forces cambiotarifa 1
// (row and run-time copy); answers the row read again.
Result<store::Opciones> cerrarOpciones(const QSqlDatabase& db, RuntimeSettings& settings);

// The kind of credit of the "Consumo de crédito" list position (0, 1, or a
// cached tariff from 2 on), as a new account gets it.
struct TipoCredito {
    QString tipo;
    QString tarifa;
};
TipoCredito tipoCreditoDe(int op2_5, const QStringList& cachedTariffs);

} // namespace admin
