#include "store/datamodule.h"
#include "store/frmduplicar.h"
#include "store/sql.h"
#include "support/scriptedui.h"
#include "support/testdb.h"

#include <QApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace {

// Tickets on 10/01 (two), 15/01 and 01/02 with two lines each, one line
// without a ticket; movements and activity on 10/01 and 15/01.
QString historyDatabase(TestHome& home) {
    const QString path = home.createDatabase();
    TDataModule1 data;
    if (!data.open(path))
        qFatal("cannot open");
    const QSqlDatabase db = data.db();
    for (const char* date : {"2025-01-10", "2025-01-10", "2025-01-15", "2025-02-01"}) {
        store::run(db, QStringLiteral("INSERT INTO ticket (NUM_TICKET, FECHA) VALUES ('1', ?)"),
                   {QString::fromLatin1(date)});
        const QVariant id = store::scalar(db, QStringLiteral("SELECT MAX(ID_TICK) FROM ticket"));
        for (int i = 0; i < 2; ++i)
            store::run(db, QStringLiteral("INSERT INTO lintick (ID_TICK, CODIGO) VALUES (?, 'CAFE')"), {id});
    }
    store::run(db, QStringLiteral("INSERT INTO lintick (ID_TICK, CODIGO) VALUES (999, 'HUERFANA')"));
    for (const char* date : {"2025-01-10", "2025-01-15"}) {
        store::run(db, QStringLiteral("INSERT INTO movcuentas (CUENTA, FECHA) VALUES ('ANA', ?)"),
                   {QString::fromLatin1(date)});
        store::run(db, QStringLiteral("INSERT INTO ciber (FECHA, NPUESTO) VALUES (?, 1)"),
                   {QString::fromLatin1(date)});
    }
    return path;
}

int count(const QString& path, const char* table) {
    TDataModule1 data;
    if (!data.open(path))
        return -1;
    return store::toInt(
        store::scalar(data.db(), QStringLiteral("SELECT COUNT(*) FROM ") + QString::fromLatin1(table)));
}

QStringList lines(TFrmduplicar& w) {
    auto* tree = w.findChild<QTreeWidget*>(QStringLiteral("progressTree"));
    QStringList texts;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        texts << tree->topLevelItem(i)->text(0);
    return texts;
}

QPushButton* button(TFrmduplicar& w, const char* name) {
    return w.findChild<QPushButton*>(QString::fromLatin1(name));
}

void toPageTwo(TFrmduplicar& w, const QString& name) {
    w.findChild<QLineEdit*>(QStringLiteral("copyNameEdit"))->setText(name);
    button(w, "nextButton")->click();
}

void tick(TFrmduplicar& w, bool tickets, bool movcuentas, bool ciber) {
    auto* tables = w.findChild<QTreeWidget*>(QStringLiteral("tablesList"));
    const bool states[] = {tickets, movcuentas, ciber};
    for (int i = 0; i < 3; ++i)
        tables->topLevelItem(i)->setCheckState(0, states[i] ? Qt::Checked : Qt::Unchecked);
}

void dated(TFrmduplicar& w, QDate date) {
    w.findChild<QRadioButton*>(QStringLiteral("beforeRadio"))->setChecked(true);
    w.findChild<QDateEdit*>(QStringLiteral("dateEdit"))->setDate(date);
}

const QString kFinished = QStringLiteral("El proceso de replicación ha finalizado con exito...");
const QString kPulse = QStringLiteral("Pulse \"Finalizar\" para cerrar esta ventana...");

} // namespace

class TestReplica : public QObject {
    Q_OBJECT
private slots:
    void opensOnPageOne();
    void copyNameChecks_data();
    void copyNameChecks();
    void datedPurgeKeepsTheDateItself();
    void allRowsOfTicketsOnly();
    void noTicketBeforeTheDate();
    void cancelStopsTheTicketPurge();
};

