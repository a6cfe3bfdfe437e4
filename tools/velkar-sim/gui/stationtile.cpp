#include "gui/stationtile.h"

#include "gui/wheelguard.h"
#include "sim/simulator.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace velkarsim {

namespace {

constexpr int TileWidth = 330;

struct StateLook {
    QString text;
    QString background;
    QString foreground = QStringLiteral("black");
};

// The console's grid colours for the same states, so the two windows read
// as one system: free green, counter cyan, prepaid yellow, admin orange,
// unreachable red.
StateLook lookOf(const StationModel& m) {
    const QString unreachable = QStringLiteral("#ff0000");
    switch (m.power()) {
    case Power::Off:
        return {QStringLiteral("APAGADO"), unreachable};
    case Power::Rebooting:
        return {QStringLiteral("REINICIANDO…"), unreachable};
    case Power::ProgramEnded:
        return {QStringLiteral("VELKAR FINALIZADO"), unreachable};
    case Power::On:
        break;
    }
    const PollState& p = m.lastPoll();
    if (!p.seen)
        return {QStringLiteral("SIN SONDEO"), QStringLiteral("#9e9e9e"), QStringLiteral("white")};
    if (p.stateWord == u"LIBRE")
        return {QStringLiteral("LIBRE"), QStringLiteral("#00ff00")};
    if (p.stateWord == u"OCUPADO")
        return {QStringLiteral("OCUPADO (contador)"), QStringLiteral("#00ffff")};
    if (p.stateWord == u"PREPAGO")
        return {QStringLiteral("PREPAGO"), QStringLiteral("#ffff00")};
    if (p.stateWord == u"ADM")
        return {QStringLiteral("MODO ADMIN"), QStringLiteral("#ff8d1c")};
    return {p.stateWord, QStringLiteral("#795548"), QStringLiteral("white")};
}

QString offText(int kind) {
    switch (kind) {
    case 0:
        return QStringLiteral("0 · Cerrar sesión");
    case 1:
        return QStringLiteral("1 · Apagar equipo");
    case 2:
        return QStringLiteral("2 · Reiniciar");
    case 3:
        return QStringLiteral("3 · Finalizar Velkar");
    default:
        return QString::number(kind);
    }
}

QString setPassText(const QString& result) {
    if (result.isEmpty())
        return QStringLiteral("—");
    if (result == u"0")
        return QStringLiteral("Cambio rechazado");
    if (result == u"1")
        return QStringLiteral("Contraseña cambiada");
    if (result == u"11")
        return QStringLiteral("Primera contraseña establecida");
    return result;
}

QString orDash(const QString& text) {
    return text.isEmpty() ? QStringLiteral("—") : text;
}

// The first word of a queued reply, for the queue line.
QString replyName(const QByteArray& reply) {
    const qsizetype tab = reply.indexOf('\t');
    return QString::fromLatin1(tab >= 0 ? reply.left(tab) : reply.left(12));
}

QLabel* valueLabel() {
    auto* label = new QLabel(QStringLiteral("—"));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    return label;
}

} // namespace

