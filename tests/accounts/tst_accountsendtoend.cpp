// Customers with accounts at simulated stations, over real loopback sockets,
// against the console's engine on a demo database and a fake clock: log-in,
// play, log-out, and what the books hold afterwards.
#include "accounts/accountdecisions.h"
#include "sales/tickets.h"
#include "sim/simulator.h"
#include "station/messagequeue.h"
#include "station/stationaddress.h"
#include "store/sql.h"
#include "support/loopback.h"
#include "support/simcafe.h"
#include "support/testengine.h"
#include "support/testserver.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTest>

#include <memory>

using station::Estado;

namespace {

constexpr int Stations = 4;

// 127.59.<pid>.1 …: addresses of this program only, so two runs side by side never meet.
QHostAddress baseAddress() {
    return loopbackBase(59);
}

// The console on the demo database, stations 1–4 played by the simulator.
struct Cafe : SimCafe {
    Cafe()
        : SimCafe(baseAddress(), Stations) {
        const QDate today = te.clock.now().date();
        store::run(db(), QStringLiteral("UPDATE cuentas SET Alta = ?, Ultima = ? WHERE Login = '10008'"),
                   {today.addDays(-400), today.addDays(-400)});
    }

    store::Cuenta cuenta(const QString& login) const {
        return store::select<store::Cuenta>(db(), QStringLiteral("WHERE Login = ?"), {login}).at(0);
    }
    std::vector<store::MovCuenta> movements() const {
        return store::select<store::MovCuenta>(db(), QStringLiteral("ORDER BY ID"));
    }
    int count(const QString& table) const {
        QSqlQuery q(db());
        q.exec(QStringLiteral("SELECT COUNT(*) FROM ") + table);
        return q.next() ? q.value(0).toInt() : -1;
    }
};

} // namespace

class TstAccountsEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void moneyAndTimeCustomers();
    void readmeDemoAccounts_data();
    void readmeDemoAccounts();
    void refusedAtTheTile_data();
    void refusedAtTheTile();
    void sameLoginAtTwoTilesInOneInterval();
    void passwordsChosenAtTheTile();
    void busyStationKeepsItsPeriod();
    void noticeAfterTheOccupiedPoll();
    void lockedDatabaseCostsNothing();
    void guessingAtATileIsLockedOut_data();
    void guessingAtATileIsLockedOut();
};

