#include "station/wireformat.h"

#include "core/formatohora.h"
#include "core/regional.h"
#include "station/wirecodec.h"

namespace station {

namespace {

const QLatin1Char Tab('\t');

bool isBlankOrControl(QChar c) {
    return c.isSpace() || c.category() == QChar::Other_Control;
}

qint64 wholeSeconds(qint64 clockMs) {
    return clockMs / 1000;
}

} // namespace

QString stateWord(const StationRecord& rec) {
    switch (rec.estado) {
    case Estado::Libre:
        return QStringLiteral("LIBRE");
    case Estado::Contador:
        return QStringLiteral("OCUPADO\t") + QString::number(rec.shutdownKind);
    case Estado::Prepago:
        return QStringLiteral("PREPAGO\t") + QString::number(rec.shutdownKind);
    case Estado::Admin:
        return QStringLiteral("ADM");
    case Estado::Desactivado:
        break;
    }
    return QString();
}

QString pollLine(const StationRecord& rec, const Regional& regional) {
    const qint64 clockSeconds = wholeSeconds(rec.clockMs);
    QString time;
    QString balance;
    if (rec.isTimeAccount()) {
        // The clock counts the credit left; the station shows the time used.
        time = rec.accountLogin.isEmpty() ? FormatoHora(clockSeconds)
                                          : FormatoHora(rec.prepaidSeconds - clockSeconds);
        balance = FormatoHora(clockSeconds);
    } else {
        time = FormatoHora(clockSeconds);
        balance = regional.formatCurrency(rec.moneyCredit - rec.cost);
    }
    return QStringLiteral("PING\t") + stateWord(rec) + Tab + time + Tab + regional.formatCurrency(rec.cost) +
           Tab + rec.accountLogin + Tab + rec.password + Tab + balance + Tab +
           QString::number(rec.noPasswordChange) + Tab + QString::number(rec.desktopType);
}

namespace {

// The wire bytes of a line: CR, LF and zero characters inside the fields
// go out as blanks, so the line stays one line.
QByteArray encodeLine(QString line) {
    for (QChar& c : line) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c.isNull())
            c = QLatin1Char(' ');
    }
    QByteArray bytes = toWindows1252(line);
    if (bytes.size() > MaxLineBytes)
        bytes.truncate(MaxLineBytes);
    return bytes;
}

PollLineCache::Key pollKey(const StationRecord& rec, const Regional& regional) {
    return PollLineCache::Key{
        &regional,          rec.estado,          rec.shutdownKind,     wholeSeconds(rec.clockMs),
        rec.prepaidSeconds, rec.isTimeAccount(), rec.cost.raw(),       rec.moneyCredit.raw(),
        rec.accountLogin,   rec.password,        rec.noPasswordChange, rec.desktopType};
}

} // namespace

QByteArray buildOutgoingLine(StationRecord& rec, const Regional& regional, int& lastWarningMinute,
                             const QByteArray& previousLine, PollLineCache* cache) {
    QString line;
    switch (rec.pendiente) {
    case Pendiente::Poll:
        if (rec.alarm) {
            const int minute = int(rec.clockMs / 60000);
            if (minute != lastWarningMinute) {
                lastWarningMinute = minute;
                line = QStringLiteral("GNIP\tQueda menos de");
                break;
            }
        }
        if (cache) {
            PollLineCache::Key key = pollKey(rec, regional);
            if (cache->bytes.isEmpty() || !(key == cache->key)) {
                cache->bytes = encodeLine(pollLine(rec, regional));
                cache->key = std::move(key);
            }
            return cache->bytes;
        }
        line = pollLine(rec, regional);
        break;
    case Pendiente::Mensaje:
        line = QStringLiteral("MSG\t") + rec.messageToSend;
        break;
    case Pendiente::Apagar:
        line = QStringLiteral("OFF\t") + QString::number(rec.shutdownKind);
        break;
    case Pendiente::LoginAceptado:
        line = QStringLiteral("CLI\t") + QString::number(rec.loginAnswerCode);
        break;
    case Pendiente::LoginRechazado:
        line = QStringLiteral("NOCLI\t") + QString::number(rec.refusalCode);
        break;
    case Pendiente::SetPass:
        line = QStringLiteral("SETPASS\t") + rec.passwordChangeResult;
        break;
    case Pendiente::QuitarAviso:
        line = QStringLiteral("_OFFGNIP\t");
        break;
    case Pendiente::Volumen:
        line = QStringLiteral("VOL\t") + QString::number(rec.volume);
        break;
    default:
        // Not a command: the last line goes again.
        return previousLine;
    }
    rec.pendiente = Pendiente::Poll;
    // Texts a station sent us (a new password, say) come back in later lines:
    // a CR, LF or zero byte among them would end the line early at the station.
    return encodeLine(std::move(line));
}

ReplyKind classifyReply(const QString& reply) {
    if (reply.startsWith(QLatin1String("MSG\t")))
        return ReplyKind::Mensaje;
    if (reply.startsWith(QLatin1String("CLINO\t")))
        return ReplyKind::FinSesion;
    if (reply.startsWith(QLatin1String("SETPASS\t")))
        return ReplyKind::CambioClave;
    if (reply.startsWith(QLatin1String("CLI\t")))
        return ReplyKind::Login;
    if (reply.startsWith(QLatin1String("ADM")))
        return ReplyKind::Admin;
    if (reply.startsWith(QLatin1String("FINADM")))
        return ReplyKind::FinAdmin;
    return ReplyKind::Ignorada;
}

QString afterFirstTab(const QString& text) {
    const qsizetype tab = text.indexOf(Tab);
    return tab < 0 ? QString() : text.mid(tab + 1);
}

QString loginFromRequest(const QString& request) {
    const qsizetype tab = request.indexOf(Tab);
    QString login = (tab < 0 ? request : request.left(tab)).left(10);
    qsizetype begin = 0;
    qsizetype end = login.size();
    while (begin < end && isBlankOrControl(login.at(begin)))
        ++begin;
    while (end > begin && isBlankOrControl(login.at(end - 1)))
        --end;
    return login.mid(begin, end - begin);
}

QString passwordFromRequest(const QString& request) {
    return afterFirstTab(request);
}

QString fitMessage(const QString& text) {
    const qsizetype room = MaxLineBytes - 4; // after "MSG\t"
    qsizetype chars = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (chars == room)
            return text.left(i);
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        ++chars;
    }
    return text;
}

} // namespace station