StationTile::StationTile(Simulator& simulator, int index, QWidget* parent)
    : QFrame(parent)
    , m_sim(simulator)
    , m_index(index) {
    setFrameShape(QFrame::StyledPanel);
    setFixedWidth(TileWidth);
    setObjectName(QStringLiteral("tile"));
    setStyleSheet(QStringLiteral("QFrame#tile { background: palette(base); border: 1px solid #b0bec5; "
                                 "border-radius: 6px; }"));

    const StationModel& m = m_sim.station(index);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(6);

    auto* header = new QHBoxLayout;
    m_title = new QLabel(QStringLiteral("Puesto %1").arg(m.number()));
    QFont big = m_title->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    m_title->setFont(big);
    m_address = new QLabel(QStringLiteral("%1:%2").arg(m.address().toString()).arg(m_sim.port()));
    m_address->setStyleSheet(QStringLiteral("color: #607d8b;"));
    m_connection = new QLabel;
    header->addWidget(m_title);
    header->addWidget(m_address);
    header->addStretch();
    header->addWidget(m_connection);
    layout->addLayout(header);

    m_state = new QLabel;
    m_state->setAlignment(Qt::AlignCenter);
    m_state->setMinimumHeight(30);
    QFont stateFont = m_state->font();
    stateFont.setBold(true);
    m_state->setFont(stateFont);
    layout->addWidget(m_state);

    auto* form = new QFormLayout;
    form->setHorizontalSpacing(10);
    form->setVerticalSpacing(2);
    form->setLabelAlignment(Qt::AlignRight);
    m_time = valueLabel();
    m_cost = valueLabel();
    m_balance = valueLabel();
    m_login = valueLabel();
    m_message = valueLabel();
    m_warning = valueLabel();
    m_volume = valueLabel();
    m_refusal = valueLabel();
    m_password = valueLabel();
    m_off = valueLabel();
    m_queue = valueLabel();
    form->addRow(QStringLiteral("Tiempo:"), m_time);
    form->addRow(QStringLiteral("Importe:"), m_cost);
    form->addRow(QStringLiteral("Saldo:"), m_balance);
    form->addRow(QStringLiteral("Cuenta:"), m_login);
    form->addRow(QStringLiteral("Mensaje:"), m_message);
    form->addRow(QStringLiteral("Aviso:"), m_warning);
    form->addRow(QStringLiteral("Volumen:"), m_volume);
    form->addRow(QStringLiteral("Rechazo:"), m_refusal);
    form->addRow(QStringLiteral("Contraseña:"), m_password);
    form->addRow(QStringLiteral("Última orden:"), m_off);
    form->addRow(QStringLiteral("En cola:"), m_queue);
    layout->addLayout(form);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    m_loginEdit = new QLineEdit;
    m_loginEdit->setPlaceholderText(QStringLiteral("Cuenta"));
    m_loginEdit->setMaxLength(20);
    m_passwordEdit = new QLineEdit;
    m_passwordEdit->setPlaceholderText(QStringLiteral("Contraseña"));
    m_passwordEdit->setEchoMode(QLineEdit::Password);
    m_logInButton = new QPushButton(QStringLiteral("Entrar"));
    grid->addWidget(m_loginEdit, 0, 0);
    grid->addWidget(m_passwordEdit, 0, 1);
    grid->addWidget(m_logInButton, 0, 2);

    m_messageEdit = new QLineEdit;
    m_messageEdit->setPlaceholderText(QStringLiteral("Mensaje para el operador"));
    m_messageButton = new QPushButton(QStringLiteral("Enviar"));
    grid->addWidget(m_messageEdit, 1, 0, 1, 2);
    grid->addWidget(m_messageButton, 1, 2);

    m_newPasswordEdit = new QLineEdit;
    m_newPasswordEdit->setPlaceholderText(QStringLiteral("Contraseña nueva"));
    m_newPasswordEdit->setEchoMode(QLineEdit::Password);
    m_newPasswordButton = new QPushButton(QStringLiteral("Cambiar"));
    grid->addWidget(m_newPasswordEdit, 2, 0, 1, 2);
    grid->addWidget(m_newPasswordButton, 2, 2);
    layout->addLayout(grid);

    auto* actions = new QHBoxLayout;
    m_logOutButton = new QPushButton(QStringLiteral("Cerrar sesión"));
    m_adminButton = new QPushButton(QStringLiteral("Modo admin"));
    m_powerButton = new QPushButton(QStringLiteral("Apagar"));
    actions->addWidget(m_logOutButton);
    actions->addWidget(m_adminButton);
    actions->addWidget(m_powerButton);
    layout->addLayout(actions);

    auto* faults = new QHBoxLayout;
    m_fault = new QComboBox;
    const Fault::Mode modes[] = {Fault::Mode::None,  Fault::Mode::Refuse,  Fault::Mode::NeverAnswer,
                                 Fault::Mode::Delay, Fault::Mode::Garbage, Fault::Mode::Oversize,
                                 Fault::Mode::Drop};
    for (const Fault::Mode mode : modes) {
        Fault f;
        f.mode = mode;
        m_fault->addItem(mode == Fault::Mode::Delay ? QStringLiteral("Responde con retraso") : f.label(),
                         int(mode));
    }
    m_delay = new QSpinBox;
    m_delay->setRange(0, 60000);
    m_delay->setSingleStep(250);
    m_delay->setValue(1500);
    m_delay->setSuffix(QStringLiteral(" ms"));
    m_delay->setVisible(false);
    m_fault->setObjectName(QStringLiteral("fault"));
    m_delay->setObjectName(QStringLiteral("faultDelay"));
    new WheelOnlyWithFocus(m_fault);
    new WheelOnlyWithFocus(m_delay);
    faults->addWidget(new QLabel(QStringLiteral("Fallo:")));
    faults->addWidget(m_fault, 1);
    faults->addWidget(m_delay);
    layout->addLayout(faults);

    connect(m_logInButton, &QPushButton::clicked, this, &StationTile::logIn);
    connect(m_passwordEdit, &QLineEdit::returnPressed, this, &StationTile::logIn);
    connect(m_loginEdit, &QLineEdit::returnPressed, m_passwordEdit, qOverload<>(&QWidget::setFocus));
    connect(m_logOutButton, &QPushButton::clicked, this,
            [this] { queued(m_sim.station(m_index).queueLogout()); });
    connect(m_messageButton, &QPushButton::clicked, this, &StationTile::sendMessage);
    connect(m_messageEdit, &QLineEdit::returnPressed, this, &StationTile::sendMessage);
    connect(m_newPasswordButton, &QPushButton::clicked, this, &StationTile::changePassword);
    connect(m_newPasswordEdit, &QLineEdit::returnPressed, this, &StationTile::changePassword);
    connect(m_adminButton, &QPushButton::clicked, this, &StationTile::toggleAdmin);
    connect(m_powerButton, &QPushButton::clicked, this, &StationTile::togglePower);
    connect(m_fault, &QComboBox::activated, this, &StationTile::applyFault);
    connect(m_delay, &QSpinBox::editingFinished, this, &StationTile::applyFault);

    refresh(true);
}

