#include "station/stationrecord.h"

#include <utility>

namespace station {

qint64 roundedSeconds(qint64 ms) {
    return roundHalfEvenToInt(static_cast<long double>(ms) / 1000.0L);
}

qint64 usedSeconds(const StationRecord& rec) {
    const qint64 clock = roundedSeconds(rec.clockMs);
    return rec.prepaidSeconds == 0 ? clock : rec.prepaidSeconds - clock;
}

void aceptarLogin(StationRecord& rec, const QString& login) {
    rec.accountLogin = login;
    if (rec.isTimeAccount()) {
        rec.estado = Estado::Prepago;
        rec.clockMs = qint64(rec.prepaidSeconds) * 1000;
        rec.cost = rec.prepaidAmount;
    } else {
        rec.estado = Estado::Contador;
        rec.clockMs = 0;
    }
}

void swapUsePeriod(StationRecord& a, StationRecord& b) {
    using std::swap;
    swap(a.pendiente, b.pendiente);
    swap(a.shutdownKind, b.shutdownKind);
    swap(a.estado, b.estado);
    swap(a.estadoAnterior, b.estadoAnterior);
    swap(a.clockMs, b.clockMs);
    swap(a.cost, b.cost);
    swap(a.prepaidSeconds, b.prepaidSeconds);
    swap(a.alarm, b.alarm);
    swap(a.closed, b.closed);
    swap(a.disconnected, b.disconnected);
    swap(a.prepaidAmount, b.prepaidAmount);
    swap(a.messageToSend, b.messageToSend);
    swap(a.messageReceived, b.messageReceived);
    swap(a.lastTickMs, b.lastTickMs);
    swap(a.exchangeTimeMs, b.exchangeTimeMs);
    swap(a.exchangeCost, b.exchangeCost);
    swap(a.accountLogin, b.accountLogin);
    swap(a.firstPasswordLogin, b.firstPasswordLogin);
    swap(a.password, b.password);
    swap(a.tariffName, b.tariffName);
    swap(a.accountType, b.accountType);
    swap(a.tariffIsFixed, b.tariffIsFixed);
    swap(a.timeCreditMinutes, b.timeCreditMinutes);
    swap(a.closeWhenCreditExhausted, b.closeWhenCreditExhausted);
    swap(a.moneyCredit, b.moneyCredit);
    swap(a.discountPercent, b.discountPercent);
    swap(a.refusalCode, b.refusalCode);
    swap(a.firstPasswordFlag, b.firstPasswordFlag);
    swap(a.loginAnswerCode, b.loginAnswerCode);
    swap(a.pendingPasswordChange, b.pendingPasswordChange);
    swap(a.passwordChangeResult, b.passwordChangeResult);
    swap(a.newPassword, b.newPassword);
    swap(a.noPasswordChange, b.noPasswordChange);
    swap(a.pendingNotice, b.pendingNotice);
    swap(a.loginInUse, b.loginInUse);
    swap(a.ticketNumber, b.ticketNumber);
    swap(a.desktopType, b.desktopType);
    swap(a.tariff, b.tariff);
}

} // namespace station
