// Operators' passwords kept as salted slow hashes: what verifies and what
// does not, the parameters read back from the stored text, and the plain
// values an older copy brings, hashed once at the opening.
#include "store/claves.h"
#include "store/operadores.h"
#include "store/schemaupdates.h"
#include "store/sql.h"
#include "support/testdb.h"

#include <QTest>

using namespace store;

namespace {

// Few iterations: the tests are about the form, not the cost.
constexpr int Rapidas = 1000;

} // namespace

class TestClaves : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void defaultCostAndFreshSalt();
    void storedTextDecides_data();
    void storedTextDecides();
    void mismosBytes_data();
    void mismosBytes();
    void plainPasswordsHashedAtOpening();
};

void TestClaves::roundTrip_data() {
    QTest::addColumn<QString>("clave");
    QTest::addColumn<QString>("tecleada");
    QTest::addColumn<bool>("correcta");
    QTest::newRow("same") << QStringLiteral("1234") << QStringLiteral("1234") << true;
    QTest::newRow("another case") << QStringLiteral("Clave") << QStringLiteral("clave") << false;
    QTest::newRow("a trailing blank") << QStringLiteral("1234") << QStringLiteral("1234 ") << false;
    QTest::newRow("nothing typed") << QStringLiteral("1234") << QString() << false;
    QTest::newRow("the stored text typed") << QStringLiteral("1234") << QStringLiteral("<stored>") << false;
    QTest::newRow("non-ASCII") << QStringLiteral("ñandú€") << QStringLiteral("ñandú€") << true;
    QTest::newRow("a dollar inside") << QStringLiteral("a$b$c$d") << QStringLiteral("a$b$c$d") << true;
}

void TestClaves::roundTrip() {
    QFETCH(QString, clave);
    QFETCH(QString, tecleada);
    QFETCH(bool, correcta);
    const QString stored = claveProtegida(clave, Rapidas);
    QVERIFY(esClaveProtegida(stored));
    QVERIFY(!stored.contains(clave));
    if (tecleada == QLatin1String("<stored>"))
        tecleada = stored;
    QCOMPARE(claveCorrecta(stored, tecleada), correcta);
}

void TestClaves::defaultCostAndFreshSalt() {
    const QString a = claveProtegida(QStringLiteral("1234"));
    const QString b = claveProtegida(QStringLiteral("1234"));
    QVERIFY(a.startsWith(QStringLiteral("pbkdf2-sha256$400000$")));
    QCOMPARE(iteracionesDe(a), IteracionesClave);
    // One salt per hash: equal passwords never show as equal rows.
    QVERIFY(a != b);
    QVERIFY(claveCorrecta(a, QStringLiteral("1234")));
    QVERIFY(claveCorrecta(b, QStringLiteral("1234")));
    // Nothing to hide, nothing hashed.
    QCOMPARE(claveProtegida(QString()), QString());
}

void TestClaves::storedTextDecides_data() {
    const QString hash = claveProtegida(QStringLiteral("secreto"), Rapidas);
    const QStringList parts = hash.split(QLatin1Char('$'));
    const auto with = [&](int index, const QString& value) {
        QStringList p = parts;
        p[index] = value;
        return p.join(QLatin1Char('$'));
    };
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("hashed");
    QTest::addColumn<bool>("correct");
    QTest::newRow("ours") << hash << QStringLiteral("secreto") << true << true;
    // The iterations come from the text: other ones give another hash.
    QTest::newRow("iterations raised in the text")
        << with(1, QStringLiteral("1001")) << QStringLiteral("secreto") << true << false;
    QTest::newRow("salt changed") << with(2, QStringLiteral("AAAAAAAAAAAAAAAAAAAAAA=="))
                                  << QStringLiteral("secreto") << true << false;
    // Not our form: compared as typed, as an older copy keeps it.
    QTest::newRow("plain") << QStringLiteral("1234") << QStringLiteral("1234") << false << true;
    QTest::newRow("plain, another case") << QStringLiteral("abc") << QStringLiteral("ABC") << false << false;
    QTest::newRow("plain empty") << QString() << QString() << false << true;
    QTest::newRow("plain empty, something typed") << QString() << QStringLiteral("x") << false << false;
    QTest::newRow("zero iterations") << with(1, QStringLiteral("0")) << QStringLiteral("secreto") << false
                                     << false;
    // A text that would hang the log-in for minutes is none of ours.
    QTest::newRow("too many iterations")
        << with(1, QStringLiteral("10000001")) << QStringLiteral("secreto") << false << false;
    QTest::newRow("hash too short") << with(3, QStringLiteral("AAAA")) << QStringLiteral("secreto") << false
                                    << false;
    QTest::newRow("another algorithm")
        << with(0, QStringLiteral("pbkdf2-sha1")) << QStringLiteral("secreto") << false << false;
    QTest::newRow("plain equal to a malformed text")
        << with(1, QString()) << with(1, QString()) << false << true;
}

