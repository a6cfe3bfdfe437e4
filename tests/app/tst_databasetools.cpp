#include "app/configini.h"
#include "app/frmacceso.h"
#include "core/consolecontext.h"
#include "store/dbfile.h"
#include "store/frmduplicar.h"
#include "store/importcuentas.h"
#include "store/passwordcache.h"
#include "store/sql.h"
#include "store/upgrade.h"
#include "support/olddatabases.h"
#include "support/scriptedui.h"
#include "support/testdb.h"
#include "support/testserver.h"

#include <QAction>
#include <QDateEdit>
#include <QDir>
#include <QDirIterator>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>

namespace {

struct ToolsFixture {
    explicit ToolsFixture(TestHome& home) {
        context.data = &data;
        context.regional = Regional::spanishSpain();
        dialog = std::make_unique<TFrmAcceso>(context, app::Paths(home.home()), TFrmAcceso::Mode::Startup);
    }
    void login(const QString& name, const QString& password) {
        auto* list = dialog->findChild<QListWidget*>(QStringLiteral("operatorList"));
        list->setCurrentItem(list->findItems(name, Qt::MatchExactly).value(0));
        dialog->findChild<QLineEdit*>(QStringLiteral("passwordEdit"))->setText(password);
        dialog->findChild<QPushButton*>(QStringLiteral("acceptButton"))->click();
    }
    QPushButton* button(const char* name) const {
        return dialog->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    QString label(const char* name) const {
        return dialog->findChild<QLabel*>(QString::fromLatin1(name))->text();
    }
    // Menus are rebuilt with the page: the newest action of that name.
    void trigger(const char* name) const {
        const QList<QAction*> actions = dialog->findChildren<QAction*>(QString::fromLatin1(name));
        QVERIFY(!actions.isEmpty());
        actions.last()->trigger();
    }
    int scalar(const QString& sql, const QString& file) const {
        TDataModule1 d;
        if (!d.open(file))
            return -1;
        return store::toInt(store::scalar(d.db(), sql));
    }
    TDataModule1 data;
    ConsoleContext context;
    std::unique_ptr<TFrmAcceso> dialog;
};

ScriptedUi::DialogHandler pickFile(const QString& path) {
    return [path](QDialog* d) {
        auto* fd = qobject_cast<QFileDialog*>(d);
        if (!fd)
            return int(QDialog::Rejected);
        fd->selectFile(path);
        return int(QDialog::Accepted);
    };
}

QStringList files(const TestHome& home) {
    return QDir(home.databaseFolder()).entryList({QStringLiteral("*.mdb")}, QDir::Files, QDir::Name);
}

// The lock files anywhere under the home.
QStringList lockFiles(const TestHome& home) {
    QStringList locks;
    QDirIterator it(home.home(), {QStringLiteral("*.lock")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        locks << QFileInfo(it.next()).fileName();
    return locks;
}

// The working database of the run: a file of the folder, or a database on the cluster.
void useWorkingDatabase(const TestHome& home) {
    home.createDatabase(QStringLiteral("ciber.mdb"), true);
    QVERIFY(app::ConfigIni(home.configIni()).writeDatabaseId(home.where()));
}

// A case about a database file, or an old one, which a server's is not.
#define FILES_ONLY()                                                                                         \
    if (testserver::onServer())                                                                              \
    QSKIP("a database file")

// A 3.1 export file of three accounts; the second, "ana", is one the
// database already has (as ANA).
Status writeExportWithAna(const QString& path) {
    QList<QStringList> records{{QStringLiteral("NUEVO1"), QStringLiteral("p")},
                               {QStringLiteral("ana"), QStringLiteral("otra")},
                               {QStringLiteral("NUEVO2"), QStringLiteral("p")}};
    for (QStringList& r : records) {
        while (r.size() < 17)
            r << QString();
    }
    return store::writeExportFile(path, records);
}

ScriptedUi::DialogHandler replicaBefore(const QDate& date) {
    return [date](QDialog* d) {
        auto* w = qobject_cast<TFrmduplicar*>(d);
        if (!w)
            return int(QDialog::Rejected);
        w->findChild<QLineEdit*>(QStringLiteral("copyNameEdit"))->setText(QStringLiteral("archivo"));
        w->findChild<QPushButton*>(QStringLiteral("nextButton"))->click();
        w->findChild<QRadioButton*>(QStringLiteral("beforeRadio"))->setChecked(true);
        w->findChild<QDateEdit*>(QStringLiteral("dateEdit"))->setDate(date);
        w->findChild<QPushButton*>(QStringLiteral("nextButton"))->click();
        return w->lastEnd() == store::ReplicaEnd::Finished ? int(QDialog::Accepted) : int(QDialog::Rejected);
    };
}

} // namespace

class TestDatabaseTools : public QObject {
    Q_OBJECT
private slots:
    void upgradeAtStartupThenReplicaAndImport();
    void toolsOnTheWorkingDatabase();
    void upgradeNowWithoutAccountsDoesNothing();
    void upgradeOnAServerSaysItDoesNotApply();
    void upgradeOfACopy_data();
    void upgradeOfACopy();
    void compactionAsksFirst();
    void replicaOfAnOlderDatabaseShowsUpgradePage();
    void passwordCacheOn9x_data();
    void passwordCacheOn9x();
};

void TestDatabaseTools::upgradeAtStartupThenReplicaAndImport() {
    FILES_ONLY();
    TestHome home;
    const QString path = home.databaseFile(QStringLiteral("ciber.mdb"));
    createOldDatabase(path, QStringLiteral("3.2"));
    ScriptedUi ui;
    ToolsFixture f(home);
    QVERIFY(f.dialog->begin());
    QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Upgrade);
    QCOMPARE(f.label("upgradeFile"), QStringLiteral("ciber.mdb"));

    f.button("upgradeNowButton")->click();
    auto* tree = f.dialog->findChild<QTreeWidget*>(QStringLiteral("upgradeTree"));
    QCOMPARE(tree->topLevelItemCount(), 1);
    QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("Actualizando a versión 4.0 PRO"));
    QCOMPARE(tree->topLevelItem(0)->child(0)->text(0), QStringLiteral("Creando tabla Tasas"));
    QVERIFY(!f.button("upgradeNowButton")->isEnabled());
    QVERIFY(f.button("upgradeNextButton")->isEnabled());
    QVERIFY(ui.messages().isEmpty());

