#include "admin/mailpages.h"

#include "admin/mailtask.h"
#include "store/rows.h"
#include "store/schemaupdates.h"
#include "ui/messagebox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace admin {

namespace {

QLabel* note(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

ProgramacionLogsPage::ProgramacionLogsPage(QWidget* parent)
    : ui::OpcionesPage(parent) {
    setObjectName(QStringLiteral("programacionLogs"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        note(QStringLiteral("Quintor puede enviarle por correo electrónico el estado de la sala y la "
                            "caja del día. La dirección que los recibe se indica en la página "
                            "\"Servidor para Logs\"."),
             this));

    auto* programados = new QGroupBox(QStringLiteral(" Logs programados "), this);
    auto* pv = new QVBoxLayout(programados);
    auto* row = new QHBoxLayout;
    auto* frecuenciaLabel = new QLabel(QStringLiteral("&Frecuencia de envio:  cada"), programados);
    m_frecuencia = new QComboBox(programados);
    m_frecuencia->setObjectName(QStringLiteral("frecuencia"));
    for (const int minutes : store::kMailPeriods)
        m_frecuencia->addItem(QString::number(minutes), minutes);
    frecuenciaLabel->setBuddy(m_frecuencia);
    row->addWidget(frecuenciaLabel);
    row->addWidget(m_frecuencia);
    row->addWidget(new QLabel(QStringLiteral("minutos"), programados));
    row->addStretch();
    pv->addLayout(row);
    m_estado = new QCheckBox(QStringLiteral("Estado de los puestos de la sala"), programados);
    m_informe = new QCheckBox(QStringLiteral("Informe de caja resumido."), programados);
    pv->addWidget(m_estado);
    pv->addWidget(m_informe);
    layout->addWidget(programados);

    auto* automaticos = new QGroupBox(QStringLiteral(" Logs automáticos "), this);
    auto* av = new QVBoxLayout(automaticos);
    m_inicio = new QCheckBox(QStringLiteral("Inicio de Quintor"), automaticos);
    m_cambio = new QCheckBox(QStringLiteral("Cambio de operador"), automaticos);
    m_fin = new QCheckBox(QStringLiteral("Cierre de Quintor"), automaticos);
    av->addWidget(m_inicio);
    av->addWidget(m_cambio);
    av->addWidget(m_fin);
    layout->addWidget(automaticos);
    layout->addWidget(
        note(QStringLiteral("Los cambios de frecuencia se aplican al reiniciar Quintor."), this));
    layout->addStretch();

    connect(m_frecuencia, &QComboBox::currentIndexChanged, this, &ui::OpcionesPage::edited);
    for (QCheckBox* box : {m_estado, m_informe, m_inicio, m_cambio, m_fin})
        connect(box, &QCheckBox::toggled, this, &ui::OpcionesPage::edited);
}

void ProgramacionLogsPage::load(const store::Opciones&, const store::WebConfig& web) {
    const QSignalBlocker block(m_frecuencia);
    int index = m_frecuencia->findData(web.frecuencia);
    if (index < 0) {
        // A stored period off the list is kept as it is, not silently changed.
        m_frecuencia->addItem(QString::number(web.frecuencia), web.frecuencia);
        index = m_frecuencia->count() - 1;
    }
    m_frecuencia->setCurrentIndex(index);
    for (auto [box, value] :
         {std::pair{m_estado, web.estado}, std::pair{m_informe, web.informe}, std::pair{m_inicio, web.inicio},
          std::pair{m_cambio, web.cambio}, std::pair{m_fin, web.fin}}) {
        const QSignalBlocker b(box);
        box->setChecked(value);
    }
}

void ProgramacionLogsPage::save(store::Opciones&, store::WebConfig& web) const {
    web.frecuencia = m_frecuencia->currentData().toInt();
    web.estado = m_estado->isChecked();
    web.informe = m_informe->isChecked();
    web.inicio = m_inicio->isChecked();
    web.cambio = m_cambio->isChecked();
    web.fin = m_fin->isChecked();
}

ServidorCorreoPage::ServidorCorreoPage(MailServer server, Avisos& avisos, QWidget* parent)
    : ui::OpcionesPage(parent)
    , m_server(server)
    , m_avisos(avisos) {
    const bool logs = server == MailServer::Logs;
    setObjectName(logs ? QStringLiteral("servidorLogs") : QStringLiteral("servidorInformes"));
    auto* layout = new QVBoxLayout(this);
    if (!logs) {
        layout->addWidget(
            note(QStringLiteral("Especifique la dirección de correo electrónico que recibirá el "
                                "informe de caja en formato HTML."),
                 this));
    }
    auto make = [this](const char* name) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        connect(edit, &QLineEdit::textEdited, this, &ui::OpcionesPage::edited);
        return edit;
    };
    m_para = make("para");
    m_cc = make("cc");
    m_de = make("de");
    m_smtp = make("smtp");
    m_puerto = make("puerto");
    m_usuario = make("usuario");
    m_clave = make("clave");
    m_clave->setEchoMode(QLineEdit::Password);

    auto* form = new QFormLayout;
    if (logs) {
        form->addRow(QStringLiteral("&Para:"), m_para);
        form->addRow(QStringLiteral("&CC:"), m_cc);
        form->addRow(QStringLiteral("&De:"), m_de);
    } else {
        form->addRow(QStringLiteral("&Para:"), m_para);
        form->addRow(QStringLiteral("&De:"), m_de);
        form->addRow(QStringLiteral("&CC:"), m_cc);
    }
    form->addRow(QStringLiteral("&Servidor SMTP:"), m_smtp);
    form->addRow(QStringLiteral("P&uerto:"), m_puerto);
    layout->addLayout(form);

    auto* seguridad = new QGroupBox(QStringLiteral(" Seguridad (opcional) "), this);
    auto* sf = new QFormLayout(seguridad);
    sf->addRow(QStringLiteral("Us&uario:"), m_usuario);
    sf->addRow(QStringLiteral("Con&traseña:"), m_clave);
    m_tls = new QCheckBox(QStringLiteral("Conexión cifrada &TLS (STARTTLS; TLS directo en el puerto 465)"),
                          seguridad);
    m_tls->setObjectName(QStringLiteral("tls"));
    connect(m_tls, &QCheckBox::toggled, this, &ui::OpcionesPage::edited);
    sf->addRow(m_tls);
    m_sinCifrar = new QCheckBox(QStringLiteral("Permitir autenticación sin cifrar"), seguridad);
    m_sinCifrar->setObjectName(QStringLiteral("sinCifrar"));
    m_sinCifrar->setToolTip(
        QStringLiteral("Sin TLS, el usuario y la contraseña viajan legibles por la red."));
    connect(m_sinCifrar, &QCheckBox::toggled, this, &ui::OpcionesPage::edited);
    sf->addRow(m_sinCifrar);
    sf->addRow(
        note(QStringLiteral("Déjelo en blanco si su servidor no pide usuario ni cifrado."), seguridad));
    layout->addWidget(seguridad);

    auto* prueba = new QPushButton(QStringLiteral("&Envio de prueba"), this);
    prueba->setObjectName(QStringLiteral("envioPrueba"));
    connect(prueba, &QPushButton::clicked, this, &ServidorCorreoPage::enviarPrueba);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(prueba);
    m_estadoEnvio = new QLabel(this);
    m_estadoEnvio->setObjectName(QStringLiteral("estadoEnvio"));
    buttons->addWidget(m_estadoEnvio, 1);
    layout->addLayout(buttons);
    m_fallo = note(QString(), this);
    m_fallo->setObjectName(QStringLiteral("ultimoFallo"));
    m_fallo->setStyleSheet(QStringLiteral("color: #a00000;"));
    layout->addWidget(m_fallo);
    layout->addStretch();

    connect(&m_avisos, &Avisos::failureChanged, this, [this](MailServer s) {
        if (s == m_server)
            showFailure();
    });
    connect(&m_avisos.sender(), &MailSender::finished, this, [this](const MailResult& r) {
        if (r.id != m_pruebaId)
            return;
        m_pruebaId = 0;
        m_estadoEnvio->setText(r.ok ? QStringLiteral("Envío de prueba entregado al servidor.")
                                    : QStringLiteral("El envío de prueba ha fallado."));
    });
    showFailure();
}

void ServidorCorreoPage::load(const store::Opciones&, const store::WebConfig& web) {
    const MailServerSettings s = m_server == MailServer::Logs ? logServer(web) : reportServer(web);
    m_para->setText(s.to);
    m_cc->setText(s.cc);
    m_de->setText(s.de);
    m_smtp->setText(s.smtp);
    m_puerto->setText(s.port);
    m_usuario->setText(s.security.user);
    m_clave->setText(s.security.password);
    const QSignalBlocker block(m_tls);
    m_tls->setChecked(s.security.tls);
    const QSignalBlocker blockSinCifrar(m_sinCifrar);
    m_sinCifrar->setChecked(s.security.plainAuthAllowed);
}

void ServidorCorreoPage::save(store::Opciones&, store::WebConfig& web) const {
    const MailServerSettings s = onScreen();
    if (m_server == MailServer::Logs) {
        web.to1 = s.to;
        web.to2 = s.cc;
        web.de = s.de;
        web.smtp = s.smtp;
        web.port = s.port;
        web.smtpusuario = s.security.user;
        web.smtpclave = s.security.password;
        web.smtptls = s.security.tls;
        web.smtpsincifrar = s.security.plainAuthAllowed;
    } else {
        web.toinformes = s.to;
        web.ccinformes = s.cc;
        web.deinformes = s.de;
        web.smtpinformes = s.smtp;
        web.portinformes = s.port;
        web.usuarioinformes = s.security.user;
        web.claveinformes = s.security.password;
        web.tlsinformes = s.security.tls;
        web.sincifrarinformes = s.security.plainAuthAllowed;
    }
}

MailServerSettings ServidorCorreoPage::onScreen() const {
    return {
        m_smtp->text(), m_puerto->text(),
        m_para->text(), m_de->text(),
        m_cc->text(),   {m_usuario->text(), m_clave->text(), m_tls->isChecked(), m_sinCifrar->isChecked()}};
}

QLineEdit* ServidorCorreoPage::field(MailField f) const {
    switch (f) {
    case MailField::De:
        return m_de;
    case MailField::Para:
        return m_para;
    case MailField::Smtp:
        return m_smtp;
    case MailField::Puerto:
        return m_puerto;
    }
    return m_de;
}

void ServidorCorreoPage::enviarPrueba() {
    const MailServerSettings s = onScreen();
    if (const auto blank = firstBlankField(s)) {
        ui::showMessage(this, ui::MessageRequest{QStringLiteral("Atención"), blankFieldMessage(*blank),
                                                 ui::Icon::Warning, ui::Buttons::Ok});
        field(*blank)->setFocus();
        return;
    }
    m_pruebaId = m_avisos.enviarPrueba(m_server, s);
    m_estadoEnvio->setText(QStringLiteral("Enviando..."));
}

void ServidorCorreoPage::showFailure() {
    const auto failure = m_avisos.lastFailure(m_server);
    m_fallo->setText(
        failure ? QStringLiteral("Último envío fallido (%1): %2")
                      .arg(failure->at.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")), failure->error)
                : QString());
    m_fallo->setVisible(failure.has_value());
}

} // namespace admin
