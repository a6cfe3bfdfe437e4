#include "accounts/creditoenpuesto.h"

namespace accounts {

CreditoCuenta creditoDe(const store::Cuenta& c) {
    return CreditoCuenta{c.Login, c.Bonotiempo, c.credito, c.Descuento, c.Bloquear};
}

void escribirCreditoEnPuesto(CreditSync* sync, const QSqlDatabase& db, const store::Cuenta& c) {
    if (sync)
        sync->escribirPuesto(db, creditoDe(c));
}

void aplicarCreditoEnPuesto(CreditSync* sync, const store::Cuenta& c) {
    if (sync)
        sync->aplicarPuesto(creditoDe(c));
}

} // namespace accounts
