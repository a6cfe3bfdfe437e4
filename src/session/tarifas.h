#pragma once

#include "core/currency.h"
#include "store/rows.h"
#include "ui/messagetable.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// One step of a variable tariff: the whole use period costs price when its
// length in minutes falls below endMinutes (and at or above the previous end).
struct Tintervalo {
    int endMinutes = 0;
    Currency price;
    bool operator==(const Tintervalo&) const = default;
};

// A cached tariff. Stations keep a pointer to their record, so a record never
// moves while it is in the cache (see ListaTarifas).
class Ttarifas {
public:
    enum Tipo : int { Fija = 0, Variable = 1 };

    QString name;
    int type = Fija;
    // Fixed tariffs only; a variable tariff keeps 0 for both.
    Currency hourlyCost;
    Currency minimumCost;
    // Variable tariffs: ascending endMinutes; empty when the tariff has no rows.
    std::vector<Tintervalo> intervals;

    bool isFixed() const { return type == Fija; }
    bool isVariable() const { return type == Variable; }
    bool operator==(const Ttarifas&) const = default;
};

// The tariff cache: fixed tariffs first, then variable ones, each in table
// order; tariffs added later go to the end. Lookups are exact and
// case-sensitive and find the first record of a name. Records are held by
// pointer, so appending or removing others never moves a record.
class ListaTarifas {
public:
    ListaTarifas() = default;
    ListaTarifas(ListaTarifas&&) = default;
    ListaTarifas& operator=(ListaTarifas&&) = default;
    ListaTarifas(const ListaTarifas&) = delete;
    ListaTarifas& operator=(const ListaTarifas&) = delete;

    // Built from the tables at start-up. Rows of any type other than fixed or
    // variable are not cached.
    static ListaTarifas load(const QSqlDatabase& db);

    const Ttarifas* find(const QString& name) const;
    int size() const { return static_cast<int>(m_records.size()); }
    const Ttarifas& at(int i) const { return *m_records.at(static_cast<size_t>(i)); }
    QStringList names() const;

    // Tariff editing keeps the cache in step with the tables through these.
    // A new tariff's record, built from its saved row as at start-up (a
    // variable tariff reads its intervals); nullptr for a type that is not cached.
    const Ttarifas* appendRecord(const QSqlDatabase& db, const store::Tarifa& row);
    const Ttarifas* append(Ttarifas record);
    // False when no record has the name.
    bool updateFixedCosts(const QString& name, Currency hourlyCost, Currency minimumCost);
    // The intervals of the tariff row, read again in ascending franja_fin.
    bool refreshIntervals(const QSqlDatabase& db, const store::Tarifa& row);
    bool setIntervals(const QString& name, std::vector<Tintervalo> intervals);
    // Removes the first record with the name; stations must no longer point at it.
    bool remove(const QString& name);
    // Brings the cache in step with fresh, a cache just loaded from the
    // tables (another console edited them): records of names still there
    // change in place and keep their place, new ones go to the end as an
    // edit here puts them, gone ones leave. Answers whether anything changed.
    bool sincronizar(ListaTarifas fresh);

private:
    Ttarifas* findMutable(const QString& name);

    // Scanned by name: a café has a handful of tariffs, and comparing a few
    // names is cheaper than hashing one on every tick.
    std::vector<std::unique_ptr<Ttarifas>> m_records;
};

namespace session {

// A variable tariff's intervals from lintarifas, in ascending franja_fin.
std::vector<Tintervalo> readIntervals(const QSqlDatabase& db, int idTarifa);
// The cache record of a tariff row as start-up builds it (costs for fixed
// tariffs, intervals for variable ones).
Ttarifas recordFromRow(const QSqlDatabase& db, const store::Tarifa& row);

// COS_HORA of the tarifas row named exactly name, read from the table;
// -1.00 when there is none.
Currency CosteHoraTarifa(const QSqlDatabase& db, const QString& name);

// Whether a tariff may be deleted: not while a station runs on it, nor while
// a time band names it.
struct TarifaBorrableResult {
    enum class Outcome { Allowed, InUseAtStation, UsedByBand };
    Outcome outcome = Outcome::Allowed;
    // Key in tarifaMessages(); empty when allowed.
    QString messageKey;

    bool allowed() const { return outcome == Outcome::Allowed; }
};

// The refusals of a tariff deletion ("TarifaEnPuesto", "TarifaEnFranja").
const ui::MessageTable& tarifaMessages();

// stationTariffs: the tariff name of every station, taken under the registry lock.
// consola: this console's name; the stations other consoles poll count as
// their rows last told.
TarifaBorrableResult TarifaBorrable(const QSqlDatabase& db, const QString& name,
                                    const QStringList& stationTariffs, const QString& consola = QString());

} // namespace session
