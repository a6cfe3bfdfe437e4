#include "station/tareacliente.h"

#include "core/runtimesettings.h"
#include "station/wirecodec.h"
#include "station/wireformat.h"

using station::Estado;
using station::Pendiente;
using station::ReplyKind;

TTareaCliente::TTareaCliente(const QString& address, int stationNumber, const station::LinkEnvironment& env,
                             station::LinkHost& host, QObject* parent)
    : QObject(parent)
    , m_address(address)
    , m_number(stationNumber)
    , m_env(env)
    , m_host(host)
    , m_transport(station::makeTransport(env.transport, *this)) {}

TTareaCliente::~TTareaCliente() {
    stop();
}

namespace {

// An interval that is not positive would have the link exchange without
// pause; the options window can store one.
qint64 pollInterval(const station::LinkEnvironment& env) {
    const int ms = env.settings ? env.settings->pollIntervalMs : RuntimeSettings::DefaultPollMs;
    return ms > 0 ? ms : RuntimeSettings::DefaultPollMs;
}

} // namespace

void TTareaCliente::start() {
    if (isRunning())
        return;
    const qint64 now = m_env.scheduler->nowMs();
    m_exchangeDueMs = now + pollInterval(m_env);
    m_phase = Phase::Connecting;
    m_transport->connectToStation(m_address, m_env.port);
    m_env.scheduler->schedule(*this, now + m_env.timings.connectTimeoutMs);
}

void TTareaCliente::pause() {
    if (m_phase == Phase::Stopped || m_phase == Phase::Paused)
        return;
    abandon();
    m_phase = Phase::Paused;
}

void TTareaCliente::resume() {
    if (m_phase == Phase::Stopped) {
        start();
        return;
    }
    if (m_phase != Phase::Paused)
        return;
    m_phase = Phase::Sleeping;
    scheduleNextExchange();
}

void TTareaCliente::stop() {
    m_env.scheduler->cancel(*this);
    closeConnection();
    m_phase = Phase::Stopped;
}

void TTareaCliente::abandon() {
    m_env.scheduler->cancel(*this);
    // A reply still on its way would otherwise be read as the answer to the next line.
    if (m_phase != Phase::Sleeping)
        closeConnection();
}

void TTareaCliente::closeConnection() {
    m_transport->watchReadable(false);
    // A line given up on in the middle of its exchange goes with the
    // connection; it must not reach the station later.
    if (m_phase == Phase::Sending || m_phase == Phase::AwaitingReply)
        m_transport->reset();
    else
        m_transport->close();
}

void TTareaCliente::scheduleNextExchange() {
    m_exchangeDueMs = m_env.scheduler->nowMs() + pollInterval(m_env);
    m_env.scheduler->schedule(*this, m_exchangeDueMs);
}

void TTareaCliente::markDisconnected() {
    if (m_rec.disconnected)
        return;
    m_rec.disconnected = true;
    m_host.connectionChanged();
}

void TTareaCliente::markConnected() {
    if (!m_rec.disconnected)
        return;
    m_rec.disconnected = false;
    m_host.connectionChanged();
}

void TTareaCliente::fire(qint64 nowMs) {
    switch (m_phase) {
    case Phase::Connecting:
        if (m_transport->connectCompleted()) {
            transportConnected();
        } else {
            closeConnection();
            m_phase = Phase::Sleeping;
            m_env.scheduler->schedule(*this, qMax(nowMs, m_exchangeDueMs));
            markDisconnected();
        }
        break;
    case Phase::Sleeping:
        beginExchange(m_env.scheduler->nowMs());
        break;
    case Phase::Reconnecting:
        if (m_transport->connectCompleted())
            transportConnected();
        else
            failExchange();
        break;
    case Phase::Sending:
        if (m_transport->sendCompleted())
            transportSent();
        else
            failExchange();
        break;
    case Phase::AwaitingReply:
        // The loop may have been too busy to deliver a reply that is already
        // here: read before judging the station unreachable.
        readReply(true);
        break;
    case Phase::Stopped:
    case Phase::Paused:
        break;
    }
}

