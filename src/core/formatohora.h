#pragma once

#include <QString>

// Seconds as hours (no leading zeros), ":", minutes and seconds with two
// digits: 3725 gives "1:02:05", 90 000 gives "25:00:00".
QString FormatoHora(qint64 seconds);
