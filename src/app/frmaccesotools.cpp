// The database tools of the log-in dialog: upgrades of older databases,
// compaction, replica and the import of old account files.

#include "app/databasefiles.h"
#include "app/frmacceso.h"
#include "core/consolecontext.h"
#include "store/datamodule.h"
#include "store/dbfile.h"
#include "store/engine.h"
#include "store/frmduplicar.h"
#include "store/frminfo.h"
#include "store/importcuentas.h"
#include "store/maintenance.h"
#include "store/passwordcache.h"
#include "store/upgrade.h"
#include "ui/messagebox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

namespace {

const ui::MessageTable& toolsMessages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        {"NoCopia", QStringLiteral("No se ha podido copiar el fichero seleccionado"),
         QStringLiteral("The selected file could not be copied")},
        {"NoVersion3.21", QStringLiteral("La base de datos seleccionada no pertenece a la versión 3.21 "),
         QStringLiteral("The selected database does not belong to version 3.21 ")},
        {"NoVersion3.2", QStringLiteral("La base de datos seleccionada no pertenece a la versión 3.2 "),
         QStringLiteral("The selected database does not belong to version 3.2 ")},
        {"IniciarCompactar", QStringLiteral("¿Iniciar compactar y reparar  %1?"),
         QStringLiteral("Start compact and repair  %1?")},
        {"SeleccionFichero", QStringLiteral("Seleccionar fichero usr.qdt"),
         QStringLiteral("Select file usr.qdt")},
        {"finactualizacion", QStringLiteral("Proceso finalizado con éxito. Pulse continuar"),
         QStringLiteral("Process finished successfully. Press continue")},
        {"CopiaPrevia", QStringLiteral("Copia de la base de datos antes de actualizarla: %1"),
         QStringLiteral("Copy of the database before its upgrade: %1")},
        {"NoCopiaPrevia",
         QStringLiteral(
             "No se ha podido hacer una copia de la base de datos antes de actualizarla, y no se ha "
             "actualizado:\r%1"),
         QStringLiteral(
             "The database could not be copied before its upgrade, and it has not been upgraded:\r%1")},
        {"ActualizacionFallida",
         QStringLiteral("No se ha podido actualizar la base de datos, que queda como estaba:\r%1\r\rAntes de "
                        "actualizar se hizo una copia en:\r%2"),
         QStringLiteral(
             "The database could not be upgraded and is left as it was:\r%1\r\rBefore the upgrade a "
             "copy was made in:\r%2")},
        {"CopiaNoActualizada",
         QStringLiteral(
             "No se ha podido actualizar la base de datos seleccionada, que no se ha modificado:\r%1"),
         QStringLiteral("The selected database could not be upgraded and has not been changed:\r%1")},
        {"SoloFichero",
         QStringLiteral(
             "La actualización de versiones antiguas se hace sobre un fichero; esta base de datos está en un "
             "servidor y no se ha modificado.\rActualice una copia del fichero antiguo con «Actualizar desde "
             "versión 3.2 PRO...» o «Actualizar desde versión 3.21 PRO...» y cópiela después al servidor con "
             "quintor --copy-database."),
         QStringLiteral("Old versions are upgraded as a file; this database is on a server and has not been "
                        "changed.\rUpgrade a copy of the old file with «Actualizar desde versión 3.2 PRO...» "
                        "or «Actualizar desde versión 3.21 PRO...» and then copy it to the server with "
                        "quintor --copy-database.")},
        {"Compactando", QStringLiteral("Compactando y reparando la base de datos"),
         QStringLiteral("Compacting and repairing the database")},
        {"CompactandoTabla", QStringLiteral("Tabla %1 (%2 de %3)"), QStringLiteral("Table %1 (%2 of %3)")},
        {"ResumenImportacion",
         QStringLiteral(
             "Cuentas importadas: %1 de %2 registros. Omitidas: %3 que ya existían, %4 registros no "
             "válidos."),
         QStringLiteral(
             "Accounts imported: %1 of %2 records. Skipped: %3 already present, %4 invalid records.")},
    };
    return table;
}

