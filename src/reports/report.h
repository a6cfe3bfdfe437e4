#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

// A banded report as plain data: what each band says, not how it is drawn.
// Sizes are millimetres on an A4 sheet; rows are one line high, so a report
// is laid out once, without font metrics, and any page is painted on demand.
namespace reports {

enum class Align { Left, Right, Center };

struct Column {
    double x = 0;     // from the left margin
    double width = 0; // text beyond it is cut
    Align align = Align::Left;
};

// One line of a band. Cells are placed by the column set the row names.
struct Row {
    enum class Style { Normal, Bold, Title, Subtitle, Heading };
    int columns = 0; // index into Report::columnSets
    QStringList cells;
    Style style = Style::Normal;
    // A line under the row (column heads, totals).
    bool ruled = false;
};

// Rows kept together on one page (a ticket with its lines); a detail row of
// a plain listing is a group of one.
struct Group {
    std::vector<Row> rows;
};

struct Report {
    QString caption; // of the preview window
    std::vector<std::vector<Column>> columnSets;
    std::vector<Row> title;      // first page only
    std::vector<Row> pageHeader; // every page (the column heads)
    std::vector<Group> body;
    std::vector<Row> summary; // after the last group
    QDateTime printedAt;
    // A listing that prints a record over several rows (a long text wrapped,
    // a text of several lines) gives here each record whole, as wide as the
    // column heads: CSV writes these instead of the printed rows, one field
    // per cell with its line breaks.
    std::vector<QStringList> records;

    int addColumns(std::vector<Column> columns);
    Row& addTitle(int columns, QStringList cells, Row::Style style = Row::Style::Title);
    Row& addHeader(int columns, QStringList cells);
    // A new group of one row.
    void addDetail(int columns, QStringList cells);
    Group& addGroup();
    Row& addSummary(int columns, QStringList cells, Row::Style style = Row::Style::Bold);
};

// The sheet: A4 with margins of 6.35 mm.
struct PageGeometry {
    static constexpr double width = 210.0;
    static constexpr double height = 297.0;
    static constexpr double margin = 6.35;
    static constexpr double footerHeight = 8.0;
    static constexpr double printableWidth = width - 2 * margin;
    // Room for bands between the top margin and the page footer.
    static constexpr double bodyHeight = height - 2 * margin - footerHeight;
    static double rowHeight(Row::Style style);
};

// A run of one group's rows on a page.
struct Slice {
    int group = 0;
    int firstRow = 0;
    int endRow = 0;
};

struct Page {
    bool title = false;
    bool summary = false;
    std::vector<Slice> slices;
};

// A report read in parts: each call appends the next part (groups, and the
// summary with the last), so a preview shows the first pages at once.
class ReportSource {
public:
    virtual ~ReportSource() = default;
    // Appends the next part; answers whether more remain (the last part
    // brings the summary). Throws store::DatabaseError.
    virtual bool next(Report& report) = 0;
    // How far the reading is, for a progress bar (0 of 0 when unknown).
    virtual int done() const = 0;
    virtual int total() const = 0;
};

// Pages of a report: groups never split unless one is taller than a page.
std::vector<Page> paginate(const Report& report);

// The same as the report grows: add() lays out the groups appended since
// the last call, finish() the rest and the summary. Every page but the last
// is final once laid out, so a preview can show it while more are read.
class Paginator {
public:
    explicit Paginator(const Report& report);
    void add(const Report& report);
    void finish(const Report& report);
    const std::vector<Page>& pages() const { return m_pages; }

private:
    void newPage();

    std::vector<Page> m_pages;
    double m_header = 0;
    double m_title = 0;
    double m_remaining = 0;
    int m_groups = 0;
};

// The page footer's texts: print date and time, and "Página x de y".
QString printedText(const Report& report, const QString& shortDateFormat, const QString& longTimeFormat);
QString pageNumberText(int page, int pageCount);

// The bands of every page as text, one line per row, cells separated by
// " | ": how tests read what a listing prints.
QString toText(const Report& report, const std::vector<Page>& pages, const QString& shortDateFormat,
               const QString& longTimeFormat);

// The rows of the report (heads, body, summary) as CSV: fields separated by
// ";" (the decimal mark is a comma here), quoted when they need it. Sums,
// group totals and headings over columns sit under the column heads they are
// printed below, every row as wide as the heads. A report with records
// writes them in place of its body.
QString toCsv(const Report& report);

} // namespace reports
