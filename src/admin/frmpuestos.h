#pragma once

#include "admin/puestosconfig.h"
#include "ui/messagetable.h"

#include <QDialog>

#include <array>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QStackedWidget;
class QTableWidget;
struct ConsoleContext;

// "[ Parámetros de puesto ]": a station's number, address and relative price.
class TFrmParamPuesto : public QDialog {
    Q_OBJECT
public:
    TFrmParamPuesto(admin::ConfiguracionPuestos& config, bool byHost, QWidget* parent = nullptr);

    static const ui::MessageTable& messages();

    void prepareAdd();
    // number, ip1 … ip4, host, relative price and console of the station being changed.
    void prepareChange(int number, const std::array<int, 4>& ip, const QString& host, int relativePrice,
                       const QString& consola = QString());

    admin::PuestoForm form() const;
    QLineEdit* numberEdit() const { return m_number; }
    QLineEdit* ipEdit(int i) const { return m_ip[size_t(i)]; }
    QLineEdit* hostEdit() const { return m_host; }
    QSpinBox* priceEdit() const { return m_price; }
    QComboBox* consolaEdit() const { return m_consola; }

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void focusField(const QString& field);

    admin::ConfiguracionPuestos& m_config;
    bool m_byHost = false;
    bool m_adding = true;
    QLineEdit* m_number = nullptr;
    QLabel* m_addressLabel = nullptr;
    std::array<QLineEdit*, 4> m_ip{};
    QLineEdit* m_host = nullptr;
    QSpinBox* m_price = nullptr;
    QComboBox* m_consola = nullptr;
};

// "[ Configuración de puestos ]": the stations of the room and how the
// console reaches them.
class TFrmConfPuestos : public QDialog {
    Q_OBJECT
public:
    // permitted runs the permission check of a station change (and shows its refusal).
    TFrmConfPuestos(ConsoleContext& context, admin::ConfiguracionPuestos& config, ListaPuestos& puestos,
                    std::function<bool()> permitted, QWidget* parent = nullptr);

    static const ui::MessageTable& messages();

    // Reads the table again, keeping the current row number.
    void reread();
    void setCurrentRow(int row);
    int currentRow() const;
    QTableWidget* grid() const { return m_grid; }
    QComboBox* identification() const { return m_identification; }
    // After "&Aceptar": the identification choice was changed and saved.
    bool identificationChanged() const { return m_identificationChanged; }

    void anadir();
    void modificar();
    void eliminar();

    void done(int result) override;

private:
    bool byHost() const;
    void showColumn();
    void showError(const QString& text);

    ConsoleContext& m_context;
    admin::ConfiguracionPuestos& m_config;
    ListaPuestos& m_puestos;
    std::function<bool()> m_permitted;
    bool m_storedHost = false;
    bool m_identificationChanged = false;
    QComboBox* m_identification = nullptr;
    QTableWidget* m_grid = nullptr;
};
