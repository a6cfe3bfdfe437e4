#include "sales/puntoventa.h"
#include "sales/tickets.h"
#include "store/auditoria.h"
#include "store/datamodule.h"
#include "store/engine.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "store/transaction.h"
#include "store/views.h"
#include "support/faults.h"
#include "support/testdb.h"

#include <QTest>

#include <atomic>
#include <thread>

using namespace sales;

namespace {

const QDateTime Now(QDate(2026, 1, 15), QTime(10, 20, 30));

int numTick(const QSqlDatabase& db) {
    return store::readOpciones(db).NUM_TICK;
}
void setNumTick(const QSqlDatabase& db, int n) {
    store::run(db, QStringLiteral("UPDATE opciones SET NUM_TICK = ?"), {n});
}
int ticketCount(const QSqlDatabase& db) {
    return store::toInt(store::scalar(db, QStringLiteral("SELECT COUNT(*) FROM ticket")));
}

store::Ticket saleTicket() {
    store::Ticket t;
    t.CONTA = true;
    t.OPERADOR = QStringLiteral("ANA");
    return t;
}

// A ticket stored as another program might have left it, number as given.
int rawTicket(const QSqlDatabase& db, const QString& number) {
    store::Ticket t;
    t.NUM_TICKET = number;
    return static_cast<int>(store::insert(db, t));
}

store::LinTick line(int idTick, const QString& articulo, const QString& codigo, double cant,
                    qint64 precioCents, int idTax) {
    store::LinTick l;
    l.ID_TICK = idTick;
    l.ARTICULO = articulo;
    l.CODIGO = codigo;
    l.CANT = cant;
    l.PRECIO = Currency::fromCents(precioCents);
    l.IMPORTE = Currency::fromCents(static_cast<qint64>(cant * precioCents));
    l.IdTax = idTax;
    return l;
}

int auditLines(const QSqlDatabase& db) {
    return store::toInt(store::scalar(db, QStringLiteral("SELECT COUNT(*) FROM auditoria")));
}

// CAJA's sale of two coffees and a voucher, 5,40 in all.
store::Ticket soldByCaja(const QSqlDatabase& db) {
    store::Ticket t = saleTicket();
    t.OPERADOR = QStringLiteral("CAJA");
    t = NuevoNumeroTicket(db, t, Now);
    addLine(db, line(t.ID_TICK, QStringLiteral("CAFÉ"), QStringLiteral("C1"), 2, 120, 1));
    addLine(db, line(t.ID_TICK, QStringLiteral("BONO 1H"), QStringLiteral("B1H"), 1, 300, 1));
    recomputeTotal(db, t.ID_TICK);
    return t;
}

} // namespace

class TstTickets : public QObject {
    Q_OBJECT
private slots:
    void firstTicketIsOne();
    void nextNumberAfterChangedCounter();
    void failureBetweenTicketAndCounterKeepsBoth_data();
    void failureBetweenTicketAndCounterKeepsBoth();
    void missingOptionsRowIssuesNothing();
    void issuingNestsInALargerOperation();
    void aSecondConsoleWaitsForTheNumber();
    void findByExactText_data();
    void findByExactText();
    void cancelKeepsLinesAndNumber();
    void voidingKeepsWhatItZeroes();
    void failedVoidingLeavesNoLine_data();
    void failedVoidingLeavesNoLine();
    void changesToAReopenedTicketAreAudited_data();
    void changesToAReopenedTicketAreAudited();
    void totalIsTheSumOfLines();
    void settle();
    void eachConsoleRecordsItsName();
    void eachConsoleEntersItsOwnSale();
    void pendingDigestSeesOtherConsoles_data();
    void pendingDigestSeesOtherConsoles();
    void attach_data();
    void attach();
    void detach_data();
    void detach();
};

void TstTickets::firstTicketIsOne() {
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    QCOMPARE(numTick(db), 0);
    store::Ticket in = saleTicket();
    in.IMPORTE = Currency::fromCents(250);
    const store::Ticket t = NuevoNumeroTicket(db, in, Now);
    QCOMPARE(t.NUM_TICKET, QStringLiteral("1"));
    QCOMPARE(numTick(db), 1);
    const std::optional<store::Ticket> stored = ticketById(db, t.ID_TICK);
    QVERIFY(stored);
    QCOMPARE(*stored, t);
    QCOMPARE(stored->FECHA, Now.date());
    QCOMPARE(stored->HORA, Now.time());
    QCOMPARE(stored->IMPORTE, Currency::fromCents(250));
    QCOMPARE(NuevoNumeroTicket(db, saleTicket(), Now).NUM_TICKET, QStringLiteral("2"));
}

