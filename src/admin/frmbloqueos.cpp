#include "admin/frmbloqueos.h"

#include "admin/bloqueosacceso.h"
#include "admin/permisobox.h"
#include "core/consolecontext.h"
#include "store/datamodule.h"
#include "ui/messagebox.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TFrmBloqueos::TFrmBloqueos(ConsoleContext& context, QWidget* parent)
    : QDialog(parent)
    , m_context(context) {
    setObjectName(QStringLiteral("TFrmBloqueos"));
    setWindowTitle(QStringLiteral("[ Bloqueos de acceso ]"));
    m_table = new QTableWidget(0, 5, this);
    m_table->setObjectName(QStringLiteral("bloqueos"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Tipo"), QStringLiteral("Nombre"),
                                        QStringLiteral("Intentos"), QStringLiteral("Hasta"),
                                        QStringLiteral("Quedan")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    auto* label = new QLabel(QStringLiteral("&Bloqueos en vigor:"), this);
    label->setBuddy(m_table);
    m_empty = new QLabel(admin::bloqueosMessages().text(QStringLiteral("Ninguno")), this);
    m_empty->setObjectName(QStringLiteral("ninguno"));

    auto* buttons = new QDialogButtonBox(this);
    m_unlock = buttons->addButton(QStringLiteral("&Desbloquear"), QDialogButtonBox::ActionRole);
    m_unlock->setObjectName(QStringLiteral("desbloquear"));
    m_unlock->setDefault(true);
    QPushButton* refresh = buttons->addButton(QStringLiteral("&Actualizar"), QDialogButtonBox::ActionRole);
    refresh->setObjectName(QStringLiteral("actualizar"));
    QPushButton* close = buttons->addButton(QStringLiteral("&Cerrar"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("cerrar"));
    connect(m_unlock, &QPushButton::clicked, this, &TFrmBloqueos::desbloquear);
    connect(refresh, &QPushButton::clicked, this, &TFrmBloqueos::load);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, &TFrmBloqueos::desbloquear);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_empty);
    layout->addWidget(buttons);
    resize(560, 320);
}

bool TFrmBloqueos::load() {
    const Result<admin::BloqueosActuales> found = admin::bloqueosActuales(m_context.data->db());
    m_rows = found ? found->bloqueos : std::vector<store::Bloqueo>();
    const Regional& r = m_context.regional;
    m_table->setRowCount(int(m_rows.size()));
    for (int row = 0; row < int(m_rows.size()); ++row) {
        const store::Bloqueo& b = m_rows[size_t(row)];
        const QDateTime until = QDateTime::fromMSecsSinceEpoch(b.hastaMs);
        const QStringList cells{admin::textoTipoBloqueo(b.tipo), b.nombre, QString::number(b.intentos),
                                r.formatDate(until.date()) + QLatin1Char(' ') + r.formatTime(until.time()),
                                QString::number(store::minutosRestantes(b, found->nowMs)) +
                                    QStringLiteral(" min")};
        for (int col = 0; col < cells.size(); ++col)
            m_table->setItem(row, col, new QTableWidgetItem(cells[col]));
    }
    m_table->resizeColumnsToContents();
    if (!m_rows.empty())
        m_table->selectRow(0);
    m_unlock->setEnabled(!m_rows.empty());
    m_empty->setVisible(m_rows.empty());
    m_table->setFocus();
    if (!found) {
        ui::showError(this, found.error());
        return false;
    }
    return true;
}

void TFrmBloqueos::desbloquear() {
    const int row = m_table->currentRow();
    if (row < 0 || row >= int(m_rows.size()))
        return;
    const store::Bloqueo chosen = m_rows[size_t(row)];
    const ui::MessageTable& t = admin::bloqueosMessages();
    if (const std::optional<store::Permiso> permiso = admin::permisoDesbloqueo(chosen.tipo)) {
        if (!admin::permitido(this, m_context, *permiso))
            return;
    } else if (!admin::puedeDesbloquearOperadores(m_context.currentOperator)) {
        ui::showMessage(this, t, QStringLiteral("SoloAdmin"), ui::Icon::Warning);
        return;
    }
    const QString question =
        t.text(QStringLiteral("Confirme")).arg(admin::textoTipoBloqueo(chosen.tipo).toLower(), chosen.nombre);
    if (ui::showMessage(this, ui::MessageRequest{t.text(QStringLiteral("Atencion")), question,
                                                 ui::Icon::Question, ui::Buttons::YesNo}) != ui::Answer::Yes)
        return;
    const Result<bool> lifted =
        admin::desbloquear(m_context.data->db(), chosen, {m_context.currentOperator, m_context.clock->now()});
    if (!lifted)
        ui::showError(this, lifted.error());
    else if (!lifted.value())
        ui::showMessage(this, t, QStringLiteral("YaNo"), ui::Icon::Information);
    load();
}
