#pragma once

#include <QStringList>

namespace admin {

// The printer name stored when no ticket printer is chosen.
inline constexpr char NoPrinter[] = "NoPrinter";

// Names of the print destinations installed in the CUPS scheduler the
// process talks to (CUPS_SERVER / client.conf), sorted; empty when none or
// when the scheduler cannot be reached.
QStringList impresorasInstaladas();

} // namespace admin
