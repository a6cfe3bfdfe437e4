#pragma once

#include "accounts/bonos.h"
#include "accounts/frmtarifas.h"

class QLineEdit;
class QSpinBox;
class QTableWidget;

namespace accounts {

// "[ Bonos...]": a voucher. Modifying locks code and description.
class TFrmnbonos : public EdicionDialog {
    Q_OBJECT
public:
    TFrmnbonos(const Regional& regional, const store::Bono* row, QWidget* parent);
    BonoEntrada entrada() const;

private:
    const Regional& m_regional;
    QLineEdit* m_codigo;
    QLineEdit* m_descripcion;
    QLineEdit* m_precio;
    QSpinBox* m_horas;
    QSpinBox* m_minutos;
};

// "[ Recargas...]": a top-up. Modifying locks code and description.
class TFrmnrecargas : public EdicionDialog {
    Q_OBJECT
public:
    TFrmnrecargas(const Regional& regional, const store::Recarga* row, QWidget* parent);
    BonoEntrada entrada() const;

private:
    const Regional& m_regional;
    QLineEdit* m_codigo;
    QLineEdit* m_descripcion;
    QLineEdit* m_precio;
};

// Tree entries 6 "Bonos de tiempo" and 7 "Recargas en metálico": the list in
// table order with "&Añadir", "&Modificar" and "&Borrar".
class BonosPage : public ui::OpcionesPage {
    Q_OBJECT
public:
    enum class Kind { Bonos, Recargas };
    BonosPage(ConsoleContext& context, Kind kind, QWidget* parent);

    QTableWidget* grid() const { return m_grid; }
    void anadir();
    void modificar();
    void borrar();
    void reload();
    // Read when the window opens and after each apply.
    void load(const store::Opciones& opciones, const store::WebConfig& web) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void edit(bool nuevo);

    ConsoleContext& m_context;
    Kind m_kind;
    QTableWidget* m_grid;
};

} // namespace accounts
