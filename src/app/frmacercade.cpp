#include "app/frmacercade.h"

#include "app/about.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TFrmAcercaDe::TFrmAcercaDe(const QSqlDatabase& db, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmAcercaDe"));
    setWindowTitle(QStringLiteral("Acerca de Quintor"));

    auto* title = new QLabel(QStringLiteral("<b>Quintor %1</b>").arg(QStringLiteral(QUINTOR_VERSION)), this);
    title->setObjectName(QStringLiteral("version"));
    auto* what = new QLabel(QStringLiteral("Consola de cibercafé."), this);
    auto* licence = new QLabel(QStringLiteral("Licencia: %1").arg(app::programLicence()), this);
    licence->setObjectName(QStringLiteral("licence"));
    licence->setWordWrap(true);

    const QList<app::LibraryInfo> libs = app::libraries(db);
    auto* table = new QTableWidget(int(libs.size()), 3, this);
    table->setObjectName(QStringLiteral("libraries"));
    table->setHorizontalHeaderLabels(
        {QStringLiteral("Biblioteca"), QStringLiteral("Versión"), QStringLiteral("Licencia")});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (int row = 0; row < libs.size(); ++row) {
        const app::LibraryInfo& lib = libs.at(row);
        table->setItem(row, 0, new QTableWidgetItem(lib.name));
        table->setItem(row, 1,
                       new QTableWidgetItem(lib.version.isEmpty() ? QStringLiteral("—") : lib.version));
        table->setItem(row, 2, new QTableWidgetItem(lib.licence));
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Aceptar"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(what);
    layout->addWidget(licence);
    layout->addWidget(new QLabel(QStringLiteral("Bibliotecas utilizadas:"), this));
    layout->addWidget(table, 1);
    layout->addWidget(buttons);
    resize(560, 320);
}
