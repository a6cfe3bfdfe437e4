// The simulated station without sockets: what it reads from the console's
// lines, how it reacts, and the text formats of scripts and command lines.
#include "sim/command.h"
#include "sim/options.h"
#include "sim/stationmodel.h"
#include "sim/wire.h"

#include <QTest>

using namespace velkarsim;

Q_DECLARE_METATYPE(ConsoleLine::Kind)

class TestVelkarSimModel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cp1252RoundTrip();
    void splitsOnCr_data();
    void splitsOnCr();
    void parsesConsoleLines_data();
    void parsesConsoleLines();
    void pollFields_data();
    void pollFields();
    void queuedRepliesGoOnceInOrder();
    void offZeroWithCustomerQueuesLogout_data();
    void offZeroWithCustomerQueuesLogout();
    void offKindsAct_data();
    void offKindsAct();
    void firstPasswordFlagFollowsCli21();
    void remembersWhatTheConsoleSaid();
    void queueIsBounded();
    void faults_data();
    void faults();
    void scripts_data();
    void scripts();
    void scriptErrors_data();
    void scriptErrors();
    void commands_data();
    void commands();
    void options_data();
    void options();
};

void TestVelkarSimModel::cp1252RoundTrip() {
    const QString text = QStringLiteral("Señor € – “año” Ÿ");
    const QByteArray bytes = toCp1252(text);
    QCOMPARE(bytes, QByteArray("Se\xF1or \x80 \x96 \x93\x61\xF1o\x94 \x9F"));
    QCOMPARE(fromCp1252(bytes), text);
    QCOMPARE(toCp1252(QStringLiteral("日本")), QByteArray("??"));
    QCOMPARE(escapeForLog(QByteArray("A\tB\r\x01\\\x80", 7)), QStringLiteral("A\\tB\\r\\x01\\\\€"));
    QCOMPARE(unescapeTyped(QStringLiteral("CLI\\t1\\x00\\\\")), QByteArray("CLI\t1\0\\", 7));
}

void TestVelkarSimModel::splitsOnCr_data() {
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::addColumn<qsizetype>("left");

    QTest::newRow("one line") << QList<QByteArray>{"PING\tLIBRE\r"} << QList<QByteArray>{"PING\tLIBRE"}
                              << qsizetype(0);
    QTest::newRow("in pieces") << QList<QByteArray>{"PI", "NG\tLI", "BRE", "\r"}
                               << QList<QByteArray>{"PING\tLIBRE"} << qsizetype(0);
    QTest::newRow("two in one read") << QList<QByteArray>{"MSG\thola\rVOL\t5\r"}
                                     << QList<QByteArray>{"MSG\thola", "VOL\t5"} << qsizetype(0);
    QTest::newRow("one and a half") << QList<QByteArray>{"OFF\t1\rPI"} << QList<QByteArray>{"OFF\t1"}
                                    << qsizetype(2);
    QTest::newRow("crlf typed by hand")
        << QList<QByteArray>{"A\r", "\nB\r\n"} << QList<QByteArray>{"A", "B"} << qsizetype(0);
    QTest::newRow("empty line") << QList<QByteArray>{"\r"} << QList<QByteArray>{""} << qsizetype(0);
    QTest::newRow("runaway without cr")
        << QList<QByteArray>{QByteArray(LineSplitter::MaxLine + 10, 'x')}
        << QList<QByteArray>{QByteArray(LineSplitter::MaxLine, 'x')} << qsizetype(10);
}

void TestVelkarSimModel::splitsOnCr() {
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(QList<QByteArray>, lines);
    QFETCH(qsizetype, left);
    LineSplitter splitter;
    QList<QByteArray> got;
    for (const QByteArray& piece : pieces)
        got += splitter.feed(piece);
    QCOMPARE(got, lines);
    QCOMPARE(splitter.pendingSize(), left);
}

