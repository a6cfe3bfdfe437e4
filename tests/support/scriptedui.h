#pragma once

#include "ui/messagebox.h"

#include <QList>
#include <QString>

#include <deque>
#include <functional>

// Answers the console's message boxes and modal dialogs during a test, so
// that nothing ever blocks, and records what was shown.
class ScriptedUi {
public:
    using DialogHandler = std::function<int(QDialog*)>;

    ScriptedUi();
    ~ScriptedUi();
    ScriptedUi(const ScriptedUi&) = delete;
    ScriptedUi& operator=(const ScriptedUi&) = delete;

    // The answer to the next message box (in order). Without one, a box is
    // answered Ok / No.
    void answerNext(ui::Answer answer);
    // What the next modal dialog does (in order). Without one, it is rejected.
    void onNextDialog(DialogHandler handler);

    // Puts a real window up while each box is answered, so that the box takes
    // the focus as it does on screen.
    void showBoxes(bool show) { m_showBoxes = show; }

    const QList<ui::MessageRequest>& messages() const { return m_messages; }
    QStringList messageTexts() const;
    QStringList dialogNames() const { return m_dialogs; }
    void clear();

private:
    std::deque<ui::Answer> m_answers;
    std::deque<DialogHandler> m_handlers;
    QList<ui::MessageRequest> m_messages;
    QStringList m_dialogs;
    bool m_showBoxes = false;
};
