#pragma once

#include "store/operadores.h"

#include <QObject>

class ConsoleEngine;
class QAction;
class QDockWidget;
class QLabel;
class QMenu;
class QToolBar;
class StationGridModel;
class StationGridView;
class TFrmColMen;
class TFrmMain;
class TFrmVolumen;
struct ConsoleContext;

// Puts the station registry on the main window: the grid, the message
// queue, the volume window, the station commands of the menus, the pop-up
// menu and the tool bar, and keeps their availability and the status bar in
// step with the selected station.
class StationController : public QObject {
    Q_OBJECT
public:
    StationController(ConsoleEngine& engine, TFrmMain& window, QObject* parent = nullptr);
    ~StationController() override;

    StationGridView* grid() const { return m_grid; }
    StationGridModel* gridModel() const { return m_model; }
    TFrmColMen* messageWindow() const { return m_messages; }
    TFrmVolumen* volumeWindow() const { return m_volume; }
    QMenu* popupMenu() const { return m_popup; }
    QToolBar* toolBar() const { return m_toolBar; }

    // The availability of every station command and the status bar, from
    // the selected station.
    void RefrescarMenus();

    // The permission check of a guarded command: a refusal shows the
    // operator's name and the refusal text; an operator without a row is
    // refused silently.
    bool permitted(store::Permiso permiso, const QString& refusalKey = QString());

    // Entries whose commands exist; the others stay disabled whatever the state.
    void setCommandAvailable(const QString& actionName, bool available);

    // Commands (also reachable through the actions).
    void apagar(int kind);
    void apagarTodos();
    void desactivar();
    void activar();
    void enviarMensaje(const QString& text);
    void fijarVolumen(int value);

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The status bar's warning: the lost connection, else a refused save.
    void showSaveState();
    void buildPopupAndToolBar();
    void mirror(QAction* source, QMenu* menu, QToolBar* bar, const QString& toolTip);
    void setActionEnabled(const QString& name, bool enabled);

    ConsoleEngine& m_engine;
    ConsoleContext& m_context;
    TFrmMain& m_window;
    StationGridModel* m_model = nullptr;
    StationGridView* m_grid = nullptr;
    TFrmColMen* m_messages = nullptr;
    QDockWidget* m_messagesDock = nullptr;
    TFrmVolumen* m_volume = nullptr;
    QMenu* m_popup = nullptr;
    QToolBar* m_toolBar = nullptr;
    QStringList m_available;
    QLabel* m_saveWarning = nullptr;
};