void showError(QWidget* parent, const QString& text, ui::Icon icon = ui::Icon::Error) {
    ui::showMessage(parent, ui::MessageRequest{toolsMessages().text(QStringLiteral("Atencion")), text, icon,
                                               ui::Buttons::Ok});
}

void removeDatabaseFile(const QString& path) {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QString::fromLatin1(suffix));
}

} // namespace

void TFrmAcceso::fillToolsMenu(QMenu* file) {
    QMenu* upgrade = file->addMenu(QStringLiteral("Actualizar a la versión 4.0 PRO de Quintor"));
    const auto add = [this](QMenu* menu, const QString& text, const char* name, auto slot) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, slot);
    };
    add(upgrade, QStringLiteral("Actualizar desde versión 3.0 PRO..."), "import30Action",
        [this] { importAccounts(QStringLiteral("3.0"), 13); });
    add(upgrade, QStringLiteral("Actualizar desde versión 3.1 PRO..."), "import31Action",
        [this] { importAccounts(QStringLiteral("3.1"), 17); });
    add(upgrade, QStringLiteral("Actualizar desde versión 3.2 PRO..."), "upgrade32Action",
        [this] { upgradeCopy(QStringLiteral("3.2")); });
    add(upgrade, QStringLiteral("Actualizar desde versión 3.21 PRO..."), "upgrade321Action",
        [this] { upgradeCopy(QStringLiteral("3.21")); });
    QMenu* tools = m_menuBar->addMenu(QStringLiteral("&Herramientas"));
    QMenu* utilities = tools->addMenu(QStringLiteral("&Utilidades de la base de datos..."));
    add(utilities, QStringLiteral("&Compactar y reparar base de datos..."), "compactAction",
        [this] { compactSelected(); });
    QMenu* replica = tools->addMenu(QStringLiteral("Réplica..."));
    add(replica, QStringLiteral("Crear una réplica de la base de datos actual..."), "replicaAction",
        [this] { replicaSelected(); });
}

void TFrmAcceso::showUpgradePage(const QString& name, bool fromTools) {
    m_upgradeFromTools = fromTools;
    m_upgradeName = name;
    m_upgradeFile->setText(name);
    m_upgradeTree->clear();
    m_upgradeNow->setEnabled(true);
    m_upgradeNext->setEnabled(false);
    showPage(Page::Upgrade);
}

void TFrmAcceso::upgradeNow() {
    if (store::isServerAddress(m_upgradeName)) {
        ui::showMessage(this, toolsMessages(), QStringLiteral("SoloFichero"), ui::Icon::Information);
        return;
    }
    store::DatabaseLock toolLock;
    if (!claimForTool(m_upgradeName, toolLock))
        return;
    if (!m_context.data->isOpen() && !abrirBase(m_upgradeName))
        return;
    m_upgradeTree->clear();
    QTreeWidgetItem* root = nullptr;
    const auto progress = [&](const QString& text, int level) {
        if (level == 0 || !root) {
            root = new QTreeWidgetItem(m_upgradeTree, {text});
        } else {
            new QTreeWidgetItem(root, {text});
            root->setExpanded(true);
        }
        m_upgradeTree->scrollToBottom();
        m_upgradeTree->repaint();
    };
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const store::InPlaceUpgrade outcome =
        store::upgradeInPlace(m_context.data->db(), m_context.data->filePath(), progress);
    QApplication::restoreOverrideCursor();
    if (!outcome.error.isEmpty()) {
        // Nothing of it stayed: no line may announce it.
        m_upgradeTree->clear();
        const ui::MessageTable& texts = toolsMessages();
        showError(this, outcome.copyPath.isEmpty()
                            ? texts.text(QStringLiteral("NoCopiaPrevia")).arg(outcome.error)
                            : texts.text(QStringLiteral("ActualizacionFallida"))
                                  .arg(outcome.error, QDir::toNativeSeparators(outcome.copyPath)));
        return;
    }
    if (!outcome.upgraded)
        return;
    progress(
        toolsMessages().text(QStringLiteral("CopiaPrevia")).arg(QDir::toNativeSeparators(outcome.copyPath)),
        1);
    m_upgradeNow->setEnabled(false);
    m_upgradeNext->setEnabled(true);
    m_upgradeNow->setDefault(false);
    m_upgradeNext->setDefault(true);
    m_upgradeNext->setFocus();
}

