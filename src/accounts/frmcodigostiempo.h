#pragma once

#include "accounts/codigos.h"
#include "store/rows.h"

#include <QDialog>
#include <QRandomGenerator>

#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct ConsoleContext;

// The sale window of time codes: in creation mode "[ Crear códigos de
// tiempo ]" it sells new codes one after another, each from a balance of 0;
// in top-up mode "[ Añadir tiempo a cuenta ]" it adds vouchers to one code.
// Idle, every field is locked; "[F1] Nuevo" opens a sale that "[F2]
// Confirmar" books. No ticket exists before the confirmation, so closing
// the window writes nothing.
class Tfrmcodigostiempo final : public QDialog {
    Q_OBJECT
public:
    enum class Modo { Crear, Recargar };

    // codigo: the code to top up (top-up mode only). changed is called with
    // the code as saved after every booked sale.
    Tfrmcodigostiempo(ConsoleContext& context, Modo modo, const std::optional<store::Cuenta>& codigo,
                      accounts::CodigoCambiado changed, QWidget* parent = nullptr);

    Modo modo() const { return m_modo; }
    bool salePending() const { return m_pending; }
    // The last booked sale.
    const accounts::CodigoResultado& lastSale() const { return m_last; }
    QString rememberedText() const;

    void nuevo();
    void confirmar();
    void anular();
    void abrirCajon();
    void imprimir();
    // The voucher by its position in the list.
    void choose(int index);

    QLineEdit* loginEdit() const { return m_login; }
    QLineEdit* passwordEdit() const { return m_password; }
    QCheckBox* primeraVezBox() const { return m_primeraVez; }
    QCheckBox* noCambiarBox() const { return m_noCambiar; }
    QCheckBox* imprimirBox() const { return m_autoPrint; }
    QComboBox* escritorioBox() const { return m_escritorio; }
    QComboBox* bonoBox() const { return m_bonoList; }
    QLineEdit* quantityEdit() const { return m_quantity; }
    QLabel* ticketLabel() const { return m_ticket; }
    QLabel* resultLabel() const { return m_result; }
    QPushButton* nuevoButton() const { return m_nuevo; }
    QPushButton* confirmarButton() const { return m_confirmar; }
    QPushButton* imprimirButton() const { return m_imprimir; }

private:
    void setPending(bool pending);
    void recompute();
    void syncTicks();
    // Nothing when the box does not read as a number.
    std::optional<double> quantity() const;
    std::optional<store::Bono> chosenBono() const;
    void show(const QString& key, QWidget* focus);

    ConsoleContext& m_context;
    Modo m_modo;
    accounts::CodigoCambiado m_changed;
    QRandomGenerator m_random;
    std::vector<store::Bono> m_bonos;
    bool m_pending = false;
    // The balance the sale starts from: 0 for a new code, the code's time for a top-up.
    int m_remembered = 0;
    accounts::CodigoResultado m_last;
    QString m_lastPassword;

    QLabel* m_ticket = nullptr;
    QLineEdit* m_login = nullptr;
    QLineEdit* m_password = nullptr;
    QCheckBox* m_primeraVez = nullptr;
    QCheckBox* m_noCambiar = nullptr;
    QComboBox* m_escritorio = nullptr;
    QCheckBox* m_autoPrint = nullptr;
    QComboBox* m_bonoList = nullptr;
    QLineEdit* m_quantity = nullptr;
    QLabel* m_price = nullptr;
    QLabel* m_amount = nullptr;
    QLabel* m_lineTime = nullptr;
    QLabel* m_current = nullptr;
    QLabel* m_result = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_nuevo = nullptr;
    QPushButton* m_confirmar = nullptr;
    QPushButton* m_anular = nullptr;
    QPushButton* m_cajon = nullptr;
    QPushButton* m_imprimir = nullptr;
    QPushButton* m_salir = nullptr;
};
