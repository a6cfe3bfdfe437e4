#include "sales/frmtpv2.h"

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
#include "ui/messagetable.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace sales {

TFrmTPV2::TFrmTPV2(ConsoleContext& context, TFrmcambio& cambio, QWidget* parent)
    : QDialog(parent)
    , m_context(context)
    , m_cambio(cambio) {
    setObjectName(QStringLiteral("TFrmTPV2"));
    setWindowTitle(QStringLiteral("[ Tickets... ]"));
    m_paper = new TicketPaper(context, this);
    m_entryLine = new SaleEntry(context, this);
    auto* menuBar = new QMenuBar(this);
    QAction* salirAction = menuBar->addAction(QStringLiteral("&Salir"));
    connect(salirAction, &QAction::triggered, this, &TFrmTPV2::salir);

    auto* buttons = new QGridLayout;
    auto* row = new QVBoxLayout;
    addCommand(QStringLiteral("[F5] Buscar"), Qt::Key_F5, &TFrmTPV2::buscar, row);
    addCommand(QStringLiteral("[F10]  Añadir al ticket "), Qt::Key_F10, &TFrmTPV2::anadir, row);
    m_addButton = row->itemAt(1)->widget();
    addCommand(QStringLiteral("[F2] Finalizar"), Qt::Key_F2, &TFrmTPV2::finalizar, row);
    addCommand(QStringLiteral("[F4] Abrir cajón"), Qt::Key_F4, &TFrmTPV2::abrirCajon, row);
    addCommand(QStringLiteral("[F6] Imprimir"), Qt::Key_F6, &TFrmTPV2::imprimir, row);
    buttons->addLayout(row, 0, 0);
    m_entryLine->setAddButton(m_addButton);
    connect(m_entryLine, &SaleEntry::lineAdded, this, &TFrmTPV2::showCurrent);

    auto* right = new QVBoxLayout;
    right->addWidget(m_entryLine);
    right->addLayout(buttons);
    right->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addWidget(m_paper, 1);
    layout->addLayout(right);
    resize(760, 480);
}

void TFrmTPV2::addCommand(const QString& caption, const QKeySequence& key, void (TFrmTPV2::*slot)(),
                          QLayout* into) {
    auto* action = new QAction(caption, this);
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    addAction(action);
    connect(action, &QAction::triggered, this, slot);
    auto* button = new QPushButton(caption, this);
    connect(button, &QPushButton::clicked, action, &QAction::trigger);
    into->addWidget(button);
}

void TFrmTPV2::showCurrent() {
    try {
        m_paper->showTicket(m_idTick);
    } catch (const store::DatabaseError& e) {
        ui::showError(this, e.text());
    }
}

void TFrmTPV2::openOn(int idTick) {
    m_idTick = idTick;
    m_entryLine->load();
    m_entryLine->codeBox()->clear();
    m_entryLine->codeBox()->setFocus();
    showCurrent();
}

void TFrmTPV2::anadir() {
    m_entryLine->addTo(m_idTick);
}

void TFrmTPV2::buscar() {
    m_entryLine->search(true);
}

void TFrmTPV2::finalizar() {
    m_entryLine->reset(false);
    Currency total;
    try {
        store::Udart u = readUdart(m_context.data->db());
        u.ENTREGADO = Currency();
        saveUdart(m_context.data->db(), u);
        if (const auto t = ticketById(m_context.data->db(), m_idTick))
            total = t->IMPORTE;
    } catch (const store::DatabaseError& e) {
        ui::showError(this, e.text());
    }
    accept();
    m_cambio.showFor(m_idTick, total, parentWidget());
}

void TFrmTPV2::abrirCajon() {
    sales::abrirCajonBell(this, m_context);
}

void TFrmTPV2::imprimir() {
    const int id = m_idTick;
    sales::imprimir(this, m_context, [id](const LayoutContext& c) { return TicketVenta(c, id); });
}

void TFrmTPV2::salir() {
    m_entryLine->reset(true);
    accept();
}

} // namespace sales
