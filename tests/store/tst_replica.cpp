#include "store/datamodule.h"
#include "store/frmduplicar.h"
#include "store/sql.h"
#include "store/transaction.h"
#include "support/scriptedui.h"
#include "support/testdb.h"
#include "support/testserver.h"

#include <QApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <optional>

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
    store::run(db, QStringLiteral("INSERT INTO lintick (ID_TICK, CODIGO) VALUES (999999, 'HUERFANA')"));
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

// Recording side of store::runReplica, without the window.
struct Recorder : store::ReplicaObserver {
    void line(const QString& text) override { lines << text; }
    void ticketPurgeStarted(int maximum) override { this->maximum = maximum; }
    void ticketPurged(int number) override { purged << number; }
    bool cancelRequested() override { return cancelAfter > 0 && purged.size() >= cancelAfter; }
    void ticketPurgeEnded(bool) override {}
    void archiveProgress(int percent) override { archive << percent; }
    void failure(const QString& text) override { failures << text; }
    QStringList lines;
    QStringList failures;
    QList<int> purged;
    int maximum = -1;
    int cancelAfter = 0;
    QList<int> archive;
};

// Recorder that also acts when a line shows: another console writing while
// the replica runs.
struct Interloper : Recorder {
    void line(const QString& text) override {
        Recorder::line(text);
        if (text == when && what)
            what();
    }
    QString when;
    std::function<void()> what;
};

// Rows and the total of one whole-number column of a table, all of them or
// those the plan purges (before cut) or keeps.
enum class Part { All, Purged, Kept };
QPair<qlonglong, qlonglong> totals(const QString& where, const QString& table, const QString& column,
                                   std::optional<QDate> cut, Part part) {
    TDataModule1 data;
    if (!data.open(where))
        return {-1, -1};
    QString condition;
    if (part != Part::All && cut) {
        const QString dated = table == QLatin1String("lintick")
                                  ? QStringLiteral("ID_TICK IN (SELECT ID_TICK FROM ticket WHERE FECHA < ?)")
                                  : QStringLiteral("FECHA < ?");
        condition =
            QStringLiteral(" WHERE ") + (part == Part::Kept ? QStringLiteral("NOT ") : QString()) + dated;
    } else if (part == Part::Kept) {
        condition = QStringLiteral(" WHERE 1 = 0");
    }
    QVariantList values;
    if (condition.contains(QLatin1Char('?')))
        values << store::sqlValue(*cut);
    QSqlQuery q = store::run(data.db(),
                             QStringLiteral("SELECT COUNT(*), COALESCE(SUM(") + column +
                                 QStringLiteral("), 0) FROM ") + table + condition,
                             values);
    q.next();
    return {q.value(0).toLongLong(), q.value(1).toLongLong()};
}

// Tickets and their lines: rows and money, then the lines left without a
// ticket and the tickets left without lines.
QList<qlonglong> figures(const QString& path, const QString& where = QString()) {
    TDataModule1 data;
    if (!data.open(path))
        return {};
    const QSqlDatabase db = data.db();
    const auto number = [&](const QString& sql) { return store::scalar(db, sql).toLongLong(); };
    const QString tickets = QStringLiteral(" FROM ticket") + where;
    const QString lines =
        QStringLiteral(" FROM lintick WHERE ID_TICK IN (SELECT ID_TICK") + tickets + QLatin1Char(')');
    return {number(QStringLiteral("SELECT COUNT(*)") + tickets),
            number(QStringLiteral("SELECT COALESCE(SUM(IMPORTE), 0)") + tickets),
            number(QStringLiteral("SELECT COUNT(*)") + lines),
            number(QStringLiteral("SELECT COALESCE(SUM(IMPORTE), 0)") + lines),
            number(QStringLiteral("SELECT COUNT(*) FROM lintick WHERE ID_TICK NOT IN (SELECT ID_TICK FROM "
                                  "ticket)")),
            number(QStringLiteral("SELECT COUNT(*) FROM ticket WHERE ID_TICK NOT IN (SELECT ID_TICK FROM "
                                  "lintick)"))};
}

