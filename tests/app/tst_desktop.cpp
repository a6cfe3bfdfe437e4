#include "app/accountscontroller.h"
#include "app/codigoscontroller.h"
#include "app/docklayout.h"
#include "app/dockmanager.h"
#include "app/frmmain.h"
#include "app/sessioncontroller.h"
#include "app/stationcontroller.h"
#include "session/stationgrid.h"
#include "station/frmcolmen.h"
#include "support/scriptedui.h"
#include "support/testengine.h"
#include "ui/listview.h"
#include "ui/mnemonicscope.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QHeaderView>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The engine on a main window with its controllers, shown.
struct Console : TestEngine {
    Console() {
        stations = std::make_unique<StationController>(*engine, window);
        sessions = std::make_unique<SessionController>(*engine, window, *stations);
        accounts = std::make_unique<AccountsController>(*engine, window, *stations);
        codes = std::make_unique<CodigosController>(*engine, window, *accounts);
        window.attachMenu();
    }
    bool show(QSize size) {
        window.resize(size);
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }
    QDockWidget* dock(const char* section) const {
        return window.docks()->window(QString::fromLatin1(section));
    }

    TFrmMain window;
    std::unique_ptr<StationController> stations;
    std::unique_ptr<SessionController> sessions;
    std::unique_ptr<AccountsController> accounts;
    std::unique_ptr<CodigosController> codes;
};

// Whether every column of the tool window's tables shows whole.
bool columnsWhole(const QDockWidget* dock) {
    for (const QTableView* view : dock->findChildren<QTableView*>()) {
        if (view->isVisible() && view->horizontalHeader()->length() > view->viewport()->width())
            return false;
    }
    return true;
}

} // namespace

class TestDesktop : public QObject {
    Q_OBJECT
private slots:
    void gridFontCell_data();
    void gridFontCell();
    void gridHeadersNeverClipped();
    void sortImageFollowsTheOrderShown();
    void defaultLayoutOpensDocked();
    void firstLayoutShowsTheQueues_data();
    void firstLayoutShowsTheQueues();
    void centrePanelComesBackInOrder();
    void bottomWindowsTabWhenNarrow_data();
    void bottomWindowsTabWhenNarrow();
    void altLetterInScope_data();
    void altLetterInScope();
    void keyboardReachesTheWindows();
    void columnWidthsComeBack();
    void fitColumns_data();
    void fitColumns();
    void dockSizesFollowTheWindow();
    void fitInside_data();
    void fitInside();
    void mainWindowStateRoundTrip();
    void maximisedWindowComesBackMaximised();
    void volumeWindowBesideTheGrid();
};

void TestDesktop::gridFontCell_data() {
    QTest::addColumn<qreal>("dpi");
    QTest::newRow("96 dpi") << qreal(96);
    QTest::newRow("120 dpi") << qreal(120);
    QTest::newRow("192 dpi") << qreal(192);
    QTest::newRow("72 dpi: never below the raster cell") << qreal(72);
}

void TestDesktop::gridFontCell() {
    QFETCH(qreal, dpi);
    const QFont font = StationGridView::gridFont(dpi);
    const QFontMetricsF m(font);
    const qreal scale = qMax<qreal>(1, dpi / 96);
    QVERIFY(QFontInfo(font).fixedPitch());
    QVERIFY2(m.horizontalAdvance(QLatin1Char('0')) >= 8 * scale, qPrintable(font.toString()));
    QVERIFY2(m.height() >= 12 * scale, qPrintable(font.toString()));
    // As large as needed, no larger: one pixel less would not hold the cell.
    QFont smaller = font;
    smaller.setPixelSize(font.pixelSize() - 1);
    const QFontMetricsF s(smaller);
    QVERIFY(s.horizontalAdvance(QLatin1Char('0')) < 8 * scale || s.height() < 12 * scale);
}

