#include "core/regional.h"
#include "store/dialect.h"
#include "store/importcuentas.h"
#include "store/passwordcache.h"
#include "store/recordcipher.h"
#include "store/sql.h"
#include "support/faults.h"
#include "support/testdb.h"

#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

namespace {

QStringList record13(const QString& login) {
    return {login,
            QStringLiteral("pw"),
            QStringLiteral("Nombre ") + login,
            QStringLiteral("C/ Mayor 1"),
            QStringLiteral("600"),
            QStringLiteral("1"),
            QStringLiteral("0"),
            QStringLiteral("1"),
            QStringLiteral("Aviso"),
            QStringLiteral("12,50"),
            QStringLiteral("15"),
            QStringLiteral("03/02/2004"),
            QStringLiteral("04/05/2006")};
}

QStringList record17(const QString& login) {
    return record13(login) +
           QStringList{QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("1"), QStringLiteral("z")};
}

// An account's columns by name, whatever letter case the engine gives them.
struct Account {
    QVariant value(const QString& column) const { return columns.value(column.toLower()); }
    bool isEmpty() const { return columns.isEmpty(); }
    QVariantMap columns;
};

Account account(const QSqlDatabase& db, const QString& login) {
    QSqlQuery q = store::run(db, QStringLiteral("SELECT * FROM cuentas WHERE Login = ?"), {login});
    Account row;
    if (q.next()) {
        for (int i = 0; i < q.record().count(); ++i)
            row.columns.insert(q.record().fieldName(i).toLower(), q.value(i));
    }
    return row;
}

} // namespace

class TestImport : public QObject {
    Q_OBJECT
private slots:
    void cipherRoundTrip();
    void importsBothLayouts_data();
    void importsBothLayouts();
    void conversions_data();
    void conversions();
    void existingLoginIsSkipped_data();
    void existingLoginIsSkipped();
    void recordLimits_data();
    void recordLimits();
    void databaseErrorImportsNothing_data();
    void databaseErrorImportsNothing();
    void badFiles_data();
    void badFiles();
    void windows1252Text();
    void passwordCache();
};

void TestImport::cipherRoundTrip() {
    const QByteArray clear = store::buildExportRecord(record13(QStringLiteral("ana")));
    const QByteArray enciphered = store::recordcipher::encipher(clear);
    QCOMPARE(enciphered.size(), 512);
    QVERIFY(enciphered != clear);
    QCOMPARE(store::recordcipher::decipher(enciphered), clear);
    // Each record starts again from the same vector.
    QCOMPARE(store::recordcipher::encipher(clear), enciphered);
    QVERIFY(store::recordcipher::encipher(clear.left(511)).isEmpty());
}

void TestImport::importsBothLayouts_data() {
    QTest::addColumn<bool>("seventeen");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("bloquear");
    QTest::newRow("3.0 file") << false << 13 << false;
    QTest::newRow("3.1 file") << true << 17 << true;
    QTest::newRow("3.0 file read as 3.1") << false << 17 << false;
    QTest::newRow("3.1 file read as 3.0") << true << 13 << true;
}

