#include "linkharness.h"
#include "socketstations.h"

#include "core/runtimesettings.h"
#include "station/wirecodec.h"
#include "store/sql.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>

using station::Estado;
using station::Pendiente;
using Phase = TTareaCliente::Phase;

namespace {

constexpr int Program = 41;

const QByteArray FreePoll("PING\tLIBRE\t0:00:00\t0,00 \x80\t\t\t0,00 \x80\t0\t0");

// Runs the loop until the link reaches the phase, without qWaitFor's pause
// after every pass (the stalled-write case takes dozens of exchanges).
bool reaches(TTareaCliente& link, Phase phase) {
    QElapsedTimer waited;
    waited.start();
    while (link.phase() != phase) {
        if (waited.hasExpired(5000))
            return false;
        QCoreApplication::processEvents();
    }
    return true;
}

} // namespace

class TestLink : public QObject {
    Q_OBJECT
private slots:
    void initTestCase_data();
    void init();
    void freePollByteByByte();
    void counterPollHasTenFields();
    void firstExchangeOneIntervalAfterStart();
    void pollInterval_data();
    void pollInterval();
    void optionsChangeAppliesAtNextSleep();
    void stallDoesNotCascade();
    void replies_data();
    void replies();
    void passwordChange_data();
    void passwordChange();
    void logOutLeavesTheBookingToTheClock();
    void commandSentOnce_data();
    void commandSentOnce();
    void commandQueuedDuringExchangeSurvivesReply();
    void shutdownKindRidesOnThePolls_data();
    void shutdownKindRidesOnThePolls();
    void acceptedLoginNotifies();
    void databaseErrorIsNoAnswer();
    void refusingStationComesBack();
    void silentStationDropsCommand();
    void silentStationStaysUnreachable();
    void unansweredConnectEndsAtItsLimit();
    void stalledWriteEndsAtItsLimit();
    void replyWaitBoundary_data();
    void replyWaitBoundary();
    void replyAlreadyArrivedWhenWaitExpires();
    void garbageReplies();
    void overlongReplyIsCutAndItsTailDiscarded();
    void droppedMidExchange();
    void otherStationsNotDelayed();
    void deactivationStopsPolls();
    void apagarTodos();
};

// Every case runs over both transports.
void TestLink::initTestCase_data() {
    QTest::addColumn<int>("transport");
    QTest::newRow("native") << int(station::TransportKind::Native);
    QTest::newRow("QTcpSocket") << int(station::TransportKind::QtSocket);
}

void TestLink::init() {
    QFETCH_GLOBAL(int, transport);
    LinkHarness::transport = station::TransportKind(transport);
}

void TestLink::freePollByteByByte() {
    LinkHarness h(Program);
    FakeStation& s = h.addStation(1);
    h.load();
    QVERIFY(h.startAll());
    QVERIFY(h.exchange(1));
    QCOMPARE(s.received, FreePoll + '\r');
    QCOMPARE(s.received.count('\t'), 8);
    QCOMPARE(s.received.count('\r'), 1);
    QVERIFY(!s.received.contains('\n'));
    QCOMPARE(s.lines.first().split('\t').size(), 9);
}

void TestLink::counterPollHasTenFields() {
    LinkHarness h(Program);
    FakeStation& s = h.addStation(1);
    h.load();
    h.rec(1).estado = Estado::Contador;
    QVERIFY(h.startAll());
    QVERIFY(h.exchange(1));
    QCOMPARE(s.lines.first(), QByteArray("PING\tOCUPADO\t0\t0:00:00\t0,00 \x80\t\t\t0,00 \x80\t0\t0"));
    QCOMPARE(s.lines.first().split('\t').size(), 10);
}

void TestLink::firstExchangeOneIntervalAfterStart() {
    LinkHarness h(Program);
    FakeStation& s = h.addStation(1);
    h.load();
    const qint64 started = h.clock.monotonicMs();
    QVERIFY(h.startAll());
    QCOMPARE(h.link(1).nextExchangeDueMs(), started + 1000);
    h.advanceTo(started + 999);
    QCOMPARE(h.link(1).phase(), Phase::Sleeping);
    QVERIFY(s.lines.isEmpty());
    h.advance(1);
    QTRY_COMPARE(s.lines.size(), 1);
}

void TestLink::pollInterval_data() {
    QTest::addColumn<int>("ping");
    QTest::addColumn<int>("intervalMs");
    QTest::newRow("0") << 0 << 1000;
    QTest::newRow("5") << 5 << 5000;
    QTest::newRow("61") << 61 << 1000;
}

void TestLink::pollInterval() {
    QFETCH(int, ping);
    QFETCH(int, intervalMs);
    LinkHarness h(Program);
    FakeStation& s = h.addStation(1);
    h.ctx.settings.pollIntervalMs = RuntimeSettings::pollIntervalForPing(ping);
    h.load();
    const qint64 started = h.clock.monotonicMs();
    QVERIFY(h.startAll());
    QCOMPARE(h.link(1).nextExchangeDueMs() - started, intervalMs);
    QVERIFY(h.exchange(1));
    const qint64 ended = h.clock.monotonicMs();
    QCOMPARE(h.link(1).nextExchangeDueMs() - ended, intervalMs);
    h.advance(intervalMs - 1);
    QCOMPARE(s.lines.size(), 1);
    QVERIFY(h.exchange(1));
    QCOMPARE(s.lines.size(), 2);
}

