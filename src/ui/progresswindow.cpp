#include "ui/progresswindow.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace ui {

ProgressWindow::ProgressWindow(QWidget* parent, const QString& caption)
    : m_parent(parent)
    , m_caption(caption.isEmpty() ? QStringLiteral("Quintor") : caption) {}

ProgressWindow::~ProgressWindow() = default;

void ProgressWindow::begin(int maximum) {
    m_dialog = std::make_unique<QProgressDialog>(m_parent, Qt::WindowStaysOnTopHint);
    m_dialog->setObjectName(QStringLiteral("progressWindow"));
    m_dialog->setWindowTitle(m_caption);
    m_dialog->setCancelButton(nullptr);
    m_dialog->setMinimumDuration(0);
    m_dialog->setAutoReset(false);
    m_dialog->setAutoClose(false);
    m_dialog->setRange(0, qMax(1, maximum));
    m_dialog->setValue(0);
    m_dialog->show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ProgressWindow::step() {
    if (!m_dialog)
        return;
    m_dialog->setValue(qMin(m_dialog->maximum(), m_dialog->value() + 1));
    // Repaint now and then, never per row of a large registry.
    if (m_dialog->value() % 64 == 0)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ProgressWindow::end() {
    m_dialog.reset();
}

int ProgressWindow::value() const {
    return m_dialog ? m_dialog->value() : 0;
}
int ProgressWindow::maximum() const {
    return m_dialog ? m_dialog->maximum() : 0;
}
bool ProgressWindow::isShown() const {
    return m_dialog && m_dialog->isVisible();
}

} // namespace ui
