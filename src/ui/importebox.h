#pragma once

class QLineEdit;
class QWidget;
class Regional;

namespace ui {

class MessageTable;

// The refusal of an amount above the limit: the table's "ImporteMaximo"
// with the limit in the regional format (warning, caption "Atencion"); the
// focus then goes to focus, its text selected when it is a line edit.
void refuseAmount(QWidget* window, const MessageTable& table, const Regional& regional, QWidget* focus);
// "CantidadNoValida", the same way.
void refuseQuantity(QWidget* window, const MessageTable& table, QWidget* focus);

// False, after refuseAmount, when box holds an amount beyond the limit.
// Text that does not read at all is left to the window's own rule.
bool amountWithinLimit(QWidget* window, const MessageTable& table, const Regional& regional, QLineEdit* box);

} // namespace ui
