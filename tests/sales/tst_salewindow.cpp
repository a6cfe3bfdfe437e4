#include "app/frmmain.h"
#include "app/salescontroller.h"
#include "app/sessioncontroller.h"
#include "app/stationcontroller.h"
#include "sales/decimalfield.h"
#include "sales/frmcambio.h"
#include "sales/frmconftpv.h"
#include "sales/frmivatpv.h"
#include "sales/frmnart.h"
#include "sales/frmtpv.h"
#include "sales/frmtpv2.h"
#include "sales/puntoventa.h"
#include "sales/saleentry.h"
#include "sales/tickets.h"
#include "station/listapuestos.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "support/faults.h"
#include "support/scriptedui.h"
#include "support/testengine.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <limits>

using station::Estado;
using namespace sales;

namespace {

struct Counter : TestEngine {
    Counter() {
        stations = std::make_unique<StationController>(*engine, window);
        sessions = std::make_unique<SessionController>(*engine, window, *stations);
        sales = std::make_unique<SalesController>(*engine, window, *stations, *sessions);
        window.attachMenu();
        select(1);
    }
    void select(int number) {
        engine->puestos().setSelectedRow(pos(number) + 1);
        engine->puestos().RefrescarMenus();
    }
    QSqlDatabase sqlDb() const { return db.data.db(); }
    store::Ticket ticket(int id) const { return *ticketById(sqlDb(), id); }
    std::vector<store::LinTick> ticketLines(int id) const { return lines(sqlDb(), id); }

    TFrmMain window;
    std::unique_ptr<StationController> stations;
    std::unique_ptr<SessionController> sessions;
    std::unique_ptr<SalesController> sales;
};

// Types a code and Enter, then a quantity and Enter, as the operator does.
void enterLine(SaleEntry* e, const QString& code, const QString& quantity = QString()) {
    e->codeBox()->setText(code);
    QTest::keyClick(e->codeBox(), Qt::Key_Return);
    if (!quantity.isEmpty()) {
        e->quantityField()->clear();
        QTest::keyClicks(e->quantityField(), quantity);
        QTest::keyClick(e->quantityField(), Qt::Key_Return);
    }
}

Currency money(const QString& text) {
    return *Regional::spanishSpain().parseCurrency(text);
}

} // namespace

class TstSaleWindow : public QObject {
    Q_OBJECT
private slots:
    void init() { ui::setLanguage(ui::Language::Spanish); }
    void saleWithChange();
    void cancelAndModifyAnnulled();
    void closeBoxDuringSaleCancels();
    void typedCodesAreData_data();
    void typedCodesAreData();
    void attachedSaleGetsTheStationsUse();
    void stationTicketWindow();
    void drawerWithoutPrinter();
    void articleChecks_data();
    void articleChecks();
    void articleList();
    void lineAndTotalAreOneStep();
    void browsingAndNumberBox();
    void typedLineLimits_data();
    void typedLineLimits();
    void wrappedLineIsNeverStored();
    void deliveredLimit_data();
    void deliveredLimit();
    void enterPrints_data();
    void enterPrints();
    void changeDisplayGivesTheKeyboardBack_data();
    void changeDisplayGivesTheKeyboardBack();
};

