#include "app/frmacceso.h"

#include "app/configini.h"
#include "app/databasefiles.h"
#include "app/frmdialogs.h"
#include "app/login.h"
#include "core/consolecontext.h"
#include "store/datamodule.h"
#include "store/engine.h"
#include "store/passwordcache.h"
#include "store/privatefiles.h"
#include "store/schemaupdates.h"
#include "store/sql.h"
#include "ui/messagebox.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

const ui::MessageTable& TFrmAcceso::messages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        {"Advertencia", QStringLiteral("Advertencia"), QStringLiteral("Warning")},
        {"SeleccioneUsuario", QStringLiteral("Seleccione un usuario"), QStringLiteral("Select a user")},
        {"PasswordIncorrecta", QStringLiteral("Password incorrecta"), QStringLiteral("Wrong password")},
        {"OperadorBloqueado",
         QStringLiteral("Operador bloqueado por contraseñas erróneas. Podrá intentarlo de nuevo dentro de %1 "
                        "minutos."),
         QStringLiteral("Operator locked after wrong passwords. You may try again in %1 minutes.")},
        {"OperadorBloqueado1",
         QStringLiteral("Operador bloqueado por contraseñas erróneas. Podrá intentarlo de nuevo dentro de 1 "
                        "minuto."),
         QStringLiteral("Operator locked after wrong passwords. You may try again in 1 minute.")},
        {"NoConfig", QStringLiteral("No se ha podido crear el fichero de configuración"),
         QStringLiteral("The configuration file could not be created")},
        {"NoCopia", QStringLiteral("No se ha podido copiar el fichero seleccionado"),
         QStringLiteral("The selected file could not be copied")},
        {"BaseEnUso",
         QStringLiteral("La base de datos «%1» ya está abierta en otra consola (equipo %2, proceso %3). "
                        "Para varios mostradores use una base de datos PostgreSQL."),
         QStringLiteral("The database «%1» is already open in another console (computer %2, process %3). "
                        "For several counters use a PostgreSQL database.")},
        {"BaseEnUsoSinDatos",
         QStringLiteral("La base de datos «%1» ya está abierta en otra consola. "
                        "Para varios mostradores use una base de datos PostgreSQL."),
         QStringLiteral("The database «%1» is already open in another console. "
                        "For several counters use a PostgreSQL database.")},
        {"NoBloqueo", QStringLiteral("No se puede reservar la base de datos «%1» para esta consola: %2"),
         QStringLiteral("The database «%1» cannot be reserved for this console: %2")},
        {"NoEscribible", QStringLiteral("La base de datos «%1» no se puede escribir: %2"),
         QStringLiteral("The database «%1» cannot be written: %2")},
    };
    return table;
}

QString TFrmAcceso::lockRefusalText(const store::DatabaseLock::Outcome& outcome) {
    const QString name = QFileInfo(outcome.databasePath).fileName();
    using Kind = store::DatabaseLock::Outcome::Kind;
    if (outcome.kind == Kind::Failed)
        return messages().text(QStringLiteral("NoBloqueo")).arg(name, outcome.error);
    if (outcome.host.isEmpty() || outcome.pid <= 0)
        return messages().text(QStringLiteral("BaseEnUsoSinDatos")).arg(name);
    return messages().text(QStringLiteral("BaseEnUso")).arg(name, outcome.host, QString::number(outcome.pid));
}

QString TFrmAcceso::notWritableText(const QString& name, const QString& reason) {
    return messages().text(QStringLiteral("NoEscribible")).arg(QFileInfo(name).fileName(), reason);
}

TFrmAcceso::TFrmAcceso(ConsoleContext& context, app::Paths paths, Mode mode, QWidget* parent)
    : QDialog(parent)
    , m_context(context)
    , m_paths(std::move(paths))
    , m_mode(mode) {
    setObjectName(QStringLiteral("TFrmAcceso"));
    setWindowTitle(QStringLiteral("[ Acceso ]"));
    auto* layout = new QVBoxLayout(this);
    m_menuBar = new QMenuBar(this);
    layout->setMenuBar(m_menuBar);
    m_pages = new QStackedWidget(this);
    layout->addWidget(m_pages);
    buildLoginPage();
    buildToolsPage();
    buildUpgradePage();
    buildNotFoundPage();
    buildProgressPage();
    showPage(Page::Login);
    resize(460, 340);
}

