#include "store/views.h"

#include "store/dialect.h"

namespace store {

QString cuentasFilter() {
    return QStringLiteral("COALESCE(Tipo, '') <> '9'");
}
QString codigosFilter() {
    return QStringLiteral("Tipo = '9'");
}

std::vector<Cuenta> cuentasView(const QSqlDatabase& db) {
    return select<Cuenta>(db, QStringLiteral("WHERE ") + cuentasFilter() + QStringLiteral(" ORDER BY ") +
                                  caseless(db, QStringLiteral("Login")));
}

std::vector<Cuenta> codigosView(const QSqlDatabase& db) {
    return select<Cuenta>(db, QStringLiteral("WHERE ") + codigosFilter() + QStringLiteral(" ORDER BY ") +
                                  caseless(db, QStringLiteral("Login")));
}

std::vector<Ticket> pendingTickets(const QSqlDatabase& db, bool ascending) {
    return select<Ticket>(db, QStringLiteral("WHERE COALESCE(CONTA, 0) = 0 ORDER BY ID_TICK ") +
                                  (ascending ? QStringLiteral("ASC") : QStringLiteral("DESC")));
}

std::vector<MovCuenta> pendingMovements(const QSqlDatabase& db, bool ascending) {
    return select<MovCuenta>(db, QStringLiteral("WHERE COALESCE(CONTA, 0) = 0 ORDER BY ID ") +
                                     (ascending ? QStringLiteral("ASC") : QStringLiteral("DESC")));
}

} // namespace store
