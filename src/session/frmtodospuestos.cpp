#include "session/frmtodospuestos.h"

#include "core/consolecontext.h"
#include "session/stationgrid.h"
#include "session/todospuestos.h"
#include "store/sql.h"
#include "ui/listview.h"
#include "ui/messagebox.h"

#include <QColor>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// Sorts by the model's sort values and paints the station number in the
// grid's colours.
class SortedStations final : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        using Model = session::TodosPuestosModel;
        if (role == Qt::BackgroundRole) {
            const QVariant c = QSortFilterProxyModel::data(index, Model::BackgroundRole);
            return c.isValid() ? QVariant(StationGridModel::colour(session::CellColour(c.toInt())))
                               : QVariant();
        }
        if (role == Qt::ForegroundRole) {
            if (index.column() != Model::ColPuesto)
                return {};
            return QSortFilterProxyModel::data(index, Model::WhiteTextRole).toBool() ? QColor(Qt::white)
                                                                                     : QColor(Qt::black);
        }
        return QSortFilterProxyModel::data(index, role);
    }
};

} // namespace

TFrmTodosPuestos::TFrmTodosPuestos(ConsoleContext& context, const ListaPuestos* lista, QWidget* parent)
    : QDialog(parent)
    , m_context(context) {
    setObjectName(QStringLiteral("TFrmTodosPuestos"));
    setWindowTitle(QStringLiteral("[ Todos los puestos ]"));
    m_model = new session::TodosPuestosModel(context, lista, this);
    m_sorted = new SortedStations(this);
    m_sorted->setSourceModel(m_model);
    m_sorted->setSortRole(session::TodosPuestosModel::SortRole);
    // Stations stay in number order within a console.
    m_sorted->setDynamicSortFilter(true);

    m_order = new QComboBox(this);
    m_order->setObjectName(QStringLiteral("ordenarPor"));
    for (int c = 0; c < session::TodosPuestosModel::ColumnCount; ++c)
        m_order->addItem(m_model->headerData(c, Qt::Horizontal).toString());
    auto* orderLabel = new QLabel(QStringLiteral("&Ordenar por"), this);
    orderLabel->setBuddy(m_order);
    connect(m_order, &QComboBox::activated, this, &TFrmTodosPuestos::sortBy);

    m_view = ui::makeListView(m_sorted, QStringLiteral("todosPuestos"), this);
    m_view->setSortingEnabled(true);
    m_view->sortByColumn(session::TodosPuestosModel::ColPuesto, Qt::AscendingOrder);
    m_view->horizontalHeader()->setStretchLastSection(true);
    connect(m_view->horizontalHeader(), &QHeaderView::sortIndicatorChanged, m_order,
            [this](int section) { m_order->setCurrentIndex(section); });
    const Regional& r = context.regional;
    ui::fitColumns(m_view, {},
                   {QStringLiteral("9999"), ui::sample::login(), QStringLiteral("Sin conexión"),
                    ui::sample::login(), ui::sample::duration(), ui::sample::money(r)});

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(QStringLiteral("&Cerrar"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("cerrar"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(orderLabel);
    top->addWidget(m_order);
    top->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_view, 1);
    layout->addWidget(buttons);
    resize(560, 480);

    m_poll.setInterval(PollMs);
    connect(&m_poll, &QTimer::timeout, this, &TFrmTodosPuestos::refresh);
}

TFrmTodosPuestos::~TFrmTodosPuestos() = default;

void TFrmTodosPuestos::refresh() {
    try {
        m_model->refresh();
    } catch (const store::DatabaseError& e) {
        // A server gone away is told by the connection's keeper, and the
        // reading goes on until it is back; anything else once.
        if (!e.connectionLost()) {
            m_poll.stop();
            ui::showError(this, e.text());
        }
        return;
    }
    if (!m_view->currentIndex().isValid() && m_sorted->rowCount() > 0)
        m_view->selectRow(0);
}

void TFrmTodosPuestos::sortBy(int column) {
    m_order->setCurrentIndex(column);
    m_view->sortByColumn(column, Qt::AscendingOrder);
}

void TFrmTodosPuestos::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Read once the window is up: a refusal's box must not open inside the showing.
    QMetaObject::invokeMethod(this, &TFrmTodosPuestos::refresh, Qt::QueuedConnection);
    m_poll.start();
    m_view->setFocus();
    emit shownChanged(true);
}

void TFrmTodosPuestos::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    m_poll.stop();
    emit shownChanged(false);
}