void TFrmAcceso::buildLoginPage() {
    auto* page = new QWidget(m_pages);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(QStringLiteral("Operador:"), page));
    m_operatorList = new QListWidget(page);
    m_operatorList->setObjectName(QStringLiteral("operatorList"));
    layout->addWidget(m_operatorList);
    auto* passLabel = new QLabel(QStringLiteral("&Password:"), page);
    m_password = new QLineEdit(page);
    m_password->setObjectName(QStringLiteral("passwordEdit"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setMaxLength(10);
    passLabel->setBuddy(m_password);
    layout->addWidget(passLabel);
    layout->addWidget(m_password);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_loginAccept = new QPushButton(QStringLiteral("&Aceptar"), page);
    m_loginAccept->setObjectName(QStringLiteral("acceptButton"));
    auto* cancel = new QPushButton(QStringLiteral("&Cancelar"), page);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    buttons->addWidget(m_loginAccept);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(m_loginAccept, &QPushButton::clicked, this, &TFrmAcceso::acceptLogin);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_operatorList, &QListWidget::itemDoubleClicked, m_password, [this] { m_password->setFocus(); });
    m_pages->addWidget(page);
}

void TFrmAcceso::buildToolsPage() {
    auto* page = new QWidget(m_pages);
    auto* layout = new QVBoxLayout(page);
    auto* title = new QLabel(QStringLiteral("Herramientas administrativas de base de datos."), page);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout->addWidget(title);
    layout->addWidget(new QLabel(
        QStringLiteral("Actualmente sus datos se registran en la siguiente base de datos:"), page));
    m_toolsList = new QListWidget(page);
    m_toolsList->setObjectName(QStringLiteral("toolsList"));
    layout->addWidget(m_toolsList);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* accept = new QPushButton(QStringLiteral("Aceptar"), page);
    accept->setObjectName(QStringLiteral("toolsAcceptButton"));
    auto* cancel = new QPushButton(QStringLiteral("&Cancelar"), page);
    cancel->setObjectName(QStringLiteral("toolsCancelButton"));
    buttons->addWidget(accept);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    m_primary[size_t(Page::Tools)] = accept;
    m_firstFocus[size_t(Page::Tools)] = m_toolsList;
    connect(accept, &QPushButton::clicked, this, &TFrmAcceso::acceptTools);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_pages->addWidget(page);
}

void TFrmAcceso::buildUpgradePage() {
    auto* page = new QWidget(m_pages);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(QStringLiteral("Se ha detectado que la base de datos:"), page));
    m_upgradeFile = new QLabel(page);
    m_upgradeFile->setObjectName(QStringLiteral("upgradeFile"));
    QFont bold = m_upgradeFile->font();
    bold.setBold(true);
    m_upgradeFile->setFont(bold);
    layout->addWidget(m_upgradeFile);
    auto* text = new QLabel(
        QStringLiteral("no es válida para esta versión de Quintor. Pulse \"Actualizar ahora\" para "
                       "actualizar esta base de datos a la versión 4.0 PRO"),
        page);
    text->setWordWrap(true);
    layout->addWidget(text);
    m_upgradeTree = new QTreeWidget(page);
    m_upgradeTree->setObjectName(QStringLiteral("upgradeTree"));
    m_upgradeTree->setHeaderHidden(true);
    layout->addWidget(m_upgradeTree);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_upgradeNow = new QPushButton(QStringLiteral("&Actualizar ahora"), page);
    m_upgradeNow->setObjectName(QStringLiteral("upgradeNowButton"));
    m_upgradeNext = new QPushButton(QStringLiteral("&Siguiente >>"), page);
    m_upgradeNext->setObjectName(QStringLiteral("upgradeNextButton"));
    m_upgradeNext->setEnabled(false);
    auto* cancel = new QPushButton(QStringLiteral("&Cancelar"), page);
    cancel->setObjectName(QStringLiteral("upgradeCancelButton"));
    buttons->addWidget(m_upgradeNow);
    buttons->addWidget(m_upgradeNext);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(m_upgradeNow, &QPushButton::clicked, this, &TFrmAcceso::upgradeNow);
    connect(m_upgradeNext, &QPushButton::clicked, this, &TFrmAcceso::upgradeNext);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_pages->addWidget(page);
}

