#include "admin/puestosconfig.h"

#include "session/stationclock.h"
#include "station/listapuestos.h"
#include "store/auditoriatexto.h"
#include "store/cambios.h"
#include "store/consolas.h"
#include "store/sql.h"
#include "store/transaction.h"

#include <QRegularExpression>

namespace admin {

namespace {

bool anyRow(const QSqlDatabase& db, const QString& where, const QVariantList& values) {
    QSqlQuery q = store::run(db, QStringLiteral("SELECT COUNT(*) FROM puestos WHERE ") + where, values);
    return q.next() && store::toInt(q.value(0)) > 0;
}

} // namespace

QString direccionIp(const std::array<QString, 4>& parts) {
    QStringList numbers;
    for (const QString& p : parts)
        numbers << QString::number(p.trimmed().toInt());
    return numbers.join(QLatin1Char('.'));
}

PuestoCheck comprobarDireccion(const std::array<QString, 4>& parts) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    for (int i = 0; i < 4; ++i) {
        if (parts[size_t(i)].trimmed().isEmpty())
            return {QStringLiteral("IpIncompleta"), QStringLiteral("ip%1").arg(i + 1)};
    }
    for (int i = 0; i < 4; ++i) {
        if (!digits.match(parts[size_t(i)].trimmed()).hasMatch())
            return {QStringLiteral("IpNoValida"), QStringLiteral("ip%1").arg(i + 1)};
    }
    for (int i = 0; i < 4; ++i) {
        const QString part = parts[size_t(i)].trimmed();
        if (part.size() > 3 || part.toInt() > 255)
            return {QStringLiteral("IpRango"), QStringLiteral("ip%1").arg(i + 1)};
    }
    return {};
}

PuestoCheck comprobarPuesto(const QSqlDatabase& db, const PuestoForm& form) {
    const QString numberText = form.number.trimmed();
    if (numberText.isEmpty())
        return {QStringLiteral("NumeroVacio"), QStringLiteral("number")};
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    bool ok = false;
    const int number = numberText.toInt(&ok);
    if (!digits.match(numberText).hasMatch() || !ok || number < MinStationNumber || number > MaxStationNumber)
        return {QStringLiteral("NumeroRango"), QStringLiteral("number")};
    if (form.adding && anyRow(db, QStringLiteral("npuesto = ?"), {number}))
        return {QStringLiteral("NumeroDuplicado"), QStringLiteral("number")};
    // A changed station never meets itself: its own row is left out.
    const QString others = form.adding ? QString() : QStringLiteral(" AND npuesto <> ?");
    QVariantList self;
    if (!form.adding)
        self << number;

    if (!form.byHost) {
        if (const PuestoCheck address = comprobarDireccion(form.ipParts); !address.ok())
            return address;
        if (anyRow(db, QStringLiteral("ip = ?") + others, QVariantList{direccionIp(form.ipParts)} + self))
            return {QStringLiteral("IpDuplicada"), QStringLiteral("ip1")};
    } else {
        const QString host = form.host.trimmed();
        if (host.isEmpty())
            return {QStringLiteral("HostVacio"), QStringLiteral("host")};
        if (host.size() > MaxAddressLength)
            return {QStringLiteral("HostLargo"), QStringLiteral("host")};
        // Host names do not care about letter case.
        if (anyRow(db, QStringLiteral("LOWER(host) = LOWER(?)") + others, QVariantList{host} + self))
            return {QStringLiteral("HostDuplicado"), QStringLiteral("host")};
    }
    return {};
}

void escribirPuesto(const QSqlDatabase& db, const PuestoForm& form) {
    const int number = form.number.trimmed().toInt();
    const int price = qBound(0, form.relativePrice, MaxRelativePrice);
    QStringList columns{QStringLiteral("preciorel")};
    QVariantList values{price};
    if (form.byHost) {
        columns << QStringLiteral("host");
        values << form.host.trimmed();
    } else {
        columns << QStringLiteral("ip") << QStringLiteral("ip1") << QStringLiteral("ip2")
                << QStringLiteral("ip3") << QStringLiteral("ip4");
        values << direccionIp(form.ipParts);
        for (const QString& part : form.ipParts)
            values << part.trimmed().toInt();
    }
    if (form.adding) {
        columns.prepend(QStringLiteral("npuesto"));
        values.prepend(number);
        if (!form.consola.trimmed().isEmpty()) {
            columns << QStringLiteral("CONSOLA");
            values << form.consola.trimmed();
        }
        QStringList marks;
        for (int i = 0; i < columns.size(); ++i)
            marks << QStringLiteral("?");
        store::run(db,
                   QStringLiteral("INSERT INTO puestos (") + columns.join(QStringLiteral(", ")) +
                       QStringLiteral(") VALUES (") + marks.join(QStringLiteral(", ")) + QLatin1Char(')'),
                   values);
        return;
    }
    QStringList sets;
    for (const QString& c : columns)
        sets << c + QStringLiteral(" = ?");
    values << number;
    store::run(db,
               QStringLiteral("UPDATE puestos SET ") + sets.join(QStringLiteral(", ")) +
                   QStringLiteral(" WHERE npuesto = ?"),
               values);
}

