#include "core/regional.h"

#include <QRegularExpression>

namespace {

bool isBlank(QChar c) {
    return c.isSpace() || c == QChar(0x00A0) || c == QChar(0x202F);
}

// Rewrites the numeric day, month and year fields of a date pattern: day and
// month to `dayMonthWidth` letters, the year to four (two-digit years are
// ambiguous in stored and printed dates). Day and month names (ddd, MMM and
// longer) and quoted text stay as they are.
QString rewriteDatePattern(const QString& pattern, int dayMonthWidth) {
    QString out;
    const qsizetype n = pattern.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char('\'')) {
            qsizetype end = pattern.indexOf(QLatin1Char('\''), i + 1);
            if (end < 0)
                end = n - 1;
            out += pattern.mid(i, end - i + 1);
            i = end + 1;
            continue;
        }
        qsizetype j = i;
        while (j < n && pattern.at(j) == c)
            ++j;
        const qsizetype run = j - i;
        if ((c == QLatin1Char('d') || c == QLatin1Char('M')) && run <= 2)
            out += QString(dayMonthWidth, c);
        else if (c == QLatin1Char('y'))
            out += QLatin1String("yyyy");
        else
            out += pattern.mid(i, run);
        i = j;
    }
    return out;
}

QString groupDigits(const QString& digits, const QString& separator) {
    if (separator.isEmpty() || digits.size() <= 3)
        return digits;
    QString out;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += separator;
        out += digits.at(i);
    }
    return out;
}

} // namespace

Regional Regional::fromLocale(const QLocale& locale) {
    Regional r;
    r.m_locale = locale;
    r.m_symbol = locale.currencySymbol(QLocale::CurrencySymbol);
    r.m_decimal = locale.decimalPoint().isEmpty() ? QLatin1Char('.') : locale.decimalPoint().at(0);
    r.m_thousands = locale.groupSeparator();

    // Decimals and symbol position are read off a formatted sample, the only
    // place QLocale exposes them.
    const QString sample = locale.toCurrencyString(1.5);
    const qsizetype dec = sample.indexOf(r.m_decimal);
    int decimals = 0;
    if (dec >= 0) {
        for (qsizetype i = dec + 1; i < sample.size() && sample.at(i).isDigit(); ++i)
            ++decimals;
    }
    r.m_decimals = decimals;
    if (!r.m_symbol.isEmpty()) {
        const qsizetype sym = sample.indexOf(r.m_symbol);
        const qsizetype digit = sample.indexOf(QRegularExpression(QStringLiteral("\\d")));
        if (sym >= 0 && digit >= 0) {
            if (sym < digit) {
                const qsizetype after = sym + r.m_symbol.size();
                r.m_position = (after < sample.size() && isBlank(sample.at(after)))
                                   ? SymbolPosition::PrefixSpace
                                   : SymbolPosition::Prefix;
            } else {
                r.m_position = (sym > 0 && isBlank(sample.at(sym - 1))) ? SymbolPosition::SuffixSpace
                                                                        : SymbolPosition::Suffix;
            }
        }
    }

    r = r.withShortDatePattern(locale.dateFormat(QLocale::ShortFormat));

    QString time = locale.timeFormat(QLocale::LongFormat);
    time.remove(QRegularExpression(QStringLiteral("\\s*\\(?\\bt+\\b\\)?")));
    r.m_longTime = time.trimmed();
    return r;
}

Regional Regional::withShortDatePattern(const QString& pattern) const {
    Regional r = *this;
    r.m_shortDate = rewriteDatePattern(pattern, 2);
    r.m_readDate = rewriteDatePattern(pattern, 1);
    return r;
}

QString Regional::formatAmount(Currency value) const {
    const Currency rounded = value.roundedToDecimals(m_decimals);
    const bool negative = rounded.raw() < 0;
    // The magnitude unsigned: the smallest raw value has no positive counterpart.
    const quint64 raw = negative ? 0 - quint64(rounded.raw()) : quint64(rounded.raw());
    const quint64 units = raw / quint64(Currency::Scale);
    quint64 fraction = raw % quint64(Currency::Scale);
    QString text = groupDigits(QString::number(units), m_thousands);
    if (m_decimals > 0) {
        for (int i = m_decimals; i < 4; ++i)
            fraction /= 10;
        text += m_decimal + QStringLiteral("%1").arg(fraction, m_decimals, 10, QLatin1Char('0'));
    }
    return negative ? QLatin1Char('-') + text : text;
}

QString Regional::formatCurrency(Currency value) const {
    QString number = formatAmount(value);
    // A locale without a currency symbol (C, POSIX) has nothing to separate:
    // no trailing blank on the wire or in the grid.
    if (m_symbol.isEmpty())
        return number;
    QString sign;
    if (number.startsWith(QLatin1Char('-'))) {
        sign = QStringLiteral("-");
        number.remove(0, 1);
    }
    switch (m_position) {
    case SymbolPosition::Prefix:
        return sign + m_symbol + number;
    case SymbolPosition::PrefixSpace:
        return sign + m_symbol + QLatin1Char(' ') + number;
    case SymbolPosition::Suffix:
        return sign + number + m_symbol;
    case SymbolPosition::SuffixSpace:
        break;
    }
    return sign + number + QLatin1Char(' ') + m_symbol;
}

