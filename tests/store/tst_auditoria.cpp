// The audit trail on both engines: a line carries its console and operator,
// and no line once written can be changed or removed.
#include "store/auditoria.h"
#include "store/datamodule.h"
#include "store/newdatabase.h"
#include "store/schemaupdates.h"
#include "store/sql.h"
#include "store/transaction.h"
#include "support/testdb.h"
#include "support/testserver.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QTest>

using namespace store;

class TestAuditoria : public QObject {
    Q_OBJECT
private slots:
    void lineCarriesConsoleAndOperator();
    void linesCannotChange_data();
    void linesCannotChange();
    void diferenciasNamesOnlyWhatChanged();
    void consoleRoleWithRowRightsOnly();
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

// The rights the README gives a café's console role on a server: rows only,
// and of the audit trail only reading and adding. The console must start
// (its schema updates find nothing to create) and work with them.
void TestAuditoria::consoleRoleWithRowRightsOnly() {
    if (!testserver::onServer())
        QSKIP("roles are the server's");
    const QString uri = testserver::newDatabase();
    QVERIFY(createDatabase(uri, true));
    const QString role = QStringLiteral("caja_%1").arg(QCoreApplication::applicationPid());
    TDataModule1 owner;
    QVERIFY(owner.open(uri));
    const QSqlDatabase o = owner.db();
    run(o, QStringLiteral("DROP ROLE IF EXISTS ") + role);
    run(o, QStringLiteral("CREATE ROLE ") + role + QStringLiteral(" LOGIN PASSWORD 'caja'"));
    const auto cleanup = qScopeGuard([&] {
        testserver::dropDatabase(uri);
        TDataModule1 admin;
        if (admin.open(testserver::adminUri()))
            run(admin.db(), QStringLiteral("DROP ROLE IF EXISTS ") + role);
    });
    const QString database = uri.section(QLatin1Char('/'), 3).section(QLatin1Char('?'), 0, 0);
    for (const QString& grant :
         {QStringLiteral("GRANT CONNECT ON DATABASE %1 TO %2").arg(database, role),
          QStringLiteral("GRANT USAGE ON SCHEMA public TO %1").arg(role),
          QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA public TO %1")
              .arg(role),
          QStringLiteral("GRANT USAGE, SELECT, UPDATE ON ALL SEQUENCES IN SCHEMA public TO %1").arg(role),
          QStringLiteral("REVOKE UPDATE, DELETE, TRUNCATE ON auditoria FROM %1").arg(role)})
        run(o, grant);
    owner.close();

    TDataModule1 caja;
    QVERIFY(caja.open(QString(uri).replace(QStringLiteral("quintor@"), role + QLatin1Char('@')),
                      QStringLiteral("caja")));
    const QSqlDatabase db = caja.db();
    QVERIFY(applySchemaUpdates(db));
    {
        Transaction tx(db);
        run(db, QStringLiteral("UPDATE cuentas SET credito = credito + 10000 WHERE Login = '10001'"));
        auditar(db, {QStringLiteral("CAJA"),
                     accion::CreditoCuenta,
                     QStringLiteral("Cuenta 10001"),
                     QStringLiteral("10,00"),
                     QStringLiteral("11,00"),
                     {}});
        tx.commit();
    }
    QVERIFY_THROWS_EXCEPTION(DatabaseError, run(db, QStringLiteral("DELETE FROM auditoria")));
    QVERIFY_THROWS_EXCEPTION(DatabaseError, run(db, QStringLiteral("DROP TABLE auditoria")));
}

QTEST_GUILESS_MAIN(TestAuditoria)
#include "tst_auditoria.moc"
