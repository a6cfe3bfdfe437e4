#include "app/reportscontroller.h"

#include "admin/permisobox.h"
#include "app/frmmain.h"
#include "core/consolecontext.h"
#include "reports/frmauditoria.h"
#include "reports/frmlistados.h"
#include "sales/frmlisttik.h"
#include "sales/turnospage.h"
#include "store/datamodule.h"
#include "ui/messagebox.h"
#include "ui/messagetable.h"

#include <QAction>

#include <memory>

namespace {

struct Entry {
    const char* action;
    store::Permiso permiso;
};

const Entry entries[] = {
    {"listadoTickets", store::Permiso::LISTADO1}, {"listadoActividad", store::Permiso::LISTADO2},
    {"listadoCuentas", store::Permiso::LISTADO3}, {"listadoMovimientos", store::Permiso::LISTADO4},
    {"cajaDiaria", store::Permiso::INFORME1},     {"estadClientes", store::Permiso::INFORME2},
    {"estadPuestos", store::Permiso::INFORME3},   {"ventasArticulos", store::Permiso::INFORME4},
    {"ventasBonos", store::Permiso::INFORME5},    {"auditoria", store::Permiso::AUDITORIA},
};

std::unique_ptr<reports::ListadoWindow> listado(const QString& name, ConsoleContext& c, QWidget* parent) {
    using namespace reports;
    if (name == QLatin1String("listadoTickets"))
        return std::make_unique<Tfrmlstgentick>(c, parent);
    if (name == QLatin1String("listadoActividad"))
        return std::make_unique<Tfrmlstciber>(c, parent);
    if (name == QLatin1String("listadoCuentas"))
        return std::make_unique<Tfrmlistcuentas>(c, parent);
    if (name == QLatin1String("listadoMovimientos"))
        return std::make_unique<Tfrmlstmovcue>(c, parent);
    if (name == QLatin1String("estadClientes"))
        return std::make_unique<Tfrmestclientes>(c, parent);
    if (name == QLatin1String("estadPuestos"))
        return std::make_unique<TFrmestpuestos>(c, parent);
    if (name == QLatin1String("ventasArticulos"))
        return std::make_unique<Tfrmestventas>(c, parent);
    if (name == QLatin1String("ventasBonos"))
        return std::make_unique<Tfrmestbonos>(c, parent);
    if (name == QLatin1String("auditoria"))
        return std::make_unique<TfrmAuditoria>(c, parent);
    return nullptr;
}

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
    return admin::permitido(&m_window, m_context, permiso);
}

void ReportsController::setCajaMailer(std::function<void(const QStringList& html)> mailer) {
    m_cajaMailer = std::move(mailer);
    if (m_caja)
        m_caja->setMailer(m_cajaMailer);
}

bool ReportsController::open(const QString& actionName) {
    const Entry* entry = nullptr;
    for (const Entry& e : entries)
        if (actionName == QLatin1String(e.action))
            entry = &e;
    if (!entry || !permitted(entry->permiso))
        return false;
    if (actionName == QLatin1String("cajaDiaria")) {
        if (!m_caja) {
            m_caja = new Tfrmlisttik(m_context, &m_window);
            m_caja->setMailer(m_cajaMailer);
        }
        m_caja->prepare();
        ui::execDialog(m_caja);
        return true;
    }
    if (std::unique_ptr<reports::ListadoWindow> w = listado(actionName, m_context, &m_window)) {
        w->prepare();
        ui::execDialog(w.get());
    }
    return true;
}
