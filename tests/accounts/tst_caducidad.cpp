#include "accountfixture.h"

#include "accounts/frmcodigoscaducidad.h"
#include "station/loginsinuse.h"
#include "store/sql.h"
#include "support/scriptedui.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QRadioButton>
#include <QTest>

// The removal of expired codes and accounts through its dialog: which rows
// go for each criterion, what the operator is asked, and the rows in use
// that stop it.
class TstCaducidad : public QObject {
    Q_OBJECT
private slots:
    void codes_data();
    void codes();
    void accounts_data();
    void accounts();
};

namespace {

const QString Alta2 = QStringLiteral("Se va a proceder a eliminar los códigos cuya alta sea anterior a  ");
const QString Ultima3 =
    QStringLiteral("Se va a proceder a eliminar los códigos cuya última visita sea anterior a  ");
const QString Nulo5 = QStringLiteral(" y crédito de tiempo nulo");
const QString EnUso = QStringLiteral("La operación no se ha podido realizar por que hay cuentas en uso");

void addRow(const AccountFixture& f, const char* login, const char* tipo, QDate alta, QDate ultima,
            int seconds) {
    store::Cuenta c = f.cuenta(QLatin1String(login));
    c.Tipo = QLatin1String(tipo);
    c.Alta = alta;
    c.Ultima = ultima;
    c.Bonotiempo = seconds;
    f.add(c);
}

QStringList logins(const AccountFixture& f) {
    QStringList all;
    for (const store::Cuenta& c : store::select<store::Cuenta>(f.db(), QStringLiteral("ORDER BY Login")))
        all << c.Login;
    return all;
}

} // namespace

void TstCaducidad::codes_data() {
    QTest::addColumn<int>("criterio");
    QTest::addColumn<bool>("nulo");
    QTest::addColumn<QString>("inUse");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("left");
    const QStringList all{"ACTIVO", "AUSENTE", "BORDE", "CUENTA", "GASTADO", "VIEJO"};
    QTest::newRow("creation date") << 0 << false << "" << QStringList{Alta2 + "05/03/2026"}
                                   << QStringList{"ACTIVO", "BORDE", "CUENTA", "GASTADO"};
    QTest::newRow("creation date or no time") << 0 << true << "" << QStringList{Alta2 + "05/03/2026" + Nulo5}
                                              << QStringList{"ACTIVO", "BORDE", "CUENTA"};
    QTest::newRow("last visit") << 1 << false << "" << QStringList{Ultima3 + "05/03/2026"}
                                << QStringList{"ACTIVO", "BORDE", "CUENTA", "GASTADO", "VIEJO"};
    // GASTADO was sold today and has used its time up.
    QTest::newRow("last visit or no time") << 1 << true << "" << QStringList{Ultima3 + "05/03/2026" + Nulo5}
                                           << QStringList{"ACTIVO", "BORDE", "CUENTA", "VIEJO"};
    QTest::newRow("no time only")
        << -1 << true << ""
        << QStringList{"Se va a proceder a eliminar los códigos cuyo crédito tiempo sea nulo"}
        << QStringList{"ACTIVO", "AUSENTE", "BORDE", "CUENTA", "VIEJO"};
    QTest::newRow("nothing chosen") << -1 << false << ""
                                    << QStringList{"Es necesario seleccionar que códigos desea eliminar"}
                                    << all;
    QTest::newRow("a code in use stops all")
        << 1 << true << "gastado" << QStringList{Ultima3 + "05/03/2026" + Nulo5, EnUso} << all;
    QTest::newRow("a code in use that does not match")
        << 0 << false << "ACTIVO" << QStringList{Alta2 + "05/03/2026"}
        << QStringList{"ACTIVO", "BORDE", "CUENTA", "GASTADO"};
}

