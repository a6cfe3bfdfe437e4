#include "app/lifecycle.h"

#include "app/configini.h"
#include "app/dockmanager.h"
#include "app/frmacceso.h"
#include "app/frmmain.h"
#include "core/consolecontext.h"
#include "session/engine.h"
#include "store/datamodule.h"
#include "store/opciones.h"
#include "store/schemaupdates.h"
#include "store/sql.h"
#include "ui/messagebox.h"
#include "ui/progresswindow.h"

#include <QApplication>

namespace {
constexpr int DefaultGridPanelWidth = 400;
}

ConsoleLifecycle::ConsoleLifecycle(ConsoleContext& context, app::Paths paths, TFrmMain& mainWindow,
                                   ConsoleEngine& engine, QObject* parent)
    : QObject(parent)
    , m_context(context)
    , m_paths(std::move(paths))
    , m_main(mainWindow)
    , m_engine(engine) {
    connect(&m_main, &TFrmMain::shutdownRequested, this, &ConsoleLifecycle::shutdown);
    connect(&m_main, &TFrmMain::changeOperatorRequested, this, &ConsoleLifecycle::changeOperator);
}

void ConsoleLifecycle::addGridParticipant(GridLayoutParticipant* participant) {
    m_gridParticipants.push_back(participant);
}

void ConsoleLifecycle::report(const QString& problem) {
    m_problems << problem;
    ui::showMessage(&m_main, ui::MessageRequest{TFrmMain::messages().text(QStringLiteral("Advertencia")),
                                                problem, ui::Icon::Warning, ui::Buttons::Ok});
}

void ConsoleLifecycle::applyRuntimeSettings() {
    m_context.settings = store::runtimeSettings(m_opciones);
}

bool ConsoleLifecycle::afterLogin() {
    // 1. The menu appears only now.
    m_main.attachMenu();
    m_main.setOperatorName(m_context.currentOperator);
    // Where the window was last time, or its first-start place.
    const app::ConfigIni placement(m_paths.configIni());
    m_main.docks()->placeMainWindow(placement.exists() ? placement.readLayout().mainWindow
                                                       : app::MainWindowState{});

    // 2. The working database stays open from here to the end.
    TDataModule1& data = *m_context.data;
    if (!data.isOpen()) {
        const Status reopened =
            data.open(m_paths.databaseFile(m_context.workingDatabase), m_context.databasePassword);
        if (!reopened) {
            ui::showMessage(&m_main, ui::MessageRequest{TFrmMain::messages().text(QStringLiteral("Atencion")),
                                                        reopened.error(), ui::Icon::Error, ui::Buttons::Ok});
            return false;
        }
    }
    // The last gate before stations are polled: a database this console
    // cannot write, or one another console works on, is refused.
    const auto refuse = [this](const QString& text) {
        ui::showMessage(&m_main, ui::MessageRequest{TFrmMain::messages().text(QStringLiteral("Atencion")),
                                                    text, ui::Icon::Error, ui::Buttons::Ok});
        return false;
    };
    if (const Status writable = data.checkWritable(); !writable)
        return refuse(TFrmAcceso::notWritableText(data.filePath(), writable.error()));
    // A file is one console's; a server's database is shared by design.
    if (!data.isServer()) {
        if (const auto claim = data.lock().acquire(data.filePath()); !claim.acquired())
            return refuse(TFrmAcceso::lockRefusalText(claim));
    }
    if (!data.openWarning().isEmpty())
        report(data.openWarning());
    if (const Status updated = store::applySchemaUpdates(data.db()); !updated)
        report(updated.error());
    try {
        m_opciones = store::readOpciones(data.db());
    } catch (const store::DatabaseError& e) {
        report(e.text());
    }

    // 3 to 7. The grid panel; a failure on the way leaves it at 400 pixels.
    int panel = m_opciones.panelinf > 0 ? m_opciones.panelinf : DefaultGridPanelWidth;
    try {
        // 4, 5: the start mail and the mail schedule. 6: the printer list
        // comes with ticket printing.
        m_webConfig = store::readWebConfig(data.db());
        if (m_mail)
            m_mail->started(m_webConfig);
    } catch (const store::DatabaseError&) {
        panel = DefaultGridPanelWidth;
    }
    m_main.setGridPanelWidth(panel);

    // 8 to 10. Column widths, queue order and docking panel sizes.
    try {
        m_grids = store::readGrids(data.db());
    } catch (const store::DatabaseError& e) {
        report(e.text());
    }
    for (GridLayoutParticipant* p : m_gridParticipants)
        p->applyGrids(m_grids, m_opciones);
    m_main.docks()->setPanelSizes(m_grids.PANELIZQ, m_grids.PANELINF);

    // 11, 12. Poll period, rounding unit, alarms and the band-change rule.
    applyRuntimeSettings();

    // The console's place among the consoles of the database: refused while
    // another computer runs under its name; the stations nobody polls
    // become its own.
    if (const Status registered = m_engine.consola().registrar(); !registered)
        return refuse(registered.error());

    // 13. The station registry, with its state restored.
    ListaPuestos& puestos = m_engine.puestos();
    {
        ui::ProgressWindow progress(&m_main);
        const Status loaded = puestos.CargarPuestos(&progress);
        if (!loaded)
            report(loaded.error());
    }

    // 14. The tariff cache.
    const Status tariffs = m_engine.cargarTarifas();
    if (!tariffs)
        report(tariffs.error());

    // 15. The links of every station that is not deactivated, the first row
    // selected, the commands in step with it, and the periodic save.
    puestos.startAll();
    m_engine.reloj().start();
    puestos.setSelectedRow(1);
    puestos.RefrescarMenus();
    puestos.startPeriodicSave();
    // A server that goes away from now on is noticed, told and retried.
    m_engine.conexion().start();
    m_engine.consola().start();
    // Edits at the other consoles of a server's database; never under an
    // open modal window, whose lists or station could change beneath it.
    m_engine.cambios().setDeferWhile([] { return QApplication::activeModalWidget() != nullptr; });
    m_engine.cambios().start();
    return true;
}

