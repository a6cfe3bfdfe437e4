#include "app/frmmain.h"

#include "app/dockmanager.h"
#include "ui/messagebox.h"
#include "ui/mnemonicscope.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

const ui::MessageTable& TFrmMain::messages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        {"Advertencia", QStringLiteral("Advertencia"), QStringLiteral("Warning")},
        {"Titulo", QStringLiteral("Quintor"), QStringLiteral("Quintor")},
        {"Finalizar", QStringLiteral("¿Finalizar aplicación?"), QStringLiteral("Quit the application?")},
        {"Operador", QStringLiteral("Operador: "), QStringLiteral("Operator: ")},
        {"Puesto", QStringLiteral("Puesto "), QStringLiteral("Station ")},
        {"ErrorGrave", QStringLiteral("Error grave en cálculo de tarifas."),
         QStringLiteral("Fatal error computing tariffs.")},
        {"NoPermiso", QStringLiteral("No tiene permiso de acceso."),
         QStringLiteral("You have no access permission.")},
        {"NoPermitida", QStringLiteral("Operación no permitida."), QStringLiteral("Operation not allowed.")},
        {"NoEscritura", QStringLiteral("No se ha podido guardar: "), QStringLiteral("Could not save: ")},
        {"ConexionPerdida",
         QStringLiteral("Se ha perdido la conexión con la base de datos. Los puestos siguen contando y los "
                        "cierres se registrarán al volver la conexión.\n\n"),
         QStringLiteral("The connection to the database was lost. The stations go on counting and the "
                        "closings will be booked once it is back.\n\n")},
        {"SinConexion", QStringLiteral("Sin conexión con la base de datos: reintentando…"),
         QStringLiteral("No connection to the database: retrying…")},
        {"NoConexion", QStringLiteral("sin conexión con la base de datos."),
         QStringLiteral("no connection to the database.")},
        {"SoloAdminAsistente", QStringLiteral("Sólo ADMIN puede usar el asistente de puesta en marcha."),
         QStringLiteral("Only ADMIN can use the start-up assistant.")},
        {"AsistenteListo",
         QStringLiteral("Puestos, tarifa e impresora listos. Franjas horarias, bonos, artículos, correo y "
                        "demás: menú Configuración."),
         QStringLiteral(
             "Stations, tariff and printer are ready. Time bands, vouchers, articles, mail and the "
             "rest: the Configuración menu.")},
    };
    return table;
}

TFrmMain::TFrmMain(QWidget* parent)
    : QMainWindow(parent) {
    setObjectName(QStringLiteral("TFrmMain"));
    setWindowTitle(QStringLiteral("Quintor"));
    setDockNestingEnabled(true);

    // The grid panel at the left, the centre docking panel filling the rest.
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("mainSplitter"));
    m_splitter->setChildrenCollapsible(false);
    m_gridPanel = new QWidget(m_splitter);
    m_gridPanel->setObjectName(QStringLiteral("gridPanel"));
    m_gridLayout = new QVBoxLayout(m_gridPanel);
    m_gridLayout->setContentsMargins(0, 0, 0, 0);
    m_centerSite = new QMainWindow(m_splitter);
    m_centerSite->setObjectName(QStringLiteral("centerSite"));
    m_centerSite->setWindowFlags(Qt::Widget);
    m_centerSite->setDockNestingEnabled(true);
    m_centerSite->setDockOptions(QMainWindow::AllowTabbedDocks | QMainWindow::AllowNestedDocks |
                                 QMainWindow::AnimatedDocks);
    m_splitter->addWidget(m_gridPanel);
    m_splitter->addWidget(m_centerSite);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    setCentralWidget(m_splitter);
    setGridPanelWidth(400);

    m_docks = new DockManager(this, m_centerSite, this);

    m_operatorPanel = new QLabel(this);
    m_operatorPanel->setObjectName(QStringLiteral("operatorPanel"));
    m_operatorPanel->setFixedWidth(150);
    m_stationPanel = new QLabel(this);
    m_stationPanel->setObjectName(QStringLiteral("stationPanel"));
    m_stationPanel->setMinimumWidth(260);
    m_tariffPanel = new QLabel(this);
    m_tariffPanel->setObjectName(QStringLiteral("tariffPanel"));
    statusBar()->addWidget(m_operatorPanel);
    statusBar()->addWidget(m_stationPanel);
    statusBar()->addWidget(m_tariffPanel, 1);

    buildMenus();
    // Alt + letter reaches the menus even with docked windows using the same letters.
    new ui::MnemonicScope(this);
    resize(1024, 700);
}

QAction* TFrmMain::addEntry(QMenu* menu, const QString& text, const QString& name, const QKeySequence& key,
                            bool enabled) {
    QAction* a = menu->addAction(text);
    a->setObjectName(name);
    if (!key.isEmpty())
        a->setShortcut(key);
    a->setEnabled(enabled);
    m_actions.insert(name, a);
    return a;
}

