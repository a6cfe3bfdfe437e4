#include "accounts/frmcolamovcuentas.h"
#include "app/consolascontroller.h"
#include "app/frmmain.h"
#include "core/consolecontext.h"
#include "sales/frmcolpue.h"
#include "sales/pendingtickets.h"
#include "sales/tickets.h"
#include "session/consolelease.h"
#include "session/engine.h"
#include "session/frmtodospuestos.h"
#include "session/frmtomarpuestos.h"
#include "session/otrasconsolas.h"
#include "session/todospuestos.h"
#include "station/messagequeue.h"
#include "store/consolas.h"
#include "store/engine.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "support/scriptedui.h"
#include "support/testdb.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QColor>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

using Model = session::TodosPuestosModel;

namespace {

// A console named CAJA1 on the demo database, sharing it with the console
// OTRA, which owns stations 5 and 6 (one counting, one prepaid with an
// account, out of reach) and 7 (deactivated). Station 8 is out of reach
// but treated as connected. CAJA1 claims the rest when it registers.
struct TwoConsoles {
    TwoConsoles() {
        const QSqlDatabase db = home.data.db();
        store::run(
            db, QStringLiteral("UPDATE puestos SET CONSOLA = 'OTRA', EPOCA = 1 WHERE npuesto IN (5, 6, 7)"));
        store::run(db, QStringLiteral("UPDATE puestos SET estado = 2, tiempo = 3725, coste = 15000 "
                                      "WHERE npuesto = 5"));
        store::run(db, QStringLiteral("UPDATE puestos SET estado = 3, cuenta = 'ANA', tiempo = 600, "
                                      "pagado = 50000, coste = 20000, sinconex = '1', trsinconex = 0 "
                                      "WHERE npuesto = 6"));
        store::run(db, QStringLiteral("UPDATE puestos SET estado = 4, sinconex = '1' WHERE npuesto = 7"));
        store::run(db, QStringLiteral("UPDATE puestos SET sinconex = '1', trsinconex = 1 WHERE npuesto = 8"));
        context.data = &home.data;
        context.regional = Regional::spanishSpain();
        context.clock = &clock;
        context.currentOperator = QStringLiteral("CAJA");
        context.consoleName = QStringLiteral("CAJA1");
        context.settings = store::runtimeSettings(store::readOpciones(db));
        engine = std::make_unique<ConsoleEngine>(context);
        if (!engine->consola().registrar() || !engine->cargarTarifas() ||
            !engine->puestos().CargarPuestos(nullptr))
            qFatal("cannot start the console");
    }
    QSqlDatabase db() const { return home.data.db(); }
    station::StationRecord& rec(int number) {
        ListaPuestos& p = engine->puestos();
        return p.at(p.positionOf(number)).rec();
    }
    int row(const Model& m, int number) const {
        for (int r = 0; r < m.rowCount(); ++r) {
            if (m.at(r).numero == number)
                return r;
        }
        return -1;
    }

    TestDatabase home{true};
    FakeClock clock{QDateTime(QDate(2026, 3, 10), QTime(11, 0, 0))};
    ConsoleContext context;
    std::unique_ptr<ConsoleEngine> engine;
};

QStringList numbersInOrder(const QAbstractItemModel* m) {
    QStringList out;
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->index(r, Model::ColPuesto).data().toString();
    return out;
}

} // namespace

class TestConsolas : public QObject {
    Q_OBJECT
private slots:
    void ranges_data();
    void ranges();
    void looksAlive_data();
    void looksAlive();
    void everyStationOfEveryConsole_data();
    void everyStationOfEveryConsole();
    void readingAgainKeepsRowsInPlace();
    void windowSortsByConsole();
    void takeOverByHand_data();
    void takeOverByHand();
    void leaseNoticesReachTheOperator();
    void queuesFollowOtherConsoles();
};