std::optional<Currency> Regional::parseCurrency(const QString& text) const {
    const CurrencyReading r = readCurrency(text);
    if (!r.ok())
        return std::nullopt;
    return r.value;
}

Regional::CurrencyReading Regional::readCurrency(const QString& text) const {
    using Status = CurrencyReading::Status;
    const CurrencyReading malformed{Status::Malformed, Currency()};
    QString s;
    s.reserve(text.size());
    QString work = text;
    if (!m_symbol.isEmpty())
        work.remove(m_symbol);
    for (QChar c : work) {
        if (!isBlank(c))
            s += c;
    }
    bool negative = false;
    if (s.startsWith(QLatin1Char('-'))) {
        negative = true;
        s.remove(0, 1);
    } else if (s.endsWith(QLatin1Char('-'))) {
        negative = true;
        s.chop(1);
    } else if (s.startsWith(QLatin1Char('+'))) {
        s.remove(0, 1);
    }
    if (s.isEmpty())
        return malformed;

    // Decide which mark separates the decimals: the last of '.' and ',' when
    // both occur; a single mark used once; a mark used several times is grouping.
    const qsizetype lastDot = s.lastIndexOf(QLatin1Char('.'));
    const qsizetype lastComma = s.lastIndexOf(QLatin1Char(','));
    qsizetype decimalAt = -1;
    QChar groupMark;
    if (lastDot >= 0 && lastComma >= 0) {
        decimalAt = qMax(lastDot, lastComma);
        groupMark = decimalAt == lastDot ? QLatin1Char(',') : QLatin1Char('.');
    } else if (lastDot >= 0 || lastComma >= 0) {
        const QChar mark = lastDot >= 0 ? QLatin1Char('.') : QLatin1Char(',');
        if (s.count(mark) == 1)
            decimalAt = s.indexOf(mark);
        else
            groupMark = mark;
    }
    QString intPart = decimalAt >= 0 ? s.left(decimalAt) : s;
    QString fracPart = decimalAt >= 0 ? s.mid(decimalAt + 1) : QString();
    if (!groupMark.isNull()) {
        // Grouping marks must sit between groups of three digits.
        const QStringList groups = intPart.split(groupMark);
        for (qsizetype i = 1; i < groups.size(); ++i) {
            if (groups.at(i).size() != 3)
                return malformed;
        }
        if (groups.first().isEmpty() && groups.size() > 1)
            return malformed;
        intPart = groups.join(QString());
    }
    if (intPart.isEmpty() && fracPart.isEmpty())
        return malformed;
    const QString digits = intPart + fracPart;
    for (QChar c : digits) {
        if (!c.isDigit() || c.unicode() > 127)
            return malformed;
    }

    // The magnitude, checked at every step: a long run of digits is refused,
    // never wrapped. A negative amount may reach one unit further.
    const quint64 limit = negative ? quint64(1) << 63 : (quint64(1) << 63) - 1;
    const CurrencyReading outOfRange{Status::OutOfRange, Currency()};
    quint64 raw = 0;
    QString four = fracPart.left(4);
    while (four.size() < 4)
        four += QLatin1Char('0');
    const QString allDigits = intPart + four;
    for (QChar c : allDigits) {
        if (__builtin_mul_overflow(raw, quint64(10), &raw) ||
            __builtin_add_overflow(raw, quint64(c.digitValue()), &raw) || raw > limit)
            return outOfRange;
    }
    // Four decimals exactly; the rest rounds half to even.
    if (fracPart.size() > 4) {
        const QString rest = fracPart.mid(4);
        const int first = rest.at(0).digitValue();
        bool beyondHalf = false;
        for (qsizetype i = 1; i < rest.size(); ++i) {
            if (rest.at(i) != QLatin1Char('0'))
                beyondHalf = true;
        }
        if (first > 5 || (first == 5 && (beyondHalf || raw % 2 != 0)))
            raw += 1;
        if (raw > limit)
            return outOfRange;
    }
    // -2^63 is the one magnitude that has no positive counterpart.
    const qint64 value = negative ? qint64(0 - raw) : qint64(raw);
    return CurrencyReading{Status::Ok, Currency::fromRaw(value)};
}

QString Regional::formatDate(const QDate& date) const {
    return m_locale.toString(date, m_shortDate);
}

QDate Regional::parseDate(const QString& text) const {
    // Through the locale, so a pattern with month names reads them in its language.
    return m_locale.toDate(text.trimmed(), m_readDate);
}

QString Regional::formatTime(const QTime& time) const {
    return m_locale.toString(time, m_longTime);
}
