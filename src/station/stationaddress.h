#pragma once

#include <QHostAddress>
#include <QString>

namespace station {

// The wire port of every station program.
constexpr quint16 StationPort = 2222;

// Loopback addresses for simulated stations: the index-th address (from 0)
// counting up from base, skipping addresses whose last byte is 0 or 255.
// Starting at 127.0.1.1 this gives 127.0.1.1 … 127.0.1.254, 127.0.2.1, …
QHostAddress loopbackStationAddress(const QHostAddress& base, int index);

// Whether an address is in 127.0.0.0/8.
bool isLoopback(const QHostAddress& address);

} // namespace station
