#include "session/engine.h"

#include "accounts/creditoenpuesto.h"
#include "accounts/cuentas.h"
#include "core/consolecontext.h"
#include "core/formatohora.h"
#include "sales/tickets.h"
#include "session/precios.h"
#include "store/consolas.h"
#include "store/datamodule.h"
#include "store/dialect.h"
#include "store/opciones.h"
#include "store/rows.h"
#include "store/sql.h"
#include "store/transaction.h"

#include <utility>

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
        {"NoPrepagoAnonimo", QStringLiteral("El puesto ya no está en prepago sin cuenta..."),
         QStringLiteral("The station is no longer in prepaid mode without an account...")},
        {"ImprimirTicketCierre", QStringLiteral("¿Imprimir el ticket nº %1 del puesto %2?"),
         QStringLiteral("Print ticket no. %1 of station %2?")},
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
    , m_clock(context, m_puestos, m_tarifas, *this)
    , m_conexion(context.data)
    , m_lease(context, m_puestos, m_conexion)
    , m_cambios(*this) {
    // Every ticket and movement this console writes records its name.
    if (context.data)
        context.data->setConsoleName(context.consoleName);
    m_puestos.setDecisions(this);
    // While the server is away the stations go on polling and the clocks
    // counting; the ends wait, saved as running, for its return.
    m_puestos.setOutageCheck([this](const QString& error) { return m_conexion.noteFailure(error); });
    connect(&m_conexion, &store::ConnectionKeeper::restored, this, [this] {
        // The rows catch up at once; the ends are booked by the next ticks.
        m_puestos.noteSave(m_puestos.GuardarPuestos(nullptr));
    });
    m_puestos.setPendingBooker([this](int pos) {
        try {
            m_clock.liquidar(pos);
            return true;
        } catch (const store::DatabaseError&) {
            // The tick meets the same error and ends the console, saving the period as running.
            return false;
        }
    });
    connect(&m_clock, &session::StationClock::fatalError, this, &ConsoleEngine::fatalError);
    connect(&m_lease, &session::ConsoleLease::renewed, this, [this](bool othersAlive) {
        if (othersAlive)
            seguirCreditosDeOtras();
    });
    // A write refused under an old epoch: the lease finds out what went.
    connect(&m_puestos, &ListaPuestos::ownershipLost, this, [this] {
        if (m_lease.isRunning())
            m_lease.renewSoon();
    });
    // An account's notice, on its way to the station, shows in the message queue.
    connect(&m_puestos, &ListaPuestos::noticeQueued, this, [this](int number, const QString& message) {
        m_mensajes.append({number, m_context.regional.formatTime(m_context.clock->now().time()),
                           QStringLiteral("[Send]: ") + message});
    });
    context.creditSync = this;
}

