#include "reports/format.h"
#include "reports/frmpreview.h"
#include "reports/reportrenderer.h"
#include "store/sql.h"
#include "support/scriptedui.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace reports;

namespace {

Report listing(int details, int groupRows = 1) {
    Report r;
    r.caption = QStringLiteral("[Prueba]");
    r.printedAt = QDateTime(QDate(2026, 3, 10), QTime(9, 5, 7));
    const int cols = r.addColumns({{0, 40, Align::Left}, {40, 40, Align::Right}});
    r.addTitle(cols, {QStringLiteral("Título")});
    r.addHeader(cols, {QStringLiteral("Uno"), QStringLiteral("Dos")});
    for (int i = 0; i < details; ++i) {
        if (groupRows == 1) {
            r.addDetail(cols, {QStringLiteral("fila %1").arg(i), QString::number(i)});
        } else {
            Group& g = r.addGroup();
            for (int k = 0; k < groupRows; ++k)
                g.rows.push_back(
                    Row{cols, {QStringLiteral("g%1 l%2").arg(i).arg(k)}, Row::Style::Normal, false});
        }
    }
    r.addSummary(cols, {QStringLiteral("Suma"), QString::number(details)});
    return r;
}

// Fields of a CSV written by toCsv (no quoted fields here), row by row.
QList<QStringList> parseCsv(const QString& csv) {
    QList<QStringList> rows;
    for (const QString& line : csv.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        rows << line.split(QLatin1Char(';'));
    return rows;
}

// Hands a whole report's groups over a part at a time, the summary with the
// last, as a listing read in parts does; fails on part failAt (0: never).
class PartSource final : public ReportSource {
public:
    PartSource(Report whole, int partSize, int failAt = 0)
        : m_whole(std::move(whole))
        , m_partSize(partSize)
        , m_failAt(failAt) {}

    // The whole report without its body and summary: what a reader starts from.
    static Report start(Report whole) {
        whole.body.clear();
        whole.summary.clear();
        return whole;
    }

    bool next(Report& report) override {
        if (++m_parts == m_failAt)
            throw store::DatabaseError(QStringLiteral("disk I/O error"));
        const size_t end = qMin(m_whole.body.size(), m_given + size_t(m_partSize));
        for (; m_given < end; ++m_given)
            report.body.push_back(m_whole.body[m_given]);
        if (m_given < m_whole.body.size())
            return true;
        report.summary = m_whole.summary;
        return false;
    }
    int done() const override { return int(m_given); }
    int total() const override { return int(m_whole.body.size()); }

private:
    Report m_whole;
    int m_partSize;
    int m_failAt;
    int m_parts = 0;
    size_t m_given = 0;
};

int rowsPerPage(bool first) {
    const double room = PageGeometry::bodyHeight - PageGeometry::rowHeight(Row::Style::Heading) -
                        (first ? PageGeometry::rowHeight(Row::Style::Title) : 0);
    return int(room / PageGeometry::rowHeight(Row::Style::Normal));
}

} // namespace

class TestReportEngine : public QObject {
    Q_OBJECT
private slots:
    void amounts_data() {
        QTest::addColumn<qint64>("raw");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("currency");
        QTest::newRow("zero") << qint64(0) << QStringLiteral("0,00 €") << QStringLiteral("0,00 €");
        QTest::newRow("grouped") << qint64(12345678900) << QStringLiteral("1.234.567,89 €")
                                 << QStringLiteral("1.234.567,89 €");
        QTest::newRow("negative") << qint64(-25000) << QStringLiteral("(2,50 €)")
                                  << QStringLiteral("-2,50 €");
        QTest::newRow("half to even")
            << qint64(12250) << QStringLiteral("1,22 €") << QStringLiteral("1,22 €");
        QTest::newRow("tiny negative") << qint64(-10) << QStringLiteral("0,00 €") << QStringLiteral("0,00 €");
    }
    void amounts() {
        QFETCH(qint64, raw);
        QFETCH(QString, amount);
        QFETCH(QString, currency);
        const Regional es = Regional::spanishSpain();
        QCOMPARE(formatReportAmount(es, Currency::fromRaw(raw)), amount);
        QCOMPARE(formatCurrency2(es, Currency::fromRaw(raw)), currency);
    }

