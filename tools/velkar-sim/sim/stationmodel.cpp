#include "sim/stationmodel.h"

#include "sim/wire.h"

#include <algorithm>

namespace velkarsim {

QString powerLabel(Power power) {
    switch (power) {
    case Power::On:
        return QStringLiteral("Encendido");
    case Power::Off:
        return QStringLiteral("Apagado");
    case Power::Rebooting:
        return QStringLiteral("Reiniciando");
    case Power::ProgramEnded:
        return QStringLiteral("Velkar finalizado");
    }
    return {};
}

QString refusalText(int code) {
    switch (code) {
    case 1:
        return QStringLiteral("Contraseña incorrecta");
    case 2:
        return QStringLiteral("No existe la cuenta");
    case 3:
        return QStringLiteral("Cuenta desactivada");
    case 4:
        return QStringLiteral("Crédito insuficiente");
    case 5:
        return QStringLiteral("Cuenta en uso en otro puesto");
    case 7:
        return QStringLiteral("Sin tarifa");
    case 13:
        return QStringLiteral("Cuenta caducada");
    case 21:
        return QStringLiteral("Debe elegir una contraseña nueva");
    default:
        return QStringLiteral("Código %1").arg(code);
    }
}

StationModel::Action StationModel::observe(const QByteArray& line) {
    using Kind = ConsoleLine::Kind;
    ++m_linesReceived;
    m_lastLine = line;
    touch();

    const ConsoleLine parsed = ConsoleLine::parse(line);
    switch (parsed.kind) {
    case Kind::Poll: {
        m_poll.seen = true;
        m_poll.stateWord = parsed.stateWord;
        m_poll.shutdownKind = parsed.shutdownKind;
        m_poll.time = parsed.time;
        m_poll.cost = parsed.cost;
        m_poll.login = parsed.login;
        m_poll.password = parsed.password;
        m_poll.balance = parsed.balance;
        m_poll.noPasswordChange = parsed.noPasswordChange;
        m_poll.desktopType = parsed.desktopType;
        m_logoutSent = false;
        if (customerLoggedIn())
            m_mustSetPassword = false;
        // A free station has no one to warn.
        if (m_poll.stateWord == u"LIBRE")
            m_warning = false;
        break;
    }
    case Kind::Warning:
        m_warning = true;
        m_warningText = parsed.text;
        break;
    case Kind::WarningOff:
        m_warning = false;
        break;
    case Kind::Message:
        m_lastMessage = parsed.text;
        break;
    case Kind::Volume:
        if (parsed.numberOk)
            m_volume = parsed.number;
        break;
    case Kind::LoginAnswer:
        if (parsed.numberOk && parsed.number == 21) {
            m_mustSetPassword = true;
            m_lastRefusal = 21;
        }
        break;
    case Kind::LoginRefused:
        if (parsed.numberOk)
            m_lastRefusal = parsed.number;
        break;
    case Kind::SetPassResult:
        m_lastSetPassResult = parsed.text;
        if (parsed.text == u"11" || parsed.text == u"1")
            m_mustSetPassword = false;
        break;
    case Kind::Off:
        if (!parsed.numberOk)
            break;
        m_lastOff = parsed.number;
        switch (parsed.number) {
        case 0: {
            const bool queued = std::find(m_queue.begin(), m_queue.end(), replyLogout()) != m_queue.end();
            if (customerLoggedIn() && !queued)
                queueLogout();
            return Action::None;
        }
        case 1:
            return Action::PowerOff;
        case 2:
            return Action::Reboot;
        case 3:
            return Action::EndProgram;
        default:
            break;
        }
        break;
    case Kind::Unknown:
        break;
    }
    return Action::None;
}

QByteArray StationModel::takeReply() {
    if (m_queue.empty())
        return replyAck();
    QByteArray reply = std::move(m_queue.front());
    m_queue.pop_front();
    if (reply == replyLogout())
        m_logoutSent = true;
    touch();
    return reply;
}

void StationModel::noteReplySent(const QByteArray& reply) {
    ++m_repliesSent;
    m_lastReply = reply;
}

bool StationModel::queue(const QByteArray& reply) {
    if (int(m_queue.size()) >= MaxQueuedReplies)
        return false;
    m_queue.push_back(reply);
    touch();
    return true;
}

bool StationModel::queueLogin(const QString& login, const QString& password) {
    m_lastLoginAttempt = login;
    m_lastRefusal.reset();
    return queue(replyLogin(login, password));
}

bool StationModel::queueLogout() {
    return queue(replyLogout());
}

bool StationModel::queueMessage(const QString& text) {
    return queue(replyMessage(text));
}

bool StationModel::queueSetPassword(const QString& newPassword, std::optional<bool> firstPassword) {
    m_lastSetPassResult.clear();
    return queue(replySetPassword(newPassword, firstPassword.value_or(m_mustSetPassword)));
}

bool StationModel::queueAdmin(bool on) {
    return queue(on ? replyAdminStart() : replyAdminEnd());
}

void StationModel::clearQueue() {
    m_queue.clear();
    touch();
}

bool StationModel::customerLoggedIn() const {
    return m_poll.seen && !m_logoutSent && !m_poll.login.isEmpty() &&
           (m_poll.stateWord == u"OCUPADO" || m_poll.stateWord == u"PREPAGO");
}

void StationModel::setFault(const Fault& fault) {
    m_fault = fault;
    touch();
}

void StationModel::setPower(Power power) {
    m_power = power;
    touch();
}

void StationModel::setConnected(bool connected) {
    m_connected = connected;
    touch();
}

} // namespace velkarsim
