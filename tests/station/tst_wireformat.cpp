#include "core/regional.h"
#include "station/wirecodec.h"
#include "station/wireformat.h"

#include <QTest>

#include <functional>

using station::Estado;
using station::Pendiente;
using station::ReplyKind;
using station::StationRecord;

class TestWireFormat : public QObject {
    Q_OBJECT
private slots:
    void codecRoundTripsEveryByte();
    void codecEncodes_data();
    void codecEncodes();
    void timeAccountFields();
    void moneyAccountBalance();
    void anonymousPrepaid();
    void warningOncePerMinute();
    void unknownPendingResendsPreviousLine();
    void longLinesAreCut();
    void cachedPollFollowsEveryField_data();
    void cachedPollFollowsEveryField();
    void lineStaysOneLine();
    void fitMessage_data();
    void fitMessage();
    void loginRequest_data();
    void loginRequest();
    void classify_data();
    void classify();

private:
    Regional m_regional = Regional::spanishSpain();
};

void TestWireFormat::codecRoundTripsEveryByte() {
    QByteArray all(256, Qt::Uninitialized);
    for (int i = 0; i < 256; ++i)
        all[i] = char(i);
    const QString text = station::fromWindows1252(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(station::toWindows1252(text), all);
    QCOMPARE(text.at(0x80), QChar(0x20AC));
    QCOMPARE(text.at(0x8D), QChar(0x8D));
    QCOMPARE(text.at(0xF1), QChar(0xF1));
}

void TestWireFormat::codecEncodes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ascii") << QStringLiteral("PING\t1") << QByteArray("PING\t1");
    QTest::newRow("spanish") << QStringLiteral("a\u00f1o \u20ac") << QByteArray("a\xf1o \x80");
    QTest::newRow("quotes") << QStringLiteral("\u201chola\u201d") << QByteArray("\x93hola\x94");
    QTest::newRow("outside") << QStringLiteral("\u03a9") << QByteArray("?");
    QTest::newRow("surrogate pair") << QStringLiteral("x\U0001F600y") << QByteArray("x?y");
    QTest::newRow("C1 without glyph") << QStringLiteral("\u0080") << QByteArray("?");
}

void TestWireFormat::codecEncodes() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(station::toWindows1252(text), bytes);
    QCOMPARE(station::windows1252Length(text), bytes.size());
}

void TestWireFormat::timeAccountFields() {
    // 3600 s of time credit, 10 minutes into the use period.
    StationRecord r;
    r.estado = Estado::Prepago;
    r.accountLogin = QStringLiteral("ana");
    r.password = QStringLiteral("pw");
    r.accountType = QStringLiteral("2");
    r.prepaidSeconds = 3600;
    r.clockMs = 3000 * 1000 + 999;
    r.noPasswordChange = 1;
    r.desktopType = 3;
    const QStringList f = station::pollLine(r, m_regional).split(QLatin1Char('\t'));
    QCOMPARE(f.size(), 10);
    QCOMPARE(f.at(1), QStringLiteral("PREPAGO"));
    QCOMPARE(f.at(3), QStringLiteral("0:10:00"));
    QCOMPARE(f.at(4), m_regional.formatCurrency(Currency()));
    QCOMPARE(f.at(5), QStringLiteral("ana"));
    QCOMPARE(f.at(6), QStringLiteral("pw"));
    QCOMPARE(f.at(7), QStringLiteral("0:50:00"));
    QCOMPARE(f.at(8), QStringLiteral("1"));
    QCOMPARE(f.at(9), QStringLiteral("3"));
}

void TestWireFormat::moneyAccountBalance() {
    StationRecord r;
    r.estado = Estado::Contador;
    r.shutdownKind = 2;
    r.accountLogin = QStringLiteral("luis");
    r.accountType = QStringLiteral("0");
    r.moneyCredit = Currency::fromCents(500);
    r.cost = Currency::fromCents(120);
    r.clockMs = 3725 * 1000;
    QCOMPARE(station::pollLine(r, m_regional),
             QStringLiteral("PING\tOCUPADO\t2\t1:02:05\t1,20 \u20ac\tluis\t\t3,80 \u20ac\t0\t0"));
    // Anonymous: the balance is the cost, negative.
    r.accountLogin.clear();
    r.accountType.clear();
    r.moneyCredit = Currency();
    QVERIFY(station::pollLine(r, m_regional).endsWith(QStringLiteral("\t-1,20 \u20ac\t0\t0")));
}

void TestWireFormat::anonymousPrepaid() {
    StationRecord r;
    r.estado = Estado::Prepago;
    r.prepaidSeconds = 1800;
    r.prepaidAmount = Currency::fromCents(100);
    r.cost = Currency::fromCents(100);
    r.clockMs = 900 * 1000;
    // Time left, counting down.
    QCOMPARE(station::pollLine(r, m_regional).split(QLatin1Char('\t')).at(3), QStringLiteral("0:15:00"));
}

