#include "app/codigoscontroller.h"

#include "accounts/codigos.h"
#include "accounts/cuentas.h"
#include "accounts/frmbusqcue.h"
#include "accounts/frmcambioscuentas.h"
#include "accounts/frmcodigos.h"
#include "accounts/frmcodigoscaducidad.h"
#include "accounts/frmcodigosm.h"
#include "accounts/frmcodigostiempo.h"
#include "accounts/frmcolamovcuentas.h"
#include "admin/permisobox.h"
#include "admin/permisos.h"
#include "app/accountscontroller.h"
#include "app/dockmanager.h"
#include "app/frmmain.h"
#include "core/formatohora.h"
#include "sales/impresion.h"
#include "session/engine.h"
#include "store/datamodule.h"
#include "store/opciones.h"
#include "ui/listview.h"
#include "ui/messagebox.h"
#include "ui/messagetable.h"

#include <QAction>
#include <QDockWidget>
#include <QRandomGenerator>
#include <QScopeGuard>

CodigosController::CodigosController(ConsoleEngine& engine, TFrmMain& window, AccountsController& accounts,
                                     QObject* parent)
    : QObject(parent)
    , m_engine(engine)
    , m_window(window)
    , m_accounts(accounts) {
    m_codes = new TFrmcodigos(engine.context());
    // A station may not change the password of the code being edited: the
    // window's save would write the old one back.
    accounts.setCodigoEditingCheck(
        [this](const QString& login) { return !m_editing.isEmpty() && m_editing == login; });
    m_dock = new QDockWidget(m_codes->windowTitle(), &m_window);
    m_dock->setObjectName(QStringLiteral("FrmCod"));
    m_dock->setWidget(m_codes);
    QAction* view = m_window.action(QStringLiteral("verCodigos"));
    m_window.docks()->registerWindow(QStringLiteral("FrmCod"), m_dock, view);
    view->setEnabled(true);
    m_window.docks()->dock(m_dock, app::DockHost::Left);
    m_dock->hide();
    connect(m_dock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible)
            m_codes->refresh();
    });
    // A use period's end takes time off a code.
    connect(&m_engine, &ConsoleEngine::ticketsChanged, this, [this] {
        if (m_dock->isVisible())
            m_codes->seguir();
    });

    connect(m_codes, &TFrmcodigos::venderRequested, this, &CodigosController::venderCodigo);
    connect(m_codes, &TFrmcodigos::modificarRequested, this, &CodigosController::modificarCodigo);
    connect(m_codes, &TFrmcodigos::eliminarRequested, this, &CodigosController::eliminarCodigo);
    connect(m_codes, &TFrmcodigos::aumentarRequested, this, &CodigosController::aumentarTiempo);
    connect(m_codes, &TFrmcodigos::imprimirRequested, this, &CodigosController::imprimirLogin);
    connect(m_codes, &TFrmcodigos::buscarRequested, this, &CodigosController::buscar);
    connect(m_codes, &TFrmcodigos::caducadosRequested, this, &CodigosController::caducados);
    connect(m_codes, &TFrmcodigos::escritorioRequested, this, &CodigosController::escritorio);
    // The main window's time credit and the movement queue's "&Tiempo" for a code.
    connect(&accounts, &AccountsController::codigoTiempoRequested, this, [this](const QString& login) {
        m_codes->refresh();
        m_codes->selectLogin(login);
        aumentarTiempo(login);
    });
}

bool CodigosController::permitted(store::Permiso permiso, const QString& refusal) {
    return admin::permitido(&m_window, m_engine.context(), permiso, refusal);
}

void CodigosController::applyGrids(const store::Grids& g, const store::Opciones&) {
    m_codes->setColumnWidths({g.GRIDCODCOL0, g.GRIDCODCOL1, g.GRIDCODCOL2});
}

void CodigosController::captureGrids(store::Grids& g, store::Opciones&) const {
    storeWidths({&g.GRIDCODCOL0, &g.GRIDCODCOL1, &g.GRIDCODCOL2}, ui::columnWidths(m_codes->view(), 3));
}

void CodigosController::salesBooked() {
    m_codes->refresh();
    m_accounts.movementQueue()->refresh();
    emit m_engine.ticketsChanged();
}

void CodigosController::venderCodigo() {
    if (!permitted(store::Permiso::CUEADD))
        return;
    ConsoleContext& ctx = m_engine.context();
    try {
        const QSqlDatabase db = ctx.data->db();
        const store::Opciones o = store::readOpciones(db);
        if (!o.op3_3) {
            Tfrmcodigostiempo window(ctx, Tfrmcodigostiempo::Modo::Crear, std::nullopt, {}, &m_window);
            ui::execDialog(&window);
            const QString sold = window.lastSale().cuenta.Login;
            salesBooked();
            if (!sold.isEmpty())
                m_codes->selectLogin(sold);
            return;
        }
        QRandomGenerator random(quint32(QDateTime::currentMSecsSinceEpoch()));
        const accounts::CodigoResultado r =
            accounts::ventaAutomatica(db, random, ctx.currentOperator, ctx.clock->now());
        if (!r.ok()) {
            ui::showMessage(&m_window, accounts::codigosMessages(), r.messageKey, ui::Icon::Warning);
            return;
        }
        salesBooked();
        m_codes->selectLogin(r.cuenta.Login);
        if (!o.op3_4)
            return;
        const QString time = FormatoHora(r.cuenta.Bonotiempo);
        if (r.idTick > 0) {
            const QString credit = ctx.regional.formatCurrency(r.cuenta.credito);
            sales::imprimir(m_codes, ctx, [&](const sales::LayoutContext& c) {
                return sales::TicketCuenta(c, r.idTick, true, r.cuenta.Login, credit, time, r.cuenta.Pass);
            });
        } else {
            // No voucher, no ticket: the code's own receipt.
            sales::imprimir(m_codes, ctx, [&](const sales::LayoutContext& c) {
                return sales::ReciboCodigo(c, ctx.clock->now(), r.cuenta.Login, time, r.cuenta.Pass);
            });
        }
    } catch (const store::DatabaseError& e) {
        ui::showError(&m_window, e.text());
    }
}

