#include "app/frmmain.h"
#include "app/sessioncontroller.h"
#include "app/stationcontroller.h"
#include "core/consolecontext.h"
#include "sales/frmcolpue.h"
#include "sales/pendingtickets.h"
#include "sales/rawprinter.h"
#include "sales/ticketprinter.h"
#include "sales/tickets.h"
#include "session/engine.h"
#include "session/frmabrirpuesto.h"
#include "session/stationgrid.h"
#include "station/frmcolmen.h"
#include "station/messagequeue.h"
#include "store/opciones.h"
#include "store/operadores.h"
#include "store/sql.h"
#include "support/faults.h"
#include "support/scriptedui.h"
#include "support/testengine.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>

using station::Estado;

namespace {

// The engine shown on a main window with its controllers.
struct Console : TestEngine {
    explicit Console(const QString& sql = QString())
        : TestEngine(sql) {
        stations = std::make_unique<StationController>(*engine, window);
        sessions = std::make_unique<SessionController>(*engine, window, *stations);
        window.attachMenu();
        engine->puestos().setSelectedRow(1);
        engine->puestos().RefrescarMenus();
    }
    void select(int number) { engine->puestos().setSelectedRow(pos(number) + 1); }

    TFrmMain window;
    std::unique_ptr<StationController> stations;
    std::unique_ptr<SessionController> sessions;
};

// The ticket printer of the console, recording its jobs instead of printing.
class RecordingPrinter final : public sales::RawPrinter {
public:
    explicit RecordingPrinter(QList<QByteArray>* jobs)
        : m_jobs(jobs) {}
    QStringList printers() override { return {QStringLiteral("TM")}; }
    Outcome print(const QString&, const QByteArray& data, const QString&) override {
        *m_jobs << data;
        return {};
    }

private:
    QList<QByteArray>* m_jobs;
};

} // namespace

class TestStationWindow : public QObject {
    Q_OBJECT
private slots:
    void gridModelIsSound();
    void refusedSavesShowOnceAndStayInTheStatusBar();
    void digitsAnywhereSelectAStation();
    void messageQueueKeepsTheNewestRows();
    void gridColours_data();
    void gridColours();
    void gridTexts();
    void headerClicksSort();
    void menusFollowTheSelectedStation();
    void refusalNamesTheOperator();
    void shutdownAllAsksFirst();
    void messagesGoToTheSelectedStation();
    void openDialogDefaultsWithoutConfirmation();
    void openDialogMinimumAndTime();
    void openDialogRefusesWithoutTariff();
    void openDialogAmountLimit_data();
    void openDialogAmountLimit();
    void openStationTakenMeanwhile();
    void closeAsksAndSettles();
    void expiryWhileTheCloseQuestionIsOpen();
    void bandsLockTheTariff();
    void clockDatabaseFailureKeepsRunning();
    void clockFailureSavesAndEnds();
    void exchangeWithNoCandidates();
    void stationQueueSettles();
    void closedStationOffersItsTicket_data();
    void closedStationOffersItsTicket();
    void offersWaitTheirTurn();
};

void TestStationWindow::gridModelIsSound() {
    Console c;
    QAbstractItemModelTester tester(c.stations->gridModel(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(c.stations->gridModel()->rowCount(), 8);
    c.engine->puestos().OrdenarPuestos(0, false);
    QCOMPARE(c.stations->gridModel()->data(c.stations->gridModel()->index(0, 0)).toString(),
             QStringLiteral("8"));
}

void TestStationWindow::gridColours_data() {
    QTest::addColumn<int>("estado");
    QTest::addColumn<bool>("disconnected");
    QTest::addColumn<bool>("treatAsConnected");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<QColor>("text");
    QTest::newRow("free") << int(Estado::Libre) << false << false << QColor(0, 255, 0) << QColor(Qt::black);
    QTest::newRow("counter") << int(Estado::Contador) << false << false << QColor(0, 255, 255)
                             << QColor(Qt::black);
    QTest::newRow("prepaid") << int(Estado::Prepago) << false << false << QColor(255, 255, 0)
                             << QColor(Qt::black);
    QTest::newRow("admin") << int(Estado::Admin) << false << false << QColor(255, 141, 28)
                           << QColor(Qt::black);
    QTest::newRow("deactivated") << int(Estado::Desactivado) << true << false << QColor(0, 0, 0)
                                 << QColor(Qt::white);
    QTest::newRow("unreachable") << int(Estado::Libre) << true << false << QColor(255, 0, 0)
                                 << QColor(Qt::black);
    QTest::newRow("unreachable, treated as connected")
        << int(Estado::Contador) << true << true << QColor(0, 255, 255) << QColor(Qt::black);
}

void TestStationWindow::gridColours() {
    QFETCH(int, estado);
    QFETCH(bool, disconnected);
    QFETCH(bool, treatAsConnected);
    QFETCH(QColor, background);
    QFETCH(QColor, text);
    Console c;
    TPuestos& p = c.engine->puestos().at(0);
    p.rec().estado = Estado(estado);
    p.rec().disconnected = disconnected;
    p.treatAsConnected = treatAsConnected;
    StationGridModel* m = c.stations->gridModel();
    QCOMPARE(m->data(m->index(0, 0), Qt::BackgroundRole).value<QColor>(), background);
    QCOMPARE(m->data(m->index(0, 0), Qt::ForegroundRole).value<QColor>(), text);
    QCOMPARE(m->data(m->index(0, 1), Qt::BackgroundRole).value<QColor>(),
             StationGridModel::colour(session::CellColour::ButtonFace));

    // The rendered cell carries the colour.
    c.window.resize(900, 600);
    c.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&c.window));
    StationGridView* view = c.stations->grid();
    const QRect cell = view->visualRect(m->index(0, 0));
    const QImage shot = view->viewport()->grab(cell).toImage();
    QCOMPARE(QColor(shot.pixel(shot.width() - 2, 2)), background);
}

