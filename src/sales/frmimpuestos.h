#pragma once

#include "ui/opcionespage.h"

#include <QDialog>

class QLineEdit;
class QTableWidget;
struct ConsoleContext;

namespace ui {
class MessageTable;
}

namespace sales {

class DecimalField;

// "[ Impuestos...]": the name and rate of one tax. A new tax checks the name
// for repeats; an existing one keeps its name.
class TFrmnimpuestos : public QDialog {
    Q_OBJECT
public:
    TFrmnimpuestos(ConsoleContext& context, bool isNew, QWidget* parent = nullptr);

    static const ui::MessageTable& messages();

    QLineEdit* nameField() const { return m_name; }
    QLineEdit* valueField() const;
    // The rate accepted by the checks.
    double value() const { return m_value; }

    // "&Aceptar": the checks in order; the first failure is shown and its
    // field focused, and the dialog stays open.
    void accept() override;

private:
    ConsoleContext& m_context;
    bool m_isNew;
    QLineEdit* m_name = nullptr;
    DecimalField* m_valueField = nullptr;
    double m_value = 0;
};

// The options page "I.V.A. / Tasas": the tax list by rate, highest first,
// with its add, modify and delete commands, each written at once.
class TasasPage : public ui::OpcionesPage {
    Q_OBJECT
public:
    TasasPage(ConsoleContext& context, QWidget* parent = nullptr);

    void refresh();
    void anadir();
    void modificar();
    void borrar();

    QTableWidget* table() const { return m_table; }

private:
    int selectedId() const;
    void showDatabaseError(const QString& text);

    ConsoleContext& m_context;
    QTableWidget* m_table = nullptr;
};

} // namespace sales
