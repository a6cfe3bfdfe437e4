#include "support/recordingdecisions.h"

#include "station/listapuestos.h"

int RecordingDecisions::CheckStationLogin(TPuestos& puesto, const QString& request) {
    logins.append({puesto.number, request});
    if (onLogin)
        onLogin(puesto);
    return loginResult;
}

QString RecordingDecisions::ChangeStationPassword(const QString& login, const QString& newPassword) {
    passwordChanges.append({login, newPassword});
    if (onPassword)
        onPassword();
    return passwordResult;
}

void RecordingDecisions::CerrarCuenta(const QString& login, int stationNumber, const QString& accountType,
                                      const QString& ticketNumber, int seconds, Currency cost) {
    closes.append({login, stationNumber, accountType, ticketNumber, seconds, cost});
}
