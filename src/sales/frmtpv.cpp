#include "sales/frmtpv.h"

#include "core/consolecontext.h"
#include "sales/frmcambio.h"
#include "sales/impresion.h"
#include "sales/puntoventa.h"
#include "sales/saleentry.h"
#include "sales/ticketpaper.h"
#include "sales/tickets.h"
#include "store/datamodule.h"
#include "store/sql.h"
#include "ui/messagebox.h"

#include <QAction>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace sales {

const ui::MessageTable& TFrmTPV::messages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        {"TicketAnulado", QStringLiteral("Este ticket está anulado. ¿Modificar de todas formas?."),
         QString()},
        {"AnularTicket", QStringLiteral("¿Anular este ticket ?"), QString()},
        {"TicketInexistente", QStringLiteral("Ticket inexistente..."),
         QStringLiteral("This ticket does not exist...")},
    };
    return table;
}

TFrmTPV::TFrmTPV(ConsoleContext& context, TFrmcambio& cambio, QWidget* parent)
    : QDialog(parent)
    , m_context(context)
    , m_cambio(cambio) {
    setObjectName(QStringLiteral("TFrmTPV"));
    setWindowTitle(QStringLiteral("[ Tickets... ]"));
    m_paper = new TicketPaper(context, this);
    m_entryLine = new SaleEntry(context, this);

    addCommand(QStringLiteral("nueva"), QStringLiteral("[F1] Nueva venta"), Qt::Key_F1, &TFrmTPV::nuevaVenta);
    addCommand(QStringLiteral("finalizar"), QStringLiteral("[F2] Finalizar venta"), Qt::Key_F2,
               &TFrmTPV::finalizarVenta);
    addCommand(QStringLiteral("anular"), QStringLiteral("[F3] Anular venta"), Qt::Key_F3,
               &TFrmTPV::anularVenta);
    addCommand(QStringLiteral("cajon"), QStringLiteral("[F4] Abrir cajón portamonedas"), Qt::Key_F4,
               &TFrmTPV::abrirCajon);
    addCommand(QStringLiteral("buscar"), QStringLiteral("[F5] Buscar"), Qt::Key_F5, &TFrmTPV::buscar);
    addCommand(QStringLiteral("imprimir"), QStringLiteral(" [F6] Imprimir este ticket"), Qt::Key_F6,
               &TFrmTPV::imprimir);
    addCommand(QStringLiteral("anotar"), QStringLiteral("[F7] Anotar en puesto"), Qt::Key_F7,
               &TFrmTPV::anotar);
    addCommand(QStringLiteral("modificar"), QStringLiteral("[F8]   Modificar este ticket"), Qt::Key_F8,
               &TFrmTPV::modificar);
    addCommand(QStringLiteral("anadir"), QStringLiteral("[F10]  Añadir al ticket "), Qt::Key_F10,
               &TFrmTPV::anadir);
    addCommand(QStringLiteral("cerrar"), QStringLiteral("[Esc] Cerrar"), QKeySequence(), &TFrmTPV::cerrar);
    m_entryLine->setAddButton(m_buttons.value(QStringLiteral("anadir")));

    // Idle panel: the idle commands; entry panel: the entry line and its commands.
    auto* idle = new QWidget(this);
    auto* idleLayout = new QVBoxLayout(idle);
    for (const char* name : {"nueva", "cajon", "imprimir", "anotar", "modificar", "cerrar"})
        idleLayout->addWidget(m_buttons.value(QLatin1String(name)));
    idleLayout->addStretch();
    auto* entryPanel = new QWidget(this);
    auto* entryLayout = new QVBoxLayout(entryPanel);
    entryLayout->addWidget(m_entryLine);
    auto* entryButtons = new QGridLayout;
    entryButtons->addWidget(m_buttons.value(QStringLiteral("buscar")), 0, 0);
    entryButtons->addWidget(m_buttons.value(QStringLiteral("anadir")), 0, 1);
    entryButtons->addWidget(m_buttons.value(QStringLiteral("finalizar")), 1, 0);
    entryButtons->addWidget(m_buttons.value(QStringLiteral("anular")), 1, 1);
    entryLayout->addLayout(entryButtons);
    entryLayout->addStretch();
    m_panels = new QStackedWidget(this);
    m_panels->addWidget(idle);
    m_panels->addWidget(entryPanel);

    auto* navigation = new QHBoxLayout;
    const struct {
        const char* text;
        const char* hint;
        int paso;
    } moves[] = {{"|<", "Primer ticket", int(Paso::Primero)},
                 {"<", "Anterior ticket", int(Paso::Anterior)},
                 {">", "Siguiente ticket", int(Paso::Siguiente)},
                 {">|", "Ultimo ticket", int(Paso::Ultimo)}};
    m_number = new QLineEdit(this);
    m_number->setObjectName(QStringLiteral("numero"));
    m_number->setAlignment(Qt::AlignCenter);
    m_number->setMaximumWidth(120);
    connect(m_number, &QLineEdit::returnPressed, this, &TFrmTPV::irANumero);
    for (int i = 0; i < 4; ++i) {
        auto* b = new QPushButton(QLatin1String(moves[i].text), this);
        b->setToolTip(QString::fromUtf8(moves[i].hint));
        b->setFocusPolicy(Qt::NoFocus);
        const int paso = moves[i].paso;
        connect(b, &QPushButton::clicked, this, [this, paso] { mover(paso); });
        m_navigation << b;
        navigation->addWidget(b);
        if (i == 1)
            navigation->addWidget(m_number);
    }
    auto* left = new QVBoxLayout;
    left->addWidget(m_paper, 1);
    left->addLayout(navigation);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addWidget(m_panels);
    resize(760, 520);

    connect(m_entryLine, &SaleEntry::lineAdded, this, &TFrmTPV::showCurrent);
    setEntryMode(false);
}

