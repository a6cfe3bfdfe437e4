#pragma once

#include <QFile>
#include <QString>

// The machine's load averages over 1, 5 and 15 minutes, printed beside every
// figure so a reader can tell a quiet run from a busy one.
inline QString loadAverage() {
    QFile f(QStringLiteral("/proc/loadavg"));
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(f.readLine()).section(QLatin1Char(' '), 0, 2);
}
