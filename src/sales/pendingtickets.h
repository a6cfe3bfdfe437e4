#pragma once

#include "core/pagedrows.h"
#include "store/rows.h"

#include <vector>

struct ConsoleContext;

namespace sales {

// The station queue: the tickets of every console not yet collected at the
// counter (CONTA false), by ID_TICK, with the columns NPUESTO, NUM_TICKET,
// FECHA, HORA, MODO, IMPORTE and the console that wrote the ticket. Read a
// page at a time as the view scrolls.
class PendingTicketsModel final : public PagedRows<store::Ticket> {
    Q_OBJECT
public:
    explicit PendingTicketsModel(ConsoleContext& context, QObject* parent = nullptr);

    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    static constexpr int ColConsola = 6;

    // Reads the first page again; the database error, if any, goes to the caller.
    void refresh() { PagedRows::refresh(); }
    // Reads the loaded rows again (a booking here, or another console's):
    // true when they changed. Throws store::DatabaseError.
    bool refreshIfChanged() { return update(); }
    const store::Ticket& ticketAt(int row) const { return at(row); }

protected:
    std::vector<store::Ticket> read(std::optional<int> after, std::optional<int> through,
                                    int limit) const override;
    int idOf(const store::Ticket& t) const override { return t.ID_TICK; }
    bool sameRow(const store::Ticket& a, const store::Ticket& b) const override;

private:
    ConsoleContext& m_context;
};

} // namespace sales
