#include "app/aboutcontroller.h"

#include "app/frmacercade.h"
#include "app/frmmain.h"
#include "core/consolecontext.h"
#include "store/datamodule.h"
#include "ui/messagebox.h"

#include <QAction>
#include <QSqlDatabase>

AboutController::AboutController(ConsoleContext& context, TFrmMain& window, QObject* parent)
    : QObject(parent)
    , m_context(context)
    , m_window(window) {
    if (QAction* a = m_window.action(QStringLiteral("acercaDe"))) {
        a->setEnabled(true);
        connect(a, &QAction::triggered, this, &AboutController::acercaDe);
    }
}

void AboutController::acercaDe() {
    TFrmAcercaDe dialog(m_context.data ? m_context.data->db() : QSqlDatabase(), &m_window);
    ui::execDialog(&dialog);
}
