#pragma once

#include <QByteArray>
#include <QString>

namespace store {

// The single-byte code page the older versions wrote their files in.
QString fromWindows1252(const QByteArray& bytes);
// Characters the code page lacks become "?".
QByteArray toWindows1252(const QString& text);

} // namespace store
