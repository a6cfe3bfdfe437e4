#pragma once

#include "core/regional.h"
#include "ui/messagetable.h"

#include <QByteArray>
#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

// The printed layouts of tickets and receipts, byte for byte as the ticket
// printer receives them: Windows-1252 text, line feeds only, each ended by
// the feed-and-cut sequence. Each reads what it prints from the database.

namespace sales {

// What every layout needs besides its own arguments.
struct LayoutContext {
    QSqlDatabase db;
    Regional regional;
    ui::Language language = ui::language();
};

// The labels of the printed layouts (the options window shows the same).
const ui::MessageTable& printLabels();

// Feed ten lines, then cut.
QByteArray endOfTicket();
// Open the cash drawer: from the sale window (pin 0 pulse), and the bell
// byte that drawers wired to it answer.
QByteArray drawerKick();
QByteArray drawerBell();

// Text to the printer's code page; a character it does not have prints "?".
QByteArray toWindows1252(const QString& text);

// The sale ticket idTick with the delivered amount and change of the sale.
QByteArray TicketVenta(const LayoutContext& c, int idTick);
// The ticket of a new account or time code, and of a top-up; codeForm
// selects the short block of time codes.
QByteArray TicketCuenta(const LayoutContext& c, int idTick, bool codeForm, const QString& login,
                        const QString& credit, const QString& time, const QString& password);
QByteArray TicketRecarga(const LayoutContext& c, int idTick, bool codeForm, const QString& login,
                         const QString& credit, const QString& time, const QString& password);
// Receipts of a time code and of an account, dated now.
QByteArray ReciboCodigo(const LayoutContext& c, const QDateTime& now, const QString& login,
                        const QString& time, const QString& password);
QByteArray ReciboCuenta(const LayoutContext& c, const QDateTime& now, const QString& login,
                        const QString& password, const QString& credit, const QString& time);
// The receipt of account movement movId (movcuentas.ID).
QByteArray ReciboMovimiento(const LayoutContext& c, int movId);
// The station-use voucher of ticket idTick.
QByteArray ComprobanteCiber(const LayoutContext& c, int idTick);
// The tax breakdown block of ticket idTick, as the layouts print it.
QString DesgloseImpuestos(const LayoutContext& c, int idTick);

// The total line of every ticket: "TOTAL", blanks, the amount in the regional format.
QString lineaTotal(const Regional& regional, Currency amount);
// A printer test: header, a sample total line and footer as the tickets
// print them, from texts not saved yet.
QByteArray PruebaImpresora(const Regional& regional, ui::Language language, const QString& header,
                           const QString& footer, Currency sample);

} // namespace sales
