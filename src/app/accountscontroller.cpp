#include "app/accountscontroller.h"

#include "accounts/abrircorreo.h"
#include "accounts/accountdecisions.h"
#include "accounts/correo.h"
#include "accounts/cuentas.h"
#include "accounts/frmcambioscuentas.h"
#include "accounts/frmcodigoscaducidad.h"
#include "accounts/frmcolamovcuentas.h"
#include "accounts/frmmodusr.h"
#include "accounts/frmmovcue.h"
#include "accounts/frmusr.h"
#include "admin/permisobox.h"
#include "app/dockmanager.h"
#include "app/frmmain.h"
#include "app/stationcontroller.h"
#include "sales/impresion.h"
#include "session/engine.h"
#include "store/computed.h"
#include "store/datamodule.h"
#include "ui/listview.h"
#include "ui/messagebox.h"
#include "ui/messagetable.h"

#include <QAction>
#include <QDockWidget>
#include <QScopeGuard>

AccountsController::AccountsController(ConsoleEngine& engine, TFrmMain& window, StationController& stations,
                                       QObject* parent)
    : QObject(parent)
    , m_engine(engine)
    , m_window(window) {
    m_decisions = std::make_unique<accounts::AccountDecisions>(
        engine.context(), engine.tarifas(), engine.puestos().loginsInUse(),
        [this](const station::MessageQueueRow& row) { m_engine.mensajes().append(row); });
    engine.setAccountDecisions(m_decisions.get());
    // A station may not change the password of the account being edited:
    // the window's save would write the old one back.
    m_decisions->setEditingCheck([this](const QString& login, bool timeCode) {
        if (timeCode)
            return m_codigoEditing && m_codigoEditing(login);
        return !m_editing.isEmpty() && m_editing == login;
    });

    m_queueModel = new accounts::MovimientosPendientesModel(engine.context(), this);
    m_queue = new TFrmcolamovcuentas(engine.context(), *m_queueModel);
    m_queueDock = new QDockWidget(m_queue->windowTitle(), &m_window);
    m_queueDock->setObjectName(QStringLiteral("Frmcolamovcuentas"));
    m_queueDock->setWidget(m_queue);
    QAction* view = m_window.action(QStringLiteral("verMovimientos"));
    m_window.docks()->registerWindow(QStringLiteral("FrmColMov"), m_queueDock, view);
    view->setEnabled(true);
    m_window.docks()->dock(m_queueDock, app::DockHost::Bottom);
    m_queueDock->hide();
    // A period's settlement is booked with its ticket.
    connect(&m_engine, &ConsoleEngine::ticketsChanged, m_queue, &TFrmcolamovcuentas::refresh);
    connect(m_queueDock, &QDockWidget::visibilityChanged, m_queue, [this](bool visible) {
        if (visible)
            m_queue->refresh();
    });
    connect(m_queue, &TFrmcolamovcuentas::dineroRequested, this, &AccountsController::abrirMetalico);
    connect(m_queue, &TFrmcolamovcuentas::tiempoRequested, this, &AccountsController::abrirTiempo);

    m_accounts = new TFrmusr(engine.context());
    m_accountsDock = new QDockWidget(m_accounts->windowTitle(), &m_window);
    m_accountsDock->setObjectName(QStringLiteral("Frmusr"));
    m_accountsDock->setWidget(m_accounts);
    QAction* viewAccounts = m_window.action(QStringLiteral("verCuentas"));
    m_window.docks()->registerWindow(QStringLiteral("FrmUsr"), m_accountsDock, viewAccounts);
    viewAccounts->setEnabled(true);
    m_window.docks()->dock(m_accountsDock, app::DockHost::Left);
    m_accountsDock->hide();
    connect(m_accountsDock, &QDockWidget::visibilityChanged, m_accounts, [this](bool visible) {
        if (visible)
            m_accounts->refresh();
    });
    connect(&m_engine, &ConsoleEngine::ticketsChanged, m_accounts, [this] {
        if (m_accountsDock->isVisible())
            m_accounts->seguir();
    });
    connect(m_accounts, &TFrmusr::anadirRequested, this, &AccountsController::anadirCuenta);
    connect(m_accounts, &TFrmusr::modificarRequested, this, &AccountsController::modificarCuenta);
    connect(m_accounts, &TFrmusr::eliminarRequested, this, &AccountsController::eliminarCuenta);
    connect(m_accounts, &TFrmusr::imprimirRequested, this, &AccountsController::imprimirLogin);
    connect(m_accounts, &TFrmusr::metalicoRequested, this, &AccountsController::abrirMetalico);
    connect(m_accounts, &TFrmusr::tiempoRequested, this, &AccountsController::abrirTiempo);
    connect(m_accounts, &TFrmusr::caducadasRequested, this, &AccountsController::eliminarCaducadas);
    connect(m_accounts, &TFrmusr::tarifasRequested, this, &AccountsController::editarTarifas);
    connect(m_accounts, &TFrmusr::escritorioRequested, this, &AccountsController::editarEscritorio);
    connect(m_accounts, &TFrmusr::emailRequested, this, &AccountsController::enviarEmail);

    connect(m_window.action(QStringLiteral("creditoMetalico")), &QAction::triggered, this,
            &AccountsController::creditoMetalicoPuesto);
    connect(m_window.action(QStringLiteral("creditoTiempo")), &QAction::triggered, this,
            &AccountsController::creditoTiempoPuesto);
    stations.setCommandAvailable(QStringLiteral("creditoMetalico"), true);
    stations.setCommandAvailable(QStringLiteral("creditoTiempo"), true);
}