void TstSaleWindow::saleWithChange() {
    ScriptedUi ui;
    Counter c;
    c.context.regional = Regional::spanishSpain();
    int id = 0;
    QStringList panel;
    ui.onNextDialog([&](QDialog* d) {
        auto* tpv = static_cast<TFrmTPV*>(d);
        [&] {
            QVERIFY(!tpv->entryMode());
            tpv->command(QStringLiteral("nueva"))->trigger();
            QVERIFY(tpv->entryMode());
            QVERIFY(!tpv->command(QStringLiteral("imprimir"))->isEnabled());
            id = tpv->currentTicket();
            enterLine(tpv->entry(), QStringLiteral("CAFE"), QStringLiteral("3"));
            QCOMPARE(tpv->entry()->udart().IMP, money(QStringLiteral("3,00")));
            tpv->command(QStringLiteral("anadir"))->trigger();
            enterLine(tpv->entry(), QStringLiteral("AGUA"));
            // A fraction typed with "." and F10 straight from the field.
            tpv->entry()->quantityField()->clear();
            QTest::keyClicks(tpv->entry()->quantityField(), QStringLiteral("1.5"));
            tpv->command(QStringLiteral("anadir"))->trigger();
            QCOMPARE(c.ticket(id).IMPORTE, money(QStringLiteral("4,20")));
            tpv->command(QStringLiteral("finalizar"))->trigger();
            QVERIFY(!tpv->entryMode());
            TFrmcambio* cambio = c.sales->changeDisplay();
            QVERIFY(cambio->isVisible());
            QCOMPARE(cambio->panelLines(),
                     (QStringList{QStringLiteral("Total Ticket:"), QString(), QStringLiteral("4,20 €")}));
            QTest::keyClicks(cambio->deliveredField(), QStringLiteral("10"));
            QTest::keyClick(cambio->deliveredField(), Qt::Key_Return);
            panel = cambio->panelLines();
            QCOMPARE(readUdart(c.sqlDb()).CAMBIO, money(QStringLiteral("5,80")));
            cambio->close();
            QCOMPARE(readUdart(c.sqlDb()).CAMBIO, Currency());
            tpv->command(QStringLiteral("cerrar"))->trigger();
        }();
        return int(QDialog::Accepted);
    });
    c.window.action(QStringLiteral("ventaTpv"))->trigger();
    QCOMPARE(ui.dialogNames(), QStringList{QStringLiteral("TFrmTPV")});
    QCOMPARE(panel.value(5), QStringLiteral("Cambio:"));
    QCOMPARE(panel.value(7), QStringLiteral("5,80 €"));
    const store::Ticket t = c.ticket(id);
    QVERIFY(t.CONTA);
    QCOMPARE(t.NPUESTO, 0);
    QCOMPARE(t.OPERADOR, QStringLiteral("CAJA"));
    const auto l = c.ticketLines(id);
    QCOMPARE(int(l.size()), 2);
    QCOMPARE(l[0].CODIGO, QStringLiteral("CAFE"));
    QCOMPARE(l[0].CANT, 3.0);
    QCOMPARE(l[0].IdTax, 2);
    QCOMPARE(l[1].CANT, 1.5);
    QCOMPARE(l[1].IMPORTE, money(QStringLiteral("1,20")));
    QVERIFY(ui.messages().isEmpty());
}

void TstSaleWindow::cancelAndModifyAnnulled() {
    ScriptedUi ui;
    Counter c;
    TFrmTPV* tpv = c.sales->saleWindow();
    tpv->open();
    tpv->nuevaVenta();
    const int id = tpv->currentTicket();
    // No description: refused, nothing written.
    tpv->anadir();
    QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("No hay descripción")});
    QVERIFY(c.ticketLines(id).empty());
    enterLine(tpv->entry(), QStringLiteral("CAFE"));
    tpv->anadir();
    tpv->anularVenta();
    QCOMPARE(c.ticket(id).OBSERVACIONES, QStringLiteral("ANULADO"));
    QCOMPARE(c.ticket(id).IMPORTE, Currency());

    ui.clear();
    ui.answerNext(ui::Answer::No);
    tpv->modificar();
    QCOMPARE(ui.messageTexts(),
             QStringList{QStringLiteral("Este ticket está anulado. ¿Modificar de todas formas?.")});
    QVERIFY(!tpv->entryMode());
    ui.answerNext(ui::Answer::Yes);
    tpv->modificar();
    QVERIFY(tpv->entryMode());
    QVERIFY(tpv->command(QStringLiteral("anular"))->isEnabled());
    enterLine(tpv->entry(), QStringLiteral("AGUA"));
    tpv->anadir();
    QCOMPARE(c.ticket(id).IMPORTE, money(QStringLiteral("0,80")));
    QCOMPARE(c.ticket(id).OBSERVACIONES, QStringLiteral("ANULADO"));
    QCOMPARE(int(c.ticketLines(id).size()), 2);
    // No new ticket number was issued by modifying.
    QCOMPARE(store::readOpciones(c.sqlDb()).NUM_TICK, c.ticket(id).NUM_TICKET.toInt());
    tpv->finalizarVenta();
    c.sales->changeDisplay()->close();
}

