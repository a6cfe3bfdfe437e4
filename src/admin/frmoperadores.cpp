#include "admin/frmoperadores.h"

#include "admin/operadoresrules.h"
#include "admin/permisos.h"
#include "core/consolecontext.h"
#include "store/datamodule.h"
#include "store/sql.h"
#include "ui/messagebox.h"

#include <QAction>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

// ---- TFrmNivelAcceso ----

const ui::MessageTable& TFrmNivelAcceso::messages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        {"NombreVacio", QStringLiteral("Se necesita un nombre de usuario"),
         QStringLiteral("A user name is needed")},
        {"NombreDuplicado", QStringLiteral("El nombre de operador ya está introducido"),
         QStringLiteral("That operator name is already in use")},
        {"Confirmacion", QStringLiteral("La confirmación de contraseña no es correcta"),
         QStringLiteral("The password confirmation does not match")},
        {"ClaveAdminVacia", QStringLiteral("ADMIN necesita una contraseña."),
         QStringLiteral("ADMIN needs a password.")},
        {"TodosPermisos", QStringLiteral("Dispone de todos los permisos."),
         QStringLiteral("Holds every permission.")},
        {"SinCambios", QStringLiteral("(sin cambios)"), QStringLiteral("(unchanged)")},
    };
    return table;
}