void TstTickets::nextNumberAfterChangedCounter() {
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    setNumTick(db, 57);
    QCOMPARE(NuevoNumeroTicket(db, saleTicket(), Now).NUM_TICKET, QStringLiteral("58"));
    // The options window asks for 500 next: the counter becomes 499.
    setNumTick(db, 499);
    QCOMPARE(NuevoNumeroTicket(db, saleTicket(), Now).NUM_TICKET, QStringLiteral("500"));
    QCOMPARE(numTick(db), 500);
}

void TstTickets::failureBetweenTicketAndCounterKeepsBoth_data() {
    QTest::addColumn<QString>("event");
    QTest::addColumn<QString>("table");
    QTest::newRow("counter cannot be stored") << "UPDATE"
                                              << "opciones";
    QTest::newRow("ticket cannot be stored") << "INSERT"
                                             << "ticket";
}

void TstTickets::failureBetweenTicketAndCounterKeepsBoth() {
    QFETCH(QString, event);
    QFETCH(QString, table);
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    setNumTick(db, 41);
    NuevoNumeroTicket(db, saleTicket(), Now);
    refuseWrites(db, QStringLiteral("t"), event, table);

    QVERIFY_THROWS_EXCEPTION(store::DatabaseError, NuevoNumeroTicket(db, saleTicket(), Now));
    QCOMPARE(ticketCount(db), 1);
    QCOMPARE(numTick(db), 42);

    // Once the fault is gone the number that failed is the next one issued.
    allowWrites(db, QStringLiteral("t"), table);
    QCOMPARE(NuevoNumeroTicket(db, saleTicket(), Now).NUM_TICKET, QStringLiteral("43"));
    QCOMPARE(ticketCount(db), 2);
}

void TstTickets::missingOptionsRowIssuesNothing() {
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    store::run(db, QStringLiteral("DELETE FROM opciones"));
    QVERIFY_THROWS_EXCEPTION(store::DatabaseError, NuevoNumeroTicket(db, saleTicket(), Now));
    QCOMPARE(ticketCount(db), 0);
}

void TstTickets::issuingNestsInALargerOperation() {
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    {
        store::Transaction outer(db);
        const store::Ticket t = NuevoNumeroTicket(db, saleTicket(), Now);
        addLine(db, line(t.ID_TICK, QStringLiteral("CAFE"), QStringLiteral("C1"), 1, 120, 1));
        // Not committed: the ticket, its line and the counter all go.
    }
    QCOMPARE(ticketCount(db), 0);
    QCOMPARE(numTick(db), 0);
    QCOMPARE(store::toInt(store::scalar(db, QStringLiteral("SELECT COUNT(*) FROM lintick"))), 0);
}

// Two consoles on one database: the second one's ticket waits until the
// first one's transaction ends, then takes the number after it.
void TstTickets::aSecondConsoleWaitsForTheNumber() {
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    const bool server = store::engineOf(db) == store::Engine::PostgreSQL;
    std::optional<store::Ticket> theirs;
    QString failure;
    std::atomic<bool> started = false;
    store::Transaction ours(db);
    const store::Ticket mine = NuevoNumeroTicket(db, saleTicket(), Now);
    std::thread other([&] {
        TDataModule1 data;
        if (const Status s = data.open(tdb.path); !s) {
            failure = s.error();
            return;
        }
        started = true;
        try {
            theirs = NuevoNumeroTicket(data.db(), saleTicket(), Now);
        } catch (const store::DatabaseError& e) {
            failure = e.text();
        }
    });
    QVERIFY(QTest::qWaitFor([&] { return started.load(); }));
    // The server shows the other one waiting for the row; a file only lets
    // it get that far.
    if (server)
        QVERIFY(QTest::qWaitFor([&] {
            return store::toInt(store::scalar(
                       db, QStringLiteral("SELECT COUNT(*) FROM pg_locks WHERE NOT granted"))) > 0;
        }));
    else
        QTest::qWait(200);
    QVERIFY(!theirs);
    ours.commit();
    other.join();
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QVERIFY(theirs);
    QCOMPARE(mine.NUM_TICKET, QStringLiteral("1"));
    QCOMPARE(theirs->NUM_TICKET, QStringLiteral("2"));
    QCOMPARE(numTick(db), 2);
    QCOMPARE(ticketCount(db), 2);
}

