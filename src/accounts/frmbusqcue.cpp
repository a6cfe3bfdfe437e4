#include "accounts/frmbusqcue.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace accounts {

namespace {

QRadioButton* choice(const QString& text, const QString& name, QWidget* parent) {
    auto* b = new QRadioButton(text, parent);
    b->setObjectName(name);
    return b;
}

QGroupBox* group(const QString& title, QRadioButton* first, QRadioButton* second, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QHBoxLayout(box);
    layout->addWidget(first);
    layout->addWidget(second);
    auto* buttons = new QButtonGroup(box);
    buttons->addButton(first);
    buttons->addButton(second);
    first->setChecked(true);
    return box;
}

} // namespace

BusquedaDialog::BusquedaDialog(const VistaBusqueda& vista, bool porNombre, QWidget* parent)
    : QDialog(parent)
    , m_vista(vista) {
    m_anterior = m_vista.actual ? m_vista.actual() : QString();
    m_login = choice(QStringLiteral("Login"), QStringLiteral("login"), this);
    m_nombre = choice(QStringLiteral("Nombre"), QStringLiteral("nombre"), this);
    m_empieza = choice(QStringLiteral("empieza por"), QStringLiteral("empieza"), this);
    m_contiene = choice(QStringLiteral("contiene"), QStringLiteral("contiene"), this);
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("texto"));
    m_text->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    QGroupBox* campo = group(QStringLiteral("Buscar por"), m_login, m_nombre, this);
    // The codes have no name to search by.
    m_nombre->setVisible(porNombre);
    layout->addWidget(campo);
    layout->addWidget(group(QStringLiteral("Condición"), m_empieza, m_contiene, this));
    layout->addWidget(m_text);
    auto* buttons = new QDialogButtonBox(this);
    m_aceptar = buttons->addButton(QStringLiteral("&Aceptar"), QDialogButtonBox::AcceptRole);
    m_aceptar->setObjectName(QStringLiteral("aceptar"));
    buttons->addButton(QStringLiteral("&Cancelar"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    connect(m_text, &QLineEdit::textChanged, this, &BusquedaDialog::filtrar);
    for (QRadioButton* b : {m_login, m_nombre, m_empieza, m_contiene})
        connect(b, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                filtrar();
        });
    m_text->setFocus();
}

void BusquedaDialog::filtrar() {
    if (m_vista.filtrar)
        m_vista.filtrar(m_nombre->isChecked() ? CampoBusqueda::Nombre : CampoBusqueda::Login, m_text->text(),
                        m_empieza->isChecked());
}

bool BusquedaDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_text && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_aceptar->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void BusquedaDialog::done(int result) {
    if (!m_terminado) {
        m_terminado = true;
        QString login = result == QDialog::Accepted && m_vista.actual ? m_vista.actual() : QString();
        // Nothing found: the cursor goes back where it was.
        if (login.isEmpty())
            login = m_anterior;
        if (m_vista.filtrar)
            m_vista.filtrar(CampoBusqueda::Login, QString(), true);
        if (m_vista.seleccionar && !login.isEmpty())
            m_vista.seleccionar(login);
    }
    QDialog::done(result);
}

} // namespace accounts

TFrmbusqcue::TFrmbusqcue(const accounts::VistaBusqueda& vista, QWidget* parent)
    : BusquedaDialog(vista, true, parent) {
    setObjectName(QStringLiteral("TFrmbusqcue"));
    setWindowTitle(QStringLiteral("Buscar cuenta"));
}

TFrmbusqcod::TFrmbusqcod(const accounts::VistaBusqueda& vista, QWidget* parent)
    : BusquedaDialog(vista, false, parent) {
    setObjectName(QStringLiteral("TFrmbusqcod"));
    setWindowTitle(QStringLiteral("Buscar código"));
}
