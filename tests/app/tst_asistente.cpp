// The start-up assistant in the running console: when it opens, and what the
// console does with what it wrote.
#include "admin/frmasistente.h"
#include "app/asistentecontroller.h"
#include "app/frmmain.h"
#include "app/lifecycle.h"
#include "core/consolecontext.h"
#include "session/engine.h"
#include "sim/simulator.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "support/loopback.h"
#include "support/scriptedui.h"
#include "support/testdb.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTcpServer>
#include <QTest>

namespace {

QHostAddress base() {
    return loopbackBase(64);
}

// main()'s console after the log-in, on an installed console's first database.
struct Console {
    explicit Console(const QString& currentOperator = QStringLiteral("ADMIN")) {
        context.data = &first.data;
        context.regional = Regional::spanishSpain();
        context.workingDatabase = QStringLiteral("ciber.mdb");
        context.currentOperator = currentOperator;
        engine = std::make_unique<ConsoleEngine>(context);
        lifecycle = std::make_unique<ConsoleLifecycle>(context, app::Paths(first.home()), window, *engine);
        asistente = std::make_unique<AsistenteController>(*engine, window, *lifecycle);
        window.setCloseConfirmed(true);
    }
    ~Console() { engine->puestos().stopAll(); }
    void start() {
        QVERIFY(lifecycle->afterLogin());
        engine->puestos().linkEnvironment().port = port;
        asistente->beforeShow();
        window.show();
    }
    QSqlDatabase db() const { return first.db(); }

    ScriptedUi ui;
    FirstStartDatabase first;
    ConsoleContext context;
    TFrmMain window;
    std::unique_ptr<ConsoleEngine> engine;
    std::unique_ptr<ConsoleLifecycle> lifecycle;
    std::unique_ptr<AsistenteController> asistente;
    quint16 port = 2222;
};

// Fills every page for a room of two stations on loopback and finishes.
ScriptedUi::DialogHandler finish(quint16 port) {
    return [port](QDialog* d) {
        auto* w = qobject_cast<TFrmAsistente*>(d);
        w->show();
        w->findChild<QLineEdit*>(QStringLiteral("adminClave"))->setText(QStringLiteral("secreto"));
        w->findChild<QLineEdit*>(QStringLiteral("adminConfirmacion"))->setText(QStringLiteral("secreto"));
        w->next();
        w->findChild<QSpinBox*>(QStringLiteral("cantidad"))->setValue(2);
        auto* first = w->findChild<QLineEdit*>(QStringLiteral("primera"));
        first->selectAll();
        QTest::keyClicks(first, base().toString());
        w->sonda().setPort(port);
        for (int i = 0; i < 6 && w->currentId() != TFrmAsistente::PageResumen; ++i)
            w->next();
        w->button(QWizard::FinishButton)->click();
        return w->result();
    };
}

} // namespace

class TestAsistente : public QObject {
    Q_OBJECT
private slots:
    void opensAtAdminsLogInWhilePending_data();
    void opensAtAdminsLogInWhilePending();
    void finishedStationsPollAtOnce();
    void opensAtAChangeToAdmin();
    void cancelWithoutPasswordClosesTheConsole();
    void menuEntryIsAdmins_data();
    void menuEntryIsAdmins();
};

void TestAsistente::opensAtAdminsLogInWhilePending_data() {
    QTest::addColumn<QString>("op");
    QTest::addColumn<bool>("finished");
    QTest::addColumn<bool>("opens");
    QTest::newRow("ADMIN, first start") << "ADMIN" << false << true;
    QTest::newRow("another operator") << "CAJA" << false << false;
    QTest::newRow("ADMIN, once finished") << "ADMIN" << true << false;
}

void TestAsistente::opensAtAdminsLogInWhilePending() {
    QFETCH(QString, op);
    QFETCH(bool, finished);
    QFETCH(bool, opens);
    Console c(op);
    if (finished)
        store::run(c.db(), QStringLiteral("UPDATE asistente SET terminado = 1"));
    c.start();
    // A counter PC's first start fills the screen.
    QCOMPARE(c.window.isMaximized(), !finished);
    c.asistente->afterLogin();
    QCOMPARE(c.ui.dialogNames(), opens ? QStringList{QStringLiteral("TFrmAsistente")} : QStringList());
}