void TestDesktop::gridHeadersNeverClipped() {
    Console c;
    QVERIFY(c.show(QSize(1000, 700)));
    StationGridView* grid = c.stations->grid();
    StationGridModel* model = c.stations->gridModel();
    QHeaderView* header = grid->horizontalHeader();
    // Every sortable section with its image, then without.
    for (int section : {0, 2, 3}) {
        model->headerClicked(section);
        QVERIFY(model->sortImage(section) >= 0);
        for (int s = 0; s < 5; ++s)
            QVERIFY2(grid->columnWidth(s) >= header->sectionSizeHint(s),
                     qPrintable(QStringLiteral("section %1: %2 < %3")
                                    .arg(s)
                                    .arg(grid->columnWidth(s))
                                    .arg(header->sectionSizeHint(s))));
    }
    // The widths keep the proportions of 40, 60, 60 and 80 cells' worth at
    // least, and hold a ten-character login and the largest amount.
    const qreal cell = QFontMetricsF(grid->font()).horizontalAdvance(QLatin1Char('0'));
    QVERIFY(grid->columnWidth(1) >= qRound(60 * cell / 8));
    QVERIFY(grid->columnWidth(3) >= qRound(80 * cell / 8));
    const QFontMetrics cells(grid->font());
    QVERIFY(grid->columnWidth(1) >= cells.horizontalAdvance(QStringLiteral("  ABCDEFGHIJ")) + 4);
    QVERIFY(grid->columnWidth(3) >=
            cells.horizontalAdvance(c.context.regional.formatCurrency(-Currency::MaxAmount)) + 4);
    // A row holds its text.
    QVERIFY(grid->rowHeight(0) >= QFontMetrics(grid->font()).height());
    // The grid panel never gets so narrow that the ticket column is cut.
    c.window.setGridPanelWidth(100);
    QVERIFY(grid->width() >= grid->minimumWidth());
}

void TestDesktop::sortImageFollowsTheOrderShown() {
    Console c;
    for (int n = 1; n <= 8; ++n)
        c.rec(n).clockMs = n * 1000;
    StationGridModel* m = c.stations->gridModel();
    m->headerClicked(2);
    m->headerClicked(2);
    QCOMPARE(m->sortImage(2), 1);
    QCOMPARE(c.engine->puestos().at(0).number, 8);
    // The periodic save sorts by number: no arrow may still say "descending".
    QVERIFY(c.engine->puestos().GuardarPuestos());
    QCOMPARE(c.engine->puestos().at(0).number, 1);
    for (int s = 0; s < 5; ++s)
        QCOMPARE(m->sortImage(s), -1);
    QVERIFY(!m->headerData(2, Qt::Horizontal, Qt::DecorationRole).isValid());
    // The next click starts again from ascending.
    m->headerClicked(2);
    QCOMPARE(m->sortImage(2), 0);
    QCOMPARE(c.engine->puestos().at(0).number, 1);
}

void TestDesktop::defaultLayoutOpensDocked() {
    Console c;
    QVERIFY(c.show(QSize(1200, 800)));
    DockManager* docks = c.window.docks();
    docks->restoreDefault();
    QDockWidget* messages = c.dock("FrmColMen");
    QDockWidget* queue = c.dock("FrmColPue");
    QVERIFY(messages->isHidden());
    QVERIFY(!c.window.action(QStringLiteral("verMensajes"))->isChecked());

    c.window.action(QStringLiteral("verMensajes"))->trigger();
    c.window.action(QStringLiteral("verColaPuestos"))->trigger();
    QVERIFY(messages->isVisible());
    QVERIFY(!messages->isFloating());
    QVERIFY(!queue->isFloating());
    QCOMPARE(docks->hostOf(messages), app::DockHost::Bottom);
    QCOMPARE(docks->hostOf(queue), app::DockHost::Bottom);
    QVERIFY(c.window.action(QStringLiteral("verMensajes"))->isChecked());
    // Side by side, each showing its columns whole.
    QTRY_VERIFY(columnsWhole(messages) && columnsWhole(queue));
    QVERIFY(queue->width() > 1200 / 3);
}

void TestDesktop::firstLayoutShowsTheQueues_data() {
    QTest::addColumn<QSize>("screen");
    QTest::newRow("1366 x 768") << QSize(1366, 768);
    QTest::newRow("1920 x 1080") << QSize(1920, 1080);
}