void TFrmAcceso::buildNotFoundPage() {
    auto* page = new QWidget(m_pages);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(QStringLiteral("La base de datos "), page));
    m_notFoundLabel = new QLabel(page);
    m_notFoundLabel->setObjectName(QStringLiteral("notFoundPath"));
    m_notFoundLabel->setWordWrap(true);
    QFont bold = m_notFoundLabel->font();
    bold.setBold(true);
    m_notFoundLabel->setFont(bold);
    layout->addWidget(m_notFoundLabel);
    layout->addWidget(new QLabel(QStringLiteral("No se encuentra en la ubicación predeterminada."), page));
    m_chooseOther =
        new QRadioButton(QStringLiteral("Prefiero seleccionar otra base de datos de trabajo"), page);
    m_chooseOther->setObjectName(QStringLiteral("chooseOther"));
    m_chooseOther->setChecked(true);
    m_findElsewhere =
        new QRadioButton(QStringLiteral("Prefiero encontrar la base de datos en otra ubicación"), page);
    m_findElsewhere->setObjectName(QStringLiteral("findElsewhere"));
    layout->addWidget(m_chooseOther);
    layout->addWidget(m_findElsewhere);
    layout->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* accept = new QPushButton(QStringLiteral("Aceptar"), page);
    accept->setObjectName(QStringLiteral("notFoundAcceptButton"));
    auto* cancel = new QPushButton(QStringLiteral("&Cancelar"), page);
    cancel->setObjectName(QStringLiteral("notFoundCancelButton"));
    buttons->addWidget(accept);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    m_primary[size_t(Page::NotFound)] = accept;
    m_firstFocus[size_t(Page::NotFound)] = m_chooseOther;
    connect(accept, &QPushButton::clicked, this, &TFrmAcceso::acceptNotFound);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_pages->addWidget(page);
}

void TFrmAcceso::buildProgressPage() {
    auto* page = new QWidget(m_pages);
    auto* layout = new QVBoxLayout(page);
    m_progressTitle = new QLabel(page);
    m_progressTitle->setObjectName(QStringLiteral("progressTitle"));
    QFont bold = m_progressTitle->font();
    bold.setBold(true);
    m_progressTitle->setFont(bold);
    m_progressResult = new QLabel(page);
    m_progressResult->setObjectName(QStringLiteral("progressResult"));
    m_progressDetail = new QLabel(page);
    m_progressDetail->setObjectName(QStringLiteral("progressDetail"));
    m_progressDetail->setWordWrap(true);
    m_progress = new QProgressBar(page);
    m_progress->setObjectName(QStringLiteral("progressBar"));
    m_progressContinue = new QPushButton(QStringLiteral("&Continuar"), page);
    m_progressContinue->setObjectName(QStringLiteral("progressContinueButton"));
    layout->addWidget(m_progressTitle);
    layout->addStretch();
    layout->addWidget(m_progress);
    layout->addWidget(m_progressResult);
    layout->addWidget(m_progressDetail);
    layout->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_progressContinue);
    layout->addLayout(buttons);
    connect(m_progressContinue, &QPushButton::clicked, this, [this] { showPage(Page::Tools); });
    m_pages->addWidget(page);
}

