#pragma once

#include "core/regional.h"
#include "reports/report.h"
#include "reports/ticketlisting.h"

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QStringList>
#include <QTime>

// The cash report: the tickets of a day, a shift or a time span.
namespace sales {

// Day D, from A to B as times of day: A = B is the whole day, A < B the span
// within D, A > B crosses midnight into D + 1. Every ticket counts,
// cancelled and pending ones alike.
struct CajaSelection {
    QDate day;
    QTime from;
    QTime to;

    reports::TicketFilter filter() const;
};

enum class CajaListing { Totales, Detalles };

// The listing as the preview shows it, captioned "'[Informe de caja]'".
reports::Report informeCaja(const QSqlDatabase& db, const Regional& regional, const CajaSelection& selection,
                            CajaListing kind, const QDateTime& printedAt);

// The HTML table of the mailed cash report, one item per line of the mail
// body, in the order and with the tags exactly as the mail readers expect
// (rows ordered by ticket number as text: "10" before "9"). Throws
// store::DatabaseError.
QStringList sendcajaresumen(const QSqlDatabase& db, const Regional& regional, const CajaSelection& selection);

} // namespace sales
