#pragma once

#include <QString>

class ListaPuestos;

namespace station {

// Which station commands are available for the selected station, and the
// two status-bar texts; the main menu, the pop-up menu, the tool buttons
// and the status bar all follow it.
struct MenuState {
    bool open = false;
    bool close = false;
    bool shutdownSubmenu = false;
    bool increasePrepaid = false;
    bool creditMoney = false;
    bool creditTime = false;
    bool exchange = false;
    bool deactivate = false;
    bool activate = false;
    bool deleteTicket = false; // "Borrar ticket de puesto"
    bool modifyTicket = false; // "Modificar ticket en puesto"
    bool shutdownAll = false;  // "Apagar todos los puestos"
    // "Puesto " + number + " " + state text, and "Tarifa: " + tariff (or empty).
    QString statusStation;
    QString statusTariff;
    bool operator==(const MenuState&) const = default;
};

MenuState menuState(const ListaPuestos& lista);

} // namespace station
