#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QAbstractItemModel;
class QTableView;
class QWidget;
class Regional;

namespace ui {

// A read-only list of rows (the queues): whole rows selected one at a time,
// no row numbers, compact rows.
QTableView* makeListView(QAbstractItemModel* model, const QString& objectName, QWidget* parent);

// Column widths from the saved ones (0 or missing: not saved), never so
// narrow that a title or the sample of its widest value is cut: an amount
// of 999.999,99 € or a ten-letter login shows whole whatever the font.
void fitColumns(QTableView* view, const QList<int>& saved, const QStringList& samples);
// The widest values a column of these kinds shows, for fitColumns.
namespace sample {
QString login();                         // ten characters
QString money(const Regional& regional); // -999.999,99 €
QString date(const Regional& regional);
QString time(const Regional& regional);
QString duration(); // hours of a long period
} // namespace sample

// The widths to save, the first count columns.
QList<int> columnWidths(const QTableView* view, int count);

} // namespace ui