void TestConsolas::ranges_data() {
    QTest::addColumn<QList<int>>("numbers");
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << QList<int>{} << QString();
    QTest::newRow("one") << QList<int>{7} << QStringLiteral("7");
    QTest::newRow("two in a row stay two") << QList<int>{3, 4} << QStringLiteral("3, 4");
    QTest::newRow("a run and one") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 15}
                                   << QStringLiteral("1-12, 15");
    QTest::newRow("unordered, repeated") << QList<int>{15, 3, 1, 2, 2} << QStringLiteral("1-3, 15");
    QTest::newRow("mixed") << QList<int>{10, 1, 2, 4, 5, 6, 9} << QStringLiteral("1, 2, 4-6, 9, 10");
    QTest::newRow("large numbers") << QList<int>{9998, 9999, 9997} << QStringLiteral("9997-9999");
}

void TestConsolas::ranges() {
    QFETCH(QList<int>, numbers);
    QFETCH(QString, text);
    QCOMPARE(session::rangosPuestos(numbers), text);
}

void TestConsolas::looksAlive_data() {
    QTest::addColumn<qint64>("silenceMs");
    QTest::addColumn<qint64>("delayMs");
    QTest::addColumn<bool>("alive");
    QTest::addColumn<QString>("heartbeat");
    QTest::newRow("ended: no row") << qint64(-1) << qint64(30000) << false << QStringLiteral("cerrada");
    QTest::newRow("just renewed") << qint64(0) << qint64(30000) << true << QStringLiteral("hace 0 s");
    QTest::newRow("a moment before the delay")
        << qint64(29999) << qint64(30000) << true << QStringLiteral("hace 29 s");
    QTest::newRow("at the delay") << qint64(30000) << qint64(30000) << false << QStringLiteral("hace 30 s");
    QTest::newRow("by hand only: the default delay")
        << qint64(29999) << qint64(0) << true << QStringLiteral("hace 29 s");
    QTest::newRow("by hand only, silent long")
        << qint64(600000) << qint64(0) << false << QStringLiteral("hace 600 s");
}

void TestConsolas::looksAlive() {
    QFETCH(qint64, silenceMs);
    QFETCH(qint64, delayMs);
    QFETCH(bool, alive);
    QFETCH(QString, heartbeat);
    store::ConsolaRow row;
    row.nombre = QStringLiteral("OTRA");
    row.silenceMs = silenceMs;
    QCOMPARE(session::pareceViva(row, delayMs), alive);
    QCOMPARE(session::textoLatido(row), heartbeat);
}

void TestConsolas::everyStationOfEveryConsole_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("console");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<int>("colour");
    using C = session::CellColour;
    // Station 1 counts at this console right now; its row was saved free.
    QTest::newRow("own, live") << 1 << "CAJA1"
                               << "Contador"
                               << "AN."
                               << "0:01:05"
                               << "0,40 €" << int(C::Cyan);
    QTest::newRow("own, free") << 2 << "CAJA1"
                               << "Libre"
                               << ""
                               << ""
                               << "" << int(C::Green);
    QTest::newRow("other's, counting") << 5 << "OTRA"
                                       << "Contador"
                                       << "AN."
                                       << "1:02:05"
                                       << "1,50 €" << int(C::Cyan);
    QTest::newRow("other's, account out of reach") << 6 << "OTRA"
                                                   << "Sin conexión"
                                                   << "ANA"
                                                   << "0:10:00"
                                                   << "3,00 €" << int(C::Red);
    QTest::newRow("other's, deactivated") << 7 << "OTRA"
                                          << "Desactivado"
                                          << ""
                                          << ""
                                          << "" << int(C::Black);
    QTest::newRow("treated as connected") << 8 << "CAJA1"
                                          << "Libre"
                                          << ""
                                          << ""
                                          << "" << int(C::Green);
}

