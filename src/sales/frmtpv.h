#pragma once

#include "ui/messagetable.h"

#include <QDialog>

#include <functional>

class QAction;
class QLineEdit;
class QPushButton;
class QStackedWidget;
struct ConsoleContext;

namespace sales {

class SaleEntry;
class TFrmcambio;
class TicketPaper;

// "[ Tickets... ]": new sales, cancelling, modifying and browsing tickets.
// Idle mode shows the idle commands and the navigation; entry mode the
// entry line of the ticket being entered.
class TFrmTPV : public QDialog {
    Q_OBJECT
public:
    TFrmTPV(ConsoleContext& context, TFrmcambio& cambio, QWidget* parent = nullptr);

    static const ui::MessageTable& messages();

    // Hangs the current ticket on the station selected in the main grid.
    using AttachHandler = std::function<void(const QString& ticketNumber)>;
    void setAttachHandler(AttachHandler handler) { m_attach = std::move(handler); }

    // The window's opening: the last ticket current, the scratch record
    // reset (all six columns), idle mode.
    void open();
    bool entryMode() const { return m_entry; }
    int currentTicket() const { return m_idTick; }
    SaleEntry* entry() const { return m_entryLine; }
    QLineEdit* numberBox() const { return m_number; }
    QAction* command(const QString& name) const;

    // The commands of the key table.
    void nuevaVenta();     // F1
    void finalizarVenta(); // F2
    void anularVenta();    // F3
    void abrirCajon();     // F4
    void buscar();         // F5
    void imprimir();       // F6
    void anotar();         // F7
    void modificar();      // F8
    void anadir();         // F10
    void cerrar();         // Esc
    void mover(int paso);  // navigation
    void irANumero();      // Enter in the number box

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    QAction* addCommand(const QString& name, const QString& caption, const QKeySequence& key,
                        void (TFrmTPV::*slot)());
    void setEntryMode(bool entry);
    void showCurrent();
    void showError(const QString& text);

    ConsoleContext& m_context;
    TFrmcambio& m_cambio;
    AttachHandler m_attach;
    TicketPaper* m_paper = nullptr;
    SaleEntry* m_entryLine = nullptr;
    QStackedWidget* m_panels = nullptr;
    QLineEdit* m_number = nullptr;
    QList<QPushButton*> m_navigation;
    QHash<QString, QAction*> m_commands;
    QHash<QString, QPushButton*> m_buttons;
    int m_idTick = 0;
    bool m_entry = false;
    bool m_closing = false;
};

} // namespace sales
