#pragma once

#include "store/rows.h"
#include "ui/messagetable.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
struct ConsoleContext;

namespace sales {

class DecimalField;

// "Artículo de TPV [Nuevo]" / "[Modificar]": code, description, final price
// and tax of one article. A modified article keeps its code and description.
class Tfrmnart : public QDialog {
    Q_OBJECT
public:
    Tfrmnart(ConsoleContext& context, bool isNew, QWidget* parent = nullptr);

    static const ui::MessageTable& messages();

    void setArticulo(const store::Articulo& a);
    // The article as entered (valid after accept()).
    store::Articulo articulo() const;

    QLineEdit* codeField() const { return m_code; }
    QLineEdit* nameField() const { return m_name; }
    QLineEdit* priceField() const;
    QComboBox* taxList() const { return m_tax; }

    void accept() override;

private:
    ConsoleContext& m_context;
    bool m_isNew;
    QLineEdit* m_code = nullptr;
    QLineEdit* m_name = nullptr;
    DecimalField* m_price = nullptr;
    QComboBox* m_tax = nullptr;
};

// Fills list with the tax names, each holding its IdTax (and "" with 0 first).
void fillTaxList(ConsoleContext& context, QComboBox* list);

} // namespace sales