void TstTickets::findByExactText_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("found");
    QTest::newRow("12") << "12"
                        << "12";
    QTest::newRow("012") << "012"
                         << "012";
    QTest::newRow("12 blank") << "12 "
                              << "12 ";
    QTest::newRow("blank 12") << " 12"
                              << "";
    QTest::newRow("13") << "13"
                        << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("quote") << "12' OR '1'='1"
                           << "";
}

void TstTickets::findByExactText() {
    QFETCH(QString, typed);
    QFETCH(QString, found);
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    rawTicket(db, QStringLiteral("012"));
    rawTicket(db, QStringLiteral("12 "));
    rawTicket(db, QStringLiteral("12"));
    const std::optional<store::Ticket> t = findTicket(db, typed);
    if (found.isEmpty()) {
        QVERIFY(!t);
    } else {
        QVERIFY(t);
        QCOMPARE(t->NUM_TICKET, found);
    }
}

void TstTickets::cancelKeepsLinesAndNumber() {
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    const store::Ticket t = NuevoNumeroTicket(db, saleTicket(), Now);
    addLine(db, line(t.ID_TICK, QStringLiteral("CAFE"), QStringLiteral("C1"), 2, 120, 1));
    addLine(db, line(t.ID_TICK, QStringLiteral("BOLLO"), QStringLiteral("B1"), 1, 90, 2));
    addLine(db, line(t.ID_TICK, QStringLiteral("varios"), QString(), 0.5, 300, 1));
    QCOMPARE(sales::recomputeTotal(db, t.ID_TICK), Currency::fromCents(480));

    cancelTicket(db, t.ID_TICK, QStringLiteral("LUIS"), Now);
    const std::vector<store::LinTick> ls = lines(db, t.ID_TICK);
    QCOMPARE(ls.size(), size_t(3));
    const QStringList articulos{"CAFE", "BOLLO", "varios"};
    const QStringList codigos{"C1", "B1", ""};
    const qint64 precios[] = {120, 90, 300};
    for (size_t i = 0; i < ls.size(); ++i) {
        QCOMPARE(ls[i].CANT, 0.0);
        QCOMPARE(ls[i].IMPORTE, Currency());
        QCOMPARE(ls[i].IdTax, 0);
        QCOMPARE(ls[i].ARTICULO, articulos.at(int(i)));
        QCOMPARE(ls[i].CODIGO, codigos.at(int(i)));
        QCOMPARE(ls[i].PRECIO, Currency::fromCents(precios[i]));
    }
    const store::Ticket c = *ticketById(db, t.ID_TICK);
    QCOMPARE(c.IMPORTE, Currency());
    QCOMPARE(c.OBSERVACIONES, QStringLiteral("ANULADO"));
    QCOMPARE(c.OPERADOR, QStringLiteral("LUIS"));
    QCOMPARE(c.NUM_TICKET, t.NUM_TICKET);
    // The number stays used.
    QCOMPARE(NuevoNumeroTicket(db, saleTicket(), Now).NUM_TICKET, QStringLiteral("2"));
}

void TstTickets::voidingKeepsWhatItZeroes() {
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    const store::Ticket t = soldByCaja(db);
    const QDateTime at(QDate(2026, 1, 16), QTime(9, 5, 0));
    cancelTicket(db, t.ID_TICK, QStringLiteral("LUIS"), at);
    // The ticket now names LUIS and says 0; the trail says who sold what.
    QSqlQuery q = store::run(db, QStringLiteral("SELECT FECHA, HORA, OPERADOR, ACCION, OBJETO, ANTES FROM "
                                                "auditoria"));
    QVERIFY(q.next());
    QCOMPARE(store::toDate(q.value(0)), at.date());
    QCOMPARE(store::toTime(q.value(1)), at.time());
    QCOMPARE(store::toText(q.value(2)), QStringLiteral("LUIS"));
    QCOMPARE(store::toText(q.value(3)), store::accion::AnularTicket);
    QCOMPARE(store::toText(q.value(4)), QStringLiteral("Ticket ") + t.NUM_TICKET);
    QCOMPARE(store::toText(q.value(5)),
             QStringLiteral("Vendido por CAJA\n2 x CAFÉ 2,40\n1 x BONO 1H 3,00\nTotal 5,40"));
    QVERIFY(!q.next());
}

