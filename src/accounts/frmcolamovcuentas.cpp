#include "accounts/frmcolamovcuentas.h"

#include "core/consolecontext.h"
#include "core/formatohora.h"
#include "sales/impresion.h"
#include "store/datamodule.h"
#include "store/sql.h"
#include "store/views.h"
#include "ui/listview.h"
#include "ui/messagebox.h"
#include "ui/messagetable.h"
#include "ui/queuepoll.h"

#include <QAction>
#include <QActionGroup>
#include <QHBoxLayout>
#include <QMenu>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace accounts {

MovimientosPendientesModel::MovimientosPendientesModel(ConsoleContext& context, QObject* parent)
    : PagedRows(parent)
    , m_context(context) {}

int MovimientosPendientesModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 7;
}

QVariant MovimientosPendientesModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::TextAlignmentRole && index.isValid())
        return int((index.column() >= 4 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    const store::MovCuenta& m = at(index.row());
    switch (index.column()) {
    case 0:
        return m.CUENTA;
    case 1:
        return m_context.regional.formatDate(m.FECHA);
    case 2:
        return m_context.regional.formatTime(m.HORA);
    case 3:
        return m.CONCEPTO;
    case 4:
        // A time movement has no money balance: its stored zero is not one.
        return m.saldoti_fin_bono ? QString() : m_context.regional.formatCurrency(m.SALDO_FIN);
    case 5:
        return m.saldoti_fin_bono ? FormatoHora(*m.saldoti_fin_bono) : QString();
    case ColConsola:
        return m.CONSOLA;
    default:
        return {};
    }
}

QVariant MovimientosPendientesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    static const char* const titles[] = {"Cuenta", "Fecha", "Hora", "Concepto", "Saldo", "Tiempo", "Consola"};
    return section >= 0 && section <= ColConsola ? QString::fromUtf8(titles[section]) : QVariant();
}

std::vector<store::MovCuenta> MovimientosPendientesModel::read(std::optional<int> after,
                                                               std::optional<int> through, int limit) const {
    return store::pendingMovements(m_context.data->db(), {ascending(), after, through, limit});
}

bool MovimientosPendientesModel::sameRow(const store::MovCuenta& a, const store::MovCuenta& b) const {
    return a.CUENTA == b.CUENTA && a.FECHA == b.FECHA && a.HORA == b.HORA && a.CONCEPTO == b.CONCEPTO &&
           a.SALDO_FIN == b.SALDO_FIN && a.saldoti_fin_bono == b.saldoti_fin_bono && a.CONSOLA == b.CONSOLA;
}

} // namespace accounts

TFrmcolamovcuentas::TFrmcolamovcuentas(ConsoleContext& context, accounts::MovimientosPendientesModel& model,
                                       QWidget* parent)
    : QWidget(parent)
    , m_context(context)
    , m_model(model) {
    setObjectName(QStringLiteral("TFrmcolamovcuentas"));
    setWindowTitle(QStringLiteral("Cola de movimientos de cuentas"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* tools = new QHBoxLayout;

    auto* listo = new QToolButton(this);
    listo->setObjectName(QStringLiteral("listoButton"));
    listo->setText(QStringLiteral("&Listo"));
    listo->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(listo);
    QAction* one = menu->addAction(QStringLiteral("&1.- Guardar seleccionado"));
    one->setObjectName(QStringLiteral("guardarSeleccionado"));
    QAction* all = menu->addAction(QStringLiteral("&2.- Guardar Todos"));
    all->setObjectName(QStringLiteral("guardarTodos"));
    menu->addSeparator();
    auto* order = new QActionGroup(this);
    m_ascendingAction = menu->addAction(QStringLiteral("&3.- Ordenar Ascendente"));
    m_ascendingAction->setObjectName(QStringLiteral("ordenarAscendente"));
    m_descendingAction = menu->addAction(QStringLiteral("&4.- Ordenar Descendente"));
    m_descendingAction->setObjectName(QStringLiteral("ordenarDescendente"));
    for (QAction* a : {m_ascendingAction, m_descendingAction}) {
        a->setCheckable(true);
        order->addAction(a);
    }
    m_ascendingAction->setChecked(m_model.ascending());
    m_descendingAction->setChecked(!m_model.ascending());
    listo->setMenu(menu);

    auto* dinero = new QToolButton(this);
    dinero->setObjectName(QStringLiteral("dineroButton"));
    dinero->setText(QStringLiteral("&Dinero"));
    auto* tiempo = new QToolButton(this);
    tiempo->setObjectName(QStringLiteral("tiempoButton"));
    tiempo->setText(QStringLiteral("&Tiempo"));
    auto* print = new QToolButton(this);
    print->setObjectName(QStringLiteral("printButton"));
    print->setText(QStringLiteral("Pri&nt"));
    connect(print, &QToolButton::clicked, this, &TFrmcolamovcuentas::imprimir);
    tools->addWidget(listo);
    tools->addWidget(dinero);
    tools->addWidget(tiempo);
    tools->addWidget(print);
    tools->addStretch();
    layout->addLayout(tools);

    m_view = ui::makeListView(&m_model, QStringLiteral("movementQueue"), this);
    setColumnWidths({});
    layout->addWidget(m_view, 1);

    connect(one, &QAction::triggered, this, &TFrmcolamovcuentas::guardarSeleccionado);
    connect(all, &QAction::triggered, this, &TFrmcolamovcuentas::guardarTodos);
    connect(m_ascendingAction, &QAction::triggered, this, [this] { setAscending(true); });
    connect(m_descendingAction, &QAction::triggered, this, [this] { setAscending(false); });
    connect(dinero, &QToolButton::clicked, this, [this] {
        if (!currentLogin().isEmpty())
            emit dineroRequested(currentLogin());
    });
    connect(tiempo, &QToolButton::clicked, this, [this] {
        if (!currentLogin().isEmpty())
            emit tiempoRequested(currentLogin());
    });

    m_poll.setInterval(PollMs);
    connect(&m_poll, &QTimer::timeout, this, &TFrmcolamovcuentas::pollChanges);
    showConsoleColumn();
}

void TFrmcolamovcuentas::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // What came while hidden shows at once.
    QMetaObject::invokeMethod(this, &TFrmcolamovcuentas::pollChanges, Qt::QueuedConnection);
    m_poll.start();
}

void TFrmcolamovcuentas::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_poll.stop();
}

