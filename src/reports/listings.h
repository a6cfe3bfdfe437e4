#pragma once

#include "core/regional.h"
#include "reports/report.h"

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>

#include <memory>
#include <optional>
#include <vector>

// The listings and statistics of "&Utilidades". Every day range includes
// both end days; every value is bound, never pasted into a statement.
// Failed queries throw store::DatabaseError.
namespace reports {

struct DateRange {
    QDate from;
    QDate to;
};

Report listadoTickets(const QSqlDatabase& db, const Regional& regional, const DateRange& range, bool detalles,
                      const QDateTime& printedAt);

// A listing whose body is still to be read from source, part by part.
struct ListadoEnPartes {
    Report report;
    std::shared_ptr<ReportSource> source;
};
// The ticket listing read a few hundred tickets at a time, for a preview
// that shows the first pages while the rest is read.
ListadoEnPartes listadoTicketsEnPartes(const QSqlDatabase& db, const Regional& regional,
                                       const DateRange& range, bool detalles, const QDateTime& printedAt);

// nullopt: every station.
Report listadoActividad(const QSqlDatabase& db, const Regional& regional, const DateRange& range,
                        std::optional<int> puesto, const QDateTime& printedAt);
std::vector<int> stationNumbers(const QSqlDatabase& db);

enum class MovScope { TodasCuentas, Cuenta, TodosCodigos, Codigo };
enum class MovKind { Todos, Cargos, Abonos };
Report listadoMovimientos(const QSqlDatabase& db, const Regional& regional, const DateRange& range,
                          MovScope scope, const QString& login, MovKind kind, const QDateTime& printedAt);
// Logins of the accounts (or of the time codes), in login order.
QStringList logins(const QSqlDatabase& db, bool codigos);

// A statistic: its listing, and its rows as labels and values for a chart.
struct Statistic {
    Report report;
    QStringList labels;
    std::vector<double> values;
    QString valueTitle;
};

// Where a statistic adds up: the monthly summaries for the whole months of
// the range and the rows for the days around them, or the rows alone. Both
// give the same listing; the rows alone are kept to check the summaries.
enum class Origen { Resumenes, Filas };

enum class EstClientes { CreditoConsumido, CreditoAportado, Tiempo };
Statistic estadisticaClientes(const QSqlDatabase& db, const Regional& regional, const DateRange& range,
                              EstClientes kind, const QDateTime& printedAt,
                              Origen origen = Origen::Resumenes);
Statistic estadisticaPuestos(const QSqlDatabase& db, const Regional& regional, const DateRange& range,
                             const QDateTime& printedAt, Origen origen = Origen::Resumenes);
// nullopt: every article; lines without a code and voucher lines never count.
Statistic ventasArticulos(const QSqlDatabase& db, const Regional& regional, const DateRange& range,
                          const std::optional<QString>& codigo, const QDateTime& printedAt,
                          Origen origen = Origen::Resumenes);
Statistic ventasBonos(const QSqlDatabase& db, const Regional& regional, const DateRange& range,
                      const QDateTime& printedAt, Origen origen = Origen::Resumenes);
// Code and description of every article, by description.
std::vector<std::pair<QString, QString>> articulos(const QSqlDatabase& db);

enum class OrdenCuentas { Ninguno, Cuenta, Nombre, Tarifa, Credito, Alta, Ultima };
enum class TipoListadoCuentas { CreditoDisponible, DatosPersonales };
// Accounts (never time codes) whose name begins with nameStart, typed text
// taken literally.
Report listadoCuentas(const QSqlDatabase& db, const Regional& regional,
                      const std::vector<OrdenCuentas>& order, const QString& nameStart,
                      TipoListadoCuentas kind, const QDateTime& printedAt);

} // namespace reports