// count tickets on days before 2025-03-01 and 20 on that day and after, one to
// three lines each with amounts that differ from ticket to ticket, and one old
// account movement.
QString manyTickets(TestHome& home, int count) {
    const QString path = home.createDatabase();
    TDataModule1 data;
    if (!data.open(path))
        qFatal("cannot open");
    const QSqlDatabase db = data.db();
    store::Transaction t(db);
    for (int i = 0; i < count + 20; ++i) {
        const QDate day =
            i < count ? QDate(2025, 2, 28).addDays(-(i % 40)) : QDate(2025, 3, 1).addDays(i % 3);
        store::run(db, QStringLiteral("INSERT INTO ticket (NUM_TICKET, FECHA, IMPORTE) VALUES (?, ?, ?)"),
                   {QString::number(i + 1), store::sqlValue(day), qlonglong(10000 + i * 137)});
        const QVariant id = store::scalar(db, QStringLiteral("SELECT MAX(ID_TICK) FROM ticket"));
        for (int j = 0; j <= i % 3; ++j)
            store::run(db,
                       QStringLiteral("INSERT INTO lintick (ID_TICK, CODIGO, IMPORTE) VALUES (?, 'CAFE', ?)"),
                       {id, qlonglong(5000 + i * 31 + j)});
    }
    store::run(db, QStringLiteral("INSERT INTO movcuentas (CUENTA, FECHA) VALUES ('ANA', '2025-01-01')"));
    t.commit();
    return path;
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
    void copyFailurePurgesNothing_data();
    void copyFailurePurgesNothing();
    void batchedPurgeKeepsEveryRowOnce_data();
    void batchedPurgeKeepsEveryRowOnce();
    void archiveHoldsWhatLeft_data();
    void archiveHoldsWhatLeft();
    void rowsWrittenMeanwhile_data();
    void rowsWrittenMeanwhile();
};

void TestReplica::opensOnPageOne() {
    TestHome home;
    home.createDatabase();
    TFrmduplicar w(home.databaseFolder(), home.where());
    QCOMPARE(w.windowTitle(), QStringLiteral(" Replicar la base de datos: ") + home.where());
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
    home.writeFile(QStringLiteral("copia.mdb"), "archivo anterior");
    ScriptedUi ui;
    TFrmduplicar w(home.databaseFolder(), home.where());
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
    TFrmduplicar w(home.databaseFolder(), home.where());
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
    TFrmduplicar w(home.databaseFolder(), home.where());
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
    TFrmduplicar w(home.databaseFolder(), home.where());
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
    {
        // Enough tickets for more than one batch.
        TDataModule1 data;
        QVERIFY(data.open(path));
        store::Transaction t(data.db());
        for (int i = 0; i < 2500; ++i) {
            store::run(data.db(),
                       QStringLiteral("INSERT INTO ticket (NUM_TICKET, FECHA) VALUES ('2', '2025-01-20')"));
            store::run(data.db(), QStringLiteral("INSERT INTO lintick (ID_TICK, CODIGO) VALUES (?, 'TE')"),
                       {store::scalar(data.db(), QStringLiteral("SELECT MAX(ID_TICK) FROM ticket"))});
        }
        t.commit();
    }
    const int tickets = 2504;
    ScriptedUi ui;
    {
        TFrmduplicar w(home.databaseFolder(), home.where());
        toPageTwo(w, QStringLiteral("parcial"));
        dated(w, QDate(2025, 3, 1));
        // Pressed while the first batch is reported.
        QTimer::singleShot(0, button(w, "cancelButton"), &QPushButton::click);
        button(w, "nextButton")->click();
        QCOMPARE(w.lastEnd(), store::ReplicaEnd::Cancelled);
        const QStringList texts = lines(w);
        QCOMPARE(texts.mid(texts.size() - 2),
                 (QStringList{QStringLiteral("El proceso de replicación ha sido cancelado por el usuario..."),
                              kPulse}));
        QVERIFY(!texts.contains(QStringLiteral("Se ha compactado la base de datos...")));
        QVERIFY(button(w, "finishButton")->isEnabled());
        auto* bar = w.findChild<QProgressBar*>(QStringLiteral("purgeBar"));
        QVERIFY(bar->isHidden());
        // The bar moved with the first batch. A file keeps that batch, each
        // ticket with its lines; a server's purge is one transaction, and
        // keeps nothing. Nothing else was purged.
        const int moved = bar->value();
        QVERIFY(moved > 0 && moved <= 1000);
        const int purged = testserver::onServer() ? 0 : moved;
        const QList<qlonglong> left = figures(path);
        QCOMPARE(left.at(0), tickets - purged);
        QCOMPARE(left.at(4), 1); // only the line that never had a ticket
        QCOMPARE(left.at(5), 0);
        QCOMPARE(count(path, "movcuentas"), 2);
        QCOMPARE(count(path, "ciber"), 2);
        // A cancel after the end is nothing.
        button(w, "cancelButton")->click();
        QCOMPARE(lines(w), texts);
        QCOMPARE(w.currentPage(), 3);
    }
    TFrmduplicar again(home.databaseFolder(), home.where());
    toPageTwo(again, QStringLiteral("segunda"));
    dated(again, QDate(2025, 3, 1));
    button(again, "nextButton")->click();
    QCOMPARE(again.lastEnd(), store::ReplicaEnd::Finished);
    QCOMPARE(count(path, "ticket"), 0);
    QCOMPARE(count(path, "lintick"), 1);
}