void TFrmAcceso::showPage(Page page) {
    m_pages->setCurrentIndex(static_cast<int>(page));
    m_menuBar->clear();
    m_menuBar->setVisible(page == Page::Tools);
    if (page == Page::Tools) {
        QMenu* file = m_menuBar->addMenu(QStringLiteral("&Archivo"));
        QAction* other = file->addAction(QStringLiteral("&Seleccionar otra base de datos..."));
        other->setObjectName(QStringLiteral("selectOtherAction"));
        connect(other, &QAction::triggered, this, &TFrmAcceso::selectOtherDatabase);
        fillToolsMenu(file);
    }
    // Enter presses the page's own button, with or without a window manager.
    m_primary[size_t(Page::Login)] = m_loginAccept;
    m_firstFocus[size_t(Page::Login)] = m_password;
    m_primary[size_t(Page::Upgrade)] = m_upgradeNow->isEnabled() ? m_upgradeNow : m_upgradeNext;
    m_firstFocus[size_t(Page::Upgrade)] = m_primary[size_t(Page::Upgrade)];
    m_primary[size_t(Page::Progress)] = m_progressContinue;
    m_firstFocus[size_t(Page::Progress)] = m_progressContinue;
    for (QPushButton* b : m_primary) {
        if (b)
            b->setDefault(false);
    }
    if (QPushButton* primary = m_primary[size_t(page)])
        primary->setDefault(true);
    if (QWidget* first = m_firstFocus[size_t(page)])
        first->setFocus();
}

void TFrmAcceso::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    raise();
    activateWindow();
    // Once mapped as well: a window manager may stack a window opened at the
    // same moment above it.
    QTimer::singleShot(0, this, [this] {
        raise();
        activateWindow();
    });
}

TFrmAcceso::Page TFrmAcceso::currentPage() const {
    return static_cast<Page>(m_pages->currentIndex());
}

QString TFrmAcceso::workingDatabase() const {
    return m_context.workingDatabase;
}

QStringList TFrmAcceso::operatorNames() const {
    QStringList names;
    for (const store::Operador& op : m_operators)
        names << op.NOMBRE;
    return names;
}

QStringList TFrmAcceso::toolsFiles() const {
    QStringList files;
    for (int i = 0; i < m_toolsList->count(); ++i)
        files << m_toolsList->item(i)->text();
    return files;
}

void TFrmAcceso::endProgram() {
    m_endProgram = true;
    reject();
}

bool TFrmAcceso::begin() {
    if (m_mode == Mode::ChangeOperator) {
        fillOperators();
        showPage(Page::Login);
        return true;
    }
    const app::ConfigIni config(m_paths.configIni());
    QString name;
    if (config.exists()) {
        name = config.databaseId();
    } else {
        name = QString::fromLatin1(app::ConfigIni::DefaultDatabase);
        m_context.firstRun = true;
    }
    return goToDatabase(name);
}

bool TFrmAcceso::goToDatabase(const QString& rawName) {
    m_context.data->close();
    const QString name = app::withMdbExtension(rawName);
    m_context.workingDatabase = name;
    const QString path = m_paths.databaseFile(name);
    if (!store::isServerAddress(path) && !QFileInfo(path).isFile()) {
        m_notFoundPath = QDir::toNativeSeparators(path);
        m_notFoundLabel->setText(m_notFoundPath);
        showPage(Page::NotFound);
        return true;
    }
    if (!abrirBase(name))
        return false;
    // From here this console works on the file: no other may, before any
    // operator sees it.
    if (!claimWorkingDatabase(name)) {
        m_context.data->close();
        endProgram();
        return false;
    }
    if (!m_context.data->isCurrentVersion()) {
        showUpgradePage(name, false);
        return true;
    }
    // Before anyone logs in: the lock-outs' tables are there, and no
    // operator's password is left as typed. A failure is reported when the
    // console starts.
    store::applySchemaUpdates(m_context.data->db());
    fillOperators();
    showPage(Page::Login);
    return true;
}

