#include "session/precios.h"

#include <QTimeZone>

#include <limits>

#include <algorithm>

namespace session {

namespace {

constexpr long double MsPerHour = 3600.0L * 1000.0L;

Currency effectiveUnit(Currency unit) {
    return RuntimeSettings::roundingUnitFor(unit);
}

// A piece of a band walk: whole seconds, no minimum. A piece of no whole
// second costs nothing, whatever the tariff (a variable tariff would
// otherwise charge its first step for a fraction of a second at a border).
Currency piecePrice(const Ttarifas* t, qint64 seconds, Factor f, const QString& login, Currency unit) {
    if (!t || seconds <= 0)
        return Currency();
    if (t->isFixed())
        return PrecioFijo(t->hourlyCost, seconds * 1000, f, login, unit);
    return PrecioIntervalo(t->intervals, seconds * 1000, f);
}

} // namespace

Currency PrecioFijo(Currency hourlyCost, qint64 ms, Factor f, const QString& login, Currency roundingUnit) {
    // Integers throughout: the product is exact in 128 bits and the one
    // division rounds it, so no long double or library rounding per station.
    Int128 n = 0;
    if (__builtin_mul_overflow(Int128(f.numerator) * ms, Int128(hourlyCost.raw()), &n))
        throw CurrencyOverflow();
    constexpr Int128 den = Int128(Factor::Denominator) * 3600 * 1000;
    if (!login.isEmpty())
        return Currency::fromRaw(divideRoundHalfEven(n, den));
    const qint64 unit = effectiveUnit(roundingUnit).raw();
    qint64 raw = 0;
    if (__builtin_mul_overflow(divideRoundHalfEven(n, den * unit), unit, &raw))
        throw CurrencyOverflow();
    return Currency::fromRaw(raw);
}

Currency PrecioIntervalo(const std::vector<Tintervalo>& intervals, qint64 ms, Factor f) {
    if (intervals.empty())
        return Currency();
    const Tintervalo* step = &intervals.back();
    if (intervals.size() > 1) {
        const qint64 minutes = std::max<qint64>(ms, 0) / 60000;
        // Ends ascend, so the first end above the minutes used is the step.
        for (const Tintervalo& i : intervals) {
            if (minutes < i.endMinutes) {
                step = &i;
                break;
            }
        }
    }
    return Currency::fromRaw(
        divideRoundHalfEven(Int128(f.numerator) * step->price.raw(), Int128(Factor::Denominator)));
}

namespace {

Currency precioDeTarifa(const Ttarifas* t, qint64 ms, int discountPercent, int relativePricePercent,
                        const QString& login, const RuntimeSettings& settings) {
    if (!t)
        return Currency();
    const Factor f = Factor::of(discountPercent, relativePricePercent);
    ms = std::max<qint64>(ms, 0);
    if (t->isFixed()) {
        const Currency e = PrecioFijo(t->hourlyCost, ms, f, login, settings.roundingUnit);
        // The minimum is charged as it stands: no discount, no relative price.
        return t->minimumCost > e ? t->minimumCost : e;
    }
    return PrecioIntervalo(t->intervals, ms, f);
}

} // namespace

Currency PrecioTarifa(const ListaTarifas& tarifas, const QString& name, qint64 ms, int discountPercent,
                      int relativePricePercent, const QString& login, const RuntimeSettings& settings) {
    return precioDeTarifa(tarifas.find(name), ms, discountPercent, relativePricePercent, login, settings);
}

TarifasFranjas::TarifasFranjas(const ListaTarifas& tarifas, const FranjasSnapshot& franjas)
    : m_franjas(franjas) {
    m_tarifas.reserve(franjas.bands().size());
    for (const FranjasSnapshot::Band& b : franjas.bands())
        m_tarifas.push_back(tarifas.find(b.tarifa));
}

Ahora::Ahora(const QDateTime& now)
    : m_now(now)
    , m_epochMs(now.toMSecsSinceEpoch())
    , m_offsetMs(qint64(now.offsetFromUtc()) * 1000)
    , m_validFrom(std::numeric_limits<qint64>::min())
    , m_validTo(std::numeric_limits<qint64>::max()) {
    if (now.timeSpec() == Qt::UTC || now.timeSpec() == Qt::OffsetFromUTC)
        return;
    const QTimeZone zone = now.timeSpec() == Qt::TimeZone ? now.timeZone() : QTimeZone::systemTimeZone();
    if (!zone.isValid() || !zone.hasTransitions()) {
        m_validFrom = m_validTo = m_epochMs; // unknown rules: always the slow way
        return;
    }
    const QTimeZone::OffsetData before = zone.previousTransition(now.addMSecs(1));
    const QTimeZone::OffsetData after = zone.nextTransition(now);
    if (before.atUtc.isValid())
        m_validFrom = before.atUtc.toMSecsSinceEpoch();
    if (after.atUtc.isValid())
        m_validTo = after.atUtc.toMSecsSinceEpoch();
    // The zone's rules and the date-time's own offset must agree, or the fast way is off.
    if (qint64(zone.offsetFromUtc(now)) * 1000 != m_offsetMs)
        m_validFrom = m_validTo = m_epochMs;
}

qint64 Ahora::msOfDayAt(qint64 offsetMs) const {
    const qint64 instant = m_epochMs + offsetMs;
    if (instant < m_validFrom || instant >= m_validTo)
        return msOfDay(m_now.addMSecs(offsetMs).time());
    const qint64 local = instant + m_offsetMs;
    constexpr qint64 Day = 24LL * 3600 * 1000;
    return ((local % Day) + Day) % Day;
}

Currency PrecioFranjas(const ListaTarifas& tarifas, const FranjasSnapshot& franjas, qint64 ms,
                       int discountPercent, int relativePricePercent, const QString& login,
                       Direccion direction, const Ahora& now, const RuntimeSettings& settings) {
    return PrecioFranjas(TarifasFranjas(tarifas, franjas), ms, discountPercent, relativePricePercent, login,
                         direction, now, settings);
}

Currency PrecioFranjas(const TarifasFranjas& conTarifas, qint64 ms, int discountPercent,
                       int relativePricePercent, const QString& login, Direccion direction, const Ahora& now,
                       const RuntimeSettings& settings) {
    const FranjasSnapshot& franjas = conTarifas.franjas();
    if (ms <= 0 || franjas.empty())
        return Currency();
    const auto& bands = franjas.bands();
    if (bands.size() == 1)
        return precioDeTarifa(conTarifas.tarifa(0), ms, discountPercent, relativePricePercent, login,
                              settings);
    // Bands that cover no time would never advance the walk.
    if (franjas.cycleMs() <= 0)
        return Currency();

    const Factor f = Factor::of(discountPercent, relativePricePercent);
    const Currency unit = settings.roundingUnit;
    const qint64 startSecondMs = now.msOfDayAt(direction == Direccion::Pasado ? -ms : 0) / 1000 * 1000;
    const FranjasSnapshot::Start first = franjas.startBand(startSecondMs);

    const Ttarifas* startTariff = conTarifas.tarifa(first.index);
    // Only a fixed start tariff has a minimum; unknown and variable ones pass.
    if (startTariff && startTariff->isFixed()) {
        const Currency whole = PrecioFijo(startTariff->hourlyCost, ms, f, login, unit);
        if (startTariff->minimumCost > whole)
            return startTariff->minimumCost;
    }
    if (first.firstPieceMs > ms)
        return piecePrice(startTariff, ms / 1000, f, login, unit);

    Currency total = piecePrice(startTariff, first.firstPieceMs / 1000, f, login, unit);
    qint64 done = first.firstPieceMs;
    const int n = franjas.size();

    // Whole rounds of the day cost the same each time: add them at once, so
    // a period of days takes no longer than one of hours.
    const qint64 cycle = franjas.cycleMs();
    if (ms - done >= cycle) {
        const qint64 rounds = (ms - done) / cycle;
        Currency roundCost;
        for (int b = 0; b < n; ++b)
            roundCost += piecePrice(conTarifas.tarifa(b), bands[static_cast<size_t>(b)].lengthMs / 1000, f,
                                    login, unit);
        total += Currency::fromRaw(roundCost.raw() * rounds);
        done += rounds * cycle;
    }

    // Less than one round is left, so this ends within n steps.
    int i = first.index;
    for (int step = 0; step <= n; ++step) {
        i = (i + 1) % n;
        const FranjasSnapshot::Band& b = bands[static_cast<size_t>(i)];
        const Ttarifas* t = conTarifas.tarifa(i);
        if (done + b.lengthMs > ms) {
            total += piecePrice(t, (ms - done) / 1000, f, login, unit);
            break;
        }
        total += piecePrice(t, b.lengthMs / 1000, f, login, unit);
        done += b.lengthMs;
    }
    return total;
}

long double TiempoPorImporte(const ListaTarifas& tarifas, const FranjasSnapshot& franjas,
                             int relativePricePercent, Currency hourlyCost, Currency amount,
                             const QDateTime& now, const RuntimeSettings& settings) {
    qint64 budget = amount.raw();
    // At relative price 200 an amount buys half the time.
    if (relativePricePercent > 0)
        budget = roundHalfEvenToInt(static_cast<long double>(budget) * 100.0L /
                                    static_cast<long double>(relativePricePercent));
    if (budget <= 0)
        return 0.0L;

    if (!franjasEnVigor(settings)) {
        if (hourlyCost.raw() <= 0)
            return 0.0L;
        return static_cast<long double>(budget) * 3600.0L / static_cast<long double>(hourlyCost.raw());
    }
    if (franjas.empty() || franjas.cycleMs() <= 0)
        return 0.0L;

    const auto& bands = franjas.bands();
    const int n = franjas.size();
    qint64 spent = 0;
    qint64 boughtMs = 0;
    long double partialSeconds = 0.0L;

    // Spends on one span; true when the amount ran out inside it.
    auto spend = [&](int index, qint64 spanMs) {
        const Ttarifas* t = tarifas.find(bands[static_cast<size_t>(index)].tarifa);
        if (!t || !t->isFixed())
            return false;
        const qint64 hourly = std::max<qint64>(t->hourlyCost.raw(), 0);
        const qint64 cost = roundHalfEvenToInt(static_cast<long double>(spanMs) *
                                               static_cast<long double>(hourly) / MsPerHour);
        if (spent + cost <= budget) {
            boughtMs += spanMs;
            spent += cost;
            return false;
        }
        // cost > what is left >= 0, so this band has a positive rate.
        partialSeconds =
            static_cast<long double>(budget - spent) * 3600.0L / static_cast<long double>(hourly);
        return true;
    };
    auto result = [&] { return static_cast<long double>(boughtMs) / 1000.0L + partialSeconds; };

    const FranjasSnapshot::Start first = franjas.startBand(msOfDay(now.time()));
    if (spend(first.index, first.firstPieceMs))
        return result();

    // One round of whole bands: what it costs and what it buys.
    qint64 roundCost = 0;
    qint64 roundMs = 0;
    for (const auto& b : bands) {
        const Ttarifas* t = tarifas.find(b.tarifa);
        if (!t || !t->isFixed())
            continue;
        const qint64 hourly = std::max<qint64>(t->hourlyCost.raw(), 0);
        roundCost += roundHalfEvenToInt(static_cast<long double>(b.lengthMs) *
                                        static_cast<long double>(hourly) / MsPerHour);
        roundMs += b.lengthMs;
    }
    if (roundCost == 0) {
        // Nothing on the way costs money: one round is what the walk offers.
        boughtMs += roundMs;
        return result();
    }
    const qint64 rounds = (budget - spent) / roundCost;
    spent += rounds * roundCost;
    boughtMs += rounds * roundMs;

    // Less than one round's cost is left, so the amount runs out within n spans.
    int i = first.index;
    for (int step = 0; step < n; ++step) {
        i = (i + 1) % n;
        if (spend(i, bands[static_cast<size_t>(i)].lengthMs))
            break;
    }
    return result();
}

Currency ImportePorTiempo(const ListaTarifas& tarifas, const FranjasSnapshot& franjas, qint64 seconds,
                          int relativePricePercent, Currency hourlyCost, const QDateTime& now,
                          const RuntimeSettings& settings) {
    if (seconds <= 0)
        return Currency();
    const int relative = relativePricePercent > 0 ? relativePricePercent : 100;
    if (franjasEnVigor(settings))
        return PrecioFranjas(tarifas, franjas, seconds * 1000, 0, relative, QString(), Direccion::Futuro,
                             Ahora(now), settings);
    return Currency::roundHalfEven(static_cast<long double>(seconds) *
                                   static_cast<long double>(hourlyCost.raw()) *
                                   static_cast<long double>(relative) / (3600.0L * 100.0L));
}

HorasMinutos horasMinutos(long double seconds) {
    HorasMinutos hm;
    hm.seconds = std::max<qint64>(roundHalfEvenToInt(seconds), 0);
    hm.hours = static_cast<int>(hm.seconds / 3600);
    hm.minutes = static_cast<int>(roundHalfEvenToInt(static_cast<long double>(hm.seconds % 3600) / 60.0L));
    if (hm.minutes == 60) {
        hm.hours += 1;
        hm.minutes = 0;
    }
    return hm;
}

} // namespace session
