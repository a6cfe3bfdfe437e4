#pragma once

#include <QHostAddress>
#include <QString>

#include <optional>

namespace station {

// The wire port of every station program.
constexpr quint16 StationPort = 2222;

// The index-th address (from 0) counting up from first and skipping the
// addresses whose last byte is 0 or 255, as a room's stations are numbered:
// from 192.168.1.254 the next is 192.168.2.1. A first address ending in 0 or
// 255 starts at the next one. Nothing past 255.255.255.254, and nothing for
// an address that is not IPv4.
std::optional<QHostAddress> consecutiveAddress(const QHostAddress& first, int index);

// Loopback addresses for simulated stations, numbered the same way:
// starting at 127.0.1.1 this gives 127.0.1.1 … 127.0.1.254, 127.0.2.1, …
QHostAddress loopbackStationAddress(const QHostAddress& base, int index);

// Whether an address is in 127.0.0.0/8.
bool isLoopback(const QHostAddress& address);

} // namespace station
