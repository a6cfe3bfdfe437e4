#include "web/sesiones.h"

#include <QRandomGenerator>

namespace web {

Sesiones::Sesiones(const Clock& clock, int idleMinutes)
    : m_clock(clock)
    , m_idleMs(qint64(qMax(1, idleMinutes)) * 60000) {}

QByteArray Sesiones::abrir(const QString& operador) {
    const qint64 now = m_clock.monotonicMs();
    olvidarCaducadas(now);
    // 256 bits from the system's generator: unguessable, and never derived
    // from the name or the time.
    quint32 words[8];
    QRandomGenerator::system()->fillRange(words);
    const QByteArray token = QByteArray(reinterpret_cast<const char*>(words), sizeof words).toHex();
    m_sesiones.insert(token, {operador, now});
    return token;
}

std::optional<QString> Sesiones::usar(const QByteArray& token) {
    const auto it = m_sesiones.find(token);
    if (it == m_sesiones.end())
        return std::nullopt;
    const qint64 now = m_clock.monotonicMs();
    if (now - it->ultimaMs >= m_idleMs) {
        m_sesiones.erase(it);
        return std::nullopt;
    }
    it->ultimaMs = now;
    return it->operador;
}

void Sesiones::cerrar(const QByteArray& token) {
    m_sesiones.remove(token);
}

void Sesiones::olvidarCaducadas(qint64 nowMs) {
    // A sweep a minute at most keeps abandoned sessions from piling up.
    if (nowMs - m_ultimaLimpiezaMs < 60000)
        return;
    m_ultimaLimpiezaMs = nowMs;
    for (auto it = m_sesiones.begin(); it != m_sesiones.end();)
        it = nowMs - it->ultimaMs >= m_idleMs ? m_sesiones.erase(it) : std::next(it);
}

std::optional<qint64> Intentos::bloqueado(const QString& clave) const {
    const auto it = m_cuentas.constFind(clave);
    const qint64 now = m_clock.monotonicMs();
    if (it == m_cuentas.cend() || now >= it->hastaMs)
        return std::nullopt;
    return it->hastaMs - now;
}

std::optional<qint64> Intentos::fallo(const QString& clave, int limite, qint64 ventanaMs, qint64 duracionMs) {
    const qint64 now = m_clock.monotonicMs();
    // Guesses from many addresses must not grow the table without end:
    // keys with no lock and no failure left in the window are forgotten.
    if (m_cuentas.size() >= 10000) {
        for (auto it = m_cuentas.begin(); it != m_cuentas.end();)
            it = now >= it->hastaMs && (it->fallosMs.isEmpty() || now - it->fallosMs.last() >= ventanaMs)
                     ? m_cuentas.erase(it)
                     : std::next(it);
    }
    Cuenta& c = m_cuentas[clave];
    if (now < c.hastaMs)
        return std::nullopt;
    c.fallosMs.removeIf([&](qint64 t) { return now - t >= ventanaMs; });
    c.fallosMs.append(now);
    if (c.fallosMs.size() < limite)
        return std::nullopt;
    c.fallosMs.clear();
    c.hastaMs = now + duracionMs;
    return duracionMs;
}

} // namespace web
