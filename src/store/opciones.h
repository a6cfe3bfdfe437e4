#pragma once

#include "core/runtimesettings.h"
#include "store/rows.h"

#include <QSqlDatabase>

namespace store {

// The options row. Empty columns read as false, 0 and "" (an upgraded
// database leaves new columns empty).
Opciones readOpciones(const QSqlDatabase& db);

// The options row as this connection last read it, for the paths that read
// it on every settlement and log-in. Saving the options here forgets it, and
// so does a change another console made (forgetOpciones). Never for the
// counters (NUM_TICK, contador): they move at every ticket, at any console,
// and are read with the row locked (readOpcionesForUpdate) or advanced in SQL.
Opciones cachedOpciones(const QSqlDatabase& db);
// The next cachedOpciones reads the row again.
void forgetOpciones(const QSqlDatabase& db);

// imp_cierre: the ticket of an anonymous customer's closed station is
// offered (asked), printed at once, or left alone. Any other stored value asks.
enum class ImpresionCierre { Preguntar = 0, Siempre = 1, Nunca = 2 };
ImpresionCierre impresionCierre(const Opciones& opciones);

// The same inside the caller's transaction, with the row locked until it
// ends where the engine locks rows: the counters other consoles advance
// meanwhile (NUM_TICK, contador) wait, so a whole-row save never puts an
// older value back.
Opciones readOpcionesForUpdate(const QSqlDatabase& db);

// Saves the options row. Texts that name a code, a tariff or a password are
// never stored empty: each gets its run of blanks, and DBLookUp one blank.
void saveOpciones(const QSqlDatabase& db, const Opciones& opciones);

// The open dialog's scratch fields: the tariff and amount chosen last, which
// the next opening proposes (DBLookUp, dbeditpesetas).
void saveOpenDialogChoice(const QSqlDatabase& db, const QString& tariff, Currency amount);

// The blank markers, applied to a copy.
Opciones withBlankMarkers(Opciones opciones);

// The run-time values the options give at start-up: poll period, rounding
// unit, alarms and the band rules.
RuntimeSettings runtimeSettings(const Opciones& opciones);

// The columns the shut-down keeps (grid panel width, queue orders), alone:
// the rest of the row may have moved at another console meanwhile.
void saveLayoutOpciones(const QSqlDatabase& db, const Opciones& opciones);

Grids readGrids(const QSqlDatabase& db);
void saveGrids(const QSqlDatabase& db, const Grids& grids);

WebConfig readWebConfig(const QSqlDatabase& db);
void saveWebConfig(const QSqlDatabase& db, const WebConfig& config);

} // namespace store
