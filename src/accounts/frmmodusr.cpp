#include "accounts/frmmodusr.h"

#include "accounts/abrircorreo.h"
#include "accounts/accountdecisions.h"
#include "accounts/bonos.h"
#include "accounts/cuentas.h"
#include "accounts/frmmovcue.h"
#include "admin/permisos.h"
#include "core/consolecontext.h"
#include "core/formatohora.h"
#include "sales/impresion.h"
#include "session/tarifas.h"
#include "store/computed.h"
#include "store/datamodule.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "ui/messagebox.h"
#include "ui/messagetable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// The longest notice a station shows at log-in.
constexpr int MaxAvisoLength = 100;

} // namespace

const ui::MessageTable& TFrmModusr::messages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        {"Error", QStringLiteral("Error"), QStringLiteral("Error")},
        {"MensajeCuenta", QStringLiteral("Es necesario introducir el nombre de cuenta"),
         QStringLiteral("The account name is required")},
        {"NoTarifa", QStringLiteral("Debe seleccionar el modo de tarifa de esta cuenta."),
         QStringLiteral("Select the tariff mode of this account.")},
        {"noTarifa1", QStringLiteral("No se puede utilizar Tipo de Tarifa: \"(2)Franjas horarias\""),
         QStringLiteral("The tariff type \"(2)Time bands\" can not be used")},
        {"noTarifa2", QStringLiteral("Motivo: No existen tarifas creadas previamente."),
         QStringLiteral("Reason: no tariffs have been created.")},
        {"noTarifa3", QStringLiteral("Solución:Cree alguna tarifa en \"Archivo-Configuración-Tarifas\""),
         QStringLiteral("Solution: create a tariff in \"Archivo-Configuración-Tarifas\"")},
        {"noTarifa4", QStringLiteral("o utilice \"(3)Bonos de tiempo\""),
         QStringLiteral("or use \"(3)Time vouchers\"")},
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
        {"CuentaNoExiste", QStringLiteral("La cuenta ya no existe."),
         QStringLiteral("The account no longer exists.")},
    };
    return table;
}

TFrmModusr::TFrmModusr(ConsoleContext& context, const ListaTarifas& tarifas, QWidget* parent)
    : QDialog(parent)
    , m_context(context)
    , m_tarifas(tarifas) {
    setWindowTitle(QStringLiteral("Nueva cuenta de cliente"));
    build(context);
    fillNew();
}

TFrmModusr::TFrmModusr(ConsoleContext& context, const ListaTarifas& tarifas, const store::Cuenta& cuenta,
                       bool loginInUse, QWidget* parent)
    : QDialog(parent)
    , m_context(context)
    , m_tarifas(tarifas)
    , m_original(cuenta.Login) {
    setWindowTitle(QStringLiteral("Cuenta: ") + cuenta.Nombre);
    build(context);
    fillFrom(cuenta, loginInUse);
}

