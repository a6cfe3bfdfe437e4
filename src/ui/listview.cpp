#include "ui/listview.h"

#include "core/currency.h"
#include "core/regional.h"

#include <QDate>
#include <QHeaderView>
#include <QStyle>
#include <QTableView>
#include <QTime>

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

void fitColumns(QTableView* view, const QList<int>& saved, const QStringList& samples) {
    const QHeaderView* header = view->horizontalHeader();
    // A cell's text is drawn inside the style's focus frame margins.
    const int margin = 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1) + 4;
    const int columns = view->model() ? view->model()->columnCount() : 0;
    for (int c = 0; c < columns; ++c) {
        int width = qMax(header->sectionSizeHint(c), 1);
        if (c < samples.size() && !samples[c].isEmpty())
            width = qMax(width, view->fontMetrics().horizontalAdvance(samples[c]) + margin);
        if (c < saved.size() && saved[c] > width)
            width = saved[c];
        view->setColumnWidth(c, width);
    }
}

namespace sample {

QString login() {
    return QString(10, QLatin1Char('W'));
}

QString money(const Regional& regional) {
    return regional.formatCurrency(-Currency::MaxAmount);
}

QString date(const Regional& regional) {
    return regional.formatDate(QDate(2000, 12, 28));
}

QString time(const Regional& regional) {
    return regional.formatTime(QTime(23, 58, 58));
}

QString duration() {
    return QStringLiteral("888:58:58");
}

} // namespace sample

QList<int> columnWidths(const QTableView* view, int count) {
    QList<int> widths;
    for (int c = 0; c < count; ++c)
        widths << view->columnWidth(c);
    return widths;
}

} // namespace ui