void TstCaducidad::codes() {
    QFETCH(int, criterio);
    QFETCH(bool, nulo);
    QFETCH(QString, inUse);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, left);
    AccountFixture f;
    f.sql(QStringLiteral("UPDATE opciones SET cad_cod = 1, dias_cad_cod = 5"));
    addRow(f, "VIEJO", "9", QDate(2026, 1, 1), QDate(2026, 3, 9), 600);
    addRow(f, "AUSENTE", "9", QDate(2026, 3, 1), QDate(2026, 3, 1), 600);
    addRow(f, "GASTADO", "9", QDate(2026, 3, 10), QDate(2026, 3, 10), 0);
    addRow(f, "ACTIVO", "9", QDate(2026, 3, 5), QDate(2026, 3, 10), 3600);
    addRow(f, "BORDE", "9", QDate(2026, 3, 5), QDate(2026, 3, 5), 60);
    addRow(f, "CUENTA", "0", QDate(2025, 1, 1), QDate(2025, 1, 1), 0);
    station::LoginsInUse used;
    if (!inUse.isEmpty())
        used.add(inUse);
    ScriptedUi ui;
    ui.answerNext(ui::Answer::Yes);
    int refreshed = 0;
    TFrmCodigoscaducidad w(f.te.context, accounts::Ambito::Codigos, used, [&] { ++refreshed; });
    QCOMPARE(w.windowTitle(), QStringLiteral("[ Eliminación de códigos caducados ]"));
    QCOMPARE(w.fechaEdit()->date(), QDate(2026, 3, 5));
    QVERIFY(w.criterioButton(1)->isChecked());
    QVERIFY(!w.creditoNuloBox()->isChecked());
    w.criterioButton(0)->setChecked(criterio == 0);
    w.criterioButton(1)->setChecked(criterio == 1);
    w.creditoNuloBox()->setChecked(nulo);
    w.accept();
    QCOMPARE(ui.messageTexts(), shown);
    QCOMPARE(logins(f), left);
    const bool asked = criterio >= 0 || nulo;
    QCOMPARE(w.result(), int(asked ? QDialog::Accepted : QDialog::Rejected));
    QCOMPARE(refreshed, asked ? 1 : 0);
}

void TstCaducidad::accounts_data() {
    QTest::addColumn<int>("criterio");
    QTest::addColumn<QString>("inUse");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("left");
    const QString alta =
        QStringLiteral("Se va a proceder a eliminar las cuentas cuya alta sea anterior a  10/03/2026");
    QTest::newRow("created before the 10th") << 0 << "" << QStringList{alta} << QStringList{"CODIGO", "DIEZ"};
    QTest::newRow("last visit before the 10th") << 1 << ""
                                                << QStringList{"Se va a proceder a eliminar las cuentas cuya "
                                                               "última visita sea anterior a  10/03/2026"}
                                                << QStringList{"CODIGO", "DIEZ", "NUEVE"};
    QTest::newRow("one in use per box")
        << 0 << "OCHO" << QStringList{alta, EnUso} << QStringList{"CODIGO", "DIEZ", "NUEVA", "NUEVE", "OCHO"};
    QTest::newRow("nothing chosen") << -1 << ""
                                    << QStringList{"Es necesario seleccionar que códigos desea eliminar"}
                                    << QStringList{"CODIGO", "DIEZ", "NUEVA", "NUEVE", "OCHO"};
}

void TstCaducidad::accounts() {
    QFETCH(int, criterio);
    QFETCH(QString, inUse);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, left);
    AccountFixture f;
    f.sql(QStringLiteral("UPDATE opciones SET cad_cue = 0, dias_cad_cue = 0"));
    addRow(f, "OCHO", "0", QDate(2026, 3, 8), QDate(2026, 3, 8), 0);
    addRow(f, "NUEVE", "1", QDate(2026, 3, 9), QDate(2026, 3, 10), 0);
    addRow(f, "NUEVA", "2", QDate(2026, 3, 9), QDate(2026, 3, 9), 0);
    addRow(f, "DIEZ", "0", QDate(2026, 3, 10), QDate(2026, 3, 10), 0);
    addRow(f, "CODIGO", "9", QDate(2025, 1, 1), QDate(2025, 1, 1), 0);
    station::LoginsInUse used;
    if (!inUse.isEmpty())
        used.add(inUse);
    ScriptedUi ui;
    ui.answerNext(ui::Answer::Yes);
    TFrmCodigoscaducidad w(f.te.context, accounts::Ambito::Cuentas, used);
    QCOMPARE(w.fechaEdit()->date(), QDate(2026, 3, 10));
    QVERIFY(w.criterioButton(0)->isChecked());
    QCOMPARE(w.creditoNuloBox(), nullptr);
    // Choosing the other criterion unchooses the first; choosing it again leaves none.
    w.criterioButton(1)->setChecked(true);
    QVERIFY(!w.criterioButton(0)->isChecked());
    if (criterio == 0)
        w.criterioButton(0)->setChecked(true);
    else if (criterio < 0)
        w.criterioButton(1)->setChecked(false);
    w.accept();
    QCOMPARE(ui.messageTexts(), shown);
    QCOMPARE(logins(f), left);
}

QTEST_MAIN(TstCaducidad)
#include "tst_caducidad.moc"
