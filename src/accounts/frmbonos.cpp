#include "accounts/frmbonos.h"

#include "core/consolecontext.h"
#include "store/datamodule.h"
#include "store/sql.h"
#include "ui/messagebox.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace accounts {

namespace {

QLineEdit* box(const QString& name, int maxLength, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMaxLength(maxLength);
    return e;
}

QSpinBox* spin(const QString& name, int max, QWidget* parent) {
    auto* s = new QSpinBox(parent);
    s->setObjectName(name);
    s->setRange(0, max);
    return s;
}

} // namespace

TFrmnbonos::TFrmnbonos(const Regional& regional, const store::Bono* row, QWidget* parent)
    : EdicionDialog(bonoMessages(), parent)
    , m_regional(regional) {
    setObjectName(QStringLiteral("TFrmnbonos"));
    setWindowTitle(QStringLiteral("[ Bonos...]"));
    m_codigo = box(QStringLiteral("codigo"), 20, this);
    m_descripcion = box(QStringLiteral("descripcion"), 50, this);
    m_precio = box(QStringLiteral("precio"), 15, this);
    decimalBox(m_precio, regional);
    m_horas = spin(QStringLiteral("horas"), MaxBonoHours, this);
    m_minutos = spin(QStringLiteral("minutos"), 59, this);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Código"), m_codigo);
    form->addRow(QStringLiteral("Descripción"), m_descripcion);
    form->addRow(QStringLiteral("Precio"), m_precio);
    auto* time = new QHBoxLayout;
    time->addWidget(m_horas);
    time->addWidget(new QLabel(QStringLiteral("Horas"), this));
    time->addWidget(m_minutos);
    time->addWidget(new QLabel(QStringLiteral("Minutos"), this));
    form->addRow(QStringLiteral("Tiempo"), time);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    addButtons(layout);
    if (row) {
        m_codigo->setText(row->CODIGO);
        m_descripcion->setText(row->DESCRIPCION);
        m_codigo->setEnabled(false);
        m_descripcion->setEnabled(false);
        m_precio->setText(regional.formatAmount(row->PRECIO));
        m_horas->setValue(row->tiempo_bono / 60);
        m_minutos->setValue(row->tiempo_bono % 60);
        m_precio->setFocus();
    } else {
        m_codigo->setFocus();
    }
}

BonoEntrada TFrmnbonos::entrada() const {
    return BonoEntrada{m_codigo->text(), m_descripcion->text(), m_regional.parseCurrency(m_precio->text()),
                       m_horas->value(), m_minutos->value()};
}

TFrmnrecargas::TFrmnrecargas(const Regional& regional, const store::Recarga* row, QWidget* parent)
    : EdicionDialog(recargaMessages(), parent)
    , m_regional(regional) {
    setObjectName(QStringLiteral("TFrmnrecargas"));
    setWindowTitle(QStringLiteral("[ Recargas...]"));
    m_codigo = box(QStringLiteral("codigo"), 20, this);
    m_descripcion = box(QStringLiteral("descripcion"), 50, this);
    m_precio = box(QStringLiteral("precio"), 15, this);
    decimalBox(m_precio, regional);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Código"), m_codigo);
    form->addRow(QStringLiteral("Descripción"), m_descripcion);
    form->addRow(QStringLiteral("Importe"), m_precio);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    addButtons(layout);
    if (row) {
        m_codigo->setText(row->CODIGO);
        m_descripcion->setText(row->DESCRIPCION);
        m_codigo->setEnabled(false);
        m_descripcion->setEnabled(false);
        m_precio->setText(regional.formatAmount(row->PRECIO));
        m_precio->setFocus();
    } else {
        m_codigo->setFocus();
    }
}

BonoEntrada TFrmnrecargas::entrada() const {
    return BonoEntrada{m_codigo->text(), m_descripcion->text(), m_regional.parseCurrency(m_precio->text()), 0,
                       0};
}

BonosPage::BonosPage(ConsoleContext& context, Kind kind, QWidget* parent)
    : ui::OpcionesPage(parent)
    , m_context(context)
    , m_kind(kind) {
    const bool bonos = kind == Kind::Bonos;
    setObjectName(bonos ? QStringLiteral("pageBonos") : QStringLiteral("pageRecargas"));
    m_grid = readOnlyGrid(bonos ? QStringList{QStringLiteral("Código"), QStringLiteral("Descripción"),
                                              QStringLiteral("Precio"), QStringLiteral("Tiempo")}
                                : QStringList{QStringLiteral("Código"), QStringLiteral("Descripción"),
                                              QStringLiteral("Importe")},
                          bonos ? QStringLiteral("bonos") : QStringLiteral("recargas"), this);
    auto* add = new QPushButton(QStringLiteral("&Añadir"), this);
    add->setObjectName(QStringLiteral("anadir"));
    auto* mod = new QPushButton(QStringLiteral("&Modificar"), this);
    mod->setObjectName(QStringLiteral("modificar"));
    auto* del = new QPushButton(QStringLiteral("&Borrar"), this);
    del->setObjectName(QStringLiteral("borrar"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {add, mod, del})
        buttons->addWidget(b);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(bonos ? QStringLiteral("<b>Bonos de tiempo</b>")
                                       : QStringLiteral("<b>Recargas en metálico</b>"),
                                 this));
    layout->addWidget(m_grid);
    layout->addLayout(buttons);
    connect(add, &QPushButton::clicked, this, &BonosPage::anadir);
    connect(mod, &QPushButton::clicked, this, &BonosPage::modificar);
    connect(del, &QPushButton::clicked, this, &BonosPage::borrar);
    connect(m_grid, &QTableWidget::doubleClicked, this, &BonosPage::modificar);
}

