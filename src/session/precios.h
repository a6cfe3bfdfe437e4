#pragma once

#include "core/currency.h"
#include "core/runtimesettings.h"
#include "session/franjas.h"
#include "session/tarifas.h"

#include <QDateTime>
#include <QString>

// The cost of use. Every product is taken exactly from the raw integers
// (in 128 bits, or long double where the dialogs convert time) and rounded
// once per step, halves to even. Nothing here reads the
// database or the clock: the cache, the band snapshot, "now" and the
// rounding unit are handed in.

namespace session {

// (1 - discount/100) x (relative price/100), kept as the integer
// (100 - discount) x relative price over 10 000 so products stay exact.
struct Factor {
    qint64 numerator = 10000;

    static constexpr Factor of(int discountPercent, int relativePricePercent) {
        return Factor{(100LL - discountPercent) * relativePricePercent};
    }
    static constexpr qint64 Denominator = 10000;
};

enum class Direccion { Pasado, Futuro };

// "Now" with the time-zone work done once: the local time of day of any
// instant near now, for pricing thousands of stations in one tick. Instants
// across a change of the clock's offset are converted the slow way.
class Ahora {
public:
    // Explicit: the time-zone lookups are paid here, once per tick, never
    // hidden in a call that prices one station.
    explicit Ahora(const QDateTime& now);

    const QDateTime& dateTime() const { return m_now; }
    // Local milliseconds since midnight of the instant offsetMs after now.
    qint64 msOfDayAt(qint64 offsetMs) const;

private:
    QDateTime m_now;
    qint64 m_epochMs = 0;
    qint64 m_offsetMs = 0;
    // The offset holds from m_validFrom (inclusive) to m_validTo (exclusive), epoch ms.
    qint64 m_validFrom = 0;
    qint64 m_validTo = 0;
};

// The bands with each one's tariff looked up once: a tick that prices
// thousands of stations by the bands pays the lookups by name once, not per
// station. Holds references: the cache and the bands must outlive it and not
// change while it is in use.
class TarifasFranjas {
public:
    TarifasFranjas(const ListaTarifas& tarifas, const FranjasSnapshot& franjas);

    const FranjasSnapshot& franjas() const { return m_franjas; }
    // The cached tariff of band i; null when the cache has none of its name.
    const Ttarifas* tarifa(int band) const { return m_tarifas[static_cast<size_t>(band)]; }

private:
    const FranjasSnapshot& m_franjas;
    std::vector<const Ttarifas*> m_tarifas;
};

// Hourly cost h for ms milliseconds, scaled by f. With an account login the
// result is rounded to 1/10 000; anonymous customers' to the nearest multiple
// of the rounding unit (a unit not above 0 counts as 0.01).
Currency PrecioFijo(Currency hourlyCost, qint64 ms, Factor f, const QString& login, Currency roundingUnit);

// The price of a variable tariff's step for ms milliseconds of use, scaled
// by f; 0 without intervals.
Currency PrecioIntervalo(const std::vector<Tintervalo>& intervals, qint64 ms, Factor f);

// A counter-mode period under one tariff. Unknown names ("FRANJAS",
// "BONO TIEMPO", "") price at 0. A negative time counts as 0.
Currency PrecioTarifa(const ListaTarifas& tarifas, const QString& name, qint64 ms, int discountPercent,
                      int relativePricePercent, const QString& login, const RuntimeSettings& settings);

// A period priced by the time bands: Pasado is the period that ends at now,
// Futuro the one that starts at now. The period is cut at the band borders
// and each piece, in whole seconds, is priced with its band's tariff (a
// variable tariff by its step for the piece's length; a tariff not in the
// cache, or a piece of no whole second, at 0). Only the start band's minimum
// applies, to the whole period. Bands that cover no time (none, or only
// bands whose start equals their end) price at 0; a single band prices the
// period by its tariff's own rules.
Currency PrecioFranjas(const ListaTarifas& tarifas, const FranjasSnapshot& franjas, qint64 ms,
                       int discountPercent, int relativePricePercent, const QString& login,
                       Direccion direction, const Ahora& now, const RuntimeSettings& settings);
// The same with the bands' tariffs looked up beforehand.
Currency PrecioFranjas(const TarifasFranjas& bands, qint64 ms, int discountPercent, int relativePricePercent,
                       const QString& login, Direccion direction, const Ahora& now,
                       const RuntimeSettings& settings);

// The time an amount buys at a station, in seconds (the dialog rounds it).
// Without bands (porfranjas off or cambiotarifa not 0): amount x 3600 /
// hourly cost. With bands the walk from now spends the amount band by band
// at each band's own hourly cost; bands whose tariff is not a cached fixed
// tariff are skipped. The walk ends where the amount runs out, or after one
// whole round of the bands that spent nothing (then the time gathered so far
// is the answer: nothing when no band has a fixed tariff). No amount, or
// bands that cover no time, buy nothing.
long double TiempoPorImporte(const ListaTarifas& tarifas, const FranjasSnapshot& franjas,
                             int relativePricePercent, Currency hourlyCost, Currency amount,
                             const QDateTime& now, const RuntimeSettings& settings);

// The amount for a time in the open-station dialog ("Calcular"): with bands
// in force, the bands' price of the period starting now for an anonymous
// customer at the station's relative price; otherwise seconds x hourly cost
// x relative price / 3600, with neither rounding unit nor minimum. The
// relative price applies so that the amount quoted buys the time asked for
// (TiempoPorImporte applies it the other way).
Currency ImportePorTiempo(const ListaTarifas& tarifas, const FranjasSnapshot& franjas, qint64 seconds,
                          int relativePricePercent, Currency hourlyCost, const QDateTime& now,
                          const RuntimeSettings& settings);

// Whether the time bands price anonymous stations right now.
inline bool franjasEnVigor(const RuntimeSettings& s) {
    return s.porfranjas && s.cambiotarifa == 0;
}

// The dialog's hours and minutes for a time in seconds: seconds rounded,
// hours truncated, the rest in minutes rounded (60 carries into the hours).
struct HorasMinutos {
    qint64 seconds = 0;
    int hours = 0;
    int minutes = 0;
};
HorasMinutos horasMinutos(long double seconds);

} // namespace session