void TestReplica::copyFailurePurgesNothing_data() {
    QTest::addColumn<bool>("dated");
    QTest::addColumn<bool>("taken");
    QTest::newRow("all rows, no folder") << false << false;
    QTest::newRow("dated, no folder") << true << false;
    QTest::newRow("all rows, name taken") << false << true;
    QTest::newRow("dated, name taken") << true << true;
}

void TestReplica::copyFailurePurgesNothing() {
    QFETCH(bool, dated);
    QFETCH(bool, taken);
    TestHome home;
    const QString path = historyDatabase(home);
    // A regular file where the copy's folder should be: no user, root
    // included, can create the archive under it. Or a file of that name
    // already there, which is never overwritten.
    home.writeFile(QStringLiteral("no-es-carpeta"), "x");
    home.writeFile(QStringLiteral("archivo.mdb"), "ajeno");
    store::ReplicaPlan plan;
    plan.databasePath = path;
    plan.copyPath = home.databaseFile(taken ? QStringLiteral("archivo.mdb")
                                            : QStringLiteral("no-es-carpeta/archivo.mdb"));
    plan.copyName = QStringLiteral("archivo");
    if (dated)
        plan.before = QDate(2025, 3, 1);
    const QByteArray before = [&] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    Recorder recorder;
    QCOMPARE(store::runReplica(plan, recorder), store::ReplicaEnd::CopyFailed);
    QCOMPARE(recorder.lines, (QStringList{QStringLiteral("Espere un momento..."),
                                          QStringLiteral("No se ha podido copiar el fichero: archivo")}));
    QVERIFY(recorder.purged.isEmpty());
    QCOMPARE(count(path, "ticket"), 4);
    QCOMPARE(count(path, "lintick"), 9);
    QCOMPARE(count(path, "movcuentas"), 2);
    QCOMPARE(count(path, "ciber"), 2);
    QFile other(home.databaseFile(QStringLiteral("archivo.mdb")));
    QVERIFY(other.open(QIODevice::ReadOnly));
    QCOMPARE(other.readAll(), QByteArray("ajeno"));
    if (testserver::onServer())
        return;
    // Not compacted either: the file is byte for byte what it was.
    QFile after(path);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QVERIFY(after.readAll() == before);
}

void TestReplica::batchedPurgeKeepsEveryRowOnce_data() {
    QTest::addColumn<int>("batchRows");
    QTest::addColumn<int>("cancelAfter");
    QTest::newRow("batches of 7") << 7 << 0;
    QTest::newRow("one batch") << 1000 << 0;
    QTest::newRow("one per batch") << 1 << 0;
    QTest::newRow("cancelled after two batches") << 7 << 2;
}

void TestReplica::batchedPurgeKeepsEveryRowOnce() {
    QFETCH(int, batchRows);
    QFETCH(int, cancelAfter);
    constexpr int Old = 60;
    TestHome home;
    const QString path = manyTickets(home, Old);
    const QString kept = QStringLiteral(" WHERE FECHA >= '2025-03-01'");
    const QList<qlonglong> whole = figures(path);
    const QList<qlonglong> keptBefore = figures(path, kept);
    QCOMPARE(keptBefore.first(), 20);

    store::ReplicaPlan plan;
    plan.databasePath = path;
    plan.copyPath = home.databaseFile(QStringLiteral("archivo.mdb"));
    plan.copyName = QStringLiteral("archivo");
    plan.before = QDate(2025, 3, 1);
    plan.batchRows = batchRows;
    plan.batchMs = 60000;
    Recorder recorder;
    recorder.cancelAfter = cancelAfter;
    const store::ReplicaEnd end = store::runReplica(plan, recorder);
    QVERIFY2(recorder.failures.isEmpty(), qPrintable(recorder.failures.join(QLatin1Char('\n'))));
    QCOMPARE(recorder.maximum, Old);
    // A server's archive shows its own progress, up to whole, before the purge.
    if (testserver::onServer()) {
        QVERIFY(std::is_sorted(recorder.archive.begin(), recorder.archive.end()));
        QCOMPARE(recorder.archive.last(), 100);
    } else {
        QVERIFY(recorder.archive.isEmpty());
    }

    // The bar moves once per commit, up to the tickets purged.
    const int batches = cancelAfter ? cancelAfter : (Old + batchRows - 1) / batchRows;
    QCOMPARE(recorder.purged.size(), batches);
    for (int i = 0; i < batches; ++i)
        QCOMPARE(recorder.purged.at(i), std::min(Old, (i + 1) * batchRows));
    // A cancelled purge on a server is rolled back whole.
    const int purged = cancelAfter && testserver::onServer() ? 0 : recorder.purged.last();

    // The archive holds every row once, the working file the kept ones
    // untouched, and no ticket lost its lines or kept half of them.
    QCOMPARE(figures(plan.copyPath), whole);
    QCOMPARE(figures(path, kept), keptBefore);
    const QList<qlonglong> left = figures(path);
    QCOMPARE(left.at(0), whole.at(0) - purged);
    QCOMPARE(left.at(4), 0);
    QCOMPARE(left.at(5), 0);
    if (cancelAfter) {
        QCOMPARE(end, store::ReplicaEnd::Cancelled);
        QCOMPARE(figures(path, QStringLiteral(" WHERE FECHA < '2025-03-01'")).first(), Old - purged);
        QCOMPARE(count(path, "movcuentas"), 1);
    } else {
        QCOMPARE(count(path, "movcuentas"), 0);
        QCOMPARE(end, store::ReplicaEnd::Finished);
        QCOMPARE(left, keptBefore);
    }
}

