#include "sales/frmimpuestos.h"

#include "core/consolecontext.h"
#include "sales/decimalfield.h"
#include "sales/taxes.h"
#include "store/datamodule.h"
#include "store/sql.h"
#include "ui/messagebox.h"
#include "ui/messagetable.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace sales {

namespace {

void showDbError(QWidget* parent, const QString& text) {
    ui::showError(parent, text);
}

} // namespace

const ui::MessageTable& TFrmnimpuestos::messages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        {"DebeNombre", QStringLiteral("Debe introducir el nombre"), QStringLiteral("You must enter a name")},
        {"NombreDuplicado", QStringLiteral("Nombre de Impuesto duplicado"),
         QStringLiteral("This name has already been input")},
        {"DebeValor", QStringLiteral("Debe introducir un valor > 0"),
         QStringLiteral("You must enter a value higher than 0")},
        {"EliminarRegistro", QStringLiteral("¿Eliminar el registro seleccionado?"), QString()},
        {"BorrarIvaGen",
         QStringLiteral(
             "Si borra este tipo de IVA, deberá configurar de nuevo el tipo de IVA aplicable al uso "
             "de puestos ¿Continuar?"),
         QString()},
    };
    return table;
}

TFrmnimpuestos::TFrmnimpuestos(ConsoleContext& context, bool isNew, QWidget* parent)
    : QDialog(parent)
    , m_context(context)
    , m_isNew(isNew) {
    setObjectName(QStringLiteral("TFrmnimpuestos"));
    setWindowTitle(QStringLiteral("[ Impuestos...]"));
    auto* form = new QFormLayout;
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("nombre"));
    m_name->setMaxLength(20);
    m_name->setReadOnly(!isNew);
    m_valueField = new DecimalField(context.regional.decimalSeparator(), this);
    m_valueField->setObjectName(QStringLiteral("valor"));
    form->addRow(QStringLiteral("Nombre"), m_name);
    form->addRow(QStringLiteral("Valor"), m_valueField);
    auto* ok = new QPushButton(QStringLiteral("&Aceptar"), this);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancelar"), this);
    connect(ok, &QPushButton::clicked, this, &TFrmnimpuestos::accept);
    connect(cancel, &QPushButton::clicked, this, &TFrmnimpuestos::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
}

QLineEdit* TFrmnimpuestos::valueField() const {
    return m_valueField;
}

void TFrmnimpuestos::accept() {
    TasaCheck check;
    try {
        check = checkTasa(m_context.data->db(), m_name->text(), m_valueField->text(), m_isNew);
    } catch (const store::DatabaseError& e) {
        showDbError(this, e.text());
        return;
    }
    if (!check.ok()) {
        ui::showMessage(this, messages(), check.messageKey, ui::Icon::Information);
        (check.field == TasaCheck::Field::Name ? static_cast<QWidget*>(m_name) : m_valueField)->setFocus();
        return;
    }
    m_value = check.value;
    QDialog::accept();
}