void StationTile::refresh(bool force) {
    const StationModel& m = m_sim.station(m_index);
    const bool listening = m_sim.isListening(m_index);
    if (!force && m.revision() == m_shownRevision && listening == m_shownListening)
        return;
    m_shownRevision = m.revision();
    m_shownListening = listening;

    const StateLook look = lookOf(m);
    m_state->setText(look.text);
    m_state->setStyleSheet(QStringLiteral("background: %1; color: %2; border-radius: 4px; padding: 4px;")
                               .arg(look.background, look.foreground));

    if (m.connected()) {
        m_connection->setText(QStringLiteral("<span style='color:#2e7d32'>● Conectado</span>"));
        m_connection->setToolTip(QStringLiteral("La consola está conectada"));
    } else if (listening) {
        m_connection->setText(QStringLiteral("<span style='color:#ef6c00'>○ En espera</span>"));
        m_connection->setToolTip(QStringLiteral("Escuchando; la consola no está conectada"));
    } else {
        m_connection->setText(QStringLiteral("<span style='color:#c62828'>✕ Sin escucha</span>"));
        m_connection->setToolTip(
            QStringLiteral("No acepta conexiones (apagado o fallo «rechaza la conexión»)"));
    }

    const PollState& p = m.lastPoll();
    m_time->setText(orDash(p.time));
    m_cost->setText(orDash(p.cost));
    m_balance->setText(orDash(p.balance));
    m_login->setText(orDash(p.login));
    m_message->setText(orDash(m.lastMessage()));
    m_warning->setText(
        m.warning()
            ? QStringLiteral("<b style='color:#c62828'>%1</b>").arg(orDash(m.warningText()).toHtmlEscaped())
            : QStringLiteral("—"));
    m_volume->setText(m.volume() ? QString::number(*m.volume()) : QStringLiteral("—"));
    m_refusal->setText(
        m.lastRefusalCode()
            ? QStringLiteral("%1 · %2").arg(*m.lastRefusalCode()).arg(refusalText(*m.lastRefusalCode()))
            : QStringLiteral("—"));
    m_password->setText(m.mustSetPassword() ? QStringLiteral("Debe elegir una nueva")
                                            : setPassText(m.lastSetPassResult()));
    m_off->setText(m.lastOffKind() ? offText(*m.lastOffKind()) : QStringLiteral("—"));
    QStringList queue;
    for (const QByteArray& reply : m.queuedReplies())
        queue << replyName(reply);
    m_queue->setText(queue.isEmpty() ? QStringLiteral("—") : queue.join(QStringLiteral(", ")));

    const bool on = m.power() == Power::On;
    m_powerButton->setText(on ? QStringLiteral("Apagar") : QStringLiteral("Encender"));
    m_adminButton->setText(m.inAdminMode() ? QStringLiteral("Salir de admin") : QStringLiteral("Modo admin"));
    for (QWidget* w : {static_cast<QWidget*>(m_logInButton), static_cast<QWidget*>(m_logOutButton),
                       static_cast<QWidget*>(m_adminButton), static_cast<QWidget*>(m_messageButton),
                       static_cast<QWidget*>(m_newPasswordButton)})
        w->setEnabled(on);

    const Fault f = m.fault();
    const int at = m_fault->findData(int(f.mode));
    if (at >= 0 && at != m_fault->currentIndex())
        m_fault->setCurrentIndex(at);
    m_delay->setVisible(f.mode == Fault::Mode::Delay);
    if (f.mode == Fault::Mode::Delay && !m_delay->hasFocus())
        m_delay->setValue(f.delayMs);
}