void TestLink::optionsChangeAppliesAtNextSleep() {
    LinkHarness h(Program);
    h.addStation(1);
    h.load();
    QVERIFY(h.startAll());
    QVERIFY(h.exchange(1));
    h.ctx.settings.pollIntervalMs = 3000;
    QVERIFY(h.exchange(1));
    QCOMPARE(h.link(1).nextExchangeDueMs() - h.clock.monotonicMs(), 3000);
    // A ping of 0 stored by the options window must not make the link spin.
    h.ctx.settings.pollIntervalMs = 0;
    QVERIFY(h.exchange(1));
    QCOMPARE(h.link(1).nextExchangeDueMs() - h.clock.monotonicMs(), 1000);
}

void TestLink::stallDoesNotCascade() {
    LinkHarness h(Program);
    FakeStation& s = h.addStation(1);
    h.load();
    QVERIFY(h.startAll());
    QVERIFY(h.exchange(1));
    // Five intervals pass at once: one exchange, then the normal pace again.
    QSignalSpy done(&h.link(1), &TTareaCliente::exchangeFinished);
    h.advance(5000);
    QTRY_COMPARE(done.count(), 1);
    h.lista->scheduler().runDue();
    QTest::qWait(20);
    QCOMPARE(s.lines.size(), 2);
    QCOMPARE(h.link(1).nextExchangeDueMs(), h.clock.monotonicMs() + 1000);
}

void TestLink::replies_data() {
    QTest::addColumn<int>("before");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("loginResult");
    QTest::addColumn<QString>("accountType");
    QTest::addColumn<int>("after");
    QTest::addColumn<QByteArray>("nextLine");

    const int libre = int(Estado::Libre);
    const int contador = int(Estado::Contador);
    const int prepago = int(Estado::Prepago);
    const int admin = int(Estado::Admin);
    QTest::newRow("MSG") << libre << QByteArray("MSG\thola") << 2 << "" << libre << FreePoll;
    QTest::newRow("CLINO") << contador << QByteArray("CLINO\tana") << 2 << "" << libre << FreePoll;
    QTest::newRow("CLI accepted, money")
        << libre << QByteArray("CLI\tana\tpw") << 0 << "0" << contador << QByteArray("PING\tOCUPADO\t0\t");
    QTest::newRow("CLI accepted, time")
        << libre << QByteArray("CLI\tana\tpw") << 0 << "2" << prepago << QByteArray("PING\tPREPAGO\t0\t");
    QTest::newRow("CLI refused 1") << libre << QByteArray("CLI\tana\tpw") << 1 << "" << libre
                                   << QByteArray("NOCLI\t1");
    QTest::newRow("CLI refused 5") << libre << QByteArray("CLI\tana\tpw") << 5 << "" << libre
                                   << QByteArray("NOCLI\t5");
    QTest::newRow("CLI refused 13") << libre << QByteArray("CLI\tana\tpw") << 13 << "" << libre
                                    << QByteArray("NOCLI\t13");
    QTest::newRow("CLI new password")
        << libre << QByteArray("CLI\tana\tpw") << 21 << "" << libre << QByteArray("CLI\t21");
    QTest::newRow("CLI other code") << libre << QByteArray("CLI\tana\tpw") << 6 << "" << libre << FreePoll;
    // A station in use never hands its period to another account.
    QTest::newRow("CLI at a counter station")
        << contador << QByteArray("CLI\tana\tpw") << 0 << "0" << contador << QByteArray("PING\tOCUPADO\t0\t");
    QTest::newRow("CLI at a prepaid station")
        << prepago << QByteArray("CLI\tana\tpw") << 0 << "2" << prepago << QByteArray("PING\tPREPAGO\t");
    QTest::newRow("CLI in admin mode")
        << admin << QByteArray("CLI\tana\tpw") << 0 << "0" << admin << QByteArray("PING\tADM\t");
    QTest::newRow("ADM") << libre << QByteArray("ADM") << 2 << "" << admin << QByteArray("PING\tADM\t");
    QTest::newRow("ADM prefix") << libre << QByteArray("ADMIN") << 2 << "" << admin
                                << QByteArray("PING\tADM\t");
    QTest::newRow("FINADM") << admin << QByteArray("FINADM") << 2 << "" << libre << FreePoll;
    QTest::newRow("unknown") << contador << QByteArray("HOLA\tque tal") << 2 << "" << contador
                             << QByteArray("PING\tOCUPADO\t0\t");
    QTest::newRow("CLINO without TAB")
        << contador << QByteArray("CLINO") << 2 << "" << contador << QByteArray("PING\tOCUPADO\t0\t");
    QTest::newRow("lower case") << libre << QByteArray("msg\tx") << 2 << "" << libre << FreePoll;
}