void TestStationWindow::gridTexts() {
    Console c;
    StationGridModel* m = c.stations->gridModel();
    station::StationRecord& r = c.rec(1);
    r.estado = Estado::Contador;
    r.clockMs = 3725000;
    r.cost = Currency::fromCents(120);
    r.ticketNumber = QStringLiteral("57");
    QCOMPARE(m->data(m->index(0, 1)).toString(), QStringLiteral("  AN."));
    QCOMPARE(m->data(m->index(0, 2)).toString(), QStringLiteral("1:02:05"));
    QCOMPARE(m->data(m->index(0, 3)).toString(), QStringLiteral("1,20 €"));
    QCOMPARE(m->data(m->index(0, 4)).toString(), QStringLiteral("57"));
    r.accountLogin = QStringLiteral("10001");
    r.moneyCredit = Currency::fromUnits(5);
    QCOMPARE(m->data(m->index(0, 1)).toString(), QStringLiteral("  10001"));
    QCOMPARE(m->data(m->index(0, 3)).toString(), QStringLiteral("3,80 €"));
    // Red time cell below the credit alarm for a Bloquear account.
    r.closeWhenCreditExhausted = true;
    c.context.settings.creditAlarm = Currency::fromUnits(4);
    QCOMPARE(m->data(m->index(0, 2), Qt::BackgroundRole).value<QColor>(), QColor(255, 0, 0));
    QCOMPARE(m->data(m->index(0, 2), Qt::ForegroundRole).value<QColor>(), QColor(Qt::white));
    c.rec(2).estado = Estado::Libre;
    QCOMPARE(m->data(m->index(1, 1)).toString(), QString());
    QCOMPARE(m->data(m->index(1, 2)).toString(), QString());
    QCOMPARE(m->data(m->index(1, 3)).toString(), QString());
    const QStringList headers{QStringLiteral("Puesto"), QStringLiteral("Usuario"), QStringLiteral("Tiempo"),
                              QStringLiteral("Importe"), QStringLiteral("Ticket")};
    for (int i = 0; i < 5; ++i)
        QCOMPARE(m->headerData(i, Qt::Horizontal).toString(), headers[i]);
}

void TestStationWindow::headerClicksSort() {
    Console c;
    for (int n = 1; n <= 8; ++n)
        c.rec(n).clockMs = n == 4 ? 900000 : n * 1000;
    StationGridModel* m = c.stations->gridModel();
    m->headerClicked(2);
    QCOMPARE(m->sortImage(2), 0);
    QCOMPARE(c.engine->puestos().at(7).number, 4);
    m->headerClicked(2);
    QCOMPARE(m->sortImage(2), 1);
    QCOMPARE(c.engine->puestos().at(0).number, 4);
    m->headerClicked(0);
    QCOMPARE(m->sortImage(2), -1);
    QCOMPARE(m->sortImage(0), 0);
    m->headerClicked(1); // the user column does not sort
    QCOMPARE(m->sortImage(0), 0);
    QCOMPARE(c.engine->puestos().at(0).number, 1);
}

