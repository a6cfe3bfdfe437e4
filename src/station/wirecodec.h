#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace station {

// The station program reads and writes Windows-1252. Written out here
// rather than taken from the platform's converters, which may not carry it.
//
// Encoding: characters outside the code page become '?' (one per
// character, also for a surrogate pair). Decoding: the five bytes the code
// page leaves undefined (81, 8D, 8F, 90, 9D) become the control characters
// of the same value, so every byte decodes to something.
QByteArray toWindows1252(QStringView text);
QString fromWindows1252(QByteArrayView bytes);

// Number of bytes text takes once encoded (one per character).
qsizetype windows1252Length(QStringView text);

// The station's line buffer is 513 bytes: at most 512 bytes of line, then the CR.
constexpr qsizetype MaxLineBytes = 512;

} // namespace station
