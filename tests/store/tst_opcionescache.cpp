// The options row kept in memory: every way of saving it shows at once,
// here and from another console, and no ticket is numbered from it.
#include "sales/tickets.h"
#include "session/engine.h"
#include "store/cambios.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "store/transaction.h"
#include "support/testengine.h"

#include <QTest>

#include <functional>

using Change = std::function<void(const QSqlDatabase&)>;
Q_DECLARE_METATYPE(Change)

class TestOpcionesCache : public QObject {
    Q_OBJECT
private slots:
    void savedOptionShowsAtOnce_data();
    void savedOptionShowsAtOnce();
    void anotherConsolesSaveShows();
    void countersAreNeverCached();
};

void TestOpcionesCache::savedOptionShowsAtOnce_data() {
    QTest::addColumn<Change>("change");
    QTest::addColumn<QString>("expected");
    QTest::newRow("options dialog") << Change([](const QSqlDatabase& db) {
        store::Opciones o = store::readOpciones(db);
        o.DBLookUp = QStringLiteral("NOCHE");
        store::saveOpciones(db, o);
    }) << QStringLiteral("NOCHE");
    QTest::newRow("open dialog's choice") << Change([](const QSqlDatabase& db) {
        store::saveOpenDialogChoice(db, QStringLiteral("TARDE"), Currency::fromCents(150));
    }) << QStringLiteral("TARDE");
    QTest::newRow("an editor's statement, marked in its transaction") << Change([](const QSqlDatabase& db) {
        store::Transaction tx(db);
        store::run(db, QStringLiteral("UPDATE opciones SET DBLookUp = 'MANANA'"));
        store::marcarCambio(db, store::Cambio::Opciones);
        tx.commit();
    }) << QStringLiteral("MANANA");
}

void TestOpcionesCache::savedOptionShowsAtOnce() {
    QFETCH(Change, change);
    QFETCH(QString, expected);
    TestDatabase t;
    const QSqlDatabase db = t.data.db();
    QVERIFY(store::cachedOpciones(db).DBLookUp.trimmed() != expected);
    change(db);
    QCOMPARE(store::cachedOpciones(db).DBLookUp.trimmed(), expected);
}

void TestOpcionesCache::anotherConsolesSaveShows() {
    TestEngine te;
    const QSqlDatabase db = te.db.data.db();
    const int before = store::cachedOpciones(db).iva_gen;
    TDataModule1 other;
    QVERIFY(other.open(te.db.path));
    {
        store::Transaction tx(other.db());
        store::run(other.db(), QStringLiteral("UPDATE opciones SET iva_gen = ?"), {before + 1});
        store::marcarCambio(other.db(), store::Cambio::Opciones);
        tx.commit();
    }
    // Unseen until the shared changes are looked at, as any other option.
    QCOMPARE(store::cachedOpciones(db).iva_gen, before);
    QVERIFY(te.engine->cambios().aplicar({store::claveCambio(store::Cambio::Opciones)}));
    QCOMPARE(store::cachedOpciones(db).iva_gen, before + 1);
}

void TestOpcionesCache::countersAreNeverCached() {
    TestDatabase t;
    const QSqlDatabase db = t.data.db();
    TDataModule1 other;
    QVERIFY(other.open(t.path));
    const QDateTime now(QDate(2026, 3, 10), QTime(11, 0));
    const auto number = [&](const QSqlDatabase& on) {
        store::Ticket ticket;
        ticket.NPUESTO = 1;
        return sales::NuevoNumeroTicket(on, ticket, now).NUM_TICKET.toInt();
    };
    const int first = number(db);
    (void)store::cachedOpciones(db);
    // Tickets numbered here and at another console after the row was kept.
    QCOMPARE(number(other.db()), first + 1);
    QCOMPARE(number(db), first + 2);
    QCOMPARE(number(other.db()), first + 3);
    QCOMPARE(store::readOpciones(db).NUM_TICK, first + 3);
}

QTEST_GUILESS_MAIN(TestOpcionesCache)
#include "tst_opcionescache.moc"
