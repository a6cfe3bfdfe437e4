#include "sales/tickets.h"
#include "session/registrouso.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "support/faults.h"
#include "support/testdb.h"

#include <QTest>

using namespace session;

namespace {

const QDateTime Now(QDate(2026, 1, 15), QTime(18, 5, 9));
const QString Operador = QStringLiteral("MARTA");
constexpr int IvaGen = 3;

int numTick(const QSqlDatabase& db) {
    return store::readOpciones(db).NUM_TICK;
}
void setNumTick(const QSqlDatabase& db, int n) {
    store::run(db, QStringLiteral("UPDATE opciones SET NUM_TICK = ?"), {n});
}
int count(const QSqlDatabase& db, const char* table) {
    return store::toInt(store::scalar(db, QStringLiteral("SELECT COUNT(*) FROM ") + QLatin1String(table)));
}
std::vector<store::Ciber> activity(const QSqlDatabase& db) {
    return store::select<store::Ciber>(db);
}

UsoTerminado anonymousCounter() {
    UsoTerminado u;
    u.tariffName = QStringLiteral("NORMAL");
    u.station = 3;
    u.modo = Modo::Contador;
    u.cost = Currency::fromCents(90);
    u.seconds = 45 * 60 + 10;
    return u;
}

// A ticket sold to a station at the counter: settled, one article line.
store::Ticket soldTicket(const QSqlDatabase& db) {
    store::Ticket t;
    t.CONTA = true;
    t.NPUESTO = 0;
    t.OPERADOR = QStringLiteral("LUIS");
    t.CLIENTE = QStringLiteral("x");
    t.IMPORTE = Currency::fromCents(150);
    t = sales::NuevoNumeroTicket(db, t, Now.addSecs(-3600));
    store::LinTick l;
    l.ID_TICK = t.ID_TICK;
    l.ARTICULO = QStringLiteral("REFRESCO");
    l.CODIGO = QStringLiteral("R1");
    l.CANT = 1;
    l.PRECIO = Currency::fromCents(150);
    l.IMPORTE = Currency::fromCents(150);
    sales::addLine(db, l);
    return t;
}

} // namespace

class TstRegistrarUso : public QObject {
    Q_OBJECT
private slots:
    void lineTexts();
    void anonymousCounterIssuesTicket();
    void anonymousCounterOntoAttachedTicket();
    void anonymousCounterWithVanishedTicket();
    void prepaidWithTicketWritesNoTicket();
    void prepaidWithoutTicketIssuesOne();
    void accountWritesNoTicket();
    void activityRecordColumns_data();
    void activityRecordColumns();
    void failureLeavesNothing();
    void prepaidOpening();
    void prepaidOpeningOntoHeldTicket();
    void prepaidIncrease();
    void prepaidIncreaseWithVanishedTicket();
};

void TstRegistrarUso::lineTexts() {
    QCOMPARE(articuloCierre(3, 2710), QStringLiteral("PUESTO 3  0:45:10"));
    QCOMPARE(articuloPrepago(7, 3600), QStringLiteral("PUESTO 7 1:00:00"));
    QCOMPARE(articuloCierre(120, 90000), QStringLiteral("PUESTO 120  25:00:00"));
    QCOMPARE(modoTexto(Modo::Contador), QStringLiteral("CONTADOR"));
    QCOMPARE(modoTexto(Modo::Prepago), QStringLiteral("PREPAGO"));
}

void TstRegistrarUso::anonymousCounterIssuesTicket() {
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    setNumTick(db, 41);
    const TicketEscrito w = RegistrarUso(db, anonymousCounter(), Operador, Now, IvaGen);
    QCOMPARE(w.ticketNumber, QStringLiteral("42"));
    QVERIFY(w.issued);
    QCOMPARE(numTick(db), 42);

    const store::Ticket t = *sales::findTicket(db, QStringLiteral("42"));
    QCOMPARE(t.CONTA, false);
    QCOMPARE(t.NPUESTO, 3);
    QCOMPARE(t.MODO, QStringLiteral("CONTADOR"));
    QCOMPARE(t.OPERADOR, Operador);
    QCOMPARE(t.CLIENTE, QString());
    QCOMPARE(t.IMPORTE, Currency::fromCents(90));
    QCOMPARE(t.FECHA, Now.date());
    QCOMPARE(t.HORA, Now.time());
    const std::vector<store::LinTick> ls = sales::lines(db, t.ID_TICK);
    QCOMPARE(ls.size(), size_t(1));
    QCOMPARE(ls[0].ARTICULO, QStringLiteral("PUESTO 3  0:45:10"));
    QCOMPARE(ls[0].CANT, 1.0);
    QCOMPARE(ls[0].PRECIO, Currency::fromCents(90));
    QCOMPARE(ls[0].IMPORTE, Currency::fromCents(90));
    QCOMPARE(ls[0].IdTax, IvaGen);
    QCOMPARE(ls[0].CODIGO, QString());
    QCOMPARE(ls[0].BONO, false);

    // The activity record names the ticket the station held: none.
    const std::vector<store::Ciber> a = activity(db);
    QCOMPARE(a.size(), size_t(1));
    QCOMPARE(a[0].NUM_TICKET, QString());
}

