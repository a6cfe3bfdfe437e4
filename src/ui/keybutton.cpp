#include "ui/keybutton.h"

#include <QBoxLayout>
#include <QPushButton>
#include <QShortcut>

namespace ui {

QPushButton* addKeyButton(QWidget* window, QBoxLayout* row, const QString& text, const QString& name,
                          const QKeySequence& key) {
    auto* b = new QPushButton(text);
    b->setObjectName(name);
    b->setAutoDefault(false);
    auto* shortcut = new QShortcut(key, window);
    QObject::connect(shortcut, &QShortcut::activated, b, [b] {
        if (b->isEnabled())
            b->click();
    });
    row->addWidget(b);
    return b;
}

} // namespace ui
