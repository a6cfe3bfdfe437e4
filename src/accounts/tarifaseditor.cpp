#include "accounts/tarifaseditor.h"

#include "core/importes.h"
#include "store/auditoriatexto.h"
#include "store/cambios.h"
#include "store/sql.h"
#include "store/transaction.h"

#include <algorithm>

namespace accounts {

const ui::MessageTable& tarifaFijaMessages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        mensajeImporteMaximo(),
        {"Tarifa", QStringLiteral("Se requiere el nombre de la tarifa."),
         QStringLiteral("The tariff name is required.")},
        {"CosteTarifa", QStringLiteral("Es necesario introducir coste hora de la tarifa."),
         QStringLiteral("The hourly cost of the tariff is required.")},
        {"CosteMinimo", QStringLiteral("Es necesario introducir coste mínimo de la tarifa."),
         QStringLiteral("The minimum cost of the tariff is required.")},
        {"TarifaExiste", QStringLiteral("Nombre de tarifa duplicado."),
         QStringLiteral("Duplicate tariff name.")},
    };
    return table;
}

const ui::MessageTable& tarifaVariableMessages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        mensajeImporteMaximo(),
        {"Nom", QStringLiteral("Se requiere el nombre de la tarifa."),
         QStringLiteral("The tariff name is required.")},
        {"Dato1", QStringLiteral("Debe completar el campo minutos"), QStringLiteral("Fill in the minutes")},
        {"Dupli", QStringLiteral("Nombre de tarifa duplicado."), QStringLiteral("Duplicate tariff name.")},
    };
    return table;
}

const ui::MessageTable& intervaloMessages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        mensajeImporteMaximo(),
        {"DatosIntervalo", QStringLiteral("Es necesario introducir los datos del intervalo."),
         QStringLiteral("The interval data are required.")},
        {"IntervaloYaExiste", QStringLiteral("Intervalo ya existente"),
         QStringLiteral("The interval already exists")},
    };
    return table;
}

const ui::MessageTable& franjaMessages() {
    static const ui::MessageTable table{
        {"HoraFinal", QStringLiteral("Esta hora final de franja ya está utilizada"),
         QStringLiteral("This band end time is already used")},
        {"SeleccionarTarifa", QStringLiteral("Debe de seleccionar una tarifa"),
         QStringLiteral("Choose a tariff")},
    };
    return table;
}

const ui::MessageTable& tarifasPageMessages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Warning")},
        {"BorrarTarifa", QStringLiteral("¿ Borrar esta tarifa ?"), QStringLiteral("Delete this tariff?")},
        {"BorrarIntervalo", QStringLiteral("¿ Borrar este intervalo ?"),
         QStringLiteral("Delete this interval?")},
        {"NoBorrarIntervalo", QStringLiteral("La tarifa debe tener al menos un intervalo."),
         QStringLiteral("The tariff must keep at least one interval.")},
        {"MensajeBorrar", QStringLiteral("Se eliminará la franja seleccionada ¿Continuar ?"),
         QStringLiteral("The selected band will be deleted. Continue?")},
    };
    return table;
}

namespace {

QTime timeOfDay(const QTime& t) {
    return t.isValid() ? QTime(t.hour(), t.minute(), t.second()) : QTime(0, 0, 0);
}

bool validMinutes(int minutes) {
    return minutes > 0 && minutes <= MaxIntervalMinutes;
}

EdicionOutcome costesAcotados(Currency hourly, Currency minimum) {
    if (!hourly.withinMaxAmount())
        return EdicionOutcome::refused(QStringLiteral("ImporteMaximo"), QStringLiteral("cosHora"));
    if (!minimum.withinMaxAmount())
        return EdicionOutcome::refused(QStringLiteral("ImporteMaximo"), QStringLiteral("cosMin"));
    return EdicionOutcome::done();
}

QString objetoTarifa(const QString& name) {
    return QStringLiteral("Tarifa ") + name;
}

QString objetoFranja(const QTime& end) {
    return QStringLiteral("Franja hasta ") + timeOfDay(end).toString(QStringLiteral("HH:mm:ss"));
}

QList<store::ValorAuditado> costes(Currency hourly, Currency minimum) {
    return {{QStringLiteral("Coste hora"), store::importeAuditado(hourly)},
            {QStringLiteral("Coste mínimo"), store::importeAuditado(minimum)}};
}

QString intervalo(int minutes, Currency price) {
    return QStringLiteral("Hasta %1 min: %2").arg(minutes).arg(store::importeAuditado(price));
}

} // namespace

