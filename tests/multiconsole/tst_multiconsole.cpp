// Several consoles on one PostgreSQL database: real console processes
// (headless) on a database of the test cluster, with their stations played
// by the simulator in this process. Logins raced at two consoles, a console
// killed with periods running, a console cut from its server, and random
// kills over three consoles; after each, every period is booked at most
// once, every balance is the sum of its movements, and every login in use is
// claimed exactly where it runs.
#include "sim/simulator.h"
#include "station/listapuestos.h"
#include "station/stationaddress.h"
#include "store/consolas.h"
#include "store/datamodule.h"
#include "store/newdatabase.h"
#include "store/sql.h"
#include "store/transaction.h"
#include "support/loopback.h"
#include "support/pgrelay.h"
#include "support/testserver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <csignal>

namespace {

// The take-over delay of these tests, seconds: the shortest a café can set.
constexpr int DelaySeconds = 5;
constexpr qint64 StartingCredit = 1000000; // 100.00

int envCount(const char* name, int fallback) {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

// One headless console process and what it printed.
class Console {
public:
    Console(QString name, QString uri, QString home)
        : m_name(std::move(name))
        , m_uri(std::move(uri))
        , m_home(std::move(home)) {}
    ~Console() { kill(); }

    const QString& name() const { return m_name; }

    bool start() {
        m_lines.clear();
        m_buffer.clear();
        m_process = std::make_unique<QProcess>();
        m_process->setProcessChannelMode(QProcess::SeparateChannels);
        m_process->setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        QObject::connect(m_process.get(), &QProcess::readyReadStandardOutput, [this] { read(); });
        QObject::connect(m_process.get(), &QProcess::readyReadStandardError, [this] {
            const QByteArray err = m_process->readAllStandardError();
            qInfo("%s: %s", qPrintable(m_name), err.trimmed().constData());
        });
        QObject::connect(m_process.get(), &QProcess::finished, [this](int code, QProcess::ExitStatus status) {
            if (qEnvironmentVariableIsSet("QUINTOR_MULTICONSOLE_LOG"))
                qInfo("%s ended: %d %s", qPrintable(m_name), code,
                      status == QProcess::CrashExit ? "crashed" : "exited");
        });
        m_process->start(qEnvironmentVariable("QUINTOR_BIN"),
                         {QStringLiteral("--headless"), QStringLiteral("--home"), m_home,
                          QStringLiteral("--database"), m_uri, QStringLiteral("--console"), m_name});
        return waitFor(QStringLiteral("lista "), 15000);
    }

    bool running() const { return m_process && m_process->state() != QProcess::NotRunning; }

    void kill() {
        if (!running())
            return;
        ::kill(pid_t(m_process->processId()), SIGKILL);
        m_process->waitForFinished(5000);
    }

    bool stop() {
        if (!running())
            return true;
        ::kill(pid_t(m_process->processId()), SIGTERM);
        return waitFor(QStringLiteral("fin"), 20000) && QTest::qWaitFor([&] { return !running(); }, 10000) &&
               m_process->exitStatus() == QProcess::NormalExit && m_process->exitCode() == 0;
    }

    // The first line from index from on that starts with prefix, waiting
    // for it; its index, or -1.
    int waitForIndex(const QString& prefix, int ms, int from = 0) {
        int found = -1;
        (void)QTest::qWaitFor(
            [&] {
                for (int i = from; i < m_lines.size(); ++i) {
                    if (m_lines.at(i).first.startsWith(prefix)) {
                        found = i;
                        return true;
                    }
                }
                return !running();
            },
            ms);
        return found;
    }
    bool waitFor(const QString& prefix, int ms, int from = 0) { return waitForIndex(prefix, ms, from) >= 0; }
    int lineCount() const { return int(m_lines.size()); }
    const QString& line(int i) const { return m_lines.at(i).first; }
    // When this process printed line i, on the test's clock.
    qint64 lineAt(int i) const { return m_lines.at(i).second; }

    static QElapsedTimer& clock() {
        static QElapsedTimer timer;
        if (!timer.isValid())
            timer.start();
        return timer;
    }

private:
    void read() {
        m_buffer += m_process->readAllStandardOutput();
        for (qsizetype end = m_buffer.indexOf('\n'); end >= 0; end = m_buffer.indexOf('\n')) {
            const QString text = QString::fromUtf8(m_buffer.left(end));
            m_buffer.remove(0, end + 1);
            m_lines.append({text, clock().elapsed()});
            if (qEnvironmentVariableIsSet("QUINTOR_MULTICONSOLE_LOG"))
                qInfo("%s: %s", qPrintable(m_name), qPrintable(text));
        }
    }

    QString m_name;
    QString m_uri;
    QString m_home;
    std::unique_ptr<QProcess> m_process;
    QByteArray m_buffer;
    QList<std::pair<QString, qint64>> m_lines;
};

// A database of the cluster with stations on the simulator's addresses,
// owned by the consoles named in owners (one name per station), and
// accounts that each serve one period only, so a period is its account.
class Cafe {
public:
    Cafe(const QStringList& owners, const QString& uri = testserver::newDatabase())
        : m_uri(uri) {
        Console::clock();
        if (!store::createDatabase(m_uri, true))
            qFatal("cannot create the database");
        if (!m_data.open(m_uri))
            qFatal("cannot open the database");
        const QSqlDatabase db = m_data.db();
        const QDate today = QDate::currentDate();
        store::run(db, QStringLiteral("DELETE FROM puestos"));
        store::run(db, QStringLiteral("UPDATE opciones SET esperatoma = ?, ping = 1"), {DelaySeconds});
        m_base = loopbackBase(77);
        m_sim.setPort(station::StationPort);
        m_sim.setListenPolicy(velkarsim::Simulator::ListenPolicy::Always);
        for (int i = 0; i < owners.size(); ++i) {
            const QHostAddress address = station::loopbackStationAddress(m_base, i);
            store::run(db,
                       QStringLiteral(
                           "INSERT INTO puestos (npuesto, ip, host, CONSOLA, EPOCA) VALUES (?, ?, '', ?, 1)"),
                       {i + 1, address.toString(), owners.at(i)});
            m_sim.addStation(i + 1, address);
        }
        store::Transaction t(db);
        for (int i = 1; i <= 2000; ++i)
            store::run(
                db,
                QStringLiteral("INSERT INTO cuentas (Login, Pass, Alta, Ultima, Tipo, Tarifa, credito) "
                               "VALUES (?, '1', ?, ?, '0', 'NORMAL', ?)"),
                {account(i), store::sqlValue(today.addDays(-10)), store::sqlValue(today.addDays(-1)),
                 StartingCredit});
        t.commit();
        QString error;
        if (!m_sim.start(&error))
            qFatal("%s", qPrintable(error));
    }
    ~Cafe() {
        for (auto& c : m_consoles)
            c->kill();
        m_consoles.clear();
        m_data.close();
        testserver::dropDatabase(m_uri);
    }

    static QString account(int i) { return QStringLiteral("m%1").arg(i, 4, 10, QLatin1Char('0')); }
    QString nextAccount() { return account(++m_accounts); }

    Console& add(const QString& name, const QString& uri = QString()) {
        m_consoles.push_back(std::make_unique<Console>(name, uri.isEmpty() ? m_uri : uri,
                                                       m_homes.path() + QLatin1Char('/') + name));
        QDir().mkpath(m_homes.path() + QLatin1Char('/') + name);
        return *m_consoles.back();
    }
    Console& console(int i) { return *m_consoles.at(size_t(i)); }
    int consoleCount() const { return int(m_consoles.size()); }

    velkarsim::StationModel& tile(int number) { return m_sim.station(m_sim.indexOfNumber(number)); }
    int stations() const { return m_sim.count(); }
    QSqlDatabase db() const { return m_data.db(); }
    const QString& uri() const { return m_uri; }

    // The logins the stations have shown running so far.
    void observe() {
        for (int i = 0; i < m_sim.count(); ++i) {
            const velkarsim::StationModel& s = m_sim.station(i);
            if (s.customerLoggedIn())
                m_seen.insert(s.lastPoll().login);
        }
    }
    const QSet<QString>& seen() const { return m_seen; }

    QString cuenta(int number) const {
        return store::toText(
            store::scalar(db(), QStringLiteral("SELECT cuenta FROM puestos WHERE npuesto = ?"), {number}));
    }
    int bookings(const QString& login) const {
        return store::toInt(
            store::scalar(db(), QStringLiteral("SELECT COUNT(*) FROM ciber WHERE CLIENTE = ?"), {login}));
    }

    // Every station logged out, until every row is free and every login
    // released: whatever ran is booked.
    bool settle(int ms) {
        return QTest::qWaitFor(
            [&] {
                observe();
                for (int i = 0; i < m_sim.count(); ++i) {
                    velkarsim::StationModel& s = m_sim.station(i);
                    if (s.customerLoggedIn() && !s.hasQueuedReplies())
                        s.queueLogout();
                }
                return store::toInt(store::scalar(
                           db(),
                           QStringLiteral("SELECT COUNT(*) FROM puestos WHERE COALESCE(cuenta, '') <> '' OR "
                                          "estado <> 1"))) == 0 &&
                       store::toInt(
                           store::scalar(db(), QStringLiteral("SELECT COUNT(*) FROM logins_en_uso"))) == 0;
            },
            ms);
    }

    // What must hold at any instant, read in one snapshot: no period booked
    // twice, every balance the sum of its movements, each settlement with
    // its activity record, every login in use claimed where it runs and
    // nowhere else.
    QString invariants() const {
        const QSqlDatabase d = db();
        store::run(d, QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ"));
        const auto first = [&](const QString& sql) {
            QSqlQuery q = store::run(d, sql);
            return q.next() ? q.value(0).toString() : QString();
        };
        QString why;
        if (const QString twice = first(QStringLiteral(
                "SELECT CLIENTE FROM ciber WHERE CLIENTE LIKE 'm%' GROUP BY CLIENTE HAVING COUNT(*) > 1"));
            !twice.isEmpty())
            why = QStringLiteral("booked twice: ") + twice;
        else if (const QString balance =
                     first(QStringLiteral("SELECT Login FROM cuentas c WHERE Login LIKE 'm%' AND credito <> "
                                          "%1 + COALESCE((SELECT "
                                          "SUM(SALDO_MOV) FROM movcuentas m WHERE m.CUENTA = c.Login), 0)")
                               .arg(StartingCredit));
                 !balance.isEmpty())
            why = QStringLiteral("balance apart from its movements: ") + balance;
        else if (
            const QString unmatched = first(QStringLiteral(
                "SELECT Login FROM cuentas c WHERE Login LIKE 'm%' AND (SELECT COUNT(*) FROM movcuentas m "
                "WHERE m.CUENTA = c.Login AND m.CONCEPTO LIKE 'PUESTO %') <> (SELECT COUNT(*) FROM ciber b "
                "WHERE b.CLIENTE = c.Login)"));
            !unmatched.isEmpty())
            why = QStringLiteral("settlement without its record: ") + unmatched;
        else if (const QString shared =
                     first(QStringLiteral("SELECT cuenta FROM puestos WHERE COALESCE(cuenta, '') <> '' GROUP "
                                          "BY cuenta HAVING COUNT(*) > 1"));
                 !shared.isEmpty())
            why = QStringLiteral("one login at two stations: ") + shared;
        else if (const QString orphan =
                     first(QStringLiteral("SELECT LOGIN FROM logins_en_uso l WHERE NOT EXISTS (SELECT 1 FROM "
                                          "puestos p WHERE p.npuesto = "
                                          "l.NPUESTO AND p.cuenta = l.LOGIN)"));
                 !orphan.isEmpty())
            why = QStringLiteral("claim without its station: ") + orphan;
        else if (const QString unclaimed = first(
                     QStringLiteral("SELECT cuenta FROM puestos p WHERE COALESCE(cuenta, '') <> '' AND NOT "
                                    "EXISTS (SELECT 1 FROM "
                                    "logins_en_uso l WHERE l.LOGIN = p.cuenta AND l.NPUESTO = p.npuesto)"));
                 !unclaimed.isEmpty())
            why = QStringLiteral("login running unclaimed: ") + unclaimed;
        store::run(d, QStringLiteral("COMMIT"));
        return why;
    }

    // The server sessions of the consoles now.
    QSet<int> sessions() const {
        QSet<int> pids;
        QSqlQuery q = store::run(db(), QStringLiteral("SELECT pid FROM pg_stat_activity WHERE datname = "
                                                      "current_database() AND pid <> pg_backend_pid()"));
        while (q.next())
            pids.insert(q.value(0).toInt());
        return pids;
    }
    // A killed console's session ends when the server notices; until then
    // its last COMMIT may still be landing.
    bool someEnded(const QSet<int>& before) const {
        return QTest::qWaitFor([&] { return (before - sessions()).size() > 0; }, 10000);
    }

private:
    QString m_uri;
    TDataModule1 m_data;
    QHostAddress m_base;
    velkarsim::Simulator m_sim;
    QTemporaryDir m_homes;
    std::vector<std::unique_ptr<Console>> m_consoles;
    QSet<QString> m_seen;
    int m_accounts = 0;
};

QStringList owners(std::initializer_list<std::pair<const char*, int>> spans) {
    QStringList list;
    for (const auto& [name, count] : spans)
        for (int i = 0; i < count; ++i)
            list << QString::fromLatin1(name);
    return list;
}

} // namespace

class TestMultiConsole : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void loginRace();
    void takeOverCarriesPeriods();
    void topUpElsewhereReachesStation();
    void cutConsoleFencesAndIsRefused();
    void randomKills();
};

void TestMultiConsole::initTestCase() {
    if (!testserver::onServer())
        QSKIP("several consoles share a server's database");
    QVERIFY(!qEnvironmentVariableIsEmpty("QUINTOR_BIN"));
}

void TestMultiConsole::loginRace() {
    Cafe cafe(owners({{"A", 1}, {"B", 1}}));
    QVERIFY(cafe.add(QStringLiteral("A")).start());
    QVERIFY(cafe.add(QStringLiteral("B")).start());
    const int rounds = envCount("QUINTOR_RACE_ROUNDS", 12);
    QRandomGenerator random(envCount("QUINTOR_RANDOM_SEED", 20261210));
    int firstWins = 0;
    for (int round = 0; round < rounds; ++round) {
        const QString login = cafe.nextAccount();
        // Within one poll of each other, in either order.
        const bool oneFirst = random.bounded(2) == 0;
        cafe.tile(oneFirst ? 1 : 2).queueLogin(login, QStringLiteral("1"));
        QTest::qWait(int(random.bounded(1000)));
        cafe.tile(oneFirst ? 2 : 1).queueLogin(login, QStringLiteral("1"));
        // Both stations have been answered: their queues are empty and one poll more went by.
        QVERIFY(QTest::qWaitFor(
            [&] { return !cafe.tile(1).hasQueuedReplies() && !cafe.tile(2).hasQueuedReplies(); }, 10000));
        QTest::qWait(2500);
        const bool at1 = cafe.cuenta(1) == login;
        const bool at2 = cafe.cuenta(2) == login;
        QVERIFY2(at1 != at2,
                 qPrintable(QStringLiteral("round %1: %2 at both or neither").arg(round).arg(login)));
        QCOMPARE(cafe.tile(at1 ? 1 : 2).lastPoll().login, login);
        QVERIFY(!cafe.tile(at1 ? 2 : 1).customerLoggedIn());
        firstWins += at1 ? 1 : 0;
        QVERIFY(cafe.settle(15000));
        QCOMPARE(cafe.bookings(login), 1);
    }
    QCOMPARE(cafe.invariants(), QString());
    qInfo("%d rounds: station 1 won %d", rounds, firstWins);
}

void TestMultiConsole::takeOverCarriesPeriods() {
    Cafe cafe(owners({{"A", 3}, {"B", 3}}));
    Console& a = cafe.add(QStringLiteral("A"));
    Console& b = cafe.add(QStringLiteral("B"));
    QVERIFY(a.start());
    QVERIFY(b.start());
    QStringList logins;
    for (int n = 1; n <= 3; ++n) {
        logins << cafe.nextAccount();
        cafe.tile(n).queueLogin(logins.last(), QStringLiteral("1"));
    }
    QVERIFY(QTest::qWaitFor(
        [&] {
            return cafe.cuenta(1) == logins[0] && cafe.cuenta(2) == logins[1] && cafe.cuenta(3) == logins[2];
        },
        10000));
    // Used for a while, and saved at least once meanwhile.
    QTest::qWait(3000);
    cafe.observe();
    qint64 saved = 0;
    for (int n = 1; n <= 3; ++n)
        saved += store::toInt(
            store::scalar(cafe.db(), QStringLiteral("SELECT tiempo FROM puestos WHERE npuesto = ?"), {n}));
    a.kill();
    const qint64 killedAt = Console::clock().elapsed();
    const int took = b.waitForIndex(QStringLiteral("tomados A: 1 2 3"), (DelaySeconds + 10) * 1000);
    QVERIFY2(took >= 0, "B never took A's stations");
    const qint64 after = b.lineAt(took) - killedAt;
    qInfo("taken over %lld ms after the kill (delay %d s)", after, DelaySeconds);
    QVERIFY(after <= (DelaySeconds + 5) * 1000);
    // The periods go on at B: still running, then booked once each.
    for (int n = 1; n <= 3; ++n)
        QCOMPARE(cafe.cuenta(n), logins[n - 1]);
    QCOMPARE(cafe.invariants(), QString());
    // The clocks go on at B from what A saved last.
    QTest::qWait(3000);
    QVERIFY(cafe.settle(20000));
    qint64 booked = 0;
    for (const QString& login : logins) {
        QCOMPARE(cafe.bookings(login), 1);
        booked += store::toInt(
            store::scalar(cafe.db(), QStringLiteral("SELECT TIEMPO FROM ciber WHERE CLIENTE = ?"), {login}));
    }
    QVERIFY2(booked >= saved + 3 * 2,
             qPrintable(QStringLiteral("%1 s booked, %2 s saved").arg(booked).arg(saved)));
    QCOMPARE(cafe.invariants(), QString());
    QVERIFY(b.stop());
}

void TestMultiConsole::topUpElsewhereReachesStation() {
    Cafe cafe(owners({{"A", 1}, {"B", 1}}));
    QVERIFY(cafe.add(QStringLiteral("A")).start());
    QVERIFY(cafe.add(QStringLiteral("B")).start());
    const QString login = cafe.nextAccount();
    cafe.tile(1).queueLogin(login, QStringLiteral("1"));
    QVERIFY(QTest::qWaitFor([&] { return cafe.tile(1).customerLoggedIn(); }, 10000));
    const QString before = cafe.tile(1).lastPoll().balance;
    // A top-up of 50.00 as another console books it: the movement and the relative credit.
    {
        store::Transaction t(cafe.db());
        store::run(cafe.db(),
                   QStringLiteral(
                       "INSERT INTO movcuentas (CUENTA, CONCEPTO, SALDO_ANT, SALDO_MOV, SALDO_FIN) VALUES "
                       "(?, 'RECARGA', ?, 500000, ?)"),
                   {login, StartingCredit, StartingCredit + 500000});
        store::run(cafe.db(), QStringLiteral("UPDATE cuentas SET credito = credito + 500000 WHERE Login = ?"),
                   {login});
        t.commit();
    }
    QVERIFY2(QTest::qWaitFor([&] { return cafe.tile(1).lastPoll().balance != before; }, 10000),
             qPrintable(before));
    // Its cost went on meanwhile, by a few cents at most.
    const double raised = cafe.tile(1).lastPoll().balance.toDouble() - before.toDouble();
    QVERIFY2(raised > 49.0 && raised <= 50.0, qPrintable(QString::number(raised)));
    QVERIFY(cafe.settle(15000));
    QCOMPARE(cafe.invariants(), QString());
}

void TestMultiConsole::cutConsoleFencesAndIsRefused() {
    Cafe cafe(owners({{"A", 2}, {"B", 1}}));
    PgRelay relay;
    const QString relayFolder =
        QDir::tempPath() + QStringLiteral("/quintor-relay-%1").arg(QCoreApplication::applicationPid());
    const QString cluster = qEnvironmentVariable("QUINTOR_TEST_PGHOST");
    QVERIFY(relay.start(relayFolder, cluster));
    const QString relayed = QString(cafe.uri()).replace(cluster, relayFolder);
    QVERIFY(relayed != cafe.uri());
    Console& a = cafe.add(QStringLiteral("A"), relayed);
    Console& b = cafe.add(QStringLiteral("B"));
    QVERIFY(a.start());
    QVERIFY(b.start());
    const QString login = cafe.nextAccount();
    cafe.tile(1).queueLogin(login, QStringLiteral("1"));
    QVERIFY(QTest::qWaitFor([&] { return cafe.cuenta(1) == login; }, 10000));
    const int epoch =
        store::toInt(store::scalar(cafe.db(), QStringLiteral("SELECT EPOCA FROM puestos WHERE npuesto = 1")));
    // Two heartbeats: A has seen B alive.
    QTest::qWait(2500);

    relay.setDown(true);
    const int fenced = a.waitForIndex(QStringLiteral("aislada"), DelaySeconds * 1000);
    QVERIFY2(fenced >= 0, "A went on polling without its lease");
    const int took = b.waitForIndex(QStringLiteral("tomados A: 1 2"), (DelaySeconds + 10) * 1000);
    QVERIFY2(took >= 0, "B never took A's stations");
    // A stopped polling before its lease ran out for B.
    QVERIFY(a.lineAt(fenced) < b.lineAt(took));

    // The customer goes on at B, and leaves there.
    cafe.tile(1).queueLogout();
    QVERIFY(QTest::qWaitFor([&] { return cafe.cuenta(1).isEmpty(); }, 10000));
    QCOMPARE(cafe.bookings(login), 1);

    // A write under the old epoch, as A would make it, is refused by the database.
    station::StationRecord stale;
    stale.epoch = epoch;
    bool refused = false;
    try {
        ListaPuestos::escribirFila(cafe.db(), 1, stale);
    } catch (const store::DatabaseError& e) {
        refused = e.notOwner();
    }
    QVERIFY(refused);

    // A comes back, finds its stations gone, and says so.
    relay.setDown(false);
    QVERIFY(a.waitFor(QStringLiteral("perdidos: 1 2"), 20000, fenced));
    QVERIFY(a.waitFor(QStringLiteral("reanudada"), 5000, fenced));
    QTest::qWait(2000);
    QCOMPARE(cafe.bookings(login), 1);
    QCOMPARE(cafe.invariants(), QString());
    QCOMPARE(store::toText(
                 store::scalar(cafe.db(), QStringLiteral("SELECT CONSOLA FROM puestos WHERE npuesto = 1"))),
             QStringLiteral("B"));
    QVERIFY(a.stop());
    QVERIFY(b.stop());
    QDir(relayFolder).removeRecursively();
}

void TestMultiConsole::randomKills() {
    Cafe cafe(owners({{"A", 3}, {"B", 3}, {"C", 3}}));
    for (const char* name : {"A", "B", "C"})
        QVERIFY(cafe.add(QString::fromLatin1(name)).start());
    QRandomGenerator random(envCount("QUINTOR_RANDOM_SEED", 20261210));
    const int kills = envCount("QUINTOR_RANDOM_KILLS", 10);
    const auto play = [&](int ms) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            cafe.observe();
            velkarsim::StationModel& s = cafe.tile(1 + int(random.bounded(cafe.stations())));
            if (!s.hasQueuedReplies()) {
                if (s.customerLoggedIn()) {
                    if (random.bounded(3) == 0)
                        s.queueLogout();
                } else if (s.lastPoll().seen && s.lastPoll().stateWord == QStringLiteral("LIBRE")) {
                    s.queueLogin(cafe.nextAccount(), QStringLiteral("1"));
                }
            }
            QTest::qWait(100);
        }
    };
    for (int k = 0; k < kills; ++k) {
        play(2000 + int(random.bounded(2000)));
        const int victim = int(random.bounded(cafe.consoleCount()));
        Console& dead = cafe.console(victim);
        const QSet<int> before = cafe.sessions();
        dead.kill();
        QVERIFY(cafe.someEnded(before));
        QCOMPARE(cafe.invariants(), QString());
        if (random.bounded(2) == 0) {
            // Back at once: it keeps what nobody took yet.
            QVERIFY(dead.start());
        } else {
            // Gone for longer than the delay: another console takes its
            // stations; back, it gets a few moved to it by hand.
            play((DelaySeconds + 3) * 1000);
            QVERIFY(dead.start());
            const QVariantList owned = [&] {
                QVariantList list;
                QSqlQuery q = store::run(cafe.db(),
                                         QStringLiteral("SELECT npuesto FROM puestos WHERE CONSOLA <> ? "
                                                        "ORDER BY npuesto"),
                                         {dead.name()});
                while (q.next())
                    list << q.value(0);
                return list;
            }();
            for (int i = 0; i < qMin(2, int(owned.size())); ++i)
                store::moverPuesto(cafe.db(), owned.at(int(random.bounded(int(owned.size())))).toInt(),
                                   dead.name());
        }
        QCOMPARE(cafe.invariants(), QString());
    }
    QVERIFY(cafe.settle(60000));
    for (int i = 0; i < cafe.consoleCount(); ++i)
        QVERIFY(cafe.console(i).stop());
    QCOMPARE(cafe.invariants(), QString());
    // Every period the stations showed running was booked, once.
    for (const QString& login : cafe.seen())
        QVERIFY2(cafe.bookings(login) == 1, qPrintable(login));
    qInfo("%d kills, %lld periods seen", kills, qlonglong(cafe.seen().size()));
}

QTEST_MAIN(TestMultiConsole)
#include "tst_multiconsole.moc"
