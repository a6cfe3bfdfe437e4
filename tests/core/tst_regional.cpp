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
    void shortDate_data();
    void shortDate();
    void parseDate_data();
    void parseDate();
};

void TestRegional::spanishFormats() {
    const Regional r = Regional::spanishSpain();
    QCOMPARE(r.currencySymbol(), QStringLiteral("€"));
    QCOMPARE(r.symbolPosition(), Regional::SymbolPosition::SuffixSpace);
    QCOMPARE(r.currencyDecimals(), 2);
    QCOMPARE(r.decimalSeparator(), QChar(QLatin1Char(',')));
    QCOMPARE(r.thousandsSeparator(), QStringLiteral("."));
    QCOMPARE(r.formatDate(QDate(2026, 3, 7)), QStringLiteral("07/03/2026"));
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
    QCOMPARE(us.formatDate(QDate(2026, 3, 7)), QStringLiteral("03/07/2026"));
    QCOMPARE(us.parseDate(QStringLiteral("3/7/2026")), QDate(2026, 3, 7));
    QVERIFY(!us.longTimeFormat().contains(QLatin1Char('t')));

    // No symbol, no blank where it would have gone.
    const Regional c = Regional::fromLocale(QLocale::c());
    QCOMPARE(c.formatCurrency(Currency()), QStringLiteral("0.00"));
    QCOMPARE(c.formatCurrency(Currency::fromRaw(-12345000)), QStringLiteral("-1,234.50"));

    // The smallest raw value has no positive counterpart; formatting must not wrap it.
    QCOMPARE(Regional::spanishSpain().formatCurrency(Currency::fromRaw(std::numeric_limits<qint64>::min())),
             QStringLiteral("-922.337.203.685.477,58 €"));
}

// The system's pattern as given, how a date shows and prints, and the pattern
// it is read back with.
void TestRegional::shortDate_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("reading");
    QTest::newRow("d/M/yy") << QStringLiteral("d/M/yy") << QStringLiteral("07/03/2026")
                            << QStringLiteral("d/M/yyyy");
    QTest::newRow("dd/MM/yyyy") << QStringLiteral("dd/MM/yyyy") << QStringLiteral("07/03/2026")
                                << QStringLiteral("d/M/yyyy");
    QTest::newRow("M/d/yy") << QStringLiteral("M/d/yy") << QStringLiteral("03/07/2026")
                            << QStringLiteral("M/d/yyyy");
    QTest::newRow("yyyy-MM-dd") << QStringLiteral("yyyy-MM-dd") << QStringLiteral("2026-03-07")
                                << QStringLiteral("yyyy-M-d");
    QTest::newRow("d.M.yyyy") << QStringLiteral("d.M.yyyy") << QStringLiteral("07.03.2026")
                              << QStringLiteral("d.M.yyyy");
    // Month names and quoted words ("de" holds a d) are not numbers to widen.
    QTest::newRow("d 'de' MMMM 'de' yy")
        << QStringLiteral("d 'de' MMMM 'de' yy") << QStringLiteral("07 de marzo de 2026")
        << QStringLiteral("d 'de' MMMM 'de' yyyy");
}

void TestRegional::shortDate() {
    QFETCH(QString, pattern);
    QFETCH(QString, shown);
    QFETCH(QString, reading);
    const Regional r = Regional::spanishSpain().withShortDatePattern(pattern);
    QCOMPARE(r.formatDate(QDate(2026, 3, 7)), shown);
    QCOMPARE(r.readDateFormat(), reading);
    QCOMPARE(r.parseDate(shown), QDate(2026, 3, 7));
}

void TestRegional::parseDate_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date");
    const QDate march7(2026, 3, 7);
    const QDate refused;
    QTest::newRow("d/M/yy one digit") << QStringLiteral("d/M/yy") << QStringLiteral("7/3/2026") << march7;
    QTest::newRow("d/M/yy two digits") << QStringLiteral("d/M/yy") << QStringLiteral("07/03/2026") << march7;
    QTest::newRow("d/M/yy mixed") << QStringLiteral("d/M/yy") << QStringLiteral("07/3/2026") << march7;
    QTest::newRow("d/M/yy blanks around")
        << QStringLiteral("d/M/yy") << QStringLiteral(" 7/3/2026 ") << march7;
    QTest::newRow("d/M/yy two-digit year") << QStringLiteral("d/M/yy") << QStringLiteral("7/3/26") << refused;
    QTest::newRow("d/M/yy day 32") << QStringLiteral("d/M/yy") << QStringLiteral("32/1/2026") << refused;
    QTest::newRow("d/M/yy month 13") << QStringLiteral("d/M/yy") << QStringLiteral("7/13/2026") << refused;
    QTest::newRow("d/M/yy no leap day") << QStringLiteral("d/M/yy") << QStringLiteral("29/2/2025") << refused;
    QTest::newRow("d/M/yy three-digit day")
        << QStringLiteral("d/M/yy") << QStringLiteral("007/3/2026") << refused;
    QTest::newRow("d/M/yy no year") << QStringLiteral("d/M/yy") << QStringLiteral("7/3") << refused;
    QTest::newRow("d/M/yy empty") << QStringLiteral("d/M/yy") << QString() << refused;
    QTest::newRow("dd/MM/yyyy one digit")
        << QStringLiteral("dd/MM/yyyy") << QStringLiteral("7/3/2026") << march7;
    QTest::newRow("dd/MM/yyyy two digits")
        << QStringLiteral("dd/MM/yyyy") << QStringLiteral("07/03/2026") << march7;
    QTest::newRow("M/d/yy one digit") << QStringLiteral("M/d/yy") << QStringLiteral("3/7/2026") << march7;
    QTest::newRow("M/d/yy two digits") << QStringLiteral("M/d/yy") << QStringLiteral("03/07/2026") << march7;
    QTest::newRow("M/d/yy day first") << QStringLiteral("M/d/yy") << QStringLiteral("25/12/2026") << refused;
    QTest::newRow("yyyy-MM-dd one digit")
        << QStringLiteral("yyyy-MM-dd") << QStringLiteral("2026-3-7") << march7;
    QTest::newRow("yyyy-MM-dd two digits")
        << QStringLiteral("yyyy-MM-dd") << QStringLiteral("2026-03-07") << march7;
    QTest::newRow("yyyy-MM-dd other separator")
        << QStringLiteral("yyyy-MM-dd") << QStringLiteral("2026/03/07") << refused;
    QTest::newRow("d.M.yyyy one digit") << QStringLiteral("d.M.yyyy") << QStringLiteral("7.3.2026") << march7;
    QTest::newRow("d.M.yyyy two digits")
        << QStringLiteral("d.M.yyyy") << QStringLiteral("07.03.2026") << march7;
    QTest::newRow("d.M.yyyy slashes") << QStringLiteral("d.M.yyyy") << QStringLiteral("7/3/2026") << refused;
}

void TestRegional::parseDate() {
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QFETCH(QDate, date);
    QCOMPARE(Regional::spanishSpain().withShortDatePattern(pattern).parseDate(text), date);
}

QTEST_APPLESS_MAIN(TestRegional)
#include "tst_regional.moc"
