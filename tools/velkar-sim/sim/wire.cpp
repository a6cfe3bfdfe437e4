#include "sim/wire.h"

#include <array>

namespace velkarsim {

namespace {

// 0x80–0x9F of Windows-1252; 0 marks the five unassigned bytes, which decode
// to the C1 control of the same value.
constexpr std::array<char16_t, 32> HighTable = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t decodeByte(uchar b) {
    if (b >= 0x80 && b <= 0x9F && HighTable[b - 0x80] != 0)
        return HighTable[b - 0x80];
    return b;
}

char encodeChar(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return char(c);
    for (int i = 0; i < 32; ++i) {
        if (HighTable[i] == c)
            return char(0x80 + i);
    }
    return '?';
}

bool startsWith(const QByteArray& line, const char* prefix) {
    return line.startsWith(prefix);
}

int parseInt(const QByteArray& text, bool* ok) {
    return text.trimmed().toInt(ok);
}

} // namespace

QByteArray toCp1252(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text)
        out.append(encodeChar(c.unicode()));
    return out;
}

QString fromCp1252(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    for (const char b : bytes)
        out.append(QChar(decodeByte(uchar(b))));
    return out;
}

QList<QByteArray> LineSplitter::feed(const char* data, qsizetype size) {
    QList<QByteArray> lines;
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == '\n' && m_lastWasCr) {
            m_lastWasCr = false;
            continue;
        }
        m_lastWasCr = c == '\r';
        if (c == '\r') {
            lines.append(m_pending);
            m_pending.clear();
            continue;
        }
        m_pending.append(c);
        if (m_pending.size() >= MaxLine) {
            lines.append(m_pending);
            m_pending.clear();
        }
    }
    return lines;
}

ConsoleLine ConsoleLine::parse(const QByteArray& line) {
    ConsoleLine out;
    const qsizetype tab = line.indexOf('\t');
    const QByteArray rest = tab >= 0 ? line.mid(tab + 1) : QByteArray();

    if (startsWith(line, "PING\t")) {
        out.kind = Kind::Poll;
        const QList<QByteArray> fields = line.split('\t');
        out.fieldCount = int(fields.size());
        auto field = [&fields](qsizetype i) { return i < fields.size() ? fromCp1252(fields[i]) : QString(); };
        out.stateWord = field(1);
        qsizetype next = 2;
        if (out.stateWord == u"OCUPADO" || out.stateWord == u"PREPAGO") {
            out.shutdownKind = field(2).toInt();
            next = 3;
        }
        out.time = field(next);
        out.cost = field(next + 1);
        out.login = field(next + 2);
        out.password = field(next + 3);
        out.balance = field(next + 4);
        out.noPasswordChange = field(next + 5);
        out.desktopType = field(next + 6);
        return out;
    }
    if (startsWith(line, "GNIP\t")) {
        out.kind = Kind::Warning;
        out.text = fromCp1252(rest);
    } else if (startsWith(line, "MSG\t")) {
        out.kind = Kind::Message;
        out.text = fromCp1252(rest);
    } else if (startsWith(line, "OFF\t")) {
        out.kind = Kind::Off;
    } else if (startsWith(line, "CLI\t")) {
        out.kind = Kind::LoginAnswer;
    } else if (startsWith(line, "NOCLI\t")) {
        out.kind = Kind::LoginRefused;
    } else if (startsWith(line, "SETPASS\t")) {
        out.kind = Kind::SetPassResult;
        out.text = fromCp1252(rest);
        return out;
    } else if (startsWith(line, "_OFFGNIP")) {
        out.kind = Kind::WarningOff;
        return out;
    } else if (startsWith(line, "VOL\t")) {
        out.kind = Kind::Volume;
    } else {
        out.text = fromCp1252(line);
        return out;
    }
    if (out.kind != Kind::Warning && out.kind != Kind::Message) {
        out.text = fromCp1252(rest);
        out.number = parseInt(rest, &out.numberOk);
    }
    return out;
}

QByteArray replyLogin(const QString& login, const QString& password) {
    return "CLI\t" + toCp1252(login) + '\t' + toCp1252(password);
}

QByteArray replyLogout() {
    return QByteArrayLiteral("CLINO\t");
}

QByteArray replyMessage(const QString& text) {
    return "MSG\t" + toCp1252(text);
}

QByteArray replySetPassword(const QString& newPassword, bool firstPassword) {
    return "SETPASS\t" + toCp1252(newPassword) + '\t' + (firstPassword ? '1' : '0');
}

QByteArray replyAdminStart() {
    return QByteArrayLiteral("ADM");
}
QByteArray replyAdminEnd() {
    return QByteArrayLiteral("FINADM");
}
QByteArray replyAck() {
    return QByteArrayLiteral("OK");
}

QString escapeForLog(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size() + 8);
    for (const char b : bytes) {
        const uchar u = uchar(b);
        const char16_t c = decodeByte(u);
        if (c == '\r')
            out += u"\\r";
        else if (c == '\t')
            out += u"\\t";
        else if (c == '\n')
            out += u"\\n";
        else if (c == '\\')
            out += u"\\\\";
        else if (c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F))
            out += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        else
            out += QChar(c);
    }
    return out;
}

QByteArray unescapeTyped(const QString& text) {
    const QByteArray in = toCp1252(text);
    QByteArray out;
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in[i];
        if (c != '\\' || i + 1 >= in.size()) {
            out.append(c);
            continue;
        }
        const char n = in[++i];
        switch (n) {
        case 't':
            out.append('\t');
            break;
        case 'r':
            out.append('\r');
            break;
        case 'n':
            out.append('\n');
            break;
        case '\\':
            out.append('\\');
            break;
        case 'x': {
            bool ok = false;
            const int v = in.mid(i + 1, 2).toInt(&ok, 16);
            if (ok && i + 2 < in.size()) {
                out.append(char(v));
                i += 2;
            } else {
                out.append("\\x");
            }
            break;
        }
        default:
            out.append('\\');
            out.append(n);
        }
    }
    return out;
}

} // namespace velkarsim