bool TFrmAcceso::abrirBase(const QString& name) {
    for (;;) {
        const QString where = m_paths.databaseFile(name);
        const Status opened = m_context.data->open(where, m_context.databasePassword);
        QString error = opened.error();
        if (opened) {
            // A console that cannot write would run and record nothing.
            const Status writable = m_context.data->checkWritable();
            if (writable)
                return true;
            m_context.data->close();
            error = notWritableText(name, writable.error());
        } else if (store::isServerAddress(where) && !m_context.data->passwordRefused()) {
            // A server that is down or out of reach: say so and offer to try
            // again; a password would not help.
            const ui::Answer again = ui::showMessage(
                this,
                ui::MessageRequest{messages().text(QStringLiteral("Atencion")),
                                   QStringLiteral("No se puede conectar con la base de datos %1:\r%2\r\r"
                                                  "¿Reintentar?")
                                       .arg(store::withoutPassword(where), error),
                                   ui::Icon::Warning, ui::Buttons::OkCancel});
            if (again == ui::Answer::Ok)
                continue;
            endProgram();
            return false;
        }
        ui::showMessage(this, ui::MessageRequest{messages().text(QStringLiteral("Atencion")), error,
                                                 ui::Icon::Warning, ui::Buttons::Ok});
        TFrmPassBD dialog(this);
        if (ui::execDialog(&dialog) != QDialog::Accepted) {
            endProgram();
            return false;
        }
        m_context.databasePassword = dialog.password();
    }
}

void TFrmAcceso::showLockRefusal(const store::DatabaseLock::Outcome& outcome) {
    ui::showMessage(this, ui::MessageRequest{messages().text(QStringLiteral("Atencion")),
                                             lockRefusalText(outcome), ui::Icon::Error, ui::Buttons::Ok});
}

bool TFrmAcceso::claimWorkingDatabase(const QString& name) {
    // A server's database is shared by design; its consoles claim stations, not the file.
    if (store::isServerAddress(name))
        return true;
    const store::DatabaseLock::Outcome claim = m_context.data->lock().acquire(m_paths.databaseFile(name));
    if (!claim.acquired())
        showLockRefusal(claim);
    return claim.acquired();
}

bool TFrmAcceso::claimForTool(const QString& name, store::DatabaseLock& toolLock) {
    // Other consoles go on working on a server while its tools run.
    if (store::isServerAddress(name))
        return true;
    const QString path = m_paths.databaseFile(name);
    if (m_context.data->lock().holds(path))
        return true;
    const store::DatabaseLock::Outcome claim = toolLock.acquire(path);
    if (!claim.acquired())
        showLockRefusal(claim);
    return claim.acquired();
}

void TFrmAcceso::fillOperators() {
    m_operators.clear();
    try {
        m_operators = store::operadores(m_context.data->db());
    } catch (const store::DatabaseError& e) {
        ui::showMessage(this, ui::MessageRequest{messages().text(QStringLiteral("Atencion")), e.text(),
                                                 ui::Icon::Error, ui::Buttons::Ok});
    }
    m_operatorList->clear();
    for (const store::Operador& op : m_operators)
        m_operatorList->addItem(op.NOMBRE);
    if (m_operatorList->count() > 0)
        m_operatorList->setCurrentRow(0);
    m_password->clear();
}

void TFrmAcceso::acceptLogin() {
    // A click on the empty part of the list clears the selection but keeps
    // the current row: only a selected operator counts.
    const int selected = m_operatorList->selectedItems().isEmpty() ? -1 : m_operatorList->currentRow();
    app::LoginCheck check;
    try {
        check = app::checkLogin(m_context.data->db(), m_operators, selected, m_password->text(),
                                m_context.clock->now());
    } catch (const store::DatabaseError& e) {
        ui::showMessage(this, ui::MessageRequest{messages().text(QStringLiteral("Atencion")), e.text(),
                                                 ui::Icon::Error, ui::Buttons::Ok});
        return;
    }
    switch (check.outcome) {
    case app::LoginCheck::Outcome::NoOperatorSelected:
        ui::showMessage(this, messages(), check.messageKey, ui::Icon::Information);
        m_operatorList->setFocus();
        return;
    case app::LoginCheck::Outcome::WrongPassword:
        ui::showMessage(this, messages(), check.messageKey, ui::Icon::Warning);
        m_password->setFocus();
        return;
    case app::LoginCheck::Outcome::Locked:
        ui::showMessage(
            this,
            ui::MessageRequest{messages().text(QStringLiteral("Atencion")),
                               check.minutos == 1
                                   ? messages().text(QStringLiteral("OperadorBloqueado1"))
                                   : messages().text(QStringLiteral("OperadorBloqueado")).arg(check.minutos),
                               ui::Icon::Warning, ui::Buttons::Ok});
        m_password->clear();
        m_password->setFocus();
        return;
    case app::LoginCheck::Outcome::Accepted:
        break;
    }
    m_context.currentOperator = check.operador.NOMBRE;
    emit operatorLoggedIn(check.operador.NOMBRE);
    if (m_mode == Mode::Startup && check.operador.isAdmin()) {
        m_toolsList->clear();
        if (store::isServerAddress(m_context.workingDatabase))
            m_toolsList->addItem(store::withoutPassword(m_context.workingDatabase));
        else
            m_toolsList->addItems(app::filesMatching(m_paths.databaseFolder(), m_context.workingDatabase));
        if (m_toolsList->count() > 0)
            m_toolsList->setCurrentRow(0);
        showPage(Page::Tools);
        return;
    }
    accept();
}