void TestStationWindow::menusFollowTheSelectedStation() {
    Console c;
    c.select(3);
    QVERIFY(c.window.action(QStringLiteral("abrirPuesto"))->isEnabled());
    QVERIFY(!c.window.action(QStringLiteral("cerrarPuesto"))->isEnabled());
    QVERIFY(c.window.action(QStringLiteral("desactivar"))->isEnabled());
    QVERIFY(!c.window.action(QStringLiteral("activar"))->isEnabled());
    QCOMPARE(c.window.findChild<QLabel*>(QStringLiteral("stationPanel"))->text(),
             QStringLiteral("Puesto 3 Libre"));
    c.rec(3).estado = Estado::Contador;
    c.rec(3).tariffName = QStringLiteral("NORMAL");
    c.engine->puestos().RefrescarMenus();
    QVERIFY(!c.window.action(QStringLiteral("abrirPuesto"))->isEnabled());
    QVERIFY(c.window.action(QStringLiteral("cerrarPuesto"))->isEnabled());
    QVERIFY(c.window.action(QStringLiteral("intercambiar"))->isEnabled());
    QCOMPARE(c.window.findChild<QLabel*>(QStringLiteral("stationPanel"))->text(),
             QStringLiteral("Puesto 3 ocupado en modo contador."));
    QCOMPARE(c.window.findChild<QLabel*>(QStringLiteral("tariffPanel"))->text(),
             QStringLiteral("Tarifa: NORMAL"));
    c.rec(3).tariffName = QStringLiteral("BORRADA");
    c.engine->puestos().RefrescarMenus();
    QCOMPARE(c.window.findChild<QLabel*>(QStringLiteral("tariffPanel"))->text(),
             QStringLiteral("Tarifa: BORRADA (tarifa inexistente: importe 0)"));
    // The sale window and the account top-ups come later: never enabled yet.
    c.rec(3).accountLogin = QStringLiteral("10001");
    c.engine->puestos().RefrescarMenus();
    QVERIFY(!c.window.action(QStringLiteral("creditoMetalico"))->isEnabled());
    QVERIFY(!c.window.action(QStringLiteral("modificarTicket"))->isEnabled());
}

void TestStationWindow::refusalNamesTheOperator() {
    Console c;
    store::Operador ana;
    ana.NOMBRE = QStringLiteral("ana");
    ana.setAll(true);
    ana.set(store::Permiso::APAGA2, false);
    ana.set(store::Permiso::DESACTIVA, false);
    store::insertOperador(c.db.data.db(), ana);
    c.context.currentOperator = QStringLiteral("ana");
    ScriptedUi ui;
    c.window.action(QStringLiteral("apagarEquipo"))->trigger();
    QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("ana:\r\rOperación no permitida.")});
    QCOMPARE(ui.messages().first().caption, QStringLiteral("Atención"));
    QCOMPARE(ui.messages().first().icon, ui::Icon::Warning);
    QCOMPARE(c.rec(1).pendiente, station::Pendiente::Poll);
    c.window.action(QStringLiteral("desactivar"))->trigger();
    QCOMPARE(ui.messageTexts().last(), QStringLiteral("ana:\r\rNo tiene permiso de acceso."));
    QCOMPARE(c.rec(1).estado, Estado::Libre);
    // An operator without a row: nothing happens, nothing is said.
    ui.clear();
    c.context.currentOperator = QStringLiteral("nadie");
    c.window.action(QStringLiteral("apagarEquipo"))->trigger();
    QVERIFY(ui.messages().isEmpty());
    QCOMPARE(c.rec(1).pendiente, station::Pendiente::Poll);
    // Allowed: queued.
    c.context.currentOperator = QStringLiteral("CAJA");
    c.window.action(QStringLiteral("reiniciar"))->trigger();
    QCOMPARE(c.rec(1).pendiente, station::Pendiente::Apagar);
    QCOMPARE(c.rec(1).shutdownKind, 2);
}

void TestStationWindow::shutdownAllAsksFirst() {
    Console c;
    ScriptedUi ui;
    c.rec(2).disconnected = true;
    c.rec(3).estado = Estado::Contador;
    ui.answerNext(ui::Answer::No);
    c.window.action(QStringLiteral("apagarTodos"))->trigger();
    QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("Confirme apagar todos los puestos.")});
    QCOMPARE(c.rec(1).pendiente, station::Pendiente::Poll);
    ui.answerNext(ui::Answer::Yes);
    c.window.action(QStringLiteral("apagarTodos"))->trigger();
    QCOMPARE(c.rec(1).pendiente, station::Pendiente::Apagar);
    QCOMPARE(c.rec(1).shutdownKind, 1);
    QCOMPARE(c.rec(2).pendiente, station::Pendiente::Poll);
    QCOMPARE(c.rec(3).pendiente, station::Pendiente::Poll);
}

void TestStationWindow::messagesGoToTheSelectedStation() {
    Console c;
    c.select(4);
    TFrmColMen* w = c.stations->messageWindow();
    w->setMessageText(QStringLiteral("Cerramos en 10 minutos"));
    w->findChild<QPushButton*>(QStringLiteral("sendButton"))->click();
    QCOMPARE(c.rec(4).messageToSend, QStringLiteral("Cerramos en 10 minutos"));
    QCOMPARE(c.rec(4).pendiente, station::Pendiente::Mensaje);
    QCOMPARE(c.engine->mensajes().rowCount(), 1);
    QCOMPARE(c.engine->mensajes().at(0).text, QStringLiteral("[Send]: Cerramos en 10 minutos"));
    QCOMPARE(c.engine->mensajes().at(0).station, 4);
    // The line stays for the next station.
    QCOMPARE(w->messageText(), QStringLiteral("Cerramos en 10 minutos"));
    QCOMPARE(w->findChild<QLineEdit*>(QStringLiteral("messageEntry"))->maxLength(),
             TFrmColMen::MaxMessageLength);
    ScriptedUi ui;
    ui.answerNext(ui::Answer::Yes);
    w->clearAll();
    QCOMPARE(c.engine->mensajes().rowCount(), 0);
    w->clearAll(); // empty: no question
    QCOMPARE(ui.messages().size(), 1);
}