void TestVelkarSimModel::parsesConsoleLines_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<ConsoleLine::Kind>("kind");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("text");
    using K = ConsoleLine::Kind;
    QTest::newRow("warning") << QByteArray("GNIP\tQueda menos de") << K::Warning << 0 << "Queda menos de";
    QTest::newRow("message keeps tabs") << QByteArray("MSG\tcaf\xE9\tya") << K::Message << 0 << "café\tya";
    QTest::newRow("off 2") << QByteArray("OFF\t2") << K::Off << 2 << "2";
    QTest::newRow("cli 21") << QByteArray("CLI\t21") << K::LoginAnswer << 21 << "21";
    QTest::newRow("nocli 13") << QByteArray("NOCLI\t13") << K::LoginRefused << 13 << "13";
    QTest::newRow("setpass 11") << QByteArray("SETPASS\t11") << K::SetPassResult << 0 << "11";
    QTest::newRow("warning off") << QByteArray("_OFFGNIP\t") << K::WarningOff << 0 << "";
    QTest::newRow("volume") << QByteArray("VOL\t65500") << K::Volume << 65500 << "65500";
    QTest::newRow("clino is not cli") << QByteArray("CLINO\t") << K::Unknown << 0 << "CLINO\t";
    QTest::newRow("unknown") << QByteArray("HELLO") << K::Unknown << 0 << "HELLO";
}

void TestVelkarSimModel::parsesConsoleLines() {
    QFETCH(QByteArray, line);
    QFETCH(ConsoleLine::Kind, kind);
    QFETCH(int, number);
    QFETCH(QString, text);
    const ConsoleLine parsed = ConsoleLine::parse(line);
    QCOMPARE(parsed.kind, kind);
    QCOMPARE(parsed.number, number);
    QCOMPARE(parsed.text, text);
}

void TestVelkarSimModel::pollFields_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("fields");
    QTest::addColumn<QString>("state");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("cost");
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("balance");
    QTest::addColumn<QString>("desktop");

    QTest::newRow("free: nine fields") << QByteArray("PING\tLIBRE\t0:00:00\t0,00 \x80\t\t\t0,00 \x80\t0\t0")
                                       << 9 << "LIBRE" << 0 << "0:00:00"
                                       << "0,00 €"
                                       << ""
                                       << "0,00 €"
                                       << "0";
    QTest::newRow("counter: ten fields")
        << QByteArray("PING\tOCUPADO\t2\t0:10:00\t1,50 \x80\t10001\t1111\t3,50 \x80\t1\t3") << 10 << "OCUPADO"
        << 2 << "0:10:00"
        << "1,50 €"
        << "10001"
        << "3,50 €"
        << "3";
    QTest::newRow("prepaid time account")
        << QByteArray("PING\tPREPAGO\t0\t0:10:00\t0,00 \x80\tT1\tpw\t0:50:00\t0\t0") << 10 << "PREPAGO" << 0
        << "0:10:00"
        << "0,00 €"
        << "T1"
        << "0:50:00"
        << "0";
    QTest::newRow("admin") << QByteArray("PING\tADM\t0:00:00\t0,00 \x80\t\t\t0,00 \x80\t0\t0") << 9 << "ADM"
                           << 0 << "0:00:00"
                           << "0,00 €"
                           << ""
                           << "0,00 €"
                           << "0";
    QTest::newRow("short poll") << QByteArray("PING\tLIBRE") << 2 << "LIBRE" << 0 << ""
                                << ""
                                << ""
                                << ""
                                << "";
}

void TestVelkarSimModel::pollFields() {
    QFETCH(QByteArray, line);
    const ConsoleLine p = ConsoleLine::parse(line);
    QCOMPARE(p.kind, ConsoleLine::Kind::Poll);
    QTEST(p.fieldCount, "fields");
    QTEST(p.stateWord, "state");
    QTEST(p.shutdownKind, "kind");
    QTEST(p.time, "time");
    QTEST(p.cost, "cost");
    QTEST(p.login, "login");
    QTEST(p.balance, "balance");
    QTEST(p.desktopType, "desktop");
}

