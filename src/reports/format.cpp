#include "reports/format.h"

namespace reports {

namespace {

QString groupDigits(const QString& digits, const QString& separator) {
    QString out;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += separator;
        out += digits.at(i);
    }
    return out;
}

// The magnitude with two decimals and the symbol where the region puts it.
QString withSymbol(const Regional& regional, Currency magnitude) {
    const qint64 raw = magnitude.roundedToDecimals(2).raw();
    const qint64 units = raw / Currency::Scale;
    const qint64 cents = (raw % Currency::Scale) / 100;
    const QString number = groupDigits(QString::number(units), regional.thousandsSeparator()) +
                           regional.decimalSeparator() +
                           QStringLiteral("%1").arg(cents, 2, 10, QLatin1Char('0'));
    const QString symbol = regional.currencySymbol();
    switch (regional.symbolPosition()) {
    case Regional::SymbolPosition::Prefix:
        return symbol + number;
    case Regional::SymbolPosition::PrefixSpace:
        return symbol + QLatin1Char(' ') + number;
    case Regional::SymbolPosition::Suffix:
        return number + symbol;
    case Regional::SymbolPosition::SuffixSpace:
        break;
    }
    return number + QLatin1Char(' ') + symbol;
}

Currency magnitudeOf(Currency value) {
    return value.raw() < 0 ? Currency::fromRaw(-value.raw()) : value;
}

} // namespace

QString formatReportAmount(const Regional& regional, Currency value) {
    const QString text = withSymbol(regional, magnitudeOf(value));
    // A value that rounds to zero shows no sign.
    if (value.raw() < 0 && value.roundedToDecimals(2).raw() != 0)
        return QLatin1Char('(') + text + QLatin1Char(')');
    return text;
}

QString formatCurrency2(const Regional& regional, Currency value) {
    const QString text = withSymbol(regional, magnitudeOf(value));
    if (value.raw() < 0 && value.roundedToDecimals(2).raw() != 0)
        return QLatin1Char('-') + text;
    return text;
}

QString formatTimeSum(qint64 seconds) {
    if (seconds < 0)
        seconds = 0;
    return QString::number(seconds / 3600) + QStringLiteral("  Horas  ") +
           QString::number(seconds / 60 % 60) + QStringLiteral("  Min.  ") + QString::number(seconds % 60) +
           QStringLiteral("  Seg.  ");
}

QString formatDuration(qint64 seconds) {
    if (seconds < 0)
        seconds = 0;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QStringList distinctLabels(const QStringList& labels) {
    QStringList out;
    for (const QString& label : labels) {
        QString candidate = label;
        for (int n = 2; out.contains(candidate); ++n)
            candidate = label + QStringLiteral(" (%1)").arg(n);
        out << candidate;
    }
    return out;
}

} // namespace reports
