#include "sim/simulator.h"

#include "station/stationaddress.h"

namespace velkarsim {

namespace {

// Descriptors kept aside for the event loop, the control channel and stdio.
constexpr int ReservedDescriptors = 64;

QString quoted(const QByteArray& bytes) {
    return u'"' + escapeForLog(bytes) + u'"';
}

} // namespace

Simulator::Simulator(QObject* parent)
    : QObject(parent) {
    m_transport = createPlatformTransport(this, this);
    m_clock.start();
    m_delayTimer.setSingleShot(true);
    m_delayTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_delayTimer, &QTimer::timeout, this, &Simulator::sendDueReplies);
}

Simulator::~Simulator() {
    m_transport.reset();
}

void Simulator::addStations(const QHostAddress& base, int count, int firstNumber) {
    for (int i = 0; i < count; ++i)
        addStation(firstNumber + i, station::loopbackStationAddress(base, i));
}

int Simulator::addStation(int number, const QHostAddress& address) {
    m_slots.emplace_back(number, address);
    m_transport->resize(count());
    const int index = count() - 1;
    if (m_started)
        syncListener(index);
    return index;
}

bool Simulator::start(QString* error) {
    m_started = true;
    switch (m_policy) {
    case ListenPolicy::Always:
        m_whileIdle = false;
        break;
    case ListenPolicy::WhileIdle:
        m_whileIdle = true;
        break;
    case ListenPolicy::Auto:
        m_whileIdle = qint64(count()) * 2 + ReservedDescriptors > raiseOpenFileLimit();
        break;
    }
    const quint64 failuresBefore = m_stats.listenFailures;
    QString first;
    for (int i = 0; i < count(); ++i) {
        QString why;
        const StationModel& m = station(i);
        if (m.power() != Power::On || m.fault().mode == Fault::Mode::Refuse || isListening(i))
            continue;
        if (!m_transport->listen(i, m.address(), m_port, &why)) {
            ++m_stats.listenFailures;
            if (first.isEmpty())
                first = QStringLiteral("station %1: %2").arg(m.number()).arg(why);
        }
    }
    const quint64 failed = m_stats.listenFailures - failuresBefore;
    if (failed == 0)
        return true;
    if (error) {
        *error = failed == 1
                     ? first
                     : QStringLiteral("%1 stations could not listen; first %2").arg(failed).arg(first);
    }
    return false;
}

int Simulator::indexOfNumber(int number) const {
    // Numbers are usually consecutive; try the direct guess first.
    if (!m_slots.empty()) {
        const int guess = number - m_slots.front().model.number();
        if (guess >= 0 && guess < count() && station(guess).number() == number)
            return guess;
    }
    for (int i = 0; i < count(); ++i) {
        if (station(i).number() == number)
            return i;
    }
    return -1;
}

void Simulator::setFault(int index, const Fault& fault) {
    StationModel& m = station(index);
    if (m.fault() == fault)
        return;
    m.setFault(fault);
    logEvent(index, QStringLiteral("fault %1").arg(fault.toString()));
    if (fault.mode == Fault::Mode::Refuse)
        closeConnectionOf(index);
    syncListener(index);
}

void Simulator::powerOff(int index) {
    if (station(index).power() == Power::Off)
        return;
    goDark(index, Power::Off);
}

void Simulator::powerOn(int index) {
    StationModel& m = station(index);
    if (m.power() == Power::On)
        return;
    ++m_slots[std::size_t(index)].rebootToken;
    m.setPower(Power::On);
    logEvent(index, QStringLiteral("power on"));
    syncListener(index);
}

SimulatorStats Simulator::stats() const {
    SimulatorStats s = m_stats;
    s.stations = count();
    s.listening = 0;
    s.connected = 0;
    for (int i = 0; i < count(); ++i) {
        s.listening += m_transport->isListening(i) ? 1 : 0;
        s.connected += m_transport->isConnected(i) ? 1 : 0;
    }
    return s;
}

