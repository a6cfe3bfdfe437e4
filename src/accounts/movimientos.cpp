#include "accounts/movimientos.h"

namespace accounts {

store::MovCuenta movimiento(const QString& login, const QDateTime& at) {
    store::MovCuenta m;
    m.CUENTA = login;
    m.FECHA = at.date();
    m.HORA = at.time();
    m.CONTA = false;
    return m;
}

} // namespace accounts