void TestLink::replies() {
    QFETCH(int, before);
    QFETCH(QByteArray, reply);
    QFETCH(int, loginResult);
    QFETCH(QString, accountType);
    QFETCH(int, after);
    QFETCH(QByteArray, nextLine);

    LinkHarness h(Program);
    FakeStation& s = h.addStation(1);
    h.load();
    h.rec(1).estado = Estado(before);
    h.decisions.loginResult = loginResult;
    h.decisions.onLogin = [accountType](TPuestos& p) { p.rec().accountType = accountType; };
    QVERIFY(h.startAll());
    s.answerAlways(reply);
    QVERIFY(h.exchange(1));
    QCOMPARE(int(h.rec(1).estado), after);
    s.answerAlways("OK");
    QVERIFY(h.exchange(1));
    QVERIFY2(s.lines.last().startsWith(nextLine), s.lines.last().constData());
    // The command answer goes once; then polls again.
    QVERIFY(h.exchange(1));
    QVERIFY(s.lines.last().startsWith("PING\t"));

    const QByteArray kind = reply.left(reply.indexOf('\t'));
    if (reply.startsWith("MSG\t"))
        QCOMPARE(h.rec(1).messageReceived, QStringLiteral("hola"));
    else
        QVERIFY(h.rec(1).messageReceived.isEmpty());
    // A log-out only ends the period; the clock books it and settles the account.
    QCOMPARE(h.decisions.closes.size(), 0);
    const bool asked = reply.startsWith("CLI\t") && before == int(Estado::Libre);
    QCOMPARE(h.decisions.logins.size(), asked ? 1 : 0);
    if (!asked) {
        QVERIFY(h.rec(1).accountLogin.isEmpty());
        QVERIFY(h.lista->loginsInUse().isEmpty());
    } else {
        QCOMPARE(h.decisions.logins.first().request, QStringLiteral("ana\tpw"));
        QCOMPARE(h.rec(1).loginResultCode, loginResult);
        QCOMPARE(h.lista->loginsInUse().contains(QStringLiteral("ANA")), loginResult == 0);
        QCOMPARE(h.rec(1).accountLogin, loginResult == 0 ? QStringLiteral("ana") : QString());
    }
}

void TestLink::passwordChange_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("decision");
    QTest::addColumn<QString>("askedFor");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("first password, changed") << QByteArray("SETPASS\tnueva\t1") << "1"
                                             << "primera"
                                             << "nueva" << QByteArray("SETPASS\t11");
    QTest::newRow("first password, refused") << QByteArray("SETPASS\tnueva\t1") << "0"
                                             << "primera"
                                             << "vieja" << QByteArray("SETPASS\t0");
    QTest::newRow("change, accepted") << QByteArray("SETPASS\tnueva\t0") << "1"
                                      << "ana"
                                      << "nueva" << QByteArray("SETPASS\t1");
    QTest::newRow("flag not exactly 1") << QByteArray("SETPASS\tnueva\t1 ") << "1"
                                        << "ana"
                                        << "nueva" << QByteArray("SETPASS\t1");
    QTest::newRow("no flag") << QByteArray("SETPASS\tnueva") << "1"
                             << "ana"
                             << "nueva" << QByteArray("SETPASS\t1");
    QTest::newRow("empty password") << QByteArray("SETPASS\t\t0") << "0"
                                    << "ana"
                                    << "vieja" << QByteArray("SETPASS\t0");
}

void TestLink::passwordChange() {
    QFETCH(QByteArray, reply);
    QFETCH(QString, decision);
    QFETCH(QString, askedFor);
    QFETCH(QString, password);
    QFETCH(QByteArray, answer);
    LinkHarness h(Program);
    FakeStation& s = h.addStation(1);
    h.load();
    station::StationRecord& r = h.rec(1);
    r.estado = Estado::Contador;
    r.accountLogin = QStringLiteral("ana");
    r.password = QStringLiteral("vieja");
    r.firstPasswordLogin = QStringLiteral("primera");
    h.decisions.passwordResult = decision;
    QVERIFY(h.startAll());
    s.answerAlways(reply);
    QVERIFY(h.exchange(1));
    QCOMPARE(h.decisions.passwordChanges.size(), 1);
    QCOMPARE(h.decisions.passwordChanges.first().login, askedFor);
    QCOMPARE(r.password, password);
    QVERIFY(!r.pendingPasswordChange);
    s.answerAlways("OK");
    QVERIFY(h.exchange(1));
    QCOMPARE(s.lines.last(), answer);
    QVERIFY(h.exchange(1));
    QVERIFY(s.lines.last().startsWith("PING\tOCUPADO\t0\t"));
    QVERIFY(s.lines.last().contains(QByteArray("\tana\t" + password.toLatin1() + "\t")));
}

