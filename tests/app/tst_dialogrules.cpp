#include "app/frmacceso.h"
#include "core/consolecontext.h"
#include "session/frmabrirpuesto.h"
#include "store/opciones.h"
#include "support/scriptedui.h"
#include "support/testdb.h"
#include "support/testengine.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace {

// Labels with a mnemonic must have a buddy, or Qt shows the ampersand.
QStringList labelsShowingAmpersand(const QWidget* window) {
    QStringList wrong;
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (label->text().contains(QLatin1Char('&')) && !Qt::mightBeRichText(label->text()) &&
            !label->buddy())
            wrong << label->text();
    }
    return wrong;
}

} // namespace

class TestDialogRules : public QObject {
    Q_OBJECT
private slots:
    void noAmpersandShown();
    void enterInTheAmountComputesThenMovesToAccept_data();
    void enterInTheAmountComputesThenMovesToAccept();
    void openDialogKeepsTheLastTariff();
    void clickOnTheEmptyOperatorList();
};

void TestDialogRules::noAmpersandShown() {
    TestEngine e;
    TFrmAbrirPuesto open(*e.engine);
    open.prepareOpen(1, 100);
    QCOMPARE(labelsShowingAmpersand(&open), QStringList());
    auto* time = open.findChild<QSpinBox*>(QStringLiteral("hoursSpin"));
    bool found = false;
    for (const QLabel* label : open.findChildren<QLabel*>())
        found = found || (label->text() == QStringLiteral("T&iempo:") && label->buddy() == time);
    QVERIFY(found);

    TDataModule1 data;
    ConsoleContext context;
    context.data = &data;
    TestHome home;
    TFrmAcceso acceso(context, app::Paths(home.home()), TFrmAcceso::Mode::ChangeOperator);
    QCOMPARE(labelsShowingAmpersand(&acceso), QStringList());
}

void TestDialogRules::enterInTheAmountComputesThenMovesToAccept_data() {
    QTest::addColumn<bool>("increase");
    QTest::newRow("increase prepaid") << true;
    QTest::newRow("open station") << false;
}

void TestDialogRules::enterInTheAmountComputesThenMovesToAccept() {
    QFETCH(bool, increase);
    TestEngine e;
    TFrmAbrirPuesto d(*e.engine);
    if (increase) {
        d.prepareIncrease(3, 100, QStringLiteral("NORMAL"));
    } else {
        d.prepareOpen(3, 100);
        QVERIFY(d.selectTariff(QStringLiteral("NORMAL")));
        d.setPrepaid(true);
    }
    d.show();
    d.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    auto* amount = d.findChild<QLineEdit*>(QStringLiteral("amountEdit"));
    amount->setFocus();
    amount->clear();
    QTest::keyClicks(amount, QStringLiteral("1"));
    QTest::keyClick(amount, Qt::Key_Return);
    // Not accepted: the time that 1.00 buys at 1.20 per hour is shown, and
    // the next Enter is for "&Aceptar".
    QVERIFY(d.isVisible());
    QCOMPARE(d.result(), int(QDialog::Rejected));
    QCOMPARE(d.findChild<QSpinBox*>(QStringLiteral("hoursSpin"))->value(), 0);
    QCOMPARE(d.findChild<QSpinBox*>(QStringLiteral("minutesSpin"))->value(), 50);
    auto* ok = d.findChild<QPushButton*>(QStringLiteral("acceptButton"));
    QCOMPARE(QApplication::focusWidget(), ok);
    QTest::keyClick(ok, Qt::Key_Return);
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(d.incremento().minutes, 50);
}

void TestDialogRules::openDialogKeepsTheLastTariff() {
    TestEngine e;
    {
        TFrmAbrirPuesto d(*e.engine);
        d.prepareOpen(1, 100);
        QVERIFY(d.selectTariff(QStringLiteral("PASES")));
        d.done(QDialog::Accepted);
        QCOMPARE(d.result(), int(QDialog::Accepted));
    }
    QCOMPARE(store::readOpciones(e.db.data.db()).DBLookUp, QStringLiteral("PASES"));
    {
        TFrmAbrirPuesto d(*e.engine);
        d.prepareOpen(2, 100);
        QCOMPARE(d.tariffName(), QStringLiteral("PASES"));
        // Cancelling keeps what was kept.
        QVERIFY(d.selectTariff(QStringLiteral("NORMAL")));
        d.done(QDialog::Rejected);
    }
    QCOMPARE(store::readOpciones(e.db.data.db()).DBLookUp, QStringLiteral("PASES"));
    {
        // Adding prepaid time does not change the proposal.
        TFrmAbrirPuesto d(*e.engine);
        d.prepareIncrease(3, 100, QStringLiteral("NORMAL"));
        d.setAmount(Currency::fromUnits(1));
        d.done(QDialog::Accepted);
    }
    QCOMPARE(store::readOpciones(e.db.data.db()).DBLookUp, QStringLiteral("PASES"));
    // A kept tariff deleted since: nothing proposed.
    store::run(e.db.data.db(), QStringLiteral("UPDATE opciones SET DBLookUp = 'BORRADA'"));
    TFrmAbrirPuesto d(*e.engine);
    d.prepareOpen(4, 100);
    QCOMPARE(d.tariffName(), QString());
}

void TestDialogRules::clickOnTheEmptyOperatorList() {
    TestHome home;
    home.createDatabase(QStringLiteral("ciber.mdb"), true);
    TDataModule1 data;
    QVERIFY(data.open(home.database()));
    ConsoleContext context;
    context.data = &data;
    context.currentOperator = QStringLiteral("ADMIN");
    ScriptedUi ui;
    TFrmAcceso dialog(context, app::Paths(home.home()), TFrmAcceso::Mode::ChangeOperator);
    QVERIFY(dialog.begin());
    dialog.resize(460, 400);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("operatorList"));
    QCOMPARE(list->currentRow(), 0);
    // Below the last operator.
    const QRect last = list->visualItemRect(list->item(list->count() - 1));
    const QPoint empty(last.center().x(), last.bottom() + 20);
    QVERIFY(list->viewport()->rect().contains(empty));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, empty);
    dialog.findChild<QLineEdit*>(QStringLiteral("passwordEdit"))->setText(QStringLiteral("1234"));
    dialog.findChild<QPushButton*>(QStringLiteral("acceptButton"))->click();
    QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("Seleccione un usuario")});
    QCOMPARE(ui.messages().first().icon, ui::Icon::Information);
    QVERIFY(dialog.isVisible());
    QCOMPARE(context.currentOperator, QStringLiteral("ADMIN"));
    // Choosing the operator again logs in.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    dialog.findChild<QPushButton*>(QStringLiteral("acceptButton"))->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(context.currentOperator, QStringLiteral("CAJA"));
}

QTEST_MAIN(TestDialogRules)
#include "tst_dialogrules.moc"