void TstRegistrarUso::anonymousCounterOntoAttachedTicket() {
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    const store::Ticket sold = soldTicket(db);
    UsoTerminado u = anonymousCounter();
    u.ticketNumber = sold.NUM_TICKET;

    const TicketEscrito w = RegistrarUso(db, u, Operador, Now, IvaGen);
    QCOMPARE(w.ticketNumber, sold.NUM_TICKET);
    QVERIFY(!w.issued);
    QCOMPARE(numTick(db), 1);
    QCOMPARE(count(db, "ticket"), 1);

    const store::Ticket t = *sales::ticketById(db, sold.ID_TICK);
    QCOMPARE(t.IMPORTE, Currency::fromCents(240));
    QCOMPARE(t.MODO, QStringLiteral("CONTADOR"));
    QCOMPARE(t.CONTA, false);
    QCOMPARE(t.NPUESTO, 3);
    QCOMPARE(t.OPERADOR, Operador);
    QCOMPARE(t.CLIENTE, QString());
    // Issue date and time stay those of the sale.
    QCOMPARE(t.HORA, sold.HORA);
    const std::vector<store::LinTick> ls = sales::lines(db, t.ID_TICK);
    QCOMPARE(ls.size(), size_t(2));
    QCOMPARE(ls[1].ARTICULO, QStringLiteral("PUESTO 3  0:45:10"));
    QCOMPARE(ls[1].IMPORTE, Currency::fromCents(90));
    QCOMPARE(activity(db).at(0).NUM_TICKET, sold.NUM_TICKET);
}

void TstRegistrarUso::anonymousCounterWithVanishedTicket() {
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    setNumTick(db, 9);
    UsoTerminado u = anonymousCounter();
    u.ticketNumber = QStringLiteral("5");
    // The period's money is not lost: it gets a ticket of its own.
    const TicketEscrito w = RegistrarUso(db, u, Operador, Now, IvaGen);
    QVERIFY(w.issued);
    QCOMPARE(w.ticketNumber, QStringLiteral("10"));
    QCOMPARE(sales::findTicket(db, QStringLiteral("10"))->IMPORTE, Currency::fromCents(90));
    QCOMPARE(activity(db).at(0).NUM_TICKET, QStringLiteral("5"));
}

void TstRegistrarUso::prepaidWithTicketWritesNoTicket() {
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    const store::Ticket sold = soldTicket(db);
    UsoTerminado u = anonymousCounter();
    u.modo = Modo::Prepago;
    u.ticketNumber = sold.NUM_TICKET;
    u.cost = Currency::fromCents(200);
    u.seconds = 3600;

    const TicketEscrito w = RegistrarUso(db, u, Operador, Now, IvaGen);
    QVERIFY(!w.written());
    QCOMPARE(count(db, "ticket"), 1);
    QCOMPARE(count(db, "lintick"), 1);
    QCOMPARE(numTick(db), 1);
    QCOMPARE(*sales::ticketById(db, sold.ID_TICK), sold);
    const store::Ciber a = activity(db).at(0);
    QCOMPARE(a.MODALIDAD, QStringLiteral("PREPAGO"));
    QCOMPARE(a.NUM_TICKET, sold.NUM_TICKET);
    QCOMPARE(a.TIEMPO, 3600);
}

