#pragma once

#include "core/currency.h"
#include "store/rows.h"

#include <QSqlDatabase>
#include <QString>

#include <vector>

// Tax rates (table tasas) and the tax contained in tax-inclusive amounts.
// Rates travel as whole units of 1/10 000 percent: 21 % is 210 000.

namespace sales {

// The tax contained in an amount whose price includes the tax at rate
// (units): amount × R / (100 + R), computed from the raw integers in
// extended precision and brought to the nearest unit, halves to even.
Currency ImpuestoIncluido(Currency amount, qint64 rate);

// A rate in percent as units of the rate, rounded half to even.
qint64 rateUnits(double percent);

// The name of tax id and, when it exists, its rate into rate. A tax that no
// longer exists leaves rate as it was and answers the name of the general
// tax ivaGen (empty when that is gone too).
QString BuscarTasa(const QSqlDatabase& db, int id, int ivaGen, qint64& rate);

// The breakdown of a ticket: its net amount and, per tax on its lines in
// IdTax order, the tax contained.
struct TaxLine {
    QString name;
    Currency amount;
};
struct TaxBreakdown {
    Currency subtotal;
    std::vector<TaxLine> taxes;
};
TaxBreakdown taxBreakdown(const QSqlDatabase& db, int idTick, int ivaGen);

// The tax list, by rate from the highest.
std::vector<store::Tasa> tasasByValor(const QSqlDatabase& db);
std::optional<store::Tasa> tasaById(const QSqlDatabase& db, int id);

// The checks of the tax dialog, in order. name and value are the fields as
// typed; a new tax also may not repeat a name. Answers the message key of
// the first failure (and the field to focus), or an empty key.
struct TasaCheck {
    enum class Field { None, Name, Value };
    QString messageKey;
    Field field = Field::None;
    double value = 0;
    bool ok() const { return messageKey.isEmpty(); }
};
TasaCheck checkTasa(const QSqlDatabase& db, const QString& name, const QString& value, bool isNew);

// Stores a new tax and answers its IdTax; changes a tax's rate; deletes a
// tax (articles, lines and iva_gen keep naming it). Each with its line in
// the audit trail, in one transaction.
int addTasa(const QSqlDatabase& db, const QString& name, double value, const QString& operatorName);
void setTasaValor(const QSqlDatabase& db, int id, double value, const QString& operatorName);
void deleteTasa(const QSqlDatabase& db, int id, const QString& operatorName);

} // namespace sales
