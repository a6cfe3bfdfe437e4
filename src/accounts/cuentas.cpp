#include "accounts/cuentas.h"

#include "accounts/busqueda.h"
#include "station/loginsinuse.h"
#include "store/consolas.h"
#include "store/dialect.h"
#include "store/views.h"

namespace accounts {

std::vector<store::Cuenta> cuentasPorLogin(const QSqlDatabase& db, const QString& login) {
    // Two rows are enough to know there is not exactly one.
    return store::select<store::Cuenta>(db,
                                        QStringLiteral("WHERE ") +
                                            store::equalsCaseless(db, QStringLiteral("Login")) +
                                            QStringLiteral(" LIMIT 2"),
                                        {QVariant(login)});
}

std::optional<store::Cuenta> cuentaPorLogin(const QSqlDatabase& db, const QString& login) {
    std::vector<store::Cuenta> rows = cuentasPorLogin(db, login);
    if (rows.size() != 1)
        return std::nullopt;
    return rows.front();
}

std::optional<store::Cuenta> cuentaParaCambiar(const QSqlDatabase& db, const QString& login) {
    std::vector<store::Cuenta> rows = store::select<store::Cuenta>(
        db,
        QStringLiteral("WHERE ") + store::equalsCaseless(db, QStringLiteral("Login")) +
            QStringLiteral(" LIMIT 2") + store::forUpdate(db),
        {QVariant(login)});
    if (rows.size() != 1)
        return std::nullopt;
    return rows.front();
}

QStringList tiposEscritorio() {
    return {QStringLiteral("- Todos -"), QStringLiteral("Escritorio"), QStringLiteral("Internet"),
            QStringLiteral("Juegos"), QStringLiteral("Office")};
}

} // namespace accounts

namespace accounts {

QString patronLike(const QString& typed, bool startsWith) {
    QString escaped;
    for (QChar c : typed) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return (startsWith ? QString() : QStringLiteral("%")) + escaped + QStringLiteral("%");
}

std::vector<store::Cuenta> buscarCuentas(const QSqlDatabase& db, bool byName, const QString& typed,
                                         bool startsWith) {
    QVariantList values;
    const QString where = condicionBusqueda(
        db, store::cuentasFilter(),
        FiltroBusqueda{byName ? CampoBusqueda::Nombre : CampoBusqueda::Login, typed, startsWith}, values);
    return store::select<store::Cuenta>(db,
                                        QStringLiteral("WHERE ") + where + QStringLiteral(" ORDER BY ") +
                                            store::caseless(db, QStringLiteral("Login")),
                                        values);
}

bool eliminarCuenta(const QSqlDatabase& db, const QString& login, const station::LoginsInUse& inUse) {
    // Logged in here, or at another console's station.
    if (inUse.contains(login) || store::loginEnUso(db, login))
        return false;
    store::run(db, QStringLiteral("DELETE FROM cuentas WHERE Login = ? AND ") + store::cuentasFilter(),
               {login});
    return true;
}

QStringList eliminarCaducadas(const QSqlDatabase& db, bool byLastUse, const QDate& before,
                              const station::LoginsInUse& inUse) {
    const QString where = store::cuentasFilter() +
                          (byLastUse ? QStringLiteral(" AND Ultima < ?") : QStringLiteral(" AND Alta < ?"));
    QStringList busy;
    for (const store::Cuenta& c :
         store::select<store::Cuenta>(db, QStringLiteral("WHERE ") + where, {store::sqlValue(before)}))
        if (inUse.contains(c.Login) || store::loginEnUso(db, c.Login))
            busy << c.Login;
    if (busy.isEmpty())
        store::run(db, QStringLiteral("DELETE FROM cuentas WHERE ") + where, {store::sqlValue(before)});
    return busy;
}

} // namespace accounts
