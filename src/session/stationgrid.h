#pragma once

#include "session/gridcells.h"

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTableView>

#include <array>

struct ConsoleContext;

// The console grid: one row per registry entry, in registry order.
class StationGridModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    StationGridModel(ListaPuestos& lista, ConsoleContext& context, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Repaints the time and amount of a row only when the shown time changed.
    void refreshTimeAndAmount(int pos);
    // The header image of a sortable section: -1 none, 0 ascending, 1 descending.
    int sortImage(int section) const;
    // The widest text each column may show, for its width.
    QString widestText(int column) const;
    // A click on a header section: sections 0, 2 and 3 sort.
    void headerClicked(int section);

    static QColor colour(session::CellColour colour);

private:
    void rowChanged(int pos);
    void rowsReordered();

    ListaPuestos& m_lista;
    ConsoleContext& m_context;
    std::array<int, session::GridColumnCount> m_sortImage{-1, -1, -1, -1, -1};
    bool m_sorting = false;
};

// Draws the cells with their colours and frames the selected row in 3D
// while the grid has the focus.
class StationGridDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

// The grid widget: row selection follows the registry's selected row; typed
// digits and Enter select a station by number; a right click opens the
// station pop-up menu.
class StationGridView final : public QTableView {
    Q_OBJECT
public:
    StationGridView(ListaPuestos& lista, StationGridModel& model, QWidget* parent = nullptr);

    void setPopupMenu(QMenu* menu) { m_popup = menu; }
    // Column widths 40, 60, 60, 80 and the rest for the ticket, measured in
    // cells of the raster font the grid was laid out for, and never narrower
    // than a header with its sort image or the widest text of the column.
    void applyColumnWidths();
    // A monospace font whose cell is at least the 8 x 12 pixels of that
    // raster font, scaled to the screen's dots per inch.
    static QFont gridFont(qreal dpi);

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void followSelectedRow(int row);
    void applyFont();
    int headerWidth(int section) const;

    ListaPuestos& m_lista;
    StationGridModel& m_model;
    QMenu* m_popup = nullptr;
};
