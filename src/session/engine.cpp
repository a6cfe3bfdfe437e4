#include "session/engine.h"

#include "core/consolecontext.h"
#include "core/formatohora.h"
#include "sales/tickets.h"
#include "session/precios.h"
#include "store/datamodule.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "store/transaction.h"

namespace session {

const ui::MessageTable& sessionMessages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atencion"), QStringLiteral("Attention")},
        {"NoTarifa", QStringLiteral("No se ha seleccionado tarifa"),
         QStringLiteral("No tariff has been selected")},
        {"NoLibre", QStringLiteral("El puesto ya no está libre..."),
         QStringLiteral("The station is no longer free...")},
        {"NoIntercambio", QStringLiteral("No hay puestos válidos para intercambiar."),
         QStringLiteral("There are no valid stations to exchange.")},
        {"CierrePuesto", QStringLiteral("[Cierre de puesto]"), QStringLiteral("[Closing station]")},
        {"ConfirmeCerrar", QStringLiteral("Confirme cerrar el puesto nº "),
         QStringLiteral("Confirm closing station no. ")},
        {"SinTicket", QStringLiteral("En este puesto no hay ticket..."),
         QStringLiteral("This station has no ticket...")},
        {"ErrorGrave", QStringLiteral("Error grave en cálculo de tarifas."),
         QStringLiteral("Fatal error computing tariffs.")},
    };
    return table;
}

} // namespace session

using session::Outcome;
using station::Estado;

ConsoleEngine::ConsoleEngine(ConsoleContext& context, QObject* parent)
    : QObject(parent)
    , m_context(context)
    , m_puestos(context)
    , m_clock(context, m_puestos, m_tarifas, *this) {
    m_puestos.setDecisions(this);
    connect(&m_clock, &session::StationClock::fatalError, this, &ConsoleEngine::fatalError);
}

ConsoleEngine::~ConsoleEngine() {
    m_clock.stop();
    m_puestos.stopAll();
}

Status ConsoleEngine::cargarTarifas() {
    try {
        m_tarifas = ListaTarifas::load(m_context.data->db());
    } catch (const store::DatabaseError& e) {
        return Status::failure(e.text());
    }
    return Status::success();
}

int ConsoleEngine::ivaGen() const {
    return store::readOpciones(m_context.data->db()).iva_gen;
}

QString ConsoleEngine::tariffInForce(const QString& chosen) const {
    return session::franjasEnVigor(m_context.settings) ? QStringLiteral("FRANJAS") : chosen;
}

void ConsoleEngine::guardarPuesto(int pos) {
    if (pos < 0 || pos >= m_puestos.count())
        return;
    // A database that refuses writes is reported by the periodic save.
    (void)m_puestos.guardarPuesto(pos);
}

Outcome ConsoleEngine::abrirPuesto(int pos, const session::AperturaPedido& pedido) {
    if (pos < 0 || pos >= m_puestos.count())
        return Outcome::refused(QStringLiteral("NoLibre"));
    TPuestos& p = m_puestos.at(pos);
    station::StationRecord& r = p.rec();
    if (r.estado != Estado::Libre)
        return Outcome::refused(QStringLiteral("NoLibre"));
    const Ttarifas* tarifa = m_tarifas.find(pedido.tariffName);
    if (pedido.tariffName.trimmed().isEmpty())
        return Outcome::refused(QStringLiteral("NoTarifa"));

    r.shutdownKind = 0;
    r.desktopType = 0;
    if (pedido.prepago) {
        int seconds = 0;
        Currency amount;
        if (tarifa && tarifa->isVariable()) {
            if (pedido.interval < 0 || pedido.interval >= int(tarifa->intervals.size()))
                return Outcome::refused(QStringLiteral("NoTarifa"));
            const Tintervalo& iv = tarifa->intervals[size_t(pedido.interval)];
            seconds = iv.endMinutes * 60;
            amount = iv.price;
        } else {
            seconds = pedido.hours * 3600 + pedido.minutes * 60;
            amount = pedido.amount;
        }
        const session::TicketEscrito ticket =
            session::ticketAperturaPrepago(m_context.data->db(), p.number, r.ticketNumber, seconds, amount,
                                           m_context.currentOperator, m_context.clock->now(), ivaGen());
        r.prepaidSeconds = seconds;
        r.prepaidAmount = amount;
        r.ticketNumber = ticket.ticketNumber;
        r.tariffName = tariffInForce(pedido.tariffName);
        r.estado = Estado::Prepago;
        emit ticketsChanged();
    } else {
        r.prepaidSeconds = 0;
        r.tariffName = tariffInForce(pedido.tariffName);
        r.estado = Estado::Contador;
    }
    r.pendiente = station::Pendiente::Poll;
    r.accountLogin.clear();
    r.password.clear();
    r.firstPasswordLogin.clear();
    r.pendingNotice.clear();
    r.moneyCredit = Currency();
    r.discountPercent = 0;
    r.noPasswordChange = 0;
    m_puestos.RedibujarFila(pos);
    m_puestos.RefrescarMenus();
    guardarPuesto(pos);
    return Outcome::done();
}

