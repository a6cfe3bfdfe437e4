#pragma once

#include <QtGlobal>

#include <compare>
#include <cstdint>

// Money as a signed count of 1/10 000 units. There is deliberately no
// constructor from double: every conversion from a computed value names its
// rounding at the call site.
class Currency {
public:
    static constexpr qint64 Scale = 10000;

    constexpr Currency() = default;

    static constexpr Currency fromRaw(qint64 raw) { return Currency(raw); }
    static constexpr Currency fromUnits(qint64 units) { return Currency(units * Scale); }
    // Whole units and hundredths, the way prices are written: fromCents(120) is 1.20.
    static constexpr Currency fromCents(qint64 cents) { return Currency(cents * (Scale / 100)); }

    // A computed value in raw units (1/10 000), rounded to the nearest raw unit.
    static Currency roundHalfEven(long double raw);
    static Currency truncate(long double raw);

    constexpr qint64 raw() const { return m_raw; }
    constexpr bool isZero() const { return m_raw == 0; }
    constexpr bool isNegative() const { return m_raw < 0; }

    // The nearest multiple of unit (halves to the even multiple). A unit that
    // is not positive leaves the value unchanged.
    Currency roundedToMultiple(Currency unit) const;
    // Rounded to the given number of decimals (0 to 4), halves to even.
    Currency roundedToDecimals(int decimals) const;

    constexpr Currency operator-() const { return Currency(-m_raw); }
    constexpr Currency operator+(Currency o) const { return Currency(m_raw + o.m_raw); }
    constexpr Currency operator-(Currency o) const { return Currency(m_raw - o.m_raw); }
    constexpr Currency& operator+=(Currency o) {
        m_raw += o.m_raw;
        return *this;
    }
    constexpr Currency& operator-=(Currency o) {
        m_raw -= o.m_raw;
        return *this;
    }
    constexpr auto operator<=>(const Currency&) const = default;

    // For tests and diagnostics only: "-1.2345" style, always with '.' and four decimals.
    QString toDebugString() const;

private:
    constexpr explicit Currency(qint64 raw)
        : m_raw(raw) {}
    qint64 m_raw = 0;
};

// Rounding of extended-precision values to integers, halves to the even neighbour.
qint64 roundHalfEvenToInt(long double value);
// Toward zero.
qint64 truncateToInt(long double value);

class QDebug;
QDebug operator<<(QDebug debug, Currency c);
