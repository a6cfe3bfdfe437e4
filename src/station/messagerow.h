#pragma once

#include <QString>

namespace station {

// One row of the message queue window: station number, time of day in the
// system's time format, and the text with its origin prefix.
struct MessageQueueRow {
    int station = 0;
    QString time;
    QString text;
    bool operator==(const MessageQueueRow&) const = default;
};

} // namespace station