void BonosPage::load(const store::Opciones&, const store::WebConfig&) {
    try {
        reload();
    } catch (const store::DatabaseError& e) {
        ui::showMessage(
            this, ui::MessageRequest{QStringLiteral("Atención"), e.text(), ui::Icon::Error, ui::Buttons::Ok});
    }
}

void BonosPage::showEvent(QShowEvent* event) {
    ui::OpcionesPage::showEvent(event);
    if (!event->spontaneous()) {
        try {
            reload();
        } catch (const store::DatabaseError& e) {
            ui::showMessage(this, ui::MessageRequest{QStringLiteral("Atención"), e.text(), ui::Icon::Error,
                                                     ui::Buttons::Ok});
        }
    }
}

void BonosPage::reload() {
    const QSqlDatabase db = m_context.data->db();
    const Regional& r = m_context.regional;
    const int current = std::max(0, m_grid->currentRow());
    auto set = [this](int row, const QStringList& texts) {
        for (int c = 0; c < texts.size(); ++c)
            m_grid->setItem(row, c, new QTableWidgetItem(texts.at(c)));
    };
    if (m_kind == Kind::Bonos) {
        const std::vector<store::Bono> rows = accounts::bonosEnOrden(db);
        m_grid->setRowCount(int(rows.size()));
        for (size_t i = 0; i < rows.size(); ++i)
            set(int(i), {rows[i].CODIGO, rows[i].DESCRIPCION, r.formatCurrency(rows[i].PRECIO),
                         tiempoBonoStr(rows[i].tiempo_bono)});
    } else {
        const std::vector<store::Recarga> rows = accounts::recargasEnOrden(db);
        m_grid->setRowCount(int(rows.size()));
        for (size_t i = 0; i < rows.size(); ++i)
            set(int(i), {rows[i].CODIGO, rows[i].DESCRIPCION, r.formatCurrency(rows[i].PRECIO)});
    }
    if (m_grid->rowCount() > 0)
        m_grid->selectRow(std::min(current, m_grid->rowCount() - 1));
}

void BonosPage::anadir() {
    edit(true);
}

void BonosPage::modificar() {
    edit(false);
}

void BonosPage::edit(bool nuevo) {
    const QSqlDatabase db = m_context.data->db();
    const int row = m_grid->currentRow();
    if (!nuevo && row < 0)
        return;
    const QString codigo = nuevo ? QString() : m_grid->item(row, 0)->text();
    try {
        int result = QDialog::Rejected;
        if (m_kind == Kind::Bonos) {
            const std::optional<store::Bono> current =
                nuevo ? std::nullopt
                      : store::selectOne<store::Bono>(db, QStringLiteral("WHERE CODIGO = ?"), {codigo});
            if (!nuevo && !current)
                return;
            TFrmnbonos dialog(m_context.regional, current ? &*current : nullptr, this);
            dialog.setAction([this, &dialog, db, nuevo] {
                return guardarBono(db, dialog.entrada(), nuevo, m_context.currentOperator);
            });
            result = ui::execDialog(&dialog);
        } else {
            const std::optional<store::Recarga> current =
                nuevo ? std::nullopt
                      : store::selectOne<store::Recarga>(db, QStringLiteral("WHERE CODIGO = ?"), {codigo});
            if (!nuevo && !current)
                return;
            TFrmnrecargas dialog(m_context.regional, current ? &*current : nullptr, this);
            dialog.setAction([this, &dialog, db, nuevo] {
                return guardarRecarga(db, dialog.entrada(), nuevo, m_context.currentOperator);
            });
            result = ui::execDialog(&dialog);
        }
        if (result == QDialog::Accepted)
            reload();
    } catch (const store::DatabaseError& e) {
        ui::showMessage(
            this, ui::MessageRequest{QStringLiteral("Atención"), e.text(), ui::Icon::Error, ui::Buttons::Ok});
    }
}

void BonosPage::borrar() {
    const int row = m_grid->currentRow();
    if (row < 0)
        return;
    if (ui::showMessage(this, bonosPageMessages(), QStringLiteral("Eliminar"), ui::Icon::Question,
                        ui::Buttons::YesNo) != ui::Answer::Yes)
        return;
    const QString codigo = m_grid->item(row, 0)->text();
    try {
        if (m_kind == Kind::Bonos)
            borrarBono(m_context.data->db(), codigo, m_context.currentOperator);
        else
            borrarRecarga(m_context.data->db(), codigo, m_context.currentOperator);
        reload();
    } catch (const store::DatabaseError& e) {
        ui::showMessage(
            this, ui::MessageRequest{QStringLiteral("Atención"), e.text(), ui::Icon::Error, ui::Buttons::Ok});
    }
}

} // namespace accounts
