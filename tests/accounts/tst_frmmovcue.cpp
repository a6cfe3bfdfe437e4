#include "accountfixture.h"

#include "accounts/frmcolamovcuentas.h"
#include "accounts/frmmovcue.h"
#include "store/sql.h"
#include "support/scriptedui.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TstFrmMovCue : public QObject {
    Q_OBJECT
private slots:
    void moneySaleStateMachine();
    void timeSaleRefusedAboveLimit();
    void moneySaleLimits_data();
    void moneySaleLimits();
    void queueShowsMoneyBalanceOfMoneyMovementsOnly();
};

void TstFrmMovCue::moneySaleStateMachine() {
    AccountFixture f;
    ScriptedUi ui;
    store::Cuenta c = f.cuenta(QStringLiteral("ANA"));
    c.credito = Currency::fromCents(300);
    f.add(c);
    QList<store::Cuenta> changed;
    TFrmmovcue w(f.te.context, c, [&](const store::Cuenta& saved) { changed << saved; });
    auto* nuevo = w.findChild<QPushButton*>(QStringLiteral("nuevo"));
    auto* confirmar = w.findChild<QPushButton*>(QStringLiteral("confirmar"));
    auto* salir = w.findChild<QPushButton*>(QStringLiteral("salir"));
    QVERIFY(nuevo->isEnabled() && salir->isEnabled() && !confirmar->isEnabled());

    w.nuevo();
    QVERIFY(w.salePending());
    QVERIFY(!salir->isEnabled() && confirmar->isEnabled());
    w.reject(); // not while a sale is pending
    QVERIFY(w.salePending());

    // Empty description: nothing booked, the sale stays open.
    w.confirmar();
    QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("No hay descripción")});
    QVERIFY(w.salePending());

    w.choose(2); // in the order they were added: 5, 10, 20
    w.quantityEdit()->setText(QStringLiteral("2"));
    w.priceEdit()->setText(QStringLiteral("5,00"));
    w.confirmar();
    QVERIFY(!w.salePending());
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed[0].credito, Currency::fromCents(1300));
    QCOMPARE(f.read(QStringLiteral("ANA")).credito, Currency::fromCents(1300));
    QCOMPARE(f.movements().at(0).CONCEPTO, QStringLiteral("Recarga 20 euros"));
    QVERIFY(w.rememberedText().startsWith(QStringLiteral("13,00")));
    // The booked sale can be printed: its receipt is the movement just written.
    QVERIFY(w.ticketButton()->isEnabled() && w.comprobanteButton()->isEnabled());
    QCOMPARE(w.lastMovement(), f.movements().at(0).ID);
    ui.clear();
    store::run(f.db(), QStringLiteral("UPDATE opciones SET impresoratick = 'NoPrinter'"));
    w.comprobanteButton()->click();
    QCOMPARE(ui.messageTexts(),
             QStringList{QStringLiteral("Debe configurar la impresora de Tickets en parámetros generales.")});

    // Void: the sale is left without booking, and nothing to print.
    w.nuevo();
    QVERIFY(!w.ticketButton()->isEnabled() && !w.cajonButton()->isEnabled());
    w.anular();
    QVERIFY(!w.salePending());
    QCOMPARE(f.movements().size(), size_t(1));
    QVERIFY(!w.ticketButton()->isEnabled() && !w.comprobanteButton()->isEnabled());
}

void TstFrmMovCue::timeSaleRefusedAboveLimit() {
    AccountFixture f;
    ScriptedUi ui;
    store::Cuenta c = f.cuenta(QStringLiteral("ANA"));
    c.Tipo = QStringLiteral("2");
    c.Bonotiempo = 499 * 3600;
    f.add(c);
    Tfrmmovcuetiempo w(f.te.context, c, {});
    w.nuevo();
    w.choose(2); // in the order they were added: 1 hora, 5 horas, 10 horas
    QCOMPARE(w.resultLabel()->text(), QStringLiteral("509:00:00"));
    w.confirmar();
    QCOMPARE(ui.messageTexts(),
             QStringList{QStringLiteral("Un cliente no puede superar las 500 horas en bono")});
    QVERIFY(w.salePending());
    QCOMPARE(f.read(QStringLiteral("ANA")).Bonotiempo, 499 * 3600);
}

void TstFrmMovCue::moneySaleLimits_data() {
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("refusal");
    const QString tooMuch = QStringLiteral("El importe máximo es 999.999,99 €.");
    QTest::newRow("price at the limit") << "1"
                                        << "999.999,99" << QString();
    QTest::newRow("price a cent past") << "1"
                                       << "1.000.000,00" << tooMuch;
    QTest::newRow("price beyond any amount") << "1"
                                             << "99999999999999999999" << tooMuch;
    QTest::newRow("line a cent past") << "2"
                                      << "500.000,005" << tooMuch;
    QTest::newRow("quantity not a number") << "abc"
                                           << "5,00" << QStringLiteral("Cantidad no válida.");
    QTest::newRow("quantity 0") << "0"
                                << "5,00" << QStringLiteral("Cantidad no válida.");
}

void TstFrmMovCue::moneySaleLimits() {
    QFETCH(QString, quantity);
    QFETCH(QString, price);
    QFETCH(QString, refusal);
    AccountFixture f;
    ScriptedUi ui;
    store::Cuenta c = f.cuenta(QStringLiteral("ANA"));
    f.add(c);
    TFrmmovcue w(f.te.context, c, {});
    w.nuevo();
    w.choose(0);
    w.quantityEdit()->setText(quantity);
    w.priceEdit()->setText(price);
    w.confirmar();
    if (refusal.isEmpty()) {
        QVERIFY2(ui.messageTexts().isEmpty(), qPrintable(ui.messageTexts().join(QLatin1Char('|'))));
        QCOMPARE(f.read(QStringLiteral("ANA")).credito, Currency::MaxAmount);
        return;
    }
    QCOMPARE(ui.messageTexts(), QStringList{refusal});
    // Nothing booked; the sale stays open for correction.
    QVERIFY(w.salePending());
    QCOMPARE(f.read(QStringLiteral("ANA")).credito, Currency());
    QVERIFY(f.movements().empty());
}

void TstFrmMovCue::queueShowsMoneyBalanceOfMoneyMovementsOnly() {
    AccountFixture f;
    store::run(f.db(), QStringLiteral("DELETE FROM movcuentas"));
    store::MovCuenta money;
    money.CUENTA = QStringLiteral("ANA");
    money.FECHA = QDate(2026, 3, 10);
    money.HORA = QTime(10, 0);
    money.CONCEPTO = QStringLiteral("Recarga");
    money.SALDO_FIN = Currency::fromCents(1300);
    store::MovCuenta time = money;
    time.HORA = QTime(10, 5);
    time.CONCEPTO = QStringLiteral("Bono");
    time.SALDO_FIN = Currency();
    time.saldoti_ant_bono = 0;
    time.SALDOTI_MOV = QStringLiteral("1:00:00");
    time.saldoti_fin_bono = 3600;
    store::insert(f.db(), money);
    store::insert(f.db(), time);
    accounts::MovimientosPendientesModel model(f.te.context);
    model.setAscending(true);
    model.refresh();
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.index(0, 4).data().toString(), QStringLiteral("13,00 €"));
    QCOMPARE(model.index(0, 5).data().toString(), QString());
    QCOMPARE(model.index(1, 4).data().toString(), QString());
    QCOMPARE(model.index(1, 5).data().toString(), QStringLiteral("1:00:00"));
}

QTEST_MAIN(TstFrmMovCue)
#include "tst_frmmovcue.moc"