    f.button("upgradeNextButton")->click();
    QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Login);
    QCOMPARE(f.dialog->operatorNames(), (QStringList{QStringLiteral("ADMIN"), QStringLiteral("CAJA")}));
    f.login(QStringLiteral("ADMIN"), QString());
    QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Tools);
    QCOMPARE(f.scalar(QStringLiteral("SELECT Bonotiempo FROM cuentas WHERE Login = 'ANA'"), path), 5415);

    // Compact it.
    ui.answerNext(ui::Answer::Yes);
    f.trigger("compactAction");
    QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("¿Iniciar compactar y reparar  ciber.mdb?")});
    QVERIFY(f.data.isOpen());
    QVERIFY(!QFileInfo::exists(home.databaseFile(QStringLiteral("ciber~1.mdb"))));
    ui.clear();

    // A replica that purges last year's tickets.
    store::run(f.data.db(), QStringLiteral("INSERT INTO ticket (NUM_TICKET, FECHA) VALUES ('2', ?)"),
               {store::sqlValue(QDate::currentDate())});
    ui.onNextDialog(replicaBefore(QDate(QDate::currentDate().year(), 1, 1)));
    f.trigger("replicaAction");
    QVERIFY(ui.messages().isEmpty());
    QVERIFY(!f.data.isOpen());
    QCOMPARE(f.scalar(QStringLiteral("SELECT COUNT(*) FROM ticket"), path), 1);
    QCOMPARE(f.scalar(QStringLiteral("SELECT COUNT(*) FROM ticket"),
                      home.databaseFile(QStringLiteral("archivo.mdb"))),
             2);

    // Import a 3.1 export file whose second account exists already.
    const QString qdt = home.home() + QStringLiteral("/usr.qdt");
    QVERIFY(writeExportWithAna(qdt));
    ui.onNextDialog(pickFile(qdt));
    f.trigger("import31Action");
    QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Progress);
    QCOMPARE(f.label("progressTitle"), QStringLiteral("Actualizando desde la versión 3.1 PRO"));
    QCOMPARE(f.label("progressResult"), QStringLiteral("Proceso finalizado con éxito. Pulse continuar"));
    QVERIFY(f.label("progressDetail").startsWith(QStringLiteral("Cuentas importadas: 2 de 3 registros.")));
    auto* bar = f.dialog->findChild<QProgressBar*>(QStringLiteral("progressBar"));
    QCOMPARE(bar->value(), 3);
    QVERIFY(ui.messages().isEmpty());
    QCOMPARE(f.scalar(QStringLiteral("SELECT COUNT(*) FROM cuentas"), path), 6);
    QVERIFY(f.button("progressContinueButton")->isEnabled());
    f.button("progressContinueButton")->click();
    QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Tools);
}

