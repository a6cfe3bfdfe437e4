#include "accountfixture.h"

#include "accounts/frmbusqcue.h"
#include "accounts/frmcambioscuentas.h"
#include "accounts/frmcodigos.h"
#include "accounts/frmusr.h"
#include "store/dialect.h"
#include "store/sql.h"
#include "support/scriptedui.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

// The accounts list: its live search, its bulk dialogs and its commands on
// an empty list.
class TstListaCuentas : public QObject {
    Q_OBJECT
private slots:
    void search_data();
    void search();
    void searchCancelled();
    void codeSearch_data();
    void codeSearch();
    void desktop_data();
    void desktop();
    void tariffs_data();
    void tariffs();
    void emptyList();
    void followsBookings_data();
    void followsBookings();
};

namespace {

void addAccounts(const AccountFixture& f) {
    for (const char* login : {"A*B", "AXB", "A%C", "A_C", "ABC", "O'H"}) {
        store::Cuenta c = f.cuenta(QLatin1String(login));
        c.Nombre = login == QLatin1String("ABC") ? QStringLiteral("María *Luz*") : QStringLiteral("Ana");
        f.add(c);
    }
    store::Cuenta code = f.cuenta(QStringLiteral("A*CODE"));
    code.Tipo = QStringLiteral("9");
    code.Tarifa.clear();
    f.add(code);
}

QStringList listed(TFrmusr& w) {
    QStringList all;
    for (int row = 0; row < w.model().rowCount(); ++row)
        all << w.model().at(row).Login;
    return all;
}

} // namespace

void TstListaCuentas::search_data() {
    QTest::addColumn<bool>("byName");
    QTest::addColumn<bool>("contains");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("star is a star") << false << false << "A*" << QStringList{"A*B"};
    QTest::newRow("percent is a percent") << false << false << "A%" << QStringList{"A%C"};
    QTest::newRow("underscore is an underscore") << false << false << "a_" << QStringList{"A_C"};
    QTest::newRow("quote") << false << true << "'H" << QStringList{"O'H"};
    QTest::newRow("contains") << false << true << "B" << QStringList{"A*B", "ABC", "AXB"};
    QTest::newRow("name with stars") << true << true << "*luz" << QStringList{"ABC"};
    QTest::newRow("nothing") << false << false << "B" << QStringList{};
}

// Each keystroke filters; Enter goes to "&Aceptar", which keeps the match
// current and shows every account again.
void TstListaCuentas::search() {
    QFETCH(bool, byName);
    QFETCH(bool, contains);
    QFETCH(QString, typed);
    QFETCH(QStringList, found);
    AccountFixture f;
    addAccounts(f);
    TFrmusr w(f.te.context);
    w.refresh();
    w.selectLogin(QStringLiteral("O'H"));
    const QStringList all = listed(w);
    ScriptedUi ui;
    QStringList seen;
    ui.onNextDialog([&](QDialog* d) {
        auto* s = qobject_cast<TFrmbusqcue*>(d);
        if (byName)
            s->nombreButton()->setChecked(true);
        if (contains)
            s->contieneButton()->setChecked(true);
        QTest::keyClicks(s->textEdit(), typed);
        seen = listed(w);
        QTest::keyClick(s->textEdit(), Qt::Key_Return);
        if (s->focusWidget() != s->aceptarButton() || s->result() != 0)
            return int(QDialog::Rejected);
        s->aceptarButton()->click();
        return s->result();
    });
    w.action(QStringLiteral("buscarCuenta"))->trigger();
    QCOMPARE(ui.dialogNames(), QStringList{QStringLiteral("TFrmbusqcue")});
    QCOMPARE(seen, found);
    QCOMPARE(listed(w), all);
    QCOMPARE(w.currentLogin(), found.isEmpty() ? QStringLiteral("O'H") : found.first());
}

