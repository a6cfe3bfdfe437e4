#pragma once

#include "core/currency.h"
#include "store/rows.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

#include <vector>

class QRandomGenerator;

namespace accounts {

// n random digits (4, 6 or 8) as logins, passwords and time codes use them:
// 4 is one draw below 1000; 6 a draw below 100 and one below 1000, written
// second then first; 8 a draw below 1000 and two below 100, in drawing order.
// Zeros in front fill to n, so the first character is always "0"; any other
// n gives n zeros.
QString digitosAleatorios(int n, QRandomGenerator& random);

// The counter's next value followed by n random digits, the counter saved
// at once (a number is used up even when the account or sale is not made);
// empty when that would not fit a login, in which case the counter is left
// alone.
QString loginDelContador(const QSqlDatabase& db, int digits, QRandomGenerator& random);

// What the new-account window starts with.
struct CuentaPropuesta {
    QString login;
    QString password;
    bool intropass = false;
    bool passwordEditable = true;
    // Set when the generated login would not fit: nothing was changed.
    QString messageKey;
};

// Proposes the login (op2_1: the next contador followed by cmb_1_val random
// digits, the counter saved at once) and the password (op2_2).
CuentaPropuesta proponerCuenta(const QSqlDatabase& db, QRandomGenerator& random);

// One line of initial credit of a new account.
struct LineaCredito {
    QString codigo;
    QString descripcion;
    double cantidad = 0;
    Currency precio;
    // Voucher lines: tiempo_bono x quantity.
    int minutos = 0;
};

// The money the lines add up to: quantity x price each.
Currency totalDinero(const std::vector<LineaCredito>& lineas);
// The time credit voucher lines give, in seconds: their running total, which
// never goes below 0 (a negative line corrects the ones before it).
int segundosIniciales(const std::vector<LineaCredito>& lineas);
// True when the lines' minutes pass the 500 hours an account may hold.
bool superaBono(const std::vector<LineaCredito>& lineas);

struct AltaResultado {
    QString messageKey;
    // The sale's ticket number and id; empty and 0 when nothing was sold.
    QString ticket;
    int idTick = 0;
    bool ok() const { return messageKey.isEmpty(); }
};

// Checks a new account in the window's order (comprobarCuenta) and stores it with its
// initial credit sold on one ticket, with running-total movements. All or
// nothing.
AltaResultado guardarCuentaNueva(const QSqlDatabase& db, store::Cuenta cuenta, const QString& passwordRepeat,
                                 const std::vector<LineaCredito>& dinero,
                                 const std::vector<LineaCredito>& bonos, const QString& operatorName,
                                 int ivaGen, const QDateTime& now);

} // namespace accounts