void StationTile::logIn() {
    const QString login = m_loginEdit->text().trimmed();
    if (login.isEmpty()) {
        m_loginEdit->setFocus();
        return;
    }
    queued(m_sim.station(m_index).queueLogin(login, m_passwordEdit->text()));
    m_passwordEdit->clear();
}

void StationTile::sendMessage() {
    const QString text = m_messageEdit->text();
    if (text.isEmpty())
        return;
    queued(m_sim.station(m_index).queueMessage(text));
    m_messageEdit->clear();
}

void StationTile::changePassword() {
    const QString password = m_newPasswordEdit->text();
    if (password.isEmpty())
        return;
    queued(m_sim.station(m_index).queueSetPassword(password));
    m_newPasswordEdit->clear();
}

void StationTile::toggleAdmin() {
    StationModel& m = m_sim.station(m_index);
    queued(m.queueAdmin(!m.inAdminMode()));
}

void StationTile::togglePower() {
    if (m_sim.station(m_index).power() == Power::On)
        m_sim.powerOff(m_index);
    else
        m_sim.powerOn(m_index);
    refresh(true);
}

void StationTile::applyFault() {
    Fault f;
    f.mode = Fault::Mode(m_fault->currentData().toInt());
    if (f.mode == Fault::Mode::Delay)
        f.delayMs = m_delay->value();
    m_sim.setFault(m_index, f);
    refresh(true);
}

void StationTile::queued(bool ok) {
    if (!ok)
        m_queue->setText(QStringLiteral("<b style='color:#c62828'>Cola llena</b>"));
    else
        refresh(true);
}

} // namespace velkarsim
