#pragma once

#include "accounts/tarifaseditor.h"
#include "ui/opcionespage.h"

#include <QDialog>

#include <functional>

class QBoxLayout;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;
class QTimeEdit;
class Regional;
struct ConsoleContext;

namespace accounts {

// A modal edit dialog: "&Aceptar" runs the edit; a refusal shows its
// message, focuses its field and keeps the dialog open.
class EdicionDialog : public QDialog {
    Q_OBJECT
public:
    EdicionDialog(const ui::MessageTable& messages, QWidget* parent);
    void setAction(std::function<EdicionOutcome()> action) { m_action = std::move(action); }
    void accept() override;

protected:
    // The button row under the fields.
    void addButtons(QBoxLayout* layout);
    // A "." typed in an amount box becomes the regional decimal separator;
    // "&Aceptar" refuses an amount in it beyond the limit.
    void decimalBox(QLineEdit* box, const Regional& regional);

private:
    const ui::MessageTable& m_messages;
    const Regional* m_regional = nullptr;
    QList<QLineEdit*> m_amountBoxes;
    std::function<EdicionOutcome()> m_action;
};

// "[ Parámetros de tarifa ]". A new tariff's name is editable (upper case);
// an existing one's is locked.
class Tfrmntarfija : public EdicionDialog {
    Q_OBJECT
public:
    Tfrmntarfija(const Regional& regional, const store::Tarifa* row, QWidget* parent);
    QString name() const;
    std::optional<Currency> hourly() const;
    std::optional<Currency> minimum() const;

private:
    const Regional& m_regional;
    QLineEdit* m_name;
    QLineEdit* m_hourly;
    QLineEdit* m_minimum;
};

// "[ Nombre de tarifa variable ]": the name and the first interval.
class Tfrmntarvar : public EdicionDialog {
    Q_OBJECT
public:
    Tfrmntarvar(const Regional& regional, QWidget* parent);
    QString name() const;
    int minutes() const;
    Currency price() const;

private:
    const Regional& m_regional;
    QLineEdit* m_name;
    QSpinBox* m_minutes;
    QLineEdit* m_price;
};

// "[ Intervalos de la tarifa ]". Modifying locks the end.
class TfrmnIntervalo : public EdicionDialog {
    Q_OBJECT
public:
    TfrmnIntervalo(const Regional& regional, const store::LinTarifa* row, QWidget* parent);
    int minutes() const;
    Currency price() const;

private:
    const Regional& m_regional;
    QSpinBox* m_minutes;
    QLineEdit* m_price;
};

// "[ Franja horaria... ]". Adding asks for the end; modifying shows both
// ends read-only. The tariff is chosen from the list only.
class TFormnfranjas : public EdicionDialog {
    Q_OBJECT
public:
    TFormnfranjas(const QStringList& tariffs, const store::Franja* row, QWidget* parent);
    QTime end() const;
    QString tariff() const;

private:
    QTimeEdit* m_end;
    QComboBox* m_tariff;
};

// Tree entry 4, "Tarifas": fixed tariffs on one tab, variable tariffs and
// their intervals on the other.
class TarifasPage : public ui::OpcionesPage {
    Q_OBJECT
public:
    TarifasPage(ConsoleContext& context, ListaTarifas& cache, std::function<QStringList()> stationTariffs,
                QWidget* parent);

    QTabWidget* tabs() const { return m_tabs; }
    QTableWidget* fijas() const { return m_fijas; }
    QTableWidget* variables() const { return m_variables; }
    QTableWidget* intervalos() const { return m_intervalos; }

    void nuevaFija();
    void modificarFija();
    void nuevaVariable();
    // The tariff selected on the tab shown.
    void borrarTarifa();
    void nuevoIntervalo();
    void modificarIntervalo();
    void borrarIntervalo();
    void reload();
    // Read when the window opens and after each apply.
    void load(const store::Opciones& opciones, const store::WebConfig& web) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    int selectedId(QTableWidget* grid) const;
    void fillIntervals();
    // Runs an edit at the window boundary: a database failure is shown.
    void guarded(const std::function<void()>& edit);

    ConsoleContext& m_context;
    EditorTarifas m_editor;
    std::function<QStringList()> m_stationTariffs;
    QTabWidget* m_tabs;
    QTableWidget* m_fijas;
    QTableWidget* m_variables;
    QTableWidget* m_intervalos;
};

// The band grid of tree entry 5, "Franjas horarias", under the window's
// two band options. It says edited() after every band change so the window
// applies its band rule to those options again.
class FranjasPage : public ui::OpcionesPage {
    Q_OBJECT
public:
    FranjasPage(ConsoleContext& context, ListaTarifas& cache, QWidget* parent);

    QTableWidget* grid() const { return m_grid; }
    void nuevaFranja();
    void modificarFranja();
    void borrarFranja();
    void reload();
    // Read when the window opens and after each apply.
    void load(const store::Opciones& opciones, const store::WebConfig& web) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    ConsoleContext& m_context;
    EditorTarifas m_editor;
    QTableWidget* m_grid;
};

// A grid that selects whole rows and is not edited in place.
QTableWidget* readOnlyGrid(const QStringList& headers, const QString& name, QWidget* parent);

} // namespace accounts
