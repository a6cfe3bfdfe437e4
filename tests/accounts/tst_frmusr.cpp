#include "accountfixture.h"

#include "accounts/frmmodusr.h"
#include "accounts/frmusr.h"
#include "store/sql.h"
#include "support/scriptedui.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

class TstFrmUsr : public QObject {
    Q_OBJECT
private slots:
    void newAccountWithInitialCredit();
    void listAndStatusLine();
};

void TstFrmUsr::newAccountWithInitialCredit() {
    AccountFixture f;
    ScriptedUi ui;
    f.sql(QStringLiteral("UPDATE opciones SET op2_1 = 0, op2_2 = 2, pass_ini = ' 12 ', ini_met = 'R10', "
                         "ini_time = '', op2_5 = 2"));
    f.add(f.cuenta(QStringLiteral("YA")));
    TFrmModusr w(f.te.context, f.te.engine->tarifas());
    QCOMPARE(w.passwordEdit()->text(), QStringLiteral("12"));
    QCOMPARE(w.moneyEdit()->text(), f.te.context.regional.formatCurrency(Currency::fromCents(1000)));
    w.loginEdit()->setText(QStringLiteral("YA"));
    w.accept();
    QCOMPARE(ui.messageTexts(),
             QStringList{QStringLiteral("Nombre de cuenta duplicado. La cuenta ya existe.")});
    QCOMPARE(w.result(), int(QDialog::Rejected));

    w.loginEdit()->setText(QStringLiteral("NUEVA"));
    w.accept();
    QCOMPARE(w.result(), int(QDialog::Accepted));
    const store::Cuenta c = f.read(QStringLiteral("NUEVA"));
    QCOMPARE(c.Pass, QStringLiteral("12"));
    QCOMPARE(c.Tipo, QStringLiteral("0"));
    QCOMPARE(c.credito, Currency::fromCents(1000));
    QCOMPARE(f.movements().size(), size_t(1));
    QCOMPARE(f.movements().at(0).SALDO_FIN, Currency::fromCents(1000));
}

void TstFrmUsr::listAndStatusLine() {
    AccountFixture f;
    f.add(f.cuenta(QStringLiteral("B")));
    f.add(f.cuenta(QStringLiteral("A")));
    store::Cuenta code = f.cuenta(QStringLiteral("C"));
    code.Tipo = QStringLiteral("9");
    f.add(code);
    TFrmusr w(f.te.context);
    w.refresh();
    QCOMPARE(w.statusText(), QStringLiteral("Cuentas existentes: 2"));
    QCOMPARE(w.model().at(0).Login, QStringLiteral("A"));
}

QTEST_MAIN(TstFrmUsr)
#include "tst_frmusr.moc"