QString TFrmAcceso::pickDatabase() {
    TFrmSelBase dialog(m_paths.databaseFolder(), m_context.workingDatabase, this);
    if (ui::execDialog(&dialog) != QDialog::Accepted)
        return QString();
    return dialog.selectedFile();
}

void TFrmAcceso::selectOtherDatabase() {
    const QString picked = pickDatabase();
    if (picked.isEmpty() || picked == m_context.workingDatabase)
        return;
    m_toolsList->clear();
    m_toolsList->addItem(picked);
    m_context.workingDatabase.clear();
}

void TFrmAcceso::acceptTools() {
    if (m_toolsList->count() == 1)
        m_toolsList->setCurrentRow(0);
    QListWidgetItem* item = m_toolsList->currentItem();
    if (!item)
        return;
    const QString name = item->text();
    if (!store::isServerAddress(name) && !QFileInfo(m_paths.databaseFile(name)).isFile())
        return;
    // Refused before anything changes: config.ini keeps naming the old file.
    if (!claimWorkingDatabase(name))
        return;
    if (m_context.platform9x) {
        const Status cached = store::writePasswordCache(m_paths.databaseFile(QStringLiteral("iorlp.dll")),
                                                        m_context.databasePassword);
        if (!cached)
            ui::showMessage(this, ui::MessageRequest{messages().text(QStringLiteral("Atencion")),
                                                     cached.error(), ui::Icon::Warning, ui::Buttons::Ok});
    }
    const app::ConfigIni config(m_paths.configIni());
    if (!config.writeDatabaseId(name))
        ui::showMessage(this, messages(), QStringLiteral("NoConfig"), ui::Icon::Error, ui::Buttons::Ok,
                        QStringLiteral("Advertencia"));
    m_context.workingDatabase = name;
    if (!abrirBase(name))
        return;
    if (!m_context.data->isCurrentVersion()) {
        showUpgradePage(name, true);
        return;
    }
    accept();
}

void TFrmAcceso::upgradeNext() {
    if (m_upgradeFromTools) {
        showPage(Page::Tools);
        return;
    }
    fillOperators();
    showPage(Page::Login);
}

void TFrmAcceso::acceptNotFound() {
    if (m_chooseOther->isChecked()) {
        const QString picked = pickDatabase();
        if (picked.isEmpty())
            return;
        goToDatabase(picked);
        return;
    }
    QFileDialog dialog(this, QString(), m_paths.databaseFolder());
    dialog.setObjectName(QStringLiteral("findDatabaseDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(
        {QStringLiteral("Base de datos Access (*.mdb)"), QStringLiteral("Todos los archivos(*.*)")});
    if (ui::execDialog(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    store::createPrivateFolder(m_paths.databaseFolder());
    const Result<QString> copy =
        app::copyIntoFolder(dialog.selectedFiles().first(), m_paths.databaseFolder());
    if (!copy) {
        ui::showMessage(this, messages(), QStringLiteral("NoCopia"), ui::Icon::Warning);
        return;
    }
    goToDatabase(copy.value());
}