Outcome ConsoleEngine::incrementarPrepago(int pos, const session::IncrementoPedido& pedido) {
    if (pos < 0 || pos >= m_puestos.count())
        return Outcome::refused(QStringLiteral("NoTarifa"));
    TPuestos& p = m_puestos.at(pos);
    station::StationRecord& r = p.rec();
    if (r.estado != Estado::Prepago || !r.accountLogin.isEmpty())
        return Outcome::refused(QStringLiteral("NoTarifa"));
    const Ttarifas* tarifa = m_tarifas.find(pedido.tariffName.isEmpty() ? r.tariffName : pedido.tariffName);
    qint64 addedSeconds = 0;
    Currency amount;
    qint64 lineSeconds = 0;
    if (pedido.interval >= 0) {
        if (!tarifa || !tarifa->isVariable() || pedido.interval >= int(tarifa->intervals.size()))
            return Outcome::refused(QStringLiteral("NoTarifa"));
        const Tintervalo& iv = tarifa->intervals[size_t(pedido.interval)];
        addedSeconds = qint64(iv.endMinutes) * 60;
        amount = iv.price;
        lineSeconds = r.prepaidSeconds + addedSeconds;
    } else {
        addedSeconds = qint64(pedido.hours) * 3600 + qint64(pedido.minutes) * 60;
        amount = pedido.amount;
        lineSeconds = addedSeconds;
    }
    const session::TicketEscrito ticket =
        session::ticketIncrementoPrepago(m_context.data->db(), p.number, r.ticketNumber, lineSeconds, amount,
                                         m_context.currentOperator, m_context.clock->now(), ivaGen());
    r.prepaidSeconds += int(addedSeconds);
    r.prepaidAmount += amount;
    r.clockMs += addedSeconds * 1000;
    r.cost += amount;
    r.pendiente = station::Pendiente::QuitarAviso;
    if (ticket.written())
        r.ticketNumber = ticket.ticketNumber;
    emit ticketsChanged();
    m_puestos.RedibujarFila(pos);
    guardarPuesto(pos);
    return Outcome::done();
}

bool ConsoleEngine::cerrarPuesto(int pos) {
    if (pos < 0 || pos >= m_puestos.count())
        return false;
    TPuestos& p = m_puestos.at(pos);
    station::StationRecord& r = p.rec();
    if (!r.occupied() || r.closed)
        return false;
    r.closed = true;
    if (!r.accountLogin.isEmpty()) {
        // Time accounts settle the time left, the others the time used.
        const qint64 seconds =
            r.isTimeAccount() ? station::roundedSeconds(r.clockMs) : station::usedSeconds(r);
        CerrarCuenta(r.accountLogin, p.number, r.accountType, r.ticketNumber, int(seconds), r.cost);
    }
    r.estado = Estado::Libre;
    r.pendiente = station::Pendiente::Poll;
    m_puestos.RefrescarMenus();
    return true;
}

std::vector<int> ConsoleEngine::candidatosIntercambio(int pos) const {
    std::vector<int> candidates;
    if (pos < 0 || pos >= m_puestos.count())
        return candidates;
    const TPuestos& source = m_puestos.at(pos);
    for (int i = 0; i < m_puestos.count(); ++i) {
        const TPuestos& other = m_puestos.at(i);
        if (i == pos || other.relativePrice != source.relativePrice)
            continue;
        if (other.rec().estado == Estado::Desactivado || other.rec().estado == Estado::Admin)
            continue;
        candidates.push_back(i);
    }
    return candidates;
}

