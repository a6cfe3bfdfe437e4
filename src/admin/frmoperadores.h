#pragma once

#include "admin/operadoresrules.h"
#include "store/operadores.h"
#include "ui/messagetable.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QTableWidget;
struct ConsoleContext;

// "[ Nivel de acceso... ]": an operator's name, password and permissions.
class TFrmNivelAcceso : public QDialog {
    Q_OBJECT
public:
    TFrmNivelAcceso(ConsoleContext& context, QWidget* parent = nullptr);

    static const ui::MessageTable& messages();

    void prepareAdd();
    void prepareChange(const store::Operador& op);
    bool adding() const { return m_adding; }
    // The operator as the dialog holds it; its PASS is the stored one.
    store::Operador operador() const;
    // The password typed; empty keeps the stored one.
    QString clave() const;

    void setName(const QString& name);
    void setPassword(const QString& password, const QString& confirmation);
    void setPermiso(store::Permiso permiso, bool on);

    void done(int result) override;

private:
    ConsoleContext& m_context;
    bool m_adding = true;
    store::Operador m_op;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_confirm = nullptr;
    QListWidget* m_permisos = nullptr;
};

// " [ Operadores de Quintor...] ": the operators and their permissions.
class TFrmOperadores : public QDialog {
    Q_OBJECT
public:
    TFrmOperadores(ConsoleContext& context, QWidget* parent = nullptr);

    static const ui::MessageTable& messages();

    // Reads the table again, keeping the current row number.
    void reread();
    int currentRow() const;
    void setCurrentRow(int row);
    const std::vector<store::Operador>& rows() const { return m_rows; }

    void anadir();
    void modificar();
    void borrar();

private:
    void showError(const QString& text);
    admin::Autor autor() const;

    ConsoleContext& m_context;
    std::vector<store::Operador> m_rows;
    QTableWidget* m_grid = nullptr;
};
