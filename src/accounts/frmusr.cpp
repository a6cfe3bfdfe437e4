#include "accounts/frmusr.h"

#include "accounts/accountdecisions.h"
#include "accounts/altacuenta.h"
#include "accounts/movimientos.h"
#include "core/consolecontext.h"
#include "core/formatohora.h"
#include "session/tarifas.h"
#include "store/datamodule.h"
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
#include <QRandomGenerator>
#include <QTabBar>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

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
    static const char* const keys[] = {"Login", "Nombre", "Tarifa", "Credito", "Bonotiempo", "Ultima"};
    std::vector<store::Cuenta> rows = store::select<store::Cuenta>(
        m_context.data->db(), QStringLiteral("WHERE ") + store::cuentasFilter() +
                                  QStringLiteral(" ORDER BY ") + QLatin1String(keys[m_sort]) +
                                  QStringLiteral(", Login"));
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void CuentasModel::sortByTab(int tab) {
    m_sort = qBound(0, tab, 5);
    refresh();
}

} // namespace accounts

// ---- TFrmusr ----

TFrmusr::TFrmusr(ConsoleContext& context, QWidget* parent)
    : QWidget(parent)
    , m_context(context)
    , m_model(context) {
    setObjectName(QStringLiteral("TFrmusr"));
    setWindowTitle(QStringLiteral("Cuentas de clientes"));
    auto* tools = new QToolBar(this);
    const auto entry = [&](const QString& text, const QString& name, bool enabled = true) {
        QAction* a = tools->addAction(text);
        a->setObjectName(name);
        a->setEnabled(enabled);
        return a;
    };
    QAction* anadir = entry(QStringLiteral("&1.- Añadir cuenta..."), QStringLiteral("anadirCuenta"));
    QAction* modificar = entry(QStringLiteral("&2.- Modificar cuenta..."), QStringLiteral("modificarCuenta"));
    QAction* eliminar = entry(QStringLiteral("&3.- Eliminar cuenta..."), QStringLiteral("eliminarCuenta"));
    QAction* metalico =
        entry(QStringLiteral("&4.- Crédito en metálico.."), QStringLiteral("creditoMetalico"));
    QAction* tiempo = entry(QStringLiteral("&5.- Crédito de tiempo..."), QStringLiteral("creditoTiempo"));
    QAction* imprimir =
        entry(QStringLiteral("&6.- Imprimir login y password..."), QStringLiteral("imprimirLogin"));
    // The dialog of the removal of expired accounts is not in this build yet.
    entry(QStringLiteral("&9.- Eliminar cuentas caducadas..."), QStringLiteral("eliminarCaducadas"), false);

    m_view = ui::makeListView(&m_model, QStringLiteral("accounts"), this);
    m_tabs = new QTabBar(this);
    for (const char* t : {"Cuenta", "Nombre", "Tarifa", "Metálico", "Tiempo", "Última visita"})
        m_tabs->addTab(QString::fromUtf8(t));
    m_status = new QLabel(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(tools);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_tabs);
    layout->addWidget(m_status);

    connect(m_tabs, &QTabBar::currentChanged, this, [this](int tab) {
        try {
            m_model.sortByTab(tab);
        } catch (const store::DatabaseError&) {
        }
        refresh();
    });
    connect(anadir, &QAction::triggered, this, &TFrmusr::anadirRequested);
    const auto withLogin = [this](void (TFrmusr::*signal)(const QString&)) {
        return [this, signal] {
            if (!currentLogin().isEmpty())
                emit(this->*signal)(currentLogin());
        };
    };
    connect(modificar, &QAction::triggered, this, withLogin(&TFrmusr::modificarRequested));
    connect(m_view, &QTableView::doubleClicked, this, withLogin(&TFrmusr::modificarRequested));
    connect(eliminar, &QAction::triggered, this, withLogin(&TFrmusr::eliminarRequested));
    connect(metalico, &QAction::triggered, this, withLogin(&TFrmusr::metalicoRequested));
    connect(tiempo, &QAction::triggered, this, withLogin(&TFrmusr::tiempoRequested));
    connect(imprimir, &QAction::triggered, this, withLogin(&TFrmusr::imprimirRequested));
}

QString TFrmusr::statusText() const {
    return m_status->text();
}

QString TFrmusr::currentLogin() const {
    const QModelIndex current = m_view->currentIndex();
    return current.isValid() ? m_model.at(current.row()).Login : QString();
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
    for (int row = 0; row < m_model.rowCount(); ++row)
        if (m_model.at(row).Login == login)
            m_view->selectRow(row);
}
