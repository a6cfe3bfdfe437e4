#pragma once

#include "station/stationrecord.h"

#include <QByteArray>
#include <QString>

class Regional;

namespace station {

// The state word of a poll: "LIBRE", "OCUPADO\t" + kind, "PREPAGO\t" + kind, "ADM".
QString stateWord(const StationRecord& rec);

// "PING\t" + state word + time, cost, login, password, balance,
// no-password-change flag and desktop type, TAB separated.
QString pollLine(const StationRecord& rec, const Regional& regional);

// A link's last poll line and what it showed: a free station's line never
// changes, and an occupied one's only when its second or amount does, so the
// bytes are built again only then.
struct PollLineCache {
    struct Key {
        const Regional* regional = nullptr;
        Estado estado = Estado::Libre;
        int shutdownKind = 0;
        qint64 clockSeconds = 0;
        int prepaidSeconds = 0;
        bool timeAccount = false;
        qint64 cost = 0;
        qint64 moneyCredit = 0;
        QString accountLogin;
        QString password;
        int noPasswordChange = 0;
        int desktopType = 0;
        bool operator==(const Key&) const = default;
    };
    Key key;
    QByteArray bytes; // empty until the first poll line
};

// The line the next exchange sends, without its CR, encoded and cut to
// MaxLineBytes. A queued command is consumed (pending := Poll) as its line
// is built; a pending value that names no command leaves it in place and
// sends previousLine again. lastWarningMinute is the link's memory of the
// last "GNIP" warning. CR, LF and zero characters inside the fields go out
// as blanks, so the line stays one line.
// With a cache, a poll line that would show what the cached one shows is the
// cached bytes.
QByteArray buildOutgoingLine(StationRecord& rec, const Regional& regional, int& lastWarningMinute,
                             const QByteArray& previousLine, PollLineCache* cache = nullptr);

// What a station's reply asks for, tested in this order on its start.
enum class ReplyKind {
    Mensaje,     // "MSG\t"
    FinSesion,   // "CLINO\t"
    CambioClave, // "SETPASS\t"
    Login,       // "CLI\t"
    Admin,       // "ADM"
    FinAdmin,    // "FINADM"
    Ignorada     // anything else, also an empty reply
};
ReplyKind classifyReply(const QString& reply);

// The text after the first TAB (empty when there is none).
QString afterFirstTab(const QString& text);

// A log-in request is login TAB password. The login is the text before the
// first TAB, cut to 10 characters, then trimmed of blanks and control
// characters; the password is everything after the first TAB, unchanged.
QString loginFromRequest(const QString& request);
QString passwordFromRequest(const QString& request);

// The operator's message cut to what fits one line after "MSG\t".
QString fitMessage(const QString& text);

} // namespace station
