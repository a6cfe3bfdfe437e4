#pragma once

#include <QKeySequence>
#include <QString>

class QBoxLayout;
class QPushButton;
class QWidget;

namespace ui {

// A button of an entry window's key row ("[F1] Nuevo" …): its function key
// works anywhere in window, but only while the button is enabled.
QPushButton* addKeyButton(QWidget* window, QBoxLayout* row, const QString& text, const QString& name,
                          const QKeySequence& key);

} // namespace ui