void TstAccountsEndToEnd::moneyAndTimeCustomers() {
    Cafe cafe;
    QVERIFY(cafe.start());
    store::run(cafe.db(), QStringLiteral("UPDATE opciones SET tick_cargo = 1, tick_aviso = 1, iva_gen = 2"));
    const QDate today = cafe.te.clock.now().date();

    cafe.tile(1).queueLogin(QStringLiteral("10001"), QStringLiteral("1111"));
    cafe.tile(2).queueLogin(QStringLiteral("10004"), QStringLiteral("4444"));
    QVERIFY(cafe.round());
    QCOMPARE(cafe.rec(1).estado, Estado::Contador);
    QCOMPARE(cafe.rec(1).accountLogin, QStringLiteral("10001"));
    QCOMPARE(cafe.rec(2).estado, Estado::Prepago);
    QCOMPARE(cafe.rec(2).accountLogin, QStringLiteral("10004"));
    QVERIFY(cafe.te.engine->puestos().loginsInUse().contains(QStringLiteral("10001")));

    // A coffee and a soft drink served at station 1 go on its ticket.
    store::Ticket t;
    t.NPUESTO = 1;
    t.IMPORTE = Currency::fromCents(250);
    t = sales::NuevoNumeroTicket(cafe.db(), t, cafe.te.clock.now());
    for (auto [article, cents] : {std::pair{"Café", 100}, std::pair{"Refresco lata", 150}}) {
        store::LinTick line;
        line.ID_TICK = t.ID_TICK;
        line.ARTICULO = QString::fromUtf8(article);
        line.CANT = 1;
        line.PRECIO = line.IMPORTE = Currency::fromCents(cents);
        line.IdTax = 2;
        sales::addLine(cafe.db(), line);
    }
    QVERIFY(sales::attachTicket(cafe.rec(1), t.NUM_TICKET).ok());

    // Fifty minutes of play, polled once a minute.
    for (int minute = 0; minute < 50; ++minute)
        QVERIFY(cafe.round(60000));
    cafe.tile(1).queueLogout();
    cafe.tile(2).queueLogout();
    QVERIFY(cafe.round());
    const QDateTime settled = cafe.te.clock.now();

    // What the tiles were told last, before they logged out.
    const velkarsim::PollState& money = cafe.tile(1).lastPoll();
    QCOMPARE(money.stateWord, QStringLiteral("OCUPADO"));
    QCOMPARE(money.login, QStringLiteral("10001"));
    QCOMPARE(money.time, QStringLiteral("0:50:00"));
    QCOMPARE(money.cost, QStringLiteral("1,00 €"));
    QCOMPARE(money.balance, QStringLiteral("9,00 €"));
    const velkarsim::PollState& time = cafe.tile(2).lastPoll();
    QCOMPARE(time.stateWord, QStringLiteral("PREPAGO"));
    QCOMPARE(time.time, QStringLiteral("0:50:00"));
    QCOMPARE(time.balance, QStringLiteral("2:10:00"));

    QCOMPARE(cafe.rec(1).estado, Estado::Libre);
    QCOMPARE(cafe.rec(2).estado, Estado::Libre);
    QVERIFY(cafe.te.engine->puestos().loginsInUse().isEmpty());

    // The ticket first, then the use, each from the balance the previous one left.
    const std::vector<store::MovCuenta> m = cafe.movements();
    QCOMPARE(m.size(), size_t(3));
    QCOMPARE(m[0].CUENTA, QStringLiteral("10001"));
    QCOMPARE(m[0].CONCEPTO, QStringLiteral("TICKET: ") + t.NUM_TICKET);
    QCOMPARE(m[0].TICKET, QString());
    QCOMPARE(m[0].SALDO_ANT, Currency::fromCents(1000));
    QCOMPARE(m[0].SALDO_MOV, Currency::fromCents(-250));
    QCOMPARE(m[0].SALDO_FIN, Currency::fromCents(750));
    QCOMPARE(m[1].CUENTA, QStringLiteral("10001"));
    QCOMPARE(m[1].CONCEPTO, QStringLiteral("PUESTO 1  0:50:00"));
    QCOMPARE(m[1].SALDO_ANT, Currency::fromCents(750));
    QCOMPARE(m[1].SALDO_MOV, Currency::fromCents(-100));
    QCOMPARE(m[1].SALDO_FIN, Currency::fromCents(650));
    QCOMPARE(m[1].saldoti_ant_bono, std::nullopt);
    QCOMPARE(m[2].CUENTA, QStringLiteral("10004"));
    QCOMPARE(m[2].CONCEPTO, QStringLiteral("PUESTO 2  0:50:00"));
    QCOMPARE(m[2].SALDOTI_MOV, QStringLiteral("-0:50:00"));
    QCOMPARE(m[2].saldoti_ant_bono, std::optional<int>(10800));
    QCOMPARE(m[2].saldoti_fin_bono, std::optional<int>(7800));
    for (const store::MovCuenta& mov : m) {
        QCOMPARE(mov.FECHA, settled.date());
        QCOMPARE(mov.HORA, settled.time());
        QCOMPARE(mov.CONTA, false);
    }

    const store::Cuenta lucia = cafe.cuenta(QStringLiteral("10001"));
    QCOMPARE(lucia.credito, Currency::fromCents(650));
    QCOMPARE(lucia.Bonotiempo, 0);
    QCOMPARE(lucia.Ultima, today);
    const store::Cuenta javier = cafe.cuenta(QStringLiteral("10004"));
    QCOMPARE(javier.Bonotiempo, 7800);
    QCOMPARE(javier.credito, Currency());
    QCOMPARE(javier.Ultima, today);

    // The station's ticket was charged to the account; account periods issue no ticket.
    const store::Ticket charged = *sales::ticketById(cafe.db(), t.ID_TICK);
    QCOMPARE(charged.IMPORTE, Currency());
    QCOMPARE(charged.OBSERVACIONES, QStringLiteral("A CUENTA: 10001"));
    const std::vector<store::LinTick> lines = sales::lines(cafe.db(), t.ID_TICK);
    QCOMPARE(lines.size(), size_t(3));
    QCOMPARE(lines[2].ARTICULO, QStringLiteral("A CUENTA: 10001"));
    QCOMPARE(lines[2].CANT, 1.0);
    QCOMPARE(lines[2].PRECIO, Currency::fromCents(-250));
    QCOMPARE(lines[2].IMPORTE, Currency::fromCents(-250));
    QCOMPARE(lines[2].IdTax, 2);
    QCOMPARE(cafe.count(QStringLiteral("ticket")), 1);

    station::MessageQueueModel& queue = cafe.te.engine->mensajes();
    QCOMPARE(queue.rowCount(), 1);
    QCOMPARE(queue.at(0).station, 1);
    QCOMPARE(queue.at(0).text, QStringLiteral("[System]: 10001 ha finalizado con ticket: ") + t.NUM_TICKET);

    const std::vector<store::Ciber> records =
        store::select<store::Ciber>(cafe.db(), QStringLiteral("ORDER BY NPUESTO"));
    QCOMPARE(records.size(), size_t(2));
    QCOMPARE(records[0].CLIENTE, QStringLiteral("10001"));
    QCOMPARE(records[0].NPUESTO, 1);
    QCOMPARE(records[0].MODALIDAD, QStringLiteral("CONTADOR"));
    QCOMPARE(records[0].TARIFA, QStringLiteral("NORMAL"));
    QCOMPARE(records[0].NUM_TICKET, t.NUM_TICKET);
    QCOMPARE(records[0].TIEMPO, 3000);
    QCOMPARE(records[1].CLIENTE, QStringLiteral("10004"));
    QCOMPARE(records[1].NPUESTO, 2);
    QCOMPARE(records[1].MODALIDAD, QStringLiteral("PREPAGO"));
    QCOMPARE(records[1].TARIFA, QStringLiteral("BONO TIEMPO"));
    QCOMPARE(records[1].NUM_TICKET, QString());
    QCOMPARE(records[1].TIEMPO, 3000);
    for (const store::Ciber& r : records) {
        QCOMPARE(r.FECHA, today);
        QCOMPARE(r.OPERADOR, QStringLiteral("CAJA"));
    }

    // The tiles hear they are free; nothing is booked twice; the account logs in again.
    QVERIFY(cafe.round());
    QCOMPARE(cafe.tile(1).lastPoll().stateWord, QStringLiteral("LIBRE"));
    QCOMPARE(cafe.tile(1).lastPoll().login, QString());
    QCOMPARE(cafe.tile(2).lastPoll().stateWord, QStringLiteral("LIBRE"));
    QCOMPARE(cafe.rec(1).ticketNumber, QString());
    cafe.tile(3).queueLogin(QStringLiteral("10001"), QStringLiteral("1111"));
    QVERIFY(cafe.round());
    QCOMPARE(cafe.rec(3).estado, Estado::Contador);
    QCOMPARE(cafe.rec(3).moneyCredit, Currency::fromCents(650));
    QCOMPARE(cafe.movements().size(), size_t(3));
    QCOMPARE(cafe.count(QStringLiteral("ciber")), 2);
}

