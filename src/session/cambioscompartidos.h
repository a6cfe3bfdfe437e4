#pragma once

#include "core/result.h"
#include "store/cambios.h"

#include <QObject>
#include <QStringList>

#include <functional>

class ConsoleEngine;

namespace session {

// Edits made at the other consoles of a shared database, applied here as
// this console applies its own: the run-time settings read again, the
// tariff cache brought in step, stations given to or taken from this console
// taken in or let go, and free stations whose address or relative price
// changed polled at the new one. Bands, vouchers and permissions are read
// from the tables whenever they are used and need nothing.
class CambiosCompartidos : public QObject {
    Q_OBJECT
public:
    explicit CambiosCompartidos(ConsoleEngine& engine, QObject* parent = nullptr);

    // Watches from now on (a file has one console: nothing to watch).
    void start(int intervalMs = store::ChangeWatcher::PollMs);
    void stop();
    bool isRunning() const { return m_watcher.isRunning(); }
    // While it answers true (a modal window is open, whose lists or
    // station may change under it) nothing is read or applied; the changes
    // wait for the first look after.
    void setDeferWhile(std::function<bool()> busy) { m_busy = std::move(busy); }

    store::ChangeWatcher& watcher() { return m_watcher; }
    // Applies what the keys name now. Database failures go to the
    // connection keeper, as the lease's do.
    Status aplicar(const QStringList& keys);

signals:
    // The keys another console changed, applied.
    void aplicados(const QStringList& keys);

private:
    Status releerOpciones();
    Status releerTarifas();
    Status seguirPuestos();

    ConsoleEngine& m_engine;
    store::ChangeWatcher m_watcher;
    std::function<bool()> m_busy;
};

} // namespace session
