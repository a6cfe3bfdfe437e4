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

namespace {

QVariantList firstRow(QSqlQuery q) {
    QVariantList row;
    if (q.next()) {
        for (int i = 0; i < q.record().count(); ++i)
            row << q.value(i);
    }
    return row;
}

} // namespace

QVariantList pendingTicketsDigest(const QSqlDatabase& db) {
    // Sums as whole numbers: a server sums integers as decimals. The flag
    // is tested so that its index serves: this runs every few seconds.
    return firstRow(run(db, QStringLiteral("SELECT COUNT(*), CAST(COALESCE(MAX(ID_TICK), 0) AS BIGINT), "
                                           "CAST(COALESCE(SUM(ID_TICK), 0) AS BIGINT), "
                                           "CAST(COALESCE(SUM(IMPORTE), 0) AS BIGINT) "
                                           "FROM ticket WHERE CONTA = 0 OR CONTA IS NULL")));
}

QVariantList pendingMovementsDigest(const QSqlDatabase& db) {
    return firstRow(run(db, QStringLiteral("SELECT COUNT(*), CAST(COALESCE(MAX(ID), 0) AS BIGINT), "
                                           "CAST(COALESCE(SUM(ID), 0) AS BIGINT) "
                                           "FROM movcuentas WHERE CONTA = 0 OR CONTA IS NULL")));
}

} // namespace store