void TestDatabaseTools::upgradeNowWithoutAccountsDoesNothing() {
    FILES_ONLY();
    TestHome home;
    home.writeFile(QStringLiteral("ciber.mdb"), QByteArray());
    {
        TDataModule1 d;
        QVERIFY(d.open(home.databaseFile(QStringLiteral("ciber.mdb"))));
        store::run(d.db(), QStringLiteral("CREATE TABLE otra (a INTEGER)"));
    }
    ScriptedUi ui;
    ToolsFixture f(home);
    QVERIFY(f.dialog->begin());
    QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Upgrade);
    f.button("upgradeNowButton")->click();
    QCOMPARE(f.dialog->findChild<QTreeWidget*>(QStringLiteral("upgradeTree"))->topLevelItemCount(), 0);
    QVERIFY(!f.button("upgradeNextButton")->isEnabled());
    QVERIFY(ui.messages().isEmpty());
    QCOMPARE(f.data.tableNames(), QStringList{QStringLiteral("otra")});
}

// Compaction, replica and import on the working database as the console
// has it, a file or a server's: the tools page names it, and each tool
// works on it.
void TestDatabaseTools::toolsOnTheWorkingDatabase() {
    TestHome home;
    useWorkingDatabase(home);
    const QString where = home.database();
    const bool server = testserver::onServer();
    ScriptedUi ui;
    ToolsFixture f(home);
    QVERIFY(f.dialog->begin());
    f.login(QStringLiteral("ADMIN"), QString());
    QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Tools);
    QCOMPARE(f.dialog->toolsFiles(), QStringList{home.where()});
    const QString accounts = QStringLiteral("SELECT COUNT(*) FROM cuentas");
    const QString credit = QStringLiteral("SELECT SUM(credito) FROM cuentas");
    const int accountsBefore = f.scalar(accounts, where);
    const int creditBefore = f.scalar(credit, where);

    // Compaction: asked first, then every row stays.
    ui.answerNext(ui::Answer::Yes);
    f.trigger("compactAction");
    QCOMPARE(ui.messageTexts(),
             QStringList{QStringLiteral("¿Iniciar compactar y reparar  %1?").arg(home.where())});
    QVERIFY(f.data.isOpen());
    if (server) {
        // Table by table on the progress page.
        QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Progress);
        QCOMPARE(f.label("progressTitle"), QStringLiteral("Compactando y reparando la base de datos"));
        QCOMPARE(f.label("progressResult"), QStringLiteral("Proceso finalizado con éxito. Pulse continuar"));
        auto* bar = f.dialog->findChild<QProgressBar*>(QStringLiteral("progressBar"));
        QCOMPARE(bar->maximum(), f.data.tableNames().size() + 1);
        QCOMPARE(bar->value(), bar->maximum());
        f.button("progressContinueButton")->click();
    }
    QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Tools);
    QCOMPARE(f.scalar(accounts, where), accountsBefore);
    QCOMPARE(f.scalar(credit, where), creditBefore);
    ui.clear();

    // A replica that purges last year's tickets into a file of the folder.
    store::run(f.data.db(),
               QStringLiteral("INSERT INTO ticket (NUM_TICKET, FECHA, IMPORTE) VALUES ('1', ?, 500)"),
               {store::sqlValue(QDate::currentDate().addYears(-1))});
    store::run(f.data.db(),
               QStringLiteral("INSERT INTO ticket (NUM_TICKET, FECHA, IMPORTE) VALUES ('2', ?, 700)"),
               {store::sqlValue(QDate::currentDate())});
    const int tickets = f.scalar(QStringLiteral("SELECT COUNT(*) FROM ticket"), where);
    ui.onNextDialog(replicaBefore(QDate(QDate::currentDate().year(), 1, 1)));
    f.trigger("replicaAction");
    QCOMPARE(ui.dialogNames().size(), 1);
    QVERIFY(ui.messages().isEmpty());
    const QString archive = home.databaseFile(QStringLiteral("archivo.mdb"));
    const QString fromThisYear = QStringLiteral("SELECT COUNT(*) FROM ticket WHERE FECHA >= '%1-01-01'")
                                     .arg(QDate::currentDate().year());
    QCOMPARE(f.scalar(QStringLiteral("SELECT COUNT(*) FROM ticket"), where), f.scalar(fromThisYear, where));
    QCOMPARE(f.scalar(QStringLiteral("SELECT COUNT(*) FROM ticket"), archive), tickets);
    QCOMPARE(f.scalar(QStringLiteral("SELECT SUM(IMPORTE) FROM ticket WHERE NUM_TICKET = '1'"), archive),
             500);
    {
        TDataModule1 file;
        QVERIFY(file.open(archive));
        QVERIFY(!file.isServer());
    }

    // Import a 3.1 export file whose second account exists already, in another case.
    {
        TDataModule1 d;
        QVERIFY(d.open(where));
        store::run(d.db(),
                   QStringLiteral("INSERT INTO cuentas (Login, Pass, Tipo) VALUES ('ANA', 'x', '0')"));
    }
    const QString qdt = home.home() + QStringLiteral("/usr.qdt");
    QVERIFY(writeExportWithAna(qdt));
    ui.onNextDialog(pickFile(qdt));
    f.trigger("import31Action");
    QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Progress);
    QCOMPARE(f.label("progressResult"), QStringLiteral("Proceso finalizado con éxito. Pulse continuar"));
    QVERIFY2(f.label("progressDetail").startsWith(QStringLiteral("Cuentas importadas: 2 de 3 registros.")),
             qPrintable(f.label("progressDetail")));
    QVERIFY(ui.messages().isEmpty());
    QCOMPARE(f.scalar(accounts, where), accountsBefore + 3);
    QCOMPARE(f.scalar(QStringLiteral("SELECT COUNT(*) FROM cuentas WHERE Pass = 'otra'"), where), 0);

    // Only a file is claimed with a lock beside it.
    QCOMPARE(lockFiles(home), server ? QStringList() : QStringList{QStringLiteral("ciber.mdb.lock")});
}