namespace {

// What the configuration of a station owns, as the trail shows it.
QList<store::ValorAuditado> camposPuesto(const std::optional<store::Puesto>& p) {
    if (!p)
        return {};
    return {{QStringLiteral("Dirección"), p->ip},
            {QStringLiteral("Equipo"), p->host},
            {QStringLiteral("Precio relativo"), QString::number(p->preciorel)},
            {QStringLiteral("Consola"), p->CONSOLA}};
}

std::optional<store::Puesto> puestoEscrito(const QSqlDatabase& db, int number) {
    return store::selectOne<store::Puesto>(db, QStringLiteral("WHERE npuesto = ?"), {number});
}

QString objetoPuesto(int number) {
    return QStringLiteral("Puesto ") + QString::number(number);
}

} // namespace

// Stops the clock and the periodic save while the registry changes, and
// restarts what was running afterwards.
class ConfiguracionPuestos::Pause {
public:
    Pause(ListaPuestos& puestos, session::StationClock& clock)
        : m_puestos(puestos)
        , m_clock(clock)
        , m_clockWasActive(clock.isActive())
        , m_saveWasActive(puestos.periodicSaveActive()) {
        m_clock.stop();
        m_puestos.stopPeriodicSave();
    }
    ~Pause() {
        if (m_saveWasActive)
            m_puestos.startPeriodicSave();
        if (m_clockWasActive)
            m_clock.start();
    }
    Pause(const Pause&) = delete;
    Pause& operator=(const Pause&) = delete;

private:
    ListaPuestos& m_puestos;
    session::StationClock& m_clock;
    bool m_clockWasActive;
    bool m_saveWasActive;
};

ConfiguracionPuestos::ConfiguracionPuestos(const QSqlDatabase& db, ListaPuestos& puestos,
                                           session::StationClock& clock, std::function<QString()> operador)
    : m_db(db)
    , m_puestos(puestos)
    , m_clock(clock)
    , m_operador(std::move(operador)) {}

void ConfiguracionPuestos::auditar(int number, const QString& antes, const QString& despues) const {
    store::auditar(m_db, {m_operador ? m_operador() : QString(),
                          store::accion::Puesto,
                          objetoPuesto(number),
                          antes,
                          despues,
                          {}});
}

QString ConfiguracionPuestos::consolaPropia() const {
    return m_puestos.consoleName();
}

Result<QStringList> ConfiguracionPuestos::consolas() const {
    QStringList names;
    if (!consolaPropia().isEmpty())
        names << consolaPropia();
    try {
        for (const store::ConsolaRow& row : store::otrasConsolas(m_db, consolaPropia()))
            names << row.nombre;
    } catch (const store::DatabaseError& e) {
        return Result<QStringList>::failure(e.text());
    }
    names.removeDuplicates();
    return names;
}

Result<QString> ConfiguracionPuestos::consolaDe(int number) const {
    try {
        return store::toText(
            store::scalar(m_db, QStringLiteral("SELECT CONSOLA FROM puestos WHERE npuesto = ?"), {number}));
    } catch (const store::DatabaseError& e) {
        return Result<QString>::failure(e.text());
    }
}

Result<bool> ConfiguracionPuestos::puestoLibre(int number) const {
    if (m_puestos.positionOf(number) >= 0)
        return m_puestos.PuestoLibre(number);
    // Another console's: its row says counter or prepaid while a period runs.
    try {
        const int estado = store::toInt(
            store::scalar(m_db, QStringLiteral("SELECT estado FROM puestos WHERE npuesto = ?"), {number}));
        return estado != int(station::Estado::Contador) + 1 && estado != int(station::Estado::Prepago) + 1;
    } catch (const store::DatabaseError& e) {
        return Result<bool>::failure(e.text());
    }
}

