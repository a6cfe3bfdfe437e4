#include "accounts/frmmovcue.h"

#include "accounts/altacuenta.h"
#include "accounts/bonos.h"
#include "accounts/movimientos.h"
#include "core/consolecontext.h"
#include "core/formatohora.h"
#include "core/importes.h"
#include "sales/impresion.h"
#include "store/computed.h"
#include "store/datamodule.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "ui/decimalkeyfilter.h"
#include "ui/importebox.h"
#include "ui/keybutton.h"
#include "ui/messagebox.h"
#include "ui/messagetable.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <limits>

const ui::MessageTable& TFrmEntradaCredito::messages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        {"NoDes", QStringLiteral("No hay descripción"), QStringLiteral("No description")},
        {"NoDescripcion", QStringLiteral("No hay descripción"), QStringLiteral("No description")},
        {"Bono", QStringLiteral("Un cliente no puede superar las 500 horas en bono"),
         QStringLiteral("A customer can not hold more than 500 hours of vouchers")},
        {"CuentaNoExiste", QStringLiteral("La cuenta ya no existe. Anule la venta."),
         QStringLiteral("The account no longer exists. Cancel the sale.")},
        mensajeImporteMaximo(),
        mensajeCantidadNoValida(),
    };
    return table;
}

TFrmEntradaCredito::TFrmEntradaCredito(Modo modo, ConsoleContext& context, const store::Cuenta& cuenta,
                                       CreditChanged changed, QWidget* parent)
    : QDialog(parent)
    , m_modo(modo)
    , m_context(context)
    , m_cuenta(cuenta)
    , m_changed(std::move(changed))
    , m_rememberedMoney(cuenta.credito)
    , m_rememberedSeconds(cuenta.Bonotiempo) {
    const bool money = modo == Modo::Metalico;
    setObjectName(money ? QStringLiteral("TFrmmovcue") : QStringLiteral("Tfrmmovcuetiempo"));
    setWindowTitle(money ? QStringLiteral("[ Modificar crédito en metálico ]")
                         : QStringLiteral("[ Modificar crédito de tiempo ]"));
    const QSqlDatabase db = context.data->db();
    if (money)
        m_recargas = accounts::recargasEnOrden(db);
    else
        m_bonos = accounts::bonosEnOrden(db);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Cuenta........"), new QLabel(cuenta.Login));
    form->addRow(QStringLiteral("De............"), new QLabel(cuenta.Nombre));
    m_current = new QLabel;
    m_current->setObjectName(QStringLiteral("saldoActual"));
    form->addRow(QStringLiteral("Saldo actual.."), m_current);
    m_ticketLabel = new QLabel;
    form->addRow(QStringLiteral("Ticket"), m_ticketLabel);
    m_list = new QComboBox;
    m_list->setObjectName(QStringLiteral("lista"));
    if (money)
        for (const store::Recarga& r : m_recargas)
            m_list->addItem(r.DESCRIPCION);
    else
        for (const store::Bono& b : m_bonos)
            m_list->addItem(b.DESCRIPCION);
    m_list->setCurrentIndex(-1);
    form->addRow(money ? QStringLiteral("Recarga.......") : QStringLiteral("Bono.........."), m_list);
    m_description = new QLineEdit;
    m_description->setObjectName(QStringLiteral("descripcion"));
    m_description->setMaxLength(50);
    m_description->setReadOnly(!money);
    form->addRow(QStringLiteral("Descripción"), m_description);
    m_quantity = new QLineEdit;
    m_quantity->setObjectName(QStringLiteral("cantidad"));
    form->addRow(QStringLiteral("Cantidad"), m_quantity);
    m_price = new QLineEdit;
    m_price->setObjectName(QStringLiteral("precio"));
    m_price->setReadOnly(!money);
    form->addRow(money ? QStringLiteral("Precio") : QStringLiteral("Importe"), m_price);
    if (!money) {
        m_lineTime = new QLabel;
        form->addRow(QStringLiteral("Tiempo"), m_lineTime);
    }
    m_result = new QLabel;
    m_result->setObjectName(QStringLiteral("saldoResultante"));
    form->addRow(QStringLiteral("Saldo resultante .."), m_result);

    auto* buttons = new QHBoxLayout;
    const auto button = [&](const QString& text, const QString& name, const QKeySequence& key) {
        return ui::addKeyButton(this, buttons, text, name, key);
    };
    m_nuevo = button(QStringLiteral("Nuevo [F1]"), QStringLiteral("nuevo"), Qt::Key_F1);
    m_confirmar = button(QStringLiteral("Confirmar [F2]"), QStringLiteral("confirmar"), Qt::Key_F2);
    m_anular = button(QStringLiteral("Anular [F3]"), QStringLiteral("anular"), Qt::Key_F3);
    m_cajon = button(QStringLiteral("Abrir cajón [F4]"), QStringLiteral("cajon"), Qt::Key_F4);
    m_imprimir = button(QStringLiteral("Ticket [F5]"), QStringLiteral("ticket"), Qt::Key_F5);
    m_comprobante = button(QStringLiteral("Comprobante [F6]"), QStringLiteral("comprobante"), Qt::Key_F6);
    m_salir = new QPushButton(QStringLiteral("Salir [Esc]"));
    m_salir->setObjectName(QStringLiteral("salir"));
    m_salir->setAutoDefault(false);
    buttons->addWidget(m_salir);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(m_nuevo, &QPushButton::clicked, this, &TFrmEntradaCredito::nuevo);
    connect(m_confirmar, &QPushButton::clicked, this, &TFrmEntradaCredito::confirmar);
    connect(m_anular, &QPushButton::clicked, this, &TFrmEntradaCredito::anular);
    connect(m_cajon, &QPushButton::clicked, this, &TFrmEntradaCredito::abrirCajon);
    connect(m_imprimir, &QPushButton::clicked, this, &TFrmEntradaCredito::imprimirTicket);
    connect(m_comprobante, &QPushButton::clicked, this, &TFrmEntradaCredito::imprimirComprobante);
    connect(m_salir, &QPushButton::clicked, this, &TFrmEntradaCredito::reject);
    connect(m_list, &QComboBox::activated, this, &TFrmEntradaCredito::choose);
    connect(m_quantity, &QLineEdit::textEdited, this, &TFrmEntradaCredito::recompute);
    m_price->installEventFilter(new ui::DecimalKeyFilter(m_context.regional.decimalSeparator(), m_price));
    connect(m_price, &QLineEdit::textEdited, this, &TFrmEntradaCredito::recompute);
    connect(m_description, &QLineEdit::returnPressed, m_quantity, qOverload<>(&QWidget::setFocus));
    connect(m_quantity, &QLineEdit::returnPressed, this, [this] {
        if (m_modo == Modo::Metalico)
            m_price->setFocus();
        else
            m_confirmar->setFocus();
    });
    connect(m_price, &QLineEdit::returnPressed, m_confirmar, qOverload<>(&QWidget::setFocus));
    setPending(false);
}