void TestLink::logOutLeavesTheBookingToTheClock() {
    LinkHarness h(Program);
    FakeStation& s = h.addStation(7);
    h.load();
    station::StationRecord& r = h.rec(7);
    r.estado = Estado::Contador;
    r.estadoAnterior = Estado::Contador;
    r.accountLogin = QStringLiteral("ana");
    r.accountType = QStringLiteral("0");
    r.ticketNumber = QStringLiteral("000123");
    r.clockMs = 3500;
    r.cost = Currency::fromCents(120);
    QVERIFY(h.startAll());
    s.answerAlways("CLINO\t");
    QVERIFY(h.exchange(7));
    // The period ended with all the booking needs; nothing is settled yet.
    QCOMPARE(r.estado, Estado::Libre);
    QVERIFY(r.bookingPending());
    QVERIFY(h.decisions.closes.isEmpty());
    QCOMPARE(r.accountLogin, QStringLiteral("ana"));
    QCOMPARE(r.ticketNumber, QStringLiteral("000123"));
    QCOMPARE(r.clockMs, qint64(3500));
}

void TestLink::commandSentOnce_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("MSG") << int(Pendiente::Mensaje) << QByteArray("MSG\tcierre en 5 min\xe9");
    QTest::newRow("OFF") << int(Pendiente::Apagar) << QByteArray("OFF\t2");
    QTest::newRow("CLI") << int(Pendiente::LoginAceptado) << QByteArray("CLI\t21");
    QTest::newRow("NOCLI") << int(Pendiente::LoginRechazado) << QByteArray("NOCLI\t4");
    QTest::newRow("SETPASS") << int(Pendiente::SetPass) << QByteArray("SETPASS\t11");
    QTest::newRow("_OFFGNIP") << int(Pendiente::QuitarAviso) << QByteArray("_OFFGNIP\t");
    QTest::newRow("VOL") << int(Pendiente::Volumen) << QByteArray("VOL\t45000");
}

void TestLink::commandSentOnce() {
    QFETCH(int, command);
    QFETCH(QByteArray, line);
    LinkHarness h(Program);
    FakeStation& s = h.addStation(1);
    h.load();
    QVERIFY(h.startAll());
    station::StationRecord& r = h.rec(1);
    r.messageToSend = QStringLiteral("cierre en 5 min\u00e9");
    r.shutdownKind = 2;
    r.loginAnswerCode = 21;
    r.refusalCode = 4;
    r.passwordChangeResult = QStringLiteral("11");
    r.volume = 45000;
    r.pendiente = Pendiente(command);
    QVERIFY(h.exchange(1));
    QCOMPARE(s.lines.last(), line);
    QCOMPARE(r.pendiente, Pendiente::Poll);
    QVERIFY(h.exchange(1));
    QCOMPARE(s.lines.last(), FreePoll);
}

void TestLink::commandQueuedDuringExchangeSurvivesReply() {
    LinkHarness h(Program);
    FakeStation& s = h.addStation(1);
    h.load();
    QVERIFY(h.startAll());
    s.stayQuiet();
    QSignalSpy done(&h.link(1), &TTareaCliente::exchangeFinished);
    h.advanceTo(h.link(1).nextExchangeDueMs());
    QTRY_COMPARE(s.lines.size(), 1);
    h.lista->setSelectedRow(1);
    QVERIFY(h.lista->apagar(station::Reiniciar));
    s.reply("MSG\thola");
    QTRY_COMPARE(done.count(), 1);
    QCOMPARE(h.rec(1).pendiente, Pendiente::Apagar);
    s.answerAlways("OK");
    QVERIFY(h.exchange(1));
    QCOMPARE(s.lines.last(), QByteArray("OFF\t2"));
}

void TestLink::shutdownKindRidesOnThePolls_data() {
    QTest::addColumn<int>("estado");
    QTest::addColumn<QList<int>>("kinds");
    const int contador = int(Estado::Contador);
    const int prepago = int(Estado::Prepago);
    QTest::newRow("counter, Reiniciar") << contador << QList<int>{station::Reiniciar};
    // Kind 0 is also the kind of a fresh period: after another one it must replace it.
    QTest::newRow("counter, Reiniciar then Cerrar sesion")
        << contador << QList<int>{station::Reiniciar, station::CerrarSesion};
    QTest::newRow("prepaid, Cerrar sesion") << prepago << QList<int>{station::CerrarSesion};
    QTest::newRow("prepaid, Apagar equipo then Reiniciar")
        << prepago << QList<int>{station::ApagarEquipo, station::Reiniciar};
    QTest::newRow("counter, Finalizar Velkar") << contador << QList<int>{station::FinalizarVelkar};
}

