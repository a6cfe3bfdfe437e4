#include "ui/listview.h"

#include <QHeaderView>
#include <QTableView>

namespace ui {

QTableView* makeListView(QAbstractItemModel* model, const QString& objectName, QWidget* parent) {
    auto* view = new QTableView(parent);
    view->setObjectName(objectName);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    return view;
}

} // namespace ui
