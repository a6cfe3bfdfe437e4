#pragma once

// The statistics timed from the monthly summaries beside the rows alone,
// with a check that both give the same listing. Shared by bench-reports and
// bench-engines.

#include "core/regional.h"
#include "reports/listings.h"

#include <QElapsedTimer>

#include <functional>
#include <vector>

struct StatisticCase {
    QString what;
    std::function<reports::Statistic(const QSqlDatabase&, reports::Origen)> make;
};

inline std::vector<StatisticCase> statisticCases(const Regional& es, const reports::DateRange& range,
                                                 const QDateTime& now) {
    using namespace reports;
    return {
        {QStringLiteral("customers, credit consumed"),
         [=](const QSqlDatabase& db, Origen o) {
             return estadisticaClientes(db, es, range, EstClientes::CreditoConsumido, now, o);
         }},
        {QStringLiteral("customers, credit added"),
         [=](const QSqlDatabase& db, Origen o) {
             return estadisticaClientes(db, es, range, EstClientes::CreditoAportado, now, o);
         }},
        {QStringLiteral("customers, time of use"),
         [=](const QSqlDatabase& db, Origen o) {
             return estadisticaClientes(db, es, range, EstClientes::Tiempo, now, o);
         }},
        {QStringLiteral("stations"),
         [=](const QSqlDatabase& db, Origen o) { return estadisticaPuestos(db, es, range, now, o); }},
        {QStringLiteral("article sales"),
         [=](const QSqlDatabase& db, Origen o) {
             return ventasArticulos(db, es, range, std::nullopt, now, o);
         }},
        {QStringLiteral("article sales, one article"),
         [=](const QSqlDatabase& db, Origen o) {
             return ventasArticulos(db, es, range, QStringLiteral("A10"), now, o);
         }},
        {QStringLiteral("voucher sales"),
         [=](const QSqlDatabase& db, Origen o) { return ventasBonos(db, es, range, now, o); }},
    };
}

struct Compared {
    double summaryMs = 0;
    double rowsMs = 0;
    bool same = false;
    int rows = 0;
};

inline QStringList statisticCells(const reports::Statistic& s) {
    QStringList out;
    for (const reports::Group& g : s.report.body)
        for (const reports::Row& r : g.rows)
            out << r.cells.join(QLatin1Char('|'));
    return out;
}

inline Compared compare(const QSqlDatabase& db, const StatisticCase& c) {
    Compared r;
    QElapsedTimer timer;
    timer.start();
    const reports::Statistic summed = c.make(db, reports::Origen::Resumenes);
    r.summaryMs = double(timer.nsecsElapsed()) / 1e6;
    timer.start();
    const reports::Statistic rows = c.make(db, reports::Origen::Filas);
    r.rowsMs = double(timer.nsecsElapsed()) / 1e6;
    r.same = statisticCells(summed) == statisticCells(rows) && summed.labels == rows.labels &&
             summed.values == rows.values;
    r.rows = int(summed.report.body.size());
    return r;
}