void TstTickets::failedVoidingLeavesNoLine_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("event");
    QTest::newRow("the ticket cannot be written") << QStringLiteral("ticket") << QStringLiteral("UPDATE");
    QTest::newRow("the trail cannot be written") << QStringLiteral("auditoria") << QStringLiteral("INSERT");
}

void TstTickets::failedVoidingLeavesNoLine() {
    QFETCH(QString, table);
    QFETCH(QString, event);
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    const store::Ticket t = soldByCaja(db);
    refuseWrites(db, QStringLiteral("lleno"), event, table);
    QVERIFY_THROWS_EXCEPTION(store::DatabaseError, cancelTicket(db, t.ID_TICK, QStringLiteral("LUIS"), Now));
    allowWrites(db, QStringLiteral("lleno"), table);
    // Both or neither: the sale stands as sold and the trail is silent.
    QCOMPARE(auditLines(db), 0);
    const store::Ticket stored = *ticketById(db, t.ID_TICK);
    QCOMPARE(stored.IMPORTE, Currency::fromCents(540));
    QCOMPARE(stored.OPERADOR, QStringLiteral("CAJA"));
    QCOMPARE(lines(db, t.ID_TICK).front().IMPORTE, Currency::fromCents(240));
}

void TstTickets::changesToAReopenedTicketAreAudited_data() {
    QTest::addColumn<bool>("reopened");
    QTest::newRow("a sale being entered") << false;
    QTest::newRow("a ticket reopened") << true;
}

void TstTickets::changesToAReopenedTicketAreAudited() {
    QFETCH(bool, reopened);
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    const store::Ticket t = soldByCaja(db);
    store::Udart u = readUdart(db);
    u.ART = QStringLiteral("AGUA");
    u.UD = 3;
    u.PRE = Currency::fromCents(80);
    u.IMP = Currency::fromCents(240);
    saveUdart(db, u);
    QCOMPARE(anadirLinea(db, t.ID_TICK, QString(),
                         reopened ? std::optional<Reapertura>(Reapertura{QStringLiteral("LUIS"), Now})
                                  : std::nullopt),
             QString());
    QCOMPARE(auditLines(db), reopened ? 1 : 0);
    if (!reopened)
        return;
    QSqlQuery q =
        store::run(db, QStringLiteral("SELECT OPERADOR, ACCION, OBJETO, ANTES, DESPUES FROM auditoria"));
    QVERIFY(q.next());
    QCOMPARE(store::toText(q.value(0)), QStringLiteral("LUIS"));
    QCOMPARE(store::toText(q.value(1)), store::accion::ModificarTicket);
    QCOMPARE(store::toText(q.value(2)), QStringLiteral("Ticket ") + t.NUM_TICKET);
    QCOMPARE(store::toText(q.value(3)), QStringLiteral("Total 5,40"));
    QCOMPARE(store::toText(q.value(4)), QStringLiteral("+ 3 x AGUA 2,40\nTotal 7,80"));
}

void TstTickets::totalIsTheSumOfLines() {
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    const store::Ticket t = NuevoNumeroTicket(db, saleTicket(), Now);
    const store::Ticket other = NuevoNumeroTicket(db, saleTicket(), Now);
    QCOMPARE(sales::recomputeTotal(db, t.ID_TICK), Currency());
    store::LinTick l = line(t.ID_TICK, QStringLiteral("A"), QString(), 1, 0, 0);
    l.IMPORTE = Currency::fromRaw(12345);
    addLine(db, l);
    l.IMPORTE = Currency::fromRaw(-2345);
    addLine(db, l);
    addLine(db, line(other.ID_TICK, QStringLiteral("B"), QString(), 1, 999, 0));
    QCOMPARE(sales::recomputeTotal(db, t.ID_TICK), Currency::fromRaw(10000));
    QCOMPARE(ticketById(db, t.ID_TICK)->IMPORTE, Currency::fromRaw(10000));
    QCOMPARE(ticketById(db, other.ID_TICK)->IMPORTE, Currency());
}

void TstTickets::settle() {
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    store::Ticket pending;
    pending.CONTA = false;
    const int a = NuevoNumeroTicket(db, pending, Now).ID_TICK;
    NuevoNumeroTicket(db, pending, Now);
    // A flag left empty counts as pending.
    const int empty = rawTicket(db, QStringLiteral("90"));
    store::run(db, QStringLiteral("UPDATE ticket SET CONTA = NULL WHERE ID_TICK = ?"), {empty});
    QCOMPARE(store::pendingTickets(db).size(), size_t(3));

    settleTicket(db, a);
    QVERIFY(ticketById(db, a)->CONTA);
    QCOMPARE(store::pendingTickets(db).size(), size_t(2));
    settleAllPending(db);
    QVERIFY(store::pendingTickets(db).empty());
    // A ticket written afterwards shows again.
    NuevoNumeroTicket(db, pending, Now);
    QCOMPARE(store::pendingTickets(db).size(), size_t(1));
}