void TestDatabaseTools::upgradeOnAServerSaysItDoesNotApply() {
    if (!testserver::onServer())
        QSKIP("a server's database");
    TestHome home;
    const QString uri = testserver::newDatabase();
    {
        TDataModule1 d;
        QVERIFY(d.open(uri));
        store::run(d.db(), QStringLiteral("CREATE TABLE cuentas (Login TEXT, Bonotiempo BIGINT)"));
        store::run(d.db(), QStringLiteral("INSERT INTO cuentas VALUES ('ANA', 5415)"));
    }
    QVERIFY(app::ConfigIni(home.configIni()).writeDatabaseId(uri));
    ScriptedUi ui;
    {
        ToolsFixture f(home);
        QVERIFY(f.dialog->begin());
        QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Upgrade);
        QCOMPARE(f.label("upgradeFile"), uri);
        f.button("upgradeNowButton")->click();
        QCOMPARE(ui.messages().size(), 1);
        QVERIFY2(ui.messages().first().text.startsWith(
                     QStringLiteral("La actualización de versiones antiguas se hace sobre un fichero; ")),
                 qPrintable(ui.messages().first().text));
        QCOMPARE(ui.messages().first().icon, ui::Icon::Information);
        QCOMPARE(f.dialog->findChild<QTreeWidget*>(QStringLiteral("upgradeTree"))->topLevelItemCount(), 0);
        QVERIFY(!f.button("upgradeNextButton")->isEnabled());
        QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Upgrade);
        QCOMPARE(f.data.tableNames(), QStringList{QStringLiteral("cuentas")});
        QCOMPARE(f.data.columnNames(QStringLiteral("cuentas")),
                 (QStringList{QStringLiteral("login"), QStringLiteral("bonotiempo")}));
    }
    QCOMPARE(lockFiles(home), QStringList());
    QCOMPARE(QDir(home.databaseFolder()).entryList(QDir::Files), QStringList{QStringLiteral("config.ini")});
    testserver::dropDatabase(uri);
}

