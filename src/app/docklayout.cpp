#include "app/docklayout.h"

#include <QSettings>

#include <cctype>

namespace app {

QStringList DockLayout::windowSections() {
    return {QStringLiteral("FrmUsr"), QStringLiteral("FrmCod"), QStringLiteral("FrmColMen"),
            QStringLiteral("FrmColPue"), QStringLiteral("FrmColMov")};
}

QStringList DockLayout::siteNames() {
    return {QStringLiteral("Left"), QStringLiteral("Bottom"), QStringLiteral("Center")};
}

QString toHexText(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex().toUpper());
}

QByteArray fromHexText(const QString& text) {
    const QByteArray latin = text.trimmed().toLatin1();
    if (latin.size() % 2 != 0)
        return {};
    for (char c : latin) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return {};
    }
    return QByteArray::fromHex(latin);
}

QRect fitInside(const QRect& wanted, const QRect& area) {
    if (area.isEmpty())
        return wanted;
    QRect r(wanted.topLeft(), wanted.size().boundedTo(area.size()));
    if (r.width() <= 0 || r.height() <= 0)
        return firstStartGeometry(area);
    r.moveLeft(qBound(area.left(), r.left(), area.right() + 1 - r.width()));
    r.moveTop(qBound(area.top(), r.top(), area.bottom() + 1 - r.height()));
    return r;
}

QRect firstStartGeometry(const QRect& area) {
    const int width = qMin(area.width(), qMax(area.width() * 2 / 3, 1024));
    return QRect(area.left(), area.top(), width, area.height());
}

namespace {

int intValue(QSettings& ini, const QString& key, int fallback) {
    bool ok = false;
    const int v = ini.value(key).toInt(&ok);
    return ok ? v : fallback;
}

} // namespace

void DockLayout::write(QSettings& ini) const {
    for (const auto& [section, w] : windows) {
        ini.remove(section);
        ini.beginGroup(section);
        ini.setValue(QStringLiteral("Docked"), w.docked ? 1 : 0);
        ini.setValue(QStringLiteral("DockHost"), w.dockHost);
        ini.setValue(QStringLiteral("Height"), w.height);
        ini.setValue(QStringLiteral("Width"), w.width);
        ini.setValue(QStringLiteral("Top"), w.top);
        ini.setValue(QStringLiteral("Left"), w.left);
        ini.setValue(QStringLiteral("Visible"), w.visible ? 1 : 0);
        if (w.hasOrientation) {
            ini.setValue(QStringLiteral("Orientation"), w.orientation);
            ini.setValue(QStringLiteral("Align"), w.align);
        }
        ini.endGroup();
    }
    if (mainWindow.present) {
        ini.beginGroup(QStringLiteral("FrmMain"));
        ini.setValue(QStringLiteral("State"), mainWindow.maximized ? 2 : 0);
        ini.setValue(QStringLiteral("Left"), mainWindow.normal.left());
        ini.setValue(QStringLiteral("Top"), mainWindow.normal.top());
        ini.setValue(QStringLiteral("Width"), mainWindow.normal.width());
        ini.setValue(QStringLiteral("Height"), mainWindow.normal.height());
        ini.endGroup();
    }
    ini.beginGroup(QStringLiteral("DockSites"));
    const DockSiteState* sites[] = {&leftSite, &bottomSite, &centerSite};
    const QStringList names = siteNames();
    for (int i = 0; i < 3; ++i) {
        ini.setValue(names[i] + QStringLiteral("Width"), sites[i]->width);
        ini.setValue(names[i] + QStringLiteral("Height"), sites[i]->height);
        ini.setValue(names[i] + QStringLiteral("Data"), toHexText(sites[i]->data));
    }
    ini.endGroup();
}

DockLayout DockLayout::read(QSettings& ini) {
    DockLayout layout;
    const QStringList groups = ini.childGroups();
    for (const QString& section : windowSections()) {
        if (!groups.contains(section))
            continue;
        ini.beginGroup(section);
        DockWindowState w;
        w.docked = intValue(ini, QStringLiteral("Docked"), 1) != 0;
        w.dockHost = intValue(ini, QStringLiteral("DockHost"), 1);
        w.height = intValue(ini, QStringLiteral("Height"), 0);
        w.width = intValue(ini, QStringLiteral("Width"), 0);
        w.top = intValue(ini, QStringLiteral("Top"), 0);
        w.left = intValue(ini, QStringLiteral("Left"), 0);
        w.visible = intValue(ini, QStringLiteral("Visible"), 0) != 0;
        w.hasOrientation = ini.contains(QStringLiteral("Orientation"));
        w.orientation = intValue(ini, QStringLiteral("Orientation"), 0);
        w.align = intValue(ini, QStringLiteral("Align"), 0);
        ini.endGroup();
        layout.windows[section] = w;
    }
    if (groups.contains(QStringLiteral("FrmMain"))) {
        ini.beginGroup(QStringLiteral("FrmMain"));
        MainWindowState& m = layout.mainWindow;
        m.maximized = intValue(ini, QStringLiteral("State"), 0) == 2;
        m.normal =
            QRect(intValue(ini, QStringLiteral("Left"), 0), intValue(ini, QStringLiteral("Top"), 0),
                  intValue(ini, QStringLiteral("Width"), 0), intValue(ini, QStringLiteral("Height"), 0));
        m.present = m.normal.width() > 0 && m.normal.height() > 0;
        ini.endGroup();
    }
    if (groups.contains(QStringLiteral("DockSites"))) {
        layout.hasSites = true;
        ini.beginGroup(QStringLiteral("DockSites"));
        DockSiteState* sites[] = {&layout.leftSite, &layout.bottomSite, &layout.centerSite};
        const QStringList names = siteNames();
        for (int i = 0; i < 3; ++i) {
            sites[i]->width = intValue(ini, names[i] + QStringLiteral("Width"), 200);
            sites[i]->height = intValue(ini, names[i] + QStringLiteral("Height"), 200);
            sites[i]->data = fromHexText(ini.value(names[i] + QStringLiteral("Data")).toString());
        }
        ini.endGroup();
    }
    return layout;
}

} // namespace app
