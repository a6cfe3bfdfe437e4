// The lock-out counts on both engines: the limit and the window at their
// edges, the end of a lock to the millisecond, the unlock and its trail, and
// one count shared by two consoles on one database.
#include "store/auditoria.h"
#include "store/bloqueos.h"
#include "store/consolas.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "support/testdb.h"

#include <QTest>

using namespace store;

namespace {

constexpr qint64 T0 = 1'800'000'000'000; // a fixed moment of the server's clock
constexpr qint64 Minute = 60000;
const QDateTime Cuando(QDate(2026, 3, 10), QTime(11, 0));

FalloRegistrado fallo(const QSqlDatabase& db, TipoBloqueo tipo, const QString& nombre, qint64 at,
                      const LimitesBloqueo& limites = {}) {
    return registrarFallo(db, tipo, nombre, limites, at, Cuando);
}

int auditLines(const QSqlDatabase& db, const QString& accion) {
    return toInt(scalar(db, QStringLiteral("SELECT COUNT(*) FROM auditoria WHERE ACCION = ?"), {accion}));
}

} // namespace

class TestBloqueos : public QObject {
    Q_OBJECT
private slots:
    void limitLocks_data();
    void limitLocks();
    void windowEdge_data();
    void windowEdge();
    void lockEndsExactlyAtItsTime();
    void unlockByHand();
    void limitsFromOptions_data();
    void limitsFromOptions();
    void sharedByTwoConsoles();
};

void TestBloqueos::limitLocks_data() {
    QTest::addColumn<int>("tipo");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("limit");
    QTest::addColumn<qint64>("lockMs");
    QTest::addColumn<QString>("objeto");
    // Letter case aside, one login is one count.
    QTest::newRow("login") << int(TipoBloqueo::Login)
                           << QStringList{QStringLiteral("ana"), QStringLiteral("ANA"),
                                          QStringLiteral("Ana ")}
                           << 5 << 15 * Minute << QStringLiteral("Cuenta ana");
    QTest::newRow("station") << int(TipoBloqueo::Puesto) << QStringList{QStringLiteral("4")} << 20
                             << 5 * Minute << QStringLiteral("Puesto 4");
    QTest::newRow("operator") << int(TipoBloqueo::Operador) << QStringList{QStringLiteral("CAJA")} << 5
                              << 15 * Minute << QStringLiteral("Operador CAJA");
}

void TestBloqueos::limitLocks() {
    QFETCH(int, tipo);
    QFETCH(QStringList, names);
    QFETCH(int, limit);
    QFETCH(qint64, lockMs);
    QFETCH(QString, objeto);
    TestDatabase t;
    const QSqlDatabase db = t.data.db();
    const auto kind = TipoBloqueo(tipo);
    for (int i = 1; i < limit; ++i) {
        const FalloRegistrado f = fallo(db, kind, names.at(i % names.size()), T0 + i);
        QCOMPARE(f.fallos, i);
        QVERIFY(!f.bloqueo);
    }
    QVERIFY(!bloqueoVigente(db, kind, names.first(), T0 + limit));
    QCOMPARE(auditLines(db, accion::Bloqueo), 0);

    const FalloRegistrado last = fallo(db, kind, names.first(), T0 + limit);
    QVERIFY(last.bloqueo);
    QCOMPARE(last.bloqueo->intentos, limit);
    QCOMPARE(last.bloqueo->hastaMs, T0 + limit + lockMs);
    QVERIFY(bloqueoVigente(db, kind, names.last(), T0 + limit));
    // One line, by the console itself.
    QCOMPARE(auditLines(db, accion::Bloqueo), 1);
    QCOMPARE(toText(scalar(db, QStringLiteral("SELECT OBJETO FROM auditoria"))), objeto);
    QCOMPARE(toText(scalar(db, QStringLiteral("SELECT OPERADOR FROM auditoria"))), QString());
    // Failing on while locked starts nothing and counts nothing.
    const FalloRegistrado more = fallo(db, kind, names.first(), T0 + limit + 1);
    QVERIFY(!more.bloqueo);
    QCOMPARE(auditLines(db, accion::Bloqueo), 1);
    // Another of the same kind is untouched.
    QVERIFY(!bloqueoVigente(db, kind, QStringLiteral("otro"), T0 + limit));
}

void TestBloqueos::windowEdge_data() {
    QTest::addColumn<qint64>("oldest");
    QTest::addColumn<bool>("locks");
    // Four failures at the oldest moment, the fifth at T0 + 10 min.
    QTest::newRow("oldest just inside the window") << T0 + 1 << true;
    QTest::newRow("oldest exactly a window old") << T0 << false;
    QTest::newRow("oldest older than the window") << T0 - Minute << false;
}

void TestBloqueos::windowEdge() {
    QFETCH(qint64, oldest);
    QFETCH(bool, locks);
    TestDatabase t;
    const QSqlDatabase db = t.data.db();
    fallo(db, TipoBloqueo::Login, QStringLiteral("ana"), oldest);
    for (int i = 0; i < 3; ++i)
        fallo(db, TipoBloqueo::Login, QStringLiteral("ana"), T0 + 5 * Minute + i);
    const FalloRegistrado f = fallo(db, TipoBloqueo::Login, QStringLiteral("ana"), T0 + 10 * Minute);
    QCOMPARE(bool(f.bloqueo), locks);
    QCOMPARE(f.fallos, locks ? 5 : 4);
}

