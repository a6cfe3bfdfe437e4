#include "sales/frmlisttik.h"

#include "core/consolecontext.h"
#include "reports/frmpreview.h"
#include "sales/turnos.h"
#include "store/datamodule.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QVBoxLayout>

Tfrmlisttik::Tfrmlisttik(ConsoleContext& context, QWidget* parent)
    : QDialog(parent)
    , m_context(context) {
    setObjectName(QStringLiteral("Tfrmlisttik"));
    setWindowTitle(QStringLiteral("[ Informe de caja ]"));
    m_day = new QDateEdit(this);
    m_day->setObjectName(QStringLiteral("dia"));
    m_day->setCalendarPopup(true);
    m_day->setDisplayFormat(context.regional.shortDateFormat());
    m_shifts = new QComboBox(this);
    m_shifts->setObjectName(QStringLiteral("turno"));
    auto timeEdit = [this](const QString& name) {
        auto* e = new QTimeEdit(QTime(0, 0), this);
        e->setObjectName(name);
        e->setDisplayFormat(QStringLiteral("HH:mm:ss"));
        return e;
    };
    m_from = timeEdit(QStringLiteral("desde"));
    m_to = timeEdit(QStringLiteral("hasta"));
    connect(m_shifts, &QComboBox::activated, this, &Tfrmlisttik::chooseShift);
    m_consoles = new QComboBox(this);
    m_consoles->setObjectName(QStringLiteral("consola"));
    m_consoles->addItem(QStringLiteral("Todas las consolas"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Día ......."), m_day);
    form->addRow(QStringLiteral("Turno ......"), m_shifts);
    form->addRow(QStringLiteral("Desde ......."), m_from);
    form->addRow(QStringLiteral("Hasta ........."), m_to);
    form->addRow(QStringLiteral("Consola ......"), m_consoles);

    auto* kindBox = new QGroupBox(QStringLiteral(" Tipo de listado "), this);
    m_totals = new QRadioButton(QStringLiteral("Listado de totales"), kindBox);
    m_totals->setObjectName(QStringLiteral("totales"));
    m_details = new QRadioButton(QStringLiteral("Listado de detalles"), kindBox);
    m_details->setObjectName(QStringLiteral("detalles"));
    m_totals->setChecked(true);
    auto* kindLayout = new QVBoxLayout(kindBox);
    kindLayout->addWidget(m_totals);
    kindLayout->addWidget(m_details);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* print = buttons->addButton(QStringLiteral("&Imprimir"), QDialogButtonBox::ActionRole);
    print->setObjectName(QStringLiteral("imprimir"));
    print->setDefault(true);
    m_mail = buttons->addButton(QStringLiteral("Enviar como e-mail"), QDialogButtonBox::ActionRole);
    m_mail->setObjectName(QStringLiteral("enviarEmail"));
    // Without a mailer (no mail subsystem) there is nobody to hand the report to.
    m_mail->setEnabled(false);
    QPushButton* cancel = buttons->addButton(QStringLiteral("&Cancelar"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelar"));
    connect(print, &QPushButton::clicked, this, &Tfrmlisttik::imprimir);
    connect(m_mail, &QPushButton::clicked, this, &Tfrmlisttik::enviarEmail);
    connect(buttons, &QDialogButtonBox::rejected, this, &Tfrmlisttik::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(kindBox);
    layout->addWidget(buttons);
}

void Tfrmlisttik::prepare() {
    m_day->setDate(m_context.clock->now().date());
    m_shifts->clear();
    const QVariant chosen = m_consoles->currentData();
    sales::CajaConsolas consoles;
    try {
        m_turnos = sales::turnos(m_context.data->db());
        consoles = sales::cajaConsolas(m_context.data->db());
    } catch (const store::DatabaseError& e) {
        m_turnos.clear();
        reports::showDatabaseError(this, e.text());
    }
    for (const store::Turno& t : m_turnos)
        m_shifts->addItem(t.TURNO);
    m_shifts->setCurrentIndex(-1);
    // The item's data is the console's name; "all" has none.
    while (m_consoles->count() > 1)
        m_consoles->removeItem(1);
    if (consoles.sinConsola)
        m_consoles->addItem(QStringLiteral("(sin consola)"), QString());
    for (const QString& name : consoles.nombres)
        m_consoles->addItem(name, name);
    m_consoles->setCurrentIndex(qMax(0, chosen.isValid() ? m_consoles->findData(chosen) : 0));
    m_day->setFocus();
}

void Tfrmlisttik::chooseShift(int index) {
    if (index < 0 || index >= int(m_turnos.size()))
        return;
    m_from->setTime(m_turnos[size_t(index)].HORA_INI);
    m_to->setTime(m_turnos[size_t(index)].HORA_FIN);
}

sales::CajaSelection Tfrmlisttik::selection() const {
    const QVariant console = m_consoles->currentData();
    return {m_day->date(), m_from->time(), m_to->time(),
            console.isValid() ? std::optional<QString>(console.toString()) : std::nullopt};
}

sales::CajaListing Tfrmlisttik::kind() const {
    return m_details->isChecked() ? sales::CajaListing::Detalles : sales::CajaListing::Totales;
}

void Tfrmlisttik::imprimir() {
    reports::Report report;
    try {
        report = sales::informeCaja(m_context.data->db(), m_context.regional, selection(), kind(),
                                    m_context.clock->now());
    } catch (const store::DatabaseError& e) {
        reports::showDatabaseError(this, e.text());
        return;
    }
    reports::showPreview(this,
                         reports::ReportRenderer(std::move(report), m_context.regional.shortDateFormat(),
                                                 m_context.regional.longTimeFormat()));
}

void Tfrmlisttik::setMailer(std::function<void(const QStringList& html)> mailer) {
    m_mailer = std::move(mailer);
    m_mail->setEnabled(bool(m_mailer));
}

void Tfrmlisttik::enviarEmail() {
    if (!m_mailer)
        return;
    QStringList html;
    try {
        html = sales::sendcajaresumen(m_context.data->db(), m_context.regional, selection());
    } catch (const store::DatabaseError& e) {
        reports::showDatabaseError(this, e.text());
        return;
    }
    m_mailer(html);
}