void TFrmMain::buildMenus() {
    // Built now, attached after the log-in. Entries whose function is not in
    // this build yet are shown disabled.
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QStringLiteral("mainMenu"));

    QMenu* archivo = m_menuBar->addMenu(QStringLiteral("&Archivo"));
    m_menus.insert(QStringLiteral("archivo"), archivo);
    QAction* change = addEntry(archivo, QStringLiteral("&2.- Cambio de operador..."),
                               QStringLiteral("cambioOperador"), {}, true);
    connect(change, &QAction::triggered, this, &TFrmMain::changeOperatorRequested);
    archivo->addSeparator();
    QAction* quit = addEntry(archivo, QStringLiteral("&Salir"), QStringLiteral("salir"),
                             QKeySequence(Qt::ALT | Qt::Key_F4), true);
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QMenu* comandos = m_menuBar->addMenu(QStringLiteral("&Comandos"));
    m_menus.insert(QStringLiteral("comandos"), comandos);
    addEntry(comandos, QStringLiteral("&1. - Abrir puesto..."), QStringLiteral("abrirPuesto"), Qt::Key_F1);
    addEntry(comandos, QStringLiteral("&2. - Cerrar puesto..."), QStringLiteral("cerrarPuesto"), Qt::Key_F2);
    addEntry(comandos, QStringLiteral("&3. - Incrementar prepago..."), QStringLiteral("incrementarPrepago"),
             Qt::Key_F3);
    addEntry(comandos, QStringLiteral("&4. - Aumentar crédito (metálico)..."),
             QStringLiteral("creditoMetalico"), QKeySequence(Qt::CTRL | Qt::Key_F3));
    addEntry(comandos, QStringLiteral("&5. - Aumentar crédito (tiempo)..."), QStringLiteral("creditoTiempo"),
             QKeySequence(Qt::SHIFT | Qt::Key_F3));
    addEntry(comandos, QStringLiteral("&6. - Intercambiar puestos..."), QStringLiteral("intercambiar"),
             Qt::Key_F5);
    QMenu* apagar = comandos->addMenu(QStringLiteral("&7. - Apagar puesto"));
    apagar->setObjectName(QStringLiteral("apagarMenu"));
    m_menus.insert(QStringLiteral("apagar"), apagar);
    apagar->setEnabled(false);
    addEntry(apagar, QStringLiteral("&1.- Cerrar sesión..."), QStringLiteral("apagarSesion"));
    addEntry(apagar, QStringLiteral("&2.- Apagar equipo..."), QStringLiteral("apagarEquipo"));
    addEntry(apagar, QStringLiteral("&3.- Reiniciar..."), QStringLiteral("reiniciar"));
    addEntry(apagar, QStringLiteral("&4.- Finalizar Velkar ..."), QStringLiteral("finalizarVelkar"));
    addEntry(comandos, QStringLiteral("&8. - Apagar todos los puestos"), QStringLiteral("apagarTodos"),
             QKeySequence(Qt::SHIFT | Qt::Key_Delete));
    addEntry(comandos, QStringLiteral("&9. - Desactiva Puesto"), QStringLiteral("desactivar"),
             QKeySequence(Qt::CTRL | Qt::Key_Z));
    addEntry(comandos, QStringLiteral("&0. -Activa Puesto"), QStringLiteral("activar"),
             QKeySequence(Qt::CTRL | Qt::Key_A));
    comandos->addSeparator();
    addEntry(comandos, QStringLiteral("&B.- Borrar ticket de puesto..."), QStringLiteral("borrarTicket"));
    addEntry(comandos, QStringLiteral("&M.- Modificar ticket en puesto..."),
             QStringLiteral("modificarTicket"), QKeySequence(Qt::CTRL | Qt::Key_F7));
    addEntry(comandos, QStringLiteral("&T .- Venta TPV..."), QStringLiteral("ventaTpv"), Qt::Key_F7);
    addEntry(comandos, QStringLiteral("&P .- Abrir cajón portamonedas..."), QStringLiteral("abrirCajon"),
             Qt::Key_F4);
    addEntry(comandos, QStringLiteral("&V.- Volumen de Audio..."), QStringLiteral("volumen"));

    QMenu* config = m_menuBar->addMenu(QStringLiteral("C&onfiguración"));
    m_menus.insert(QStringLiteral("configuracion"), config);
    addEntry(config, QStringLiteral("&1.- Puestos..."), QStringLiteral("configPuestos"));
    addEntry(config, QStringLiteral("&2.- Parámetros generales..."), QStringLiteral("parametros"));
    addEntry(config, QStringLiteral("&3.- Artículos TPV..."), QStringLiteral("articulos"));
    addEntry(config, QStringLiteral("&4.- Operadores..."), QStringLiteral("operadores"));

    QMenu* utilidades = m_menuBar->addMenu(QStringLiteral("&Utilidades"));
    m_menus.insert(QStringLiteral("utilidades"), utilidades);
    QMenu* listados = utilidades->addMenu(QStringLiteral("&1.- Listados"));
    addEntry(listados, QStringLiteral("&1.- Tickets..."), QStringLiteral("listadoTickets"));
    addEntry(listados, QStringLiteral("&2.- Actividad puestos..."), QStringLiteral("listadoActividad"));
    addEntry(listados, QStringLiteral("&3.- Cuentas de clientes..."), QStringLiteral("listadoCuentas"));
    addEntry(listados, QStringLiteral("&4.- Movimientos cuentas..."), QStringLiteral("listadoMovimientos"));
    QMenu* informes = utilidades->addMenu(QStringLiteral("&2.- Informes"));
    addEntry(informes, QStringLiteral("&1.- Caja diaria..."), QStringLiteral("cajaDiaria"));
    addEntry(informes, QStringLiteral("&2.- Estadística de clientes..."), QStringLiteral("estadClientes"));
    addEntry(informes, QStringLiteral("3.- Estadística de puestos..."), QStringLiteral("estadPuestos"));
    addEntry(informes, QStringLiteral("&4.- Ventas de artículos ..."), QStringLiteral("ventasArticulos"));
    addEntry(informes, QStringLiteral("&5.- Ventas de bonos ..."), QStringLiteral("ventasBonos"));
    addEntry(utilidades, QStringLiteral("&3.- Asistente de puesta en marcha..."),
             QStringLiteral("asistente"));
    addEntry(utilidades, QStringLiteral("&4.- Tomar los puestos de otra consola..."),
             QStringLiteral("tomarPuestos"));
    addEntry(utilidades, QStringLiteral("&5.- Registro de auditoría..."), QStringLiteral("auditoria"));
    addEntry(utilidades, QStringLiteral("&6.- Bloqueos de acceso..."), QStringLiteral("bloqueos"));

    QMenu* ver = m_menuBar->addMenu(QStringLiteral("&Ver"));
    m_menus.insert(QStringLiteral("ver"), ver);
    addEntry(ver, QStringLiteral("&1.- Cuentas de clientes..."), QStringLiteral("verCuentas"));
    addEntry(ver, QStringLiteral("&2.- Códigos de tiempo..."), QStringLiteral("verCodigos"));
    addEntry(ver, QStringLiteral("&3.- Cola de movimientos de cuentas..."), QStringLiteral("verMovimientos"));
    addEntry(ver, QStringLiteral("&4.- Cola de mensajes..."), QStringLiteral("verMensajes"));
    addEntry(ver, QStringLiteral("&5.- Cola de puestos..."), QStringLiteral("verColaPuestos"));
    addEntry(ver, QStringLiteral("&6.- Todos los puestos..."), QStringLiteral("verTodosPuestos"));
    ver->addSeparator();
    QAction* restore = addEntry(ver, QStringLiteral("&7.- Restaurar escritorio predeterminado..."),
                                QStringLiteral("restaurarEscritorio"), {}, true);
    connect(restore, &QAction::triggered, m_docks, &DockManager::restoreDefault);

    QMenu* ayuda = m_menuBar->addMenu(QStringLiteral("A&yuda"));
    m_menus.insert(QStringLiteral("ayuda"), ayuda);
    addEntry(ayuda, QStringLiteral("&Ayuda..."), QStringLiteral("ayuda"), Qt::Key_F1 | Qt::SHIFT);
    addEntry(ayuda, QStringLiteral("&Acerca de Quintor..."), QStringLiteral("acercaDe"));
}

