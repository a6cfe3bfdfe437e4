#include "app/dockmanager.h"

#include <QAction>
#include <QDataStream>
#include <QDockWidget>
#include <QGuiApplication>
#include <QIODevice>
#include <QMainWindow>
#include <QScreen>

DockManager::DockManager(QMainWindow* mainWindow, QMainWindow* centerSite, QObject* parent)
    : QObject(parent)
    , m_main(mainWindow)
    , m_center(centerSite) {}

void DockManager::registerWindow(const QString& section, QDockWidget* dock, QAction* viewAction) {
    dock->setObjectName(section);
    m_entries.push_back(Entry{section, dock, viewAction});
    if (viewAction) {
        viewAction->setCheckable(true);
        connect(viewAction, &QAction::triggered, dock, [dock](bool on) {
            dock->setVisible(on);
            if (on)
                dock->raise();
        });
        connect(dock, &QDockWidget::visibilityChanged, viewAction,
                [dock, viewAction] { viewAction->setChecked(!dock->isHidden()); });
    }
}

QDockWidget* DockManager::window(const QString& section) const {
    for (const Entry& e : m_entries) {
        if (e.section == section)
            return e.dock;
    }
    return nullptr;
}

app::DockHost DockManager::hostOf(const QDockWidget* dock) const {
    if (dock->isFloating())
        return app::DockHost::Floating;
    if (dock->parentWidget() == m_center)
        return app::DockHost::Center;
    return m_main->dockWidgetArea(const_cast<QDockWidget*>(dock)) == Qt::BottomDockWidgetArea
               ? app::DockHost::Bottom
               : app::DockHost::Left;
}

void DockManager::dock(QDockWidget* dock, app::DockHost host) {
    switch (host) {
    case app::DockHost::Floating:
        dock->setFloating(true);
        return;
    case app::DockHost::Center:
        if (dock->parentWidget() != m_center) {
            m_main->removeDockWidget(dock);
            dock->setParent(m_center);
        }
        m_center->addDockWidget(Qt::LeftDockWidgetArea, dock);
        break;
    case app::DockHost::Left:
    case app::DockHost::Bottom:
        if (dock->parentWidget() != m_main) {
            m_center->removeDockWidget(dock);
            dock->setParent(m_main);
        }
        m_main->addDockWidget(host == app::DockHost::Left ? Qt::LeftDockWidgetArea : Qt::BottomDockWidgetArea,
                              dock);
        break;
    }
    dock->setFloating(false);
}

QByteArray DockManager::siteData(app::DockHost host) const {
    // The windows of one panel in order, each with the window it is tabbed
    // with (empty when none).
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    QStringList names;
    QStringList tabbedWith;
    for (const Entry& e : m_entries) {
        if (hostOf(e.dock) != host || e.dock->isHidden())
            continue;
        names << e.section;
        QMainWindow* site = host == app::DockHost::Center ? m_center : m_main;
        const QList<QDockWidget*> tabs = site->tabifiedDockWidgets(e.dock);
        tabbedWith << (tabs.isEmpty() ? QString() : tabs.first()->objectName());
    }
    out << quint8(1) << names << tabbedWith;
    return bytes;
}

void DockManager::applySiteData(app::DockHost host, const QByteArray& data) {
    if (data.isEmpty())
        return;
    QDataStream in(data);
    in.setVersion(QDataStream::Qt_6_4);
    quint8 version = 0;
    QStringList names;
    QStringList tabbedWith;
    in >> version >> names >> tabbedWith;
    if (in.status() != QDataStream::Ok || version != 1 || names.size() != tabbedWith.size())
        return;
    QMainWindow* site = host == app::DockHost::Center ? m_center : m_main;
    for (int i = 0; i < names.size(); ++i) {
        QDockWidget* d = window(names[i]);
        QDockWidget* other = window(tabbedWith[i]);
        if (d && other && hostOf(other) == host && !other->isHidden() && hostOf(d) == host)
            site->tabifyDockWidget(other, d);
    }
}