void TstListaCuentas::searchCancelled() {
    AccountFixture f;
    addAccounts(f);
    TFrmusr w(f.te.context);
    w.refresh();
    w.selectLogin(QStringLiteral("O'H"));
    ScriptedUi ui;
    ui.onNextDialog([&](QDialog* d) {
        QTest::keyClicks(qobject_cast<TFrmbusqcue*>(d)->textEdit(), QStringLiteral("AX"));
        if (w.currentLogin() != QLatin1String("AXB"))
            return int(QDialog::Accepted);
        d->reject();
        return d->result();
    });
    w.buscar();
    QCOMPARE(w.currentLogin(), QStringLiteral("O'H"));
    QCOMPARE(w.model().rowCount(), 6);
}

void TstListaCuentas::codeSearch_data() {
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("current");
    QTest::newRow("accepted keeps the code found") << true << "90002";
    QTest::newRow("cancelled goes back") << false << "90001";
}

// The codes search through the callbacks alone: the login field only,
// every keystroke filtered, the filter cleared once closed.
void TstListaCuentas::codeSearch() {
    QFETCH(bool, accept);
    QFETCH(QString, current);
    QStringList filters;
    QString cursor = QStringLiteral("90001");
    accounts::VistaBusqueda vista;
    vista.filtrar = [&](accounts::CampoBusqueda campo, const QString& typed, bool startsWith) {
        filters << QStringLiteral("%1 %2 %3")
                       .arg(campo == accounts::CampoBusqueda::Login ? "login" : "nombre", typed,
                            startsWith ? "starts" : "contains");
        if (!typed.isEmpty())
            cursor = QStringLiteral("90002");
    };
    vista.actual = [&] { return cursor; };
    vista.seleccionar = [&](const QString& login) { cursor = login; };
    TFrmbusqcod d(vista);
    QVERIFY(d.nombreButton()->isHidden());
    d.contieneButton()->setChecked(true);
    QTest::keyClicks(d.textEdit(), QStringLiteral("2_"));
    if (accept)
        d.aceptarButton()->click();
    else
        d.reject();
    QCOMPARE(filters,
             (QStringList{"login  contains", "login 2 contains", "login 2_ contains", "login  starts"}));
    QCOMPARE(cursor, current);
}

void TstListaCuentas::desktop_data() {
    QTest::addColumn<bool>("codes");
    QTest::addColumn<bool>("todas");
    QTest::addColumn<QStringList>("changed");
    QTest::newRow("all accounts leave the codes")
        << false << true << QStringList{"A%C", "A*B", "A_C", "ABC", "AXB", "O'H"};
    QTest::newRow("selected accounts") << false << false << QStringList{"A_C", "O'H"};
    QTest::newRow("all codes leave the accounts") << true << true << QStringList{"A*CODE"};
    QTest::newRow("a selected account in code mode") << true << false << QStringList{};
}

void TstListaCuentas::desktop() {
    QFETCH(bool, codes);
    QFETCH(bool, todas);
    QFETCH(QStringList, changed);
    AccountFixture f;
    addAccounts(f);
    ScriptedUi ui;
    Tfrmdesktopcue w(f.te.context, codes ? accounts::Ambito::Codigos : accounts::Ambito::Cuentas,
                     {QStringLiteral("A_C"), QStringLiteral("O'H")});
    w.accept();
    QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("Debe seleccionar un tipo de escritorio")});
    w.escritorioBox()->setCurrentIndex(3);
    w.todasButton()->setChecked(todas);
    w.accept();
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QStringList games;
    for (const store::Cuenta& c :
         store::select<store::Cuenta>(f.db(), QStringLiteral("WHERE Escritorio = 3 ORDER BY ") +
                                                  store::caseless(f.db(), QStringLiteral("Login"))))
        games << c.Login;
    QCOMPARE(games, changed);
}

