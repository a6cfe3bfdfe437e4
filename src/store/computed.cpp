#include "store/computed.h"

#include "core/formatohora.h"

namespace store {

QString bonotiempostr(const Cuenta& cuenta) {
    return FormatoHora(cuenta.Bonotiempo);
}

QString tiempo_bono_str(const Bono& bono) {
    return FormatoHora(qint64(bono.tiempo_bono) * 60);
}

QString saldoti_ant_bono_str(const MovCuenta& mov) {
    return mov.saldoti_ant_bono ? FormatoHora(*mov.saldoti_ant_bono) : QString();
}

QString saldoti_fin_bono_str(const MovCuenta& mov) {
    return mov.saldoti_fin_bono ? FormatoHora(*mov.saldoti_fin_bono) : QString();
}

} // namespace store
