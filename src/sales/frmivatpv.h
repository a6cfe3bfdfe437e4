#pragma once

#include <QDialog>

class QComboBox;
class QRadioButton;
struct ConsoleContext;

namespace sales {

// "[ Impuestos TPV ]": one tax for the selected articles or for all of them.
class TFrmIvaTPV : public QDialog {
    Q_OBJECT
public:
    TFrmIvaTPV(ConsoleContext& context, QWidget* parent = nullptr);

    // Reads the tax names again (the last choice of "Aplicar a..." stays).
    void reload();
    QComboBox* taxList() const { return m_tax; }
    bool allArticles() const;
    void setAllArticles(bool all);

private:
    ConsoleContext& m_context;
    QComboBox* m_tax = nullptr;
    QRadioButton* m_selected = nullptr;
    QRadioButton* m_all = nullptr;
};

} // namespace sales
