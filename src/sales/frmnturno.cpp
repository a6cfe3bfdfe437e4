#include "sales/frmnturno.h"

#include "reports/frmpreview.h"
#include "sales/turnos.h"
#include "ui/messagebox.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

Tfrmnturno::Tfrmnturno(const QSqlDatabase& db, const store::Turno& turno, bool adding, QWidget* parent)
    : QDialog(parent)
    , m_db(db)
    , m_adding(adding) {
    setObjectName(QStringLiteral("Tfrmnturno"));
    setWindowTitle(QStringLiteral("[ Turno de caja ]"));
    auto* form = new QFormLayout;
    m_name = new QLineEdit(turno.TURNO, this);
    m_name->setObjectName(QStringLiteral("turno"));
    m_name->setMaxLength(50);
    m_name->setReadOnly(!adding);
    m_name->setEnabled(adding);
    auto timeEdit = [this](const QTime& t, const QString& name) {
        auto* e = new QTimeEdit(t.isValid() ? t : QTime(0, 0), this);
        e->setObjectName(name);
        e->setDisplayFormat(QStringLiteral("HH:mm:ss"));
        return e;
    };
    m_start = timeEdit(turno.HORA_INI, QStringLiteral("horaInicio"));
    m_end = timeEdit(turno.HORA_FIN, QStringLiteral("horaFin"));
    form->addRow(QStringLiteral("Turno ..............."), m_name);
    form->addRow(QStringLiteral("Hora  inicio ......"), m_start);
    form->addRow(QStringLiteral("Hora  fin .........."), m_end);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("&Aceptar"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    buttons->addButton(QStringLiteral("&Cancelar"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &Tfrmnturno::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &Tfrmnturno::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    (adding ? static_cast<QWidget*>(m_name) : m_start)->setFocus();
}

void Tfrmnturno::accept() {
    const store::Turno turno{m_name->text(), m_start->time(), m_end->time()};
    try {
        if (m_adding) {
            const QString refusal = sales::addTurno(m_db, turno);
            if (!refusal.isEmpty()) {
                ui::showMessage(this, sales::turnoMessages(), refusal, ui::Icon::Information);
                m_name->setFocus();
                return;
            }
        } else {
            sales::modifyTurno(m_db, turno);
        }
    } catch (const store::DatabaseError& e) {
        reports::showDatabaseError(this, e.text());
        return;
    }
    QDialog::accept();
}
