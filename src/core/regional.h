#pragma once

#include "core/currency.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

#include <optional>

// The regional formats the console shows and sends: currency, short date and
// long time. Built once from the system locale (or pinned, in tests) and
// passed to whatever formats or parses money; never looked up globally by
// the money type itself.
class Regional {
public:
    // Where the currency symbol goes, as the Windows regional settings number it.
    enum class SymbolPosition { Prefix = 0, Suffix = 1, PrefixSpace = 2, SuffixSpace = 3 };

    static Regional fromLocale(const QLocale& locale);
    static Regional system() { return fromLocale(QLocale::system()); }
    // Spanish (Spain), the formats every test pins.
    static Regional spanishSpain() { return fromLocale(QLocale(QLocale::Spanish, QLocale::Spain)); }
    // The same settings with another short date pattern, as the system would give it.
    Regional withShortDatePattern(const QString& pattern) const;

    QString currencySymbol() const { return m_symbol; }
    // "EUR", "MXN"…; empty for a locale without a currency (the C locale).
    QString currencyIsoCode() const { return m_locale.currencySymbol(QLocale::CurrencyIsoCode); }
    // The country of the settings; AnyTerritory when they name none.
    QLocale::Territory territory() const { return m_locale.territory(); }
    SymbolPosition symbolPosition() const { return m_position; }
    int currencyDecimals() const { return m_decimals; }
    QChar decimalSeparator() const { return m_decimal; }
    QString thousandsSeparator() const { return m_thousands; }
    // Day and month always two digits, the year four, in the system's order
    // and with its separators: the format every date is shown and printed in.
    QString shortDateFormat() const { return m_shortDate; }
    // The same order and separators read back with one or two digits for day
    // and month, so "7/3/2026" and "07/03/2026" both read.
    QString readDateFormat() const { return m_readDate; }
    QString longTimeFormat() const { return m_longTime; }

    // Money as shown in windows and sent to stations: rounded to the regional
    // number of decimals (halves to even), with symbol and separators.
    QString formatCurrency(Currency value) const;
    // The number alone (no symbol), with the regional decimals and separators.
    QString formatAmount(Currency value) const;
    // An amount typed by an operator: "." and "," both work as the decimal
    // separator, thousands separators, the currency symbol and blanks are
    // ignored, a leading or trailing minus is accepted. More than four
    // decimals round half to even. Empty or malformed text gives nothing,
    // and so does an amount that does not fit a Currency.
    std::optional<Currency> parseCurrency(const QString& text) const;

    // The same reading, telling a malformed text from one whose amount does
    // not fit a Currency.
    struct CurrencyReading {
        enum class Status { Ok, Malformed, OutOfRange };
        Status status = Status::Malformed;
        Currency value;
        bool ok() const { return status == Status::Ok; }
    };
    CurrencyReading readCurrency(const QString& text) const;

    QString formatDate(const QDate& date) const;
    // A date typed or imported in the short date format; anything else
    // (a two-digit year too) gives an invalid date.
    QDate parseDate(const QString& text) const;
    QString formatTime(const QTime& time) const;

private:
    QString m_symbol;
    SymbolPosition m_position = SymbolPosition::SuffixSpace;
    int m_decimals = 2;
    QChar m_decimal = QLatin1Char(',');
    QString m_thousands = QStringLiteral(".");
    QString m_shortDate = QStringLiteral("dd/MM/yyyy");
    QString m_readDate = QStringLiteral("d/M/yyyy");
    QString m_longTime = QStringLiteral("H:mm:ss");
    QLocale m_locale;
};