void TestLink::shutdownKindRidesOnThePolls() {
    QFETCH(int, estado);
    QFETCH(QList<int>, kinds);
    LinkHarness h(Program);
    FakeStation& s = h.addStation(1);
    h.load();
    h.rec(1).estado = Estado(estado);
    QVERIFY(h.startAll());
    h.lista->setSelectedRow(1);
    const QByteArray word = Estado(estado) == Estado::Contador ? "PING\tOCUPADO\t" : "PING\tPREPAGO\t";
    QVERIFY(h.exchange(1));
    QVERIFY(s.lines.last().startsWith(QByteArray(word + "0\t")));
    for (int kind : kinds) {
        const QByteArray k = QByteArray::number(kind);
        QVERIFY(h.lista->apagar(kind));
        QVERIFY(h.exchange(1));
        QCOMPARE(s.lines.last(), QByteArray("OFF\t" + k));
        // The station keeps its customer until it says otherwise: every
        // later poll repeats the kind after the state word.
        for (int i = 0; i < 2; ++i) {
            QVERIFY(h.exchange(1));
            QVERIFY2(s.lines.last().startsWith(QByteArray(word + k + '\t')), s.lines.last().constData());
            QCOMPARE(s.lines.last().split('\t').size(), 10);
        }
        QCOMPARE(h.rec(1).estado, Estado(estado));
        QCOMPARE(h.rec(1).pendiente, Pendiente::Poll);
    }
    // Once the session has ended there is no kind to carry.
    s.answerAlways("CLINO\t");
    QVERIFY(h.exchange(1));
    s.answerAlways("OK");
    QVERIFY(h.exchange(1));
    QVERIFY(s.lines.last().startsWith("PING\tLIBRE\t"));
    QCOMPARE(s.lines.last().split('\t').size(), 9);
}

void TestLink::acceptedLoginNotifies() {
    LinkHarness h(Program);
    h.addStation(1);
    FakeStation& s = h.addStation(2);
    h.load();
    QVERIFY(h.startAll());
    QSignalSpy rows(h.lista.get(), &ListaPuestos::rowChanged);
    QSignalSpy menus(h.lista.get(), &ListaPuestos::menusRefreshRequested);
    h.decisions.loginResult = 0;
    s.answerAlways("CLI\t Maria \tclave");
    QVERIFY(h.exchange(2));
    QCOMPARE(rows.count(), 1);
    QCOMPARE(rows.first().first().toInt(), 1);
    QCOMPARE(menus.count(), 1);
    QVERIFY(h.lista->loginsInUse().contains(QStringLiteral("maria")));
    QCOMPARE(h.rec(2).accountLogin, QStringLiteral("Maria"));
    QCOMPARE(h.rec(2).estado, Estado::Contador);
}

// A locked or full database while a station asks: never a refusal, never an
// exception through the event loop. The log-in waits for the next exchange,
// the password change is refused, and the registry reports the error.
void TestLink::databaseErrorIsNoAnswer() {
    LinkHarness h(Program);
    FakeStation& s = h.addStation(1);
    h.load();
    QVERIFY(h.startAll());
    int failures = 1;
    h.decisions.loginResult = 0;
    h.decisions.onLogin = [&](TPuestos& p) {
        p.rec().tariffName = QStringLiteral("NORMAL");
        if (failures-- > 0)
            throw store::DatabaseError(QStringLiteral("database is locked"));
    };
    s.answerAlways("CLI\tana\tpw");
    QVERIFY(h.exchange(1));
    QCOMPARE(h.rec(1).estado, Estado::Libre);
    QVERIFY(h.rec(1).tariffName.isEmpty());
    QCOMPARE(h.lista->saveError(), QStringLiteral("database is locked"));
    QVERIFY(h.exchange(1));
    QVERIFY2(s.lines.last().startsWith(FreePoll), s.lines.last().constData());
    // The database answers again: the same request is accepted.
    QCOMPARE(h.rec(1).estado, Estado::Contador);
    QCOMPARE(h.rec(1).accountLogin, QStringLiteral("ana"));
    QVERIFY(h.lista->saveError().isEmpty());

    h.rec(1).pendiente = Pendiente::Poll;
    h.decisions.passwordResult = QStringLiteral("1");
    h.decisions.onPassword = [] { throw store::DatabaseError(QStringLiteral("disk I/O error")); };
    s.answerAlways("SETPASS\tnueva\t0");
    QVERIFY(h.exchange(1));
    s.answerAlways("OK");
    QVERIFY(h.exchange(1));
    QCOMPARE(s.lines.last(), QByteArray("SETPASS\t0"));
    QCOMPARE(h.rec(1).password, QString());
    QCOMPARE(h.lista->saveError(), QStringLiteral("disk I/O error"));
}

void TestLink::refusingStationComesBack() {
    LinkHarness h(Program);
    FakeStation& s = h.addStation(1, false);
    h.load();
    QSignalSpy rows(h.lista.get(), &ListaPuestos::rowChanged);
    QVERIFY(h.startAll());
    QVERIFY(h.rec(1).disconnected);
    QCOMPARE(rows.count(), 1);
    // Still refused at the first exchange: no second notification.
    QVERIFY(h.exchange(1));
    QVERIFY(h.rec(1).disconnected);
    QCOMPARE(rows.count(), 1);
    QVERIFY(s.listenAt(h.port()));
    QVERIFY(h.exchange(1));
    QVERIFY(!h.rec(1).disconnected);
    QCOMPARE(rows.count(), 2);
    QCOMPARE(s.lines.size(), 1);
}

