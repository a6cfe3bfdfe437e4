#include "accounts/frmcodigoscaducidad.h"

#include "accounts/caducidad.h"
#include "accounts/cuentas.h"
#include "core/consolecontext.h"
#include "store/datamodule.h"
#include "store/opciones.h"
#include "ui/messagebox.h"
#include "ui/messagetable.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QRadioButton>
#include <QVBoxLayout>

const ui::MessageTable& TFrmCodigoscaducidad::messages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        {"CodigoEliminar", QStringLiteral("Es necesario seleccionar que códigos desea eliminar"),
         QStringLiteral("Choose which codes to remove")},
        {"message_0", QStringLiteral("Se va a proceder a eliminar las cuentas cuya alta sea anterior a  "),
         QStringLiteral("The accounts created before this date will be removed:  ")},
        {"message_1",
         QStringLiteral("Se va a proceder a eliminar las cuentas cuya última visita sea anterior a  "),
         QStringLiteral("The accounts last used before this date will be removed:  ")},
        {"message_2", QStringLiteral("Se va a proceder a eliminar los códigos cuya alta sea anterior a  "),
         QStringLiteral("The codes created before this date will be removed:  ")},
        {"message_3",
         QStringLiteral("Se va a proceder a eliminar los códigos cuya última visita sea anterior a  "),
         QStringLiteral("The codes last used before this date will be removed:  ")},
        {"message_4", QStringLiteral("Se va a proceder a eliminar los códigos cuyo crédito tiempo sea nulo"),
         QStringLiteral("The codes without time credit will be removed")},
        {"message_5", QStringLiteral(" y crédito de tiempo nulo"),
         QStringLiteral(" and without time credit")},
        {"MensajeError", QStringLiteral("La operación no se ha podido realizar por que hay cuentas en uso"),
         QStringLiteral("The operation could not be done because some accounts are in use")},
    };
    return table;
}

TFrmCodigoscaducidad::TFrmCodigoscaducidad(ConsoleContext& context, accounts::Ambito ambito,
                                           const station::LoginsInUse& inUse, std::function<void()> removed,
                                           QWidget* parent)
    : QDialog(parent)
    , m_context(context)
    , m_ambito(ambito)
    , m_inUse(inUse)
    , m_removed(std::move(removed)) {
    const bool codigos = ambito == accounts::Ambito::Codigos;
    setObjectName(QStringLiteral("TFrmCodigoscaducidad"));
    setWindowTitle(codigos ? QStringLiteral("[ Eliminación de códigos caducados ]")
                           : QStringLiteral("[ Eliminación de cuentas caducadas ]"));
    const store::Opciones o = store::readOpciones(context.data->db());
    const QString rows = codigos ? QStringLiteral("códigos") : QStringLiteral("cuentas");
    m_criterios[0] = new QRadioButton(
        QStringLiteral("Eliminar ") + rows + QStringLiteral(" cuya fecha de alta sea anterior a:"), this);
    m_criterios[1] = new QRadioButton(
        QStringLiteral("Eliminar ") + rows + QStringLiteral(" cuya última visita sea anterior a:"), this);
    for (int i = 0; i < 2; ++i) {
        QRadioButton* b = m_criterios[i];
        b->setObjectName(i == 0 ? QStringLiteral("porAlta") : QStringLiteral("porUltima"));
        // Not exclusive by themselves, so that no criterion at all can be chosen.
        b->setAutoExclusive(false);
        connect(b, &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                m_criterios[1 - i]->setChecked(false);
        });
    }
    const int preselected = codigos ? o.cad_cod : o.cad_cue;
    if (preselected == 0 || preselected == 1)
        m_criterios[preselected]->setChecked(true);
    m_fecha = new QDateEdit(this);
    m_fecha->setObjectName(QStringLiteral("fecha"));
    m_fecha->setCalendarPopup(true);
    m_fecha->setDisplayFormat(context.regional.shortDateFormat());
    m_fecha->setDate(context.clock->now().date().addDays(-(codigos ? o.dias_cad_cod : o.dias_cad_cue)));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_criterios[0]);
    layout->addWidget(m_criterios[1]);
    layout->addWidget(m_fecha);
    if (codigos) {
        m_nulo = new QCheckBox(QStringLiteral("Eliminar códigos con crédito de tiempo nulo"), this);
        m_nulo->setObjectName(QStringLiteral("creditoNulo"));
        layout->addWidget(m_nulo);
    }
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("&Aceptar"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("&Cancelar"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &TFrmCodigoscaducidad::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TFrmCodigoscaducidad::reject);
    layout->addWidget(buttons);
}

int TFrmCodigoscaducidad::criterio() const {
    for (int i = 0; i < 2; ++i)
        if (m_criterios[i]->isChecked())
            return i;
    return -1;
}

void TFrmCodigoscaducidad::accept() {
    try {
        if (m_ambito == accounts::Ambito::Codigos)
            eliminarCodigos();
        else
            eliminarCuentas();
    } catch (const store::DatabaseError& e) {
        ui::showError(this, e.text());
    }
}

namespace {

bool confirmar(QWidget* parent, const QString& text) {
    return ui::showMessage(
               parent, ui::MessageRequest{TFrmCodigoscaducidad::messages().text(QStringLiteral("Atencion")),
                                          text, ui::Icon::Question, ui::Buttons::YesNo}) == ui::Answer::Yes;
}

} // namespace

void TFrmCodigoscaducidad::eliminarCuentas() {
    const int c = criterio();
    if (c < 0) {
        ui::showMessage(this, messages(), QStringLiteral("CodigoEliminar"), ui::Icon::Warning);
        return;
    }
    const QDate fecha = m_fecha->date();
    const QString key = c == 0 ? QStringLiteral("message_0") : QStringLiteral("message_1");
    if (!confirmar(this, messages().text(key) + m_context.regional.formatDate(fecha)))
        return;
    const QStringList busy = accounts::eliminarCaducadas(m_context.data->db(), c == 1, fecha, m_inUse,
                                                         m_context.currentOperator, m_context.clock->now());
    for (qsizetype i = 0; i < busy.size(); ++i)
        ui::showMessage(this, messages(), QStringLiteral("MensajeError"), ui::Icon::Warning);
    if (m_removed)
        m_removed();
    QDialog::accept();
}

void TFrmCodigoscaducidad::eliminarCodigos() {
    accounts::CaducidadCodigos plan;
    plan.criterio = accounts::CriterioCaducidad(criterio());
    plan.creditoNulo = m_nulo->isChecked();
    plan.fecha = m_fecha->date();
    const accounts::ConfirmacionCaducidad q = accounts::confirmacionCodigos(plan);
    if (!q.pregunta()) {
        ui::showMessage(this, messages(), q.key, ui::Icon::Warning);
        return;
    }
    QString text = messages().text(q.key);
    if (q.conFecha)
        text += m_context.regional.formatDate(plan.fecha);
    if (!q.cola.isEmpty())
        text += messages().text(q.cola);
    if (!confirmar(this, text))
        return;
    const QStringList busy = accounts::eliminarCodigosCaducados(
        m_context.data->db(), plan, m_inUse, m_context.currentOperator, m_context.clock->now());
    for (qsizetype i = 0; i < busy.size(); ++i)
        ui::showMessage(this, messages(), QStringLiteral("MensajeError"), ui::Icon::Warning);
    if (m_removed)
        m_removed();
    QDialog::accept();
}
