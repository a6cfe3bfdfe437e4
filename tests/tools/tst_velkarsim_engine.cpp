// Simulated stations over real loopback sockets, seen from a plain client
// playing the console.
#include "simclient.h"

#include "sim/command.h"
#include "sim/simulator.h"
#include "station/stationaddress.h"

#include <QTest>

#include <memory>

using namespace velkarsim;

namespace {

// A few stations on fresh addresses and a free port.
struct Rig {
    explicit Rig(int count = 3, Simulator::ListenPolicy policy = Simulator::ListenPolicy::Always) {
        base = freshBase();
        port = freePort(base);
        sim.setPort(port);
        sim.setRebootMs(150);
        sim.setListenPolicy(policy);
        sim.addStations(base, count, 1);
        sim.setLogSink([this](const QString& line) { log << line; });
    }
    bool start() {
        QString error;
        const bool ok = sim.start(&error);
        if (!ok)
            qWarning("%s", qPrintable(error));
        return ok;
    }
    QHostAddress address(int number) const { return station::loopbackStationAddress(base, number - 1); }
    SimClient::Outcome connect(SimClient& client, int number) {
        return client.connectTo(address(number), port);
    }

    QHostAddress base;
    quint16 port = 0;
    Simulator sim;
    QStringList log;
};

} // namespace

class TestVelkarSimEngine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pollGetsAcknowledgement();
    void queuedReplyGoesOutOnce_data();
    void queuedReplyGoesOutOnce();
    void linesInPiecesAndTogether();
    void eachStationListensOnItsOwnAddress();
    void refuse();
    void neverAnswer();
    void delay();
    void garbage();
    void oversize();
    void drop();
    void offZeroWithCustomerLogsOut();
    void offOneShutsDown();
    void offTwoComesBack();
    void offThreeStaysOffUntilStarted();
    void stopAndStart();
    void listenerClosedWhileConnected();
    void newConnectionReplacesOld();
    void logShowsEachExchange();
    void executorDrivesStations();
};

void TestVelkarSimEngine::pollGetsAcknowledgement() {
    Rig rig;
    QVERIFY(rig.start());
    SimClient c;
    QCOMPARE(rig.connect(c, 2), SimClient::Outcome::Connected);
    QCOMPARE(c.exchange(freePoll()), QByteArray("OK"));
    const StationModel& m = rig.sim.station(1);
    QTRY_VERIFY(m.connected());
    QCOMPARE(m.lastPoll().stateWord, QStringLiteral("LIBRE"));
    QCOMPARE(m.lastPoll().cost, QStringLiteral("0,00 €"));
    QCOMPARE(m.linesReceived(), quint64(1));
    QCOMPARE(rig.sim.station(0).linesReceived(), quint64(0));
}

void TestVelkarSimEngine::queuedReplyGoesOutOnce_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("login") << "station 1 login 10001 1111" << QByteArray("CLI\t10001\t1111");
    QTest::newRow("logout") << "station 1 logout" << QByteArray("CLINO\t");
    QTest::newRow("message") << "station 1 msg ¿Me trae un café?"
                             << QByteArray("MSG\t\xBFMe trae un caf\xE9?");
    QTest::newRow("password") << "station 1 setpass nueva" << QByteArray("SETPASS\tnueva\t0");
    QTest::newRow("admin on") << "station 1 admin on" << QByteArray("ADM");
    QTest::newRow("admin off") << "station 1 admin off" << QByteArray("FINADM");
    QTest::newRow("raw") << "station 1 reply XYZ\\t1" << QByteArray("XYZ\t1");
}

void TestVelkarSimEngine::queuedReplyGoesOutOnce() {
    QFETCH(QString, command);
    QFETCH(QByteArray, reply);
    Rig rig;
    QVERIFY(rig.start());
    CommandExecutor executor(rig.sim);
    SimClient c;
    QCOMPARE(rig.connect(c, 1), SimClient::Outcome::Connected);
    QCOMPARE(c.exchange(freePoll()), QByteArray("OK"));
    QCOMPARE(executor.execute(command), QStringLiteral("ok"));
    QCOMPARE(c.exchange(freePoll(), reply.size()), reply);
    QCOMPARE(c.exchange(freePoll()), QByteArray("OK"));
}

