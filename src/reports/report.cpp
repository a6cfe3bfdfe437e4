#include "reports/report.h"

namespace reports {

int Report::addColumns(std::vector<Column> columns) {
    columnSets.push_back(std::move(columns));
    return int(columnSets.size()) - 1;
}

Row& Report::addTitle(int columns, QStringList cells, Row::Style style) {
    title.push_back(Row{columns, std::move(cells), style, false});
    return title.back();
}

Row& Report::addHeader(int columns, QStringList cells) {
    pageHeader.push_back(Row{columns, std::move(cells), Row::Style::Heading, true});
    return pageHeader.back();
}

void Report::addDetail(int columns, QStringList cells) {
    Group g;
    g.rows.push_back(Row{columns, std::move(cells), Row::Style::Normal, false});
    body.push_back(std::move(g));
}

Group& Report::addGroup() {
    body.emplace_back();
    return body.back();
}

Row& Report::addSummary(int columns, QStringList cells, Row::Style style) {
    summary.push_back(Row{columns, std::move(cells), style, false});
    return summary.back();
}

double PageGeometry::rowHeight(Row::Style style) {
    switch (style) {
    case Row::Style::Title:
        return 9.0;
    case Row::Style::Subtitle:
        return 6.0;
    case Row::Style::Heading:
        return 5.5;
    case Row::Style::Normal:
    case Row::Style::Bold:
        break;
    }
    return 4.5;
}

namespace {

double heightOf(const std::vector<Row>& rows, int from, int to) {
    double h = 0;
    for (int i = from; i < to; ++i)
        h += PageGeometry::rowHeight(rows[size_t(i)].style);
    return h;
}

double heightOf(const std::vector<Row>& rows) {
    return heightOf(rows, 0, int(rows.size()));
}

} // namespace

Paginator::Paginator(const Report& report)
    : m_header(heightOf(report.pageHeader))
    , m_title(heightOf(report.title)) {
    newPage();
}

void Paginator::newPage() {
    Page p;
    p.title = m_pages.empty();
    m_pages.push_back(std::move(p));
    m_remaining = PageGeometry::bodyHeight - m_header - (m_pages.back().title ? m_title : 0);
}

void Paginator::add(const Report& report) {
    for (int g = m_groups; g < int(report.body.size()); ++g) {
        const std::vector<Row>& rows = report.body[size_t(g)].rows;
        const double h = heightOf(rows);
        if (h <= m_remaining) {
            m_pages.back().slices.push_back(Slice{g, 0, int(rows.size())});
            m_remaining -= h;
            continue;
        }
        // Kept together: a group that does not fit starts a page of its own.
        if (!m_pages.back().slices.empty()) {
            newPage();
            if (h <= m_remaining) {
                m_pages.back().slices.push_back(Slice{g, 0, int(rows.size())});
                m_remaining -= h;
                continue;
            }
        }
        // Taller than a whole page: it has to be split.
        int from = 0;
        while (from < int(rows.size())) {
            int to = from;
            while (to < int(rows.size()) && heightOf(rows, from, to + 1) <= m_remaining)
                ++to;
            if (to == from) {
                if (m_pages.back().slices.empty())
                    ++to; // never stall on a row taller than a page
                else {
                    newPage();
                    continue;
                }
            }
            m_pages.back().slices.push_back(Slice{g, from, to});
            m_remaining -= heightOf(rows, from, to);
            from = to;
            if (from < int(rows.size()))
                newPage();
        }
    }
    m_groups = int(report.body.size());
}

void Paginator::finish(const Report& report) {
    add(report);
    if (!report.summary.empty()) {
        if (heightOf(report.summary) > m_remaining && !m_pages.back().slices.empty())
            newPage();
        m_pages.back().summary = true;
    }
}

std::vector<Page> paginate(const Report& report) {
    Paginator paginator(report);
    paginator.finish(report);
    return paginator.pages();
}

QString printedText(const Report& report, const QString& shortDateFormat, const QString& longTimeFormat) {
    return report.printedAt.date().toString(shortDateFormat) + QLatin1Char(' ') +
           report.printedAt.time().toString(longTimeFormat);
}

QString pageNumberText(int page, int pageCount) {
    return QStringLiteral("Página %1 de %2").arg(page).arg(pageCount);
}

namespace {

QString rowText(const Row& row) {
    static const char* const tags[] = {"", "*", "#", "##", "="};
    const char* tag = tags[int(row.style)];
    QString text = QString::fromLatin1(tag);
    if (!text.isEmpty())
        text += QLatin1Char(' ');
    return text + row.cells.join(QStringLiteral(" | ")) + QLatin1Char('\n');
}

QString csvField(const QString& s) {
    if (s.contains(QLatin1Char(';')) || s.contains(QLatin1Char('"')) || s.contains(QLatin1Char('\n')) ||
        s.contains(QLatin1Char('\r'))) {
        QString q = s;
        q.replace(QLatin1String("\""), QLatin1String("\"\""));
        return QLatin1Char('"') + q + QLatin1Char('"');
    }
    return s;
}

void csvLine(QString& out, const QStringList& cells) {
    for (int c = 0; c < cells.size(); ++c) {
        if (c > 0)
            out += QLatin1Char(';');
        out += csvField(cells.at(c));
    }
    out += QStringLiteral("\r\n");
}

// The column set of the column heads: the last page-header row, or, when the
// heads repeat in every group (tickets with their lines), the first heading
// row of the body. -1 when the listing has none.
int gridOf(const Report& report) {
    if (!report.pageHeader.empty())
        return report.pageHeader.back().columns;
    for (const Group& g : report.body)
        for (const Row& r : g.rows)
            if (r.style == Row::Style::Heading)
                return r.columns;
    return -1;
}

// A row drawn with columns of its own (a sum, a group's total, a heading over
// several columns) goes into the spreadsheet under the heads it is drawn
// below, by the left edge of each cell. A row that cannot be placed that way
// (two cells under one head) keeps its own cells.
QStringList gridCells(const Report& report, const Row& row, int grid) {
    if (grid < 0 || grid >= int(report.columnSets.size()))
        return row.cells;
    const std::vector<Column>& heads = report.columnSets[size_t(grid)];
    if (row.columns == grid) {
        QStringList cells = row.cells;
        while (cells.size() < int(heads.size()))
            cells << QString();
        return cells;
    }
    if (row.columns < 0 || row.columns >= int(report.columnSets.size()))
        return row.cells;
    const std::vector<Column>& own = report.columnSets[size_t(row.columns)];
    QStringList cells(int(heads.size()));
    std::vector<bool> taken(heads.size(), false);
    for (int c = 0; c < row.cells.size(); ++c) {
        if (row.cells.at(c).isEmpty())
            continue;
        if (c >= int(own.size()))
            return row.cells;
        // Sub-millimetre differences are the same place on paper.
        size_t at = 0;
        for (size_t h = 0; h < heads.size(); ++h)
            if (heads[h].x <= own[size_t(c)].x + 0.5)
                at = h;
        if (taken[at])
            return row.cells;
        taken[at] = true;
        cells[int(at)] = row.cells.at(c);
    }
    return cells;
}

void csvRows(QString& out, const Report& report, const std::vector<Row>& rows, int grid) {
    for (const Row& r : rows)
        csvLine(out, gridCells(report, r, grid));
}

} // namespace

QString toText(const Report& report, const std::vector<Page>& pages, const QString& shortDateFormat,
               const QString& longTimeFormat) {
    QString out;
    const QString printed = printedText(report, shortDateFormat, longTimeFormat);
    for (int p = 0; p < int(pages.size()); ++p) {
        const Page& page = pages[size_t(p)];
        out += QStringLiteral("== ") + pageNumberText(p + 1, int(pages.size())) + QLatin1Char('\n');
        if (page.title)
            for (const Row& r : report.title)
                out += rowText(r);
        for (const Row& r : report.pageHeader)
            out += rowText(r);
        for (const Slice& s : page.slices)
            for (int i = s.firstRow; i < s.endRow; ++i)
                out += rowText(report.body[size_t(s.group)].rows[size_t(i)]);
        if (page.summary)
            for (const Row& r : report.summary)
                out += rowText(r);
        out += QStringLiteral("-- ") + printed + QStringLiteral(" | ") +
               pageNumberText(p + 1, int(pages.size())) + QLatin1Char('\n');
    }
    return out;
}

QString toCsv(const Report& report) {
    QString out;
    const int grid = gridOf(report);
    csvRows(out, report, report.pageHeader, grid);
    if (!report.records.empty()) {
        for (const QStringList& record : report.records)
            csvLine(out, record);
    } else {
        for (const Group& g : report.body)
            csvRows(out, report, g.rows, grid);
    }
    csvRows(out, report, report.summary, grid);
    return out;
}

} // namespace reports
