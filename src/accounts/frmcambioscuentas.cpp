#include "accounts/frmcambioscuentas.h"

#include "accounts/cuentas.h"
#include "core/consolecontext.h"
#include "store/datamodule.h"
#include "store/rows.h"
#include "ui/messagebox.h"
#include "ui/messagetable.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include <optional>

namespace {

QRadioButton* radio(const QString& text, const QString& name, QWidget* parent) {
    auto* b = new QRadioButton(text, parent);
    b->setObjectName(name);
    return b;
}

QGroupBox* choices(const QString& title, std::initializer_list<QRadioButton*> buttons, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(box);
    auto* group = new QButtonGroup(box);
    for (QRadioButton* b : buttons) {
        layout->addWidget(b);
        group->addButton(b);
    }
    return box;
}

void addButtons(QDialog* dialog, QVBoxLayout* layout) {
    auto* buttons = new QDialogButtonBox(dialog);
    buttons->addButton(QStringLiteral("&Aceptar"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("&Cancelar"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
}

} // namespace

// ---- Tfrmtarifascue ----

const ui::MessageTable& Tfrmtarifascue::messages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        {"SeleccionarTarifa", QStringLiteral("Debe seleccionar una tarifa"),
         QStringLiteral("Select a tariff")},
    };
    return table;
}

Tfrmtarifascue::Tfrmtarifascue(ConsoleContext& context, const QString& currentLogin,
                               const QStringList& selectedLogins, QWidget* parent)
    : QDialog(parent)
    , m_context(context)
    , m_current(currentLogin)
    , m_selected(selectedLogins) {
    setObjectName(QStringLiteral("Tfrmtarifascue"));
    setWindowTitle(QStringLiteral("[ Tarifas de cuentas ]"));
    const QSqlDatabase db = context.data->db();
    m_modes[0] = radio(QStringLiteral("Según tarifa"), QStringLiteral("segunTarifa"), this);
    m_modes[1] = radio(QStringLiteral("Según franja horaria"), QStringLiteral("segunFranja"), this);
    m_modes[2] = radio(QStringLiteral("Bono tiempo"), QStringLiteral("bonoTiempo"), this);
    m_tarifa = new QComboBox(this);
    m_tarifa->setObjectName(QStringLiteral("tarifa"));
    for (const store::Tarifa& t : store::select<store::Tarifa>(db, QStringLiteral("ORDER BY ID_TAR")))
        m_tarifa->addItem(t.NOM);
    m_seleccionadas = radio(QStringLiteral("Seleccionada(s)"), QStringLiteral("seleccionadas"), this);
    m_todas = radio(QStringLiteral("Todas las cuentas"), QStringLiteral("todas"), this);
    m_seleccionadas->setChecked(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(choices(QStringLiteral("Modo de tarifa"), {m_modes[0], m_modes[1], m_modes[2]}, this));
    layout->addWidget(m_tarifa);
    layout->addWidget(choices(QStringLiteral("Aplicar a ..."), {m_seleccionadas, m_todas}, this));
    addButtons(this, layout);

    const std::optional<store::Cuenta> cuenta = accounts::cuentaPorLogin(db, currentLogin);
    const int tipo =
        cuenta ? int(QStringList{QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")}.indexOf(
                     cuenta->Tipo))
               : -1;
    if (tipo >= 0)
        m_modes[tipo]->setChecked(true);
    m_tarifa->setCurrentIndex(tipo == 0 ? m_tarifa->findText(cuenta->Tarifa) : -1);
    m_tarifa->setEnabled(tipo == 0);
    // Only a tariff-priced account names a tariff; the other modes empty it.
    connect(m_modes[0], &QRadioButton::toggled, this, [this](bool on) {
        m_tarifa->setEnabled(on);
        if (!on)
            m_tarifa->setCurrentIndex(-1);
    });
}

QString Tfrmtarifascue::tipo() const {
    for (int i = 0; i < 3; ++i)
        if (m_modes[i]->isChecked())
            return QString::number(i);
    return {};
}

void Tfrmtarifascue::accept() {
    const QString t = tipo();
    if (t.isEmpty()) {
        ui::showMessage(this, messages(), QStringLiteral("SeleccionarTarifa"), ui::Icon::Warning);
        return;
    }
    QString key;
    try {
        key = accounts::aplicarTarifa(m_context.data->db(), m_current, t, m_tarifa->currentText(),
                                      accounts::Destino{m_todas->isChecked(), m_selected});
    } catch (const store::DatabaseError& e) {
        ui::showError(this, e.text());
        return;
    }
    if (!key.isEmpty()) {
        ui::showMessage(this, messages(), key, ui::Icon::Warning);
        m_tarifa->setFocus();
        return;
    }
    QDialog::accept();
}

// ---- Tfrmdesktopcue ----

const ui::MessageTable& Tfrmdesktopcue::messages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        {"seldesktop", QStringLiteral("Debe seleccionar un tipo de escritorio"),
         QStringLiteral("Select a desktop type")},
    };
    return table;
}

Tfrmdesktopcue::Tfrmdesktopcue(ConsoleContext& context, accounts::Ambito ambito,
                               const QStringList& selectedLogins, QWidget* parent)
    : QDialog(parent)
    , m_context(context)
    , m_ambito(ambito)
    , m_selected(selectedLogins) {
    setObjectName(QStringLiteral("Tfrmdesktopcue"));
    setWindowTitle(QStringLiteral("[ Escritorio de cuentas ]"));
    m_escritorio = new QComboBox(this);
    m_escritorio->setObjectName(QStringLiteral("escritorio"));
    m_escritorio->addItems(accounts::tiposEscritorio());
    m_escritorio->setCurrentIndex(-1);
    m_seleccionadas = radio(QStringLiteral("Cuentas seleccionada(s)"), QStringLiteral("seleccionadas"), this);
    m_todas = radio(QStringLiteral("Todas las cuentas"), QStringLiteral("todas"), this);
    m_seleccionadas->setChecked(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_escritorio);
    layout->addWidget(choices(QStringLiteral("Aplicar a ..."), {m_seleccionadas, m_todas}, this));
    addButtons(this, layout);
}

void Tfrmdesktopcue::accept() {
    const int escritorio = m_escritorio->currentIndex();
    if (escritorio < 0) {
        ui::showMessage(this, messages(), QStringLiteral("seldesktop"), ui::Icon::Warning);
        m_escritorio->setFocus();
        return;
    }
    try {
        accounts::aplicarEscritorio(m_context.data->db(), m_ambito, escritorio,
                                    accounts::Destino{m_todas->isChecked(), m_selected});
    } catch (const store::DatabaseError& e) {
        ui::showError(this, e.text());
        return;
    }
    QDialog::accept();
}
