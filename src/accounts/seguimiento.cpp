#include "accounts/seguimiento.h"

#include "store/dialect.h"
#include "store/sql.h"

#include <QSqlQuery>

#include <utility>

namespace accounts {

namespace {

qint64 ultimoMovimiento(const QSqlDatabase& db) {
    return store::scalar(db, QStringLiteral("SELECT MAX(ID) FROM movcuentas")).toLongLong();
}

} // namespace

void MovimientosNuevos::marcar(const QSqlDatabase& db) {
    m_ultimo = ultimoMovimiento(db);
}

QStringList MovimientosNuevos::movidas(const QSqlDatabase& db) {
    const qint64 ultimo = ultimoMovimiento(db);
    const std::optional<qint64> desde = std::exchange(m_ultimo, ultimo);
    QStringList moved;
    if (!desde || ultimo <= *desde)
        return moved;
    QSqlQuery q =
        store::run(db, QStringLiteral("SELECT DISTINCT CUENTA FROM movcuentas WHERE ID > ? AND ID <= ?"),
                   {*desde, ultimo});
    while (q.next())
        moved << store::toText(q.value(0));
    return moved;
}

void SeguimientoMovimientos::marcar(const QSqlDatabase& db) {
    m_nuevos.marcar(db);
    m_posicion.clear();
}

std::optional<std::vector<int>> SeguimientoMovimientos::releer(const QSqlDatabase& db,
                                                               std::vector<store::Cuenta>& rows,
                                                               const QString& clase) {
    const QStringList moved = m_nuevos.movidas(db);
    std::vector<int> changed;
    if (moved.isEmpty())
        return changed;
    // Logins are one account whatever their letter case.
    if (m_posicion.isEmpty()) {
        m_posicion.reserve(qsizetype(rows.size()));
        for (size_t row = 0; row < rows.size(); ++row)
            m_posicion.insert(store::foldAscii(rows[row].Login), int(row));
    }
    for (const QString& login : moved) {
        const auto at = m_posicion.constFind(store::foldAscii(login));
        if (at == m_posicion.cend()) {
            const QString kind = QStringLiteral("SELECT COUNT(*) FROM cuentas WHERE ") + clase +
                                 QStringLiteral(" AND ") + store::equalsCaseless(db, QStringLiteral("Login"));
            if (store::toInt(store::scalar(db, kind, {login})) > 0)
                return std::nullopt;
            continue;
        }
        store::Cuenta& row = rows[size_t(*at)];
        std::vector<store::Cuenta> fresh =
            store::select<store::Cuenta>(db, QStringLiteral("WHERE Login = ?"), {row.Login});
        if (fresh.empty())
            return std::nullopt;
        row = std::move(fresh.front());
        changed.push_back(*at);
    }
    return changed;
}

} // namespace accounts
