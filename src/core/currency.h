#pragma once

#include <QtGlobal>

#include <compare>
#include <cstdint>
#include <optional>
#include <stdexcept>

// A money value (or an integer made from one) that does not fit the signed
// 64-bit count. Thrown instead of a wrapped value; input is refused before
// it can get this far, so reaching it means a check is missing.
class CurrencyOverflow : public std::overflow_error {
public:
    CurrencyOverflow()
        : std::overflow_error("amount outside the 64-bit range") {}
};

// Money as a signed count of 1/10 000 units. There is deliberately no
// constructor from double: every conversion from a computed value names its
// rounding at the call site. Arithmetic never wraps: the checked functions
// answer nothing on overflow, the operators throw CurrencyOverflow.
class Currency {
public:
    static constexpr qint64 Scale = 10000;
    // The largest amount an operator may type or a sale line may come to.
    static const Currency MaxAmount;

    constexpr Currency() = default;

    static constexpr Currency fromRaw(qint64 raw) { return Currency(raw); }
    static constexpr Currency fromUnits(qint64 units) { return Currency(mul(units, Scale)); }
    // Whole units and hundredths, the way prices are written: fromCents(120) is 1.20.
    static constexpr Currency fromCents(qint64 cents) { return Currency(mul(cents, Scale / 100)); }

    // A computed value in raw units (1/10 000), rounded to the nearest raw
    // unit. Throws CurrencyOverflow when it does not fit (or is not a number).
    static Currency roundHalfEven(long double raw);
    static Currency truncate(long double raw);
    // The same, answering nothing instead of throwing.
    static std::optional<Currency> tryRoundHalfEven(long double raw);
    static std::optional<Currency> tryTruncate(long double raw);

    static constexpr std::optional<Currency> checkedAdd(Currency a, Currency b) {
        qint64 r = 0;
        if (__builtin_add_overflow(a.m_raw, b.m_raw, &r))
            return std::nullopt;
        return Currency(r);
    }
    static constexpr std::optional<Currency> checkedSub(Currency a, Currency b) {
        qint64 r = 0;
        if (__builtin_sub_overflow(a.m_raw, b.m_raw, &r))
            return std::nullopt;
        return Currency(r);
    }
    static constexpr std::optional<Currency> checkedMul(Currency a, qint64 factor) {
        qint64 r = 0;
        if (__builtin_mul_overflow(a.m_raw, factor, &r))
            return std::nullopt;
        return Currency(r);
    }

    constexpr qint64 raw() const { return m_raw; }
    constexpr bool isZero() const { return m_raw == 0; }
    constexpr bool isNegative() const { return m_raw < 0; }
    // Within MaxAmount either way.
    constexpr bool withinMaxAmount() const;

    // The nearest multiple of unit (halves to the even multiple). A unit that
    // is not positive leaves the value unchanged.
    Currency roundedToMultiple(Currency unit) const;
    // Rounded to the given number of decimals (0 to 4), halves to even.
    Currency roundedToDecimals(int decimals) const;

    constexpr Currency operator-() const { return Currency(sub(0, m_raw)); }
    constexpr Currency operator+(Currency o) const { return Currency(add(m_raw, o.m_raw)); }
    constexpr Currency operator-(Currency o) const { return Currency(sub(m_raw, o.m_raw)); }
    constexpr Currency& operator+=(Currency o) {
        m_raw = add(m_raw, o.m_raw);
        return *this;
    }
    constexpr Currency& operator-=(Currency o) {
        m_raw = sub(m_raw, o.m_raw);
        return *this;
    }
    constexpr auto operator<=>(const Currency&) const = default;

    // For tests and diagnostics only: "-1.2345" style, always with '.' and four decimals.
    QString toDebugString() const;

private:
    constexpr explicit Currency(qint64 raw)
        : m_raw(raw) {}
    static constexpr qint64 add(qint64 a, qint64 b) {
        qint64 r = 0;
        if (__builtin_add_overflow(a, b, &r))
            throw CurrencyOverflow();
        return r;
    }
    static constexpr qint64 sub(qint64 a, qint64 b) {
        qint64 r = 0;
        if (__builtin_sub_overflow(a, b, &r))
            throw CurrencyOverflow();
        return r;
    }
    static constexpr qint64 mul(qint64 a, qint64 b) {
        qint64 r = 0;
        if (__builtin_mul_overflow(a, b, &r))
            throw CurrencyOverflow();
        return r;
    }
    qint64 m_raw = 0;
};

// 999.999,99: well beyond anything a café sells, far below where a product
// of quantity and price could wrap.
inline constexpr Currency Currency::MaxAmount = Currency::fromRaw(999'999'99LL * (Scale / 100));

constexpr bool Currency::withinMaxAmount() const {
    return m_raw <= MaxAmount.m_raw && m_raw >= -MaxAmount.m_raw;
}

// Rounding of extended-precision values to integers, halves to the even
// neighbour. Throws CurrencyOverflow outside the qint64 range (and for NaN).
qint64 roundHalfEvenToInt(long double value);
// Toward zero; the same range.
qint64 truncateToInt(long double value);
std::optional<qint64> tryRoundHalfEvenToInt(long double value);
std::optional<qint64> tryTruncateToInt(long double value);

// numerator / denominator to the nearest integer, halves to the even
// neighbour, exact for every input: pricing divides integers this way
// instead of through long double and its library rounding. The denominator
// must not be 0. Throws CurrencyOverflow when the result leaves qint64.
__extension__ typedef __int128 Int128;
qint64 divideRoundHalfEven(Int128 numerator, Int128 denominator);

class QDebug;
QDebug operator<<(QDebug debug, Currency c);