    void times_data() {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("sum");
        QTest::addColumn<QString>("duration");
        QTest::newRow("27 h 0 min 5 s")
            << qint64(27 * 3600 + 5) << QStringLiteral("27  Horas  0  Min.  5  Seg.  ")
            << QStringLiteral("27:00:05");
        QTest::newRow("zero") << qint64(0) << QStringLiteral("0  Horas  0  Min.  0  Seg.  ")
                              << QStringLiteral("00:00:00");
        QTest::newRow("minutes") << qint64(3725) << QStringLiteral("1  Horas  2  Min.  5  Seg.  ")
                                 << QStringLiteral("01:02:05");
    }
    void times() {
        QFETCH(qint64, seconds);
        QFETCH(QString, sum);
        QFETCH(QString, duration);
        QCOMPARE(formatTimeSum(seconds), sum);
        QCOMPARE(formatDuration(seconds), duration);
    }

    void pagination_data() {
        QTest::addColumn<int>("details");
        QTest::addColumn<int>("groupRows");
        QTest::addColumn<int>("pages");
        const int first = rowsPerPage(true);
        const int next = rowsPerPage(false);
        QTest::newRow("empty") << 0 << 1 << 1;
        // The summary needs a row of its own: a full first page pushes it over.
        QTest::newRow("first page full") << first << 1 << 2;
        QTest::newRow("first page and summary") << first - 1 << 1 << 1;
        QTest::newRow("two pages") << first + next - 1 << 1 << 2;
        // Groups of 10 rows never split: the page holds only whole groups.
        QTest::newRow("groups") << 12 << 10 << 3;
        // A group taller than a page is split rather than lost.
        QTest::newRow("huge group") << 1 << first + next << 3;
    }
    void pagination() {
        QFETCH(int, details);
        QFETCH(int, groupRows);
        QFETCH(int, pages);
        const Report r = listing(details, groupRows);
        const std::vector<Page> laid = paginate(r);
        QCOMPARE(int(laid.size()), pages);
        QVERIFY(laid.front().title);
        QVERIFY(laid.back().summary);
        // Every row appears exactly once, in order.
        int expectGroup = 0, expectRow = 0;
        for (const Page& p : laid) {
            for (const Slice& s : p.slices) {
                if (s.group != expectGroup) {
                    QCOMPARE(expectRow, int(r.body[size_t(expectGroup)].rows.size()));
                    ++expectGroup;
                    expectRow = 0;
                }
                QCOMPARE(s.group, expectGroup);
                QCOMPARE(s.firstRow, expectRow);
                if (groupRows > 1 &&
                    groupRows * PageGeometry::rowHeight(Row::Style::Normal) < PageGeometry::bodyHeight)
                    QCOMPARE(s.endRow - s.firstRow, groupRows);
                expectRow = s.endRow;
            }
        }
        QCOMPARE(expectGroup, details > 0 ? details - 1 : 0);
    }

    // Laid out part by part, a report has the pages it has laid out whole,
    // also where a part ends inside a page or a group is split.
    void partsLayOutAsWhole_data() {
        QTest::addColumn<int>("details");
        QTest::addColumn<int>("groupRows");
        QTest::addColumn<int>("partSize");
        const int first = rowsPerPage(true);
        const int next = rowsPerPage(false);
        QTest::newRow("rows, parts of 7") << first + next + 5 << 1 << 7;
        QTest::newRow("rows, a part a page") << 3 * next << 1 << first;
        QTest::newRow("groups, parts of 1") << 12 << 10 << 1;
        QTest::newRow("huge groups, parts of 1") << 3 << first + next << 1;
        QTest::newRow("nothing") << 0 << 1 << 5;
    }
    void partsLayOutAsWhole() {
        QFETCH(int, details);
        QFETCH(int, groupRows);
        QFETCH(int, partSize);
        const Report whole = listing(details, groupRows);
        const ReportRenderer expected(whole, QStringLiteral("dd/MM/yyyy"), QStringLiteral("H:mm:ss"));
        ReportRenderer parts(PartSource::start(whole), QStringLiteral("dd/MM/yyyy"),
                             QStringLiteral("H:mm:ss"), std::make_shared<PartSource>(whole, partSize));
        QVERIFY(!parts.complete());
        int pages = parts.pageCount();
        while (parts.extend()) {
            // Pages already laid out stay; only the last one grows.
            QVERIFY(parts.pageCount() >= pages);
            pages = parts.pageCount();
        }
        QVERIFY(parts.complete());
        QVERIFY(!parts.extend());
        QCOMPARE(parts.pageCount(), expected.pageCount());
        QCOMPARE(parts.text(), expected.text());
    }

