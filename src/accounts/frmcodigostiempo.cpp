#include "accounts/frmcodigostiempo.h"

#include "accounts/accountdecisions.h"
#include "accounts/bonos.h"
#include "accounts/cuentas.h"
#include "accounts/movimientos.h"
#include "core/consolecontext.h"
#include "core/formatohora.h"
#include "core/importes.h"
#include "sales/impresion.h"
#include "store/datamodule.h"
#include "store/opciones.h"
#include "ui/importebox.h"
#include "ui/keybutton.h"
#include "ui/messagebox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <limits>

Tfrmcodigostiempo::Tfrmcodigostiempo(ConsoleContext& context, Modo modo,
                                     const std::optional<store::Cuenta>& codigo,
                                     accounts::CodigoCambiado changed, QWidget* parent)
    : QDialog(parent)
    , m_context(context)
    , m_modo(modo)
    , m_changed(std::move(changed))
    , m_random(quint32(QDateTime::currentMSecsSinceEpoch())) {
    setObjectName(QStringLiteral("Tfrmcodigostiempo"));
    const bool crear = modo == Modo::Crear;
    setWindowTitle(crear ? QStringLiteral("[ Crear códigos de tiempo ]")
                         : QStringLiteral("[ Añadir tiempo a cuenta ]"));
    m_bonos = accounts::bonosEnOrden(context.data->db());

    m_ticket = new QLabel;
    m_ticket->setObjectName(QStringLiteral("ticket"));
    m_login = new QLineEdit;
    m_login->setObjectName(QStringLiteral("login"));
    m_login->setMaxLength(accounts::MaxLoginLength);
    m_password = new QLineEdit;
    m_password->setObjectName(QStringLiteral("password"));
    m_password->setMaxLength(accounts::MaxLoginLength);
    // What is typed is stored in upper case, so it is shown that way.
    for (QLineEdit* e : {m_login, m_password})
        connect(e, &QLineEdit::textEdited, this, [e](const QString& text) {
            const int pos = e->cursorPosition();
            e->setText(text.toUpper());
            e->setCursorPosition(pos);
        });
    m_primeraVez = new QCheckBox(QStringLiteral("Se establece al acceder la 1ª vez"));
    m_noCambiar = new QCheckBox(QStringLiteral("No se puede cambiar"));
    connect(m_primeraVez, &QCheckBox::toggled, this, &Tfrmcodigostiempo::syncTicks);
    connect(m_noCambiar, &QCheckBox::toggled, this, &Tfrmcodigostiempo::syncTicks);
    m_escritorio = new QComboBox;
    m_escritorio->setObjectName(QStringLiteral("escritorio"));
    m_escritorio->addItems(accounts::tiposEscritorio());
    m_escritorio->setCurrentIndex(-1);
    m_autoPrint = new QCheckBox(QStringLiteral("Imprimir automáticamente login y password"));
    m_bonoList = new QComboBox;
    m_bonoList->setObjectName(QStringLiteral("bono"));
    for (const store::Bono& b : m_bonos)
        m_bonoList->addItem(b.DESCRIPCION);
    m_bonoList->setCurrentIndex(-1);
    m_quantity = new QLineEdit;
    m_quantity->setObjectName(QStringLiteral("cantidad"));
    m_price = new QLabel;
    m_amount = new QLabel;
    m_lineTime = new QLabel;
    m_current = new QLabel;
    m_current->setObjectName(QStringLiteral("saldoActual"));
    m_result = new QLabel;
    m_result->setObjectName(QStringLiteral("saldoResultante"));
    m_status = new QLabel;

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Ticket"), m_ticket);
    form->addRow(QStringLiteral("Login"), m_login);
    form->addRow(QStringLiteral("Password"), m_password);
    form->addRow(QString(), m_primeraVez);
    form->addRow(QString(), m_noCambiar);
    form->addRow(QStringLiteral("Tipo de escritorio"), m_escritorio);
    form->addRow(QStringLiteral("Bono ................"), m_bonoList);
    form->addRow(QStringLiteral("Cantidad"), m_quantity);
    form->addRow(QStringLiteral("Precio"), m_price);
    form->addRow(QStringLiteral("Importe"), m_amount);
    form->addRow(QStringLiteral("Tiempo"), m_lineTime);
    form->addRow(QStringLiteral("Saldo actual.."), m_current);
    form->addRow(QStringLiteral("Saldo resultante .."), m_result);
    form->addRow(QString(), m_autoPrint);

    auto* buttons = new QHBoxLayout;
    const auto button = [&](const QString& text, const QString& name, const QKeySequence& key) {
        return ui::addKeyButton(this, buttons, text, name, key);
    };
    m_nuevo = button(QStringLiteral("[F1] Nuevo"), QStringLiteral("nuevo"), Qt::Key_F1);
    m_confirmar = button(QStringLiteral("[F2] Confirmar"), QStringLiteral("confirmar"), Qt::Key_F2);
    m_anular = button(QStringLiteral("[F3] Anular"), QStringLiteral("anular"), Qt::Key_F3);
    m_cajon = button(QStringLiteral("[F4] Abrir cajón"), QStringLiteral("cajon"), Qt::Key_F4);
    m_imprimir = button(QStringLiteral("[F6] Imprimir"), QStringLiteral("imprimir"), Qt::Key_F6);
    // Esc closes a dialog already.
    m_salir = new QPushButton(QStringLiteral("[Esc] Salir"));
    m_salir->setObjectName(QStringLiteral("salir"));
    m_salir->setAutoDefault(false);
    buttons->addWidget(m_salir);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_status);
    layout->addLayout(buttons);

    connect(m_nuevo, &QPushButton::clicked, this, &Tfrmcodigostiempo::nuevo);
    connect(m_confirmar, &QPushButton::clicked, this, &Tfrmcodigostiempo::confirmar);
    connect(m_anular, &QPushButton::clicked, this, &Tfrmcodigostiempo::anular);
    connect(m_cajon, &QPushButton::clicked, this, &Tfrmcodigostiempo::abrirCajon);
    connect(m_imprimir, &QPushButton::clicked, this, &Tfrmcodigostiempo::imprimir);
    connect(m_salir, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_bonoList, &QComboBox::activated, this, &Tfrmcodigostiempo::choose);
    connect(m_quantity, &QLineEdit::editingFinished, this, &Tfrmcodigostiempo::recompute);
    connect(m_quantity, &QLineEdit::textEdited, this, &Tfrmcodigostiempo::recompute);
    connect(m_quantity, &QLineEdit::returnPressed, m_confirmar, qOverload<>(&QWidget::setFocus));

    if (!crear && codigo) {
        m_login->setText(codigo->Login);
        m_password->setText(codigo->Pass);
        m_primeraVez->setChecked(codigo->Intropass);
        m_noCambiar->setChecked(codigo->Nomodpass);
        m_escritorio->setCurrentIndex(codigo->Escritorio);
        m_remembered = codigo->Bonotiempo;
        m_lastPassword = codigo->Pass;
    }
    setPending(false);
}

