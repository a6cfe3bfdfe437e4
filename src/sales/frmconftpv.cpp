#include "sales/frmconftpv.h"

#include "core/consolecontext.h"
#include "sales/frmbusqart.h"
#include "sales/frmivatpv.h"
#include "sales/frmnart.h"
#include "sales/puntoventa.h"
#include "store/datamodule.h"
#include "store/sql.h"
#include "ui/messagebox.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QTabBar>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace sales {

const ui::MessageTable& TFrmconftpv::messages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        {"EliminarArticulo", QStringLiteral("¿Eliminar el artículo seleccionado?"), QString()},
    };
    return table;
}

TFrmconftpv::TFrmconftpv(ConsoleContext& context, PermissionCheck permitted, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
    , m_context(context)
    , m_permitted(std::move(permitted)) {
    setObjectName(QStringLiteral("TFrmconftpv"));
    setWindowTitle(QStringLiteral("[ Listado de productos de TPV ]"));
    auto* menuBar = new QMenuBar(this);
    QMenu* archivo = menuBar->addMenu(QStringLiteral("&Archivo"));
    auto entry = [this](QMenu* menu, const QString& text, const QKeySequence& key,
                        void (TFrmconftpv::*slot)()) {
        QAction* a = menu->addAction(text);
        if (!key.isEmpty()) {
            a->setShortcut(key);
            a->setShortcutContext(Qt::WindowShortcut);
        }
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    QAction* add = entry(archivo, QStringLiteral("&1.- Añadir artículo..."),
                         QKeySequence(Qt::CTRL | Qt::Key_A), &TFrmconftpv::anadir);
    QAction* modify = entry(archivo, QStringLiteral("&2.- Modificar artículo..."),
                            QKeySequence(Qt::CTRL | Qt::Key_M), &TFrmconftpv::modificar);
    QAction* remove = entry(archivo, QStringLiteral("&3.- Eliminar artículo..."),
                            QKeySequence(Qt::CTRL | Qt::Key_E), &TFrmconftpv::eliminar);
    QAction* search =
        entry(archivo, QStringLiteral("&4.- Busqueda..."), QKeySequence(), &TFrmconftpv::busqueda);
    archivo->addSeparator();
    QAction* salir = archivo->addAction(QStringLiteral("&5.- Salir..."));
    connect(salir, &QAction::triggered, this, &QWidget::close);
    QMenu* edicion = menuBar->addMenu(QStringLiteral("&Edición"));
    entry(edicion, QStringLiteral("&1.- Editar impuestos ..."), QKeySequence(),
          &TFrmconftpv::editarImpuestos);

    auto* tools = new QToolBar(this);
    const struct {
        QAction* action;
        const char* hint;
    } buttons[] = {{add, "Añadir (Ctrl+A)"},
                   {modify, "Modificar (Ctrl+M)"},
                   {remove, "Borrar (Ctrl+E)"},
                   {search, "Busqueda"}};
    for (const auto& b : buttons) {
        QAction* tool = tools->addAction(b.action->text().mid(5).remove(QStringLiteral("...")));
        tool->setToolTip(QString::fromUtf8(b.hint));
        connect(tool, &QAction::triggered, b.action, &QAction::trigger);
    }

    m_tabs = new QTabBar(this);
    m_tabs->addTab(QStringLiteral("Código"));
    m_tabs->addTab(QStringLiteral("Artículo"));
    connect(m_tabs, &QTabBar::currentChanged, this, &TFrmconftpv::refresh);
    m_grid = new QTableWidget(0, 3, this);
    m_grid->setObjectName(QStringLiteral("articulos"));
    m_grid->setHorizontalHeaderLabels(
        {QStringLiteral("Código"), QStringLiteral("Artículo"), QStringLiteral("Precio")});
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setStretchLastSection(true);
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, [this] { modificar(); });

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addWidget(tools);
    layout->addWidget(m_tabs);
    layout->addWidget(m_grid, 1);
    resize(560, 420);
    refresh();
}

void TFrmconftpv::showError(const QString& text) {
    ui::showError(this, text);
}

void TFrmconftpv::refresh() {
    const auto keep = current();
    try {
        m_rows = articulos(m_context.data->db(),
                           m_tabs->currentIndex() == 1 ? CampoBusqueda::Articulo : CampoBusqueda::Codigo);
    } catch (const store::DatabaseError& e) {
        m_rows.clear();
        showError(e.text());
    }
    m_grid->setRowCount(int(m_rows.size()));
    for (int i = 0; i < int(m_rows.size()); ++i) {
        const store::Articulo& a = m_rows[size_t(i)];
        m_grid->setItem(i, 0, new QTableWidgetItem(a.CODIGO));
        m_grid->setItem(i, 1, new QTableWidgetItem(a.ARTICULO));
        auto* price = new QTableWidgetItem(m_context.regional.formatCurrency(a.PRECIO));
        price->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_grid->setItem(i, 2, price);
    }
    if (keep)
        selectCode(keep->CODIGO);
    else if (!m_rows.empty())
        m_grid->selectRow(0);
}

std::optional<store::Articulo> TFrmconftpv::current() const {
    const int row = m_grid->currentRow();
    if (row < 0 || row >= int(m_rows.size()))
        return std::nullopt;
    return m_rows[size_t(row)];
}

void TFrmconftpv::selectCode(const QString& code) {
    for (int i = 0; i < int(m_rows.size()); ++i) {
        if (m_rows[size_t(i)].CODIGO == code) {
            m_grid->selectRow(i);
            return;
        }
    }
}

QStringList TFrmconftpv::selectedCodes() const {
    QStringList codes;
    for (const QModelIndex& index : m_grid->selectionModel()->selectedRows())
        codes << m_rows[size_t(index.row())].CODIGO;
    return codes;
}

void TFrmconftpv::anadir() {
    if (!m_permitted(QStringLiteral("NoPermiso")))
        return;
    Tfrmnart dialog(m_context, true, this);
    if (ui::execDialog(&dialog) != QDialog::Accepted)
        return;
    const store::Articulo a = dialog.articulo();
    try {
        addArticulo(m_context.data->db(), a, m_context.currentOperator, m_context.clock->now());
    } catch (const store::DatabaseError& e) {
        showError(e.text());
    }
    refresh();
    selectCode(a.CODIGO);
}

void TFrmconftpv::modificar() {
    const auto a = current();
    if (!a || !m_permitted(QStringLiteral("NoPermiso")))
        return;
    Tfrmnart dialog(m_context, false, this);
    dialog.setArticulo(*a);
    if (ui::execDialog(&dialog) != QDialog::Accepted)
        return;
    const store::Articulo changed = dialog.articulo();
    try {
        updateArticulo(m_context.data->db(), a->CODIGO, changed.PRECIO, changed.IdTax,
                       m_context.currentOperator, m_context.clock->now());
    } catch (const store::DatabaseError& e) {
        showError(e.text());
    }
    refresh();
}

void TFrmconftpv::eliminar() {
    const auto a = current();
    if (!a || !m_permitted(QStringLiteral("NoPermiso")))
        return;
    if (ui::showMessage(this, messages(), QStringLiteral("EliminarArticulo"), ui::Icon::Question,
                        ui::Buttons::YesNo) != ui::Answer::Yes)
        return;
    try {
        deleteArticulo(m_context.data->db(), a->CODIGO, m_context.currentOperator, m_context.clock->now());
    } catch (const store::DatabaseError& e) {
        showError(e.text());
    }
    refresh();
}

void TFrmconftpv::busqueda() {
    TFrmbusqart dialog(m_context, this);
    dialog.filterBox()->setFocus();
    if (ui::execDialog(&dialog) != QDialog::Accepted)
        return;
    if (const auto chosen = dialog.chosen())
        selectCode(chosen->CODIGO);
}

void TFrmconftpv::editarImpuestos() {
    if (m_rows.empty() || !m_permitted(QStringLiteral("NoPermitida")))
        return;
    if (!m_iva)
        m_iva = new TFrmIvaTPV(m_context, this);
    m_iva->reload();
    if (ui::execDialog(m_iva) != QDialog::Accepted)
        return;
    const int idTax = m_iva->taxList()->currentData().toInt();
    try {
        if (m_iva->allArticles())
            CambiarIva(m_context.data->db(), idTax, m_context.currentOperator, m_context.clock->now());
        else
            cambiarIvaDe(m_context.data->db(), selectedCodes(), idTax, m_context.currentOperator,
                         m_context.clock->now());
    } catch (const store::DatabaseError& e) {
        showError(e.text());
    }
    refresh();
}

} // namespace sales
