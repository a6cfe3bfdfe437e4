#pragma once

#include "reports/report.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QFont;
class QPaintDevice;
class QPainter;
class QPagedPaintDevice;

namespace reports {

// Draws a laid-out report with QPainter: one page at a time, at any
// resolution, so the preview paints only what it shows and a PDF or a
// printer gets the same pages.
class ReportRenderer {
public:
    ReportRenderer(Report report, QString shortDateFormat, QString longTimeFormat);
    // A report still to be read from source, its first part already in report.
    ReportRenderer(Report report, QString shortDateFormat, QString longTimeFormat,
                   std::shared_ptr<ReportSource> source);

    const Report& report() const { return m_report; }
    const std::vector<Page>& pages() const { return m_paginator.pages(); }
    int pageCount() const { return int(pages().size()); }

    // Whether every part has been read and laid out; printing, PDF and CSV
    // wait for it.
    bool complete() const { return !m_source; }
    const ReportSource* source() const { return m_source.get(); }
    // Reads and lays out the next part; false once complete. Throws what
    // the source throws, and then stays as it was.
    bool extend();

    // Paints page (0-based) with the sheet's top-left corner at the painter's
    // origin, dpi device pixels to the inch.
    void paintPage(QPainter& painter, int page, double dpi) const;

    // Called after each page; answering false stops the output.
    using Progress = std::function<bool(int done, int total)>;
    // Every page into a paged device (a QPdfWriter or a QPrinter) whose
    // painter origin is the sheet's corner. False when stopped or the device fails.
    bool paintAll(QPagedPaintDevice& device, double dpi, const Progress& progress = {}) const;
    // An A4 PDF of every page; false with a reason when it cannot be written.
    bool writePdf(const QString& fileName, QString* error, const Progress& progress = {}) const;

    QString text() const;

    // A column title wider than its column is drawn in a smaller size of its
    // font, down to shrinkLimit of it, rather than cut; the font to draw it with.
    static constexpr double shrinkLimit = 0.6;
    static QFont headingFont(const QFont& font, const QString& text, double width,
                             const QPaintDevice* device);

private:
    Report m_report;
    QString m_shortDate;
    QString m_longTime;
    Paginator m_paginator;
    std::shared_ptr<ReportSource> m_source;
};

} // namespace reports
