// The values an old database or an old export holds, read the way the
// upgrade and the import read them: times of day stored as days since 1899
// or as text, money, dates and counters in any form the old engine left.
// None may crash or leak, and a time of day stays within the day. Input: one byte for
// the kind of value (text, Windows-1252 text, a double, a 64-bit integer),
// then its bytes.
#include "core/currency.h"
#include "core/regional.h"
#include "store/sql.h"
#include "store/upgrade.h"
#include "store/windows1252.h"

#include <QVariant>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void check(bool ok) {
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    static const Regional regional = Regional::spanishSpain();
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    QVariant v;
    switch (data[0] % 4) {
    case 0:
        v = QString::fromUtf8(bytes);
        break;
    case 1:
        v = store::fromWindows1252(bytes);
        break;
    case 2: {
        double d = 0;
        std::memcpy(&d, bytes.constData(), std::min<size_t>(sizeof d, size_t(bytes.size())));
        v = d;
        break;
    }
    default: {
        qint64 n = 0;
        std::memcpy(&n, bytes.constData(), std::min<size_t>(sizeof n, size_t(bytes.size())));
        v = n;
        break;
    }
    }

    const int seconds = store::secondsOfDay(v);
    check(seconds >= 0 && seconds < 86400);
    (void)store::toCurrency(v);
    (void)store::toDate(v);
    const QTime t = store::toTime(v);
    check(!t.isValid() || t.msecsSinceStartOfDay() < 86400000);
    (void)store::toInt(v);
    (void)store::toDouble(v);
    (void)store::toBool(v);
    (void)store::toOptionalInt(v);

    const QString text = v.toString();
    (void)regional.parseCurrency(text);
    (void)regional.parseDate(text);
    // Text that goes out to an old export comes back the same.
    if (data[0] % 4 == 1) {
        const QString decoded = store::fromWindows1252(bytes);
        check(store::fromWindows1252(store::toWindows1252(decoded)) == decoded);
    }
    return 0;
}
