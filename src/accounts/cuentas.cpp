#include "accounts/cuentas.h"

namespace accounts {

std::vector<store::Cuenta> cuentasPorLogin(const QSqlDatabase& db, const QString& login) {
    // The column compares without letter case; two rows are enough to know
    // there is not exactly one.
    return store::select<store::Cuenta>(db, QStringLiteral("WHERE Login = ? LIMIT 2"), {QVariant(login)});
}

std::optional<store::Cuenta> cuentaPorLogin(const QSqlDatabase& db, const QString& login) {
    std::vector<store::Cuenta> rows = cuentasPorLogin(db, login);
    if (rows.size() != 1)
        return std::nullopt;
    return rows.front();
}

QStringList tiposEscritorio() {
    return {QStringLiteral("- Todos -"), QStringLiteral("Escritorio"), QStringLiteral("Internet"),
            QStringLiteral("Juegos"), QStringLiteral("Office")};
}

} // namespace accounts