ConsoleEngine::~ConsoleEngine() {
    if (m_context.creditSync == this)
        m_context.creditSync = nullptr;
    m_lease.stop(false);
    m_conexion.stop();
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
    return store::cachedOpciones(m_context.data->db()).iva_gen;
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

void ConsoleEngine::liquidarPendientes() {
    for (int pos = 0; pos < m_puestos.count(); ++pos)
        m_clock.liquidar(pos);
}

Outcome ConsoleEngine::abrirPuesto(int pos, const session::AperturaPedido& pedido) {
    if (pos < 0 || pos >= m_puestos.count())
        return Outcome::refused(QStringLiteral("NoLibre"));
    // A period closed an instant ago is booked before the next one opens.
    m_clock.liquidar(pos);
    TPuestos& p = m_puestos.at(pos);
    station::StationRecord& r = p.rec();
    if (r.estado != Estado::Libre)
        return Outcome::refused(QStringLiteral("NoLibre"));
    const Ttarifas* tarifa = m_tarifas.find(pedido.tariffName);
    if (pedido.tariffName.trimmed().isEmpty())
        return Outcome::refused(QStringLiteral("NoTarifa"));

    // The new period is built on a copy: the record changes only once the
    // database holds it.
    station::StationRecord opened = r;
    opened.shutdownKind = 0;
    opened.desktopType = 0;
    opened.pendiente = station::Pendiente::Poll;
    opened.accountLogin.clear();
    opened.password.clear();
    opened.firstPasswordLogin.clear();
    opened.pendingNotice.clear();
    opened.moneyCredit = Currency();
    opened.discountPercent = 0;
    opened.noPasswordChange = 0;
    opened.tariffName = tariffInForce(pedido.tariffName);
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
        const QSqlDatabase db = m_context.data->db();
        store::Transaction tx(db);
        const session::TicketEscrito ticket =
            session::ticketAperturaPrepago(db, p.number, r.ticketNumber, seconds, amount,
                                           m_context.currentOperator, m_context.clock->now(), ivaGen());
        opened.prepaidSeconds = seconds;
        opened.prepaidAmount = amount;
        // The row holds the time bought from the start, so a restart before the
        // next tick finds it.
        opened.clockMs = qint64(seconds) * 1000;
        opened.cost = amount;
        opened.ticketNumber = ticket.ticketNumber;
        opened.estado = Estado::Prepago;
        ListaPuestos::escribirFila(db, p.number, opened);
        tx.commit();
        r = opened;
        emit ticketsChanged();
    } else {
        opened.prepaidSeconds = 0;
        opened.estado = Estado::Contador;
        r = opened;
        guardarPuesto(pos);
    }
    m_puestos.RedibujarFila(pos);
    m_puestos.RefrescarMenus();
    return Outcome::done();
}

Outcome ConsoleEngine::incrementarPrepago(int pos, const session::IncrementoPedido& pedido) {
    if (pos < 0 || pos >= m_puestos.count())
        return Outcome::refused(QStringLiteral("NoPrepagoAnonimo"));
    TPuestos& p = m_puestos.at(pos);
    station::StationRecord& r = p.rec();
    if (r.estado != Estado::Prepago || !r.accountLogin.isEmpty())
        return Outcome::refused(QStringLiteral("NoPrepagoAnonimo"));
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
    const QSqlDatabase db = m_context.data->db();
    store::Transaction tx(db);
    const session::TicketEscrito ticket =
        session::ticketIncrementoPrepago(db, p.number, r.ticketNumber, lineSeconds, amount,
                                         m_context.currentOperator, m_context.clock->now(), ivaGen());
    station::StationRecord increased = r;
    increased.prepaidSeconds += int(addedSeconds);
    increased.prepaidAmount += amount;
    increased.clockMs += addedSeconds * 1000;
    increased.cost += amount;
    increased.pendiente = station::Pendiente::QuitarAviso;
    if (ticket.written())
        increased.ticketNumber = ticket.ticketNumber;
    ListaPuestos::escribirFila(db, p.number, increased);
    tx.commit();
    r = increased;
    emit ticketsChanged();
    m_puestos.RedibujarFila(pos);
    return Outcome::done();
}

