#include "support/scriptedui.h"

#include <QDialog>
#include <QTest>

ScriptedUi::ScriptedUi() {
    ui::setMessageAnswerer([this](const ui::MessageRequest& r) {
        m_messages << r;
        if (m_showBoxes) {
            QDialog box;
            box.setWindowTitle(r.caption);
            box.show();
            box.activateWindow();
            if (!QTest::qWaitForWindowActive(&box))
                qWarning("The stand-in box never took the focus");
        }
        if (!m_answers.empty()) {
            ui::Answer a = m_answers.front();
            m_answers.pop_front();
            return a;
        }
        return (r.buttons == ui::Buttons::YesNo || r.buttons == ui::Buttons::YesNoCancel) ? ui::Answer::No
                                                                                          : ui::Answer::Ok;
    });
    ui::setDialogDriver([this](QDialog* d) {
        m_dialogs << d->objectName();
        if (!m_handlers.empty()) {
            DialogHandler h = std::move(m_handlers.front());
            m_handlers.pop_front();
            return h(d);
        }
        return int(QDialog::Rejected);
    });
}

ScriptedUi::~ScriptedUi() {
    ui::setMessageAnswerer({});
    ui::setDialogDriver({});
}

void ScriptedUi::answerNext(ui::Answer answer) {
    m_answers.push_back(answer);
}

void ScriptedUi::onNextDialog(DialogHandler handler) {
    m_handlers.push_back(std::move(handler));
}

QStringList ScriptedUi::messageTexts() const {
    QStringList texts;
    for (const ui::MessageRequest& r : m_messages)
        texts << r.text;
    return texts;
}

void ScriptedUi::clear() {
    m_messages.clear();
    m_dialogs.clear();
}
