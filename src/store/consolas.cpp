#include "store/consolas.h"

#include "store/auditoria.h"
#include "store/dialect.h"
#include "store/engine.h"
#include "store/sql.h"
#include "store/transaction.h"

#include <cerrno>
#include <csignal>

namespace store {

QString nowExpression(const QSqlDatabase& db) {
    if (engineOf(db) == Engine::PostgreSQL)
        return QStringLiteral("CAST(EXTRACT(EPOCH FROM clock_timestamp()) * 1000 AS BIGINT)");
    return QStringLiteral("CAST((julianday('now') - 2440587.5) * 86400000 AS INTEGER)");
}

namespace {

// A process of this computer that no longer runs holds nothing.
bool processGone(qint64 pid) {
    return pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

// The row exists before it is locked: two runs of one name meet at its key.
void ensureRow(const QSqlDatabase& db, const QString& nombre) {
    run(db,
        QStringLiteral("INSERT INTO consolas (NOMBRE, LATIDO) VALUES (?, 0) ON CONFLICT (NOMBRE) DO NOTHING"),
        {nombre});
}

// The name's row becomes this run's, with a heartbeat of now.
void takeRow(const QSqlDatabase& db, const ConsolaId& id) {
    run(db,
        QStringLiteral("UPDATE consolas SET EQUIPO = ?, PID = ?, MARCA = ?, LATIDO = ") + nowExpression(db) +
            QStringLiteral(" WHERE NOMBRE = ?"),
        {id.equipo, id.pid, id.marca, id.nombre});
}

int affected(QSqlQuery& q) {
    return q.numRowsAffected();
}

} // namespace

qint64 serverNowMs(const QSqlDatabase& db) {
    return scalar(db, QStringLiteral("SELECT ") + nowExpression(db)).toLongLong();
}

QString forUpdate(const QSqlDatabase& db) {
    return engineOf(db) == Engine::PostgreSQL ? QStringLiteral(" FOR UPDATE") : QString();
}

Registro registrarConsola(const QSqlDatabase& db, const ConsolaId& id, qint64 liveMs) {
    Registro outcome;
    Transaction t(db);
    ensureRow(db, id.nombre);
    QSqlQuery q = run(db,
                      QStringLiteral("SELECT EQUIPO, PID, MARCA, ") + nowExpression(db) +
                          QStringLiteral(" - LATIDO FROM consolas WHERE NOMBRE = ?") + forUpdate(db),
                      {id.nombre});
    if (q.next()) {
        const QString equipo = toText(q.value(0));
        const qint64 pid = q.value(1).toLongLong();
        const bool live = toText(q.value(2)) != id.marca && q.value(3).toLongLong() < liveMs;
        // This process, or one of this computer that no longer runs.
        const bool ownRun = equipo == id.equipo && (pid == id.pid || processGone(pid));
        if (live && !ownRun) {
            outcome.heldBy = equipo;
            return outcome;
        }
    }
    takeRow(db, id);
    QSqlQuery claim = run(db,
                          QStringLiteral("UPDATE puestos SET CONSOLA = ?, EPOCA = COALESCE(EPOCA, 0) + 1 "
                                         "WHERE COALESCE(CONSOLA, '') = ''"),
                          {id.nombre});
    outcome.claimed = affected(claim);
    t.commit();
    return outcome;
}

Latido renovarLatido(const QSqlDatabase& db, const ConsolaId& id, qint64 liveMs, qint64 deadMs) {
    Latido latido;
    Transaction t(db);
    QSqlQuery renew = run(db,
                          QStringLiteral("UPDATE consolas SET LATIDO = ") + nowExpression(db) +
                              QStringLiteral(" WHERE NOMBRE = ? AND MARCA = ?"),
                          {id.nombre, id.marca});
    latido.kept = affected(renew) == 1;
    QSqlQuery q = run(db,
                      QStringLiteral("SELECT NOMBRE, EQUIPO, PID, ") + nowExpression(db) +
                          QStringLiteral(" - LATIDO FROM consolas WHERE NOMBRE <> ? ORDER BY NOMBRE"),
                      {id.nombre});
    while (q.next()) {
        ConsolaRow row{toText(q.value(0)), toText(q.value(1)), q.value(2).toLongLong(),
                       q.value(3).toLongLong(), 0};
        if (row.silenceMs < liveMs)
            ++latido.othersAlive;
        if (deadMs > 0 && row.silenceMs > deadMs)
            latido.dead.push_back(row);
    }
    t.commit();
    return latido;
}

void volverARegistrar(const QSqlDatabase& db, const ConsolaId& id) {
    Transaction t(db);
    ensureRow(db, id.nombre);
    takeRow(db, id);
    t.commit();
}

void darDeBaja(const QSqlDatabase& db, const ConsolaId& id) {
    run(db, QStringLiteral("DELETE FROM consolas WHERE NOMBRE = ? AND MARCA = ?"), {id.nombre, id.marca});
}

std::vector<ConsolaRow> otrasConsolas(const QSqlDatabase& db, const QString& nombre) {
    std::vector<ConsolaRow> rows;
    // A console that ended cleanly has no row, but its stations still name it.
    QSqlQuery q = run(db,
                      QStringLiteral("SELECT p.CONSOLA, c.EQUIPO, c.PID, ") + nowExpression(db) +
                          QStringLiteral(" - c.LATIDO, COUNT(*) FROM puestos p LEFT JOIN consolas c ON "
                                         "c.NOMBRE = p.CONSOLA WHERE COALESCE(p.CONSOLA, '') NOT IN ('', ?) "
                                         "GROUP BY p.CONSOLA, c.EQUIPO, c.PID, c.LATIDO ORDER BY p.CONSOLA"),
                      {nombre});
    while (q.next())
        rows.push_back({toText(q.value(0)), toText(q.value(1)), q.value(2).toLongLong(),
                        q.value(3).isNull() ? -1 : q.value(3).toLongLong(), toInt(q.value(4))});
    return rows;
}

std::optional<Toma> tomarPuestos(const QSqlDatabase& db, const QString& nombre, const QString& from,
                                 qint64 silentMs, const QString& operador) {
    if (from.isEmpty() || from == nombre)
        return std::nullopt;
    Transaction t(db);
    QSqlQuery q = run(db,
                      QStringLiteral("SELECT ") + nowExpression(db) +
                          QStringLiteral(" - LATIDO FROM consolas WHERE NOMBRE = ?") + forUpdate(db),
                      {from});
    const bool hasRow = q.next();
    // Another console was quicker, or the silent one came back.
    if (silentMs > 0 && (!hasRow || q.value(0).toLongLong() <= silentMs))
        return std::nullopt;
    Toma toma;
    toma.from = from;
    QSqlQuery stations = run(
        db, QStringLiteral("SELECT npuesto FROM puestos WHERE CONSOLA = ? ORDER BY npuesto") + forUpdate(db),
        {from});
    while (stations.next())
        toma.stations.push_back(toInt(stations.value(0)));
    run(db,
        QStringLiteral("UPDATE puestos SET CONSOLA = ?, EPOCA = COALESCE(EPOCA, 0) + 1 WHERE CONSOLA = ?"),
        {nombre, from});
    run(db, QStringLiteral("UPDATE logins_en_uso SET CONSOLA = ? WHERE CONSOLA = ?"), {nombre, from});
    run(db, QStringLiteral("DELETE FROM consolas WHERE NOMBRE = ?"), {from});
    if (!toma.stations.empty()) {
        QStringList numbers;
        for (int n : toma.stations)
            numbers << QString::number(n);
        const QString puestos = QStringLiteral("Puestos ") + numbers.join(QStringLiteral(", "));
        auditar(db, {operador,
                     accion::TomaPuestos,
                     QStringLiteral("Consola ") + from,
                     puestos + QStringLiteral(" de ") + from,
                     puestos + QStringLiteral(" de ") + nombre,
                     {}});
    }
    t.commit();
    return toma;
}

std::vector<Propiedad> puestosDe(const QSqlDatabase& db, const QString& nombre) {
    std::vector<Propiedad> rows;
    QSqlQuery q =
        run(db, QStringLiteral("SELECT npuesto, EPOCA FROM puestos WHERE CONSOLA = ? ORDER BY npuesto"),
            {nombre});
    while (q.next())
        rows.push_back({toInt(q.value(0)), toInt(q.value(1))});
    return rows;
}

std::pair<int, qint64> resumenPropiedad(const QSqlDatabase& db, const QString& nombre) {
    QSqlQuery q =
        run(db, QStringLiteral("SELECT COUNT(*), SUM(EPOCA) FROM puestos WHERE CONSOLA = ?"), {nombre});
    if (!q.next())
        return {0, 0};
    return {toInt(q.value(0)), q.value(1).toLongLong()};
}

void moverPuesto(const QSqlDatabase& db, int npuesto, const QString& consola) {
    Transaction t(db);
    run(db,
        QStringLiteral("UPDATE puestos SET CONSOLA = ?, EPOCA = COALESCE(EPOCA, 0) + 1 WHERE npuesto = ?"),
        {consola.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(consola), npuesto});
    run(db, QStringLiteral("UPDATE logins_en_uso SET CONSOLA = ? WHERE NPUESTO = ?"), {consola, npuesto});
    t.commit();
}

bool reclamarLogin(const QSqlDatabase& db, const QString& login, int npuesto, const QString& consola) {
    QSqlQuery q = run(db,
                      QStringLiteral("INSERT INTO logins_en_uso (LOGIN, NPUESTO, CONSOLA) VALUES (?, ?, ?) "
                                     "ON CONFLICT (LOGIN) DO NOTHING"),
                      {foldAscii(login), npuesto, consola});
    if (affected(q) == 1)
        return true;
    // The station's own claim (a log-in answered again after a lost reply).
    return toInt(scalar(db,
                        QStringLiteral("SELECT COUNT(*) FROM logins_en_uso WHERE LOGIN = ? AND NPUESTO = ?"),
                        {foldAscii(login), npuesto})) == 1;
}

void liberarLogin(const QSqlDatabase& db, const QString& login) {
    run(db, QStringLiteral("DELETE FROM logins_en_uso WHERE LOGIN = ?"), {foldAscii(login)});
}

bool loginEnUso(const QSqlDatabase& db, const QString& login) {
    return toInt(scalar(db, QStringLiteral("SELECT COUNT(*) FROM logins_en_uso WHERE LOGIN = ?"),
                        {foldAscii(login)})) > 0;
}

void moverLogin(const QSqlDatabase& db, const QString& login, int npuesto) {
    run(db, QStringLiteral("UPDATE logins_en_uso SET NPUESTO = ? WHERE LOGIN = ?"),
        {npuesto, foldAscii(login)});
}

int liberarLoginsHuerfanos(const QSqlDatabase& db, const QString& consola) {
    std::vector<QString> orphans;
    QSqlQuery q =
        run(db,
            QStringLiteral("SELECT l.LOGIN, p.cuenta FROM logins_en_uso l LEFT JOIN puestos p ON "
                           "p.npuesto = l.NPUESTO WHERE l.CONSOLA = ? OR COALESCE(l.CONSOLA, '') = ''"),
            {consola});
    while (q.next()) {
        if (foldAscii(toText(q.value(1))) != toText(q.value(0)))
            orphans.push_back(toText(q.value(0)));
    }
    for (const QString& login : orphans)
        run(db, QStringLiteral("DELETE FROM logins_en_uso WHERE LOGIN = ?"), {login});
    // Claims from before there were consoles belong to their station's.
    run(db,
        QStringLiteral("UPDATE logins_en_uso SET CONSOLA = ? WHERE COALESCE(CONSOLA, '') = '' AND NPUESTO IN "
                       "(SELECT npuesto FROM puestos WHERE CONSOLA = ?)"),
        {consola, consola});
    return int(orphans.size());
}

} // namespace store
