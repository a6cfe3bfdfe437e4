// The consoles' registry, take-overs and logins in use on the database
// alone, on both engines; the processes racing are the multi-console test's.
#include "accounts/cuentas.h"
#include "station/loginsinuse.h"
#include "store/consolas.h"
#include "store/schemaupdates.h"
#include "store/sql.h"
#include "support/testdb.h"

#include <QCoreApplication>
#include <QSysInfo>
#include <QTest>

#include <unistd.h>

using namespace store;

namespace {

ConsolaId consola(const QString& name, const QString& computer = QStringLiteral("otro-equipo"),
                  qint64 pid = 1, const QString& mark = QString()) {
    return {name, computer, pid, mark.isEmpty() ? name + QStringLiteral("-run") : mark};
}

// Makes the named console's heartbeat that many milliseconds old.
void age(const QSqlDatabase& db, const QString& name, qint64 ms) {
    run(db, QStringLiteral("UPDATE consolas SET LATIDO = LATIDO - ? WHERE NOMBRE = ?"), {ms, name});
}

QString owner(const QSqlDatabase& db, int station) {
    return toText(scalar(db, QStringLiteral("SELECT CONSOLA FROM puestos WHERE npuesto = ?"), {station}));
}

int epoch(const QSqlDatabase& db, int station) {
    return toInt(scalar(db, QStringLiteral("SELECT EPOCA FROM puestos WHERE npuesto = ?"), {station}));
}

} // namespace

class TestRegistroConsolas : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void firstConsoleClaimsFreeStations();
    void nameHeldWhileAlive_data();
    void nameHeldWhileAlive();
    void takeOverOnlyWhenSilent_data();
    void takeOverOnlyWhenSilent();
    void takeOverMovesLoginsAndRow();
    void loginClaimedOnce();
    void orphanClaimsReleased();
    void accountInUseElsewhereStays();

private:
    std::unique_ptr<TestDatabase> m_t;
    QSqlDatabase db() const { return m_t->data.db(); }
};

void TestRegistroConsolas::init() {
    m_t = std::make_unique<TestDatabase>(true);
    QVERIFY(applySchemaUpdates(db()));
}

void TestRegistroConsolas::cleanup() {
    m_t.reset();
}

void TestRegistroConsolas::firstConsoleClaimsFreeStations() {
    run(db(), QStringLiteral("UPDATE puestos SET CONSOLA = 'B' WHERE npuesto = 8"));
    const Registro a = registrarConsola(db(), consola(QStringLiteral("A")), 30000);
    QVERIFY(!a.heldBy);
    QCOMPARE(a.claimed, 7);
    QCOMPARE(owner(db(), 1), QStringLiteral("A"));
    QCOMPARE(epoch(db(), 1), 1);
    QCOMPARE(owner(db(), 8), QStringLiteral("B"));
    QCOMPARE(epoch(db(), 8), 0);
    // The second finds nothing left.
    QCOMPARE(registrarConsola(db(), consola(QStringLiteral("C")), 30000).claimed, 0);
    const auto [count, epochs] = resumenPropiedad(db(), QStringLiteral("A"));
    QCOMPARE(count, 7);
    QCOMPARE(epochs, qint64(7));
}

void TestRegistroConsolas::nameHeldWhileAlive_data() {
    QTest::addColumn<QString>("computer");
    QTest::addColumn<qint64>("pid");
    QTest::addColumn<qint64>("silentMs");
    QTest::addColumn<bool>("refused");
    const QString here = QSysInfo::machineHostName();
    const qint64 self = QCoreApplication::applicationPid();
    QTest::newRow("alive on another computer")
        << QStringLiteral("otro-equipo") << qint64(1) << qint64(0) << true;
    QTest::newRow("silent past the lease")
        << QStringLiteral("otro-equipo") << qint64(1) << qint64(31000) << false;
    QTest::newRow("just within the lease")
        << QStringLiteral("otro-equipo") << qint64(1) << qint64(25000) << true;
    QTest::newRow("another live process here") << here << qint64(::getppid()) << qint64(0) << true;
    QTest::newRow("this very process") << here << self << qint64(0) << false;
    // A run of this computer killed a moment ago does not hold its own name.
    QTest::newRow("a dead process here") << here << qint64(999999999) << qint64(0) << false;
}

