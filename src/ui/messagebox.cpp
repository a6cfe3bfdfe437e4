#include "ui/messagebox.h"

#include "ui/messagetable.h"

#include <QDialog>
#include <QMessageBox>
#include <QPushButton>

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

} // namespace

void setMessageAnswerer(MessageAnswerer a) {
    answerer() = std::move(a);
}
void setDialogDriver(DialogDriver d) {
    driver() = std::move(d);
}

Answer showMessage(QWidget* parent, const MessageRequest& request) {
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
    if (driver())
        return driver()(dialog);
    return dialog->exec();
}

void showError(QWidget* parent, const QString& text) {
    showMessage(parent, MessageRequest{commonMessages().text(QStringLiteral("Atencion")), text, Icon::Error,
                                       Buttons::Ok});
}

} // namespace ui
