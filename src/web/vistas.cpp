#include "web/vistas.h"

#include "accounts/cuentas.h"
#include "core/formatohora.h"
#include "reports/listings.h"
#include "sales/turnos.h"
#include "store/dialect.h"
#include "store/sql.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>

namespace web {

namespace {

QString tipoTexto(const QString& modo, bool english) {
    if (modo.compare(QLatin1String("CONTADOR"), Qt::CaseInsensitive) == 0)
        return english ? QStringLiteral("Counter") : QStringLiteral("Contador");
    if (modo.compare(QLatin1String("PREPAGO"), Qt::CaseInsensitive) == 0)
        return english ? QStringLiteral("Prepaid") : QStringLiteral("Prepago");
    if (modo.isEmpty())
        return english ? QStringLiteral("Sales") : QStringLiteral("Ventas");
    return modo;
}

QJsonObject lineaJson(const LineaCaja& l, const Regional& regional, const QString& campo) {
    return QJsonObject{{campo, l.nombre},
                       {QStringLiteral("clave"), l.clave},
                       {QStringLiteral("importe"), regional.formatCurrency(l.importe)},
                       {QStringLiteral("unidades"), qint64(l.importe.raw())},
                       {QStringLiteral("tickets"), l.tickets}};
}

QJsonArray lineasJson(const std::vector<LineaCaja>& lineas, const Regional& regional, const QString& campo) {
    QJsonArray a;
    for (const LineaCaja& l : lineas)
        a.append(lineaJson(l, regional, campo));
    return a;
}

QString fechaIso(const QDate& d) {
    return d.toString(Qt::ISODate);
}

} // namespace

LineaCaja sumaCaja(const QSqlDatabase& db, const sales::CajaSelection& selection) {
    // The cash report's own selection: the same tickets, the same sum.
    const reports::TicketFilter f = selection.filter();
    QSqlQuery q = store::run(db, QStringLiteral("SELECT SUM(IMPORTE), COUNT(*) FROM ticket WHERE ") + f.where,
                             f.values);
    LineaCaja l;
    if (q.next()) {
        l.importe = store::toCurrency(q.value(0));
        l.tickets = store::toInt(q.value(1));
    }
    return l;
}

CajaDia cajaDia(const QSqlDatabase& db, const QDate& dia, bool english) {
    CajaDia caja;
    caja.dia = dia;
    const sales::CajaSelection todo(dia, QTime(0, 0), QTime(0, 0));
    const LineaCaja total = sumaCaja(db, todo);
    caja.total = total.importe;
    caja.tickets = total.tickets;

    const reports::TicketFilter f = todo.filter();
    QSqlQuery q =
        store::run(db,
                   QStringLiteral("SELECT COALESCE(MODO, ''), SUM(IMPORTE), COUNT(*) FROM ticket WHERE ") +
                       f.where + QStringLiteral(" GROUP BY COALESCE(MODO, '') ORDER BY 1"),
                   f.values);
    while (q.next()) {
        LineaCaja l;
        l.clave = store::toText(q.value(0)).toLower();
        l.nombre = tipoTexto(store::toText(q.value(0)), english);
        l.importe = store::toCurrency(q.value(1));
        l.tickets = store::toInt(q.value(2));
        caja.porTipo.push_back(l);
    }

    // The shifts the report window offers, each as the report takes it.
    const std::vector<store::Turno> turnos = sales::turnos(db);
    for (size_t i = 0; i < turnos.size() && int(i) < sales::turnosShown; ++i) {
        LineaCaja l = sumaCaja(db, sales::CajaSelection(dia, turnos[i].HORA_INI, turnos[i].HORA_FIN));
        l.clave = turnos[i].TURNO;
        l.nombre = turnos[i].TURNO;
        caja.porTurno.push_back(l);
    }

    const sales::CajaConsolas consolas = sales::cajaConsolas(db);
    if (consolas.nombres.size() + (consolas.sinConsola ? 1 : 0) > 1) {
        QStringList nombres = consolas.nombres;
        if (consolas.sinConsola)
            nombres << QString();
        for (const QString& nombre : nombres) {
            LineaCaja l = sumaCaja(db, sales::CajaSelection(dia, QTime(0, 0), QTime(0, 0), nombre));
            l.clave = nombre;
            l.nombre = nombre.isEmpty()
                           ? (english ? QStringLiteral("(no console)") : QStringLiteral("(sin consola)"))
                           : nombre;
            caja.porConsola.push_back(l);
        }
    }
    return caja;
}

QByteArray cajaJson(const CajaDia& caja, const Regional& regional) {
    return QJsonDocument(
               QJsonObject{{QStringLiteral("dia"), fechaIso(caja.dia)},
                           {QStringLiteral("dia_texto"), regional.formatDate(caja.dia)},
                           {QStringLiteral("total"), regional.formatCurrency(caja.total)},
                           {QStringLiteral("total_unidades"), qint64(caja.total.raw())},
                           {QStringLiteral("tickets"), caja.tickets},
                           {QStringLiteral("por_tipo"), lineasJson(caja.porTipo, regional, "tipo")},
                           {QStringLiteral("por_turno"), lineasJson(caja.porTurno, regional, "turno")},
                           {QStringLiteral("por_consola"), lineasJson(caja.porConsola, regional, "consola")}})
        .toJson(QJsonDocument::Compact);
}

namespace {

QString tipoCuenta(const QString& tipo, bool english) {
    if (tipo == QLatin1String("9"))
        return english ? QStringLiteral("Time code") : QStringLiteral("Código de tiempo");
    if (tipo == QLatin1String("2"))
        return english ? QStringLiteral("Time credit") : QStringLiteral("Crédito en tiempo");
    if (tipo == QLatin1String("1"))
        return english ? QStringLiteral("Money, time bands") : QStringLiteral("Dinero, franjas");
    return english ? QStringLiteral("Money") : QStringLiteral("Dinero");
}

QJsonObject cuentaObjeto(const QSqlQuery& q, const Regional& regional, bool english) {
    const QString tipo = store::toText(q.value(2));
    return QJsonObject{{QStringLiteral("login"), store::toText(q.value(0))},
                       {QStringLiteral("nombre"), store::toText(q.value(1))},
                       {QStringLiteral("tipo"), tipo},
                       {QStringLiteral("tipo_texto"), tipoCuenta(tipo, english)},
                       {QStringLiteral("saldo"), regional.formatCurrency(store::toCurrency(q.value(3)))},
                       {QStringLiteral("saldo_unidades"), qint64(store::toCurrency(q.value(3)).raw())},
                       {QStringLiteral("tiempo"), FormatoHora(store::toInt(q.value(4)))},
                       {QStringLiteral("segundos"), store::toInt(q.value(4))}};
}

const QString columnasCuenta = QStringLiteral("Login, Nombre, Tipo, credito, Bonotiempo");

} // namespace

QByteArray cuentasJson(const QSqlDatabase& db, const Regional& regional, const QString& texto, bool english) {
    QJsonArray lista;
    const QString typed = texto.trimmed().left(100);
    if (!typed.isEmpty()) {
        const QString patron = accounts::patronLike(typed, false);
        QSqlQuery q =
            store::run(db,
                       QStringLiteral("SELECT ") + columnasCuenta + QStringLiteral(" FROM cuentas WHERE ") +
                           store::likeCaseless(db, QStringLiteral("Login")) + QStringLiteral(" OR ") +
                           store::likeCaseless(db, QStringLiteral("Nombre")) +
                           QStringLiteral(" ORDER BY Login LIMIT 50"),
                       QVariantList{patron, patron});
        while (q.next())
            lista.append(cuentaObjeto(q, regional, english));
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("cuentas"), lista}}).toJson(QJsonDocument::Compact);
}

