#include "app/dockmanager.h"
#include "app/frmmain.h"
#include "app/lifecycle.h"
#include "app/sessioncontroller.h"
#include "app/stationcontroller.h"
#include "core/consolecontext.h"
#include "sales/frmcolpue.h"
#include "sales/pendingtickets.h"
#include "session/engine.h"
#include "store/databaselock.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "support/scriptedui.h"
#include "support/testdb.h"
#include "support/testserver.h"

#include <QAction>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QSettings>
#include <QTest>

namespace {

struct Console {
    explicit Console(TestHome& h)
        : home(h) {
        context.data = &data;
        context.regional = Regional::spanishSpain();
        context.workingDatabase = home.where();
        context.currentOperator = QStringLiteral("CAJA");
        [&] { QVERIFY(data.open(home.database())); }();
        engine = std::make_unique<ConsoleEngine>(context);
        lifecycle = std::make_unique<ConsoleLifecycle>(context, app::Paths(home.home()), window, *engine);
    }
    TestHome& home;
    TDataModule1 data;
    ConsoleContext context;
    TFrmMain window;
    std::unique_ptr<ConsoleEngine> engine;
    std::unique_ptr<ConsoleLifecycle> lifecycle;
};

// The console with its station commands and station queue, as main() builds it.
struct QueueConsole : Console {
    explicit QueueConsole(TestHome& h)
        : Console(h)
        , stations(*engine, window)
        , sessions(*engine, window, stations) {
        lifecycle->addGridParticipant(&sessions);
    }
    QStringList queueTickets() const {
        QStringList numbers;
        const sales::PendingTicketsModel& m = *sessions.queueModel();
        for (int row = 0; row < m.rowCount(); ++row)
            numbers << m.data(m.index(row, 1)).toString();
        return numbers;
    }
    QAction* order(const char* name) const {
        return sessions.queueWindow()->findChild<QAction*>(QString::fromLatin1(name));
    }
    StationController stations;
    SessionController sessions;
};

} // namespace

class TestShutdown : public QObject {
    Q_OBJECT
private slots:
    void afterLoginAppliesOptions_data();
    void afterLoginAppliesOptions();
    void menusAndStatusBar();
    void answeringNoChangesNothing();
    void answeringYesWritesLayoutGridsAndOptions();
    void layoutRoundTrip();
    void unwritableConfigIsReported();
    void stationQueueReopensInItsOrder();
    void consoleHoldsItsDatabaseFromLoginToShutdown();
};

void TestShutdown::afterLoginAppliesOptions_data() {
    QTest::addColumn<int>("ping");
    QTest::addColumn<int>("panelinf");
    QTest::addColumn<qint64>("redondeo");
    QTest::addColumn<int>("pollMs");
    QTest::addColumn<int>("panel");
    QTest::addColumn<qint64>("unit");
    QTest::newRow("ping 0, panel 0") << 0 << 0 << qint64(500) << 1000 << 400 << qint64(500);
    QTest::newRow("ping 5") << 5 << 321 << qint64(1000) << 5000 << 321 << qint64(1000);
    QTest::newRow("ping 60") << 60 << 400 << qint64(500) << 60000 << 400 << qint64(500);
    QTest::newRow("ping 61, no rounding unit") << 61 << 400 << qint64(0) << 1000 << 400 << qint64(100);
    QTest::newRow("negative rounding unit") << 1 << 400 << qint64(-500) << 1000 << 400 << qint64(100);
}

void TestShutdown::afterLoginAppliesOptions() {
    QFETCH(int, ping);
    QFETCH(int, panelinf);
    QFETCH(qint64, redondeo);
    QFETCH(int, pollMs);
    QFETCH(int, panel);
    QFETCH(qint64, unit);
    TestHome home;
    const QString path = home.createDatabase();
    {
        TDataModule1 d;
        QVERIFY(d.open(path));
        store::run(
            d.db(),
            QStringLiteral("UPDATE opciones SET ping = ?, panelinf = ?, redondeo = ?, alarmacredito = 25000, "
                           "alarmaprepago = 90, cambiotarifa = 0, porfranjas = 1"),
            {ping, panelinf, redondeo});
    }
    ScriptedUi ui;
    Console c(home);
    c.window.resize(1200, 700);
    QVERIFY(c.lifecycle->afterLogin());
    QCOMPARE(c.context.settings.pollIntervalMs, pollMs);
    QCOMPARE(c.context.settings.roundingUnit.raw(), unit);
    QCOMPARE(c.context.settings.creditAlarm.raw(), qint64(25000));
    QCOMPARE(c.context.settings.prepaidAlarmSeconds, 90);
    QCOMPARE(c.context.settings.cambiotarifa, 0);
    QVERIFY(c.context.settings.porfranjas);
    c.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&c.window));
    QCOMPARE(c.window.gridPanelWidth(), panel);
    QVERIFY(ui.messages().isEmpty());
}

