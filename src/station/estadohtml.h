#pragma once

#include <QStringList>

class ListaPuestos;
class Regional;

namespace station {

// The stations as an HTML table for the status mail, one list item per
// line (the mail joins them with CR LF).
QStringList EstadoHTML(const ListaPuestos& lista, const Regional& regional);

} // namespace station
