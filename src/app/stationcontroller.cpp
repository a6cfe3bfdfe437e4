#include "app/stationcontroller.h"

#include "admin/permisobox.h"
#include "app/dockmanager.h"
#include "app/frmmain.h"
#include "core/consolecontext.h"
#include "session/engine.h"
#include "session/stationgrid.h"
#include "station/frmcolmen.h"
#include "station/menustate.h"
#include "store/datamodule.h"
#include "ui/messagebox.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QStyle>
#include <QTextEdit>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

// Station commands of this build; the others show, disabled, until their
// functions exist.
const QStringList& builtCommands() {
    static const QStringList names{QStringLiteral("apagarSesion"), QStringLiteral("apagarEquipo"),
                                   QStringLiteral("reiniciar"),    QStringLiteral("finalizarVelkar"),
                                   QStringLiteral("apagarTodos"),  QStringLiteral("desactivar"),
                                   QStringLiteral("activar"),      QStringLiteral("volumen")};
    return names;
}

} // namespace

StationController::StationController(ConsoleEngine& engine, TFrmMain& window, QObject* parent)
    : QObject(parent)
    , m_engine(engine)
    , m_context(engine.context())
    , m_window(window)
    , m_available(builtCommands()) {
    ListaPuestos& lista = m_engine.puestos();
    m_model = new StationGridModel(lista, m_context, this);
    m_grid = new StationGridView(lista, *m_model, m_window.gridPanel());
    m_window.gridPanelLayout()->addWidget(m_grid);

    m_messages = new TFrmColMen(m_engine.mensajes());
    m_messagesDock = new QDockWidget(m_messages->windowTitle(), &m_window);
    m_messagesDock->setWidget(m_messages);
    m_window.docks()->registerWindow(QStringLiteral("FrmColMen"), m_messagesDock,
                                     m_window.action(QStringLiteral("verMensajes")));
    m_window.action(QStringLiteral("verMensajes"))->setEnabled(true);
    m_window.docks()->dock(m_messagesDock, app::DockHost::Bottom);
    m_messagesDock->hide();
    connect(m_messages, &TFrmColMen::sendRequested, this, &StationController::enviarMensaje);

    m_volume = new TFrmVolumen(&m_window);
    connect(m_volume, &TFrmVolumen::applyRequested, this, &StationController::fijarVolumen);

    connect(m_window.action(QStringLiteral("apagarSesion")), &QAction::triggered, this,
            [this] { apagar(0); });
    connect(m_window.action(QStringLiteral("apagarEquipo")), &QAction::triggered, this,
            [this] { apagar(1); });
    connect(m_window.action(QStringLiteral("reiniciar")), &QAction::triggered, this, [this] { apagar(2); });
    connect(m_window.action(QStringLiteral("finalizarVelkar")), &QAction::triggered, this,
            [this] { apagar(3); });
    connect(m_window.action(QStringLiteral("apagarTodos")), &QAction::triggered, this,
            &StationController::apagarTodos);
    connect(m_window.action(QStringLiteral("desactivar")), &QAction::triggered, this,
            &StationController::desactivar);
    connect(m_window.action(QStringLiteral("activar")), &QAction::triggered, this,
            &StationController::activar);
    connect(m_window.action(QStringLiteral("volumen")), &QAction::triggered, this,
            [this] { m_volume->showBeside(m_grid); });

    buildPopupAndToolBar();
    connect(&lista, &ListaPuestos::menusRefreshRequested, this, &StationController::RefrescarMenus);
    connect(&lista, &ListaPuestos::selectedRowChanged, this, &StationController::RefrescarMenus);
    // A refused save shows once, then stays in the status bar until a save succeeds.
    m_saveWarning = new QLabel(&m_window);
    m_saveWarning->setObjectName(QStringLiteral("saveWarning"));
    m_saveWarning->setStyleSheet(QStringLiteral("color: red"));
    m_saveWarning->hide();
    m_window.statusBar()->addPermanentWidget(m_saveWarning);
    connect(&lista, &ListaPuestos::saveStateChanged, this, &StationController::showSaveState);
    connect(&lista, &ListaPuestos::saveFailed, this, [this](const QString& error) {
        ui::showError(&m_window, TFrmMain::messages().text(QStringLiteral("NoEscritura")) + error);
    });
    // A server that went away: one box per outage, from the event loop, and
    // the status bar until the connection is back.
    store::ConnectionKeeper& conexion = m_engine.conexion();
    connect(&conexion, &store::ConnectionKeeper::lost, this, &StationController::showSaveState);
    connect(&conexion, &store::ConnectionKeeper::restored, this, &StationController::showSaveState);
    connect(
        &conexion, &store::ConnectionKeeper::lost, this,
        [this](const QString& error) {
            ui::showError(&m_window, TFrmMain::messages().text(QStringLiteral("ConexionPerdida")) + error);
        },
        Qt::QueuedConnection);
    // A station number typed anywhere in the main window selects it.
    qApp->installEventFilter(this);
    RefrescarMenus();
}

StationController::~StationController() = default;