void TestStationWindow::openDialogDefaultsWithoutConfirmation() {
    Console c(
        QStringLiteral("UPDATE opciones SET op4_2 = 1, op4_1 = 1, op4_cash = 10000, ini_tarifa_2 = 'NORMAL', "
                       "op4_3 = 1"));
    ScriptedUi ui;
    c.select(6);
    const int before = store::readOpciones(c.db.data.db()).NUM_TICK;
    c.window.action(QStringLiteral("abrirPuesto"))->trigger();
    QVERIFY(ui.dialogNames().isEmpty());
    QVERIFY(ui.messages().isEmpty());
    QCOMPARE(c.rec(6).estado, Estado::Prepago);
    QCOMPARE(c.rec(6).prepaidAmount, Currency::fromUnits(1));
    QCOMPARE(c.rec(6).prepaidSeconds, 50 * 60); // 1.00 at 1.20 per hour
    QCOMPARE(c.rec(6).ticketNumber, QString::number(before + 1));

    // A default tariff that no longer exists.
    store::run(c.db.data.db(), QStringLiteral("UPDATE opciones SET ini_tarifa_2 = 'NINGUNA'"));
    c.select(7);
    c.window.action(QStringLiteral("abrirPuesto"))->trigger();
    QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("No se ha seleccionado tarifa")});
    QCOMPARE(ui.messages().first().caption, QStringLiteral("Atencion"));
    QCOMPARE(c.rec(7).estado, Estado::Libre);
}

void TestStationWindow::openDialogMinimumAndTime() {
    Console c;
    TFrmAbrirPuesto d(*c.engine);
    d.prepareOpen(7, 100);
    QCOMPARE(d.windowTitle(), QStringLiteral("[Abrir puesto...]"));
    QCOMPARE(d.findChild<QLabel*>(QStringLiteral("question"))->text(),
             QStringLiteral("¿Confirma abrir puesto número 7?"));
    QVERIFY(d.selectTariff(QStringLiteral("NORMAL")));
    d.setPrepaid(true);
    // The minimum cost is proposed, with the time it buys: 0.50 at 1.20 per hour.
    QCOMPARE(d.amount(), std::optional<Currency>(Currency::fromCents(50)));
    QCOMPARE(d.findChild<QSpinBox*>(QStringLiteral("hoursSpin"))->value(), 0);
    QCOMPARE(d.findChild<QSpinBox*>(QStringLiteral("minutesSpin"))->value(), 25);
    QCOMPARE(d.findChild<QSpinBox*>(QStringLiteral("hoursSpin"))->maximum(), 100);
    QCOMPARE(d.findChild<QSpinBox*>(QStringLiteral("minutesSpin"))->maximum(), 999);
    // A "." typed in the amount is the decimal separator.
    auto* amount = d.findChild<QLineEdit*>(QStringLiteral("amountEdit"));
    amount->clear();
    QTest::keyClicks(amount, QStringLiteral("2.4"));
    QCOMPARE(amount->text(), QStringLiteral("2,4"));
    emit amount->editingFinished();
    QCOMPARE(d.findChild<QSpinBox*>(QStringLiteral("hoursSpin"))->value(), 2);
    QCOMPARE(d.findChild<QSpinBox*>(QStringLiteral("minutesSpin"))->value(), 0);
    // "Calcular": 1 h 30 min at 1.20 per hour.
    d.setTime(0, 90);
    QCOMPARE(d.findChild<QSpinBox*>(QStringLiteral("hoursSpin"))->value(), 1);
    QCOMPARE(d.findChild<QSpinBox*>(QStringLiteral("minutesSpin"))->value(), 30);
    d.findChild<QPushButton*>(QStringLiteral("calcularButton"))->click();
    QCOMPARE(d.amount(), std::optional<Currency>(Currency::fromCents(180)));
    const session::AperturaPedido p = d.pedido();
    QVERIFY(p.prepago);
    QCOMPARE(p.hours, 1);
    QCOMPARE(p.minutes, 30);
    // A variable tariff goes through the interval page.
    QVERIFY(d.selectTariff(QStringLiteral("PASES")));
    QVERIFY(!d.findChild<QPushButton*>(QStringLiteral("acceptButton"))->isEnabled());
    QCOMPARE(d.findChild<QLabel*>(QStringLiteral("statusLine"))->text(),
             QStringLiteral("Pulse Siguiente..."));
    d.findChild<QPushButton*>(QStringLiteral("nextButton"))->click();
    auto* grid = d.findChild<QTableWidget*>(QStringLiteral("intervalGrid"));
    QCOMPARE(grid->rowCount(), 3);
    QCOMPARE(grid->item(1, 0)->text(), QStringLiteral("30"));
    QCOMPARE(grid->item(1, 1)->text(), QStringLiteral("60"));
    QCOMPARE(grid->item(1, 2)->text(), QStringLiteral("1,80 €"));
    grid->selectRow(1);
    QCOMPARE(d.pedido().interval, 1);
}