void TestLink::silentStationDropsCommand() {
    LinkHarness h(Program);
    FakeStation& s = h.addStation(1);
    h.load();
    QVERIFY(h.startAll());
    s.stayQuiet();
    QSignalSpy done(&h.link(1), &TTareaCliente::exchangeFinished);
    h.advanceTo(h.link(1).nextExchangeDueMs());
    QTRY_COMPARE(s.lines.size(), 1);
    h.rec(1).pendiente = Pendiente::Volumen;
    h.advance(1000);
    QTRY_COMPARE(done.count(), 1);
    QCOMPARE(done.first().first().toBool(), false);
    QVERIFY(h.rec(1).disconnected);
    QCOMPARE(h.rec(1).pendiente, Pendiente::Poll);
    QVERIFY(h.link(1).replyLine().isEmpty());

    s.answerAlways("OK");
    QVERIFY(h.exchange(1));
    QVERIFY(!h.rec(1).disconnected);
    QCOMPARE(s.lines.last(), FreePoll);
    QCOMPARE(s.connections, 2);
}

void TestLink::silentStationStaysUnreachable() {
    LinkHarness h(Program);
    FakeStation& s = h.addStation(1);
    h.load();
    QVERIFY(h.startAll());
    s.stayQuiet();
    QSignalSpy rows(h.lista.get(), &ListaPuestos::rowChanged);
    for (int i = 0; i < 3; ++i) {
        QSignalSpy done(&h.link(1), &TTareaCliente::exchangeFinished);
        h.advanceTo(h.link(1).nextExchangeDueMs());
        QTRY_COMPARE(h.link(1).phase(), Phase::AwaitingReply);
        QVERIFY(h.rec(1).disconnected == (i > 0));
        h.advance(1000);
        QTRY_COMPARE(done.count(), 1);
        QVERIFY(h.rec(1).disconnected);
    }
    // Connected again three times, reported unreachable once.
    QCOMPARE(s.connections, 3);
    QCOMPARE(rows.count(), 1);
}

void TestLink::unansweredConnectEndsAtItsLimit() {
    LinkHarness h(Program);
    FakeStation& s = h.addStation(1, false);
    h.load();
    UnansweredListener switchedOff;
    QVERIFY(switchedOff.open(s.address(), h.port()));
    station::StationRecord& r = h.rec(1);
    r.estado = Estado::Contador;
    r.messageToSend = QStringLiteral("hola");
    r.pendiente = Pendiente::Mensaje;
    TTareaCliente& link = h.link(1);
    QSignalSpy rows(h.lista.get(), &ListaPuestos::rowChanged);
    QSignalSpy done(&link, &TTareaCliente::exchangeFinished);
    const qint64 started = h.clock.monotonicMs();
    h.lista->startAll();
    // Neither accepted nor refused, however long the loop runs.
    QTest::qWait(50);
    QCOMPARE(link.phase(), Phase::Connecting);
    h.advanceTo(started + 2999);
    QCOMPARE(link.phase(), Phase::Connecting);
    QVERIFY(!r.disconnected);
    h.advance(1);
    QVERIFY(r.disconnected);
    QCOMPARE(rows.count(), 1);
    // The first exchange is overdue by then: it connects again at once.
    QCOMPARE(link.phase(), Phase::Reconnecting);
    QTest::qWait(50);
    QCOMPARE(link.phase(), Phase::Reconnecting);
    h.advance(2999);
    QCOMPARE(link.phase(), Phase::Reconnecting);
    h.advance(1);
    QCOMPARE(done.count(), 1);
    QCOMPARE(done.first().first().toBool(), false);
    QCOMPARE(r.pendiente, Pendiente::Poll);
    QCOMPARE(rows.count(), 1);
    // The period goes on; the link tries again once per interval.
    QCOMPARE(r.estado, Estado::Contador);
    QCOMPARE(link.phase(), Phase::Sleeping);
    QCOMPARE(link.nextExchangeDueMs(), h.clock.monotonicMs() + 1000);
    h.advance(1000);
    QCOMPARE(link.phase(), Phase::Reconnecting);
    h.advance(3000);
    QCOMPARE(done.count(), 2);
    QCOMPARE(link.phase(), Phase::Sleeping);

    switchedOff.close();
    QVERIFY(s.listenAt(h.port()));
    QVERIFY(h.exchange(1));
    QVERIFY(!r.disconnected);
    QCOMPARE(rows.count(), 2);
    // The message went with the failed exchange.
    QCOMPARE(s.lines.size(), 1);
    QVERIFY(s.lines.first().startsWith("PING\tOCUPADO\t0\t"));
}

