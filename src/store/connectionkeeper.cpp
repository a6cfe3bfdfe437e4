#include "store/connectionkeeper.h"

#include "store/datamodule.h"
#include "store/engine.h"
#include "store/transaction.h"

#include <QThread>

#include <atomic>
#include <memory>

namespace store {

ConnectionKeeper::ConnectionKeeper(TDataModule1* data, QObject* parent)
    : QObject(parent)
    , m_data(data) {
    m_check.setInterval(CheckMs);
    connect(&m_check, &QTimer::timeout, this, &ConnectionKeeper::check);
    m_retry.setInterval(RetryMs);
    connect(&m_retry, &QTimer::timeout, this, &ConnectionKeeper::retry);
}

ConnectionKeeper::~ConnectionKeeper() {
    // A question in flight ends within the connect timeout.
    if (m_ping) {
        m_ping->wait();
        delete m_ping;
    }
}

void ConnectionKeeper::start() {
    m_check.start();
}

void ConnectionKeeper::stop() {
    m_check.stop();
    m_retry.stop();
}

void ConnectionKeeper::check() {
    // A database closed on purpose is not lost.
    if (m_lost || !m_data || m_data->filePath().isEmpty())
        return;
    QString why;
    if (connectionBroken(m_data->db(), &why))
        becomeLost(why);
}

bool ConnectionKeeper::noteFailure(const QString& error) {
    if (m_lost)
        return true;
    if (!m_data || m_data->filePath().isEmpty() || !connectionBroken(m_data->db()))
        return false;
    becomeLost(error);
    return true;
}

void ConnectionKeeper::becomeLost(const QString& error) {
    m_lost = true;
    emit lost(error);
    m_retry.start();
    retry();
}

void ConnectionKeeper::retry() {
    if (!m_lost || m_ping || !m_data)
        return;
    // Asked on a thread of its own: a server behind a cut network keeps the
    // question waiting for the whole connect timeout.
    const QString where = m_data->filePath();
    auto answers = std::make_shared<std::atomic<bool>>(false);
    m_ping = QThread::create([where, answers] { answers->store(serverAnswers(where)); });
    connect(m_ping, &QThread::finished, this, [this, answers] {
        m_ping->deleteLater();
        m_ping = nullptr;
        answered(answers->load());
    });
    m_ping->start();
}

void ConnectionKeeper::answered(bool answers) {
    if (m_lost && answers)
        reopen();
}

bool ConnectionKeeper::reopen() {
    // An operation that waits in a dialog with its transaction open must
    // not go on, without it, on a new connection: its statements fail
    // until it has ended, and the next attempt comes soon.
    if (Transaction::anyOpen() || !m_data->reconnect())
        return false;
    m_lost = false;
    m_retry.stop();
    emit restored();
    return true;
}

bool ConnectionKeeper::reconnectNow() {
    if (!m_lost)
        return true;
    return m_data && reopen();
}

} // namespace store
