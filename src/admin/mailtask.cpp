#include "admin/mailtask.h"

#include "ui/messagetable.h"

#include <QThread>
#include <QUrl>

#include <curl/curl.h>

#include <mutex>

namespace admin {

namespace {

constexpr int ImplicitTlsPort = 465;

void globalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Upload {
    QByteArray data;
    qsizetype offset = 0;
};

size_t readBody(char* buffer, size_t size, size_t count, void* userData) {
    auto* upload = static_cast<Upload*>(userData);
    const qsizetype room = static_cast<qsizetype>(size * count);
    const qsizetype n = qMin(room, upload->data.size() - upload->offset);
    memcpy(buffer, upload->data.constData() + upload->offset, static_cast<size_t>(n));
    upload->offset += n;
    return static_cast<size_t>(n);
}

int progress(void* userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* abort = static_cast<const std::atomic_bool*>(userData);
    return abort && abort->load() ? 1 : 0;
}

const ui::MessageTable& messages() {
    static const ui::MessageTable table{
        {"AutenticacionSinCifrar",
         QStringLiteral("No se ha enviado: el servidor tiene usuario y contraseña pero no conexión cifrada "
                        "TLS, y la contraseña no se envía sin cifrar. Active TLS o \"Permitir autenticación "
                        "sin cifrar\"."),
         QStringLiteral("Not sent: the server has a user name and password but no TLS encryption, and the "
                        "password is not sent unencrypted. Turn on TLS or \"Allow authentication without "
                        "encryption\".")},
    };
    return table;
}

MailResult failure(const QString& error) {
    MailResult r;
    r.error = error;
    r.at = QDateTime::currentDateTime();
    return r;
}

bool validHost(const QString& host) {
    if (host.isEmpty())
        return false;
    for (const QChar c : host) {
        if (!(c.isLetterOrNumber() || c == QLatin1Char('.') || c == QLatin1Char('-') ||
              c == QLatin1Char('_') || c == QLatin1Char(':') || c == QLatin1Char('[') ||
              c == QLatin1Char(']')))
            return false;
    }
    return true;
}

} // namespace

MailResult deliverMail(const MailMessage& mail, int timeLimitMs, const std::atomic_bool* abort) {
    globalInit();
    const QString host = mail.server.trimmed();
    if (!validHost(host))
        return failure(QStringLiteral("Servidor SMTP no válido: \"%1\"").arg(singleLine(mail.server)));
    bool portOk = false;
    const int port = mail.port.trimmed().toInt(&portOk);
    if (!portOk || port < 1 || port > 65535)
        return failure(QStringLiteral("Puerto no válido: \"%1\"").arg(singleLine(mail.port)));
    const QString from = envelopeAddress(mail.senderAddress);
    if (from.isEmpty())
        return failure(QStringLiteral("Dirección no válida: \"%1\"").arg(singleLine(mail.senderAddress)));
    QList<QByteArray> rcpt;
    for (const QStringList* list : {&mail.recipients, &mail.copies, &mail.blindCopies}) {
        for (const QString& a : *list) {
            const QString clean = envelopeAddress(a);
            if (clean.isEmpty())
                return failure(QStringLiteral("Dirección no válida: \"%1\"").arg(singleLine(a)));
            rcpt << '<' + clean.toUtf8() + '>';
        }
    }
    if (rcpt.isEmpty())
        return failure(QStringLiteral("Sin destinatario"));
    if (!mail.security.user.isEmpty() && !mail.security.tls && !mail.security.plainAuthAllowed)
        return failure(messages().text(QStringLiteral("AutenticacionSinCifrar")));

    const bool implicitTls = mail.security.tls && port == ImplicitTlsPort;
    const QString greeting =
        QString::fromLatin1(QUrl::toPercentEncoding(singleLine(mail.greeting).trimmed()));
    const QByteArray url = (QLatin1String(implicitTls ? "smtps://" : "smtp://") + host + QLatin1Char(':') +
                            QString::number(port) + QLatin1Char('/') + greeting)
                               .toUtf8();

    Upload upload{composeMessage(mail, QDateTime::currentDateTime()), 0};
    CURL* curl = curl_easy_init();
    if (!curl)
        return failure(QStringLiteral("No se pudo iniciar el envío"));
    curl_slist* recipients = nullptr;
    for (const QByteArray& r : rcpt)
        recipients = curl_slist_append(recipients, r.constData());
    const QByteArray mailFrom = '<' + from.toUtf8() + '>';
    const QByteArray user = mail.security.user.toUtf8();
    const QByteArray password = mail.security.password.toUtf8();
    const QByteArray caFile = mail.caFile.toLocal8Bit();
    char errorBuffer[CURL_ERROR_SIZE] = {};

    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(timeLimitMs));
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeLimitMs));
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, mailFrom.constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, readBody);
    curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, const_cast<std::atomic_bool*>(abort));
    if (!user.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
    }
    if (mail.security.tls && !implicitTls) {
        // A password never travels in clear: with one, TLS is required.
        curl_easy_setopt(curl, CURLOPT_USE_SSL,
                         static_cast<long>(user.isEmpty() ? CURLUSESSL_TRY : CURLUSESSL_ALL));
    }
    if (!caFile.isEmpty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.constData());

    const CURLcode code = curl_easy_perform(curl);
    MailResult result;
    result.ok = code == CURLE_OK;
    if (!result.ok) {
        const QString detail = QString::fromLocal8Bit(errorBuffer).trimmed();
        result.error = detail.isEmpty() ? QString::fromLatin1(curl_easy_strerror(code)) : detail;
    }
    result.at = QDateTime::currentDateTime();
    curl_slist_free_all(recipients);
    curl_easy_cleanup(curl);
    return result;
}

MailSender::MailSender(QObject* parent)
    : QObject(parent) {
    qRegisterMetaType<admin::MailResult>();
    globalInit();
}

MailSender::~MailSender() {
    m_abort->store(true);
    for (auto& [id, thread] : m_tasks) {
        thread->wait();
        delete thread;
    }
}

quint64 MailSender::start(const MailMessage& mail) {
    const quint64 id = m_nextId++;
    const int limit = m_timeLimitMs;
    std::shared_ptr<std::atomic_bool> abort = m_abort;
    QThread* thread = QThread::create([this, mail, limit, abort, id] {
        MailResult result = deliverMail(mail, limit, abort.get());
        result.id = id;
        QMetaObject::invokeMethod(
            this, [this, result] { taskEnded(result); }, Qt::QueuedConnection);
    });
    m_tasks.emplace(id, thread);
    thread->start();
    return id;
}

void MailSender::taskEnded(const MailResult& result) {
    const auto it = m_tasks.find(result.id);
    if (it != m_tasks.end()) {
        it->second->wait();
        delete it->second;
        m_tasks.erase(it);
    }
    emit finished(result);
}

} // namespace admin