TFrmNivelAcceso::TFrmNivelAcceso(ConsoleContext& context, QWidget* parent)
    : QDialog(parent)
    , m_context(context) {
    setObjectName(QStringLiteral("TFrmNivelAcceso"));
    setWindowTitle(QStringLiteral("[ Nivel de acceso... ]"));
    auto* form = new QFormLayout;
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("name"));
    m_name->setMaxLength(admin::MaxOperatorName);
    form->addRow(QStringLiteral("Nombre ............"), m_name);
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("password"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setMaxLength(admin::MaxOperatorPassword);
    form->addRow(QStringLiteral("Password ......................"), m_password);
    m_confirm = new QLineEdit(this);
    m_confirm->setObjectName(QStringLiteral("confirmation"));
    m_confirm->setEchoMode(QLineEdit::Password);
    m_confirm->setMaxLength(admin::MaxOperatorPassword);
    form->addRow(QStringLiteral("Confirmar password ......."), m_confirm);

    auto* listLabel = new QLabel(QStringLiteral("Valor permisos operador"), this);
    m_permisos = new QListWidget(this);
    m_permisos->setObjectName(QStringLiteral("permisos"));

    auto* ok = new QPushButton(QStringLiteral("&Aceptar"), this);
    ok->setObjectName(QStringLiteral("aceptar"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancelar"), this);
    cancel->setObjectName(QStringLiteral("cancelar"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(listLabel);
    layout->addWidget(m_permisos, 1);
    layout->addLayout(buttons);
    resize(480, 620);
}

void TFrmNivelAcceso::prepareAdd() {
    m_adding = true;
    m_op = store::Operador{};
    m_name->clear();
    m_name->setEnabled(true);
    m_password->clear();
    m_confirm->clear();
    m_password->setPlaceholderText(QString());
    m_permisos->clear();
    for (const QString& text : admin::permisoTexts()) {
        auto* item = new QListWidgetItem(text, m_permisos);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
    m_name->setFocus();
}

void TFrmNivelAcceso::prepareChange(const store::Operador& op) {
    m_adding = false;
    m_op = op;
    m_name->setText(op.NOMBRE);
    m_name->setEnabled(false);
    // The stored password is never shown: empty boxes keep it.
    m_password->clear();
    m_confirm->clear();
    m_password->setPlaceholderText(messages().text(QStringLiteral("SinCambios")));
    m_permisos->clear();
    if (op.isAdmin()) {
        new QListWidgetItem(messages().text(QStringLiteral("TodosPermisos")), m_permisos);
    } else {
        const QStringList& texts = admin::permisoTexts();
        for (int i = 0; i < texts.size(); ++i) {
            auto* item = new QListWidgetItem(texts.at(i), m_permisos);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
            item->setCheckState(op.permisos[size_t(i)] ? Qt::Checked : Qt::Unchecked);
        }
    }
    m_password->setFocus();
}

store::Operador TFrmNivelAcceso::operador() const {
    store::Operador op = m_op;
    if (m_adding)
        op.NOMBRE = m_name->text();
    if (m_permisos->count() == store::PermisoCount) {
        for (int i = 0; i < store::PermisoCount; ++i)
            op.permisos[size_t(i)] = m_permisos->item(i)->checkState() == Qt::Checked;
    }
    return op;
}

QString TFrmNivelAcceso::clave() const {
    return m_password->text();
}

void TFrmNivelAcceso::setName(const QString& name) {
    m_name->setText(name);
}

void TFrmNivelAcceso::setPassword(const QString& password, const QString& confirmation) {
    m_password->setText(password);
    m_confirm->setText(confirmation);
}

void TFrmNivelAcceso::setPermiso(store::Permiso permiso, bool on) {
    if (m_permisos->count() == store::PermisoCount)
        m_permisos->item(int(permiso))->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

void TFrmNivelAcceso::done(int result) {
    if (result == QDialog::Accepted) {
        admin::OperadorCheck check;
        try {
            check = admin::comprobarOperador(m_context.data->db(), m_name->text(), m_password->text(),
                                             m_confirm->text(), m_adding);
        } catch (const store::DatabaseError& e) {
            ui::showMessage(this, ui::MessageRequest{messages().text(QStringLiteral("Atencion")), e.text(),
                                                     ui::Icon::Error, ui::Buttons::Ok});
            return;
        }
        if (!check.ok()) {
            const ui::Icon icon =
                check.messageKey == QLatin1String("NombreVacio") ? ui::Icon::Information : ui::Icon::Warning;
            ui::showMessage(this, messages(), check.messageKey, icon);
            (check.field == QLatin1String("name") ? m_name : m_password)->setFocus();
            return;
        }
    }
    QDialog::done(result);
}

// ---- TFrmOperadores ----

const ui::MessageTable& TFrmOperadores::messages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        {"NoAdmin", QStringLiteral("No se puede eliminar el usuario ADMIN"),
         QStringLiteral("The ADMIN user cannot be deleted")},
        {"Eliminar", QStringLiteral("¿ Eliminar operador ?"), QStringLiteral("Delete operator?")},
    };
    return table;
}

TFrmOperadores::TFrmOperadores(ConsoleContext& context, QWidget* parent)
    : QDialog(parent)
    , m_context(context) {
    setObjectName(QStringLiteral("TFrmOperadores"));
    setWindowTitle(QStringLiteral(" [ Operadores de Quintor...] "));

    auto* menuBar = new QMenuBar(this);
    QMenu* archivo = menuBar->addMenu(QStringLiteral("&Archivo"));
    auto* toolBar = new QToolBar(this);
    auto entry = [&](const QString& text, const char* name, const QKeySequence& key, const QString& hint,
                     QStyle::StandardPixmap icon) {
        QAction* a = archivo->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        if (!key.isEmpty())
            a->setShortcut(key);
        a->setStatusTip(hint);
        a->setToolTip(hint);
        a->setIcon(style()->standardIcon(icon));
        toolBar->addAction(a);
        addAction(a);
        return a;
    };
    connect(entry(QStringLiteral("&1.- Añadir..."), "anadir", QKeySequence(Qt::CTRL | Qt::Key_A),
                  QStringLiteral("Añadir (Ctrl + A)"), QStyle::SP_FileIcon),
            &QAction::triggered, this, &TFrmOperadores::anadir);
    connect(entry(QStringLiteral("&2.- Modificar..."), "modificar", QKeySequence(Qt::CTRL | Qt::Key_M),
                  QStringLiteral("Modificar (Ctrl + M)"), QStyle::SP_FileDialogDetailedView),
            &QAction::triggered, this, &TFrmOperadores::modificar);
    connect(entry(QStringLiteral("&3.- Borrar..."), "borrar", QKeySequence(Qt::CTRL | Qt::Key_E),
                  QStringLiteral("Borrar (Ctrl + E)"), QStyle::SP_TrashIcon),
            &QAction::triggered, this, &TFrmOperadores::borrar);
    archivo->addSeparator();
    toolBar->addSeparator();
    connect(entry(QStringLiteral("&4.- Salir..."), "salir", {}, QStringLiteral("Salir"),
                  QStyle::SP_DialogCloseButton),
            &QAction::triggered, this, &QDialog::accept);

    m_grid = new QTableWidget(0, 1, this);
    m_grid->setObjectName(QStringLiteral("grid"));
    m_grid->setHorizontalHeaderLabels({QStringLiteral("Nombre")});
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->verticalHeader()->hide();
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, [this] { modificar(); });

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addWidget(toolBar);
    layout->addWidget(m_grid, 1);
    resize(360, 420);
    reread();
    setCurrentRow(0);
}

void TFrmOperadores::showError(const QString& text) {
    ui::showMessage(this, ui::MessageRequest{messages().text(QStringLiteral("Atencion")), text,
                                             ui::Icon::Error, ui::Buttons::Ok});
}

admin::Autor TFrmOperadores::autor() const {
    return {m_context.currentOperator, m_context.clock->now()};
}

void TFrmOperadores::reread() {
    const int row = currentRow();
    try {
        m_rows = store::operadores(m_context.data->db());
    } catch (const store::DatabaseError& e) {
        showError(e.text());
        return;
    }
    m_grid->setRowCount(int(m_rows.size()));
    for (size_t i = 0; i < m_rows.size(); ++i)
        m_grid->setItem(int(i), 0, new QTableWidgetItem(m_rows[i].NOMBRE));
    setCurrentRow(qBound(0, row, qMax(0, int(m_rows.size()) - 1)));
}

int TFrmOperadores::currentRow() const {
    return m_grid->currentRow();
}

void TFrmOperadores::setCurrentRow(int row) {
    if (row >= 0 && row < m_grid->rowCount())
        m_grid->setCurrentCell(row, 0);
}

void TFrmOperadores::anadir() {
    TFrmNivelAcceso dialog(m_context, this);
    dialog.prepareAdd();
    if (ui::execDialog(&dialog) == QDialog::Accepted) {
        const Result<int> saved =
            admin::guardarOperador(m_context.data->db(), dialog.operador(), dialog.clave(), true, autor());
        if (!saved)
            showError(saved.error());
    }
    reread();
}

void TFrmOperadores::modificar() {
    const int row = currentRow();
    if (row < 0 || row >= int(m_rows.size()))
        return;
    TFrmNivelAcceso dialog(m_context, this);
    dialog.prepareChange(m_rows[size_t(row)]);
    if (ui::execDialog(&dialog) == QDialog::Accepted) {
        const Result<int> saved =
            admin::guardarOperador(m_context.data->db(), dialog.operador(), dialog.clave(), false, autor());
        if (!saved)
            showError(saved.error());
    }
    reread();
}

void TFrmOperadores::borrar() {
    const int row = currentRow();
    if (row < 0 || row >= int(m_rows.size()))
        return;
    const store::Operador& op = m_rows[size_t(row)];
    if (!admin::puedeEliminarOperador(op)) {
        ui::showMessage(this, messages(), QStringLiteral("NoAdmin"), ui::Icon::Warning);
        return;
    }
    if (ui::showMessage(this, messages(), QStringLiteral("Eliminar"), ui::Icon::Question,
                        ui::Buttons::YesNo) != ui::Answer::Yes)
        return;
    const Status deleted = admin::eliminarOperador(m_context.data->db(), op, autor());
    if (!deleted)
        showError(deleted.error());
    reread();
}
