#include "store/opciones.h"

#include "store/consolas.h"
#include "store/sql.h"

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

} // namespace

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
    saveSingleRow(db, withBlankMarkers(opciones));
}

void saveOpenDialogChoice(const QSqlDatabase& db, const QString& tariff, Currency amount) {
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