// Two consoles on one database: each ticket and movement says which one
// wrote it; a connection no console named records none.
void TstTickets::eachConsoleRecordsItsName() {
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    TDataModule1 other;
    QVERIFY(other.open(tdb.path));
    tdb.data.setConsoleName(QStringLiteral("CAJA1"));
    other.setConsoleName(QStringLiteral("CAJA2"));

    const store::Ticket first = NuevoNumeroTicket(db, saleTicket(), Now);
    const store::Ticket second = NuevoNumeroTicket(other.db(), saleTicket(), Now);
    store::Ticket given = saleTicket();
    given.CONSOLA = QStringLiteral("DADA");
    const store::Ticket third = NuevoNumeroTicket(db, given, Now);
    store::MovCuenta m;
    m.CUENTA = QStringLiteral("ANA");
    const int movement = static_cast<int>(store::insert(other.db(), m));
    other.setConsoleName(QString());
    const store::Ticket unnamed = NuevoNumeroTicket(other.db(), saleTicket(), Now);

    QCOMPARE(first.CONSOLA, QStringLiteral("CAJA1"));
    QCOMPARE(ticketById(db, first.ID_TICK)->CONSOLA, QStringLiteral("CAJA1"));
    QCOMPARE(ticketById(db, second.ID_TICK)->CONSOLA, QStringLiteral("CAJA2"));
    QCOMPARE(ticketById(db, third.ID_TICK)->CONSOLA, QStringLiteral("DADA"));
    QCOMPARE(ticketById(db, unnamed.ID_TICK)->CONSOLA, QString());
    QCOMPARE(store::toText(store::scalar(db, QStringLiteral("SELECT CONSOLA FROM movcuentas WHERE ID = ?"),
                                         {movement})),
             QStringLiteral("CAJA2"));
}

void TstTickets::eachConsoleEntersItsOwnSale() {
    TestDatabase tdb;
    TDataModule1 other;
    QVERIFY(other.open(tdb.path));
    tdb.data.setConsoleName(QStringLiteral("CAJA1"));
    other.setConsoleName(QStringLiteral("CAJA2"));
    store::Udart first;
    first.ART = QStringLiteral("CAFE");
    first.ENTREGADO = Currency::fromCents(500);
    sales::saveUdart(tdb.data.db(), first);
    // The second counter starts from nothing of the first's, and keeps its own.
    QCOMPARE(sales::readUdart(other.db()).ART, QString());
    store::Udart second;
    second.ART = QStringLiteral("AGUA");
    sales::saveUdart(other.db(), second);
    QCOMPARE(sales::readUdart(tdb.data.db()).ART, QStringLiteral("CAFE"));
    QCOMPARE(sales::readUdart(tdb.data.db()).ENTREGADO, Currency::fromCents(500));
    QCOMPARE(sales::readUdart(other.db()).ART, QStringLiteral("AGUA"));
    // The row from before the consoles became the first console's: two rows, not three.
    QCOMPARE(store::toInt(store::scalar(tdb.data.db(), QStringLiteral("SELECT COUNT(*) FROM udart"))), 2);
}

// The station queue's cheap look at the pending tickets and movements of
// every console: it changes exactly when what the queue shows changes.
void TstTickets::pendingDigestSeesOtherConsoles_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("seen");
    QTest::newRow("a pending ticket booked") << QStringLiteral("booked") << true;
    QTest::newRow("a pending ticket settled") << QStringLiteral("settled") << true;
    QTest::newRow("a pending ticket grows") << QStringLiteral("grows") << true;
    QTest::newRow("one settled as another is booked") << QStringLiteral("swap") << true;
    QTest::newRow("a settled ticket changes") << QStringLiteral("settledGrows") << false;
    QTest::newRow("a movement booked") << QStringLiteral("movement") << true;
    QTest::newRow("a movement settled") << QStringLiteral("movementSettled") << true;
    QTest::newRow("nothing") << QString() << false;
}

