#include "reports/frmpreview.h"

#include "store/privatefiles.h"
#include "store/sql.h"
#include "ui/messagebox.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QKeySequence>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QProgressDialog>
#include <QScreen>
#include <QScrollArea>
#include <QStringConverter>
#include <QTextStream>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace reports {

// One page at the chosen zoom; the image is drawn when the page or the zoom changes.
class PageView : public QWidget {
public:
    explicit PageView(QWidget* parent)
        : QWidget(parent) {}

    void render(const ReportRenderer& renderer, int page, double zoom) {
        const double dpi = 96.0 * zoom * devicePixelRatioF();
        const QSize size(qRound(PageGeometry::width / 25.4 * dpi), qRound(PageGeometry::height / 25.4 * dpi));
        m_image = QImage(size, QImage::Format_RGB32);
        m_image.setDevicePixelRatio(devicePixelRatioF());
        m_image.fill(Qt::white);
        QPainter p(&m_image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        renderer.paintPage(p, page, dpi);
        p.end();
        setFixedSize(m_image.deviceIndependentSize().toSize());
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(0, 0, m_image);
    }

private:
    QImage m_image;
};

TfrmPreview::TfrmPreview(ReportRenderer renderer, QWidget* parent)
    : QDialog(parent)
    , m_renderer(std::move(renderer)) {
    setObjectName(QStringLiteral("TfrmPreview"));
    setWindowTitle(m_renderer.report().caption);
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QToolBar(this);
    layout->addWidget(bar);
    auto add = [&](const QString& text, const QString& name, const QKeySequence& key, auto slot) {
        QAction* a = bar->addAction(text);
        a->setObjectName(name);
        if (!key.isEmpty())
            a->setShortcut(key);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    m_wholeOnly = {
        add(QStringLiteral("&Imprimir"), QStringLiteral("imprimir"), QKeySequence::Print,
            [this] { print(); }),
        add(QStringLiteral("Guardar PDF"), QStringLiteral("guardarPdf"), QKeySequence::Save,
            [this] { askPdf(); }),
        add(QStringLiteral("Exportar CSV"), QStringLiteral("exportarCsv"), {}, [this] { askCsv(); })};
    bar->addSeparator();
    add(QStringLiteral("|<"), QStringLiteral("primera"), QKeySequence(Qt::CTRL | Qt::Key_Home),
        [this] { showPage(0); });
    add(QStringLiteral("<"), QStringLiteral("anterior"), QKeySequence(Qt::Key_PageUp),
        [this] { showPage(m_page - 1); });
    m_pageLabel = new QLabel(this);
    m_pageLabel->setObjectName(QStringLiteral("pagina"));
    m_pageLabel->setMinimumWidth(120);
    m_pageLabel->setAlignment(Qt::AlignCenter);
    bar->addWidget(m_pageLabel);
    add(QStringLiteral(">"), QStringLiteral("siguiente"), QKeySequence(Qt::Key_PageDown),
        [this] { showPage(m_page + 1); });
    add(QStringLiteral(">|"), QStringLiteral("ultima"), QKeySequence(Qt::CTRL | Qt::Key_End),
        [this] { showPage(m_renderer.pageCount() - 1); });
    bar->addSeparator();
    add(QStringLiteral("Zoom +"), QStringLiteral("zoomMas"), QKeySequence::ZoomIn,
        [this] { setZoom(m_zoom * 1.25); });
    add(QStringLiteral("Zoom -"), QStringLiteral("zoomMenos"), QKeySequence::ZoomOut,
        [this] { setZoom(m_zoom / 1.25); });
    add(QStringLiteral("100%"), QStringLiteral("zoom100"), {}, [this] { setZoom(1.0); });
    bar->addSeparator();
    add(QStringLiteral("&Cerrar"), QStringLiteral("cerrar"), QKeySequence(Qt::Key_Escape),
        [this] { accept(); });

    m_scroll = new QScrollArea(this);
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_view = new PageView(m_scroll);
    m_scroll->setWidget(m_view);
    layout->addWidget(m_scroll, 1);

    if (!m_renderer.complete()) {
        for (QAction* a : m_wholeOnly)
            a->setEnabled(false);
        bar->addSeparator();
        m_progress = new QProgressBar(this);
        m_progress->setObjectName(QStringLiteral("lectura"));
        m_progress->setFormat(QStringLiteral("Leyendo... %p%"));
        m_progress->setMaximumWidth(220);
        bar->addWidget(m_progress);
        m_reader = new QTimer(this);
        m_reader->setSingleShot(true);
        connect(m_reader, &QTimer::timeout, this, [this] { readMore(); });
        m_reader->start(0);
    }
    showPage(0);
    setWindowState(windowState() | Qt::WindowMaximized);
}

void TfrmPreview::readMore() {
    // A slice at a time, so scrolling and the page buttons stay quick.
    QElapsedTimer slice;
    slice.start();
    const int lastPage = m_renderer.pageCount() - 1;
    try {
        while (m_renderer.extend() && slice.elapsed() < 40) {
        }
    } catch (const store::DatabaseError& e) {
        // What was read stays on screen; an incomplete listing is not printed.
        m_progress->setFormat(QStringLiteral("Listado incompleto"));
        updateStatus();
        showDatabaseError(this, e.text());
        return;
    }
    if (const ReportSource* source = m_renderer.source()) {
        m_progress->setRange(0, qMax(1, source->total()));
        m_progress->setValue(source->done());
        m_reader->start(0);
    } else {
        m_progress->hide();
        for (QAction* a : m_wholeOnly)
            a->setEnabled(true);
    }
    // The page on screen was the last one and may have grown; once whole,
    // every footer's page count is final.
    if (m_page == lastPage || m_renderer.complete())
        showPage(m_page);
    else
        updateStatus();
}

void TfrmPreview::showPage(int page) {
    m_page = qBound(0, page, m_renderer.pageCount() - 1);
    m_view->render(m_renderer, m_page, m_zoom);
    updateStatus();
}

void TfrmPreview::setZoom(double zoom) {
    m_zoom = qBound(0.25, zoom, 4.0);
    showPage(m_page);
}

void TfrmPreview::updateStatus() {
    QString text = pageNumberText(m_page + 1, m_renderer.pageCount());
    if (!m_renderer.complete())
        text += QStringLiteral("...");
    m_pageLabel->setText(text);
}

void TfrmPreview::print() {
    if (!m_renderer.complete())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setFullPage(true);
    printer.setDocName(m_renderer.report().caption);
    QPrintDialog dialog(&printer, this);
    if (ui::execDialog(&dialog) != QDialog::Accepted)
        return;
    QProgressDialog progress(QStringLiteral("Imprimiendo..."), QStringLiteral("&Cancelar"), 0,
                             m_renderer.pageCount(), this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    m_renderer.paintAll(printer, printer.resolution(), [&](int done, int) {
        progress.setValue(done);
        return !progress.wasCanceled();
    });
}

bool TfrmPreview::savePdf(const QString& fileName) {
    if (!m_renderer.complete())
        return false;
    QProgressDialog progress(QStringLiteral("Guardando PDF..."), QStringLiteral("&Cancelar"), 0,
                             m_renderer.pageCount(), this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    QString error;
    const bool ok = m_renderer.writePdf(fileName, &error, [&](int done, int) {
        progress.setValue(done);
        return !progress.wasCanceled();
    });
    if (!ok && !progress.wasCanceled())
        ui::showMessage(this, ui::MessageRequest{QStringLiteral("Error"),
                                                 QStringLiteral("No se pudo guardar el PDF ") + fileName +
                                                     QStringLiteral(": ") + error,
                                                 ui::Icon::Error, ui::Buttons::Ok});
    return ok;
}

bool TfrmPreview::saveCsv(const QString& fileName) {
    if (!m_renderer.complete())
        return false;
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        !store::makePrivate(fileName)) {
        ui::showMessage(this, ui::MessageRequest{QStringLiteral("Error"),
                                                 QStringLiteral("No se pudo guardar el CSV ") + fileName +
                                                     QStringLiteral(": ") + file.errorString(),
                                                 ui::Icon::Error, ui::Buttons::Ok});
        return false;
    }
    // A byte-order mark, so spreadsheet programs read the accents right.
    file.write("\xEF\xBB\xBF");
    file.write(toCsv(m_renderer.report()).toUtf8());
    return file.flush();
}

void TfrmPreview::askPdf() {
    const QString name = QFileDialog::getSaveFileName(this, QStringLiteral("Guardar PDF"), QString(),
                                                      QStringLiteral("PDF (*.pdf)"));
    if (!name.isEmpty())
        savePdf(name.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive) ? name
                                                                          : name + QStringLiteral(".pdf"));
}

void TfrmPreview::askCsv() {
    const QString name = QFileDialog::getSaveFileName(this, QStringLiteral("Exportar CSV"), QString(),
                                                      QStringLiteral("CSV (*.csv)"));
    if (!name.isEmpty())
        saveCsv(name.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive) ? name
                                                                          : name + QStringLiteral(".csv"));
}

void showPreview(QWidget* parent, ReportRenderer renderer) {
    TfrmPreview preview(std::move(renderer), parent);
    ui::execDialog(&preview);
}

void showDatabaseError(QWidget* parent, const QString& text) {
    ui::showMessage(parent,
                    ui::MessageRequest{QStringLiteral("Error"), text, ui::Icon::Error, ui::Buttons::Ok});
}

} // namespace reports
