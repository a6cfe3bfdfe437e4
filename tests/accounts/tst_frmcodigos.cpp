#include "accountfixture.h"

#include "accounts/frmcambioscuentas.h"
#include "accounts/frmcodigos.h"
#include "accounts/frmcodigosm.h"
#include "accounts/frmcodigostiempo.h"
#include "app/accountscontroller.h"
#include "app/codigoscontroller.h"
#include "app/frmmain.h"
#include "app/stationcontroller.h"
#include "store/sql.h"
#include "support/scriptedui.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

namespace {

// The codes' controller on a main window, as the console runs it.
struct CodesConsole : AccountFixture {
    CodesConsole() {
        stations = std::make_unique<StationController>(*te.engine, window);
        accounts = std::make_unique<AccountsController>(*te.engine, window, *stations);
        codes = std::make_unique<CodigosController>(*te.engine, window, *accounts);
    }
    void addCode(const QString& login, int seconds) {
        store::Cuenta c = cuenta(login);
        c.Tipo = QStringLiteral("9");
        c.Tarifa.clear();
        c.Bonotiempo = seconds;
        add(c);
    }
    TFrmcodigos& dock() { return *codes->codesWindow(); }

    ScriptedUi ui;
    TFrmMain window;
    std::unique_ptr<StationController> stations;
    std::unique_ptr<AccountsController> accounts;
    std::unique_ptr<CodigosController> codes;
};

QStringList logins(TFrmcodigos& w) {
    QStringList out;
    for (int row = 0; row < w.model().rowCount(); ++row)
        out << w.model().at(row).Login;
    return out;
}

} // namespace

class TstFrmCodigos : public QObject {
    Q_OBJECT
private slots:
    void timeTopUpFollowsTheType_data();
    void timeTopUpFollowsTheType();
    void actionsWaitForACode();
    void filterAndTabs_data();
    void filterAndTabs();
    void deleteCode_data();
    void deleteCode();
    void modifyCode();
};

void TstFrmCodigos::timeTopUpFollowsTheType_data() {
    QTest::addColumn<bool>("fromStation");
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<QString>("dialog");
    QTest::newRow("station, code") << true << "9"
                                   << "Tfrmcodigostiempo";
    QTest::newRow("station, time account") << true << "2"
                                           << "Tfrmmovcuetiempo";
    QTest::newRow("movement queue, code") << false << "9"
                                          << "Tfrmcodigostiempo";
    QTest::newRow("movement queue, time account") << false << "2"
                                                  << "Tfrmmovcuetiempo";
}

void TstFrmCodigos::timeTopUpFollowsTheType() {
    QFETCH(bool, fromStation);
    QFETCH(QString, tipo);
    QFETCH(QString, dialog);
    CodesConsole c;
    c.addCode(QStringLiteral("COD1"), 1800);
    c.sql(QStringLiteral("UPDATE cuentas SET Tipo = '") + tipo + QStringLiteral("' WHERE Login = 'COD1'"));
    station::StationRecord& rec = c.te.rec(1);
    rec.estado = station::Estado::Prepago;
    rec.accountLogin = QStringLiteral("COD1");
    rec.accountType = tipo;
    rec.prepaidSeconds = 1800;
    rec.clockMs = 1200 * 1000;
    int bonotiempo = -1;
    QString title;
    QString login;
    bool loginLocked = false;
    c.ui.onNextDialog([&](QDialog* d) {
        if (auto* w = qobject_cast<Tfrmcodigostiempo*>(d)) {
            // The code as it stands, locked; one voucher of an hour.
            title = w->windowTitle();
            login = w->loginEdit()->text();
            w->nuevo();
            loginLocked = !w->loginEdit()->isEnabled();
            w->choose(w->bonoBox()->findText(QStringLiteral("Bono 1 hora")));
            w->confirmar();
            bonotiempo = w->lastSale().cuenta.Bonotiempo;
        }
        return int(QDialog::Rejected);
    });
    if (fromStation) {
        c.te.engine->puestos().setSelectedRow(1);
        c.accounts->creditoTiempoPuesto();
    } else {
        c.accounts->abrirTiempo(QStringLiteral("COD1"));
    }
    QCOMPARE(c.ui.dialogNames(), QStringList{dialog});
    if (tipo != QLatin1String("9"))
        return;
    QVERIFY2(c.ui.messageTexts().isEmpty(), qPrintable(c.ui.messageTexts().join(QLatin1Char('|'))));
    QCOMPARE(title, QStringLiteral("[ Añadir tiempo a cuenta ]"));
    QCOMPARE(login, QStringLiteral("COD1"));
    QVERIFY(loginLocked);
    QCOMPARE(bonotiempo, 5400);
    QCOMPARE(c.read(QStringLiteral("COD1")).Bonotiempo, 5400);
    QCOMPARE(c.dock().currentLogin(), QStringLiteral("COD1"));
    // The station where it runs has the hour at once.
    QCOMPARE(rec.prepaidSeconds, 5400);
    QCOMPARE(rec.clockMs, qint64(1200 + 3600) * 1000);
}

