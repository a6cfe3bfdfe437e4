#pragma once

#include "store/rows.h"
#include "ui/messagetable.h"

#include <QSqlDatabase>

#include <vector>

// The cash desk's shifts. Names are unique ignoring letter case and are the
// rows' keys: a shift is never renamed.
namespace sales {

// The console shows the first 10 rows read.
constexpr int turnosShown = 10;
std::vector<store::Turno> turnos(const QSqlDatabase& db);

// Empty when stored; otherwise the key in turnoMessages() of the refusal:
// "FaltaNombre" (the name is empty) or "TurnoRepetido" (already used, in any case).
QString addTurno(const QSqlDatabase& db, const store::Turno& turno);
// Stores the times of the shift named turno.TURNO.
void modifyTurno(const QSqlDatabase& db, const store::Turno& turno);
void deleteTurno(const QSqlDatabase& db, const QString& name);

const ui::MessageTable& turnoMessages();

} // namespace sales