void TestVelkarSimEngine::linesInPiecesAndTogether() {
    Rig rig;
    QVERIFY(rig.start());
    SimClient c;
    QCOMPARE(rig.connect(c, 1), SimClient::Outcome::Connected);
    const QByteArray poll = freePoll() + '\r';
    c.send(poll.left(5));
    QVERIFY(c.quietFor(30));
    c.send(poll.mid(5, 10));
    QVERIFY(c.quietFor(30));
    c.send(poll.mid(15));
    QCOMPARE(c.read(2), QByteArray("OK"));
    QCOMPARE(rig.sim.station(0).lastPoll().desktopType, QStringLiteral("0"));

    // Two lines in one write: one reply each, the queued one first.
    rig.sim.station(0).queueLogin(QStringLiteral("A1"), QStringLiteral("p"));
    c.send("MSG\thola\rVOL\t5000\r");
    QCOMPARE(c.read(10), QByteArray("CLI\tA1\tpOK"));
    QCOMPARE(rig.sim.station(0).lastMessage(), QStringLiteral("hola"));
    QCOMPARE(rig.sim.station(0).volume(), std::optional<int>(5000));
}

void TestVelkarSimEngine::eachStationListensOnItsOwnAddress() {
    Rig rig(2);
    QVERIFY(rig.start());
    SimClient c;
    // The address after the last station has nobody listening, and neither has 0.0.0.0's loopback.
    QCOMPARE(c.connectTo(rig.address(3), rig.port), SimClient::Outcome::Refused);
    QCOMPARE(c.connectTo(QHostAddress(QStringLiteral("127.0.0.1")), rig.port), SimClient::Outcome::Refused);
    QCOMPARE(rig.connect(c, 2), SimClient::Outcome::Connected);
}

void TestVelkarSimEngine::refuse() {
    Rig rig;
    rig.sim.station(0).setFault(*Fault::parse(QStringLiteral("refuse")));
    QVERIFY(rig.start());
    SimClient c;
    QCOMPARE(rig.connect(c, 1), SimClient::Outcome::Refused);

    // Switched on at run time it also cuts the live connection.
    SimClient d;
    QCOMPARE(rig.connect(d, 2), SimClient::Outcome::Connected);
    QCOMPARE(d.exchange(freePoll()), QByteArray("OK"));
    rig.sim.setFault(1, *Fault::parse(QStringLiteral("refuse")));
    QVERIFY(d.waitForClosed());
    QCOMPARE(rig.connect(d, 2), SimClient::Outcome::Refused);
    rig.sim.setFault(1, Fault{});
    QCOMPARE(rig.connect(d, 2), SimClient::Outcome::Connected);
}

void TestVelkarSimEngine::neverAnswer() {
    Rig rig;
    rig.sim.station(0).setFault(*Fault::parse(QStringLiteral("never-answer")));
    rig.sim.station(0).queueLogin(QStringLiteral("A1"), QStringLiteral("p"));
    QVERIFY(rig.start());
    SimClient c;
    QCOMPARE(rig.connect(c, 1), SimClient::Outcome::Connected);
    c.send(freePoll() + '\r');
    QVERIFY(c.quietFor(300));
    QVERIFY(c.connected());
    QCOMPARE(rig.sim.station(0).linesReceived(), quint64(1));
    // What was queued waits for the station to answer again.
    rig.sim.setFault(0, Fault{});
    QCOMPARE(c.exchange(freePoll()), QByteArray("CLI\tA1\tp"));
}

void TestVelkarSimEngine::delay() {
    Rig rig;
    rig.sim.station(0).setFault(*Fault::parse(QStringLiteral("delay=250")));
    QVERIFY(rig.start());
    SimClient c;
    QCOMPARE(rig.connect(c, 1), SimClient::Outcome::Connected);
    c.send(freePoll() + '\r');
    QVERIFY(c.quietFor(100));
    QCOMPARE(c.read(2), QByteArray("OK"));

    // The console gave up and reconnected: the late reply is not sent on the new connection.
    c.send(freePoll() + '\r');
    QTRY_COMPARE(rig.sim.station(0).linesReceived(), quint64(2));
    c.close();
    QCOMPARE(rig.connect(c, 1), SimClient::Outcome::Connected);
    QVERIFY(c.quietFor(350));
    QTRY_VERIFY(rig.log.join(u'\n').contains(u"lost (connection closed)"));
}

void TestVelkarSimEngine::garbage() {
    Rig rig;
    rig.sim.station(0).setFault(*Fault::parse(QStringLiteral("garbage")));
    QVERIFY(rig.start());
    SimClient c;
    QCOMPARE(rig.connect(c, 1), SimClient::Outcome::Connected);
    const QByteArray junk = c.exchange(freePoll(), GarbageBytes);
    QCOMPARE(junk.size(), qsizetype(GarbageBytes));
    QVERIFY(junk.contains('\0'));
    for (const char* known : {"MSG\t", "CLINO\t", "SETPASS\t", "CLI\t", "ADM", "FINADM", "OK"})
        QVERIFY(!junk.startsWith(known));
}