void TestDatabaseTools::upgradeOfACopy_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("chosen"); // "3.2", "3.21" or "text"
    QTest::addColumn<QString>("message");
    QTest::newRow("3.2") << "upgrade32Action"
                         << "3.2" << QString();
    QTest::newRow("3.21") << "upgrade321Action"
                          << "3.21" << QString();
    QTest::newRow("3.21 for 3.2") << "upgrade32Action"
                                  << "3.21"
                                  << "La base de datos seleccionada no pertenece a la versión 3.2 ";
    QTest::newRow("3.2 for 3.21") << "upgrade321Action"
                                  << "3.2"
                                  << "La base de datos seleccionada no pertenece a la versión 3.21 ";
    QTest::newRow("not a database") << "upgrade32Action"
                                    << "text"
                                    << "No se ha podido copiar el fichero seleccionado";
}

void TestDatabaseTools::upgradeOfACopy() {
    QFETCH(QString, action);
    QFETCH(QString, chosen);
    QFETCH(QString, message);
    TestHome home;
    useWorkingDatabase(home);
    // The working database's file, when it is one.
    const QStringList working =
        testserver::onServer() ? QStringList() : QStringList{QStringLiteral("ciber.mdb")};
    TestHome elsewhere;
    const QString source = elsewhere.databaseFile(QStringLiteral("vieja.mdb"));
    if (chosen == QLatin1String("text"))
        elsewhere.writeFile(QStringLiteral("vieja.mdb"), QByteArray(3000, 'v'));
    else
        createOldDatabase(source, chosen);
    ScriptedUi ui;
    ToolsFixture f(home);
    QVERIFY(f.dialog->begin());
    f.login(QStringLiteral("ADMIN"), QString());
    QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Tools);
    ui.onNextDialog(pickFile(source));
    f.trigger(action.toLatin1().constData());
    if (!message.isEmpty()) {
        QCOMPARE(ui.messageTexts(), QStringList{message});
        QCOMPARE(files(home), working);
        QCOMPARE(QDir(home.databaseFolder()).entryList(QDir::Files).filter(QStringLiteral("vieja")),
                 QStringList());
        QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Tools);
        return;
    }
    QVERIFY(ui.messages().isEmpty());
    QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Progress);
    QCOMPARE(f.label("progressTitle"), QStringLiteral("Actualizando desde la versión %1 PRO").arg(chosen));
    QCOMPARE(f.label("progressResult"), QStringLiteral("Proceso finalizado con éxito. Pulse continuar"));
    QCOMPARE(f.dialog->findChild<QProgressBar*>(QStringLiteral("progressBar"))->value(), 100);
    QVERIFY(!f.data.isOpen());
    const QStringList copies = files(home).filter(QRegularExpression(QStringLiteral("^\\d{12}vieja\\.mdb$")));
    QCOMPARE(copies.size(), 1);
    TDataModule1 copy;
    QVERIFY(copy.open(home.databaseFile(copies.first())));
    QCOMPARE(store::VersionBase(copy.db()), QStringLiteral("4.0"));
    // The chosen file is left as it was.
    TDataModule1 original;
    QVERIFY(original.open(source));
    QCOMPARE(store::VersionBase(original.db()), chosen);
    f.button("progressContinueButton")->click();
    QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Tools);
}

