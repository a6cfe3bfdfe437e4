#include "accountfixture.h"

#include "accounts/cuentas.h"
#include "station/loginsinuse.h"
#include "store/sql.h"

#include <QTest>

using namespace accounts;

class TstCuentas : public QObject {
    Q_OBJECT
private slots:
    void search_data();
    void search();
    void deleteInUse();
    void expiredRemoval_data();
    void expiredRemoval();
};

void TstCuentas::search_data() {
    QTest::addColumn<bool>("byName");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("startsWith");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("empty shows all") << false << "" << true << QStringList{"100%", "A_B", "AXB", "O'H"};
    QTest::newRow("login starts") << false << "a" << true << QStringList{"A_B", "AXB"};
    QTest::newRow("underscore is plain") << false << "A_" << true << QStringList{"A_B"};
    QTest::newRow("percent is plain") << false << "%" << false << QStringList{"100%"};
    QTest::newRow("star is plain") << false << "*" << false << QStringList{};
    QTest::newRow("quote") << false << "O'" << true << QStringList{"O'H"};
    QTest::newRow("name contains") << true << "ver" << false << QStringList{"AXB"};
    QTest::newRow("time codes never") << false << "COD" << true << QStringList{};
}

void TstCuentas::search() {
    QFETCH(bool, byName);
    QFETCH(QString, typed);
    QFETCH(bool, startsWith);
    QFETCH(QStringList, found);
    AccountFixture f;
    for (const char* login : {"A_B", "AXB", "100%", "O'H"}) {
        store::Cuenta c = f.cuenta(QLatin1String(login));
        c.Nombre = login == QLatin1String("AXB") ? QStringLiteral("Oliver") : QStringLiteral("Ana");
        f.add(c);
    }
    store::Cuenta code = f.cuenta(QStringLiteral("CODIGO"));
    code.Tipo = QStringLiteral("9");
    f.add(code);
    QStringList logins;
    for (const store::Cuenta& c : buscarCuentas(f.db(), byName, typed, startsWith))
        logins << c.Login;
    QCOMPARE(logins, found);
}

void TstCuentas::deleteInUse() {
    AccountFixture f;
    f.add(f.cuenta(QStringLiteral("ANA")));
    station::LoginsInUse inUse;
    inUse.add(QStringLiteral("ana"));
    QVERIFY(!eliminarCuenta(f.db(), QStringLiteral("ANA"), inUse, QString(), {}));
    QCOMPARE(f.read(QStringLiteral("ANA")).Login, QStringLiteral("ANA"));
    inUse.clear();
    QVERIFY(eliminarCuenta(f.db(), QStringLiteral("ANA"), inUse, QString(), {}));
    QCOMPARE(store::toInt(store::scalar(f.db(), QStringLiteral("SELECT COUNT(*) FROM cuentas"))), 0);
}

void TstCuentas::expiredRemoval_data() {
    QTest::addColumn<bool>("oneInUse");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("created before 10/03 go") << false << QStringList{"DIEZ", "CODIGO"};
    QTest::newRow("one in use: none go") << true << QStringList{"NUEVE", "OCHO", "DIEZ", "CODIGO"};
}

void TstCuentas::expiredRemoval() {
    QFETCH(bool, oneInUse);
    QFETCH(QStringList, left);
    AccountFixture f;
    for (auto [login, day] : {std::pair{"NUEVE", 9}, std::pair{"OCHO", 8}, std::pair{"DIEZ", 10}}) {
        store::Cuenta c = f.cuenta(QLatin1String(login));
        c.Alta = QDate(2026, 3, day);
        f.add(c);
    }
    store::Cuenta code = f.cuenta(QStringLiteral("CODIGO"));
    code.Tipo = QStringLiteral("9");
    code.Alta = QDate(2025, 1, 1);
    f.add(code);
    station::LoginsInUse inUse;
    if (oneInUse)
        inUse.add(QStringLiteral("OCHO"));
    const QStringList busy = eliminarCaducadas(f.db(), false, QDate(2026, 3, 10), inUse, QString(), {});
    QCOMPARE(busy, oneInUse ? QStringList{QStringLiteral("OCHO")} : QStringList{});
    QStringList logins;
    for (const store::Cuenta& c : store::select<store::Cuenta>(f.db(), QStringLiteral("ORDER BY rowid")))
        logins << c.Login;
    QCOMPARE(logins, left);
}

QTEST_GUILESS_MAIN(TstCuentas)
#include "tst_cuentas.moc"
