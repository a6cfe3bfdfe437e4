#include "reports/reportrenderer.h"

#include "store/privatefiles.h"

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryFile>

#include <filesystem>

#include <optional>

namespace reports {

namespace {

QFont fontFor(Row::Style style, double dpi) {
    QFont f(QStringLiteral("DejaVu Sans"));
    double points = 8;
    switch (style) {
    case Row::Style::Title:
        points = 14;
        f.setBold(true);
        break;
    case Row::Style::Subtitle:
        points = 10;
        break;
    case Row::Style::Heading:
    case Row::Style::Bold:
        f.setBold(true);
        break;
    case Row::Style::Normal:
        break;
    }
    f.setPixelSize(qMax(1, qRound(points * dpi / 72.0)));
    return f;
}

class Painter {
public:
    Painter(QPainter& p, const Report& report, double dpi)
        : m_p(p)
        , m_report(report)
        , m_scale(dpi / 25.4)
        , m_dpi(dpi) {}

    double px(double mm) const { return mm * m_scale; }

    void rows(const std::vector<Row>& rows, int from, int to, double& y) {
        for (int i = from; i < to; ++i) {
            row(rows[size_t(i)], y);
            y += PageGeometry::rowHeight(rows[size_t(i)].style);
        }
    }

    void row(const Row& r, double y) {
        const double h = PageGeometry::rowHeight(r.style);
        const Style& st = style(r.style);
        m_p.setFont(st.font);
        const QFontMetricsF& fm = st.metrics;
        // Text is placed on its baseline: much cheaper than laying it out in a rectangle.
        const double baseline = px(y) + (px(h) - fm.height()) / 2 + fm.ascent();
        const std::vector<Column>& cols = m_report.columnSets[size_t(r.columns)];
        for (int c = 0; c < r.cells.size() && c < int(cols.size()); ++c) {
            const QString& cell = r.cells.at(c);
            if (cell.isEmpty())
                continue;
            const Column& col = cols[size_t(c)];
            const double left = px(PageGeometry::margin + col.x);
            const double width = px(col.width);
            QString text = cell;
            double advance = fm.horizontalAdvance(text);
            std::optional<QFont> smaller;
            if (advance > width && r.style == Row::Style::Heading) {
                smaller = ReportRenderer::headingFont(st.font, cell, width, m_p.device());
                m_p.setFont(*smaller);
                advance = QFontMetricsF(*smaller, m_p.device()).horizontalAdvance(text);
            }
            if (advance > width) {
                const QFontMetricsF metrics = smaller ? QFontMetricsF(*smaller, m_p.device()) : fm;
                text = metrics.elidedText(cell, Qt::ElideRight, width);
                advance = metrics.horizontalAdvance(text);
            }
            double x = left;
            if (col.align == Align::Right)
                x = left + width - advance;
            else if (col.align == Align::Center)
                x = left + (width - advance) / 2;
            m_p.drawText(QPointF(x, baseline), text);
            if (smaller)
                m_p.setFont(st.font);
        }
        if (r.ruled) {
            m_p.setPen(QPen(Qt::black, qMax(1.0, px(0.2))));
            m_p.drawLine(QPointF(px(PageGeometry::margin), px(y + h - 0.4)),
                         QPointF(px(PageGeometry::margin + PageGeometry::printableWidth), px(y + h - 0.4)));
        }
    }

    void footer(const QString& left, const QString& right) {
        const double top = PageGeometry::height - PageGeometry::margin - PageGeometry::footerHeight;
        m_p.setPen(QPen(Qt::black, qMax(1.0, px(0.2))));
        m_p.drawLine(QPointF(px(PageGeometry::margin), px(top + 1)),
                     QPointF(px(PageGeometry::margin + PageGeometry::printableWidth), px(top + 1)));
        m_p.setFont(font(Row::Style::Normal));
        const QRectF rect(px(PageGeometry::margin), px(top + 2), px(PageGeometry::printableWidth),
                          px(PageGeometry::footerHeight - 2));
        m_p.drawText(rect, int(Qt::AlignLeft | Qt::AlignVCenter), left);
        m_p.drawText(rect, int(Qt::AlignRight | Qt::AlignVCenter), right);
    }

private:
    struct Style {
        QFont font;
        QFontMetricsF metrics;
    };
    const Style& style(Row::Style which) {
        std::optional<Style>& st = m_styles[int(which)];
        if (!st) {
            const QFont f = fontFor(which, m_dpi);
            st.emplace(Style{f, QFontMetricsF(f, m_p.device())});
        }
        return *st;
    }
    const QFont& font(Row::Style which) { return style(which).font; }

