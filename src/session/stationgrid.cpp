#include "session/stationgrid.h"

#include "core/consolecontext.h"
#include "core/formatohora.h"
#include "station/listapuestos.h"
#include "ui/listview.h"
#include "ui/messagetable.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionHeader>

#include <algorithm>

namespace {

const ui::MessageTable& gridMessages() {
    static const ui::MessageTable table{
        {"Header0", QStringLiteral("Puesto"), QStringLiteral("Station")},
        {"Header1", QStringLiteral("Usuario"), QStringLiteral("User")},
        {"Header2", QStringLiteral("Tiempo"), QStringLiteral("Time")},
        {"Header3", QStringLiteral("Importe"), QStringLiteral("Amount")},
        {"Header4", QStringLiteral("Ticket"), QStringLiteral("Ticket")},
    };
    return table;
}

bool sortable(int section) {
    return section == session::ColPuesto || section == session::ColTiempo || section == session::ColImporte;
}

// The grid was laid out for a raster font of 8 x 12 pixel cells at 96 dots
// per inch; column widths are counted in those cells.
constexpr int RasterCellWidth = 8;
constexpr int RasterCellHeight = 12;
constexpr int BaseWidths[] = {40, 60, 60, 80};
// The ticket column takes what is left of the grid's width, minus this.
constexpr int TicketGap = 32;

} // namespace

QString StationGridModel::widestText(int column) const {
    switch (column) {
    case session::ColUsuario:
        // Two blanks and a ten-character login.
        return QStringLiteral("  ") + ui::sample::login();
    case session::ColTiempo:
        return FormatoHora(99 * 3600 + 59 * 60 + 59);
    case session::ColImporte:
        return ui::sample::money(m_context.regional);
    default:
        return QString();
    }
}

StationGridModel::StationGridModel(ListaPuestos& lista, ConsoleContext& context, QObject* parent)
    : QAbstractTableModel(parent)
    , m_lista(lista)
    , m_context(context) {
    connect(&m_lista, &ListaPuestos::rowChanged, this, &StationGridModel::rowChanged);
    connect(&m_lista, &ListaPuestos::rowsReset, this, [this] {
        beginResetModel();
        endResetModel();
        rowsReordered();
    });
}

void StationGridModel::rowsReordered() {
    // The registry sorts itself by number (load, addition, removal, periodic
    // save): an arrow left from an earlier click would lie about the order.
    if (m_sorting)
        return;
    bool shown = false;
    for (int& image : m_sortImage) {
        shown = shown || image >= 0;
        image = -1;
    }
    if (shown)
        emit headerDataChanged(Qt::Horizontal, 0, session::GridColumnCount - 1);
}

int StationGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_lista.stationsLoaded() ? 0 : m_lista.count();
}

int StationGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : session::GridColumnCount;
}

QColor StationGridModel::colour(session::CellColour c) {
    switch (c) {
    case session::CellColour::Black:
        return QColor(0, 0, 0);
    case session::CellColour::Red:
        return QColor(255, 0, 0);
    case session::CellColour::Green:
        return QColor(0, 255, 0);
    case session::CellColour::Cyan:
        return QColor(0, 255, 255);
    case session::CellColour::Yellow:
        return QColor(255, 255, 0);
    case session::CellColour::Orange:
        return QColor(255, 141, 28);
    case session::CellColour::ButtonFace:
        break;
    }
    return QApplication::palette().color(QPalette::Button);
}

QVariant StationGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_lista.count())
        return {};
    const TPuestos& p = m_lista.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return session::gridCellText(p, index.column(), m_context.regional);
    case Qt::BackgroundRole:
        return colour(session::gridCellStyle(p, index.column(), m_context.settings).background);
    case Qt::ForegroundRole:
        return session::gridCellStyle(p, index.column(), m_context.settings).whiteText ? QColor(Qt::white)
                                                                                       : QColor(Qt::black);
    case Qt::TextAlignmentRole:
        return int(index.column() == session::ColImporte ? Qt::AlignRight | Qt::AlignVCenter
                                                         : Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

QVariant StationGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= session::GridColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return gridMessages().text(QStringLiteral("Header%1").arg(section));
    if (role == Qt::DecorationRole && m_sortImage[size_t(section)] >= 0)
        return QApplication::style()->standardIcon(m_sortImage[size_t(section)] == 0 ? QStyle::SP_ArrowUp
                                                                                     : QStyle::SP_ArrowDown);
    return {};
}

void StationGridModel::rowChanged(int pos) {
    if (pos < 0 || pos >= rowCount())
        return;
    emit dataChanged(index(pos, 0), index(pos, session::GridColumnCount - 1));
}

void StationGridModel::refreshTimeAndAmount(int pos) {
    if (pos < 0 || pos >= m_lista.count())
        return;
    station::StationRecord& r = m_lista.at(pos).rec();
    if (FormatoHora(r.clockMs / 1000) == FormatoHora(r.lastShownClockMs / 1000))
        return;
    r.lastShownClockMs = r.clockMs;
    if (pos < rowCount())
        emit dataChanged(index(pos, session::ColTiempo), index(pos, session::ColImporte));
}

int StationGridModel::sortImage(int section) const {
    return section >= 0 && section < session::GridColumnCount ? m_sortImage[size_t(section)] : -1;
}

void StationGridModel::headerClicked(int section) {
    if (!sortable(section))
        return;
    // Image 0 sorts descending and turns to 1; image 1 or none sorts ascending and turns to 0.
    const bool ascending = m_sortImage[size_t(section)] != 0;
    for (int s = 0; s < session::GridColumnCount; ++s)
        m_sortImage[size_t(s)] = -1;
    m_sortImage[size_t(section)] = ascending ? 0 : 1;
    emit headerDataChanged(Qt::Horizontal, 0, session::GridColumnCount - 1);
    m_sorting = true;
    m_lista.OrdenarPuestos(section, ascending);
    m_sorting = false;
}

void StationGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    painter->save();
    const QRect r = option.rect;
    painter->fillRect(r, index.data(Qt::BackgroundRole).value<QColor>());
    painter->setPen(index.data(Qt::ForegroundRole).value<QColor>());
    painter->setFont(option.font);
    const int alignment = index.data(Qt::TextAlignmentRole).toInt();
    // Two pixels each side: a 5-character login fits the narrow user column.
    painter->drawText(r.adjusted(2, 0, -2, 0), alignment, index.data(Qt::DisplayRole).toString());

    // The selected row: a raised frame, highlight top and left, shadow bottom and right.
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    if (view && view->hasFocus() && view->currentIndex().row() == index.row()) {
        const QPalette& pal = option.palette;
        const int last = index.model()->columnCount() - 1;
        painter->setPen(pal.color(QPalette::Light));
        painter->drawLine(r.topLeft(), r.topRight());
        if (index.column() == 0)
            painter->drawLine(r.topLeft(), r.bottomLeft());
        painter->setPen(pal.color(QPalette::Shadow));
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        if (index.column() == last)
            painter->drawLine(r.topRight(), r.bottomRight());
    }
    painter->restore();
}

StationGridView::StationGridView(ListaPuestos& lista, StationGridModel& model, QWidget* parent)
    : QTableView(parent)
    , m_lista(lista)
    , m_model(model) {
    setObjectName(QStringLiteral("stationGrid"));
    setModel(&m_model);
    setItemDelegate(new StationGridDelegate(this));
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, &m_model, &StationGridModel::headerClicked);
    connect(&m_lista, &ListaPuestos::selectedRowChanged, this, &StationGridView::followSelectedRow);
    connect(&m_model, &QAbstractItemModel::modelReset, this,
            [this] { followSelectedRow(m_lista.selectedRow()); });
    applyFont();
}

QFont StationGridView::gridFont(qreal dpi) {
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    const qreal scale = qMax<qreal>(1.0, dpi / 96.0);
    for (int px = RasterCellHeight * 3 / 4; px <= 200; ++px) {
        font.setPixelSize(px);
        const QFontMetricsF m(font);
        if (m.horizontalAdvance(QLatin1Char('0')) >= RasterCellWidth * scale &&
            m.height() >= RasterCellHeight * scale)
            break;
    }
    return font;
}

void StationGridView::applyFont() {
    // The headers keep the window's font; only the cells are monospace.
    horizontalHeader()->setFont(QApplication::font(horizontalHeader()));
    setFont(gridFont(logicalDpiY()));
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 4);
    applyColumnWidths();
}

int StationGridView::headerWidth(int section) const {
    // What the header needs for its title, with room for the sort image on
    // the sortable sections so that sorting never clips the title.
    const QHeaderView* header = horizontalHeader();
    QStyleOptionHeader opt;
    opt.initFrom(header);
    opt.section = section;
    opt.text = m_model.headerData(section, Qt::Horizontal).toString();
    opt.orientation = Qt::Horizontal;
    // Bold, as the header measures itself, so a highlighted title fits too.
    QFont font = header->font();
    font.setBold(true);
    opt.fontMetrics = QFontMetrics(font);
    if (sortable(section))
        opt.icon = style()->standardIcon(QStyle::SP_ArrowDown, nullptr, header);
    const QSize size = style()->sizeFromContents(QStyle::CT_HeaderSection, &opt, QSize(), header);
    return size.width() + 2;
}

void StationGridView::applyColumnWidths() {
    const qreal cell = QFontMetricsF(font()).horizontalAdvance(QLatin1Char('0'));
    const qreal scale = cell / RasterCellWidth;
    int used = 0;
    const QFontMetrics metrics(font());
    for (int c = session::ColPuesto; c < session::ColTicket; ++c) {
        // The cell's text is drawn two pixels in from either side.
        const int content = metrics.horizontalAdvance(m_model.widestText(c)) + 4;
        const int w = std::max({qRound(BaseWidths[c] * scale), headerWidth(c), content});
        setColumnWidth(c, w);
        used += w;
    }
    const int ticketMinimum = qMax(qRound(40 * scale), headerWidth(session::ColTicket));
    setColumnWidth(session::ColTicket, qMax(ticketMinimum, width() - used - TicketGap));
    // No horizontal scroll bar: the panel never gets narrower than the columns.
    setMinimumWidth(used + ticketMinimum + TicketGap);
}

void StationGridView::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    // Another screen may have another density.
    if (event->type() == QEvent::ScreenChangeInternal)
        applyFont();
}

void StationGridView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    applyColumnWidths();
}

void StationGridView::followSelectedRow(int row) {
    const int pos = qMax(1, row) - 1;
    if (pos >= m_model.rowCount())
        return;
    if (currentIndex().row() != pos)
        setCurrentIndex(m_model.index(pos, 0));
    viewport()->update();
}

void StationGridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (current.isValid() && current.row() + 1 != m_lista.selectedRow())
        m_lista.setSelectedRow(current.row() + 1);
    viewport()->update();
}

void StationGridView::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    if (text.size() == 1 && text.at(0).isDigit()) {
        m_lista.typeDigit(text.at(0));
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        m_lista.typeEnter();
        return;
    }
    QTableView::keyPressEvent(event);
}

void StationGridView::contextMenuEvent(QContextMenuEvent* event) {
    const QModelIndex at = indexAt(event->pos());
    if (!at.isValid() || !m_popup)
        return;
    setCurrentIndex(m_model.index(at.row(), 0));
    m_popup->popup(event->globalPos());
}
