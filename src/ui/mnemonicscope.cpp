#include "ui/mnemonicscope.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDockWidget>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>
#include <QToolButton>

namespace ui {

namespace {

bool hasMnemonic(const QString& text, int key) {
    const QKeySequence mnemonic = QKeySequence::mnemonic(text);
    return !mnemonic.isEmpty() && mnemonic[0] == QKeyCombination(Qt::AltModifier, Qt::Key(key));
}

// The first entry of a visible menu bar under root with that letter.
MnemonicScope::Target inMenuBars(QWidget* root, int key, bool nested) {
    const QList<QMenuBar*> bars =
        nested ? root->findChildren<QMenuBar*>() : root->findChildren<QMenuBar*>(Qt::FindDirectChildrenOnly);
    for (QMenuBar* bar : bars) {
        if (!bar->isVisible())
            continue;
        for (QAction* a : bar->actions()) {
            if (a->isVisible() && a->isEnabled() && hasMnemonic(a->text(), key))
                return {bar, a, nullptr};
        }
    }
    return {};
}

} // namespace

MnemonicScope::MnemonicScope(QMainWindow* window)
    : QObject(window)
    , m_window(window) {
    qApp->installEventFilter(this);
}

MnemonicScope::Target MnemonicScope::target(QWidget* focus, int key) const {
    QDockWidget* dock = nullptr;
    for (QWidget* w = focus; w && w != m_window; w = w->parentWidget()) {
        if ((dock = qobject_cast<QDockWidget*>(w)))
            break;
    }
    if (dock && dock->widget()) {
        if (Target t = inMenuBars(dock->widget(), key, true))
            return t;
        for (QAbstractButton* b : dock->widget()->findChildren<QAbstractButton*>()) {
            if (b->isVisible() && b->isEnabled() && hasMnemonic(b->text(), key))
                return {nullptr, nullptr, b};
        }
    }
    return inMenuBars(m_window, key, false);
}

void MnemonicScope::activate(const Target& target) {
    if (target.menu) {
        target.menuBar->setActiveAction(target.menu);
        return;
    }
    auto* tool = qobject_cast<QToolButton*>(target.button);
    if (tool && tool->menu() && tool->popupMode() == QToolButton::InstantPopup) {
        tool->showMenu();
        return;
    }
    target.button->animateClick();
}

bool MnemonicScope::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (event->type() == QEvent::KeyPress) {
        if (m_swallow == 0 || key->key() != m_swallow)
            return false;
        m_swallow = 0;
        return true;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != m_window || key->modifiers() != Qt::AltModifier ||
        key->key() < Qt::Key_0 || key->key() > Qt::Key_Z)
        return false;
    const Target t = target(widget, key->key());
    if (!t)
        return false;
    // Accepted here, the key is not looked up among the shortcuts again.
    event->accept();
    m_swallow = key->key();
    // After the key's own delivery: a menu opened inside it would take the
    // press that is still on its way.
    const QPointer<QMenuBar> bar = t.menuBar;
    const QPointer<QAction> menu = t.menu;
    const QPointer<QAbstractButton> button = t.button;
    QTimer::singleShot(0, this, [bar, menu, button] {
        if ((menu && bar) || button)
            activate({bar, menu, button});
    });
    return true;
}

} // namespace ui
