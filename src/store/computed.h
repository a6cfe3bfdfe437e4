#pragma once

#include "store/rows.h"

// Columns that exist only in the views, never stored.
namespace store {

QString bonotiempostr(const Cuenta& cuenta);
QString tiempo_bono_str(const Bono& bono);
// Empty when the balance is null.
QString saldoti_ant_bono_str(const MovCuenta& mov);
QString saldoti_fin_bono_str(const MovCuenta& mov);

} // namespace store
