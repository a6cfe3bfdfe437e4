#include "accounts/frmcodigos.h"

#include "accounts/codigos.h"
#include "core/consolecontext.h"
#include "core/formatohora.h"
#include "store/datamodule.h"
#include "store/dialect.h"
#include "store/views.h"
#include "ui/listview.h"
#include "ui/messagebox.h"

#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

#include <set>

namespace accounts {

CodigosModel::CodigosModel(ConsoleContext& context, QObject* parent)
    : QAbstractTableModel(parent)
    , m_context(context) {}

int CodigosModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CodigosModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant CodigosModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::TextAlignmentRole && index.isValid())
        return int((index.column() == 1 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    const store::Cuenta& c = at(index.row());
    switch (index.column()) {
    case 0:
        return c.Login;
    case 1:
        return FormatoHora(c.Bonotiempo);
    case 2:
        return m_context.regional.formatDate(c.Ultima);
    default:
        return {};
    }
}

QVariant CodigosModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    static const char* const titles[] = {"Login", "Tiempo disponible", "Ultima visita"};
    return section >= 0 && section < 3 ? QString::fromUtf8(titles[section]) : QVariant();
}

void CodigosModel::refresh() {
    static const char* const keys[] = {"Login", "COALESCE(Bonotiempo, 0)", "Ultima"};
    m_seguimiento.marcar(m_context.data->db());
    std::vector<store::Cuenta> rows =
        buscarCodigos(m_context.data->db(), m_typed, m_startsWith, QLatin1String(keys[m_sort]));
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void CodigosModel::seguir() {
    // Sorted by the time left or the last use, the order itself may move.
    if (m_sort != 0)
        return refresh();
    const std::optional<std::vector<int>> changed =
        m_seguimiento.releer(m_context.data->db(), m_rows, store::codigosFilter());
    if (!changed)
        return refresh();
    for (const int row : *changed)
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void CodigosModel::setFiltro(const QString& typed, bool startsWith) {
    m_typed = typed;
    m_startsWith = startsWith;
    refresh();
}

void CodigosModel::sortByTab(int tab) {
    m_sort = qBound(0, tab, 2);
    refresh();
}

int CodigosModel::rowOf(const QString& login) const {
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (store::sameKey(m_rows[i].Login, login))
            return int(i);
    return -1;
}

} // namespace accounts

TFrmcodigos::TFrmcodigos(ConsoleContext& context, QWidget* parent)
    : QWidget(parent)
    , m_context(context)
    , m_model(context) {
    setObjectName(QStringLiteral("TFrmcodigos"));
    setWindowTitle(QStringLiteral(" [ Códigos de tiempo... ]"));

    auto* bar = new QMenuBar(this);
    QMenu* archivo = bar->addMenu(QStringLiteral("&Archivo"));
    QMenu* edicion = bar->addMenu(QStringLiteral("&Edición"));
    auto* tools = new QToolBar(this);
    m_popup = new QMenu(this);
    const auto entry = [&](QMenu* menu, const QString& text, const QString& name, bool needsCode) {
        auto* a = new QAction(text, this);
        a->setObjectName(name);
        menu->addAction(a);
        tools->addAction(a);
        m_popup->addAction(a);
        if (needsCode)
            m_needCode << a;
        return a;
    };
    QAction* vender =
        entry(archivo, QStringLiteral("&1.- Vender código..."), QStringLiteral("venderCodigo"), false);
    QAction* modificar =
        entry(archivo, QStringLiteral("&2.- Modificar código"), QStringLiteral("modificarCodigo"), true);
    QAction* eliminar =
        entry(archivo, QStringLiteral("&3.- Eliminar código..."), QStringLiteral("eliminarCodigo"), true);
    QAction* aumentar = entry(archivo, QStringLiteral("&4.- Aumentar tiempo disponible..."),
                              QStringLiteral("aumentarTiempo"), true);
    QAction* imprimir = entry(archivo, QStringLiteral("&5.- Imprimir login y password..."),
                              QStringLiteral("imprimirLogin"), true);
    QAction* buscar =
        entry(archivo, QStringLiteral("&6.- Buscar código..."), QStringLiteral("buscarCodigo"), false);
    QAction* caducados = entry(archivo, QStringLiteral("&7.- Eliminar códigos caducados..."),
                               QStringLiteral("eliminarCaducados"), true);
    tools->addSeparator();
    m_popup->addSeparator();
    QAction* escritorio = entry(edicion, QStringLiteral("&1.- Editar tipos de escritorio..."),
                                QStringLiteral("editarEscritorio"), true);

    m_view = ui::makeListView(&m_model, QStringLiteral("codigos"), this);
    setColumnWidths({});
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    m_tabs = new QTabBar(this);
    for (const char* t : {"Login", "Tiempo", "Última visita"})
        m_tabs->addTab(QString::fromUtf8(t));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setMenuBar(bar);
    layout->addWidget(tools);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_tabs);

    connect(m_tabs, &QTabBar::currentChanged, this, [this](int tab) {
        const QString login = currentLogin();
        try {
            m_model.sortByTab(tab);
        } catch (const store::DatabaseError& e) {
            ui::showError(this, e.text());
        }
        selectLogin(login);
        updateActions();
    });
    connect(m_view, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { m_popup->popup(m_view->viewport()->mapToGlobal(pos)); });
    connect(&m_model, &QAbstractItemModel::modelReset, this, &TFrmcodigos::updateActions);

    connect(vender, &QAction::triggered, this, &TFrmcodigos::venderRequested);
    connect(buscar, &QAction::triggered, this, &TFrmcodigos::buscarRequested);
    // The others do nothing while there is no code.
    const auto withLogin = [this](void (TFrmcodigos::*signal)(const QString&)) {
        return [this, signal] {
            if (!currentLogin().isEmpty())
                emit(this->*signal)(currentLogin());
        };
    };
    connect(modificar, &QAction::triggered, this, withLogin(&TFrmcodigos::modificarRequested));
    connect(m_view, &QAbstractItemView::doubleClicked, this, withLogin(&TFrmcodigos::modificarRequested));
    connect(eliminar, &QAction::triggered, this, withLogin(&TFrmcodigos::eliminarRequested));
    connect(aumentar, &QAction::triggered, this, withLogin(&TFrmcodigos::aumentarRequested));
    connect(imprimir, &QAction::triggered, this, withLogin(&TFrmcodigos::imprimirRequested));
    connect(caducados, &QAction::triggered, this, [this] {
        if (m_model.rowCount() > 0)
            emit caducadosRequested();
    });
    connect(escritorio, &QAction::triggered, this, [this] {
        if (m_model.rowCount() > 0)
            emit escritorioRequested(selectedLogins());
    });
    updateActions();
}

