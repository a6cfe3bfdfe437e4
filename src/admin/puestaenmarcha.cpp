#include "admin/puestaenmarcha.h"

#include "admin/impresoras.h"
#include "admin/operadoresrules.h"
#include "admin/puestosconfig.h"
#include "core/runtimesettings.h"
#include "session/tarifas.h"
#include "station/stationaddress.h"
#include "store/auditoria.h"
#include "store/cambios.h"
#include "store/claves.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "store/transaction.h"

#include <QHostAddress>
#include <QRegularExpression>

#include <map>
#include <set>
#include <tuple>

namespace admin {

namespace {

const QString Tabla = QStringLiteral("asistente");
// The first room most cafés have: their router's usual range.
const QString PrimeraDireccion = QStringLiteral("192.168.1.101");
const QString TarifaPorDefecto = QStringLiteral("NORMAL");
// Memo columns keep Windows line breaks, as the options window writes them.
const QString MemoBreak = QStringLiteral("\r\n");

QStringList lines(const QString& text) {
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    return text.isEmpty() ? QStringList() : text.split(breaks);
}

template <size_t N> void splitInto(const QString& text, std::array<QString, N>& shown, QStringList& rest) {
    const QStringList all = lines(text);
    for (size_t i = 0; i < N; ++i)
        shown[i] = qsizetype(i) < all.size() ? all.at(qsizetype(i)) : QString();
    rest = all.mid(qsizetype(N));
}

template <size_t N> QString joinLines(const std::array<QString, N>& shown, const QStringList& rest) {
    QStringList all(shown.begin(), shown.end());
    // Kept lines stay where they were; otherwise empty lines at the end go.
    if (rest.isEmpty()) {
        while (!all.isEmpty() && all.last().trimmed().isEmpty())
            all.removeLast();
    }
    return (all + rest).join(MemoBreak);
}

bool sameText(const QString& a, const QString& b) {
    return lines(a) == lines(b);
}

std::array<QString, 4> ipParts(const QString& address, bool* tooMany) {
    const QStringList parts = address.trimmed().split(QLatin1Char('.'));
    std::array<QString, 4> out;
    for (int i = 0; i < 4 && i < parts.size(); ++i)
        out[size_t(i)] = parts.at(i);
    if (tooMany)
        *tooMany = parts.size() > 4;
    return out;
}

std::optional<store::Operador> adminRow(const QSqlDatabase& db) {
    for (const store::Operador& op : store::operadores(db)) {
        if (op.isAdmin())
            return op;
    }
    return std::nullopt;
}

PasoCheck fromPuesto(const PuestoCheck& c, int row) {
    return {c.messageKey,
            c.field == QLatin1String("number") ? QStringLiteral("number") : QStringLiteral("address"), row};
}

} // namespace

QStringList tablaAsistente() {
    return {QStringLiteral("CREATE TABLE asistente (terminado INTEGER NOT NULL DEFAULT 0)"),
            QStringLiteral("INSERT INTO asistente (terminado) VALUES (0)")};
}

bool creadaPorLaConsola(const QSqlDatabase& db) {
    return db.tables().contains(Tabla, Qt::CaseInsensitive);
}

bool asistentePendiente(const QSqlDatabase& db) {
    if (!creadaPorLaConsola(db))
        return false;
    QSqlQuery q = store::run(db, QStringLiteral("SELECT COUNT(*) FROM asistente WHERE terminado = ?"), {0});
    return q.next() && store::toInt(q.value(0)) > 0;
}

bool adminSinClave(const QSqlDatabase& db) {
    const std::optional<store::Operador> admin = adminRow(db);
    return admin && admin->PASS.isEmpty();
}

std::array<bool, store::PermisoCount> permisosCajero() {
    using P = store::Permiso;
    std::array<bool, store::PermisoCount> granted{};
    for (P p : {P::CUEADD, P::CUEMOD, P::CUECRE, P::APAGA1, P::APAGA2, P::APAGA3, P::APAGA4, P::APAGATODOS,
                P::DESACTIVA, P::ACTIVA, P::VENTATPV, P::LISTADO1, P::LISTADO2, P::LISTADO3, P::LISTADO4,
                P::INFORME1, P::IMPLOGPAS, P::IMPLOGPAS_1})
        granted[size_t(p)] = true;
    return granted;
}

std::optional<double> ivaGeneralDe(QLocale::Territory territory) {
    // Defaults to start from: the owner sees the rate and can change it.
    static const std::map<QLocale::Territory, double> rates{
        {QLocale::Spain, 21},     {QLocale::Portugal, 23},   {QLocale::France, 20},
        {QLocale::Italy, 22},     {QLocale::Germany, 19},    {QLocale::UnitedKingdom, 20},
        {QLocale::Ireland, 23},   {QLocale::Belgium, 21},    {QLocale::Netherlands, 21},
        {QLocale::Austria, 20},   {QLocale::Mexico, 16},     {QLocale::Argentina, 21},
        {QLocale::Chile, 19},     {QLocale::Colombia, 19},   {QLocale::Peru, 18},
        {QLocale::Uruguay, 22},   {QLocale::Ecuador, 15},    {QLocale::Venezuela, 16},
        {QLocale::Bolivia, 13},   {QLocale::Paraguay, 10},   {QLocale::DominicanRepublic, 18},
        {QLocale::Guatemala, 12}, {QLocale::CostaRica, 13},  {QLocale::Panama, 7},
        {QLocale::Honduras, 15},  {QLocale::ElSalvador, 13}, {QLocale::Nicaragua, 15},
    };
    const auto it = rates.find(territory);
    if (it == rates.end())
        return std::nullopt;
    return it->second;
}

QString PlanPuestaEnMarcha::textoCabecera() const {
    return joinLines(cabecera, cabeceraResto);
}

QString PlanPuestaEnMarcha::textoPie() const {
    return joinLines(pie, pieResto);
}

PuestaEnMarcha::PuestaEnMarcha(QSqlDatabase db, Regional regional)
    : m_db(std::move(db))
    , m_regional(std::move(regional)) {}

PlanPuestaEnMarcha PuestaEnMarcha::propuesta() const {
    PlanPuestaEnMarcha plan;
    const store::Opciones o = store::readOpciones(m_db);
    plan.adminTieneClave = !adminSinClave(m_db);
    plan.adminClaveObligatoria = !plan.adminTieneClave && creadaPorLaConsola(m_db);
    splitInto(o.TEXTO_TICK, plan.cabecera, plan.cabeceraResto);
    splitInto(o.TEXTO_FINAL, plan.pie, plan.pieResto);

    // The next numbers, and the addresses after the highest one in use.
    int highest = 0;
    quint32 highestIp = 0;
    for (const store::Puesto& p : store::select<store::Puesto>(m_db)) {
        ++plan.puestosExistentes;
        highest = qMax(highest, p.npuesto);
        bool ok = false;
        const quint32 ip = QHostAddress(p.ip.trimmed()).toIPv4Address(&ok);
        if (ok)
            highestIp = qMax(highestIp, ip);
    }
    plan.puestosPorHost = o.Host;
    plan.primerNumero = highest + 1;
    plan.primeraDireccion = PrimeraDireccion;
    if (highestIp != 0) {
        if (const auto next = station::consecutiveAddress(QHostAddress(highestIp), 1))
            plan.primeraDireccion = next->toString();
    }
    const int room = MaxStationNumber - highest;
    plan.conPuestos = !plan.puestosPorHost && room > 0;
    if (plan.conPuestos)
        plan.puestos = serie(plan.primerNumero, plan.primeraDireccion, qMin(PuestosPorDefecto, room)).puestos;

    // Again from the menu: the tariff the stations open with, as it is.
    const QString current = o.ini_tarifa_2.trimmed();
    const std::optional<store::Tarifa> fixed =
        current.isEmpty()
            ? std::nullopt
            : store::selectOne<store::Tarifa>(m_db, QStringLiteral("WHERE NOM = ? AND TIPO = ?"),
                                              {current, int(Ttarifas::Fija)});
    if (fixed) {
        plan.tarifa = fixed->NOM;
        plan.costeHora = fixed->COS_HORA;
        plan.costeMinimo = fixed->COS_MIN;
    } else {
        plan.tarifa = TarifaPorDefecto;
        // Prices only where we know the money: a figure in another currency
        // would be accepted by a press of Enter and be wrong.
        if (m_regional.currencyIsoCode() == QLatin1String("EUR")) {
            plan.costeHora = Currency::fromCents(150);
            plan.costeMinimo = Currency::fromCents(50);
        }
    }
    plan.redondeo = RuntimeSettings::roundingUnitFor(o.redondeo);

    // The country's rate on the first start; later, the owner's own.
    std::optional<double> stored;
    const std::optional<store::Tasa> tasa =
        store::selectOne<store::Tasa>(m_db, QStringLiteral("WHERE IdTax = ?"), {o.iva_gen});
    if (tasa)
        stored = tasa->valor;
    const std::optional<double> country = ivaGeneralDe(m_regional.territory());
    const bool first = asistentePendiente(m_db);
    plan.iva = (first ? country.value_or(stored.value_or(0)) : stored.value_or(country.value_or(0)));

    const QString printer = o.impresoratick.trimmed();
    plan.impresora = printer == QLatin1String(NoPrinter) ? QString() : printer;

    plan.cajero = store::operadorPorNombre(m_db, QStringLiteral("CAJA")) ? QString() : QStringLiteral("CAJA");
    return plan;
}

PuestaEnMarcha::Serie PuestaEnMarcha::serie(int firstNumber, const QString& first, int count) {
    Serie s;
    bool tooMany = false;
    const std::array<QString, 4> parts = ipParts(first, &tooMany);
    if (tooMany) {
        s.check = {QStringLiteral("IpNoValida"), QStringLiteral("primera")};
        return s;
    }
    if (const PuestoCheck c = comprobarDireccion(parts); !c.ok()) {
        s.check = {c.messageKey, QStringLiteral("primera")};
        return s;
    }
    if (count < 1) {
        s.check = {QStringLiteral("SinPuestos"), QStringLiteral("cantidad")};
        return s;
    }
    if (firstNumber < MinStationNumber || qint64(firstNumber) + count - 1 > MaxStationNumber) {
        s.check = {QStringLiteral("SerieNumeros"), QStringLiteral("cantidad")};
        return s;
    }
    const QHostAddress base(direccionIp(parts));
    s.puestos.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const std::optional<QHostAddress> address = station::consecutiveAddress(base, i);
        if (!address) {
            s.puestos.clear();
            s.check = {QStringLiteral("SerieFuera"), QStringLiteral("cantidad")};
            return s;
        }
        s.puestos.push_back({QString::number(firstNumber + i), address->toString()});
    }
    return s;
}