void TstFrmCodigos::actionsWaitForACode() {
    CodesConsole c;
    TFrmcodigos& w = c.dock();
    w.refresh();
    QCOMPARE(w.windowTitle(), QStringLiteral(" [ Códigos de tiempo... ]"));
    const QStringList always{QStringLiteral("venderCodigo"), QStringLiteral("buscarCodigo")};
    const QStringList withCode{QStringLiteral("modificarCodigo"),   QStringLiteral("eliminarCodigo"),
                               QStringLiteral("aumentarTiempo"),    QStringLiteral("imprimirLogin"),
                               QStringLiteral("eliminarCaducados"), QStringLiteral("editarEscritorio")};
    for (const QString& name : always)
        QVERIFY(w.action(name)->isEnabled());
    for (const QString& name : withCode)
        QVERIFY2(!w.action(name)->isEnabled(), qPrintable(name));
    QCOMPARE(w.popupMenu()->actions().size(), always.size() + withCode.size() + 1);
    c.addCode(QStringLiteral("X1"), 60);
    w.refresh();
    for (const QString& name : withCode)
        QVERIFY(w.action(name)->isEnabled());
    // The desktop dialog works on the selected code.
    c.addCode(QStringLiteral("X2"), 60);
    w.refresh();
    c.ui.onNextDialog([](QDialog* d) {
        auto* dialog = qobject_cast<Tfrmdesktopcue*>(d);
        dialog->escritorioBox()->setCurrentIndex(3);
        dialog->accept();
        return dialog->result();
    });
    w.selectLogin(QStringLiteral("X1"));
    w.action(QStringLiteral("editarEscritorio"))->trigger();
    const auto escritorio = [&](const char* login) {
        return store::select<store::Cuenta>(c.db(), QStringLiteral("WHERE Login = ?"),
                                            {QString::fromLatin1(login)})
            .at(0)
            .Escritorio;
    };
    QCOMPARE(escritorio("X1"), 3);
    QCOMPARE(escritorio("X2"), 0);
}

void TstFrmCodigos::filterAndTabs_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("startsWith");
    QTest::addColumn<int>("tab");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("all by login") << "" << true << 0 << QStringList{"A%1", "AB", "XA"};
    QTest::newRow("by time") << "" << true << 1 << QStringList{"XA", "A%1", "AB"};
    QTest::newRow("by last visit") << "" << true << 2 << QStringList{"AB", "XA", "A%1"};
    QTest::newRow("starts with a") << "a" << true << 0 << QStringList{"A%1", "AB"};
    QTest::newRow("contains a") << "A" << false << 0 << QStringList{"A%1", "AB", "XA"};
    QTest::newRow("percent is plain") << "A%" << true << 0 << QStringList{"A%1"};
    QTest::newRow("star is plain") << "A*" << true << 0 << QStringList{};
    QTest::newRow("quote is plain") << "'" << false << 0 << QStringList{};
}

