#pragma once

#include "core/clock.h"
#include "core/regional.h"

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>

#include <vector>

namespace web {

// One station as the owner's view shows it, from its row in puestos.
struct PuestoWeb {
    int numero = 0;
    QString nombre;
    QString estado; // libre, contador, prepago, desactivado, admin
    bool sinConexion = false;
    QString color; // the grid's colour: verde, cian, amarillo, naranja, rojo, negro
    QString usuario;
    qint64 segundos = 0;
    QString tiempo;
    QString importe;
    QString consola;
};

// The clock of a station between the console's saves: a counting-up clock
// (counter mode) advances by the time since the save, a prepaid one counts
// down and stops at 0; every other state shows what was saved. guardadoMs
// and nowMs are milliseconds since 1970 on the database server's clock,
// which dates the saves; guardadoMs 0 is unknown.
qint64 segundosAhora(int estadoGuardado, qint64 segundosGuardados, qint64 guardadoMs, qint64 nowMs);

// Every station, by number. Throws store::DatabaseError.
std::vector<PuestoWeb> leerPuestos(const QSqlDatabase& db, const Regional& regional, qint64 nowMs);
QByteArray puestosJson(const std::vector<PuestoWeb>& puestos, const QDateTime& ahora);

// The stations' JSON, read at most once per interval and shared by every
// viewer: fifty browsers refreshing cost one read.
class InstantaneaPuestos {
public:
    static constexpr qint64 IntervaloMs = 500;

    InstantaneaPuestos(const Clock& clock, const Regional& regional)
        : m_clock(clock)
        , m_regional(regional) {}

    // Throws store::DatabaseError (the last good snapshot is kept for the next try).
    QByteArray json(const QSqlDatabase& db);
    // The same snapshot as a zlib stream ("Content-Encoding: deflate"),
    // compressed once for every viewer: a tenth of the bytes to send.
    QByteArray deflate(const QSqlDatabase& db);
    int lecturas() const { return m_lecturas; }

private:
    const Clock& m_clock;
    Regional m_regional;
    QByteArray m_json;
    QByteArray m_deflate;
    qint64 m_leidoMs = 0;
    bool m_hay = false;
    int m_lecturas = 0;
};

} // namespace web
