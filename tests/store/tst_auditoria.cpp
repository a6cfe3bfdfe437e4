// The audit trail on both engines: a line carries its console and operator,
// and no line once written can be changed or removed.
#include "store/auditoria.h"
#include "store/schemaupdates.h"
#include "store/sql.h"
#include "store/transaction.h"
#include "support/testdb.h"

#include <QTest>

using namespace store;

class TestAuditoria : public QObject {
    Q_OBJECT
private slots:
    void lineCarriesConsoleAndOperator();
    void linesCannotChange_data();
    void linesCannotChange();
    void diferenciasNamesOnlyWhatChanged();
};

void TestAuditoria::lineCarriesConsoleAndOperator() {
    TestDatabase t;
    t.data.setConsoleName(QStringLiteral("caja-2"));
    const QSqlDatabase db = t.data.db();
    {
        Transaction tx(db);
        auditar(db, {QStringLiteral("ana"), accion::AnularTicket, QStringLiteral("Ticket 000007"),
                     QStringLiteral("5,00"), QString(), QDateTime(QDate(2026, 3, 1), QTime(9, 30))});
        // Rolled back with the action it records.
    }
    QCOMPARE(toInt(scalar(db, QStringLiteral("SELECT COUNT(*) FROM auditoria"))), 0);
    auditar(db, {QStringLiteral("ana"), accion::AnularTicket, QStringLiteral("Ticket 000007"),
                 QStringLiteral("5,00"), QString(), QDateTime(QDate(2026, 3, 1), QTime(9, 30))});
    QSqlQuery q = run(
        db, QStringLiteral("SELECT FECHA, HORA, CONSOLA, OPERADOR, ACCION, OBJETO, ANTES FROM auditoria"));
    QVERIFY(q.next());
    QCOMPARE(toDate(q.value(0)), QDate(2026, 3, 1));
    QCOMPARE(toTime(q.value(1)), QTime(9, 30));
    QCOMPARE(toText(q.value(2)), QStringLiteral("caja-2"));
    QCOMPARE(toText(q.value(3)), QStringLiteral("ana"));
    QCOMPARE(toText(q.value(4)), accion::AnularTicket);
    QCOMPARE(toText(q.value(5)), QStringLiteral("Ticket 000007"));
    QCOMPARE(toText(q.value(6)), QStringLiteral("5,00"));
}

void TestAuditoria::linesCannotChange_data() {
    QTest::addColumn<QString>("statement");
    QTest::newRow("update") << QStringLiteral("UPDATE auditoria SET OPERADOR = 'otro'");
    QTest::newRow("delete") << QStringLiteral("DELETE FROM auditoria");
}

void TestAuditoria::linesCannotChange() {
    QFETCH(QString, statement);
    TestDatabase t;
    const QSqlDatabase db = t.data.db();
    auditar(db, {QStringLiteral("ana"),
                 accion::Opciones,
                 QStringLiteral("Opciones"),
                 QStringLiteral("a"),
                 QStringLiteral("b"),
                 {}});
    QVERIFY_THROWS_EXCEPTION(DatabaseError, run(db, statement));
    QCOMPARE(toText(scalar(db, QStringLiteral("SELECT OPERADOR FROM auditoria"))), QStringLiteral("ana"));
    // The schema updates that run at every opening leave the guards as they are.
    QVERIFY(applySchemaUpdates(db));
    QVERIFY_THROWS_EXCEPTION(DatabaseError, run(db, statement));
}

void TestAuditoria::diferenciasNamesOnlyWhatChanged() {
    const QString d = diferencias({{QStringLiteral("Precio"), QStringLiteral("1,00")},
                                   {QStringLiteral("Nombre"), QStringLiteral("Café")}},
                                  {{QStringLiteral("Nombre"), QStringLiteral("Café")},
                                   {QStringLiteral("Precio"), QStringLiteral("1,20")}});
    QCOMPARE(d, QStringLiteral("Precio: 1,00 -> 1,20"));
}

QTEST_GUILESS_MAIN(TestAuditoria)
#include "tst_auditoria.moc"
