#pragma once

#include "sales/ticketlayouts.h"

#include <QByteArray>

#include <functional>

class QWidget;
struct ConsoleContext;

// Printing from the windows: the checks' messages and the printer's
// failures are shown here, over parent.

namespace sales {

LayoutContext layoutContext(const ConsoleContext& context);

// Sends text as one raw job to the ticket printer of the options. A refusal
// is shown at once (no printer chosen: the information; busy, too long: an
// error box); a failure of the printer itself is shown when the printing
// thread reports it. Answers whether the job went to the printer.
bool EnviarImpresoraTickets(QWidget* parent, ConsoleContext& context, const QByteArray& text);

// Builds a layout and prints it; a database error while reading what it
// prints is shown and nothing is printed. For example:
//   sales::imprimir(this, context, [&](const sales::LayoutContext& c) {
//       return sales::TicketRecarga(c, idTick, false, login, credit, time, QString()); });
bool imprimir(QWidget* parent, ConsoleContext& context,
              const std::function<QByteArray(const LayoutContext&)>& layout);

// The cash drawer: the pulse of the sale window, the main window (F4) and the
// change display; the bell byte of the station-ticket window.
bool abrirCajon(QWidget* parent, ConsoleContext& context);
bool abrirCajonBell(QWidget* parent, ConsoleContext& context);
// The drawer opened with no sale going on (the main window's command, the
// idle sale window): the audit trail records it first, and a drawer whose
// opening cannot be recorded stays shut (the error is shown).
bool abrirCajonSinVenta(QWidget* parent, ConsoleContext& context);

} // namespace sales