void TestStationWindow::openDialogRefusesWithoutTariff() {
    Console c;
    ScriptedUi ui;
    TFrmAbrirPuesto d(*c.engine);
    d.prepareOpen(1, 100);
    d.findChild<QPushButton*>(QStringLiteral("acceptButton"))->click();
    QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("No se ha seleccionado tarifa")});
    QCOMPARE(d.result(), int(QDialog::Rejected));
    QVERIFY(d.selectTariff(QStringLiteral("NORMAL")));
    d.setPrepaid(true);
    auto* amount = d.findChild<QLineEdit*>(QStringLiteral("amountEdit"));
    for (const QString& bad : {QStringLiteral("-1"), QStringLiteral("abc"), QString()}) {
        ui.clear();
        amount->setText(bad);
        d.findChild<QPushButton*>(QStringLiteral("acceptButton"))->click();
        QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("El importe no es correcto.")});
    }
    ui.clear();
    amount->setText(QStringLiteral("1,00 €"));
    d.setTime(1, 0);
    d.findChild<QPushButton*>(QStringLiteral("acceptButton"))->click();
    QVERIFY(ui.messages().isEmpty());
    QCOMPARE(d.result(), int(QDialog::Accepted));
}

void TestStationWindow::openDialogAmountLimit_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("at the limit") << QStringLiteral("999.999,99") << true;
    QTest::newRow("a cent past") << QStringLiteral("1.000.000,00") << false;
    // It used to be accepted, buying 30 minutes.
    QTest::newRow("the reported amount") << QStringLiteral("99.999.999.999.999") << false;
    QTest::newRow("beyond any amount") << QStringLiteral("99999999999999999999") << false;
}

void TestStationWindow::openDialogAmountLimit() {
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    Console c;
    ScriptedUi ui;
    TFrmAbrirPuesto d(*c.engine);
    d.prepareOpen(7, 100);
    QVERIFY(d.selectTariff(QStringLiteral("NORMAL")));
    d.setPrepaid(true);
    d.setTime(1, 0);
    auto* amount = d.findChild<QLineEdit*>(QStringLiteral("amountEdit"));
    amount->setText(typed);
    emit amount->editingFinished();
    d.setTime(1, 0);
    d.findChild<QPushButton*>(QStringLiteral("acceptButton"))->click();
    if (accepted) {
        QVERIFY(ui.messages().isEmpty());
        QCOMPARE(d.result(), int(QDialog::Accepted));
        return;
    }
    QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("El importe máximo es 999.999,99 €.")});
    QCOMPARE(d.result(), int(QDialog::Rejected));
    QCOMPARE(d.focusWidget(), static_cast<QWidget*>(amount));
}

void TestStationWindow::openStationTakenMeanwhile() {
    Console c;
    ScriptedUi ui;
    c.select(2);
    ui.onNextDialog([&](QDialog* d) {
        auto* dialog = static_cast<TFrmAbrirPuesto*>(d);
        dialog->selectTariff(QStringLiteral("NORMAL"));
        // A customer logs in at the station while the dialog is open.
        c.rec(2).estado = Estado::Contador;
        c.rec(2).accountLogin = QStringLiteral("10001");
        return int(QDialog::Accepted);
    });
    c.window.action(QStringLiteral("abrirPuesto"))->trigger();
    QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("El puesto ya no está libre...")});
    QCOMPARE(ui.messages().first().icon, ui::Icon::Information);
    QCOMPARE(c.rec(2).accountLogin, QStringLiteral("10001"));
}

void TestStationWindow::closeAsksAndSettles() {
    Console c;
    ScriptedUi ui;
    c.rec(5).estado = Estado::Contador;
    c.rec(5).estadoAnterior = Estado::Contador;
    c.select(5);
    ui.answerNext(ui::Answer::No);
    c.window.action(QStringLiteral("cerrarPuesto"))->trigger();
    QCOMPARE(ui.messages().first().caption, QStringLiteral("[Cierre de puesto]"));
    QCOMPARE(ui.messages().first().text, QStringLiteral("Confirme cerrar el puesto nº 5:"));
    QCOMPARE(c.rec(5).estado, Estado::Contador);
    ui.answerNext(ui::Answer::Yes);
    c.window.action(QStringLiteral("cerrarPuesto"))->trigger();
    QCOMPARE(c.rec(5).estado, Estado::Libre);
    QVERIFY(c.rec(5).closed);
}

