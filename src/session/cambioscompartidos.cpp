#include "session/cambioscompartidos.h"

#include "core/consolecontext.h"
#include "session/engine.h"
#include "store/datamodule.h"
#include "store/opciones.h"
#include "store/sql.h"

namespace session {

namespace {

// A station's entry says where it was loaded from; the row may have moved on.
bool sameConfiguration(const TPuestos& entry, const store::Puesto& row) {
    // Either column: a change of the identification choice waits for the
    // next start, as it does at the console that made it.
    const bool sameAddress = entry.address == row.ip.trimmed() || entry.address == row.host.trimmed();
    return sameAddress && entry.relativePrice == row.preciorel;
}

} // namespace

CambiosCompartidos::CambiosCompartidos(ConsoleEngine& engine, QObject* parent)
    : QObject(parent)
    , m_engine(engine)
    , m_watcher([&engine] { return engine.context().data; }) {
    m_watcher.setHoldWhile([this] { return m_engine.conexion().isLost() || (m_busy && m_busy()); });
    connect(&m_watcher, &store::ChangeWatcher::changed, this,
            [this](const QStringList& keys) { aplicar(keys); });
    connect(&m_watcher, &store::ChangeWatcher::failed, this,
            [this](const QString& error) { m_engine.conexion().noteFailure(error); });
}

void CambiosCompartidos::start(int intervalMs) {
    const TDataModule1* data = m_engine.context().data;
    if (!data || !data->isServer())
        return;
    m_watcher.start(intervalMs);
}

void CambiosCompartidos::stop() {
    m_watcher.stop();
}

Status CambiosCompartidos::aplicar(const QStringList& keys) {
    Status outcome = Status::success();
    const auto step = [&outcome](const Status& s) {
        if (!s && outcome)
            outcome = s;
    };
    if (keys.contains(store::claveCambio(store::Cambio::Opciones)))
        step(releerOpciones());
    if (keys.contains(store::claveCambio(store::Cambio::Tarifas)))
        step(releerTarifas());
    if (keys.contains(store::claveCambio(store::Cambio::Puestos)))
        step(seguirPuestos());
    if (!outcome)
        m_engine.conexion().noteFailure(outcome.error());
    emit aplicados(keys);
    return outcome;
}

Status CambiosCompartidos::releerOpciones() {
    ConsoleContext& context = m_engine.context();
    store::forgetOpciones(context.data->db());
    try {
        context.settings = store::runtimeSettings(store::readOpciones(context.data->db()));
    } catch (const store::DatabaseError& e) {
        return Status::failure(e.text());
    }
    return Status::success();
}

Status CambiosCompartidos::releerTarifas() {
    try {
        m_engine.tarifasEditables().sincronizar(ListaTarifas::load(m_engine.context().data->db()));
    } catch (const store::DatabaseError& e) {
        return Status::failure(e.text());
    }
    return Status::success();
}

Status CambiosCompartidos::seguirPuestos() {
    ListaPuestos& puestos = m_engine.puestos();
    // Stations given to this console or taken from it: the lease takes them
    // in or lets them go at its next step, and says so.
    if (m_engine.consola().isRunning()) {
        m_engine.consola().renewSoon();
    } else if (const Result<ListaPuestos::Reconciliacion> done = puestos.reconciliar(); !done) {
        return Status::failure(done.error());
    }

    std::vector<store::Puesto> rows;
    try {
        const QSqlDatabase db = m_engine.context().data->db();
        rows = puestos.consoleName().isEmpty()
                   ? store::select<store::Puesto>(db)
                   : store::select<store::Puesto>(db, QStringLiteral("WHERE CONSOLA = ?"),
                                                  {puestos.consoleName()});
    } catch (const store::DatabaseError& e) {
        return Status::failure(e.text());
    }
    std::vector<int> changed;
    for (const store::Puesto& row : rows) {
        const TPuestos* entry = puestos.byNumber(row.npuesto);
        // A new epoch is a change of owner: the lease's business.
        if (!entry || entry->rec().epoch != row.EPOCA || sameConfiguration(*entry, row))
            continue;
        // A station in use keeps what it was loaded with until its next start.
        if (puestos.PuestoLibre(row.npuesto))
            changed.push_back(row.npuesto);
    }
    if (changed.empty())
        return Status::success();

    StationClock& clock = m_engine.reloj();
    const bool clockWasActive = clock.isActive();
    const bool saveWasActive = puestos.periodicSaveActive();
    clock.stop();
    puestos.stopPeriodicSave();
    Status outcome = Status::success();
    for (int number : changed) {
        // What only memory holds (deactivated, say) goes to the row first.
        if (const Status saved = puestos.guardarPuesto(puestos.positionOf(number)); !saved) {
            outcome = saved;
            continue;
        }
        if (const Result<bool> reloaded = puestos.RecargarPuesto(number); !reloaded)
            outcome = Status::failure(reloaded.error());
    }
    if (saveWasActive)
        puestos.startPeriodicSave();
    if (clockWasActive)
        clock.start();
    return outcome;
}

} // namespace session
