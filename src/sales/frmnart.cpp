#include "sales/frmnart.h"

#include "core/consolecontext.h"
#include "core/importes.h"
#include "sales/decimalfield.h"
#include "sales/puntoventa.h"
#include "sales/taxes.h"
#include "store/datamodule.h"
#include "store/sql.h"
#include "ui/importebox.h"
#include "ui/messagebox.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace sales {

const ui::MessageTable& Tfrmnart::messages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        mensajeImporteMaximo(),
        {"DebeCodigo", QStringLiteral("Debe introducir el código "), QString()},
        {"DebeArticulo", QStringLiteral("Debe introducir el artículo"), QString()},
        {"CodigoRepetido", QStringLiteral("Codigo ya introducido"), QString()},
        {"ArticuloRepetido", QStringLiteral("Articulo ya introducido"), QString()},
    };
    return table;
}

void fillTaxList(ConsoleContext& context, QComboBox* list) {
    list->clear();
    list->addItem(QString(), 0);
    try {
        for (const store::Tasa& t : tasasByValor(context.data->db()))
            list->addItem(t.Nombre, t.IdTax);
    } catch (const store::DatabaseError& e) {
        ui::showError(list, e.text());
    }
}

Tfrmnart::Tfrmnart(ConsoleContext& context, bool isNew, QWidget* parent)
    : QDialog(parent)
    , m_context(context)
    , m_isNew(isNew) {
    setObjectName(QStringLiteral("Tfrmnart"));
    setWindowTitle(isNew ? QStringLiteral("Artículo de TPV [Nuevo]")
                         : QStringLiteral("Artículo de TPV [Modificar]"));
    m_code = new QLineEdit(this);
    m_code->setMaxLength(20);
    m_code->setReadOnly(!isNew);
    m_name = new QLineEdit(this);
    m_name->setMaxLength(30);
    m_name->setReadOnly(!isNew);
    m_price = new DecimalField(context.regional.decimalSeparator(), this);
    m_tax = new QComboBox(this);
    fillTaxList(context, m_tax);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Código"), m_code);
    form->addRow(QStringLiteral("Artículo"), m_name);
    form->addRow(QStringLiteral("Precio Final"), m_price);
    form->addRow(QStringLiteral("Impuesto"), m_tax);
    auto* ok = new QPushButton(QStringLiteral("&Aceptar"), this);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancelar"), this);
    connect(ok, &QPushButton::clicked, this, &Tfrmnart::accept);
    connect(cancel, &QPushButton::clicked, this, &Tfrmnart::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
}

QLineEdit* Tfrmnart::priceField() const {
    return m_price;
}

void Tfrmnart::setArticulo(const store::Articulo& a) {
    m_code->setText(a.CODIGO);
    m_name->setText(a.ARTICULO);
    m_price->setText(m_context.regional.formatAmount(a.PRECIO));
    const int index = m_tax->findData(a.IdTax);
    m_tax->setCurrentIndex(index < 0 ? 0 : index);
}

store::Articulo Tfrmnart::articulo() const {
    store::Articulo a;
    a.CODIGO = m_code->text();
    a.ARTICULO = m_name->text();
    a.PRECIO = m_context.regional.parseCurrency(m_price->text()).value_or(Currency());
    a.IdTax = m_tax->currentData().toInt();
    return a;
}

void Tfrmnart::accept() {
    ArticuloCheck check;
    try {
        check = checkArticulo(m_context.data->db(), m_code->text(), m_name->text(), m_isNew);
    } catch (const store::DatabaseError& e) {
        ui::showError(this, e.text());
        return;
    }
    if (!check.ok()) {
        ui::showMessage(this, messages(), check.messageKey, ui::Icon::Information);
        (check.field == ArticuloCheck::Field::Codigo ? m_code : m_name)->setFocus();
        return;
    }
    if (!ui::amountWithinLimit(this, messages(), m_context.regional, m_price))
        return;
    QDialog::accept();
}

} // namespace sales