void TestImport::importsBothLayouts() {
    QFETCH(bool, seventeen);
    QFETCH(int, count);
    QFETCH(bool, bloquear);
    TestDatabase t;
    const QString file = t.home.databaseFile(QStringLiteral("usr.qdt"));
    QVERIFY(store::writeExportFile(
        file, {seventeen ? record17(QStringLiteral("nuevo")) : record13(QStringLiteral("nuevo"))}));
    QList<int> steps;
    const auto outcome = store::ImportarCuentas(t.data.db(), file, count, Regional::spanishSpain(),
                                                [&](int done, int) { steps << done; });
    QVERIFY2(outcome.ok(), qPrintable(outcome.error()));
    QCOMPARE(outcome->imported, 1);
    QCOMPARE(steps, (QList<int>{0, 1}));
    const Account row = account(t.data.db(), QStringLiteral("nuevo"));
    QCOMPARE(row.value(QStringLiteral("Pass")).toString(), QStringLiteral("pw"));
    QCOMPARE(row.value(QStringLiteral("Dir")).toString(), QStringLiteral("C/ Mayor 1"));
    QCOMPARE(row.value(QStringLiteral("Telf")).toString(), QStringLiteral("600"));
    QCOMPARE(store::toBool(row.value(QStringLiteral("Intropass"))), true);
    QCOMPARE(store::toBool(row.value(QStringLiteral("Nomodpass"))), false);
    QCOMPARE(store::toBool(row.value(QStringLiteral("Desactivada"))), true);
    QCOMPARE(row.value(QStringLiteral("Aviso")).toString(), QStringLiteral("Aviso"));
    QCOMPARE(store::toBool(row.value(QStringLiteral("CheckAviso"))), true);
    QCOMPARE(store::toCurrency(row.value(QStringLiteral("credito"))), Currency::fromCents(1250));
    QCOMPARE(store::toInt(row.value(QStringLiteral("Descuento"))), 15);
    QCOMPARE(store::toDate(row.value(QStringLiteral("Alta"))), QDate(2004, 2, 3));
    QCOMPARE(store::toDate(row.value(QStringLiteral("Ultima"))), QDate(2006, 5, 4));
    QCOMPARE(store::toBool(row.value(QStringLiteral("Bloquear"))), bloquear);
    QCOMPARE(row.value(QStringLiteral("Tipo")).toString(), QStringLiteral("0"));
    QCOMPARE(store::toInt(row.value(QStringLiteral("Bonotiempo"))), 0);
}

void TestImport::conversions_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("credit abc stays unset") << 10 << "abc"
                                            << "credito" << QVariant(0);
    QTest::newRow("discount abc stays unset") << 11 << "abc"
                                              << "Descuento" << QVariant(0);
    QTest::newRow("bad date stays unset") << 12 << "31/02/2004"
                                          << "Alta" << QVariant();
    QTest::newRow("empty notice") << 9 << ""
                                  << "CheckAviso" << QVariant(0);
    QTest::newRow("flag other than 1") << 6 << "S"
                                       << "Intropass" << QVariant(0);
}

void TestImport::conversions() {
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, column);
    QFETCH(QVariant, expected);
    TestDatabase t;
    QStringList fields = record13(QStringLiteral("nuevo"));
    fields[field - 1] = text;
    const QString file = t.home.databaseFile(QStringLiteral("usr.qdt"));
    QVERIFY(store::writeExportFile(file, {fields}));
    const auto outcome = store::ImportarCuentas(t.data.db(), file, 13, Regional::spanishSpain());
    QCOMPARE(outcome->imported, 1);
    const QVariant value = account(t.data.db(), QStringLiteral("nuevo")).value(column);
    if (expected.isValid())
        QCOMPARE(value.toInt(), expected.toInt());
    else
        QVERIFY(value.isNull());
}

void TestImport::existingLoginIsSkipped_data() {
    QTest::addColumn<QString>("existing");
    QTest::addColumn<QString>("imported");
    QTest::addColumn<bool>("same");
    QTest::newRow("same letters") << "PEDRO"
                                  << "PEDRO" << true;
    QTest::newRow("other case") << "PEDRO"
                                << "pedro" << true;
    QTest::newRow("mixed case") << "Pedro"
                                << "pEDRO" << true;
    // Only A-Z fold: Ñ and ñ are two logins.
    QTest::newRow("eñe") << "ÑU"
                         << "ñu" << false;
    QTest::newRow("eñe, rest folds") << "ÑU"
                                     << "Ñu" << true;
}

