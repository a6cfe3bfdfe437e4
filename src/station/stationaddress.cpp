#include "station/stationaddress.h"

namespace station {

QHostAddress loopbackStationAddress(const QHostAddress& base, int index) {
    quint32 a = base.toIPv4Address();
    auto usable = [](quint32 v) {
        const quint32 last = v & 0xFF;
        return last != 0 && last != 255;
    };
    while (!usable(a))
        ++a;
    for (int i = 0; i < index; ++i) {
        ++a;
        while (!usable(a))
            ++a;
    }
    return QHostAddress(a);
}

bool isLoopback(const QHostAddress& address) {
    bool ok = false;
    const quint32 v = address.toIPv4Address(&ok);
    return ok && (v >> 24) == 127;
}

} // namespace station