void TestWireFormat::warningOncePerMinute() {
    StationRecord r;
    r.estado = Estado::Prepago;
    r.prepaidSeconds = 300;
    r.alarm = true;
    int lastWarning = 0;
    QByteArray line;
    auto next = [&](qint64 clockMs) {
        r.clockMs = clockMs;
        line = station::buildOutgoingLine(r, m_regional, lastWarning, line);
        return line;
    };
    const QByteArray warning("GNIP\tQueda menos de");
    QCOMPARE(next(179000), warning); // minute 2
    QVERIFY(next(178000).startsWith("PING\tPREPAGO\t0\t"));
    QVERIFY(next(120000).startsWith("PING\t"));
    QCOMPARE(next(119000), warning); // minute 1
    QVERIFY(next(118000).startsWith("PING\t"));
    // Minute 0 was the link's starting memory: a change back to 0 warns, staying does not.
    QCOMPARE(next(59000), warning);
    QVERIFY(next(1000).startsWith("PING\t"));
    r.alarm = false;
    QVERIFY(next(179000).startsWith("PING\t"));

    // With the alarm on from minute 0, the first poll is not replaced.
    int fresh = 0;
    StationRecord s;
    s.estado = Estado::Prepago;
    s.alarm = true;
    s.clockMs = 30000;
    QVERIFY(station::buildOutgoingLine(s, m_regional, fresh, QByteArray()).startsWith("PING\t"));
}

void TestWireFormat::unknownPendingResendsPreviousLine() {
    StationRecord r;
    r.pendiente = Pendiente(5);
    int warning = 0;
    QCOMPARE(station::buildOutgoingLine(r, m_regional, warning, QByteArray("OFF\t1")), QByteArray("OFF\t1"));
    QCOMPARE(int(r.pendiente), 5);
}

void TestWireFormat::cachedPollFollowsEveryField_data() {
    // Each row changes one thing a poll shows after the line was cached.
    QTest::addColumn<std::function<void(StationRecord&)>>("change");
    using F = std::function<void(StationRecord&)>;
    QTest::newRow("nothing") << F([](StationRecord&) {});
    QTest::newRow("state") << F([](StationRecord& r) { r.estado = Estado::Prepago; });
    QTest::newRow("shut-down kind") << F([](StationRecord& r) { r.shutdownKind = 2; });
    QTest::newRow("next second") << F([](StationRecord& r) { r.clockMs += 1000; });
    QTest::newRow("same second") << F([](StationRecord& r) { r.clockMs += 999; });
    QTest::newRow("prepaid time") << F([](StationRecord& r) { r.prepaidSeconds += 60; });
    QTest::newRow("account type") << F([](StationRecord& r) { r.accountType = QStringLiteral("0"); });
    QTest::newRow("cost") << F([](StationRecord& r) { r.cost += Currency::fromCents(1); });
    QTest::newRow("credit") << F([](StationRecord& r) { r.moneyCredit += Currency::fromCents(1); });
    QTest::newRow("login") << F([](StationRecord& r) { r.accountLogin = QStringLiteral("luis"); });
    QTest::newRow("password") << F([](StationRecord& r) { r.password = QStringLiteral("nueva"); });
    QTest::newRow("no password change") << F([](StationRecord& r) { r.noPasswordChange = 1; });
    QTest::newRow("desktop") << F([](StationRecord& r) { r.desktopType = 3; });
}

void TestWireFormat::cachedPollFollowsEveryField() {
    QFETCH(std::function<void(StationRecord&)>, change);
    StationRecord r;
    r.estado = Estado::Contador;
    r.accountLogin = QStringLiteral("ana");
    r.accountType = QStringLiteral("2");
    r.prepaidSeconds = 3600;
    r.clockMs = 61000;
    r.cost = Currency::fromCents(120);
    r.moneyCredit = Currency::fromCents(500);
    station::PollLineCache cache;
    int warning = 0;
    station::buildOutgoingLine(r, m_regional, warning, QByteArray(), &cache);
    change(r);
    const QByteArray cached = station::buildOutgoingLine(r, m_regional, warning, QByteArray(), &cache);
    QCOMPARE(cached, station::buildOutgoingLine(r, m_regional, warning, QByteArray()));
}