    void previewReadsOnThenExports() {
        const Report whole = listing(20 * rowsPerPage(false));
        TfrmPreview preview(ReportRenderer(PartSource::start(whole), QStringLiteral("dd/MM/yyyy"),
                                           QStringLiteral("H:mm:ss"),
                                           std::make_shared<PartSource>(whole, 50)));
        auto* pdf = preview.findChild<QAction*>(QStringLiteral("guardarPdf"));
        QVERIFY(pdf && !pdf->isEnabled());
        QVERIFY(preview.findChild<QLabel*>(QStringLiteral("pagina"))->text().endsWith(QLatin1String("...")));
        QTemporaryDir dir;
        QVERIFY(!preview.savePdf(dir.filePath(QStringLiteral("l.pdf"))));
        QTRY_VERIFY(preview.renderer().complete());
        QVERIFY(pdf->isEnabled());
        QCOMPARE(preview.findChild<QLabel*>(QStringLiteral("pagina"))->text(),
                 pageNumberText(1, ReportRenderer(whole, QString(), QString()).pageCount()));
        QVERIFY(preview.savePdf(dir.filePath(QStringLiteral("l.pdf"))));
    }

    void previewShowsAFailedRead() {
        ScriptedUi ui;
        const Report whole = listing(20 * rowsPerPage(false));
        TfrmPreview preview(ReportRenderer(PartSource::start(whole), QStringLiteral("dd/MM/yyyy"),
                                           QStringLiteral("H:mm:ss"),
                                           std::make_shared<PartSource>(whole, 50, 2)));
        QTRY_COMPARE(ui.messages().size(), 1);
        QCOMPARE(ui.messages().first().caption, QStringLiteral("Error"));
        QVERIFY(ui.messages().first().text.contains(QLatin1String("disk I/O error")));
        // What was read stays on screen; a listing cut short is never printed as whole.
        QTest::qWait(50);
        QCOMPARE(ui.messages().size(), 1);
        QVERIFY(!preview.renderer().complete());
        QVERIFY(!preview.findChild<QAction*>(QStringLiteral("imprimir"))->isEnabled());
        QVERIFY(!preview.findChild<QAction*>(QStringLiteral("exportarCsv"))->isEnabled());
    }

    void textBands() {
        ReportRenderer renderer(listing(2), QStringLiteral("dd/MM/yyyy"), QStringLiteral("H:mm:ss"));
        QCOMPARE(renderer.text(), QStringLiteral("== Página 1 de 1\n"
                                                 "# Título\n"
                                                 "= Uno | Dos\n"
                                                 "fila 0 | 0\n"
                                                 "fila 1 | 1\n"
                                                 "* Suma | 2\n"
                                                 "-- 10/03/2026 9:05:07 | Página 1 de 1\n"));
    }

    void csv() {
        Report r = listing(1);
        r.addDetail(0, {QStringLiteral("a;b"), QStringLiteral("di \"x\"")});
        QCOMPARE(toCsv(r), QStringLiteral("Uno;Dos\r\nfila 0;0\r\n\"a;b\";\"di \"\"x\"\"\"\r\nSuma;1\r\n"));
    }

