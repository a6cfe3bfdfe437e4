#pragma once

#include "core/currency.h"

#include <QDate>
#include <QString>
#include <QtGlobal>

class Ttarifas;

namespace station {

// State of a station, as the record holds it (the table stores it + 1).
enum class Estado : quint8 { Libre = 0, Contador = 1, Prepago = 2, Desactivado = 3, Admin = 4 };

// What the next exchange sends.
enum class Pendiente : quint8 {
    Poll = 0,           // "PING" (or the warning)
    Mensaje = 1,        // "MSG"
    Apagar = 6,         // "OFF"
    LoginAceptado = 7,  // "CLI"
    LoginRechazado = 8, // "NOCLI"
    SetPass = 9,        // "SETPASS"
    QuitarAviso = 10,   // "_OFFGNIP"
    Volumen = 12        // "VOL"
};

// Shut-down kinds sent with "OFF".
enum ShutdownKind : int { CerrarSesion = 0, ApagarEquipo = 1, Reiniciar = 2, FinalizarVelkar = 3 };

// The live record of one station and its current use period. Written by the
// link (replies), the clock tick and the operator's commands, all on the main
// thread. Times are milliseconds unless the name says seconds.
struct StationRecord {
    // Use period: these move with the period when two stations are exchanged.
    Pendiente pendiente = Pendiente::Poll;
    int shutdownKind = 0;
    Estado estado = Estado::Libre;
    Estado estadoAnterior = Estado::Libre;
    qint64 clockMs = 0;
    Currency cost;
    int prepaidSeconds = 0;
    bool alarm = false;
    bool closed = false;
    bool disconnected = false;
    Currency prepaidAmount;
    QString messageToSend;
    QString messageReceived;
    qint64 lastTickMs = 0;
    qint64 exchangeTimeMs = 0;
    Currency exchangeCost;
    QString accountLogin;
    QString firstPasswordLogin; // login remembered for a first-password change
    QString password;
    QString tariffName;  // a tariff, "FRANJAS" or "BONO TIEMPO"
    QString accountType; // "0", "1", "2", "9"; empty for anonymous customers
    bool tariffIsFixed = false;
    int timeCreditMinutes = 0;
    bool closeWhenCreditExhausted = false;
    Currency moneyCredit;
    int discountPercent = 0;
    int refusalCode = 0;
    bool firstPasswordFlag = false;
    int loginAnswerCode = 0;
    bool pendingPasswordChange = false;
    QString passwordChangeResult;
    QString newPassword;
    int noPasswordChange = 0;
    QString pendingNotice;
    bool loginInUse = false;
    QString ticketNumber;
    int desktopType = 0;
    const Ttarifas* tariff = nullptr;

    // A booking of the ended period whose COMMIT got no answer (the server
    // went away) may have been kept. Until it is looked up, the period is
    // not booked again and the row is not written (it may hold the period
    // as booked and free). The station's activity records of that day, the
    // booking's own included. Never saved.
    QDate bookingDoubtDay;
    int bookingDoubtRecords = 0;

    // Stay with the station.
    // The ownership epoch this console holds the station under: a write of
    // the row under another is refused.
    int epoch = 0;
    qint64 lastShownClockMs = 0;
    bool tariffCheckPending = false;
    QString loginUnderTest; // login under in-use test
    int loginResultCode = 0;
    int volume = 0;

    bool occupied() const { return estado == Estado::Contador || estado == Estado::Prepago; }
    // The period has ended in memory (close, expiry, credit, log-out) but is
    // not booked yet: the next tick books it together with the free row.
    // Until then the station is saved as still running.
    bool bookingPending() const {
        return estado == Estado::Libre &&
               (estadoAnterior == Estado::Contador || estadoAnterior == Estado::Prepago);
    }
    bool bookingInDoubt() const { return bookingDoubtDay.isValid(); }
    // The state the station's row records: the running one while a booking is pending.
    Estado estadoGuardado() const { return bookingPending() ? estadoAnterior : estado; }
    // Time accounts and time codes.
    bool isTimeAccount() const {
        return accountType == QLatin1String("2") || accountType == QLatin1String("9");
    }
};

// Milliseconds as whole seconds, halves to even (2 500 ms → 2, 3 500 ms → 4).
qint64 roundedSeconds(qint64 ms);
// The seconds of use of a period: the clock, or, when the record holds a
// prepaid time, that time less the time left.
qint64 usedSeconds(const StationRecord& rec);

// A log-in accepted on a free station: the record holds the account and its
// period starts as the clock's next tick would start it, so the row written
// at once comes back as the same running period after a crash.
void aceptarLogin(StationRecord& rec, const QString& login);

// Swaps every field of the use period between two records; number, row,
// address, connection and volume stay with their stations.
void swapUsePeriod(StationRecord& a, StationRecord& b);

} // namespace station