void TestShutdown::menusAndStatusBar() {
    TestHome home;
    home.createDatabase(QStringLiteral("ciber.mdb"), true);
    ScriptedUi ui;
    Console c(home);
    QVERIFY(!c.window.menuBar()->isVisible() || c.window.menuBar()->actions().isEmpty());
    QVERIFY(c.lifecycle->afterLogin());
    QCOMPARE(c.window.operatorPanelText(), QStringLiteral("Operador: CAJA"));
    QCOMPARE(c.window.findChild<QLabel*>(QStringLiteral("operatorPanel"))->width(), 150);
    QStringList titles;
    for (QAction* a : c.window.menuBar()->actions())
        titles << a->text();
    QCOMPARE(titles, QStringList({QStringLiteral("&Archivo"), QStringLiteral("&Comandos"),
                                  QStringLiteral("C&onfiguración"), QStringLiteral("&Utilidades"),
                                  QStringLiteral("&Ver"), QStringLiteral("A&yuda")}));
    // Entries of functions this build lacks are visible and disabled; the ones it has work.
    QVERIFY(c.window.action(QStringLiteral("cambioOperador"))->isEnabled());
    QVERIFY(c.window.action(QStringLiteral("restaurarEscritorio"))->isEnabled());
    QCOMPARE(c.window.action(QStringLiteral("cambioOperador"))->text(),
             QStringLiteral("&2.- Cambio de operador..."));
    QCOMPARE(c.window.action(QStringLiteral("apagarTodos"))->shortcut(),
             QKeySequence(Qt::SHIFT | Qt::Key_Delete));
    QCOMPARE(c.window.action(QStringLiteral("desactivar"))->text(), QStringLiteral("&9. - Desactiva Puesto"));
}

void TestShutdown::answeringNoChangesNothing() {
    TestHome home;
    home.createDatabase(QStringLiteral("ciber.mdb"), true);
    ScriptedUi ui;
    Console c(home);
    QVERIFY(c.lifecycle->afterLogin());
    c.window.show();
    const store::Grids before = store::readGrids(c.data.db());
    ui.answerNext(ui::Answer::No);
    QVERIFY(!c.window.close());
    QCOMPARE(ui.messages().size(), 1);
    QCOMPARE(ui.messages().first().caption, QStringLiteral("Quintor"));
    QCOMPARE(ui.messages().first().text, QStringLiteral("¿Finalizar aplicación?"));
    QCOMPARE(ui.messages().first().icon, ui::Icon::Question);
    QCOMPARE(ui.messages().first().buttons, ui::Buttons::YesNo);
    QVERIFY(c.window.isVisible());
    QVERIFY(!QFile::exists(home.configIni()));
    QCOMPARE(store::readGrids(c.data.db()), before);
}

void TestShutdown::answeringYesWritesLayoutGridsAndOptions() {
    TestHome home;
    home.createDatabase(QStringLiteral("ciber.mdb"), true);
    ScriptedUi ui;
    Console c(home);
    QVERIFY(c.lifecycle->afterLogin());
    c.window.resize(1100, 700);
    c.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&c.window));
    c.window.setGridPanelWidth(333);
    ui.answerNext(ui::Answer::Yes);
    QVERIFY(c.window.close());

    // First run: the layout sections, and no [Empresa].
    QVERIFY(QFile::exists(home.configIni()));
    QSettings ini(home.configIni(), QSettings::IniFormat);
    QVERIFY(!ini.childGroups().contains(QStringLiteral("Empresa")));
    QVERIFY(ini.childGroups().contains(QStringLiteral("DockSites")));
    for (const char* key : {"LeftWidth", "LeftHeight", "LeftData", "BottomWidth", "BottomHeight",
                            "BottomData", "CenterWidth", "CenterHeight", "CenterData"})
        QVERIFY2(ini.contains(QStringLiteral("DockSites/") + QLatin1String(key)), key);
    QVERIFY(QRegularExpression(QStringLiteral("^[0-9A-F]*$"))
                .match(ini.value(QStringLiteral("DockSites/LeftData")).toString())
                .hasMatch());

    const store::Opciones o = store::readOpciones(c.data.db());
    QCOMPARE(o.panelinf, 333);
    QVERIFY(o.sup);
    QVERIFY(o.inf);
    const store::Grids g = store::readGrids(c.data.db());
    QVERIFY(g.PANELIZQ > 0);
    QVERIFY(g.PANELINF > 0);
}

