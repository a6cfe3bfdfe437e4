#include "web/instantanea.h"

#include "core/formatohora.h"
#include "session/gridcells.h"
#include "store/consolas.h"
#include "store/sql.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <cstdio>

namespace web {

using station::Estado;

namespace {

// The table stores the state + 1.
Estado estadoDe(int guardado) {
    return guardado >= 1 && guardado <= 5 ? Estado(guardado - 1) : Estado::Libre;
}

QString claveEstado(Estado e) {
    switch (e) {
    case Estado::Libre:
        return QStringLiteral("libre");
    case Estado::Contador:
        return QStringLiteral("contador");
    case Estado::Prepago:
        return QStringLiteral("prepago");
    case Estado::Desactivado:
        return QStringLiteral("desactivado");
    case Estado::Admin:
        return QStringLiteral("admin");
    }
    return QStringLiteral("libre");
}

QString nombreColor(session::CellColour c) {
    switch (c) {
    case session::CellColour::Black:
        return QStringLiteral("negro");
    case session::CellColour::Red:
        return QStringLiteral("rojo");
    case session::CellColour::Green:
        return QStringLiteral("verde");
    case session::CellColour::Cyan:
        return QStringLiteral("cian");
    case session::CellColour::Yellow:
        return QStringLiteral("amarillo");
    case session::CellColour::Orange:
        return QStringLiteral("naranja");
    case session::CellColour::ButtonFace:
        break;
    }
    return QStringLiteral("gris");
}

bool tieneGuardado(const QSqlDatabase& db) {
    // Until the console has added the column the clocks show as saved.
    const QSqlRecord rec = db.record(QStringLiteral("puestos"));
    for (int i = 0; i < rec.count(); ++i)
        if (rec.fieldName(i).compare(QLatin1String("GUARDADO"), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

qint64 segundosAhora(int estadoGuardado, qint64 segundosGuardados, qint64 guardadoMs, qint64 nowMs) {
    const Estado e = estadoDe(estadoGuardado);
    if (guardadoMs <= 0 || (e != Estado::Contador && e != Estado::Prepago))
        return segundosGuardados;
    // A console clock ahead of ours counts as no time gone by.
    const qint64 pasados = qMax<qint64>(0, nowMs - guardadoMs) / 1000;
    if (e == Estado::Contador)
        return segundosGuardados + pasados;
    return qMax<qint64>(0, segundosGuardados - pasados);
}

std::vector<PuestoWeb> leerPuestos(const QSqlDatabase& db, const Regional& regional, qint64 nowMs) {
    const QString guardado = tieneGuardado(db) ? QStringLiteral("GUARDADO") : QStringLiteral("0");
    // Forward only: thousands of rows read once, none kept behind.
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral(
                    "SELECT npuesto, host, estado, sinconex, trsinconex, tiempo, coste, cuenta, CONSOLA, ") +
                guardado + QStringLiteral(" FROM puestos ORDER BY npuesto")))
        throw store::failedStatement(db, q.lastError());
    std::vector<PuestoWeb> puestos;
    while (q.next()) {
        PuestoWeb p;
        p.numero = store::toInt(q.value(0));
        p.nombre = store::toText(q.value(1));
        const int guardadoEstado = store::toInt(q.value(2));
        const Estado e = estadoDe(guardadoEstado);
        p.estado = claveEstado(e);
        p.sinConexion = store::toText(q.value(3)) == QLatin1String("1") && !store::toBool(q.value(4));
        p.color = nombreColor(session::stationStyle(e, p.sinConexion).background);
        const bool ocupado = e == Estado::Contador || e == Estado::Prepago;
        const QString cuenta = store::toText(q.value(7));
        if (ocupado)
            p.usuario = cuenta.isEmpty() ? QStringLiteral("AN.") : cuenta;
        p.segundos = segundosAhora(guardadoEstado, store::toInt(q.value(5)),
                                   q.value(9).isNull() ? 0 : q.value(9).toLongLong(), nowMs);
        p.tiempo = p.segundos != 0 ? FormatoHora(p.segundos) : QString();
        const Currency coste = store::toCurrency(q.value(6));
        p.importe = coste.isZero() ? QString() : regional.formatCurrency(coste);
        p.consola = store::toText(q.value(8));
        puestos.push_back(std::move(p));
    }
    return puestos;
}

namespace {

// JSON text of a string. Written by hand: at thousands of stations a
// QJsonObject per station costs more than the read itself.
void texto(QByteArray& out, const QString& s) {
    out += '"';
    const QByteArray utf8 = s.toUtf8();
    for (const char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

} // namespace

QByteArray puestosJson(const std::vector<PuestoWeb>& puestos, const QDateTime& ahora) {
    QByteArray out;
    out.reserve(qsizetype(puestos.size()) * 200 + 64);
    out += "{\"ahora\":";
    texto(out, ahora.toString(Qt::ISODate));
    out += ",\"puestos\":[";
    bool first = true;
    for (const PuestoWeb& p : puestos) {
        if (!first)
            out += ',';
        first = false;
        out += "{\"numero\":";
        out += QByteArray::number(p.numero);
        out += ",\"nombre\":";
        texto(out, p.nombre);
        out += ",\"estado\":";
        texto(out, p.estado);
        out += p.sinConexion ? ",\"sinconexion\":true" : ",\"sinconexion\":false";
        out += ",\"color\":";
        texto(out, p.color);
        out += ",\"usuario\":";
        texto(out, p.usuario);
        out += ",\"tiempo\":";
        texto(out, p.tiempo);
        out += ",\"segundos\":";
        out += QByteArray::number(p.segundos);
        out += ",\"importe\":";
        texto(out, p.importe);
        out += ",\"consola\":";
        texto(out, p.consola);
        out += '}';
    }
    out += "]}";
    return out;
}

QByteArray InstantaneaPuestos::json(const QSqlDatabase& db) {
    const qint64 now = m_clock.monotonicMs();
    if (m_hay && now - m_leidoMs < IntervaloMs)
        return m_json;
    // The consoles date their saves by the database server's clock: the
    // time since a save is measured on the same clock.
    const QDateTime ahora = m_clock.now();
    m_json = puestosJson(leerPuestos(db, m_regional, store::serverNowMs(db)), ahora);
    m_deflate.clear();
    m_leidoMs = now;
    m_hay = true;
    ++m_lecturas;
    return m_json;
}

QByteArray InstantaneaPuestos::deflate(const QSqlDatabase& db) {
    const QByteArray plain = json(db);
    // qCompress writes the length first, then the zlib stream itself.
    if (m_deflate.isEmpty())
        m_deflate = qCompress(plain, 1).mid(4);
    return m_deflate;
}

} // namespace web
