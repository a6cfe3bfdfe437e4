#pragma once

#include "sim/command.h"
#include "sim/options.h"
#include "sim/runners.h"
#include "sim/simulator.h"

#include <QObject>

#include <functional>
#include <memory>

namespace velkarsim {

// What both modes share: the simulator built from the command line, its
// faults, the script, the control channel and the figures.
class Session final : public QObject {
    Q_OBJECT
public:
    explicit Session(const Options& options, QObject* parent = nullptr);

    // Builds the stations and starts listening, the script and the control
    // channel. A station that cannot listen is reported but not fatal; a bad
    // script or control address is.
    bool start(QString* error, QString* warning);

    Simulator& simulator() { return m_sim; }
    CommandExecutor& executor() { return m_executor; }
    const Options& options() const { return m_options; }

    // Every log line goes to each sink (stdout with --log, the window's panel).
    void addLogSink(std::function<void(const QString&)> sink);
    // Script answers that are not "ok" and other notices.
    void setNoticeSink(std::function<void(const QString&)> sink) { m_notice = std::move(sink); }

    // "stats …" line: since start and, if given, since the previous call.
    QString statsLine(bool interval);

Q_SIGNALS:
    void quitRequested();

private:
    Options m_options;
    Simulator m_sim;
    CommandExecutor m_executor;
    std::unique_ptr<ScriptRunner> m_script;
    std::unique_ptr<ControlServer> m_control;
    std::vector<std::function<void(const QString&)>> m_sinks;
    std::function<void(const QString&)> m_notice;
    qint64 m_lastStatsMs = 0;
    quint64 m_lastStatsLines = 0;
    double m_lastStatsCpu = 0;
};

// Seconds of processor time used by this process so far.
double processCpuSeconds();
// Resident memory of this process in bytes (0 when unknown).
qint64 processResidentBytes();

} // namespace velkarsim