// What the README's table of demo accounts promises a tile shows at log-in.
void TstAccountsEndToEnd::readmeDemoAccounts_data() {
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("stateWord");
    QTest::addColumn<QString>("balance");
    // A money account's balance is its credit less the tariff's minimum charge.
    QTest::newRow("10001 money") << "10001"
                                 << "1111"
                                 << "OCUPADO"
                                 << "9,50 €";
    QTest::newRow("10002 student") << "10002"
                                   << "2222"
                                   << "OCUPADO"
                                   << "4,20 €";
    QTest::newRow("10003 time bands") << "10003"
                                      << "3333"
                                      << "OCUPADO"
                                      << "7,50 €";
    QTest::newRow("10004 time credit") << "10004"
                                       << "4444"
                                       << "PREPAGO"
                                       << "3:00:00";
    QTest::newRow("10005 time credit") << "10005"
                                       << "5555"
                                       << "PREPAGO"
                                       << "1:00:00";
    QTest::newRow("90001 code") << "90001"
                                << "7777"
                                << "PREPAGO"
                                << "0:30:00";
    QTest::newRow("90002 code") << "90002"
                                << "8888"
                                << "PREPAGO"
                                << "2:00:00";
}

void TstAccountsEndToEnd::readmeDemoAccounts() {
    QFETCH(QString, login);
    QFETCH(QString, password);
    QFETCH(QString, stateWord);
    QFETCH(QString, balance);
    Cafe cafe;
    QVERIFY(cafe.start());
    // The demo's codes were sold yesterday and today.
    const QDate today = cafe.te.clock.now().date();
    store::run(cafe.db(), QStringLiteral("UPDATE cuentas SET Alta = ?, Ultima = ? WHERE Tipo = '9'"),
               {today.addDays(-1), today.addDays(-1)});
    cafe.tile(1).queueLogin(login, password);
    QVERIFY(cafe.round());
    QVERIFY(cafe.round());
    QCOMPARE(cafe.tile(1).lastRefusalCode().value_or(-1), -1);
    QCOMPARE(cafe.tile(1).lastPoll().stateWord, stateWord);
    QCOMPARE(cafe.tile(1).lastPoll().balance, balance);
    // The same login at another tile: in use, code 5.
    cafe.tile(2).queueLogin(login, password);
    QVERIFY(cafe.round());
    QVERIFY(cafe.round());
    QCOMPARE(cafe.tile(2).lastRefusalCode(), std::optional<int>(5));
}

