#pragma once

#include "reports/reportrenderer.h"

#include <QDialog>
#include <QImage>

#include <vector>

class QAction;
class QLabel;
class QProgressBar;
class QScrollArea;
class QTimer;

namespace reports {

class PageView;

// The maximised print preview of a listing: page navigation, zoom, print,
// "Guardar PDF" and CSV export. Only the page on screen is painted. A
// listing still being read is read on in the background, a slice per turn
// of the event loop, with a progress bar and the page count growing;
// printing and the exports wait until it is whole.
class TfrmPreview : public QDialog {
    Q_OBJECT
public:
    TfrmPreview(ReportRenderer renderer, QWidget* parent = nullptr);

    const ReportRenderer& renderer() const { return m_renderer; }
    int currentPage() const { return m_page; }
    double zoom() const { return m_zoom; }
    void showPage(int page);
    void setZoom(double zoom);

    // The commands, also callable by tests with a file name.
    bool savePdf(const QString& fileName);
    bool saveCsv(const QString& fileName);

private:
    void print();
    void askPdf();
    void askCsv();
    void updateStatus();
    void readMore();

    ReportRenderer m_renderer;
    PageView* m_view = nullptr;
    QScrollArea* m_scroll = nullptr;
    QLabel* m_pageLabel = nullptr;
    int m_page = 0;
    double m_zoom = 1.0;
    QProgressBar* m_progress = nullptr;
    QTimer* m_reader = nullptr;
    std::vector<QAction*> m_wholeOnly;
};

// Shows a listing in its preview (modal, maximised).
void showPreview(QWidget* parent, ReportRenderer renderer);

// The standard box for a failed query: the database's text, caption "Error".
void showDatabaseError(QWidget* parent, const QString& text);

} // namespace reports