void TestVelkarSimModel::queuedRepliesGoOnceInOrder() {
    StationModel m(3, QHostAddress(QStringLiteral("127.0.1.3")));
    QVERIFY(m.queueLogin(QStringLiteral("10001"), QStringLiteral("1111")));
    QVERIFY(m.queueMessage(QStringLiteral("hola")));
    QVERIFY(m.queueSetPassword(QStringLiteral("nueva")));
    QVERIFY(m.queueAdmin(true));
    QVERIFY(m.queueAdmin(false));
    QVERIFY(m.queueLogout());
    const QList<QByteArray> expected = {
        "CLI\t10001\t1111", "MSG\thola", "SETPASS\tnueva\t0", "ADM", "FINADM", "CLINO\t", "OK", "OK"};
    for (const QByteArray& reply : expected) {
        m.observe(QByteArray("PING\tLIBRE"));
        QCOMPARE(m.takeReply(), reply);
    }
}

void TestVelkarSimModel::offZeroWithCustomerQueuesLogout_data() {
    QTest::addColumn<QByteArray>("poll");
    QTest::addColumn<bool>("logout");
    QTest::newRow("account in counter mode")
        << QByteArray("PING\tOCUPADO\t0\t0:01:00\t1\tA1\tp\t4\t0\t0") << true;
    QTest::newRow("time account in prepaid mode")
        << QByteArray("PING\tPREPAGO\t0\t0:01:00\t0\tT1\tp\t0:59:00\t0\t0") << true;
    QTest::newRow("anonymous customer") << QByteArray("PING\tOCUPADO\t0\t0:01:00\t1\t\t\t-1\t0\t0") << false;
    QTest::newRow("free station") << QByteArray("PING\tLIBRE\t0:00:00\t0\t\t\t0\t0\t0") << false;
    QTest::newRow("never polled") << QByteArray() << false;
}

void TestVelkarSimModel::offZeroWithCustomerQueuesLogout() {
    QFETCH(QByteArray, poll);
    QFETCH(bool, logout);
    StationModel m(1, QHostAddress(QStringLiteral("127.0.1.1")));
    if (!poll.isEmpty()) {
        m.observe(poll);
        QCOMPARE(m.takeReply(), QByteArray("OK"));
    }
    QCOMPARE(m.observe("OFF\t0"), StationModel::Action::None);
    // The station answers the order itself with the log-out.
    QCOMPARE(m.takeReply(), logout ? QByteArray("CLINO\t") : QByteArray("OK"));
    // A second order before the next poll must not log out twice.
    m.observe("OFF\t0");
    QCOMPARE(m.takeReply(), QByteArray("OK"));
    QCOMPARE(m.lastOffKind(), std::optional<int>(0));
}

void TestVelkarSimModel::offKindsAct_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<StationModel::Action>("action");
    QTest::newRow("end session") << QByteArray("OFF\t0") << StationModel::Action::None;
    QTest::newRow("shut down") << QByteArray("OFF\t1") << StationModel::Action::PowerOff;
    QTest::newRow("restart") << QByteArray("OFF\t2") << StationModel::Action::Reboot;
    QTest::newRow("end program") << QByteArray("OFF\t3") << StationModel::Action::EndProgram;
    QTest::newRow("unknown kind") << QByteArray("OFF\t9") << StationModel::Action::None;
    QTest::newRow("no number") << QByteArray("OFF\tx") << StationModel::Action::None;
}

void TestVelkarSimModel::offKindsAct() {
    QFETCH(QByteArray, line);
    StationModel m(1, QHostAddress(QStringLiteral("127.0.1.1")));
    QTEST(m.observe(line), "action");
}

void TestVelkarSimModel::firstPasswordFlagFollowsCli21() {
    StationModel m(1, QHostAddress(QStringLiteral("127.0.1.1")));
    m.queueSetPassword(QStringLiteral("a"));
    QCOMPARE(m.takeReply(), QByteArray("SETPASS\ta\t0"));

    m.observe("CLI\t21");
    QVERIFY(m.mustSetPassword());
    QCOMPARE(m.lastRefusalCode(), std::optional<int>(21));
    m.queueSetPassword(QStringLiteral("nueva"));
    QCOMPARE(m.takeReply(), QByteArray("SETPASS\tnueva\t1"));
    // Refused: still a first password to set.
    m.observe("SETPASS\t0");
    QVERIFY(m.mustSetPassword());
    m.observe("SETPASS\t11");
    QVERIFY(!m.mustSetPassword());
    QCOMPARE(m.lastSetPassResult(), QStringLiteral("11"));
    // An explicit flag wins.
    m.queueSetPassword(QStringLiteral("b"), true);
    QCOMPARE(m.takeReply(), QByteArray("SETPASS\tb\t1"));
}

