#pragma once

#include "core/creditsync.h"
#include "store/rows.h"

#include <QSqlDatabase>
#include <QString>

#include <vector>

class ListaTarifas;

namespace accounts {

// One entry of the account window's pricing-mode list.
struct ModoTarifa {
    QString texto;
    QString tipo;
    QString tarifa;
};

// Time credit, then time bands, then one entry per cached tariff in cache
// order.
std::vector<ModoTarifa> modosTarifa(const ListaTarifas& tarifas);
// The entry an account's Tipo and Tarifa select; -1 when none does (a
// tariff that no longer exists).
int indiceModo(const std::vector<ModoTarifa>& modos, const QString& tipo, const QString& tarifa);

// The account window's checks in their order; the first failing one
// answers its message key (empty: all pass). checkDuplicate runs the check
// of a login used by any row, time codes included, letter case aside.
// noTarifa1 stands for the four-part warning of time bands without tariffs.
QString comprobarCuenta(const QSqlDatabase& db, const store::Cuenta& cuenta, const QString& passwordRepeat,
                        bool checkDuplicate);

struct ModResultado {
    QString messageKey;
    // The row as saved, with the credit the database holds now.
    store::Cuenta cuenta;
    bool ok() const { return messageKey.isEmpty(); }
};

// Saves the account window's fields onto the row of originalLogin; the
// money and time credit are not the window's to write (the movement windows
// and the stations change them meanwhile). The duplicate check runs only
// when the login was changed. One transaction; with a sync, the station where
// the account is logged in follows its discount and closing flag in it.
ModResultado guardarCuentaModificada(const QSqlDatabase& db, const QString& originalLogin,
                                     store::Cuenta cuenta, const QString& passwordRepeat,
                                     CreditSync* sync = nullptr);

} // namespace accounts
