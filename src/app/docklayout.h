#pragma once

#include <QByteArray>
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

// The docking layout as config.ini keeps it: one section per tool window
// ("FrmUsr", "FrmCod", "FrmColMen", "FrmColPue", "FrmColMov") and the
// section "DockSites" for the panels "Left", "Bottom" and "Center".
struct DockLayout {
    std::map<QString, DockWindowState> windows;
    DockSiteState leftSite;
    DockSiteState bottomSite;
    DockSiteState centerSite;
    bool hasSites = false;

    static QStringList windowSections();
    static QStringList siteNames();

    void write(QSettings& ini) const;
    static DockLayout read(QSettings& ini);
};

// Two upper-case hex digits per byte, and back (garbage reads as empty).
QString toHexText(const QByteArray& bytes);
QByteArray fromHexText(const QString& text);

} // namespace app
