#pragma once

#include "accounts/cambioscuentas.h"

#include <QDialog>
#include <QStringList>

class QComboBox;
class QRadioButton;
struct ConsoleContext;
namespace ui {
class MessageTable;
}

// "[ Tarifas de cuentas ]": the pricing of the current account, and then of
// the selected accounts or of every account.
class Tfrmtarifascue final : public QDialog {
    Q_OBJECT
public:
    // Throws store::DatabaseError.
    Tfrmtarifascue(ConsoleContext& context, const QString& currentLogin, const QStringList& selectedLogins,
                   QWidget* parent = nullptr);
    static const ui::MessageTable& messages();
    void accept() override;

    // "0" según tarifa, "1" según franja horaria, "2" bono tiempo.
    QRadioButton* modeButton(int tipo) const { return m_modes[tipo]; }
    QComboBox* tarifaBox() const { return m_tarifa; }
    QRadioButton* todasButton() const { return m_todas; }

private:
    QString tipo() const;

    ConsoleContext& m_context;
    QString m_current;
    QStringList m_selected;
    QRadioButton* m_modes[3] = {};
    QComboBox* m_tarifa = nullptr;
    QRadioButton* m_seleccionadas = nullptr;
    QRadioButton* m_todas = nullptr;
};

// "[ Escritorio de cuentas ]": the desktop type of the selected rows or of
// every row, for the accounts or, in code mode, the time codes.
class Tfrmdesktopcue final : public QDialog {
    Q_OBJECT
public:
    Tfrmdesktopcue(ConsoleContext& context, accounts::Ambito ambito, const QStringList& selectedLogins,
                   QWidget* parent = nullptr);
    static const ui::MessageTable& messages();
    void accept() override;

    QComboBox* escritorioBox() const { return m_escritorio; }
    QRadioButton* todasButton() const { return m_todas; }

private:
    ConsoleContext& m_context;
    accounts::Ambito m_ambito;
    QStringList m_selected;
    QComboBox* m_escritorio = nullptr;
    QRadioButton* m_seleccionadas = nullptr;
    QRadioButton* m_todas = nullptr;
};