void TstSaleWindow::closeBoxDuringSaleCancels() {
    ScriptedUi ui;
    Counter c;
    TFrmTPV* tpv = c.sales->saleWindow();
    tpv->open();
    tpv->show();
    tpv->nuevaVenta();
    const int id = tpv->currentTicket();
    enterLine(tpv->entry(), QStringLiteral("CAFE"));
    tpv->anadir();
    ui.answerNext(ui::Answer::Cancel);
    tpv->close();
    QVERIFY(tpv->isVisible());
    QVERIFY(tpv->entryMode());
    ui.answerNext(ui::Answer::Yes);
    tpv->close();
    QVERIFY(!tpv->isVisible());
    QCOMPARE(c.ticket(id).OBSERVACIONES, QStringLiteral("ANULADO"));
    QCOMPARE(c.ticket(id).IMPORTE, Currency());
    QCOMPARE(ui.messageTexts(),
             (QStringList{QStringLiteral("¿Anular este ticket ?"), QStringLiteral("¿Anular este ticket ?")}));
}

void TstSaleWindow::typedCodesAreData_data() {
    QTest::addColumn<QString>("code");
    QTest::newRow("quote") << "CA\"FE";
    QTest::newRow("single quote") << "CAFE' OR '1'='1";
    QTest::newRow("wildcard") << "CA%";
    QTest::newRow("underscore") << "CAF_";
    QTest::newRow("star") << "C*";
}

void TstSaleWindow::typedCodesAreData() {
    QFETCH(QString, code);
    ScriptedUi ui;
    Counter c;
    QVERIFY(!articuloPorCodigo(c.sqlDb(), code));
    QVERIFY(buscarArticulos(c.sqlDb(), CampoBusqueda::Codigo, ModoBusqueda::Contiene,
                            code.left(3) + QLatin1Char('%'))
                .empty());
    // A hand-typed line with such a code sells with no tax.
    TFrmTPV* tpv = c.sales->saleWindow();
    tpv->open();
    tpv->nuevaVenta();
    enterLine(tpv->entry(), code);
    QCOMPARE(tpv->entry()->udart().ART, QString());
    tpv->entry()->descriptionField()->setText(QStringLiteral("Varios"));
    QTest::keyClicks(tpv->entry()->descriptionField(), QStringLiteral("!"));
    tpv->entry()->priceField()->setText(QStringLiteral("2,5"));
    QTest::keyClick(tpv->entry()->priceField(), Qt::Key_Return);
    tpv->anadir();
    const auto l = c.ticketLines(tpv->currentTicket());
    QCOMPARE(int(l.size()), 1);
    QCOMPARE(l[0].CODIGO, code);
    QCOMPARE(l[0].IdTax, 0);
    QCOMPARE(l[0].IMPORTE, money(QStringLiteral("2,50")));
    // The star of the search is its wildcard; "%" and "_" typed are plain.
    QCOMPARE(
        int(buscarArticulos(c.sqlDb(), CampoBusqueda::Codigo, ModoBusqueda::EmpiezaPor, QStringLiteral("C*R"))
                .size()),
        1);
}