void ConsoleEngine::intercambiar(int pos, int otherPos) {
    if (pos < 0 || otherPos < 0 || pos >= m_puestos.count() || otherPos >= m_puestos.count() ||
        pos == otherPos)
        return;
    TPuestos& a = m_puestos.at(pos);
    TPuestos& b = m_puestos.at(otherPos);
    a.tarea->pause();
    b.tarea->pause();
    station::swapUsePeriod(a.rec(), b.rec());
    // Each ticket follows its use period.
    const QSqlDatabase db = m_context.data->db();
    for (TPuestos* p : {&a, &b}) {
        const QString& number = p->rec().ticketNumber;
        if (number.isEmpty())
            continue;
        if (std::optional<store::Ticket> t = sales::findTicket(db, number); t && !t->CONTA)
            store::run(db, QStringLiteral("UPDATE ticket SET NPUESTO = ? WHERE ID_TICK = ?"),
                       {p->number, t->ID_TICK});
    }
    a.tarea->resume();
    b.tarea->resume();
    m_puestos.RedibujarFila(pos);
    m_puestos.RedibujarFila(otherPos);
    m_puestos.RefrescarMenus();
    guardarPuesto(pos);
    guardarPuesto(otherPos);
    emit ticketsChanged();
}

Outcome ConsoleEngine::borrarTicket(int pos) {
    if (pos < 0 || pos >= m_puestos.count())
        return Outcome::done();
    const sales::TicketOutcome outcome = sales::detachTicket(m_puestos.at(pos).rec());
    m_puestos.RedibujarFila(pos);
    m_puestos.RefrescarMenus();
    if (!outcome.ok())
        return Outcome::refused(outcome.messageKey);
    guardarPuesto(pos);
    return Outcome::done();
}

void ConsoleEngine::CreditoCambiado(const QString& login, int timeCreditSeconds, Currency moneyCredit,
                                    int discountPercent, bool closeWhenCreditExhausted) {
    for (int pos = 0; pos < m_puestos.count(); ++pos) {
        station::StationRecord& r = m_puestos.at(pos).rec();
        if (r.accountLogin != login)
            continue;
        if (r.isTimeAccount()) {
            // The time used stays; the time left follows the new credit.
            r.clockMs = qint64(timeCreditSeconds) * 1000 - (qint64(r.prepaidSeconds) * 1000 - r.clockMs);
            r.prepaidSeconds = timeCreditSeconds;
        } else {
            r.moneyCredit = moneyCredit;
            r.discountPercent = discountPercent;
        }
        r.closeWhenCreditExhausted = closeWhenCreditExhausted;
        r.pendiente = station::Pendiente::QuitarAviso;
        m_puestos.RedibujarFila(pos);
        return;
    }
}

void ConsoleEngine::registrarUso(const session::UsoTerminado& uso) {
    session::RegistrarUso(m_context.data->db(), uso, m_context.currentOperator, m_context.clock->now(),
                          ivaGen());
    emit ticketsChanged();
}

void ConsoleEngine::cerrarCuenta(const QString& login, int stationNumber, const QString& accountType,
                                 const QString& ticketNumber, int seconds, Currency cost) {
    CerrarCuenta(login, stationNumber, accountType, ticketNumber, seconds, cost);
}

void ConsoleEngine::messageRow(const station::MessageQueueRow& row) {
    m_mensajes.append(row);
}

int ConsoleEngine::CheckStationLogin(TPuestos& puesto, const QString& request) {
    return m_accountDecisions->CheckStationLogin(puesto, request);
}

QString ConsoleEngine::ChangeStationPassword(const QString& login, const QString& newPassword) {
    return m_accountDecisions->ChangeStationPassword(login, newPassword);
}

void ConsoleEngine::CerrarCuenta(const QString& login, int stationNumber, const QString& accountType,
                                 const QString& ticketNumber, int seconds, Currency cost) {
    m_puestos.loginsInUse().remove(login);
    // The settlement of the account's credit comes with the accounts.
    m_accountDecisions->CerrarCuenta(login, stationNumber, accountType, ticketNumber, seconds, cost);
}