void TstListaCuentas::tariffs_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("tariff");
    QTest::addColumn<bool>("todas");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QStringList>("changed");
    QTest::newRow("a tariff on all accounts, not the codes")
        << 0 << "OFERTA" << true << "" << QStringList{"A%C", "A*B", "A_C", "ABC", "AXB", "O'H"};
    QTest::newRow("time credit on the current and the selected")
        << 2 << "" << false << "" << QStringList{"A_C", "AXB", "O'H"};
    QTest::newRow("tariff mode without a tariff")
        << 0 << "" << true << "Debe seleccionar una tarifa" << QStringList{};
}

void TstListaCuentas::tariffs() {
    QFETCH(int, mode);
    QFETCH(QString, tariff);
    QFETCH(bool, todas);
    QFETCH(QString, shown);
    QFETCH(QStringList, changed);
    AccountFixture f;
    addAccounts(f);
    f.sql(QStringLiteral("INSERT INTO tarifas (NOM, TIPO) VALUES ('OFERTA', 0)"));
    ScriptedUi ui;
    Tfrmtarifascue w(f.te.context, QStringLiteral("AXB"), {QStringLiteral("A_C"), QStringLiteral("O'H")});
    QVERIFY(w.modeButton(0)->isChecked());
    QCOMPARE(w.tarifaBox()->currentText(), QStringLiteral("NORMAL"));
    // Another mode empties the tariff.
    w.modeButton(1)->setChecked(true);
    QVERIFY(!w.tarifaBox()->isEnabled());
    QCOMPARE(w.tarifaBox()->currentIndex(), -1);
    w.modeButton(mode)->setChecked(true);
    if (!tariff.isEmpty())
        w.tarifaBox()->setCurrentText(tariff);
    w.todasButton()->setChecked(todas);
    w.accept();
    QCOMPARE(ui.messageTexts(), shown.isEmpty() ? QStringList{} : QStringList{shown});
    QStringList moved;
    for (const store::Cuenta& c : store::select<store::Cuenta>(
             f.db(),
             QStringLiteral("WHERE Tipo = ? AND COALESCE(Tarifa, '') = ? ORDER BY ") +
                 store::caseless(f.db(), QStringLiteral("Login")),
             {QString::number(mode), tariff}))
        moved << c.Login;
    QCOMPARE(moved, changed);
    QCOMPARE(f.read(QStringLiteral("A*CODE")).Tipo, QStringLiteral("9"));
}

// Only adding, searching and e-mail answer while the list is empty.
// After a booking the lists read again only what a movement touched, unless
// their order or their rows themselves may have changed. A name edited
// behind the list's back without a movement tells which way it went.
void TstListaCuentas::followsBookings_data() {
    QTest::addColumn<bool>("codes");
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("moved");
    QTest::addColumn<bool>("whole");
    QTest::newRow("account moved, by login: in place") << false << 0 << "axb" << false;
    QTest::newRow("account moved, by credit: whole") << false << 3 << "AXB" << true;
    QTest::newRow("a code moved: accounts untouched") << false << 0 << "A*CODE" << false;
    QTest::newRow("a new account moved: whole") << false << 0 << "NUEVA" << true;
    QTest::newRow("nothing moved") << false << 0 << "" << false;
    QTest::newRow("code moved, by login: in place") << true << 0 << "a*code" << false;
    QTest::newRow("code moved, by time left: whole") << true << 1 << "A*CODE" << true;
    QTest::newRow("an account moved: codes untouched") << true << 0 << "AXB" << false;
}

