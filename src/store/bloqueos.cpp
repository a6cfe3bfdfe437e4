#include "store/bloqueos.h"

#include "store/auditoria.h"
#include "store/consolas.h"
#include "store/dialect.h"
#include "store/schemaupdates.h"
#include "store/sql.h"
#include "store/transaction.h"

namespace store {

namespace {

const QLatin1String kLogin("login");
const QLatin1String kPuesto("puesto");
const QLatin1String kOperador("operador");

QString tipoTexto(TipoBloqueo tipo) {
    switch (tipo) {
    case TipoBloqueo::Puesto:
        return kPuesto;
    case TipoBloqueo::Operador:
        return kOperador;
    case TipoBloqueo::Login:
        break;
    }
    return kLogin;
}

TipoBloqueo tipoDe(const QString& texto) {
    if (texto == kPuesto)
        return TipoBloqueo::Puesto;
    if (texto == kOperador)
        return TipoBloqueo::Operador;
    return TipoBloqueo::Login;
}

int dentro(int value, int min, int max, int fallback) {
    return value < min || value > max ? fallback : value;
}

// What the trail names: "Cuenta ana", "Puesto 4", "Operador CAJA".
QString objeto(TipoBloqueo tipo, const QString& nombre) {
    switch (tipo) {
    case TipoBloqueo::Puesto:
        return QStringLiteral("Puesto ") + nombre;
    case TipoBloqueo::Operador:
        return QStringLiteral("Operador ") + nombre;
    case TipoBloqueo::Login:
        break;
    }
    return QStringLiteral("Cuenta ") + nombre;
}

QString momento(qint64 ms) {
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

const QString kColumnas = QStringLiteral("CLAVE, TIPO, NOMBRE, DESDE, HASTA, INTENTOS");

Bloqueo leer(const QSqlQuery& q) {
    Bloqueo b;
    b.clave = toText(q.value(0));
    b.tipo = tipoDe(toText(q.value(1)));
    b.nombre = toText(q.value(2));
    b.desdeMs = q.value(3).toLongLong();
    b.hastaMs = q.value(4).toLongLong();
    b.intentos = toInt(q.value(5));
    return b;
}

} // namespace

LimitesBloqueo limitesBloqueo(const Opciones& o) {
    using L = LimitesBloqueo;
    LimitesBloqueo l;
    l.intentos = dentro(o.bloq_intentos, L::MinIntentos, L::MaxIntentos, L::DefaultIntentos);
    l.ventanaMinutos = dentro(o.bloq_ventana, 1, L::MaxVentanaMinutos, L::DefaultVentanaMinutos);
    l.minutos = dentro(o.bloq_minutos, 1, L::MaxMinutos, L::DefaultMinutos);
    l.intentosPuesto =
        dentro(o.bloq_puesto_intentos, L::MinIntentosPuesto, L::MaxIntentosPuesto, L::DefaultIntentosPuesto);
    l.minutosPuesto = dentro(o.bloq_puesto_minutos, 1, L::MaxMinutos, L::DefaultMinutosPuesto);
    return l;
}

void ponerLimites(Opciones& o, const LimitesBloqueo& l) {
    o.bloq_intentos = l.intentos;
    o.bloq_ventana = l.ventanaMinutos;
    o.bloq_minutos = l.minutos;
    o.bloq_puesto_intentos = l.intentosPuesto;
    o.bloq_puesto_minutos = l.minutosPuesto;
}

QString claveBloqueo(TipoBloqueo tipo, const QString& nombre) {
    return tipoTexto(tipo) + QLatin1Char(':') + foldAscii(nombre.trimmed());
}

std::optional<Bloqueo> bloqueoVigente(const QSqlDatabase& db, TipoBloqueo tipo, const QString& nombre,
                                      qint64 nowMs) {
    QSqlQuery q = run(db,
                      QStringLiteral("SELECT ") + kColumnas +
                          QStringLiteral(" FROM bloqueos WHERE CLAVE = ? AND HASTA > ?"),
                      {claveBloqueo(tipo, nombre), nowMs});
    if (!q.next())
        return std::nullopt;
    return leer(q);
}

int minutosRestantes(const Bloqueo& bloqueo, qint64 nowMs) {
    const qint64 left = bloqueo.hastaMs - nowMs;
    return left <= 60000 ? 1 : int((left + 59999) / 60000);
}

bool algunoBloqueado(const QSqlDatabase& db, const QStringList& claves, qint64 nowMs) {
    if (claves.isEmpty())
        return false;
    QStringList marks;
    QVariantList values;
    for (const QString& c : claves) {
        marks << QStringLiteral("?");
        values << c;
    }
    values << nowMs;
    QSqlQuery q = run(db,
                      QStringLiteral("SELECT COUNT(*) FROM bloqueos WHERE CLAVE IN (") +
                          marks.join(QStringLiteral(", ")) + QStringLiteral(") AND HASTA > ?"),
                      values);
    return q.next() && toInt(q.value(0)) > 0;
}

std::vector<Bloqueo> bloqueosVigentes(const QSqlDatabase& db, qint64 nowMs) {
    std::vector<Bloqueo> rows;
    QSqlQuery q = run(db,
                      QStringLiteral("SELECT ") + kColumnas +
                          QStringLiteral(" FROM bloqueos WHERE HASTA > ? ORDER BY HASTA, CLAVE"),
                      {nowMs});
    while (q.next())
        rows.push_back(leer(q));
    return rows;
}

FalloRegistrado registrarFallo(const QSqlDatabase& db, TipoBloqueo tipo, const QString& nombre,
                               const LimitesBloqueo& limites, qint64 nowMs, const QDateTime& cuando) {
    const QString clave = claveBloqueo(tipo, nombre);
    FalloRegistrado r;
    Transaction t(db);
    // The key's row is the lock every console takes first: two failures of
    // one login at two consoles are counted one after the other, never both
    // short of the limit.
    run(db,
        QStringLiteral("INSERT INTO bloqueos (") + kColumnas +
            QStringLiteral(") VALUES (?, ?, ?, 0, 0, 0) ON CONFLICT (CLAVE) DO NOTHING"),
        {clave, tipoTexto(tipo), nombre});
    QSqlQuery held =
        run(db, QStringLiteral("SELECT HASTA FROM bloqueos WHERE CLAVE = ?") + forUpdate(db), {clave});
    if (held.next() && held.value(0).toLongLong() > nowMs) {
        t.commit();
        return r;
    }
    const qint64 desde = nowMs - limites.ventanaMs();
    run(db, QStringLiteral("DELETE FROM fallos_acceso WHERE CLAVE = ? AND MOMENTO <= ?"), {clave, desde});
    run(db, QStringLiteral("INSERT INTO fallos_acceso (CLAVE, MOMENTO) VALUES (?, ?)"), {clave, nowMs});
    r.fallos =
        toInt(scalar(db, QStringLiteral("SELECT COUNT(*) FROM fallos_acceso WHERE CLAVE = ? AND MOMENTO > ?"),
                     {clave, desde}));
    if (r.fallos >= limites.limite(tipo)) {
        Bloqueo b;
        b.clave = clave;
        b.tipo = tipo;
        b.nombre = nombre;
        b.desdeMs = nowMs;
        b.hastaMs = nowMs + limites.duracionMs(tipo);
        b.intentos = r.fallos;
        run(db,
            QStringLiteral(
                "UPDATE bloqueos SET NOMBRE = ?, DESDE = ?, HASTA = ?, INTENTOS = ? WHERE CLAVE = ?"),
            {nombre, b.desdeMs, b.hastaMs, b.intentos, clave});
        run(db, QStringLiteral("DELETE FROM fallos_acceso WHERE CLAVE = ?"), {clave});
        auditar(db, EntradaAuditoria{QString(), accion::Bloqueo, objeto(tipo, nombre), QString(),
                                     QStringLiteral("Bloqueado hasta %1 tras %2 intentos fallidos")
                                         .arg(momento(b.hastaMs))
                                         .arg(b.intentos),
                                     cuando});
        r.bloqueo = b;
    }
    t.commit();
    return r;
}

bool levantarBloqueo(const QSqlDatabase& db, const QString& clave, qint64 nowMs, const QString& operador,
                     const QDateTime& cuando) {
    Transaction t(db);
    QSqlQuery q = run(db,
                      QStringLiteral("SELECT ") + kColumnas +
                          QStringLiteral(" FROM bloqueos WHERE CLAVE = ?") + forUpdate(db),
                      {clave});
    if (!q.next())
        return false;
    const Bloqueo b = leer(q);
    if (b.hastaMs <= nowMs)
        return false;
    // The row stays: it is the key's lock for the next count.
    run(db, QStringLiteral("UPDATE bloqueos SET HASTA = 0 WHERE CLAVE = ?"), {clave});
    run(db, QStringLiteral("DELETE FROM fallos_acceso WHERE CLAVE = ?"), {clave});
    auditar(db, EntradaAuditoria{operador, accion::Desbloqueo, objeto(b.tipo, b.nombre),
                                 QStringLiteral("Bloqueado hasta %1").arg(momento(b.hastaMs)),
                                 QStringLiteral("Desbloqueado"), cuando});
    t.commit();
    return true;
}

void crearTablasBloqueo(const QSqlDatabase& db) {
    const Engine engine = engineOf(db);
    if (!hasTable(db, QStringLiteral("bloqueos"))) {
        for (const QString& statement : schemaStatements(
                 engine, QStringLiteral("CREATE TABLE bloqueos (CLAVE TEXT PRIMARY KEY, TIPO TEXT, "
                                        "NOMBRE TEXT, DESDE INTEGER DEFAULT 0, HASTA INTEGER "
                                        "DEFAULT 0, INTENTOS INTEGER DEFAULT 0)")))
            run(db, statement);
    }
    if (!hasTable(db, QStringLiteral("fallos_acceso"))) {
        for (const QString& statement : schemaStatements(
                 engine, QStringLiteral("CREATE TABLE fallos_acceso (CLAVE TEXT, MOMENTO INTEGER)")))
            run(db, statement);
        run(db, QStringLiteral("CREATE INDEX fallos_acceso_clave ON fallos_acceso (CLAVE, MOMENTO)"));
    }
}

} // namespace store
