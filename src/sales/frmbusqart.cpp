#include "sales/frmbusqart.h"

#include "core/consolecontext.h"
#include "store/datamodule.h"
#include "store/sql.h"
#include "ui/messagebox.h"
#include "ui/messagetable.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace sales {

TFrmbusqart::TFrmbusqart(ConsoleContext& context, QWidget* parent)
    : QDialog(parent)
    , m_context(context) {
    setObjectName(QStringLiteral("TFrmbusqart"));
    setWindowTitle(QStringLiteral("[ Busqueda en artículos ]"));
    m_field = new QComboBox(this);
    m_field->setObjectName(QStringLiteral("campo"));
    m_field->addItems({QStringLiteral("Codigo"), QStringLiteral("Artículo")});
    m_mode = new QComboBox(this);
    m_mode->setObjectName(QStringLiteral("modo"));
    m_mode->addItems({QStringLiteral("empieza por"), QStringLiteral("contiene")});
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("filtro"));
    m_grid = new QTableWidget(0, 3, this);
    m_grid->setObjectName(QStringLiteral("articulos"));
    m_grid->setHorizontalHeaderLabels(
        {QStringLiteral("Código"), QStringLiteral("Artículo"), QStringLiteral("Precio")});
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_ok = new QPushButton(QStringLiteral("&Aceptar"), this);
    auto* cancel = new QPushButton(QStringLiteral("&Cancelar"), this);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_filter, &QLineEdit::textChanged, this, &TFrmbusqart::refilter);
    connect(m_field, &QComboBox::currentIndexChanged, this, &TFrmbusqart::refilter);
    connect(m_mode, &QComboBox::currentIndexChanged, this, &TFrmbusqart::refilter);
    m_filter->installEventFilter(this);
    m_grid->installEventFilter(this);

    auto* top = new QHBoxLayout;
    top->addWidget(m_field);
    top->addWidget(m_mode);
    top->addWidget(m_filter, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttons);
    resize(520, 380);
    refilter();
}

void TFrmbusqart::refilter() {
    try {
        m_rows =
            buscarArticulos(m_context.data->db(),
                            m_field->currentIndex() == 1 ? CampoBusqueda::Articulo : CampoBusqueda::Codigo,
                            m_mode->currentIndex() == 1 ? ModoBusqueda::Contiene : ModoBusqueda::EmpiezaPor,
                            m_filter->text());
    } catch (const store::DatabaseError& e) {
        m_rows.clear();
        ui::showError(this, e.text());
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
    if (!m_rows.empty())
        m_grid->selectRow(0);
}

std::optional<store::Articulo> TFrmbusqart::chosen() const {
    const int row = m_grid->currentRow();
    if (row < 0 || row >= int(m_rows.size()))
        return std::nullopt;
    return m_rows[size_t(row)];
}

bool TFrmbusqart::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_ok->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace sales