void TstListaCuentas::followsBookings() {
    QFETCH(bool, codes);
    QFETCH(int, tab);
    QFETCH(QString, moved);
    QFETCH(bool, whole);
    AccountFixture f;
    addAccounts(f);
    store::Cuenta otherCode = f.cuenta(QStringLiteral("B-CODE"));
    otherCode.Tipo = QStringLiteral("9");
    otherCode.Tarifa.clear();
    f.add(otherCode);
    TFrmusr accountsWindow(f.te.context);
    TFrmcodigos codesWindow(f.te.context);
    const auto refresh = [&] {
        codes ? codesWindow.model().sortByTab(tab) : accountsWindow.model().sortByTab(tab);
    };
    const auto follow = [&] { codes ? codesWindow.seguir() : accountsWindow.seguir(); };
    const auto row = [&](const QString& login) -> store::Cuenta {
        const int at = codes ? codesWindow.model().rowOf(login) : accountsWindow.model().rowOf(login);
        return at < 0 ? store::Cuenta()
                      : (codes ? codesWindow.model().at(at) : accountsWindow.model().at(at));
    };
    refresh();
    const QString listedOne = codes ? QStringLiteral("A*CODE") : QStringLiteral("AXB");
    const QString other = codes ? QStringLiteral("B-CODE") : QStringLiteral("ABC");
    const store::Cuenta before = row(listedOne);

    if (moved == QLatin1String("NUEVA"))
        f.add(f.cuenta(moved));
    f.sql(QStringLiteral("UPDATE cuentas SET Nombre = 'Renombrada' WHERE Login = '%1'").arg(other));
    f.sql(QStringLiteral(
              "UPDATE cuentas SET credito = credito + 50000, Bonotiempo = COALESCE(Bonotiempo, 0) + 60 "
              "WHERE Login = '%1'")
              .arg(listedOne));
    if (!moved.isEmpty())
        store::run(
            f.db(),
            QStringLiteral("INSERT INTO movcuentas (CUENTA, FECHA, HORA, CONCEPTO) VALUES (?, ?, ?, ?)"),
            {moved, QStringLiteral("2026-03-10"), QStringLiteral("11:00:00"), QStringLiteral("PUESTO 1")});
    follow();

    // The moved row shows the stored balance, whatever letter case the movement used.
    const bool listedMoved = !moved.isEmpty() && store::sameKey(moved, listedOne);
    QCOMPARE(row(listedOne).credito,
             listedMoved || whole ? before.credito + Currency::fromUnits(5) : before.credito);
    QCOMPARE(row(other).Nombre == QLatin1String("Renombrada"), whole);
    if (moved == QLatin1String("NUEVA"))
        QCOMPARE(row(moved).Login, moved);
}

void TstListaCuentas::emptyList() {
    AccountFixture f;
    TFrmusr w(f.te.context);
    w.refresh();
    QCOMPARE(w.statusText(), QStringLiteral("Cuentas existentes: 0"));
    QSignalSpy added(&w, &TFrmusr::anadirRequested);
    QSignalSpy mailed(&w, &TFrmusr::emailRequested);
    QSignalSpy removed(&w, &TFrmusr::caducadasRequested);
    QSignalSpy desktop(&w, &TFrmusr::escritorioRequested);
    QSignalSpy tariffs(&w, &TFrmusr::tarifasRequested);
    QSignalSpy edited(&w, &TFrmusr::modificarRequested);
    QSignalSpy deleted(&w, &TFrmusr::eliminarRequested);
    QSignalSpy money(&w, &TFrmusr::metalicoRequested);
    QSignalSpy time(&w, &TFrmusr::tiempoRequested);
    QSignalSpy printed(&w, &TFrmusr::imprimirRequested);
    ScriptedUi ui;
    for (const char* name : {"anadirCuenta", "modificarCuenta", "eliminarCuenta", "creditoMetalico",
                             "creditoTiempo", "imprimirLogin", "buscarCuenta", "enviarEmail",
                             "eliminarCaducadas", "editarTarifas", "editarEscritorio"})
        w.action(QLatin1String(name))->trigger();
    QCOMPARE(added.size(), 1);
    QCOMPARE(mailed.size(), 1);
    QCOMPARE(ui.dialogNames(), QStringList{QStringLiteral("TFrmbusqcue")});
    for (const QSignalSpy* spy : {&removed, &desktop, &tariffs, &edited, &deleted, &money, &time, &printed})
        QCOMPARE(spy->size(), 0);
}

QTEST_MAIN(TstListaCuentas)
#include "tst_listacuentas.moc"
