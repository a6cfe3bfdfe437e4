#pragma once

#include <QEvent>
#include <QObject>
#include <QWidget>

namespace velkarsim {

// A box under the pointer must not change (and inject a fault) while the
// user only scrolls the tile list: it takes the wheel once clicked or tabbed
// into, and otherwise leaves the event unaccepted for the scroll area.
class WheelOnlyWithFocus final : public QObject {
public:
    explicit WheelOnlyWithFocus(QWidget* box)
        : QObject(box) {
        // The default wheel focus would hand the box the focus on the first turn.
        box->setFocusPolicy(Qt::StrongFocus);
        box->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Wheel || static_cast<QWidget*>(watched)->hasFocus())
            return false;
        event->ignore();
        return true;
    }
};

} // namespace velkarsim
