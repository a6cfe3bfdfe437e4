#include "app/mailcontroller.h"

#include "admin/mailpages.h"
#include "app/frmmain.h"
#include "core/consolecontext.h"
#include "session/engine.h"
#include "station/estadohtml.h"
#include "store/datamodule.h"
#include "store/opciones.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QProgressDialog>
#include <QStatusBar>
#include <QTimer>

namespace {

constexpr int ProgramacionLogsEntry = 11;
constexpr int ServidorLogsEntry = 12;
constexpr int ServidorInformesEntry = 13;
constexpr int WaitStepMs = 100;
constexpr int WaitSteps = 100;
// The task's own limit ends the wait; this only guards against a task that
// never reports back.
constexpr int WaitMarginMs = 5000;

QString failureLine(const QString& server, const std::optional<admin::MailFailure>& failure) {
    if (!failure)
        return {};
    return QStringLiteral("Fallo del correo (%1) %2: %3")
        .arg(server, failure->at.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")), failure->error);
}

} // namespace

MailController::MailController(ConsoleContext& context, TFrmMain& mainWindow, ConsoleEngine& engine,
                               QObject* parent)
    : QObject(parent)
    , m_context(context)
    , m_main(mainWindow)
    , m_avisos(context, m_sender) {
    m_avisos.setEstadoBuilder(
        [&engine, &context] { return station::EstadoHTML(engine.puestos(), context.regional); });
    m_statusLabel = new QLabel(&m_main);
    m_statusLabel->setObjectName(QStringLiteral("mailFailure"));
    m_statusLabel->setStyleSheet(QStringLiteral("color: #a00000;"));
    m_statusLabel->hide();
    m_main.statusBar()->addPermanentWidget(m_statusLabel);
    connect(&m_avisos, &admin::Avisos::failureChanged, this, &MailController::showFailures);

    // The options window's entries of the mail pages.
    ui::registerOpcionesPage(ProgramacionLogsEntry, [](ConsoleContext&, QWidget* pageParent) {
        return new admin::ProgramacionLogsPage(pageParent);
    });
    ui::registerOpcionesPage(ServidorLogsEntry, [this](ConsoleContext&, QWidget* pageParent) {
        return new admin::ServidorCorreoPage(admin::MailServer::Logs, m_avisos, pageParent);
    });
    ui::registerOpcionesPage(ServidorInformesEntry, [this](ConsoleContext&, QWidget* pageParent) {
        return new admin::ServidorCorreoPage(admin::MailServer::Informes, m_avisos, pageParent);
    });
}

MailController::~MailController() {
    for (const int entry : {ProgramacionLogsEntry, ServidorLogsEntry, ServidorInformesEntry})
        ui::opcionesPages().erase(entry);
}

quint64 MailController::enviarInformeCaja(const QStringList& informeCaja) {
    return m_avisos.EnviarAviso(admin::MailKind::InformeCaja, informeCaja);
}

QString MailController::failureText() const {
    QStringList lines;
    for (const auto& [server, name] :
         {std::pair{admin::MailServer::Logs, QStringLiteral("logs")},
          std::pair{admin::MailServer::Informes, QStringLiteral("informe de caja")}}) {
        const QString line = failureLine(name, m_avisos.lastFailure(server));
        if (!line.isEmpty())
            lines << line;
    }
    return lines.join(QStringLiteral(" · "));
}

void MailController::showFailures() {
    const QString text = failureText();
    m_statusLabel->setText(text);
    m_statusLabel->setToolTip(text);
    m_statusLabel->setVisible(!text.isEmpty());
}

void MailController::started(const store::WebConfig& web) {
    if (web.inicio)
        m_avisos.EnviarAviso(admin::MailKind::Inicio);
    m_avisos.startSchedule(web.frecuencia);
}

void MailController::operatorChanged() {
    try {
        if (store::readWebConfig(m_context.data->db()).cambio)
            m_avisos.EnviarAviso(admin::MailKind::CambioOperador);
    } catch (const store::DatabaseError&) {
        // Without its settings there is no mail to send.
    }
}

bool MailController::closing() {
    m_avisos.startSchedule(0);
    m_closingId = 0;
    try {
        if (store::readWebConfig(m_context.data->db()).fin)
            m_closingId = m_avisos.EnviarAviso(admin::MailKind::Cierre);
    } catch (const store::DatabaseError&) {
        m_closingId = 0;
    }
    return m_closingId != 0;
}

void MailController::awaitClosing() {
    if (m_closingId == 0)
        return;
    // The window stays alive while it waits: the bar moves every step and
    // starts again at 1 when full.
    QProgressDialog progress(&m_main);
    progress.setObjectName(QStringLiteral("mailProgress"));
    progress.setWindowTitle(QStringLiteral("Quintor"));
    progress.setLabelText(QStringLiteral("Enviando el aviso de cierre por correo..."));
    progress.setCancelButton(nullptr);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(0);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    progress.setRange(0, WaitSteps);
    progress.setValue(0);
    progress.show();
    QElapsedTimer elapsed;
    elapsed.start();
    while (m_sender.isRunning(m_closingId) && elapsed.elapsed() < m_sender.timeLimitMs() + WaitMarginMs) {
        QEventLoop wait;
        QTimer::singleShot(WaitStepMs, &wait, &QEventLoop::quit);
        const auto done = connect(&m_sender, &admin::MailSender::finished, &wait, &QEventLoop::quit);
        wait.exec();
        disconnect(done);
        progress.setValue(progress.value() >= WaitSteps ? 1 : progress.value() + 1);
    }
    m_closingId = 0;
}
