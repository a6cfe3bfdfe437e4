#include "store/opciones.h"

#include "store/consolas.h"
#include "store/sql.h"

#include <QMutex>

#include <map>

namespace store {

namespace {

void markBlank(QString& text, int blanks) {
    if (text.isEmpty())
        text = QString(blanks, QLatin1Char(' '));
}

// Single-row tables: update the row, or create it when a damaged database lost it.
template <class Row> void saveSingleRow(const QSqlDatabase& db, const Row& row) {
    if (toInt(scalar(db, QStringLiteral("SELECT COUNT(*) FROM ") + Row::table())) == 0)
        insert(db, row);
    else
        update(db, row, QString(), {});
}

// By connection and database: each open database has its own, and a
// closed one forgets its row.
QMutex g_cacheMutex;
std::map<QString, Opciones> g_cache;

QString cacheKey(const QSqlDatabase& db) {
    return db.connectionName() + QLatin1Char('\n') + db.databaseName();
}

} // namespace

Opciones cachedOpciones(const QSqlDatabase& db) {
    const QString key = cacheKey(db);
    {
        const QMutexLocker lock(&g_cacheMutex);
        if (const auto found = g_cache.find(key); found != g_cache.end())
            return found->second;
    }
    Opciones row = readOpciones(db);
    const QMutexLocker lock(&g_cacheMutex);
    g_cache.insert_or_assign(key, row);
    return row;
}

void forgetOpciones(const QSqlDatabase& db) {
    const QMutexLocker lock(&g_cacheMutex);
    g_cache.erase(cacheKey(db));
}

Opciones withBlankMarkers(Opciones o) {
    markBlank(o.pass_ini, 10);
    markBlank(o.pass_ini2, 9);
    markBlank(o.ini_met, 5);
    markBlank(o.ini_time, 4);
    markBlank(o.ini_time_cod, 7);
    markBlank(o.ini_tarifa_2, 5);
    markBlank(o.DBLookUp, 1);
    return o;
}

Opciones readOpciones(const QSqlDatabase& db) {
    return selectOne<Opciones>(db, QStringLiteral("LIMIT 1")).value_or(Opciones{});
}

Opciones readOpcionesForUpdate(const QSqlDatabase& db) {
    return selectOne<Opciones>(db, QStringLiteral("LIMIT 1") + forUpdate(db)).value_or(Opciones{});
}

ImpresionCierre impresionCierre(const Opciones& opciones) {
    switch (opciones.imp_cierre) {
    case int(ImpresionCierre::Siempre):
        return ImpresionCierre::Siempre;
    case int(ImpresionCierre::Nunca):
        return ImpresionCierre::Nunca;
    default:
        return ImpresionCierre::Preguntar;
    }
}

void saveOpciones(const QSqlDatabase& db, const Opciones& opciones) {
    forgetOpciones(db);
    saveSingleRow(db, withBlankMarkers(opciones));
}

void saveOpenDialogChoice(const QSqlDatabase& db, const QString& tariff, Currency amount) {
    forgetOpciones(db);
    // DBLookUp is never stored empty: one blank stands for no tariff.
    run(db, QStringLiteral("UPDATE opciones SET DBLookUp = ?, dbeditpesetas = ?"),
        {tariff.isEmpty() ? QStringLiteral(" ") : tariff, sqlValue(amount)});
}

RuntimeSettings runtimeSettings(const Opciones& o) {
    RuntimeSettings s;
    s.pollIntervalMs = RuntimeSettings::pollIntervalForPing(o.ping);
    s.roundingUnit = RuntimeSettings::roundingUnitFor(o.redondeo);
    s.prepaidAlarmSeconds = o.alarmaprepago;
    s.creditAlarm = o.alarmacredito;
    s.cambiotarifa = o.cambiotarifa;
    s.porfranjas = o.porfranjas;
    s.takeoverDelaySeconds = RuntimeSettings::takeoverDelayFor(o.esperatoma);
    return s;
}

void saveLayoutOpciones(const QSqlDatabase& db, const Opciones& o) {
    forgetOpciones(db);
    run(db, QStringLiteral("UPDATE opciones SET panelinf = ?, sup = ?, inf = ?"),
        {o.panelinf, sqlValue(o.sup), sqlValue(o.inf)});
}

Grids readGrids(const QSqlDatabase& db) {
    return selectOne<Grids>(db, QStringLiteral("LIMIT 1")).value_or(Grids{});
}

void saveGrids(const QSqlDatabase& db, const Grids& grids) {
    saveSingleRow(db, grids);
}

WebConfig readWebConfig(const QSqlDatabase& db) {
    return selectOne<WebConfig>(db, QStringLiteral("ORDER BY Id LIMIT 1")).value_or(WebConfig{});
}

void saveWebConfig(const QSqlDatabase& db, const WebConfig& config) {
    if (config.Id == 0) {
        saveSingleRow(db, config);
        return;
    }
    update(db, config, QStringLiteral("Id = ?"), {config.Id});
}

} // namespace store
