#pragma once

#include "core/regional.h"
#include "reports/report.h"
#include "reports/ticketlisting.h"

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QStringList>
#include <QTime>

#include <optional>

// The cash report: the tickets of a day, a shift or a time span.
namespace sales {

// Day D, from A to B as times of day: A = B is the whole day, A < B the span
// within D, A > B crosses midnight into D + 1. Every ticket counts,
// cancelled and pending ones alike. With a console, only the tickets it
// sold; an empty name takes those that record no console (sold before
// consoles were told apart).
struct CajaSelection {
    CajaSelection() = default;
    CajaSelection(const QDate& d, const QTime& a, const QTime& b, std::optional<QString> c = std::nullopt)
        : day(d)
        , from(a)
        , to(b)
        , consola(std::move(c)) {}

    QDate day;
    QTime from;
    QTime to;
    std::optional<QString> consola;

    reports::TicketFilter filter() const;
};

enum class CajaListing { Totales, Detalles };

// The consoles a cash report can be asked for: every name that sold a
// ticket, owns a station or is registered, in order; and whether some
// tickets record none.
struct CajaConsolas {
    QStringList nombres;
    bool sinConsola = false;
};
CajaConsolas cajaConsolas(const QSqlDatabase& db);

// The listing as the preview shows it, captioned "'[Informe de caja]'".
reports::Report informeCaja(const QSqlDatabase& db, const Regional& regional, const CajaSelection& selection,
                            CajaListing kind, const QDateTime& printedAt);

// The HTML table of the mailed cash report, one item per line of the mail
// body, in the order and with the tags exactly as the mail readers expect
// (rows ordered by ticket number as text: "10" before "9"); one console's
// report says which after the times. Throws
// store::DatabaseError.
QStringList sendcajaresumen(const QSqlDatabase& db, const Regional& regional, const CajaSelection& selection);

} // namespace sales