    QPainter& m_p;
    const Report& m_report;
    double m_scale;
    double m_dpi;
    std::optional<Style> m_styles[5];
};

} // namespace

QFont ReportRenderer::headingFont(const QFont& font, const QString& text, double width,
                                  const QPaintDevice* device) {
    QFont f = font;
    const int full = font.pixelSize();
    const int least = qMax(1, int(full * shrinkLimit));
    for (int size = full; size >= least; --size) {
        f.setPixelSize(size);
        if (QFontMetricsF(f, device).horizontalAdvance(text) <= width)
            return f;
    }
    return f;
}

ReportRenderer::ReportRenderer(Report report, QString shortDateFormat, QString longTimeFormat)
    : m_report(std::move(report))
    , m_shortDate(std::move(shortDateFormat))
    , m_longTime(std::move(longTimeFormat))
    , m_paginator(m_report) {
    m_paginator.finish(m_report);
}

ReportRenderer::ReportRenderer(Report report, QString shortDateFormat, QString longTimeFormat,
                               std::shared_ptr<ReportSource> source)
    : m_report(std::move(report))
    , m_shortDate(std::move(shortDateFormat))
    , m_longTime(std::move(longTimeFormat))
    , m_paginator(m_report)
    , m_source(std::move(source)) {
    if (m_source)
        m_paginator.add(m_report);
    else
        m_paginator.finish(m_report);
}

bool ReportRenderer::extend() {
    if (!m_source)
        return false;
    if (m_source->next(m_report)) {
        m_paginator.add(m_report);
        return true;
    }
    m_source.reset();
    m_paginator.finish(m_report);
    return false;
}

void ReportRenderer::paintPage(QPainter& painter, int page, double dpi) const {
    if (page < 0 || page >= pageCount())
        return;
    const Page& pg = pages()[size_t(page)];
    painter.save();
    painter.setPen(Qt::black);
    Painter p(painter, m_report, dpi);
    double y = PageGeometry::margin;
    if (pg.title)
        p.rows(m_report.title, 0, int(m_report.title.size()), y);
    p.rows(m_report.pageHeader, 0, int(m_report.pageHeader.size()), y);
    for (const Slice& s : pg.slices)
        p.rows(m_report.body[size_t(s.group)].rows, s.firstRow, s.endRow, y);
    if (pg.summary)
        p.rows(m_report.summary, 0, int(m_report.summary.size()), y);
    p.footer(printedText(m_report, m_shortDate, m_longTime), pageNumberText(page + 1, pageCount()));
    painter.restore();
}

bool ReportRenderer::paintAll(QPagedPaintDevice& device, double dpi, const Progress& progress) const {
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    for (int i = 0; i < pageCount(); ++i) {
        if (i > 0 && !device.newPage())
            return false;
        paintPage(painter, i, dpi);
        if (progress && !progress(i + 1, pageCount())) {
            painter.end();
            return false;
        }
    }
    return painter.end();
}

bool ReportRenderer::writePdf(const QString& fileName, QString* error, const Progress& progress) const {
    // Pages go to a temporary file beside the destination, made private as
    // it is created, and take the name only when the last page is written: a
    // cancelled or failed export leaves no half PDF and never destroys an
    // older file of that name.
    QTemporaryFile partial(QFileInfo(fileName).absolutePath() + QStringLiteral("/.quintor-pdf-XXXXXX"));
    if (!partial.open()) {
        if (error)
            *error = partial.errorString();
        return false;
    }
    {
        QPdfWriter writer(&partial);
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
        writer.setTitle(m_report.caption);
        writer.setCreator(QStringLiteral("Quintor"));
        if (!paintAll(writer, writer.resolution(), progress)) {
            if (error)
                *error = QStringLiteral("No se pudo escribir el PDF.");
            return false;
        }
    }
    if (!partial.flush()) {
        if (error)
            *error = partial.errorString();
        return false;
    }
    std::error_code renamed;
    std::filesystem::rename(QFile::encodeName(partial.fileName()).toStdString(),
                            QFile::encodeName(fileName).toStdString(), renamed);
    if (renamed) {
        if (error)
            *error = QString::fromLocal8Bit(renamed.message().c_str());
        return false;
    }
    partial.setAutoRemove(false);
    // Listings name customers and amounts: the owner's, as the database is.
    store::makePrivate(fileName);
    return true;
}

QString ReportRenderer::text() const {
    return toText(m_report, pages(), m_shortDate, m_longTime);
}

} // namespace reports
