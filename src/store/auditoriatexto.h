#pragma once

#include "core/currency.h"
#include "store/auditoria.h"
#include "store/rows.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QTime>

#include <optional>

// How the audit trail writes values: one fixed form whatever the console's
// regional settings, so lines written by different consoles read alike and
// never change meaning with the machine that shows them.
namespace store {

// "2,40", "-3,00", "1,2345": at least two decimals, every one the amount has.
QString importeAuditado(Currency amount);
// "2", "2,5".
QString cantidadAuditada(double quantity);
QString valorAuditado(bool value);
QString valorAuditado(int value);
QString valorAuditado(double value);
QString valorAuditado(const QString& value);
QString valorAuditado(Currency value);
QString valorAuditado(const QDate& value);
QString valorAuditado(const QTime& value);
QString valorAuditado(const std::optional<int>& value);

// Every column of a row by name, for store::diferencias.
QList<ValorAuditado> camposAuditados(const Opciones& row);
QList<ValorAuditado> camposAuditados(const WebConfig& row);

// "nombre: valor" lines; for what a row held before a deletion or holds
// after an insert.
QString textoCampos(const QList<ValorAuditado>& campos);

// The name of the tax with the key, as a reader knows it: empty for none,
// "#7" for a key no tax has any more.
QString nombreImpuesto(const QSqlDatabase& db, int idTax);

} // namespace store
