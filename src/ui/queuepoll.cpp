#include "ui/queuepoll.h"

#include "store/sql.h"

#include <QTableView>

namespace ui {

QueuePoll pollQueue(QTableView* view, const QueueRows& rows,
                    const std::function<void(const QString&)>& showError) {
    const QModelIndex current = view->currentIndex();
    const int row = current.row();
    const int id = current.isValid() ? rows.idAt(row) : 0;
    try {
        if (!rows.refreshIfChanged())
            return QueuePoll::Unchanged;
    } catch (const store::DatabaseError& e) {
        if (e.connectionLost())
            return QueuePoll::Unchanged;
        showError(e.text());
        return QueuePoll::Failed;
    }
    const int count = rows.rowCount();
    if (count == 0)
        return QueuePoll::Changed;
    int target = qBound(0, row, count - 1);
    for (int r = 0; id != 0 && r < count; ++r) {
        if (rows.idAt(r) == id) {
            target = r;
            break;
        }
    }
    view->selectRow(target);
    return QueuePoll::Changed;
}

} // namespace ui
