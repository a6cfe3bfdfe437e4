#include "admin/frmoperadores.h"
#include "admin/permisos.h"
#include "console.h"
#include "store/auditoria.h"
#include "store/claves.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

namespace {

// Fills the permission dialog and presses "&Aceptar" once per attempt; the
// dialog stays open after a refused attempt.
struct Attempt {
    QString name;
    QString password;
    QString confirmation;
};

ScriptedUi::DialogHandler fill(std::vector<Attempt> attempts, std::vector<store::Permiso> granted = {}) {
    return [attempts, granted](QDialog* d) {
        auto* dialog = qobject_cast<TFrmNivelAcceso*>(d);
        for (const Attempt& a : attempts) {
            if (dialog->adding())
                dialog->setName(a.name);
            dialog->setPassword(a.password, a.confirmation);
            for (store::Permiso p : granted)
                dialog->setPermiso(p, true);
            dialog->accept();
            if (dialog->result() == QDialog::Accepted)
                break;
        }
        return dialog->result();
    };
}

std::optional<store::Operador> find(const QSqlDatabase& db, const QString& name) {
    for (const store::Operador& op : store::operadores(db)) {
        if (op.NOMBRE == name)
            return op;
    }
    return std::nullopt;
}

} // namespace

class TestOperadores : public QObject {
    Q_OBJECT
private slots:
    void onlyAdminOpensTheWindow_data();
    void onlyAdminOpensTheWindow();
    void addChecksInOrder_data();
    void addChecksInOrder();
    void permissionsInTableOrder();
    void cancelKeepsThePassword();
    void adminKeepsEveryPermission();
    void deleteRules();
    void permissionChangeAppliesAtOnce();
    void removedCurrentOperatorIsSilent();
    void storedPasswordIsNeverShown_data();
    void storedPasswordIsNeverShown();
    void operatorChangesAreAudited();
};

void TestOperadores::onlyAdminOpensTheWindow_data() {
    QTest::addColumn<QString>("op");
    QTest::addColumn<bool>("opens");
    QTest::newRow("ADMIN") << QStringLiteral("ADMIN") << true;
    QTest::newRow("lower-case admin") << QStringLiteral("admin") << false;
    QTest::newRow("cashier") << QStringLiteral("CAJA") << false;
}

void TestOperadores::onlyAdminOpensTheWindow() {
    QFETCH(QString, op);
    QFETCH(bool, opens);
    AdminConsole c;
    c.context.currentOperator = op;
    c.window.action(QStringLiteral("operadores"))->trigger();
    QCOMPARE(c.ui.dialogNames().contains(QStringLiteral("TFrmOperadores")), opens);
    QCOMPARE(c.ui.messageTexts(),
             opens ? QStringList() : QStringList{QStringLiteral("Sólo ADMIN puede configurar operadores.")});
}

void TestOperadores::addChecksInOrder_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("confirmation");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty name first") << QString() << QStringLiteral("a") << QStringLiteral("b")
                                      << QStringLiteral("Se necesita un nombre de usuario");
    QTest::newRow("blank name") << QStringLiteral("   ") << QStringLiteral("a") << QStringLiteral("a")
                                << QStringLiteral("Se necesita un nombre de usuario");
    QTest::newRow("Ana when ANA exists")
        << QStringLiteral("Ana") << QStringLiteral("a") << QStringLiteral("b")
        << QStringLiteral("El nombre de operador ya está introducido");
    QTest::newRow("caja when CAJA exists")
        << QStringLiteral("caja") << QStringLiteral("a") << QStringLiteral("a")
        << QStringLiteral("El nombre de operador ya está introducido");
    // Only ASCII letters fold: Ñ and ñ name two operators.
    QTest::newRow("ñoño when ÑOÑO exists")
        << QStringLiteral("ñoño") << QStringLiteral("a") << QStringLiteral("a") << QString();
    QTest::newRow("confirmation differs")
        << QStringLiteral("Luis") << QStringLiteral("Abc") << QStringLiteral("abc")
        << QStringLiteral("La confirmación de contraseña no es correcta");
    QTest::newRow("accepted") << QStringLiteral("Luis") << QStringLiteral("Abc") << QStringLiteral("Abc")
                              << QString();
}

