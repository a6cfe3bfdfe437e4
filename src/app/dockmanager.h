#pragma once

#include "app/docklayout.h"

#include <QElapsedTimer>
#include <QObject>
#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

class QAction;
class QDockWidget;
class QMainWindow;

// Places the dockable tool windows in the main window's three docking
// panels (left, bottom, centre) and moves that layout to and from config.ini.
class DockManager : public QObject {
    Q_OBJECT
public:
    DockManager(QMainWindow* mainWindow, QMainWindow* centerSite, QObject* parent = nullptr);

    // A tool window under its config.ini section; the "Ver" entry is checked
    // while the window is visible.
    void registerWindow(const QString& section, QDockWidget* dock, QAction* viewAction = nullptr);
    QDockWidget* window(const QString& section) const;
    // The tool window a "Ver" entry shows; nullptr for other actions.
    QDockWidget* windowOf(const QAction* viewAction) const;

    app::DockLayout capture() const;
    // Windows that are not registered are skipped. Panel and window sizes
    // are taken relative to the main window's size when they were saved.
    void restore(const app::DockLayout& layout);
    // Every tool window hidden and back in its place in the bottom panel, so
    // that "Ver" opens it docked there.
    void restoreDefault();
    // The first start's layout: the station queue above the message queue in
    // the centre panel, beside the grid, both visible; the accounts, codes
    // and movement queue hidden in the bottom panel, where "Ver" opens them.
    void firstLayout();

    // "Ver" opened it: its list, or its first field, takes the keyboard.
    static void giveKeyboard(QDockWidget* dock);

    // The width a tool window needs to show its columns and buttons whole.
    static int neededWidth(const QDockWidget* dock);

    // Before the main window is first shown: its saved bounds (fitted to the
    // screen) and maximised state, or the first-start place.
    void placeMainWindow(const app::MainWindowState& state);

    void dock(QDockWidget* dock, app::DockHost host);
    app::DockHost hostOf(const QDockWidget* dock) const;

    // Sizes of the left and bottom panels (Grids.PANELIZQ, Grids.PANELINF).
    void setPanelSizes(int leftWidth, int bottomHeight);
    int leftPanelWidth() const;
    int bottomPanelHeight() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        QString section;
        QDockWidget* dock = nullptr;
        QAction* viewAction = nullptr;
    };
    QByteArray siteData(app::DockHost host) const;
    void applySiteData(app::DockHost host, const QByteArray& data);
    // A panel's saved windows in order, each with the window it is tabbed
    // with (empty when none); both empty when the data is unreadable.
    struct SiteData {
        QStringList names;
        QStringList tabbedWith;
    };
    static SiteData readSiteData(const QByteArray& data);

    // The saved sizes as shares of the main window, applied again while the
    // window settles into its final size (a window manager maximises late).
    struct Shares {
        double left = 0;
        double bottom = 0;
        std::vector<std::pair<QDockWidget*, double>> bottomWidths;
        std::vector<std::pair<QDockWidget*, double>> centerHeights;
    };
    void applyShares();
    void shareBottomPanel();
    // A window opened in the bottom panel goes beside the ones there when
    // all fit the window's width, else it becomes a tab of the last one.
    void openInBottomPanel(QDockWidget* dock);
    // The visible windows of the bottom panel, one per group of tabs.
    QList<QDockWidget*> bottomColumns(const QDockWidget* except = nullptr) const;
    void keepFrameInside();

    QMainWindow* m_main;
    QMainWindow* m_center;
    std::vector<Entry> m_entries;
    int m_leftWidth = 200;
    int m_bottomHeight = 200;
    std::optional<Shares> m_shares;
    QElapsedTimer m_sinceRestore;
    // The screen area the main window was placed in.
    QRect m_placedIn;
};
