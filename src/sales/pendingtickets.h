#pragma once

#include "store/rows.h"

#include <QAbstractTableModel>

#include <vector>

struct ConsoleContext;

namespace sales {

// The station queue: the tickets of every console not yet collected at the
// counter (CONTA false), by ID_TICK, with the columns NPUESTO, NUM_TICKET,
// FECHA, HORA, MODO, IMPORTE and the console that wrote the ticket.
class PendingTicketsModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit PendingTicketsModel(ConsoleContext& context, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    static constexpr int ColConsola = 6;

    // Reads the queue again; the database error, if any, goes to the caller.
    void refresh();
    // Reads it again only when the pending tickets changed since the last
    // reading (another console booked or settled one); true when it did.
    bool refreshIfChanged();
    bool ascending() const { return m_ascending; }
    void setAscending(bool ascending);
    const store::Ticket& ticketAt(int row) const { return m_rows.at(size_t(row)); }

private:
    ConsoleContext& m_context;
    bool m_ascending = true;
    std::vector<store::Ticket> m_rows;
    QVariantList m_digest;
};

} // namespace sales