void TstRegistrarUso::prepaidWithoutTicketIssuesOne() {
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    UsoTerminado u = anonymousCounter();
    u.modo = Modo::Prepago;
    u.cost = Currency::fromCents(200);
    const TicketEscrito w = RegistrarUso(db, u, Operador, Now, IvaGen);
    QVERIFY(w.issued);
    QCOMPARE(sales::findTicket(db, w.ticketNumber)->MODO, QStringLiteral("PREPAGO"));
    QCOMPARE(sales::findTicket(db, w.ticketNumber)->IMPORTE, Currency::fromCents(200));
}

void TstRegistrarUso::accountWritesNoTicket() {
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    const store::Ticket sold = soldTicket(db);
    for (Modo modo : {Modo::Contador, Modo::Prepago}) {
        for (const QString& ticket : {QString(), sold.NUM_TICKET}) {
            UsoTerminado u = anonymousCounter();
            u.accountLogin = QStringLiteral("ana");
            u.modo = modo;
            u.ticketNumber = ticket;
            QVERIFY(!RegistrarUso(db, u, Operador, Now, IvaGen).written());
        }
    }
    QCOMPARE(count(db, "ticket"), 1);
    QCOMPARE(count(db, "lintick"), 1);
    QCOMPARE(count(db, "ciber"), 4);
}

void TstRegistrarUso::activityRecordColumns_data() {
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("tariff");
    QTest::addColumn<int>("modo");
    QTest::addColumn<QString>("ticket");
    QTest::addColumn<qint64>("seconds");

    QTest::newRow("anonymous counter") << ""
                                       << "NORMAL" << int(Modo::Contador) << "" << qint64(2710);
    QTest::newRow("account by bands") << "ana"
                                      << "FRANJAS" << int(Modo::Contador) << "17" << qint64(3600);
    QTest::newRow("time credit") << "pepe"
                                 << "BONO TIEMPO" << int(Modo::Prepago) << "" << qint64(90000);
    QTest::newRow("quotes stay as typed") << "o'brien\"; DROP TABLE ciber; --"
                                          << "NOCHE 'especial'" << int(Modo::Contador) << "4'2" << qint64(1);
}

void TstRegistrarUso::activityRecordColumns() {
    QFETCH(QString, login);
    QFETCH(QString, tariff);
    QFETCH(int, modo);
    QFETCH(QString, ticket);
    QFETCH(qint64, seconds);
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    UsoTerminado u;
    u.tariffName = tariff;
    u.station = 12;
    u.modo = static_cast<Modo>(modo);
    u.ticketNumber = ticket;
    u.seconds = seconds;
    u.cost = Currency::fromCents(100);
    u.accountLogin = login;
    RegistrarUso(db, u, Operador, Now, IvaGen);

    const std::vector<store::Ciber> a = activity(db);
    QCOMPARE(a.size(), size_t(1));
    QCOMPARE(a[0].CLIENTE, login);
    QCOMPARE(a[0].FECHA, Now.date());
    QCOMPARE(a[0].HORA, Now.time());
    QCOMPARE(a[0].NPUESTO, 12);
    QCOMPARE(a[0].MODALIDAD, modoTexto(u.modo));
    QCOMPARE(a[0].OPERADOR, Operador);
    QCOMPARE(a[0].NUM_TICKET, ticket);
    QCOMPARE(a[0].TARIFA, tariff);
    QCOMPARE(a[0].TIEMPO, int(seconds));
}

void TstRegistrarUso::failureLeavesNothing() {
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    setNumTick(db, 41);
    refuseWrites(db, QStringLiteral("t"), QStringLiteral("INSERT"), QStringLiteral("ciber"));
    QVERIFY_THROWS_EXCEPTION(store::DatabaseError,
                             RegistrarUso(db, anonymousCounter(), Operador, Now, IvaGen));
    QCOMPARE(count(db, "ticket"), 0);
    QCOMPARE(count(db, "lintick"), 0);
    QCOMPARE(numTick(db), 41);
}

