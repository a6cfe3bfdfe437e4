#include "core/regional.h"

#include <QTest>

#include <limits>

class TestRegional : public QObject {
    Q_OBJECT
private slots:
    void spanishFormats();
    void formatCurrency_data();
    void formatCurrency();
    void parseCurrency_data();
    void parseCurrency();
    void otherLocales();
};

void TestRegional::spanishFormats() {
    const Regional r = Regional::spanishSpain();
    QCOMPARE(r.currencySymbol(), QStringLiteral("€"));
    QCOMPARE(r.symbolPosition(), Regional::SymbolPosition::SuffixSpace);
    QCOMPARE(r.currencyDecimals(), 2);
    QCOMPARE(r.decimalSeparator(), QChar(QLatin1Char(',')));
    QCOMPARE(r.thousandsSeparator(), QStringLiteral("."));
    QCOMPARE(r.formatDate(QDate(2026, 3, 7)), QStringLiteral("7/3/2026"));
    QCOMPARE(r.parseDate(QStringLiteral("7/3/2026")), QDate(2026, 3, 7));
    QCOMPARE(r.formatTime(QTime(9, 5, 3)), QStringLiteral("9:05:03"));
}

void TestRegional::formatCurrency_data() {
    QTest::addColumn<qint64>("raw");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << QStringLiteral("0,00 €");
    QTest::newRow("1.20") << qint64(12000) << QStringLiteral("1,20 €");
    QTest::newRow("thousands") << qint64(12345000) << QStringLiteral("1.234,50 €");
    QTest::newRow("millions") << qint64(12345678900) << QStringLiteral("1.234.567,89 €");
    QTest::newRow("negative") << qint64(-5000) << QStringLiteral("-0,50 €");
    // Four stored decimals shown with two: halves to even.
    QTest::newRow("0.0050 to 0,00") << qint64(50) << QStringLiteral("0,00 €");
    QTest::newRow("0.0150 to 0,02") << qint64(150) << QStringLiteral("0,02 €");
    QTest::newRow("0.0051 to 0,01") << qint64(51) << QStringLiteral("0,01 €");
    QTest::newRow("-0.0150 to -0,02") << qint64(-150) << QStringLiteral("-0,02 €");
}

void TestRegional::formatCurrency() {
    QFETCH(qint64, raw);
    QFETCH(QString, text);
    QCOMPARE(Regional::spanishSpain().formatCurrency(Currency::fromRaw(raw)), text);
}

void TestRegional::parseCurrency_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint64>("raw");
    QTest::newRow("comma") << QStringLiteral("1,5") << true << qint64(15000);
    QTest::newRow("typed dot is the decimal separator") << QStringLiteral("1.5") << true << qint64(15000);
    QTest::newRow("dot with three decimals") << QStringLiteral("1.234") << true << qint64(12340);
    QTest::newRow("grouped and decimal") << QStringLiteral("1.234,56") << true << qint64(12345600);
    QTest::newRow("grouped the other way") << QStringLiteral("1,234.56") << true << qint64(12345600);
    QTest::newRow("several groups") << QStringLiteral("1.234.567") << true << qint64(12345670000);
    QTest::newRow("with symbol") << QStringLiteral("2,50 €") << true << qint64(25000);
    QTest::newRow("symbol in front") << QStringLiteral("€2.50") << true << qint64(25000);
    QTest::newRow("negative") << QStringLiteral("-0,50") << true << qint64(-5000);
    QTest::newRow("trailing minus") << QStringLiteral("0,50-") << true << qint64(-5000);
    QTest::newRow("blanks") << QStringLiteral("  3 ") << true << qint64(30000);
    QTest::newRow("leading separator") << QStringLiteral(",75") << true << qint64(7500);
    QTest::newRow("four decimals exact") << QStringLiteral("0,1234") << true << qint64(1234);
    QTest::newRow("fifth decimal half to even down") << QStringLiteral("0,12345") << true << qint64(1234);
    QTest::newRow("fifth decimal half to even up") << QStringLiteral("0,12355") << true << qint64(1236);
    QTest::newRow("fifth decimal above half") << QStringLiteral("0,123451") << true << qint64(1235);
    QTest::newRow("empty") << QString() << false << qint64(0);
    QTest::newRow("only a symbol") << QStringLiteral("€") << false << qint64(0);
    QTest::newRow("letters") << QStringLiteral("abc") << false << qint64(0);
    QTest::newRow("two decimal marks") << QStringLiteral("1,2,3") << false << qint64(0);
    QTest::newRow("bad grouping") << QStringLiteral("12.34.5") << false << qint64(0);
    QTest::newRow("double minus") << QStringLiteral("--1") << false << qint64(0);
    // The edges of the 64-bit count: refused, never wrapped.
    QTest::newRow("INT64 max") << QStringLiteral("922.337.203.685.477,5807") << true
                               << std::numeric_limits<qint64>::max();
    QTest::newRow("one past INT64 max") << QStringLiteral("922337203685477,5808") << false << qint64(0);
    QTest::newRow("rounding past INT64 max") << QStringLiteral("922337203685477,58075") << false << qint64(0);
    QTest::newRow("INT64 min") << QStringLiteral("-922337203685477,5808") << true
                               << std::numeric_limits<qint64>::min();
    QTest::newRow("one past INT64 min") << QStringLiteral("-922337203685477,5809") << false << qint64(0);
    QTest::newRow("twenty digits") << QStringLiteral("12345678901234567890") << false << qint64(0);
}

void TestRegional::parseCurrency() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(qint64, raw);
    const std::optional<Currency> c = Regional::spanishSpain().parseCurrency(text);
    QCOMPARE(c.has_value(), valid);
    if (valid)
        QCOMPARE(c->raw(), raw);
}

void TestRegional::otherLocales() {
    const Regional us = Regional::fromLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(us.formatCurrency(Currency::fromRaw(12345000)), QStringLiteral("$1,234.50"));
    QCOMPARE(us.formatCurrency(Currency::fromRaw(-5000)), QStringLiteral("-$0.50"));
    QVERIFY(us.shortDateFormat().contains(QLatin1String("yyyy")));
    QVERIFY(!us.longTimeFormat().contains(QLatin1Char('t')));

    // No symbol, no blank where it would have gone.
    const Regional c = Regional::fromLocale(QLocale::c());
    QCOMPARE(c.formatCurrency(Currency()), QStringLiteral("0.00"));
    QCOMPARE(c.formatCurrency(Currency::fromRaw(-12345000)), QStringLiteral("-1,234.50"));

    // The smallest raw value has no positive counterpart; formatting must not wrap it.
    QCOMPARE(Regional::spanishSpain().formatCurrency(Currency::fromRaw(std::numeric_limits<qint64>::min())),
             QStringLiteral("-922.337.203.685.477,58 €"));
}

QTEST_APPLESS_MAIN(TestRegional)
#include "tst_regional.moc"
