#include "admin/opcionesrules.h"

#include "store/auditoriatexto.h"
#include "store/bloqueos.h"
#include "store/cambios.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "store/transaction.h"

namespace admin {

namespace {

// The first lock-out limit out of its range, or empty: such a value would
// read back as its default, so it is refused instead.
QString limiteFueraDeRango(const store::Opciones& o) {
    store::Opciones kept = o;
    store::ponerLimites(kept, store::limitesBloqueo(o));
    if (o.bloq_intentos != kept.bloq_intentos)
        return QStringLiteral("bloq_intentos");
    if (o.bloq_ventana != kept.bloq_ventana)
        return QStringLiteral("bloq_ventana");
    if (o.bloq_minutos != kept.bloq_minutos)
        return QStringLiteral("bloq_minutos");
    if (o.bloq_puesto_intentos != kept.bloq_puesto_intentos)
        return QStringLiteral("bloq_puesto_intentos");
    if (o.bloq_puesto_minutos != kept.bloq_puesto_minutos)
        return QStringLiteral("bloq_puesto_minutos");
    return QString();
}

} // namespace

int numeroFranjas(const QSqlDatabase& db) {
    return store::toInt(store::scalar(db, QStringLiteral("SELECT COUNT(*) FROM franjas")));
}

bool franjaConTarifaVariable(const QSqlDatabase& db) {
    // Bands name their tariff (franjas.id_tar is left empty by the band editor);
    // names compare exactly, as everywhere tariffs are looked up.
    return store::toInt(store::scalar(db,
                                      QStringLiteral("SELECT COUNT(*) FROM franjas f JOIN tarifas t "
                                                     "ON t.NOM = f.tarifa WHERE t.TIPO = ?"),
                                      {1})) > 0;
}

bool aplicarReglaFranjas(store::Opciones& o, int bandCount) {
    if (bandCount >= 2)
        return true;
    o.cambiotarifa = 1;
    o.porfranjas = false;
    o.porfranjascli = false;
    return false;
}

OpcionesCheck comprobarOpciones(const QSqlDatabase& db, const store::Opciones& edited, int lastTicket,
                                int nextTicket) {
    if (edited.cambiotarifa == 0 && franjaConTarifaVariable(db))
        return {QStringLiteral("TarifasIntervalos"), EntryFranjas, QStringLiteral("cambiotarifa")};
    if (lastTicket > nextTicket)
        return {QStringLiteral("TicketIncorrecto"), EntryGenerales, QStringLiteral("nextTicket")};
    if (nextTicket > MaxTicketNumber)
        return {QStringLiteral("TicketMaximo"), EntryGenerales, QStringLiteral("nextTicket")};
    if (edited.redondeo.raw() <= 0)
        return {QStringLiteral("Redondeo"), EntryGenerales, QStringLiteral("redondeo")};
    if (RuntimeSettings::takeoverDelayFor(edited.esperatoma) != edited.esperatoma)
        return {QStringLiteral("EsperaToma"), EntryGenerales, QStringLiteral("esperatoma")};
    if (const QString field = limiteFueraDeRango(edited); !field.isEmpty())
        return {QStringLiteral("BloqueoAccesos"), EntryGenerales, field};
    // A fixed initial password that is empty would open every new account to anyone.
    if (edited.op2_2 == 2 && edited.pass_ini.trimmed().isEmpty())
        return {QStringLiteral("PasswordVacia"), EntryCuentas, QStringLiteral("pass_ini")};
    if (edited.op3_2 == 2 && edited.pass_ini2.trimmed().isEmpty())
        return {QStringLiteral("PasswordVacia"), EntryCodigos, QStringLiteral("pass_ini2")};
    return {};
}

int numTickTrasAplicar(int lastTicket, int nextTicket) {
    return nextTicket > lastTicket + 1 ? nextTicket - 1 : lastTicket;
}

void aplicarEnEjecucion(RuntimeSettings& s, const store::Opciones& o) {
    s.roundingUnit = RuntimeSettings::roundingUnitFor(o.redondeo);
    s.prepaidAlarmSeconds = o.alarmaprepago;
    s.creditAlarm = o.alarmacredito;
    s.pollIntervalMs = RuntimeSettings::pollIntervalForPing(o.ping);
    s.cambiotarifa = o.cambiotarifa;
    s.porfranjas = o.porfranjas;
    s.takeoverDelaySeconds = RuntimeSettings::takeoverDelayFor(o.esperatoma);
}

namespace {

// Passwords never reach the trail: only whether one was set, cleared or changed.
void ocultarClaves(QList<store::ValorAuditado>& antes, QList<store::ValorAuditado>& despues) {
    static const QStringList claves{QStringLiteral("pass_ini"), QStringLiteral("pass_ini2"),
                                    QStringLiteral("smtpclave"), QStringLiteral("claveinformes")};
    const auto find = [](QList<store::ValorAuditado>& list, const QString& name) -> store::ValorAuditado* {
        for (store::ValorAuditado& v : list)
            if (v.nombre == name)
                return &v;
        return nullptr;
    };
    for (const QString& name : claves) {
        store::ValorAuditado* a = find(antes, name);
        store::ValorAuditado* b = find(despues, name);
        if (!a || !b)
            continue;
        // The options keep a run of blanks for an empty password.
        const QString before = a->valor.trimmed();
        const QString after = b->valor.trimmed();
        a->valor = before.isEmpty() ? QStringLiteral("(vacía)") : QStringLiteral("****");
        b->valor = after.isEmpty()                       ? QStringLiteral("(vacía)")
                   : before.isEmpty() || before == after ? QStringLiteral("****")
                                                         : QStringLiteral("**** (otra)");
    }
}

} // namespace

QString diferenciasOpciones(const store::Opciones& antes, const store::WebConfig& webAntes,
                            const store::Opciones& despues, const store::WebConfig& webDespues) {
    QList<store::ValorAuditado> a = store::camposAuditados(store::withBlankMarkers(antes));
    a << store::camposAuditados(webAntes);
    QList<store::ValorAuditado> b = store::camposAuditados(store::withBlankMarkers(despues));
    b << store::camposAuditados(webDespues);
    ocultarClaves(a, b);
    return store::diferencias(a, b);
}

Result<AplicarResultado> aplicarOpciones(const QSqlDatabase& db, const store::Opciones& edited,
                                         const store::WebConfig& web, int nextTicket,
                                         RuntimeSettings& settings, const QString& operatorName) {
    AplicarResultado r;
    try {
        store::Transaction t(db);
        // Locked until the save: a ticket issued at another console meanwhile
        // waits, and its number is the one kept below.
        const store::Opciones current = store::readOpcionesForUpdate(db);
        // A next number left as shown follows the tickets issued meanwhile.
        const int next = nextTicket == edited.NUM_TICK + 1 ? current.NUM_TICK + 1 : nextTicket;
        r.check = comprobarOpciones(db, edited, current.NUM_TICK, next);
        if (!r.check.ok())
            return r;
        store::Opciones row = edited;
        row.NUM_TICK = numTickTrasAplicar(current.NUM_TICK, next);
        row.contador = current.contador;
        row.sup = current.sup;
        row.inf = current.inf;
        row.panelinf = current.panelinf;
        row.Host = current.Host;
        row.dbeditpesetas = current.dbeditpesetas;
        row.DBLookUp = current.DBLookUp;
        const QString changes = diferenciasOpciones(current, store::readWebConfig(db), row, web);
        store::saveOpciones(db, row);
        store::saveWebConfig(db, web);
        if (!changes.isEmpty())
            store::auditar(
                db,
                {operatorName, store::accion::Opciones, QStringLiteral("Opciones"), QString(), changes, {}});
        store::marcarCambio(db, store::Cambio::Opciones);
        t.commit();
        r.saved = store::withBlankMarkers(row);
    } catch (const store::DatabaseError& e) {
        return Result<AplicarResultado>::failure(e.text());
    }
    aplicarEnEjecucion(settings, r.saved);
    return r;
}

Result<store::Opciones> cerrarOpciones(const QSqlDatabase& db, RuntimeSettings& settings) {
    try {
        if (franjaConTarifaVariable(db)) {
            store::Transaction t(db);
            const QSqlQuery q = store::run(
                db,
                QStringLiteral("UPDATE opciones SET cambiotarifa = ? WHERE COALESCE(cambiotarifa, 0) <> ?"),
                {1, 1});
            if (q.numRowsAffected() > 0)
                store::marcarCambio(db, store::Cambio::Opciones);
            t.commit();
            settings.cambiotarifa = 1;
        }
        return store::readOpciones(db);
    } catch (const store::DatabaseError& e) {
        return Result<store::Opciones>::failure(e.text());
    }
}

TipoCredito tipoCreditoDe(int op2_5, const QStringList& cachedTariffs) {
    if (op2_5 == 1)
        return {QStringLiteral("1"), QStringLiteral("FRANJA HORARIA")};
    if (op2_5 >= 2 && op2_5 - 2 < cachedTariffs.size())
        return {QStringLiteral("0"), cachedTariffs.at(op2_5 - 2)};
    return {QStringLiteral("2"), QStringLiteral("BONO TIEMPO")};
}

} // namespace admin
