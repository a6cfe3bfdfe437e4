#include "session/consolelease.h"

#include "core/consolecontext.h"
#include "station/listapuestos.h"
#include "store/connectionkeeper.h"
#include "store/datamodule.h"
#include "store/sql.h"

#include <QCoreApplication>
#include <QUuid>

namespace session {

namespace {

// A console without a take-over delay still counts as alive for this long.
constexpr qint64 DefaultLiveMs = 30000;

} // namespace

ConsoleLease::ConsoleLease(ConsoleContext& context, ListaPuestos& puestos, store::ConnectionKeeper& keeper,
                           QObject* parent)
    : QObject(parent)
    , m_context(context)
    , m_puestos(puestos)
    , m_keeper(keeper) {
    // Often enough for the shortest heartbeat and the fence.
    m_timer.setInterval(MinHeartbeatMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { step(m_context.clock->monotonicMs()); });
    // A server back from an outage hears from this console at once.
    connect(&m_keeper, &store::ConnectionKeeper::restored, this, [this] {
        if (m_timer.isActive()) {
            renewSoon();
            step(m_context.clock->monotonicMs());
        }
    });
}

ConsoleLease::~ConsoleLease() = default;

qint64 ConsoleLease::deadAfterMs() const {
    return qint64(m_context.settings.takeoverDelaySeconds) * 1000;
}

int ConsoleLease::heartbeatMs() const {
    const qint64 fifth = deadAfterMs() / 5;
    return fifth <= 0 ? MaxHeartbeatMs : int(qBound(qint64(MinHeartbeatMs), fifth, qint64(MaxHeartbeatMs)));
}

qint64 ConsoleLease::liveMs() const {
    return deadAfterMs() > 0 ? deadAfterMs() : DefaultLiveMs;
}

Status ConsoleLease::registrar() {
    m_id.equipo = QSysInfo::machineHostName();
    m_id.nombre = m_context.consoleName.isEmpty() ? m_id.equipo : m_context.consoleName;
    m_id.pid = QCoreApplication::applicationPid();
    m_id.marca = QUuid::createUuid().toString(QUuid::WithoutBraces);
    m_puestos.setConsoleName(m_id.nombre);
    try {
        const QSqlDatabase db = m_context.data->db();
        const store::Registro registro = store::registrarConsola(db, m_id, liveMs());
        if (registro.heldBy)
            return Status::failure(
                QStringLiteral("La consola «%1» ya está en marcha en el equipo %2. Arranque esta consola con "
                               "otro nombre (--console NOMBRE) o cierre la otra.")
                    .arg(m_id.nombre, registro.heldBy->isEmpty() ? QStringLiteral("?") : *registro.heldBy));
        store::liberarLoginsHuerfanos(db, m_id.nombre);
    } catch (const store::DatabaseError& e) {
        return Status::failure(e.text());
    }
    m_lastRenewalMs = m_context.clock->monotonicMs();
    return Status::success();
}

void ConsoleLease::start() {
    m_nextRenewalMs = 0;
    m_timer.start();
}

void ConsoleLease::stop(bool clean) {
    m_timer.stop();
    if (!clean || m_id.nombre.isEmpty() || !m_context.data)
        return;
    try {
        store::darDeBaja(m_context.data->db(), m_id);
    } catch (const store::DatabaseError&) {
        // A row left behind only looks like a console that died: after the
        // delay another console may take the stations, which is safe.
    }
}

void ConsoleLease::step(qint64 nowMs) {
    // The lease runs out for the others deadAfterMs after the last renewal
    // began; polling stops at half of it, so a console cut off never polls
    // a station another has taken.
    if (!m_fenced && m_othersAlive > 0 && deadAfterMs() > 0 && m_lastRenewalMs >= 0 &&
        nowMs - m_lastRenewalMs > deadAfterMs() / 2)
        fence();
    if (nowMs < m_nextRenewalMs || m_keeper.isLost())
        return;
    m_nextRenewalMs = nowMs + heartbeatMs();
    renew(nowMs);
}

void ConsoleLease::renew(qint64 nowMs) {
    const QSqlDatabase db = m_context.data->db();
    store::Latido latido;
    try {
        latido = store::renovarLatido(db, m_id, liveMs(), deadAfterMs());
        if (!latido.kept)
            store::volverARegistrar(db, m_id);
    } catch (const store::DatabaseError& e) {
        // The keeper tells the operator about a server gone; the fence above
        // does the rest.
        m_keeper.noteFailure(e.text());
        return;
    }
    m_lastRenewalMs = nowMs;
    m_othersAlive = latido.othersAlive;
    // Taken over while away, or a station moved by another console.
    reconcile();
    if (m_fenced)
        unfence();
    for (const store::ConsolaRow& dead : latido.dead)
        takeOver(dead.nombre, deadAfterMs());
    if (m_othersAlive > 0 && nowMs >= m_nextRunningSaveMs) {
        m_nextRunningSaveMs = nowMs + RunningSaveMs;
        m_puestos.noteSave(m_puestos.guardarOcupados());
    }
    emit renewed(m_othersAlive > 0);
}

void ConsoleLease::reconcile() {
    qint64 held = 0;
    for (int pos = 0; pos < m_puestos.count(); ++pos)
        held += m_puestos.at(pos).rec().epoch;
    try {
        const auto [count, epochs] = store::resumenPropiedad(m_context.data->db(), m_id.nombre);
        if (count == m_puestos.count() && epochs == held)
            return;
    } catch (const store::DatabaseError& e) {
        m_keeper.noteFailure(e.text());
        return;
    }
    const Result<ListaPuestos::Reconciliacion> done = m_puestos.reconciliar();
    if (!done) {
        m_keeper.noteFailure(done.error());
        return;
    }
    if (!done.value().dropped.isEmpty())
        emit lost(done.value().dropped);
    if (!done.value().added.isEmpty())
        emit taken(QString(), done.value().added);
}

void ConsoleLease::takeOver(const QString& from, qint64 silentMs) {
    std::optional<store::Toma> toma;
    try {
        toma = store::tomarPuestos(m_context.data->db(), m_id.nombre, from, silentMs, QString());
    } catch (const store::DatabaseError& e) {
        m_keeper.noteFailure(e.text());
        return;
    }
    if (!toma)
        return;
    const Result<ListaPuestos::Reconciliacion> done = m_puestos.reconciliar();
    if (!done) {
        m_keeper.noteFailure(done.error());
        return;
    }
    emit taken(from, QList<int>(toma->stations.begin(), toma->stations.end()));
}

Result<std::vector<store::ConsolaRow>> ConsoleLease::otras() const {
    try {
        return store::otrasConsolas(m_context.data->db(), m_id.nombre);
    } catch (const store::DatabaseError& e) {
        return Result<std::vector<store::ConsolaRow>>::failure(e.text());
    }
}

Result<QList<int>> ConsoleLease::tomarAMano(const QString& from) {
    std::optional<store::Toma> toma;
    try {
        toma = store::tomarPuestos(m_context.data->db(), m_id.nombre, from, 0, m_context.currentOperator);
    } catch (const store::DatabaseError& e) {
        return Result<QList<int>>::failure(e.text());
    }
    if (!toma)
        return QList<int>();
    const Result<ListaPuestos::Reconciliacion> done = m_puestos.reconciliar();
    if (!done)
        return Result<QList<int>>::failure(done.error());
    return QList<int>(toma->stations.begin(), toma->stations.end());
}

void ConsoleLease::fence() {
    m_fenced = true;
    m_puestos.stopAll();
    emit fencedChanged(true);
}

void ConsoleLease::unfence() {
    m_fenced = false;
    m_puestos.startAll();
    emit fencedChanged(false);
}

} // namespace session