    // Rows drawn with columns of their own land under the heads they are
    // printed below; the spreadsheet sees one grid.
    void csvGrid_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("heading over columns") << 0 << QStringList{"", "", "Ventas", "", ""};
        QTest::newRow("column heads") << 1 << QStringList{"Ticket", "Fecha", "Uds.", "Importe", "Operador"};
        QTest::newRow("short detail padded") << 2 << QStringList{"1", "01/03/2026", "2", "", ""};
        QTest::newRow("group footer") << 4 << QStringList{"", "Total grupo", "", "3,00 €", ""};
        QTest::newRow("two cells under one head kept") << 5 << QStringList{"a", "b"};
        QTest::newRow("count and money sum") << 6 << QStringList{"Suma", "", "5", "8,50 €", ""};
    }
    void csvGrid() {
        QFETCH(int, row);
        QFETCH(QStringList, cells);
        Report r;
        const int grid = r.addColumns({{0, 30, Align::Left},
                                       {32, 30, Align::Left},
                                       {64, 25, Align::Right},
                                       {90, 35, Align::Right},
                                       {127, 40, Align::Left}});
        r.addHeader(r.addColumns({{64, 60, Align::Center}}), {QStringLiteral("Ventas")}).ruled = false;
        r.addHeader(grid, {QStringLiteral("Ticket"), QStringLiteral("Fecha"), QStringLiteral("Uds."),
                           QStringLiteral("Importe"), QStringLiteral("Operador")});
        r.addDetail(grid, {QStringLiteral("1"), QStringLiteral("01/03/2026"), QStringLiteral("2")});
        Group& g = r.addGroup();
        g.rows.push_back(Row{grid,
                             {QStringLiteral("2"), QStringLiteral("02/03/2026"), QStringLiteral("3"),
                              QStringLiteral("3,00 €"), QStringLiteral("ANA")},
                             Row::Style::Normal,
                             false});
        // A right-aligned label reaching into the next column stays where it starts.
        g.rows.push_back(Row{r.addColumns({{40, 60, Align::Right}, {90.2, 35, Align::Right}}),
                             {QStringLiteral("Total grupo"), QStringLiteral("3,00 €")},
                             Row::Style::Bold,
                             true});
        r.addDetail(r.addColumns({{0, 10, Align::Left}, {5, 10, Align::Left}}),
                    {QStringLiteral("a"), QStringLiteral("b")});
        r.addSummary(r.addColumns({{0, 60, Align::Right}, {64, 25, Align::Right}, {90, 35, Align::Right}}),
                     {QStringLiteral("Suma"), QStringLiteral("5"), QStringLiteral("8,50 €")});
        const QList<QStringList> rows = parseCsv(toCsv(r));
        QCOMPARE(rows.size(), 7);
        QCOMPARE(rows.at(row), cells);
    }

