#pragma once

#include "store/rows.h"

#include <QSqlDatabase>
#include <QString>
#include <QTime>

#include <vector>

namespace session {

// The time bands as one pricing pass sees them: the rows of "SELECT * from
// franjas order by franja_fin", read once per clock tick (or per dialog
// computation) and handed to every price of that pass, so pricing never
// touches the database.
class FranjasSnapshot {
public:
    static constexpr qint64 DayMs = 24LL * 3600 * 1000;

    struct Band {
        qint64 startMs = 0; // time of day of franja_ini
        qint64 endMs = 0;   // time of day of franja_fin
        // end - start, or across midnight end + 1 day - start. A band whose
        // start equals its end covers no time.
        qint64 lengthMs = 0;
        QString tarifa;
    };

    // Where a walk starts: the band that holds a time of day and the time
    // from there to that band's end.
    struct Start {
        int index = -1;
        qint64 firstPieceMs = 0;
        bool found = false;
    };

    FranjasSnapshot() = default;
    // Rows in ascending franja_fin (the order is restored if they are not).
    explicit FranjasSnapshot(std::vector<store::Franja> rows);
    static FranjasSnapshot load(const QSqlDatabase& db);

    const std::vector<store::Franja>& rows() const { return m_rows; }
    const std::vector<Band>& bands() const { return m_bands; }
    int size() const { return static_cast<int>(m_bands.size()); }
    bool empty() const { return m_bands.empty(); }
    // One round of every band: zero when no band covers any time.
    qint64 cycleMs() const { return m_cycleMs; }

    // The pricing start band: the first band in ascending franja_fin that
    // holds timeOfDayMs. A band from a to b holds t when a <= t <= b, or
    // across midnight when t >= a or t <= b (both ends inclusive); a band
    // whose start equals its end holds nothing. At a border the band that
    // ends there comes first, with an empty first piece. When no band holds
    // t, the start is the last band with an empty first piece (found is false).
    Start startBand(qint64 timeOfDayMs) const;

private:
    std::vector<store::Franja> m_rows;
    std::vector<Band> m_bands;
    qint64 m_cycleMs = 0;
};

// The opening rule (open and increase dialogs): the first band in ascending
// franja_fin that holds the time of day, to the second, both ends inclusive;
// a band whose start equals its end holds nothing. Null when none holds it.
const store::Franja* franjaApertura(const FranjasSnapshot& franjas, const QTime& time);

// Milliseconds since midnight; an empty time reads as midnight.
qint64 msOfDay(const QTime& t);

} // namespace session
