#pragma once

#include "core/currency.h"
#include "core/regional.h"
#include "sales/informecaja.h"

#include <QByteArray>
#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <vector>

// The owner's reads for the pages beside the stations. Each is one short
// read of the console's own tables through the console's own selections and
// listings, answered as JSON. Every function throws store::DatabaseError.
namespace web {

struct LineaCaja {
    QString clave;
    QString nombre;
    Currency importe;
    int tickets = 0;
};

// A day's takings: the total of the cash report for the whole day, and the
// same tickets split by kind (counter, prepaid, sales), by shift and, on a
// database of several consoles, by console.
struct CajaDia {
    QDate dia;
    Currency total;
    int tickets = 0;
    std::vector<LineaCaja> porTipo;
    std::vector<LineaCaja> porTurno;
    std::vector<LineaCaja> porConsola;
};

// The sum and count of the tickets the cash report takes for selection.
LineaCaja sumaCaja(const QSqlDatabase& db, const sales::CajaSelection& selection);
CajaDia cajaDia(const QSqlDatabase& db, const QDate& dia, bool english);
QByteArray cajaJson(const CajaDia& caja, const Regional& regional);

// Accounts and time codes whose login or name holds the typed text (at most 50).
QByteArray cuentasJson(const QSqlDatabase& db, const Regional& regional, const QString& texto, bool english);
// One account's balances and its last 20 movements; an empty object when
// there is no such login.
QByteArray cuentaJson(const QSqlDatabase& db, const Regional& regional, const QString& login);

// The statistics' keys and titles, in menu order.
struct TipoEstadistica {
    QString clave;
    QString es;
    QString en;
};
const std::vector<TipoEstadistica>& tiposEstadistica();
QByteArray tiposEstadisticaJson(bool english);
// A statistic of the listings for the range, as its table and its chart's
// labels and values; false when the key is unknown.
bool estadisticaJson(const QSqlDatabase& db, const Regional& regional, const QString& clave,
                     const QDate& desde, const QDate& hasta, const QDateTime& ahora, QByteArray* json);

} // namespace web