void TestStationWindow::expiryWhileTheCloseQuestionIsOpen() {
    Console c;
    ScriptedUi ui;
    station::StationRecord& r = c.rec(5);
    r.estado = Estado::Prepago;
    r.estadoAnterior = Estado::Prepago;
    r.accountLogin = QStringLiteral("10004");
    r.accountType = QStringLiteral("2");
    r.prepaidSeconds = 600;
    r.clockMs = 0; // runs out at the next tick
    c.select(5);
    c.engine->puestos().RefrescarMenus();
    int settlements = 0;
    struct Counter final : station::LinkDecisions {
        int* n;
        explicit Counter(int* count)
            : n(count) {}
        int CheckStationLogin(TPuestos&, const QString&) override { return 2; }
        QString ChangeStationPassword(const QString&, const QString&) override { return QStringLiteral("0"); }
        void CerrarCuenta(const QString&, int, const QString&, const QString&, int, Currency) override {
            ++*n;
        }
    } counter(&settlements);
    c.engine->setAccountDecisions(&counter);
    // The period expires while the operator reads the question.
    ui::setMessageAnswerer([&](const ui::MessageRequest&) {
        c.engine->reloj().tick(c.clock.monotonicMs());
        return ui::Answer::Yes;
    });
    c.window.action(QStringLiteral("cerrarPuesto"))->trigger();
    ui::setMessageAnswerer({});
    QCOMPARE(r.estado, Estado::Libre);
    c.engine->reloj().tick(c.clock.monotonicMs());
    QCOMPARE(settlements, 1);
}

void TestStationWindow::refusedSavesShowOnceAndStayInTheStatusBar() {
    Console c;
    ScriptedUi ui;
    // The stations' rows refuse writes from now on.
    const QSqlDatabase db = c.db.data.db();
    refuseWrites(db, QStringLiteral("puestos_roto"), QStringLiteral("UPDATE"), QStringLiteral("puestos"));
    session::AperturaPedido p;
    p.tariffName = QStringLiteral("NORMAL");
    QVERIFY(c.engine->abrirPuesto(c.pos(1), p).ok());
    // The box opens from the event loop.
    QTRY_COMPARE(ui.messages().size(), 1);
    QCOMPARE(ui.messages().first().icon, ui::Icon::Error);
    QVERIFY(ui.messages().first().text.startsWith(QStringLiteral("No se ha podido guardar: ")));
    const QLabel* warning = c.window.findChild<QLabel*>(QStringLiteral("saveWarning"));
    QVERIFY(warning);
    QVERIFY(!warning->isHidden());
    QVERIFY(warning->text().startsWith(QStringLiteral("No se ha podido guardar: ")));
    // Later refusals do not repeat the box.
    c.engine->guardarPuesto(c.pos(1));
    QTest::qWait(20);
    QCOMPARE(ui.messages().size(), 1);
    // The first save that works clears the warning.
    allowWrites(db, QStringLiteral("puestos_roto"), QStringLiteral("puestos"));
    c.engine->guardarPuesto(c.pos(1));
    QVERIFY(warning->isHidden());
    QCOMPARE(ui.messages().size(), 1);
}

void TestStationWindow::digitsAnywhereSelectAStation() {
    Console c;
    // Keys that reach another widget of the main window, not the grid.
    QWidget* elsewhere = c.window.findChild<QDockWidget*>();
    QVERIFY(elsewhere);
    QTest::keyClicks(elsewhere, QStringLiteral("7"));
    QTest::keyClick(elsewhere, Qt::Key_Return);
    QCOMPARE(c.engine->puestos().selected()->number, 7);
    // A text field keeps its digits.
    QLineEdit field(&c.window);
    QTest::keyClicks(&field, QStringLiteral("3"));
    QCOMPARE(field.text(), QStringLiteral("3"));
    QVERIFY(c.engine->puestos().typedNumber().isEmpty());
}

void TestStationWindow::messageQueueKeepsTheNewestRows() {
    station::MessageQueueModel queue;
    for (int i = 0; i <= station::MessageQueueModel::MaxRows; ++i)
        queue.append({1, QStringLiteral("10:00:00"), QString::number(i)});
    QCOMPARE(queue.rowCount(), station::MessageQueueModel::MaxRows);
    QCOMPARE(queue.at(0).text, QStringLiteral("1"));
}

void TestStationWindow::bandsLockTheTariff() {
    Console c(QStringLiteral("UPDATE opciones SET porfranjas = 1, cambiotarifa = 0"));
    ScriptedUi ui;
    c.select(1);
    ui.onNextDialog([&](QDialog* d) {
        [&] {
            QCOMPARE(d->findChild<QLabel*>(QStringLiteral("bandNotice"))->text(),
                     QStringLiteral("Franja horaria de 8:00:00 a 20:00:00"));
            QVERIFY(!d->findChild<QComboBox*>(QStringLiteral("tariffList"))->isEnabled());
            QCOMPARE(d->findChild<QComboBox*>(QStringLiteral("tariffList"))->currentText(),
                     QStringLiteral("NORMAL"));
        }();
        return int(QDialog::Accepted);
    });
    c.window.action(QStringLiteral("abrirPuesto"))->trigger();
    QCOMPARE(ui.dialogNames(), QStringList{QStringLiteral("TFrmAbrirPuesto")});
    // Priced by the band in force at every moment.
    QCOMPARE(c.rec(1).tariffName, QStringLiteral("FRANJAS"));
    QCOMPARE(c.rec(1).estado, Estado::Contador);
}