void TestLink::stalledWriteEndsAtItsLimit() {
    LinkHarness h(Program);
    FakeStation& s = h.addStation(1, false);
    h.load();
    StalledStation stalled;
    QVERIFY(stalled.listen(s.address(), h.port()));
    station::StationRecord& r = h.rec(1);
    r.estado = Estado::Prepago;
    TTareaCliente& link = h.link(1);
    QVERIFY(h.startAll());
    QVERIFY(stalled.accept());
    // Long lines the station never reads, until one no longer goes out.
    for (int i = 0; i < 1000; ++i) {
        r.messageToSend = QString(500, QLatin1Char('x'));
        r.pendiente = Pendiente::Mensaje;
        h.advanceTo(link.nextExchangeDueMs());
        if (link.phase() == Phase::Sending)
            break;
        QCOMPARE(link.phase(), Phase::AwaitingReply);
        QVERIFY(stalled.reply("OK"));
        QVERIFY(reaches(link, Phase::Sleeping));
        QVERIFY(!r.disconnected);
    }
    QCOMPARE(link.phase(), Phase::Sending);
    QSignalSpy done(&link, &TTareaCliente::exchangeFinished);
    h.advance(2999);
    QCOMPARE(link.phase(), Phase::Sending);
    QVERIFY(!r.disconnected);
    h.advance(1);
    QCOMPARE(done.count(), 1);
    QCOMPARE(done.first().first().toBool(), false);
    QVERIFY(r.disconnected);
    QCOMPARE(r.pendiente, Pendiente::Poll);
    QCOMPARE(r.estado, Estado::Prepago);
    // Dropped means dropped: what had not gone out is thrown away, so a
    // station that reads again never gets the rest of that line.
    QVERIFY(stalled.endsInReset());

    // The next exchange starts on a new connection with a poll.
    h.advanceTo(link.nextExchangeDueMs());
    QVERIFY(reaches(link, Phase::AwaitingReply));
    QVERIFY(stalled.accept());
    QVERIFY(stalled.readSome().startsWith("PING\tPREPAGO\t0\t"));
    QVERIFY(stalled.reply("OK"));
    QVERIFY(reaches(link, Phase::Sleeping));
    QVERIFY(!r.disconnected);
}

void TestLink::replyWaitBoundary_data() {
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<bool>("replied");
    QTest::newRow("999") << 999 << true;
    QTest::newRow("1001") << 1001 << false;
}

void TestLink::replyWaitBoundary() {
    QFETCH(int, delayMs);
    QFETCH(bool, replied);
    LinkHarness h(Program);
    FakeStation& s = h.addStation(1);
    h.load();
    QVERIFY(h.startAll());
    s.stayQuiet();
    QSignalSpy done(&h.link(1), &TTareaCliente::exchangeFinished);
    h.advanceTo(h.link(1).nextExchangeDueMs());
    QTRY_COMPARE(s.lines.size(), 1);
    QTRY_COMPARE(h.link(1).phase(), Phase::AwaitingReply);
    h.advance(delayMs);
    s.reply("MSG\ttarde");
    QTRY_COMPARE(done.count(), 1);
    QCOMPARE(done.first().first().toBool(), replied);
    QCOMPARE(h.rec(1).disconnected, !replied);
    QCOMPARE(h.rec(1).messageReceived, replied ? QStringLiteral("tarde") : QString());

    // A late reply is never taken for the answer to the next line.
    h.rec(1).messageReceived.clear();
    s.answerAlways("OK");
    QVERIFY(h.exchange(1));
    QVERIFY(h.rec(1).messageReceived.isEmpty());
    QVERIFY(!h.rec(1).disconnected);
}

void TestLink::replyAlreadyArrivedWhenWaitExpires() {
    LinkHarness h(Program);
    FakeStation& s = h.addStation(1);
    h.load();
    QVERIFY(h.startAll());
    s.stayQuiet();
    QSignalSpy done(&h.link(1), &TTareaCliente::exchangeFinished);
    h.advanceTo(h.link(1).nextExchangeDueMs());
    QTRY_COMPARE(h.link(1).phase(), Phase::AwaitingReply);
    QTRY_COMPARE(s.lines.size(), 1);
    // The reply is in the socket, but the loop is too busy to deliver it
    // before the wait expires.
    s.reply("MSG\tya");
    h.advance(5000);
    QCOMPARE(done.count(), 1);
    QCOMPARE(done.first().first().toBool(), true);
    QVERIFY(!h.rec(1).disconnected);
    QCOMPARE(h.rec(1).messageReceived, QStringLiteral("ya"));
}

void TestLink::garbageReplies() {
    LinkHarness h(Program);
    FakeStation& s = h.addStation(1);
    h.load();
    QVERIFY(h.startAll());
    QRandomGenerator random(20260115);
    for (int i = 0; i < 20; ++i) {
        QByteArray junk(1 + int(random.bounded(700)), Qt::Uninitialized);
        for (char& c : junk)
            c = char(random.bounded(256));
        if (junk.startsWith("CLI\t") || junk.startsWith("SETPASS\t"))
            junk[0] = 'x';
        s.answerAlways(junk);
        QVERIFY(h.exchange(1));
        QVERIFY(!h.rec(1).disconnected);
        QVERIFY(h.link(1).replyLine().size() <= station::MaxLineBytes);
        QVERIFY(!h.link(1).replyLine().contains(QChar(0)));
    }
    QCOMPARE(h.decisions.logins.size(), 0);
    s.answerAlways(QByteArray("MSG\tab\0cd", 9));
    QVERIFY(h.exchange(1));
    QCOMPARE(h.rec(1).messageReceived, QStringLiteral("ab"));
    s.answerAlways(QByteArray("MSG\t\x80\x81\xff", 7));
    QVERIFY(h.exchange(1));
    QCOMPARE(h.rec(1).messageReceived, QString(QChar(0x20AC)) + QChar(0x81) + QChar(0xFF));
}