void TestWireFormat::longLinesAreCut() {
    StationRecord r;
    r.accountLogin = QStringLiteral("x");
    r.password = QString(700, QLatin1Char('p'));
    int warning = 0;
    const QByteArray poll = station::buildOutgoingLine(r, m_regional, warning, QByteArray());
    QCOMPARE(poll.size(), station::MaxLineBytes);
    r.pendiente = Pendiente::Mensaje;
    r.messageToSend = QString(600, QChar(0x20AC));
    const QByteArray msg = station::buildOutgoingLine(r, m_regional, warning, poll);
    QCOMPARE(msg.size(), station::MaxLineBytes);
    QVERIFY(msg.startsWith("MSG\t\x80"));
}

void TestWireFormat::lineStaysOneLine() {
    StationRecord r;
    r.accountLogin = QStringLiteral("ana");
    r.password = QStringLiteral("a\rb\nc") + QChar(0) + QStringLiteral("d");
    int warning = 0;
    const QByteArray poll = station::buildOutgoingLine(r, m_regional, warning, QByteArray());
    QVERIFY(poll.contains("\tana\ta b c d\t"));
    r.pendiente = Pendiente::Mensaje;
    r.messageToSend = QStringLiteral("uno\r\ndos");
    QCOMPARE(station::buildOutgoingLine(r, m_regional, warning, poll), QByteArray("MSG\tuno  dos"));
}

void TestWireFormat::fitMessage_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expectedSize");
    QTest::newRow("short") << QStringLiteral("hola") << 4;
    QTest::newRow("exactly") << QString(508, QLatin1Char('a')) << 508;
    QTest::newRow("long") << QString(600, QLatin1Char('a')) << 508;
    QString pairs;
    for (int i = 0; i < 600; ++i)
        pairs += QStringLiteral("\U0001F600");
    // 508 characters of two UTF-16 units each, never half a pair.
    QTest::newRow("pairs") << pairs << 1016;
}

void TestWireFormat::fitMessage() {
    QFETCH(QString, text);
    QFETCH(int, expectedSize);
    const QString fitted = station::fitMessage(text);
    QCOMPARE(fitted.size(), expectedSize);
    QVERIFY(text.startsWith(fitted));
    QVERIFY(station::toWindows1252(QString(QStringLiteral("MSG\t") + fitted)).size() <=
            station::MaxLineBytes);
}

void TestWireFormat::loginRequest_data() {
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("password");
    QTest::newRow("plain") << QStringLiteral("ana\tpw") << QStringLiteral("ana") << QStringLiteral("pw");
    QTest::newRow("twelve characters")
        << QStringLiteral("abcdefghijkl\tx") << QStringLiteral("abcdefghij") << QStringLiteral("x");
    QTest::newRow("blanks") << QStringLiteral(" ana \t pw ") << QStringLiteral("ana")
                            << QStringLiteral(" pw ");
    QTest::newRow("control characters") << QStringLiteral("\x01"
                                                          "ana\r\tp\tq")
                                        << QStringLiteral("ana") << QStringLiteral("p\tq");
    QTest::newRow("cut before trim") << QStringLiteral("         ana\tpw") << QStringLiteral("a")
                                     << QStringLiteral("pw");
    QTest::newRow("no TAB") << QStringLiteral("ana") << QStringLiteral("ana") << QString();
}

void TestWireFormat::loginRequest() {
    QFETCH(QString, request);
    QFETCH(QString, login);
    QFETCH(QString, password);
    QCOMPARE(station::loginFromRequest(request), login);
    QCOMPARE(station::passwordFromRequest(request), password);
}

void TestWireFormat::classify_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("kind");
    QTest::newRow("MSG") << QStringLiteral("MSG\tx") << int(ReplyKind::Mensaje);
    QTest::newRow("MSG without TAB") << QStringLiteral("MSG") << int(ReplyKind::Ignorada);
    QTest::newRow("CLINO") << QStringLiteral("CLINO\t") << int(ReplyKind::FinSesion);
    QTest::newRow("SETPASS") << QStringLiteral("SETPASS\ta\t1") << int(ReplyKind::CambioClave);
    QTest::newRow("CLI") << QStringLiteral("CLI\ta\tb") << int(ReplyKind::Login);
    QTest::newRow("CLI without TAB") << QStringLiteral("CLIENTE") << int(ReplyKind::Ignorada);
    QTest::newRow("ADM") << QStringLiteral("ADM") << int(ReplyKind::Admin);
    QTest::newRow("FINADM") << QStringLiteral("FINADM\r") << int(ReplyKind::FinAdmin);
    QTest::newRow("empty") << QString() << int(ReplyKind::Ignorada);
    QTest::newRow("leading blank") << QStringLiteral(" MSG\tx") << int(ReplyKind::Ignorada);
}

void TestWireFormat::classify() {
    QFETCH(QString, reply);
    QFETCH(int, kind);
    QCOMPARE(int(station::classifyReply(reply)), kind);
}

QTEST_GUILESS_MAIN(TestWireFormat)
#include "tst_wireformat.moc"