// A booking the database refuses (full disk, a lock held by a backup) is
// shown once and retried; the console goes on.
void TestStationWindow::clockDatabaseFailureKeepsRunning() {
    Console c;
    refuseWrites(c.db.data.db(), QStringLiteral("ciber_roto"), QStringLiteral("INSERT"),
                 QStringLiteral("ciber"));
    ScriptedUi ui;
    station::StationRecord& ending = c.rec(3);
    ending.estado = Estado::Libre;
    ending.estadoAnterior = Estado::Contador;
    ending.tariffName = QStringLiteral("NORMAL");
    ending.clockMs = 60000;
    // Only the save warning is watched here, not the offer of the booked ticket.
    store::run(c.db.data.db(), QStringLiteral("UPDATE opciones SET imp_cierre = 2"));
    c.engine->reloj().start();
    QTRY_COMPARE(ui.messages().size(), 1);
    // The server's text says where the refusal came from as well.
    QVERIFY(ui.messages().first().text.startsWith(QStringLiteral("No se ha podido guardar: ")));
    QVERIFY(ui.messages().first().text.contains(QStringLiteral("disco lleno")));
    QVERIFY(!c.sessions->endedOnFatalError());
    QVERIFY(c.engine->reloj().isActive());
    QVERIFY(ending.bookingPending());
    const QLabel* warning = c.window.findChild<QLabel*>(QStringLiteral("saveWarning"));
    QVERIFY(!warning->isHidden());

    allowWrites(c.db.data.db(), QStringLiteral("ciber_roto"), QStringLiteral("ciber"));
    QTRY_VERIFY(!ending.bookingPending());
    QVERIFY(warning->isHidden());
    QCOMPARE(ui.messages().size(), 1);
    c.engine->reloj().stop();
}

// A pricing fault ends the console, saving every station on the way out.
void TestStationWindow::clockFailureSavesAndEnds() {
    Console c;
    ScriptedUi ui;
    station::StationRecord& busy = c.rec(2);
    busy.estado = Estado::Contador;
    busy.tariffName = QStringLiteral("NORMAL");
    c.engine->reloj().start();
    emit c.engine->fatalError(QStringLiteral("pricing"));
    QVERIFY(c.sessions->endedOnFatalError());
    QVERIFY(!c.engine->reloj().isActive());
    QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("Error grave en cálculo de tarifas.")});
    QCOMPARE(ui.messages().first().icon, ui::Icon::Error);
    // Every station was saved on the way out.
    QCOMPARE(store::toInt(store::scalar(c.db.data.db(),
                                        QStringLiteral("SELECT estado FROM puestos WHERE npuesto = 2"))),
             2);
}

void TestStationWindow::exchangeWithNoCandidates() {
    Console c(QStringLiteral("UPDATE puestos SET preciorel = 120 WHERE npuesto = 8"));
    ScriptedUi ui;
    c.select(8);
    c.rec(8).estado = Estado::Contador;
    c.engine->puestos().RefrescarMenus();
    c.window.action(QStringLiteral("intercambiar"))->trigger();
    QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("No hay puestos válidos para intercambiar.")});
    QCOMPARE(ui.messages().first().icon, ui::Icon::Information);

    c.select(1);
    c.rec(1).estado = Estado::Contador;
    c.rec(1).clockMs = 5000;
    c.engine->puestos().RefrescarMenus();
    ui.onNextDialog([](QDialog* d) {
        auto* list = d->findChild<QComboBox*>(QStringLiteral("candidateList"));
        [&] {
            QCOMPARE(d->windowTitle(), QStringLiteral(" Intercambio de puestos"));
            QCOMPARE(list->count(), 6); // 2 to 7: station 8 has another relative price
            QCOMPARE(list->currentText(), QStringLiteral("2"));
        }();
        list->setCurrentIndex(2);
        return int(QDialog::Accepted);
    });
    c.window.action(QStringLiteral("intercambiar"))->trigger();
    QCOMPARE(c.rec(4).clockMs, qint64(5000));
    QCOMPARE(c.rec(4).estado, Estado::Contador);
    QCOMPARE(c.rec(1).estado, Estado::Libre);
}