QString Tfrmcodigostiempo::rememberedText() const {
    return FormatoHora(m_remembered);
}

void Tfrmcodigostiempo::setPending(bool pending) {
    m_pending = pending;
    const bool crear = m_modo == Modo::Crear;
    m_nuevo->setEnabled(!pending);
    m_confirmar->setEnabled(pending);
    m_imprimir->setEnabled(!pending && m_last.ok() && !m_last.cuenta.Login.isEmpty());
    m_bonoList->setEnabled(pending);
    m_quantity->setEnabled(pending);
    // A top-up never changes the code itself.
    for (QWidget* w : {static_cast<QWidget*>(m_login), static_cast<QWidget*>(m_password),
                       static_cast<QWidget*>(m_primeraVez), static_cast<QWidget*>(m_noCambiar),
                       static_cast<QWidget*>(m_escritorio), static_cast<QWidget*>(m_autoPrint)})
        w->setEnabled(pending && crear);
    if (pending && crear)
        syncTicks();
    m_current->setText(rememberedText());
    m_status->clear();
}

void Tfrmcodigostiempo::syncTicks() {
    if (!m_pending || m_modo != Modo::Crear)
        return;
    if (m_primeraVez->isChecked()) {
        m_password->clear();
        m_password->setEnabled(false);
        m_noCambiar->setChecked(false);
        m_noCambiar->setEnabled(false);
        m_primeraVez->setEnabled(true);
    } else if (m_noCambiar->isChecked()) {
        m_primeraVez->setEnabled(false);
        m_password->setEnabled(true);
        m_noCambiar->setEnabled(true);
    } else {
        m_password->setEnabled(true);
        m_primeraVez->setEnabled(true);
        m_noCambiar->setEnabled(true);
    }
}

