#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace velkarsim {

// The console talks Windows-1252. Characters it cannot carry become '?'.
QByteArray toCp1252(const QString& text);
QString fromCp1252(const QByteArray& bytes);

// Splits the byte stream of one connection into lines ended by CR. A LF right
// after a CR is dropped, so a hand-typed CRLF works too.
class LineSplitter {
public:
    // Longest line kept; a longer run without CR is handed out as one line so a
    // misbehaving peer cannot grow the buffer without end.
    static constexpr qsizetype MaxLine = 4096;

    // Appends data and returns the complete lines it finished (without the CR).
    QList<QByteArray> feed(const char* data, qsizetype size);
    QList<QByteArray> feed(const QByteArray& data) { return feed(data.constData(), data.size()); }
    void clear() { m_pending.clear(); }
    qsizetype pendingSize() const { return m_pending.size(); }

private:
    QByteArray m_pending;
    bool m_lastWasCr = false;
};

// What the console sent, parsed.
struct ConsoleLine {
    enum class Kind {
        Poll,          // "PING\t" + state + fields
        Warning,       // "GNIP\tQueda menos de"
        Message,       // "MSG\t" + text
        Off,           // "OFF\t" + kind
        LoginAnswer,   // "CLI\t" + code (21: set a new password first)
        LoginRefused,  // "NOCLI\t" + code
        SetPassResult, // "SETPASS\t" + result
        WarningOff,    // "_OFFGNIP\t"
        Volume,        // "VOL\t" + n
        Unknown
    };

    Kind kind = Kind::Unknown;
    QString text;   // message text, or the raw argument of the other commands
    int number = 0; // OFF kind, CLI/NOCLI code, volume
    bool numberOk = false;

    // Poll fields.
    QString stateWord; // "LIBRE", "OCUPADO", "PREPAGO", "ADM" (or whatever came)
    int shutdownKind = 0;
    QString time;
    QString cost;
    QString login;
    QString password;
    QString balance;
    QString noPasswordChange;
    QString desktopType;
    int fieldCount = 0;

    static ConsoleLine parse(const QByteArray& line);
};

// The replies the station can send.
QByteArray replyLogin(const QString& login, const QString& password); // "CLI\t" login TAB password
QByteArray replyLogout();                                             // "CLINO\t"
QByteArray replyMessage(const QString& text);                         // "MSG\t" text
QByteArray replySetPassword(const QString& newPassword, bool firstPassword);
QByteArray replyAdminStart(); // "ADM"
QByteArray replyAdminEnd();   // "FINADM"
QByteArray replyAck();        // "OK"

// Bytes shown in a log: CR as \r, TAB as \t, backslash doubled, other control
// and undecodable bytes as \xHH; Windows-1252 text decoded.
QString escapeForLog(const QByteArray& bytes);
// The inverse for raw replies typed in scripts: \t, \r, \n, \\ and \xHH.
QByteArray unescapeTyped(const QString& text);

} // namespace velkarsim
