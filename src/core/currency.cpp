#include "core/currency.h"

#include <QDebug>
#include <QString>

#include <cmath>

qint64 roundHalfEvenToInt(long double value) {
    // Explicit rather than nearbyintl: the result must not depend on the FPU rounding mode.
    long double floorValue = std::floor(value);
    long double diff = value - floorValue;
    if (diff > 0.5L)
        return static_cast<qint64>(floorValue) + 1;
    if (diff < 0.5L)
        return static_cast<qint64>(floorValue);
    qint64 f = static_cast<qint64>(floorValue);
    return (f % 2 == 0) ? f : f + 1;
}

qint64 truncateToInt(long double value) {
    return static_cast<qint64>(std::trunc(value));
}

Currency Currency::roundHalfEven(long double raw) {
    return Currency(roundHalfEvenToInt(raw));
}

Currency Currency::truncate(long double raw) {
    return Currency(truncateToInt(raw));
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
    qint64 twice = 2 * r;
    if (twice > unit.m_raw || (twice == unit.m_raw && (q % 2 != 0)))
        q += 1;
    return Currency(q * unit.m_raw);
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
