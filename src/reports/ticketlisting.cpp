#include "reports/ticketlisting.h"

#include "reports/format.h"
#include "store/sql.h"

#include <QSqlQuery>

namespace reports {

namespace {

QString where(const TicketFilter& filter) {
    return filter.where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + filter.where;
}

} // namespace

QString formatUnits(const Regional& regional, double units) {
    QString text = QString::number(units, 'f', 3);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    text.replace(QLatin1Char('.'), regional.decimalSeparator());
    return text;
}

TicketListing::TicketListing(Report& report, const QSqlDatabase& db, const Regional& regional,
                             TicketFilter filter, TicketListingTexts texts, bool details)
    : m_db(db)
    , m_regional(regional)
    , m_filter(std::move(filter))
    , m_texts(std::move(texts))
    , m_details(details) {
    if (m_details) {
        // Label and value pairs of the ticket's fields.
        m_head = report.addColumns({{0, 18, Align::Left},
                                    {18, 22, Align::Left},
                                    {42, 11, Align::Left},
                                    {53, 22, Align::Left},
                                    {77, 10, Align::Left},
                                    {87, 18, Align::Left},
                                    {107, 17, Align::Left},
                                    {124, 30, Align::Left},
                                    {155, 26, Align::Left},
                                    {181, 16, Align::Left}});
        m_lines = report.addColumns({{6, 30, Align::Left},
                                     {38, 80, Align::Left},
                                     {120, 25, Align::Right},
                                     {147, 15, Align::Right},
                                     {164, 33, Align::Right}});
        m_total = report.addColumns({{100, 62, Align::Right}, {164, 33, Align::Right}});
    } else {
        if (m_texts.remarks)
            m_totalsColumns = {{0, 24, Align::Left},   {25, 22, Align::Left}, {48, 18, Align::Left},
                               {67, 28, Align::Right}, {98, 60, Align::Left}, {160, 37, Align::Left}};
        else
            m_totalsColumns = {{0, 30, Align::Left},
                               {32, 30, Align::Left},
                               {64, 25, Align::Left},
                               {90, 35, Align::Right},
                               {130, 67, Align::Left}};
        m_head = report.addColumns(m_totalsColumns);
        report.addHeader(m_head, m_texts.totalsColumns);
    }
    // The tickets there are now, by id: a page is then a short walk of the
    // primary key between both ends, and a ticket written meanwhile does not
    // join half-way.
    QSqlQuery q = store::run(
        db, QStringLiteral("SELECT COUNT(*), MIN(ID_TICK), MAX(ID_TICK) FROM ticket") + where(m_filter),
        m_filter.values);
    if (q.next() && !q.value(1).isNull()) {
        m_count = store::toInt(q.value(0));
        m_afterId = store::toInt(q.value(1)) - 1;
        m_lastId = store::toInt(q.value(2));
    }
}

bool TicketListing::next(Report& report, int maxTickets) {
    if (m_complete)
        return false;
    const QString inPage =
        (m_filter.where.isEmpty() ? QStringLiteral(" WHERE ")
                                  : QStringLiteral(" WHERE (") + m_filter.where + QStringLiteral(") AND "));
    QVariantList values = m_filter.values;
    values << m_afterId << m_lastId << maxTickets;
    QSqlQuery q = store::run(
        m_db,
        QStringLiteral(
            "SELECT ID_TICK, NUM_TICKET, FECHA, HORA, IMPORTE, OPERADOR, OBSERVACIONES FROM ticket") +
            inPage + QStringLiteral("ID_TICK > ? AND ID_TICK <= ? ORDER BY ID_TICK LIMIT ?"),
        values);
    struct Ticket {
        int id;
        QString number;
        QDate date;
        QTime time;
        Currency amount;
        QString operador;
        QString remarks;
    };
    std::vector<Ticket> tickets;
    tickets.reserve(size_t(maxTickets));
    while (q.next())
        tickets.push_back(Ticket{store::toInt(q.value(0)), store::toText(q.value(1)),
                                 store::toDate(q.value(2)), store::toTime(q.value(3)),
                                 store::toCurrency(q.value(4)), store::toText(q.value(5)),
                                 store::toText(q.value(6))});
    q.finish();

    // The page's lines, read whole before they are laid out: a server
    // connection streams one result at a time.
    struct Line {
        int idTick;
        QStringList cells;
    };
    std::vector<Line> lines;
    if (m_details && !tickets.empty()) {
        auto blankZero = [&](Currency c) {
            return c.raw() == 0 ? QString() : formatReportAmount(m_regional, c);
        };
        QVariantList lineValues = m_filter.values;
        lineValues << tickets.front().id << tickets.back().id;
        QSqlQuery lq = store::run(
            m_db,
            QStringLiteral(
                "SELECT lintick.ID_TICK, lintick.CODIGO, lintick.ARTICULO, lintick.PRECIO, lintick.CANT, "
                "lintick.IMPORTE FROM lintick INNER JOIN ticket ON lintick.ID_TICK = ticket.ID_TICK") +
                inPage +
                QStringLiteral(
                    "ticket.ID_TICK >= ? AND ticket.ID_TICK <= ? ORDER BY ticket.ID_TICK, lintick.ID_LIN"),
            lineValues);
        while (lq.next())
            lines.push_back(Line{store::toInt(lq.value(0)),
                                 {store::toText(lq.value(1)), store::toText(lq.value(2)),
                                  blankZero(store::toCurrency(lq.value(3))),
                                  formatUnits(m_regional, store::toDouble(lq.value(4))),
                                  blankZero(store::toCurrency(lq.value(5)))}});
    }

    auto nextLine = lines.begin();
    for (Ticket& t : tickets) {
        m_sum += t.amount;
        ++m_done;
        m_afterId = t.id;
        if (!m_details) {
            QStringList cells{t.number, m_regional.formatDate(t.date), m_regional.formatTime(t.time),
                              formatReportAmount(m_regional, t.amount)};
            if (m_texts.remarks)
                cells << t.remarks;
            cells << t.operador;
            report.addDetail(m_head, std::move(cells));
            continue;
        }
        Group& g = report.addGroup();
        QStringList fields{m_texts.groupLabels.value(0), t.number,
                           m_texts.groupLabels.value(1), m_regional.formatDate(t.date),
                           m_texts.groupLabels.value(2), m_regional.formatTime(t.time),
                           m_texts.groupLabels.value(3), t.operador};
        if (m_texts.remarks)
            fields << m_texts.groupLabels.value(4) << t.remarks;
        g.rows.push_back(Row{m_head, fields, Row::Style::Bold, false});
        g.rows.push_back(Row{m_lines, m_texts.lineColumns, Row::Style::Heading, true});
        while (nextLine != lines.end() && nextLine->idTick < t.id)
            ++nextLine;
        for (; nextLine != lines.end() && nextLine->idTick == t.id; ++nextLine)
            g.rows.push_back(Row{m_lines, std::move(nextLine->cells), Row::Style::Normal, false});
        g.rows.push_back(Row{m_total,
                             {m_texts.groupTotalLabel, formatReportAmount(m_regional, t.amount)},
                             Row::Style::Bold,
                             true});
    }
    if (int(tickets.size()) < maxTickets) {
        m_complete = true;
        if (m_details) {
            report.addSummary(m_total, {m_texts.detailsSumLabel, formatReportAmount(m_regional, m_sum)});
        } else {
            const int sumSet = report.addColumns(
                {{0, 80, Align::Right}, {m_totalsColumns[3].x, m_totalsColumns[3].width, Align::Right}});
            report.addSummary(sumSet, {m_texts.sumLabel, formatReportAmount(m_regional, m_sum)}).ruled =
                false;
        }
    }
    return true;
}

namespace {

void addWhole(Report& report, const QSqlDatabase& db, const Regional& regional, const TicketFilter& filter,
              const TicketListingTexts& texts, bool details) {
    TicketListing listing(report, db, regional, filter, texts, details);
    while (listing.next(report, TicketListing::PageSize)) {
    }
}

} // namespace

void addTicketTotals(Report& report, const QSqlDatabase& db, const Regional& regional,
                     const TicketFilter& filter, const TicketListingTexts& texts) {
    addWhole(report, db, regional, filter, texts, false);
}

void addTicketDetails(Report& report, const QSqlDatabase& db, const Regional& regional,
                      const TicketFilter& filter, const TicketListingTexts& texts) {
    addWhole(report, db, regional, filter, texts, true);
}

} // namespace reports