EditorTarifas::EditorTarifas(QSqlDatabase db, ListaTarifas& cache, std::function<QString()> operador)
    : m_db(std::move(db))
    , m_cache(cache)
    , m_operador(std::move(operador)) {}

void EditorTarifas::auditar(const QString& accion, const QString& objeto, const QString& antes,
                            const QString& despues) const {
    store::auditar(m_db, {m_operador ? m_operador() : QString(), accion, objeto, antes, despues, {}});
}

QString EditorTarifas::describirTarifa(const store::Tarifa& row) const {
    if (row.TIPO != Ttarifas::Variable)
        return store::textoCampos(costes(row.COS_HORA, row.COS_MIN));
    QStringList lines;
    for (const store::LinTarifa& l : intervalos(row.ID_TAR))
        lines << intervalo(l.franja_fin, l.precio);
    return lines.join(QLatin1Char('\n'));
}

std::vector<store::Tarifa> EditorTarifas::tarifas(int tipo) const {
    return store::select<store::Tarifa>(m_db, QStringLiteral("WHERE TIPO = ? ORDER BY ID_TAR"), {tipo});
}

std::optional<store::Tarifa> EditorTarifas::tarifa(int idTar) const {
    return store::selectOne<store::Tarifa>(m_db, QStringLiteral("WHERE ID_TAR = ?"), {idTar});
}

std::vector<store::LinTarifa> EditorTarifas::intervalos(int idTar) const {
    return store::select<store::LinTarifa>(m_db, QStringLiteral("WHERE id_tarifa = ? ORDER BY franja_fin"),
                                           {idTar});
}

std::vector<store::Franja> EditorTarifas::franjas() const {
    std::vector<store::Franja> rows = store::select<store::Franja>(m_db, QStringLiteral("ORDER BY id_fran"));
    for (store::Franja& f : rows) {
        f.franja_ini = timeOfDay(f.franja_ini);
        f.franja_fin = timeOfDay(f.franja_fin);
    }
    std::stable_sort(rows.begin(), rows.end(), [](const store::Franja& a, const store::Franja& b) {
        return a.franja_fin < b.franja_fin;
    });
    return rows;
}

QStringList EditorTarifas::nombresTarifas() const {
    QStringList names;
    for (const store::Tarifa& t : store::select<store::Tarifa>(m_db, QStringLiteral("ORDER BY ID_TAR")))
        names << t.NOM;
    return names;
}

EdicionOutcome EditorTarifas::nuevaTarifaFija(const QString& name, std::optional<Currency> hourly,
                                              std::optional<Currency> minimum) {
    if (name.trimmed().isEmpty())
        return EdicionOutcome::refused(QStringLiteral("Tarifa"), QStringLiteral("nombre"));
    if (!hourly)
        return EdicionOutcome::refused(QStringLiteral("CosteTarifa"), QStringLiteral("cosHora"));
    if (!minimum)
        return EdicionOutcome::refused(QStringLiteral("CosteMinimo"), QStringLiteral("cosMin"));
    if (const EdicionOutcome limit = costesAcotados(*hourly, *minimum); !limit.ok())
        return limit;
    if (m_cache.find(name))
        return EdicionOutcome::refused(QStringLiteral("TarifaExiste"), QStringLiteral("nombre"));
    store::Tarifa row;
    row.NOM = name;
    row.TIPO = Ttarifas::Fija;
    row.COS_HORA = *hourly;
    row.COS_MIN = *minimum;
    store::Transaction t(m_db);
    row.ID_TAR = int(store::insert(m_db, row));
    auditar(store::accion::Tarifa, objetoTarifa(name), QString(), describirTarifa(row));
    store::marcarCambio(m_db, store::Cambio::Tarifas);
    t.commit();
    m_cache.append(session::recordFromRow(m_db, row));
    return EdicionOutcome::done();
}

