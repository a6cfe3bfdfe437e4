#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace accounts {

// Which rows of cuentas a bulk change reaches: the accounts or the time codes.
enum class Ambito { Cuentas, Codigos };

// Where a bulk change applies: every row of its kind, or the chosen logins.
struct Destino {
    bool todas = false;
    QStringList logins;
};

// Escritorio of every row of the kind in one statement, or of each chosen
// login; all in one transaction. Stations already logged in keep the desktop
// they were given. Throws store::DatabaseError.
void aplicarEscritorio(const QSqlDatabase& db, Ambito ambito, int escritorio, const Destino& destino);

// The pricing of accounts: the current account first, then every account in
// one statement or each chosen one, all in one transaction. Tipo "0" takes
// the tariff; "1" and "2" are written with an empty tariff. Answers the key
// of the message to show ("SeleccionarTarifa") or an empty text when done.
// Throws store::DatabaseError.
QString aplicarTarifa(const QSqlDatabase& db, const QString& actual, const QString& tipo,
                      const QString& tarifa, const Destino& destino);

} // namespace accounts
