#include "sales/frmivatpv.h"

#include "sales/frmnart.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace sales {

TFrmIvaTPV::TFrmIvaTPV(ConsoleContext& context, QWidget* parent)
    : QDialog(parent)
    , m_context(context) {
    setObjectName(QStringLiteral("TFrmIvaTPV"));
    setWindowTitle(QStringLiteral("[ Impuestos TPV ]"));
    m_tax = new QComboBox(this);
    auto* group = new QGroupBox(QStringLiteral("Aplicar a..."), this);
    m_selected = new QRadioButton(QStringLiteral("Seleccionado(s)"), group);
    m_all = new QRadioButton(QStringLiteral("Todos los artículos"), group);
    m_all->setChecked(true);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_selected);
    groupLayout->addWidget(m_all);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Tipo de impuesto"), m_tax);
    auto* ok = new QPushButton(QStringLiteral("&Aceptar"), this);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancelar"), this);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(group);
    layout->addLayout(buttons);
}

void TFrmIvaTPV::reload() {
    fillTaxList(m_context, m_tax);
}

bool TFrmIvaTPV::allArticles() const {
    return m_all->isChecked();
}

void TFrmIvaTPV::setAllArticles(bool all) {
    (all ? m_all : m_selected)->setChecked(true);
}

} // namespace sales
