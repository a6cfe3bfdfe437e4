#pragma once

#include <QString>

#include <functional>

class QTableView;

namespace ui {

// The rows of a queue window that other consoles' bookings change.
struct QueueRows {
    // Reads the rows again when they changed; true when they did. Throws
    // store::DatabaseError.
    std::function<bool()> refreshIfChanged;
    std::function<int()> rowCount;
    // The row's own id (a ticket's, a movement's).
    std::function<int(int row)> idAt;
};

enum class QueuePoll { Unchanged, Changed, Failed };

// One look of a queue window while it shows: when the rows changed, the
// selection stays on the same row by its id, else at the same place. A
// server gone away is told by the connection's keeper; any other failure is
// shown once through showError and answers Failed (the looking stops).
QueuePoll pollQueue(QTableView* view, const QueueRows& rows,
                    const std::function<void(const QString&)>& showError);

} // namespace ui