void ConsoleLifecycle::restoreLayout() {
    const app::ConfigIni config(m_paths.configIni());
    if (m_context.firstRun || !config.exists()) {
        m_main.docks()->firstLayout();
        return;
    }
    m_main.docks()->restore(config.readLayout());
}

void ConsoleLifecycle::shutdown() {
    // 2. The closing mail.
    const bool mailPending = m_mail && m_mail->closing();
    TDataModule1& data = *m_context.data;
    m_engine.cambios().stop();
    // A server still away gets one last chance; without it nothing below
    // can be written, and the operator hears so once. The stations keep
    // what their rows said last: running periods go on at the next start.
    m_engine.conexion().stop();
    if (m_engine.conexion().isLost() && !m_engine.conexion().reconnectNow()) {
        m_engine.consola().stop(false);
        m_engine.reloj().stop();
        m_engine.puestos().stopPeriodicSave();
        report(TFrmMain::messages().text(QStringLiteral("NoEscritura")) +
               TFrmMain::messages().text(QStringLiteral("NoConexion")));
        const app::ConfigIni config(m_paths.configIni());
        if (const Status written = config.writeLayout(m_main.docks()->capture()); !written)
            report(written.error());
        m_engine.puestos().stopAll();
        if (mailPending)
            m_mail->awaitClosing();
        return;
    }

    // 4. Column widths and panel sizes, the same values start-up read.
    for (GridLayoutParticipant* p : m_gridParticipants)
        p->captureGrids(m_grids, m_opciones);
    m_grids.PANELIZQ = m_main.docks()->leftPanelWidth();
    m_grids.PANELINF = m_main.docks()->bottomPanelHeight();
    try {
        store::saveGrids(data.db(), m_grids);
    } catch (const store::DatabaseError& e) {
        report(TFrmMain::messages().text(QStringLiteral("NoEscritura")) + e.text());
    }

    // 5. The docking layout.
    const app::ConfigIni config(m_paths.configIni());
    const Status written = config.writeLayout(m_main.docks()->capture());
    if (!written)
        report(written.error());

    // 6. The grid panel's width and the queues' order.
    m_opciones.panelinf = m_main.gridPanelWidth();
    try {
        // These columns alone: another console may be issuing tickets.
        store::saveLayoutOpciones(data.db(), m_opciones);
    } catch (const store::DatabaseError& e) {
        report(TFrmMain::messages().text(QStringLiteral("NoEscritura")) + e.text());
    }

    // 7. The periodic save stops; every station is saved, with progress.
    ListaPuestos& puestos = m_engine.puestos();
    m_engine.reloj().stop();
    puestos.stopPeriodicSave();
    // Periods closed in the last second are booked now; what fails stays running.
    try {
        m_engine.liquidarPendientes();
    } catch (const store::DatabaseError& e) {
        report(TFrmMain::messages().text(QStringLiteral("NoEscritura")) + e.text());
    }
    {
        ui::ProgressWindow progress(&m_main);
        const Status saved = puestos.GuardarPuestos(&progress);
        if (!saved)
            report(TFrmMain::messages().text(QStringLiteral("NoEscritura")) + saved.error());
    }

    // The name goes back; the stations stay this console's for its next start.
    m_engine.consola().stop(true);
    // 8. Every link stops. 9: the closing mail ends.
    puestos.stopAll();
    // Nothing writes any more: another console may take the file.
    data.lock().release();
    if (mailPending)
        m_mail->awaitClosing();
}

void ConsoleLifecycle::changeOperator() {
    TFrmAcceso dialog(m_context, m_paths, TFrmAcceso::Mode::ChangeOperator, &m_main);
    dialog.begin();
    const QString previous = m_context.currentOperator;
    if (ui::execDialog(&dialog) != QDialog::Accepted) {
        m_context.currentOperator = previous;
        return;
    }
    m_main.setOperatorName(m_context.currentOperator);
    if (m_mail)
        m_mail->operatorChanged();
    emit operatorChanged(m_context.currentOperator);
}
