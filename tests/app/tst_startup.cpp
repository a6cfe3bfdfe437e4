#include "app/frmacceso.h"
#include "app/frmdialogs.h"
#include "core/consolecontext.h"
#include "store/consolas.h"
#include "store/databaselock.h"
#include "store/dbfile.h"
#include "store/operadores.h"
#include "store/sql.h"
#include "support/readonly.h"
#include "support/scriptedui.h"
#include "support/testdb.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTest>

#include <unistd.h>

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

// The real console on a home, sitting at its log-in page once it holds the
// database.
struct OtherConsole {
    explicit OtherConsole(const TestHome& home) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.start(qEnvironmentVariable("QUINTOR_BIN"), {QStringLiteral("--home"), home.home()});
        process.waitForStarted();
        lockFile = store::DatabaseLock::lockPathFor(home.databaseFile(QStringLiteral("ciber.mdb")));
    }
    ~OtherConsole() { kill(); }
    // Read, never claimed: a claim here could refuse the console itself.
    bool waitUntilHolding() {
        const QByteArray holder = '\n' + QByteArray::number(process.processId()) + '\n';
        for (int i = 0; i < 300 && process.state() == QProcess::Running; ++i) {
            QFile f(lockFile);
            if (f.open(QIODevice::ReadOnly) && f.readAll().endsWith(holder))
                return true;
            QTest::qWait(100);
        }
        return false;
    }
    void kill() {
        if (process.state() == QProcess::NotRunning)
            return;
        process.kill();
        process.waitForFinished();
    }
    QProcess process;
    QString lockFile;
};

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
    void operatorLockedAfterWrongPasswords_data();
    void operatorLockedAfterWrongPasswords();
    void adminGetsToolsPage();
    void toolsAcceptWritesConfig();
    void selectOtherDatabaseFromTools();
    void pickAnotherWorkingDatabase();
    void copiesFromAnotherFolderAreNumbered();
    void changeOfOperatorCancelledKeepsOperator();
    void refusalTexts_data();
    void refusalTexts();
    void anotherConsoleHoldsTheDatabase();
    void unwritableDatabaseIsRefused_data();
    void unwritableDatabaseIsRefused();
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
        // The dialog stays for the next try.
        ui.clear();
        f.login(QStringLiteral("CAJA"), QStringLiteral("1234"));
        QVERIFY(ui.messages().isEmpty());
        QCOMPARE(f.context.currentOperator, QStringLiteral("CAJA"));
    }
}

void TestStartup::operatorLockedAfterWrongPasswords_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::newRow("cashier") << QStringLiteral("CAJA") << QStringLiteral("1234");
    // In this dialog the administrator is locked like anyone, until the lock ends.
    QTest::newRow("administrator") << QStringLiteral("ADMIN") << QString();
}

void TestStartup::operatorLockedAfterWrongPasswords() {
    QFETCH(QString, name);
    QFETCH(QString, password);
    TestHome home;
    home.createDatabase(QStringLiteral("ciber.mdb"), true);
    ScriptedUi ui;
    StartupFixture f(home);
    QVERIFY(f.dialog->begin());
    const QString wrong = QStringLiteral("Password incorrecta");
    const QString locked = QStringLiteral(
        "Operador bloqueado por contraseñas erróneas. Podrá intentarlo de nuevo dentro de 15 minutos.");
    for (int i = 0; i < 4; ++i)
        f.login(name, QStringLiteral("99%1").arg(i));
    QCOMPARE(ui.messageTexts(), QStringList(4, wrong));
    ui.clear();
    f.login(name, QStringLiteral("9999"));
    QCOMPARE(ui.messageTexts(), QStringList{locked});
    QCOMPARE(int(ui.messages().first().icon), int(ui::Icon::Warning));
    // Locked, the right password is not even looked at.
    ui.clear();
    f.login(name, password);
    QCOMPARE(ui.messageTexts(), QStringList{locked});
    QVERIFY(f.context.currentOperator.isEmpty());
    QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Login);
    // Ended, the lock leaves nothing behind.
    store::run(f.data.db(), QStringLiteral("UPDATE bloqueos SET HASTA = ?"),
               {store::serverNowMs(f.data.db())});
    ui.clear();
    f.login(name, password);
    QVERIFY(ui.messages().isEmpty());
    QCOMPARE(f.context.currentOperator, name);
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
    // Enter accepts the page, from the list that has the keyboard.
    f.dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.dialog.get()));
    QCOMPARE(f.dialog->focusWidget(), f.dialog->findChild<QWidget*>(QStringLiteral("toolsList")));
    QTest::keyClick(f.dialog->focusWidget(), Qt::Key_Return);
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

