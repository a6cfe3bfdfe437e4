#include "app/frmacceso.h"
#include "app/frmdialogs.h"
#include "core/consolecontext.h"
#include "store/operadores.h"
#include "store/sql.h"
#include "support/scriptedui.h"
#include "support/testdb.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>

namespace {

// A log-in dialog at start-up on a test folder.
struct StartupFixture {
    explicit StartupFixture(TestHome& home)
        : context()
        , dialog(nullptr) {
        context.data = &data;
        context.regional = Regional::spanishSpain();
        dialog = std::make_unique<TFrmAcceso>(context, app::Paths(home.home()), TFrmAcceso::Mode::Startup);
    }
    void login(const QString& name, const QString& password) {
        auto* list = dialog->findChild<QListWidget*>(QStringLiteral("operatorList"));
        const QList<QListWidgetItem*> items = list->findItems(name, Qt::MatchExactly);
        if (items.isEmpty())
            list->setCurrentRow(-1);
        else
            list->setCurrentItem(items.first());
        dialog->findChild<QLineEdit*>(QStringLiteral("passwordEdit"))->setText(password);
        dialog->findChild<QPushButton*>(QStringLiteral("acceptButton"))->click();
    }
    TDataModule1 data;
    ConsoleContext context;
    std::unique_ptr<TFrmAcceso> dialog;
};

void addOperator(const QString& dbPath, const QString& name, const QString& pass) {
    TDataModule1 d;
    QVERIFY(d.open(dbPath));
    store::Operador op;
    op.NOMBRE = name;
    op.PASS = pass;
    store::insertOperador(d.db(), op);
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void noConfigIniOpensCiberAndIsFirstRun();
    void idWithoutExtension();
    void missingDatabaseShowsNotFoundPage();
    void foreignFileShowsErrorThenPasswordDialog();
    void passwordDialogRetriesUntilItOpens();
    void olderDatabaseShowsUpgradePage();
    void loginChecks_data();
    void loginChecks();
    void passwordFieldAndDefaults();
    void adminGetsToolsPage();
    void toolsAcceptWritesConfig();
    void selectOtherDatabaseFromTools();
    void pickAnotherWorkingDatabase();
    void copiesFromAnotherFolderAreNumbered();
    void changeOfOperatorCancelledKeepsOperator();
};

void TestStartup::noConfigIniOpensCiberAndIsFirstRun() {
    TestHome home;
    home.createDatabase(QStringLiteral("ciber.mdb"), true);
    ScriptedUi ui;
    StartupFixture f(home);
    QVERIFY(f.dialog->begin());
    QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Login);
    QCOMPARE(f.context.workingDatabase, QStringLiteral("ciber.mdb"));
    QVERIFY(f.context.firstRun);
    QCOMPARE(f.dialog->operatorNames(), QStringList({QStringLiteral("CAJA"), QStringLiteral("ADMIN")}));
    QVERIFY(ui.messages().isEmpty());
    QVERIFY(!QFile::exists(home.configIni()));
}

void TestStartup::idWithoutExtension() {
    TestHome home;
    home.createDatabase(QStringLiteral("copia.mdb"));
    home.writeConfigId(QStringLiteral("copia"));
    ScriptedUi ui;
    StartupFixture f(home);
    QVERIFY(f.dialog->begin());
    QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Login);
    QCOMPARE(f.context.workingDatabase, QStringLiteral("copia.mdb"));
    QVERIFY(!f.context.firstRun);
    QCOMPARE(QFileInfo(f.data.filePath()).fileName(), QStringLiteral("copia.mdb"));
}

void TestStartup::missingDatabaseShowsNotFoundPage() {
    TestHome home;
    ScriptedUi ui;
    StartupFixture f(home);
    QVERIFY(f.dialog->begin());
    QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::NotFound);
    QVERIFY(f.dialog->notFoundPath().endsWith(QStringLiteral("ciber.mdb")));
    QVERIFY(!QFile::exists(home.databaseFile(QStringLiteral("ciber.mdb"))));
}

