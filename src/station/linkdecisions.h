#pragma once

#include "core/currency.h"

#include <QString>

class TPuestos;

namespace station {

// What a station's reply needs decided by the rest of the console. The link
// calls these on the main thread while it handles the reply; the registry
// itself repaints the row, refreshes the menus and keeps the logins in use.
class LinkDecisions {
public:
    virtual ~LinkDecisions() = default;

    // A "CLI" reply: request is login TAB password, as the station typed it.
    // Answers the log-in result code (0 accepts) and, on acceptance, fills
    // the station's record with the account.
    virtual int CheckStationLogin(TPuestos& puesto, const QString& request) = 0;

    // A "SETPASS" reply: "0" refused, "1" changed.
    virtual QString ChangeStationPassword(const QString& login, const QString& newPassword) = 0;

    // An account's use period ended (F2, expiry, credit, "CLINO"): settle it.
    // seconds is the time the period used (for time accounts too: the account
    // loses what its clock counted, whatever it holds now).
    // Called by the clock's booking inside its transaction, on the console's
    // connection; throws store::DatabaseError so the whole booking rolls back.
    virtual void CerrarCuenta(const QString& login, int stationNumber, const QString& accountType,
                              const QString& ticketNumber, int seconds, Currency cost) = 0;
};

// Until the accounts are wired in: every log-in is refused as unknown
// (code 2), every password change is refused, and a station's log-out
// changes nothing beyond what the link itself does.
class DefaultLinkDecisions final : public LinkDecisions {
public:
    int CheckStationLogin(TPuestos& puesto, const QString& request) override;
    QString ChangeStationPassword(const QString& login, const QString& newPassword) override;
    void CerrarCuenta(const QString& login, int stationNumber, const QString& accountType,
                      const QString& ticketNumber, int seconds, Currency cost) override;
};

} // namespace station
