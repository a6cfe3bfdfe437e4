#include "session/stationclock.h"

#include "core/consolecontext.h"
#include "core/currency.h"
#include "session/franjas.h"
#include "session/precios.h"
#include "session/tarifas.h"
#include "station/listapuestos.h"
#include "store/datamodule.h"
#include "store/sql.h"
#include "store/transaction.h"

#include <QElapsedTimer>
#include <QScopeGuard>

#include <exception>
#include <optional>
#include <utility>

namespace session {

using station::Estado;

using station::usedSeconds;

StationClock::StationClock(ConsoleContext& context, ListaPuestos& puestos, const ListaTarifas& tarifas,
                           UsePeriodHandler& handler, QObject* parent)
    : QObject(parent)
    , m_context(context)
    , m_puestos(puestos)
    , m_tarifas(tarifas)
    , m_handler(handler)
    , m_franjas(std::make_unique<FranjasSnapshot>()) {
    m_timer.setInterval(IntervalMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &StationClock::timerTick);
}

StationClock::~StationClock() = default;

void StationClock::start() {
    m_timer.start();
}

void StationClock::stop() {
    m_timer.stop();
}

StationClock::TickFigures StationClock::takeTickFigures() {
    return std::exchange(m_figures, TickFigures{});
}

void StationClock::timerTick() {
    QElapsedTimer took;
    took.start();
    const auto measured = qScopeGuard([&] {
        const double ms = double(took.nsecsElapsed()) / 1e6;
        ++m_figures.ticks;
        m_figures.totalMs += ms;
        m_figures.maxMs = qMax(m_figures.maxMs, ms);
    });
    try {
        tick(m_context.clock->monotonicMs(), BookingBudgetMs);
    } catch (const std::exception& e) {
        m_timer.stop();
        emit fatalError(QString::fromStdString(e.what()));
    }
}

const FranjasSnapshot& StationClock::franjas() {
    if (!m_franjasRead) {
        m_franjasRead = true;
        try {
            *m_franjas = FranjasSnapshot::load(m_context.data->db());
        } catch (const store::DatabaseError& e) {
            // The bands read last go on pricing until the database answers.
            m_puestos.noteSave(Status::failure(e.text()));
        }
    }
    return *m_franjas;
}

const TarifasFranjas& StationClock::tarifasFranjas() {
    if (!m_tarifasFranjas)
        m_tarifasFranjas.emplace(m_tarifas, franjas());
    return *m_tarifasFranjas;
}

Currency StationClock::priceCounter(const TPuestos& p, const Ahora& now) {
    const station::StationRecord& r = p.rec();
    const RuntimeSettings& s = m_context.settings;
    const bool bands = r.accountLogin.isEmpty()
                           ? (s.porfranjas && s.cambiotarifa == 0)
                           : (r.accountType == QLatin1String("1") && s.cambiotarifa == 0);
    if (bands)
        return PrecioFranjas(tarifasFranjas(), r.clockMs, r.discountPercent, p.relativePrice, r.accountLogin,
                             Direccion::Pasado, now, s);
    return PrecioTarifa(m_tarifas, r.tariffName, r.clockMs, r.discountPercent, p.relativePrice,
                        r.accountLogin, s);
}

namespace {

// What a free station keeps of its last period: nothing.
void clearPeriod(station::StationRecord& r) {
    if (r.estadoAnterior != Estado::Libre) {
        r.estadoAnterior = Estado::Libre;
        r.closed = false;
        r.exchangeTimeMs = 0;
        r.exchangeCost = Currency();
        r.alarm = false;
        r.messageToSend.clear();
        r.messageReceived.clear();
        r.loginUnderTest.clear();
        r.password.clear();
        r.pendingNotice.clear();
        r.accountType.clear();
        r.ticketNumber.clear();
        r.closeWhenCreditExhausted = false;
        r.moneyCredit = Currency();
        r.discountPercent = 0;
        r.tariff = nullptr;
        r.bookingDoubtDay = QDate();
        r.bookingDoubtRecords = 0;
    }
    r.clockMs = 0;
    r.cost = Currency();
    r.moneyCredit = Currency();
    r.prepaidAmount = Currency();
    r.prepaidSeconds = 0;
    r.timeCreditMinutes = 0;
    r.tariffName.clear();
    r.accountLogin.clear();
}

} // namespace

UsoTerminado StationClock::usoDe(const TPuestos& p) {
    const station::StationRecord& r = p.rec();
    UsoTerminado uso;
    uso.tariffName = r.tariffName;
    uso.station = p.number;
    uso.ticketNumber = r.ticketNumber;
    uso.cost = r.cost;
    uso.accountLogin = r.accountLogin;
    if (r.estadoAnterior == Estado::Contador) {
        uso.modo = Modo::Contador;
        uso.seconds = usedSeconds(r);
    } else {
        uso.modo = Modo::Prepago;
        uso.seconds = r.accountLogin.isEmpty() ? r.prepaidSeconds : usedSeconds(r);
    }
    return uso;
}

bool StationClock::yaRegistrado(TPuestos& p, const UsoTerminado& uso, const station::StationRecord& freed) {
    station::StationRecord& r = p.rec();
    if (!r.bookingInDoubt())
        return false;
    if (m_handler.registrado(uso, r)) {
        r = freed;
        return true;
    }
    r.bookingDoubtDay = QDate();
    r.bookingDoubtRecords = 0;
    return false;
}

bool StationClock::freeStation(TPuestos& p) {
    station::StationRecord& r = p.rec();
    const bool wasShowing = r.estadoAnterior != Estado::Libre || r.clockMs != 0 || !r.cost.isZero() ||
                            !r.accountLogin.isEmpty() || !r.tariffName.isEmpty();
    if (!r.bookingPending()) {
        clearPeriod(r);
        return wasShowing;
    }
    const UsoTerminado uso = usoDe(p);
    // The record changes only once the booking is committed: until then every
    // save writes the period as running.
    station::StationRecord freed = r;
    clearPeriod(freed);
    if (yaRegistrado(p, uso, freed))
        return true;
    QDate day;
    int records = 0;
    try {
        m_handler.registrarUso(uso, r, freed, day, records);
    } catch (const store::DatabaseError& e) {
        if (e.commitUncertain() && day.isValid()) {
            r.bookingDoubtDay = day;
            r.bookingDoubtRecords = records;
        }
        throw;
    }
    m_handler.usoRegistrado(uso, r);
    r = freed;
    return true;
}

void StationClock::liquidar(int pos) {
    if (pos < 0 || pos >= m_puestos.count() || !m_puestos.at(pos).rec().bookingPending())
        return;
    freeStation(m_puestos.at(pos));
    m_puestos.RedibujarFila(pos);
    m_puestos.RefrescarMenus();
}

bool StationClock::cerrarLote(Lote& lote) {
    try {
        lote.tx->commit();
    } catch (const store::DatabaseError& e) {
        // None of them was kept, or (an unanswered commit) all of them: each
        // end stays pending, and one in doubt is looked up before it is
        // booked again.
        if (e.commitUncertain()) {
            for (const Fin& fin : lote.fines) {
                station::StationRecord& r = m_puestos.at(fin.pos).rec();
                r.bookingDoubtDay = fin.day;
                r.bookingDoubtRecords = fin.records;
            }
        }
        m_puestos.noteError(e);
        return false;
    }
    for (const Fin& fin : lote.fines) {
        station::StationRecord& r = m_puestos.at(fin.pos).rec();
        m_endsFailed.remove(fin.uso.station);
        m_handler.usoRegistrado(fin.uso, r);
        r = fin.freed;
        m_puestos.RedibujarFila(fin.pos);
    }
    if (!lote.fines.empty())
        m_puestos.noteSave(Status::success());
    return !lote.fines.empty();
}

void StationClock::tick(qint64 nowMs, int bookingBudgetMs) {
    const QDateTime now = m_context.clock->now();
    QElapsedTimer booking;
    booking.start();
    bool booked = false;
    // After a failure of the database the others wait for the next tick:
    // each would meet the same locked or full database.
    bool bookingFailed = false;
    const Ahora ahora(now);
    const RuntimeSettings& s = m_context.settings;
    // The bands are read at most once per tick, and only when a station needs them.
    m_franjasRead = false;
    m_tarifasFranjas.reset();
    bool menus = false;
    Lote lote;
    std::vector<int> deferred;
    const auto bookEnd = [&](int pos) {
        if (bookingFailed || (booked && bookingBudgetMs >= 0 && booking.elapsed() >= bookingBudgetMs))
            return;
        booked = true;
        TPuestos& p = m_puestos.at(pos);
        station::StationRecord& r = p.rec();
        const UsoTerminado uso = usoDe(p);
        station::StationRecord freed = r;
        clearPeriod(freed);
        // A database that refuses the booking is not a pricing fault: the end
        // stays pending, saved as running and costing nothing more, and the
        // next ticks book it once the database answers.
        try {
            if (yaRegistrado(p, uso, freed)) {
                m_puestos.RedibujarFila(pos);
                menus = true;
                return;
            }
            // The tick's ends share one commit; each is a part of it that
            // fails alone.
            if (!lote.tx)
                lote.tx.emplace(m_context.data->db());
            Fin fin{pos, uso, std::move(freed), {}, 0};
            m_handler.registrarUso(fin.uso, r, fin.freed, fin.day, fin.records);
            lote.fines.push_back(std::move(fin));
        } catch (const store::DatabaseError& e) {
            // A station another console owns now fails alone. The first
            // failure may be the whole database's (locked, full, gone): the
            // others wait for the next tick. Once one end was written the
            // database takes writes, and a failure is that end's own.
            if (!e.notOwner()) {
                bookingFailed = lote.fines.empty() || e.connectionLost();
                m_endsFailed.insert(p.number);
            }
            m_puestos.noteError(e);
        }
    };

    const int count = m_puestos.count();
    for (int pos = 0; pos < count; ++pos) {
        TPuestos& p = m_puestos.at(pos);
        station::StationRecord& r = p.rec();

        if (r.estado == Estado::Admin)
            m_puestos.RedibujarFila(pos);

        if (!r.messageReceived.isEmpty()) {
            m_handler.messageRow({p.number, m_context.regional.formatTime(now.time()),
                                  QStringLiteral("[Received]: ") + r.messageReceived});
            r.messageReceived.clear();
        }

        if (r.tariffCheckPending) {
            const Ttarifas* t = m_tarifas.find(r.tariffName);
            r.tariffIsFixed = t && t->isFixed();
            r.tariffCheckPending = false;
            r.lastTickMs = nowMs;
        }

        if (r.estado == Estado::Libre) {
            if (r.bookingPending()) {
                // An end that failed before goes last: it never holds up the others.
                if (m_endsFailed.contains(p.number))
                    deferred.push_back(pos);
                else
                    bookEnd(pos);
                continue;
            }
            if (freeStation(p)) {
                m_puestos.RedibujarFila(pos);
                menus = true;
            }
            continue;
        }

        if (r.estado == Estado::Contador && r.estadoAnterior == Estado::Libre) {
            r.clockMs = 0;
            r.estadoAnterior = Estado::Contador;
            r.lastTickMs = nowMs;
            m_puestos.RedibujarFila(pos);
            menus = true;
        }
        if (r.estado == Estado::Prepago && r.estadoAnterior == Estado::Libre) {
            r.clockMs = qint64(r.prepaidSeconds) * 1000;
            r.cost = r.prepaidAmount;
            r.estadoAnterior = Estado::Prepago;
            r.lastTickMs = nowMs;
            m_puestos.RedibujarFila(pos);
            menus = true;
        }

        if (r.estado == Estado::Contador && r.estadoAnterior == Estado::Contador) {
            r.clockMs += nowMs - r.lastTickMs;
            r.lastTickMs = nowMs;
            emit timeShown(pos);
            if (!r.accountLogin.isEmpty()) {
                if (r.isTimeAccount()) {
                    r.cost = Currency();
                } else {
                    const Currency price = priceCounter(p, ahora);
                    const Currency left = r.moneyCredit - price;
                    r.alarm = r.closeWhenCreditExhausted && s.creditAlarm > left;
                    const bool exhausted = r.closeWhenCreditExhausted &&
                                           (r.tariffIsFixed ? left <= Currency() : left < Currency());
                    if (!exhausted) {
                        r.cost = price;
                    } else {
                        if (r.tariffIsFixed)
                            r.cost = r.moneyCredit;
                        if (!r.closed) {
                            // Booked, with the account's settlement, at the next tick.
                            r.closed = true;
                            r.estado = Estado::Libre;
                            r.pendiente = station::Pendiente::Poll;
                            menus = true;
                        }
                    }
                }
            } else {
                r.cost = priceCounter(p, ahora);
            }
        } else if (r.estado == Estado::Prepago && r.estadoAnterior == Estado::Prepago) {
            if (r.clockMs > 0) {
                r.alarm = r.clockMs < qint64(s.prepaidAlarmSeconds) * 1000;
                r.cost = r.prepaidAmount;
                r.clockMs -= nowMs - r.lastTickMs;
                r.lastTickMs = nowMs;
                emit timeShown(pos);
            } else if (!r.closed) {
                r.closed = true;
                r.clockMs = 0;
                r.estado = Estado::Libre;
                r.pendiente = station::Pendiente::Poll;
                menus = true;
            }
        }
    }
    for (int pos : deferred)
        bookEnd(pos);
    if (lote.tx && cerrarLote(lote))
        menus = true;
    // One refresh per tick is enough for the selected station.
    if (menus)
        m_puestos.RefrescarMenus();
}

} // namespace session
