#include "store/frmduplicar.h"

#include "core/regional.h"
#include "store/datamodule.h"
#include "store/engine.h"
#include "store/maintenance.h"
#include "ui/messagebox.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

const ui::MessageTable& TFrmduplicar::messages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        {"Advertencia", QStringLiteral("Advertencia"), QStringLiteral("Warning")},
        {"NombreNoValido", QStringLiteral("Nombre de fichero no válido..."),
         QStringLiteral("Invalid file name...")},
        {"NombreExiste",
         QStringLiteral("Error: El nombre de fichero ya existe\rSolución: Utilice otro nombre..."),
         QStringLiteral("Error: The file name already exists\rSolution: Use another name...")},
    };
    return table;
}

TFrmduplicar::TFrmduplicar(QString folder, QString name, QWidget* parent, QString password)
    : QDialog(parent)
    , m_folder(std::move(folder))
    , m_name(std::move(name))
    , m_password(std::move(password)) {
    setObjectName(QStringLiteral("TFrmduplicar"));
    setWindowTitle(QStringLiteral(" Replicar la base de datos: ") + m_name);
    auto* layout = new QVBoxLayout(this);
    m_pages = new QStackedWidget(this);
    layout->addWidget(m_pages);

    // Page 1: the archive copy's name.
    auto* page1 = new QWidget(m_pages);
    auto* l1 = new QVBoxLayout(page1);
    auto* intro =
        new QLabel(QStringLiteral("Este proceso le permite archivar una copia de su base de datos actual, "
                                  "y continuar trabajando con una replica de menor tamaño."),
                   page1);
    intro->setWordWrap(true);
    l1->addWidget(intro);
    auto* nameLabel = new QLabel(QStringLiteral("&Nombre del fichero de copia:"), page1);
    m_copyName = new QLineEdit(page1);
    m_copyName->setObjectName(QStringLiteral("copyNameEdit"));
    nameLabel->setBuddy(m_copyName);
    l1->addWidget(nameLabel);
    l1->addWidget(m_copyName);
    l1->addStretch();
    m_pages->addWidget(page1);

    // Page 2: the history tables.
    auto* page2 = new QWidget(m_pages);
    auto* l2 = new QVBoxLayout(page2);
    auto* advice =
        new QLabel(QStringLiteral("Le recomendamos descargar los registros históricos en la réplica de su "
                                  "base de datos. Marque las tablas en las que desea eliminar los registros "
                                  "históricos:"),
                   page2);
    advice->setWordWrap(true);
    l2->addWidget(advice);
    auto* detail = new QLabel(sizeText(), page2);
    detail->setObjectName(QStringLiteral("detailLabel"));
    l2->addWidget(detail);
    m_tables = new QTreeWidget(page2);
    m_tables->setObjectName(QStringLiteral("tablesList"));
    m_tables->setHeaderLabels({QStringLiteral("Descripción"), QStringLiteral("Nombre de tabla")});
    m_tables->setRootIsDecorated(false);
    for (const auto& [description, table] :
         {std::pair{"Tickets", "Tickets"}, std::pair{"Movimientos de cuentas de clientes", "Movcuentas"},
          std::pair{"Actividad en puestos", "Ciber"}}) {
        auto* item =
            new QTreeWidgetItem(m_tables, {QString::fromUtf8(description), QString::fromUtf8(table)});
        item->setCheckState(0, Qt::Checked);
    }
    m_tables->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    l2->addWidget(m_tables);
    auto* choice = new QGroupBox(
        QStringLiteral(" Al eliminar registros históricos de las tablas seleccionadas: "), page2);
    auto* lc = new QVBoxLayout(choice);
    m_all = new QRadioButton(QStringLiteral("Eliminar todos los registros"), choice);
    m_all->setObjectName(QStringLiteral("allRadio"));
    m_all->setChecked(true);
    m_before = new QRadioButton(QStringLiteral("Eliminar los registros con fecha anterior a:"), choice);
    m_before->setObjectName(QStringLiteral("beforeRadio"));
    m_date = new QDateEdit(QDate::currentDate(), choice);
    m_date->setObjectName(QStringLiteral("dateEdit"));
    m_date->setDisplayFormat(Regional::system().shortDateFormat());
    m_date->setCalendarPopup(true);
    lc->addWidget(m_all);
    auto* beforeRow = new QHBoxLayout;
    beforeRow->addWidget(m_before);
    beforeRow->addWidget(m_date);
    lc->addLayout(beforeRow);
    l2->addWidget(choice);
    m_pages->addWidget(page2);

    // Page 3: progress.
    auto* page3 = new QWidget(m_pages);
    auto* l3 = new QVBoxLayout(page3);
    m_progressTree = new QTreeWidget(page3);
    m_progressTree->setObjectName(QStringLiteral("progressTree"));
    m_progressTree->setHeaderHidden(true);
    m_progressTree->setRootIsDecorated(false);
    l3->addWidget(m_progressTree);
    auto* barRow = new QHBoxLayout;
    m_completedLabel = new QLabel(QStringLiteral("Completado:"), page3);
    m_bar = new QProgressBar(page3);
    m_bar->setObjectName(QStringLiteral("purgeBar"));
    barRow->addWidget(m_completedLabel);
    barRow->addWidget(m_bar);
    l3->addLayout(barRow);
    m_pages->addWidget(page3);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_back = new QPushButton(QStringLiteral("<< &Anterior"), this);
    m_back->setObjectName(QStringLiteral("backButton"));
    m_next = new QPushButton(QStringLiteral("&Siguiente >>"), this);
    m_next->setObjectName(QStringLiteral("nextButton"));
    m_finish = new QPushButton(QStringLiteral("&Finalizar"), this);
    m_finish->setObjectName(QStringLiteral("finishButton"));
    m_cancel = new QPushButton(QStringLiteral("&Cancelar"), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    for (QPushButton* b : {m_back, m_next, m_finish, m_cancel}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    m_next->setDefault(true);
    layout->addLayout(buttons);
    connect(m_next, &QPushButton::clicked, this, &TFrmduplicar::next);
    connect(m_back, &QPushButton::clicked, this, &TFrmduplicar::back);
    connect(m_finish, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &TFrmduplicar::cancel);

    m_completedLabel->hide();
    m_bar->hide();
    showPageNumber(0);
    m_back->setEnabled(false);
    m_finish->setEnabled(false);
    m_copyName->setFocus();
    resize(520, 400);
}

QString TFrmduplicar::where() const {
    return store::isServerAddress(m_name) ? m_name : QDir(m_folder).filePath(m_name);
}

QString TFrmduplicar::sizeText() const {
    qint64 bytes = 0;
    if (store::isServerAddress(m_name)) {
        TDataModule1 data;
        if (data.open(m_name, m_password)) {
            const Result<qint64> size = store::databaseSize(data.db());
            bytes = size ? size.value() : 0;
        }
    } else {
        bytes = QFileInfo(where()).size();
    }
    return QStringLiteral("Tamaño actual: %1 KB").arg((bytes + 1023) / 1024);
}

int TFrmduplicar::currentPage() const {
    return m_pages->currentIndex() + 1;
}

void TFrmduplicar::showPageNumber(int page) {
    m_pages->setCurrentIndex(page);
}

void TFrmduplicar::next() {
    if (currentPage() == 1) {
        const QString name = m_copyName->text().trimmed();
        // A name with path characters would write the archive outside the
        // database folder, or nowhere.
        static const QRegularExpression pathCharacters(QStringLiteral(R"([/\\:*?"<>|])"));
        QString key;
        if (name.isEmpty() || name.contains(pathCharacters) || name == QLatin1String(".") ||
            name == QLatin1String(".."))
            key = QStringLiteral("NombreNoValido");
        else if (QFileInfo::exists(QDir(m_folder).filePath(name + QStringLiteral(".mdb"))))
            key = QStringLiteral("NombreExiste");
        if (!key.isEmpty()) {
            ui::showMessage(this, messages(), key, ui::Icon::Warning, ui::Buttons::Ok,
                            QStringLiteral("Advertencia"));
            m_copyName->setFocus();
            return;
        }
        showPageNumber(1);
        m_back->setEnabled(true);
        return;
    }
    if (currentPage() == 2)
        runReplica();
}

void TFrmduplicar::back() {
    if (currentPage() != 2)
        return;
    showPageNumber(0);
    m_back->setEnabled(false);
    m_copyName->setFocus();
}

void TFrmduplicar::cancel() {
    if (currentPage() != 3) {
        reject();
        return;
    }
    if (m_ticketPurgeRunning)
        m_cancelRequested = true;
}

void TFrmduplicar::reject() {
    // Escape and the title bar never leave a replica half run.
    if (m_running)
        return;
    QDialog::reject();
}

void TFrmduplicar::closeEvent(QCloseEvent* event) {
    if (m_running) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TFrmduplicar::runReplica() {
    m_progressTree->clear();
    m_completedLabel->hide();
    m_bar->hide();
    m_bar->setValue(0);
    showPageNumber(2);
    m_back->setEnabled(false);
    m_next->setEnabled(false);
    m_finish->setEnabled(false);

    store::ReplicaPlan plan;
    plan.databasePath = where();
    plan.password = m_password;
    plan.copyName = m_copyName->text().trimmed();
    plan.copyPath = QDir(m_folder).filePath(plan.copyName + QStringLiteral(".mdb"));
    plan.tickets = m_tables->topLevelItem(0)->checkState(0) == Qt::Checked;
    plan.movcuentas = m_tables->topLevelItem(1)->checkState(0) == Qt::Checked;
    plan.ciber = m_tables->topLevelItem(2)->checkState(0) == Qt::Checked;
    if (m_before->isChecked())
        plan.before = m_date->date();

    m_running = true;
    m_cancelRequested = false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_end = store::runReplica(plan, *this);
    QApplication::restoreOverrideCursor();
    m_running = false;
    m_cancelRequested = false;
    m_ticketPurgeRunning = false;
    m_finish->setEnabled(m_end != store::ReplicaEnd::CopyFailed);
    if (m_finish->isEnabled())
        m_finish->setFocus();
}

void TFrmduplicar::line(const QString& text) {
    new QTreeWidgetItem(m_progressTree, {text});
    m_progressTree->scrollToBottom();
    m_progressTree->repaint();
}

void TFrmduplicar::ticketPurgeStarted(int maximum) {
    m_completedLabel->show();
    m_bar->show();
    m_bar->setRange(0, maximum);
    m_bar->setValue(0);
    m_ticketPurgeRunning = true;
}

void TFrmduplicar::ticketPurged(int number) {
    m_bar->setValue(number);
    QApplication::processEvents();
}

bool TFrmduplicar::cancelRequested() {
    return m_cancelRequested;
}

void TFrmduplicar::ticketPurgeEnded(bool cancelled) {
    m_ticketPurgeRunning = false;
    if (cancelled) {
        m_cancelRequested = false;
        m_completedLabel->hide();
        m_bar->hide();
        return;
    }
    m_bar->setValue(m_bar->maximum());
}

void TFrmduplicar::archiveProgress(int percent) {
    if (!m_ticketPurgeRunning)
        ticketPurgeStarted(100);
    ticketPurged(percent);
}

void TFrmduplicar::archiveEnded(bool cancelled) {
    ticketPurgeEnded(cancelled);
}

void TFrmduplicar::failure(const QString& text) {
    ui::showMessage(this, ui::MessageRequest{messages().text(QStringLiteral("Atencion")), text,
                                             ui::Icon::Warning, ui::Buttons::Ok});
}