// Built after the engine and gone before it, so the engine never holds a
// dangling decisions object.
AccountsController::~AccountsController() = default;

void AccountsController::applyGrids(const store::Grids& g, const store::Opciones& o) {
    m_queue->setColumnWidths(
        {g.GRID2COL0, g.GRID2COL1, g.GRID2COL2, g.GRID2COL3, g.GRID2COL4, g.GRID2COL5, g.GRID2COL6});
    m_accounts->setColumnWidths(
        {g.GRIDCUECOL0, g.GRIDCUECOL1, g.GRIDCUECOL2, g.GRIDCUECOL3, g.GRIDCUECOL4, g.GRIDCUECOL5});
    m_queue->setAscending(o.inf);
}

void AccountsController::captureGrids(store::Grids& g, store::Opciones& o) const {
    storeWidths(
        {&g.GRID2COL0, &g.GRID2COL1, &g.GRID2COL2, &g.GRID2COL3, &g.GRID2COL4, &g.GRID2COL5, &g.GRID2COL6},
        ui::columnWidths(m_queue->view(), 7));
    storeWidths(
        {&g.GRIDCUECOL0, &g.GRIDCUECOL1, &g.GRIDCUECOL2, &g.GRIDCUECOL3, &g.GRIDCUECOL4, &g.GRIDCUECOL5},
        ui::columnWidths(m_accounts->view(), 6));
    o.inf = m_queue->ascending();
}

bool AccountsController::permitted(store::Permiso permiso) {
    return admin::permitido(&m_window, m_engine.context(), permiso);
}

void AccountsController::showError(const QString& text) {
    ui::showMessage(&m_window, ui::MessageRequest{ui::commonMessages().text(QStringLiteral("Atencion")), text,
                                                  ui::Icon::Error, ui::Buttons::Ok});
}

void AccountsController::creditChanged(const store::Cuenta&) {
    // The station where the account is logged in followed inside the save.
    m_queue->refresh();
    m_accounts->refresh();
}

void AccountsController::anadirCuenta() {
    if (!permitted(store::Permiso::CUEADD))
        return;
    try {
        TFrmModusr window(m_engine.context(), m_engine.tarifas(), &m_window);
        if (ui::execDialog(&window) == QDialog::Accepted) {
            m_accounts->refresh();
            m_queue->refresh();
            emit m_engine.ticketsChanged();
        }
    } catch (const store::DatabaseError& e) {
        showError(e.text());
    }
}

void AccountsController::modificarCuenta(const QString& login) {
    if (!permitted(store::Permiso::CUEMOD))
        return;
    ConsoleContext& ctx = m_engine.context();
    try {
        const std::optional<store::Cuenta> c = accounts::cuentaPorLogin(ctx.data->db(), login);
        if (!c)
            return;
        TFrmModusr window(ctx, m_engine.tarifas(), *c, m_engine.puestos().loginsInUse().contains(c->Login),
                          &m_window);
        window.setOnSaved([this](const store::Cuenta& saved) { creditChanged(saved); });
        window.setMovementWindows([this](const QString& l) { abrirMetalico(l); },
                                  [this](const QString& l) { abrirTiempo(l); });
        m_editing = c->Login;
        const auto closed = qScopeGuard([this] { m_editing.clear(); });
        ui::execDialog(&window);
    } catch (const store::DatabaseError& e) {
        showError(e.text());
    }
    m_accounts->refresh();
}

void AccountsController::enviarEmail(const QStringList& logins) {
    QStringList emails;
    try {
        emails = accounts::emailsDeCuentas(m_engine.context().data->db(), logins);
    } catch (const store::DatabaseError& e) {
        showError(e.text());
        return;
    }
    accounts::abrirCorreo(m_accounts, emails);
}

void AccountsController::setCodigoEditingCheck(std::function<bool(const QString&)> check) {
    m_codigoEditing = std::move(check);
}

