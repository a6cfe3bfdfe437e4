#include "accounts/frmusr.h"

#include "accounts/accountdecisions.h"
#include "accounts/altacuenta.h"
#include "accounts/frmbusqcue.h"
#include "accounts/movimientos.h"
#include "core/consolecontext.h"
#include "core/formatohora.h"
#include "session/tarifas.h"
#include "store/datamodule.h"
#include "store/dialect.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "store/views.h"
#include "ui/listview.h"
#include "ui/messagebox.h"
#include "ui/messagetable.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRandomGenerator>
#include <QTabBar>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace accounts {

CuentasModel::CuentasModel(ConsoleContext& context, QObject* parent)
    : QAbstractTableModel(parent)
    , m_context(context) {}

int CuentasModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CuentasModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 6;
}

QVariant CuentasModel::data(const QModelIndex& index, int role) const {
    // Amounts and times line up on their right edge.
    if (role == Qt::TextAlignmentRole && index.isValid())
        return int((index.column() == 3 || index.column() == 4 ? Qt::AlignRight : Qt::AlignLeft) |
                   Qt::AlignVCenter);
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    const store::Cuenta& c = at(index.row());
    switch (index.column()) {
    case 0:
        return c.Login;
    case 1:
        return c.Nombre;
    case 2:
        return c.Tarifa;
    case 3:
        return m_context.regional.formatCurrency(c.credito);
    case 4:
        return FormatoHora(c.Bonotiempo);
    case 5:
        return m_context.regional.formatDate(c.Ultima);
    default:
        return {};
    }
}

QVariant CuentasModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    static const char* const titles[] = {"Cuenta", "Nombre", "Tarifa", "Metálico", "Tiempo", "Última visita"};
    return section >= 0 && section < 6 ? QString::fromUtf8(titles[section]) : QVariant();
}

