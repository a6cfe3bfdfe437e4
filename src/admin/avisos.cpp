#include "admin/avisos.h"

#include "admin/mailtask.h"
#include "core/consolecontext.h"
#include "core/regional.h"
#include "store/datamodule.h"
#include "store/opciones.h"
#include "store/sql.h"

#include <QSqlQuery>

namespace admin {

namespace {

constexpr int MsPerMinute = 60000;

QString kindText(MailKind kind) {
    switch (kind) {
    case MailKind::PruebaLogs:
    case MailKind::PruebaInformes:
        return QStringLiteral(" Envio  de prueba. ");
    case MailKind::Inicio:
        return QStringLiteral(" Inicio Quintor. ");
    case MailKind::Cierre:
        return QStringLiteral(" Se ha cerrado Quintor. ");
    case MailKind::EstadoPuestos:
        return QStringLiteral(" Resumen del estado de los puestos. ");
    case MailKind::CajaProvisional:
        return QStringLiteral(" Informe de caja provisional. ");
    case MailKind::CambioOperador:
        return QStringLiteral(" Cambio de operador. ");
    case MailKind::InformeCaja:
        return QStringLiteral(" Informe de caja.");
    }
    return {};
}

bool complete(const MailServerSettings& s) {
    return !s.smtp.isEmpty() && !s.port.isEmpty() && !s.to.isEmpty();
}

void headerCell(QStringList& out, const QString& open, const QString& title) {
    out << open << title << QStringLiteral("</TD>");
}

} // namespace

MailServer serverOf(MailKind kind) {
    return kind == MailKind::PruebaInformes || kind == MailKind::InformeCaja ? MailServer::Informes
                                                                             : MailServer::Logs;
}

MailServerSettings logServer(const store::WebConfig& web) {
    return {web.smtp, web.port, web.to1,
            web.de,   web.to2,  {web.smtpusuario, web.smtpclave, web.smtptls, web.smtpsincifrar}};
}

MailServerSettings reportServer(const store::WebConfig& web) {
    return {
        web.smtpinformes, web.portinformes,
        web.toinformes,   web.deinformes,
        web.ccinformes,   {web.usuarioinformes, web.claveinformes, web.tlsinformes, web.sincifrarinformes}};
}

QString mailSubject(const QTime& time, MailKind kind, const QString& operatorName) {
    return time.toString(QStringLiteral("HH:mm:ss")) + kindText(kind) +
           (kind == MailKind::CambioOperador ? QStringLiteral("NUEVO OPERADOR: ")
                                             : QStringLiteral("OPERADOR: ")) +
           operatorName;
}

QStringList cajaProvisionalHTML(const QSqlDatabase& db, const QDate& day, const Regional& regional) {
    QStringList out;
    out << QStringLiteral("<table cellpadding=\"3\" cellspacing=\"1\" border=\"0\" width=\"80%\" >")
        << QStringLiteral("<TR bgcolor=#D0D0E2>");
    headerCell(out, QStringLiteral("<TD>"),
               QStringLiteral("<B><FONT face=verdana size=-10>Nº ticket</FONT></B>"));
    headerCell(out, QStringLiteral("<TD>"),
               QStringLiteral("<B><FONT face=verdana size=-10>Fecha</FONT></B>"));
    headerCell(out, QStringLiteral("<TD>"),
               QStringLiteral("<B><FONT face=verdana size=-10 >Hora</FONT></B>"));
    headerCell(out, QStringLiteral("<TD align=right>"),
               QStringLiteral("<B><FONT face=verdana size=-10>Importe</FONT></B>"));
    headerCell(out, QStringLiteral("<TD>"),
               QStringLiteral("<B><FONT face=verdana size=-10 >Operador</FONT></B>"));
    out << QStringLiteral("</TR>");

    const QVariant p1 = store::sqlValue(day);
    QSqlQuery rows = store::run(
        db,
        QStringLiteral(
            "select num_ticket,fecha,hora,importe,operador from ticket where Fecha=? order by num_ticket"),
        {p1});
    const QString font = QStringLiteral("<TD><FONT face=verdana size=-10>");
    for (int i = 0; rows.next(); ++i) {
        out << (i % 2 == 0 ? QStringLiteral("<TR bgcolor=#DCDCDC>") : QStringLiteral("<TR bgcolor=#CCCCCC>"));
        out << font << store::toText(rows.value(0)) << QStringLiteral("</FONT></FONT></TD>");
        out << font << regional.formatDate(store::toDate(rows.value(1))) << QStringLiteral("</TD></FONT>");
        out << font << regional.formatTime(store::toTime(rows.value(2))) << QStringLiteral("</TD></FONT>");
        out << QStringLiteral("<TD align=right> <FONT face=verdana size=-10>")
            << regional.formatCurrency(store::toCurrency(rows.value(3))) << QStringLiteral("</TD></FONT>");
        out << font << store::toText(rows.value(4)) << QStringLiteral("</TD></FONT>");
        out << QStringLiteral("</TR>");
    }
    // An empty day sums to NULL, which reads as 0.
    const Currency total = store::toCurrency(store::scalar(
        db, QStringLiteral("select sum (importe) as sumaImporte from ticket where Fecha=?"), {p1}));
    out << QStringLiteral("<TR>") << QStringLiteral("<TD></TD>") << QStringLiteral("<TD></TD>")
        << QStringLiteral("<TD align=right><FONT face=verdana size=-10>Total</FONT></TD>")
        << QStringLiteral("<TD align=right><FONT face=verdana size=-10>") << regional.formatCurrency(total)
        << QStringLiteral("</FONT></TD>") << QStringLiteral("<TD></TD>") << QStringLiteral("</TR>")
        << QStringLiteral("</TABLE>");
    return out;
}

QString firmaHTML() {
    return QStringLiteral("<br><FONT face=verdana size=-10>Mensaje enviado por Quintor.</FONT>");
}

MailMessage buildMail(const MailServerSettings& server, const QString& subject, QStringList body) {
    MailMessage mail;
    mail.server = server.smtp.trimmed();
    mail.port = server.port.trimmed();
    mail.greeting = mail.server;
    mail.senderAddress = server.to;
    mail.senderName = server.de;
    mail.subject = subject;
    mail.recipients = {server.to};
    if (!server.cc.trimmed().isEmpty())
        mail.copies = {server.cc};
    body << firmaHTML();
    mail.body = std::move(body);
    mail.security = server.security;
    return mail;
}

std::optional<MailField> firstBlankField(const MailServerSettings& s) {
    if (s.de.trimmed().isEmpty())
        return MailField::De;
    if (s.to.trimmed().isEmpty())
        return MailField::Para;
    if (s.smtp.trimmed().isEmpty())
        return MailField::Smtp;
    if (s.port.trimmed().isEmpty())
        return MailField::Puerto;
    return std::nullopt;
}

QString blankFieldMessage(MailField field) {
    switch (field) {
    case MailField::De:
        return QStringLiteral("El campo De: no puede quedar en blanco");
    case MailField::Para:
        return QStringLiteral("El campo Para: no puede quedar en blanco");
    case MailField::Smtp:
        return QStringLiteral("El campo Servidor SMTP: no puede quedar en blanco");
    case MailField::Puerto:
        return QStringLiteral("El campo Puerto: no puede quedar en blanco");
    }
    return {};
}

Avisos::Avisos(ConsoleContext& context, MailSender& sender, QObject* parent)
    : QObject(parent)
    , m_context(context)
    , m_sender(sender) {
    connect(&m_sender, &MailSender::finished, this, &Avisos::taskFinished);
    connect(&m_timer, &QTimer::timeout, this, &Avisos::onSchedule);
}

quint64 Avisos::EnviarAviso(MailKind kind, const QStringList& informeCaja) {
    store::WebConfig web;
    try {
        web = store::readWebConfig(m_context.data->db());
    } catch (const store::DatabaseError& e) {
        m_failures[static_cast<int>(serverOf(kind))] = MailFailure{e.text(), m_context.clock->now()};
        emit failureChanged(serverOf(kind));
        return 0;
    }
    const MailServerSettings server = serverOf(kind) == MailServer::Logs ? logServer(web) : reportServer(web);
    const bool isTest = kind == MailKind::PruebaLogs || kind == MailKind::PruebaInformes;
    if (!isTest && !complete(server))
        return 0;
    QStringList body;
    if (kind == MailKind::EstadoPuestos && m_estado) {
        body = m_estado();
    } else if (kind == MailKind::CajaProvisional) {
        // The scheduled mail runs from a timer: a database error is this
        // mail's failure, never the console's.
        try {
            body =
                cajaProvisionalHTML(m_context.data->db(), m_context.clock->now().date(), m_context.regional);
        } catch (const store::DatabaseError& e) {
            m_failures[static_cast<int>(serverOf(kind))] = MailFailure{e.text(), m_context.clock->now()};
            emit failureChanged(serverOf(kind));
            return 0;
        }
    } else if (kind == MailKind::InformeCaja) {
        body = informeCaja;
    }
    return send(kind, server, std::move(body));
}

quint64 Avisos::enviarPrueba(MailServer server, const MailServerSettings& onScreen) {
    MailServerSettings s = onScreen;
    s.smtp = s.smtp.trimmed();
    s.port = s.port.trimmed();
    s.to = s.to.trimmed();
    s.de = s.de.trimmed();
    return send(server == MailServer::Logs ? MailKind::PruebaLogs : MailKind::PruebaInformes, s, {});
}

quint64 Avisos::send(MailKind kind, const MailServerSettings& server, QStringList body) {
    const QString subject = mailSubject(m_context.clock->now().time(), kind, m_context.currentOperator);
    const quint64 id = m_sender.start(buildMail(server, subject, std::move(body)));
    m_running.emplace(id, serverOf(kind));
    return id;
}

void Avisos::startSchedule(int frecuencia) {
    m_timer.stop();
    if (frecuencia <= 0)
        return;
    m_timer.start(frecuencia * MsPerMinute);
}

void Avisos::onSchedule() {
    store::WebConfig web;
    try {
        web = store::readWebConfig(m_context.data->db());
    } catch (const store::DatabaseError& e) {
        m_failures[static_cast<int>(MailServer::Logs)] = MailFailure{e.text(), m_context.clock->now()};
        emit failureChanged(MailServer::Logs);
        return;
    }
    if (web.estado)
        EnviarAviso(MailKind::EstadoPuestos);
    if (web.informe)
        EnviarAviso(MailKind::CajaProvisional);
}

std::optional<MailFailure> Avisos::lastFailure(MailServer server) const {
    return m_failures[static_cast<int>(server)];
}

void Avisos::taskFinished(const MailResult& result) {
    const auto it = m_running.find(result.id);
    if (it == m_running.end())
        return;
    const MailServer server = it->second;
    m_running.erase(it);
    auto& slot = m_failures[static_cast<int>(server)];
    if (result.ok) {
        if (!slot)
            return;
        slot.reset();
    } else {
        slot = MailFailure{result.error, result.at};
    }
    emit failureChanged(server);
}

} // namespace admin
