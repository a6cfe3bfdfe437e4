#include "sales/pendingtickets.h"

#include "core/consolecontext.h"
#include "store/datamodule.h"
#include "store/views.h"
#include "ui/messagetable.h"

namespace sales {

namespace {

const ui::MessageTable& titles() {
    static const ui::MessageTable table{
        {"TituloCol0", QStringLiteral("Puesto"), QStringLiteral("Station")},
        {"TituloCol1", QStringLiteral("Ticket"), QStringLiteral("Ticket")},
        {"TituloCol2", QStringLiteral("Fecha"), QStringLiteral("Date")},
        {"TituloCol3", QStringLiteral("Hora"), QStringLiteral("Time")},
        {"TituloCol4", QStringLiteral("Modo"), QStringLiteral("Mode")},
        {"TituloCol5", QStringLiteral("Importe"), QStringLiteral("Amount")},
        {"TituloCol6", QStringLiteral("Consola"), QStringLiteral("Console")},
    };
    return table;
}

} // namespace

PendingTicketsModel::PendingTicketsModel(ConsoleContext& context, QObject* parent)
    : QAbstractTableModel(parent)
    , m_context(context) {}

int PendingTicketsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int PendingTicketsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 7;
}

QVariant PendingTicketsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const store::Ticket& t = m_rows[size_t(index.row())];
    if (role == Qt::TextAlignmentRole)
        return int((index.column() == 5 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case 0:
        return t.NPUESTO;
    case 1:
        return t.NUM_TICKET;
    case 2:
        return m_context.regional.formatDate(t.FECHA);
    case 3:
        return m_context.regional.formatTime(t.HORA);
    case 4:
        return t.MODO;
    case 5:
        return m_context.regional.formatCurrency(t.IMPORTE);
    case ColConsola:
        return t.CONSOLA;
    }
    return {};
}

QVariant PendingTicketsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > ColConsola)
        return {};
    return titles().text(QStringLiteral("TituloCol%1").arg(section));
}

void PendingTicketsModel::refresh() {
    // The look first: a change between the two shows again at the next look.
    QVariantList digest = store::pendingTicketsDigest(m_context.data->db());
    std::vector<store::Ticket> rows = store::pendingTickets(m_context.data->db(), m_ascending);
    m_digest = std::move(digest);
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

bool PendingTicketsModel::refreshIfChanged() {
    if (store::pendingTicketsDigest(m_context.data->db()) == m_digest)
        return false;
    refresh();
    return true;
}

void PendingTicketsModel::setAscending(bool ascending) {
    m_ascending = ascending;
    refresh();
}

} // namespace sales
