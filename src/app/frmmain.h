#pragma once

#include "ui/messagetable.h"

#include <QHash>
#include <QMainWindow>

class DockManager;
class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QVBoxLayout;

// The console's main window: menus, tool bar, the station grid in its
// panel, the three docking panels for the tool windows and the status bar.
// It shows; the engine behind it decides.
class TFrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFrmMain(QWidget* parent = nullptr);

    static const ui::MessageTable& messages();

    // Attaches the menu bar (the window has none before the log-in).
    void attachMenu();
    QAction* action(const QString& name) const;
    QMenu* menu(const QString& name) const;

    void setOperatorName(const QString& name);
    QString operatorPanelText() const;
    // Panels 2 and 3 of the status bar: the selected station and its tariff.
    void setStationStatus(const QString& station, const QString& tariff);

    // The panel that holds the station grid, and its width.
    QWidget* gridPanel() const { return m_gridPanel; }
    QVBoxLayout* gridPanelLayout() const { return m_gridLayout; }
    void setGridPanelWidth(int width);
    int gridPanelWidth() const;

    QMainWindow* centerSite() const { return m_centerSite; }
    DockManager* docks() const { return m_docks; }

    // Closing asks first; tests and the shut-down skip the question with this.
    void setCloseConfirmed(bool confirmed) { m_closeConfirmed = confirmed; }

signals:
    // The operator confirmed the end of the program: run the shut-down now.
    void shutdownRequested();
    void changeOperatorRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    QAction* addEntry(QMenu* menu, const QString& text, const QString& name, const QKeySequence& key = {},
                      bool enabled = false);

    QMenuBar* m_menuBar = nullptr;
    QHash<QString, QAction*> m_actions;
    QHash<QString, QMenu*> m_menus;
    QLabel* m_operatorPanel = nullptr;
    QLabel* m_stationPanel = nullptr;
    QLabel* m_tariffPanel = nullptr;
    QSplitter* m_splitter = nullptr;
    QWidget* m_gridPanel = nullptr;
    QVBoxLayout* m_gridLayout = nullptr;
    QMainWindow* m_centerSite = nullptr;
    DockManager* m_docks = nullptr;
    bool m_closeConfirmed = false;
    bool m_shutdownDone = false;
};