void TestClaves::storedTextDecides() {
    QFETCH(QString, stored);
    QFETCH(QString, typed);
    QFETCH(bool, hashed);
    QFETCH(bool, correct);
    QCOMPARE(esClaveProtegida(stored), hashed);
    QCOMPARE(claveCorrecta(stored, typed), correct);
}

void TestClaves::mismosBytes_data() {
    QTest::addColumn<QByteArray>("a");
    QTest::addColumn<QByteArray>("b");
    QTest::addColumn<bool>("equal");
    QTest::newRow("equal") << QByteArray("abcdef") << QByteArray("abcdef") << true;
    QTest::newRow("both empty") << QByteArray() << QByteArray() << true;
    QTest::newRow("first byte") << QByteArray("xbcdef") << QByteArray("abcdef") << false;
    QTest::newRow("last byte") << QByteArray("abcdex") << QByteArray("abcdef") << false;
    QTest::newRow("one bit") << QByteArray("abcdeg") << QByteArray("abcdef") << false;
    QTest::newRow("prefix") << QByteArray("abc") << QByteArray("abcdef") << false;
    QTest::newRow("zero bytes") << QByteArray(4, '\0') << QByteArray(3, '\0') << false;
}

void TestClaves::mismosBytes() {
    QFETCH(QByteArray, a);
    QFETCH(QByteArray, b);
    QFETCH(bool, equal);
    QCOMPARE(store::mismosBytes(a, b), equal);
    QCOMPARE(store::mismosBytes(b, a), equal);
}

void TestClaves::plainPasswordsHashedAtOpening() {
    TestDatabase t;
    const QSqlDatabase db = t.data.db();
    const QString kept = claveProtegida(QStringLiteral("ya"), Rapidas);
    for (const auto& [name, pass] :
         {std::pair{"LUIS", QStringLiteral("1234")}, std::pair{"EVA", kept}, std::pair{"SIN", QString()}}) {
        Operador op;
        op.NOMBRE = QLatin1String(name);
        op.PASS = pass;
        insertOperador(db, op);
    }
    QVERIFY(applySchemaUpdates(db));
    const auto pass = [&](const char* name) { return operadorPorNombre(db, QLatin1String(name))->PASS; };
    const QString luis = pass("LUIS");
    QVERIFY(esClaveProtegida(luis));
    QCOMPARE(iteracionesDe(luis), IteracionesClave);
    QVERIFY(claveCorrecta(luis, QStringLiteral("1234")));
    // A hash stays as it was, whatever its iterations; no password stays none.
    QCOMPARE(pass("EVA"), kept);
    QCOMPARE(pass("SIN"), QString());
    QVERIFY(claveCorrecta(pass("SIN"), QString()));
    // The next opening finds nothing left to hash.
    QVERIFY(applySchemaUpdates(db));
    QCOMPARE(pass("LUIS"), luis);
    QCOMPARE(protegerClavesOperadores(db), 0);
    for (const Operador& op : operadores(db))
        QVERIFY2(op.PASS.isEmpty() || esClaveProtegida(op.PASS), qPrintable(op.NOMBRE));
}

QTEST_GUILESS_MAIN(TestClaves)
#include "tst_claves.moc"