void TstRegistrarUso::prepaidOpening() {
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    setNumTick(db, 6);
    const TicketEscrito w =
        ticketAperturaPrepago(db, 7, QString(), 3600, Currency::fromCents(200), Operador, Now, IvaGen);
    QVERIFY(w.issued);
    QCOMPARE(w.ticketNumber, QStringLiteral("7"));
    QCOMPARE(numTick(db), 7);
    const store::Ticket t = *sales::findTicket(db, QStringLiteral("7"));
    QCOMPARE(t.MODO, QStringLiteral("PREPAGO"));
    QCOMPARE(t.CONTA, false);
    QCOMPARE(t.NPUESTO, 7);
    QCOMPARE(t.OPERADOR, Operador);
    QCOMPARE(t.IMPORTE, Currency::fromCents(200));
    const std::vector<store::LinTick> ls = sales::lines(db, t.ID_TICK);
    QCOMPARE(ls.size(), size_t(1));
    QCOMPARE(ls[0].ARTICULO, QStringLiteral("PUESTO 7 1:00:00"));
    QCOMPARE(ls[0].PRECIO, Currency::fromCents(200));
    QCOMPARE(ls[0].IdTax, IvaGen);
    QCOMPARE(count(db, "ciber"), 0);
}

void TstRegistrarUso::prepaidOpeningOntoHeldTicket() {
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    const store::Ticket sold = soldTicket(db);
    const TicketEscrito w =
        ticketAperturaPrepago(db, 4, sold.NUM_TICKET, 1800, Currency::fromCents(100), Operador, Now, IvaGen);
    QVERIFY(!w.issued);
    QCOMPARE(w.ticketNumber, sold.NUM_TICKET);
    QCOMPARE(numTick(db), 1);
    const store::Ticket t = *sales::ticketById(db, sold.ID_TICK);
    QCOMPARE(t.IMPORTE, Currency::fromCents(250));
    QCOMPARE(t.MODO, QStringLiteral("PREPAGO"));
    QCOMPARE(t.NPUESTO, 4);
    QCOMPARE(t.CONTA, false);
    QCOMPARE(sales::lines(db, t.ID_TICK).back().ARTICULO, QStringLiteral("PUESTO 4 0:30:00"));

    // A number that names no ticket is replaced by a new ticket.
    const TicketEscrito again = ticketAperturaPrepago(db, 4, QStringLiteral("99"), 1800,
                                                      Currency::fromCents(100), Operador, Now, IvaGen);
    QVERIFY(again.issued);
    QCOMPARE(again.ticketNumber, QStringLiteral("2"));
}

void TstRegistrarUso::prepaidIncrease() {
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    const TicketEscrito opened = ticketAperturaPrepago(db, 7, QString(), 300, Currency::fromCents(50),
                                                       QStringLiteral("LUIS"), Now, IvaGen);
    sales::settleTicket(db, sales::findTicket(db, opened.ticketNumber)->ID_TICK);

    const TicketEscrito w = ticketIncrementoPrepago(db, 7, opened.ticketNumber, 1800,
                                                    Currency::fromCents(100), Operador, Now, IvaGen);
    QVERIFY(!w.issued);
    QCOMPARE(w.ticketNumber, opened.ticketNumber);
    QCOMPARE(numTick(db), 1);
    const store::Ticket t = *sales::findTicket(db, opened.ticketNumber);
    QCOMPARE(t.IMPORTE, Currency::fromCents(150));
    // The added money waits to be collected.
    QCOMPARE(t.CONTA, false);
    QCOMPARE(t.OPERADOR, Operador);
    QCOMPARE(t.MODO, QStringLiteral("PREPAGO"));
    const std::vector<store::LinTick> ls = sales::lines(db, t.ID_TICK);
    QCOMPARE(ls.size(), size_t(2));
    QCOMPARE(ls[1].ARTICULO, QStringLiteral("PUESTO 7 0:30:00"));
    QCOMPARE(ls[1].IMPORTE, Currency::fromCents(100));
    QCOMPARE(ls[1].IdTax, IvaGen);
}

void TstRegistrarUso::prepaidIncreaseWithVanishedTicket() {
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    setNumTick(db, 20);
    const TicketEscrito w = ticketIncrementoPrepago(db, 7, QStringLiteral("3"), 3600,
                                                    Currency::fromCents(100), Operador, Now, IvaGen);
    QVERIFY(w.issued);
    QCOMPARE(w.ticketNumber, QStringLiteral("21"));
    const store::Ticket t = *sales::findTicket(db, QStringLiteral("21"));
    QCOMPARE(t.IMPORTE, Currency::fromCents(100));
    QCOMPARE(t.MODO, QStringLiteral("PREPAGO"));
    QCOMPARE(sales::lines(db, t.ID_TICK).at(0).ARTICULO, QStringLiteral("PUESTO 7 1:00:00"));
}

QTEST_GUILESS_MAIN(TstRegistrarUso)
#include "tst_registraruso.moc"