void TestDesktop::firstLayoutShowsTheQueues() {
    QFETCH(QSize, screen);
    Console c;
    // The first start's place on a counter screen of that size, less a panel.
    QVERIFY(c.show(app::firstStartGeometry(QRect(QPoint(0, 0), screen - QSize(0, 40))).size()));
    DockManager* docks = c.window.docks();
    docks->firstLayout();
    QDockWidget* queue = c.dock("FrmColPue");
    QDockWidget* messages = c.dock("FrmColMen");
    for (QDockWidget* d : {queue, messages}) {
        QTRY_VERIFY(d->isVisible());
        QCOMPARE(docks->hostOf(d), app::DockHost::Center);
        QVERIFY2(d->height() >= 150, qPrintable(QString::number(d->height())));
        QVERIFY2(columnsWhole(d), qPrintable(d->objectName()));
    }
    QVERIFY(c.window.action(QStringLiteral("verMensajes"))->isChecked());
    QVERIFY(c.window.action(QStringLiteral("verColaPuestos"))->isChecked());
    // The station queue above the message queue, beside the grid.
    QVERIFY(queue->geometry().bottom() < messages->geometry().top());
    const StationGridView* grid = c.stations->grid();
    QVERIFY(grid->mapTo(&c.window, QPoint(grid->width(), 0)).x() <= queue->mapTo(&c.window, QPoint()).x());
    // The rest wait hidden in the bottom panel.
    for (const char* section : {"FrmUsr", "FrmCod", "FrmColMov"}) {
        QVERIFY(c.dock(section)->isHidden());
        QCOMPARE(docks->hostOf(c.dock(section)), app::DockHost::Bottom);
    }
}

void TestDesktop::centrePanelComesBackInOrder() {
    app::DockLayout saved;
    int queueHeight = 0;
    {
        Console c;
        QVERIFY(c.show(QSize(1200, 800)));
        c.window.docks()->firstLayout();
        // The message queue made taller by hand: a third of the panel for the tickets.
        QTRY_VERIFY(c.dock("FrmColMen")->isVisible());
        QTRY_VERIFY([&] {
            const int total = c.dock("FrmColPue")->height() + c.dock("FrmColMen")->height();
            c.window.findChild<QMainWindow*>(QStringLiteral("centerSite"))
                ->resizeDocks({c.dock("FrmColPue"), c.dock("FrmColMen")}, {total / 3, total - total / 3},
                              Qt::Vertical);
            QCoreApplication::processEvents();
            return qAbs(c.dock("FrmColPue")->height() - total / 3) <= 10;
        }());
        queueHeight = c.dock("FrmColPue")->height();
        saved = c.window.docks()->capture();
    }
    Console c;
    QVERIFY(c.show(QSize(1200, 800)));
    c.window.docks()->restore(saved);
    QDockWidget* queue = c.dock("FrmColPue");
    QDockWidget* messages = c.dock("FrmColMen");
    QTRY_VERIFY(queue->isVisible() && messages->isVisible());
    QCOMPARE(c.window.docks()->hostOf(queue), app::DockHost::Center);
    // Still the tickets on top, with the height they were left with.
    QVERIFY(queue->geometry().bottom() < messages->geometry().top());
    QTRY_VERIFY2(qAbs(queue->height() - queueHeight) <= 15, qPrintable(QString::number(queue->height())));
}

void TestDesktop::bottomWindowsTabWhenNarrow_data() {
    // The window's width against what the two windows need side by side.
    QTest::addColumn<int>("spare");
    QTest::addColumn<bool>("tabbed");
    QTest::newRow("a little short: tabbed") << -20 << true;
    QTest::newRow("just enough: side by side, each whole") << 40 << false;
}

void TestDesktop::bottomWindowsTabWhenNarrow() {
    QFETCH(int, spare);
    QFETCH(bool, tabbed);
    Console c;
    QDockWidget* accounts = c.dock("FrmUsr");
    QDockWidget* codes = c.dock("FrmCod");
    const int both = DockManager::neededWidth(accounts) + DockManager::neededWidth(codes);
    QVERIFY(c.show(QSize(both + spare, 800)));
    QTRY_COMPARE(c.window.width(), both + spare);
    c.window.docks()->firstLayout();
    c.window.action(QStringLiteral("verCuentas"))->trigger();
    c.window.action(QStringLiteral("verCodigos"))->trigger();
    QTRY_VERIFY(codes->isVisible());
    QCOMPARE(c.window.tabifiedDockWidgets(codes).contains(accounts), tabbed);
    // The one just opened is in front, with its columns whole, and so is the
    // other when beside it.
    QTRY_VERIFY(columnsWhole(codes));
    if (!tabbed)
        QTRY_VERIFY(columnsWhole(accounts));
}