void TFrmMain::attachMenu() {
    setMenuBar(m_menuBar);
}

QAction* TFrmMain::action(const QString& name) const {
    return m_actions.value(name);
}

QMenu* TFrmMain::menu(const QString& name) const {
    return m_menus.value(name);
}

void TFrmMain::setOperatorName(const QString& name) {
    m_operatorPanel->setText(messages().text(QStringLiteral("Operador")) + name);
}

QString TFrmMain::operatorPanelText() const {
    return m_operatorPanel->text();
}

void TFrmMain::setStationStatus(const QString& station, const QString& tariff) {
    m_stationPanel->setText(station);
    m_tariffPanel->setText(tariff);
}

void TFrmMain::setGridPanelWidth(int width) {
    const int total = qMax(m_splitter->width(), width + 200);
    m_splitter->setSizes({width, total - width});
    m_gridPanel->resize(width, m_gridPanel->height());
}

int TFrmMain::gridPanelWidth() const {
    const QList<int> sizes = m_splitter->sizes();
    return sizes.isEmpty() || sizes.first() <= 0 ? m_gridPanel->width() : sizes.first();
}

void TFrmMain::closeEvent(QCloseEvent* event) {
    if (m_shutdownDone) {
        event->accept();
        return;
    }
    if (!m_closeConfirmed) {
        const ui::Answer answer =
            ui::showMessage(this, ui::MessageRequest{messages().text(QStringLiteral("Titulo")),
                                                     messages().text(QStringLiteral("Finalizar")),
                                                     ui::Icon::Question, ui::Buttons::YesNo});
        if (answer != ui::Answer::Yes) {
            event->ignore();
            return;
        }
    }
    m_shutdownDone = true;
    emit shutdownRequested();
    event->accept();
}