app::DockLayout DockManager::capture() const {
    app::DockLayout layout;
    for (const Entry& e : m_entries) {
        app::DockWindowState w;
        const app::DockHost host = hostOf(e.dock);
        w.visible = !e.dock->isHidden();
        w.docked = w.visible && host != app::DockHost::Floating;
        w.dockHost = static_cast<int>(host);
        const QRect g = e.dock->isFloating() ? e.dock->frameGeometry() : e.dock->geometry();
        w.height = g.height();
        w.width = g.width();
        w.top = g.top();
        w.left = g.left();
        if (host != app::DockHost::Floating) {
            w.hasOrientation = true;
            w.orientation = host == app::DockHost::Bottom ? 1 : 0;
            w.align = w.dockHost;
        }
        layout.windows[e.section] = w;
    }
    layout.hasSites = true;
    layout.leftSite = {leftPanelWidth(), m_main->height(), siteData(app::DockHost::Left)};
    layout.bottomSite = {m_main->width(), bottomPanelHeight(), siteData(app::DockHost::Bottom)};
    layout.centerSite = {m_center->width(), m_center->height(), siteData(app::DockHost::Center)};
    return layout;
}

void DockManager::restore(const app::DockLayout& layout) {
    if (layout.hasSites) {
        m_leftWidth = layout.leftSite.width > 0 ? layout.leftSite.width : m_leftWidth;
        m_bottomHeight = layout.bottomSite.height > 0 ? layout.bottomSite.height : m_bottomHeight;
    }
    for (const Entry& e : m_entries) {
        auto it = layout.windows.find(e.section);
        if (it == layout.windows.end())
            continue;
        const app::DockWindowState& w = it->second;
        if (w.docked) {
            const int host = qBound(1, w.dockHost, 3);
            dock(e.dock, static_cast<app::DockHost>(host));
            e.dock->setVisible(w.visible || w.docked);
        } else if (w.visible) {
            e.dock->setFloating(true);
            if (w.width > 0 && w.height > 0)
                e.dock->setGeometry(w.left, w.top, w.width, w.height);
            e.dock->show();
        } else {
            e.dock->hide();
        }
        if (e.viewAction)
            e.viewAction->setChecked(!e.dock->isHidden());
    }
    applySiteData(app::DockHost::Left, layout.leftSite.data);
    applySiteData(app::DockHost::Bottom, layout.bottomSite.data);
    applySiteData(app::DockHost::Center, layout.centerSite.data);
    setPanelSizes(m_leftWidth, m_bottomHeight);
}

void DockManager::restoreDefault() {
    const QRect screen = m_main->screen() ? m_main->screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    for (const Entry& e : m_entries) {
        e.dock->hide();
        e.dock->setFloating(true);
        const QSize size = e.dock->size().isValid() ? e.dock->size() : QSize(320, 240);
        e.dock->move(screen.center() - QPoint(size.width() / 2, size.height() / 2));
        if (e.viewAction)
            e.viewAction->setChecked(false);
    }
}

void DockManager::setPanelSizes(int leftWidth, int bottomHeight) {
    if (leftWidth > 0)
        m_leftWidth = leftWidth;
    if (bottomHeight > 0)
        m_bottomHeight = bottomHeight;
    QList<QDockWidget*> left;
    QList<QDockWidget*> bottom;
    for (const Entry& e : m_entries) {
        if (e.dock->isHidden())
            continue;
        if (hostOf(e.dock) == app::DockHost::Left)
            left << e.dock;
        else if (hostOf(e.dock) == app::DockHost::Bottom)
            bottom << e.dock;
    }
    if (!left.isEmpty())
        m_main->resizeDocks({left.first()}, {m_leftWidth}, Qt::Horizontal);
    if (!bottom.isEmpty())
        m_main->resizeDocks({bottom.first()}, {m_bottomHeight}, Qt::Vertical);
}

int DockManager::leftPanelWidth() const {
    for (const Entry& e : m_entries) {
        if (!e.dock->isHidden() && hostOf(e.dock) == app::DockHost::Left)
            return e.dock->width();
    }
    return m_leftWidth;
}

int DockManager::bottomPanelHeight() const {
    for (const Entry& e : m_entries) {
        if (!e.dock->isHidden() && hostOf(e.dock) == app::DockHost::Bottom)
            return e.dock->height();
    }
    return m_bottomHeight;
}
