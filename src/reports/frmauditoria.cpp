#include "reports/frmauditoria.h"

#include "core/consolecontext.h"
#include "reports/frmpreview.h"
#include "reports/listadoauditoria.h"
#include "store/datamodule.h"
#include "store/sql.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

namespace reports {

namespace {

const QString Todos = QStringLiteral("- Todos -");

void fill(QComboBox* box, std::vector<std::optional<QString>>& values, const QStringList& found,
          const QString& emptyLabel) {
    box->clear();
    values.clear();
    box->addItem(Todos);
    values.emplace_back();
    for (const QString& v : found) {
        box->addItem(v.isEmpty() ? emptyLabel : v);
        values.emplace_back(v);
    }
    box->setCurrentIndex(0);
}

std::optional<QString> chosen(const QComboBox* box, const std::vector<std::optional<QString>>& values) {
    const int i = box->currentIndex();
    return i >= 0 && size_t(i) < values.size() ? values[size_t(i)] : std::nullopt;
}

} // namespace

TfrmAuditoria::TfrmAuditoria(ConsoleContext& context, QWidget* parent)
    : ListadoWindow(context, QStringLiteral("TfrmAuditoria"), QStringLiteral("[ Registro de auditoría ]"),
                    false, true, parent) {
    auto* box = new QGroupBox(QStringLiteral(" Filtros "), this);
    auto* form = new QFormLayout(box);
    m_operators = new QComboBox(box);
    m_operators->setObjectName(QStringLiteral("operador"));
    m_actions = new QComboBox(box);
    m_actions->setObjectName(QStringLiteral("accion"));
    form->addRow(QStringLiteral("Operador"), m_operators);
    form->addRow(QStringLiteral("Acción"), m_actions);
    choices()->addWidget(box);
}

void TfrmAuditoria::prepare() {
    ListadoWindow::prepare();
    QStringList operators;
    QStringList actions;
    try {
        operators = operadoresAuditados(m_context.data->db());
        actions = accionesAuditadas(m_context.data->db());
    } catch (const store::DatabaseError& e) {
        showDatabaseError(this, e.text());
    }
    fill(m_operators, m_operatorValues, operators, QStringLiteral("(la consola)"));
    fill(m_actions, m_actionValues, actions, QString());
}

Statistic TfrmAuditoria::build() {
    Statistic s;
    s.report = listadoAuditoria(
        m_context.data->db(), m_context.regional,
        FiltroAuditoria{range(), chosen(m_operators, m_operatorValues), chosen(m_actions, m_actionValues)},
        m_context.clock->now());
    return s;
}

} // namespace reports