void TFrmcolamovcuentas::showConsoleColumn() {
    m_view->setColumnHidden(accounts::MovimientosPendientesModel::ColConsola,
                            !m_context.data || !m_context.data->isServer());
}

void TFrmcolamovcuentas::pollChanges() {
    const ui::QueuePoll looked =
        ui::pollQueue(m_view,
                      {[this] { return m_model.refreshIfChanged(); }, [this] { return m_model.rowCount(); },
                       [this](int row) { return m_model.at(row).ID; }},
                      [this](const QString& error) { showError(error); });
    // Another failure is told once, and the looking stops until the window shows again.
    if (looked == ui::QueuePoll::Failed)
        m_poll.stop();
    else if (looked == ui::QueuePoll::Changed)
        showConsoleColumn();
}

QString TFrmcolamovcuentas::currentLogin() const {
    const QModelIndex current = m_view->currentIndex();
    return current.isValid() ? m_model.at(current.row()).CUENTA : QString();
}

void TFrmcolamovcuentas::imprimir() {
    const QModelIndex current = m_view->currentIndex();
    if (!current.isValid())
        return;
    const int movId = m_model.at(current.row()).ID;
    sales::imprimir(this, m_context,
                    [movId](const sales::LayoutContext& c) { return sales::ReciboMovimiento(c, movId); });
}

void TFrmcolamovcuentas::showError(const QString& text) {
    ui::showError(this, text);
}

void TFrmcolamovcuentas::refresh() {
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

void TFrmcolamovcuentas::guardarSeleccionado() {
    const QModelIndex current = m_view->currentIndex();
    if (!current.isValid())
        return;
    try {
        store::run(m_context.data->db(), QStringLiteral("UPDATE movcuentas SET CONTA = 1 WHERE ID = ?"),
                   {m_model.at(current.row()).ID});
    } catch (const store::DatabaseError& e) {
        showError(e.text());
    }
    refresh();
}

void TFrmcolamovcuentas::guardarTodos() {
    try {
        store::run(m_context.data->db(),
                   QStringLiteral("UPDATE movcuentas SET CONTA = 1 WHERE COALESCE(CONTA, 0) = 0"));
    } catch (const store::DatabaseError& e) {
        showError(e.text());
    }
    refresh();
}

void TFrmcolamovcuentas::setAscending(bool ascending) {
    m_ascendingAction->setChecked(ascending);
    m_descendingAction->setChecked(!ascending);
    try {
        m_model.setAscending(ascending);
    } catch (const store::DatabaseError& e) {
        showError(e.text());
    }
}

void TFrmcolamovcuentas::setColumnWidths(const QList<int>& saved) {
    const Regional& r = m_context.regional;
    // A use period's concept: "PUESTO " + number + two blanks + its time.
    ui::fitColumns(m_view, saved,
                   {ui::sample::login(), ui::sample::date(r), ui::sample::time(r),
                    QStringLiteral("PUESTO 999  ") + ui::sample::duration(), ui::sample::money(r),
                    ui::sample::duration(), ui::sample::login()});
}

bool TFrmcolamovcuentas::ascending() const {
    return m_model.ascending();
}