void TestReplica::archiveHoldsWhatLeft_data() {
    QTest::addColumn<bool>("dated");
    QTest::newRow("all rows") << false;
    QTest::newRow("before 01/03") << true;
}

void TestReplica::archiveHoldsWhatLeft() {
    QFETCH(bool, dated);
    TestHome home;
    const QString where = manyTickets(home, 60);
    {
        TDataModule1 data;
        QVERIFY(data.open(where));
        for (int i = 0; i < 10; ++i) {
            const QVariant day = store::sqlValue(QDate(2025, 2, 25).addDays(i));
            store::run(
                data.db(),
                QStringLiteral("INSERT INTO movcuentas (CUENTA, FECHA, SALDO_MOV) VALUES ('ANA', ?, ?)"),
                {day, qlonglong(25000 + i * 11)});
            store::run(data.db(),
                       QStringLiteral("INSERT INTO ciber (FECHA, NPUESTO, TIEMPO) VALUES (?, 2, ?)"),
                       {day, 600 + i * 7});
        }
    }
    const std::optional<QDate> cut = dated ? std::optional<QDate>(QDate(2025, 3, 1)) : std::nullopt;
    const QList<QPair<QString, QString>> tables{{QStringLiteral("ticket"), QStringLiteral("IMPORTE")},
                                                {QStringLiteral("lintick"), QStringLiteral("IMPORTE")},
                                                {QStringLiteral("movcuentas"), QStringLiteral("SALDO_MOV")},
                                                {QStringLiteral("ciber"), QStringLiteral("TIEMPO")}};
    QList<QPair<qlonglong, qlonglong>> before;
    for (const auto& [table, column] : tables)
        before << totals(where, table, column, cut, Part::All);

    store::ReplicaPlan plan;
    plan.databasePath = where;
    plan.copyPath = home.databaseFile(QStringLiteral("archivo.mdb"));
    plan.copyName = QStringLiteral("archivo");
    plan.before = cut;
    Recorder recorder;
    QCOMPARE(store::runReplica(plan, recorder), store::ReplicaEnd::Finished);
    QVERIFY2(recorder.failures.isEmpty(), qPrintable(recorder.failures.join(QLatin1Char('\n'))));

    // The archive is a database file of the current layout, whatever the engine.
    {
        TDataModule1 archive;
        QVERIFY(archive.open(plan.copyPath));
        QVERIFY(!archive.isServer());
        QVERIFY(archive.isCurrentVersion());
    }
    for (int i = 0; i < tables.size(); ++i) {
        const auto& [table, column] = tables.at(i);
        const auto after = totals(where, table, column, cut, Part::All);
        const auto archived = totals(plan.copyPath, table, column, cut, Part::All);
        const auto purged = totals(plan.copyPath, table, column, cut, Part::Purged);
        const auto kept = totals(plan.copyPath, table, column, cut, Part::Kept);
        // Every row is in the archive; what left the working database is
        // exactly the archive's purged rows, rows and money alike.
        QCOMPARE(archived, before.at(i));
        QVERIFY2(purged.first > 0, qPrintable(table));
        QCOMPARE(before.at(i).first - after.first, purged.first);
        QCOMPARE(before.at(i).second - after.second, purged.second);
        QCOMPARE(after, kept);
    }
}

