#pragma once

#include "core/regional.h"
#include "core/runtimesettings.h"
#include "station/tareacliente.h"

#include <QObject>
#include <QStringList>

#include <memory>
#include <vector>

class Clock;

namespace station {

// "Probar" before the stations are saved: one exchange with each address on
// a link of its own, the same link and lines the registry's stations use, to
// see which station programs answer. Nothing is written and nothing is
// asked of the database: a station that sends a log-in gets no answer.
class SondaPuestos : public QObject {
    Q_OBJECT
public:
    SondaPuestos(const Regional& regional, Clock& clock, QObject* parent = nullptr);
    ~SondaPuestos() override;

    // Tests talk to stations on a port of their own and wait less.
    void setPort(quint16 port) { m_env.port = port; }
    void setTimings(const LinkTimings& timings) { m_env.timings = timings; }

    // Starts one exchange with every address; a run still going is dropped.
    // Text that is not an IP address answers no at once. Not to be called
    // from a slot of respuesta or terminado.
    void probar(const QStringList& addresses);
    bool running() const { return m_pending > 0; }

signals:
    // The address at index answered its poll, or did not (refused, silent,
    // unreachable).
    void respuesta(int index, bool answered);
    void terminado();

private:
    class Sonda;
    void report(int index, bool answered);

    RuntimeSettings m_settings;
    Regional m_regional;
    LinkScheduler m_scheduler;
    LinkEnvironment m_env;
    std::vector<std::unique_ptr<Sonda>> m_sondas;
    int m_pending = 0;
};

} // namespace station
