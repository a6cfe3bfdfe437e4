#include "session/tarifas.h"

#include "store/sql.h"

#include <algorithm>
#include <utility>

ListaTarifas ListaTarifas::load(const QSqlDatabase& db) {
    ListaTarifas list;
    for (int tipo : {int(Ttarifas::Fija), int(Ttarifas::Variable)}) {
        const std::vector<store::Tarifa> rows =
            store::select<store::Tarifa>(db, QStringLiteral("WHERE TIPO = ? ORDER BY ID_TAR"), {tipo});
        for (const store::Tarifa& row : rows)
            list.m_records.push_back(std::make_unique<Ttarifas>(session::recordFromRow(db, row)));
    }
    return list;
}

const Ttarifas* ListaTarifas::find(const QString& name) const {
    for (const auto& r : m_records) {
        if (r->name == name)
            return r.get();
    }
    return nullptr;
}

Ttarifas* ListaTarifas::findMutable(const QString& name) {
    return const_cast<Ttarifas*>(std::as_const(*this).find(name));
}

QStringList ListaTarifas::names() const {
    QStringList names;
    for (const auto& r : m_records)
        names << r->name;
    return names;
}

const Ttarifas* ListaTarifas::appendRecord(const QSqlDatabase& db, const store::Tarifa& row) {
    if (row.TIPO != Ttarifas::Fija && row.TIPO != Ttarifas::Variable)
        return nullptr;
    return append(session::recordFromRow(db, row));
}

const Ttarifas* ListaTarifas::append(Ttarifas record) {
    m_records.push_back(std::make_unique<Ttarifas>(std::move(record)));
    // An older record of the same name stays first, so lookups still find it.
    return m_records.back().get();
}

bool ListaTarifas::updateFixedCosts(const QString& name, Currency hourlyCost, Currency minimumCost) {
    Ttarifas* r = findMutable(name);
    if (!r)
        return false;
    r->hourlyCost = hourlyCost;
    r->minimumCost = minimumCost;
    return true;
}

bool ListaTarifas::refreshIntervals(const QSqlDatabase& db, const store::Tarifa& row) {
    if (!findMutable(row.NOM))
        return false;
    return setIntervals(row.NOM, session::readIntervals(db, row.ID_TAR));
}

bool ListaTarifas::setIntervals(const QString& name, std::vector<Tintervalo> intervals) {
    Ttarifas* r = findMutable(name);
    if (!r)
        return false;
    std::stable_sort(intervals.begin(), intervals.end(),
                     [](const Tintervalo& a, const Tintervalo& b) { return a.endMinutes < b.endMinutes; });
    r->intervals = std::move(intervals);
    return true;
}

bool ListaTarifas::sincronizar(ListaTarifas fresh) {
    bool changed = false;
    std::vector<bool> kept(m_records.size(), false);
    for (auto& incoming : fresh.m_records) {
        // The first record of the name not matched yet, as lookups find them.
        size_t i = 0;
        while (i < m_records.size() && (kept[i] || m_records[i]->name != incoming->name))
            ++i;
        if (i < m_records.size()) {
            kept[i] = true;
            if (!(*m_records[i] == *incoming)) {
                *m_records[i] = std::move(*incoming);
                changed = true;
            }
            continue;
        }
        m_records.push_back(std::move(incoming));
        kept.push_back(true);
        changed = true;
    }
    for (size_t i = m_records.size(); i-- > 0;) {
        if (!kept[i]) {
            m_records.erase(m_records.begin() + qsizetype(i));
            changed = true;
        }
    }
    return changed;
}

bool ListaTarifas::remove(const QString& name) {
    Ttarifas* r = findMutable(name);
    if (!r)
        return false;
    auto it = std::find_if(m_records.begin(), m_records.end(), [r](const auto& p) { return p.get() == r; });
    m_records.erase(it);
    return true;
}

namespace session {

std::vector<Tintervalo> readIntervals(const QSqlDatabase& db, int idTarifa) {
    const std::vector<store::LinTarifa> rows = store::select<store::LinTarifa>(
        db, QStringLiteral("WHERE id_tarifa = ? ORDER BY franja_fin"), {idTarifa});
    std::vector<Tintervalo> intervals;
    intervals.reserve(rows.size());
    for (const store::LinTarifa& l : rows)
        intervals.push_back(Tintervalo{l.franja_fin, l.precio});
    return intervals;
}

Ttarifas recordFromRow(const QSqlDatabase& db, const store::Tarifa& row) {
    Ttarifas t;
    t.name = row.NOM;
    t.type = row.TIPO;
    if (row.TIPO == Ttarifas::Fija) {
        t.hourlyCost = row.COS_HORA;
        t.minimumCost = row.COS_MIN;
    } else if (row.TIPO == Ttarifas::Variable) {
        t.intervals = readIntervals(db, row.ID_TAR);
    }
    return t;
}

Currency CosteHoraTarifa(const QSqlDatabase& db, const QString& name) {
    const std::optional<store::Tarifa> row =
        store::selectOne<store::Tarifa>(db, QStringLiteral("WHERE NOM = ? ORDER BY ID_TAR"), {name});
    return row ? row->COS_HORA : Currency::fromCents(-100);
}

const ui::MessageTable& tarifaMessages() {
    static const ui::MessageTable table{
        {"TarifaEnPuesto",
         QStringLiteral("No se puede eliminar esta tarifa.\rSe está utilizando en algún puesto."), QString()},
        {"TarifaEnFranja",
         QStringLiteral("No se puede eliminar esta tarifa.\rAlguna franja horaria la utiliza."), QString()},
    };
    return table;
}

TarifaBorrableResult TarifaBorrable(const QSqlDatabase& db, const QString& name,
                                    const QStringList& stationTariffs, const QString& consola) {
    TarifaBorrableResult r;
    // Another console's station runs on it as its row last told (this
    // console's own rows may lag behind its stations).
    const bool inUseElsewhere =
        store::toInt(
            store::scalar(db,
                          QStringLiteral("SELECT COUNT(*) FROM puestos WHERE tarifa = ? AND estado IN "
                                         "(?, ?) AND COALESCE(CONSOLA, '') NOT IN ('', ?)"),
                          {name, 2, 3, consola})) > 0;
    if (stationTariffs.contains(name, Qt::CaseSensitive) || inUseElsewhere) {
        r.outcome = TarifaBorrableResult::Outcome::InUseAtStation;
        r.messageKey = QStringLiteral("TarifaEnPuesto");
        return r;
    }
    if (store::toInt(
            store::scalar(db, QStringLiteral("SELECT COUNT(*) FROM franjas WHERE tarifa = ?"), {name})) > 0) {
        r.outcome = TarifaBorrableResult::Outcome::UsedByBand;
        r.messageKey = QStringLiteral("TarifaEnFranja");
    }
    return r;
}

} // namespace session