void TstTickets::pendingDigestSeesOtherConsoles() {
    QFETCH(QString, change);
    QFETCH(bool, seen);
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    TDataModule1 other;
    QVERIFY(other.open(tdb.path));
    const QSqlDatabase theirs = other.db();
    store::Ticket pending;
    pending.CONTA = false;
    const int a = NuevoNumeroTicket(db, pending, Now).ID_TICK;
    NuevoNumeroTicket(db, pending, Now);
    const int done = NuevoNumeroTicket(db, saleTicket(), Now).ID_TICK;
    store::MovCuenta m;
    m.CUENTA = QStringLiteral("ANA");
    const int movement = static_cast<int>(store::insert(db, m));
    const QVariantList tickets = store::pendingTicketsDigest(db);
    const QVariantList movements = store::pendingMovementsDigest(db);

    if (change == QLatin1String("booked"))
        NuevoNumeroTicket(theirs, pending, Now);
    else if (change == QLatin1String("settled"))
        settleTicket(theirs, a);
    else if (change == QLatin1String("grows"))
        store::run(theirs, QStringLiteral("UPDATE ticket SET IMPORTE = IMPORTE + 100 WHERE ID_TICK = ?"),
                   {a});
    else if (change == QLatin1String("swap")) {
        settleTicket(theirs, a);
        NuevoNumeroTicket(theirs, pending, Now);
    } else if (change == QLatin1String("settledGrows"))
        store::run(theirs, QStringLiteral("UPDATE ticket SET IMPORTE = 500 WHERE ID_TICK = ?"), {done});
    else if (change == QLatin1String("movement"))
        store::insert(theirs, m);
    else if (change == QLatin1String("movementSettled"))
        store::run(theirs, QStringLiteral("UPDATE movcuentas SET CONTA = 1 WHERE ID = ?"), {movement});

    const bool changed =
        store::pendingTicketsDigest(db) != tickets || store::pendingMovementsDigest(db) != movements;
    QCOMPARE(changed, seen);
}

void TstTickets::attach_data() {
    QTest::addColumn<int>("estado");
    QTest::addColumn<QString>("held");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("after");
    QTest::newRow("free station") << int(station::Estado::Libre) << "" << true << "77";
    QTest::newRow("counter station") << int(station::Estado::Contador) << "" << true << "77";
    QTest::newRow("already holds one") << int(station::Estado::Contador) << "12" << false << "12";
    QTest::newRow("free station holding one") << int(station::Estado::Libre) << "12" << false << "12";
}

void TstTickets::attach() {
    QFETCH(int, estado);
    QFETCH(QString, held);
    QFETCH(bool, ok);
    QFETCH(QString, after);
    station::StationRecord r;
    r.estado = static_cast<station::Estado>(estado);
    r.ticketNumber = held;
    const TicketOutcome o = attachTicket(r, QStringLiteral("77"));
    QCOMPARE(o.ok(), ok);
    QCOMPARE(r.ticketNumber, after);
    if (!ok) {
        QCOMPARE(ticketMessages().text(o.messageKey, ui::Language::Spanish),
                 QStringLiteral("No se puede anotar.\r\rEste puesto ya tiene un ticket."));
        QCOMPARE(ticketMessages().text(o.messageKey, ui::Language::English),
                 QStringLiteral("Can not be assigned\r\rThis terminal already has a ticket."));
    }
}

void TstTickets::detach_data() {
    QTest::addColumn<int>("estado");
    QTest::addColumn<QString>("login");
    QTest::addColumn<bool>("ok");
    QTest::newRow("counter anonymous") << int(station::Estado::Contador) << "" << true;
    QTest::newRow("prepaid with account") << int(station::Estado::Prepago) << "ana" << true;
    QTest::newRow("free") << int(station::Estado::Libre) << "" << true;
    QTest::newRow("prepaid anonymous") << int(station::Estado::Prepago) << "" << false;
}

void TstTickets::detach() {
    QFETCH(int, estado);
    QFETCH(QString, login);
    QFETCH(bool, ok);
    station::StationRecord r;
    r.estado = static_cast<station::Estado>(estado);
    r.accountLogin = login;
    r.ticketNumber = QStringLiteral("12");
    const TicketOutcome o = detachTicket(r);
    QCOMPARE(o.ok(), ok);
    QCOMPARE(r.ticketNumber, ok ? QString() : QStringLiteral("12"));
    if (!ok)
        QCOMPARE(ticketMessages().text(o.messageKey),
                 QStringLiteral("No se puede borrar un ticket de prepago."));
}

QTEST_GUILESS_MAIN(TstTickets)
#include "tst_tickets.moc"