void TestStationWindow::stationQueueSettles() {
    Console c;
    QAbstractItemModelTester tester(c.sessions->queueModel(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    const QSqlDatabase db = c.db.data.db();
    for (int i = 0; i < 3; ++i) {
        store::Ticket t;
        t.NPUESTO = i + 1;
        t.MODO = QStringLiteral("CONTADOR");
        t.IMPORTE = Currency::fromCents(90);
        sales::NuevoNumeroTicket(db, t, c.clock.now());
    }
    TFrmColPue* q = c.sessions->queueWindow();
    q->refresh();
    QCOMPARE(c.sessions->queueModel()->rowCount(), 3);
    QCOMPARE(c.sessions->queueModel()->data(c.sessions->queueModel()->index(0, 1)).toString(),
             QStringLiteral("1"));
    QCOMPARE(c.sessions->queueModel()->data(c.sessions->queueModel()->index(0, 5)).toString(),
             QStringLiteral("0,90 €"));
    q->setAscending(false);
    QCOMPARE(c.sessions->queueModel()->data(c.sessions->queueModel()->index(0, 1)).toString(),
             QStringLiteral("3"));
    q->view()->selectRow(0);
    q->settleSelected();
    QCOMPARE(c.sessions->queueModel()->rowCount(), 2);
    q->settleAll();
    QCOMPARE(c.sessions->queueModel()->rowCount(), 0);
    // A ticket written afterwards shows again, through the engine's signal.
    store::Ticket t;
    t.NPUESTO = 4;
    sales::NuevoNumeroTicket(db, t, c.clock.now());
    emit c.engine->ticketsChanged();
    QCOMPARE(c.sessions->queueModel()->rowCount(), 1);
}

void TestStationWindow::closedStationOffersItsTicket_data() {
    QTest::addColumn<int>("choice");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("printed");
    QTest::newRow("ask, Yes") << 0 << int(ui::Answer::Yes) << true << true;
    QTest::newRow("ask, No") << 0 << int(ui::Answer::No) << true << false;
    QTest::newRow("always") << 1 << int(ui::Answer::No) << false << true;
    QTest::newRow("never") << 2 << int(ui::Answer::Yes) << false << false;
}

void TestStationWindow::closedStationOffersItsTicket() {
    QFETCH(int, choice);
    QFETCH(int, answer);
    QFETCH(bool, asked);
    QFETCH(bool, printed);
    Console c;
    ScriptedUi ui;
    QList<QByteArray> jobs;
    sales::TicketPrinter printer(std::make_unique<RecordingPrinter>(&jobs));
    const QSqlDatabase db = c.db.data.db();
    store::run(db, QStringLiteral("UPDATE opciones SET impresoratick = 'TM', imp_cierre = ?"), {choice});
    const QString number = QString::number(store::readOpciones(db).NUM_TICK + 1);
    station::StationRecord& r = c.rec(5);
    r.estado = Estado::Contador;
    r.estadoAnterior = Estado::Contador;
    r.tariffName = QStringLiteral("NORMAL");
    r.clockMs = 600000;
    r.cost = Currency::fromCents(90);
    c.select(5);
    ui.answerNext(ui::Answer::Yes);
    c.window.action(QStringLiteral("cerrarPuesto"))->trigger();
    ui.answerNext(ui::Answer(answer));
    c.tick(0);
    QTest::qWait(50);
    const QString question = QStringLiteral("¿Imprimir el ticket nº %1 del puesto 5?").arg(number);
    QCOMPARE(ui.messageTexts().contains(question), asked);
    QCOMPARE(ui.messages().size(), asked ? 2 : 1);
    if (asked)
        QCOMPARE(ui.messages().last().icon, ui::Icon::Question);
    if (printed) {
        QTRY_COMPARE(jobs.size(), 1);
        // The station queue's receipt of that ticket.
        QVERIFY(jobs.first().contains(("TICKET : " + number).toLatin1()));
        QVERIFY(jobs.first().contains("PUESTO 5  0:10:00"));
    }
    QTest::qWait(20);
    QCOMPARE(jobs.size(), printed ? 1 : 0);
}

// Stations closing together are offered one after the other, never a box
// over another; periods the shut-down books are not offered.
void TestStationWindow::offersWaitTheirTurn() {
    Console c;
    ScriptedUi ui;
    QList<QByteArray> jobs;
    sales::TicketPrinter printer(std::make_unique<RecordingPrinter>(&jobs));
    store::run(c.db.data.db(), QStringLiteral("UPDATE opciones SET impresoratick = 'TM'"));
    for (int n : {2, 3}) {
        station::StationRecord& r = c.rec(n);
        r.estado = Estado::Contador;
        r.estadoAnterior = Estado::Contador;
        r.tariffName = QStringLiteral("NORMAL");
        r.cost = Currency::fromCents(50);
        QVERIFY(c.engine->cerrarPuesto(c.pos(n)));
    }
    int open = 0;
    int deepest = 0;
    ui::setMessageAnswerer([&](const ui::MessageRequest&) {
        ++open;
        deepest = std::max(deepest, open);
        // Whatever the event loop holds runs while the box is up.
        QTest::qWait(20);
        --open;
        return ui::Answer::Yes;
    });
    c.tick(0);
    QTRY_COMPARE(jobs.size(), 2);
    ui::setMessageAnswerer({});
    QCOMPARE(deepest, 1);

    c.rec(4).estado = Estado::Contador;
    c.rec(4).estadoAnterior = Estado::Contador;
    c.rec(4).tariffName = QStringLiteral("NORMAL");
    QVERIFY(c.engine->cerrarPuesto(c.pos(4)));
    emit c.window.shutdownRequested();
    c.engine->liquidarPendientes();
    QTest::qWait(50);
    QCOMPARE(jobs.size(), 2);
}

QTEST_MAIN(TestStationWindow)
#include "tst_stationwindow.moc"