QString TFrmEntradaCredito::rememberedText() const {
    return m_modo == Modo::Metalico ? m_context.regional.formatCurrency(m_rememberedMoney)
                                    : FormatoHora(m_rememberedSeconds);
}

void TFrmEntradaCredito::setPending(bool pending) {
    m_nuevo->setEnabled(!pending);
    m_salir->setEnabled(!pending);
    m_confirmar->setEnabled(pending);
    m_anular->setEnabled(pending);
    // Only a booked sale has something to print; the drawer opens for its money.
    const bool booked = !pending && m_lastMov > 0;
    m_cajon->setEnabled(booked);
    m_imprimir->setEnabled(booked);
    m_comprobante->setEnabled(booked);
    for (QWidget* w : {static_cast<QWidget*>(m_list), static_cast<QWidget*>(m_description),
                       static_cast<QWidget*>(m_quantity), static_cast<QWidget*>(m_price)})
        w->setEnabled(pending);
    m_current->setText(rememberedText());
    if (!pending) {
        m_ticket.reset();
        m_ticketLabel->clear();
        m_chosen = -1;
        m_list->setCurrentIndex(-1);
        m_description->clear();
        m_quantity->clear();
        m_price->clear();
        m_result->clear();
        if (m_lineTime)
            m_lineTime->clear();
    }
}