void TestStartup::foreignFileShowsErrorThenPasswordDialog() {
    TestHome home;
    home.writeFile(QStringLiteral("ciber.mdb"), QByteArray(2048, 'x'));
    ScriptedUi ui;
    ui.onNextDialog([](QDialog* d) {
        [&] { QCOMPARE(d->windowTitle(), QStringLiteral("[ Accediendo a ciber.mdb ]")); }();
        return int(QDialog::Rejected);
    });
    StartupFixture f(home);
    QVERIFY(!f.dialog->begin());
    QVERIFY(f.dialog->programMustEnd());
    QCOMPARE(ui.messages().size(), 1);
    QCOMPARE(ui.messages().first().caption, QStringLiteral("Atención"));
    QCOMPARE(ui.messages().first().icon, ui::Icon::Warning);
    QVERIFY(!ui.messages().first().text.isEmpty());
    QCOMPARE(ui.dialogNames(), QStringList{QStringLiteral("TFrmPassBD")});
    QFile file(home.databaseFile(QStringLiteral("ciber.mdb")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray(2048, 'x'));
}

void TestStartup::passwordDialogRetriesUntilItOpens() {
    // A damaged file that the operator replaces while the password dialog is
    // open: the next attempt opens it, with the typed password kept.
    TestHome home;
    home.writeFile(QStringLiteral("ciber.mdb"), QByteArray(2048, 'x'));
    ScriptedUi ui;
    ui.onNextDialog([&](QDialog* d) {
        d->findChild<QLineEdit*>(QStringLiteral("passwordEdit"))->setText(QStringLiteral("secreto"));
        return int(QDialog::Accepted);
    });
    ui.onNextDialog([&](QDialog*) {
        QFile::remove(home.databaseFile(QStringLiteral("ciber.mdb")));
        home.createDatabase(QStringLiteral("ciber.mdb"));
        return int(QDialog::Accepted);
    });
    StartupFixture f(home);
    QVERIFY(f.dialog->begin());
    QCOMPARE(ui.messages().size(), 2);
    QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Login);
    QCOMPARE(f.context.databasePassword, QString());
}

void TestStartup::olderDatabaseShowsUpgradePage() {
    TestHome home;
    const QString path = home.createDatabase();
    {
        TDataModule1 d;
        QVERIFY(d.open(path));
        store::run(d.db(), QStringLiteral("DROP TABLE tasas"));
    }
    ScriptedUi ui;
    StartupFixture f(home);
    QVERIFY(f.dialog->begin());
    QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Upgrade);
    QVERIFY(f.dialog->operatorNames().isEmpty());
    QVERIFY(f.dialog->findChild<QPushButton*>(QStringLiteral("upgradeNowButton"))->isEnabled());
    QVERIFY(!f.dialog->findChild<QPushButton*>(QStringLiteral("upgradeNextButton"))->isEnabled());
}

void TestStartup::loginChecks_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("icon");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("cashier") << QStringLiteral("CAJA") << QStringLiteral("1234") << QString() << 0 << true;
    QTest::newRow("wrong password") << QStringLiteral("CAJA") << QStringLiteral("123")
                                    << QStringLiteral("Password incorrecta") << int(ui::Icon::Warning)
                                    << false;
    QTest::newRow("password in another case")
        << QStringLiteral("ana") << QStringLiteral("CLAVE") << QStringLiteral("Password incorrecta")
        << int(ui::Icon::Warning) << false;
    QTest::newRow("no operator selected")
        << QString() << QStringLiteral("1234") << QStringLiteral("Seleccione un usuario")
        << int(ui::Icon::Information) << false;
    QTest::newRow("lower-case admin is not the administrator")
        << QStringLiteral("admin") << QStringLiteral("x") << QString() << 0 << true;
}

void TestStartup::loginChecks() {
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(QString, message);
    QFETCH(int, icon);
    QFETCH(bool, accepted);
    TestHome home;
    const QString path = home.createDatabase(QStringLiteral("ciber.mdb"), true);
    addOperator(path, QStringLiteral("ana"), QStringLiteral("clave"));
    addOperator(path, QStringLiteral("admin"), QStringLiteral("x"));
    ScriptedUi ui;
    StartupFixture f(home);
    QVERIFY(f.dialog->begin());
    f.login(name, password);
    if (accepted) {
        QVERIFY(ui.messages().isEmpty());
        QCOMPARE(f.dialog->result(), int(QDialog::Accepted));
        QCOMPARE(f.context.currentOperator, name);
    } else {
        QCOMPARE(ui.messageTexts(), QStringList{message});
        QCOMPARE(int(ui.messages().first().icon), icon);
        QCOMPARE(ui.messages().first().caption, QStringLiteral("Atención"));
        QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Login);
        QVERIFY(f.context.currentOperator.isEmpty());
        // Retries are unlimited.
        ui.clear();
        f.login(QStringLiteral("CAJA"), QStringLiteral("1234"));
        QVERIFY(ui.messages().isEmpty());
        QCOMPARE(f.context.currentOperator, QStringLiteral("CAJA"));
    }
}