PasoCheck PuestaEnMarcha::comprobar(Paso paso, const PlanPuestaEnMarcha& plan) const {
    switch (paso) {
    case Paso::Admin:
        return comprobarAdmin(plan);
    case Paso::Puestos:
        return comprobarPuestos(plan);
    case Paso::Tarifa:
        return comprobarTarifa(plan);
    case Paso::Impuestos:
        if (plan.iva < 0 || plan.iva > 100)
            return {QStringLiteral("IvaRango"), QStringLiteral("iva")};
        return {};
    case Paso::Impresora:
        return {};
    case Paso::Cajero:
        return comprobarCajero(plan);
    }
    return {};
}

PasoCheck PuestaEnMarcha::comprobarAdmin(const PlanPuestaEnMarcha& plan) const {
    // What the database says, not what the plan was built with.
    if (plan.adminClave.isEmpty() && plan.adminConfirmacion.isEmpty()) {
        if (adminSinClave(m_db) && creadaPorLaConsola(m_db))
            return {QStringLiteral("ClaveAdminVacia"), QStringLiteral("adminClave")};
        return {};
    }
    if (plan.adminClave.size() > MaxOperatorPassword)
        return {QStringLiteral("ClaveLarga"), QStringLiteral("adminClave")};
    if (plan.adminClave != plan.adminConfirmacion)
        return {QStringLiteral("Confirmacion"), QStringLiteral("adminClave")};
    return {};
}