QAction* TFrmTPV::addCommand(const QString& name, const QString& caption, const QKeySequence& key,
                             void (TFrmTPV::*slot)()) {
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    if (!key.isEmpty())
        action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    addAction(action);
    connect(action, &QAction::triggered, this, slot);
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name + QStringLiteral("Button"));
    connect(button, &QPushButton::clicked, action, &QAction::trigger);
    m_commands.insert(name, action);
    m_buttons.insert(name, button);
    return action;
}

QAction* TFrmTPV::command(const QString& name) const {
    return m_commands.value(name);
}

void TFrmTPV::showError(const QString& text) {
    ui::showError(this, text);
}

void TFrmTPV::setEntryMode(bool entry) {
    m_entry = entry;
    if (!entry)
        m_entryLine->setReopened(false);
    for (const char* name : {"nueva", "cajon", "imprimir", "anotar", "modificar", "cerrar"}) {
        m_commands.value(QLatin1String(name))->setEnabled(!entry);
        m_buttons.value(QLatin1String(name))->setEnabled(!entry);
    }
    for (const char* name : {"finalizar", "anular", "buscar", "anadir"}) {
        m_commands.value(QLatin1String(name))->setEnabled(entry);
        m_buttons.value(QLatin1String(name))->setEnabled(entry);
    }
    m_entryLine->setEnabled(entry);
    for (QPushButton* b : m_navigation)
        b->setEnabled(!entry);
    m_number->setEnabled(!entry);
    m_panels->setCurrentIndex(entry ? 1 : 0);
    if (entry)
        m_entryLine->codeBox()->setFocus();
    else
        m_buttons.value(QStringLiteral("nueva"))->setFocus();
}

void TFrmTPV::showCurrent() {
    try {
        m_paper->showTicket(m_idTick);
        const auto t = m_idTick ? ticketById(m_context.data->db(), m_idTick) : std::nullopt;
        m_number->setText(t ? t->NUM_TICKET : QString());
    } catch (const store::DatabaseError& e) {
        showError(e.text());
    }
}

void TFrmTPV::open() {
    try {
        const auto last = moverTicket(m_context.data->db(), 0, Paso::Ultimo);
        m_idTick = last ? last->ID_TICK : 0;
    } catch (const store::DatabaseError& e) {
        showError(e.text());
    }
    m_entryLine->reset(true);
    setEntryMode(false);
    showCurrent();
}

void TFrmTPV::nuevaVenta() {
    if (m_entry)
        return;
    try {
        m_idTick = sales::nuevaVenta(m_context.data->db(), m_context.currentOperator, m_context.clock->now())
                       .ID_TICK;
    } catch (const store::DatabaseError& e) {
        showError(e.text());
        return;
    }
    m_entryLine->load();
    setEntryMode(true);
    m_buttons.value(QStringLiteral("anular"))->setEnabled(true);
    showCurrent();
}

