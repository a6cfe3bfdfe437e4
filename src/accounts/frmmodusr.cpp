#include "accounts/frmmodusr.h"

#include "accounts/accountdecisions.h"
#include "accounts/altacuenta.h"
#include "core/consolecontext.h"
#include "session/tarifas.h"
#include "store/datamodule.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "ui/messagebox.h"
#include "ui/messagetable.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QVBoxLayout>

const ui::MessageTable& TFrmModusr::messages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        {"MensajeCuenta", QStringLiteral("Es necesario introducir el nombre de cuenta"),
         QStringLiteral("The account name is required")},
        {"NoTarifa", QStringLiteral("Debe seleccionar el modo de tarifa de esta cuenta."),
         QStringLiteral("Select the tariff mode of this account.")},
        {"noTarifa",
         QStringLiteral("No se puede utilizar Tipo de Tarifa: \"(2)Franjas horarias\"\r\r"
                        "Motivo: No existen tarifas creadas previamente.\r"
                        "Solución:Cree alguna tarifa en \"Archivo-Configuración-Tarifas\"\r"
                        "o utilice \"(3)Bonos de tiempo\""),
         QString()},
        {"cuentaexiste", QStringLiteral("Nombre de cuenta duplicado. La cuenta ya existe."),
         QStringLiteral("Duplicate account name. The account already exists.")},
        {"RepetirPass", QStringLiteral("Repita la contraseña correctamente"),
         QStringLiteral("Repeat the password correctly")},
        {"LoginLargo",
         QStringLiteral(
             "El login no cabe en 10 caracteres. Reduzca el contador o el número de dígitos "
             "aleatorios en las opciones \"Crear cuentas de clientes\", o escriba un login más corto."),
         QStringLiteral(
             "The login does not fit 10 characters. Lower the counter or the number of random digits "
             "in the \"Crear cuentas de clientes\" options, or type a shorter login.")},
    };
    return table;
}