void CuentasModel::refresh() {
    static const char* const keys[] = {nullptr, "Nombre", "Tarifa", "Credito", "Bonotiempo", "Ultima"};
    const QSqlDatabase db = m_context.data->db();
    QVariantList values;
    m_seguimiento.marcar(db);
    const QString where = condicionBusqueda(db, store::cuentasFilter(), m_filtro, values);
    const QString login = store::caseless(db, QStringLiteral("Login"));
    std::vector<store::Cuenta> rows = store::select<store::Cuenta>(
        db,
        QStringLiteral("WHERE ") + where + QStringLiteral(" ORDER BY ") +
            (keys[m_sort] ? QLatin1String(keys[m_sort]) + QStringLiteral(", ") + login : login),
        values);
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void CuentasModel::seguir() {
    // Sorted by what a booking changes, the order itself may move.
    if (m_sort >= 3)
        return refresh();
    const std::optional<std::vector<int>> changed =
        m_seguimiento.releer(m_context.data->db(), m_rows, store::cuentasFilter());
    if (!changed)
        return refresh();
    for (const int row : *changed)
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void CuentasModel::sortByTab(int tab) {
    m_sort = qBound(0, tab, 5);
    refresh();
}

void CuentasModel::setFiltro(CampoBusqueda campo, const QString& typed, bool startsWith) {
    m_filtro = FiltroBusqueda{campo, typed, startsWith};
    refresh();
}

int CuentasModel::rowOf(const QString& login) const {
    for (size_t row = 0; row < m_rows.size(); ++row)
        if (store::sameKey(m_rows[row].Login, login))
            return int(row);
    return -1;
}

} // namespace accounts

// ---- TFrmusr ----

TFrmusr::TFrmusr(ConsoleContext& context, QWidget* parent)
    : QWidget(parent)
    , m_context(context)
    , m_model(context) {
    setObjectName(QStringLiteral("TFrmusr"));
    setWindowTitle(QStringLiteral("Cuentas de clientes"));
    QAction* anadir = addCommand(QStringLiteral("&1.- Añadir cuenta..."), QStringLiteral("anadirCuenta"));
    QAction* modificar =
        addCommand(QStringLiteral("&2.- Modificar cuenta..."), QStringLiteral("modificarCuenta"));
    QAction* eliminar =
        addCommand(QStringLiteral("&3.- Eliminar cuenta..."), QStringLiteral("eliminarCuenta"));
    QAction* metalico =
        addCommand(QStringLiteral("&4.- Crédito en metálico.."), QStringLiteral("creditoMetalico"));
    QAction* tiempo =
        addCommand(QStringLiteral("&5.- Crédito de tiempo..."), QStringLiteral("creditoTiempo"));
    QAction* imprimir =
        addCommand(QStringLiteral("&6.- Imprimir login y password..."), QStringLiteral("imprimirLogin"));
    QAction* buscarCuenta =
        addCommand(QStringLiteral("&7.- Buscar cuenta..."), QStringLiteral("buscarCuenta"));
    QAction* email = addCommand(QStringLiteral("&8.- Enviar un e-mail..."), QStringLiteral("enviarEmail"));
    QAction* caducadas =
        addCommand(QStringLiteral("&9.- Eliminar cuentas caducadas..."), QStringLiteral("eliminarCaducadas"));
    QAction* tarifas = addCommand(QStringLiteral("&1.- Editar tarifas..."), QStringLiteral("editarTarifas"));
    QAction* escritorio =
        addCommand(QStringLiteral("&2.- Editar tipos de escritorio..."), QStringLiteral("editarEscritorio"));

    auto* menus = new QMenuBar(this);
    QMenu* archivo = menus->addMenu(QStringLiteral("&Archivo"));
    archivo->addActions({anadir, modificar, eliminar});
    archivo->addSeparator();
    archivo->addActions({metalico, tiempo});
    archivo->addSeparator();
    archivo->addActions({imprimir, buscarCuenta, email});
    archivo->addSeparator();
    archivo->addAction(caducadas);
    QMenu* edicion = menus->addMenu(QStringLiteral("Edición"));
    edicion->addActions({tarifas, escritorio});

    auto* tools = new QToolBar(this);
    tools->setObjectName(QStringLiteral("herramientas"));
    tools->addActions(archivo->actions());
    tools->addSeparator();
    tools->addActions(edicion->actions());

    m_view = ui::makeListView(&m_model, QStringLiteral("accounts"), this);
    setColumnWidths({});
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_view->addActions(tools->actions());
    m_tabs = new QTabBar(this);
    for (const char* t : {"Cuenta", "Nombre", "Tarifa", "Metálico", "Tiempo", "Última visita"})
        m_tabs->addTab(QString::fromUtf8(t));
    m_status = new QLabel(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setMenuBar(menus);
    layout->addWidget(tools);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_tabs);
    layout->addWidget(m_status);

    connect(m_tabs, &QTabBar::currentChanged, this, [this](int tab) {
        const QString login = currentLogin();
        try {
            m_model.sortByTab(tab);
        } catch (const store::DatabaseError& e) {
            ui::showError(this, e.text());
            return;
        }
        selectLogin(login);
    });
    connect(anadir, &QAction::triggered, this, &TFrmusr::anadirRequested);
    const auto withLogin = [this](void (TFrmusr::*signal)(const QString&)) {
        return [this, signal] {
            if (!listEmpty() && !currentLogin().isEmpty())
                emit(this->*signal)(currentLogin());
        };
    };
    connect(modificar, &QAction::triggered, this, withLogin(&TFrmusr::modificarRequested));
    connect(m_view, &QTableView::doubleClicked, this, withLogin(&TFrmusr::modificarRequested));
    connect(eliminar, &QAction::triggered, this, withLogin(&TFrmusr::eliminarRequested));
    connect(metalico, &QAction::triggered, this, withLogin(&TFrmusr::metalicoRequested));
    connect(tiempo, &QAction::triggered, this, withLogin(&TFrmusr::tiempoRequested));
    connect(imprimir, &QAction::triggered, this, withLogin(&TFrmusr::imprimirRequested));
    connect(buscarCuenta, &QAction::triggered, this, &TFrmusr::buscar);
    connect(email, &QAction::triggered, this, [this] { emit emailRequested(selectedLogins()); });
    connect(caducadas, &QAction::triggered, this, [this] {
        if (!listEmpty())
            emit caducadasRequested();
    });
    connect(tarifas, &QAction::triggered, this, [this] {
        if (!listEmpty() && !currentLogin().isEmpty())
            emit tarifasRequested(currentLogin(), selectedLogins());
    });
    connect(escritorio, &QAction::triggered, this, [this] {
        if (!listEmpty())
            emit escritorioRequested(selectedLogins());
    });
}

QAction* TFrmusr::addCommand(const QString& text, const QString& name) {
    auto* a = new QAction(text, this);
    a->setObjectName(name);
    m_commands << a;
    return a;
}

QAction* TFrmusr::action(const QString& name) const {
    for (QAction* a : m_commands)
        if (a->objectName() == name)
            return a;
    return nullptr;
}

QString TFrmusr::statusText() const {
    return m_status->text();
}

QString TFrmusr::currentLogin() const {
    const QModelIndex current = m_view->currentIndex();
    return current.isValid() && current.row() < m_model.rowCount() ? m_model.at(current.row()).Login
                                                                   : QString();
}

QStringList TFrmusr::selectedLogins() const {
    std::set<int> rows;
    for (const QModelIndex& index : m_view->selectionModel()->selectedRows())
        rows.insert(index.row());
    const QModelIndex current = m_view->currentIndex();
    if (current.isValid())
        rows.insert(current.row());
    QStringList logins;
    for (int row : rows)
        if (row < m_model.rowCount())
            logins << m_model.at(row).Login;
    return logins;
}

void TFrmusr::selectLogin(const QString& login) {
    const int row = m_model.rowOf(login);
    if (row < 0)
        return;
    m_view->selectionModel()->setCurrentIndex(m_model.index(row, 0), QItemSelectionModel::ClearAndSelect |
                                                                         QItemSelectionModel::Rows);
    m_view->scrollTo(m_model.index(row, 0));
}

void TFrmusr::refresh() {
    const QString login = currentLogin();
    try {
        m_model.refresh();
    } catch (const store::DatabaseError& e) {
        ui::showError(this, e.text());
        return;
    }
    m_status->setText(QStringLiteral("Cuentas existentes: ") + QString::number(m_model.rowCount()));
    selectLogin(login);
}

void TFrmusr::seguir() {
    try {
        m_model.seguir();
    } catch (const store::DatabaseError& e) {
        ui::showError(this, e.text());
        return;
    }
    m_status->setText(QStringLiteral("Cuentas existentes: ") + QString::number(m_model.rowCount()));
}

void TFrmusr::buscar() {
    accounts::VistaBusqueda vista;
    vista.filtrar = [this](accounts::CampoBusqueda campo, const QString& typed, bool startsWith) {
        try {
            m_model.setFiltro(campo, typed, startsWith);
        } catch (const store::DatabaseError& e) {
            ui::showError(this, e.text());
            return;
        }
        // Like a filtered table, the cursor goes to the first match.
        if (m_model.rowCount() > 0)
            selectLogin(m_model.at(0).Login);
    };
    vista.actual = [this] { return currentLogin(); };
    vista.seleccionar = [this](const QString& login) { selectLogin(login); };
    TFrmbusqcue dialog(vista, this);
    ui::execDialog(&dialog);
}

void TFrmusr::setColumnWidths(const QList<int>& saved) {
    const Regional& r = m_context.regional;
    ui::fitColumns(m_view, saved,
                   {ui::sample::login(), QStringLiteral("Nombre Apellido Apellido"),
                    QStringLiteral("FRANJA HORARIA"), ui::sample::money(r), ui::sample::duration(),
                    ui::sample::date(r)});
}
