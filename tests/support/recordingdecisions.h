#pragma once

#include "station/linkdecisions.h"

#include <QList>
#include <QString>

#include <functional>

// Link decisions for tests: answers what the test sets and records every call.
class RecordingDecisions : public station::LinkDecisions {
public:
    struct LoginCall {
        int station = 0;
        QString request;
    };
    struct PasswordCall {
        QString login;
        QString newPassword;
    };
    struct CloseCall {
        QString login;
        int station = 0;
        QString accountType;
        QString ticketNumber;
        int seconds = 0;
        Currency cost;
    };

    // The code CheckStationLogin answers, and what it does to the station
    // before answering (an accepted log-in fills the record).
    int loginResult = 2;
    std::function<void(TPuestos&)> onLogin;
    QString passwordResult = QStringLiteral("0");
    // Runs before the password change answers (a test may throw from it).
    std::function<void()> onPassword;

    QList<LoginCall> logins;
    QList<PasswordCall> passwordChanges;
    QList<CloseCall> closes;

    int CheckStationLogin(TPuestos& puesto, const QString& request) override;
    QString ChangeStationPassword(const QString& login, const QString& newPassword) override;
    void CerrarCuenta(const QString& login, int stationNumber, const QString& accountType,
                      const QString& ticketNumber, int seconds, Currency cost) override;
};
