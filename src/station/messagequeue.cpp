#include "station/messagequeue.h"

namespace station {

int MessageQueueModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int MessageQueueModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant MessageQueueModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const MessageQueueRow& r = m_rows[size_t(index.row())];
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        switch (index.column()) {
        case 0:
            return r.station;
        case 1:
            return r.time;
        case 2:
            return r.text;
        }
    }
    return {};
}

QVariant MessageQueueModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case 0:
        return QStringLiteral("Puesto");
    case 1:
        return QStringLiteral("Hora");
    case 2:
        return QStringLiteral("Mensaje");
    }
    return {};
}

void MessageQueueModel::append(const MessageQueueRow& row) {
    if (int(m_rows.size()) >= MaxRows) {
        beginRemoveRows({}, 0, 0);
        m_rows.pop_front();
        endRemoveRows();
    }
    const int n = int(m_rows.size());
    beginInsertRows({}, n, n);
    m_rows.push_back(row);
    endInsertRows();
}

void MessageQueueModel::removeRowAt(int row) {
    if (row < 0 || row >= int(m_rows.size()))
        return;
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

void MessageQueueModel::clear() {
    if (m_rows.empty())
        return;
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

} // namespace station