void TestImport::existingLoginIsSkipped() {
    QFETCH(QString, existing);
    QFETCH(QString, imported);
    QFETCH(bool, same);
    TestDatabase t;
    store::run(t.data.db(),
               QStringLiteral("INSERT INTO cuentas (Login, Pass, Nombre) VALUES (?, 'x', 'Pedro')"),
               {existing});
    const QString file = t.home.databaseFile(QStringLiteral("usr.qdt"));
    QVERIFY(store::writeExportFile(
        file, {record13(QStringLiteral("uno")), record13(imported), record13(QStringLiteral("dos"))}));
    int last = -1;
    const auto outcome = store::ImportarCuentas(t.data.db(), file, 13, Regional::spanishSpain(),
                                                [&](int done, int) { last = done; });
    QVERIFY2(outcome.ok(), qPrintable(outcome.error()));
    QCOMPARE(outcome->imported, same ? 2 : 3);
    QCOMPARE(outcome->existing, same ? 1 : 0);
    QCOMPARE(last, 3);
    // The account there is left as it was, never doubled.
    QCOMPARE(account(t.data.db(), existing).value(QStringLiteral("Pass")).toString(), QStringLiteral("x"));
    QCOMPARE(store::toInt(store::scalar(t.data.db(),
                                        QStringLiteral("SELECT COUNT(*) FROM cuentas WHERE ") +
                                            store::equalsCaseless(t.data.db(), QStringLiteral("Login")),
                                        {imported})),
             1);
}

void TestImport::recordLimits_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("imported");
    QTest::newRow("login of 10") << 1 << "ABCDEFGHIJ" << true;
    QTest::newRow("login of 11") << 1 << "ABCDEFGHIJK" << false;
    QTest::newRow("login of 10 with accent") << 1 << "NÚÑEZ12345" << true;
    QTest::newRow("password of 10") << 2 << "0123456789" << true;
    QTest::newRow("password of 11") << 2 << "0123456789a" << false;
    QTest::newRow("empty password") << 2 << "" << true;
    // A credit the console could not show nor add up is no account's.
    QTest::newRow("credit at the most") << 10 << "999.999,99" << true;
    QTest::newRow("credit above the most") << 10 << "1.000.000,00" << false;
    QTest::newRow("debt above the most") << 10 << "-1.000.000,00" << false;
}

void TestImport::recordLimits() {
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(bool, imported);
    TestDatabase t;
    QStringList fields = record13(QStringLiteral("nuevo"));
    fields[field - 1] = text;
    const QString file = t.home.databaseFile(QStringLiteral("usr.qdt"));
    QVERIFY(store::writeExportFile(file, {fields, record13(QStringLiteral("otro"))}));
    const auto outcome = store::ImportarCuentas(t.data.db(), file, 13, Regional::spanishSpain());
    QVERIFY2(outcome.ok(), qPrintable(outcome.error()));
    QCOMPARE(outcome->imported, imported ? 2 : 1);
    QCOMPARE(outcome->invalid, imported ? 0 : 1);
    const QString login = field == 1 ? text : QStringLiteral("nuevo");
    QCOMPARE(account(t.data.db(), login).isEmpty(), !imported);
    QVERIFY(!account(t.data.db(), QStringLiteral("otro")).isEmpty());
}

void TestImport::databaseErrorImportsNothing_data() {
    QTest::addColumn<QString>("failing");
    QTest::newRow("first record") << "uno";
    QTest::newRow("last record") << "tres";
}

void TestImport::databaseErrorImportsNothing() {
    QFETCH(QString, failing);
    TestDatabase t;
    const QSqlDatabase db = t.data.db();
    refuseWrites(db, QStringLiteral("disco_lleno"), QStringLiteral("INSERT"), QStringLiteral("cuentas"),
                 QStringLiteral("NEW.Login = '") + failing + QLatin1Char('\''));
    const int before = store::toInt(store::scalar(db, QStringLiteral("SELECT COUNT(*) FROM cuentas")));
    const QString file = t.home.databaseFile(QStringLiteral("usr.qdt"));
    QVERIFY(store::writeExportFile(file, {record13(QStringLiteral("uno")), record13(QStringLiteral("dos")),
                                          record13(QStringLiteral("tres"))}));
    const auto outcome = store::ImportarCuentas(db, file, 13, Regional::spanishSpain());
    QVERIFY(!outcome.ok());
    QVERIFY2(outcome.error().contains(QStringLiteral("disco lleno")), qPrintable(outcome.error()));
    QCOMPARE(store::toInt(store::scalar(db, QStringLiteral("SELECT COUNT(*) FROM cuentas"))), before);
    // The connection is left usable, outside any transaction.
    allowWrites(db, QStringLiteral("disco_lleno"), QStringLiteral("cuentas"));
    QVERIFY(store::ImportarCuentas(db, file, 13, Regional::spanishSpain()).ok());
    QCOMPARE(store::toInt(store::scalar(db, QStringLiteral("SELECT COUNT(*) FROM cuentas"))), before + 3);
}

