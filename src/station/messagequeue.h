#pragma once

#include "station/messagerow.h"

#include <QAbstractTableModel>
#include <QString>

#include <deque>

namespace station {

// The messages exchanged with the stations this run (never stored).
class MessageQueueModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // The oldest rows go beyond this: a station that answers every poll
    // with a message must not grow the console's memory for ever.
    static constexpr int MaxRows = 5000;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void append(const MessageQueueRow& row);
    void removeRowAt(int row);
    void clear();
    const MessageQueueRow& at(int row) const { return m_rows.at(size_t(row)); }

private:
    std::deque<MessageQueueRow> m_rows;
};

} // namespace station
