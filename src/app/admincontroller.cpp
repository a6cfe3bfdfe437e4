#include "app/admincontroller.h"

#include "admin/frmbloqueos.h"
#include "admin/frmopciones.h"
#include "admin/frmoperadores.h"
#include "admin/frmpuestos.h"
#include "admin/operadoresrules.h"
#include "app/frmmain.h"
#include "app/stationcontroller.h"
#include "core/consolecontext.h"
#include "session/engine.h"
#include "store/datamodule.h"
#include "ui/messagebox.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QStatusBar>
#include <QStyle>

AdminController::AdminController(ConsoleEngine& engine, TFrmMain& window, StationController& stations,
                                 QObject* parent)
    : QObject(parent)
    , m_engine(engine)
    , m_window(window)
    , m_stations(stations) {
    for (const char* name : {"parametros", "operadores", "configPuestos", "bloqueos"}) {
        if (QAction* a = m_window.action(QString::fromLatin1(name)))
            a->setEnabled(true);
    }
    connect(m_window.action(QStringLiteral("parametros")), &QAction::triggered, this,
            &AdminController::parametros);
    connect(m_window.action(QStringLiteral("operadores")), &QAction::triggered, this,
            &AdminController::operadores);
    connect(m_window.action(QStringLiteral("configPuestos")), &QAction::triggered, this,
            &AdminController::puestos);
    connect(m_window.action(QStringLiteral("bloqueos")), &QAction::triggered, this,
            &AdminController::bloqueos);
}

void AdminController::bloqueos() {
    TFrmBloqueos window(m_engine.context(), &m_window);
    window.load();
    ui::execDialog(&window);
}

AdminController::~AdminController() = default;

void AdminController::parametros() {
    ConsoleContext& context = m_engine.context();
    Tfrmopciones window(context, m_engine.tarifas(), &m_window);
    if (!window.begin())
        return;
    ui::execDialog(&window);
}

void AdminController::operadores() {
    ConsoleContext& context = m_engine.context();
    if (!admin::puedeConfigurarOperadores(context.currentOperator)) {
        ui::showMessage(&m_window,
                        ui::MessageRequest{ui::commonMessages().text(QStringLiteral("Atencion")),
                                           QStringLiteral("Sólo ADMIN puede configurar operadores."),
                                           ui::Icon::Warning, ui::Buttons::Ok});
        return;
    }
    TFrmOperadores window(context, &m_window);
    ui::execDialog(&window);
}

admin::ConfiguracionPuestos& AdminController::configuracion() {
    // The database is open only after the log-in.
    if (!m_config)
        m_config = std::make_unique<admin::ConfiguracionPuestos>(
            m_engine.context().data->db(), m_engine.puestos(), m_engine.reloj(),
            [&context = m_engine.context()] { return context.currentOperator; });
    return *m_config;
}

void AdminController::puestos() {
    const auto permitted = [this] { return m_stations.permitted(store::Permiso::CONFPUE); };
    if (!permitted())
        return;
    ConsoleContext& context = m_engine.context();
    TFrmConfPuestos window(context, configuracion(), m_engine.puestos(), permitted, &m_window);
    ui::execDialog(&window);
    m_stations.RefrescarMenus();
    if (window.identificationChanged() && !m_restartNote) {
        // Until the console ends: the running stations keep the addresses they were loaded with.
        const int size = m_window.style()->pixelMetric(QStyle::PM_SmallIconSize);
        auto* panel = new QWidget(&m_window);
        panel->setObjectName(QStringLiteral("restartPanel"));
        auto* l = new QHBoxLayout(panel);
        l->setContentsMargins(0, 0, 0, 0);
        auto* icon = new QLabel(panel);
        icon->setPixmap(m_window.style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(size, size));
        l->addWidget(icon);
        m_restartNote = new QLabel(panel);
        m_restartNote->setObjectName(QStringLiteral("restartNote"));
        m_restartNote->setText(
            QStringLiteral("<b>Para que sus cambios tengan lugar, debe reiniciar Quintor</b>"));
        l->addWidget(m_restartNote);
        m_window.statusBar()->addWidget(panel);
    }
}
