// The velkar-sim program in headless mode, driven the way tests and
// benchmarks drive it: command line, script, control channel, --log, --stats.
#include "simclient.h"

#include "station/stationaddress.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestVelkarSimProgram : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void scriptControlAndLog();
    void badCommandLineFails_data();
    void badCommandLineFails();
};

namespace {

QString program() {
    return QStringLiteral(VELKAR_SIM_BIN);
}

// Reads control answers line by line.
QByteArray ask(SimClient& control, const QByteArray& command) {
    QByteArray answer = control.exchange(command + '\n');
    while (!answer.endsWith('\n')) {
        const QByteArray more = control.read();
        if (more.isEmpty())
            break;
        answer += more;
    }
    return answer.trimmed();
}

} // namespace

void TestVelkarSimProgram::scriptControlAndLog() {
    const QHostAddress base = freshBase();
    const quint16 port = freePort(base);
    const QHostAddress controlHost = station::loopbackStationAddress(base, 10);
    const quint16 controlPort = freePort(controlHost);
    QVERIFY(port != 0 && controlPort != 0);

    QTemporaryDir dir;
    QFile script(dir.filePath(QStringLiteral("demo.txt")));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("# at once\nstation 6 login 10001 1111\nstation 6 msg hola\n");
    script.close();

    QProcess sim;
    sim.start(program(), {QStringLiteral("--headless"), QStringLiteral("--base"), base.toString(),
                          QStringLiteral("--count"), QStringLiteral("3"), QStringLiteral("--first-number"),
                          QStringLiteral("5"), QStringLiteral("--port"), QString::number(port),
                          QStringLiteral("--fault-station"), QStringLiteral("7:refuse"),
                          QStringLiteral("--script"), script.fileName(), QStringLiteral("--control"),
                          controlHost.toString() + u':' + QString::number(controlPort),
                          QStringLiteral("--log"), QStringLiteral("--stats")});
    QVERIFY(sim.waitForStarted());

    SimClient control;
    SimClient::Outcome outcome = SimClient::Outcome::Other;
    for (int i = 0; i < 200 && outcome != SimClient::Outcome::Connected; ++i) {
        outcome = control.connectTo(controlHost, controlPort);
        if (outcome != SimClient::Outcome::Connected)
            QTest::qWait(20);
    }
    QCOMPARE(outcome, SimClient::Outcome::Connected);

    // Station numbers from 5: station 6 is the second address, station 7 refuses.
    SimClient six;
    QCOMPARE(six.connectTo(station::loopbackStationAddress(base, 1), port), SimClient::Outcome::Connected);
    SimClient seven;
    QCOMPARE(seven.connectTo(station::loopbackStationAddress(base, 2), port), SimClient::Outcome::Refused);

    QCOMPARE(six.exchange(freePoll(), 14), QByteArray("CLI\t10001\t1111"));
    QCOMPARE(six.exchange("NOCLI\t1", 8), QByteArray("MSG\thola"));
    QCOMPARE(six.exchange(freePoll()), QByteArray("OK"));

    QCOMPARE(ask(control, "station 6 logout"), QByteArray("ok"));
    QCOMPARE(six.exchange(freePoll(), 6), QByteArray("CLINO\t"));
    const QByteArray status = ask(control, "station 6 status");
    QVERIFY2(status.startsWith("ok station=6 ") && status.contains(" refusal=1 ") &&
                 status.contains(" state=LIBRE "),
             status.constData());
    QVERIFY(ask(control, "station 6 juggle").startsWith("error "));
    QCOMPARE(ask(control, "station 7 fault none"), QByteArray("ok"));
    QCOMPARE(seven.connectTo(station::loopbackStationAddress(base, 2), port), SimClient::Outcome::Connected);
    QCOMPARE(ask(control, "quit"), QByteArray("ok"));

    // The event loop turned while waiting for answers: it may have seen the end already.
    QVERIFY(sim.state() == QProcess::NotRunning || sim.waitForFinished(10000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
    const QString out = QString::fromUtf8(sim.readAllStandardOutput());
    QVERIFY2(out.contains(u" 6 recv \"PING\\tLIBRE\\t0:00:00\\t0,00 €\\t\\t\\t0,00 €\\t0\\t0\\r\" reply "
                          u"\"CLI\\t10001\\t1111\"\n"),
             qPrintable(out));
    QVERIFY(out.contains(u" 6 recv \"NOCLI\\t1\\r\" reply \"MSG\\thola\"\n"));
    QVERIFY(out.contains(u" 6 event connected\n"));
    QVERIFY(out.contains(u"stats t="));
    QVERIFY(out.contains(u" stations=3 "));
}

void TestVelkarSimProgram::badCommandLineFails_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown option") << QStringList{"--headless", "--bogus"} << "unknown option '--bogus'";
    QTest::newRow("missing script") << QStringList{"--headless", "--script", "/nonexistent/velkar.txt"}
                                    << "cannot read /nonexistent/velkar.txt";
    QTest::newRow("fault for a station that is not there")
        << QStringList{"--headless", "--count", "2", "--fault-station", "9:drop"} << "there is no station 9";
}

void TestVelkarSimProgram::badCommandLineFails() {
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    // A base of our own, so nothing listens where a real demo might.
    const QHostAddress base = freshBase();
    args << QStringLiteral("--base") << base.toString() << QStringLiteral("--port")
         << QString::number(freePort(base));
    QProcess sim;
    sim.start(program(), args);
    QVERIFY(sim.waitForFinished(10000));
    QCOMPARE(sim.exitCode(), 2);
    const QString err = QString::fromLocal8Bit(sim.readAllStandardError());
    QVERIFY2(err.contains(message), qPrintable(err));
}

QTEST_GUILESS_MAIN(TestVelkarSimProgram)
#include "tst_velkarsim_program.moc"