QAction* TFrmcodigos::action(const QString& name) const {
    return findChild<QAction*>(name);
}

void TFrmcodigos::updateActions() {
    const bool any = m_model.rowCount() > 0;
    for (QAction* a : std::as_const(m_needCode))
        a->setEnabled(any);
}

QString TFrmcodigos::currentLogin() const {
    const QModelIndex current = m_view->currentIndex();
    return current.isValid() ? m_model.at(current.row()).Login : QString();
}

void TFrmcodigos::selectLogin(const QString& login) {
    const int row = m_model.rowOf(login);
    if (row < 0)
        return;
    m_view->setCurrentIndex(m_model.index(row, 0));
    m_view->selectRow(row);
}

QStringList TFrmcodigos::selectedLogins() const {
    std::set<int> rows;
    for (const QModelIndex& i : m_view->selectionModel()->selectedRows())
        rows.insert(i.row());
    if (m_view->currentIndex().isValid())
        rows.insert(m_view->currentIndex().row());
    QStringList logins;
    for (int row : rows)
        logins << m_model.at(row).Login;
    return logins;
}

void TFrmcodigos::refresh() {
    const QString login = currentLogin();
    try {
        m_model.refresh();
    } catch (const store::DatabaseError& e) {
        ui::showError(this, e.text());
        return;
    }
    selectLogin(login);
}

void TFrmcodigos::seguir() {
    try {
        m_model.seguir();
    } catch (const store::DatabaseError& e) {
        ui::showError(this, e.text());
    }
}

void TFrmcodigos::setColumnWidths(const QList<int>& saved) {
    ui::fitColumns(m_view, saved,
                   {ui::sample::login(), ui::sample::duration(), ui::sample::date(m_context.regional)});
}
