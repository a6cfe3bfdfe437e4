#pragma once

#include "admin/mailmessage.h"

#include <QObject>

#include <atomic>
#include <map>
#include <memory>

class QThread;

namespace admin {

constexpr int DefaultMailTimeLimitMs = 60000;

// One SMTP delivery, start to end, bounded by timeLimitMs. Runs on the
// calling thread; a set abort flag ends it early.
MailResult deliverMail(const MailMessage& mail, int timeLimitMs, const std::atomic_bool* abort = nullptr);

// Starts each mail on a thread of its own and reports its end on the thread
// that owns the sender. Several mails may run at once; nothing of the
// database or of the windows is touched by a delivery.
class MailSender : public QObject {
    Q_OBJECT
public:
    explicit MailSender(QObject* parent = nullptr);
    // Deliveries still running are cut short and awaited.
    ~MailSender() override;

    // The task's id; the mail is delivered in the background.
    quint64 start(const MailMessage& mail);
    bool isRunning(quint64 id) const { return m_tasks.count(id) != 0; }
    int runningCount() const { return static_cast<int>(m_tasks.size()); }

    void setTimeLimitMs(int ms) { m_timeLimitMs = ms; }
    int timeLimitMs() const { return m_timeLimitMs; }

signals:
    void finished(const admin::MailResult& result);

private:
    void taskEnded(const MailResult& result);

    int m_timeLimitMs = DefaultMailTimeLimitMs;
    quint64 m_nextId = 1;
    std::map<quint64, QThread*> m_tasks;
    std::shared_ptr<std::atomic_bool> m_abort = std::make_shared<std::atomic_bool>(false);
};

} // namespace admin
