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
