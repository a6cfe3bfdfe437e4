#pragma once

#include "core/currency.h"
#include "core/regional.h"

#include <QString>

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

} // namespace reports