PasoCheck PuestaEnMarcha::comprobarPuestos(const PlanPuestaEnMarcha& plan) const {
    if (plan.puestos.empty())
        return {QStringLiteral("SinPuestos"), QStringLiteral("cantidad")};
    std::set<int> numbers;
    std::set<QString> addresses;
    for (size_t i = 0; i < plan.puestos.size(); ++i) {
        const int row = int(i);
        const PuestoNuevo& p = plan.puestos[i];
        PuestoForm form;
        bool tooMany = false;
        form.number = p.number;
        form.ipParts = ipParts(p.address, &tooMany);
        if (tooMany)
            return {QStringLiteral("IpNoValida"), QStringLiteral("address"), row};
        if (const PuestoCheck c = comprobarPuesto(m_db, form); !c.ok())
            return fromPuesto(c, row);
        // Rows not written yet meet each other here.
        if (!numbers.insert(p.number.trimmed().toInt()).second)
            return {QStringLiteral("NumeroDuplicado"), QStringLiteral("number"), row};
        if (!addresses.insert(direccionIp(form.ipParts)).second)
            return {QStringLiteral("IpDuplicada"), QStringLiteral("address"), row};
    }
    return {};
}

PasoCheck PuestaEnMarcha::comprobarTarifa(const PlanPuestaEnMarcha& plan) const {
    const QString name = plan.tarifa.trimmed();
    if (name.isEmpty())
        return {QStringLiteral("Tarifa"), QStringLiteral("tarifa")};
    const auto amount = [](const std::optional<Currency>& v, const QString& missing,
                           const QString& field) -> PasoCheck {
        if (!v)
            return {missing, field};
        if (v->raw() < 0)
            return {QStringLiteral("ImporteNegativo"), field};
        if (!v->withinMaxAmount())
            return {QStringLiteral("ImporteMaximo"), field};
        return {};
    };
    if (PasoCheck c = amount(plan.costeHora, QStringLiteral("CosteTarifa"), QStringLiteral("costeHora"));
        !c.ok())
        return c;
    if (PasoCheck c = amount(plan.costeMinimo, QStringLiteral("CosteMinimo"), QStringLiteral("costeMinimo"));
        !c.ok())
        return c;
    if (!plan.redondeo || plan.redondeo->raw() <= 0)
        return {QStringLiteral("Redondeo"), QStringLiteral("redondeo")};
    if (!plan.redondeo->withinMaxAmount())
        return {QStringLiteral("ImporteMaximo"), QStringLiteral("redondeo")};
    // A fixed tariff of that name takes the new costs; a variable one keeps its name.
    if (store::selectOne<store::Tarifa>(m_db, QStringLiteral("WHERE NOM = ? AND TIPO <> ?"),
                                        {name, int(Ttarifas::Fija)}))
        return {QStringLiteral("TarifaExiste"), QStringLiteral("tarifa")};
    return {};
}