void TestShutdown::layoutRoundTrip() {
    TestHome home;
    home.createDatabase(QStringLiteral("ciber.mdb"), true);
    ScriptedUi ui;
    app::DockLayout saved;
    {
        Console c(home);
        QVERIFY(c.lifecycle->afterLogin());
        auto* dock = new QDockWidget(QStringLiteral("Cola de mensajes "), &c.window);
        dock->setWidget(new QLabel(QStringLiteral("x")));
        auto* view = new QAction(QStringLiteral("&4.- Cola de mensajes..."), &c.window);
        c.window.docks()->registerWindow(QStringLiteral("FrmColMen"), dock, view);
        c.window.docks()->dock(dock, app::DockHost::Bottom);
        c.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&c.window));
        ui.answerNext(ui::Answer::Yes);
        QVERIFY(c.window.close());
        QSettings ini(home.configIni(), QSettings::IniFormat);
        QCOMPARE(ini.value(QStringLiteral("FrmColMen/Docked")).toInt(), 1);
        QCOMPARE(ini.value(QStringLiteral("FrmColMen/DockHost")).toInt(), 2);
        QCOMPARE(ini.value(QStringLiteral("FrmColMen/Visible")).toInt(), 1);
        QVERIFY(ini.contains(QStringLiteral("FrmColMen/Orientation")));
    }
    {
        Console c(home);
        QVERIFY(c.lifecycle->afterLogin());
        auto* dock = new QDockWidget(QStringLiteral("Cola de mensajes "), &c.window);
        auto* view = new QAction(QStringLiteral("&4.- Cola de mensajes..."), &c.window);
        c.window.docks()->registerWindow(QStringLiteral("FrmColMen"), dock, view);
        dock->hide();
        c.window.show();
        c.lifecycle->restoreLayout();
        QCOMPARE(c.window.docks()->hostOf(dock), app::DockHost::Bottom);
        QVERIFY(!dock->isHidden());
        QVERIFY(view->isChecked());
        // The default desktop: every tool window hidden, back in the bottom panel.
        c.window.action(QStringLiteral("restaurarEscritorio"))->trigger();
        QVERIFY(dock->isHidden());
        QVERIFY(!dock->isFloating());
        QCOMPARE(c.window.docks()->hostOf(dock), app::DockHost::Bottom);
        QVERIFY(!view->isChecked());
        c.window.setCloseConfirmed(true);
    }
}

void TestShutdown::unwritableConfigIsReported() {
    TestHome home;
    home.createDatabase(QStringLiteral("ciber.mdb"), true);
    // A folder where the file should be: nothing can write it, not even root.
    QDir(home.databaseFolder()).mkdir(QStringLiteral("config.ini"));
    ScriptedUi ui;
    Console c(home);
    QVERIFY(c.lifecycle->afterLogin());
    c.window.show();
    ui.answerNext(ui::Answer::Yes);
    QVERIFY(c.window.close());
    QCOMPARE(ui.messages().size(), 2);
    QVERIFY(ui.messages().at(1).text.contains(QStringLiteral("config.ini")));
    QCOMPARE(c.lifecycle->problems().size(), 1);
    // The rest of the shut-down still happened.
    QCOMPARE(store::readOpciones(c.data.db()).panelinf, c.window.gridPanelWidth());
}