void TFrmModusr::build(ConsoleContext& context) {
    setObjectName(QStringLiteral("TFrmModusr"));
    m_modos = accounts::modosTarifa(m_tarifas);

    m_login = new QLineEdit;
    m_login->setObjectName(QStringLiteral("login"));
    m_login->setMaxLength(accounts::MaxLoginLength);
    connect(m_login, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int pos = m_login->cursorPosition();
        m_login->setText(text.toUpper());
        m_login->setCursorPosition(pos);
    });
    m_pass = new QLineEdit;
    m_pass->setObjectName(QStringLiteral("pass"));
    m_repeat = new QLineEdit;
    m_repeat->setObjectName(QStringLiteral("repetir"));
    for (QLineEdit* e : {m_pass, m_repeat}) {
        e->setMaxLength(accounts::MaxLoginLength);
        e->setEchoMode(QLineEdit::Password);
    }
    m_mode = new QComboBox;
    m_mode->setObjectName(QStringLiteral("CmbTarifa"));
    for (const accounts::ModoTarifa& m : m_modos)
        m_mode->addItem(m.texto);
    m_mode->setCurrentIndex(-1);

    const auto creditRow = [this](QLineEdit*& box, QPushButton*& button, const QString& name,
                                  const QString& text) {
        box = new QLineEdit;
        box->setObjectName(name);
        box->setReadOnly(true);
        button = new QPushButton(text);
        button->setObjectName(name + QStringLiteral("Button"));
        button->setAutoDefault(false);
        auto* row = new QHBoxLayout;
        row->addWidget(box, 1);
        row->addWidget(button);
        return row;
    };
    QHBoxLayout* moneyRow =
        creditRow(m_money, m_moneyButton, QStringLiteral("metalico"), QStringLiteral("Crédito &metálico..."));
    QHBoxLayout* timeRow =
        creditRow(m_time, m_timeButton, QStringLiteral("tiempo"), QStringLiteral("Crédito de &tiempo..."));
    m_descuento = new QSpinBox;
    m_descuento->setObjectName(QStringLiteral("descuento"));
    m_descuento->setRange(0, 100);
    m_descuento->setSuffix(QStringLiteral(" %"));

    m_bloquear =
        new QRadioButton(QStringLiteral("Finalizar la sesión de usuario al agotar el crédito en metálico"));
    m_noBloquear = new QRadioButton(
        QStringLiteral("NO finalizar la sesión de usuario al agotar el crédito en metálico"));
    auto* bloqueo = new QVBoxLayout;
    bloqueo->addWidget(m_bloquear);
    bloqueo->addWidget(m_noBloquear);

    m_desactivada = new QCheckBox(QStringLiteral("Cuenta desactivada"));
    m_intropass =
        new QCheckBox(QStringLiteral("Debe introducir la contraseña la próxima vez que utilice Velkar"));
    m_nomodpass = new QCheckBox(QStringLiteral("No puede cambiar la contraseña"));
    // Never both: a customer who must choose a password has to be allowed to.
    connect(m_intropass, &QCheckBox::toggled, this, [this](bool on) {
        if (on) {
            m_nomodpass->setChecked(false);
            m_pass->clear();
            m_repeat->clear();
        }
        m_pass->setEnabled(!on);
        m_repeat->setEnabled(!on);
    });
    connect(m_nomodpass, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            m_intropass->setChecked(false);
    });

    m_escritorio = new QComboBox;
    m_escritorio->setObjectName(QStringLiteral("escritorio"));
    m_escritorio->addItems(accounts::tiposEscritorio());
    m_alta = new QDateEdit;
    m_ultima = new QDateEdit;
    // The dates are the expiry's basis: only operators allowed to may move them.
    const bool datesEditable =
        admin::TienePermiso(context.data->db(), context.currentOperator, store::Permiso::MODFECHACAD) ==
        admin::PermisoCheck::Allowed;
    for (QDateEdit* d : {m_alta, m_ultima}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(context.regional.shortDateFormat());
        d->setEnabled(datesEditable);
    }
    m_alta->setObjectName(QStringLiteral("alta"));
    m_ultima->setObjectName(QStringLiteral("ultima"));

    auto* general = new QWidget;
    auto* form = new QFormLayout(general);
    form->addRow(QStringLiteral("&Login"), m_login);
    form->addRow(QStringLiteral("&Contraseña"), m_pass);
    form->addRow(QStringLiteral("&Repetir contraseña"), m_repeat);
    form->addRow(m_intropass);
    form->addRow(m_nomodpass);
    form->addRow(QStringLiteral("Modo de &tarifa"), m_mode);
    form->addRow(QStringLiteral("Crédito metálico"), moneyRow);
    form->addRow(QStringLiteral("Crédito de tiempo"), timeRow);
    form->addRow(QStringLiteral("&Descuento"), m_descuento);
    form->addRow(bloqueo);
    form->addRow(m_desactivada);
    form->addRow(QStringLiteral("&Escritorio"), m_escritorio);
    form->addRow(QStringLiteral("&Alta"), m_alta);
    form->addRow(QStringLiteral("Última &visita"), m_ultima);

    m_nombre = new QLineEdit;
    m_nombre->setObjectName(QStringLiteral("nombre"));
    m_dir = new QLineEdit;
    m_dir->setObjectName(QStringLiteral("direccion"));
    m_telf = new QLineEdit;
    m_telf->setObjectName(QStringLiteral("telefono"));
    m_email = new QLineEdit;
    m_email->setObjectName(QStringLiteral("email"));
    auto* mailButton = new QPushButton(QStringLiteral("E-&mail..."));
    mailButton->setObjectName(QStringLiteral("emailButton"));
    mailButton->setAutoDefault(false);
    auto* mailRow = new QHBoxLayout;
    mailRow->addWidget(m_email, 1);
    mailRow->addWidget(mailButton);
    m_checkAviso = new QCheckBox(QStringLiteral("Aviso al conectar"));
    m_checkAviso->setObjectName(QStringLiteral("checkAviso"));
    m_aviso = new QLineEdit;
    m_aviso->setObjectName(QStringLiteral("aviso"));
    m_aviso->setMaxLength(MaxAvisoLength);
    m_aviso->setEnabled(false);
    connect(m_checkAviso, &QCheckBox::toggled, this, [this](bool on) {
        if (!on)
            m_aviso->clear();
        m_aviso->setEnabled(on);
    });
    m_observaciones = new QPlainTextEdit;
    m_observaciones->setObjectName(QStringLiteral("observaciones"));
    m_observaciones->setTabChangesFocus(true);

    auto* personal = new QWidget;
    auto* personalForm = new QFormLayout(personal);
    personalForm->addRow(QStringLiteral("&Nombre"), m_nombre);
    personalForm->addRow(QStringLiteral("&Dirección"), m_dir);
    personalForm->addRow(QStringLiteral("&Teléfono"), m_telf);
    personalForm->addRow(QStringLiteral("E-mail"), mailRow);
    personalForm->addRow(m_checkAviso, m_aviso);
    personalForm->addRow(QStringLiteral("&Observaciones"), m_observaciones);

    m_tabs = new QTabWidget;
    m_tabs->addTab(general, QStringLiteral("General"));
    m_tabs->addTab(personal, QStringLiteral("Datos personales"));

    auto* buttons = new QDialogButtonBox;
    buttons->addButton(QStringLiteral("&Aceptar"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("&Cancelar"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &TFrmModusr::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TFrmModusr::reject);
    connect(m_moneyButton, &QPushButton::clicked, this, &TFrmModusr::addMoney);
    connect(m_timeButton, &QPushButton::clicked, this, &TFrmModusr::addTime);
    connect(mailButton, &QPushButton::clicked, this, &TFrmModusr::sendMail);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
}

void TFrmModusr::fillNew() {
    const QSqlDatabase db = m_context.data->db();
    const store::Opciones o = store::readOpciones(db);
    QRandomGenerator random(quint32(QDateTime::currentMSecsSinceEpoch()));
    const accounts::CuentaPropuesta p = accounts::proponerCuenta(db, random);

    m_login->setText(p.login);
    m_intropass->setChecked(p.intropass);
    m_pass->setText(p.password);
    m_repeat->setText(p.password);
    m_pass->setEnabled(p.passwordEditable);
    m_repeat->setEnabled(p.passwordEditable);
    if (o.op2_2 == 1) {
        // The generated password is shown so it can be handed over.
        m_pass->setEchoMode(QLineEdit::Normal);
        m_repeat->setEchoMode(QLineEdit::Normal);
    }
    m_nomodpass->setChecked(o.op2_6 && !p.intropass);
    m_desactivada->setChecked(false);
    (o.op2_4 ? m_bloquear : m_noBloquear)->setChecked(true);
    m_mode->setCurrentIndex(o.op2_5 >= 0 && o.op2_5 < m_mode->count() ? o.op2_5 : -1);

    for (const store::Recarga& r : accounts::recargasEnOrden(db))
        if (r.CODIGO == o.ini_met) {
            m_dinero.push_back({r.CODIGO, r.DESCRIPCION, 1, r.PRECIO, 0});
            break;
        }
    for (const store::Bono& b : accounts::bonosEnOrden(db))
        if (b.CODIGO == o.ini_time) {
            m_bonos.push_back({b.CODIGO, b.DESCRIPCION, 1, b.PRECIO, b.tiempo_bono});
            break;
        }
    showLines();
    m_escritorio->setCurrentIndex(o.ini_desktop >= 0 && o.ini_desktop < m_escritorio->count() ? o.ini_desktop
                                                                                              : -1);
    const QDate today = m_context.clock->now().date();
    m_alta->setDate(today);
    m_ultima->setDate(today);
    if (!p.messageKey.isEmpty())
        showKey(p.messageKey);
}

void TFrmModusr::fillFrom(const store::Cuenta& c, bool loginInUse) {
    m_login->setText(c.Login);
    // The stations know a logged-in account by its login.
    m_login->setEnabled(!loginInUse);
    m_intropass->setChecked(c.Intropass);
    if (!c.Intropass) {
        m_pass->setText(c.Pass);
        m_repeat->setText(c.Pass);
    }
    m_nomodpass->setChecked(c.Nomodpass && !c.Intropass);
    m_mode->setCurrentIndex(accounts::indiceModo(m_modos, c.Tipo, c.Tarifa));
    showCredit(c);
    m_descuento->setValue(c.Descuento);
    (c.Bloquear ? m_bloquear : m_noBloquear)->setChecked(true);
    m_desactivada->setChecked(c.Desactivada);
    m_escritorio->setCurrentIndex(c.Escritorio >= 0 && c.Escritorio < m_escritorio->count() ? c.Escritorio
                                                                                            : -1);
    m_alta->setDate(c.Alta.isValid() ? c.Alta : m_alta->minimumDate());
    m_ultima->setDate(c.Ultima.isValid() ? c.Ultima : m_ultima->minimumDate());
    m_nombre->setText(c.Nombre);
    m_dir->setText(c.Dir);
    m_telf->setText(c.Telf);
    // An empty address is kept as blanks.
    m_email->setText(c.email.trimmed());
    m_observaciones->setPlainText(c.Observaciones);
    m_checkAviso->setChecked(c.CheckAviso);
    m_aviso->setText(c.Aviso);
}

void TFrmModusr::setMovementWindows(LoginCallback money, LoginCallback time) {
    m_openMoney = std::move(money);
    m_openTime = std::move(time);
}

void TFrmModusr::showCredit(const store::Cuenta& c) {
    m_money->setText(m_context.regional.formatCurrency(c.credito));
    m_time->setText(store::bonotiempostr(c));
}

void TFrmModusr::showLines() {
    m_money->setText(m_dinero.empty() ? QString()
                                      : m_context.regional.formatCurrency(accounts::totalDinero(m_dinero)));
    m_time->setText(m_bonos.empty() ? QString() : FormatoHora(accounts::segundosIniciales(m_bonos)));
}

void TFrmModusr::addMoney() {
    if (isNew()) {
        TFrmmovcue_a window(m_context, m_dinero, this);
        if (ui::execDialog(&window) == QDialog::Accepted)
            m_dinero.push_back(window.linea());
        showLines();
        return;
    }
    if (m_openMoney)
        m_openMoney(m_original);
    refreshCredit();
}

void TFrmModusr::addTime() {
    if (isNew()) {
        Tfrmmovcuetiempo_a window(m_context, m_bonos, this);
        if (ui::execDialog(&window) == QDialog::Accepted)
            m_bonos.push_back(window.linea());
        showLines();
        return;
    }
    if (m_openTime)
        m_openTime(m_original);
    refreshCredit();
}

// After a movement window: the credit as stored now.
void TFrmModusr::refreshCredit() {
    try {
        if (const std::optional<store::Cuenta> c = accounts::cuentaPorLogin(m_context.data->db(), m_original))
            showCredit(*c);
    } catch (const store::DatabaseError& e) {
        ui::showError(this, e.text());
    }
}

void TFrmModusr::sendMail() {
    accounts::abrirCorreo(this, {m_email->text()});
}

store::Cuenta TFrmModusr::fields() const {
    store::Cuenta c;
    c.Login = m_login->text();
    c.Pass = m_pass->text();
    c.Nombre = m_nombre->text();
    c.Dir = m_dir->text();
    c.Telf = m_telf->text();
    c.email = m_email->text();
    c.Alta = m_alta->date();
    c.Ultima = m_ultima->date();
    c.Descuento = m_descuento->value();
    c.Desactivada = m_desactivada->isChecked();
    c.Nomodpass = m_nomodpass->isChecked();
    c.Intropass = m_intropass->isChecked();
    c.Bloquear = m_bloquear->isChecked();
    const int mode = m_mode->currentIndex();
    if (mode >= 0 && mode < int(m_modos.size())) {
        c.Tipo = m_modos[size_t(mode)].tipo;
        c.Tarifa = m_modos[size_t(mode)].tarifa;
    }
    c.Observaciones = m_observaciones->toPlainText();
    c.CheckAviso = m_checkAviso->isChecked();
    c.Aviso = c.CheckAviso ? m_aviso->text() : QString();
    c.Escritorio = qMax(0, m_escritorio->currentIndex());
    return c;
}

void TFrmModusr::showKey(const QString& key) {
    const ui::MessageTable& t = messages();
    QString text = t.text(key);
    if (key == QLatin1String("noTarifa1"))
        text += QStringLiteral("\r\r") + t.text(QStringLiteral("noTarifa2")) + QStringLiteral("\r") +
                t.text(QStringLiteral("noTarifa3")) + QStringLiteral("\r") +
                t.text(QStringLiteral("noTarifa4"));
    ui::showMessage(this, ui::MessageRequest{t.text(QStringLiteral("Atencion")), text, ui::Icon::Warning,
                                             ui::Buttons::Ok});
}

void TFrmModusr::accept() {
    const QSqlDatabase db = m_context.data->db();
    const store::Cuenta edited = fields();
    QString key;
    store::Cuenta saved;
    int idTick = 0;
    bool print = false;
    try {
        const store::Opciones o = store::readOpciones(db);
        if (isNew()) {
            const accounts::AltaResultado r =
                accounts::guardarCuentaNueva(db, edited, m_repeat->text(), m_dinero, m_bonos,
                                             m_context.currentOperator, o.iva_gen, m_context.clock->now());
            key = r.messageKey;
            idTick = r.idTick;
            print = o.op2_7;
            if (r.ok())
                saved = *accounts::cuentaPorLogin(db, edited.Login.trimmed().toUpper());
        } else {
            const accounts::ModResultado r = accounts::guardarCuentaModificada(
                db, m_original, edited, m_repeat->text(), m_context.creditSync);
            key = r.messageKey;
            saved = r.cuenta;
        }
    } catch (const store::DatabaseError& e) {
        ui::showMessage(this, ui::MessageRequest{messages().text(QStringLiteral("Error")), e.text(),
                                                 ui::Icon::Error, ui::Buttons::Ok});
        return;
    }
    if (!key.isEmpty()) {
        showKey(key);
        if (key == QLatin1String("MensajeCuenta") || key == QLatin1String("cuentaexiste") ||
            key == QLatin1String("LoginLargo")) {
            m_tabs->setCurrentIndex(0);
            m_login->setFocus();
        } else if (key == QLatin1String("NoTarifa") || key == QLatin1String("noTarifa1")) {
            m_tabs->setCurrentIndex(0);
            m_mode->setFocus();
        } else if (key == QLatin1String("RepetirPass")) {
            m_tabs->setCurrentIndex(0);
            m_pass->setFocus();
        }
        return;
    }
    if (!isNew() && m_saved)
        m_saved(saved);
    if (print)
        imprimirAlta(saved, idTick);
    QDialog::accept();
}

void TFrmModusr::imprimirAlta(const store::Cuenta& c, int idTick) {
    const QString credit = m_context.regional.formatCurrency(c.credito);
    const QString time = store::bonotiempostr(c);
    if (idTick > 0)
        sales::imprimir(this, m_context, [&](const sales::LayoutContext& lc) {
            return sales::TicketCuenta(lc, idTick, false, c.Login, credit, time, c.Pass);
        });
    else
        sales::imprimir(this, m_context, [&](const sales::LayoutContext& lc) {
            return sales::ReciboCuenta(lc, m_context.clock->now(), c.Login, c.Pass, credit, time);
        });
}

void TFrmModusr::done(int result) {
    // Whatever was shown, the passwords are masked when the window closes.
    m_pass->setEchoMode(QLineEdit::Password);
    m_repeat->setEchoMode(QLineEdit::Password);
    QDialog::done(result);
}