void TestDesktop::altLetterInScope_data() {
    // Where the keyboard is, the letter, and what opens: a menu of the main
    // menu bar or a button of the docked window.
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("button");
    QTest::newRow("grid, Alt+O: Configuración, not the docked Modificar")
        << "grid" << int(Qt::Key_O) << "configuracion"
        << "";
    QTest::newRow("grid, Alt+A: Archivo, not the docked Limpiar") << "grid" << int(Qt::Key_A) << "archivo"
                                                                  << "";
    QTest::newRow("station queue, Alt+O: its Modificar") << "ticketQueue" << int(Qt::Key_O) << ""
                                                         << "M&odificar";
    QTest::newRow("message entry, Alt+A: its Limpiar") << "messageEntry" << int(Qt::Key_A) << ""
                                                       << "Limpi&ar";
    QTest::newRow("message entry, Alt+V: Ver") << "messageEntry" << int(Qt::Key_V) << "ver"
                                               << "";
}

void TestDesktop::altLetterInScope() {
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(QString, menu);
    QFETCH(QString, button);
    Console c;
    QVERIFY(c.show(QSize(1200, 800)));
    c.window.docks()->firstLayout();
    QWidget* start = focus == QLatin1String("grid") ? static_cast<QWidget*>(c.stations->grid())
                                                    : c.window.findChild<QWidget*>(focus);
    QVERIFY(start);
    QTRY_VERIFY(start->isVisible());
    start->setFocus();
    const ui::MnemonicScope::Target t =
        c.window.findChild<ui::MnemonicScope*>()->target(QApplication::focusWidget(), key);
    if (!menu.isEmpty()) {
        QVERIFY(t.menu);
        QCOMPARE(t.menu->menu(), c.window.menu(menu));
        // Pressed, the menu opens.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::AltModifier);
        QTRY_VERIFY(c.window.menu(menu)->isVisible());
        c.window.menu(menu)->close();
    } else {
        QVERIFY(t.button);
        QCOMPARE(t.button->text(), button);
    }
}

void TestDesktop::keyboardReachesTheWindows() {
    Console c;
    QVERIFY(c.show(QSize(1200, 800)));
    c.window.docks()->firstLayout();
    QTRY_VERIFY(c.dock("FrmColPue")->isVisible());
    // Tab from the grid: the tickets to collect.
    c.stations->grid()->setFocus();
    QTest::keyClick(c.stations->grid(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), c.window.findChild<QWidget*>(QStringLiteral("ticketQueue")));
    // A window opened from "Ver" takes the keyboard on its list.
    c.window.action(QStringLiteral("verCuentas"))->trigger();
    QTRY_COMPARE(QApplication::focusWidget(), c.window.findChild<QWidget*>(QStringLiteral("accounts")));
}

void TestDesktop::columnWidthsComeBack() {
    // Widths wider than any title, each its own, through start-up and shut-down.
    using G = store::Grids;
    const std::vector<int G::*> fields{
        &G::GRID1COL0,   &G::GRID1COL1,   &G::GRID1COL2,   &G::GRID1COL3,   &G::GRID1COL4,   &G::GRID1COL5,
        &G::GRID2COL0,   &G::GRID2COL1,   &G::GRID2COL2,   &G::GRID2COL3,   &G::GRID2COL4,   &G::GRID2COL5,
        &G::GRIDCUECOL0, &G::GRIDCUECOL1, &G::GRIDCUECOL2, &G::GRIDCUECOL3, &G::GRIDCUECOL4, &G::GRIDCUECOL5,
        &G::GRIDCODCOL0, &G::GRIDCODCOL1, &G::GRIDCODCOL2};
    G saved;
    for (size_t i = 0; i < fields.size(); ++i)
        saved.*fields[i] = 300 + int(i);
    store::Opciones options;
    options.sup = false;
    options.inf = false;
    Console c;
    const std::vector<GridLayoutParticipant*> participants{c.sessions.get(), c.accounts.get(), c.codes.get()};
    for (GridLayoutParticipant* p : participants)
        p->applyGrids(saved, options);
    G captured;
    store::Opciones order;
    order.sup = order.inf = true;
    for (GridLayoutParticipant* p : participants)
        p->captureGrids(captured, order);
    for (size_t i = 0; i < fields.size(); ++i)
        QCOMPARE(captured.*fields[i], saved.*fields[i]);
    // The queues' order comes back too.
    QVERIFY(!order.sup);
    QVERIFY(!order.inf);
}

