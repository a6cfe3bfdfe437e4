#include "accounts/frmcodigosm.h"

#include "accounts/accountdecisions.h"
#include "accounts/codigos.h"
#include "accounts/cuentas.h"
#include "core/consolecontext.h"
#include "store/datamodule.h"
#include "ui/messagebox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

TFrmCodigosTiempo_m::TFrmCodigosTiempo_m(ConsoleContext& context, const store::Cuenta& codigo,
                                         bool canEditDates, QWidget* parent)
    : QDialog(parent)
    , m_context(context)
    , m_codigo(codigo) {
    setObjectName(QStringLiteral("TFrmCodigosTiempo_m"));
    setWindowTitle(QStringLiteral("[ Modificar código de tiempo ]"));
    m_login = new QLineEdit(codigo.Login);
    m_login->setEnabled(false);
    m_password = new QLineEdit(codigo.Pass);
    m_password->setObjectName(QStringLiteral("password"));
    m_password->setMaxLength(accounts::MaxLoginLength);
    m_primeraVez = new QCheckBox(QStringLiteral("Se establece al acceder la próxima vez"));
    m_primeraVez->setChecked(codigo.Intropass);
    m_noCambiar = new QCheckBox(QStringLiteral("No se puede cambiar"));
    m_noCambiar->setChecked(codigo.Nomodpass && !codigo.Intropass);
    m_escritorio = new QComboBox;
    m_escritorio->addItems(accounts::tiposEscritorio());
    m_escritorio->setCurrentIndex(
        codigo.Escritorio >= 0 && codigo.Escritorio < m_escritorio->count() ? codigo.Escritorio : -1);
    const QString format = context.regional.shortDateFormat();
    m_alta = new QDateEdit(codigo.Alta.isValid() ? codigo.Alta : context.clock->now().date());
    m_ultima = new QDateEdit(codigo.Ultima.isValid() ? codigo.Ultima : context.clock->now().date());
    for (QDateEdit* d : {m_alta, m_ultima}) {
        d->setDisplayFormat(format);
        d->setCalendarPopup(true);
        d->setEnabled(canEditDates);
    }

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Login"), m_login);
    form->addRow(QStringLiteral("Password"), m_password);
    form->addRow(QString(), m_primeraVez);
    form->addRow(QString(), m_noCambiar);
    form->addRow(QStringLiteral("Tipo de escritorio"), m_escritorio);
    form->addRow(QStringLiteral("Fecha de alta"), m_alta);
    form->addRow(QStringLiteral("Última visita"), m_ultima);
    auto* buttons = new QDialogButtonBox;
    buttons->addButton(QStringLiteral("&Aceptar"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("&Cancelar"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &TFrmCodigosTiempo_m::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TFrmCodigosTiempo_m::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(m_primeraVez, &QCheckBox::toggled, this, &TFrmCodigosTiempo_m::syncTicks);
    connect(m_noCambiar, &QCheckBox::toggled, this, &TFrmCodigosTiempo_m::syncTicks);
    syncTicks();
}

void TFrmCodigosTiempo_m::syncTicks() {
    const bool primera = m_primeraVez->isChecked();
    if (primera) {
        m_password->clear();
        m_noCambiar->setChecked(false);
    }
    m_password->setEnabled(!primera);
    m_noCambiar->setEnabled(!primera);
    m_primeraVez->setEnabled(!m_noCambiar->isChecked());
}

void TFrmCodigosTiempo_m::accept() {
    accounts::CambiosCodigo c;
    c.password = m_password->text();
    c.intropass = m_primeraVez->isChecked();
    c.nomodpass = m_noCambiar->isChecked();
    c.escritorio = qMax(0, m_escritorio->currentIndex());
    c.alta = m_alta->date();
    c.ultima = m_ultima->date();
    bool saved = false;
    try {
        saved = accounts::modificarCodigo(m_context.data->db(), m_codigo.Login, c);
    } catch (const store::DatabaseError& e) {
        ui::showError(this, e.text());
        return;
    }
    if (!saved) {
        ui::showMessage(this, accounts::codigosMessages(), QStringLiteral("CodigoNoExiste"),
                        ui::Icon::Warning);
        return;
    }
    QDialog::accept();
}
