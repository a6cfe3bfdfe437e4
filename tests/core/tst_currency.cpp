#include "core/currency.h"
#include "core/formatohora.h"

#include <QTest>

class TestCurrency : public QObject {
    Q_OBJECT
private slots:
    void roundHalfEven_data();
    void roundHalfEven();
    void roundedToMultiple_data();
    void roundedToMultiple();
    void truncation();
    void formatoHora_data();
    void formatoHora();
};

void TestCurrency::roundHalfEven_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("0.5 to 0") << 0.5 << qint64(0);
    QTest::newRow("1.5 to 2") << 1.5 << qint64(2);
    QTest::newRow("2.5 to 2") << 2.5 << qint64(2);
    QTest::newRow("3.5 to 4") << 3.5 << qint64(4);
    QTest::newRow("2.4999 to 2") << 2.4999 << qint64(2);
    QTest::newRow("2.5001 to 3") << 2.5001 << qint64(3);
    QTest::newRow("-0.5 to 0") << -0.5 << qint64(0);
    QTest::newRow("-1.5 to -2") << -1.5 << qint64(-2);
    QTest::newRow("-2.5 to -2") << -2.5 << qint64(-2);
    QTest::newRow("-2.6 to -3") << -2.6 << qint64(-3);
}

void TestCurrency::roundHalfEven() {
    QFETCH(double, value);
    QFETCH(qint64, expected);
    QCOMPARE(roundHalfEvenToInt(static_cast<long double>(value)), expected);
    QCOMPARE(Currency::roundHalfEven(static_cast<long double>(value)).raw(), expected);
}

void TestCurrency::roundedToMultiple_data() {
    QTest::addColumn<qint64>("raw");
    QTest::addColumn<qint64>("unit");
    QTest::addColumn<qint64>("expected");
    // 0.25 and 0.35 at a unit of 0.10: halves go to the even multiple.
    QTest::newRow("0.25 -> 0.20") << qint64(2500) << qint64(1000) << qint64(2000);
    QTest::newRow("0.35 -> 0.40") << qint64(3500) << qint64(1000) << qint64(4000);
    QTest::newRow("0.21 -> 0.20 at 0.05") << qint64(2100) << qint64(500) << qint64(2000);
    QTest::newRow("0.225 -> 0.20 at 0.05") << qint64(2250) << qint64(500) << qint64(2000);
    QTest::newRow("0.275 -> 0.30 at 0.05") << qint64(2750) << qint64(500) << qint64(3000);
    QTest::newRow("-0.25 -> -0.20") << qint64(-2500) << qint64(1000) << qint64(-2000);
    QTest::newRow("-0.35 -> -0.40") << qint64(-3500) << qint64(1000) << qint64(-4000);
    QTest::newRow("-0.26 -> -0.30") << qint64(-2600) << qint64(1000) << qint64(-3000);
    QTest::newRow("unit 0 leaves it") << qint64(1234) << qint64(0) << qint64(1234);
    QTest::newRow("unit negative leaves it") << qint64(1234) << qint64(-100) << qint64(1234);
}

void TestCurrency::roundedToMultiple() {
    QFETCH(qint64, raw);
    QFETCH(qint64, unit);
    QFETCH(qint64, expected);
    QCOMPARE(Currency::fromRaw(raw).roundedToMultiple(Currency::fromRaw(unit)).raw(), expected);
}

void TestCurrency::truncation() {
    QCOMPARE(Currency::truncate(2.9L).raw(), qint64(2));
    QCOMPARE(Currency::truncate(-2.9L).raw(), qint64(-2));
    QCOMPARE(truncateToInt(-0.5L), qint64(0));
    QCOMPARE(Currency::fromRaw(125).roundedToDecimals(2).raw(), qint64(100));
    QCOMPARE(Currency::fromRaw(150).roundedToDecimals(2).raw(), qint64(200));
    QCOMPARE(Currency::fromRaw(50).roundedToDecimals(2).raw(), qint64(0));
}

void TestCurrency::formatoHora_data() {
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << qint64(0) << QStringLiteral("0:00:00");
    QTest::newRow("45") << qint64(45) << QStringLiteral("0:00:45");
    QTest::newRow("3725") << qint64(3725) << QStringLiteral("1:02:05");
    QTest::newRow("a day less a second") << qint64(86399) << QStringLiteral("23:59:59");
    QTest::newRow("90 000") << qint64(90000) << QStringLiteral("25:00:00");
    QTest::newRow("hundreds of hours") << qint64(360000 + 61) << QStringLiteral("100:01:01");
    QTest::newRow("negative keeps its sign in front") << qint64(-65) << QStringLiteral("-0:01:05");
}

void TestCurrency::formatoHora() {
    QFETCH(qint64, seconds);
    QFETCH(QString, text);
    QCOMPARE(FormatoHora(seconds), text);
}

QTEST_APPLESS_MAIN(TestCurrency)
#include "tst_currency.moc"