QString TFrmAcceso::selectedToolsEntry() {
    if (m_toolsList->count() == 1 && !m_toolsList->currentItem())
        m_toolsList->setCurrentRow(0);
    QListWidgetItem* item = m_toolsList->currentItem();
    return item ? item->text() : QString();
}

void TFrmAcceso::showProgressPanel(const QString& title) {
    m_progressTitle->setText(title);
    m_progressResult->clear();
    m_progressDetail->clear();
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progressContinue->setEnabled(false);
    showPage(Page::Progress);
}

void TFrmAcceso::progressFinished() {
    m_progressResult->setText(toolsMessages().text(QStringLiteral("finactualizacion")));
    m_progressContinue->setEnabled(true);
    m_progressContinue->setFocus();
}

void TFrmAcceso::upgradeCopy(const QString& version) {
    QFileDialog dialog(this, QString(), m_paths.databaseFolder());
    dialog.setObjectName(QStringLiteral("upgradeSourceDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(
        {QStringLiteral("Base de datos Access (*.mdb)"), QStringLiteral("Todos los archivos(*.*)")});
    if (ui::execDialog(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString source = dialog.selectedFiles().first();

    m_context.data->close();
    // Through the engine: the chosen file may be open elsewhere with data
    // still in its log.
    const Result<QString> copy = store::copyDatabaseDated(source, m_paths.databaseFolder());
    if (!copy) {
        ui::showMessage(this, toolsMessages(), QStringLiteral("NoCopia"), ui::Icon::Warning);
        return;
    }
    const QString copyPath = copy.value();
    const QString copyName = QFileInfo(copyPath).fileName();
    if (!abrirBase(copyName))
        return;
    if (store::VersionBase(m_context.data->db()) != version) {
        m_context.data->close();
        ui::showMessage(this, toolsMessages(), QStringLiteral("NoVersion") + version, ui::Icon::Information);
        removeDatabaseFile(copyPath);
        return;
    }

    showProgressPanel(QStringLiteral("Actualizando desde la versión %1 PRO").arg(version));
    int lines = 0;
    const Result<bool> upgraded = store::upgradeToCurrent(m_context.data->db(), [&](const QString&, int) {
        m_progress->setValue(std::min(95, ++lines * 12));
        m_progress->repaint();
    });
    m_context.data->close();
    if (!upgraded || !upgraded.value()) {
        // The copy was left as it was chosen: it is of no use here.
        removeDatabaseFile(copyPath);
        if (!upgraded)
            showError(this, toolsMessages().text(QStringLiteral("CopiaNoActualizada")).arg(upgraded.error()));
        m_progressContinue->setEnabled(true);
        return;
    }
    m_progress->setValue(100);
    progressFinished();
}

void TFrmAcceso::compactSelected() {
    const QString entry = selectedToolsEntry();
    if (entry.isEmpty())
        return;
    const ui::Answer answer = ui::showMessage(
        this, ui::MessageRequest{toolsMessages().text(QStringLiteral("Atencion")),
                                 toolsMessages().text(QStringLiteral("IniciarCompactar")).arg(entry),
                                 ui::Icon::Information, ui::Buttons::YesNo});
    if (answer != ui::Answer::Yes)
        return;
    if (store::isServerAddress(entry)) {
        compactServer(entry);
        return;
    }
    const QString name = entry.contains(QLatin1Char('.')) ? entry : entry + QStringLiteral(".mdb");
    const QString path = m_paths.databaseFile(name);
    if (!QFileInfo(path).isFile())
        return;
    store::DatabaseLock toolLock;
    if (!claimForTool(name, toolLock))
        return;
    m_context.data->close();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QString password = m_context.platform9x
                                 ? store::readPasswordCache(m_paths.databaseFile(QStringLiteral("iorlp.dll")))
                                 : QString();
    const Status compacted = store::CompactarBase(path, password);
    QApplication::restoreOverrideCursor();
    if (compacted)
        TFrminfo::showNotice(this);
    else
        showError(this, compacted.error(), ui::Icon::Warning);
    abrirBase(name);
}

void TFrmAcceso::compactServer(const QString& name) {
    // The connection of the console itself, outside any transaction.
    m_context.data->close();
    if (!abrirBase(name))
        return;
    const ui::MessageTable& texts = toolsMessages();
    showProgressPanel(texts.text(QStringLiteral("Compactando")));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Status compacted =
        store::vacuumDatabase(m_context.data->db(), [&](const QString& table, int done, int total) {
            m_progress->setRange(0, std::max(total, 1));
            m_progress->setValue(done);
            m_progressDetail->setText(
                table.isEmpty()
                    ? QString()
                    : texts.text(QStringLiteral("CompactandoTabla")).arg(table).arg(done + 1).arg(total));
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    QApplication::restoreOverrideCursor();
    if (!compacted) {
        showError(this, compacted.error(), ui::Icon::Warning);
        m_progressContinue->setEnabled(true);
        return;
    }
    TFrminfo::showNotice(this);
    progressFinished();
}

void TFrmAcceso::replicaSelected() {
    const QString entry = selectedToolsEntry();
    if (entry.isEmpty())
        return;
    m_context.data->close();
    const bool server = store::isServerAddress(entry);
    const QString name = server || entry.contains(QLatin1Char('.')) ? entry : entry + QStringLiteral(".mdb");
    store::DatabaseLock toolLock;
    if ((!server && !QFileInfo(m_paths.databaseFile(name)).isFile()) || !claimForTool(name, toolLock) ||
        !abrirBase(name))
        return;
    const bool current = m_context.data->isCurrentVersion();
    m_context.data->close();
    if (!current) {
        showUpgradePage(name, true);
        return;
    }
    // On a server the archive is a file of the database folder all the same.
    TFrmduplicar dialog(m_paths.databaseFolder(), name, this,
                        server ? m_context.databasePassword : QString());
    ui::execDialog(&dialog);
}

void TFrmAcceso::importAccounts(const QString& version, int fieldCount) {
    QFileDialog dialog(this, toolsMessages().text(QStringLiteral("SeleccionFichero")),
                       m_importFolder.isEmpty() ? m_paths.home() : m_importFolder);
    dialog.setObjectName(QStringLiteral("importFileDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("Archivos de usuarios (*.qdt)")});
    if (ui::execDialog(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString file = dialog.selectedFiles().first();
    m_importFolder = m_paths.home();

    const QString entry = selectedToolsEntry();
    if (entry.isEmpty())
        return;
    m_context.data->close();
    const QString name = app::withMdbExtension(entry);
    store::DatabaseLock toolLock;
    if ((!store::isServerAddress(name) && !QFileInfo(m_paths.databaseFile(name)).isFile()) ||
        !claimForTool(name, toolLock) || !abrirBase(name))
        return;

    showProgressPanel(QStringLiteral("Actualizando desde la versión %1 PRO").arg(version));
    const Result<store::ImportOutcome> imported = store::ImportarCuentas(
        m_context.data->db(), file, fieldCount, m_context.regional, [this](int done, int total) {
            m_progress->setRange(0, std::max(total, 1));
            m_progress->setValue(done);
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    m_context.data->close();
    if (!imported) {
        showError(this, imported.error());
        m_progressContinue->setEnabled(true);
        return;
    }
    const store::ImportOutcome& o = imported.value();
    m_progressDetail->setText(toolsMessages()
                                  .text(QStringLiteral("ResumenImportacion"))
                                  .arg(o.imported)
                                  .arg(o.records)
                                  .arg(o.existing)
                                  .arg(o.invalid));
    progressFinished();
}
