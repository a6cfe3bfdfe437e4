#include "app/salescontroller.h"
#include "core/consolecontext.h"
#include "sales/frmimpuestos.h"
#include "sales/taxes.h"
#include "sales/tickets.h"
#include "store/sql.h"
#include "support/scriptedui.h"
#include "support/testdb.h"
#include "ui/opcionespage.h"

#include <QLineEdit>
#include <QTableWidget>
#include <QTest>

using namespace sales;

namespace {

qint64 rawOf(const QString& text) {
    return Regional::spanishSpain().parseCurrency(text)->raw();
}

int tasa(const QSqlDatabase& db, const QString& name, double valor) {
    return addTasa(db, name, valor, QString());
}

void addLineOf(const QSqlDatabase& db, int idTick, const QString& amount, int idTax) {
    store::LinTick l;
    l.ID_TICK = idTick;
    l.ARTICULO = QStringLiteral("X");
    l.CANT = 1;
    l.PRECIO = Currency::fromRaw(rawOf(amount));
    l.IMPORTE = l.PRECIO;
    l.IdTax = idTax;
    sales::addLine(db, l);
}

} // namespace

class TstTaxes : public QObject {
    Q_OBJECT
private slots:
    void impuestoIncluido_data();
    void impuestoIncluido();
    void rateUnits();
    void buscarTasaFallsBackToGeneralName();
    void breakdownAddsUpToTotal_data();
    void breakdownAddsUpToTotal();
    void checks_data();
    void checks();
    void pageListsByRateAndWritesAtOnce();
    void pageDeletingGeneralTaxAsksTwice();
};

void TstTaxes::impuestoIncluido_data() {
    QTest::addColumn<QString>("amount");
    QTest::addColumn<double>("rate");
    QTest::addColumn<QString>("tax");
    QTest::newRow("1,21 at 21") << "1,21" << 21.0 << "0,21";
    QTest::newRow("1,00 at 16") << "1,00" << 16.0 << "0,1379";
    QTest::newRow("rate 0") << "5,60" << 0.0 << "0";
    QTest::newRow("negative") << "-1,21" << 21.0 << "-0,21";
    QTest::newRow("7,5 %") << "10,75" << 7.5 << "0,75";
    // 0,0005 × 100/120 = 0,00041666…: the whole tax rounds to nothing.
    QTest::newRow("tiny") << "0,0001" << 20.0 << "0";
    QTest::newRow("large") << "1000000" << 21.0 << "173553,719";
    // 0,130165…: rounded, not truncated.
    QTest::newRow("0,75 at 21") << "0,75" << 21.0 << "0,1302";
    // Exactly half a unit: to the even neighbour, down and up.
    QTest::newRow("half to even, down") << "0,0001" << 100.0 << "0";
    QTest::newRow("half to even, up") << "0,0003" << 100.0 << "0,0002";
    QTest::newRow("negative half") << "-0,0003" << 100.0 << "-0,0002";
}

void TstTaxes::impuestoIncluido() {
    QFETCH(QString, amount);
    QFETCH(double, rate);
    QFETCH(QString, tax);
    QCOMPARE(ImpuestoIncluido(Currency::fromRaw(rawOf(amount)), sales::rateUnits(rate)).raw(), rawOf(tax));
}

void TstTaxes::rateUnits() {
    QCOMPARE(sales::rateUnits(7.5), qint64(75000));
    QCOMPARE(sales::rateUnits(21), qint64(210000));
}

void TstTaxes::buscarTasaFallsBackToGeneralName() {
    TestDatabase t;
    const QSqlDatabase db = t.data.db();
    const int reduced = tasa(db, QStringLiteral("REDUCIDO"), 10);
    qint64 rate = 123;
    QCOMPARE(BuscarTasa(db, reduced, 1, rate), QStringLiteral("REDUCIDO"));
    QCOMPARE(rate, qint64(100000));
    rate = 123;
    QCOMPARE(BuscarTasa(db, 999, 1, rate), QStringLiteral("IVA GENERAL"));
    QCOMPARE(rate, qint64(123));
    deleteTasa(db, 1, QString());
    QCOMPARE(BuscarTasa(db, 999, 1, rate), QString());
}

void TstTaxes::breakdownAddsUpToTotal_data() {
    QTest::addColumn<bool>("deleteReduced");
    QTest::newRow("every tax exists") << false;
    QTest::newRow("a tax was deleted") << true;
}

void TstTaxes::breakdownAddsUpToTotal() {
    QFETCH(bool, deleteReduced);
    TestDatabase t;
    const QSqlDatabase db = t.data.db();
    const int reduced = tasa(db, QStringLiteral("REDUCIDO"), 10);
    store::Ticket ticket;
    ticket = NuevoNumeroTicket(db, ticket, QDateTime(QDate(2026, 1, 1), QTime(9, 0)));
    addLineOf(db, ticket.ID_TICK, QStringLiteral("1,10"), reduced);
    addLineOf(db, ticket.ID_TICK, QStringLiteral("1,21"), 1);
    addLineOf(db, ticket.ID_TICK, QStringLiteral("2,00"), 0);
    addLineOf(db, ticket.ID_TICK, QStringLiteral("2,42"), 1);
    if (deleteReduced)
        deleteTasa(db, reduced, QString());
    const TaxBreakdown b = taxBreakdown(db, ticket.ID_TICK, 1);
    QCOMPARE(int(b.taxes.size()), 2);
    QCOMPARE(b.taxes[0].name, QStringLiteral("IVA GENERAL"));
    QCOMPARE(b.taxes[0].amount.raw(), rawOf(QStringLiteral("0,63")));
    if (deleteReduced) {
        // Named after the general tax, reckoned at rate 0.
        QCOMPARE(b.taxes[1].name, QStringLiteral("IVA GENERAL"));
        QCOMPARE(b.taxes[1].amount.raw(), qint64(0));
    } else {
        QCOMPARE(b.taxes[1].name, QStringLiteral("REDUCIDO"));
        QCOMPARE(b.taxes[1].amount.raw(), rawOf(QStringLiteral("0,10")));
    }
    Currency sum = b.subtotal;
    for (const TaxLine& l : b.taxes)
        sum += l.amount;
    QCOMPARE(sum.raw(), rawOf(QStringLiteral("6,73")));
}

