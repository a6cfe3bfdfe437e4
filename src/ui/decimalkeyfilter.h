#pragma once

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QObject>

namespace ui {

// A "." typed in an amount box is the regional decimal separator.
class DecimalKeyFilter : public QObject {
public:
    DecimalKeyFilter(QChar separator, QObject* parent)
        : QObject(parent)
        , m_separator(separator) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->text() == QLatin1String(".") && m_separator != QLatin1Char('.')) {
                if (auto* edit = qobject_cast<QLineEdit*>(watched)) {
                    edit->insert(QString(m_separator));
                    return true;
                }
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QChar m_separator;
};

} // namespace ui