void CodigosController::modificarCodigo(const QString& login) {
    if (!permitted(store::Permiso::CUEMOD))
        return;
    ConsoleContext& ctx = m_engine.context();
    try {
        const std::optional<store::Cuenta> c = accounts::cuentaPorLogin(ctx.data->db(), login);
        if (!c)
            return;
        // Without the permission the dates are only shown.
        const bool dates = admin::TienePermiso(ctx.data->db(), ctx.currentOperator,
                                               store::Permiso::MODFECHACAD) == admin::PermisoCheck::Allowed;
        m_editing = c->Login;
        const auto closed = qScopeGuard([this] { m_editing.clear(); });
        TFrmCodigosTiempo_m window(ctx, *c, dates, &m_window);
        if (ui::execDialog(&window) == QDialog::Accepted)
            m_codes->refresh();
    } catch (const store::DatabaseError& e) {
        ui::showError(&m_window, e.text());
    }
}

void CodigosController::eliminarCodigo(const QString& login) {
    const ui::MessageTable& texts = accounts::codigosMessages();
    if (!permitted(store::Permiso::CUEELI, texts.text(QStringLiteral("NoPermitida"))))
        return;
    if (ui::showMessage(&m_window, texts, QStringLiteral("EliminarRegistro"), ui::Icon::Question,
                        ui::Buttons::YesNo) != ui::Answer::Yes)
        return;
    try {
        const ConsoleContext& c = m_engine.context();
        if (!accounts::eliminarCodigo(c.data->db(), login, m_engine.puestos().loginsInUse(),
                                      c.currentOperator, c.clock->now()))
            ui::showMessage(&m_window, texts, QStringLiteral("CuentaUso"), ui::Icon::Warning);
    } catch (const store::DatabaseError& e) {
        ui::showError(&m_window, e.text());
    }
    m_codes->refresh();
}

void CodigosController::aumentarTiempo(const QString& login) {
    if (!permitted(store::Permiso::CUECRE))
        return;
    ConsoleContext& ctx = m_engine.context();
    try {
        const std::optional<store::Cuenta> c = accounts::cuentaPorLogin(ctx.data->db(), login);
        if (!c || c->Tipo != accounts::TipoCodigo)
            return;
        Tfrmcodigostiempo window(ctx, Tfrmcodigostiempo::Modo::Recargar, c, {}, &m_window);
        ui::execDialog(&window);
        salesBooked();
    } catch (const store::DatabaseError& e) {
        ui::showError(&m_window, e.text());
    }
}

void CodigosController::imprimirLogin(const QString& login) {
    if (!permitted(store::Permiso::IMPLOGPAS_1))
        return;
    ConsoleContext& ctx = m_engine.context();
    std::optional<store::Cuenta> c;
    try {
        c = accounts::cuentaPorLogin(ctx.data->db(), login);
    } catch (const store::DatabaseError& e) {
        ui::showError(&m_window, e.text());
        return;
    }
    if (!c)
        return;
    const QString time = FormatoHora(c->Bonotiempo);
    sales::imprimir(m_codes, ctx, [&](const sales::LayoutContext& lc) {
        return sales::ReciboCodigo(lc, ctx.clock->now(), c->Login, time, c->Pass);
    });
}

void CodigosController::buscar() {
    accounts::VistaBusqueda vista;
    vista.filtrar = [this](accounts::CampoBusqueda, const QString& typed, bool startsWith) {
        try {
            m_codes->model().setFiltro(typed, startsWith);
        } catch (const store::DatabaseError& e) {
            ui::showError(m_codes, e.text());
            return;
        }
        if (m_codes->model().rowCount() > 0)
            m_codes->selectLogin(m_codes->model().at(0).Login);
    };
    vista.actual = [this] { return m_codes->currentLogin(); };
    vista.seleccionar = [this](const QString& login) { m_codes->selectLogin(login); };
    TFrmbusqcod dialog(vista, m_codes);
    ui::execDialog(&dialog);
}

void CodigosController::caducados() {
    if (!permitted(store::Permiso::CUEELI, accounts::codigosMessages().text(QStringLiteral("NoPermitida"))))
        return;
    try {
        TFrmCodigoscaducidad dialog(
            m_engine.context(), accounts::Ambito::Codigos, m_engine.puestos().loginsInUse(),
            [this] { m_codes->refresh(); }, &m_window);
        ui::execDialog(&dialog);
    } catch (const store::DatabaseError& e) {
        ui::showError(&m_window, e.text());
    }
}

void CodigosController::escritorio(const QStringList& logins) {
    if (!permitted(store::Permiso::CUEMOD))
        return;
    try {
        Tfrmdesktopcue dialog(m_engine.context(), accounts::Ambito::Codigos, logins, &m_window);
        if (ui::execDialog(&dialog) == QDialog::Accepted)
            m_codes->refresh();
    } catch (const store::DatabaseError& e) {
        ui::showError(&m_window, e.text());
    }
}