void TestBloqueos::lockEndsExactlyAtItsTime() {
    TestDatabase t;
    const QSqlDatabase db = t.data.db();
    std::optional<Bloqueo> started;
    for (int i = 0; i < 5; ++i)
        started = fallo(db, TipoBloqueo::Operador, QStringLiteral("CAJA"), T0).bloqueo;
    QVERIFY(started);
    const qint64 end = started->hastaMs;
    QVERIFY(bloqueoVigente(db, TipoBloqueo::Operador, QStringLiteral("caja"), end - 1));
    QVERIFY(!bloqueoVigente(db, TipoBloqueo::Operador, QStringLiteral("caja"), end));
    QVERIFY(algunoBloqueado(db,
                            {claveBloqueo(TipoBloqueo::Puesto, QStringLiteral("1")),
                             claveBloqueo(TipoBloqueo::Operador, QStringLiteral("CAJA"))},
                            end - 1));
    QVERIFY(!algunoBloqueado(db, {claveBloqueo(TipoBloqueo::Operador, QStringLiteral("CAJA"))}, end));
    QCOMPARE(minutosRestantes(*started, T0), 15);
    QCOMPARE(minutosRestantes(*started, T0 + 1), 15);
    QCOMPARE(minutosRestantes(*started, end - Minute - 1), 2);
    QCOMPARE(minutosRestantes(*started, end - 1), 1);
    // The failures that made the lock are gone with it: counting starts again.
    const FalloRegistrado after = fallo(db, TipoBloqueo::Operador, QStringLiteral("CAJA"), end);
    QCOMPARE(after.fallos, 1);
    QVERIFY(!after.bloqueo);
}

void TestBloqueos::unlockByHand() {
    TestDatabase t;
    const QSqlDatabase db = t.data.db();
    for (int i = 0; i < 5; ++i)
        fallo(db, TipoBloqueo::Login, QStringLiteral("ana"), T0);
    const std::vector<Bloqueo> locks = bloqueosVigentes(db, T0);
    QCOMPARE(locks.size(), size_t(1));
    QCOMPARE(locks.front().nombre, QStringLiteral("ana"));
    QCOMPARE(locks.front().tipo, TipoBloqueo::Login);

    QVERIFY(levantarBloqueo(db, locks.front().clave, T0 + 1, QStringLiteral("CAJA"), Cuando));
    QVERIFY(!bloqueoVigente(db, TipoBloqueo::Login, QStringLiteral("ana"), T0 + 1));
    QVERIFY(bloqueosVigentes(db, T0 + 1).empty());
    QSqlQuery q = run(db, QStringLiteral("SELECT OPERADOR, OBJETO, DESPUES FROM auditoria WHERE ACCION = ?"),
                      {accion::Desbloqueo});
    QVERIFY(q.next());
    QCOMPARE(toText(q.value(0)), QStringLiteral("CAJA"));
    QCOMPARE(toText(q.value(1)), QStringLiteral("Cuenta ana"));
    QVERIFY(!q.next());
    // Nothing left to lift, and nothing written for it.
    QVERIFY(!levantarBloqueo(db, locks.front().clave, T0 + 2, QStringLiteral("CAJA"), Cuando));
    QCOMPARE(auditLines(db, accion::Desbloqueo), 1);
    // A fresh count.
    QCOMPARE(fallo(db, TipoBloqueo::Login, QStringLiteral("ana"), T0 + 3).fallos, 1);
}

void TestBloqueos::limitsFromOptions_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("read");
    QTest::newRow("upgraded, empty") << 0 << 5;
    QTest::newRow("lowest") << 3 << 3;
    QTest::newRow("below") << 2 << 5;
    QTest::newRow("highest") << 50 << 50;
    QTest::newRow("above") << 51 << 5;
}

void TestBloqueos::limitsFromOptions() {
    QFETCH(int, stored);
    QFETCH(int, read);
    TestDatabase t;
    const QSqlDatabase db = t.data.db();
    QCOMPARE(limitesBloqueo(readOpciones(db)), LimitesBloqueo{});
    run(db, QStringLiteral("UPDATE opciones SET bloq_intentos = ?, bloq_puesto_minutos = 0"), {stored});
    const LimitesBloqueo l = limitesBloqueo(readOpciones(db));
    QCOMPARE(l.intentos, read);
    QCOMPARE(l.minutosPuesto, LimitesBloqueo::DefaultMinutosPuesto);
    QCOMPARE(l.duracionMs(TipoBloqueo::Puesto), 5 * Minute);
}

void TestBloqueos::sharedByTwoConsoles() {
    TestDatabase t;
    TDataModule1 other;
    QVERIFY(other.open(t.path));
    const QSqlDatabase a = t.data.db();
    const QSqlDatabase b = other.db();
    // Both on the server's one clock.
    const qint64 now = serverNowMs(a);
    QVERIFY(qAbs(serverNowMs(b) - now) < 60000);
    for (int i = 0; i < 4; ++i)
        QVERIFY(!fallo(i % 2 ? a : b, TipoBloqueo::Login, QStringLiteral("ana"), now + i).bloqueo);
    const FalloRegistrado fifth = fallo(b, TipoBloqueo::Login, QStringLiteral("ANA"), now + 4);
    QVERIFY(fifth.bloqueo);
    QVERIFY(bloqueoVigente(a, TipoBloqueo::Login, QStringLiteral("ana"), now + 5));
    // The other console's sixth failure starts nothing: one of them tells.
    QVERIFY(!fallo(a, TipoBloqueo::Login, QStringLiteral("ana"), now + 5).bloqueo);
    QCOMPARE(auditLines(a, accion::Bloqueo), 1);
    QVERIFY(levantarBloqueo(a, fifth.bloqueo->clave, now + 6, QStringLiteral("ADMIN"), Cuando));
    QVERIFY(!bloqueoVigente(b, TipoBloqueo::Login, QStringLiteral("ana"), now + 6));
}

QTEST_GUILESS_MAIN(TestBloqueos)
#include "tst_bloqueos.moc"
