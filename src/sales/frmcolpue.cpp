#include "sales/frmcolpue.h"

#include "core/consolecontext.h"
#include "sales/impresion.h"
#include "sales/pendingtickets.h"
#include "sales/tickets.h"
#include "store/datamodule.h"
#include "store/sql.h"
#include "ui/listview.h"
#include "ui/messagebox.h"
#include "ui/messagetable.h"
#include "ui/queuepoll.h"

#include <QAction>
#include <QActionGroup>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

TFrmColPue::TFrmColPue(ConsoleContext& context, sales::PendingTicketsModel& model, QWidget* parent)
    : QWidget(parent)
    , m_context(context)
    , m_model(model) {
    setObjectName(QStringLiteral("TFrmColPue"));
    setWindowTitle(QStringLiteral("Cola de puestos"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* tools = new QHBoxLayout;

    auto* modify = new QToolButton(this);
    modify->setObjectName(QStringLiteral("modificarButton"));
    modify->setText(QStringLiteral("M&odificar"));
    connect(modify, &QToolButton::clicked, this, &TFrmColPue::modifySelected);
    auto* print = new QToolButton(this);
    print->setObjectName(QStringLiteral("printButton"));
    print->setText(QStringLiteral("&Print"));
    connect(print, &QToolButton::clicked, this, &TFrmColPue::printSelected);

    auto* listo = new QToolButton(this);
    listo->setObjectName(QStringLiteral("listoButton"));
    listo->setText(QStringLiteral("Li&sto"));
    listo->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(listo);
    QAction* one = menu->addAction(QStringLiteral("&1.- Guardar seleccionado"));
    one->setObjectName(QStringLiteral("guardarSeleccionado"));
    one->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    one->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(one);
    QAction* all = menu->addAction(QStringLiteral("&2.- Guardar todos"));
    all->setObjectName(QStringLiteral("guardarTodos"));
    menu->addSeparator();
    auto* order = new QActionGroup(this);
    m_ascendingAction = menu->addAction(QStringLiteral("&3.- Ordenar ascendente"));
    m_ascendingAction->setObjectName(QStringLiteral("ordenarAscendente"));
    m_descendingAction = menu->addAction(QStringLiteral("&4.- Ordenar descendente"));
    m_descendingAction->setObjectName(QStringLiteral("ordenarDescendente"));
    for (QAction* a : {m_ascendingAction, m_descendingAction}) {
        a->setCheckable(true);
        order->addAction(a);
    }
    m_ascendingAction->setChecked(m_model.ascending());
    m_descendingAction->setChecked(!m_model.ascending());
    listo->setMenu(menu);
    tools->addWidget(modify);
    tools->addWidget(print);
    tools->addWidget(listo);
    tools->addStretch();
    layout->addLayout(tools);

    m_view = ui::makeListView(&m_model, QStringLiteral("ticketQueue"), this);
    setColumnWidths({});
    layout->addWidget(m_view, 1);
    connect(m_view, &QTableView::doubleClicked, this, &TFrmColPue::modifySelected);

    connect(one, &QAction::triggered, this, &TFrmColPue::settleSelected);
    connect(all, &QAction::triggered, this, &TFrmColPue::settleAll);
    connect(m_ascendingAction, &QAction::triggered, this, [this] { setAscending(true); });
    connect(m_descendingAction, &QAction::triggered, this, [this] { setAscending(false); });

    m_poll.setInterval(PollMs);
    connect(&m_poll, &QTimer::timeout, this, &TFrmColPue::pollChanges);
    showConsoleColumn();
}

void TFrmColPue::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // What came while hidden shows at once.
    QMetaObject::invokeMethod(this, &TFrmColPue::pollChanges, Qt::QueuedConnection);
    m_poll.start();
}

void TFrmColPue::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_poll.stop();
}

void TFrmColPue::showConsoleColumn() {
    m_view->setColumnHidden(sales::PendingTicketsModel::ColConsola,
                            !m_context.data || !m_context.data->isServer());
}

void TFrmColPue::pollChanges() {
    const ui::QueuePoll looked =
        ui::pollQueue(m_view,
                      {[this] { return m_model.refreshIfChanged(); }, [this] { return m_model.rowCount(); },
                       [this](int row) { return m_model.ticketAt(row).ID_TICK; }},
                      [this](const QString& error) { showError(error); });
    // Another failure is told once, and the looking stops until the window shows again.
    if (looked == ui::QueuePoll::Failed)
        m_poll.stop();
    else if (looked == ui::QueuePoll::Changed)
        showConsoleColumn();
}

void TFrmColPue::showError(const QString& text) {
    ui::showError(this, text);
}

void TFrmColPue::refresh() {
    const int row = m_view->currentIndex().row();
    try {
        m_model.refreshIfChanged();
    } catch (const store::DatabaseError& e) {
        showError(e.text());
        return;
    }
    showConsoleColumn();
    if (m_model.rowCount() > 0)
        m_view->selectRow(qBound(0, row, m_model.rowCount() - 1));
}

void TFrmColPue::settleSelected() {
    const QModelIndex current = m_view->currentIndex();
    if (!current.isValid())
        return;
    try {
        sales::settleTicket(m_context.data->db(), m_model.ticketAt(current.row()).ID_TICK);
    } catch (const store::DatabaseError& e) {
        showError(e.text());
    }
    refresh();
}

void TFrmColPue::settleAll() {
    try {
        sales::settleAllPending(m_context.data->db());
    } catch (const store::DatabaseError& e) {
        showError(e.text());
    }
    refresh();
}

bool TFrmColPue::ascending() const {
    return m_model.ascending();
}

void TFrmColPue::setAscending(bool ascending) {
    m_ascendingAction->setChecked(ascending);
    m_descendingAction->setChecked(!ascending);
    try {
        m_model.setAscending(ascending);
    } catch (const store::DatabaseError& e) {
        showError(e.text());
    }
}

void TFrmColPue::printSelected() {
    const QModelIndex current = m_view->currentIndex();
    if (!current.isValid())
        return;
    const int id = m_model.ticketAt(current.row()).ID_TICK;
    sales::imprimir(this, m_context,
                    [id](const sales::LayoutContext& c) { return sales::ComprobanteCiber(c, id); });
}

void TFrmColPue::modifySelected() {
    const QModelIndex current = m_view->currentIndex();
    if (!current.isValid())
        return;
    const int row = current.row();
    emit modifyRequested(m_model.ticketAt(row).ID_TICK);
    refresh();
    if (m_model.rowCount() > 0)
        m_view->selectRow(qBound(0, row, m_model.rowCount() - 1));
}

void TFrmColPue::setColumnWidths(const QList<int>& saved) {
    const Regional& r = m_context.regional;
    ui::fitColumns(m_view, saved,
                   {QStringLiteral("999"), QStringLiteral("999999"), ui::sample::date(r), ui::sample::time(r),
                    QStringLiteral("CONTADOR"), ui::sample::money(r), ui::sample::login()});
}