void TstSaleWindow::attachedSaleGetsTheStationsUse() {
    ScriptedUi ui;
    Counter c;
    TFrmTPV* tpv = c.sales->saleWindow();
    tpv->open();
    tpv->nuevaVenta();
    const int id = tpv->currentTicket();
    enterLine(tpv->entry(), QStringLiteral("CAFE"));
    tpv->anadir();
    tpv->finalizarVenta();
    c.sales->changeDisplay()->close();
    c.select(3);
    tpv->anotar();
    QCOMPARE(c.rec(3).ticketNumber, c.ticket(id).NUM_TICKET);
    // A second ticket is refused; the first stays.
    tpv->nuevaVenta();
    tpv->finalizarVenta();
    c.sales->changeDisplay()->close();
    tpv->anotar();
    QCOMPARE(ui.messageTexts(),
             QStringList{QStringLiteral("No se puede anotar.\r\rEste puesto ya tiene un ticket.")});
    QCOMPARE(c.rec(3).ticketNumber, c.ticket(id).NUM_TICKET);

    session::AperturaPedido p;
    p.tariffName = QStringLiteral("NORMAL");
    QVERIFY(c.engine->abrirPuesto(c.pos(3), p).ok());
    c.tick();
    for (int i = 0; i < 30; ++i)
        c.tick(60000);
    QVERIFY(c.engine->cerrarPuesto(c.pos(3)));
    c.tick(0);
    const auto l = c.ticketLines(id);
    QCOMPARE(int(l.size()), 2);
    QVERIFY2(l[1].ARTICULO.startsWith(QStringLiteral("PUESTO 3  ")), qPrintable(l[1].ARTICULO));
    QCOMPARE(c.ticket(id).IMPORTE, money(QStringLiteral("1,00")) + l[1].IMPORTE);
    QVERIFY(c.rec(3).ticketNumber.isEmpty());
}

void TstSaleWindow::stationTicketWindow() {
    ScriptedUi ui;
    Counter c;
    c.select(2);
    c.window.action(QStringLiteral("modificarTicket"))->trigger();
    QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("En este puesto no hay ticket...")});

    const store::Ticket t = nuevaVenta(c.sqlDb(), QStringLiteral("CAJA"), c.clock.now());
    c.rec(2).ticketNumber = t.NUM_TICKET;
    ui.onNextDialog([&](QDialog* d) {
        auto* w = static_cast<TFrmTPV2*>(d);
        [&] {
            QCOMPARE(w->currentTicket(), t.ID_TICK);
            enterLine(w->entry(), QStringLiteral("AGUA"), QStringLiteral("2"));
            w->anadir();
            w->finalizar();
        }();
        return int(QDialog::Accepted);
    });
    c.window.action(QStringLiteral("modificarTicket"))->trigger();
    QCOMPARE(c.ticket(t.ID_TICK).IMPORTE, money(QStringLiteral("1,60")));
    QVERIFY(c.sales->changeDisplay()->isVisible());
    QCOMPARE(c.sales->changeDisplay()->panelLines().value(2), QStringLiteral("1,60 €"));
    c.sales->changeDisplay()->close();
}

void TstSaleWindow::drawerWithoutPrinter() {
    ScriptedUi ui;
    Counter c;
    store::run(c.sqlDb(), QStringLiteral("UPDATE opciones SET impresoratick = 'NoPrinter'"));
    c.window.action(QStringLiteral("abrirCajon"))->trigger();
    QCOMPARE(ui.messageTexts(),
             QStringList{QStringLiteral("Debe configurar la impresora de Tickets en parámetros generales.")});
    QCOMPARE(ui.messages().first().icon, ui::Icon::Information);
}

void TstSaleWindow::articleChecks_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("isNew");
    QTest::addColumn<QString>("key");
    QTest::newRow("no code") << ""
                             << "X" << true << "DebeCodigo";
    QTest::newRow("no name") << "X"
                             << "" << true << "DebeArticulo";
    QTest::newRow("code in other case") << "cafe"
                                        << "Otro" << true << "CodigoRepetido";
    QTest::newRow("name in other case") << "NUEVO"
                                        << "CAFÉ" << true << "ArticuloRepetido";
    QTest::newRow("modifying") << "CAFE"
                               << "Café" << false << "";
    QTest::newRow("new") << "TE"
                         << "Té" << true << "";
}

