#pragma once

#include "app/paths.h"
#include "store/rows.h"

#include <QObject>
#include <QStringList>

struct ConsoleContext;
class TFrmMain;

// The console's life after the log-in: everything the main window needs
// before it is shown, the change of operator, and the orderly shut-down.
class ConsoleLifecycle : public QObject {
    Q_OBJECT
public:
    ConsoleLifecycle(ConsoleContext& context, app::Paths paths, TFrmMain& mainWindow,
                     QObject* parent = nullptr);

    // Runs the start-up steps that follow an accepted log-in, in order.
    // False when the database could not be read at all.
    bool afterLogin();
    // Once, shortly after the window is shown: the default docking layout on
    // the first run, otherwise the one saved in config.ini.
    void restoreLayout();
    // The shut-down steps that follow the operator's confirmation.
    void shutdown();
    // "&2.- Cambio de operador...".
    void changeOperator();

    // What the console could not read or write, for the operator to see.
    QStringList problems() const { return m_problems; }

    const store::Opciones& opciones() const { return m_opciones; }
    const store::Grids& grids() const { return m_grids; }

private:
    void report(const QString& problem);
    void applyRuntimeSettings();

    ConsoleContext& m_context;
    app::Paths m_paths;
    TFrmMain& m_main;
    store::Opciones m_opciones;
    store::Grids m_grids;
    store::WebConfig m_webConfig;
    QStringList m_problems;
};
