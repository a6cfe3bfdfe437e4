#include "app/frmacercade.h"

#include "app/about.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

const ui::MessageTable& TFrmAcercaDe::messages() {
    static const ui::MessageTable table{
        {"Titulo", QStringLiteral("Acerca de Quintor"), QStringLiteral("About Quintor")},
        {"Consola", QStringLiteral("Consola de cibercafé."), QStringLiteral("Internet café console.")},
        {"Licencia", QStringLiteral("Licencia: %1"), QStringLiteral("Licence: %1")},
        {"Bibliotecas", QStringLiteral("Bibliotecas utilizadas:"), QStringLiteral("Libraries in use:")},
        {"Biblioteca", QStringLiteral("Biblioteca"), QStringLiteral("Library")},
        {"Version", QStringLiteral("Versión"), QStringLiteral("Version")},
        {"LicenciaColumna", QStringLiteral("Licencia"), QStringLiteral("Licence")},
        {"Aceptar", QStringLiteral("Aceptar"), QStringLiteral("OK")},
    };
    return table;
}

TFrmAcercaDe::TFrmAcercaDe(const QSqlDatabase& db, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmAcercaDe"));
    const ui::MessageTable& m = messages();
    setWindowTitle(m.text(QStringLiteral("Titulo")));

    auto* title = new QLabel(QStringLiteral("<b>Quintor %1</b>").arg(QStringLiteral(QUINTOR_VERSION)), this);
    title->setObjectName(QStringLiteral("version"));
    auto* what = new QLabel(m.text(QStringLiteral("Consola")), this);
    auto* licence = new QLabel(m.text(QStringLiteral("Licencia")).arg(app::programLicence()), this);
    licence->setObjectName(QStringLiteral("licence"));
    licence->setWordWrap(true);

    const QList<app::LibraryInfo> libs = app::libraries(db);
    auto* table = new QTableWidget(int(libs.size()), 3, this);
    table->setObjectName(QStringLiteral("libraries"));
    table->setHorizontalHeaderLabels({m.text(QStringLiteral("Biblioteca")), m.text(QStringLiteral("Version")),
                                      m.text(QStringLiteral("LicenciaColumna"))});
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
    buttons->button(QDialogButtonBox::Ok)->setText(m.text(QStringLiteral("Aceptar")));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(what);
    layout->addWidget(licence);
    layout->addWidget(new QLabel(m.text(QStringLiteral("Bibliotecas")), this));
    layout->addWidget(table, 1);
    layout->addWidget(buttons);
    resize(560, 320);
}