bool ConsoleEngine::cerrarPuesto(int pos) {
    if (pos < 0 || pos >= m_puestos.count())
        return false;
    TPuestos& p = m_puestos.at(pos);
    station::StationRecord& r = p.rec();
    if (!r.occupied() || r.closed)
        return false;
    // Booked, with the account's settlement, at the next tick.
    r.closed = true;
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
        if (other.rec().estado == Estado::Desactivado || other.rec().estado == Estado::Admin ||
            other.rec().bookingPending())
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
    // A period waiting for its booking stays where it ended.
    if (a.rec().bookingPending() || b.rec().bookingPending())
        return;
    station::StationRecord ra = a.rec();
    station::StationRecord rb = b.rec();
    station::swapUsePeriod(ra, rb);
    // Each ticket follows its use period, in the same transaction as both rows.
    const QSqlDatabase db = m_context.data->db();
    store::Transaction tx(db);
    for (const auto& [number, rec] : {std::pair<int, const station::StationRecord*>{a.number, &ra},
                                      std::pair<int, const station::StationRecord*>{b.number, &rb}}) {
        if (rec->ticketNumber.isEmpty())
            continue;
        if (std::optional<store::Ticket> t = sales::findTicket(db, rec->ticketNumber); t && !t->CONTA)
            store::run(db, QStringLiteral("UPDATE ticket SET NPUESTO = ? WHERE ID_TICK = ?"),
                       {number, t->ID_TICK});
    }
    for (const auto& [number, rec] : {std::pair<int, const station::StationRecord*>{a.number, &ra},
                                      std::pair<int, const station::StationRecord*>{b.number, &rb}}) {
        if (!rec->accountLogin.isEmpty())
            store::moverLogin(db, rec->accountLogin, number);
    }
    ListaPuestos::escribirFila(db, a.number, ra);
    ListaPuestos::escribirFila(db, b.number, rb);
    tx.commit();
    a.tarea->pause();
    b.tarea->pause();
    station::swapUsePeriod(a.rec(), b.rec());
    a.tarea->resume();
    b.tarea->resume();
    m_puestos.RedibujarFila(pos);
    m_puestos.RedibujarFila(otherPos);
    m_puestos.RefrescarMenus();
    emit ticketsChanged();
}

Outcome ConsoleEngine::borrarTicket(int pos) {
    if (pos < 0 || pos >= m_puestos.count())
        return Outcome::done();
    // A period that ended and waits for its booking keeps its ticket until
    // booked: detached now, the booking would issue a second ticket for the
    // same prepaid amount. Booked first, there is nothing left to detach.
    m_clock.liquidar(pos);
    const sales::TicketOutcome outcome = sales::detachTicket(m_puestos.at(pos).rec());
    m_puestos.RedibujarFila(pos);
    m_puestos.RefrescarMenus();
    if (!outcome.ok())
        return Outcome::refused(outcome.messageKey);
    guardarPuesto(pos);
    return Outcome::done();
}

namespace {

void seguirCredito(station::StationRecord& r, const CreditoCuenta& c) {
    if (r.isTimeAccount()) {
        // The time used stays; the time left follows the new credit.
        r.clockMs = qint64(c.timeCreditSeconds) * 1000 - (qint64(r.prepaidSeconds) * 1000 - r.clockMs);
        r.prepaidSeconds = c.timeCreditSeconds;
    } else {
        r.moneyCredit = c.moneyCredit;
        r.discountPercent = c.discountPercent;
    }
    r.closeWhenCreditExhausted = c.closeWhenCreditExhausted;
    r.pendiente = station::Pendiente::QuitarAviso;
}

} // namespace

int ConsoleEngine::posicionDeCuenta(const QString& login) const {
    for (int pos = 0; pos < m_puestos.count(); ++pos) {
        // Logins are one account whatever their letter case.
        if (store::sameKey(m_puestos.at(pos).rec().accountLogin, login))
            return pos;
    }
    return -1;
}

void ConsoleEngine::escribirPuesto(const QSqlDatabase& db, const CreditoCuenta& credito) {
    const int pos = credito.login.isEmpty() ? -1 : posicionDeCuenta(credito.login);
    if (pos < 0)
        return;
    station::StationRecord changed = m_puestos.at(pos).rec();
    seguirCredito(changed, credito);
    ListaPuestos::escribirFila(db, m_puestos.at(pos).number, changed);
}

void ConsoleEngine::aplicarPuesto(const CreditoCuenta& credito) {
    const int pos = credito.login.isEmpty() ? -1 : posicionDeCuenta(credito.login);
    if (pos < 0)
        return;
    seguirCredito(m_puestos.at(pos).rec(), credito);
    m_puestos.RedibujarFila(pos);
}