void TestReplica::rowsWrittenMeanwhile_data() {
    QTest::addColumn<bool>("dated");
    QTest::addColumn<QString>("when");
    QTest::addColumn<QString>("statement");
    QTest::addColumn<bool>("purged");
    // A ticket of the purged days, with its line, booked after the archive
    // began: a snapshot that never saw it neither archives nor purges it.
    QTest::newRow("new ticket of an old day")
        << true << "Borrando registros de la tabla tickets..."
        << "INSERT INTO ticket (NUM_TICKET, FECHA, IMPORTE) VALUES ('NUEVO', '2025-01-05', 4242)" << true;
    QTest::newRow("new movement, every row purged")
        << false << "Se han descargado los registros de la tabla Tickets..."
        << "INSERT INTO movcuentas (CUENTA, FECHA, SALDO_MOV, CONCEPTO) VALUES ('ANA', '2025-01-05', 4242, "
           "'NUEVO')"
        << true;
    // A purged ticket changed meanwhile: the archive holds its old amount,
    // so nothing may go.
    QTest::newRow("old ticket changed")
        << true << "Borrando registros de la tabla tickets..."
        << "UPDATE ticket SET IMPORTE = 4242, NUM_TICKET = 'NUEVO' WHERE ID_TICK = (SELECT MIN(ID_TICK) FROM "
           "ticket)"
        << false;
}

void TestReplica::rowsWrittenMeanwhile() {
    QFETCH(bool, dated);
    QFETCH(QString, when);
    QFETCH(QString, statement);
    QFETCH(bool, purged);
    if (!testserver::onServer())
        QSKIP("a file has one console, and its lock keeps the others out");
    TestHome home;
    const QString where = manyTickets(home, 60);
    TDataModule1 console;
    QVERIFY(console.open(where));
    const QList<qlonglong> whole = figures(where);

    store::ReplicaPlan plan;
    plan.databasePath = where;
    plan.copyPath = home.databaseFile(QStringLiteral("archivo.mdb"));
    plan.copyName = QStringLiteral("archivo");
    if (dated)
        plan.before = QDate(2025, 3, 1);
    Interloper replica;
    replica.when = when;
    replica.what = [&] {
        store::run(console.db(), statement);
        if (statement.startsWith(QLatin1String("INSERT INTO ticket")))
            store::run(
                console.db(),
                QStringLiteral("INSERT INTO lintick (ID_TICK, CODIGO, IMPORTE) SELECT ID_TICK, 'TE', 4242 "
                               "FROM ticket WHERE NUM_TICKET = 'NUEVO'"));
    };
    const store::ReplicaEnd end = store::runReplica(plan, replica);
    const auto count = [](const QString& at, const QString& sql) {
        TDataModule1 data;
        return data.open(at) ? store::scalar(data.db(), sql).toLongLong() : -1;
    };
    const QString table = statement.contains(QLatin1String("movcuentas")) ? QStringLiteral("movcuentas")
                                                                          : QStringLiteral("ticket");
    const QString writtenRow =
        table == QLatin1String("ticket")
            ? QStringLiteral("SELECT COUNT(*) FROM ticket WHERE NUM_TICKET = 'NUEVO' AND IMPORTE = 4242")
            : QStringLiteral("SELECT COUNT(*) FROM movcuentas WHERE CONCEPTO = 'NUEVO' AND SALDO_MOV = 4242");
    // The row written meanwhile is on the server, and in the archive never.
    QCOMPARE(count(where, writtenRow), 1);
    QCOMPARE(count(plan.copyPath, writtenRow), 0);
    if (purged) {
        QCOMPARE(end, store::ReplicaEnd::Finished);
        QVERIFY(replica.failures.isEmpty());
        if (table == QLatin1String("ticket"))
            QCOMPARE(count(where, QStringLiteral("SELECT COUNT(*) FROM lintick WHERE IMPORTE = 4242")), 1);
        QCOMPARE(count(where, QStringLiteral("SELECT COUNT(*) FROM ") + table), dated ? 21 : 1);
    } else {
        // Refused as a whole: every row stays, the changed one as changed.
        QCOMPARE(end, store::ReplicaEnd::Failed);
        QCOMPARE(replica.failures.size(), 1);
        QCOMPARE(figures(where).first(), whole.first());
        QCOMPARE(count(where, QStringLiteral("SELECT COUNT(*) FROM movcuentas")), 1);
    }
    QCOMPARE(figures(plan.copyPath), whole);
}

QTEST_MAIN(TestReplica)
#include "tst_replica.moc"