QByteArray cuentaJson(const QSqlDatabase& db, const Regional& regional, const QString& login) {
    QSqlQuery c = store::run(db,
                             QStringLiteral("SELECT ") + columnasCuenta +
                                 QStringLiteral(", Alta, Ultima FROM cuentas WHERE ") +
                                 store::equalsCaseless(db, QStringLiteral("Login")),
                             QVariantList{login});
    if (!c.next())
        return QByteArrayLiteral("{}");
    QJsonObject cuenta = cuentaObjeto(c, regional, false);
    cuenta.insert(QStringLiteral("alta"), regional.formatDate(store::toDate(c.value(5))));
    cuenta.insert(QStringLiteral("ultima"), regional.formatDate(store::toDate(c.value(6))));
    const QString stored = store::toText(c.value(0));
    c = QSqlQuery();

    QSqlQuery q =
        store::run(db,
                   QStringLiteral("SELECT FECHA, HORA, TICKET, CONCEPTO, SALDO_ANT, SALDO_MOV, SALDO_FIN, "
                                  "SALDOTI_MOV, CONSOLA FROM movcuentas WHERE ") +
                       store::equalsCaseless(db, QStringLiteral("CUENTA")) +
                       QStringLiteral(" ORDER BY ID DESC LIMIT 20"),
                   QVariantList{stored});
    QJsonArray movimientos;
    while (q.next())
        movimientos.append(QJsonObject{
            {QStringLiteral("fecha"), regional.formatDate(store::toDate(q.value(0)))},
            {QStringLiteral("hora"), regional.formatTime(store::toTime(q.value(1)))},
            {QStringLiteral("ticket"), store::toText(q.value(2))},
            {QStringLiteral("concepto"), store::toText(q.value(3))},
            {QStringLiteral("saldo_anterior"), regional.formatCurrency(store::toCurrency(q.value(4)))},
            {QStringLiteral("movimiento"), regional.formatCurrency(store::toCurrency(q.value(5)))},
            {QStringLiteral("saldo_final"), regional.formatCurrency(store::toCurrency(q.value(6)))},
            {QStringLiteral("tiempo"), store::toText(q.value(7))},
            {QStringLiteral("consola"), store::toText(q.value(8))}});
    cuenta.insert(QStringLiteral("movimientos"), movimientos);
    return QJsonDocument(cuenta).toJson(QJsonDocument::Compact);
}

