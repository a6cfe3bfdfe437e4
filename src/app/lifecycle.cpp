#include "app/lifecycle.h"

#include "app/configini.h"
#include "app/dockmanager.h"
#include "app/frmacceso.h"
#include "app/frmmain.h"
#include "core/consolecontext.h"
#include "store/datamodule.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "ui/messagebox.h"

namespace {
constexpr int DefaultGridPanelWidth = 400;
}

ConsoleLifecycle::ConsoleLifecycle(ConsoleContext& context, app::Paths paths, TFrmMain& mainWindow,
                                   QObject* parent)
    : QObject(parent)
    , m_context(context)
    , m_paths(std::move(paths))
    , m_main(mainWindow) {
    connect(&m_main, &TFrmMain::shutdownRequested, this, &ConsoleLifecycle::shutdown);
    connect(&m_main, &TFrmMain::changeOperatorRequested, this, &ConsoleLifecycle::changeOperator);
}

void ConsoleLifecycle::report(const QString& problem) {
    m_problems << problem;
    ui::showMessage(&m_main, ui::MessageRequest{TFrmMain::messages().text(QStringLiteral("Advertencia")),
                                                problem, ui::Icon::Warning, ui::Buttons::Ok});
}

void ConsoleLifecycle::applyRuntimeSettings() {
    RuntimeSettings& s = m_context.settings;
    s.pollIntervalMs = RuntimeSettings::pollIntervalForPing(m_opciones.ping);
    s.roundingUnit = RuntimeSettings::roundingUnitFor(m_opciones.redondeo);
    s.prepaidAlarmSeconds = m_opciones.alarmaprepago;
    s.creditAlarm = m_opciones.alarmacredito;
    s.cambiotarifa = m_opciones.cambiotarifa;
    s.porfranjas = m_opciones.porfranjas;
}

bool ConsoleLifecycle::afterLogin() {
    // 1. The menu appears only now.
    m_main.attachMenu();
    m_main.setOperatorName(m_context.currentOperator);

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
    if (!data.openWarning().isEmpty())
        report(data.openWarning());
    try {
        m_opciones = store::readOpciones(data.db());
    } catch (const store::DatabaseError& e) {
        report(e.text());
    }

    // 3 to 7. The grid panel; a failure on the way leaves it at 400 pixels.
    int panel = m_opciones.panelinf > 0 ? m_opciones.panelinf : DefaultGridPanelWidth;
    try {
        // 4, 5: the mail settings; the start mail and the mail timer come with
        // the notifications. 6: the printer list comes with ticket printing.
        m_webConfig = store::readWebConfig(data.db());
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
    m_main.docks()->setPanelSizes(m_grids.PANELIZQ, m_grids.PANELINF);

    // 11, 12. Poll period, rounding unit, alarms and the band-change rule.
    applyRuntimeSettings();

    // 13 to 15: the station registry, the tariff cache, the station links
    // and the clock start here as they are built.
    return true;
}

void ConsoleLifecycle::restoreLayout() {
    const app::ConfigIni config(m_paths.configIni());
    if (m_context.firstRun || !config.exists()) {
        m_main.docks()->restoreDefault();
        return;
    }
    m_main.docks()->restore(config.readLayout());
}

void ConsoleLifecycle::shutdown() {
    // 2. The closing mail comes with the notifications.
    TDataModule1& data = *m_context.data;

    // 4. Column widths and panel sizes, the same values start-up read.
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
        store::Opciones current = store::readOpciones(data.db());
        current.panelinf = m_opciones.panelinf;
        current.sup = m_opciones.sup;
        current.inf = m_opciones.inf;
        store::saveOpciones(data.db(), current);
    } catch (const store::DatabaseError& e) {
        report(TFrmMain::messages().text(QStringLiteral("NoEscritura")) + e.text());
    }

    // 7 to 9: the clock, the station save, the links and a pending mail stop
    // here as they are built.
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
    // The change mail comes with the notifications.
}