void TestVelkarSimModel::remembersWhatTheConsoleSaid() {
    StationModel m(1, QHostAddress(QStringLiteral("127.0.1.1")));
    m.observe("NOCLI\t4");
    QCOMPARE(m.lastRefusalCode(), std::optional<int>(4));
    m.observe("MSG\tCierre a las 22:00");
    QCOMPARE(m.lastMessage(), QStringLiteral("Cierre a las 22:00"));
    m.observe("VOL\t15000");
    QCOMPARE(m.volume(), std::optional<int>(15000));
    m.observe("PING\tOCUPADO\t0\t0:01:00\t1\tA1\tp\t4\t0\t0");
    m.observe("GNIP\tQueda menos de");
    QVERIFY(m.warning());
    QCOMPARE(m.warningText(), QStringLiteral("Queda menos de"));
    m.observe("_OFFGNIP\t");
    QVERIFY(!m.warning());
    m.observe("GNIP\tQueda menos de");
    m.observe("PING\tLIBRE\t0:00:00\t0\t\t\t0\t0\t0");
    QVERIFY2(!m.warning(), "a free station has no one to warn");
    QCOMPARE(m.linesReceived(), quint64(8));
}

void TestVelkarSimModel::queueIsBounded() {
    StationModel m(1, QHostAddress(QStringLiteral("127.0.1.1")));
    for (int i = 0; i < StationModel::MaxQueuedReplies; ++i)
        QVERIFY(m.queueMessage(QString::number(i)));
    QVERIFY(!m.queueMessage(QStringLiteral("one too many")));
    m.clearQueue();
    QCOMPARE(m.takeReply(), QByteArray("OK"));
}

void TestVelkarSimModel::faults_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("canonical");
    QTest::newRow("none") << "none" << true << "none";
    QTest::newRow("refuse") << "refuse" << true << "refuse";
    QTest::newRow("never-answer") << "never-answer" << true << "never-answer";
    QTest::newRow("delay") << "delay=1500" << true << "delay=1500";
    QTest::newRow("garbage") << " GARBAGE " << true << "garbage";
    QTest::newRow("oversize") << "oversize" << true << "oversize";
    QTest::newRow("drop") << "drop" << true << "drop";
    QTest::newRow("delay without ms") << "delay" << false << "";
    QTest::newRow("negative delay") << "delay=-1" << false << "";
    QTest::newRow("value on drop") << "drop=5" << false << "";
    QTest::newRow("unknown") << "explode" << false << "";
}

void TestVelkarSimModel::faults() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QString error;
    const auto fault = Fault::parse(text, &error);
    QCOMPARE(fault.has_value(), valid);
    if (valid)
        QTEST(fault->toString(), "canonical");
    else
        QVERIFY(!error.isEmpty());
}

void TestVelkarSimModel::scripts_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QList<qint64>>("times");
    QTest::addColumn<QList<int>>("lineNumbers");
    QTest::newRow("absolute, relative and untimed")
        << "# demo\n2.5 station 3 login 10001 1111\nstation 3 msg hola\n\n+1 station 3 logout\n10 quit\n"
        << QList<qint64>{2500, 2500, 3500, 10000} << QList<int>{2, 3, 5, 6};
    QTest::newRow("untimed from the start")
        << "station 1 stop\nstation 1 start" << QList<qint64>{0, 0} << QList<int>{1, 2};
    QTest::newRow("fractions") << ".25 station 1 stop\n0.5 station 1 start\n+.25 quit"
                               << QList<qint64>{250, 500, 750} << QList<int>{1, 2, 3};
}

void TestVelkarSimModel::scripts() {
    QFETCH(QString, script);
    QFETCH(QList<qint64>, times);
    QFETCH(QList<int>, lineNumbers);
    QString error;
    const auto actions = parseScript(script, &error);
    QVERIFY2(actions, qPrintable(error));
    QCOMPARE(actions->size(), times.size());
    for (qsizetype i = 0; i < times.size(); ++i) {
        QCOMPARE(actions->at(i).atMs, times[i]);
        QCOMPARE(actions->at(i).lineNumber, lineNumbers[i]);
    }
}

