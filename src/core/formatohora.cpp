#include "core/formatohora.h"

QString FormatoHora(qint64 seconds) {
    // A negative duration keeps its sign in front instead of on every field.
    if (seconds < 0)
        return QLatin1Char('-') + FormatoHora(-seconds);
    const qint64 h = seconds / 3600;
    const qint64 m = (seconds % 3600) / 60;
    const qint64 s = seconds % 60;
    return QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, QLatin1Char('0')).arg(s, 2, 10, QLatin1Char('0'));
}