void ConsoleEngine::seguirCreditosDeOtras() {
    const QSqlDatabase db = m_context.data->db();
    try {
        // With nobody logged in only the mark moves on.
        if (m_puestos.loginsInUse().isEmpty()) {
            m_movimientos.marcar(db);
            return;
        }
        for (const QString& login : m_movimientos.movidas(db)) {
            const int pos = posicionDeCuenta(login);
            if (pos < 0)
                continue;
            const std::optional<store::Cuenta> c = accounts::cuentaPorLogin(db, login);
            if (!c)
                continue;
            aplicarPuesto(accounts::creditoDe(*c));
            guardarPuesto(pos);
        }
    } catch (const store::DatabaseError& e) {
        m_conexion.noteFailure(e.text());
    }
}

void ConsoleEngine::registrarUso(const session::UsoTerminado& uso, const station::StationRecord& ended,
                                 const station::StationRecord& freed, QDate& day, int& records) {
    // One transaction: the account, the ticket and activity record, and the
    // free row. A kill at any instant leaves all of it or the period running.
    m_ticketsBooked.erase(uso.station);
    const QSqlDatabase db = m_context.data->db();
    const QDateTime now = m_context.clock->now();
    store::Transaction tx(db);
    if (!ended.accountLogin.isEmpty())
        m_accountDecisions->CerrarCuenta(ended.accountLogin, uso.station, ended.accountType,
                                         ended.ticketNumber, int(station::usedSeconds(ended)), ended.cost);
    const session::TicketEscrito written =
        session::RegistrarUso(db, uso, m_context.currentOperator, now, ivaGen());
    // The trace that tells, after a COMMIT without an answer, whether it was kept.
    records = session::registrosDelDia(db, uso.station, now.date());
    day = now.date();
    // The anonymous customer's ticket: the one this booking wrote, or the
    // prepaid one written at the opening. An account's period is charged to
    // the account and has none to hand over.
    std::optional<store::Ticket> booked;
    if (ended.accountLogin.isEmpty()) {
        const QString number = written.written() ? written.ticketNumber : uso.ticketNumber;
        if (!number.isEmpty())
            booked = sales::findTicket(db, number);
    }
    // The login is free for every console's stations with the period booked.
    if (!ended.accountLogin.isEmpty())
        store::liberarLogin(db, ended.accountLogin);
    ListaPuestos::escribirFila(db, uso.station, freed);
    tx.commit();
    // Told once the whole commit it may be a part of is kept.
    if (booked)
        m_ticketsBooked.insert_or_assign(uso.station, *booked);
    else
        m_ticketsBooked.erase(uso.station);
}

void ConsoleEngine::usoRegistrado(const session::UsoTerminado& uso, const station::StationRecord& ended) {
    afterBooking(ended);
    const auto found = m_ticketsBooked.find(uso.station);
    if (found == m_ticketsBooked.end())
        return;
    QMetaObject::invokeMethod(
        this,
        [this, id = found->second.ID_TICK, number = found->second.NUM_TICKET, station = uso.station] {
            emit ticketBooked(id, number, station);
        },
        Qt::QueuedConnection);
    m_ticketsBooked.erase(found);
}

bool ConsoleEngine::registrado(const session::UsoTerminado& uso, const station::StationRecord& ended) {
    // Nothing else books this station while its end is pending: a count as
    // high as the booking's own says it was kept.
    if (session::registrosDelDia(m_context.data->db(), uso.station, ended.bookingDoubtDay) <
        ended.bookingDoubtRecords)
        return false;
    afterBooking(ended);
    return true;
}

void ConsoleEngine::afterBooking(const station::StationRecord& ended) {
    if (!ended.accountLogin.isEmpty())
        m_puestos.loginsInUse().remove(ended.accountLogin);
    // The windows read again from the event loop, after the clock has freed
    // the record: nothing they do (an error box and its own event loop) may
    // run while the booked period still looks pending.
    notifyTicketsChanged();
}

void ConsoleEngine::notifyTicketsChanged() {
    if (m_ticketsChangedQueued)
        return;
    m_ticketsChangedQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_ticketsChangedQueued = false;
            emit ticketsChanged();
        },
        Qt::QueuedConnection);
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
    m_accountDecisions->CerrarCuenta(login, stationNumber, accountType, ticketNumber, seconds, cost);
}