void TestReplica::opensOnPageOne() {
    TestHome home;
    home.createDatabase();
    TFrmduplicar w(home.databaseFolder(), QStringLiteral("ciber.mdb"));
    QCOMPARE(w.windowTitle(), QStringLiteral(" Replicar la base de datos: ciber.mdb"));
    QCOMPARE(w.currentPage(), 1);
    QVERIFY(button(w, "nextButton")->isEnabled());
    QVERIFY(!button(w, "backButton")->isEnabled());
    QVERIFY(!button(w, "finishButton")->isEnabled());
    QCOMPARE(w.findChild<QDateEdit*>(QStringLiteral("dateEdit"))->date(), QDate::currentDate());
    QVERIFY(w.findChild<QRadioButton*>(QStringLiteral("allRadio"))->isChecked());
    toPageTwo(w, QStringLiteral("archivo"));
    QCOMPARE(w.currentPage(), 2);
    button(w, "backButton")->click();
    QCOMPARE(w.currentPage(), 1);
    QVERIFY(!button(w, "backButton")->isEnabled());
}

void TestReplica::copyNameChecks_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << ""
                           << "Nombre de fichero no válido...";
    QTest::newRow("blanks") << "   "
                            << "Nombre de fichero no válido...";
    QTest::newRow("exists") << "copia"
                            << "Error: El nombre de fichero ya existe\rSolución: Utilice otro nombre...";
    QTest::newRow("folder") << "../fuera"
                            << "Nombre de fichero no válido...";
    QTest::newRow("separator") << "a\\b"
                               << "Nombre de fichero no válido...";
}

void TestReplica::copyNameChecks() {
    QFETCH(QString, name);
    QFETCH(QString, message);
    TestHome home;
    home.createDatabase();
    home.createDatabase(QStringLiteral("copia.mdb"));
    ScriptedUi ui;
    TFrmduplicar w(home.databaseFolder(), QStringLiteral("ciber.mdb"));
    toPageTwo(w, name);
    QCOMPARE(w.currentPage(), 1);
    QCOMPARE(ui.messageTexts(), QStringList{message});
    QCOMPARE(ui.messages().first().caption, QStringLiteral("Advertencia"));
    QCOMPARE(ui.messages().first().icon, ui::Icon::Warning);
}

void TestReplica::datedPurgeKeepsTheDateItself() {
    TestHome home;
    const QString path = historyDatabase(home);
    ScriptedUi ui;
    TFrmduplicar w(home.databaseFolder(), QStringLiteral("ciber.mdb"));
    toPageTwo(w, QStringLiteral("archivo2024"));
    dated(w, QDate(2025, 1, 15));
    button(w, "nextButton")->click();
    QCOMPARE(w.currentPage(), 3);
    QCOMPARE(w.lastEnd(), store::ReplicaEnd::Finished);
    QCOMPARE(
        lines(w),
        (QStringList{QStringLiteral("Espere un momento..."),
                     QStringLiteral("Borrando registros de la tabla tickets..."),
                     QStringLiteral("Se han descargado los registros de la tabla Tickets..."),
                     QStringLiteral("Se han descargado los registros de la tabla Movimientos de cuentas..."),
                     QStringLiteral("Se han descargado los registros de la tabla Ciber..."),
                     QStringLiteral("Se ha compactado la base de datos..."), kFinished, kPulse}));
    QVERIFY(ui.messages().isEmpty());
    QVERIFY(button(w, "finishButton")->isEnabled());
    auto* bar = w.findChild<QProgressBar*>(QStringLiteral("purgeBar"));
    QCOMPARE(bar->maximum(), 2);
    QCOMPARE(bar->value(), 2);
    QCOMPARE(count(path, "ticket"), 2);
    QCOMPARE(count(path, "lintick"), 5); // two tickets' lines and the one without a ticket
    QCOMPARE(count(path, "movcuentas"), 1);
    QCOMPARE(count(path, "ciber"), 1);
    // The archive keeps everything.
    const QString copy = home.databaseFile(QStringLiteral("archivo2024.mdb"));
    QCOMPARE(count(copy, "ticket"), 4);
    QCOMPARE(count(copy, "lintick"), 9);
    QCOMPARE(count(copy, "movcuentas"), 2);
}