void TestConsolas::everyStationOfEveryConsole() {
    QFETCH(int, number);
    QFETCH(QString, console);
    QFETCH(QString, state);
    QFETCH(QString, user);
    QFETCH(QString, time);
    QFETCH(QString, amount);
    QFETCH(int, colour);
    TwoConsoles c;
    station::StationRecord& one = c.rec(1);
    one.estado = station::Estado::Contador;
    one.clockMs = 65500;
    one.cost = Currency::fromCents(40);
    Model model(c.context, &c.engine->puestos());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.refresh();
    QCOMPARE(model.rowCount(), 8);
    const int r = c.row(model, number);
    QVERIFY(r >= 0);
    const auto cell = [&](int column, int role = Qt::DisplayRole) {
        return model.index(r, column).data(role);
    };
    QCOMPARE(cell(Model::ColPuesto).toString(), QString::number(number));
    QCOMPARE(cell(Model::ColConsola).toString(), console);
    QCOMPARE(cell(Model::ColEstado).toString(), state);
    QCOMPARE(cell(Model::ColUsuario).toString(), user);
    QCOMPARE(cell(Model::ColTiempo).toString(), time);
    QCOMPARE(cell(Model::ColImporte).toString(), amount);
    QCOMPARE(cell(Model::ColPuesto, Model::BackgroundRole).toInt(), colour);
    QCOMPARE(cell(Model::ColPuesto, Model::WhiteTextRole).toBool(),
             colour == int(session::CellColour::Black));
}

// Another console's writes show at the next reading; a row that only
// changed is updated where it is, a new station resets the list.
void TestConsolas::readingAgainKeepsRowsInPlace() {
    TwoConsoles c;
    Model model(c.context, &c.engine->puestos());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.refresh();
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
    model.refresh();
    QCOMPARE(resets.count(), 0);
    QCOMPARE(changes.count(), 0);

    store::run(c.db(), QStringLiteral("UPDATE puestos SET tiempo = 3730, coste = 16000 WHERE npuesto = 5"));
    model.refresh();
    QCOMPARE(resets.count(), 0);
    QCOMPARE(changes.count(), 1);
    const int five = c.row(model, 5);
    QCOMPARE(changes.first().at(0).toModelIndex().row(), five);
    QCOMPARE(model.index(five, Model::ColImporte).data().toString(), QStringLiteral("1,60 €"));

    // Taken over meanwhile: the table says another console, and the live
    // record of this one no longer counts for it.
    c.rec(2).estado = station::Estado::Prepago;
    store::run(c.db(), QStringLiteral("UPDATE puestos SET CONSOLA = 'OTRA' WHERE npuesto = 2"));
    model.refresh();
    QCOMPARE(model.index(c.row(model, 2), Model::ColConsola).data().toString(), QStringLiteral("OTRA"));
    QCOMPARE(model.index(c.row(model, 2), Model::ColEstado).data().toString(), QStringLiteral("Libre"));

    store::run(c.db(), QStringLiteral("INSERT INTO puestos (npuesto, ip, CONSOLA, estado) "
                                      "VALUES (9, '127.0.1.9', 'OTRA', 1)"));
    model.refresh();
    QCOMPARE(resets.count(), 1);
    QCOMPARE(model.rowCount(), 9);
}

// Sorted by console the stations keep their number order within each; the
// number shows in the grid's colours; the window reads while shown.
void TestConsolas::windowSortsByConsole() {
    TwoConsoles c;
    store::run(c.db(), QStringLiteral("UPDATE puestos SET CONSOLA = 'BARRA' WHERE npuesto = 3"));
    TFrmTodosPuestos window(c.context, &c.engine->puestos());
    window.refresh();
    QCOMPARE(numbersInOrder(window.sorted()), (QStringList{"1", "2", "3", "4", "5", "6", "7", "8"}));
    window.sortBy(Model::ColConsola);
    QCOMPARE(numbersInOrder(window.sorted()), (QStringList{"3", "1", "2", "4", "8", "5", "6", "7"}));
    window.view()->sortByColumn(Model::ColImporte, Qt::DescendingOrder);
    QCOMPARE(window.orderList()->currentIndex(), int(Model::ColImporte));
    QCOMPARE(numbersInOrder(window.sorted()).mid(0, 2), (QStringList{"6", "5"}));

    const QModelIndex six = window.sorted()->index(0, Model::ColPuesto);
    QCOMPARE(six.data(Qt::BackgroundRole).value<QColor>(), QColor(255, 0, 0));
    QCOMPARE(six.data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::black));

    QVERIFY(!window.polling());
    window.show();
    QVERIFY(window.polling());
    window.hide();
    QVERIFY(!window.polling());
}