void TestStartup::refusalTexts_data() {
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("host");
    QTest::addColumn<qint64>("pid");
    QTest::addColumn<QString>("expected");
    QTest::newRow("holder named")
        << false << "caja1" << qint64(4711)
        << "La base de datos «ciber.mdb» ya está abierta en otra consola (equipo caja1, "
           "proceso 4711). Para varios mostradores use una base de datos PostgreSQL.";
    QTest::newRow("holder named, English")
        << true << "caja1" << qint64(4711)
        << "The database «ciber.mdb» is already open in another console (computer caja1, process 4711). For "
           "several counters use a PostgreSQL database.";
    QTest::newRow("holder not yet named") << false << QString() << qint64(0)
                                          << "La base de datos «ciber.mdb» ya está abierta en otra consola. "
                                             "Para varios mostradores use una base "
                                             "de datos PostgreSQL.";
}

void TestStartup::refusalTexts() {
    QFETCH(bool, english);
    QFETCH(QString, host);
    QFETCH(qint64, pid);
    QFETCH(QString, expected);
    store::DatabaseLock::Outcome outcome;
    outcome.kind = store::DatabaseLock::Outcome::Kind::HeldElsewhere;
    outcome.databasePath = QStringLiteral("/srv/cafe/database/ciber.mdb");
    outcome.host = host;
    outcome.pid = pid;
    ui::setLanguage(english ? ui::Language::English : ui::Language::Spanish);
    const QString text = TFrmAcceso::lockRefusalText(outcome);
    const QString notWritable = TFrmAcceso::notWritableText(outcome.databasePath, QStringLiteral("x"));
    ui::setLanguage(ui::Language::Spanish);
    QCOMPARE(text, expected);
    QCOMPARE(notWritable, english ? QStringLiteral("The database «ciber.mdb» cannot be written: x")
                                  : QStringLiteral("La base de datos «ciber.mdb» no se puede escribir: x"));
}