void TstAccountsEndToEnd::refusedAtTheTile_data() {
    // The tile's reply as bytes on the wire (Windows-1252), after "CLI" and its tab.
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("code");
    QTest::newRow("wrong password") << QByteArray("10001\t1112") << 1;
    QTest::newRow("password with a blank") << QByteArray("10001\t1111 ") << 1;
    QTest::newRow("tab inside the password") << QByteArray("10001\t1111\t") << 1;
    QTest::newRow("no such login") << QByteArray("10099\t1111") << 2;
    QTest::newRow("no tab at all") << QByteArray("10001") << 1;
    QTest::newRow("bytes above 0x7F") << QByteArray("\xe9\xff\x80\t1111") << 2;
    QTest::newRow("quote and wildcard") << QByteArray("1000%' OR '1'='1\tx") << 2;
    QTest::newRow("deactivated") << QByteArray("10007\t7777") << 3;
    QTest::newRow("expired") << QByteArray("10008\t8888") << 13;
    QTest::newRow("first password to choose") << QByteArray("10006\t") << 21;
}

void TstAccountsEndToEnd::refusedAtTheTile() {
    QFETCH(QByteArray, request);
    QFETCH(int, code);
    Cafe cafe;
    QVERIFY(cafe.start());
    const std::vector<store::Cuenta> before = store::select<store::Cuenta>(cafe.db(), QStringLiteral(""));

    QVERIFY(cafe.tile(1).queue("CLI\t" + request));
    QVERIFY(cafe.round());
    QCOMPARE(cafe.rec(1).estado, Estado::Libre);
    QVERIFY(cafe.rec(1).accountLogin.isEmpty());
    // The refusal goes out with the next exchange.
    QVERIFY(cafe.round());
    QCOMPARE(cafe.tile(1).lastRefusalCode(), std::optional<int>(code));
    QCOMPARE(cafe.tile(1).mustSetPassword(), code == 21);

    QVERIFY(cafe.te.engine->puestos().loginsInUse().isEmpty());
    QCOMPARE(store::select<store::Cuenta>(cafe.db(), QStringLiteral("")), before);
    QCOMPARE(cafe.count(QStringLiteral("movcuentas")), 0);
}

