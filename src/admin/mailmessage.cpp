#include "admin/mailmessage.h"

#include <QUuid>

#include <algorithm>

namespace admin {

namespace {

bool isPlainAscii(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    }
    return true;
}

// Encoded words of at most 75 characters, never splitting a UTF-8 sequence,
// folded onto continuation lines.
QByteArray encodedWords(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    constexpr int ChunkBytes = 45;
    QByteArray out;
    int start = 0;
    while (start < utf8.size()) {
        int end = qMin<int>(start + ChunkBytes, utf8.size());
        while (end < utf8.size() && (static_cast<unsigned char>(utf8.at(end)) & 0xC0) == 0x80)
            --end;
        if (!out.isEmpty())
            out += "\r\n ";
        out += "=?UTF-8?B?" + utf8.mid(start, end - start).toBase64() + "?=";
        start = end;
    }
    return out;
}

QByteArray addressList(const QStringList& addresses) {
    QByteArray out;
    for (const QString& a : addresses) {
        const QString clean = envelopeAddress(a);
        if (clean.isEmpty())
            continue;
        if (!out.isEmpty())
            out += ", ";
        out += '<' + clean.toUtf8() + '>';
    }
    return out;
}

QByteArray displayName(const QString& name) {
    const QString line = singleLine(name).trimmed();
    if (line.isEmpty())
        return {};
    if (!isPlainAscii(line))
        return encodedWords(line);
    static const QString specials = QStringLiteral("()<>[]:;@\\,.\"");
    if (std::none_of(line.begin(), line.end(), [](QChar c) { return specials.contains(c); }))
        return line.toLatin1();
    QString quoted = line;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
    return '"' + quoted.toLatin1() + '"';
}

} // namespace

QString singleLine(const QString& text) {
    QString out = text;
    for (QChar& c : out) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    }
    return out;
}

QByteArray encodeHeaderText(const QString& text) {
    const QString line = singleLine(text);
    if (isPlainAscii(line) && !line.contains(QLatin1String("=?")))
        return line.toLatin1();
    return encodedWords(line);
}

QString envelopeAddress(const QString& address) {
    const QString trimmed = address.trimmed();
    for (const QChar c : trimmed) {
        if (c.isSpace() || c.unicode() < 0x20 || c.unicode() == 0x7f || c == QLatin1Char('<') ||
            c == QLatin1Char('>') || c == QLatin1Char(',') || c == QLatin1Char(';'))
            return {};
    }
    return trimmed;
}

QByteArray composeMessage(const MailMessage& mail, const QDateTime& date) {
    QByteArray out;
    out += "Date: " + date.toString(Qt::RFC2822Date).toLatin1() + "\r\n";
    const QByteArray name = displayName(mail.senderName);
    const QByteArray sender = '<' + envelopeAddress(mail.senderAddress).toUtf8() + '>';
    out += "From: " + (name.isEmpty() ? sender : name + ' ' + sender) + "\r\n";
    out += "To: " + addressList(mail.recipients) + "\r\n";
    if (const QByteArray cc = addressList(mail.copies); !cc.isEmpty())
        out += "Cc: " + cc + "\r\n";
    out += "Subject: " + encodeHeaderText(mail.subject) + "\r\n";
    out += "Message-ID: <" + QUuid::createUuid().toString(QUuid::WithoutBraces).toLatin1() + "@quintor>\r\n";
    out += "MIME-Version: 1.0\r\n";
    out += "Content-Type: text/html; charset=UTF-8\r\n";
    out += "Content-Transfer-Encoding: base64\r\n";
    out += "\r\n";
    // Base64 keeps any body line (long, or starting with a dot) intact on the wire.
    const QByteArray body = mail.body.join(QLatin1String("\r\n")).toUtf8().toBase64();
    for (int i = 0; i < body.size(); i += 76)
        out += body.mid(i, 76) + "\r\n";
    return out;
}

} // namespace admin
