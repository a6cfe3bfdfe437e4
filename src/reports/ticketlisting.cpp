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

void addTicketTotals(Report& report, const QSqlDatabase& db, const Regional& regional,
                     const TicketFilter& filter, const TicketListingTexts& texts) {
    std::vector<Column> cols;
    if (texts.remarks)
        cols = {{0, 24, Align::Left},   {25, 22, Align::Left}, {48, 18, Align::Left},
                {67, 28, Align::Right}, {98, 60, Align::Left}, {160, 37, Align::Left}};
    else
        cols = {{0, 30, Align::Left},
                {32, 30, Align::Left},
                {64, 25, Align::Left},
                {90, 35, Align::Right},
                {130, 67, Align::Left}};
    const int set = report.addColumns(cols);
    report.addHeader(set, texts.totalsColumns);

    QSqlQuery q =
        store::run(db,
                   QStringLiteral("SELECT NUM_TICKET, FECHA, HORA, IMPORTE, OBSERVACIONES, OPERADOR "
                                  "FROM ticket") +
                       where(filter) + QStringLiteral(" ORDER BY ID_TICK"),
                   filter.values);
    Currency sum;
    report.body.reserve(report.body.size() + 1024);
    while (q.next()) {
        const Currency amount = store::toCurrency(q.value(3));
        sum += amount;
        QStringList cells{store::toText(q.value(0)), regional.formatDate(store::toDate(q.value(1))),
                          regional.formatTime(store::toTime(q.value(2))),
                          formatReportAmount(regional, amount)};
        if (texts.remarks)
            cells << store::toText(q.value(4));
        cells << store::toText(q.value(5));
        report.addDetail(set, std::move(cells));
    }
    const int sumSet = report.addColumns({{0, 80, Align::Right}, {cols[3].x, cols[3].width, Align::Right}});
    report.addSummary(sumSet, {texts.sumLabel, formatReportAmount(regional, sum)}).ruled = false;
}

void addTicketDetails(Report& report, const QSqlDatabase& db, const Regional& regional,
                      const TicketFilter& filter, const TicketListingTexts& texts) {
    // Label and value pairs of the ticket's fields.
    const int head = report.addColumns({{0, 18, Align::Left},
                                        {18, 22, Align::Left},
                                        {42, 11, Align::Left},
                                        {53, 22, Align::Left},
                                        {77, 10, Align::Left},
                                        {87, 18, Align::Left},
                                        {107, 17, Align::Left},
                                        {124, 30, Align::Left},
                                        {155, 26, Align::Left},
                                        {181, 16, Align::Left}});
    const int lines = report.addColumns({{6, 30, Align::Left},
                                         {38, 80, Align::Left},
                                         {120, 25, Align::Right},
                                         {147, 15, Align::Right},
                                         {164, 33, Align::Right}});
    const int total = report.addColumns({{100, 62, Align::Right}, {164, 33, Align::Right}});

    // Lines of every selected ticket in one pass, in the tickets' order,
    // read before the tickets: a server connection streams one result at a time.
    struct Line {
        int idTick;
        QStringList cells;
    };
    auto blankZero = [&](Currency c) { return c.raw() == 0 ? QString() : formatReportAmount(regional, c); };
    std::vector<Line> ticketLines;
    {
        QSqlQuery lq =
            store::run(db,
                       QStringLiteral("SELECT lintick.ID_TICK, lintick.CODIGO, lintick.ARTICULO, "
                                      "lintick.PRECIO, lintick.CANT, lintick.IMPORTE "
                                      "FROM lintick INNER JOIN ticket ON lintick.ID_TICK = ticket.ID_TICK") +
                           where(filter) + QStringLiteral(" ORDER BY ticket.ID_TICK, lintick.ID_LIN"),
                       filter.values);
        while (lq.next())
            ticketLines.push_back(Line{store::toInt(lq.value(0)),
                                       {store::toText(lq.value(1)), store::toText(lq.value(2)),
                                        blankZero(store::toCurrency(lq.value(3))),
                                        formatUnits(regional, store::toDouble(lq.value(4))),
                                        blankZero(store::toCurrency(lq.value(5)))}});
    }
    auto nextLine = ticketLines.begin();

    QSqlQuery q = store::run(db,
                             QStringLiteral("SELECT ID_TICK, NUM_TICKET, FECHA, HORA, IMPORTE, OPERADOR, "
                                            "OBSERVACIONES FROM ticket") +
                                 where(filter) + QStringLiteral(" ORDER BY ID_TICK"),
                             filter.values);
    Currency sum;
    while (q.next()) {
        const int id = store::toInt(q.value(0));
        const Currency amount = store::toCurrency(q.value(4));
        sum += amount;
        Group& g = report.addGroup();
        QStringList fields{texts.groupLabels.value(0), store::toText(q.value(1)),
                           texts.groupLabels.value(1), regional.formatDate(store::toDate(q.value(2))),
                           texts.groupLabels.value(2), regional.formatTime(store::toTime(q.value(3))),
                           texts.groupLabels.value(3), store::toText(q.value(5))};
        if (texts.remarks)
            fields << texts.groupLabels.value(4) << store::toText(q.value(6));
        g.rows.push_back(Row{head, fields, Row::Style::Bold, false});
        g.rows.push_back(Row{lines, texts.lineColumns, Row::Style::Heading, true});
        while (nextLine != ticketLines.end() && nextLine->idTick < id)
            ++nextLine;
        for (; nextLine != ticketLines.end() && nextLine->idTick == id; ++nextLine)
            g.rows.push_back(Row{lines, std::move(nextLine->cells), Row::Style::Normal, false});
        g.rows.push_back(Row{
            total, {texts.groupTotalLabel, formatReportAmount(regional, amount)}, Row::Style::Bold, true});
    }
    report.addSummary(total, {texts.detailsSumLabel, formatReportAmount(regional, sum)});
}

} // namespace reports