void TFrmTPV::finalizarVenta() {
    if (!m_entry)
        return;
    m_entryLine->reset(false);
    setEntryMode(false);
    Currency total;
    try {
        store::Udart u = readUdart(m_context.data->db());
        u.ENTREGADO = Currency();
        saveUdart(m_context.data->db(), u);
        if (const auto t = ticketById(m_context.data->db(), m_idTick))
            total = t->IMPORTE;
    } catch (const store::DatabaseError& e) {
        showError(e.text());
    }
    showCurrent();
    m_cambio.showFor(m_idTick, total, this);
}

void TFrmTPV::anularVenta() {
    if (!m_entry)
        return;
    m_entryLine->reset(false);
    try {
        cancelTicket(m_context.data->db(), m_idTick, m_context.currentOperator, m_context.clock->now());
    } catch (const store::DatabaseError& e) {
        showError(e.text());
    }
    setEntryMode(false);
    showCurrent();
}

void TFrmTPV::abrirCajon() {
    if (!m_entry)
        sales::abrirCajonSinVenta(this, m_context);
}

void TFrmTPV::buscar() {
    if (m_entry)
        m_entryLine->search(false);
}

void TFrmTPV::imprimir() {
    if (m_entry || m_idTick == 0)
        return;
    const int id = m_idTick;
    sales::imprimir(this, m_context, [id](const LayoutContext& c) { return TicketVenta(c, id); });
}

void TFrmTPV::anotar() {
    if (m_entry || m_idTick == 0 || !m_attach)
        return;
    try {
        if (const auto t = ticketById(m_context.data->db(), m_idTick))
            m_attach(t->NUM_TICKET);
    } catch (const store::DatabaseError& e) {
        showError(e.text());
    }
}

void TFrmTPV::modificar() {
    if (m_idTick == 0)
        return;
    try {
        const auto t = ticketById(m_context.data->db(), m_idTick);
        if (!t)
            return;
        if (!t->OBSERVACIONES.isEmpty() &&
            ui::showMessage(this, messages(), QStringLiteral("TicketAnulado"), ui::Icon::Warning,
                            ui::Buttons::YesNo) != ui::Answer::Yes)
            return;
    } catch (const store::DatabaseError& e) {
        showError(e.text());
        return;
    }
    if (m_entry)
        return;
    m_entryLine->load();
    setEntryMode(true);
    m_entryLine->setReopened(true);
    // The button is off while modifying; F3 still cancels the whole ticket.
    m_buttons.value(QStringLiteral("anular"))->setEnabled(false);
}

void TFrmTPV::anadir() {
    if (m_entry)
        m_entryLine->addTo(m_idTick);
}

void TFrmTPV::cerrar() {
    if (m_entry)
        return;
    m_entryLine->reset(true);
    m_closing = true;
    close();
}

void TFrmTPV::reject() {
    // Esc closes only in idle mode.
    cerrar();
}

void TFrmTPV::mover(int paso) {
    if (m_entry)
        return;
    try {
        if (const auto t = moverTicket(m_context.data->db(), m_idTick, Paso(paso)))
            m_idTick = t->ID_TICK;
    } catch (const store::DatabaseError& e) {
        showError(e.text());
    }
    showCurrent();
}

void TFrmTPV::irANumero() {
    if (m_entry || m_number->text().isEmpty())
        return;
    try {
        const auto t = findTicket(m_context.data->db(), m_number->text());
        if (!t) {
            ui::showMessage(this, messages(), QStringLiteral("TicketInexistente"), ui::Icon::Warning);
            return;
        }
        m_idTick = t->ID_TICK;
    } catch (const store::DatabaseError& e) {
        showError(e.text());
    }
    showCurrent();
}

void TFrmTPV::closeEvent(QCloseEvent* event) {
    if (m_entry) {
        const ui::Answer answer = ui::showMessage(this, messages(), QStringLiteral("AnularTicket"),
                                                  ui::Icon::Question, ui::Buttons::YesNoCancel);
        if (answer == ui::Answer::Cancel) {
            event->ignore();
            return;
        }
        if (answer == ui::Answer::Yes)
            anularVenta();
        else
            finalizarVenta();
    }
    if (!m_closing)
        m_entryLine->reset(true);
    m_closing = false;
    QDialog::closeEvent(event);
    done(QDialog::Accepted);
}

} // namespace sales
