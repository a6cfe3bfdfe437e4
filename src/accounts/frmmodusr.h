#pragma once

#include "accounts/altacuenta.h"
#include "accounts/modcuenta.h"
#include "store/rows.h"

#include <QDialog>

#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class ListaTarifas;
struct ConsoleContext;
namespace ui {
class MessageTable;
}

// The account window: "Nueva cuenta de cliente" for a new account (with its
// initial credit sold on one ticket), "Cuenta: " + name for an existing one.
class TFrmModusr final : public QDialog {
    Q_OBJECT
public:
    using CuentaCallback = std::function<void(const store::Cuenta&)>;
    using LoginCallback = std::function<void(const QString& login)>;

    // A new account.
    TFrmModusr(ConsoleContext& context, const ListaTarifas& tarifas, QWidget* parent = nullptr);
    // The account of that row; loginInUse: logged in at a station, so its
    // login cannot change.
    TFrmModusr(ConsoleContext& context, const ListaTarifas& tarifas, const store::Cuenta& cuenta,
               bool loginInUse, QWidget* parent = nullptr);

    static const ui::MessageTable& messages();

    bool isNew() const { return m_original.isEmpty(); }
    // The login of the row being edited; empty for a new account.
    QString editedLogin() const { return m_original; }
    // After an existing account is saved, with the row as saved: its station
    // follows the new values.
    void setOnSaved(CuentaCallback saved) { m_saved = std::move(saved); }
    // The money and time buttons of an existing account open its movement
    // windows.
    void setMovementWindows(LoginCallback money, LoginCallback time);

    const std::vector<accounts::LineaCredito>& moneyLines() const { return m_dinero; }
    const std::vector<accounts::LineaCredito>& voucherLines() const { return m_bonos; }

    // The money and time buttons, and the e-mail button.
    void addMoney();
    void addTime();
    void sendMail();

    void accept() override;
    void done(int result) override;

    QTabWidget* tabs() const { return m_tabs; }
    QLineEdit* loginEdit() const { return m_login; }
    QLineEdit* passwordEdit() const { return m_pass; }
    QLineEdit* repeatEdit() const { return m_repeat; }
    QComboBox* modeBox() const { return m_mode; }
    QLineEdit* moneyEdit() const { return m_money; }
    QLineEdit* timeEdit() const { return m_time; }
    QSpinBox* discountBox() const { return m_descuento; }
    QRadioButton* blockButton() const { return m_bloquear; }
    QRadioButton* noBlockButton() const { return m_noBloquear; }
    QCheckBox* deactivatedBox() const { return m_desactivada; }
    QCheckBox* intropassBox() const { return m_intropass; }
    QCheckBox* nomodpassBox() const { return m_nomodpass; }
    QComboBox* desktopBox() const { return m_escritorio; }
    QDateEdit* altaEdit() const { return m_alta; }
    QDateEdit* ultimaEdit() const { return m_ultima; }
    QLineEdit* nameEdit() const { return m_nombre; }
    QLineEdit* addressEdit() const { return m_dir; }
    QLineEdit* phoneEdit() const { return m_telf; }
    QLineEdit* emailEdit() const { return m_email; }
    QPlainTextEdit* commentsEdit() const { return m_observaciones; }
    QCheckBox* noticeBox() const { return m_checkAviso; }
    QLineEdit* noticeEdit() const { return m_aviso; }
    QPushButton* moneyButton() const { return m_moneyButton; }
    QPushButton* timeButton() const { return m_timeButton; }

private:
    void build(ConsoleContext& context);
    void fillNew();
    void fillFrom(const store::Cuenta& cuenta, bool loginInUse);
    void showCredit(const store::Cuenta& cuenta);
    void refreshCredit();
    void showLines();
    store::Cuenta fields() const;
    void showKey(const QString& key);
    void imprimirAlta(const store::Cuenta& cuenta, int idTick);

    ConsoleContext& m_context;
    const ListaTarifas& m_tarifas;
    std::vector<accounts::ModoTarifa> m_modos;
    QString m_original;
    CuentaCallback m_saved;
    LoginCallback m_openMoney;
    LoginCallback m_openTime;
    std::vector<accounts::LineaCredito> m_dinero;
    std::vector<accounts::LineaCredito> m_bonos;

    QTabWidget* m_tabs = nullptr;
    QLineEdit* m_login = nullptr;
    QLineEdit* m_pass = nullptr;
    QLineEdit* m_repeat = nullptr;
    QComboBox* m_mode = nullptr;
    QLineEdit* m_money = nullptr;
    QLineEdit* m_time = nullptr;
    QPushButton* m_moneyButton = nullptr;
    QPushButton* m_timeButton = nullptr;
    QSpinBox* m_descuento = nullptr;
    QRadioButton* m_bloquear = nullptr;
    QRadioButton* m_noBloquear = nullptr;
    QCheckBox* m_desactivada = nullptr;
    QCheckBox* m_intropass = nullptr;
    QCheckBox* m_nomodpass = nullptr;
    QComboBox* m_escritorio = nullptr;
    QDateEdit* m_alta = nullptr;
    QDateEdit* m_ultima = nullptr;
    QLineEdit* m_nombre = nullptr;
    QLineEdit* m_dir = nullptr;
    QLineEdit* m_telf = nullptr;
    QLineEdit* m_email = nullptr;
    QPlainTextEdit* m_observaciones = nullptr;
    QCheckBox* m_checkAviso = nullptr;
    QLineEdit* m_aviso = nullptr;
};
