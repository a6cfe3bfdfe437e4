#include "session/frmtomarpuestos.h"

#include "session/consolelease.h"
#include "session/otrasconsolas.h"
#include "ui/messagebox.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TFrmTomarPuestos::TFrmTomarPuestos(session::ConsoleLease& lease, QWidget* parent)
    : QDialog(parent)
    , m_lease(lease) {
    setObjectName(QStringLiteral("TFrmTomarPuestos"));
    setWindowTitle(QStringLiteral("[ Tomar los puestos de otra consola ]"));
    m_table = new QTableWidget(0, 4, this);
    m_table->setObjectName(QStringLiteral("consolas"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Consola"), QStringLiteral("Equipo"),
                                        QStringLiteral("Último latido"), QStringLiteral("Puestos")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    auto* label = new QLabel(QStringLiteral("C&onsolas con puestos:"), this);
    label->setBuddy(m_table);

    auto* buttons = new QDialogButtonBox(this);
    m_take = buttons->addButton(QStringLiteral("&Tomar puestos"), QDialogButtonBox::ActionRole);
    m_take->setObjectName(QStringLiteral("tomar"));
    m_take->setDefault(true);
    QPushButton* close = buttons->addButton(QStringLiteral("&Cerrar"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("cerrar"));
    connect(m_take, &QPushButton::clicked, this, &TFrmTomarPuestos::tomar);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_table, 1);
    layout->addWidget(buttons);
    resize(520, 300);
}

bool TFrmTomarPuestos::load() {
    const Result<std::vector<store::ConsolaRow>> found = m_lease.otras();
    m_rows = found ? found.value() : std::vector<store::ConsolaRow>();
    m_table->setRowCount(int(m_rows.size()));
    for (int r = 0; r < int(m_rows.size()); ++r) {
        const store::ConsolaRow& c = m_rows[size_t(r)];
        const QStringList cells{c.nombre, c.equipo, session::textoLatido(c), QString::number(c.puestos)};
        for (int col = 0; col < cells.size(); ++col)
            m_table->setItem(r, col, new QTableWidgetItem(cells[col]));
    }
    m_table->resizeColumnsToContents();
    if (!m_rows.empty())
        m_table->selectRow(0);
    m_take->setEnabled(!m_rows.empty());
    if (!found) {
        ui::showError(this, found.error());
        return false;
    }
    return true;
}

void TFrmTomarPuestos::tomar() {
    const int row = m_table->currentRow();
    if (row < 0 || row >= int(m_rows.size()))
        return;
    const store::ConsolaRow chosen = m_rows[size_t(row)];
    const ui::MessageTable& t = session::otrasConsolasMessages();
    const QString question =
        session::pareceViva(chosen, m_lease.deadAfterMs())
            ? t.text(QStringLiteral("TomarViva")).arg(chosen.nombre, session::textoLatido(chosen))
            : t.text(QStringLiteral("TomarConfirme")).arg(chosen.nombre);
    if (ui::showMessage(this, ui::MessageRequest{t.text(QStringLiteral("Atencion")), question,
                                                 ui::Icon::Question, ui::Buttons::YesNo}) != ui::Answer::Yes)
        return;
    const Result<QList<int>> moved = m_lease.tomarAMano(chosen.nombre);
    if (!moved) {
        ui::showError(this, moved.error());
        load();
        return;
    }
    if (moved.value().isEmpty()) {
        ui::showMessage(this, ui::MessageRequest{t.text(QStringLiteral("Atencion")),
                                                 t.text(QStringLiteral("NadaQueTomar")).arg(chosen.nombre),
                                                 ui::Icon::Information, ui::Buttons::Ok});
    } else {
        emit taken(chosen.nombre, moved.value());
        ui::showMessage(this, ui::MessageRequest{t.text(QStringLiteral("Atencion")),
                                                 session::textoTomados(chosen.nombre, moved.value()),
                                                 ui::Icon::Information, ui::Buttons::Ok});
    }
    load();
}
