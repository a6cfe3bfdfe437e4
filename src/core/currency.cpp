#include "core/currency.h"

#include <QDebug>
#include <QString>

#include <cmath>
#include <limits>

namespace {

// 2^63, exact in long double: the first value past the qint64 range.
constexpr long double TwoPow63 = 9223372036854775808.0L;

bool fitsInt64(long double whole) {
    // NaN fails both comparisons.
    return whole >= -TwoPow63 && whole < TwoPow63;
}

} // namespace

std::optional<qint64> tryRoundHalfEvenToInt(long double value) {
    // Explicit rather than nearbyintl: the result must not depend on the FPU rounding mode.
    const long double floorValue = std::floor(value);
    if (!fitsInt64(floorValue))
        return std::nullopt;
    const long double diff = value - floorValue;
    const qint64 f = static_cast<qint64>(floorValue);
    const bool up = diff > 0.5L || (diff == 0.5L && f % 2 != 0);
    qint64 r = f;
    if (up && __builtin_add_overflow(f, 1, &r))
        return std::nullopt;
    return r;
}

std::optional<qint64> tryTruncateToInt(long double value) {
    const long double whole = std::trunc(value);
    if (!fitsInt64(whole))
        return std::nullopt;
    return static_cast<qint64>(whole);
}

qint64 roundHalfEvenToInt(long double value) {
    if (const std::optional<qint64> r = tryRoundHalfEvenToInt(value))
        return *r;
    throw CurrencyOverflow();
}

qint64 truncateToInt(long double value) {
    if (const std::optional<qint64> r = tryTruncateToInt(value))
        return *r;
    throw CurrencyOverflow();
}

namespace {
__extension__ typedef unsigned __int128 UInt128;
} // namespace

qint64 divideRoundHalfEven(Int128 numerator, Int128 denominator) {
    const bool negative = (numerator < 0) != (denominator < 0);
    // Magnitudes as unsigned, so the most negative value has one too.
    const auto magnitude = [](Int128 v) {
        return v < 0 ? static_cast<UInt128>(0) - static_cast<UInt128>(v) : static_cast<UInt128>(v);
    };
    const UInt128 n = magnitude(numerator);
    const UInt128 d = magnitude(denominator);
    UInt128 q = 0;
    UInt128 r = 0;
    // Prices fit in 64 bits: one machine division instead of the 128-bit routine.
    if (n <= std::numeric_limits<quint64>::max() && d <= std::numeric_limits<quint64>::max()) {
        q = static_cast<quint64>(n) / static_cast<quint64>(d);
        r = static_cast<quint64>(n) % static_cast<quint64>(d);
    } else {
        q = n / d;
        r = n % d;
    }
    // r < d, so d - r cannot wrap; r > d - r is twice r above d.
    if (r > d - r || (r == d - r && (q & 1) != 0))
        ++q;
    constexpr UInt128 MaxPositive = static_cast<UInt128>(std::numeric_limits<qint64>::max());
    if (q > MaxPositive + (negative ? 1 : 0))
        throw CurrencyOverflow();
    return negative ? static_cast<qint64>(static_cast<UInt128>(0) - q) : static_cast<qint64>(q);
}

Currency Currency::roundHalfEven(long double raw) {
    return Currency(roundHalfEvenToInt(raw));
}

Currency Currency::truncate(long double raw) {
    return Currency(truncateToInt(raw));
}

std::optional<Currency> Currency::tryRoundHalfEven(long double raw) {
    if (const std::optional<qint64> r = tryRoundHalfEvenToInt(raw))
        return Currency(*r);
    return std::nullopt;
}

std::optional<Currency> Currency::tryTruncate(long double raw) {
    if (const std::optional<qint64> r = tryTruncateToInt(raw))
        return Currency(*r);
    return std::nullopt;
}

Currency Currency::roundedToMultiple(Currency unit) const {
    if (unit.m_raw <= 0)
        return *this;
    // Integer arithmetic: exact for every representable amount.
    qint64 q = m_raw / unit.m_raw;
    qint64 r = m_raw % unit.m_raw;
    if (r < 0) {
        q -= 1;
        r += unit.m_raw;
    }
    // r against unit - r rather than 2 * r against unit: no overflow for a large unit.
    const qint64 rest = unit.m_raw - r;
    if (r > rest || (r == rest && (q % 2 != 0)))
        q += 1;
    return Currency(mul(q, unit.m_raw));
}

Currency Currency::roundedToDecimals(int decimals) const {
    if (decimals >= 4)
        return *this;
    if (decimals < 0)
        decimals = 0;
    qint64 unit = 1;
    for (int i = decimals; i < 4; ++i)
        unit *= 10;
    return roundedToMultiple(Currency(unit));
}

QString Currency::toDebugString() const {
    qint64 a = m_raw < 0 ? -m_raw : m_raw;
    return QStringLiteral("%1%2.%3")
        .arg(m_raw < 0 ? QStringLiteral("-") : QString())
        .arg(a / Scale)
        .arg(a % Scale, 4, 10, QLatin1Char('0'));
}

QDebug operator<<(QDebug debug, Currency c) {
    QDebugStateSaver saver(debug);
    debug.nospace() << "Currency(" << c.toDebugString() << ")";
    return debug;
}
