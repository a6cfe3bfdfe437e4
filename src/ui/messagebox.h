#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class QDialog;

namespace ui {

class MessageTable;

enum class Icon { None, Information, Warning, Error, Question };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

struct MessageRequest {
    QString caption;
    QString text;
    Icon icon = Icon::Information;
    Buttons buttons = Buttons::Ok;
};

// The one way the console shows a message box. Texts are shown as given; a
// lone CR breaks the line as it does on the counter PC.
Answer showMessage(QWidget* parent, const MessageRequest& request);

// A message of a window's table, with the caption of its key (default "Atencion").
Answer showMessage(QWidget* parent, const MessageTable& table, const QString& key, Icon icon,
                   Buttons buttons = Buttons::Ok, const QString& captionKey = QStringLiteral("Atencion"));

// The standard error box (caption "Atención", error icon) for a failure such
// as a refused database write, shown where the operator's action began.
void showError(QWidget* parent, const QString& text);

// The permission refusal: operator name, ":", two line breaks, refusal text.
Answer showRefusal(QWidget* parent, const QString& operatorName, const QString& refusalText);

// Every modal dialog runs through here so that tests can drive it instead of
// blocking in exec().
int execDialog(QDialog* dialog);

// Remembers the window and the widget that have the keyboard, and gives it
// back to them when a box or window closes: without a window manager X
// leaves the focus on the root window and the F-keys do nothing.
class FocusReturn {
public:
    FocusReturn() = default;
    // opener: the window to fall back on when none of ours has the focus.
    explicit FocusReturn(QWidget* opener, QWidget* closing = nullptr);

    // A window opened meanwhile (the change display after a sale) takes the
    // keyboard; otherwise the remembered window, or the nearest shown window
    // it belongs to, and the widget that had the focus if it still exists.
    void restore() const;
    QWidget* window() const { return m_window; }

private:
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_widget;
    QPointer<QWidget> m_closing;
    QList<QPointer<QWidget>> m_shownBefore;
};

// Test hooks. While set, no real box or modal loop is ever entered.
using MessageAnswerer = std::function<Answer(const MessageRequest&)>;
using DialogDriver = std::function<int(QDialog*)>;
void setMessageAnswerer(MessageAnswerer answerer);
void setDialogDriver(DialogDriver driver);

} // namespace ui