void TstAccountsEndToEnd::sameLoginAtTwoTilesInOneInterval() {
    Cafe cafe;
    QVERIFY(cafe.start());
    cafe.tile(3).queueLogin(QStringLiteral("10002"), QStringLiteral("2222"));
    cafe.tile(4).queueLogin(QStringLiteral("10002"), QStringLiteral("2222"));
    QVERIFY(cafe.round());
    const bool threeWon = cafe.rec(3).occupied();
    QVERIFY(threeWon != cafe.rec(4).occupied());
    const int winner = threeWon ? 3 : 4;
    const int loser = threeWon ? 4 : 3;
    QCOMPARE(cafe.rec(winner).accountLogin, QStringLiteral("10002"));
    QVERIFY(cafe.rec(loser).accountLogin.isEmpty());

    QVERIFY(cafe.round());
    QCOMPARE(cafe.tile(loser).lastRefusalCode(), std::optional<int>(5));
    QCOMPARE(cafe.tile(winner).lastRefusalCode(), std::nullopt);
    QCOMPARE(cafe.tile(winner).lastPoll().stateWord, QStringLiteral("OCUPADO"));
    QCOMPARE(cafe.tile(winner).lastPoll().login, QStringLiteral("10002"));

    // The winner's log-out frees the login for the other tile.
    cafe.tile(winner).queueLogout();
    QVERIFY(cafe.round());
    cafe.tile(loser).queueLogin(QStringLiteral("10002"), QStringLiteral("2222"));
    QVERIFY(cafe.round());
    QCOMPARE(cafe.rec(loser).accountLogin, QStringLiteral("10002"));
    QCOMPARE(cafe.movements().size(), size_t(1));
}

void TstAccountsEndToEnd::passwordsChosenAtTheTile() {
    Cafe cafe;
    QVERIFY(cafe.start());
    // Code 21, then the first password: "SETPASS" with flag 1, answered 11.
    cafe.tile(1).queueLogin(QStringLiteral("10006"), QStringLiteral("cualquiera"));
    QVERIFY(cafe.round());
    QVERIFY(cafe.round());
    QVERIFY(cafe.tile(1).mustSetPassword());
    cafe.tile(1).queueSetPassword(QStringLiteral("nueva"));
    QVERIFY(cafe.round());
    QVERIFY(cafe.round());
    QCOMPARE(cafe.tile(1).lastSetPassResult(), QStringLiteral("11"));
    store::Cuenta pablo = cafe.cuenta(QStringLiteral("10006"));
    QCOMPARE(pablo.Pass, QStringLiteral("nueva"));
    QVERIFY(!pablo.Intropass);

    cafe.tile(1).queueLogin(QStringLiteral("10006"), QStringLiteral("nueva"));
    QVERIFY(cafe.round());
    QCOMPARE(cafe.rec(1).accountLogin, QStringLiteral("10006"));

    // Logged in: a password too long for the table is refused, a good one kept.
    cafe.tile(1).queueSetPassword(QStringLiteral("demasiadola"));
    QVERIFY(cafe.round());
    QVERIFY(cafe.round());
    QCOMPARE(cafe.tile(1).lastSetPassResult(), QStringLiteral("0"));
    QCOMPARE(cafe.cuenta(QStringLiteral("10006")).Pass, QStringLiteral("nueva"));
    cafe.tile(1).queueSetPassword(QStringLiteral("otra"));
    QVERIFY(cafe.round());
    QVERIFY(cafe.round());
    QCOMPARE(cafe.tile(1).lastSetPassResult(), QStringLiteral("1"));
    QCOMPARE(cafe.cuenta(QStringLiteral("10006")).Pass, QStringLiteral("otra"));
    QVERIFY(cafe.round());
    QCOMPARE(cafe.tile(1).lastPoll().password, QStringLiteral("otra"));

    // An account that may not change its password keeps it.
    cafe.tile(2).queueLogin(QStringLiteral("10005"), QStringLiteral("5555"));
    QVERIFY(cafe.round());
    cafe.tile(2).queueSetPassword(QStringLiteral("mia"));
    QVERIFY(cafe.round());
    QVERIFY(cafe.round());
    QCOMPARE(cafe.tile(2).lastSetPassResult(), QStringLiteral("0"));
    QCOMPARE(cafe.cuenta(QStringLiteral("10005")).Pass, QStringLiteral("5555"));
    QCOMPARE(cafe.tile(2).lastPoll().noPasswordChange, QStringLiteral("1"));
}