TFrmModusr::TFrmModusr(ConsoleContext& context, const ListaTarifas& tarifas, QWidget* parent)
    : QDialog(parent)
    , m_context(context)
    , m_tarifas(tarifas) {
    setObjectName(QStringLiteral("TFrmModusr"));
    setWindowTitle(QStringLiteral("Nueva cuenta de cliente"));
    const QSqlDatabase db = context.data->db();
    const store::Opciones o = store::readOpciones(db);
    QRandomGenerator random(quint32(QDateTime::currentMSecsSinceEpoch()));
    const accounts::CuentaPropuesta p = accounts::proponerCuenta(db, random);
    m_intropass = p.intropass;

    m_login = new QLineEdit(p.login);
    m_login->setObjectName(QStringLiteral("login"));
    m_login->setMaxLength(accounts::MaxLoginLength);
    connect(m_login, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int pos = m_login->cursorPosition();
        m_login->setText(text.toUpper());
        m_login->setCursorPosition(pos);
    });
    m_pass = new QLineEdit(p.password);
    m_repeat = new QLineEdit(p.password);
    for (QLineEdit* e : {m_pass, m_repeat}) {
        e->setMaxLength(accounts::MaxLoginLength);
        e->setEnabled(p.passwordEditable);
        e->setEchoMode(p.password.isEmpty() ? QLineEdit::Password : QLineEdit::Normal);
    }
    m_name = new QLineEdit;
    m_email = new QLineEdit;
    m_phone = new QLineEdit;
    m_mode = new QComboBox;
    m_mode->addItem(QStringLiteral("Crédito de tiempo consumiendo BONOS DE TIEMPO"));
    m_mode->addItem(QStringLiteral("Crédito metálico SEGUN TARIFA DE FRANJAS HORARIAS"));
    for (int i = 0; i < tarifas.size(); ++i)
        m_mode->addItem(QStringLiteral("Crédito metálico con tarifa ") + tarifas.at(i).name);
    m_mode->setCurrentIndex(o.op2_5 >= 0 && o.op2_5 < m_mode->count() ? o.op2_5 : -1);

    m_recargas = store::select<store::Recarga>(db);
    m_bonos = store::select<store::Bono>(db);
    m_money = new QComboBox;
    m_money->addItem(QString());
    for (const store::Recarga& r : m_recargas) {
        m_money->addItem(r.DESCRIPCION);
        if (r.CODIGO == o.ini_met)
            m_money->setCurrentIndex(m_money->count() - 1);
    }
    m_voucher = new QComboBox;
    m_voucher->addItem(QString());
    for (const store::Bono& b : m_bonos) {
        m_voucher->addItem(b.DESCRIPCION);
        if (b.CODIGO == o.ini_time)
            m_voucher->setCurrentIndex(m_voucher->count() - 1);
    }

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Login"), m_login);
    form->addRow(QStringLiteral("Contraseña"), m_pass);
    form->addRow(QStringLiteral("Repetir contraseña"), m_repeat);
    form->addRow(QStringLiteral("Nombre"), m_name);
    form->addRow(QStringLiteral("Teléfono"), m_phone);
    form->addRow(QStringLiteral("E-mail"), m_email);
    form->addRow(QStringLiteral("Tarifa"), m_mode);
    form->addRow(QStringLiteral("Crédito metálico"), m_money);
    form->addRow(QStringLiteral("Crédito de tiempo"), m_voucher);
    auto* buttons = new QDialogButtonBox;
    buttons->addButton(QStringLiteral("&Aceptar"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("&Cancelar"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &TFrmModusr::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TFrmModusr::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    if (!p.messageKey.isEmpty())
        ui::showMessage(this, messages(), p.messageKey, ui::Icon::Warning);
}

void TFrmModusr::accept() {
    const QSqlDatabase db = m_context.data->db();
    const store::Opciones o = store::readOpciones(db);
    store::Cuenta c;
    c.Login = m_login->text();
    c.Pass = m_pass->text();
    c.Nombre = m_name->text();
    c.email = m_email->text();
    c.Telf = m_phone->text();
    c.Intropass = m_intropass;
    c.Nomodpass = o.op2_6 && !m_intropass;
    c.Bloquear = o.op2_4;
    c.Escritorio = o.ini_desktop;
    c.Alta = m_context.clock->now().date();
    c.Ultima = c.Alta;
    const int mode = m_mode->currentIndex();
    if (mode == 0) {
        c.Tipo = QStringLiteral("2");
        c.Tarifa = QStringLiteral("BONO TIEMPO");
    } else if (mode == 1) {
        c.Tipo = QStringLiteral("1");
        c.Tarifa = QStringLiteral("FRANJA HORARIA");
    } else if (mode >= 2) {
        c.Tipo = QStringLiteral("0");
        c.Tarifa = m_tarifas.at(mode - 2).name;
    }
    std::vector<accounts::LineaCredito> dinero;
    if (m_money->currentIndex() > 0) {
        const store::Recarga& r = m_recargas.at(size_t(m_money->currentIndex() - 1));
        dinero.push_back({r.CODIGO, r.DESCRIPCION, 1, r.PRECIO, 0});
    }
    std::vector<accounts::LineaCredito> bonos;
    if (m_voucher->currentIndex() > 0) {
        const store::Bono& b = m_bonos.at(size_t(m_voucher->currentIndex() - 1));
        bonos.push_back({b.CODIGO, b.DESCRIPCION, 1, b.PRECIO, b.tiempo_bono});
    }
    accounts::AltaResultado r;
    try {
        r = accounts::guardarCuentaNueva(db, c, m_repeat->text(), dinero, bonos, m_context.currentOperator,
                                         o.iva_gen, m_context.clock->now());
    } catch (const store::DatabaseError& e) {
        ui::showMessage(
            this, ui::MessageRequest{QStringLiteral("Error"), e.text(), ui::Icon::Error, ui::Buttons::Ok});
        return;
    }
    if (!r.ok()) {
        ui::showMessage(this, messages(), r.messageKey, ui::Icon::Warning);
        if (r.messageKey == QLatin1String("MensajeCuenta") || r.messageKey == QLatin1String("cuentaexiste") ||
            r.messageKey == QLatin1String("LoginLargo"))
            m_login->setFocus();
        return;
    }
    QDialog::accept();
}