void TestDesktop::fitColumns_data() {
    QTest::addColumn<int>("saved");
    QTest::addColumn<QString>("sample");
    QTest::addColumn<QString>("widest");
    QTest::newRow("not saved: the title") << 0 << QString() << QStringLiteral("title");
    QTest::newRow("saved narrower than the title") << 5 << QString() << QStringLiteral("title");
    QTest::newRow("saved wider: kept") << 400 << QStringLiteral("x") << QStringLiteral("saved");
    QTest::newRow("the sample is wider")
        << 20 << QStringLiteral("999.999,99 € 999.999,99 € 999.999,99 €") << QStringLiteral("sample");
}

void TestDesktop::fitColumns() {
    QFETCH(int, saved);
    QFETCH(QString, sample);
    QFETCH(QString, widest);
    QStandardItemModel model(1, 2);
    model.setHorizontalHeaderLabels({QStringLiteral("Concepto del movimiento"), QStringLiteral("B")});
    QTableView view;
    view.setModel(&model);
    ui::fitColumns(&view, {saved}, {sample});
    const int title = view.horizontalHeader()->sectionSizeHint(0);
    const int text = view.fontMetrics().horizontalAdvance(sample);
    const int w = view.columnWidth(0);
    if (widest == QLatin1String("title"))
        QCOMPARE(w, title);
    else if (widest == QLatin1String("saved"))
        QCOMPARE(w, saved);
    else
        QVERIFY(w > text && w > title);
    // A column with neither a saved width nor a sample still shows its title.
    QCOMPARE(view.columnWidth(1), view.horizontalHeader()->sectionSizeHint(1));
    QCOMPARE(ui::columnWidths(&view, 2), QList<int>({w, view.columnWidth(1)}));
}

void TestDesktop::dockSizesFollowTheWindow() {
    app::DockLayout saved;
    {
        Console c;
        QVERIFY(c.show(QSize(1200, 800)));
        DockManager* docks = c.window.docks();
        docks->restoreDefault();
        c.window.action(QStringLiteral("verMensajes"))->trigger();
        c.window.action(QStringLiteral("verColaPuestos"))->trigger();
        // Sized by hand once the panel took both windows in.
        QTRY_VERIFY([&] {
            c.window.resizeDocks({c.dock("FrmColMen"), c.dock("FrmColPue")}, {900, 300}, Qt::Horizontal);
            docks->setPanelSizes(0, 240);
            QCoreApplication::processEvents();
            return qAbs(c.dock("FrmColPue")->width() - 300) <= 10 && c.dock("FrmColPue")->height() == 240;
        }());
        saved = docks->capture();
        QCOMPARE(saved.bottomSite.height, 240);
    }
    Console c;
    QVERIFY(c.show(QSize(1000, 700)));
    c.window.docks()->restore(saved);
    QDockWidget* messages = c.dock("FrmColMen");
    QDockWidget* queue = c.dock("FrmColPue");
    QVERIFY(messages->isVisible() && queue->isVisible());
    // The same share of the height (240 of 800), three quarters and a quarter of the width.
    QTRY_VERIFY2(qAbs(queue->height() - 210) <= 15, qPrintable(QString::number(queue->height())));
    QTRY_VERIFY2(qAbs(messages->width() - 750) <= 30 && qAbs(queue->width() - 250) <= 30,
                 qPrintable(QStringLiteral("%1 %2").arg(messages->width()).arg(queue->width())));
    QCOMPARE(c.window.size(), QSize(1000, 700));
}