TasasPage::TasasPage(ConsoleContext& context, QWidget* parent)
    : ui::OpcionesPage(parent)
    , m_context(context) {
    setObjectName(QStringLiteral("TasasPage"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        QStringLiteral("Configure aquí el(los) tipo(s) de IVA o Tasas que se aplican a sus productos"), this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    m_table = new QTableWidget(0, 2, this);
    m_table->setObjectName(QStringLiteral("tasas"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Descripción"), QStringLiteral("Valor (%)")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this] { modificar(); });
    auto* row = new QHBoxLayout;
    row->addWidget(m_table, 1);
    auto* buttons = new QVBoxLayout;
    auto* add = new QPushButton(QStringLiteral("&Añadir"), this);
    auto* modify = new QPushButton(QStringLiteral("&Modificar"), this);
    auto* remove = new QPushButton(QStringLiteral("&Borrar"), this);
    connect(add, &QPushButton::clicked, this, &TasasPage::anadir);
    connect(modify, &QPushButton::clicked, this, &TasasPage::modificar);
    connect(remove, &QPushButton::clicked, this, &TasasPage::borrar);
    buttons->addWidget(add);
    buttons->addWidget(modify);
    buttons->addWidget(remove);
    buttons->addStretch();
    row->addLayout(buttons);
    layout->addLayout(row);
    for (const QString& text :
         {QStringLiteral(
              "Si quiere que en los tickets de caja que entrega a sus clientes aparezca un desglose de "
              "los impuestos aplicados, al dar un alta de sus artículos de TPV, deberá asignarles un "
              "tipo de IVA. "),
          QStringLiteral(
              "En configuración de tickets (pestaña anterior) puede activar o desactivar el desglose "
              "de IVA o Tasas en los tickets.")}) {
        auto* label = new QLabel(text, this);
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    refresh();
}

void TasasPage::refresh() {
    const int keep = selectedId();
    std::vector<store::Tasa> tasas;
    try {
        tasas = tasasByValor(m_context.data->db());
    } catch (const store::DatabaseError& e) {
        showDatabaseError(e.text());
    }
    m_table->setRowCount(int(tasas.size()));
    int select = tasas.empty() ? -1 : 0;
    for (int i = 0; i < int(tasas.size()); ++i) {
        const store::Tasa& t = tasas[size_t(i)];
        auto* name = new QTableWidgetItem(t.Nombre);
        name->setData(Qt::UserRole, t.IdTax);
        m_table->setItem(i, 0, name);
        QString shown = QString::number(t.valor, 'f', 2);
        shown.replace(QLatin1Char('.'), m_context.regional.decimalSeparator());
        auto* value = new QTableWidgetItem(shown);
        value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_table->setItem(i, 1, value);
        if (t.IdTax == keep)
            select = i;
    }
    if (select >= 0)
        m_table->selectRow(select);
}

int TasasPage::selectedId() const {
    const int row = m_table->currentRow();
    if (row < 0 || !m_table->item(row, 0))
        return 0;
    return m_table->item(row, 0)->data(Qt::UserRole).toInt();
}

void TasasPage::showDatabaseError(const QString& text) {
    showDbError(this, text);
}

void TasasPage::anadir() {
    TFrmnimpuestos dialog(m_context, true, this);
    dialog.nameField()->setFocus();
    if (ui::execDialog(&dialog) != QDialog::Accepted)
        return;
    try {
        const int id = addTasa(m_context.data->db(), dialog.nameField()->text(), dialog.value(),
                               m_context.currentOperator);
        refresh();
        for (int i = 0; i < m_table->rowCount(); ++i) {
            if (m_table->item(i, 0)->data(Qt::UserRole).toInt() == id)
                m_table->selectRow(i);
        }
    } catch (const store::DatabaseError& e) {
        showDatabaseError(e.text());
    }
}

void TasasPage::modificar() {
    const int id = selectedId();
    if (id == 0)
        return;
    try {
        const auto tasa = tasaById(m_context.data->db(), id);
        if (!tasa) {
            refresh();
            return;
        }
        TFrmnimpuestos dialog(m_context, false, this);
        dialog.nameField()->setText(tasa->Nombre);
        QString value = QString::number(tasa->valor, 'f', 2);
        value.replace(QLatin1Char('.'), m_context.regional.decimalSeparator());
        dialog.valueField()->setText(value);
        dialog.valueField()->setFocus();
        if (ui::execDialog(&dialog) != QDialog::Accepted)
            return;
        setTasaValor(m_context.data->db(), id, dialog.value(), m_context.currentOperator);
    } catch (const store::DatabaseError& e) {
        showDatabaseError(e.text());
    }
    refresh();
}

void TasasPage::borrar() {
    const int id = selectedId();
    if (id == 0)
        return;
    const ui::MessageTable& t = TFrmnimpuestos::messages();
    if (ui::showMessage(this, t, QStringLiteral("EliminarRegistro"), ui::Icon::Question,
                        ui::Buttons::YesNo) != ui::Answer::Yes)
        return;
    try {
        const int ivaGen =
            store::toInt(store::scalar(m_context.data->db(), QStringLiteral("SELECT iva_gen FROM opciones")));
        if (id == ivaGen && ui::showMessage(this, t, QStringLiteral("BorrarIvaGen"), ui::Icon::Error,
                                            ui::Buttons::OkCancel) != ui::Answer::Ok)
            return;
        deleteTasa(m_context.data->db(), id, m_context.currentOperator);
    } catch (const store::DatabaseError& e) {
        showDatabaseError(e.text());
    }
    refresh();
}

} // namespace sales
