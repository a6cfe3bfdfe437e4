#include "app/asistentecontroller.h"

#include "admin/frmasistente.h"
#include "admin/puestaenmarcha.h"
#include "admin/puestosconfig.h"
#include "app/frmmain.h"
#include "app/lifecycle.h"
#include "core/consolecontext.h"
#include "sales/ticketprinter.h"
#include "session/engine.h"
#include "store/datamodule.h"
#include "store/sql.h"
#include "ui/messagebox.h"

#include <QAction>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>

AsistenteController::AsistenteController(ConsoleEngine& engine, TFrmMain& window, ConsoleLifecycle& lifecycle,
                                         QObject* parent)
    : QObject(parent)
    , m_engine(engine)
    , m_window(window) {
    QAction* action = m_window.action(QStringLiteral("asistente"));
    action->setEnabled(true);
    connect(action, &QAction::triggered, this, &AsistenteController::abrir);
    connect(&lifecycle, &ConsoleLifecycle::operatorChanged, this, &AsistenteController::afterLogin);
}

bool AsistenteController::pendiente() const {
    const ConsoleContext& context = m_engine.context();
    if (!context.data || !context.data->isOpen())
        return false;
    try {
        return admin::asistentePendiente(context.data->db());
    } catch (const store::DatabaseError&) {
        return false;
    }
}

void AsistenteController::beforeShow() {
    if (pendiente())
        maximize();
}

void AsistenteController::maximize() {
    // Without a window manager nothing maximises: the bounds fill the screen too.
    if (const QScreen* screen = m_window.screen() ? m_window.screen() : QGuiApplication::primaryScreen())
        m_window.setGeometry(screen->availableGeometry());
    m_window.setWindowState(m_window.windowState() | Qt::WindowMaximized);
}

void AsistenteController::afterLogin() {
    if (m_engine.context().currentOperator == QLatin1String("ADMIN") && pendiente())
        run();
}

void AsistenteController::abrir() {
    if (m_engine.context().currentOperator != QLatin1String("ADMIN")) {
        ui::showMessage(&m_window, TFrmMain::messages(), QStringLiteral("SoloAdminAsistente"),
                        ui::Icon::Warning);
        return;
    }
    run();
}

void AsistenteController::run() {
    if (m_running)
        return;
    m_running = true;
    ConsoleContext& context = m_engine.context();
    const QSqlDatabase db = context.data->db();
    admin::PuestaEnMarcha logic(db, context.regional);
    admin::PlanPuestaEnMarcha proposal;
    try {
        proposal = logic.propuesta();
        proposal.operador = context.currentOperator;
    } catch (const store::DatabaseError& e) {
        m_running = false;
        ui::showError(&m_window, e.text());
        return;
    }
    TFrmAsistente wizard(logic, proposal, context.regional, *context.clock, sales::TicketPrinter::instance(),
                         &m_window);
    const int result = ui::execDialog(&wizard);
    m_running = false;
    if (result != QDialog::Accepted) {
        // Never left running with an ADMIN anyone can be: the console closes.
        if (wizard.cancelledWithoutPassword()) {
            QTimer::singleShot(0, &m_window, [w = &m_window] {
                w->setCloseConfirmed(true);
                w->close();
            });
        }
        return;
    }
    ListaPuestos& puestos = m_engine.puestos();
    admin::ConfiguracionPuestos config(db, puestos, m_engine.reloj(),
                                       [&context] { return context.currentOperator; });
    const Status applied = admin::PuestaEnMarcha::aplicar(wizard.escrita(), db, config,
                                                          m_engine.tarifasEditables(), context.settings);
    puestos.RefrescarMenus();
    if (!applied)
        ui::showError(&m_window, applied.error());
    showNote();
}

void AsistenteController::showNote() {
    if (m_note)
        return;
    const int size = m_window.style()->pixelMetric(QStyle::PM_SmallIconSize);
    auto* panel = new QWidget(&m_window);
    panel->setObjectName(QStringLiteral("asistentePanel"));
    auto* l = new QHBoxLayout(panel);
    l->setContentsMargins(0, 0, 0, 0);
    auto* icon = new QLabel(panel);
    icon->setPixmap(m_window.style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(size, size));
    l->addWidget(icon);
    m_note = new QLabel(TFrmMain::messages().text(QStringLiteral("AsistenteListo")), panel);
    m_note->setObjectName(QStringLiteral("asistenteNota"));
    l->addWidget(m_note);
    m_window.statusBar()->addWidget(panel);
}