void TstSaleWindow::articleChecks() {
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(bool, isNew);
    QFETCH(QString, key);
    TestDatabase t(true);
    QCOMPARE(checkArticulo(t.data.db(), code, name, isNew).messageKey, key);
}

void TstSaleWindow::articleList() {
    ScriptedUi ui;
    Counter c;
    c.context.regional = Regional::spanishSpain();
    // The cashier has no CONFTPV.
    c.window.action(QStringLiteral("articulos"))->trigger();
    QCOMPARE(ui.messages().size(), 1);
    QVERIFY(ui.messages().first().text.endsWith(QStringLiteral("No tiene permiso de acceso.")));
    QVERIFY(!c.sales->articleList());

    ui.clear();
    c.context.currentOperator = QStringLiteral("ADMIN");
    c.window.action(QStringLiteral("articulos"))->trigger();
    TFrmconftpv* list = c.sales->articleList();
    QVERIFY(list && list->isVisible());
    QCOMPARE(list->grid()->rowCount(), 6);
    QCOMPARE(list->grid()->item(0, 0)->text(), QStringLiteral("AGUA"));

    // A repeated code in another case is refused, then a new one is stored.
    ui.onNextDialog([](QDialog* d) {
        auto* dialog = static_cast<Tfrmnart*>(d);
        dialog->codeField()->setText(QStringLiteral("agua"));
        dialog->nameField()->setText(QStringLiteral("Agua 1 l"));
        dialog->accept();
        if (dialog->result() == QDialog::Accepted)
            return int(QDialog::Accepted);
        dialog->codeField()->setText(QStringLiteral("AGUA1L"));
        QTest::keyClicks(dialog->priceField(), QStringLiteral("1.25"));
        dialog->taxList()->setCurrentIndex(dialog->taxList()->findText(QStringLiteral("IVA GENERAL")));
        dialog->accept();
        return dialog->result();
    });
    list->anadir();
    QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("Codigo ya introducido")});
    const auto added = articuloPorCodigo(c.sqlDb(), QStringLiteral("AGUA1L"));
    QVERIFY(added);
    QCOMPARE(added->PRECIO, money(QStringLiteral("1,25")));
    QCOMPARE(added->IdTax, 1);
    QCOMPARE(list->grid()->item(list->grid()->currentRow(), 0)->text(), QStringLiteral("AGUA1L"));

    // One tax for the selected articles, then for all.
    list->grid()->clearSelection();
    list->grid()->selectRow(0);
    ui.onNextDialog([](QDialog* d) {
        auto* dialog = static_cast<TFrmIvaTPV*>(d);
        dialog->setAllArticles(false);
        dialog->taxList()->setCurrentIndex(0);
        return int(QDialog::Accepted);
    });
    list->editarImpuestos();
    QCOMPARE(articuloPorCodigo(c.sqlDb(), QStringLiteral("AGUA"))->IdTax, 0);
    QCOMPARE(articuloPorCodigo(c.sqlDb(), QStringLiteral("CAFE"))->IdTax, 2);
    ui.onNextDialog([](QDialog* d) {
        auto* dialog = static_cast<TFrmIvaTPV*>(d);
        [&] { QVERIFY(!dialog->allArticles()); }(); // the last choice stays
        dialog->setAllArticles(true);
        dialog->taxList()->setCurrentIndex(dialog->taxList()->findText(QStringLiteral("IVA GENERAL")));
        return int(QDialog::Accepted);
    });
    list->editarImpuestos();
    QCOMPARE(store::toInt(
                 store::scalar(c.sqlDb(), QStringLiteral("SELECT COUNT(*) FROM articulos WHERE IdTax <> 1"))),
             0);

    ui.clear();
    ui.answerNext(ui::Answer::Yes);
    list->eliminar();
    QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("¿Eliminar el artículo seleccionado?")});
    QCOMPARE(list->grid()->rowCount(), 6);
    list->close();
}