void TestStartup::anotherConsoleHoldsTheDatabase() {
    TestHome home;
    const QString ciber = home.createDatabase(QStringLiteral("ciber.mdb"), true);
    OtherConsole other(home);
    QVERIFY2(other.waitUntilHolding(), other.process.readAllStandardError().constData());
    const QString expected =
        QStringLiteral(
            "La base de datos «ciber.mdb» ya está abierta en otra consola (equipo %1, proceso %2). "
            "Para varios mostradores use una base de datos PostgreSQL.")
            .arg(QSysInfo::machineHostName())
            .arg(other.process.processId());

    // A second console on the same file ends before any operator sees it.
    {
        ScriptedUi ui;
        StartupFixture f(home);
        QVERIFY(!f.dialog->begin());
        QVERIFY(f.dialog->programMustEnd());
        QCOMPARE(ui.messageTexts(), QStringList{expected});
        QVERIFY(f.dialog->operatorNames().isEmpty());
        QVERIFY(!f.data.isOpen());
    }

    // An ADMIN working on another file: the tools refuse the held one.
    home.createDatabase(QStringLiteral("otra.mdb"), true);
    home.writeConfigId(QStringLiteral("otra"));
    ScriptedUi ui;
    StartupFixture f(home);
    QVERIFY(f.dialog->begin());
    f.login(QStringLiteral("ADMIN"), QString());
    const auto selectCiber = [&] {
        ui.onNextDialog([](QDialog* d) {
            auto* list = d->findChild<QListWidget*>(QStringLiteral("fileList"));
            list->setCurrentItem(list->findItems(QStringLiteral("ciber.mdb"), Qt::MatchExactly).value(0));
            return int(QDialog::Accepted);
        });
        f.dialog->findChildren<QAction*>(QStringLiteral("selectOtherAction")).last()->trigger();
    };
    selectCiber();
    ui.answerNext(ui::Answer::Yes);
    f.dialog->findChildren<QAction*>(QStringLiteral("compactAction")).last()->trigger();
    QCOMPARE(ui.messageTexts().last(), expected);
    QVERIFY(!QFileInfo::exists(home.databaseFile(QStringLiteral("ciber~1.mdb"))));
    ui.clear();
    ui.onNextDialog([](QDialog*) { return int(QDialog::Rejected); }); // no replica window may open
    f.dialog->findChildren<QAction*>(QStringLiteral("replicaAction")).last()->trigger();
    QCOMPARE(ui.messageTexts(), QStringList{expected});
    QVERIFY(ui.dialogNames().isEmpty());
    // Working on it is refused too, and nothing changes.
    ui.clear();
    f.dialog->findChild<QPushButton*>(QStringLiteral("toolsAcceptButton"))->click();
    QCOMPARE(ui.messageTexts(), QStringList{expected});
    QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Tools);
    QCOMPARE(QSettings(home.configIni(), QSettings::IniFormat).value(QStringLiteral("Empresa/ID")).toString(),
             QStringLiteral("otra"));
    QVERIFY(f.data.lock().holds(home.databaseFile(QStringLiteral("otra.mdb"))));

    // Killed, the other console leaves the file free at once; the claim
    // follows the operator's choice.
    other.kill();
    ui.clear();
    f.dialog->findChild<QPushButton*>(QStringLiteral("toolsAcceptButton"))->click();
    QVERIFY(ui.messages().isEmpty());
    QCOMPARE(f.dialog->result(), int(QDialog::Accepted));
    QVERIFY(f.data.lock().holds(ciber));
    store::DatabaseLock probe;
    QVERIFY(probe.acquire(home.databaseFile(QStringLiteral("otra.mdb"))).acquired());
    const store::DatabaseLock::Outcome ours = probe.acquire(ciber);
    QCOMPARE(ours.kind, store::DatabaseLock::Outcome::Kind::HeldElsewhere);
    QCOMPARE(ours.pid, qint64(::getpid()));
}

void TestStartup::unwritableDatabaseIsRefused_data() {
    QTest::addColumn<bool>("folder");
    QTest::addColumn<QString>("journal");
    QTest::addColumn<bool>("engineText");
    QTest::newRow("read-only file") << false << "WAL" << false;
    // The case that used to run with a warning and record nothing: the
    // engine reads the file but cannot make its journal beside it.
    QTest::newRow("read-only folder, rollback journal") << true << "DELETE" << false;
    // Already refused by the opening, with the engine's text.
    QTest::newRow("read-only folder, write-ahead log") << true << "WAL" << true;
}

void TestStartup::unwritableDatabaseIsRefused() {
    QFETCH(bool, folder);
    QFETCH(QString, journal);
    QFETCH(bool, engineText);
    TestHome home;
    const QString path = home.createDatabase(QStringLiteral("ciber.mdb"), true);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("journal"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery(db).exec(QStringLiteral("PRAGMA journal_mode=") + journal);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("journal"));
    const ReadOnly readOnly(folder ? home.databaseFolder() : path);
    if (!readOnly.effective())
        QSKIP("this system lets the test's user write through every read-only setting");
    ScriptedUi ui;
    ui.onNextDialog([](QDialog*) { return int(QDialog::Rejected); });
    StartupFixture f(home);
    QVERIFY(!f.dialog->begin());
    QVERIFY(f.dialog->programMustEnd());
    QCOMPARE(ui.dialogNames(), QStringList{QStringLiteral("TFrmPassBD")});
    QCOMPARE(ui.messages().size(), 1);
    QCOMPARE(ui.messages().first().text.startsWith(
                 QStringLiteral("La base de datos «ciber.mdb» no se puede escribir: ")),
             !engineText);
    QVERIFY(f.dialog->operatorNames().isEmpty());
    QVERIFY(!f.data.isOpen());
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
