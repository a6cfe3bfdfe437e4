#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QStringList>

#include <map>

class QSettings;

namespace app {

// Where a tool window sits: 0 floating, 1 left panel, 2 bottom panel, 3 centre panel.
enum class DockHost { Floating = 0, Left = 1, Bottom = 2, Center = 3 };

// One tool window's section of config.ini.
struct DockWindowState {
    bool docked = true;
    int dockHost = 1;
    int height = 0;
    int width = 0;
    int top = 0;
    int left = 0;
    bool visible = false;
    // Written only for a window docked in a panel.
    bool hasOrientation = false;
    int orientation = 0;
    int align = 0;
};

// One docking panel: its size and its own layout of windows.
struct DockSiteState {
    int width = 200;
    int height = 200;
    QByteArray data;
};

// The main window's place in config.ini (section "FrmMain"): its normal
// bounds and whether it was maximised ("State" 2, as the window state of
// the platform the file comes from numbers it; 0 normal).
struct MainWindowState {
    bool present = false;
    bool maximized = false;
    QRect normal;
};

// Bounds that fit the screen's available area: never larger, moved inside.
QRect fitInside(const QRect& wanted, const QRect& area);
// Where the main window goes when no place was saved: two thirds of the
// screen at the left, full height, leaving room for a window beside it.
QRect firstStartGeometry(const QRect& area);

// The docking layout as config.ini keeps it: one section per tool window
// ("FrmUsr", "FrmCod", "FrmColMen", "FrmColPue", "FrmColMov") and the
// section "DockSites" for the panels "Left", "Bottom" and "Center".
struct DockLayout {
    std::map<QString, DockWindowState> windows;
    DockSiteState leftSite;
    DockSiteState bottomSite;
    DockSiteState centerSite;
    bool hasSites = false;
    MainWindowState mainWindow;

    static QStringList windowSections();
    static QStringList siteNames();

    void write(QSettings& ini) const;
    static DockLayout read(QSettings& ini);
};

// Two upper-case hex digits per byte, and back (garbage reads as empty).
QString toHexText(const QByteArray& bytes);
QByteArray fromHexText(const QString& text);

} // namespace app