void TstSaleWindow::lineAndTotalAreOneStep() {
    ScriptedUi ui;
    Counter c;
    TFrmTPV* tpv = c.sales->saleWindow();
    tpv->open();
    tpv->nuevaVenta();
    const int id = tpv->currentTicket();
    enterLine(tpv->entry(), QStringLiteral("CAFE"));
    // The total cannot be written: the line must not stay without it.
    refuseWrites(c.sqlDb(), QStringLiteral("nototal"), QStringLiteral("UPDATE OF IMPORTE"),
                 QStringLiteral("ticket"));
    tpv->anadir();
    QCOMPARE(ui.messages().size(), 1);
    QCOMPARE(ui.messages().first().icon, ui::Icon::Error);
    QVERIFY(c.ticketLines(id).empty());
    // The entry line is still there to be added again.
    QCOMPARE(readUdart(c.sqlDb()).ART, QStringLiteral("Café"));
    allowWrites(c.sqlDb(), QStringLiteral("nototal"), QStringLiteral("ticket"));
    tpv->anadir();
    QCOMPARE(int(c.ticketLines(id).size()), 1);
    QCOMPARE(c.ticket(id).IMPORTE, money(QStringLiteral("1,00")));
    tpv->finalizarVenta();
    c.sales->changeDisplay()->close();
}

void TstSaleWindow::browsingAndNumberBox() {
    ScriptedUi ui;
    Counter c;
    const store::Ticket first = nuevaVenta(c.sqlDb(), QStringLiteral("CAJA"), c.clock.now());
    const store::Ticket second = nuevaVenta(c.sqlDb(), QStringLiteral("CAJA"), c.clock.now());
    TFrmTPV* tpv = c.sales->saleWindow();
    tpv->open();
    QCOMPARE(tpv->currentTicket(), second.ID_TICK);
    QCOMPARE(tpv->numberBox()->text(), second.NUM_TICKET);
    tpv->mover(int(Paso::Anterior));
    QCOMPARE(tpv->currentTicket(), first.ID_TICK);
    tpv->mover(int(Paso::Anterior)); // already the first
    QCOMPARE(tpv->currentTicket(), first.ID_TICK);
    tpv->mover(int(Paso::Ultimo));
    QCOMPARE(tpv->currentTicket(), second.ID_TICK);
    tpv->numberBox()->setText(first.NUM_TICKET + QLatin1Char(' '));
    QTest::keyClick(tpv->numberBox(), Qt::Key_Return);
    QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("Ticket inexistente...")});
    QCOMPARE(tpv->currentTicket(), second.ID_TICK);
    tpv->numberBox()->setText(first.NUM_TICKET);
    QTest::keyClick(tpv->numberBox(), Qt::Key_Return);
    QCOMPARE(tpv->currentTicket(), first.ID_TICK);
    // In entry mode the navigation is off.
    tpv->nuevaVenta();
    QVERIFY(!tpv->numberBox()->isEnabled());
    tpv->finalizarVenta();
    c.sales->changeDisplay()->close();
}

void TstSaleWindow::typedLineLimits_data() {
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("price");
    // The refusal's text, or the amount of the line added.
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("amount");
    const QString tooMuch = QStringLiteral("El importe máximo es 999.999,99 €.");
    const QString badQuantity = QStringLiteral("Cantidad no válida.");
    QTest::newRow("price at the limit") << "1"
                                        << "999.999,99" << QString() << "999.999,99";
    QTest::newRow("price a cent past") << "1"
                                       << "1.000.000,00" << tooMuch << QString();
    QTest::newRow("product a cent past") << "2"
                                         << "500.000,005" << tooMuch << QString();
    QTest::newRow("the reported line") << "99999"
                                       << "99.999.999.999.999" << tooMuch << QString();
    QTest::newRow("quantity not a number") << "abc"
                                           << "1,00" << badQuantity << QString();
    QTest::newRow("quantity 0") << "0"
                                << "1,00" << badQuantity << QString();
    QTest::newRow("a return keeps its sign") << "-1"
                                             << "2,00" << QString() << "-2,00";
}

