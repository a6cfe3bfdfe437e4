#include "sales/decimalfield.h"

#include <QKeyEvent>

namespace sales {

DecimalField::DecimalField(QChar decimalSeparator, QWidget* parent)
    : QLineEdit(parent)
    , m_separator(decimalSeparator) {}

void DecimalField::keyPressEvent(QKeyEvent* event) {
    if (event->text() == QLatin1String(".") && m_separator != QLatin1Char('.')) {
        QKeyEvent replaced(event->type(), event->key(), event->modifiers(), QString(m_separator),
                           event->isAutoRepeat(), ushort(event->count()));
        QLineEdit::keyPressEvent(&replaced);
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace sales