std::optional<double> TFrmEntradaCredito::quantity() const {
    return leerCantidad(m_quantity->text());
}

Currency TFrmEntradaCredito::price() const {
    if (m_modo == Modo::Tiempo)
        return m_chosen >= 0 ? m_bonos[size_t(m_chosen)].PRECIO : Currency();
    return m_context.regional.parseCurrency(m_price->text()).value_or(Currency());
}

void TFrmEntradaCredito::recompute() {
    // While typing, what does not read counts as nothing and an amount
    // beyond the limit shows blank; confirming refuses both.
    const double q = quantity().value_or(0);
    const std::optional<Currency> amount = importeLineaAcotado(q, price());
    if (m_modo == Modo::Metalico) {
        const std::optional<Currency> result =
            amount ? Currency::checkedAdd(*amount, m_rememberedMoney) : std::nullopt;
        m_result->setText(result ? m_context.regional.formatCurrency(*result) : QString());
        return;
    }
    const int minutes = m_chosen >= 0 ? m_bonos[size_t(m_chosen)].tiempo_bono : 0;
    m_price->setText(amount ? m_context.regional.formatAmount(*amount) : QString());
    m_lineTime->setText(accounts::tiempoLinea(q, minutes));
    const qint64 balance = qint64(m_rememberedSeconds) + accounts::segundosLinea(q, minutes);
    m_result->setText(balance > 0 ? FormatoHora(balance) : QStringLiteral("00:00:00"));
}

void TFrmEntradaCredito::choose(int index) {
    if (index < 0)
        return;
    m_chosen = index;
    m_quantity->setText(QStringLiteral("1"));
    if (m_modo == Modo::Metalico) {
        const store::Recarga& r = m_recargas.at(size_t(index));
        m_description->setText(r.DESCRIPCION);
        m_price->setText(m_context.regional.formatAmount(r.PRECIO));
    } else {
        m_description->setText(m_bonos.at(size_t(index)).DESCRIPCION);
    }
    recompute();
    m_confirmar->setFocus();
}

void TFrmEntradaCredito::showKey(const QString& key, QWidget* focus) {
    ui::showMessage(this, messages(), key, ui::Icon::Warning);
    if (focus)
        focus->setFocus();
}

void TFrmEntradaCredito::showError(const QString& text) {
    ui::showMessage(this, ui::MessageRequest{messages().text(QStringLiteral("Atencion")), text,
                                             ui::Icon::Error, ui::Buttons::Ok});
}

void TFrmEntradaCredito::nuevo() {
    if (salePending())
        return;
    try {
        m_ticket =
            accounts::abrirVenta(m_context.data->db(), m_context.currentOperator, m_context.clock->now());
    } catch (const store::DatabaseError& e) {
        showError(e.text());
        return;
    }
    m_lastTick = 0;
    m_lastMov = 0;
    setPending(true);
    m_ticketLabel->setText(m_ticket->NUM_TICKET + QStringLiteral("   ") +
                           m_context.regional.formatDate(m_ticket->FECHA) + QStringLiteral("   ") +
                           m_context.regional.formatTime(m_ticket->HORA));
    m_quantity->setText(QStringLiteral("1"));
    m_list->setFocus();
}