void StationController::showSaveState() {
    const QString error = m_engine.puestos().saveError();
    QString text;
    if (m_engine.conexion().isLost())
        text = TFrmMain::messages().text(QStringLiteral("SinConexion"));
    else if (!error.isEmpty())
        text = TFrmMain::messages().text(QStringLiteral("NoEscritura")) + error;
    m_saveWarning->setText(text);
    m_saveWarning->setVisible(!text.isEmpty());
}

bool StationController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    auto* widget = static_cast<QWidget*>(watched);
    // The grid reads the keys itself; text fields keep their digits.
    if (widget->window() != &m_window || widget == m_grid || m_grid->isAncestorOf(widget) ||
        qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractSpinBox*>(widget) ||
        qobject_cast<QTextEdit*>(widget) || qobject_cast<QPlainTextEdit*>(widget) ||
        (qobject_cast<QComboBox*>(widget) && static_cast<QComboBox*>(widget)->isEditable()))
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    ListaPuestos& lista = m_engine.puestos();
    if (text.size() == 1 && text.at(0).isDigit() &&
        !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        lista.typeDigit(text.at(0));
        return true;
    }
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !lista.typedNumber().isEmpty()) {
        lista.typeEnter();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void StationController::mirror(QAction* source, QMenu* menu, QToolBar* bar, const QString& toolTip) {
    if (menu)
        menu->addAction(source);
    if (bar) {
        bar->addAction(source);
        if (!toolTip.isEmpty())
            source->setToolTip(toolTip);
    }
}

void StationController::buildPopupAndToolBar() {
    m_popup = new QMenu(&m_window);
    m_popup->setObjectName(QStringLiteral("stationPopup"));
    m_toolBar = m_window.addToolBar(QStringLiteral("Puestos"));
    m_toolBar->setObjectName(QStringLiteral("stationToolBar"));
    m_toolBar->setMovable(false);
    QStyle* style = m_window.style();

    auto popupEntry = [this](const QString& text, const QString& source) {
        // The pop-up's own captions, triggering the main menu's actions.
        QAction* a = m_popup->addAction(text);
        a->setObjectName(QStringLiteral("popup_") + source);
        QAction* target = m_window.action(source);
        connect(a, &QAction::triggered, target, &QAction::trigger);
        connect(target, &QAction::changed, a, [a, target] { a->setEnabled(target->isEnabled()); });
        a->setEnabled(target->isEnabled());
        return a;
    };
    popupEntry(QStringLiteral("&1.- Abrir puesto..."), QStringLiteral("abrirPuesto"));
    popupEntry(QStringLiteral("&2.- Cerrar puesto..."), QStringLiteral("cerrarPuesto"));
    popupEntry(QStringLiteral("&3.- Incrementar prepago..."), QStringLiteral("incrementarPrepago"));
    m_popup->addSeparator();
    for (const char* name : {"apagarSesion", "apagarEquipo", "reiniciar", "finalizarVelkar"})
        popupEntry(m_window.action(QString::fromLatin1(name))->text(), QString::fromLatin1(name));
    m_popup->addSeparator();
    popupEntry(QStringLiteral("&4.- Aumentar crédito (metálico)..."), QStringLiteral("creditoMetalico"));
    popupEntry(QStringLiteral("&5.- Aumentar crédito (tiempo)..."), QStringLiteral("creditoTiempo"));
    popupEntry(QStringLiteral("&6.- Intercambiar puestos..."), QStringLiteral("intercambiar"));
    m_popup->addSeparator();
    popupEntry(QStringLiteral("&B.- Borrar ticket de puesto..."), QStringLiteral("borrarTicket"));
    popupEntry(QStringLiteral("&V.- Volumen de Audio..."), QStringLiteral("volumen"));
    m_grid->setPopupMenu(m_popup);

    auto tool = [&](const QString& source, QStyle::StandardPixmap icon, const QString& tip) {
        QAction* a = m_window.action(source);
        a->setIcon(style->standardIcon(icon));
        m_toolBar->addAction(a);
        a->setToolTip(tip);
    };
    tool(QStringLiteral("abrirPuesto"), QStyle::SP_MediaPlay, QStringLiteral("Abrir puesto (F1)"));
    tool(QStringLiteral("cerrarPuesto"), QStyle::SP_MediaStop, QStringLiteral("Cerrar puesto (F2)"));
    tool(QStringLiteral("incrementarPrepago"), QStyle::SP_ArrowUp,
         QStringLiteral("Incrementar prepago (F3)"));
    tool(QStringLiteral("intercambiar"), QStyle::SP_BrowserReload,
         QStringLiteral("Intercambiar puestos (F5)"));
    m_toolBar->addSeparator();
    tool(QStringLiteral("apagarSesion"), QStyle::SP_DialogCloseButton, QStringLiteral("Cerrar sesión"));
    tool(QStringLiteral("apagarEquipo"), QStyle::SP_BrowserStop, QStringLiteral("Apagar equipo"));
    tool(QStringLiteral("reiniciar"), QStyle::SP_BrowserReload, QStringLiteral("Reiniciar"));
    m_toolBar->addSeparator();
    tool(QStringLiteral("creditoMetalico"), QStyle::SP_DialogApplyButton,
         QStringLiteral("Aumentar crédito (metálico)"));
    tool(QStringLiteral("creditoTiempo"), QStyle::SP_FileDialogDetailedView,
         QStringLiteral("Aumentar crédito (tiempo)"));
    m_toolBar->addSeparator();
    tool(QStringLiteral("volumen"), QStyle::SP_MediaVolume, QStringLiteral("Control de volumen en puesto"));
}

void StationController::setCommandAvailable(const QString& actionName, bool available) {
    if (available && !m_available.contains(actionName))
        m_available << actionName;
    if (!available)
        m_available.removeAll(actionName);
    RefrescarMenus();
}

void StationController::setActionEnabled(const QString& name, bool enabled) {
    if (QAction* a = m_window.action(name))
        a->setEnabled(enabled && m_available.contains(name));
}

void StationController::RefrescarMenus() {
    const station::MenuState s = station::menuState(m_engine.puestos());
    setActionEnabled(QStringLiteral("abrirPuesto"), s.open);
    setActionEnabled(QStringLiteral("cerrarPuesto"), s.close);
    setActionEnabled(QStringLiteral("incrementarPrepago"), s.increasePrepaid);
    setActionEnabled(QStringLiteral("creditoMetalico"), s.creditMoney);
    setActionEnabled(QStringLiteral("creditoTiempo"), s.creditTime);
    setActionEnabled(QStringLiteral("intercambiar"), s.exchange);
    setActionEnabled(QStringLiteral("desactivar"), s.deactivate);
    setActionEnabled(QStringLiteral("activar"), s.activate);
    setActionEnabled(QStringLiteral("borrarTicket"), s.deleteTicket);
    setActionEnabled(QStringLiteral("modificarTicket"), s.modifyTicket);
    setActionEnabled(QStringLiteral("apagarTodos"), s.shutdownAll);
    for (const char* name : {"apagarSesion", "apagarEquipo", "reiniciar", "finalizarVelkar"})
        setActionEnabled(QString::fromLatin1(name), s.shutdownSubmenu);
    if (QMenu* sub = m_window.menu(QStringLiteral("apagar")))
        sub->setEnabled(s.shutdownSubmenu);
    const bool anyStation = m_engine.puestos().stationsLoaded();
    setActionEnabled(QStringLiteral("volumen"), anyStation);
    // A tariff deleted while the station ran on it prices at 0: say so.
    QString tariffText = s.statusTariff;
    if (const TPuestos* p = m_engine.puestos().selected(); p && p->rec().occupied()) {
        const QString& name = p->rec().tariffName;
        if (!name.isEmpty() && name != QLatin1String("FRANJAS") && name != QLatin1String("BONO TIEMPO") &&
            !m_engine.tarifas().find(name))
            tariffText += QStringLiteral(" (tarifa inexistente: importe 0)");
    }
    // "Puesto " in the console's language; the state texts stay as they are.
    QString stationText = s.statusStation;
    if (stationText.startsWith(QLatin1String("Puesto ")))
        stationText.replace(0, 7, TFrmMain::messages().text(QStringLiteral("Puesto")));
    m_window.setStationStatus(stationText, tariffText);
}

bool StationController::permitted(store::Permiso permiso, const QString& refusalKey) {
    return admin::permitido(&m_window, m_context, permiso,
                            refusalKey.isEmpty() ? QString() : ui::commonMessages().text(refusalKey));
}

void StationController::apagar(int kind) {
    static const store::Permiso permisos[] = {store::Permiso::APAGA1, store::Permiso::APAGA2,
                                              store::Permiso::APAGA3, store::Permiso::APAGA4};
    if (kind < 0 || kind > 3 || !permitted(permisos[kind]))
        return;
    m_engine.puestos().apagar(kind);
}

void StationController::apagarTodos() {
    // The owner can take this command away like any other.
    if (!permitted(store::Permiso::APAGATODOS))
        return;
    const ui::Answer answer =
        ui::showMessage(&m_window, ui::MessageRequest{ui::commonMessages().text(QStringLiteral("Atencion")),
                                                      QStringLiteral("Confirme apagar todos los puestos."),
                                                      ui::Icon::Question, ui::Buttons::YesNo});
    if (answer == ui::Answer::Yes)
        m_engine.puestos().apagarTodos();
}

void StationController::desactivar() {
    if (permitted(store::Permiso::DESACTIVA))
        m_engine.puestos().desactivar();
}

void StationController::activar() {
    if (permitted(store::Permiso::ACTIVA))
        m_engine.puestos().activar();
}

void StationController::enviarMensaje(const QString& text) {
    if (const std::optional<station::MessageQueueRow> row = m_engine.puestos().EnviarMensaje(text))
        m_engine.mensajes().append(*row);
}

void StationController::fijarVolumen(int value) {
    m_engine.puestos().FijarVolumen(value);
}