void TestStartup::passwordFieldAndDefaults() {
    TestHome home;
    home.createDatabase(QStringLiteral("ciber.mdb"), true);
    ScriptedUi ui;
    StartupFixture f(home);
    QVERIFY(f.dialog->begin());
    f.dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.dialog.get()));
    auto* password = f.dialog->findChild<QLineEdit*>(QStringLiteral("passwordEdit"));
    QCOMPARE(password->maxLength(), 10);
    QCOMPARE(password->echoMode(), QLineEdit::Password);
    QVERIFY(password->text().isEmpty());
    QVERIFY(f.dialog->findChild<QPushButton*>(QStringLiteral("acceptButton"))->isDefault());
    QCOMPARE(f.dialog->findChild<QListWidget*>(QStringLiteral("operatorList"))->currentRow(), 0);
    QCOMPARE(QApplication::focusWidget(), password);
    // Typing and Enter logs in.
    QTest::keyClicks(password, QStringLiteral("1234"));
    QTest::keyClick(password, Qt::Key_Return);
    QCOMPARE(f.dialog->result(), int(QDialog::Accepted));
}

void TestStartup::adminGetsToolsPage() {
    TestHome home;
    home.createDatabase(QStringLiteral("ciber.mdb"), true);
    ScriptedUi ui;
    StartupFixture f(home);
    QVERIFY(f.dialog->begin());
    f.login(QStringLiteral("ADMIN"), QString());
    QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Tools);
    QCOMPARE(f.dialog->result(), int(QDialog::Rejected)); // still open
    QCOMPARE(f.dialog->toolsFiles(), QStringList{QStringLiteral("ciber.mdb")});
    QCOMPARE(f.context.currentOperator, QStringLiteral("ADMIN"));
    auto* selectOther = f.dialog->findChild<QAction*>(QStringLiteral("selectOtherAction"));
    QVERIFY(selectOther && selectOther->isEnabled());
}

void TestStartup::toolsAcceptWritesConfig() {
    TestHome home;
    home.createDatabase(QStringLiteral("ciber.mdb"), true);
    ScriptedUi ui;
    StartupFixture f(home);
    QVERIFY(f.dialog->begin());
    f.login(QStringLiteral("ADMIN"), QString());
    f.dialog->findChild<QPushButton*>(QStringLiteral("toolsAcceptButton"))->click();
    QCOMPARE(f.dialog->result(), int(QDialog::Accepted));
    QVERIFY(ui.messages().isEmpty());
    QSettings ini(home.configIni(), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("Empresa/ID")).toString(), QStringLiteral("ciber.mdb"));
    QVERIFY(f.data.isOpen());
}

void TestStartup::selectOtherDatabaseFromTools() {
    TestHome home;
    home.createDatabase(QStringLiteral("ciber.mdb"), true);
    home.createDatabase(QStringLiteral("otra.mdb"));
    ScriptedUi ui;
    StartupFixture f(home);
    QVERIFY(f.dialog->begin());
    f.login(QStringLiteral("ADMIN"), QString());
    ui.onNextDialog([](QDialog* d) {
        auto* list = d->findChild<QListWidget*>(QStringLiteral("fileList"));
        list->setCurrentItem(list->findItems(QStringLiteral("otra.mdb"), Qt::MatchExactly).first());
        return int(QDialog::Accepted);
    });
    f.dialog->findChild<QAction*>(QStringLiteral("selectOtherAction"))->trigger();
    QCOMPARE(f.dialog->toolsFiles(), QStringList{QStringLiteral("otra.mdb")});
    QVERIFY(f.context.workingDatabase.isEmpty());
    f.dialog->findChild<QPushButton*>(QStringLiteral("toolsAcceptButton"))->click();
    QCOMPARE(f.dialog->result(), int(QDialog::Accepted));
    QCOMPARE(f.context.workingDatabase, QStringLiteral("otra.mdb"));
    QSettings ini(home.configIni(), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("Empresa/ID")).toString(), QStringLiteral("otra.mdb"));
    QCOMPARE(QFileInfo(f.data.filePath()).fileName(), QStringLiteral("otra.mdb"));
}