void TFrmEntradaCredito::confirmar() {
    if (!salePending())
        return;
    accounts::Venta venta;
    venta.ticket = *m_ticket;
    venta.login = m_cuenta.Login;
    venta.cantidad = quantity().value_or(std::numeric_limits<double>::quiet_NaN());
    venta.precio = price();
    if (m_modo == Modo::Metalico) {
        venta.descripcion = m_description->text();
        // A price too long to read at all must not pass as 0.
        if (!venta.descripcion.isEmpty() &&
            !ui::amountWithinLimit(this, messages(), m_context.regional, m_price))
            return;
    } else if (m_chosen >= 0) {
        const store::Bono& b = m_bonos[size_t(m_chosen)];
        venta.descripcion = b.DESCRIPCION;
        venta.codigo = b.CODIGO;
        venta.minutos = b.tiempo_bono;
    }
    accounts::VentaResultado r;
    try {
        const QSqlDatabase db = m_context.data->db();
        const int iva = store::readOpciones(db).iva_gen;
        r = m_modo == Modo::Metalico
                ? accounts::confirmarMetalico(db, venta, m_rememberedMoney, m_context.currentOperator, iva,
                                              m_context.creditSync)
                : accounts::confirmarTiempo(db, venta, m_rememberedSeconds, m_context.currentOperator, iva,
                                            m_context.creditSync);
    } catch (const store::DatabaseError& e) {
        showError(e.text());
        return;
    }
    if (r.messageKey == QLatin1String("CantidadNoValida")) {
        ui::refuseQuantity(this, messages(), m_quantity);
        return;
    }
    if (r.messageKey == QLatin1String("ImporteMaximo")) {
        ui::refuseAmount(this, messages(), m_context.regional,
                         m_modo == Modo::Metalico ? m_price : m_quantity);
        return;
    }
    if (!r.ok()) {
        QWidget* focus = r.messageKey == QLatin1String("NoDes") ? static_cast<QWidget*>(m_description)
                         : r.messageKey == QLatin1String("NoDescripcion") ? static_cast<QWidget*>(m_list)
                         : r.messageKey == QLatin1String("Bono")          ? static_cast<QWidget*>(m_quantity)
                                                                          : nullptr;
        showKey(r.messageKey, focus);
        return;
    }
    m_cuenta = r.cuenta;
    m_lastTick = m_ticket->ID_TICK;
    m_lastMov = r.movId;
    m_rememberedMoney = r.cuenta.credito;
    m_rememberedSeconds = r.cuenta.Bonotiempo;
    if (m_changed)
        m_changed(r.cuenta);
    setPending(false);
    m_nuevo->setFocus();
}

void TFrmEntradaCredito::anular() {
    if (!salePending())
        return;
    try {
        accounts::anularVenta(m_context.data->db(), *m_ticket, m_context.currentOperator,
                              m_context.clock->now());
    } catch (const store::DatabaseError& e) {
        showError(e.text());
        return;
    }
    setPending(false);
}

void TFrmEntradaCredito::reject() {
    if (salePending())
        return;
    QDialog::reject();
}

void TFrmEntradaCredito::imprimirTicket() {
    if (m_lastMov <= 0)
        return;
    const QString credit = m_context.regional.formatCurrency(m_cuenta.credito);
    const QString time = store::bonotiempostr(m_cuenta);
    sales::imprimir(this, m_context, [&](const sales::LayoutContext& c) {
        return sales::TicketRecarga(c, m_lastTick, false, m_cuenta.Login, credit, time, m_cuenta.Pass);
    });
}

void TFrmEntradaCredito::imprimirComprobante() {
    if (m_lastMov <= 0)
        return;
    sales::imprimir(this, m_context,
                    [&](const sales::LayoutContext& c) { return sales::ReciboMovimiento(c, m_lastMov); });
}

void TFrmEntradaCredito::abrirCajon() {
    sales::abrirCajon(this, m_context);
}

// ---- TFrmEntradaInicial ----

