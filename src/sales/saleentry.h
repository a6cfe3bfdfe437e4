#pragma once

#include "store/rows.h"
#include "ui/messagetable.h"

#include <QWidget>

class QLineEdit;
class QPushButton;
struct ConsoleContext;

namespace sales {

class DecimalField;

// The entry line of a sale, shared by the sale window and the station-ticket
// window: the code box, and the description, quantity and price of the
// scratch record udart, which it keeps stored as the operator types.
// Database errors are shown here.
class SaleEntry : public QWidget {
    Q_OBJECT
public:
    SaleEntry(ConsoleContext& context, QWidget* parent = nullptr);

    QLineEdit* codeBox() const { return m_code; }
    QLineEdit* descriptionField() const { return m_description; }
    DecimalField* quantityField() const { return m_quantity; }
    DecimalField* priceField() const { return m_price; }
    // Where Enter in the fields sends the focus (the window's add button).
    void setAddButton(QWidget* button) { m_addButton = button; }

    // Reads udart into the fields.
    void load();
    const store::Udart& udart() const { return m_udart; }

    // Enter in the code box: the article of that code, or an empty line.
    void lookUpCode();
    // Leaving the quantity or price: IMP = PRE × UD when both read. False,
    // with nothing stored, when the quantity does not read or the price or
    // the product passes the limit; report shows why and focuses the field.
    bool recompute(bool report = false);
    // F10: adds the entry line to ticket idTick; false when it was refused
    // (shown) or failed.
    bool addTo(int idTick);
    // The ticket being entered was reopened to be changed: what is added to
    // it goes to the audit trail under the operator on duty.
    void setReopened(bool reopened) { m_reopened = reopened; }
    // F5: the search dialog; the chosen article becomes the entry line.
    // resetChoice: the search starts on "Codigo" / "empieza por".
    void search(bool resetChoice);
    // Empties the code box and the four entry columns (all six with all).
    void reset(bool all);

    static const ui::MessageTable& messages();

signals:
    void lineAdded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void store();
    void showFields();
    void showError(const QString& text);

    ConsoleContext& m_context;
    store::Udart m_udart;
    QLineEdit* m_code = nullptr;
    QLineEdit* m_description = nullptr;
    DecimalField* m_quantity = nullptr;
    DecimalField* m_price = nullptr;
    QWidget* m_addButton = nullptr;
    int m_searchField = -1;
    int m_searchMode = -1;
    bool m_reopened = false;
};

} // namespace sales