// A station in use that sends another log-in (a tampered station program)
// keeps its customer; the other account is never touched.
void TstAccountsEndToEnd::busyStationKeepsItsPeriod() {
    Cafe cafe;
    QVERIFY(cafe.start());
    cafe.tile(1).queueLogin(QStringLiteral("10001"), QStringLiteral("1111"));
    QVERIFY(cafe.round());
    QCOMPARE(cafe.rec(1).accountLogin, QStringLiteral("10001"));
    const store::Cuenta other = cafe.cuenta(QStringLiteral("10004"));

    QVERIFY(cafe.tile(1).queue("CLI\t10004\t4444"));
    QVERIFY(cafe.round(60000));
    QVERIFY(cafe.round());
    QCOMPARE(cafe.rec(1).estado, Estado::Contador);
    QCOMPARE(cafe.rec(1).accountLogin, QStringLiteral("10001"));
    QVERIFY(!cafe.te.engine->puestos().loginsInUse().contains(QStringLiteral("10004")));
    QCOMPARE(cafe.tile(1).lastRefusalCode().value_or(-1), -1);

    cafe.tile(1).queueLogout();
    QVERIFY(cafe.round());
    const std::vector<store::MovCuenta> m = cafe.movements();
    QCOMPARE(m.size(), size_t(1));
    QCOMPARE(m[0].CUENTA, QStringLiteral("10001"));
    QCOMPARE(cafe.cuenta(QStringLiteral("10004")), other);
}

// A backup program holds the database while customers come and go: no
// process is lost, nothing is booked while it lasts, nothing is billed for
// the time after the ends, and everything is booked once it lets go.
void TstAccountsEndToEnd::lockedDatabaseCostsNothing() {
    if (testserver::onServer())
        QSKIP("A file's lock: a server's backups never hold its writers");
    Cafe cafe;
    QVERIFY(cafe.start());
    // Our connection gives up fast on a lock; the console waits longer.
    QSqlQuery(cafe.db()).exec(QStringLiteral("PRAGMA busy_timeout = 50"));
    cafe.tile(1).queueLogin(QStringLiteral("10001"), QStringLiteral("1111"));
    cafe.tile(2).queueLogin(QStringLiteral("10004"), QStringLiteral("4444"));
    QVERIFY(cafe.round());
    for (int minute = 0; minute < 10; ++minute)
        QVERIFY(cafe.round(60000));

    QSqlDatabase backup = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("backup"));
    backup.setDatabaseName(cafe.te.db.path);
    QVERIFY(backup.open());
    QSqlQuery hold(backup);
    QVERIFY(hold.exec(QStringLiteral("BEGIN IMMEDIATE")));
    QVERIFY(hold.exec(QStringLiteral("UPDATE opciones SET NUM_TICK = NUM_TICK")));

    cafe.tile(1).queueLogout();
    cafe.tile(2).queueLogout();
    cafe.tile(3).queueLogin(QStringLiteral("10002"), QStringLiteral("2222"));
    QVERIFY(cafe.round());
    const Currency cost = cafe.rec(1).cost;
    for (int i = 0; i < 3; ++i)
        QVERIFY(cafe.round(60000));
    ListaPuestos& lista = cafe.te.engine->puestos();
    QVERIFY(!lista.saveError().isEmpty());
    QVERIFY(cafe.rec(1).bookingPending());
    QVERIFY(cafe.rec(2).bookingPending());
    QCOMPARE(cafe.rec(1).cost, cost);
    // The log-in was not refused: it waits for the database.
    QCOMPARE(cafe.rec(3).estado, Estado::Libre);
    QCOMPARE(cafe.tile(3).lastRefusalCode(), std::optional<int>());
    QCOMPARE(cafe.count(QStringLiteral("movcuentas")), 0);

    QVERIFY(hold.exec(QStringLiteral("COMMIT")));
    hold = QSqlQuery();
    backup.close();
    backup = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("backup"));
    cafe.tile(3).queueLogin(QStringLiteral("10002"), QStringLiteral("2222"));
    QVERIFY(cafe.round());
    QVERIFY(cafe.round());
    QVERIFY(lista.saveError().isEmpty());
    QCOMPARE(cafe.rec(1).estado, Estado::Libre);
    QVERIFY(!cafe.rec(1).bookingPending());
    QVERIFY(!cafe.rec(2).bookingPending());
    QCOMPARE(cafe.rec(3).accountLogin, QStringLiteral("10002"));
    // Ten minutes each, booked once.
    const std::vector<store::MovCuenta> m = cafe.movements();
    QCOMPARE(m.size(), size_t(2));
    QCOMPARE(m[0].SALDO_MOV + m[1].SALDO_MOV, -cost);
    QCOMPARE(cafe.cuenta(QStringLiteral("10004")).Bonotiempo, 10800 - 600);
    QCOMPARE(cafe.count(QStringLiteral("ciber")), 2);
}