const std::vector<TipoEstadistica>& tiposEstadistica() {
    static const std::vector<TipoEstadistica> tipos{
        {QStringLiteral("consumido"), QStringLiteral("Clientes: crédito consumido"),
         QStringLiteral("Customers: credit used")},
        {QStringLiteral("aportado"), QStringLiteral("Clientes: crédito aportado"),
         QStringLiteral("Customers: credit paid in")},
        {QStringLiteral("tiempo"), QStringLiteral("Clientes: tiempo de utilización"),
         QStringLiteral("Customers: time of use")},
        {QStringLiteral("puestos"), QStringLiteral("Puestos"), QStringLiteral("Stations")},
        {QStringLiteral("ventas"), QStringLiteral("Ventas de artículos"), QStringLiteral("Article sales")},
        {QStringLiteral("bonos"), QStringLiteral("Ventas de bonos"), QStringLiteral("Voucher sales")},
    };
    return tipos;
}

QByteArray tiposEstadisticaJson(bool english) {
    QJsonArray a;
    for (const TipoEstadistica& t : tiposEstadistica())
        a.append(QJsonObject{{QStringLiteral("tipo"), t.clave},
                             {QStringLiteral("nombre"), english ? t.en : t.es}});
    return QJsonDocument(QJsonObject{{QStringLiteral("tipos"), a}}).toJson(QJsonDocument::Compact);
}

bool estadisticaJson(const QSqlDatabase& db, const Regional& regional, const QString& clave,
                     const QDate& desde, const QDate& hasta, const QDateTime& ahora, QByteArray* json) {
    const reports::DateRange range{desde, hasta};
    reports::Statistic s;
    if (clave == QLatin1String("consumido"))
        s = reports::estadisticaClientes(db, regional, range, reports::EstClientes::CreditoConsumido, ahora);
    else if (clave == QLatin1String("aportado"))
        s = reports::estadisticaClientes(db, regional, range, reports::EstClientes::CreditoAportado, ahora);
    else if (clave == QLatin1String("tiempo"))
        s = reports::estadisticaClientes(db, regional, range, reports::EstClientes::Tiempo, ahora);
    else if (clave == QLatin1String("puestos"))
        s = reports::estadisticaPuestos(db, regional, range, ahora);
    else if (clave == QLatin1String("ventas"))
        s = reports::ventasArticulos(db, regional, range, std::nullopt, ahora);
    else if (clave == QLatin1String("bonos"))
        s = reports::ventasBonos(db, regional, range, ahora);
    else
        return false;

    // The listing's own column heads and rows, as the preview prints them.
    QJsonArray columnas;
    if (!s.report.pageHeader.empty())
        for (const QString& c : s.report.pageHeader.back().cells)
            columnas.append(c);
    QJsonArray filas;
    for (const reports::Group& g : s.report.body)
        for (const reports::Row& r : g.rows)
            filas.append(QJsonArray::fromStringList(r.cells));
    QJsonArray titulo;
    for (const reports::Row& r : s.report.title)
        titulo.append(r.cells.join(QLatin1Char(' ')).simplified());
    QJsonArray valores;
    for (double v : s.values)
        valores.append(v);
    *json = QJsonDocument(QJsonObject{{QStringLiteral("tipo"), clave},
                                      {QStringLiteral("desde"), fechaIso(desde)},
                                      {QStringLiteral("hasta"), fechaIso(hasta)},
                                      {QStringLiteral("titulo"), titulo},
                                      {QStringLiteral("columnas"), columnas},
                                      {QStringLiteral("filas"), filas},
                                      {QStringLiteral("etiquetas"), QJsonArray::fromStringList(s.labels)},
                                      {QStringLiteral("valores"), valores},
                                      {QStringLiteral("valor"), s.valueTitle}})
                .toJson(QJsonDocument::Compact);
    return true;
}

} // namespace web
