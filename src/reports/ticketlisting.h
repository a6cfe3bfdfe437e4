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

// A ticket listing read a page of tickets at a time, in ID_TICK order, so
// a preview can show its first pages while the rest is still being read.
// Details give one group per ticket (its fields, its lines, its total), kept
// on one page; totals one row per ticket. The sum of the amounts closes it.
class TicketListing {
public:
    static constexpr int PageSize = 2000;

    // Adds the column sets and heads to report and counts the tickets.
    TicketListing(Report& report, const QSqlDatabase& db, const Regional& regional, TicketFilter filter,
                  TicketListingTexts texts, bool details);

    // Appends up to maxTickets more tickets (maxTickets > 0), and the sum
    // after the last; false once there was nothing left to append. Throws
    // store::DatabaseError.
    bool next(Report& report, int maxTickets);
    bool complete() const { return m_complete; }
    // Tickets in the listing, and appended so far.
    int count() const { return m_count; }
    int done() const { return m_done; }

private:
    QSqlDatabase m_db;
    Regional m_regional;
    TicketFilter m_filter;
    TicketListingTexts m_texts;
    bool m_details = false;
    std::vector<Column> m_totalsColumns;
    int m_head = 0;
    int m_lines = 0;
    int m_total = 0;
    int m_count = 0;
    int m_done = 0;
    int m_afterId = -1;
    int m_lastId = -1;
    Currency m_sum;
    bool m_complete = false;
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