void TestImport::badFiles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("imported");
    QTest::addColumn<int>("invalid");
    const QByteArray good =
        store::recordcipher::encipher(store::buildExportRecord(record13(QStringLiteral("bueno"))));
    QByteArray wrongCount =
        store::recordcipher::encipher(store::buildExportRecord(record13(QStringLiteral("x")).mid(0, 12)));
    QByteArray noise(512, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 7919 + 13) % 251);
    QByteArray emptyLogin = store::recordcipher::encipher(store::buildExportRecord(record13(QString())));
    QTest::newRow("empty file") << QByteArray() << 0 << 0 << 0;
    QTest::newRow("511 bytes") << good.left(511) << 0 << 0 << 1;
    QTest::newRow("record and a half") << good + good.left(300) << 1 << 1 << 1;
    QTest::newRow("12 fields") << wrongCount + good << 2 << 1 << 1;
    QTest::newRow("another key") << noise + good << 2 << 1 << 1;
    QTest::newRow("empty login") << emptyLogin << 1 << 0 << 1;
}

void TestImport::badFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, records);
    QFETCH(int, imported);
    QFETCH(int, invalid);
    TestDatabase t;
    const int before =
        store::toInt(store::scalar(t.data.db(), QStringLiteral("SELECT COUNT(*) FROM cuentas")));
    t.home.writeFile(QStringLiteral("usr.qdt"), bytes);
    const auto outcome = store::ImportarCuentas(t.data.db(), t.home.databaseFile(QStringLiteral("usr.qdt")),
                                                13, Regional::spanishSpain());
    QVERIFY(outcome.ok());
    QCOMPARE(outcome->records, records);
    QCOMPARE(outcome->imported, imported);
    QCOMPARE(outcome->invalid, invalid);
    QCOMPARE(store::toInt(store::scalar(t.data.db(), QStringLiteral("SELECT COUNT(*) FROM cuentas"))),
             before + imported);

    const auto missing = store::ImportarCuentas(t.data.db(), t.home.databaseFile(QStringLiteral("no.qdt")),
                                                13, Regional::spanishSpain());
    QVERIFY(!missing.ok());
    QVERIFY(!missing.error().isEmpty());
}

void TestImport::windows1252Text() {
    TestDatabase t;
    QStringList fields = record13(QStringLiteral("nuevo"));
    fields[2] = QStringLiteral("Muñoz – 5 €");
    const QByteArray clear = store::buildExportRecord(fields);
    // The old code page: ñ, the dash and the euro sign are one byte each.
    QVERIFY(clear.contains("Mu\xF1oz \x96 5 \x80"));
    t.home.writeFile(QStringLiteral("usr.qdt"), store::recordcipher::encipher(clear));
    const auto outcome = store::ImportarCuentas(t.data.db(), t.home.databaseFile(QStringLiteral("usr.qdt")),
                                                13, Regional::spanishSpain());
    QCOMPARE(outcome->imported, 1);
    QCOMPARE(account(t.data.db(), QStringLiteral("nuevo")).value(QStringLiteral("Nombre")).toString(),
             QStringLiteral("Muñoz – 5 €"));
}

void TestImport::passwordCache() {
    TestHome home;
    const QString path = home.databaseFile(QStringLiteral("iorlp.dll"));
    QCOMPARE(store::readPasswordCache(path), QString());
    QVERIFY(store::writePasswordCache(path, QStringLiteral("secreto")));
    QCOMPARE(QFileInfo(path).size(), 512);
    QCOMPARE(store::readPasswordCache(path), QStringLiteral("secreto"));
    // Another signature, or another key, reads as no password.
    home.writeFile(QStringLiteral("iorlp.dll"), QByteArray(512, 'z'));
    QCOMPARE(store::readPasswordCache(path), QString());
}

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"
