#include "app/helpcontroller.h"

#include "app/frmayuda.h"
#include "app/frmmain.h"
#include "app/manual.h"
#include "ui/messagebox.h"

#include <QAction>
#include <QDesktopServices>
#include <QUrl>

HelpController::HelpController(TFrmMain& window, QObject* parent)
    : QObject(parent)
    , m_window(window)
    , m_folder(app::manualFolder())
    , m_opener([](const QUrl& url) { return app::desktopHasBrowser() && QDesktopServices::openUrl(url); }) {
    if (QAction* a = m_window.action(QStringLiteral("ayuda"))) {
        a->setEnabled(true);
        connect(a, &QAction::triggered, this, &HelpController::ayuda);
    }
}

HelpController::~HelpController() {
    delete m_viewer;
}

TFrmAyuda* HelpController::viewer() const {
    return m_viewer;
}

void HelpController::ayuda() {
    const QString index = app::manualIndex(m_folder, ui::language());
    if (index.isEmpty()) {
        ui::showMessage(&m_window, TFrmAyuda::messages(), QStringLiteral("NoManual"), ui::Icon::Warning);
        return;
    }
    if (m_opener && m_opener(QUrl::fromLocalFile(index)))
        return;
    if (!m_viewer)
        m_viewer = new TFrmAyuda;
    m_viewer->showPage(index);
    m_viewer->show();
    m_viewer->raise();
    m_viewer->activateWindow();
}
