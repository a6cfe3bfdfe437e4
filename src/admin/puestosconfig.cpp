#include "admin/puestosconfig.h"

#include "session/stationclock.h"
#include "station/listapuestos.h"
#include "store/sql.h"

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
                                           session::StationClock& clock)
    : m_db(db)
    , m_puestos(puestos)
    , m_clock(clock) {}

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
    Pause pause(m_puestos, m_clock);
    try {
        escribirPuesto(m_db, form);
    } catch (const store::DatabaseError& e) {
        return Result<Guardado>::failure(e.text());
    }

    if (form.adding) {
        const Result<bool> added = m_puestos.AnadirPuesto(number);
        if (!added)
            return Result<Guardado>::failure(added.error());
        g.efecto = EfectoPuesto::Added;
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
    Pause pause(m_puestos, m_clock);
    return m_puestos.QuitarPuesto(number);
}

Status ConfiguracionPuestos::anadirEscritos(const std::vector<int>& numbers) {
    Pause pause(m_puestos, m_clock);
    for (int number : numbers) {
        const Result<bool> added = m_puestos.AnadirPuesto(number);
        if (!added)
            return Status::failure(added.error());
    }
    return Status::success();
}

} // namespace admin