void TestShutdown::stationQueueReopensInItsOrder() {
    TestHome home;
    const QString path = home.createDatabase(QStringLiteral("ciber.mdb"), true);
    {
        // Station addresses of this test's own, where nothing answers.
        TDataModule1 d;
        QVERIFY(d.open(path));
        store::run(d.db(), QStringLiteral("UPDATE puestos SET ip = '127.47.0.' || npuesto"));
    }
    ScriptedUi ui;
    QStringList opened;
    {
        QueueConsole c(home);
        QVERIFY(c.lifecycle->afterLogin());
        ListaPuestos& puestos = c.engine->puestos();
        for (int number : {1, 2, 3}) {
            session::AperturaPedido prepaid;
            prepaid.prepago = true;
            prepaid.tariffName = QStringLiteral("NORMAL");
            prepaid.amount = Currency::fromUnits(6);
            prepaid.minutes = 30;
            QVERIFY(c.engine->abrirPuesto(puestos.positionOf(number), prepaid).ok());
            opened << puestos.at(puestos.positionOf(number)).rec().ticketNumber;
        }
        QCOMPARE(c.queueTickets(), opened);
        c.order("ordenarDescendente")->trigger();
        QCOMPARE(c.queueTickets(), (QStringList{opened[2], opened[1], opened[0]}));
        c.window.show();
        ui.answerNext(ui::Answer::Yes);
        QVERIFY(c.window.close());
    }

    QueueConsole c(home);
    QVERIFY(c.lifecycle->afterLogin());
    // The stations are back with their periods and tickets, and the queue
    // opens as it was left: newest first.
    ListaPuestos& puestos = c.engine->puestos();
    for (int i = 0; i < 3; ++i) {
        const station::StationRecord& r = puestos.at(puestos.positionOf(i + 1)).rec();
        QCOMPARE(r.estado, station::Estado::Prepago);
        QCOMPARE(r.ticketNumber, opened[i]);
    }
    QCOMPARE(c.queueTickets(), (QStringList{opened[2], opened[1], opened[0]}));
    QVERIFY(c.order("ordenarDescendente")->isChecked());
    QVERIFY(!c.order("ordenarAscendente")->isChecked());
    // A period opened now goes to the top.
    session::AperturaPedido prepaid;
    prepaid.prepago = true;
    prepaid.tariffName = QStringLiteral("NORMAL");
    prepaid.amount = Currency::fromUnits(6);
    prepaid.minutes = 30;
    QVERIFY(c.engine->abrirPuesto(puestos.positionOf(4), prepaid).ok());
    QCOMPARE(c.queueTickets().size(), 4);
    QCOMPARE(c.queueTickets().first(), puestos.at(puestos.positionOf(4)).rec().ticketNumber);
    c.window.setCloseConfirmed(true);
}

void TestShutdown::consoleHoldsItsDatabaseFromLoginToShutdown() {
    TestHome home;
    const QString path = home.createDatabase(QStringLiteral("ciber.mdb"), true);
    ScriptedUi ui;
    if (testserver::onServer()) {
        // A server's database is shared: the console claims no file for it.
        Console c(home);
        QVERIFY(c.lifecycle->afterLogin());
        QVERIFY(ui.messages().isEmpty());
        QVERIFY(QDir(home.databaseFolder()).entryList({QStringLiteral("*.lock")}, QDir::Files).isEmpty());
        c.window.setCloseConfirmed(true);
        return;
    }
    store::DatabaseLock probe;
    {
        // Held by another console: refused before a single station is loaded.
        QVERIFY(probe.acquire(path).acquired());
        Console c(home);
        QVERIFY(!c.lifecycle->afterLogin());
        QCOMPARE(ui.messages().size(), 1);
        QCOMPARE(ui.messages().first().icon, ui::Icon::Error);
        QVERIFY2(ui.messages().first().text.startsWith(
                     QStringLiteral("La base de datos «ciber.mdb» ya está abierta en otra consola (equipo ")),
                 qPrintable(ui.messages().first().text));
        QCOMPARE(c.engine->puestos().count(), 0);
        probe.release();
    }
    ui.clear();
    Console c(home);
    QVERIFY(c.lifecycle->afterLogin());
    QVERIFY(c.engine->puestos().count() > 0);
    QCOMPARE(probe.acquire(path).kind, store::DatabaseLock::Outcome::Kind::HeldElsewhere);
    c.lifecycle->shutdown();
    QVERIFY(probe.acquire(path).acquired());
    QVERIFY(ui.messages().isEmpty());
}

QTEST_MAIN(TestShutdown)
#include "tst_shutdown.moc"
