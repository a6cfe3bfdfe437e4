#pragma once

#include "core/currency.h"
#include "core/regional.h"

#include <QString>
#include <QStringList>

namespace reports {

// The amount columns' format "$#,0.00;($#,0.00)": the regional symbol and
// separators, two decimals, a negative amount in parentheses.
QString formatReportAmount(const Regional& regional, Currency value);
// The regional currency format with exactly two decimals ("-" for negatives).
QString formatCurrency2(const Regional& regional, Currency value);
// A sum of use time: "27  Horas  0  Min.  5  Seg.  ".
QString formatTimeSum(qint64 seconds);
// A use period's length as "hh:nn:ss"; hours go past 24 instead of wrapping.
QString formatDuration(qint64 seconds);
// Chart labels made distinct: a label seen before gets " (2)", " (3)"... A
// chart's category axis keeps one bar per distinct label, so two articles
// sold under one description would otherwise share a bar.
QStringList distinctLabels(const QStringList& labels);

} // namespace reports
