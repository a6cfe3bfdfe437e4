#include "station/stationaddress.h"

namespace station {

namespace {
// Usable last bytes per block of 256: 1 … 254.
constexpr quint64 PerBlock = 254;
} // namespace

std::optional<QHostAddress> consecutiveAddress(const QHostAddress& first, int index) {
    bool ok = false;
    const quint32 a = first.toIPv4Address(&ok);
    if (!ok || index < 0)
        return std::nullopt;
    quint64 block = a >> 8;
    const quint32 last = a & 0xFF;
    quint64 offset = 0;
    if (last == 255)
        ++block;
    else if (last != 0)
        offset = last - 1;
    offset += quint64(index);
    block += offset / PerBlock;
    if (block > 0xFFFFFF)
        return std::nullopt;
    return QHostAddress(quint32(block << 8 | (offset % PerBlock + 1)));
}

QHostAddress loopbackStationAddress(const QHostAddress& base, int index) {
    return consecutiveAddress(base, index).value_or(QHostAddress());
}

bool isLoopback(const QHostAddress& address) {
    bool ok = false;
    const quint32 v = address.toIPv4Address(&ok);
    return ok && (v >> 24) == 127;
}

} // namespace station
