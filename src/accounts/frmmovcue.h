#pragma once

#include "accounts/altacuenta.h"
#include "store/rows.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QKeyEvent;
class QPushButton;
struct ConsoleContext;

namespace ui {
class MessageTable;
}

// The entry window of an account's credit: money top-ups (TFrmmovcue) or
// vouchers of time (Tfrmmovcuetiempo). Idle it offers "Nuevo [F1]" and
// "Salir [Esc]"; "Nuevo" issues the sale's ticket and opens the entry, which
// ends in "Confirmar [F2]" (credit, line, movement) or "Anular [F3]" (the
// ticket voided). It cannot be left while a sale is pending.
class TFrmEntradaCredito : public QDialog {
    Q_OBJECT
public:
    enum class Modo { Metalico, Tiempo };
    // Called after every confirmed sale with the account as saved.
    using CreditChanged = std::function<void(const store::Cuenta&)>;

    TFrmEntradaCredito(Modo modo, ConsoleContext& context, const store::Cuenta& cuenta, CreditChanged changed,
                       QWidget* parent = nullptr);

    static const ui::MessageTable& messages();

    bool salePending() const { return m_ticket.has_value(); }
    QString rememberedText() const;

    void nuevo();
    void confirmar();
    void anular();
    // After a confirmed sale: its ticket with the account's balances, the
    // receipt of its movement, and the cash drawer.
    void imprimirTicket();
    void imprimirComprobante();
    void abrirCajon();
    // The list entry (top-up or voucher) by its position.
    void choose(int index);

    QLineEdit* descriptionEdit() const { return m_description; }
    QLineEdit* quantityEdit() const { return m_quantity; }
    QLineEdit* priceEdit() const { return m_price; }
    QLabel* resultLabel() const { return m_result; }
    QPushButton* ticketButton() const { return m_imprimir; }
    QPushButton* comprobanteButton() const { return m_comprobante; }
    QPushButton* cajonButton() const { return m_cajon; }
    int lastMovement() const { return m_lastMov; }

public slots:
    void reject() override;

private:
    void setPending(bool pending);
    void recompute();
    // Nothing when the box does not read as a number.
    std::optional<double> quantity() const;
    Currency price() const;
    void showKey(const QString& key, QWidget* focus);
    void showError(const QString& text);

    Modo m_modo;
    ConsoleContext& m_context;
    store::Cuenta m_cuenta;
    CreditChanged m_changed;
    Currency m_rememberedMoney;
    int m_rememberedSeconds = 0;
    std::optional<store::Ticket> m_ticket;
    std::vector<store::Recarga> m_recargas;
    std::vector<store::Bono> m_bonos;
    int m_chosen = -1;
    // The last confirmed sale, what "Ticket" and "Comprobante" print.
    int m_lastTick = 0;
    int m_lastMov = 0;

    QLabel* m_current = nullptr;
    QLabel* m_result = nullptr;
    QLabel* m_ticketLabel = nullptr;
    QLabel* m_lineTime = nullptr;
    QComboBox* m_list = nullptr;
    QLineEdit* m_description = nullptr;
    QLineEdit* m_quantity = nullptr;
    QLineEdit* m_price = nullptr;
    QPushButton* m_nuevo = nullptr;
    QPushButton* m_confirmar = nullptr;
    QPushButton* m_anular = nullptr;
    QPushButton* m_cajon = nullptr;
    QPushButton* m_imprimir = nullptr;
    QPushButton* m_comprobante = nullptr;
    QPushButton* m_salir = nullptr;
};

class TFrmmovcue final : public TFrmEntradaCredito {
    Q_OBJECT
public:
    TFrmmovcue(ConsoleContext& context, const store::Cuenta& cuenta, CreditChanged changed,
               QWidget* parent = nullptr)
        : TFrmEntradaCredito(Modo::Metalico, context, cuenta, std::move(changed), parent) {}
};

class Tfrmmovcuetiempo final : public TFrmEntradaCredito {
    Q_OBJECT
public:
    Tfrmmovcuetiempo(ConsoleContext& context, const store::Cuenta& cuenta, CreditChanged changed,
                     QWidget* parent = nullptr)
        : TFrmEntradaCredito(Modo::Tiempo, context, cuenta, std::move(changed), parent) {}
};

// The entry of one initial-credit line of a new account: a top-up
// (TFrmmovcue_a) or vouchers (Tfrmmovcuetiempo_a). It books nothing: on
// "&Aceptar" linea() holds the line the account window keeps.
class TFrmEntradaInicial : public QDialog {
    Q_OBJECT
public:
    enum class Modo { Metalico, Tiempo };

    // kept: the lines the account window holds already.
    TFrmEntradaInicial(Modo modo, ConsoleContext& context, const std::vector<accounts::LineaCredito>& kept,
                       QWidget* parent = nullptr);

    static const ui::MessageTable& messages();
    const accounts::LineaCredito& linea() const { return m_line; }
    void choose(int index);
    void accept() override;

    QComboBox* list() const { return m_list; }
    QLineEdit* descriptionEdit() const { return m_description; }
    QLineEdit* quantityEdit() const { return m_quantity; }
    QLineEdit* priceEdit() const { return m_price; }
    QLabel* resultLabel() const { return m_result; }
    QLabel* lineTimeLabel() const { return m_lineTime; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void refreshLine();

    Modo m_modo;
    ConsoleContext& m_context;
    std::vector<accounts::LineaCredito> m_kept;
    accounts::LineaCredito m_line;
    std::vector<store::Recarga> m_recargas;
    std::vector<store::Bono> m_bonos;
    int m_chosen = -1;
    QComboBox* m_list = nullptr;
    QLineEdit* m_description = nullptr;
    QLineEdit* m_quantity = nullptr;
    QLineEdit* m_price = nullptr;
    QLabel* m_amount = nullptr;
    QLabel* m_lineTime = nullptr;
    QLabel* m_result = nullptr;
    QPushButton* m_aceptar = nullptr;
};

class TFrmmovcue_a final : public TFrmEntradaInicial {
    Q_OBJECT
public:
    TFrmmovcue_a(ConsoleContext& context, const std::vector<accounts::LineaCredito>& kept,
                 QWidget* parent = nullptr)
        : TFrmEntradaInicial(Modo::Metalico, context, kept, parent) {}
};

class Tfrmmovcuetiempo_a final : public TFrmEntradaInicial {
    Q_OBJECT
public:
    Tfrmmovcuetiempo_a(ConsoleContext& context, const std::vector<accounts::LineaCredito>& kept,
                       QWidget* parent = nullptr)
        : TFrmEntradaInicial(Modo::Tiempo, context, kept, parent) {}
};