void AccountsController::imprimirLogin(const QString& login) {
    if (!permitted(store::Permiso::IMPLOGPAS))
        return;
    ConsoleContext& context = m_engine.context();
    std::optional<store::Cuenta> cuenta;
    try {
        cuenta = accounts::cuentaPorLogin(context.data->db(), login);
    } catch (const store::DatabaseError& e) {
        showError(e.text());
        return;
    }
    if (!cuenta)
        return;
    const QString credit = context.regional.formatCurrency(cuenta->credito);
    const QString time = store::bonotiempostr(*cuenta);
    sales::imprimir(m_accounts, context, [&](const sales::LayoutContext& c) {
        return sales::ReciboCuenta(c, context.clock->now(), cuenta->Login, cuenta->Pass, credit, time);
    });
}

void AccountsController::eliminarCaducadas() {
    if (!permitted(store::Permiso::CUEELI))
        return;
    try {
        TFrmCodigoscaducidad window(m_engine.context(), accounts::Ambito::Cuentas,
                                    m_engine.puestos().loginsInUse(), {}, &m_window);
        ui::execDialog(&window);
    } catch (const store::DatabaseError& e) {
        showError(e.text());
    }
    m_accounts->refresh();
}

void AccountsController::editarTarifas(const QString& currentLogin, const QStringList& selectedLogins) {
    if (!permitted(store::Permiso::CUETAR))
        return;
    try {
        Tfrmtarifascue window(m_engine.context(), currentLogin, selectedLogins, &m_window);
        if (ui::execDialog(&window) == QDialog::Accepted)
            m_accounts->refresh();
    } catch (const store::DatabaseError& e) {
        showError(e.text());
    }
}

void AccountsController::editarEscritorio(const QStringList& selectedLogins) {
    if (!permitted(store::Permiso::CUEMOD))
        return;
    Tfrmdesktopcue window(m_engine.context(), accounts::Ambito::Cuentas, selectedLogins, &m_window);
    if (ui::execDialog(&window) == QDialog::Accepted)
        m_accounts->refresh();
}

void AccountsController::eliminarCuenta(const QString& login) {
    if (!permitted(store::Permiso::CUEELI))
        return;
    const QString caption = ui::commonMessages().text(QStringLiteral("Atencion"));
    if (ui::showMessage(&m_window,
                        ui::MessageRequest{caption, QStringLiteral("¿Eliminar el registro seleccionado?"),
                                           ui::Icon::Question, ui::Buttons::YesNo}) != ui::Answer::Yes)
        return;
    try {
        const ConsoleContext& c = m_engine.context();
        if (!accounts::eliminarCuenta(c.data->db(), login, m_engine.puestos().loginsInUse(),
                                      c.currentOperator, c.clock->now()))
            ui::showMessage(&m_window,
                            ui::MessageRequest{caption, QStringLiteral("Cuenta en uso. Imposible eliminar"),
                                               ui::Icon::Warning, ui::Buttons::Ok});
    } catch (const store::DatabaseError& e) {
        showError(e.text());
    }
    m_accounts->refresh();
}

void AccountsController::creditoMetalicoPuesto() {
    const TPuestos* p = m_engine.puestos().selected();
    if (p && !p->rec().accountLogin.isEmpty())
        abrirMetalico(p->rec().accountLogin);
}

void AccountsController::creditoTiempoPuesto() {
    const TPuestos* p = m_engine.puestos().selected();
    if (p && p->rec().accountType == QLatin1String("2"))
        abrirTiempo(p->rec().accountLogin);
    else if (p && p->rec().accountType == QLatin1String("9"))
        emit codigoTiempoRequested(p->rec().accountLogin);
}

void AccountsController::abrirMetalico(const QString& login) {
    ConsoleContext& ctx = m_engine.context();
    std::optional<store::Cuenta> c;
    try {
        c = accounts::cuentaPorLogin(ctx.data->db(), login);
    } catch (const store::DatabaseError& e) {
        showError(e.text());
        return;
    }
    if (!c)
        return;
    if (c->Tipo == QLatin1String("9")) {
        ui::showMessage(&m_window,
                        ui::MessageRequest{ui::commonMessages().text(QStringLiteral("Atencion")),
                                           QStringLiteral("Operación no permitida en Códigos de tiempo"),
                                           ui::Icon::Warning, ui::Buttons::Ok});
        return;
    }
    if (!permitted(store::Permiso::CUECRE))
        return;
    TFrmmovcue window(
        ctx, *c, [this](const store::Cuenta& saved) { creditChanged(saved); }, &m_window);
    ui::execDialog(&window);
}

void AccountsController::abrirTiempo(const QString& login) {
    ConsoleContext& ctx = m_engine.context();
    std::optional<store::Cuenta> c;
    try {
        c = accounts::cuentaPorLogin(ctx.data->db(), login);
    } catch (const store::DatabaseError& e) {
        showError(e.text());
        return;
    }
    if (!c)
        return;
    if (c->Tipo == QLatin1String("9")) {
        emit codigoTiempoRequested(c->Login);
        return;
    }
    if (!permitted(store::Permiso::CUECRE))
        return;
    Tfrmmovcuetiempo window(
        ctx, *c, [this](const store::Cuenta& saved) { creditChanged(saved); }, &m_window);
    ui::execDialog(&window);
}