void TestRegistroConsolas::nameHeldWhileAlive() {
    QFETCH(QString, computer);
    QFETCH(qint64, pid);
    QFETCH(qint64, silentMs);
    QFETCH(bool, refused);
    QVERIFY(
        !registrarConsola(db(), consola(QStringLiteral("A"), computer, pid, QStringLiteral("first")), 30000)
             .heldBy);
    age(db(), QStringLiteral("A"), silentMs);
    const Registro again =
        registrarConsola(db(),
                         consola(QStringLiteral("A"), QSysInfo::machineHostName(),
                                 QCoreApplication::applicationPid(), QStringLiteral("second")),
                         30000);
    QCOMPARE(bool(again.heldBy), refused);
    if (refused)
        QCOMPARE(*again.heldBy, computer);
    // A refused run leaves the row to the first one; a renewal tells the first whether it still holds it.
    QCOMPARE(
        renovarLatido(db(), consola(QStringLiteral("A"), computer, pid, QStringLiteral("first")), 30000, 0)
            .kept,
        refused);
}

void TestRegistroConsolas::takeOverOnlyWhenSilent_data() {
    QTest::addColumn<qint64>("silentMs");
    QTest::addColumn<qint64>("delayMs");
    QTest::addColumn<bool>("taken");
    QTest::newRow("silent longer than the delay") << qint64(31000) << qint64(30000) << true;
    QTest::newRow("renewed within the delay") << qint64(20000) << qint64(30000) << false;
    QTest::newRow("by hand, alive") << qint64(0) << qint64(0) << true;
}

void TestRegistroConsolas::takeOverOnlyWhenSilent() {
    QFETCH(qint64, silentMs);
    QFETCH(qint64, delayMs);
    QFETCH(bool, taken);
    registrarConsola(db(), consola(QStringLiteral("A")), 30000);
    registrarConsola(db(), consola(QStringLiteral("B")), 30000);
    age(db(), QStringLiteral("A"), silentMs);
    const Latido seen = renovarLatido(db(), consola(QStringLiteral("B")), 30000, delayMs);
    QCOMPARE(seen.dead.size() == 1, taken && delayMs > 0);
    const std::optional<Toma> toma =
        tomarPuestos(db(), QStringLiteral("B"), QStringLiteral("A"), delayMs, QString());
    QCOMPARE(bool(toma), taken);
    QCOMPARE(owner(db(), 3), taken ? QStringLiteral("B") : QStringLiteral("A"));
    QCOMPARE(epoch(db(), 3), taken ? 2 : 1);
    if (taken) {
        QCOMPARE(toma->stations.size(), size_t(8));
        // Taken once: a second console that noticed too finds nothing.
        QVERIFY(!tomarPuestos(db(), QStringLiteral("C"), QStringLiteral("A"), delayMs > 0 ? delayMs : 1,
                              QString()));
        QVERIFY(!renovarLatido(db(), consola(QStringLiteral("A")), 30000, 0).kept);
    }
}