std::optional<double> Tfrmcodigostiempo::quantity() const {
    return leerCantidad(m_quantity->text());
}

std::optional<store::Bono> Tfrmcodigostiempo::chosenBono() const {
    const int i = m_bonoList->currentIndex();
    if (i < 0 || i >= int(m_bonos.size()))
        return std::nullopt;
    return m_bonos[size_t(i)];
}

void Tfrmcodigostiempo::recompute() {
    const std::optional<store::Bono> b = chosenBono();
    if (!b)
        return;
    // While typing, what does not read counts as nothing; confirming refuses it.
    const double q = quantity().value_or(0);
    m_price->setText(m_context.regional.formatCurrency(b->PRECIO));
    const std::optional<Currency> amount = importeLineaAcotado(q, b->PRECIO);
    m_amount->setText(amount ? m_context.regional.formatCurrency(*amount) : QString());
    m_lineTime->setText(accounts::tiempoLinea(q, b->tiempo_bono));
    const qint64 balance = qint64(m_remembered) + accounts::segundosLinea(q, b->tiempo_bono);
    m_result->setText(balance > 0 ? FormatoHora(balance) : QStringLiteral("00:00:00"));
}

void Tfrmcodigostiempo::choose(int index) {
    if (index < 0 || index >= int(m_bonos.size()))
        return;
    m_bonoList->setCurrentIndex(index);
    m_quantity->setText(QStringLiteral("1"));
    recompute();
}

void Tfrmcodigostiempo::show(const QString& key, QWidget* focus) {
    ui::showMessage(this, accounts::codigosMessages(), key, ui::Icon::Warning);
    if (focus)
        focus->setFocus();
}

void Tfrmcodigostiempo::nuevo() {
    if (m_pending)
        return;
    const QSqlDatabase db = m_context.data->db();
    if (m_modo == Modo::Crear) {
        accounts::CodigoPropuesto p;
        try {
            p = accounts::proponerCodigo(db, m_random);
        } catch (const store::DatabaseError& e) {
            ui::showError(this, e.text());
            return;
        }
        // Every code starts from nothing, whatever the one before it got.
        m_remembered = 0;
        m_ticket->setText(p.ticket);
        m_login->setText(p.login);
        m_password->setText(p.password);
        m_primeraVez->setChecked(p.intropass);
        m_noCambiar->setChecked(p.nomodpass);
        m_autoPrint->setChecked(p.imprimir);
        m_escritorio->setCurrentIndex(p.escritorio);
        m_bonoList->setCurrentIndex(-1);
        m_quantity->setText(QStringLiteral("1"));
        setPending(true);
        for (int i = 0; p.bono && i < int(m_bonos.size()); ++i)
            if (m_bonos[size_t(i)].CODIGO == p.bono->CODIGO)
                choose(i);
        m_login->setFocus();
        if (!p.messageKey.isEmpty())
            show(p.messageKey, m_login);
        return;
    }
    try {
        m_ticket->setText(QString::number(store::readOpciones(db).NUM_TICK + 1));
    } catch (const store::DatabaseError& e) {
        ui::showError(this, e.text());
        return;
    }
    m_bonoList->setCurrentIndex(-1);
    m_quantity->setText(QStringLiteral("1"));
    setPending(true);
    m_bonoList->setFocus();
}