PasoCheck PuestaEnMarcha::comprobarCajero(const PlanPuestaEnMarcha& plan) const {
    const OperadorCheck c =
        comprobarOperador(m_db, plan.cajero, plan.cajeroClave, plan.cajeroConfirmacion, true);
    const bool nameFailed = !c.ok() && c.field == QLatin1String("name");
    if (nameFailed)
        return {c.messageKey, QStringLiteral("cajero")};
    if (plan.cajero.trimmed().size() > MaxOperatorName)
        return {QStringLiteral("NombreLargo"), QStringLiteral("cajero")};
    // A cashier without a password would let anyone in.
    if (plan.cajeroClave.isEmpty())
        return {QStringLiteral("ClaveCajeroVacia"), QStringLiteral("cajeroClave")};
    if (plan.cajeroClave.size() > MaxOperatorPassword)
        return {QStringLiteral("ClaveLarga"), QStringLiteral("cajeroClave")};
    if (!c.ok())
        return {c.messageKey, QStringLiteral("cajeroClave")};
    return {};
}

void PuestaEnMarcha::escribirTextos(const PlanPuestaEnMarcha& plan) const {
    const store::Opciones o = store::readOpciones(m_db);
    const QString head = plan.textoCabecera();
    const QString foot = plan.textoPie();
    store::run(m_db, QStringLiteral("UPDATE opciones SET TEXTO_TICK = ?, TEXTO_FINAL = ?"), {head, foot});
    // The other tickets follow unless someone gave them texts of their own.
    for (const auto& [column, value, current, reference] :
         {std::tuple{"TXTCIBER_INI", head, o.TXTCIBER_INI, o.TEXTO_TICK},
          std::tuple{"TXTCUENTA_INI", head, o.TXTCUENTA_INI, o.TEXTO_TICK},
          std::tuple{"TXTCIBER_FIN", foot, o.TXTCIBER_FIN, o.TEXTO_FINAL},
          std::tuple{"TXTCUENTA_FIN", foot, o.TXTCUENTA_FIN, o.TEXTO_FINAL}}) {
        if (sameText(current, reference))
            store::run(m_db, QStringLiteral("UPDATE opciones SET %1 = ?").arg(QLatin1String(column)),
                       {value});
    }
}