void TestVelkarSimModel::scriptErrors_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("error");
    QTest::newRow("unknown command") << "1 station 1 stop\n2 dance"
                                     << "line 2: unknown command 'dance'";
    QTest::newRow("time goes back") << "5 station 1 stop\n2 station 1 start"
                                    << "line 2: time goes backwards";
    QTest::newRow("bad station") << "station x stop"
                                 << "line 1: bad station 'x' (a number, FIRST-LAST or all)";
    QTest::newRow("bad fault") << "station 1 fault delay"
                               << "line 1: delay needs a number of milliseconds (delay=MS)";
    QTest::newRow("trailing words") << "station 1 logout now"
                                    << "line 1: unexpected 'now'";
    QTest::newRow("login without login") << "station 1 login"
                                         << "line 1: login needs a login and a password";
}

void TestVelkarSimModel::scriptErrors() {
    QFETCH(QString, script);
    QString error;
    QVERIFY(!parseScript(script, &error));
    QTEST(error, "error");
}

void TestVelkarSimModel::commands_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("verb");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("all");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    using V = Command::Verb;
    QTest::newRow("login") << "station 3 login 10001 1111" << int(V::Login) << "10001"
                           << "1111" << false << 3 << 3;
    QTest::newRow("login, empty password") << "station 3 login 10001" << int(V::Login) << "10001"
                                           << "" << false << 3 << 3;
    QTest::newRow("message keeps spaces")
        << "station 2-4 msg  hola  que tal" << int(V::Message) << " hola  que tal"
        << "" << false << 2 << 4;
    QTest::newRow("all stop") << "station all stop" << int(V::Stop) << ""
                              << "" << true << 0 << 0;
    QTest::newRow("raw") << "station 1 reply MSG\\tx" << int(V::Raw) << "MSG\\tx"
                         << "" << false << 1 << 1;
    QTest::newRow("quit") << "quit" << int(V::Quit) << ""
                          << "" << false << 0 << 0;
}

void TestVelkarSimModel::commands() {
    QFETCH(QString, line);
    QString error;
    const auto c = Command::parse(line, &error);
    QVERIFY2(c, qPrintable(error));
    QTEST(int(c->verb), "verb");
    QTEST(c->text, "text");
    QTEST(c->password, "password");
    QTEST(c->stations.all, "all");
    QTEST(c->stations.first, "first");
    QTEST(c->stations.last, "last");
}

void TestVelkarSimModel::options_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("fault");
    QTest::newRow("defaults") << QStringList{} << "" << 8 << 2222 << "none";
    QTest::newRow("headless scale") << QStringList{"--headless", "--base", "127.1.0.1",
                                                   "--count",    "9999",   "--fault=delay=300"}
                                    << "" << 9999 << 2222 << "delay=300";
    QTest::newRow("port") << QStringList{"--port", "40000"} << "" << 8 << 40000 << "none";
    QTest::newRow("not loopback") << QStringList{"--base", "10.0.0.1"}
                                  << "--base must be an address in 127.0.0.0/8" << 8 << 2222 << "none";
    QTest::newRow("too many numbers") << QStringList{"--first-number", "9001", "--count", "1000"}
                                      << "station numbers go up to 9999" << 1000 << 2222 << "none";
    QTest::newRow("control not loopback")
        << QStringList{"--control", "0.0.0.0:5000"} << "--control must be an address in 127.0.0.0/8" << 8
        << 2222 << "none";
    QTest::newRow("bad station fault")
        << QStringList{"--fault-station", "3"} << "--fault-station takes N:MODE[=MS]" << 8 << 2222 << "none";
    QTest::newRow("unknown") << QStringList{"--frobnicate"} << "unknown option '--frobnicate'" << 8 << 2222
                             << "none";
}

void TestVelkarSimModel::options() {
    QFETCH(QStringList, args);
    const Options o = Options::parse(args);
    QTEST(o.error, "error");
    QTEST(o.count, "count");
    QTEST(int(o.port), "port");
    QTEST(o.fault.toString(), "fault");
}

QTEST_GUILESS_MAIN(TestVelkarSimModel)
#include "tst_velkarsim_model.moc"
