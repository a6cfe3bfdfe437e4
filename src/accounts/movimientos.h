#pragma once

#include "store/rows.h"

#include <QDateTime>
#include <QString>

namespace accounts {

// A movement of an account at an instant, booked (CONTA false), with no
// balances yet.
store::MovCuenta movimiento(const QString& login, const QDateTime& at);

} // namespace accounts