void PuestaEnMarcha::escribirTarifa(const PlanPuestaEnMarcha& plan, PuestaEnMarchaEscrita& escrita) const {
    const QString name = plan.tarifa.trimmed();
    std::optional<store::Tarifa> row = store::selectOne<store::Tarifa>(
        m_db, QStringLiteral("WHERE NOM = ? AND TIPO = ?"), {name, int(Ttarifas::Fija)});
    if (row) {
        row->COS_HORA = *plan.costeHora;
        row->COS_MIN = *plan.costeMinimo;
        store::run(m_db, QStringLiteral("UPDATE tarifas SET COS_HORA = ?, COS_MIN = ? WHERE ID_TAR = ?"),
                   {store::sqlValue(row->COS_HORA), store::sqlValue(row->COS_MIN), row->ID_TAR});
    } else {
        row = store::Tarifa{};
        row->NOM = name;
        row->TIPO = Ttarifas::Fija;
        row->COS_HORA = *plan.costeHora;
        row->COS_MIN = *plan.costeMinimo;
        row->ID_TAR = int(store::insert(m_db, *row));
        escrita.tarifaNueva = true;
    }
    // F1 on a free station proposes this tariff in counter mode.
    store::run(m_db,
               QStringLiteral("UPDATE opciones SET redondeo = ?, op4_1 = ?, op4_2 = ?, ini_tarifa_2 = ?"),
               {store::sqlValue(*plan.redondeo), 0, store::sqlValue(true), name});
    escrita.tarifa = row;
    escrita.redondeo = plan.redondeo;
}

void PuestaEnMarcha::escribirIva(double rate) const {
    const int idTax = store::readOpciones(m_db).iva_gen;
    QSqlQuery updated =
        store::run(m_db, QStringLiteral("UPDATE tasas SET valor = ? WHERE IdTax = ?"), {rate, idTax});
    if (updated.numRowsAffected() > 0)
        return;
    store::Tasa tasa;
    tasa.Nombre = QStringLiteral("IVA GENERAL");
    tasa.valor = rate;
    const qint64 id = store::insert(m_db, tasa);
    store::run(m_db, QStringLiteral("UPDATE opciones SET iva_gen = ?"), {id});
}

