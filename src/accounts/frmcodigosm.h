#pragma once

#include "store/rows.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
struct ConsoleContext;

// "[ Modificar código de tiempo ]": the password, its two ticks, the desktop
// type and, for an operator allowed to, the dates of a time code.
class TFrmCodigosTiempo_m final : public QDialog {
    Q_OBJECT
public:
    TFrmCodigosTiempo_m(ConsoleContext& context, const store::Cuenta& codigo, bool canEditDates,
                        QWidget* parent = nullptr);
    void accept() override;

    QLineEdit* loginEdit() const { return m_login; }
    QLineEdit* passwordEdit() const { return m_password; }
    QCheckBox* primeraVezBox() const { return m_primeraVez; }
    QCheckBox* noCambiarBox() const { return m_noCambiar; }
    QComboBox* escritorioBox() const { return m_escritorio; }
    QDateEdit* altaEdit() const { return m_alta; }
    QDateEdit* ultimaEdit() const { return m_ultima; }

private:
    void syncTicks();

    ConsoleContext& m_context;
    store::Cuenta m_codigo;
    QLineEdit* m_login = nullptr;
    QLineEdit* m_password = nullptr;
    QCheckBox* m_primeraVez = nullptr;
    QCheckBox* m_noCambiar = nullptr;
    QComboBox* m_escritorio = nullptr;
    QDateEdit* m_alta = nullptr;
    QDateEdit* m_ultima = nullptr;
};