void TestVelkarSimEngine::oversize() {
    Rig rig;
    rig.sim.station(0).setFault(*Fault::parse(QStringLiteral("oversize")));
    rig.sim.station(0).queueMessage(QStringLiteral("hola"));
    QVERIFY(rig.start());
    SimClient c;
    QCOMPARE(rig.connect(c, 1), SimClient::Outcome::Connected);
    const QByteArray big = c.exchange(freePoll(), OversizeBytes);
    QCOMPARE(big.size(), qsizetype(OversizeBytes));
    QVERIFY(big.size() > 512);
    QVERIFY(big.startsWith("MSG\thola#"));
}

void TestVelkarSimEngine::drop() {
    Rig rig;
    rig.sim.station(0).setFault(*Fault::parse(QStringLiteral("drop")));
    QVERIFY(rig.start());
    SimClient c;
    QCOMPARE(rig.connect(c, 1), SimClient::Outcome::Connected);
    c.send(freePoll() + '\r');
    QVERIFY(c.waitForClosed());
    QCOMPARE(c.read(1, 0), QByteArray());
    QCOMPARE(rig.sim.station(0).linesReceived(), quint64(1));
    // Still listening: the console may come back.
    QCOMPARE(rig.connect(c, 1), SimClient::Outcome::Connected);
}

void TestVelkarSimEngine::offZeroWithCustomerLogsOut() {
    Rig rig;
    QVERIFY(rig.start());
    SimClient c;
    QCOMPARE(rig.connect(c, 1), SimClient::Outcome::Connected);
    QCOMPARE(c.exchange(occupiedPoll("10001")), QByteArray("OK"));
    QCOMPARE(c.exchange("OFF\t0", 6), QByteArray("CLINO\t"));
    QCOMPARE(c.exchange(freePoll()), QByteArray("OK"));
    QCOMPARE(c.exchange("OFF\t0"), QByteArray("OK"));
    QVERIFY(c.connected());
    QCOMPARE(rig.sim.station(0).power(), Power::On);
}

void TestVelkarSimEngine::offOneShutsDown() {
    Rig rig;
    QVERIFY(rig.start());
    SimClient c;
    QCOMPARE(rig.connect(c, 1), SimClient::Outcome::Connected);
    rig.sim.station(0).queueMessage(QStringLiteral("lost with the power"));
    QCOMPARE(c.exchange("OFF\t1", 2 + 20), QByteArray("MSG\tlost with the power"));
    QVERIFY(c.waitForClosed());
    QCOMPARE(rig.sim.station(0).power(), Power::Off);
    QCOMPARE(rig.connect(c, 1), SimClient::Outcome::Refused);
    rig.sim.powerOn(0);
    QCOMPARE(rig.connect(c, 1), SimClient::Outcome::Connected);
}

void TestVelkarSimEngine::offTwoComesBack() {
    Rig rig;
    QVERIFY(rig.start());
    SimClient c;
    QCOMPARE(rig.connect(c, 1), SimClient::Outcome::Connected);
    rig.sim.station(0).queueLogout();
    QCOMPARE(c.exchange("OFF\t2", 6), QByteArray("CLINO\t"));
    QVERIFY(c.waitForClosed());
    QCOMPARE(rig.sim.station(0).power(), Power::Rebooting);
    QCOMPARE(rig.connect(c, 1), SimClient::Outcome::Refused);
    QTRY_COMPARE(rig.sim.station(0).power(), Power::On);
    QCOMPARE(rig.connect(c, 1), SimClient::Outcome::Connected);
    QCOMPARE(c.exchange(freePoll()), QByteArray("OK"));
}

void TestVelkarSimEngine::offThreeStaysOffUntilStarted() {
    Rig rig;
    QVERIFY(rig.start());
    SimClient c;
    QCOMPARE(rig.connect(c, 1), SimClient::Outcome::Connected);
    QCOMPARE(c.exchange("OFF\t3"), QByteArray("OK"));
    QVERIFY(c.waitForClosed());
    QCOMPARE(rig.sim.station(0).power(), Power::ProgramEnded);
    QTest::qWait(rig.sim.rebootMs() + 100);
    QCOMPARE(rig.connect(c, 1), SimClient::Outcome::Refused);
    rig.sim.powerOn(0);
    QCOMPARE(rig.connect(c, 1), SimClient::Outcome::Connected);
}

