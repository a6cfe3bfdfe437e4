#pragma once

#include "station/linkdecisions.h"
#include "station/messagerow.h"
#include "station/stationrecord.h"
#include "ui/messagetable.h"

#include <QSqlDatabase>

#include <functional>

struct ConsoleContext;
class ListaTarifas;
namespace station {
class LoginsInUse;
}

namespace accounts {

// Log-in codes a station receives.
namespace codigo {
constexpr int Aceptado = 0;
constexpr int ClaveErronea = 1;
constexpr int NoExiste = 2;
constexpr int Desactivada = 3;
constexpr int SinCredito = 4;
constexpr int EnUso = 5;
constexpr int SinTarifa = 7;
constexpr int Caducada = 13;
constexpr int NuevaClave = 21;
} // namespace codigo

// The longest login or password the accounts table keeps.
constexpr int MaxLoginLength = 10;

// What the station link and the clock ask of the accounts: the log-in at a
// station, the password a station sets, and the settlement of an account
// when its use period ends. Reads the database through the context, the
// tariff cache and the logins in use; never touches the station registry.
class AccountDecisions final : public station::LinkDecisions {
public:
    using MessageSink = std::function<void(const station::MessageQueueRow&)>;
    // True when an editing window shows the account (timeCode: the time-code window).
    using EditingCheck = std::function<bool(const QString& login, bool timeCode)>;

    AccountDecisions(ConsoleContext& context, const ListaTarifas& tarifas, const station::LoginsInUse& logins,
                     MessageSink notices);

    void setEditingCheck(EditingCheck check) { m_editing = std::move(check); }

    int CheckStationLogin(TPuestos& puesto, const QString& request) override;
    // Also refuses ("0") a password longer than the table keeps: cutting it
    // would lock the customer out with a password he never typed.
    QString ChangeStationPassword(const QString& login, const QString& newPassword) override;
    // seconds: the time the period used, for every kind of account; the
    // account is debited relatively, so a top-up booked meanwhile is kept.
    // Movements, credit, time credit, last use and the ticket charge in one
    // nested transaction on the context's connection; throws
    // store::DatabaseError on any failure and commits nothing of its own when
    // a caller's transaction is open.
    void CerrarCuenta(const QString& login, int stationNumber, const QString& accountType,
                      const QString& ticketNumber, int seconds, Currency cost) override;

    // The log-in decision on a record (what CheckStationLogin does to its
    // station's record). Failed log-ins count against the login and the
    // station (number stationNumber); a locked one is answered as a wrong
    // password without looking at the password, so a station needs no new
    // code, and the start of a lock is one line of the message queue.
    int checkLogin(station::StationRecord& rec, const QString& request, int stationNumber = 0);

    static const ui::MessageTable& messages();

private:
    // Counts a refused log-in against the station and, for a wrong password,
    // against the account's login; tells the operator of a lock it starts.
    void contarFallo(const QSqlDatabase& db, int stationNumber, const QString& login, qint64 nowMs);
    ConsoleContext& m_ctx;
    const ListaTarifas& m_tarifas;
    const station::LoginsInUse& m_logins;
    MessageSink m_notices;
    EditingCheck m_editing;
};

} // namespace accounts
