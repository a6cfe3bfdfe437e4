#pragma once

#include "accounts/cambioscuentas.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QDateEdit;
class QRadioButton;
struct ConsoleContext;
namespace station {
class LoginsInUse;
}
namespace ui {
class MessageTable;
}

// "[ Eliminación de cuentas caducadas ]" and, in code mode, "[ Eliminación de
// códigos caducados ]": removes the rows created or last used before a day
// (codes also by zero time credit), unless one of them is logged in.
class TFrmCodigoscaducidad final : public QDialog {
    Q_OBJECT
public:
    // removed runs once the removal was tried, to refresh the list shown.
    TFrmCodigoscaducidad(ConsoleContext& context, accounts::Ambito ambito, const station::LoginsInUse& inUse,
                         std::function<void()> removed = {}, QWidget* parent = nullptr);
    static const ui::MessageTable& messages();
    void accept() override;

    QDateEdit* fechaEdit() const { return m_fecha; }
    // 0 by creation date, 1 by last visit; clicking the chosen one again chooses none.
    QRadioButton* criterioButton(int criterio) const { return m_criterios[criterio]; }
    // Code mode only; null for the accounts.
    QCheckBox* creditoNuloBox() const { return m_nulo; }

private:
    int criterio() const;
    void eliminarCuentas();
    void eliminarCodigos();

    ConsoleContext& m_context;
    accounts::Ambito m_ambito;
    const station::LoginsInUse& m_inUse;
    std::function<void()> m_removed;
    QDateEdit* m_fecha = nullptr;
    QRadioButton* m_criterios[2] = {};
    QCheckBox* m_nulo = nullptr;
};
