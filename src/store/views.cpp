#include "store/views.h"

#include "store/dialect.h"

#include <algorithm>
#include <iterator>

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

// Pending is CONTA 0 or empty. Each is read apart, so that the flag's index
// (which holds the ids in order) serves both the order and the bounds:
// the queue stays as cheap with a million settled rows behind it.
template <class Row, class IdOf, class ReadRow>
std::vector<Row> pendingRange(const QSqlDatabase& db, const QString& columns, const QString& table,
                              const QString& id, const QueueRange& range, IdOf idOf, ReadRow readRow) {
    const QString later = range.ascending ? QStringLiteral(" > ?") : QStringLiteral(" < ?");
    const QString upTo = range.ascending ? QStringLiteral(" <= ?") : QStringLiteral(" >= ?");
    QString bounds;
    QVariantList values;
    if (range.after) {
        bounds += QStringLiteral(" AND ") + id + later;
        values << *range.after;
    }
    if (range.through) {
        bounds += QStringLiteral(" AND ") + id + upTo;
        values << *range.through;
    }
    QString tail = QStringLiteral(" ORDER BY ") + id +
                   (range.ascending ? QStringLiteral(" ASC") : QStringLiteral(" DESC"));
    if (range.limit >= 0) {
        tail += QStringLiteral(" LIMIT ?");
        values << range.limit;
    }
    const auto part = [&](const QString& flag) {
        std::vector<Row> rows;
        QSqlQuery q = run(db,
                          QStringLiteral("SELECT ") + columns + QStringLiteral(" FROM ") + table +
                              QStringLiteral(" WHERE ") + flag + bounds + tail,
                          values);
        while (q.next())
            rows.push_back(readRow(q));
        return rows;
    };
    std::vector<Row> zero = part(QStringLiteral("CONTA = 0"));
    std::vector<Row> empty = part(QStringLiteral("CONTA IS NULL"));
    if (empty.empty())
        return zero;
    std::vector<Row> rows;
    rows.reserve(zero.size() + empty.size());
    std::merge(
        zero.begin(), zero.end(), empty.begin(), empty.end(), std::back_inserter(rows),
        [&](const Row& a, const Row& b) { return range.ascending ? idOf(a) < idOf(b) : idOf(a) > idOf(b); });
    if (range.limit >= 0 && rows.size() > size_t(range.limit))
        rows.resize(size_t(range.limit));
    return rows;
}

QVariantList firstRow(QSqlQuery q) {
    QVariantList row;
    if (q.next()) {
        for (int i = 0; i < q.record().count(); ++i)
            row << q.value(i);
    }
    return row;
}

} // namespace

std::vector<Ticket> pendingTickets(const QSqlDatabase& db, const QueueRange& range) {
    return pendingRange<Ticket>(
        db, QStringLiteral("ID_TICK, NUM_TICKET, FECHA, HORA, IMPORTE, NPUESTO, MODO, CONSOLA"),
        QStringLiteral("ticket"), QStringLiteral("ID_TICK"), range, [](const Ticket& t) { return t.ID_TICK; },
        [](const QSqlQuery& q) {
            Ticket t;
            t.ID_TICK = toInt(q.value(0));
            t.NUM_TICKET = toText(q.value(1));
            t.FECHA = toDate(q.value(2));
            t.HORA = toTime(q.value(3));
            t.IMPORTE = toCurrency(q.value(4));
            t.NPUESTO = toInt(q.value(5));
            t.MODO = toText(q.value(6));
            t.CONSOLA = toText(q.value(7));
            return t;
        });
}

std::vector<MovCuenta> pendingMovements(const QSqlDatabase& db, const QueueRange& range) {
    return pendingRange<MovCuenta>(
        db, QStringLiteral("ID, CUENTA, FECHA, HORA, CONCEPTO, SALDO_FIN, saldoti_fin_bono, CONSOLA"),
        QStringLiteral("movcuentas"), QStringLiteral("ID"), range, [](const MovCuenta& m) { return m.ID; },
        [](const QSqlQuery& q) {
            MovCuenta m;
            m.ID = toInt(q.value(0));
            m.CUENTA = toText(q.value(1));
            m.FECHA = toDate(q.value(2));
            m.HORA = toTime(q.value(3));
            m.CONCEPTO = toText(q.value(4));
            m.SALDO_FIN = toCurrency(q.value(5));
            m.saldoti_fin_bono = toOptionalInt(q.value(6));
            m.CONSOLA = toText(q.value(7));
            return m;
        });
}

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
