#include "core/currency.h"
#include "core/formatohora.h"
#include "core/importes.h"

#include <QTest>

#include <limits>

namespace {
constexpr qint64 Max = std::numeric_limits<qint64>::max();
constexpr qint64 Min = std::numeric_limits<qint64>::min();
// 2^63, exact in long double.
constexpr long double TwoPow63 = 9223372036854775808.0L;
} // namespace

class TestCurrency : public QObject {
    Q_OBJECT
private slots:
    void roundHalfEven_data();
    void roundHalfEven();
    void divideRoundHalfEven_data();
    void divideRoundHalfEven();
    void roundedToMultiple_data();
    void roundedToMultiple();
    void truncation();
    void conversionRange_data();
    void conversionRange();
    void checkedArithmetic_data();
    void checkedArithmetic();
    void operatorsThrowInsteadOfWrapping();
    void maxAmount_data();
    void maxAmount();
    void lineAmount_data();
    void lineAmount();
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

void TestCurrency::divideRoundHalfEven_data() {
    // Both operands as (high, low) 64-bit halves, so 128-bit values fit a row.
    QTest::addColumn<qint64>("numHigh");
    QTest::addColumn<quint64>("numLow");
    QTest::addColumn<qint64>("den");
    QTest::addColumn<qint64>("expected");
    QTest::addColumn<bool>("overflows");
    const quint64 two63 = quint64(1) << 63;
    QTest::newRow("5/2 to 2") << qint64(0) << quint64(5) << qint64(2) << qint64(2) << false;
    QTest::newRow("7/2 to 4") << qint64(0) << quint64(7) << qint64(2) << qint64(4) << false;
    QTest::newRow("-5/2 to -2") << qint64(-1) << quint64(-5) << qint64(2) << qint64(-2) << false;
    QTest::newRow("-7/2 to -4") << qint64(-1) << quint64(-7) << qint64(2) << qint64(-4) << false;
    QTest::newRow("5/-2 to -2") << qint64(0) << quint64(5) << qint64(-2) << qint64(-2) << false;
    QTest::newRow("-3/-2 to 2") << qint64(-1) << quint64(-3) << qint64(-2) << qint64(2) << false;
    QTest::newRow("one above a half")
        << qint64(0) << quint64(36000000001) << qint64(72000000000) << qint64(1) << false;
    QTest::newRow("one below a half")
        << qint64(0) << quint64(35999999999) << qint64(72000000000) << qint64(0) << false;
    // Beyond 64 bits the division leaves the machine instruction: the tie still goes to even.
    QTest::newRow("5x2^64 / 2x2^64") << qint64(5) << quint64(0) << qint64(0) << qint64(2) << false;
    QTest::newRow("2^64+2^63 / 2^63 is 3") << qint64(1) << two63 << qint64(-1) << qint64(3) << false;
    QTest::newRow("-2^63 fits") << qint64(-1) << two63 << qint64(1) << std::numeric_limits<qint64>::min()
                                << false;
    QTest::newRow("2^63 overflows") << qint64(0) << two63 << qint64(1) << qint64(0) << true;
    QTest::newRow("-2^63-1 overflows") << qint64(-1) << (two63 - 1) << qint64(1) << qint64(0) << true;
}

void TestCurrency::divideRoundHalfEven() {
    QFETCH(qint64, numHigh);
    QFETCH(quint64, numLow);
    QFETCH(qint64, den);
    QFETCH(qint64, expected);
    QFETCH(bool, overflows);
    const Int128 numerator = (Int128(numHigh) << 64) | Int128(numLow);
    // 0 marks a denominator of 2x2^64, -1 one of 2^63.
    const Int128 denominator = den == 0 ? Int128(2) << 64 : den == -1 ? Int128(1) << 63 : Int128(den);
    if (overflows) {
        QVERIFY_THROWS_EXCEPTION(CurrencyOverflow, ::divideRoundHalfEven(numerator, denominator));
        return;
    }
    QCOMPARE(::divideRoundHalfEven(numerator, denominator), expected);
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

void TestCurrency::conversionRange_data() {
    QTest::addColumn<long double>("value");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("INT64 max") << static_cast<long double>(Max) << true << Max;
    QTest::newRow("one past INT64 max") << TwoPow63 << false << qint64(0);
    QTest::newRow("INT64 min") << -TwoPow63 << true << Min;
    QTest::newRow("one past INT64 min") << -TwoPow63 - 1.0L << false << qint64(0);
    QTest::newRow("far beyond") << 1e30L << false << qint64(0);
    QTest::newRow("not a number") << std::numeric_limits<long double>::quiet_NaN() << false << qint64(0);
    QTest::newRow("infinity") << -std::numeric_limits<long double>::infinity() << false << qint64(0);
}

void TestCurrency::conversionRange() {
    QFETCH(long double, value);
    QFETCH(bool, fits);
    QFETCH(qint64, expected);
    QCOMPARE(Currency::tryRoundHalfEven(value).has_value(), fits);
    QCOMPARE(Currency::tryTruncate(value).has_value(), fits);
    if (fits) {
        QCOMPARE(Currency::roundHalfEven(value).raw(), expected);
        QCOMPARE(truncateToInt(value), expected);
    } else {
        QVERIFY_THROWS_EXCEPTION(CurrencyOverflow, Currency::roundHalfEven(value));
        QVERIFY_THROWS_EXCEPTION(CurrencyOverflow, Currency::truncate(value));
        QVERIFY_THROWS_EXCEPTION(CurrencyOverflow, roundHalfEvenToInt(value));
    }
}

void TestCurrency::checkedArithmetic_data() {
    QTest::addColumn<qint64>("a");
    QTest::addColumn<qint64>("b");
    QTest::addColumn<bool>("sumFits");
    QTest::addColumn<bool>("differenceFits");
    QTest::newRow("max + 0") << Max << qint64(0) << true << true;
    QTest::newRow("max + 1") << Max << qint64(1) << false << true;
    QTest::newRow("max - -1") << Max << qint64(-1) << true << false;
    QTest::newRow("min + -1") << Min << qint64(-1) << false << true;
    QTest::newRow("min - 1") << Min << qint64(1) << true << false;
    QTest::newRow("min - 0") << Min << qint64(0) << true << true;
}

void TestCurrency::checkedArithmetic() {
    QFETCH(qint64, a);
    QFETCH(qint64, b);
    QFETCH(bool, sumFits);
    QFETCH(bool, differenceFits);
    const Currency x = Currency::fromRaw(a);
    const Currency y = Currency::fromRaw(b);
    QCOMPARE(Currency::checkedAdd(x, y).has_value(), sumFits);
    QCOMPARE(Currency::checkedSub(x, y).has_value(), differenceFits);
    if (sumFits)
        QCOMPARE((x + y).raw(), a + b);
    else
        QVERIFY_THROWS_EXCEPTION(CurrencyOverflow, x + y);
    if (differenceFits)
        QCOMPARE((x - y).raw(), a - b);
    else
        QVERIFY_THROWS_EXCEPTION(CurrencyOverflow, x - y);
}

void TestCurrency::operatorsThrowInsteadOfWrapping() {
    Currency c = Currency::fromRaw(Max);
    QVERIFY_THROWS_EXCEPTION(CurrencyOverflow, c += Currency::fromRaw(1));
    QCOMPARE(c.raw(), Max);
    QVERIFY_THROWS_EXCEPTION(CurrencyOverflow, -Currency::fromRaw(Min));
    QCOMPARE((-Currency::fromRaw(Min + 1)).raw(), Max);
    QCOMPARE(Currency::fromUnits(Max / Currency::Scale).raw(), Max / Currency::Scale * Currency::Scale);
    QVERIFY_THROWS_EXCEPTION(CurrencyOverflow, Currency::fromUnits(Max / Currency::Scale + 1));
    QVERIFY(!Currency::checkedMul(Currency::fromRaw(Max / 2 + 1), 2));
    // Rounding up at the top must not wrap to the bottom.
    QCOMPARE(Currency::fromRaw(Max).roundedToDecimals(2).raw(), qint64(9223372036854775800));
    QVERIFY_THROWS_EXCEPTION(CurrencyOverflow, Currency::fromRaw(Max).roundedToDecimals(0));
}

void TestCurrency::maxAmount_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("estado");
    using E = ImporteTecleado::Estado;
    QTest::newRow("the limit") << QStringLiteral("999.999,99") << int(E::Valido);
    QTest::newRow("the limit, negative") << QStringLiteral("-999.999,99 €") << int(E::Valido);
    QTest::newRow("one raw unit past") << QStringLiteral("999.999,9901") << int(E::Excesivo);
    QTest::newRow("one cent past") << QStringLiteral("1.000.000,00") << int(E::Excesivo);
    QTest::newRow("one cent past, negative") << QStringLiteral("-1000000") << int(E::Excesivo);
    QTest::newRow("does not fit a Currency") << QStringLiteral("99999999999999999999") << int(E::Excesivo);
    QTest::newRow("not an amount") << QStringLiteral("abc") << int(E::NoLeido);
    QTest::newRow("empty") << QString() << int(E::NoLeido);
}

void TestCurrency::maxAmount() {
    QFETCH(QString, text);
    QFETCH(int, estado);
    const Regional r = Regional::spanishSpain();
    QCOMPARE(int(leerImporte(r, text).estado), estado);
    QCOMPARE(r.formatCurrency(Currency::MaxAmount), QStringLiteral("999.999,99 €"));
}

void TestCurrency::lineAmount_data() {
    QTest::addColumn<double>("quantity");
    QTest::addColumn<qint64>("priceRaw");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<qint64>("expected");
    const qint64 max = Currency::MaxAmount.raw();
    QTest::newRow("one at the limit") << 1.0 << max << true << max;
    QTest::newRow("a return at the limit") << -1.0 << max << true << -max;
    QTest::newRow("two halves of the limit") << 2.0 << max / 2 << true << max / 2 * 2;
    QTest::newRow("one raw unit past") << 1.0 << max + 1 << false << qint64(0);
    QTest::newRow("3 x 1.20") << 3.0 << qint64(12000) << true << qint64(36000);
    // The reported sale: it used to store -922.337.203.685.477,58.
    QTest::newRow("99999 x 99.999.999.999.999")
        << 99999.0 << qint64(999999999999990000) << false << qint64(0);
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << qint64(10000) << false
                                  << qint64(0);
}

void TestCurrency::lineAmount() {
    QFETCH(double, quantity);
    QFETCH(qint64, priceRaw);
    QFETCH(bool, accepted);
    QFETCH(qint64, expected);
    const std::optional<Currency> amount = importeLineaAcotado(quantity, Currency::fromRaw(priceRaw));
    QCOMPARE(amount.has_value(), accepted);
    if (accepted)
        QCOMPARE(amount->raw(), expected);
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
