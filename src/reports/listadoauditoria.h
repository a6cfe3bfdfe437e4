#pragma once

#include "core/regional.h"
#include "reports/listings.h"
#include "reports/report.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QStringList>

#include <optional>

// The audit trail as a listing: "Utilidades → Registro de auditoría".
namespace reports {

struct FiltroAuditoria {
    DateRange range; // both days included
    // nullopt: every operator (every action); an empty operator is the
    // console acting by itself.
    std::optional<QString> operador;
    std::optional<QString> accion;
};

// The lines of the trail that pass the filter, oldest first, every value
// bound. Texts of several lines, and long ones, take several printed rows
// kept together on one page; the CSV has one record per line of the trail.
Report listadoAuditoria(const QSqlDatabase& db, const Regional& regional, const FiltroAuditoria& filtro,
                        const QDateTime& printedAt);

// What the filter lists offer: the operators and the actions the trail holds.
QStringList operadoresAuditados(const QSqlDatabase& db);
QStringList accionesAuditadas(const QSqlDatabase& db);

// text cut into lines of at most width characters, at blanks where it can,
// keeping its own line breaks.
QStringList envolver(const QString& text, int width);

} // namespace reports
