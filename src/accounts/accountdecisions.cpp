#include "accounts/accountdecisions.h"

#include "accounts/cuentas.h"
#include "accounts/movimientos.h"
#include "core/consolecontext.h"
#include "core/formatohora.h"
#include "sales/tickets.h"
#include "session/franjas.h"
#include "session/tarifas.h"
#include "station/listapuestos.h"
#include "station/loginsinuse.h"
#include "station/wireformat.h"
#include "store/bloqueos.h"
#include "store/consolas.h"
#include "store/datamodule.h"
#include "store/opciones.h"
#include "store/rows.h"
#include "store/sql.h"
#include "store/transaction.h"
#include "store/views.h"

namespace accounts {

namespace {

bool isTimeType(const QString& tipo) {
    return tipo == QLatin1String("2") || tipo == QLatin1String("9");
}

// Strictly earlier than today less the days; an account without the date
// never runs out by it.
bool expiredBy(const QDate& date, const QDate& today, int days) {
    return date.isValid() && date < today.addDays(-days);
}

bool expired(const store::Cuenta& c, const store::Opciones& o, const QDate& today) {
    const bool code = c.Tipo == QLatin1String("9");
    const int basis = code ? o.cad_cod : o.cad_cue;
    const int days = code ? o.dias_cad_cod : o.dias_cad_cue;
    if (basis == 0)
        return expiredBy(c.Alta, today, days);
    if (basis == 1)
        return expiredBy(c.Ultima, today, days);
    return false;
}

} // namespace

const ui::MessageTable& AccountDecisions::messages() {
    static const ui::MessageTable table{
        {"CuentaBloqueada",
         QStringLiteral("La cuenta %1 queda bloqueada %2 min tras %3 contraseñas erróneas."),
         QStringLiteral("Account %1 is locked for %2 min after %3 wrong passwords.")},
        {"PuestoBloqueado",
         QStringLiteral("El puesto %1 no admite accesos durante %2 min tras %3 intentos fallidos."),
         QStringLiteral("Station %1 refuses log-ins for %2 min after %3 failed attempts.")},
    };
    return table;
}

AccountDecisions::AccountDecisions(ConsoleContext& context, const ListaTarifas& tarifas,
                                   const station::LoginsInUse& logins, MessageSink notices)
    : m_ctx(context)
    , m_tarifas(tarifas)
    , m_logins(logins)
    , m_notices(std::move(notices)) {}

int AccountDecisions::CheckStationLogin(TPuestos& puesto, const QString& request) {
    return checkLogin(puesto.rec(), request, puesto.number);
}

void AccountDecisions::contarFallo(const QSqlDatabase& db, int stationNumber, const QString& login,
                                   qint64 nowMs) {
    const store::LimitesBloqueo limites = store::limitesBloqueo(store::readOpciones(db));
    const QDateTime now = m_ctx.clock->now();
    const auto tell = [&](const QString& key, const QString& who, int minutes, int attempts) {
        if (m_notices)
            m_notices(station::MessageQueueRow{
                stationNumber, m_ctx.regional.formatTime(now.time()),
                QStringLiteral("[System]: ") +
                    messages().text(key).arg(who, QString::number(minutes), QString::number(attempts))});
    };
    if (!login.isEmpty()) {
        const store::FalloRegistrado f =
            store::registrarFallo(db, store::TipoBloqueo::Login, login, limites, nowMs, now);
        if (f.bloqueo)
            tell(QStringLiteral("CuentaBloqueada"), login, limites.minutos, f.bloqueo->intentos);
    }
    const QString station = QString::number(stationNumber);
    const store::FalloRegistrado f =
        store::registrarFallo(db, store::TipoBloqueo::Puesto, station, limites, nowMs, now);
    if (f.bloqueo)
        tell(QStringLiteral("PuestoBloqueado"), station, limites.minutosPuesto, f.bloqueo->intentos);
}

int AccountDecisions::checkLogin(station::StationRecord& rec, const QString& request, int stationNumber) {
    const QString login = station::loginFromRequest(request);
    const QString password = station::passwordFromRequest(request);
    const QSqlDatabase db = m_ctx.data->db();

    // A station that keeps failing, or a login under attack, is refused as
    // a wrong password before its password is looked at (a first password
    // to choose too): guessing learns nothing while the lock lasts.
    const qint64 nowMs = store::serverNowMs(db);
    if (store::algunoBloqueado(
            db,
            {store::claveBloqueo(store::TipoBloqueo::Puesto, QString::number(stationNumber)),
             store::claveBloqueo(store::TipoBloqueo::Login, login)},
            nowMs))
        return codigo::ClaveErronea;

    // 1. Exactly one row, of any type.
    if (login.isEmpty()) {
        contarFallo(db, stationNumber, QString(), nowMs);
        return codigo::NoExiste;
    }
    const std::vector<store::Cuenta> rows = cuentasPorLogin(db, login);
    if (rows.size() != 1) {
        contarFallo(db, stationNumber, QString(), nowMs);
        return codigo::NoExiste;
    }
    const store::Cuenta& c = rows.front();

    // 2. The password, exactly; deactivation and expiry wait for the new one.
    if (c.Pass != password) {
        if (c.Intropass) {
            rec.firstPasswordLogin = c.Login;
            return codigo::NuevaClave;
        }
        contarFallo(db, stationNumber, c.Login, nowMs);
        return codigo::ClaveErronea;
    }
    if (c.Desactivada)
        return codigo::Desactivada;
    const store::Opciones opciones = store::cachedOpciones(db);
    const QDateTime now = m_ctx.clock->now();
    if (expired(c, opciones, now.date()))
        return codigo::Caducada;
    if (c.Intropass) {
        rec.firstPasswordLogin = c.Login;
        return codigo::NuevaClave;
    }

    // 6. Tariff and credit.
    const Currency credit = c.credito.roundedToDecimals(m_ctx.regional.currencyDecimals());
    const auto creditFloor = [&](const Ttarifas& t) -> bool {
        rec.tariffIsFixed = t.isFixed();
        if (!c.Bloquear)
            return true;
        if (t.isFixed())
            return credit > t.minimumCost;
        // A variable tariff without intervals prices nothing; the account
        // must still hold some money to start.
        if (t.intervals.empty())
            return credit > Currency();
        return credit >= t.intervals.front().price;
    };
    if (c.Tipo == QLatin1String("0")) {
        rec.tariffName = c.Tarifa;
        const Ttarifas* t = m_tarifas.find(rec.tariffName);
        if (!t) {
            rec.tariffName.clear();
            return codigo::SinTarifa;
        }
        if (!creditFloor(*t))
            return codigo::SinCredito;
    } else if (c.Tipo == QLatin1String("1")) {
        const session::FranjasSnapshot franjas = session::FranjasSnapshot::load(db);
        if (franjas.empty())
            return codigo::SinTarifa;
        const int band = session::franjaDeLogin(franjas, now.time().msecsSinceStartOfDay() / 1000);
        if (band >= 0)
            rec.tariffName = franjas.bands()[size_t(band)].tarifa;
        const Ttarifas* t = m_tarifas.find(rec.tariffName);
        if (!t) {
            rec.tariffName.clear();
            return codigo::SinTarifa;
        }
        if (!creditFloor(*t))
            return codigo::SinCredito;
        if (m_ctx.settings.cambiotarifa == 0)
            rec.tariffName = QStringLiteral("FRANJAS");
    } else if (isTimeType(c.Tipo)) {
        if (c.Bonotiempo <= 0)
            return codigo::SinCredito;
        rec.tariffName = QStringLiteral("BONO TIEMPO");
    }

    // 7. One station per login.
    if (m_logins.contains(login))
        return codigo::EnUso;

    // 8. Accepted, under the account's own login: "ana" typed for "ANA" is
    // the one customer "ANA" in every movement, record and statistic.
    rec.accountLogin = c.Login;
    rec.password = password;
    rec.closeWhenCreditExhausted = c.Bloquear;
    if (isTimeType(c.Tipo)) {
        rec.prepaidSeconds = c.Bonotiempo;
        rec.timeCreditMinutes = c.Bonotiempo / 60;
        rec.prepaidAmount = Currency();
    } else {
        rec.moneyCredit = credit;
    }
    rec.discountPercent = c.Descuento;
    rec.accountType = c.Tipo;
    rec.desktopType = c.Escritorio;
    rec.noPasswordChange = c.Nomodpass ? 1 : 0;
    rec.firstPasswordFlag = false;
    rec.pendingPasswordChange = false;
    if (!c.Aviso.isEmpty())
        rec.pendingNotice += c.Aviso + QChar(0x02);
    return codigo::Aceptado;
}

QString AccountDecisions::ChangeStationPassword(const QString& login, const QString& newPassword) {
    const QString refused = QStringLiteral("0");
    if (login.isEmpty() || newPassword.size() > MaxLoginLength)
        return refused;
    const QSqlDatabase db = m_ctx.data->db();
    const std::vector<store::Cuenta> rows = cuentasPorLogin(db, login);
    if (rows.size() != 1)
        return refused;
    const store::Cuenta& c = rows.front();
    if (c.Nomodpass)
        return refused;
    if (m_editing && m_editing(c.Login, c.Tipo == QLatin1String("9")))
        return refused;
    store::run(db, QStringLiteral("UPDATE cuentas SET Pass = ?, Intropass = 0 WHERE Login = ?"),
               {QVariant(newPassword), QVariant(c.Login)});
    return QStringLiteral("1");
}

void AccountDecisions::CerrarCuenta(const QString& login, int stationNumber, const QString& accountType,
                                    const QString& ticketNumber, int seconds, Currency cost) {
    const QSqlDatabase db = m_ctx.data->db();
    store::Transaction tx(db);
    // Locked until the booking commits: a top-up at another console waits,
    // so the balances the movements show are the ones the account had.
    const std::optional<store::Cuenta> found = cuentaParaCambiar(db, login);
    if (!found)
        return;
    const store::Cuenta& c = *found;
    // Booked under the account's own login, however the station holds it.
    const QString& cuenta = c.Login;
    const store::Opciones opciones = store::cachedOpciones(db);
    const QDateTime now = m_ctx.clock->now();

    std::optional<station::MessageQueueRow> notice;
    if (opciones.tick_aviso && !ticketNumber.isEmpty())
        notice = station::MessageQueueRow{stationNumber, m_ctx.regional.formatTime(now.time()),
                                          QStringLiteral("[System]: ") + cuenta +
                                              QStringLiteral(" ha finalizado con ticket: ") + ticketNumber};

    Currency credit = c.credito;
    Currency charged;
    const QString place = QStringLiteral("PUESTO ") + QString::number(stationNumber) + QStringLiteral("  ");

    if (!ticketNumber.isEmpty() && accountType != QLatin1String("9") && opciones.tick_cargo) {
        if (const std::optional<store::Ticket> t = sales::findTicket(db, ticketNumber)) {
            charged = t->IMPORTE;
            store::MovCuenta m = movimiento(cuenta, now);
            m.SALDO_ANT = credit;
            m.SALDO_MOV = -charged;
            m.CONCEPTO = QStringLiteral("TICKET: ") + ticketNumber;
            m.SALDO_FIN = credit - charged;
            store::insert(db, m);
            credit -= charged;

            store::LinTick line;
            line.ID_TICK = t->ID_TICK;
            line.ARTICULO = QStringLiteral("A CUENTA: ") + cuenta;
            line.CANT = 1;
            line.IdTax = opciones.iva_gen;
            line.PRECIO = -charged;
            line.IMPORTE = -charged;
            sales::addLine(db, line);
            store::run(db,
                       QStringLiteral("UPDATE ticket SET IMPORTE = 0, OBSERVACIONES = ? WHERE ID_TICK = ?"),
                       {QVariant(QStringLiteral("A CUENTA: ") + cuenta), QVariant(t->ID_TICK)});
        }
    }

    const QVariant today = store::sqlValue(now.date());
    if (!isTimeType(accountType)) {
        store::MovCuenta m = movimiento(cuenta, now);
        m.SALDO_ANT = credit;
        m.SALDO_MOV = -cost;
        m.CONCEPTO = place + FormatoHora(seconds);
        m.SALDO_FIN = credit - cost;
        store::insert(db, m);
        // From the stored credit, so a top-up booked meanwhile is kept.
        store::run(db,
                   QStringLiteral("UPDATE cuentas SET credito = COALESCE(credito, 0) - ?, Ultima = ? "
                                  "WHERE Login = ?"),
                   {store::sqlValue(cost + charged), today, QVariant(cuenta)});
    } else {
        // The account loses the time the period used, never "stored credit
        // less the station's time left": a voucher sold during the period (or
        // restored after a crash) stays the customer's.
        const int used = qMax(0, seconds);
        const int left = qMax(0, c.Bonotiempo - used);
        store::MovCuenta m = movimiento(cuenta, now);
        m.saldoti_ant_bono = c.Bonotiempo;
        m.SALDOTI_MOV = QLatin1Char('-') + FormatoHora(used);
        m.CONCEPTO = place + FormatoHora(used);
        m.saldoti_fin_bono = left;
        store::insert(db, m);
        const QString debit = QStringLiteral(
            "Bonotiempo = CASE WHEN COALESCE(Bonotiempo, 0) > ? THEN Bonotiempo - ? ELSE 0 END");
        if (accountType == QLatin1String("9"))
            store::run(db,
                       QStringLiteral("UPDATE cuentas SET ") + debit +
                           QStringLiteral(", Ultima = ? WHERE Login = ? AND ") + store::codigosFilter(),
                       {QVariant(used), QVariant(used), today, QVariant(cuenta)});
        else
            store::run(
                db,
                QStringLiteral("UPDATE cuentas SET ") + debit +
                    QStringLiteral(", credito = COALESCE(credito, 0) - ?, Ultima = ? WHERE Login = ? AND ") +
                    store::cuentasFilter(),
                {QVariant(used), QVariant(used), store::sqlValue(charged), today, QVariant(cuenta)});
    }
    tx.commit();
    if (notice && m_notices)
        m_notices(*notice);
}

} // namespace accounts