TFrmEntradaInicial::TFrmEntradaInicial(Modo modo, ConsoleContext& context,
                                       const std::vector<accounts::LineaCredito>& kept, QWidget* parent)
    : QDialog(parent)
    , m_modo(modo)
    , m_context(context)
    , m_kept(kept) {
    const bool money = modo == Modo::Metalico;
    setObjectName(money ? QStringLiteral("TFrmmovcue_a") : QStringLiteral("Tfrmmovcuetiempo_a"));
    setWindowTitle(money ? QStringLiteral("[ Modificar crédito en metálico ]")
                         : QStringLiteral("[ Modificar crédito de tiempo ]"));
    const QSqlDatabase db = context.data->db();
    m_list = new QComboBox;
    m_list->setObjectName(QStringLiteral("lista"));
    if (money) {
        m_recargas = accounts::recargasEnOrden(db);
        for (const store::Recarga& r : m_recargas)
            m_list->addItem(r.DESCRIPCION);
    } else {
        m_bonos = accounts::bonosEnOrden(db);
        for (const store::Bono& b : m_bonos)
            m_list->addItem(b.DESCRIPCION);
    }
    m_list->setCurrentIndex(-1);
    m_description = new QLineEdit;
    m_description->setObjectName(QStringLiteral("descripcion"));
    m_description->setMaxLength(50);
    m_description->setReadOnly(!money);
    m_quantity = new QLineEdit;
    m_quantity->setObjectName(QStringLiteral("cantidad"));
    if (!money)
        m_quantity->setValidator(new QIntValidator(-99999, 99999, m_quantity));
    m_price = new QLineEdit;
    m_price->setObjectName(QStringLiteral("precio"));
    m_price->setReadOnly(!money);
    m_amount = new QLabel;
    m_amount->setObjectName(QStringLiteral("importe"));
    m_result = new QLabel;
    m_result->setObjectName(QStringLiteral("saldoResultante"));

    auto* form = new QFormLayout;
    form->addRow(money ? QStringLiteral("Recarga.......") : QStringLiteral("Bono.........."), m_list);
    form->addRow(QStringLiteral("Descripción"), m_description);
    form->addRow(QStringLiteral("Cantidad"), m_quantity);
    form->addRow(QStringLiteral("Precio"), m_price);
    form->addRow(QStringLiteral("Importe"), m_amount);
    if (!money) {
        m_lineTime = new QLabel;
        m_lineTime->setObjectName(QStringLiteral("tiempo"));
        form->addRow(QStringLiteral("Tiempo"), m_lineTime);
    }
    form->addRow(QStringLiteral("Saldo resultante .."), m_result);
    m_aceptar = new QPushButton(QStringLiteral("&Aceptar"));
    m_aceptar->setObjectName(QStringLiteral("aceptar"));
    auto* cancelar = new QPushButton(QStringLiteral("&Cancelar"));
    cancelar->setObjectName(QStringLiteral("cancelar"));
    cancelar->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_aceptar);
    buttons->addWidget(cancelar);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(m_aceptar, &QPushButton::clicked, this, &TFrmEntradaInicial::accept);
    connect(cancelar, &QPushButton::clicked, this, &TFrmEntradaInicial::reject);
    connect(m_list, &QComboBox::activated, this, &TFrmEntradaInicial::choose);
    connect(m_description, &QLineEdit::textEdited, this, &TFrmEntradaInicial::refreshLine);
    connect(m_quantity, &QLineEdit::textEdited, this, &TFrmEntradaInicial::refreshLine);
    m_price->installEventFilter(new ui::DecimalKeyFilter(m_context.regional.decimalSeparator(), m_price));
    connect(m_price, &QLineEdit::textEdited, this, &TFrmEntradaInicial::refreshLine);
    connect(m_description, &QLineEdit::returnPressed, m_quantity, qOverload<>(&QWidget::setFocus));
    connect(m_quantity, &QLineEdit::returnPressed, this, [this] {
        if (m_modo == Modo::Metalico)
            m_price->setFocus();
        else
            m_aceptar->setFocus();
    });
    connect(m_price, &QLineEdit::returnPressed, m_aceptar, qOverload<>(&QWidget::setFocus));
    refreshLine();
}

void TFrmEntradaInicial::choose(int index) {
    if (index < 0)
        return;
    m_chosen = index;
    m_quantity->setText(QStringLiteral("1"));
    if (m_modo == Modo::Metalico) {
        const store::Recarga& r = m_recargas.at(size_t(index));
        m_description->setText(r.DESCRIPCION);
        m_price->setText(m_context.regional.formatAmount(r.PRECIO));
    } else {
        const store::Bono& b = m_bonos.at(size_t(index));
        m_description->setText(b.DESCRIPCION);
        m_price->setText(m_context.regional.formatAmount(b.PRECIO));
    }
    refreshLine();
    m_aceptar->setFocus();
}