void TestDesktop::fitInside_data() {
    QTest::addColumn<QRect>("wanted");
    QTest::addColumn<QRect>("fitted");
    const QRect area(0, 0, 1600, 1000);
    QTest::newRow("inside") << QRect(100, 50, 800, 600) << QRect(100, 50, 800, 600);
    QTest::newRow("larger than the screen") << QRect(-20, -10, 2560, 1440) << area;
    QTest::newRow("off the right edge") << QRect(1500, 100, 800, 600) << QRect(800, 100, 800, 600);
    QTest::newRow("off the top") << QRect(10, -300, 800, 600) << QRect(10, 0, 800, 600);
    QTest::newRow("on a screen now gone") << QRect(3000, 2000, 800, 600) << QRect(800, 400, 800, 600);
    QTest::newRow("empty") << QRect(0, 0, 0, 0) << app::firstStartGeometry(area);
}

void TestDesktop::fitInside() {
    QFETCH(QRect, wanted);
    QFETCH(QRect, fitted);
    QCOMPARE(app::fitInside(wanted, QRect(0, 0, 1600, 1000)), fitted);
}

void TestDesktop::mainWindowStateRoundTrip() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("config.ini"));
    app::DockLayout layout;
    layout.mainWindow = {true, true, QRect(30, 40, 1000, 700)};
    {
        QSettings ini(path, QSettings::IniFormat);
        layout.write(ini);
    }
    QSettings ini(path, QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("FrmMain/State")).toInt(), 2);
    const app::DockLayout read = app::DockLayout::read(ini);
    QVERIFY(read.mainWindow.present);
    QVERIFY(read.mainWindow.maximized);
    QCOMPARE(read.mainWindow.normal, QRect(30, 40, 1000, 700));
    // A file written before the window's place was kept: nothing to restore.
    QSettings old(dir.filePath(QStringLiteral("old.ini")), QSettings::IniFormat);
    old.setValue(QStringLiteral("FrmColMen/Docked"), 1);
    QVERIFY(!app::DockLayout::read(old).mainWindow.present);
}

void TestDesktop::maximisedWindowComesBackMaximised() {
    Console c;
    const QRect area = c.window.screen()->availableGeometry();
    // Saved on a larger screen, maximised.
    c.window.docks()->placeMainWindow({true, true, QRect(area.topLeft(), area.size() * 2)});
    QVERIFY(c.window.windowState() & Qt::WindowMaximized);
    QVERIFY(area.contains(c.window.geometry()));
    c.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&c.window));
    QVERIFY(c.window.isMaximized());
    const app::DockLayout captured = c.window.docks()->capture();
    QVERIFY(captured.mainWindow.maximized);
    QVERIFY(area.contains(captured.mainWindow.normal));

    // The first start: two thirds of the screen at the left.
    Console first;
    first.window.docks()->placeMainWindow({});
    QVERIFY(!(first.window.windowState() & Qt::WindowMaximized));
    QCOMPARE(first.window.geometry(), app::firstStartGeometry(area));
}

void TestDesktop::volumeWindowBesideTheGrid() {
    Console c;
    QVERIFY(c.show(QSize(1000, 700)));
    TFrmVolumen* volume = c.stations->volumeWindow();
    c.window.action(QStringLiteral("volumen"))->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(volume));
    // Wide enough for its caption, and not over the main window's title bar.
    QVERIFY(volume->width() >= QFontMetrics(volume->font()).horizontalAdvance(volume->windowTitle()) + 60);
    StationGridView* grid = c.stations->grid();
    const QPoint gridRight = grid->mapToGlobal(QPoint(grid->width(), 0));
    QVERIFY(volume->geometry().left() >= gridRight.x() ||
            volume->geometry().right() >= volume->screen()->availableGeometry().right() - 1);
    QVERIFY(volume->geometry().top() >= c.window.geometry().top());
    QVERIFY(volume->screen()->availableGeometry().contains(volume->frameGeometry()));
    volume->close();
}

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