void TestVelkarSimEngine::stopAndStart() {
    Rig rig;
    QVERIFY(rig.start());
    SimClient c;
    QCOMPARE(rig.connect(c, 3), SimClient::Outcome::Connected);
    rig.sim.powerOff(2);
    QVERIFY(c.waitForClosed());
    QCOMPARE(rig.connect(c, 3), SimClient::Outcome::Refused);
    rig.sim.powerOn(2);
    QCOMPARE(rig.connect(c, 3), SimClient::Outcome::Connected);
    QCOMPARE(c.exchange(freePoll()), QByteArray("OK"));
}

void TestVelkarSimEngine::listenerClosedWhileConnected() {
    Rig rig(2, Simulator::ListenPolicy::WhileIdle);
    QVERIFY(rig.start());
    QVERIFY(rig.sim.listenerClosedWhileConnected());
    SimClient c;
    QCOMPARE(rig.connect(c, 1), SimClient::Outcome::Connected);
    QTRY_VERIFY(!rig.sim.isListening(0));
    QCOMPARE(c.exchange(freePoll()), QByteArray("OK"));
    SimClient second;
    QCOMPARE(rig.connect(second, 1), SimClient::Outcome::Refused);
    c.close();
    QTRY_VERIFY(rig.sim.isListening(0));
    QCOMPARE(rig.connect(c, 1), SimClient::Outcome::Connected);
    QCOMPARE(c.exchange(freePoll()), QByteArray("OK"));
    // A fault that closes the connection opens the listener again too.
    rig.sim.setFault(0, *Fault::parse(QStringLiteral("drop")));
    c.send(freePoll() + '\r');
    QVERIFY(c.waitForClosed());
    QTRY_VERIFY(rig.sim.isListening(0));
}

void TestVelkarSimEngine::newConnectionReplacesOld() {
    Rig rig;
    QVERIFY(rig.start());
    SimClient first;
    QCOMPARE(rig.connect(first, 1), SimClient::Outcome::Connected);
    QCOMPARE(first.exchange(freePoll()), QByteArray("OK"));
    SimClient second;
    QCOMPARE(rig.connect(second, 1), SimClient::Outcome::Connected);
    QVERIFY(first.waitForClosed());
    QCOMPARE(second.exchange(freePoll()), QByteArray("OK"));
}

void TestVelkarSimEngine::logShowsEachExchange() {
    Rig rig;
    QVERIFY(rig.start());
    SimClient c;
    QCOMPARE(rig.connect(c, 2), SimClient::Outcome::Connected);
    rig.sim.station(1).queueLogin(QStringLiteral("10001"), QStringLiteral("1111"));
    QVERIFY(!c.exchange(freePoll(), 14).isEmpty());
    QTRY_VERIFY(!rig.log.isEmpty());
    const QString exchange = rig.log.filter(QStringLiteral(" recv ")).value(0);
    QVERIFY2(exchange.endsWith(QStringLiteral(" 2 recv \"PING\\tLIBRE\\t0:00:00\\t0,00 €\\t\\t\\t0,00 "
                                              "€\\t0\\t0\\r\" reply \"CLI\\t10001\\t1111\"")),
             qPrintable(exchange));
}

void TestVelkarSimEngine::executorDrivesStations() {
    Rig rig(4);
    QVERIFY(rig.start());
    CommandExecutor executor(rig.sim);
    QCOMPARE(executor.execute(QStringLiteral("station 2-3 stop")), QStringLiteral("ok"));
    SimClient c;
    QCOMPARE(rig.connect(c, 2), SimClient::Outcome::Refused);
    QCOMPARE(rig.connect(c, 3), SimClient::Outcome::Refused);
    QCOMPARE(rig.connect(c, 4), SimClient::Outcome::Connected);
    QCOMPARE(executor.execute(QStringLiteral("station all start")), QStringLiteral("ok"));
    QCOMPARE(rig.connect(c, 2), SimClient::Outcome::Connected);
    QCOMPARE(c.exchange("NOCLI\t5"), QByteArray("OK"));
    const QString status = executor.execute(QStringLiteral("station 2 status"));
    QVERIFY2(status.startsWith(u"ok station=2 ") && status.contains(u" refusal=5 ") &&
                 status.contains(u" connected=1 "),
             qPrintable(status));
    QCOMPARE(executor.execute(QStringLiteral("station 7 stop")), QStringLiteral("error no such station"));
    QVERIFY(executor.execute(QStringLiteral("station 1 fly")).startsWith(u"error unknown station command"));
    bool quit = false;
    executor.setQuitHandler([&quit] { quit = true; });
    QCOMPARE(executor.execute(QStringLiteral("quit")), QStringLiteral("ok"));
    QVERIFY(quit);
}

QTEST_GUILESS_MAIN(TestVelkarSimEngine)
#include "tst_velkarsim_engine.moc"
