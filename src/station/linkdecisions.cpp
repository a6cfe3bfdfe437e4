#include "station/linkdecisions.h"

namespace station {

int DefaultLinkDecisions::CheckStationLogin(TPuestos&, const QString&) {
    return 2;
}

QString DefaultLinkDecisions::ChangeStationPassword(const QString&, const QString&) {
    return QStringLiteral("0");
}

void DefaultLinkDecisions::CerrarCuenta(const QString&, int, const QString&, const QString&, int, Currency) {}

} // namespace station