void TstTaxes::checks_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("isNew");
    QTest::addColumn<QString>("key");
    QTest::newRow("empty name") << ""
                                << "21" << true << "DebeNombre";
    QTest::newRow("duplicate") << "IVA GENERAL"
                               << "21" << true << "NombreDuplicado";
    QTest::newRow("same name when modifying") << "IVA GENERAL"
                                              << "16" << false << "";
    QTest::newRow("empty value") << "NUEVO"
                                 << "" << true << "DebeValor";
    QTest::newRow("negative") << "NUEVO"
                              << "-1" << true << "DebeValor";
    QTest::newRow("not a number") << "NUEVO"
                                  << "1x" << true << "DebeValor";
    QTest::newRow("zero") << "NUEVO"
                          << "0" << true << "";
    QTest::newRow("comma") << "NUEVO"
                           << "7,5" << true << "";
    QTest::newRow("quote in name") << "N'\"%_"
                                   << "4" << true << "";
}

void TstTaxes::checks() {
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(bool, isNew);
    QFETCH(QString, key);
    TestDatabase t;
    QCOMPARE(checkTasa(t.data.db(), name, value, isNew).messageKey, key);
}

void TstTaxes::pageListsByRateAndWritesAtOnce() {
    ScriptedUi ui;
    TestDatabase t;
    ConsoleContext context;
    context.data = &t.data;
    context.regional = Regional::spanishSpain();
    tasa(t.data.db(), QStringLiteral("SUPER"), 4);
    tasa(t.data.db(), QStringLiteral("ALTO"), 33);
    SalesController::registerPages();
    QVERIFY(ui::opcionesPages().count(9));
    std::unique_ptr<ui::OpcionesPage> base(ui::opcionesPages().at(9)(context, nullptr));
    auto* page = qobject_cast<TasasPage*>(base.get());
    QVERIFY(page);
    QTableWidget* table = page->table();
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("ALTO"));
    QCOMPARE(table->item(1, 1)->text(), QStringLiteral("21,00"));
    QCOMPARE(table->item(2, 0)->text(), QStringLiteral("SUPER"));

    // A repeated name is refused and the dialog stays; then a good one.
    ui.onNextDialog([](QDialog* d) {
        auto* dialog = static_cast<TFrmnimpuestos*>(d);
        dialog->nameField()->setText(QStringLiteral("ALTO"));
        QTest::keyClicks(dialog->valueField(), QStringLiteral("7.5"));
        dialog->accept();
        if (dialog->result() == QDialog::Accepted)
            return int(QDialog::Accepted);
        dialog->nameField()->setText(QStringLiteral("MEDIO"));
        dialog->accept();
        return dialog->result();
    });
    page->anadir();
    QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("Nombre de Impuesto duplicado")});
    QCOMPARE(table->rowCount(), 4);
    QCOMPARE(table->item(2, 0)->text(), QStringLiteral("MEDIO"));
    QCOMPARE(table->item(2, 1)->text(), QStringLiteral("7,50"));
    QCOMPARE(table->currentRow(), 2);

    // Modifying keeps the name and writes the rate.
    ui.onNextDialog([](QDialog* d) {
        auto* dialog = static_cast<TFrmnimpuestos*>(d);
        [&] { QVERIFY(dialog->nameField()->isReadOnly()); }();
        dialog->valueField()->setText(QStringLiteral("50"));
        dialog->accept();
        return dialog->result();
    });
    page->modificar();
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("MEDIO"));
    QCOMPARE(table->currentRow(), 0);
}

void TstTaxes::pageDeletingGeneralTaxAsksTwice() {
    ScriptedUi ui;
    TestDatabase t;
    ConsoleContext context;
    context.data = &t.data;
    context.regional = Regional::spanishSpain();
    TasasPage page(context);
    page.table()->selectRow(0);
    ui.answerNext(ui::Answer::Yes);
    ui.answerNext(ui::Answer::Cancel);
    page.borrar();
    QCOMPARE(page.table()->rowCount(), 1);
    QCOMPARE(ui.messages().size(), 2);
    QCOMPARE(ui.messages().at(1).icon, ui::Icon::Error);
    ui.answerNext(ui::Answer::Yes);
    ui.answerNext(ui::Answer::Ok);
    page.borrar();
    QCOMPARE(page.table()->rowCount(), 0);
    // iva_gen keeps naming the deleted tax.
    QCOMPARE(store::toInt(store::scalar(t.data.db(), QStringLiteral("SELECT iva_gen FROM opciones"))), 1);
}

QTEST_MAIN(TstTaxes)
#include "tst_taxes.moc"
