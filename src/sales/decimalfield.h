#pragma once

#include <QLineEdit>

namespace sales {

// A price or amount box: a typed "." is entered as the regional decimal
// separator, as the operators' number pads expect.
class DecimalField : public QLineEdit {
    Q_OBJECT
public:
    DecimalField(QChar decimalSeparator, QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QChar m_separator;
};

} // namespace sales