void TTareaCliente::beginExchange(qint64 nowMs) {
    if (m_env.statistics) {
        station::LinkStatistics& s = *m_env.statistics;
        const qint64 late = nowMs - m_exchangeDueMs;
        ++s.started;
        if (late <= station::OnScheduleMs)
            ++s.onSchedule;
        s.maxLatenessMs = qMax(s.maxLatenessMs, late);
        if (m_lastStartMs > 0)
            s.intervals.note(nowMs - m_lastStartMs);
        m_lastStartMs = nowMs;
    }
    m_outgoing =
        station::buildOutgoingLine(m_rec, *m_env.regional, m_lastWarningMinute, m_outgoing, &m_pollCache);
    m_pendingAfterBuild = m_rec.pendiente;
    m_occupiedPollSent = m_rec.pendiente == Pendiente::Poll && m_rec.occupied();

    // Bytes nobody asked for (the tail of an overlong reply) are not the
    // answer to this line; a station that closed the connection since the
    // last exchange (its program restarted) is simply connected again.
    if (m_transport->isConnected() && !m_transport->discardUnread())
        closeConnection();
    if (!m_transport->isConnected()) {
        m_phase = Phase::Reconnecting;
        m_transport->connectToStation(m_address, m_env.port);
        m_env.scheduler->schedule(*this, nowMs + m_env.timings.connectTimeoutMs);
        return;
    }
    sendLine();
}

void TTareaCliente::transportConnected() {
    switch (m_phase) {
    case Phase::Connecting:
        m_env.scheduler->cancel(*this);
        m_phase = Phase::Sleeping;
        m_env.scheduler->schedule(*this, m_exchangeDueMs);
        break;
    case Phase::Reconnecting:
        m_env.scheduler->cancel(*this);
        sendLine();
        break;
    default:
        break;
    }
}

void TTareaCliente::sendLine() {
    m_phase = Phase::Sending;
    if (m_wire.isEmpty() || !m_outgoing.isSharedWith(m_wireLine)) {
        m_wireLine = m_outgoing;
        m_wire.clear();
        m_wire.reserve(m_outgoing.size() + 1);
        m_wire.append(m_outgoing);
        m_wire.append('\r');
    }
    switch (m_transport->send(m_wire)) {
    case station::StationTransport::SendResult::Sent:
        transportSent();
        break;
    case station::StationTransport::SendResult::Pending:
        m_env.scheduler->schedule(*this, m_env.scheduler->nowMs() + m_env.timings.writeTimeoutMs);
        break;
    case station::StationTransport::SendResult::Failed:
        failExchange();
        break;
    }
}

void TTareaCliente::transportSent() {
    if (m_phase != Phase::Sending)
        return;
    m_phase = Phase::AwaitingReply;
    m_transport->watchReadable(true);
    m_sentMs = m_env.scheduler->nowMs();
    m_env.scheduler->schedule(*this, m_sentMs + m_env.timings.replyWaitMs);
}

void TTareaCliente::transportReadable() {
    if (m_phase == Phase::AwaitingReply)
        readReply(false);
}

void TTareaCliente::transportFailed() {
    switch (m_phase) {
    case Phase::Connecting:
        m_env.scheduler->cancel(*this);
        closeConnection();
        m_phase = Phase::Sleeping;
        m_env.scheduler->schedule(*this, qMax(m_env.scheduler->nowMs(), m_exchangeDueMs));
        markDisconnected();
        break;
    case Phase::Reconnecting:
    case Phase::Sending:
    case Phase::AwaitingReply:
        failExchange();
        break;
    case Phase::Sleeping:
        // The station went away between exchanges; the next one reconnects.
        closeConnection();
        break;
    case Phase::Stopped:
    case Phase::Paused:
        break;
    }
}

void TTareaCliente::readReply(bool deadlinePassed) {
    QByteArray data;
    switch (m_transport->readOnce(data, station::MaxLineBytes)) {
    case station::StationTransport::ReadResult::Data:
        m_env.scheduler->cancel(*this);
        m_transport->watchReadable(false);
        if (m_env.statistics) {
            ++m_env.statistics->replies;
            m_env.statistics->replyWaitTotalMs += m_env.scheduler->nowMs() - m_sentMs;
            if (deadlinePassed)
                ++m_env.statistics->repliesAtDeadline;
        }
        m_phase = Phase::Sleeping;
        // Reachable again once it answers: a station that accepts the
        // connection but never replies stays red instead of flickering.
        markConnected();
        handleReply(data);
        queueNotice();
        finishExchange(true);
        break;
    case station::StationTransport::ReadResult::Nothing:
        if (deadlinePassed)
            failExchange();
        else
            m_transport->watchReadable(true);
        break;
    case station::StationTransport::ReadResult::Closed:
        failExchange();
        break;
    }
}

