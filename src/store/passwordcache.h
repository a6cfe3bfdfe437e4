#pragma once

#include "core/result.h"

#include <QString>

namespace store {

// iorlp.dll, where the database password is kept between runs on the
// platforms that need it: one enciphered record holding a signature, byte 2,
// the password, byte 2.
QString readPasswordCache(const QString& path);
Status writePasswordCache(const QString& path, const QString& password);

} // namespace store
