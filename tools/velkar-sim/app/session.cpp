#include "app/session.h"

#include <QFile>

#include <ctime>
#include <sys/resource.h>
#include <unistd.h>

namespace velkarsim {

Session::Session(const Options& options, QObject* parent)
    : QObject(parent)
    , m_options(options)
    , m_sim(this)
    , m_executor(m_sim) {
    m_executor.setQuitHandler([this] { Q_EMIT quitRequested(); });
}

void Session::addLogSink(std::function<void(const QString&)> sink) {
    m_sinks.push_back(std::move(sink));
    m_sim.setLogSink([this](const QString& line) {
        for (const auto& s : m_sinks)
            s(line);
    });
}

bool Session::start(QString* error, QString* warning) {
    std::optional<QList<ScriptAction>> script;
    if (!m_options.scriptFile.isEmpty()) {
        QFile file(m_options.scriptFile);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("cannot read %1: %2").arg(m_options.scriptFile, file.errorString());
            return false;
        }
        QString why;
        script = parseScript(QString::fromUtf8(file.readAll()), &why);
        if (!script) {
            *error = QStringLiteral("%1: %2").arg(m_options.scriptFile, why);
            return false;
        }
    }

    m_sim.setPort(m_options.port);
    m_sim.setRebootMs(m_options.rebootMs);
    m_sim.setListenPolicy(m_options.listenPolicy);
    m_sim.addStations(m_options.base, m_options.count, m_options.firstNumber);
    for (int i = 0; i < m_sim.count(); ++i) {
        const int number = m_sim.station(i).number();
        m_sim.station(i).setFault(m_options.faultByStation.value(number, m_options.fault));
    }
    for (auto it = m_options.faultByStation.cbegin(); it != m_options.faultByStation.cend(); ++it) {
        if (m_sim.indexOfNumber(it.key()) < 0) {
            *error = QStringLiteral("--fault-station: there is no station %1").arg(it.key());
            return false;
        }
    }

    if (m_options.hasControl) {
        m_control = std::make_unique<ControlServer>(m_executor);
        QString why;
        if (!m_control->listen(m_options.controlHost, m_options.controlPort, &why)) {
            *error = QStringLiteral("control channel %1:%2: %3")
                         .arg(m_options.controlHost.toString())
                         .arg(m_options.controlPort)
                         .arg(why);
            return false;
        }
    }

    QString why;
    if (!m_sim.start(&why) && warning)
        *warning = why;
    if (m_sim.listenerClosedWhileConnected() && warning && warning->isEmpty())
        *warning = QStringLiteral("not enough file descriptors for %1 listeners and connections: "
                                  "a station closes its listener while the console is connected")
                       .arg(m_sim.count());

    m_lastStatsMs = m_sim.elapsedMs();
    m_lastStatsCpu = processCpuSeconds();
    if (script) {
        m_script = std::make_unique<ScriptRunner>(*script, m_executor);
        m_script->setOutput([this](const QString& text) {
            if (m_notice)
                m_notice(text);
        });
        m_script->start();
    }
    return true;
}

QString Session::statsLine(bool interval) {
    const SimulatorStats s = m_sim.stats();
    const qint64 now = m_sim.elapsedMs();
    const double cpu = processCpuSeconds();
    const double seconds = double(now) / 1000.0;
    QString line = QStringLiteral("stats t=%1s stations=%2 listening=%3 connected=%4 lines=%5 replies=%6 "
                                  "accepted=%7 lost=%8 listen_failures=%9")
                       .arg(seconds, 0, 'f', 1)
                       .arg(s.stations)
                       .arg(s.listening)
                       .arg(s.connected)
                       .arg(s.linesReceived)
                       .arg(s.repliesSent)
                       .arg(s.connectionsAccepted)
                       .arg(s.connectionsLost)
                       .arg(s.listenFailures);
    if (seconds > 0)
        line += QStringLiteral(" exchanges_per_s=%1 cpu=%2%")
                    .arg(double(s.linesReceived) / seconds, 0, 'f', 1)
                    .arg(100.0 * cpu / seconds, 0, 'f', 1);
    if (interval) {
        const double span = double(now - m_lastStatsMs) / 1000.0;
        if (span > 0)
            line += QStringLiteral(" last_exchanges_per_s=%1 last_cpu=%2%")
                        .arg(double(s.linesReceived - m_lastStatsLines) / span, 0, 'f', 1)
                        .arg(100.0 * (cpu - m_lastStatsCpu) / span, 0, 'f', 1);
        m_lastStatsMs = now;
        m_lastStatsLines = s.linesReceived;
        m_lastStatsCpu = cpu;
    }
    line += QStringLiteral(" rss=%1MB").arg(double(processResidentBytes()) / (1024.0 * 1024.0), 0, 'f', 1);
    return line;
}

double processCpuSeconds() {
    rusage u{};
    if (getrusage(RUSAGE_SELF, &u) != 0)
        return 0;
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

qint64 processResidentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2)
        return 0;
    return fields[1].toLongLong() * sysconf(_SC_PAGESIZE);
}

} // namespace velkarsim
