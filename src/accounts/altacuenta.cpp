#include "accounts/altacuenta.h"

#include "accounts/accountdecisions.h"
#include "accounts/modcuenta.h"
#include "accounts/movimientos.h"
#include "core/formatohora.h"
#include "sales/tickets.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "store/transaction.h"

#include <QRandomGenerator>

#include <algorithm>
#include <limits>

namespace accounts {

QString digitosAleatorios(int n, QRandomGenerator& random) {
    QString text;
    if (n == 4) {
        text = QString::number(random.bounded(1000));
    } else if (n == 6) {
        const quint32 first = random.bounded(100);
        const quint32 second = random.bounded(1000);
        text = QString::number(second) + QString::number(first);
    } else if (n == 8) {
        text = QString::number(random.bounded(1000));
        text += QString::number(random.bounded(100));
        text += QString::number(random.bounded(100));
    } else {
        return QString(qMax(0, n), QLatin1Char('0'));
    }
    // The draws never give more than n - 1 characters.
    return text.rightJustified(n, QLatin1Char('0'));
}

QString loginDelContador(const QSqlDatabase& db, int digits, QRandomGenerator& random) {
    store::Transaction tx(db);
    // Advanced and read in one statement, under the options row's lock: two
    // consoles sharing the database never propose the same number.
    QSqlQuery q = store::run(
        db, QStringLiteral("UPDATE opciones SET contador = COALESCE(contador, 0) + 1 RETURNING contador"));
    const int next = q.next() ? store::toInt(q.value(0)) : 1;
    q.finish();
    const QString login = QString::number(next) + digitosAleatorios(digits, random);
    if (login.size() > MaxLoginLength)
        return {};
    tx.commit();
    return login;
}

CuentaPropuesta proponerCuenta(const QSqlDatabase& db, QRandomGenerator& random) {
    const store::Opciones o = store::readOpciones(db);
    CuentaPropuesta p;
    if (o.op2_1) {
        p.login = loginDelContador(db, o.cmb_1_val, random);
        if (p.login.isEmpty())
            p.messageKey = QStringLiteral("LoginLargo");
    }
    switch (o.op2_2) {
    case 0:
        p.intropass = true;
        p.passwordEditable = false;
        break;
    case 1:
        p.password = digitosAleatorios(8, random).mid(3, 4);
        break;
    case 2:
        p.password = o.pass_ini.trimmed();
        break;
    default:
        break;
    }
    return p;
}

Currency totalDinero(const std::vector<LineaCredito>& lineas) {
    Currency total;
    for (const LineaCredito& l : lineas)
        total += importeLinea(l.cantidad, l.precio);
    return total;
}

int segundosIniciales(const std::vector<LineaCredito>& lineas) {
    qint64 running = 0;
    for (const LineaCredito& l : lineas)
        running = qMax<qint64>(0, running + qint64(l.minutos) * 60);
    return int(qMin<qint64>(running, std::numeric_limits<int>::max()));
}

bool superaBono(const std::vector<LineaCredito>& lineas) {
    qint64 seconds = 0;
    for (const LineaCredito& l : lineas)
        seconds += qint64(l.minutos) * 60;
    return seconds > MaxBonoSeconds;
}

AltaResultado guardarCuentaNueva(const QSqlDatabase& db, store::Cuenta cuenta, const QString& passwordRepeat,
                                 const std::vector<LineaCredito>& dinero,
                                 const std::vector<LineaCredito>& bonos, const QString& operatorName,
                                 int ivaGen, const QDateTime& now) {
    cuenta.Login = cuenta.Login.trimmed().toUpper();
    AltaResultado result;
    result.messageKey = comprobarCuenta(db, cuenta, passwordRepeat, true);
    if (!result.ok())
        return result;
    if (cuenta.email.isEmpty())
        cuenta.email = QStringLiteral("     ");

    const Currency money = totalDinero(dinero);
    cuenta.credito = money;
    cuenta.Bonotiempo = segundosIniciales(bonos);

    store::Transaction tx(db);
    store::insert(db, cuenta);
    const auto sold = [](const LineaCredito& l) { return l.cantidad != 0; };
    if (std::any_of(dinero.begin(), dinero.end(), sold) || std::any_of(bonos.begin(), bonos.end(), sold)) {
        Currency total = money;
        for (const LineaCredito& l : bonos)
            total += importeLinea(l.cantidad, l.precio);
        store::Ticket t;
        t.IMPORTE = total;
        t.OPERADOR = operatorName;
        t = sales::NuevoNumeroTicket(db, t, now);
        result.ticket = t.NUM_TICKET;
        result.idTick = t.ID_TICK;
        const QDateTime at(t.FECHA, t.HORA);
        const auto line = [&](const LineaCredito& l, bool bono) {
            store::LinTick lt;
            lt.ID_TICK = t.ID_TICK;
            lt.ARTICULO = l.descripcion;
            lt.CANT = l.cantidad;
            lt.PRECIO = l.precio;
            lt.IMPORTE = importeLinea(l.cantidad, l.precio);
            lt.BONO = bono;
            lt.IdTax = ivaGen;
            sales::addLine(db, lt);
        };
        Currency running;
        for (const LineaCredito& l : dinero) {
            if (!sold(l))
                continue;
            line(l, false);
            store::MovCuenta m = movimiento(cuenta.Login, at);
            m.TICKET = t.NUM_TICKET;
            m.CONCEPTO = l.descripcion;
            m.SALDO_ANT = running;
            m.SALDO_MOV = importeLinea(l.cantidad, l.precio);
            running += m.SALDO_MOV;
            m.SALDO_FIN = running;
            store::insert(db, m);
        }
        int runningSeconds = 0;
        for (const LineaCredito& l : bonos) {
            if (!sold(l))
                continue;
            line(l, true);
            store::MovCuenta m = movimiento(cuenta.Login, at);
            m.TICKET = t.NUM_TICKET;
            m.CONCEPTO = l.descripcion;
            m.saldoti_ant_bono = runningSeconds;
            const int added = l.minutos * 60;
            m.SALDOTI_MOV =
                l.cantidad > 0 ? FormatoHora(added) : QStringLiteral(" - ") + FormatoHora(qAbs(added));
            runningSeconds = qMax(0, runningSeconds + added);
            m.saldoti_fin_bono = runningSeconds;
            store::insert(db, m);
        }
    }
    tx.commit();
    return result;
}

} // namespace accounts