    // The PDF holds, page by page, what the layout put on each page.
    void pdfPages() {
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext is not installed");
        const int details = rowsPerPage(true) + 10;
        ReportRenderer renderer(listing(details), QStringLiteral("dd/MM/yyyy"), QStringLiteral("H:mm:ss"));
        QCOMPARE(renderer.pageCount(), 2);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("l.pdf"));
        QString error;
        QVERIFY2(renderer.writePdf(file, &error), qPrintable(error));
        for (int page = 1; page <= 2; ++page) {
            QProcess p;
            p.start(pdftotext, {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page),
                                QStringLiteral("-l"), QString::number(page), file, QStringLiteral("-")});
            QVERIFY(p.waitForFinished(30000));
            // Compatibility forms fold the ligatures the PDF may keep ("ﬁ").
            const QString text =
                QString::fromUtf8(p.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
            QVERIFY2(text.contains(pageNumberText(page, 2)), qPrintable(text));
            QVERIFY(text.contains(QStringLiteral("10/03/2026 9:05:07")));
            QVERIFY(text.contains(QStringLiteral("Uno")));
            QCOMPARE(text.contains(QStringLiteral("Título")), page == 1);
            QCOMPARE(text.contains(QStringLiteral("Suma")), page == 2);
            const int firstOnPage = page == 1 ? 0 : rowsPerPage(true);
            const QString first = QStringLiteral("fila %1 ").arg(firstOnPage);
            QVERIFY2(text.contains(first), qPrintable(text.left(600)));
            QCOMPARE(text.contains(QStringLiteral("fila %1 ").arg(rowsPerPage(true))), page == 2);
        }
    }

    // A column title a little wider than its column is drawn smaller, whole;
    // only one far too wide is still cut.
    void narrowHeadings_data() {
        QTest::addColumn<double>("width");
        QTest::addColumn<bool>("whole");
        QTest::newRow("fits") << 30.0 << true;
        QTest::newRow("needs four fifths of its size") << 12.0 << true;
        QTest::newRow("below the limit") << 5.0 << false;
    }
    void narrowHeadings() {
        QFETCH(double, width);
        QFETCH(bool, whole);
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext is not installed");
        Report r;
        r.caption = QStringLiteral("[Prueba]");
        const int cols = r.addColumns({{0, width, Align::Left}, {40, 40, Align::Left}});
        r.addHeader(cols, {QStringLiteral("Nº puesto"), QStringLiteral("Fin")});
        ReportRenderer renderer(r, QStringLiteral("dd/MM/yyyy"), QStringLiteral("H:mm:ss"));
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("h.pdf"));
        QString error;
        QVERIFY2(renderer.writePdf(file, &error), qPrintable(error));
        QProcess p;
        p.start(pdftotext, {file, QStringLiteral("-")});
        QVERIFY(p.waitForFinished(30000));
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        QCOMPARE(text.contains(QStringLiteral("Nº puesto")), whole);
        QVERIFY(text.contains(QStringLiteral("Nº")));
    }

    void distinctLabels_data() {
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("all different") << QStringList{"A", "B"} << QStringList{"A", "B"};
        QTest::newRow("a repeat") << QStringList{"Bono", "Café", "Bono"}
                                  << QStringList{"Bono", "Café", "Bono (2)"};
        QTest::newRow("a repeat that meets a real label")
            << QStringList{"X", "X (2)", "X"} << QStringList{"X", "X (2)", "X (3)"};
    }
    void distinctLabels() {
        QFETCH(QStringList, labels);
        QFETCH(QStringList, shown);
        QCOMPARE(reports::distinctLabels(labels), shown);
    }

    void preview() {
        TfrmPreview preview(ReportRenderer(listing(rowsPerPage(true) + 10), QStringLiteral("dd/MM/yyyy"),
                                           QStringLiteral("H:mm:ss")));
        QCOMPARE(preview.windowTitle(), QStringLiteral("[Prueba]"));
        QVERIFY(preview.windowState() & Qt::WindowMaximized);
        preview.showPage(5);
        QCOMPARE(preview.currentPage(), 1);
        preview.showPage(-1);
        QCOMPARE(preview.currentPage(), 0);
        preview.setZoom(100);
        QCOMPARE(preview.zoom(), 4.0);
        QTemporaryDir dir;
        QVERIFY(preview.saveCsv(dir.filePath(QStringLiteral("l.csv"))));
        QFile csv(dir.filePath(QStringLiteral("l.csv")));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QVERIFY(csv.readAll().startsWith("\xEF\xBB\xBFUno;Dos\r\nfila 0;0\r\n"));
        QVERIFY(preview.savePdf(dir.filePath(QStringLiteral("l.pdf"))));
        QVERIFY(QFile(dir.filePath(QStringLiteral("l.pdf"))).size() > 0);
    }

    void stoppedPdfKeepsTheOlderFile() {
        ReportRenderer renderer(listing(200), QStringLiteral("dd/MM/yyyy"), QStringLiteral("H:mm:ss"));
        QVERIFY(renderer.pageCount() > 2);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("l.pdf"));
        QFile older(file);
        QVERIFY(older.open(QIODevice::WriteOnly));
        older.write("older");
        older.close();
        QString error;
        // Stopped after the second page, as the progress dialog's Cancel does.
        QVERIFY(!renderer.writePdf(file, &error, [](int done, int) { return done < 2; }));
        QFile kept(file);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("older"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("l.pdf")});
        // Written whole, it replaces the older file, private to its owner.
        QVERIFY2(renderer.writePdf(file, &error), qPrintable(error));
        QVERIFY(QFile(file).size() > 1000);
        QCOMPARE(QFile(file).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
                 QFileDevice::Permissions());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("l.pdf")});
    }

    void unwritablePdf() {
        ReportRenderer renderer(listing(1), QStringLiteral("dd/MM/yyyy"), QStringLiteral("H:mm:ss"));
        QString error;
        QVERIFY(!renderer.writePdf(QStringLiteral("/nonexistent/dir/x.pdf"), &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_MAIN(TestReportEngine)
#include "tst_reportengine.moc"