void TestDatabaseTools::compactionAsksFirst() {
    TestHome home;
    useWorkingDatabase(home);
    const QString path = home.database();
    ScriptedUi ui;
    ToolsFixture f(home);
    QVERIFY(f.dialog->begin());
    f.login(QStringLiteral("ADMIN"), QString());
    home.writeFile(QStringLiteral("ciber~1.mdb"), "stale");
    ui.answerNext(ui::Answer::No);
    f.trigger("compactAction");
    QCOMPARE(ui.messages().size(), 1);
    QCOMPARE(ui.messages().first().caption, QStringLiteral("Atención"));
    QCOMPARE(ui.messages().first().buttons, ui::Buttons::YesNo);
    // Answered no: nothing ran, not even the clean-up of the old temporary file.
    QVERIFY(QFileInfo::exists(home.databaseFile(QStringLiteral("ciber~1.mdb"))));
    QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Tools);
    ui.answerNext(ui::Answer::Yes);
    f.trigger("compactAction");
    QCOMPARE(ui.messages().size(), 2);
    QVERIFY(f.data.isOpen());
    if (testserver::onServer()) {
        // A server's compaction touches no file of the folder.
        QVERIFY(QFileInfo::exists(home.databaseFile(QStringLiteral("ciber~1.mdb"))));
        QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Progress);
        return;
    }
    QVERIFY(!QFileInfo::exists(home.databaseFile(QStringLiteral("ciber~1.mdb"))));
    QVERIFY(store::integrityCheck(path).ok());
}

void TestDatabaseTools::replicaOfAnOlderDatabaseShowsUpgradePage() {
    FILES_ONLY();
    TestHome home;
    home.createDatabase(QStringLiteral("ciber.mdb"), true);
    createOldDatabase(home.databaseFile(QStringLiteral("vieja.mdb")), QStringLiteral("3.21"));
    ScriptedUi ui;
    ToolsFixture f(home);
    QVERIFY(f.dialog->begin());
    f.login(QStringLiteral("ADMIN"), QString());
    ui.onNextDialog([](QDialog* d) {
        auto* list = d->findChild<QListWidget*>();
        list->setCurrentItem(list->findItems(QStringLiteral("vieja.mdb"), Qt::MatchExactly).value(0));
        return int(QDialog::Accepted);
    });
    f.trigger("selectOtherAction");
    QCOMPARE(f.dialog->toolsFiles(), QStringList{QStringLiteral("vieja.mdb")});
    f.trigger("replicaAction");
    QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Upgrade);
    QCOMPARE(f.label("upgradeFile"), QStringLiteral("vieja.mdb"));
    QVERIFY(ui.dialogNames().size() == 1); // no replica window
    f.button("upgradeNowButton")->click();
    f.button("upgradeNextButton")->click();
    QCOMPARE(f.dialog->currentPage(), TFrmAcceso::Page::Tools);
    QCOMPARE(f.scalar(QStringLiteral("SELECT COUNT(*) FROM tasas"),
                      home.databaseFile(QStringLiteral("vieja.mdb"))),
             0);
}

void TestDatabaseTools::passwordCacheOn9x_data() {
    QTest::addColumn<bool>("platform9x");
    QTest::newRow("9x") << true;
    QTest::newRow("NT") << false;
}

void TestDatabaseTools::passwordCacheOn9x() {
    QFETCH(bool, platform9x);
    TestHome home;
    useWorkingDatabase(home);
    ScriptedUi ui;
    ToolsFixture f(home);
    f.context.platform9x = platform9x;
    f.context.databasePassword = QStringLiteral("clave");
    QVERIFY(f.dialog->begin());
    f.login(QStringLiteral("ADMIN"), QString());
    f.button("toolsAcceptButton")->click();
    QCOMPARE(f.dialog->result(), int(QDialog::Accepted));
    const QString cache = home.databaseFile(QStringLiteral("iorlp.dll"));
    QCOMPARE(QFileInfo::exists(cache), platform9x);
    if (platform9x)
        QCOMPARE(store::readPasswordCache(cache), QStringLiteral("clave"));
}

QTEST_MAIN(TestDatabaseTools)
#include "tst_databasetools.moc"