void Tfrmcodigostiempo::confirmar() {
    if (!m_pending)
        return;
    accounts::VentaCodigo venta;
    venta.login = m_login->text();
    venta.password = m_password->text();
    venta.intropass = m_primeraVez->isChecked();
    venta.nomodpass = m_noCambiar->isChecked();
    venta.escritorio = qMax(0, m_escritorio->currentIndex());
    venta.bono = chosenBono();
    venta.cantidad = quantity().value_or(std::numeric_limits<double>::quiet_NaN());
    const bool crear = m_modo == Modo::Crear;
    accounts::CodigoResultado r;
    m_status->setText(accounts::codigosMessages().text(QStringLiteral("Espere")));
    try {
        const QSqlDatabase db = m_context.data->db();
        const int iva = store::readOpciones(db).iva_gen;
        const QDateTime now = m_context.clock->now();
        r = crear ? accounts::crearCodigo(db, venta, m_context.currentOperator, iva, now, m_changed)
                  : accounts::recargarCodigo(db, venta, m_context.currentOperator, iva, now, m_changed,
                                             m_context.creditSync);
    } catch (const store::DatabaseError& e) {
        // Nothing of the sale was kept.
        m_status->clear();
        ui::showError(this, e.text());
        return;
    }
    m_status->clear();
    if (r.messageKey == QLatin1String("CantidadNoValida")) {
        ui::refuseQuantity(this, accounts::codigosMessages(), m_quantity);
        return;
    }
    if (r.messageKey == QLatin1String("ImporteMaximo")) {
        ui::refuseAmount(this, accounts::codigosMessages(), m_context.regional, m_quantity);
        return;
    }
    if (!r.ok()) {
        QWidget* focus = r.messageKey == QLatin1String("NoDescripcion") ? static_cast<QWidget*>(m_bonoList)
                         : r.messageKey == QLatin1String("Bono")        ? static_cast<QWidget*>(m_quantity)
                                                                        : static_cast<QWidget*>(m_login);
        show(r.messageKey, focus);
        if (r.messageKey == QLatin1String("Cuenta repetida"))
            m_login->selectAll();
        return;
    }
    m_last = r;
    m_lastPassword = r.cuenta.Pass;
    m_remembered = r.cuenta.Bonotiempo;
    m_login->setText(r.cuenta.Login);
    m_password->setText(r.cuenta.Pass);
    setPending(false);
    m_result->setText(FormatoHora(r.cuenta.Bonotiempo));
    if (crear)
        m_escritorio->setCurrentIndex(-1);
    if (m_autoPrint->isChecked())
        imprimir();
    m_nuevo->setFocus();
}

void Tfrmcodigostiempo::anular() {
    // No ticket exists before the confirmation: nothing to undo.
    reject();
}

void Tfrmcodigostiempo::abrirCajon() {
    sales::abrirCajon(this, m_context);
}

void Tfrmcodigostiempo::imprimir() {
    if (m_last.cuenta.Login.isEmpty() || m_last.idTick <= 0)
        return;
    const QString login = m_last.cuenta.Login;
    const QString time = FormatoHora(m_last.cuenta.Bonotiempo);
    const QString credit = m_context.regional.formatCurrency(m_last.cuenta.credito);
    const int idTick = m_last.idTick;
    const QString password = m_lastPassword;
    sales::imprimir(this, m_context, [&](const sales::LayoutContext& c) {
        return sales::TicketCuenta(c, idTick, true, login, credit, time, password);
    });
}
