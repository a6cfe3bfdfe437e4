#pragma once

#include <QString>

class QAbstractItemModel;
class QTableView;
class QWidget;

namespace ui {

// A read-only list of rows (the queues): whole rows selected one at a time,
// no row numbers, compact rows.
QTableView* makeListView(QAbstractItemModel* model, const QString& objectName, QWidget* parent);

} // namespace ui
