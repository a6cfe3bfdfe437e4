#pragma once

#include <QDialog>

class QAction;
struct ConsoleContext;

namespace sales {

class SaleEntry;
class TFrmcambio;
class TicketPaper;

// "[ Tickets... ]" on an existing ticket (a station's or a pending one):
// opens in entry mode and adds articles to it.
class TFrmTPV2 : public QDialog {
    Q_OBJECT
public:
    TFrmTPV2(ConsoleContext& context, TFrmcambio& cambio, QWidget* parent = nullptr);

    // Opens on ticket idTick: the scratch record's entry columns as they are.
    void openOn(int idTick);
    int currentTicket() const { return m_idTick; }
    SaleEntry* entry() const { return m_entryLine; }

    void anadir();     // F10
    void buscar();     // F5
    void finalizar();  // F2
    void abrirCajon(); // F4 (the bell byte)
    void imprimir();   // F6
    void salir();      // "&Salir"

private:
    void addCommand(const QString& caption, const QKeySequence& key, void (TFrmTPV2::*slot)(), QLayout* into);
    void showCurrent();

    ConsoleContext& m_context;
    TFrmcambio& m_cambio;
    TicketPaper* m_paper = nullptr;
    SaleEntry* m_entryLine = nullptr;
    QWidget* m_addButton = nullptr;
    int m_idTick = 0;
};

} // namespace sales