void TestOperadores::addChecksInOrder() {
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(QString, confirmation);
    QFETCH(QString, message);
    AdminConsole c;
    store::Operador ana;
    ana.NOMBRE = QStringLiteral("ANA");
    store::insertOperador(c.dbh(), ana);
    store::Operador nono;
    nono.NOMBRE = QStringLiteral("ÑOÑO");
    store::insertOperador(c.dbh(), nono);
    const size_t before = store::operadores(c.dbh()).size();
    TFrmOperadores window(c.context);
    c.ui.onNextDialog(
        fill({{name, password, confirmation}}, {store::Permiso::APAGA2, store::Permiso::CONFOP}));
    window.anadir();
    QCOMPARE(c.ui.messageTexts(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(store::operadores(c.dbh()).size(), before + (message.isEmpty() ? 1 : 0));
    if (message.isEmpty()) {
        const std::optional<store::Operador> luis = find(c.dbh(), name);
        QVERIFY(luis);
        QVERIFY(store::esClaveProtegida(luis->PASS));
        QVERIFY(store::claveCorrecta(luis->PASS, password));
        QCOMPARE(store::operadorPorNombre(c.dbh(), name)->NOMBRE, name);
        QVERIFY(luis->tiene(store::Permiso::APAGA2));
        QVERIFY(luis->tiene(store::Permiso::CONFOP));
        QVERIFY(!luis->tiene(store::Permiso::CONFPUE));
        QCOMPARE(window.rows().size(), before + 1);
    }
}

void TestOperadores::permissionsInTableOrder() {
    AdminConsole c;
    TFrmNivelAcceso dialog(c.context);
    dialog.prepareAdd();
    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("permisos"));
    QCOMPARE(list->count(), store::PermisoCount);
    QCOMPARE(list->item(0)->text(), QStringLiteral("Puestos (Añadir, Modificar, Borrar)"));
    QCOMPARE(list->item(17)->text(), QStringLiteral("Apagar todos los puestos"));
    QCOMPARE(list->item(34)->text(),
             QStringLiteral("Modificar fecha de última visita en cuentas y códigos de tiempo"));
    for (int i = 0; i < list->count(); ++i)
        QCOMPARE(list->item(i)->checkState(), Qt::Unchecked);
    // The boxes follow the columns, one by one.
    const std::optional<store::Operador> caja = find(c.dbh(), QStringLiteral("CAJA"));
    dialog.prepareChange(*caja);
    for (int i = 0; i < store::PermisoCount; ++i)
        QCOMPARE(list->item(i)->checkState() == Qt::Checked, caja->permisos[size_t(i)]);
    QVERIFY(!dialog.findChild<QLineEdit*>(QStringLiteral("name"))->isEnabled());
}

void TestOperadores::cancelKeepsThePassword() {
    AdminConsole c;
    const QString stored = find(c.dbh(), QStringLiteral("CAJA"))->PASS;
    TFrmOperadores window(c.context);
    window.setCurrentRow(0);
    QCOMPARE(window.rows().at(0).NOMBRE, QStringLiteral("CAJA"));
    c.ui.onNextDialog([](QDialog* d) {
        auto* dialog = qobject_cast<TFrmNivelAcceso*>(d);
        dialog->setPassword(QStringLiteral("nueva"), QStringLiteral("nueva"));
        dialog->setPermiso(store::Permiso::CONFPUE, true);
        dialog->reject();
        return dialog->result();
    });
    window.modificar();
    const std::optional<store::Operador> caja = find(c.dbh(), QStringLiteral("CAJA"));
    QCOMPARE(caja->PASS, stored);
    QVERIFY(!caja->tiene(store::Permiso::CONFPUE));
    QCOMPARE(window.currentRow(), 0);

    c.ui.onNextDialog(fill({{QString(), QStringLiteral("nueva"), QStringLiteral("nueva")}}));
    window.modificar();
    QVERIFY(store::claveCorrecta(find(c.dbh(), QStringLiteral("CAJA"))->PASS, QStringLiteral("nueva")));
}

void TestOperadores::adminKeepsEveryPermission() {
    AdminConsole c;
    TFrmOperadores window(c.context);
    int adminRow = -1;
    for (size_t i = 0; i < window.rows().size(); ++i) {
        if (window.rows()[i].isAdmin())
            adminRow = int(i);
    }
    window.setCurrentRow(adminRow);
    c.ui.onNextDialog([](QDialog* d) {
        auto* dialog = qobject_cast<TFrmNivelAcceso*>(d);
        auto* list = dialog->findChild<QListWidget*>(QStringLiteral("permisos"));
        if (list->count() != 1 || list->item(0)->text() != QLatin1String("Dispone de todos los permisos."))
            return int(QDialog::Rejected);
        dialog->setPassword(QStringLiteral("root"), QStringLiteral("root"));
        dialog->accept();
        return dialog->result();
    });
    window.modificar();
    const std::optional<store::Operador> admin = find(c.dbh(), QStringLiteral("ADMIN"));
    QVERIFY(store::claveCorrecta(admin->PASS, QStringLiteral("root")));
    for (bool b : admin->permisos)
        QVERIFY(b);
}

void TestOperadores::deleteRules() {
    AdminConsole c;
    TFrmOperadores window(c.context);
    const size_t before = window.rows().size();
    for (size_t i = 0; i < window.rows().size(); ++i) {
        if (window.rows()[i].isAdmin())
            window.setCurrentRow(int(i));
    }
    window.borrar();
    QCOMPARE(c.ui.messageTexts(), QStringList{QStringLiteral("No se puede eliminar el usuario ADMIN")});
    QCOMPARE(window.rows().size(), before);

    c.ui.clear();
    window.setCurrentRow(0);
    c.ui.answerNext(ui::Answer::No);
    window.borrar();
    QCOMPARE(c.ui.messageTexts(), QStringList{QStringLiteral("¿ Eliminar operador ?")});
    QCOMPARE(window.rows().size(), before);
    c.ui.answerNext(ui::Answer::Yes);
    window.borrar();
    QCOMPARE(window.rows().size(), before - 1);
    QVERIFY(!find(c.dbh(), QStringLiteral("CAJA")));
}

void TestOperadores::permissionChangeAppliesAtOnce() {
    AdminConsole c;
    c.actAs(QStringLiteral("ana"));
    c.window.action(QStringLiteral("configPuestos"))->trigger();
    QCOMPARE(c.ui.dialogNames(), QStringList{QStringLiteral("TFrmConfPuestos")});
    // ADMIN takes CONFPUE away in the operators window; no new log-in.
    c.context.currentOperator = QStringLiteral("ADMIN");
    TFrmOperadores window(c.context);
    for (size_t i = 0; i < window.rows().size(); ++i) {
        if (window.rows()[i].NOMBRE == QLatin1String("ana"))
            window.setCurrentRow(int(i));
    }
    c.ui.onNextDialog([](QDialog* d) {
        auto* dialog = qobject_cast<TFrmNivelAcceso*>(d);
        dialog->setPermiso(store::Permiso::CONFPUE, false);
        dialog->accept();
        return dialog->result();
    });
    window.modificar();
    c.context.currentOperator = QStringLiteral("ana");
    c.ui.clear();
    c.window.action(QStringLiteral("configPuestos"))->trigger();
    QVERIFY(c.ui.dialogNames().isEmpty());
    QCOMPARE(c.ui.messageTexts(), QStringList{QStringLiteral("ana:\r\rNo tiene permiso de acceso.")});
}

void TestOperadores::removedCurrentOperatorIsSilent() {
    AdminConsole c;
    c.actAs(QStringLiteral("ana"));
    store::run(c.dbh(), QStringLiteral("DELETE FROM operadores WHERE NOMBRE = 'ana'"));
    c.window.action(QStringLiteral("configPuestos"))->trigger();
    c.stations->apagar(1);
    c.stations->desactivar();
    c.stations->apagarTodos();
    c.admin->parametros();
    QVERIFY(c.ui.messageTexts().isEmpty());
    QVERIFY(!c.ui.dialogNames().contains(QStringLiteral("TFrmConfPuestos")));
    QVERIFY(c.engine->puestos().at(0).rec().pendiente != station::Pendiente::Apagar);
}

void TestOperadores::storedPasswordIsNeverShown_data() {
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("confirmation");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("kept");
    QTest::newRow("boxes left empty") << QString() << QString() << QString() << true;
    QTest::newRow("typed and confirmed")
        << QStringLiteral("nueva") << QStringLiteral("nueva") << QString() << false;
    QTest::newRow("typed, not confirmed")
        << QStringLiteral("nueva") << QString()
        << QStringLiteral("La confirmación de contraseña no es correcta") << true;
}

void TestOperadores::storedPasswordIsNeverShown() {
    QFETCH(QString, password);
    QFETCH(QString, confirmation);
    QFETCH(QString, message);
    QFETCH(bool, kept);
    AdminConsole c;
    c.context.currentOperator = QStringLiteral("ADMIN");
    const QString stored = find(c.dbh(), QStringLiteral("CAJA"))->PASS;
    TFrmOperadores window(c.context);
    window.setCurrentRow(0);
    QStringList shown;
    c.ui.onNextDialog([&](QDialog* d) {
        for (const char* box : {"password", "confirmation"})
            shown << d->findChild<QLineEdit*>(QLatin1String(box))->text();
        auto* dialog = qobject_cast<TFrmNivelAcceso*>(d);
        dialog->setPassword(password, confirmation);
        dialog->accept();
        if (dialog->result() != QDialog::Accepted)
            dialog->reject();
        return dialog->result();
    });
    window.modificar();
    QCOMPARE(shown, QStringList(2, QString()));
    QCOMPARE(c.ui.messageTexts(), message.isEmpty() ? QStringList() : QStringList{message});
    const QString now = find(c.dbh(), QStringLiteral("CAJA"))->PASS;
    QCOMPARE(now == stored, kept);
    QVERIFY(store::claveCorrecta(now, kept ? QStringLiteral("1234") : password));
    QVERIFY(store::esClaveProtegida(now));
}

void TestOperadores::operatorChangesAreAudited() {
    AdminConsole c;
    c.context.currentOperator = QStringLiteral("ADMIN");
    TFrmOperadores window(c.context);
    c.ui.onNextDialog(fill({{QStringLiteral("LUIS"), QStringLiteral("abc"), QStringLiteral("abc")}},
                           {store::Permiso::VENTATPV}));
    window.anadir();
    for (size_t i = 0; i < window.rows().size(); ++i) {
        if (window.rows()[i].NOMBRE == QLatin1String("LUIS"))
            window.setCurrentRow(int(i));
    }
    // Accepted as it was: nothing to tell.
    c.ui.onNextDialog(fill({{}}));
    window.modificar();
    c.ui.onNextDialog(fill({{}}, {store::Permiso::CONFPUE}));
    window.modificar();
    c.ui.answerNext(ui::Answer::Yes);
    window.borrar();
    QVERIFY(!find(c.dbh(), QStringLiteral("LUIS")));

    QSqlQuery q = store::run(c.dbh(), QStringLiteral("SELECT OPERADOR, ACCION, OBJETO, ANTES, DESPUES "
                                                     "FROM auditoria ORDER BY ID"));
    QStringList lines;
    while (q.next()) {
        QCOMPARE(store::toText(q.value(0)), QStringLiteral("ADMIN"));
        QCOMPARE(store::toText(q.value(1)), store::accion::Operador);
        QCOMPARE(store::toText(q.value(2)), QStringLiteral("Operador LUIS"));
        lines << store::toText(q.value(3)) + QStringLiteral(" | ") + store::toText(q.value(4));
    }
    // No password in the trail, ever.
    QCOMPARE(lines, QStringList({QStringLiteral(" | Alta\nPermisos: VENTATPV"),
                                 QStringLiteral(" | CONFPUE: No -> Sí"),
                                 QStringLiteral("Permisos: CONFPUE, VENTATPV | Borrado")}));
}

QTEST_MAIN(TestOperadores)
#include "tst_operadores.moc"
