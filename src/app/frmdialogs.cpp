#include "app/frmdialogs.h"

#include "app/databasefiles.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QDialogButtonBox* acceptCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(dialog);
    QPushButton* ok = buttons->addButton(QStringLiteral("&Aceptar"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("acceptButton"));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(QStringLiteral("&Cancelar"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace

TFrmPassBD::TFrmPassBD(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("TFrmPassBD"));
    setWindowTitle(QStringLiteral("[ Accediendo a ciber.mdb ]"));
    auto* layout = new QVBoxLayout(this);
    auto* changed =
        new QLabel(QStringLiteral("Si ha cambiado la contraseña de la base de datos, por favor introduzca la "
                                  "nueva contraseña y pulse \"Aceptar\"..."),
                   this);
    changed->setWordWrap(true);
    auto* unchanged =
        new QLabel(QStringLiteral("Si no ha cambiado la contraseña de la base de datos, se está "
                                  "produciendo un error al acceder a ciber.mdb Para solucionarlo, "
                                  "asegúrese de la correcta instalación de las librerías MDAC..."),
                   this);
    unchanged->setWordWrap(true);
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("passwordEdit"));
    m_password->setEchoMode(QLineEdit::Password);
    layout->addWidget(changed);
    layout->addWidget(m_password);
    layout->addWidget(unchanged);
    layout->addWidget(acceptCancel(this));
    resize(420, sizeHint().height());
}

QString TFrmPassBD::password() const {
    return m_password->text();
}

TFrmSelBase::TFrmSelBase(const QString& folder, const QString& current, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("TFrmSelBase"));
    setWindowTitle(QStringLiteral("[ Seleccionar base de datos ]"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Bases de datos de la carpeta %1:").arg(folder), this));
    m_files = new QListWidget(this);
    m_files->setObjectName(QStringLiteral("fileList"));
    m_files->addItems(app::mdbFiles(folder));
    const QList<QListWidgetItem*> match = m_files->findItems(current, Qt::MatchFixedString);
    if (!match.isEmpty())
        m_files->setCurrentItem(match.first());
    else if (m_files->count() > 0)
        m_files->setCurrentRow(0);
    layout->addWidget(m_files);
    layout->addWidget(acceptCancel(this));
    connect(m_files, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    resize(360, 300);
}

QString TFrmSelBase::selectedFile() const {
    QListWidgetItem* item = m_files->currentItem();
    return item ? item->text() : QString();
}
