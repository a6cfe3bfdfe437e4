// "Probar": one poll per address, played by the station simulator on loopback.
#include "core/clock.h"
#include "sim/simulator.h"
#include "station/sondapuestos.h"
#include "station/stationaddress.h"
#include "support/loopback.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

namespace {

QHostAddress base() {
    return loopbackBase(61);
}

} // namespace

class TestSondaPuestos : public QObject {
    Q_OBJECT
private slots:
    void answersPerAddress_data();
    void answersPerAddress();
    void aNewRunDropsTheLastOne();
};

void TestSondaPuestos::answersPerAddress_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("answered");
    QTest::newRow("a station at its place") << int(velkarsim::Fault::Mode::None) << true;
    QTest::newRow("its program not running") << int(velkarsim::Fault::Mode::Refuse) << false;
    QTest::newRow("it never answers") << int(velkarsim::Fault::Mode::NeverAnswer) << false;
    QTest::newRow("it answers garbage") << int(velkarsim::Fault::Mode::Garbage) << true;
}

void TestSondaPuestos::answersPerAddress() {
    QFETCH(int, mode);
    QFETCH(bool, answered);
    const quint16 port = freePort(base());
    QVERIFY(port != 0);
    velkarsim::Simulator sim;
    sim.setPort(port);
    // Station 1 answers; station 2 carries the fault; the third address has nobody.
    sim.addStations(base(), 2, 1);
    velkarsim::Fault fault;
    fault.mode = velkarsim::Fault::Mode(mode);
    sim.setFault(1, fault);
    QString error;
    QVERIFY2(sim.start(&error), qPrintable(error));

    station::SondaPuestos sonda(Regional::spanishSpain(), SystemClock::instance());
    sonda.setPort(port);
    station::LinkTimings quick;
    quick.connectTimeoutMs = 500;
    quick.writeTimeoutMs = 500;
    quick.replyWaitMs = 300;
    sonda.setTimings(quick);
    QMap<int, bool> answers;
    connect(&sonda, &station::SondaPuestos::respuesta, this, [&](int i, bool ok) { answers.insert(i, ok); });
    QSignalSpy done(&sonda, &station::SondaPuestos::terminado);
    // A typo is not looked up as a host name; it answers no at once.
    sonda.probar({station::loopbackStationAddress(base(), 0).toString(),
                  station::loopbackStationAddress(base(), 1).toString(),
                  station::loopbackStationAddress(base(), 2).toString(), QStringLiteral("127.0.0.300")});
    QCOMPARE(answers, (QMap<int, bool>{{3, false}}));
    QVERIFY(sonda.running());
    QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 5000);
    QCOMPARE(answers, (QMap<int, bool>{{0, true}, {1, answered}, {2, false}, {3, false}}));
    QVERIFY(!sonda.running());
    // One poll each: what a free station is told, nothing else.
    QCOMPARE(sim.station(0).lastPoll().stateWord, QStringLiteral("LIBRE"));
}

void TestSondaPuestos::aNewRunDropsTheLastOne() {
    station::SondaPuestos sonda(Regional::spanishSpain(), SystemClock::instance());
    QList<int> answered;
    connect(&sonda, &station::SondaPuestos::respuesta, this, [&](int i, bool) { answered << i; });
    QSignalSpy done(&sonda, &station::SondaPuestos::terminado);
    // Nobody listens at these: each answer comes as its connection is refused.
    sonda.probar({station::loopbackStationAddress(base(), 40).toString(),
                  station::loopbackStationAddress(base(), 41).toString()});
    sonda.probar({station::loopbackStationAddress(base(), 42).toString()});
    QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 5000);
    QCOMPARE(answered, QList<int>{0});
}

QTEST_GUILESS_MAIN(TestSondaPuestos)
#include "tst_sondapuestos.moc"