Result<ConfiguracionPuestos::Guardado> ConfiguracionPuestos::guardar(const PuestoForm& form) {
    Guardado g;
    try {
        g.check = comprobarPuesto(m_db, form);
    } catch (const store::DatabaseError& e) {
        return Result<Guardado>::failure(e.text());
    }
    if (!g.check.ok())
        return g;

    const int number = form.number.trimmed().toInt();
    const QString mine = consolaPropia();
    PuestoForm written = form;
    written.consola = form.consola.trimmed().isEmpty() ? mine : form.consola.trimmed();
    Pause pause(m_puestos, m_clock);
    bool moved = false;
    try {
        store::Transaction t(m_db);
        std::optional<store::Puesto> before;
        if (!form.adding) {
            const QString owner = store::toText(store::scalar(
                m_db,
                QStringLiteral("SELECT CONSOLA FROM puestos WHERE npuesto = ?") + store::forUpdate(m_db),
                {number}));
            moved = owner != written.consola;
            before = puestoEscrito(m_db, number);
            // A period would go on at the other console from a row up to a
            // save old, and its end could no longer be booked here.
            if (moved) {
                const Result<bool> free = puestoLibre(number);
                if (!free)
                    return Result<Guardado>::failure(free.error());
                if (!*free) {
                    g.check = {QStringLiteral("PuestoOcupado"), QStringLiteral("consola")};
                    return g;
                }
            }
        }
        escribirPuesto(m_db, written);
        if (moved)
            store::moverPuesto(m_db, number, written.consola);
        const QList<store::ValorAuditado> after = camposPuesto(puestoEscrito(m_db, number));
        if (form.adding)
            auditar(number, QString(), store::textoCampos(after));
        else if (const QString changes = store::diferencias(camposPuesto(before), after); !changes.isEmpty())
            auditar(number, QString(), changes);
        store::marcarCambio(m_db, store::Cambio::Puestos);
        t.commit();
    } catch (const store::DatabaseError& e) {
        return Result<Guardado>::failure(e.text());
    }

    // A registry without a name polls every station.
    const bool ours = mine.isEmpty() || written.consola == mine;
    if (moved) {
        const Result<ListaPuestos::Reconciliacion> done = m_puestos.reconciliar();
        if (!done)
            return Result<Guardado>::failure(done.error());
        g.efecto = EfectoPuesto::Moved;
        return g;
    }
    if (form.adding) {
        g.efecto = ours ? EfectoPuesto::Added : EfectoPuesto::Elsewhere;
        if (!ours)
            return g;
        const Result<bool> added = m_puestos.AnadirPuesto(number);
        if (!added)
            return Result<Guardado>::failure(added.error());
        return g;
    }
    if (m_puestos.positionOf(number) < 0) {
        g.efecto = EfectoPuesto::Elsewhere;
        return g;
    }
    if (!m_puestos.PuestoLibre(number)) {
        g.efecto = EfectoPuesto::SavedBusy;
        return g;
    }
    const Result<bool> reloaded = m_puestos.RecargarPuesto(number);
    if (!reloaded)
        return Result<Guardado>::failure(reloaded.error());
    g.efecto = *reloaded ? EfectoPuesto::Reloaded : EfectoPuesto::SavedBusy;
    return g;
}

Status ConfiguracionPuestos::eliminar(int number) {
    const Result<bool> free = puestoLibre(number);
    if (!free)
        return Status::failure(free.error());
    if (!*free)
        return Status::failure(QStringLiteral("El puesto está ocupado."));
    Pause pause(m_puestos, m_clock);
    try {
        store::Transaction t(m_db);
        auditar(number, store::textoCampos(camposPuesto(puestoEscrito(m_db, number))), QString());
        if (const Status removed = m_puestos.QuitarPuesto(number); !removed)
            return removed;
        store::marcarCambio(m_db, store::Cambio::Puestos);
        t.commit();
    } catch (const store::DatabaseError& e) {
        return Status::failure(e.text());
    }
    return Status::success();
}

Status ConfiguracionPuestos::anadirEscritos(const std::vector<int>& numbers) {
    Pause pause(m_puestos, m_clock);
    const QString mine = consolaPropia();
    if (!mine.isEmpty()) {
        // Rows written without a console are this one's, before any other
        // console that starts claims them.
        try {
            store::Transaction t(m_db);
            for (int number : numbers)
                store::run(m_db,
                           QStringLiteral("UPDATE puestos SET CONSOLA = ?, EPOCA = COALESCE(EPOCA, 0) + 1 "
                                          "WHERE npuesto = ? AND COALESCE(CONSOLA, '') = ''"),
                           {mine, number});
            store::marcarCambio(m_db, store::Cambio::Puestos);
            t.commit();
        } catch (const store::DatabaseError& e) {
            return Status::failure(e.text());
        }
    }
    for (int number : numbers) {
        if (!mine.isEmpty()) {
            const Result<QString> owner = consolaDe(number);
            if (!owner)
                return Status::failure(owner.error());
            if (*owner != mine)
                continue;
        }
        const Result<bool> added = m_puestos.AnadirPuesto(number);
        if (!added)
            return Status::failure(added.error());
    }
    return Status::success();
}

} // namespace admin