void Simulator::connectionOpened(int slot) {
    Slot& s = m_slots[std::size_t(slot)];
    ++m_stats.connectionsAccepted;
    s.splitter.clear();
    // A connection that slipped in while the station went dark is not served.
    if (s.model.power() != Power::On || s.model.fault().mode == Fault::Mode::Refuse) {
        m_transport->closeConnection(slot);
        return;
    }
    s.model.setConnected(true);
    logEvent(slot, QStringLiteral("connected"));
    syncListener(slot);
}

void Simulator::connectionClosed(int slot) {
    Slot& s = m_slots[std::size_t(slot)];
    ++m_stats.connectionsLost;
    s.splitter.clear();
    s.model.setConnected(false);
    logEvent(slot, QStringLiteral("disconnected"));
    syncListener(slot);
}

void Simulator::dataReceived(int slot, const char* data, qsizetype size) {
    m_stats.bytesIn += quint64(size);
    const quint32 connection = m_transport->connectionId(slot);
    const QList<QByteArray> lines = m_slots[std::size_t(slot)].splitter.feed(data, size);
    for (const QByteArray& line : lines) {
        // A line may have closed the connection (drop, shut-down): the rest is lost with it.
        if (m_transport->connectionId(slot) != connection)
            return;
        handleLine(slot, line);
    }
}

void Simulator::handleLine(int index, const QByteArray& line) {
    StationModel& m = station(index);
    ++m_stats.linesReceived;
    const StationModel::Action action = m.observe(line);
    const Fault fault = m.fault();

    switch (fault.mode) {
    case Fault::Mode::NeverAnswer:
        logExchange(index, line, QStringLiteral("none (never-answer)"));
        break;
    case Fault::Mode::Drop:
        logExchange(index, line, QStringLiteral("none (drop)"));
        closeConnectionOf(index);
        break;
    case Fault::Mode::Garbage: {
        const QByteArray junk = garbage(index);
        logExchange(index, line, quoted(junk) + QStringLiteral(" (garbage)"));
        sendReply(index, junk);
        break;
    }
    case Fault::Mode::Oversize: {
        const QByteArray reply = m.takeReply();
        QByteArray big = reply;
        if (big.size() < OversizeBytes)
            big.append(QByteArray(OversizeBytes - big.size(), '#'));
        logExchange(index, line, quoted(reply) + QStringLiteral(" (oversize, %1 bytes)").arg(big.size()));
        sendReply(index, big);
        break;
    }
    case Fault::Mode::Delay: {
        const QByteArray reply = m.takeReply();
        m_delayed.push({elapsedMs() + fault.delayMs, index, m_transport->connectionId(index), reply});
        logExchange(index, line, QStringLiteral("pending (delay %1 ms)").arg(fault.delayMs));
        scheduleDelayed();
        break;
    }
    case Fault::Mode::None:
    case Fault::Mode::Refuse: {
        const QByteArray reply = m.takeReply();
        logExchange(index, line, quoted(reply));
        sendReply(index, reply);
        break;
    }
    }
    applyAction(index, action);
}

void Simulator::sendReply(int index, const QByteArray& reply) {
    if (!m_transport->send(index, reply)) {
        ++m_stats.connectionsLost;
        m_slots[std::size_t(index)].splitter.clear();
        station(index).setConnected(false);
        logEvent(index, QStringLiteral("disconnected (write failed)"));
        syncListener(index);
        return;
    }
    ++m_stats.repliesSent;
    m_stats.bytesOut += quint64(reply.size());
    station(index).noteReplySent(reply);
}

void Simulator::applyAction(int index, StationModel::Action action) {
    switch (action) {
    case StationModel::Action::None:
        return;
    case StationModel::Action::PowerOff:
        goDark(index, Power::Off);
        return;
    case StationModel::Action::EndProgram:
        goDark(index, Power::ProgramEnded);
        return;
    case StationModel::Action::Reboot: {
        goDark(index, Power::Rebooting);
        const quint32 token = m_slots[std::size_t(index)].rebootToken;
        QTimer::singleShot(m_rebootMs, this, [this, index, token] {
            if (m_slots[std::size_t(index)].rebootToken == token &&
                station(index).power() == Power::Rebooting)
                powerOn(index);
        });
        return;
    }
    }
}