void TestReplica::allRowsOfTicketsOnly() {
    TestHome home;
    const QString path = historyDatabase(home);
    ScriptedUi ui;
    TFrmduplicar w(home.databaseFolder(), QStringLiteral("ciber.mdb"));
    toPageTwo(w, QStringLiteral("todo"));
    tick(w, true, false, false);
    button(w, "nextButton")->click();
    QCOMPARE(w.lastEnd(), store::ReplicaEnd::Finished);
    QCOMPARE(count(path, "ticket"), 0);
    QCOMPARE(count(path, "lintick"), 0);
    QCOMPARE(count(path, "movcuentas"), 2);
    QCOMPARE(count(path, "ciber"), 2);
    QVERIFY(!lines(w).contains(QStringLiteral("Borrando registros de la tabla tickets...")));
}

void TestReplica::noTicketBeforeTheDate() {
    TestHome home;
    const QString path = historyDatabase(home);
    ScriptedUi ui;
    TFrmduplicar w(home.databaseFolder(), QStringLiteral("ciber.mdb"));
    toPageTwo(w, QStringLiteral("antes"));
    tick(w, true, false, false);
    dated(w, QDate(2024, 12, 31));
    button(w, "nextButton")->click();
    QCOMPARE(w.lastEnd(), store::ReplicaEnd::Finished);
    QCOMPARE(w.findChild<QProgressBar*>(QStringLiteral("purgeBar"))->maximum(), 100);
    QCOMPARE(count(path, "ticket"), 4);
    QCOMPARE(count(path, "lintick"), 9);
}

void TestReplica::cancelStopsTheTicketPurge() {
    TestHome home;
    const QString path = historyDatabase(home);
    ScriptedUi ui;
    {
        TFrmduplicar w(home.databaseFolder(), QStringLiteral("ciber.mdb"));
        toPageTwo(w, QStringLiteral("parcial"));
        dated(w, QDate(2025, 3, 1));
        // Pressed while the first ticket is reported.
        QTimer::singleShot(0, button(w, "cancelButton"), &QPushButton::click);
        button(w, "nextButton")->click();
        QCOMPARE(w.lastEnd(), store::ReplicaEnd::Cancelled);
        const QStringList texts = lines(w);
        QCOMPARE(texts.mid(texts.size() - 2),
                 (QStringList{QStringLiteral("El proceso de replicación ha sido cancelado por el usuario..."),
                              kPulse}));
        QVERIFY(!texts.contains(QStringLiteral("Se ha compactado la base de datos...")));
        QVERIFY(button(w, "finishButton")->isEnabled());
        QVERIFY(w.findChild<QProgressBar*>(QStringLiteral("purgeBar"))->isHidden());
        // One ticket went, with its lines; nothing else was purged.
        QCOMPARE(count(path, "ticket"), 3);
        QCOMPARE(count(path, "lintick"), 7);
        QCOMPARE(count(path, "movcuentas"), 2);
        QCOMPARE(count(path, "ciber"), 2);
        // A cancel after the end is nothing.
        button(w, "cancelButton")->click();
        QCOMPARE(lines(w), texts);
        QCOMPARE(w.currentPage(), 3);
    }
    TFrmduplicar again(home.databaseFolder(), QStringLiteral("ciber.mdb"));
    toPageTwo(again, QStringLiteral("segunda"));
    dated(again, QDate(2025, 3, 1));
    button(again, "nextButton")->click();
    QCOMPARE(again.lastEnd(), store::ReplicaEnd::Finished);
    QCOMPARE(count(path, "ticket"), 0);
    QCOMPARE(count(path, "lintick"), 1);
}

QTEST_MAIN(TestReplica)
#include "tst_replica.moc"