void TTareaCliente::queueNotice() {
    // The account's notice follows the poll that told the station it is
    // occupied: queued earlier, the message would have taken that poll's place.
    if (!m_occupiedPollSent || !m_rec.occupied() || m_rec.pendiente != Pendiente::Poll ||
        m_rec.pendingNotice.isEmpty())
        return;
    QStringList parts = m_rec.pendingNotice.split(QChar(0x02), Qt::SkipEmptyParts);
    m_rec.pendingNotice.clear();
    const QString message = station::fitMessage(parts.join(QLatin1Char(' ')).trimmed());
    if (message.isEmpty())
        return;
    m_rec.messageToSend = message;
    m_rec.pendiente = Pendiente::Mensaje;
    m_host.noticeQueued(message);
}

void TTareaCliente::failExchange() {
    m_env.scheduler->cancel(*this);
    if (m_env.statistics)
        ++m_env.statistics->failed;
    closeConnection();
    m_rec.pendiente = Pendiente::Poll;
    m_reply.clear();
    m_phase = Phase::Sleeping;
    markDisconnected();
    finishExchange(false);
}

void TTareaCliente::finishExchange(bool replied) {
    // A decision or a notification may have paused or stopped the link.
    if (m_phase == Phase::Sleeping && !isScheduled())
        scheduleNextExchange();
    emit exchangeFinished(replied);
}

void TTareaCliente::handleReply(const QByteArray& bytes) {
    qsizetype length = bytes.indexOf('\0');
    if (length < 0)
        length = bytes.size();
    length = qMin(length, station::MaxLineBytes);
    m_reply = station::fromWindows1252(QByteArrayView(bytes.constData(), length));

    // The reply's "nothing more to send" must not drop a command the
    // operator queued while this exchange was under way.
    const auto settle = [this] {
        if (m_rec.pendiente == m_pendingAfterBuild)
            m_rec.pendiente = Pendiente::Poll;
    };

    switch (station::classifyReply(m_reply)) {
    case ReplyKind::Mensaje:
        m_rec.messageReceived = station::afterFirstTab(m_reply);
        settle();
        break;
    case ReplyKind::FinSesion:
        // The period ends here; the clock's next tick books it and settles the account.
        m_rec.estado = Estado::Libre;
        settle();
        break;
    case ReplyKind::CambioClave: {
        const QString rest = station::afterFirstTab(m_reply);
        const qsizetype tab = rest.indexOf(QLatin1Char('\t'));
        m_rec.newPassword = tab < 0 ? rest : rest.left(tab);
        m_rec.pendingPasswordChange = tab >= 0 && rest.mid(tab + 1) == QLatin1String("1");
        const bool firstPassword = m_rec.pendingPasswordChange;
        QString result = m_host.changeStationPassword(
            firstPassword ? m_rec.firstPasswordLogin : m_rec.accountLogin, m_rec.newPassword);
        if (firstPassword && result == QLatin1String("1"))
            result = QStringLiteral("11");
        m_rec.pendingPasswordChange = false;
        m_rec.passwordChangeResult = result;
        if (result != QLatin1String("0"))
            m_rec.password = m_rec.newPassword;
        m_rec.pendiente = Pendiente::SetPass;
        break;
    }
    case ReplyKind::Login: {
        // A customer logs in at a free station only: a station in use (or in
        // admin mode, or deactivated) that sends a log-in must not hand its
        // running period to another account. Nothing is answered.
        if (m_rec.estado != Estado::Libre)
            break;
        const QString request = station::afterFirstTab(m_reply);
        const int code = m_host.checkStationLogin(request);
        m_rec.loginResultCode = code;
        switch (code) {
        case 0: {
            // The account's own login, as the decision found it.
            const QString login =
                m_rec.accountLogin.isEmpty() ? station::loginFromRequest(request) : m_rec.accountLogin;
            station::aceptarLogin(m_rec, login);
            settle();
            m_host.loginAccepted(login);
            break;
        }
        case 1:
        case 2:
        case 3:
        case 4:
        case 5:
        case 7:
        case 13:
            m_rec.refusalCode = code;
            m_rec.pendiente = Pendiente::LoginRechazado;
            break;
        case 21:
            m_rec.loginAnswerCode = 21;
            m_rec.pendiente = Pendiente::LoginAceptado;
            break;
        default:
            break;
        }
        break;
    }
    case ReplyKind::Admin:
        m_rec.estado = Estado::Admin;
        settle();
        break;
    case ReplyKind::FinAdmin:
        m_rec.estado = Estado::Libre;
        settle();
        break;
    case ReplyKind::Ignorada:
        break;
    }
}