void TestRegistroConsolas::takeOverMovesLoginsAndRow() {
    registrarConsola(db(), consola(QStringLiteral("A")), 30000);
    run(db(), QStringLiteral("UPDATE puestos SET cuenta = '10001' WHERE npuesto = 2"));
    QVERIFY(reclamarLogin(db(), QStringLiteral("10001"), 2, QStringLiteral("A")));
    QVERIFY(tomarPuestos(db(), QStringLiteral("B"), QStringLiteral("A"), 0, QStringLiteral("ANA")));
    QCOMPARE(toText(scalar(db(), QStringLiteral("SELECT CONSOLA FROM logins_en_uso WHERE LOGIN = '10001'"))),
             QStringLiteral("B"));
    // A take-over by hand is the operator's, in the trail with what changed hands.
    QSqlQuery trail = run(db(), QStringLiteral("SELECT OPERADOR, OBJETO, ANTES, DESPUES FROM auditoria WHERE "
                                               "ACCION = 'Toma de puestos'"));
    QVERIFY(trail.next());
    QCOMPARE(toText(trail.value(0)), QStringLiteral("ANA"));
    QCOMPARE(toText(trail.value(1)), QStringLiteral("Consola A"));
    QVERIFY(toText(trail.value(2)).endsWith(QStringLiteral(" de A")));
    QVERIFY(toText(trail.value(3)).startsWith(QStringLiteral("Puestos 1, 2, ")));
    QVERIFY(!trail.next());
    QCOMPARE(toInt(scalar(db(), QStringLiteral("SELECT COUNT(*) FROM consolas WHERE NOMBRE = 'A'"))), 0);
    // Still in use: the customer is still logged in.
    QVERIFY(!reclamarLogin(db(), QStringLiteral("10001"), 5, QStringLiteral("B")));
}

void TestRegistroConsolas::loginClaimedOnce() {
    QVERIFY(reclamarLogin(db(), QStringLiteral("Ana"), 1, QStringLiteral("A")));
    // One login whatever the case of A-Z, at any console; the station's own claim stands.
    QVERIFY(!reclamarLogin(db(), QStringLiteral("ANA"), 2, QStringLiteral("B")));
    QVERIFY(reclamarLogin(db(), QStringLiteral("ana"), 1, QStringLiteral("A")));
    QVERIFY(reclamarLogin(db(), QStringLiteral("Ñu"), 3, QStringLiteral("A")));
    QVERIFY(reclamarLogin(db(), QStringLiteral("ñu"), 4, QStringLiteral("A")));
    moverLogin(db(), QStringLiteral("ANA"), 6);
    QVERIFY(!reclamarLogin(db(), QStringLiteral("ana"), 1, QStringLiteral("A")));
    liberarLogin(db(), QStringLiteral("aNa"));
    QVERIFY(reclamarLogin(db(), QStringLiteral("ana"), 2, QStringLiteral("B")));
}

void TestRegistroConsolas::orphanClaimsReleased() {
    registrarConsola(db(), consola(QStringLiteral("A")), 30000);
    run(db(), QStringLiteral("UPDATE puestos SET cuenta = '10001' WHERE npuesto = 1"));
    QVERIFY(reclamarLogin(db(), QStringLiteral("10001"), 1, QStringLiteral("A")));
    QVERIFY(reclamarLogin(db(), QStringLiteral("10002"), 2, QStringLiteral("A")));
    QVERIFY(reclamarLogin(db(), QStringLiteral("10003"), 3, QStringLiteral("B")));
    // 10002's station holds nobody; B's claims are B's business.
    QCOMPARE(liberarLoginsHuerfanos(db(), QStringLiteral("A")), 1);
    QVERIFY(!reclamarLogin(db(), QStringLiteral("10001"), 4, QStringLiteral("A")));
    QVERIFY(reclamarLogin(db(), QStringLiteral("10002"), 4, QStringLiteral("A")));
    QVERIFY(!reclamarLogin(db(), QStringLiteral("10003"), 5, QStringLiteral("A")));
}

void TestRegistroConsolas::accountInUseElsewhereStays() {
    // Logged in at another console's station: this console's own list knows nothing of it.
    QVERIFY(reclamarLogin(db(), QStringLiteral("10001"), 5, QStringLiteral("B")));
    const station::LoginsInUse here;
    QVERIFY(!accounts::eliminarCuenta(db(), QStringLiteral("10001"), here, QString(), {}));
    QVERIFY(accounts::eliminarCuenta(db(), QStringLiteral("10002"), here, QString(), {}));
    QCOMPARE(
        toInt(scalar(db(), QStringLiteral("SELECT COUNT(*) FROM cuentas WHERE Login IN ('10001', '10002')"))),
        1);
}

QTEST_GUILESS_MAIN(TestRegistroConsolas)
#include "tst_registroconsolas.moc"
