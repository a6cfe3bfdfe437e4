#pragma once

#include "store/transaction.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

#include <optional>

// Monthly summaries of the sales, the use of the stations and the account
// movements, so that the statistics of years read a few thousand rows. They
// are kept by triggers in the writer's own transaction (every write path,
// voids and edits included) and hold counts and sums in the columns' own
// units, so that sums over them equal sums over the rows.
//
// A month's key is "yyyy-MM" for a day stored as a real "yyyy-MM-dd"; any
// other stored day goes under the key "" and the statistics then read the
// rows themselves (the summaries could not say which side of a range such a
// day falls on).
namespace store {

// The summary tables and the one that pauses their triggers: derived, never
// copied between databases.
bool isSummaryTable(const QString& table);

// Makes the summaries and their triggers when any of them is missing or of
// another layout, and fills them from the rows, in one transaction; nothing
// (no DDL) when they are all there.
void crearResumenes(const QSqlDatabase& db);

// Fills every summary again from the rows, in one transaction.
void rehacerResumenes(const QSqlDatabase& db);

// Inside a transaction (refused outside one: a crash must take the pause
// with it), stops the triggers of this connection until reanudar() or the
// transaction's end: for bulk writes that adjust the summaries themselves.
// Other connections never see the pause.
class PausaResumenes {
public:
    explicit PausaResumenes(QSqlDatabase db);
    ~PausaResumenes();
    PausaResumenes(const PausaResumenes&) = delete;
    PausaResumenes& operator=(const PausaResumenes&) = delete;
    void reanudar();

private:
    QSqlDatabase m_db;
    bool m_activa = true;
};

// Bulk deletes: take out of the summaries what the rows matching `where`
// (over the named table: ticket, movcuentas or ciber; for tickets, their
// lines) put into them, and drop the rows left empty. Run under a pause,
// right before deleting those rows.
void restarDeResumenes(const QSqlDatabase& db, const QString& table, const QString& where,
                       const QVariantList& values);
// Empties the summaries fed by the table, for a delete of every row.
void vaciarResumenes(const QSqlDatabase& db, const QString& table);

// A read of summaries: on the server, without parallel workers for its
// duration, whose start costs more than the few rows around the months
// they would share out.
class LecturaResumenes {
public:
    explicit LecturaResumenes(const QSqlDatabase& db);
    ~LecturaResumenes();
    LecturaResumenes(const LecturaResumenes&) = delete;
    LecturaResumenes& operator=(const LecturaResumenes&) = delete;

private:
    std::optional<Transaction> m_transaction;
};

// The condition that picks a summary's rows of months ? to ?. A file reads
// them in the table's own order, each key's months side by side, rather
// than through the months' index and a sort.
QString mesesResumen(const QSqlDatabase& db);

// Which summary a statistic reads.
enum class ResumenDe { Ventas, Puestos, Clientes, Cuentas };
QString resumenTabla(ResumenDe resumen);
// A text with its letters A-Z folded, as the customers' summaries keep it
// (their column CLAVE): the statistics' one customer whatever the case.
QString claveResumen(const QSqlDatabase& db, const QString& operand);

// How a range of days splits: whole months read from a summary, and the
// days before and after them read from the rows (half-open on the months'
// side, so that together they are exactly the range). `meses` is false when
// the summary cannot serve the range: then the whole range is read from the
// rows.
struct TramosResumen {
    bool meses = false;
    QString mesDesde, mesHasta; // "yyyy-MM", both included
    QString primerDiaResumido;  // rows from the range's start up to before this day
    QString ultimoDiaResumido;  // rows after this day up to the range's end
    bool antes = false, despues = false;
};
TramosResumen tramosResumen(const QSqlDatabase& db, ResumenDe resumen, const QDate& from, const QDate& to);

} // namespace store
