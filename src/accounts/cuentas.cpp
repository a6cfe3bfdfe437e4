#include "accounts/cuentas.h"

#include "accounts/busqueda.h"
#include "core/formatohora.h"
#include "station/loginsinuse.h"
#include "store/auditoriatexto.h"
#include "store/consolas.h"
#include "store/dialect.h"
#include "store/transaction.h"
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

QString textoCuenta(const store::Cuenta& c) {
    QStringList text;
    if (!c.Nombre.trimmed().isEmpty())
        text << QStringLiteral("Nombre: ") + c.Nombre;
    if (!c.Tarifa.isEmpty())
        text << QStringLiteral("Tarifa: ") + c.Tarifa;
    text << QStringLiteral("Crédito: ") + store::importeAuditado(c.credito)
         << QStringLiteral("Tiempo: ") + FormatoHora(c.Bonotiempo)
         << QStringLiteral("Alta: ") + store::valorAuditado(c.Alta)
         << QStringLiteral("Última visita: ") + store::valorAuditado(c.Ultima);
    return text.join(QLatin1Char('\n'));
}

void borrarAuditando(const QSqlDatabase& db, const QString& where, const QVariantList& values,
                     const QString& operatorName, const QDateTime& now) {
    for (const store::Cuenta& c :
         store::select<store::Cuenta>(db, QStringLiteral("WHERE ") + where + store::forUpdate(db), values)) {
        const bool codigo = c.Tipo == QLatin1String("9");
        store::auditar(db, {operatorName, codigo ? store::accion::BorrarCodigo : store::accion::BorrarCuenta,
                            (codigo ? QStringLiteral("Código ") : QStringLiteral("Cuenta ")) + c.Login,
                            textoCuenta(c), QString(), now});
    }
    store::run(db, QStringLiteral("DELETE FROM cuentas WHERE ") + where, values);
}

bool eliminarCuenta(const QSqlDatabase& db, const QString& login, const station::LoginsInUse& inUse,
                    const QString& operatorName, const QDateTime& now) {
    // Logged in here, or at another console's station.
    if (inUse.contains(login) || store::loginEnUso(db, login))
        return false;
    store::Transaction tx(db);
    borrarAuditando(db, QStringLiteral("Login = ? AND ") + store::cuentasFilter(), {login}, operatorName,
                    now);
    tx.commit();
    return true;
}

QStringList eliminarCaducadas(const QSqlDatabase& db, bool byLastUse, const QDate& before,
                              const station::LoginsInUse& inUse, const QString& operatorName,
                              const QDateTime& now) {
    const QString where = store::cuentasFilter() +
                          (byLastUse ? QStringLiteral(" AND Ultima < ?") : QStringLiteral(" AND Alta < ?"));
    store::Transaction tx(db);
    QStringList busy;
    for (const store::Cuenta& c :
         store::select<store::Cuenta>(db, QStringLiteral("WHERE ") + where, {store::sqlValue(before)}))
        if (inUse.contains(c.Login) || store::loginEnUso(db, c.Login))
            busy << c.Login;
    if (busy.isEmpty())
        borrarAuditando(db, where, {store::sqlValue(before)}, operatorName, now);
    tx.commit();
    return busy;
}

} // namespace accounts
