#pragma once

#include <QObject>

class QAbstractButton;
class QAction;
class QMainWindow;
class QMenuBar;
class QWidget;

namespace ui {

// Alt + letter in a main window with docked tool windows. The tool window
// that holds the keyboard answers first, with its own menus and buttons,
// then the main window's menu bar. Left to itself Qt finds "C&onfiguración"
// and a docked "M&odificar" ambiguous and only moves the focus between
// them, so the menu would never open from the keyboard.
class MnemonicScope final : public QObject {
    Q_OBJECT
public:
    // Watches the whole application; only the window's own keys are taken.
    explicit MnemonicScope(QMainWindow* window);

    // What Alt + key does with the keyboard at focus: a menu bar entry or a
    // button; neither when nothing in scope has that letter.
    struct Target {
        QMenuBar* menuBar = nullptr;
        QAction* menu = nullptr;
        QAbstractButton* button = nullptr;
        explicit operator bool() const { return menu || button; }
    };
    Target target(QWidget* focus, int key) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static void activate(const Target& target);

    QMainWindow* m_window;
    // The key press that follows a taken Alt + letter goes nowhere else.
    int m_swallow = 0;
};

} // namespace ui
