#include "station/estadohtml.h"

#include "core/formatohora.h"
#include "core/regional.h"
#include "station/listapuestos.h"

namespace station {

namespace {

void cell(QStringList& out, const QString& fontTag, const QString& content) {
    out << QStringLiteral("<TD>") << fontTag << content << QStringLiteral("</FONT>")
        << QStringLiteral("</TD>");
}

} // namespace

QStringList EstadoHTML(const ListaPuestos& lista, const Regional& regional) {
    QStringList out;
    out << QStringLiteral("<FONT face=verdana size=-10>")
        << QStringLiteral("<TABLE cols=5 border=0 cellspacing = 0  width=75% bgcolor=silver >");
    out << QStringLiteral("<TR >") << QStringLiteral("<TD width=8%>")
        << QStringLiteral("<B><FONT face=verdana size=-10>Puesto</FONT></B>") << QStringLiteral("</TD>");
    for (const char* title : {"Usuario", "Tiempo", "Importe", "Ticket"}) {
        out << QStringLiteral("<TD>")
            << QStringLiteral("<B><FONT face=verdana size=-10>") + QLatin1String(title) +
                   QStringLiteral("</FONT></B>")
            << QStringLiteral("</TD>");
    }
    out << QStringLiteral("</TR>");

    const QString plain = QStringLiteral("<FONT color =black face=verdana size=-10>");
    for (int pos = 0; pos < lista.count(); ++pos) {
        const TPuestos& p = lista.at(pos);
        const StationRecord& r = p.rec();
        out << QStringLiteral("<TR >");
        if (r.estado == Estado::Desactivado) {
            out << QStringLiteral("<TD bgcolor=\"black\">")
                << QStringLiteral("<FONT color =white face=verdana  size=-10>");
        } else if (r.disconnected && !p.treatAsConnected) {
            out << QStringLiteral("<TD bgcolor=\"red\">") << plain;
        } else {
            switch (r.estado) {
            case Estado::Contador:
                out << QStringLiteral("<TD bgcolor=\"#00FFFF\">")
                    << QStringLiteral("<FONT color =black face=verdana size=-10 >");
                break;
            case Estado::Prepago:
                out << QStringLiteral("<TD bgcolor=\"#FFFF00\">") << plain;
                break;
            case Estado::Admin:
                out << QStringLiteral("<TD bgcolor=\"#FF9900\">") << plain;
                break;
            case Estado::Libre:
            case Estado::Desactivado:
                out << QStringLiteral("<TD bgcolor=\"#00FF00\">") << plain;
                break;
            }
        }
        out << QString::number(p.number) << QStringLiteral("</FONT>") << QStringLiteral("</TD>");

        // Logins come from what stations typed: escaped, like every text put into the page.
        QString user;
        // A deactivated station shows its user like an occupied one; only free and admin show none.
        if (r.estado != Estado::Libre && r.estado != Estado::Admin)
            user = r.accountLogin.isEmpty() ? QStringLiteral("AN.") : r.accountLogin.toHtmlEscaped();
        cell(out, QStringLiteral("<FONT color =black face=verdana size=-10 >"), user);
        cell(out, plain, r.clockMs != 0 ? FormatoHora(r.clockMs / 1000) : QString());
        const Currency amount = r.accountLogin.isEmpty() ? r.cost : r.moneyCredit - r.cost;
        cell(out, plain, amount.isZero() ? QString() : regional.formatCurrency(amount).toHtmlEscaped());
        cell(out, plain, r.ticketNumber.toHtmlEscaped());
        out << QStringLiteral("</TR>");
    }
    out << QStringLiteral("</TABLE>");
    return out;
}

} // namespace station