void TFrmEntradaInicial::refreshLine() {
    accounts::LineaCredito& l = m_line;
    QString quantity = m_quantity->text().trimmed();
    quantity.replace(QLatin1Char(','), QLatin1Char('.'));
    l.descripcion = m_description->text();
    std::vector<accounts::LineaCredito> all = m_kept;
    if (m_modo == Modo::Metalico) {
        l.cantidad = leerCantidad(quantity).value_or(0);
        l.precio = m_context.regional.parseCurrency(m_price->text()).value_or(Currency());
        l.codigo = m_chosen >= 0 ? m_recargas[size_t(m_chosen)].CODIGO : QString();
        all.push_back(l);
        // A line beyond the limit shows blank; "&Aceptar" refuses it.
        const std::optional<Currency> amount = importeLineaAcotado(l.cantidad, l.precio);
        m_amount->setText(amount ? m_context.regional.formatCurrency(*amount) : QString());
        m_result->setText(amount ? m_context.regional.formatCurrency(accounts::totalDinero(all)) : QString());
        return;
    }
    // Vouchers are sold whole.
    l.cantidad = quantity.toInt();
    const store::Bono* b = m_chosen >= 0 ? &m_bonos[size_t(m_chosen)] : nullptr;
    l.codigo = b ? b->CODIGO : QString();
    l.precio = b ? b->PRECIO : Currency();
    l.minutos = b ? int(l.cantidad) * b->tiempo_bono : 0;
    all.push_back(l);
    const std::optional<Currency> amount = importeLineaAcotado(l.cantidad, l.precio);
    m_amount->setText(amount ? m_context.regional.formatCurrency(*amount) : QString());
    m_lineTime->setText(accounts::tiempoLinea(l.cantidad, b ? b->tiempo_bono : 0));
    m_result->setText(FormatoHora(accounts::segundosIniciales(all)));
}

void TFrmEntradaInicial::accept() {
    refreshLine();
    if (m_modo == Modo::Metalico) {
        // A quantity of 0 keeps the line out of the account; one that does not read is refused.
        if (!m_quantity->text().trimmed().isEmpty() && !leerCantidad(m_quantity->text())) {
            ui::refuseQuantity(this, messages(), m_quantity);
            return;
        }
        if (m_line.descripcion.trimmed().isEmpty() && m_line.cantidad != 0) {
            ui::showMessage(this, messages(), QStringLiteral("NoDes"), ui::Icon::Warning);
            m_description->setFocus();
            return;
        }
        if (!ui::amountWithinLimit(this, messages(), m_context.regional, m_price))
            return;
        if (!importeLineaAcotado(m_line.cantidad, m_line.precio)) {
            ui::refuseAmount(this, messages(), m_context.regional, m_quantity);
            return;
        }
    } else {
        if (m_chosen < 0) {
            ui::showMessage(this, messages(), QStringLiteral("NoDescripcion"), ui::Icon::Warning);
            m_list->setFocus();
            return;
        }
        std::vector<accounts::LineaCredito> all = m_kept;
        all.push_back(m_line);
        if (accounts::superaBono(all)) {
            ui::showMessage(this, messages(), QStringLiteral("Bono"), ui::Icon::Warning);
            m_quantity->setFocus();
            return;
        }
        if (!importeLineaAcotado(m_line.cantidad, m_line.precio)) {
            ui::refuseAmount(this, messages(), m_context.regional, m_quantity);
            return;
        }
    }
    QDialog::accept();
}

void TFrmEntradaInicial::keyPressEvent(QKeyEvent* event) {
    // Enter walks the fields to "&Aceptar" (their returnPressed), which takes
    // it itself; it never accepts from a field.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

const ui::MessageTable& TFrmEntradaInicial::messages() {
    return TFrmEntradaCredito::messages();
}
