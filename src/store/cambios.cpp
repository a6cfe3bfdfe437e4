#include "store/cambios.h"

#include "store/datamodule.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "store/transaction.h"

#include <algorithm>
#include <vector>

namespace store {

QString claveCambio(Cambio cambio) {
    switch (cambio) {
    case Cambio::Opciones:
        return QStringLiteral("opciones");
    case Cambio::Tarifas:
        return QStringLiteral("tarifas");
    case Cambio::Franjas:
        return QStringLiteral("franjas");
    case Cambio::Bonos:
        return QStringLiteral("bonos");
    case Cambio::Operadores:
        return QStringLiteral("operadores");
    case Cambio::Puestos:
        return QStringLiteral("puestos");
    }
    return {};
}

void marcarCambio(const QSqlDatabase& db, Cambio cambio) {
    marcarCambios(db, {cambio});
}

void marcarCambios(const QSqlDatabase& db, std::initializer_list<Cambio> cambios) {
    // Always in one order: two edits that bump the same keys lock their rows
    // the same way round and never wait for each other in a circle.
    std::vector<QString> keys;
    for (Cambio c : cambios) {
        keys.push_back(claveCambio(c));
        // This console's own edit: its next settlement reads the new row.
        if (c == Cambio::Opciones)
            forgetOpciones(db);
    }
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    for (const QString& key : keys)
        run(db,
            QStringLiteral("INSERT INTO cambios (CLAVE, VERSION) VALUES (?, 1) ON CONFLICT (CLAVE) DO UPDATE "
                           "SET VERSION = cambios.VERSION + 1"),
            {key});
}

std::map<QString, qint64> versionesCambios(const QSqlDatabase& db) {
    std::map<QString, qint64> versions;
    QSqlQuery q = run(db, QStringLiteral("SELECT CLAVE, VERSION FROM cambios"));
    while (q.next())
        versions[toText(q.value(0))] = q.value(1).toLongLong();
    return versions;
}

ChangeWatcher::ChangeWatcher(TDataModule1& data, QObject* parent)
    : ChangeWatcher([&data] { return &data; }, parent) {}

ChangeWatcher::ChangeWatcher(std::function<TDataModule1*()> data, QObject* parent)
    : QObject(parent)
    , m_data(std::move(data)) {
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (!m_hold || !m_hold())
            poll();
    });
}

void ChangeWatcher::start(int intervalMs) {
    // Where the versions stand now: what was read before this is current.
    if (!m_primed)
        poll();
    m_timer.start(intervalMs);
}

void ChangeWatcher::stop() {
    m_timer.stop();
}

QStringList ChangeWatcher::poll() {
    // A look from inside someone's transaction would see its own uncommitted
    // bumps; the next tick comes soon enough.
    TDataModule1* data = m_data();
    if (Transaction::anyOpen() || !data || !data->isOpen())
        return {};
    std::map<QString, qint64> now;
    try {
        now = versionesCambios(data->db());
    } catch (const DatabaseError& e) {
        emit failed(e.text());
        return {};
    }
    QStringList moved;
    if (m_primed) {
        for (const auto& [key, version] : now) {
            const auto known = m_known.find(key);
            if (known == m_known.end() || known->second != version)
                moved << key;
        }
    }
    m_known = std::move(now);
    m_primed = true;
    if (!moved.isEmpty())
        emit changed(moved);
    return moved;
}

} // namespace store
