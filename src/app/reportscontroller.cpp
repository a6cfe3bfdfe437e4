#include "app/reportscontroller.h"

#include "admin/permisos.h"
#include "app/frmmain.h"
#include "core/consolecontext.h"
#include "sales/frmlisttik.h"
#include "sales/turnospage.h"
#include "store/datamodule.h"
#include "ui/messagebox.h"
#include "ui/messagetable.h"

#include <QAction>

namespace {

struct Entry {
    const char* action;
    store::Permiso permiso;
};

const Entry entries[] = {
    {"cajaDiaria", store::Permiso::INFORME1},
};

} // namespace

ReportsController::ReportsController(ConsoleContext& context, TFrmMain& window, QObject* parent)
    : QObject(parent)
    , m_context(context)
    , m_window(window) {
    ui::registerOpcionesPage(10, [](ConsoleContext& c, QWidget* page) -> ui::OpcionesPage* {
        return new TurnosPage(c.data->db(), page);
    });
    for (const Entry& e : entries) {
        const QString name = QString::fromLatin1(e.action);
        if (QAction* a = m_window.action(name)) {
            a->setEnabled(true);
            connect(a, &QAction::triggered, this, [this, name] { open(name); });
        }
    }
}

ReportsController::~ReportsController() {
    delete m_caja;
}

bool ReportsController::permitted(store::Permiso permiso) {
    const admin::PermisoCheck check =
        admin::TienePermiso(m_context.data->db(), m_context.currentOperator, permiso);
    if (check == admin::PermisoCheck::Allowed)
        return true;
    if (check == admin::PermisoCheck::Refused)
        ui::showRefusal(&m_window, m_context.currentOperator,
                        ui::commonMessages().text(admin::refusalKey(permiso)));
    return false;
}

bool ReportsController::open(const QString& actionName) {
    const Entry* entry = nullptr;
    for (const Entry& e : entries)
        if (actionName == QLatin1String(e.action))
            entry = &e;
    if (!entry || !permitted(entry->permiso))
        return false;
    if (actionName == QLatin1String("cajaDiaria")) {
        if (!m_caja)
            m_caja = new Tfrmlisttik(m_context, &m_window);
        m_caja->prepare();
        ui::execDialog(m_caja);
    }
    return true;
}
