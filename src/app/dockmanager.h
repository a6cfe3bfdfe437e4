#pragma once

#include "app/docklayout.h"

#include <QObject>
#include <QString>

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

    app::DockLayout capture() const;
    // Windows that are not registered are skipped.
    void restore(const app::DockLayout& layout);
    // Every tool window hidden, undocked and centred on the screen.
    void restoreDefault();

    void dock(QDockWidget* dock, app::DockHost host);
    app::DockHost hostOf(const QDockWidget* dock) const;

    // Sizes of the left and bottom panels (Grids.PANELIZQ, Grids.PANELINF).
    void setPanelSizes(int leftWidth, int bottomHeight);
    int leftPanelWidth() const;
    int bottomPanelHeight() const;

private:
    struct Entry {
        QString section;
        QDockWidget* dock = nullptr;
        QAction* viewAction = nullptr;
    };
    QByteArray siteData(app::DockHost host) const;
    void applySiteData(app::DockHost host, const QByteArray& data);

    QMainWindow* m_main;
    QMainWindow* m_center;
    std::vector<Entry> m_entries;
    int m_leftWidth = 200;
    int m_bottomHeight = 200;
};
