#include "reports/listings.h"

#include "core/formatohora.h"
#include "reports/format.h"
#include "reports/ticketlisting.h"
#include "store/dialect.h"
#include "store/resumenes.h"
#include "store/sql.h"
#include "store/views.h"

#include <QSqlQuery>

#include <optional>

namespace reports {

namespace {

constexpr double W = PageGeometry::printableWidth;

QVariantList days(const DateRange& r) {
    return {store::sqlValue(r.from), store::sqlValue(r.to)};
}

Report start(const QString& caption, const QString& title, const QDateTime& printedAt) {
    Report r;
    r.caption = caption;
    r.printedAt = printedAt;
    const int set = r.addColumns({{0, W, Align::Left}});
    r.addTitle(set, {title});
    return r;
}

// A subtitle line of labels and dates: "desde" D1 "hasta" D2.
void addDates(Report& r, const Regional& regional, const DateRange& range, const QString& prefix,
              const QString& fromLabel, const QString& toLabel) {
    QStringList cells;
    std::vector<Column> cols;
    double x = 0;
    auto cell = [&](const QString& text, double width) {
        if (text.isEmpty())
            return;
        cols.push_back({x, width, Align::Left});
        cells << text;
        x += width + 2;
    };
    cell(prefix, 6.0 + prefix.size() * 2.0);
    cell(fromLabel, 6.0 + fromLabel.size() * 2.0);
    cell(regional.formatDate(range.from), 24);
    cell(toLabel, 6.0 + toLabel.size() * 2.0);
    cell(regional.formatDate(range.to), 24);
    r.addTitle(r.addColumns(cols), cells, Row::Style::Subtitle);
}

QString timeBalance(const QVariant& v) {
    return v.isNull() ? QString() : FormatoHora(v.toLongLong());
}

QString escapeLike(const QString& text) {
    QString out;
    for (QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

} // namespace

namespace {

// The first part is small, so the first pages come at once; later parts
// are larger, for fewer queries.
class TicketListingSource final : public ReportSource {
public:
    TicketListingSource(Report& report, const QSqlDatabase& db, const Regional& regional, TicketFilter filter,
                        TicketListingTexts texts, bool details)
        : m_listing(report, db, regional, std::move(filter), std::move(texts), details) {}

    bool next(Report& report) override {
        m_listing.next(report, m_listing.done() == 0 ? 250 : 1000);
        return !m_listing.complete();
    }
    int done() const override { return m_listing.done(); }
    int total() const override { return m_listing.count(); }

private:
    TicketListing m_listing;
};

} // namespace

ListadoEnPartes listadoTicketsEnPartes(const QSqlDatabase& db, const Regional& regional,
                                       const DateRange& range, bool detalles, const QDateTime& printedAt) {
    ListadoEnPartes out;
    out.report = start(QStringLiteral("[Listado de tickets]"),
                       detalles ? QStringLiteral("Listado de Tickets con detalle")
                                : QStringLiteral("Listado de tickets emitidos"),
                       printedAt);
    TicketListingTexts texts;
    texts.remarks = true;
    texts.totalsColumns = {QStringLiteral("Num. Ticket"),   QStringLiteral("Fecha"),
                           QStringLiteral("Hora"),          QStringLiteral("Importe"),
                           QStringLiteral("Observaciones"), QStringLiteral("Operador")};
    texts.sumLabel = QStringLiteral("Suma");
    texts.groupLabels = {QStringLiteral("Nº Ticket"), QStringLiteral("Fecha"), QStringLiteral("Hora"),
                         QStringLiteral("Operador"), QStringLiteral("Observaciones")};
    texts.lineColumns = {QStringLiteral("Código"), QStringLiteral("Descripción"), QStringLiteral("Precio"),
                         QStringLiteral("Uds."), QStringLiteral("Importe")};
    texts.groupTotalLabel = QStringLiteral("Total ticket");
    texts.detailsSumLabel = QStringLiteral("Suma...........");
    out.source = std::make_shared<TicketListingSource>(
        out.report, db, regional, TicketFilter{QStringLiteral("FECHA >= ? AND FECHA <= ?"), days(range)},
        std::move(texts), detalles);
    return out;
}

Report listadoTickets(const QSqlDatabase& db, const Regional& regional, const DateRange& range, bool detalles,
                      const QDateTime& printedAt) {
    ListadoEnPartes listing = listadoTicketsEnPartes(db, regional, range, detalles, printedAt);
    while (listing.source->next(listing.report)) {
    }
    return std::move(listing.report);
}

std::vector<int> stationNumbers(const QSqlDatabase& db) {
    std::vector<int> out;
    QSqlQuery q = store::run(db, QStringLiteral("SELECT npuesto FROM puestos ORDER BY npuesto"));
    while (q.next())
        out.push_back(store::toInt(q.value(0)));
    return out;
}

Report listadoActividad(const QSqlDatabase& db, const Regional& regional, const DateRange& range,
                        std::optional<int> puesto, const QDateTime& printedAt) {
    Report r = start(QStringLiteral("[Listado de actividad en puestos]"),
                     QStringLiteral("Listado de actividad en puestos"), printedAt);
    const int set = r.addColumns({{0, 20, Align::Left},
                                  {21, 16, Align::Left},
                                  {38, 12, Align::Right},
                                  {52, 20, Align::Left},
                                  {73, 18, Align::Right},
                                  {93, 28, Align::Left},
                                  {122, 17, Align::Left},
                                  {140, 30, Align::Left},
                                  {171, 26, Align::Left}});
    r.addHeader(set, {QStringLiteral("Fecha"), QStringLiteral("Hora"), QStringLiteral("Nº puesto"),
                      QStringLiteral("Modalidad"), QStringLiteral("Duración"), QStringLiteral("Tarifa"),
                      QStringLiteral("Nº Ticket"), QStringLiteral("Cliente"), QStringLiteral("Operador")});
    QString sql =
        QStringLiteral("SELECT FECHA, HORA, NPUESTO, MODALIDAD, TIEMPO, TARIFA, NUM_TICKET, CLIENTE, "
                       "OPERADOR FROM ciber WHERE FECHA BETWEEN ? AND ?");
    QVariantList values = days(range);
    if (puesto) {
        sql += QStringLiteral(" AND NPUESTO = ?");
        values << *puesto;
    }
    QSqlQuery q = store::run(db, sql, values);
    while (q.next())
        r.addDetail(set, {regional.formatDate(store::toDate(q.value(0))),
                          regional.formatTime(store::toTime(q.value(1))), store::toText(q.value(2)),
                          store::toText(q.value(3)), formatDuration(store::toInt(q.value(4))),
                          store::toText(q.value(5)), store::toText(q.value(6)), store::toText(q.value(7)),
                          store::toText(q.value(8))});
    return r;
}

QStringList logins(const QSqlDatabase& db, bool codigos) {
    QStringList out;
    QSqlQuery q =
        store::run(db, QStringLiteral("SELECT Login FROM cuentas WHERE ") +
                           (codigos ? store::codigosFilter() : store::cuentasFilter()) +
                           QStringLiteral(" ORDER BY ") + store::caseless(db, QStringLiteral("Login")));
    while (q.next())
        out << store::toText(q.value(0));
    return out;
}

Report listadoMovimientos(const QSqlDatabase& db, const Regional& regional, const DateRange& range,
                          MovScope scope, const QString& login, MovKind kind, const QDateTime& printedAt) {
    Report r = start(QStringLiteral("[Listado de movimientos]"),
                     QStringLiteral("Listado de movimientos de cuentas"), printedAt);
    addDates(r, regional, range, QString(), QStringLiteral("Desde..."), QStringLiteral("Hasta..."));
    const int groups = r.addColumns({{96, 50, Align::Center}, {148, 49, Align::Center}});
    r.addHeader(groups, {QStringLiteral("Crédito en metálico"), QStringLiteral("Crédito en tiempo")}).ruled =
        false;
    const int set = r.addColumns({{0, 18, Align::Left},
                                  {19, 15, Align::Left},
                                  {35, 12, Align::Left},
                                  {48, 10, Align::Left},
                                  {59, 36, Align::Left},
                                  {96, 16, Align::Right},
                                  {113, 16, Align::Right},
                                  {130, 16, Align::Right},
                                  {148, 16, Align::Right},
                                  {165, 16, Align::Right},
                                  {182, 15, Align::Right}});
    const QString before = QStringLiteral("Saldo anterior");
    const QString change = QStringLiteral("Movimiento");
    const QString after = QStringLiteral("Saldo final");
    r.addHeader(set, {QStringLiteral("Cuenta"), QStringLiteral("Fecha"), QStringLiteral("Hora"),
                      QStringLiteral("Ticket"), QStringLiteral("Concepto"), before, change, after, before,
                      change, after});

    QString sql =
        QStringLiteral("SELECT movcuentas.CUENTA, movcuentas.FECHA, movcuentas.HORA, movcuentas.TICKET, "
                       "movcuentas.CONCEPTO, movcuentas.SALDO_ANT, movcuentas.SALDO_MOV, "
                       "movcuentas.SALDO_FIN, movcuentas.saldoti_ant_bono, movcuentas.SALDOTI_MOV, "
                       "movcuentas.saldoti_fin_bono FROM movcuentas");
    QVariantList values = days(range);
    const bool one = scope == MovScope::Cuenta || scope == MovScope::Codigo;
    if (one) {
        // One customer whatever the letter case the movement was booked with.
        sql += QStringLiteral(" WHERE movcuentas.FECHA BETWEEN ? AND ? AND ") +
               store::equalsCaseless(db, QStringLiteral("movcuentas.CUENTA"));
        values << login;
    } else {
        // Logins match ignoring case, as they are unique; this way round the
        // login index serves the join and the day index the range.
        sql += QStringLiteral(" INNER JOIN cuentas ON ") +
               store::caseless(db, QStringLiteral("cuentas.Login")) + QStringLiteral(" = ") +
               store::caseless(db, QStringLiteral("movcuentas.CUENTA")) +
               QStringLiteral(" WHERE movcuentas.FECHA BETWEEN ? AND ? AND ") +
               (scope == MovScope::TodosCodigos ? store::codigosFilter() : store::cuentasFilter());
    }
    if (kind == MovKind::Cargos)
        sql += QStringLiteral(" AND (movcuentas.SALDO_MOV < 0 OR "
                              "movcuentas.saldoti_ant_bono > movcuentas.saldoti_fin_bono)");
    else if (kind == MovKind::Abonos)
        sql += QStringLiteral(" AND (movcuentas.SALDO_MOV > 0 OR "
                              "movcuentas.saldoti_ant_bono < movcuentas.saldoti_fin_bono)");
    sql += QStringLiteral(" ORDER BY movcuentas.ID");

    QSqlQuery q = store::run(db, sql, values);
    auto money = [&](const QVariant& v) {
        return v.isNull() ? QString() : formatReportAmount(regional, store::toCurrency(v));
    };
    while (q.next())
        r.addDetail(set, {store::toText(q.value(0)), regional.formatDate(store::toDate(q.value(1))),
                          regional.formatTime(store::toTime(q.value(2))), store::toText(q.value(3)),
                          store::toText(q.value(4)), money(q.value(5)), money(q.value(6)), money(q.value(7)),
                          timeBalance(q.value(8)), store::toText(q.value(9)), timeBalance(q.value(10))});
    return r;
}

namespace {

// Runs a statistic's query: column 0 the label, column `value` the sum.
// The queries cast their sums of whole numbers back to whole numbers (a
// server adds them up as decimals), and order equal sums by their group, so
// that both engines list the same rows in the same order.
Statistic statistic(Report report, const QSqlDatabase& db, const QString& sql, const QVariantList& values,
                    const QStringList& heads, bool numbered,
                    const std::function<QStringList(const QSqlQuery&)>& cells,
                    const std::function<double(const QSqlQuery&)>& value,
                    const std::function<QString(const QSqlQuery&)>& label, const QString& valueTitle,
                    Origen origen) {
    Statistic s;
    std::vector<Column> cols;
    const int n = int(heads.size());
    double x = 0;
    for (int i = 0; i < n; ++i) {
        const bool number = numbered && i == 0;
        const bool last = i >= n - (n >= 4 ? 2 : 1);
        // The sums hold "999  Horas  59  Min.  59  Seg.  " whole.
        const double width = number ? 12
                             : last ? 52
                                    : (W - 12 - 104) / std::max(1, n - (numbered ? 1 : 0) - (n >= 4 ? 2 : 1));
        cols.push_back({x, width, (number || last) ? Align::Right : Align::Left});
        x += width + 2;
    }
    const int set = report.addColumns(cols);
    report.addHeader(set, heads);
    std::optional<store::LecturaResumenes> lectura;
    if (origen == Origen::Resumenes)
        lectura.emplace(db);
    QSqlQuery q = store::run(db, sql, values);
    int row = 0;
    while (q.next()) {
        QStringList c = cells(q);
        if (numbered)
            c.prepend(QString::number(++row));
        report.addDetail(set, c);
        s.labels << label(q);
        s.values.push_back(value(q));
    }
    s.report = std::move(report);
    s.valueTitle = valueTitle;
    return s;
}

} // namespace

namespace {

// The rows a statistic adds up, as one derived table: the summary's months
// (summarySql, "{meses}" for the condition on them, bound first) and the rows of the days around them
// (rowsSql with "{dias}" for the condition on the day column), or the rows
// of the whole range. `extra` is bound after each part's days.
QString sources(const QSqlDatabase& db, store::ResumenDe resumen, const DateRange& range, Origen origen,
                const QString& summarySql, const QString& rowsSql, const QString& day,
                const QVariantList& extra, QVariantList& values) {
    const store::TramosResumen t = origen == Origen::Resumenes
                                       ? store::tramosResumen(db, resumen, range.from, range.to)
                                       : store::TramosResumen{};
    QString rowsPart = rowsSql;
    if (!t.meses) {
        values << days(range) << extra;
        return rowsPart.replace(QStringLiteral("{dias}"), day + QStringLiteral(" BETWEEN ? AND ?"));
    }
    QStringList parts{QString(summarySql).replace(QStringLiteral("{meses}"), store::mesesResumen(db))};
    values << t.mesDesde << t.mesHasta << extra;
    if (t.antes) {
        parts << QString(rowsSql).replace(QStringLiteral("{dias}"),
                                          day + QStringLiteral(" >= ? AND ") + day + QStringLiteral(" < ?"));
        values << store::sqlValue(range.from) << t.primerDiaResumido << extra;
    }
    if (t.despues) {
        parts << QString(rowsSql).replace(QStringLiteral("{dias}"),
                                          day + QStringLiteral(" > ? AND ") + day + QStringLiteral(" <= ?"));
        values << t.ultimoDiaResumido << store::sqlValue(range.to) << extra;
    }
    return parts.join(QStringLiteral(" UNION ALL "));
}

// A sum as the rows' SUM gives it: NULL when every value added was NULL.
QString sumOf(const QString& value, const QString& count) {
    return QStringLiteral("CASE WHEN SUM(%2) = 0 THEN NULL ELSE SUM(%1) END").arg(value, count);
}

Statistic creditStatistic(Report r, const QSqlDatabase& db, const Regional& regional, const QString& sql,
                          const QVariantList& values, Origen origen) {
    const Regional reg = regional;
    return statistic(
        std::move(r), db, sql, values, {QStringLiteral("Cuenta"), QStringLiteral("Importe")}, false,
        [reg](const QSqlQuery& q) {
            return QStringList{store::toText(q.value(0)),
                               formatReportAmount(reg, store::toCurrency(q.value(1)))};
        },
        [](const QSqlQuery& q) { return double(q.value(1).toLongLong()) / Currency::Scale; },
        [](const QSqlQuery& q) { return store::toText(q.value(0)); }, QStringLiteral("Importe"), origen);
}

} // namespace

Statistic estadisticaClientes(const QSqlDatabase& db, const Regional& regional, const DateRange& range,
                              EstClientes kind, const QDateTime& printedAt, Origen origen) {
    const QString caption = QStringLiteral("[Estadística de clientes]");
    if (kind == EstClientes::Tiempo) {
        Report r =
            start(caption, QStringLiteral("Estadística de clientes según tiempo de utilización"), printedAt);
        addDates(r, regional, range, QString(), QStringLiteral("Desde"), QStringLiteral("hasta"));
        QVariantList values;
        // Anonymous use, with or without an empty name, is one row; so is
        // one customer whatever the letter case of the login, under the
        // least spelling.
        QString sql;
        if (origen == Origen::Filas) {
            values = days(range);
            sql = QStringLiteral("SELECT MIN(COALESCE(CLIENTE, '')) AS CLIENTE, "
                                 "CAST(SUM(TIEMPO) AS BIGINT) AS SumaDeTIEMPO FROM ciber "
                                 "WHERE FECHA BETWEEN ? AND ? GROUP BY ") +
                  store::caseless(db, QStringLiteral("COALESCE(CLIENTE, '')")) +
                  QStringLiteral(" ORDER BY 2 DESC, ") +
                  store::caseless(db, QStringLiteral("MIN(COALESCE(CLIENTE, ''))"));
        }
        const QString from =
            sql.isEmpty()
                ? sources(db, store::ResumenDe::Clientes, range, origen,
                          // Added up per customer in the summary's own order first.
                          QStringLiteral("SELECT CLAVE AS G, MIN(") +
                              store::exact(db, QStringLiteral("CLIENTE")) +
                              QStringLiteral(
                                  ") AS K, SUM(TIEMPO) AS S, SUM(TIEMPO_N) AS NN FROM resumen_clientes "
                                  "WHERE {meses} AND N > 0 GROUP BY CLAVE"),
                          QStringLiteral("SELECT ") +
                              store::claveResumen(db, QStringLiteral("COALESCE(CLIENTE, '')")) +
                              QStringLiteral(
                                  " AS G, COALESCE(CLIENTE, '') AS K, TIEMPO AS S, CASE WHEN TIEMPO IS "
                                  "NULL THEN 0 ELSE 1 END AS NN FROM ciber WHERE {dias}"),
                          QStringLiteral("FECHA"), {}, values)
                : QString();
        const QString label =
            QStringLiteral("MIN(") + store::exact(db, QStringLiteral("x.K")) + QLatin1Char(')');
        if (sql.isEmpty())
            sql = QStringLiteral("SELECT ") + label + QStringLiteral(" AS CLIENTE, CAST(") +
                  sumOf(QStringLiteral("x.S"), QStringLiteral("x.NN")) +
                  QStringLiteral(" AS BIGINT) AS SumaDeTIEMPO FROM (") + from +
                  QStringLiteral(") x GROUP BY x.G ORDER BY 2 DESC, ") + store::caseless(db, label);
        return statistic(
            std::move(r), db, sql, values,
            {QString(), QStringLiteral("cliente"), QStringLiteral("Suma de tiempo")}, true,
            [](const QSqlQuery& q) {
                return QStringList{store::toText(q.value(0)), formatTimeSum(q.value(1).toLongLong())};
            },
            [](const QSqlQuery& q) { return q.value(1).toDouble() / 3600.0; },
            [](const QSqlQuery& q) { return store::toText(q.value(0)); }, QStringLiteral("Horas"), origen);
    }
    const bool consumed = kind == EstClientes::CreditoConsumido;
    Report r = start(caption,
                     consumed ? QStringLiteral("Estadística de clientes según crédito consumido ")
                              : QStringLiteral("Estadística de clientes según crédito aportado "),
                     printedAt);
    addDates(r, regional, range,
             consumed ? QStringLiteral("Crédito total consumido desde")
                      : QStringLiteral("Crédito total aportado desde"),
             QString(), QStringLiteral("hasta"));
    QVariantList values;
    if (origen == Origen::Filas) {
        // One customer whatever the letter case of the login, under the least spelling.
        const QString least =
            QStringLiteral("MIN(") + store::exact(db, QStringLiteral("CUENTA")) + QLatin1Char(')');
        values = days(range);
        return creditStatistic(
            std::move(r), db, regional,
            QStringLiteral("SELECT ") + least +
                (consumed ? QStringLiteral(", CAST(SUM(SALDO_MOV * (-1)) AS BIGINT) AS SumaDeSALDO_MOV "
                                           "FROM movcuentas WHERE SALDO_MOV < 0")
                          : QStringLiteral(", CAST(SUM(SALDO_MOV) AS BIGINT) AS SumaDeSALDO_MOV "
                                           "FROM movcuentas WHERE SALDO_MOV > 0")) +
                QStringLiteral(" AND FECHA BETWEEN ? AND ? GROUP BY ") +
                store::caseless(db, QStringLiteral("CUENTA")) + QStringLiteral(" ORDER BY 2 DESC, ") +
                store::caseless(db, least),
            values, origen);
    }
    const QString from = sources(
        db, store::ResumenDe::Cuentas, range, origen,
        // Added up per customer in the summary's own order first.
        QStringLiteral("SELECT CLAVE AS G, CUENTA_NULO AS KN, MIN(") +
            store::exact(db, QStringLiteral("CUENTA")) +
            (consumed ? QStringLiteral(") AS K, SUM(CONSUMIDO) AS S FROM resumen_cuentas WHERE {meses} "
                                       "AND N_CONSUMIDO > 0")
                      : QStringLiteral(") AS K, SUM(APORTADO) AS S FROM resumen_cuentas WHERE {meses} "
                                       "AND N_APORTADO > 0")) +
            QStringLiteral(" GROUP BY CLAVE, CUENTA_NULO"),
        QStringLiteral("SELECT ") + store::claveResumen(db, QStringLiteral("COALESCE(CUENTA, '')")) +
            QStringLiteral(
                " AS G, CASE WHEN CUENTA IS NULL THEN 1 ELSE 0 END AS KN, COALESCE(CUENTA, '') AS K, ") +
            (consumed ? QStringLiteral("SALDO_MOV * (-1) AS S FROM movcuentas WHERE SALDO_MOV < 0")
                      : QStringLiteral("SALDO_MOV AS S FROM movcuentas WHERE SALDO_MOV > 0")) +
            QStringLiteral(" AND {dias}"),
        QStringLiteral("FECHA"), {}, values);
    // One customer whatever the letter case of the login, under the least
    // spelling; movements without a customer are a row of their own.
    const QString label = QStringLiteral("MIN(CASE WHEN x.KN = 1 THEN NULL ELSE ") +
                          store::exact(db, QStringLiteral("x.K")) + QStringLiteral(" END)");
    const QString sql = QStringLiteral("SELECT ") + label +
                        QStringLiteral(", CAST(SUM(x.S) AS BIGINT) AS SumaDeSALDO_MOV FROM (") + from +
                        QStringLiteral(") x GROUP BY x.G, x.KN ORDER BY 2 DESC, ") +
                        store::caseless(db, label);
    return creditStatistic(std::move(r), db, regional, sql, values, origen);
}

Statistic estadisticaPuestos(const QSqlDatabase& db, const Regional& regional, const DateRange& range,
                             const QDateTime& printedAt, Origen origen) {
    Report r = start(QStringLiteral("[Estadística de puestos]"), QStringLiteral("Estadística de puestos"),
                     printedAt);
    addDates(r, regional, range, QString(), QStringLiteral("Desde"), QStringLiteral("hasta"));
    QVariantList values;
    QString sql;
    if (origen == Origen::Filas) {
        values = days(range);
        sql = QStringLiteral("SELECT NPUESTO, CAST(SUM(TIEMPO) AS BIGINT) AS SumaDeTIEMPO FROM ciber "
                             "WHERE FECHA BETWEEN ? AND ? GROUP BY NPUESTO ORDER BY 2 DESC, 1");
    }
    const QString from =
        !sql.isEmpty()
            ? QString()
            : sources(
                  db, store::ResumenDe::Puestos, range, origen,
                  QStringLiteral("SELECT NPUESTO AS K, NPUESTO_NULO AS KN, TIEMPO AS S, TIEMPO_N AS NN "
                                 "FROM resumen_puestos WHERE {meses} AND N > 0"),
                  QStringLiteral(
                      "SELECT COALESCE(NPUESTO, 0) AS K, CASE WHEN NPUESTO IS NULL THEN 1 ELSE 0 END AS KN, "
                      "TIEMPO AS S, CASE WHEN TIEMPO IS NULL THEN 0 ELSE 1 END AS NN FROM ciber WHERE "
                      "{dias}"),
                  QStringLiteral("FECHA"), {}, values);
    if (sql.isEmpty())
        sql = QStringLiteral("SELECT CASE WHEN x.KN = 1 THEN NULL ELSE x.K END AS NPUESTO, CAST(") +
              sumOf(QStringLiteral("x.S"), QStringLiteral("x.NN")) +
              QStringLiteral(" AS BIGINT) AS SumaDeTIEMPO FROM (") + from +
              QStringLiteral(") x GROUP BY x.K, x.KN ORDER BY 2 DESC, 1");
    return statistic(
        std::move(r), db, sql, values,
        {QString(), QStringLiteral("Número de puesto"), QStringLiteral("Suma de tiempo")}, true,
        [](const QSqlQuery& q) {
            return QStringList{store::toText(q.value(0)), formatTimeSum(q.value(1).toLongLong())};
        },
        [](const QSqlQuery& q) { return q.value(1).toDouble() / 3600.0; },
        [](const QSqlQuery& q) { return store::toText(q.value(0)); }, QStringLiteral("Horas"), origen);
}

namespace {

// summaryWhere and rowsWhere pick the same lines from the summary and from
// the lines; `extra` is bound after each.
Statistic sales(Report r, const QSqlDatabase& db, const Regional& regional, const DateRange& range,
                Origen origen, const QString& summaryWhere, const QString& rowsWhere,
                const QVariantList& extra, const QStringList& heads) {
    QVariantList values;
    QString sql;
    if (origen == Origen::Filas) {
        values << days(range) << extra;
        sql = QStringLiteral("SELECT MIN(") + store::exact(db, QStringLiteral("lintick.CODIGO")) +
              QStringLiteral(
                  "), lintick.ARTICULO, SUM(lintick.CANT) AS SumaDeCANT, "
                  "CAST(SUM(lintick.IMPORTE) AS BIGINT) AS SumaDeIMPORTE FROM lintick INNER JOIN "
                  "ticket ON lintick.ID_TICK = ticket.ID_TICK WHERE ticket.FECHA BETWEEN ? AND ? AND ") +
              rowsWhere + QStringLiteral(" GROUP BY ") +
              store::caseless(db, QStringLiteral("lintick.CODIGO")) +
              QStringLiteral(", lintick.ARTICULO ORDER BY 3 DESC, 1, 2");
    }
    const QString from =
        !sql.isEmpty()
            ? QString()
            : sources(
                  db, store::ResumenDe::Ventas, range, origen,
                  QStringLiteral(
                      "SELECT CODIGO AS K, CODIGO_NULO AS KN, ARTICULO AS A, ARTICULO_NULO AS AN, CANT AS C, "
                      "CANT_N AS CN, IMPORTE AS I, IMPORTE_N AS IMN FROM resumen_ventas WHERE {meses} AND N "
                      "> 0 "
                      "AND ") +
                      summaryWhere,
                  QStringLiteral("SELECT COALESCE(lintick.CODIGO, '') AS K, CASE WHEN lintick.CODIGO IS NULL "
                                 "THEN 1 ELSE 0 "
                                 "END AS KN, COALESCE(lintick.ARTICULO, '') AS A, CASE WHEN lintick.ARTICULO "
                                 "IS NULL THEN "
                                 "1 ELSE 0 END AS AN, lintick.CANT AS C, CASE WHEN lintick.CANT IS NULL THEN "
                                 "0 ELSE 1 END "
                                 "AS CN, lintick.IMPORTE AS I, CASE WHEN lintick.IMPORTE IS NULL THEN 0 ELSE "
                                 "1 END AS IMN "
                                 "FROM lintick INNER JOIN ticket ON lintick.ID_TICK = ticket.ID_TICK WHERE "
                                 "{dias} AND ") +
                      rowsWhere,
                  QStringLiteral("ticket.FECHA"), extra, values);
    // One article whatever the letter case of its code, under the least spelling.
    if (sql.isEmpty())
        sql = QStringLiteral("SELECT MIN(CASE WHEN x.KN = 1 THEN NULL ELSE ") +
              store::exact(db, QStringLiteral("x.K")) +
              QStringLiteral(" END), CASE WHEN x.AN = 1 THEN NULL ELSE x.A END, ") +
              sumOf(QStringLiteral("x.C"), QStringLiteral("x.CN")) + QStringLiteral(" AS SumaDeCANT, CAST(") +
              sumOf(QStringLiteral("x.I"), QStringLiteral("x.IMN")) +
              QStringLiteral(" AS BIGINT) AS SumaDeIMPORTE FROM (") + from + QStringLiteral(") x GROUP BY ") +
              store::caseless(db, QStringLiteral("x.K")) +
              QStringLiteral(", x.KN, x.A, x.AN ORDER BY 3 DESC, 1, 2");
    const Regional reg = regional;
    return statistic(
        std::move(r), db, sql, values, heads, false,
        [reg](const QSqlQuery& q) {
            return QStringList{store::toText(q.value(0)), store::toText(q.value(1)),
                               formatUnits(reg, store::toDouble(q.value(2))),
                               formatReportAmount(reg, store::toCurrency(q.value(3)))};
        },
        [](const QSqlQuery& q) { return store::toDouble(q.value(2)); },
        [](const QSqlQuery& q) { return store::toText(q.value(1)); }, QStringLiteral("Unidades"), origen);
}

} // namespace

Statistic ventasArticulos(const QSqlDatabase& db, const Regional& regional, const DateRange& range,
                          const std::optional<QString>& codigo, const QDateTime& printedAt, Origen origen) {
    Report r = start(QStringLiteral("[Estadística de ventas]"),
                     QStringLiteral("Estadística de ventas de artículos"), printedAt);
    addDates(r, regional, range, QString(), QStringLiteral("desde"), QStringLiteral("hasta"));
    QString summaryWhere = QStringLiteral("BONO = 0 AND CODIGO_NULO = 0 AND CODIGO <> ''");
    QString rowsWhere = QStringLiteral("COALESCE(lintick.BONO, 0) = 0 AND lintick.CODIGO <> ''");
    QVariantList extra;
    if (codigo) {
        summaryWhere += QStringLiteral(" AND ") + store::equalsCaseless(db, QStringLiteral("CODIGO"));
        rowsWhere += QStringLiteral(" AND ") + store::equalsCaseless(db, QStringLiteral("lintick.CODIGO"));
        extra << *codigo;
    }
    return sales(std::move(r), db, regional, range, origen, summaryWhere, rowsWhere, extra,
                 {QStringLiteral("código"), QStringLiteral("Artículo"), QStringLiteral("Unidades vendidas"),
                  QStringLiteral("Suma de importes")});
}

Statistic ventasBonos(const QSqlDatabase& db, const Regional& regional, const DateRange& range,
                      const QDateTime& printedAt, Origen origen) {
    Report r = start(QStringLiteral("[Ventas de bonos]"),
                     QStringLiteral("Estadísticas de ventas de BONOS Y ANOTACIONES"), printedAt);
    addDates(r, regional, range, QString(), QStringLiteral("desde..."), QStringLiteral("hasta..."));
    return sales(std::move(r), db, regional, range, origen, QStringLiteral("BONO = 1"),
                 QStringLiteral("lintick.BONO <> 0"), {},
                 {QStringLiteral("Código"), QStringLiteral("Artículo"), QStringLiteral("Unidades Vendidas"),
                  QStringLiteral("Suma de Importes")});
}

std::vector<std::pair<QString, QString>> articulos(const QSqlDatabase& db) {
    std::vector<std::pair<QString, QString>> out;
    QSqlQuery q = store::run(db, QStringLiteral("SELECT CODIGO, ARTICULO FROM articulos ORDER BY ARTICULO"));
    while (q.next())
        out.emplace_back(store::toText(q.value(0)), store::toText(q.value(1)));
    return out;
}

Report listadoCuentas(const QSqlDatabase& db, const Regional& regional,
                      const std::vector<OrdenCuentas>& order, const QString& nameStart,
                      TipoListadoCuentas kind, const QDateTime& printedAt) {
    Report r = start(QStringLiteral("[Listado de cuentas de clientes]"),
                     QStringLiteral("Listado de cuentas de clientes"), printedAt);
    const bool credit = kind == TipoListadoCuentas::CreditoDisponible;
    int set = 0;
    if (credit) {
        set = r.addColumns({{0, 22, Align::Left},
                            {23, 50, Align::Left},
                            {74, 25, Align::Right},
                            {101, 28, Align::Left},
                            {130, 22, Align::Left},
                            {153, 20, Align::Right},
                            {175, 22, Align::Left}});
        r.addHeader(set, {QStringLiteral("Cuenta"), QStringLiteral("Nombre"), QStringLiteral("Crédito"),
                          QStringLiteral("Tarifa"), QStringLiteral("Ultima visita"), QStringLiteral("Tiempo"),
                          QStringLiteral("Alta")});
    } else {
        set = r.addColumns({{0, 22, Align::Left},
                            {23, 45, Align::Left},
                            {69, 25, Align::Left},
                            {95, 50, Align::Left},
                            {146, 51, Align::Left}});
        r.addHeader(set, {QStringLiteral("Cuenta"), QStringLiteral("Nombre"), QStringLiteral("Teléfono"),
                          QStringLiteral("Dirección"), QStringLiteral("Observaciones")});
    }
    QString sql =
        QStringLiteral("SELECT Login, Nombre, credito, Tarifa, Ultima, Bonotiempo, Alta, Telf, Dir, "
                       "Observaciones FROM cuentas WHERE ") +
        store::cuentasFilter();
    QVariantList values;
    if (!nameStart.isEmpty()) {
        sql += QStringLiteral(" AND ") + store::likeCaseless(db, QStringLiteral("Nombre"));
        values << QVariant(escapeLike(nameStart) + QLatin1Char('%'));
    }
    const QString login = store::caseless(db, QStringLiteral("Login"));
    const QString columns[] = {QString(),
                               login,
                               QStringLiteral("Nombre"),
                               QStringLiteral("Tarifa"),
                               QStringLiteral("credito"),
                               QStringLiteral("Alta"),
                               QStringLiteral("Ultima")};
    QStringList keys;
    for (OrdenCuentas o : order)
        if (o != OrdenCuentas::Ninguno && !keys.contains(columns[int(o)]))
            keys << columns[int(o)];
    if (!keys.contains(login))
        keys << login;
    sql += QStringLiteral(" ORDER BY ") + keys.join(QStringLiteral(", "));

    QSqlQuery q = store::run(db, sql, values);
    Currency sum;
    while (q.next()) {
        if (credit) {
            const Currency c = store::toCurrency(q.value(2));
            sum += c;
            r.addDetail(
                set, {store::toText(q.value(0)), store::toText(q.value(1)), formatReportAmount(regional, c),
                      store::toText(q.value(3)), regional.formatDate(store::toDate(q.value(4))),
                      FormatoHora(store::toInt(q.value(5))), regional.formatDate(store::toDate(q.value(6)))});
        } else {
            r.addDetail(set, {store::toText(q.value(0)), store::toText(q.value(1)), store::toText(q.value(7)),
                              store::toText(q.value(8)), store::toText(q.value(9))});
        }
    }
    if (credit) {
        const int sumSet = r.addColumns({{23, 50, Align::Right}, {74, 25, Align::Right}});
        r.addSummary(sumSet, {QStringLiteral("Suma Crédito"), formatReportAmount(regional, sum)});
    }
    return r;
}

} // namespace reports
