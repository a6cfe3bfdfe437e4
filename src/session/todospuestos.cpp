#include "session/todospuestos.h"

#include "core/consolecontext.h"
#include "core/formatohora.h"
#include "station/listapuestos.h"
#include "store/datamodule.h"
#include "store/sql.h"

#include <QSqlQuery>

#include <algorithm>

namespace session {

using station::Estado;

namespace {

Estado estadoDeFila(int stored) {
    return (stored >= 1 && stored <= 5) ? Estado(stored - 1) : Estado::Libre;
}

VistaPuesto vistaDe(const TPuestos& p, const QString& consola) {
    const station::StationRecord& r = p.rec();
    VistaPuesto v;
    v.numero = p.number;
    v.consola = consola;
    v.estado = r.estado;
    v.sinConexion = r.disconnected && !p.treatAsConnected;
    v.cuenta = r.accountLogin;
    v.anonimo = r.accountLogin.isEmpty();
    v.segundos = r.clockMs / 1000;
    v.importe = v.anonimo ? r.cost : r.moneyCredit - r.cost;
    return v;
}

bool sinUsuario(Estado e) {
    return e == Estado::Libre || e == Estado::Desactivado || e == Estado::Admin;
}

} // namespace

std::vector<VistaPuesto> leerTodosPuestos(const QSqlDatabase& db) {
    QSqlQuery q =
        store::run(db, QStringLiteral("SELECT npuesto, CONSOLA, estado, sinconex, trsinconex, cuenta, "
                                      "tiempo, coste, pagado FROM puestos ORDER BY npuesto"));
    std::vector<VistaPuesto> rows;
    while (q.next()) {
        VistaPuesto v;
        v.numero = store::toInt(q.value(0));
        v.consola = store::toText(q.value(1));
        v.estado = estadoDeFila(store::toInt(q.value(2)));
        v.sinConexion = store::toText(q.value(3)) == QLatin1String("1") && !store::toBool(q.value(4));
        v.cuenta = store::toText(q.value(5));
        v.anonimo = v.cuenta.isEmpty();
        v.segundos = store::toInt(q.value(6));
        const Currency coste = store::toCurrency(q.value(7));
        v.importe = v.anonimo ? coste : store::toCurrency(q.value(8)) - coste;
        rows.push_back(std::move(v));
    }
    return rows;
}

TodosPuestosModel::TodosPuestosModel(ConsoleContext& context, const ListaPuestos* lista, QObject* parent)
    : QAbstractTableModel(parent)
    , m_context(context)
    , m_lista(lista) {}

int TodosPuestosModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TodosPuestosModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TodosPuestosModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const VistaPuesto& v = m_rows[size_t(index.row())];
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        switch (column) {
        case ColPuesto:
            return QString::number(v.numero);
        case ColConsola:
            return v.consola;
        case ColEstado:
            return estadoTexto(v.estado, v.sinConexion);
        case ColUsuario:
            return sinUsuario(v.estado) ? QString() : (v.anonimo ? QStringLiteral("AN.") : v.cuenta);
        case ColTiempo:
            return v.segundos != 0 ? FormatoHora(v.segundos) : QString();
        case ColImporte:
            return v.importe.isZero() ? QString() : m_context.regional.formatCurrency(v.importe);
        }
        return {};
    case SortRole:
        switch (column) {
        case ColPuesto:
            return v.numero;
        case ColEstado:
            // Grouped as the colours are: out of reach apart from the rest.
            return v.sinConexion && v.estado != Estado::Desactivado ? 100 : int(v.estado);
        case ColTiempo:
            return v.segundos;
        case ColImporte:
            return qlonglong(v.importe.raw());
        }
        return data(index, Qt::DisplayRole);
    case Qt::TextAlignmentRole:
        return int((column == ColImporte || column == ColTiempo ? Qt::AlignRight : Qt::AlignLeft) |
                   Qt::AlignVCenter);
    case BackgroundRole:
        return column == ColPuesto ? QVariant(int(stationStyle(v.estado, v.sinConexion).background))
                                   : QVariant();
    case WhiteTextRole:
        return column == ColPuesto && stationStyle(v.estado, v.sinConexion).whiteText;
    }
    return {};
}

QVariant TodosPuestosModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const titles[] = {"Puesto", "Consola", "Estado", "Usuario", "Tiempo", "Importe"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(titles[section]) : QVariant();
}

void TodosPuestosModel::overlayOwn(std::vector<VistaPuesto>& rows) const {
    if (!m_lista || m_lista->consoleName().isEmpty())
        return;
    const QString& own = m_lista->consoleName();
    for (int pos = 0; pos < m_lista->count(); ++pos) {
        const TPuestos& p = m_lista->at(pos);
        const auto it = std::lower_bound(rows.begin(), rows.end(), p.number,
                                         [](const VistaPuesto& v, int n) { return v.numero < n; });
        // Only where the table still says the station is ours.
        if (it != rows.end() && it->numero == p.number && it->consola == own)
            *it = vistaDe(p, own);
    }
}

void TodosPuestosModel::refresh() {
    std::vector<VistaPuesto> rows = leerTodosPuestos(m_context.data->db());
    overlayOwn(rows);
    const bool sameStations =
        rows.size() == m_rows.size() &&
        std::equal(rows.begin(), rows.end(), m_rows.begin(),
                   [](const VistaPuesto& a, const VistaPuesto& b) { return a.numero == b.numero; });
    if (!sameStations) {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
        return;
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i] == m_rows[i])
            continue;
        m_rows[i] = std::move(rows[i]);
        emit dataChanged(index(int(i), 0), index(int(i), ColumnCount - 1));
    }
}

} // namespace session
