#pragma once

#include "accounts/tarifaseditor.h"
#include "core/currency.h"
#include "store/rows.h"
#include "ui/messagetable.h"

#include <QSqlDatabase>
#include <QString>

#include <optional>
#include <vector>

namespace accounts {

const ui::MessageTable& bonoMessages();      // TFrmnbonos
const ui::MessageTable& recargaMessages();   // TFrmnrecargas
const ui::MessageTable& bonosPageMessages(); // the pages' delete question

constexpr int MaxBonoHours = 500;

// tiempo_bono minutes as H:MM:SS.
QString tiempoBonoStr(int minutes);

// What the voucher or top-up dialog holds. The price is empty when the box
// did not hold an amount; top-ups leave the time at 0.
struct BonoEntrada {
    QString codigo;
    QString descripcion;
    std::optional<Currency> precio;
    int horas = 0;
    int minutos = 0;
};

// The checks of "&Aceptar" in order; then a new row is inserted, or the
// price (and time) of the row with the code is written. A price must be
// above 0, as the message asks: a 0 typed by mistake would sell for nothing.
// Every change goes to the audit trail under operatorName, in its own
// transaction.
EdicionOutcome guardarBono(const QSqlDatabase& db, const BonoEntrada& entrada, bool nuevo,
                           const QString& operatorName);
EdicionOutcome guardarRecarga(const QSqlDatabase& db, const BonoEntrada& entrada, bool nuevo,
                              const QString& operatorName);
void borrarBono(const QSqlDatabase& db, const QString& codigo, const QString& operatorName);
// Vouchers and top-ups in the order they were added: the order of every
// list that offers them.
std::vector<store::Bono> bonosEnOrden(const QSqlDatabase& db);
std::vector<store::Recarga> recargasEnOrden(const QSqlDatabase& db);
void borrarRecarga(const QSqlDatabase& db, const QString& codigo, const QString& operatorName);

} // namespace accounts
