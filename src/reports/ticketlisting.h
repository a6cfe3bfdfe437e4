#pragma once

#include "core/regional.h"
#include "reports/report.h"

#include <QSqlDatabase>
#include <QVariantList>

namespace reports {

// Which tickets a listing takes: a condition on the columns of ticket with
// "?" for its values (never typed text).
struct TicketFilter {
    QString where;
    QVariantList values;
};

// The texts that differ between the cash report and the ticket listing.
struct TicketListingTexts {
    QStringList totalsColumns; // number, date, time, amount, [remarks,] operator
    bool remarks = false;      // the remarks column and group field
    QString sumLabel;
    QStringList groupLabels; // "Nº Ticket", "Fecha", "Hora", "Operador"[, "Observaciones"]
    QStringList lineColumns; // code, description, price, units, amount
    QString groupTotalLabel; // "Total......" / "Total ticket"
    QString detailsSumLabel;
};

// One row per ticket in ID_TICK order, and the sum of the amounts.
void addTicketTotals(Report& report, const QSqlDatabase& db, const Regional& regional,
                     const TicketFilter& filter, const TicketListingTexts& texts);
// One group per ticket (its fields, its lines, its total), kept on one page.
void addTicketDetails(Report& report, const QSqlDatabase& db, const Regional& regional,
                      const TicketFilter& filter, const TicketListingTexts& texts);

// A line's units as typed: no decimals when whole.
QString formatUnits(const Regional& regional, double units);

} // namespace reports