void TstSaleWindow::typedLineLimits() {
    QFETCH(QString, quantity);
    QFETCH(QString, price);
    QFETCH(QString, refusal);
    QFETCH(QString, amount);
    ScriptedUi ui;
    Counter c;
    c.context.regional = Regional::spanishSpain();
    TFrmTPV* tpv = c.sales->saleWindow();
    tpv->open();
    tpv->nuevaVenta();
    const int id = tpv->currentTicket();
    SaleEntry* e = tpv->entry();
    enterLine(e, QStringLiteral("NOEXISTE"));
    QTest::keyClicks(e->descriptionField(), QStringLiteral("Varios"));
    e->quantityField()->setText(quantity);
    e->priceField()->setText(price);
    // F10 straight from the price box, without leaving it first.
    tpv->anadir();
    if (refusal.isEmpty()) {
        QCOMPARE(ui.messageTexts(), QStringList());
        QCOMPARE(int(c.ticketLines(id).size()), 1);
        QCOMPARE(c.ticketLines(id).front().IMPORTE, money(amount));
        QCOMPARE(c.ticket(id).IMPORTE, money(amount));
        return;
    }
    QCOMPARE(ui.messageTexts(), QStringList{refusal});
    QVERIFY(c.ticketLines(id).empty());
    QCOMPARE(c.ticket(id).IMPORTE, Currency());
    // The typed text stays for correction; nothing of it was stored.
    QCOMPARE(e->quantityField()->text(), quantity);
    QVERIFY(readUdart(c.sqlDb()).PRE.withinMaxAmount());
}

void TstSaleWindow::wrappedLineIsNeverStored() {
    ScriptedUi ui;
    Counter c;
    const store::Ticket t =
        nuevaVenta(c.sqlDb(), QStringLiteral("CAJA"), QDateTime(QDate(2026, 3, 2), QTime(10, 0)));
    // The scratch row as an older version left it: 99999 x 99.999.999.999.999 with its wrapped amount.
    store::Udart u = readUdart(c.sqlDb());
    u.ART = QStringLiteral("Varios");
    u.UD = 99999;
    u.PRE = Currency::fromUnits(99999999999999);
    u.IMP = Currency::fromRaw(std::numeric_limits<qint64>::min());
    saveUdart(c.sqlDb(), u);
    QCOMPARE(anadirLinea(c.sqlDb(), t.ID_TICK, QString()), QStringLiteral("ImporteMaximo"));
    QVERIFY(c.ticketLines(t.ID_TICK).empty());
    QCOMPARE(c.ticket(t.ID_TICK).IMPORTE, Currency());
    // A wrapped amount with a sane price is refused all the same.
    u.PRE = Currency::fromUnits(1);
    u.UD = 1;
    saveUdart(c.sqlDb(), u);
    QCOMPARE(anadirLinea(c.sqlDb(), t.ID_TICK, QString()), QStringLiteral("ImporteMaximo"));
    QVERIFY(c.ticketLines(t.ID_TICK).empty());
}

void TstSaleWindow::deliveredLimit_data() {
    QTest::addColumn<QString>("delivered");
    QTest::addColumn<bool>("accepted");
    // Typed: the "." of the number pad is the decimal separator.
    QTest::newRow("at the limit") << QStringLiteral("999999.99") << true;
    QTest::newRow("a cent past") << QStringLiteral("1000000.00") << false;
    QTest::newRow("beyond any amount") << QStringLiteral("99999999999999999999") << false;
}

void TstSaleWindow::deliveredLimit() {
    QFETCH(QString, delivered);
    QFETCH(bool, accepted);
    ScriptedUi ui;
    Counter c;
    c.context.regional = Regional::spanishSpain();
    TFrmcambio* cambio = c.sales->changeDisplay();
    cambio->showFor(0, money(QStringLiteral("4,20")), nullptr);
    QTest::keyClicks(cambio->deliveredField(), delivered);
    QTest::keyClick(cambio->deliveredField(), Qt::Key_Return);
    const store::Udart u = readUdart(c.sqlDb());
    if (accepted) {
        QVERIFY(ui.messageTexts().isEmpty());
        QCOMPARE(u.CAMBIO, money(QStringLiteral("999.995,79")));
    } else {
        QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("El importe máximo es 999.999,99 €.")});
        QCOMPARE(u.ENTREGADO, Currency());
        QCOMPARE(u.CAMBIO, Currency());
        QVERIFY(cambio->isVisible());
    }
    cambio->close();
}