EdicionOutcome EditorTarifas::modificarTarifaFija(int idTar, std::optional<Currency> hourly,
                                                  std::optional<Currency> minimum) {
    if (!hourly)
        return EdicionOutcome::refused(QStringLiteral("CosteTarifa"), QStringLiteral("cosHora"));
    if (!minimum)
        return EdicionOutcome::refused(QStringLiteral("CosteMinimo"), QStringLiteral("cosMin"));
    if (const EdicionOutcome limit = costesAcotados(*hourly, *minimum); !limit.ok())
        return limit;
    std::optional<store::Tarifa> row = tarifa(idTar);
    if (!row)
        return EdicionOutcome::done();
    store::Transaction t(m_db);
    store::run(m_db, QStringLiteral("UPDATE tarifas SET COS_HORA = ?, COS_MIN = ? WHERE ID_TAR = ?"),
               {store::sqlValue(*hourly), store::sqlValue(*minimum), idTar});
    const QString changes =
        store::diferencias(costes(row->COS_HORA, row->COS_MIN), costes(*hourly, *minimum));
    if (!changes.isEmpty())
        auditar(store::accion::Tarifa, objetoTarifa(row->NOM), QString(), changes);
    store::marcarCambio(m_db, store::Cambio::Tarifas);
    t.commit();
    // Stations hold the record itself: the next tick prices with the new costs.
    m_cache.updateFixedCosts(row->NOM, *hourly, *minimum);
    return EdicionOutcome::done();
}

EdicionOutcome EditorTarifas::nuevaTarifaVariable(const QString& name, int minutes, Currency price) {
    if (name.trimmed().isEmpty())
        return EdicionOutcome::refused(QStringLiteral("Nom"), QStringLiteral("nombre"));
    if (!validMinutes(minutes))
        return EdicionOutcome::refused(QStringLiteral("Dato1"), QStringLiteral("minutos"));
    if (!price.withinMaxAmount())
        return EdicionOutcome::refused(QStringLiteral("ImporteMaximo"), QStringLiteral("precio"));
    if (m_cache.find(name))
        return EdicionOutcome::refused(QStringLiteral("Dupli"), QStringLiteral("nombre"));
    store::Tarifa row;
    row.NOM = name;
    row.TIPO = Ttarifas::Variable;
    store::Transaction t(m_db);
    row.ID_TAR = int(store::insert(m_db, row));
    store::insert(m_db, store::LinTarifa{row.ID_TAR, 0, minutes, price});
    auditar(store::accion::Tarifa, objetoTarifa(name), QString(), intervalo(minutes, price));
    store::marcarCambio(m_db, store::Cambio::Tarifas);
    t.commit();
    m_cache.append(Ttarifas{name, Ttarifas::Variable, Currency(), Currency(), {Tintervalo{minutes, price}}});
    return EdicionOutcome::done();
}

session::TarifaBorrableResult EditorTarifas::tarifaBorrable(const QString& name,
                                                            const QStringList& stationTariffs,
                                                            const QString& consola) const {
    return session::TarifaBorrable(m_db, name, stationTariffs, consola);
}

void EditorTarifas::borrarTarifa(int idTar) {
    const std::optional<store::Tarifa> row = tarifa(idTar);
    if (!row)
        return;
    store::Transaction t(m_db);
    auditar(store::accion::Tarifa, objetoTarifa(row->NOM), describirTarifa(*row), QStringLiteral("Borrada"));
    // Nothing reads the intervals of a deleted tariff; they go with it.
    store::run(m_db, QStringLiteral("DELETE FROM lintarifas WHERE id_tarifa = ?"), {idTar});
    store::run(m_db, QStringLiteral("DELETE FROM tarifas WHERE ID_TAR = ?"), {idTar});
    store::marcarCambio(m_db, store::Cambio::Tarifas);
    t.commit();
    m_cache.remove(row->NOM);
}

