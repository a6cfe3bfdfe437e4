#include "app/dockmanager.h"

#include <QAbstractItemView>
#include <QAction>
#include <QDataStream>
#include <QDockWidget>
#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIODevice>
#include <QMainWindow>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>

#include <algorithm>

namespace {
// How long after a restore the window may still be settling into its size.
constexpr qint64 SettleMs = 2000;
// How long a window manager may take to frame a window just shown.
constexpr int FrameKnownMs = 300;
} // namespace

DockManager::DockManager(QMainWindow* mainWindow, QMainWindow* centerSite, QObject* parent)
    : QObject(parent)
    , m_main(mainWindow)
    , m_center(centerSite) {}

void DockManager::registerWindow(const QString& section, QDockWidget* dock, QAction* viewAction) {
    dock->setObjectName(section);
    m_entries.push_back(Entry{section, dock, viewAction});
    if (viewAction) {
        viewAction->setCheckable(true);
        connect(viewAction, &QAction::triggered, dock, [this, dock](bool on) {
            if (on && dock->isHidden() && hostOf(dock) == app::DockHost::Bottom)
                openInBottomPanel(dock);
            dock->setVisible(on);
            if (on) {
                dock->raise();
                giveKeyboard(dock);
                QTimer::singleShot(0, this, &DockManager::shareBottomPanel);
            }
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

QDockWidget* DockManager::windowOf(const QAction* viewAction) const {
    for (const Entry& e : m_entries) {
        if (viewAction && e.viewAction == viewAction)
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
    // In the order they stand in the panel, so the next start stacks them alike.
    std::vector<const Entry*> shown;
    for (const Entry& e : m_entries) {
        if (hostOf(e.dock) == host && !e.dock->isHidden())
            shown.push_back(&e);
    }
    std::stable_sort(shown.begin(), shown.end(), [host](const Entry* a, const Entry* b) {
        return host == app::DockHost::Bottom ? a->dock->x() < b->dock->x() : a->dock->y() < b->dock->y();
    });
    for (const Entry* e : shown) {
        names << e->section;
        QMainWindow* site = host == app::DockHost::Center ? m_center : m_main;
        const QList<QDockWidget*> tabs = site->tabifiedDockWidgets(e->dock);
        tabbedWith << (tabs.isEmpty() ? QString() : tabs.first()->objectName());
    }
    out << quint8(1) << names << tabbedWith;
    return bytes;
}

DockManager::SiteData DockManager::readSiteData(const QByteArray& data) {
    if (data.isEmpty())
        return {};
    QDataStream in(data);
    in.setVersion(QDataStream::Qt_6_4);
    quint8 version = 0;
    SiteData site;
    in >> version >> site.names >> site.tabbedWith;
    if (in.status() != QDataStream::Ok || version != 1 || site.names.size() != site.tabbedWith.size())
        return {};
    return site;
}

void DockManager::applySiteData(app::DockHost host, const QByteArray& data) {
    const auto [names, tabbedWith] = readSiteData(data);
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
    // The panels' "Width"/"Height" beside the main window's own size tell the
    // next start what share of the window each panel had.
    layout.hasSites = true;
    layout.leftSite = {leftPanelWidth(), m_main->height(), siteData(app::DockHost::Left)};
    layout.bottomSite = {m_main->width(), bottomPanelHeight(), siteData(app::DockHost::Bottom)};
    layout.centerSite = {m_center->width(), m_center->height(), siteData(app::DockHost::Center)};
    layout.mainWindow.present = true;
    layout.mainWindow.maximized = m_main->isMaximized();
    const QRect normal = m_main->normalGeometry();
    layout.mainWindow.normal = layout.mainWindow.maximized && normal.isValid() ? normal : m_main->geometry();
    return layout;
}

void DockManager::placeMainWindow(const app::MainWindowState& state) {
    const QScreen* screen = m_main->screen() ? m_main->screen() : QGuiApplication::primaryScreen();
    if (state.present) {
        if (const QScreen* was = QGuiApplication::screenAt(state.normal.center()))
            screen = was;
    }
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QRect bounds = state.present ? app::fitInside(state.normal, area) : app::firstStartGeometry(area);
    // move() places the window's frame, so its title bar stays on the screen.
    m_main->resize(bounds.size());
    m_main->move(bounds.topLeft());
    if (state.present && state.maximized)
        m_main->setWindowState(m_main->windowState() | Qt::WindowMaximized);
    m_placedIn = area;
    m_main->installEventFilter(this);
}

void DockManager::keepFrameInside() {
    // The frame is known only once the window is up: shrink by it if the
    // window no longer fits.
    if (m_placedIn.isEmpty() || m_main->isMaximized() || m_main->isFullScreen())
        return;
    const QRect frame = m_main->frameGeometry();
    if (m_placedIn.contains(frame))
        return;
    const QSize margins = frame.size() - m_main->size();
    m_main->resize(m_main->size().boundedTo(m_placedIn.size() - margins));
    m_main->move(app::fitInside(m_main->frameGeometry(), m_placedIn).topLeft());
}

void DockManager::restore(const app::DockLayout& layout) {
    // Sizes in pixels of the window they were saved with, as shares of it.
    Shares shares;
    const int savedWidth = layout.bottomSite.width;
    const int savedHeight = layout.leftSite.height;
    if (layout.hasSites) {
        m_leftWidth = layout.leftSite.width > 0 ? layout.leftSite.width : m_leftWidth;
        m_bottomHeight = layout.bottomSite.height > 0 ? layout.bottomSite.height : m_bottomHeight;
        if (savedWidth > 0 && layout.leftSite.width > 0)
            shares.left = double(layout.leftSite.width) / savedWidth;
        if (savedHeight > 0 && layout.bottomSite.height > 0)
            shares.bottom = double(layout.bottomSite.height) / savedHeight;
    }
    // Each panel's windows docked in the order they stood in it.
    const QStringList order = readSiteData(layout.leftSite.data).names +
                              readSiteData(layout.bottomSite.data).names +
                              readSiteData(layout.centerSite.data).names;
    std::vector<Entry> entries = m_entries;
    std::stable_sort(entries.begin(), entries.end(), [&order](const Entry& a, const Entry& b) {
        const auto rank = [&order](const Entry& e) {
            const qsizetype i = order.indexOf(e.section);
            return i < 0 ? order.size() : i;
        };
        return rank(a) < rank(b);
    });
    const int savedCenterHeight = layout.centerSite.height;
    for (const Entry& e : entries) {
        auto it = layout.windows.find(e.section);
        if (it == layout.windows.end())
            continue;
        const app::DockWindowState& w = it->second;
        if (w.docked) {
            const int host = qBound(1, w.dockHost, 3);
            dock(e.dock, static_cast<app::DockHost>(host));
            e.dock->setVisible(w.visible || w.docked);
            if (host == int(app::DockHost::Bottom) && savedWidth > 0 && w.width > 0)
                shares.bottomWidths.emplace_back(e.dock, double(w.width) / savedWidth);
            if (host == int(app::DockHost::Center) && savedCenterHeight > 0 && w.height > 0)
                shares.centerHeights.emplace_back(e.dock, double(w.height) / savedCenterHeight);
        } else if (!w.visible && w.dockHost >= 1 && w.dockHost <= 3) {
            // Hidden in a panel: "Ver" shows it there again.
            dock(e.dock, static_cast<app::DockHost>(w.dockHost));
            e.dock->hide();
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
    m_shares = shares;
    m_sinceRestore.start();
    m_main->installEventFilter(this);
    applyShares();
}

void DockManager::applyShares() {
    if (!m_shares)
        return;
    const QSize size = m_main->size();
    setPanelSizes(m_shares->left > 0 ? qRound(m_shares->left * size.width()) : 0,
                  m_shares->bottom > 0 ? qRound(m_shares->bottom * size.height()) : 0);
    QList<QDockWidget*> docks;
    QList<int> widths;
    for (const auto& [d, share] : m_shares->bottomWidths) {
        if (d->isHidden() || hostOf(d) != app::DockHost::Bottom)
            continue;
        docks << d;
        widths << qMax(1, qRound(share * size.width()));
    }
    if (docks.size() > 1)
        m_main->resizeDocks(docks, widths, Qt::Horizontal);
    QList<QDockWidget*> stacked;
    QList<int> heights;
    for (const auto& [d, share] : m_shares->centerHeights) {
        if (d->isHidden() || hostOf(d) != app::DockHost::Center)
            continue;
        stacked << d;
        heights << qMax(1, qRound(share * m_center->height()));
    }
    if (stacked.size() > 1)
        m_center->resizeDocks(stacked, heights, Qt::Vertical);
}

bool DockManager::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_main && event->type() == QEvent::Show && !m_placedIn.isEmpty())
        QTimer::singleShot(FrameKnownMs, this, &DockManager::keepFrameInside);
    if (watched == m_main && event->type() == QEvent::Resize && m_shares) {
        // A window manager may maximise the window after the layout came
        // back: the shares follow it while the window settles.
        if (m_sinceRestore.elapsed() < SettleMs) {
            QTimer::singleShot(0, this, &DockManager::applyShares);
        } else {
            m_shares.reset();
            m_main->removeEventFilter(this);
        }
    }
    return QObject::eventFilter(watched, event);
}

void DockManager::shareBottomPanel() {
    // Windows side by side at the bottom: each the width its columns need,
    // and what is left shared equally.
    const QList<QDockWidget*> docks = bottomColumns();
    if (docks.size() < 2)
        return;
    QList<int> widths;
    int needed = 0;
    for (QDockWidget* d : docks) {
        widths << neededWidth(d);
        needed += widths.last();
    }
    const int spare = (m_main->width() - needed) / int(docks.size());
    for (int& w : widths)
        w = qMax(1, w + spare);
    m_main->resizeDocks(docks, widths, Qt::Horizontal);
}

void DockManager::giveKeyboard(QDockWidget* dock) {
    // Its list first: what the window's keys act on.
    QWidget* target = nullptr;
    if (auto* view = dock->findChild<QAbstractItemView*>())
        target = view->isVisibleTo(dock) ? view : nullptr;
    if (!target) {
        for (QWidget* w : dock->findChildren<QWidget*>()) {
            if (w->isVisibleTo(dock) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
                target = w;
                break;
            }
        }
    }
    if (target)
        target->setFocus(Qt::ShortcutFocusReason);
}

int DockManager::neededWidth(const QDockWidget* dock) {
    int width = dock->widget() ? dock->widget()->minimumSizeHint().width() : 0;
    for (const QTableView* view : dock->findChildren<QTableView*>()) {
        const QHeaderView* header = view->horizontalHeader();
        int columns = 0;
        for (int s = 0; s < header->count(); ++s) {
            const bool stretched = header->stretchLastSection() && s == header->count() - 1;
            columns += stretched ? header->sectionSizeHint(s) : header->sectionSize(s);
        }
        // Frame, scroll bar and the window's margins around the table.
        columns += 2 * view->frameWidth() + view->verticalScrollBar()->sizeHint().width() + 8;
        width = qMax(width, columns);
    }
    return width;
}

QList<QDockWidget*> DockManager::bottomColumns(const QDockWidget* except) const {
    QList<QDockWidget*> columns;
    for (const Entry& e : m_entries) {
        if (e.dock == except || e.dock->isHidden() || hostOf(e.dock) != app::DockHost::Bottom)
            continue;
        const QList<QDockWidget*> tabs = m_main->tabifiedDockWidgets(e.dock);
        const bool grouped =
            std::any_of(columns.begin(), columns.end(), [&tabs](QDockWidget* d) { return tabs.contains(d); });
        if (!grouped)
            columns << e.dock;
    }
    return columns;
}

void DockManager::openInBottomPanel(QDockWidget* dock) {
    const QList<QDockWidget*> there = bottomColumns(dock);
    if (there.isEmpty())
        return;
    int needed = neededWidth(dock);
    for (QDockWidget* d : there)
        needed += neededWidth(d);
    if (needed <= m_main->width())
        return;
    // Tabbed: the window keeps the whole width and the others stay one click away.
    m_main->tabifyDockWidget(there.last(), dock);
}

void DockManager::firstLayout() {
    m_shares.reset();
    for (const Entry& e : m_entries) {
        e.dock->hide();
        if (e.section == QLatin1String("FrmColPue") || e.section == QLatin1String("FrmColMen"))
            continue;
        dock(e.dock, app::DockHost::Bottom);
        e.dock->hide();
    }
    // Added in this order, the centre panel stacks them top to bottom.
    for (const char* section : {"FrmColPue", "FrmColMen"}) {
        if (QDockWidget* d = window(QLatin1String(section))) {
            dock(d, app::DockHost::Center);
            d->show();
        }
    }
    for (const Entry& e : m_entries) {
        if (e.viewAction)
            e.viewAction->setChecked(!e.dock->isHidden());
    }
}

void DockManager::restoreDefault() {
    m_shares.reset();
    for (const Entry& e : m_entries) {
        e.dock->hide();
        dock(e.dock, app::DockHost::Bottom);
        e.dock->hide();
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
