#include "sales/turnospage.h"

#include "reports/frmpreview.h"
#include "sales/frmnturno.h"
#include "sales/turnos.h"
#include "ui/messagebox.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TurnosPage::TurnosPage(const QSqlDatabase& db, QWidget* parent)
    : ui::OpcionesPage(parent)
    , m_db(db) {
    setObjectName(QStringLiteral("TurnosPage"));
    m_grid = new QTableWidget(0, 3, this);
    m_grid->setObjectName(QStringLiteral("gridTurnos"));
    m_grid->setHorizontalHeaderLabels(
        {QStringLiteral("Turno"), QStringLiteral("Hora inicio"), QStringLiteral("Hora fin")});
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    connect(m_grid, &QTableWidget::doubleClicked, this, &TurnosPage::modifyTurno);

    auto* buttons = new QHBoxLayout;
    auto button = [&](const QString& text, const QString& name, void (TurnosPage::*slot)()) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b);
    };
    button(QStringLiteral("&Añadir"), QStringLiteral("anadir"), &TurnosPage::addTurno);
    button(QStringLiteral("&Modificar"), QStringLiteral("modificar"), &TurnosPage::modifyTurno);
    button(QStringLiteral("&Borrar"), QStringLiteral("borrar"), &TurnosPage::deleteTurno);
    buttons->addStretch();

    auto* text =
        new QLabel(QStringLiteral("Puede definir un turno de caja para cada uno de los operadores del "
                                  "programa.\n\nDe esta forma, cada operador podrá imprimir o incluso "
                                  "enviar por e-mail un informe de los tickets emitidos durante su turno "
                                  "de caja."),
                   this);
    text->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttons);
    layout->addWidget(text);
    reload();
}

void TurnosPage::reload() {
    const int row = m_grid->currentRow();
    std::vector<store::Turno> rows;
    try {
        rows = sales::turnos(m_db);
    } catch (const store::DatabaseError& e) {
        reports::showDatabaseError(this, e.text());
    }
    m_grid->setRowCount(int(rows.size()));
    for (int i = 0; i < int(rows.size()); ++i) {
        const store::Turno& t = rows[size_t(i)];
        m_grid->setItem(i, 0, new QTableWidgetItem(t.TURNO));
        m_grid->setItem(i, 1, new QTableWidgetItem(t.HORA_INI.toString(QStringLiteral("HH:mm:ss"))));
        m_grid->setItem(i, 2, new QTableWidgetItem(t.HORA_FIN.toString(QStringLiteral("HH:mm:ss"))));
    }
    if (!rows.empty())
        m_grid->selectRow(qBound(0, row, int(rows.size()) - 1));
}

QString TurnosPage::currentName() const {
    const int row = m_grid->currentRow();
    if (row < 0 || !m_grid->item(row, 0))
        return {};
    return m_grid->item(row, 0)->text();
}

void TurnosPage::addTurno() {
    Tfrmnturno dialog(m_db, store::Turno{QString(), QTime(0, 0), QTime(0, 0)}, true, this);
    ui::execDialog(&dialog);
    reload();
}

void TurnosPage::modifyTurno() {
    const QString name = currentName();
    if (name.isEmpty())
        return;
    const int row = m_grid->currentRow();
    const store::Turno turno{name,
                             QTime::fromString(m_grid->item(row, 1)->text(), QStringLiteral("HH:mm:ss")),
                             QTime::fromString(m_grid->item(row, 2)->text(), QStringLiteral("HH:mm:ss"))};
    Tfrmnturno dialog(m_db, turno, false, this);
    ui::execDialog(&dialog);
    reload();
}

void TurnosPage::deleteTurno() {
    const QString name = currentName();
    if (name.isEmpty())
        return;
    if (ui::showMessage(this, sales::turnoMessages(), QStringLiteral("BorrarTurno"), ui::Icon::Question,
                        ui::Buttons::YesNo) != ui::Answer::Yes)
        return;
    try {
        sales::deleteTurno(m_db, name);
    } catch (const store::DatabaseError& e) {
        reports::showDatabaseError(this, e.text());
    }
    reload();
}