// The account's notice reaches the customer once, as a message, right after
// the poll that told the station it is occupied, and shows in the queue.
void TstAccountsEndToEnd::noticeAfterTheOccupiedPoll() {
    Cafe cafe;
    QVERIFY(cafe.start());
    cafe.tile(2).queueLogin(QStringLiteral("10005"), QStringLiteral("5555"));
    QVERIFY(cafe.round());
    QCOMPARE(cafe.rec(2).estado, Estado::Prepago);
    QVERIFY(cafe.round());
    QCOMPARE(cafe.tile(2).lastPoll().stateWord, QStringLiteral("PREPAGO"));
    QVERIFY(cafe.tile(2).lastMessage().isEmpty());
    QVERIFY(cafe.round());
    QCOMPARE(cafe.tile(2).lastMessage(), QStringLiteral("Recuerde renovar su bono"));
    const station::MessageQueueModel& queue = cafe.te.engine->mensajes();
    QCOMPARE(queue.rowCount(), 1);
    QCOMPARE(queue.at(0).station, 2);
    QCOMPARE(queue.at(0).text, QStringLiteral("[Send]: Recuerde renovar su bono"));
    // Once: the polls go on.
    QVERIFY(cafe.round());
    QVERIFY(cafe.round());
    QCOMPARE(queue.rowCount(), 1);
    QCOMPARE(cafe.tile(2).lastPoll().stateWord, QStringLiteral("PREPAGO"));
}

void TstAccountsEndToEnd::guessingAtATileIsLockedOut_data() {
    QTest::addColumn<QStringList>("logins");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("line");
    // A script guessing one customer's 4-digit password, and one trying
    // logins one after another.
    QStringList one;
    for (int i = 0; i < 5; ++i)
        one << QStringLiteral("10001\t%1").arg(2000 + i);
    QTest::newRow("one login, five passwords")
        << one << 1
        << QStringLiteral("[System]: La cuenta 10001 queda bloqueada 15 min tras 5 contraseñas erróneas.");
    QStringList many;
    for (int i = 0; i < 20; ++i)
        many << QStringLiteral("%1\t1111").arg(20001 + i);
    QTest::newRow("twenty logins at one tile")
        << many << 2
        << QStringLiteral("[System]: El puesto 1 no admite accesos durante 5 min tras 20 intentos fallidos.");
}

void TstAccountsEndToEnd::guessingAtATileIsLockedOut() {
    QFETCH(QStringList, logins);
    QFETCH(int, code);
    QFETCH(QString, line);
    Cafe cafe;
    QVERIFY(cafe.start());
    const auto attempt = [&](const QString& request) {
        const QStringList parts = request.split(QLatin1Char('\t'));
        return cafe.tile(1).queueLogin(parts.at(0), parts.at(1)) && cafe.round() && cafe.round();
    };
    for (const QString& request : logins) {
        QVERIFY(attempt(request));
        QCOMPARE(cafe.tile(1).lastRefusalCode(), std::optional<int>(code));
    }
    const station::MessageQueueModel& queue = cafe.te.engine->mensajes();
    QCOMPARE(queue.rowCount(), 1);
    QCOMPARE(queue.at(0).station, 1);
    QCOMPARE(queue.at(0).text, line);
    // The customer's own password gets the same answer as a guess now.
    QVERIFY(attempt(QStringLiteral("10001\t1111")));
    QCOMPARE(cafe.tile(1).lastRefusalCode(), std::optional<int>(1));
    QCOMPARE(cafe.rec(1).estado, Estado::Libre);
    QCOMPARE(queue.rowCount(), 1);
    // Another tile, another customer: untouched.
    cafe.tile(2).queueLogin(QStringLiteral("10002"), QStringLiteral("2222"));
    QVERIFY(cafe.round());
    QCOMPARE(cafe.rec(2).estado, Estado::Contador);
}

QTEST_GUILESS_MAIN(TstAccountsEndToEnd)
#include "tst_accountsendtoend.moc"
