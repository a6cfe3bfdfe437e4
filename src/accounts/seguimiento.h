#pragma once

#include "store/rows.h"

#include <QHash>
#include <QSqlDatabase>
#include <QStringList>

#include <optional>
#include <vector>

namespace accounts {

// The accounts and codes that moved money or time since the last look: a
// booking, a top-up or a sale changes them only through a movement, here or
// at another console.
class MovimientosNuevos {
public:
    // What moves from now on is new. Throws store::DatabaseError.
    void marcar(const QSqlDatabase& db);
    // The logins (as their movements wrote them) moved since the last mark
    // or call; the newest movement becomes the mark. Before any mark it
    // marks and answers nothing. Throws store::DatabaseError.
    QStringList movidas(const QSqlDatabase& db);

private:
    std::optional<qint64> m_ultimo;
};

// How a list of accounts or codes follows the bookings without reading
// itself whole: a booking moves money or time only through a movement, so
// the rows to read again are those of the logins moved since the list last
// looked. With a hundred thousand accounts a whole reading per booking
// would hold the console's event loop.
class SeguimientoMovimientos {
public:
    // At a whole reading, before it: what is moved from now on is new.
    // Throws store::DatabaseError.
    void marcar(const QSqlDatabase& db);
    // Reads again, in place, the rows of rows whose login moved since the
    // last mark or call; answers their positions. clase is the condition on
    // cuentas of what the list shows (accounts, or codes). Nothing when the
    // list must be read whole: a listed row is gone, or one of its kind
    // moved that it does not hold yet (made since, here or at another
    // console). Throws store::DatabaseError.
    std::optional<std::vector<int>> releer(const QSqlDatabase& db, std::vector<store::Cuenta>& rows,
                                           const QString& clase);

private:
    MovimientosNuevos m_nuevos;
    // Each listed login's row, built at the first booking after a whole
    // reading: a booking then costs the rows it moved, not the list.
    QHash<QString, int> m_posicion;
};

} // namespace accounts
