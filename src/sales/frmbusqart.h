#pragma once

#include "sales/puntoventa.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTableWidget;
struct ConsoleContext;

namespace sales {

// "[ Busqueda en artículos ]": filters the articles by code or description,
// starting with or containing the typed text, as the operator types.
class TFrmbusqart : public QDialog {
    Q_OBJECT
public:
    TFrmbusqart(ConsoleContext& context, QWidget* parent = nullptr);

    QComboBox* fieldList() const { return m_field; }
    QComboBox* modeList() const { return m_mode; }
    QLineEdit* filterBox() const { return m_filter; }
    QTableWidget* grid() const { return m_grid; }

    void refilter();
    // The article chosen (the grid's current row), if any.
    std::optional<store::Articulo> chosen() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ConsoleContext& m_context;
    QComboBox* m_field = nullptr;
    QComboBox* m_mode = nullptr;
    QLineEdit* m_filter = nullptr;
    QTableWidget* m_grid = nullptr;
    QPushButton* m_ok = nullptr;
    std::vector<store::Articulo> m_rows;
};

} // namespace sales
