#pragma once

#include <QDateTime>
#include <QMetaType>
#include <QString>
#include <QStringList>

namespace admin {

// Optional security of a mail server; all empty is a plain SMTP session.
struct MailSecurity {
    QString user;
    QString password;
    // STARTTLS when the server offers it; implicit TLS on port 465.
    bool tls = false;
    // A user and password without TLS travel readable by anyone on the way:
    // sent only when the options say so.
    bool plainAuthAllowed = false;
};

// One delivery, with its own copy of every value the mail task needs.
struct MailMessage {
    QString server;
    QString port;
    QString greeting;
    QString senderAddress;
    QString senderName;
    QString subject;
    QStringList recipients;
    QStringList copies;
    QStringList blindCopies;
    QStringList body;
    MailSecurity security;
    // Certificate authorities to trust instead of the system's (tests).
    QString caFile;
};

struct MailResult {
    quint64 id = 0;
    bool ok = false;
    QString error;
    QDateTime at;
};

// The message as sent: headers and the HTML body joined by CR LF. No value
// can add a header line; non-ASCII subject and display name are encoded.
QByteArray composeMessage(const MailMessage& mail, const QDateTime& date);

// A header value on one line: every CR, LF and other control character
// becomes a blank.
QString singleLine(const QString& text);

// The encoded-word form of a header text (as is when it is plain ASCII).
QByteArray encodeHeaderText(const QString& text);

// An address usable in the envelope: trimmed, no blanks or control
// characters inside, no angle brackets. Empty when unusable.
QString envelopeAddress(const QString& address);

} // namespace admin

Q_DECLARE_METATYPE(admin::MailResult)
