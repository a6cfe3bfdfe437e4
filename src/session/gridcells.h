#pragma once

#include "station/stationrecord.h"

#include <QString>

class ListaPuestos;
class Regional;
class TPuestos;
struct RuntimeSettings;

namespace session {

// The console grid's columns: station, user, time, amount, ticket.
enum GridColumn {
    ColPuesto = 0,
    ColUsuario = 1,
    ColTiempo = 2,
    ColImporte = 3,
    ColTicket = 4,
    GridColumnCount = 5
};

// Colours of the grid, by meaning; the window turns them into paint.
enum class CellColour { ButtonFace, Black, Red, Green, Cyan, Yellow, Orange };

struct CellStyle {
    CellColour background = CellColour::ButtonFace;
    bool whiteText = false;
};

// The station number's colours: black for a deactivated station, red for one
// out of reach (unless treated as connected), else by state.
CellStyle stationStyle(station::Estado estado, bool unreachable);
// The state as the grid's colours tell it, in words.
QString estadoTexto(station::Estado estado, bool unreachable);

// What a cell of a station's row shows.
QString gridCellText(const TPuestos& puesto, int column, const Regional& regional);
// Column 0 by state and reachability; column 2 red with white text on an
// alarm or a credit below the threshold; the rest button face.
CellStyle gridCellStyle(const TPuestos& puesto, int column, const RuntimeSettings& settings);

// The amount column: the credit left for an account, the cost otherwise.
bool showsAccountBalance(const TPuestos& puesto);

} // namespace session
