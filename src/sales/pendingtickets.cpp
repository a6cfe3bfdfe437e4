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
    : PagedRows(parent)
    , m_context(context) {}

int PendingTicketsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 7;
}

QVariant PendingTicketsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const store::Ticket& t = at(index.row());
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

std::vector<store::Ticket> PendingTicketsModel::read(std::optional<int> after, std::optional<int> through,
                                                     int limit) const {
    return store::pendingTickets(m_context.data->db(), {ascending(), after, through, limit});
}

bool PendingTicketsModel::sameRow(const store::Ticket& a, const store::Ticket& b) const {
    return a.NPUESTO == b.NPUESTO && a.NUM_TICKET == b.NUM_TICKET && a.FECHA == b.FECHA && a.HORA == b.HORA &&
           a.MODO == b.MODO && a.IMPORTE == b.IMPORTE && a.CONSOLA == b.CONSOLA;
}

} // namespace sales