void TestConsolas::takeOverByHand_data() {
    QTest::addColumn<bool>("alive");
    QTest::addColumn<bool>("yes");
    QTest::newRow("ended, taken") << false << true;
    QTest::newRow("ended, not confirmed") << false << false;
    QTest::newRow("alive, taken after the warning") << true << true;
    QTest::newRow("alive, left alone") << true << false;
}

void TestConsolas::takeOverByHand() {
    QFETCH(bool, alive);
    QFETCH(bool, yes);
    TwoConsoles c;
    if (alive)
        store::run(c.db(),
                   QStringLiteral("INSERT INTO consolas (NOMBRE, EQUIPO, PID, MARCA, LATIDO) "
                                  "VALUES ('OTRA', 'pc-barra', 42, 'x', ?)"),
                   {store::serverNowMs(c.db())});
    ScriptedUi ui;
    TFrmTomarPuestos dialog(c.engine->consola());
    QSignalSpy taken(&dialog, &TFrmTomarPuestos::taken);
    QVERIFY(dialog.load());
    QCOMPARE(dialog.table()->rowCount(), 1);
    QCOMPARE(dialog.table()->item(0, 0)->text(), QStringLiteral("OTRA"));
    QCOMPARE(dialog.table()->item(0, 1)->text(), alive ? QStringLiteral("pc-barra") : QString());
    QCOMPARE(dialog.table()->item(0, 2)->text().startsWith(QLatin1String("hace ")), alive);
    QCOMPARE(dialog.table()->item(0, 3)->text(), QStringLiteral("3"));

    ui.answerNext(yes ? ui::Answer::Yes : ui::Answer::No);
    dialog.tomar();
    QVERIFY(!ui.messages().isEmpty());
    QVERIFY(ui.messages().first().buttons == ui::Buttons::YesNo);
    QCOMPARE(ui.messageTexts().first().contains(QLatin1String("parece estar en marcha")), alive);

    const int owned = store::toInt(
        store::scalar(c.db(), QStringLiteral("SELECT COUNT(*) FROM puestos WHERE CONSOLA = 'CAJA1'")));
    if (!yes) {
        QCOMPARE(ui.messages().size(), 1);
        QCOMPARE(owned, 5);
        QCOMPARE(c.engine->puestos().count(), 5);
        QCOMPARE(taken.count(), 0);
        return;
    }
    QCOMPARE(owned, 8);
    QCOMPARE(c.engine->puestos().count(), 8);
    QCOMPARE(ui.messageTexts().last(), QStringLiteral("Puestos tomados de la consola OTRA: 5-7."));
    QCOMPARE(taken.count(), 1);
    QCOMPARE(taken.first().at(1).value<QList<int>>(), (QList<int>{5, 6, 7}));
    // Nobody else owns stations now.
    QCOMPARE(dialog.table()->rowCount(), 0);
    QVERIFY(!dialog.takeButton()->isEnabled());
}

// What the lease does on its own reaches the message queue, a box and the
// status bar; "Ver" opens the café's stations and follows their window.
void TestConsolas::leaseNoticesReachTheOperator() {
    TwoConsoles c;
    ScriptedUi ui;
    TFrmMain window;
    ConsolasController controller(*c.engine, window);
    session::ConsoleLease& lease = c.engine->consola();
    const station::MessageQueueModel& queue = c.engine->mensajes();
    const auto lastLine = [&] { return queue.rowCount() ? queue.at(queue.rowCount() - 1).text : QString(); };

    emit lease.lost({3, 4});
    QTRY_COMPARE(lastLine(), QStringLiteral("[System]: Los puestos 3, 4 los atiende ahora otra consola."));
    QCOMPARE(ui.messageTexts(),
             QStringList{QStringLiteral("Los puestos 3, 4 los atiende ahora otra consola.")});
    QVERIFY(ui.messages().first().icon == ui::Icon::Information);

    emit lease.taken(QStringLiteral("BARRA"), {1, 2, 3, 9, 10, 11, 12, 15});
    QTRY_COMPARE(lastLine(), QStringLiteral("[System]: Puestos tomados de la consola BARRA: 1-3, 9-12, 15."));
    QCOMPARE(queue.at(queue.rowCount() - 1).time, QStringLiteral("11:00:00"));

    emit lease.fencedChanged(true);
    QTRY_VERIFY(controller.fencedLabel()->isVisibleTo(&window));
    QCOMPARE(controller.fencedLabel()->text(),
             QStringLiteral("Sin contacto con las demás consolas: puestos en espera…"));
    QCOMPARE(lastLine(), QStringLiteral("[System]: Sin contacto con las demás consolas: puestos en espera…"));
    emit lease.fencedChanged(false);
    QTRY_VERIFY(!controller.fencedLabel()->isVisibleTo(&window));

    QAction* view = window.action(QStringLiteral("verTodosPuestos"));
    QVERIFY(view->isEnabled());
    view->trigger();
    QVERIFY(controller.todosPuestos()->isVisible());
    QVERIFY(view->isChecked());
    controller.todosPuestos()->reject();
    QVERIFY(!view->isChecked());
    QVERIFY(window.action(QStringLiteral("tomarPuestos"))->isEnabled());
}

