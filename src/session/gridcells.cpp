#include "session/gridcells.h"

#include "core/formatohora.h"
#include "core/regional.h"
#include "core/runtimesettings.h"
#include "station/listapuestos.h"

namespace session {

using station::Estado;

bool showsAccountBalance(const TPuestos& puesto) {
    return !puesto.rec().accountLogin.isEmpty();
}

QString gridCellText(const TPuestos& puesto, int column, const Regional& regional) {
    const station::StationRecord& r = puesto.rec();
    switch (column) {
    case ColPuesto:
        return QString::number(puesto.number);
    case ColUsuario:
        if (r.estado == Estado::Libre || r.estado == Estado::Desactivado || r.estado == Estado::Admin)
            return QString();
        return QStringLiteral("  ") + (r.accountLogin.isEmpty() ? QStringLiteral("AN.") : r.accountLogin);
    case ColTiempo:
        return r.clockMs != 0 ? FormatoHora(r.clockMs / 1000) : QString();
    case ColImporte: {
        const Currency amount = showsAccountBalance(puesto) ? r.moneyCredit - r.cost : r.cost;
        return amount.isZero() ? QString() : regional.formatCurrency(amount);
    }
    case ColTicket:
        return r.ticketNumber;
    }
    return QString();
}

CellStyle stationStyle(Estado estado, bool unreachable) {
    if (estado == Estado::Desactivado)
        return {CellColour::Black, true};
    if (unreachable)
        return {CellColour::Red, false};
    switch (estado) {
    case Estado::Libre:
        return {CellColour::Green, false};
    case Estado::Contador:
        return {CellColour::Cyan, false};
    case Estado::Prepago:
        return {CellColour::Yellow, false};
    case Estado::Admin:
        return {CellColour::Orange, false};
    case Estado::Desactivado:
        break;
    }
    return {CellColour::Black, true};
}

QString estadoTexto(Estado estado, bool unreachable) {
    if (estado == Estado::Desactivado)
        return QStringLiteral("Desactivado");
    if (unreachable)
        return QStringLiteral("Sin conexión");
    switch (estado) {
    case Estado::Libre:
        return QStringLiteral("Libre");
    case Estado::Contador:
        return QStringLiteral("Contador");
    case Estado::Prepago:
        return QStringLiteral("Prepago");
    case Estado::Admin:
        return QStringLiteral("Admin");
    case Estado::Desactivado:
        break;
    }
    return QStringLiteral("Desactivado");
}

CellStyle gridCellStyle(const TPuestos& puesto, int column, const RuntimeSettings& settings) {
    const station::StationRecord& r = puesto.rec();
    if (column == ColPuesto)
        return stationStyle(r.estado, r.disconnected && !puesto.treatAsConnected);
    if (column == ColTiempo) {
        const bool lowCredit = !r.accountLogin.isEmpty() && r.estado == Estado::Contador &&
                               r.closeWhenCreditExhausted && settings.creditAlarm > r.moneyCredit - r.cost;
        if (r.alarm || lowCredit)
            return {CellColour::Red, true};
    }
    return {};
}

} // namespace session
