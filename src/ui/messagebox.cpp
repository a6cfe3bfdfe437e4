#include "ui/messagebox.h"

#include "ui/messagetable.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>

namespace ui {

namespace {

MessageAnswerer& answerer() {
    static MessageAnswerer a;
    return a;
}

DialogDriver& driver() {
    static DialogDriver d;
    return d;
}

QString displayText(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

bool takesKeyboard(const QWidget* w) {
    if (!w->isWindow() || !w->isVisible() || w->testAttribute(Qt::WA_ShowWithoutActivating) ||
        w->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus))
        return false;
    switch (w->windowType()) {
    case Qt::Popup:
    case Qt::ToolTip:
    case Qt::SplashScreen:
    case Qt::Desktop:
        return false;
    default:
        return true;
    }
}

} // namespace

FocusReturn::FocusReturn(QWidget* opener, QWidget* closing)
    : m_closing(closing) {
    QWidget* widget = QApplication::focusWidget();
    QWidget* window = QApplication::activeWindow();
    if (!window && widget)
        window = widget->window();
    if (!window && opener)
        window = opener->window();
    if (window && !widget)
        widget = window->focusWidget();
    m_window = window;
    if (widget && widget->window() == window)
        m_widget = widget;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (takesKeyboard(w))
            m_shownBefore << w;
    }
}

void FocusReturn::restore() const {
    const auto shownBefore = [this](const QWidget* w) {
        return std::any_of(m_shownBefore.begin(), m_shownBefore.end(),
                           [w](const QPointer<QWidget>& p) { return p == w; });
    };
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != m_closing && takesKeyboard(w) && !shownBefore(w)) {
            w->raise();
            w->activateWindow();
            return;
        }
    }
    QWidget* window = m_window;
    while (window && (window == m_closing || !window->isVisible()))
        window = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    if (!window)
        return;
    window->raise();
    window->activateWindow();
    if (m_widget && m_widget->window() == window && m_widget->isVisible() && m_widget->isEnabled())
        m_widget->setFocus(Qt::ActiveWindowFocusReason);
}

void setMessageAnswerer(MessageAnswerer a) {
    answerer() = std::move(a);
}
void setDialogDriver(DialogDriver d) {
    driver() = std::move(d);
}

namespace {

Answer askMessage(QWidget* parent, const MessageRequest& request) {
    if (answerer())
        return answerer()(request);

    QMessageBox box(parent);
    box.setWindowTitle(request.caption);
    box.setText(displayText(request.text));
    switch (request.icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    const bool english = language() == Language::English;
    auto add = [&](QMessageBox::StandardButton b, const char* es, const char* en) {
        QAbstractButton* button = box.addButton(b);
        button->setText(QString::fromUtf8(english ? en : es));
    };
    switch (request.buttons) {
    case Buttons::Ok:
        add(QMessageBox::Ok, "Aceptar", "OK");
        break;
    case Buttons::OkCancel:
        add(QMessageBox::Ok, "Aceptar", "OK");
        add(QMessageBox::Cancel, "Cancelar", "Cancel");
        break;
    case Buttons::YesNo:
        add(QMessageBox::Yes, "&Sí", "&Yes");
        add(QMessageBox::No, "&No", "&No");
        break;
    case Buttons::YesNoCancel:
        add(QMessageBox::Yes, "&Sí", "&Yes");
        add(QMessageBox::No, "&No", "&No");
        add(QMessageBox::Cancel, "Cancelar", "Cancel");
        break;
    }
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Ok:
        return Answer::Ok;
    default:
        // Esc or the close box: the safe answer.
        return request.buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
}

} // namespace

Answer showMessage(QWidget* parent, const MessageRequest& request) {
    const FocusReturn focus(parent);
    const Answer answer = askMessage(parent, request);
    focus.restore();
    return answer;
}

Answer showMessage(QWidget* parent, const MessageTable& table, const QString& key, Icon icon, Buttons buttons,
                   const QString& captionKey) {
    QString caption = table.contains(captionKey) ? table.text(captionKey) : commonMessages().text(captionKey);
    return showMessage(parent, MessageRequest{caption, table.text(key), icon, buttons});
}

Answer showRefusal(QWidget* parent, const QString& operatorName, const QString& refusalText) {
    return showMessage(parent, MessageRequest{commonMessages().text(QStringLiteral("Atencion")),
                                              operatorName + QStringLiteral(":\r\r") + refusalText,
                                              Icon::Warning, Buttons::Ok});
}

int execDialog(QDialog* dialog) {
    const FocusReturn focus(dialog->parentWidget(), dialog);
    const int result = driver() ? driver()(dialog) : dialog->exec();
    focus.restore();
    return result;
}

void showError(QWidget* parent, const QString& text) {
    showMessage(parent, MessageRequest{commonMessages().text(QStringLiteral("Atencion")), text, Icon::Error,
                                       Buttons::Ok});
}

} // namespace ui