EdicionOutcome EditorTarifas::nuevoIntervalo(int idTar, int minutes, Currency price) {
    if (!validMinutes(minutes))
        return EdicionOutcome::refused(QStringLiteral("DatosIntervalo"), QStringLiteral("minutos"));
    if (!price.withinMaxAmount())
        return EdicionOutcome::refused(QStringLiteral("ImporteMaximo"), QStringLiteral("precio"));
    const std::optional<store::Tarifa> row = tarifa(idTar);
    if (!row)
        return EdicionOutcome::done();
    if (store::toInt(store::scalar(m_db,
                                   QStringLiteral("SELECT COUNT(*) FROM lintarifas WHERE franja_fin = ? AND "
                                                  "id_tarifa = ?"),
                                   {minutes, idTar})) > 0)
        return EdicionOutcome::refused(QStringLiteral("IntervaloYaExiste"), QStringLiteral("minutos"));
    store::Transaction t(m_db);
    store::insert(m_db, store::LinTarifa{idTar, 0, minutes, price});
    auditar(store::accion::Tarifa, objetoTarifa(row->NOM), QString(), intervalo(minutes, price));
    renumerarIntervalos(idTar);
    store::marcarCambio(m_db, store::Cambio::Tarifas);
    t.commit();
    refrescarCache(*row);
    return EdicionOutcome::done();
}

EdicionOutcome EditorTarifas::modificarIntervalo(int idTar, int minutes, Currency price) {
    if (!validMinutes(minutes))
        return EdicionOutcome::refused(QStringLiteral("DatosIntervalo"), QStringLiteral("precio"));
    if (!price.withinMaxAmount())
        return EdicionOutcome::refused(QStringLiteral("ImporteMaximo"), QStringLiteral("precio"));
    const std::optional<store::Tarifa> row = tarifa(idTar);
    if (!row)
        return EdicionOutcome::done();
    store::Transaction t(m_db);
    for (const store::LinTarifa& l : store::select<store::LinTarifa>(
             m_db, QStringLiteral("WHERE id_tarifa = ? AND franja_fin = ?"), {idTar, minutes}))
        if (l.precio != price)
            auditar(store::accion::Tarifa, objetoTarifa(row->NOM), intervalo(minutes, l.precio),
                    intervalo(minutes, price));
    store::run(m_db,
               QStringLiteral("UPDATE lintarifas SET precio = ? WHERE id_tarifa = ? AND franja_fin = ?"),
               {store::sqlValue(price), idTar, minutes});
    renumerarIntervalos(idTar);
    store::marcarCambio(m_db, store::Cambio::Tarifas);
    t.commit();
    refrescarCache(*row);
    return EdicionOutcome::done();
}

EdicionOutcome EditorTarifas::puedeBorrarIntervalo(int idTar) const {
    if (store::toInt(store::scalar(
            m_db, QStringLiteral("SELECT COUNT(*) FROM lintarifas WHERE id_tarifa = ?"), {idTar})) <= 1)
        return EdicionOutcome::refused(QStringLiteral("NoBorrarIntervalo"));
    return EdicionOutcome::done();
}

void EditorTarifas::borrarIntervalo(int idTar, int minutes) {
    const std::optional<store::Tarifa> row = tarifa(idTar);
    if (!row || !puedeBorrarIntervalo(idTar).ok())
        return;
    store::Transaction t(m_db);
    for (const store::LinTarifa& l : store::select<store::LinTarifa>(
             m_db, QStringLiteral("WHERE id_tarifa = ? AND franja_fin = ?"), {idTar, minutes}))
        auditar(store::accion::Tarifa, objetoTarifa(row->NOM), intervalo(minutes, l.precio), QString());
    store::run(m_db, QStringLiteral("DELETE FROM lintarifas WHERE id_tarifa = ? AND franja_fin = ?"),
               {idTar, minutes});
    renumerarIntervalos(idTar);
    store::marcarCambio(m_db, store::Cambio::Tarifas);
    t.commit();
    refrescarCache(*row);
}

void EditorTarifas::renumerarIntervalos(int idTar) {
    int start = 0;
    for (const store::LinTarifa& l : intervalos(idTar)) {
        if (l.franja_ini != start)
            store::run(
                m_db,
                QStringLiteral("UPDATE lintarifas SET franja_ini = ? WHERE id_tarifa = ? AND franja_fin = ?"),
                {start, idTar, l.franja_fin});
        start = l.franja_fin;
    }
}