void TstFrmCodigos::filterAndTabs() {
    QFETCH(QString, typed);
    QFETCH(bool, startsWith);
    QFETCH(int, tab);
    QFETCH(QStringList, shown);
    CodesConsole c;
    c.addCode(QStringLiteral("AB"), 300);
    c.addCode(QStringLiteral("XA"), 100);
    c.addCode(QStringLiteral("A%1"), 200);
    c.add(c.cuenta(QStringLiteral("ACUENTA")));
    c.sql(QStringLiteral("UPDATE cuentas SET Ultima = '2026-03-01' WHERE Login = 'AB'"));
    c.sql(QStringLiteral("UPDATE cuentas SET Ultima = '2026-03-05' WHERE Login = 'XA'"));
    TFrmcodigos& w = c.dock();
    w.model().sortByTab(tab);
    w.model().setFiltro(typed, startsWith);
    QCOMPARE(logins(w), shown);
    w.model().setFiltro(QString(), true);
    QCOMPARE(w.model().rowCount(), 3);
}

void TstFrmCodigos::deleteCode_data() {
    QTest::addColumn<bool>("inUse");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("deleted");
    QTest::addColumn<QStringList>("messages");
    const QString question = QStringLiteral("¿Eliminar el registro seleccionado?");
    QTest::newRow("yes") << false << true << true << QStringList{question};
    QTest::newRow("no") << false << false << false << QStringList{question};
    QTest::newRow("in use") << true << true << false
                            << QStringList{question, QStringLiteral("Cuenta en uso. Imposible eliminar")};
}

void TstFrmCodigos::deleteCode() {
    QFETCH(bool, inUse);
    QFETCH(bool, yes);
    QFETCH(bool, deleted);
    QFETCH(QStringList, messages);
    CodesConsole c;
    c.te.context.currentOperator = QStringLiteral("ADMIN");
    c.addCode(QStringLiteral("X1"), 60);
    if (inUse)
        c.te.engine->puestos().loginsInUse().add(QStringLiteral("x1"));
    c.ui.answerNext(yes ? ui::Answer::Yes : ui::Answer::No);
    c.dock().refresh();
    c.dock().selectLogin(QStringLiteral("X1"));
    c.dock().action(QStringLiteral("eliminarCodigo"))->trigger();
    QCOMPARE(c.ui.messageTexts(), messages);
    QCOMPARE(c.dock().model().rowCount(), deleted ? 0 : 1);
}

void TstFrmCodigos::modifyCode() {
    CodesConsole c;
    c.addCode(QStringLiteral("X1"), 60);
    store::Cuenta code = c.read(QStringLiteral("X1"));
    code.Nomodpass = true;
    TFrmCodigosTiempo_m w(c.te.context, code, false);
    QVERIFY(!w.loginEdit()->isEnabled());
    QVERIFY(!w.altaEdit()->isEnabled() && !w.ultimaEdit()->isEnabled());
    QVERIFY(!w.primeraVezBox()->isEnabled());
    w.noCambiarBox()->setChecked(false);
    w.primeraVezBox()->setChecked(true);
    QVERIFY(w.passwordEdit()->text().isEmpty() && !w.passwordEdit()->isEnabled());
    QVERIFY(!w.noCambiarBox()->isEnabled());
    w.escritorioBox()->setCurrentIndex(3);
    w.accept();
    QCOMPARE(w.result(), int(QDialog::Accepted));
    const store::Cuenta saved = c.read(QStringLiteral("X1"));
    QVERIFY(saved.Intropass);
    QVERIFY(!saved.Nomodpass);
    QVERIFY(saved.Pass.isEmpty());
    QCOMPARE(saved.Escritorio, 3);
    QCOMPARE(saved.Bonotiempo, 60);
    QCOMPARE(saved.Alta, code.Alta);
}

QTEST_MAIN(TstFrmCodigos)
#include "tst_frmcodigos.moc"