Result<Escritura> PuestaEnMarcha::escribir(const PlanPuestaEnMarcha& plan) const {
    Escritura e;
    const bool withStations = plan.conPuestos && !plan.puestosPorHost;
    try {
        // Hashed before the transaction: each takes a tenth of a second.
        const QString adminHash = store::claveProtegida(plan.adminClave);
        const QString cajeroHash = plan.conCajero ? store::claveProtegida(plan.cajeroClave) : QString();
        store::Transaction t(m_db);
        const std::pair<Paso, bool> pages[] = {{Paso::Admin, true},
                                               {Paso::Puestos, withStations},
                                               {Paso::Tarifa, plan.conTarifa},
                                               {Paso::Impuestos, plan.conImpuestos},
                                               {Paso::Cajero, plan.conCajero}};
        for (const auto& [paso, active] : pages) {
            if (!active)
                continue;
            if (const PasoCheck c = comprobar(paso, plan); !c.ok()) {
                e.paso = paso;
                e.check = c;
                return e;
            }
        }

        if (!plan.adminClave.isEmpty()) {
            const std::optional<store::Operador> admin = adminRow(m_db);
            if (!admin)
                return Result<Escritura>::failure(QStringLiteral("No existe el operador ADMIN."));
            store::run(m_db, QStringLiteral("UPDATE operadores SET PASS = ? WHERE ID = ?"),
                       {adminHash, admin->ID});
            store::auditar(m_db, store::EntradaAuditoria{plan.operador,
                                                         store::accion::Operador,
                                                         QStringLiteral("Operador ADMIN"),
                                                         QString(),
                                                         QStringLiteral("Contraseña cambiada"),
                                                         {}});
        }
        escribirTextos(plan);
        if (withStations) {
            for (const PuestoNuevo& p : plan.puestos) {
                PuestoForm form;
                form.number = p.number;
                form.ipParts = ipParts(p.address, nullptr);
                escribirPuesto(m_db, form);
                e.escrita.puestos.push_back(p.number.trimmed().toInt());
            }
        }
        if (plan.conTarifa)
            escribirTarifa(plan, e.escrita);
        if (plan.conImpuestos)
            escribirIva(plan.iva);
        if (plan.conImpresora) {
            const QString printer = plan.impresora.trimmed();
            store::run(m_db, QStringLiteral("UPDATE opciones SET impresoratick = ?"),
                       {printer.isEmpty() ? QString::fromLatin1(NoPrinter) : printer});
        }
        if (plan.conCajero) {
            store::Operador op;
            op.NOMBRE = plan.cajero.trimmed();
            op.PASS = cajeroHash;
            op.permisos = permisosCajero();
            store::insertOperador(m_db, op);
            store::auditar(m_db, store::EntradaAuditoria{plan.operador,
                                                         store::accion::Operador,
                                                         QStringLiteral("Operador ") + op.NOMBRE,
                                                         QString(),
                                                         QStringLiteral("Alta\n") + permisosAuditados(op),
                                                         {}});
        }
        if (creadaPorLaConsola(m_db))
            store::run(m_db, QStringLiteral("UPDATE asistente SET terminado = ?"), {1});
        store::marcarCambios(m_db, {store::Cambio::Opciones, store::Cambio::Operadores,
                                    store::Cambio::Puestos, store::Cambio::Tarifas});
        t.commit();
    } catch (const store::DatabaseError& err) {
        return Result<Escritura>::failure(err.text());
    }
    return e;
}

Status PuestaEnMarcha::aplicar(const PuestaEnMarchaEscrita& escrita, const QSqlDatabase& db,
                               ConfiguracionPuestos& puestos, ListaTarifas& tarifas,
                               RuntimeSettings& settings) {
    if (escrita.redondeo)
        settings.roundingUnit = RuntimeSettings::roundingUnitFor(*escrita.redondeo);
    if (escrita.tarifa) {
        const store::Tarifa& row = *escrita.tarifa;
        // Stations hold the cached record itself: costs change in place.
        if (!tarifas.updateFixedCosts(row.NOM, row.COS_HORA, row.COS_MIN)) {
            try {
                tarifas.appendRecord(db, row);
            } catch (const store::DatabaseError& e) {
                return Status::failure(e.text());
            }
        }
    }
    return puestos.anadirEscritos(escrita.puestos);
}

} // namespace admin
