#pragma once

#include "admin/mailmessage.h"
#include "store/rows.h"

#include <QDate>
#include <QObject>
#include <QTime>
#include <QTimer>

#include <functional>
#include <optional>

class QSqlDatabase;
class Regional;
struct ConsoleContext;

namespace admin {

class MailSender;

// The kinds of notification mail, numbered as the settings pages and the
// events know them.
enum class MailKind {
    PruebaLogs = 0,
    PruebaInformes = 1,
    Inicio = 2,
    Cierre = 3,
    EstadoPuestos = 4,
    CajaProvisional = 5,
    CambioOperador = 6,
    InformeCaja = 7,
};

enum class MailServer { Logs, Informes };

MailServer serverOf(MailKind kind);

// One server's settings as the pages and the notifications use them.
struct MailServerSettings {
    QString smtp;
    QString port;
    QString to;
    QString de;
    QString cc;
    MailSecurity security;
};
MailServerSettings logServer(const store::WebConfig& web);
MailServerSettings reportServer(const store::WebConfig& web);

// "hh:nn:ss" + the kind's text + "OPERADOR: " (or "NUEVO OPERADOR: ") + name.
QString mailSubject(const QTime& time, MailKind kind, const QString& operatorName);

// The day's tickets as an HTML table, one list item per line.
QStringList cajaProvisionalHTML(const QSqlDatabase& db, const QDate& day, const Regional& regional);

// The last line of every body.
QString firmaHTML();

// A mail of the kind to the server's recipient: the sender address is the
// recipient's own, "De:" gives the display name, copy only when set, no
// blind copy; the signature closes the body.
MailMessage buildMail(const MailServerSettings& server, const QString& subject, QStringList body);

// The first empty field of a test send, in the order "De:", "Para:",
// "Servidor SMTP:", "Puerto:" (values trimmed).
enum class MailField { De, Para, Smtp, Puerto };
std::optional<MailField> firstBlankField(const MailServerSettings& onScreen);
QString blankFieldMessage(MailField field);

struct MailFailure {
    QString error;
    QDateTime at;
};

// EnviarAviso and the scheduled mails. Bodies are built here, on the main
// thread; the delivery runs on the sender's threads, whose results come back
// here to keep each server's last failure.
class Avisos : public QObject {
    Q_OBJECT
public:
    Avisos(ConsoleContext& context, MailSender& sender, QObject* parent = nullptr);

    // The station table of the status mail (the registry lives elsewhere).
    void setEstadoBuilder(std::function<QStringList()> builder) { m_estado = std::move(builder); }

    // Builds and starts one mail of the kind; the id of its task, or 0 when
    // the settings are incomplete and nothing is sent. Kind 7 takes the cash
    // report's HTML lines.
    quint64 EnviarAviso(MailKind kind, const QStringList& informeCaja = {});
    // "&Envio de prueba": the values on screen, already checked.
    quint64 enviarPrueba(MailServer server, const MailServerSettings& onScreen);

    // Period frecuencia minutes; 0 sends nothing.
    void startSchedule(int frecuencia);
    const QTimer& schedule() const { return m_timer; }
    // One period's mails.
    void onSchedule();

    std::optional<MailFailure> lastFailure(MailServer server) const;
    MailSender& sender() const { return m_sender; }

signals:
    void failureChanged(admin::MailServer server);

private:
    quint64 send(MailKind kind, const MailServerSettings& server, QStringList body);
    void taskFinished(const MailResult& result);

    ConsoleContext& m_context;
    MailSender& m_sender;
    std::function<QStringList()> m_estado;
    QTimer m_timer;
    std::map<quint64, MailServer> m_running;
    std::optional<MailFailure> m_failures[2];
};

} // namespace admin
