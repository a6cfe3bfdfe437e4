#pragma once

#include "store/rows.h"

#include <QDialog>

#include <vector>

class QComboBox;
class QLineEdit;
class ListaTarifas;
struct ConsoleContext;
namespace ui {
class MessageTable;
}

// "Nueva cuenta de cliente": the new-account window.
class TFrmModusr final : public QDialog {
    Q_OBJECT
public:
    TFrmModusr(ConsoleContext& context, const ListaTarifas& tarifas, QWidget* parent = nullptr);
    static const ui::MessageTable& messages();
    void accept() override;

    QLineEdit* loginEdit() const { return m_login; }
    QLineEdit* passwordEdit() const { return m_pass; }
    QLineEdit* repeatEdit() const { return m_repeat; }
    QComboBox* modeBox() const { return m_mode; }
    QComboBox* moneyBox() const { return m_money; }
    QComboBox* voucherBox() const { return m_voucher; }

private:
    ConsoleContext& m_context;
    const ListaTarifas& m_tarifas;
    bool m_intropass = false;
    std::vector<store::Recarga> m_recargas;
    std::vector<store::Bono> m_bonos;
    QLineEdit* m_login = nullptr;
    QLineEdit* m_pass = nullptr;
    QLineEdit* m_repeat = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_email = nullptr;
    QLineEdit* m_phone = nullptr;
    QComboBox* m_mode = nullptr;
    QComboBox* m_money = nullptr;
    QComboBox* m_voucher = nullptr;
};
