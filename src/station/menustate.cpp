#include "station/menustate.h"

#include "station/listapuestos.h"

namespace station {

MenuState menuState(const ListaPuestos& lista) {
    MenuState m;
    const TPuestos* p = lista.stationsLoaded() ? lista.selected() : nullptr;
    if (!p)
        return m;
    const StationRecord& r = p->rec();
    const bool connected = !r.disconnected;
    const bool withAccount = !r.accountLogin.isEmpty();
    const QString puesto = QStringLiteral("Puesto ") + QString::number(p->number) + QLatin1Char(' ');
    const QString tarifa = QStringLiteral("Tarifa: ") + r.tariffName;

    m.modifyTicket = true;
    m.shutdownAll = true;
    m.deleteTicket = !r.ticketNumber.isEmpty();
    switch (r.estado) {
    case Estado::Libre:
        m.open = true;
        m.shutdownSubmenu = connected;
        m.deactivate = true;
        m.statusStation = puesto + QStringLiteral("Libre");
        break;
    case Estado::Contador:
        m.close = true;
        m.shutdownSubmenu = connected;
        m.creditMoney = withAccount;
        m.exchange = true;
        m.statusStation = puesto + QStringLiteral("ocupado en modo contador.");
        m.statusTariff = tarifa;
        break;
    case Estado::Prepago:
        m.close = true;
        m.shutdownSubmenu = connected;
        m.increasePrepaid = !withAccount;
        m.creditTime = withAccount;
        m.exchange = true;
        m.statusStation = puesto + QStringLiteral("ocupado en modo prepago.");
        m.statusTariff = tarifa;
        break;
    case Estado::Desactivado:
        m.shutdownSubmenu = true;
        m.activate = true;
        m.statusStation = puesto + QStringLiteral("Desactivado");
        break;
    case Estado::Admin:
        m.shutdownSubmenu = true;
        m.statusStation = puesto + QStringLiteral("en modo ADMIN");
        break;
    }
    return m;
}

} // namespace station
