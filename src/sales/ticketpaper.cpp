#include "sales/ticketpaper.h"

#include "core/consolecontext.h"
#include "sales/tickets.h"
#include "store/datamodule.h"
#include "store/opciones.h"

namespace sales {

namespace {
QString esc(const QString& s) {
    return s.toHtmlEscaped().replace(QLatin1Char('\n'), QLatin1String("<br>"));
}
} // namespace

TicketPaper::TicketPaper(ConsoleContext& context, QWidget* parent)
    : QTextBrowser(parent)
    , m_context(context) {
    setObjectName(QStringLiteral("ticketPaper"));
    setFocusPolicy(Qt::NoFocus);
    setStyleSheet(QStringLiteral("QTextBrowser { background: #fffef5; color: black; }"));
    setMinimumWidth(340);
}

void TicketPaper::showTicket(int idTick) {
    const QSqlDatabase db = m_context.data->db();
    const store::Opciones o = store::readOpciones(db);
    const Regional& r = m_context.regional;
    QString html = QStringLiteral("<div style='font-family:monospace'>");
    html += QStringLiteral("<p align=center>") + esc(o.TEXTO_TICK) + QStringLiteral("</p>");
    const auto ticket = idTick ? ticketById(db, idTick) : std::nullopt;
    if (ticket) {
        if (!ticket->OBSERVACIONES.isEmpty())
            html += QStringLiteral("<p style='color:red'><b>") + esc(ticket->OBSERVACIONES) +
                    QStringLiteral("</b></p>");
        html += QStringLiteral("<p>Ticket: <b>") + esc(ticket->NUM_TICKET) +
                QStringLiteral("</b>&nbsp;&nbsp;") + r.formatDate(ticket->FECHA) +
                QStringLiteral("&nbsp;&nbsp;") + r.formatTime(ticket->HORA) + QStringLiteral("</p>");
    }
    const QString rule = QStringLiteral("<p>") + QString(40, QLatin1Char('=')) + QStringLiteral("</p>");
    html += rule;
    html += QStringLiteral("<table width=100%><tr><th align=left>Descripción</th><th align=right>Cant.</th>"
                           "<th align=right>Precio</th></tr>");
    if (ticket) {
        for (const store::LinTick& l : lines(db, idTick)) {
            QString cant = QString::number(l.CANT, 'g', 12);
            cant.replace(QLatin1Char('.'), r.decimalSeparator());
            html += QStringLiteral("<tr><td>") + esc(l.ARTICULO) + QStringLiteral("</td><td align=right>") +
                    cant + QStringLiteral("</td><td align=right>") + esc(r.formatCurrency(l.PRECIO)) +
                    QStringLiteral("</td></tr>");
        }
    }
    html += QStringLiteral("</table>") + rule;
    html += QStringLiteral("<p>Total Ticket ..... <b>") +
            esc(r.formatCurrency(ticket ? ticket->IMPORTE : Currency())) + QStringLiteral("</b></p>");
    html += QStringLiteral("<p align=center>") + esc(o.TEXTO_FINAL) + QStringLiteral("</p></div>");
    setHtml(html);
}

} // namespace sales