void TestStartup::pickAnotherWorkingDatabase() {
    TestHome home;
    home.createDatabase(QStringLiteral("segunda.mdb"), true);
    ScriptedUi ui;
    StartupFixture f(home);
    QVERIFY(f.dialog->begin());
    QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::NotFound);
    ui.onNextDialog([](QDialog* d) {
        auto* list = d->findChild<QListWidget*>(QStringLiteral("fileList"));
        [&] { QCOMPARE(list->count(), 1); }();
        list->setCurrentRow(0);
        return int(QDialog::Accepted);
    });
    f.dialog->findChild<QPushButton*>(QStringLiteral("notFoundAcceptButton"))->click();
    QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Login);
    QCOMPARE(f.context.workingDatabase, QStringLiteral("segunda.mdb"));
    // These choices never write config.ini.
    QVERIFY(!QFile::exists(home.configIni()));
}

void TestStartup::copiesFromAnotherFolderAreNumbered() {
    TestHome home;
    TestHome elsewhere;
    const QString source = elsewhere.createDatabase(QStringLiteral("tienda.mdb"), true);
    ScriptedUi ui;
    StartupFixture f(home);
    QVERIFY(f.dialog->begin());
    f.dialog->findChild<QRadioButton*>(QStringLiteral("findElsewhere"))->setChecked(true);
    auto pick = [source](QDialog* d) {
        auto* fd = qobject_cast<QFileDialog*>(d);
        [&] { QVERIFY(fd); }();
        fd->selectFile(source);
        return int(QDialog::Accepted);
    };
    ui.onNextDialog(pick);
    f.dialog->findChild<QPushButton*>(QStringLiteral("notFoundAcceptButton"))->click();
    QCOMPARE(f.context.workingDatabase, QStringLiteral("BD~0tienda.mdb"));
    QVERIFY(QFile::exists(home.databaseFile(QStringLiteral("BD~0tienda.mdb"))));
    QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Login);

    // The same pick again, from a fresh start on a missing database.
    StartupFixture g(home);
    QVERIFY(g.dialog->begin());
    QCOMPARE(g.dialog->currentPage(), TFrmAcceso::Page::NotFound);
    g.dialog->findChild<QRadioButton*>(QStringLiteral("findElsewhere"))->setChecked(true);
    ui.onNextDialog(pick);
    g.dialog->findChild<QPushButton*>(QStringLiteral("notFoundAcceptButton"))->click();
    QCOMPARE(g.context.workingDatabase, QStringLiteral("BD~1tienda.mdb"));
    QVERIFY(QFile::exists(home.databaseFile(QStringLiteral("BD~1tienda.mdb"))));
    QVERIFY(!QFile::exists(home.configIni()));
}

void TestStartup::changeOfOperatorCancelledKeepsOperator() {
    TestHome home;
    home.createDatabase(QStringLiteral("ciber.mdb"), true);
    ScriptedUi ui;
    StartupFixture f(home);
    QVERIFY(f.dialog->begin());
    f.login(QStringLiteral("CAJA"), QStringLiteral("1234"));
    QCOMPARE(f.context.currentOperator, QStringLiteral("CAJA"));

    TFrmAcceso change(f.context, app::Paths(home.home()), TFrmAcceso::Mode::ChangeOperator);
    QVERIFY(change.begin());
    QCOMPARE(change.currentPage(), TFrmAcceso::Page::Login);
    change.reject();
    QCOMPARE(f.context.currentOperator, QStringLiteral("CAJA"));

    // ADMIN changing in is simply accepted: no tools page.
    TFrmAcceso again(f.context, app::Paths(home.home()), TFrmAcceso::Mode::ChangeOperator);
    QVERIFY(again.begin());
    auto* list = again.findChild<QListWidget*>(QStringLiteral("operatorList"));
    list->setCurrentItem(list->findItems(QStringLiteral("ADMIN"), Qt::MatchExactly).first());
    again.findChild<QPushButton*>(QStringLiteral("acceptButton"))->click();
    QCOMPARE(again.result(), int(QDialog::Accepted));
    QCOMPARE(f.context.currentOperator, QStringLiteral("ADMIN"));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