void TstSaleWindow::enterPrints_data() {
    QTest::addColumn<bool>("throughTheAmount");
    QTest::addColumn<int>("key");
    QTest::newRow("Enter after the amount, Enter again") << true << int(Qt::Key_Return);
    QTest::newRow("Enter of the number pad on Imprimir") << false << int(Qt::Key_Enter);
}

void TstSaleWindow::enterPrints() {
    QFETCH(bool, throughTheAmount);
    QFETCH(int, key);
    ScriptedUi ui;
    Counter c;
    c.context.regional = Regional::spanishSpain();
    // The printing refusal shows that the print command was reached.
    store::run(c.sqlDb(), QStringLiteral("UPDATE opciones SET impresoratick = 'NoPrinter'"));
    const store::Ticket t = nuevaVenta(c.sqlDb(), QStringLiteral("CAJA"), c.clock.now());
    TFrmcambio* cambio = c.sales->changeDisplay();
    cambio->showFor(t.ID_TICK, money(QStringLiteral("4,20")), nullptr);
    QVERIFY(QTest::qWaitForWindowActive(cambio));
    QPushButton* print = nullptr;
    for (QPushButton* b : cambio->findChildren<QPushButton*>()) {
        if (b->text() == QStringLiteral("Imprimir"))
            print = b;
    }
    QVERIFY(print);
    if (throughTheAmount) {
        QTest::keyClicks(cambio->deliveredField(), QStringLiteral("10"));
        QTest::keyClick(cambio->deliveredField(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), print);
        QVERIFY(ui.messageTexts().isEmpty());
    } else {
        print->setFocus();
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QCOMPARE(ui.messageTexts(),
             QStringList{QStringLiteral("Debe configurar la impresora de Tickets en parámetros generales.")});
    if (throughTheAmount)
        QCOMPARE(readUdart(c.sqlDb()).CAMBIO, money(QStringLiteral("5,80")));
    cambio->close();
}

void TstSaleWindow::changeDisplayGivesTheKeyboardBack_data() {
    QTest::addColumn<bool>("operatorWentElsewhere");
    QTest::newRow("closed with Esc") << false;
    QTest::newRow("another window took the focus") << true;
}

void TstSaleWindow::changeDisplayGivesTheKeyboardBack() {
    QFETCH(bool, operatorWentElsewhere);
    ScriptedUi ui;
    Counter c;
    auto* field = new QLineEdit(&c.window);
    c.window.show();
    c.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&c.window));
    field->setFocus();
    TFrmcambio* cambio = c.sales->changeDisplay();
    cambio->showFor(0, money(QStringLiteral("4,20")), &c.window);
    QVERIFY(QTest::qWaitForWindowActive(cambio));
    QWidget elsewhere;
    if (operatorWentElsewhere) {
        elsewhere.show();
        elsewhere.activateWindow();
    } else {
        QTest::keyClick(cambio->deliveredField(), Qt::Key_Escape);
    }
    QTRY_VERIFY(!cambio->isVisible());
    QWidget* keeper = operatorWentElsewhere ? &elsewhere : static_cast<QWidget*>(&c.window);
    QTRY_COMPARE(QApplication::activeWindow(), keeper);
    QTest::qWait(50);
    QCOMPARE(QApplication::activeWindow(), keeper);
    if (!operatorWentElsewhere)
        QCOMPARE(QApplication::focusWidget(), field);
}

QTEST_MAIN(TstSaleWindow)
#include "tst_salewindow.moc"