void TestAsistente::finishedStationsPollAtOnce() {
    const quint16 port = freePort(base());
    QVERIFY(port != 0);
    velkarsim::Simulator sim;
    sim.setPort(port);
    sim.addStations(base(), 2, 1);
    QString error;
    QVERIFY2(sim.start(&error), qPrintable(error));

    Console c;
    c.port = port;
    c.context.settings.pollIntervalMs = 200;
    c.start();
    QCOMPARE(c.engine->puestos().count(), 0);
    c.ui.onNextDialog(finish(port));
    c.asistente->afterLogin();
    QVERIFY2(c.ui.messages().isEmpty(), qPrintable(c.ui.messageTexts().join(u'\n')));

    // The grid holds the new stations and they are polled, as after the
    // station configuration window.
    ListaPuestos& puestos = c.engine->puestos();
    QCOMPARE(puestos.count(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(sim.station(0).lastPoll().seen && sim.station(1).lastPoll().seen, 5000);
    // F1 finds the tariff, and the rounding is in force without a restart.
    const Ttarifas* tariff = c.engine->tarifas().find(QStringLiteral("NORMAL"));
    QVERIFY(tariff);
    QCOMPARE(tariff->hourlyCost, Currency::fromCents(150));
    QCOMPARE(c.context.settings.roundingUnit, Currency::fromCents(5));
    QVERIFY(c.asistente->note());
    QVERIFY(c.asistente->note()->text().contains(QStringLiteral("Configuración")));

    // Finished once: the next log-in goes straight to the grid.
    c.asistente->afterLogin();
    QCOMPARE(c.ui.dialogNames().size(), 1);
}

void TestAsistente::opensAtAChangeToAdmin() {
    Console c(QStringLiteral("CAJA"));
    c.start();
    c.ui.onNextDialog([&c](QDialog*) {
        c.context.currentOperator = QStringLiteral("ADMIN");
        return int(QDialog::Accepted);
    });
    c.window.action(QStringLiteral("cambioOperador"))->trigger();
    QCOMPARE(c.ui.dialogNames(),
             (QStringList{QStringLiteral("TFrmAcceso"), QStringLiteral("TFrmAsistente")}));
}

void TestAsistente::cancelWithoutPasswordClosesTheConsole() {
    Console c;
    c.start();
    QSignalSpy shutdown(&c.window, &TFrmMain::shutdownRequested);
    c.ui.onNextDialog([&c](QDialog* d) {
        c.ui.answerNext(ui::Answer::Yes);
        d->reject();
        return d->result();
    });
    c.asistente->afterLogin();
    QTRY_COMPARE(shutdown.count(), 1);
    QVERIFY(admin::adminSinClave(c.db()));
    QVERIFY(admin::asistentePendiente(c.db()));
}

void TestAsistente::menuEntryIsAdmins_data() {
    QTest::addColumn<QString>("op");
    QTest::addColumn<QStringList>("dialogs");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("ADMIN") << "ADMIN" << QStringList{QStringLiteral("TFrmAsistente")} << QStringList();
    QTest::newRow("a cashier") << "CAJA" << QStringList()
                               << QStringList{QStringLiteral(
                                      "Sólo ADMIN puede usar el asistente de puesta en marcha.")};
}

void TestAsistente::menuEntryIsAdmins() {
    QFETCH(QString, op);
    QFETCH(QStringList, dialogs);
    QFETCH(QStringList, messages);
    Console c(op);
    store::run(c.db(), QStringLiteral("UPDATE asistente SET terminado = 1"));
    store::run(c.db(), QStringLiteral("UPDATE operadores SET PASS = 'secreto'"));
    c.start();
    QAction* entry = c.window.action(QStringLiteral("asistente"));
    QCOMPARE(entry->text(), QStringLiteral("&3.- Asistente de puesta en marcha..."));
    entry->trigger();
    QCOMPARE(c.ui.dialogNames(), dialogs);
    QCOMPARE(c.ui.messageTexts(), messages);
}

QTEST_MAIN(TestAsistente)
#include "tst_asistente.moc"
