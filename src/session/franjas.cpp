#include "session/franjas.h"

#include <algorithm>

namespace session {

qint64 msOfDay(const QTime& t) {
    return t.isValid() ? t.msecsSinceStartOfDay() : 0;
}

FranjasSnapshot::FranjasSnapshot(std::vector<store::Franja> rows)
    : m_rows(std::move(rows)) {
    // Stored times are "HH:mm:ss" and sort as text; this only matters for
    // rows written some other way.
    std::stable_sort(m_rows.begin(), m_rows.end(), [](const store::Franja& a, const store::Franja& b) {
        return msOfDay(a.franja_fin) < msOfDay(b.franja_fin);
    });
    m_bands.reserve(m_rows.size());
    for (const store::Franja& r : m_rows) {
        Band b;
        b.startMs = msOfDay(r.franja_ini);
        b.endMs = msOfDay(r.franja_fin);
        if (b.endMs > b.startMs)
            b.lengthMs = b.endMs - b.startMs;
        else if (b.endMs < b.startMs)
            b.lengthMs = b.endMs + DayMs - b.startMs;
        b.tarifa = r.tarifa;
        m_cycleMs += b.lengthMs;
        m_bands.push_back(std::move(b));
    }
}

FranjasSnapshot FranjasSnapshot::load(const QSqlDatabase& db) {
    return FranjasSnapshot(store::select<store::Franja>(db, QStringLiteral("ORDER BY franja_fin")));
}

FranjasSnapshot::Start FranjasSnapshot::startBand(qint64 t) const {
    for (int i = 0; i < size(); ++i) {
        const Band& b = m_bands[static_cast<size_t>(i)];
        if (b.endMs > b.startMs) {
            if (b.startMs <= t && t <= b.endMs)
                return Start{i, b.endMs - t, true};
        } else if (b.endMs < b.startMs) {
            if (t >= b.startMs)
                return Start{i, b.endMs + DayMs - t, true};
            if (t <= b.endMs)
                return Start{i, b.endMs - t, true};
        }
    }
    return Start{size() - 1, 0, false};
}

const store::Franja* franjaApertura(const FranjasSnapshot& franjas, const QTime& time) {
    const qint64 t = msOfDay(time) / 1000;
    for (const store::Franja& f : franjas.rows()) {
        const qint64 a = msOfDay(f.franja_ini) / 1000;
        const qint64 b = msOfDay(f.franja_fin) / 1000;
        if ((a < b && a <= t && t <= b) || (b < a && (t >= a || t <= b)))
            return &f;
    }
    return nullptr;
}

} // namespace session
