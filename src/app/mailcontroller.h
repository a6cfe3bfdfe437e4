#pragma once

#include "admin/avisos.h"
#include "admin/mailtask.h"
#include "app/lifecycle.h"

#include <QObject>

class ConsoleEngine;
class QLabel;
class TFrmMain;
struct ConsoleContext;

// The notification mails of the console: the start, operator-change and
// closing mails, the scheduled ones, the cash report on demand, the mail
// pages of the options window, and the last delivery failure in the status
// bar (no message box: the operator is never interrupted by it).
class MailController : public QObject, public ConsoleMail {
    Q_OBJECT
public:
    MailController(ConsoleContext& context, TFrmMain& mainWindow, ConsoleEngine& engine,
                   QObject* parent = nullptr);
    ~MailController() override;

    admin::Avisos& avisos() { return m_avisos; }
    admin::MailSender& sender() { return m_sender; }

    // "Enviar como e-mail" of the cash report window: the report's HTML lines.
    quint64 enviarInformeCaja(const QStringList& informeCaja);

    // What the status bar shows of the last failures; empty when none.
    QString failureText() const;

    void started(const store::WebConfig& web) override;
    void operatorChanged() override;
    bool closing() override;
    void awaitClosing() override;

private:
    void showFailures();

    ConsoleContext& m_context;
    TFrmMain& m_main;
    admin::MailSender m_sender;
    admin::Avisos m_avisos;
    QLabel* m_statusLabel = nullptr;
    quint64 m_closingId = 0;
};