void EditorTarifas::refrescarCache(const store::Tarifa& row) {
    m_cache.setIntervals(row.NOM, session::readIntervals(m_db, row.ID_TAR));
}

EdicionOutcome EditorTarifas::nuevaFranja(const QTime& end, const QString& tarifa) {
    const QTime fin = timeOfDay(end);
    for (const store::Franja& f : franjas()) {
        if (f.franja_fin == fin)
            return EdicionOutcome::refused(QStringLiteral("HoraFinal"), QStringLiteral("horaFinal"));
    }
    if (tarifa.isEmpty())
        return EdicionOutcome::refused(QStringLiteral("SeleccionarTarifa"), QStringLiteral("tarifa"));
    store::Franja row;
    row.franja_ini = fin;
    row.franja_fin = fin;
    row.tarifa = tarifa;
    store::Transaction t(m_db);
    store::insert(m_db, row);
    auditar(store::accion::Franja, objetoFranja(fin), QString(), QStringLiteral("Tarifa: ") + tarifa);
    renumerarFranjas();
    store::marcarCambio(m_db, store::Cambio::Franjas);
    t.commit();
    return EdicionOutcome::done();
}

EdicionOutcome EditorTarifas::modificarFranja(int idFran, const QString& tarifa) {
    if (tarifa.isEmpty())
        return EdicionOutcome::refused(QStringLiteral("SeleccionarTarifa"), QStringLiteral("tarifa"));
    store::Transaction t(m_db);
    for (const store::Franja& f :
         store::select<store::Franja>(m_db, QStringLiteral("WHERE id_fran = ?"), {idFran}))
        if (f.tarifa != tarifa)
            auditar(store::accion::Franja, objetoFranja(f.franja_fin), QStringLiteral("Tarifa: ") + f.tarifa,
                    QStringLiteral("Tarifa: ") + tarifa);
    store::run(m_db, QStringLiteral("UPDATE franjas SET tarifa = ? WHERE id_fran = ?"), {tarifa, idFran});
    store::marcarCambio(m_db, store::Cambio::Franjas);
    t.commit();
    return EdicionOutcome::done();
}

void EditorTarifas::borrarFranja(int idFran, RuntimeSettings& settings) {
    store::Transaction t(m_db);
    for (const store::Franja& f :
         store::select<store::Franja>(m_db, QStringLiteral("WHERE id_fran = ?"), {idFran}))
        auditar(store::accion::Franja, objetoFranja(f.franja_fin), QStringLiteral("Tarifa: ") + f.tarifa,
                QString());
    store::run(m_db, QStringLiteral("DELETE FROM franjas WHERE id_fran = ?"), {idFran});
    renumerarFranjas();
    // The last band leaves nothing to renumber.
    store::marcarCambio(m_db, store::Cambio::Franjas);
    const bool fewBands = franjas().size() < 2;
    if (fewBands) {
        store::run(m_db,
                   QStringLiteral("UPDATE opciones SET cambiotarifa = ?, porfranjas = ?, porfranjascli = ?"),
                   {1, store::sqlValue(false), store::sqlValue(false)});
        store::marcarCambio(m_db, store::Cambio::Opciones);
    }
    t.commit();
    if (fewBands) {
        settings.cambiotarifa = 1;
        settings.porfranjas = false;
    }
}

void EditorTarifas::renumerarFranjas() {
    const std::vector<store::Franja> rows = franjas();
    if (rows.empty())
        return;
    store::Transaction t(m_db);
    for (size_t i = 0; i < rows.size(); ++i) {
        // A single band starts where it ends; otherwise each starts where the
        // one before it ends, the first where the last ends.
        const QTime ini = rows[i == 0 ? rows.size() - 1 : i - 1].franja_fin;
        store::run(m_db,
                   QStringLiteral("UPDATE franjas SET franja_ini = ?, franja_fin = ? WHERE id_fran = ?"),
                   {store::sqlValue(ini), store::sqlValue(rows[i].franja_fin), rows[i].id_fran});
    }
    store::marcarCambio(m_db, store::Cambio::Franjas);
    t.commit();
}

} // namespace accounts
