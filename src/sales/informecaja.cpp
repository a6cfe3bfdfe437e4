#include "sales/informecaja.h"

#include "reports/format.h"
#include "store/sql.h"

#include <QSqlQuery>

namespace sales {

namespace {

QString hms(const QTime& t) {
    return t.toString(QStringLiteral("HH:mm:ss"));
}

// A null text would be bound as NULL, which equals nothing: the tickets
// without a console are those with an empty one.
QString consoleValue(const QString& consola) {
    return consola.isEmpty() ? QStringLiteral("") : consola;
}

// How a report names the console it was asked for.
QString consoleTitle(const QString& consola) {
    return consola.isEmpty() ? QStringLiteral("(sin consola)") : consola;
}

QTime seconds(const QTime& t) {
    return t.isValid() ? QTime(t.hour(), t.minute(), t.second()) : QTime(0, 0);
}

} // namespace

reports::TicketFilter CajaSelection::filter() const {
    const QTime a = seconds(from);
    const QTime b = seconds(to);
    reports::TicketFilter f;
    if (a == b)
        f = {QStringLiteral("FECHA = ?"), {store::sqlValue(day)}};
    else if (a < b)
        f = {QStringLiteral("FECHA = ? AND HORA >= ? AND HORA <= ?"), {store::sqlValue(day), hms(a), hms(b)}};
    else
        f = {QStringLiteral("((FECHA = ? AND HORA >= ?) OR (FECHA = ? AND HORA <= ?))"),
             {store::sqlValue(day), hms(a), store::sqlValue(day.addDays(1)), hms(b)}};
    if (consola) {
        f.where += QStringLiteral(" AND COALESCE(CONSOLA, '') = ?");
        f.values << consoleValue(*consola);
    }
    return f;
}

CajaConsolas cajaConsolas(const QSqlDatabase& db) {
    CajaConsolas found;
    QSqlQuery q =
        store::run(db, QStringLiteral("SELECT CONSOLA FROM ticket WHERE COALESCE(CONSOLA, '') <> '' "
                                      "UNION SELECT CONSOLA FROM puestos WHERE COALESCE(CONSOLA, '') <> '' "
                                      "UNION SELECT NOMBRE FROM consolas WHERE COALESCE(NOMBRE, '') <> '' "
                                      "ORDER BY 1"));
    while (q.next())
        found.nombres << store::toText(q.value(0));
    found.sinConsola =
        store::scalar(db, QStringLiteral("SELECT 1 FROM ticket WHERE COALESCE(CONSOLA, '') = '' LIMIT 1"))
            .isValid();
    return found;
}

reports::Report informeCaja(const QSqlDatabase& db, const Regional& regional, const CajaSelection& selection,
                            CajaListing kind, const QDateTime& printedAt) {
    reports::Report r;
    r.caption = QStringLiteral("'[Informe de caja]'");
    r.printedAt = printedAt;
    const int title = r.addColumns({{0, 197.3, reports::Align::Left}});
    r.addTitle(title, {QStringLiteral("Informe de caja")});
    const int heading = r.addColumns({{0, 12, reports::Align::Left},
                                      {12, 30, reports::Align::Left},
                                      {50, 25, reports::Align::Left},
                                      {75, 25, reports::Align::Left},
                                      {105, 25, reports::Align::Left},
                                      {130, 25, reports::Align::Left}});
    r.addTitle(heading,
               {QStringLiteral("Día"), regional.formatDate(selection.day), QStringLiteral("Desde hora"),
                regional.formatTime(seconds(selection.from)), QStringLiteral("Hasta hora"),
                regional.formatTime(seconds(selection.to))},
               reports::Row::Style::Subtitle);
    if (selection.consola)
        r.addTitle(heading, {QStringLiteral("Consola"), consoleTitle(*selection.consola)},
                   reports::Row::Style::Subtitle);

    reports::TicketListingTexts texts;
    texts.totalsColumns = {QStringLiteral("Número Ticket"), QStringLiteral("Fecha"), QStringLiteral("Hora"),
                           QStringLiteral("Importe"), QStringLiteral("Operador")};
    texts.sumLabel = QStringLiteral("Suma............");
    texts.groupLabels = {QStringLiteral("Nº Ticket"), QStringLiteral("Fecha"), QStringLiteral("Hora"),
                         QStringLiteral("Operador")};
    texts.lineColumns = {QStringLiteral("CODIGO"), QStringLiteral("Descripción"), QStringLiteral("Precio"),
                         QStringLiteral("Uds."), QStringLiteral("Importe")};
    texts.groupTotalLabel = QStringLiteral("Total......");
    texts.detailsSumLabel = QStringLiteral("Suma...........");
    if (kind == CajaListing::Totales)
        reports::addTicketTotals(r, db, regional, selection.filter(), texts);
    else
        reports::addTicketDetails(r, db, regional, selection.filter(), texts);
    return r;
}

QStringList sendcajaresumen(const QSqlDatabase& db, const Regional& regional,
                            const CajaSelection& selection) {
    const QString table =
        QStringLiteral(R"(<table cellpadding="3" cellspacing="1" border="0" width="80%" >)");
    const QTime a = seconds(selection.from);
    const QTime b = seconds(selection.to);
    QStringList body;
    body << table
         << QStringLiteral(R"(<tr><td><B><FONT face=verdana size=-10>Informe de caja</Font></B></td>)"
                           R"(<td align="center"><B><FONT face=verdana size=-10>)")
         << regional.formatDate(selection.day) << QStringLiteral("</Font></B></td></tr>")
         << QStringLiteral(R"(<tr><td></td><td align="center"><B><FONT face=verdana size=-10>Desde hora:)")
         << hms(a) << QStringLiteral(" Hasta hora ") + hms(b);
    if (selection.consola)
        body << QStringLiteral(" Consola ") + consoleTitle(*selection.consola).toHtmlEscaped();
    body << QStringLiteral("</td></tr>") << QStringLiteral("</Font></B></table><br>") << table
         << QStringLiteral("<TR bgcolor=#D0D0E2>");
    const QString heads[] = {
        QStringLiteral("<B><FONT face=verdana size=-10>Nº ticket</FONT></B>"),
        QStringLiteral("<B><FONT face=verdana size=-10>Fecha</FONT></B>"),
        QStringLiteral("<B><FONT face=verdana size=-10 >Hora</FONT></B>"),
        QStringLiteral("<B><FONT face=verdana size=-10>Importe</FONT></B>"),
        QStringLiteral("<B><FONT face=verdana size=-10 >Operador</FONT></B>"),
    };
    for (int i = 0; i < 5; ++i)
        body << (i == 3 ? QStringLiteral("<TD align=right>") : QStringLiteral("<TD>")) << heads[i]
             << QStringLiteral("</TD>");
    body << QStringLiteral("</TR>");

    // One console's report narrows the same selection.
    QString where;
    QVariantList values{store::sqlValue(selection.day)};
    if (a == b) {
        where = QStringLiteral("Fecha=:p1");
    } else if (a < b) {
        where = QStringLiteral("Fecha=:p1 and hora>=:p2 and hora<=:p3");
        values << hms(a) << hms(b);
    } else {
        where = QStringLiteral("(Fecha=:p1 and hora>=:p2) or( fecha=:p3 and hora<=:p4)");
        values << hms(a) << store::sqlValue(selection.day.addDays(1)) << hms(b);
    }
    if (selection.consola) {
        where = QStringLiteral("(") + where + QStringLiteral(") and coalesce(consola, '')=:p5");
        values << consoleValue(*selection.consola);
    }
    const QString rowsSql =
        QStringLiteral("select num_ticket,fecha,hora,importe,operador from ticket where ") + where +
        QStringLiteral(" order by num_ticket");
    const QString sumSql = QStringLiteral("select sum (importe) as sumaImporte from ticket where ") + where;

    QSqlQuery q = store::run(db, rowsSql, values);
    for (int k = 0; q.next(); ++k) {
        body << (k % 2 == 0 ? QStringLiteral("<TR bgcolor=#DCDCDC>") : QStringLiteral("<TR bgcolor=#CCCCCC>"))
             << QStringLiteral("<TD><FONT face=verdana size=-10>") << store::toText(q.value(0))
             << QStringLiteral("</FONT></FONT></TD>") << QStringLiteral("<TD><FONT face=verdana size=-10>")
             << regional.formatDate(store::toDate(q.value(1))) << QStringLiteral("</TD></FONT>")
             << QStringLiteral("<TD><FONT face=verdana size=-10>")
             << regional.formatTime(store::toTime(q.value(2))) << QStringLiteral("</TD></FONT>")
             << QStringLiteral("<TD align=right> <FONT face=verdana size=-10>")
             << reports::formatCurrency2(regional, store::toCurrency(q.value(3)))
             << QStringLiteral("</TD></FONT>") << QStringLiteral("<TD><FONT face=verdana size=-10>")
             << store::toText(q.value(4)) << QStringLiteral("</TD></FONT>") << QStringLiteral("</TR>");
    }
    // No ticket at all sums to null: that is a total of 0.
    QSqlQuery s = store::run(db, sumSql, values);
    const Currency sum = s.next() ? store::toCurrency(s.value(0)) : Currency();
    body << QStringLiteral("<TR>") << QStringLiteral("<TD></TD>") << QStringLiteral("<TD></TD>")
         << QStringLiteral("<TD align=right><FONT face=verdana size=-10>Total</FONT></TD>")
         << QStringLiteral("<TD align=right><FONT face=verdana size=-10>")
         << reports::formatCurrency2(regional, sum) << QStringLiteral("</FONT></TD>")
         << QStringLiteral("<TD></TD>") << QStringLiteral("</TR>") << QStringLiteral("</TABLE>");
    return body;
}

} // namespace sales