void TestLink::overlongReplyIsCutAndItsTailDiscarded() {
    LinkHarness h(Program);
    FakeStation& s = h.addStation(1);
    h.load();
    QVERIFY(h.startAll());
    s.answerAlways("MSG\t" + QByteArray(600, 'a'));
    QVERIFY(h.exchange(1));
    QCOMPARE(h.rec(1).messageReceived, QString(508, QLatin1Char('a')));
    s.answerAlways("MSG\tcorto");
    QVERIFY(h.exchange(1));
    QCOMPARE(h.rec(1).messageReceived, QStringLiteral("corto"));
    QVERIFY(!h.rec(1).disconnected);
}

void TestLink::droppedMidExchange() {
    LinkHarness h(Program);
    FakeStation& s = h.addStation(1);
    h.load();
    QVERIFY(h.startAll());
    h.rec(1).pendiente = Pendiente::Apagar;
    s.setResponder([&s](const QByteArray&) {
        s.dropConnection();
        return QByteArray();
    });
    QVERIFY(h.exchange(1));
    QVERIFY(h.rec(1).disconnected);
    QCOMPARE(h.rec(1).pendiente, Pendiente::Poll);
    s.answerAlways("OK");
    QVERIFY(h.exchange(1));
    QVERIFY(!h.rec(1).disconnected);
    QCOMPARE(s.connections, 2);
    QCOMPARE(s.lines.last(), FreePoll);
}

void TestLink::otherStationsNotDelayed() {
    LinkHarness h(Program);
    FakeStation& silent = h.addStation(1);
    FakeStation& healthy = h.addStation(2);
    h.load();
    QVERIFY(h.startAll());
    silent.stayQuiet();
    h.advanceTo(h.link(1).nextExchangeDueMs());
    QTRY_COMPARE(h.link(1).phase(), Phase::AwaitingReply);
    QVERIFY(h.settled(2));
    const qsizetype before = healthy.lines.size();
    for (int i = 0; i < 3; ++i) {
        QVERIFY(h.settled(2));
        const qint64 due = h.link(2).nextExchangeDueMs();
        QVERIFY(h.exchange(2));
        QCOMPARE(h.clock.monotonicMs(), due);
        QVERIFY(!h.rec(2).disconnected);
    }
    QCOMPARE(healthy.lines.size(), before + 3);
    QVERIFY(h.rec(1).disconnected);
    QCOMPARE(h.lista->statistics().onSchedule, h.lista->statistics().started);
}

void TestLink::deactivationStopsPolls() {
    LinkHarness h(Program);
    FakeStation& s = h.addStation(1);
    h.load();
    QVERIFY(h.startAll());
    QVERIFY(h.exchange(1));
    h.lista->setSelectedRow(1);
    h.rec(1).clockMs = 5000;
    QVERIFY(h.lista->desactivar());
    QCOMPARE(h.rec(1).estado, Estado::Desactivado);
    QCOMPARE(h.rec(1).clockMs, 0);
    QCOMPARE(h.link(1).phase(), Phase::Paused);
    h.advance(10000);
    QTest::qWait(20);
    QCOMPARE(s.lines.size(), 1);
    QVERIFY(!h.lista->desactivar());

    const qint64 activated = h.clock.monotonicMs();
    QVERIFY(h.lista->activar());
    QCOMPARE(h.rec(1).estado, Estado::Libre);
    QCOMPARE(h.link(1).nextExchangeDueMs(), activated + 1000);
    QVERIFY(h.exchange(1));
    QCOMPARE(s.lines.size(), 2);
    QCOMPARE(s.lines.last(), FreePoll);
}

void TestLink::apagarTodos() {
    LinkHarness h(Program);
    FakeStation& a = h.addStation(1);
    FakeStation& b = h.addStation(2);
    h.addStation(3, false);
    FakeStation& occupied = h.addStation(4);
    h.load();
    h.rec(4).estado = Estado::Contador;
    QVERIFY(h.startAll());
    QVERIFY(h.rec(3).disconnected);
    QCOMPARE(h.lista->apagarTodos(), 2);
    // Every link started at the same moment: one step reaches all their exchanges.
    h.advanceTo(h.link(1).nextExchangeDueMs());
    QTRY_VERIFY(a.lines.size() == 1 && b.lines.size() == 1 && occupied.lines.size() == 1);
    QCOMPARE(a.lines.first(), QByteArray("OFF\t1"));
    QCOMPARE(b.lines.first(), QByteArray("OFF\t1"));
    QVERIFY(occupied.lines.first().startsWith("PING\tOCUPADO\t0\t"));
    QCOMPARE(h.rec(3).pendiente, station::Pendiente::Poll);
}

QTEST_GUILESS_MAIN(TestLink)
#include "tst_link.moc"