// The station queue and the movement queue show every console's pending
// rows with their console, and take another console's bookings at their
// next look, keeping the operator's selected row on the same ticket.
void TestConsolas::queuesFollowOtherConsoles() {
    TwoConsoles c;
    const bool server = store::engineOf(c.db()) == store::Engine::PostgreSQL;
    TDataModule1 other;
    QVERIFY(other.open(c.home.path));
    other.setConsoleName(QStringLiteral("OTRA"));
    const QDateTime now = c.clock.now();
    store::Ticket pending;
    pending.CONTA = false;
    const int first = sales::NuevoNumeroTicket(other.db(), pending, now).ID_TICK;
    const int mine = sales::NuevoNumeroTicket(c.db(), pending, now).ID_TICK;

    sales::PendingTicketsModel tickets(c.context);
    TFrmColPue queue(c.context, tickets);
    queue.refresh();
    QCOMPARE(tickets.rowCount(), 2);
    QCOMPARE(queue.view()->isColumnHidden(sales::PendingTicketsModel::ColConsola), !server);
    QCOMPARE(tickets.headerData(sales::PendingTicketsModel::ColConsola, Qt::Horizontal).toString(),
             QStringLiteral("Consola"));
    QCOMPARE(tickets.index(0, sales::PendingTicketsModel::ColConsola).data().toString(),
             QStringLiteral("OTRA"));
    QCOMPARE(tickets.index(1, sales::PendingTicketsModel::ColConsola).data().toString(),
             QStringLiteral("CAJA1"));
    queue.view()->selectRow(1);

    QSignalSpy resets(&tickets, &QAbstractItemModel::modelReset);
    QSignalSpy removed(&tickets, &QAbstractItemModel::rowsRemoved);
    QSignalSpy inserted(&tickets, &QAbstractItemModel::rowsInserted);
    queue.pollChanges();
    QCOMPARE(removed.count() + inserted.count(), 0);
    // The other console settles the ticket above ours and books another:
    // one row leaves and one comes, nothing is read again from scratch.
    sales::settleTicket(other.db(), first);
    sales::NuevoNumeroTicket(other.db(), pending, now);
    queue.pollChanges();
    QCOMPARE(resets.count(), 0);
    QCOMPARE(removed.count(), 1);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(tickets.rowCount(), 2);
    QCOMPARE(tickets.ticketAt(queue.view()->currentIndex().row()).ID_TICK, mine);

    accounts::MovimientosPendientesModel movements(c.context);
    TFrmcolamovcuentas movementQueue(c.context, movements);
    movementQueue.refresh();
    const int before = movements.rowCount();
    store::MovCuenta m;
    m.CUENTA = QStringLiteral("ANA");
    store::insert(other.db(), m);
    movementQueue.pollChanges();
    QCOMPARE(movements.rowCount(), before + 1);
    QCOMPARE(movements.index(before, accounts::MovimientosPendientesModel::ColConsola).data().toString(),
             QStringLiteral("OTRA"));
    QCOMPARE(movementQueue.view()->isColumnHidden(accounts::MovimientosPendientesModel::ColConsola), !server);
}

QTEST_MAIN(TestConsolas)
#include "tst_consolas.moc"