void Simulator::goDark(int index, Power power) {
    Slot& s = m_slots[std::size_t(index)];
    ++s.rebootToken;
    s.model.setPower(power);
    // A program that starts again has nothing queued.
    s.model.clearQueue();
    closeConnectionOf(index);
    syncListener(index);
    logEvent(index, QStringLiteral("power %1")
                        .arg(power == Power::Off         ? QStringLiteral("off")
                             : power == Power::Rebooting ? QStringLiteral("rebooting")
                                                         : QStringLiteral("program ended")));
}

void Simulator::closeConnectionOf(int index) {
    if (!m_transport->isConnected(index))
        return;
    m_transport->closeConnection(index);
    m_slots[std::size_t(index)].splitter.clear();
    station(index).setConnected(false);
    logEvent(index, QStringLiteral("connection closed by station"));
    syncListener(index);
}

void Simulator::syncListener(int index) {
    if (!m_started)
        return;
    const StationModel& m = station(index);
    const bool want = m.power() == Power::On && m.fault().mode != Fault::Mode::Refuse &&
                      !(m_whileIdle && m_transport->isConnected(index));
    const bool have = m_transport->isListening(index);
    if (want && !have) {
        QString why;
        if (!m_transport->listen(index, m.address(), m_port, &why)) {
            ++m_stats.listenFailures;
            logEvent(index, QStringLiteral("cannot listen: %1").arg(why));
        }
    } else if (!want && have) {
        m_transport->closeListener(index);
    }
}

void Simulator::scheduleDelayed() {
    if (m_delayed.empty()) {
        m_delayTimer.stop();
        return;
    }
    const qint64 wait = std::max<qint64>(0, m_delayed.top().dueMs - elapsedMs());
    if (!m_delayTimer.isActive() || m_delayTimer.remainingTime() > wait)
        m_delayTimer.start(int(wait));
}

void Simulator::sendDueReplies() {
    const qint64 now = elapsedMs();
    while (!m_delayed.empty() && m_delayed.top().dueMs <= now) {
        const DelayedReply d = m_delayed.top();
        m_delayed.pop();
        if (m_transport->connectionId(d.index) != d.connection || !m_transport->isConnected(d.index)) {
            logEvent(d.index,
                     QStringLiteral("delayed reply %1 lost (connection closed)").arg(quoted(d.reply)));
            continue;
        }
        logEvent(d.index, QStringLiteral("delayed reply %1").arg(quoted(d.reply)));
        sendReply(d.index, d.reply);
    }
    scheduleDelayed();
}

QByteArray Simulator::garbage(int index) {
    QByteArray junk(GarbageBytes, '\0');
    quint32 x = m_garbageSeed ^ quint32(station(index).number());
    for (int i = 0; i < GarbageBytes; ++i) {
        x = x * 1664525u + 1013904223u;
        junk[i] = char(x >> 24);
    }
    m_garbageSeed = x;
    // Never a reply the console knows, never empty to its string reading,
    // and a zero byte and high bytes inside.
    junk[0] = char(0xFE);
    junk[1] = char(0x81);
    junk[GarbageBytes / 2] = '\0';
    return junk;
}

void Simulator::logExchange(int index, const QByteArray& line, const QString& reply) {
    if (!m_log)
        return;
    m_log(QStringLiteral("%1 %2 recv \"%3\\r\" reply %4")
              .arg(QString::number(double(elapsedMs()) / 1000.0, 'f', 3))
              .arg(station(index).number())
              .arg(escapeForLog(line), reply));
}

void Simulator::logEvent(int index, const QString& text) {
    if (!m_log)
        return;
    m_log(QStringLiteral("%1 %2 event %3")
              .arg(QString::number(double(elapsedMs()) / 1000.0, 'f', 3))
              .arg(station(index).number())
              .arg(text));
}

} // namespace velkarsim
