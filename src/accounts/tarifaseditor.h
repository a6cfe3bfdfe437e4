#pragma once

#include "core/currency.h"
#include "core/runtimesettings.h"
#include "session/tarifas.h"
#include "store/rows.h"
#include "ui/messagetable.h"

#include <QSqlDatabase>
#include <QString>
#include <QTime>

#include <functional>
#include <optional>
#include <vector>

namespace accounts {

// The outcome of an edit: done, or the key of the message the dialog shows
// and the field it focuses.
struct EdicionOutcome {
    QString messageKey;
    QString field;
    bool ok() const { return messageKey.isEmpty(); }
    static EdicionOutcome done() { return {}; }
    static EdicionOutcome refused(const QString& key, const QString& field = QString()) {
        return {key, field};
    }
};

// Texts of the tariff and band dialogs and of their pages.
const ui::MessageTable& tarifaFijaMessages();     // Tfrmntarfija
const ui::MessageTable& tarifaVariableMessages(); // Tfrmntarvar
const ui::MessageTable& intervaloMessages();      // TfrmnIntervalo
const ui::MessageTable& franjaMessages();         // TFormnfranjas
const ui::MessageTable& tarifasPageMessages();    // the pages' own questions

// Interval ends are typed as whole minutes up to this.
constexpr int MaxIntervalMinutes = 1400;

// Edits of tariffs, intervals and time bands. Each edit is one transaction;
// the tariff cache changes only after it committed, so pricing and log-in
// never see a change the database does not hold. Every failure of the
// database reaches the caller as store::DatabaseError.
class EditorTarifas {
public:
    // operador names the operator on duty at each edit, for the audit trail.
    EditorTarifas(QSqlDatabase db, ListaTarifas& cache, std::function<QString()> operador = {});

    std::vector<store::Tarifa> tarifas(int tipo) const;
    std::optional<store::Tarifa> tarifa(int idTar) const;
    std::vector<store::LinTarifa> intervalos(int idTar) const;
    // "SELECT * from franjas order by franja_fin".
    std::vector<store::Franja> franjas() const;
    // Every tariff name, fixed and variable, in table order.
    QStringList nombresTarifas() const;

    // Costs are empty when the box did not hold an amount. Costs and prices
    // beyond Currency::MaxAmount are refused with "ImporteMaximo".
    EdicionOutcome nuevaTarifaFija(const QString& name, std::optional<Currency> hourly,
                                   std::optional<Currency> minimum);
    EdicionOutcome modificarTarifaFija(int idTar, std::optional<Currency> hourly,
                                       std::optional<Currency> minimum);
    // The tariff with its first interval.
    EdicionOutcome nuevaTarifaVariable(const QString& name, int minutes, Currency price);
    // Refusals: whether the guard allows it (station tariff names taken under the registry lock).
    session::TarifaBorrableResult tarifaBorrable(const QString& name, const QStringList& stationTariffs,
                                                 const QString& consola = QString()) const;
    // The tariff, its intervals and its cache record.
    void borrarTarifa(int idTar);

    EdicionOutcome nuevoIntervalo(int idTar, int minutes, Currency price);
    // Only the price of an interval changes; its end is the key.
    EdicionOutcome modificarIntervalo(int idTar, int minutes, Currency price);
    // "NoBorrarIntervalo" when it is the tariff's last interval.
    EdicionOutcome puedeBorrarIntervalo(int idTar) const;
    void borrarIntervalo(int idTar, int minutes);

    // The time of day only; any date part is dropped.
    EdicionOutcome nuevaFranja(const QTime& end, const QString& tarifa);
    EdicionOutcome modificarFranja(int idFran, const QString& tarifa);
    // With fewer than two bands left, the band options go off in the same
    // transaction and in settings.
    void borrarFranja(int idFran, RuntimeSettings& settings);
    // The bands as a cycle in ascending end; one band starts where it ends.
    void renumerarFranjas();

private:
    void renumerarIntervalos(int idTar);
    void refrescarCache(const store::Tarifa& row);
    // A line of the audit trail in the edit's transaction.
    void auditar(const QString& accion, const QString& objeto, const QString& antes,
                 const QString& despues) const;
    // Its costs, or its intervals.
    QString describirTarifa(const store::Tarifa& row) const;

    QSqlDatabase m_db;
    ListaTarifas& m_cache;
    std::function<QString()> m_operador;
};

} // namespace accounts
