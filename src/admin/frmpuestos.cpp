#include "admin/frmpuestos.h"

#include "core/consolecontext.h"
#include "station/listapuestos.h"
#include "store/datamodule.h"
#include "store/opciones.h"
#include "store/rows.h"
#include "store/sql.h"
#include "ui/messagebox.h"

#include <QAction>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QStyle>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

// ---- TFrmParamPuesto ----

const ui::MessageTable& TFrmParamPuesto::messages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        {"NumeroVacio", QStringLiteral("Es necesario introducir el número de puesto"),
         QStringLiteral("The station number is needed")},
        {"NumeroRango", QStringLiteral("El número de puesto debe estar entre 1 y 9999"),
         QStringLiteral("The station number must be between 1 and 9999")},
        {"NumeroDuplicado", QStringLiteral("Número de puesto duplicado"),
         QStringLiteral("Duplicate station number")},
        {"IpIncompleta", QStringLiteral("Es necesario necesario completar la direción IP."),
         QStringLiteral("The IP address must be completed.")},
        {"IpNoValida", QStringLiteral("Dirección IP no válida"), QStringLiteral("Invalid IP address")},
        {"IpRango", QStringLiteral("Rango de IP no válido"), QStringLiteral("Invalid IP range")},
        {"IpDuplicada", QStringLiteral("Dirección IP duplicada"), QStringLiteral("Duplicate IP address")},
        {"HostVacio", QStringLiteral("Es necesario introducir el nombre del host."),
         QStringLiteral("The host name is needed.")},
        {"HostLargo", QStringLiteral("El nombre del host no puede tener más de 16 caracteres."),
         QStringLiteral("The host name cannot be longer than 16 characters.")},
        {"HostDuplicado", QStringLiteral("Nombre de Host duplicado"), QStringLiteral("Duplicate host name")},
        {"Ocupado",
         QStringLiteral("El puesto está ocupado. Sus cambios se tendrán en cuenta cuando renicie Quintor."),
         QStringLiteral("The station is in use. Your changes will apply when Quintor restarts.")},
        {"PuestoOcupado", QStringLiteral("El puesto está ocupado."),
         QStringLiteral("The station is in use.")},
    };
    return table;
}

TFrmParamPuesto::TFrmParamPuesto(admin::ConfiguracionPuestos& config, bool byHost, QWidget* parent)
    : QDialog(parent)
    , m_config(config)
    , m_byHost(byHost) {
    setObjectName(QStringLiteral("TFrmParamPuesto"));
    setWindowTitle(QStringLiteral("[ Parámetros de puesto ]"));
    auto* form = new QFormLayout;
    m_number = new QLineEdit(this);
    m_number->setObjectName(QStringLiteral("number"));
    // One digit more than the range, so 10000 is refused by name rather than cut.
    m_number->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), m_number));
    form->addRow(QStringLiteral("Número de puesto"), m_number);

    m_addressLabel =
        new QLabel(byHost ? QStringLiteral("Nombre del host") : QStringLiteral("Dirección IP"), this);
    m_addressLabel->setObjectName(QStringLiteral("addressLabel"));
    auto* address = new QWidget(this);
    auto* al = new QHBoxLayout(address);
    al->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 4; ++i) {
        auto* part = new QLineEdit(address);
        part->setObjectName(QStringLiteral("ip%1").arg(i + 1));
        part->setMaxLength(3);
        part->setMaximumWidth(50);
        part->installEventFilter(this);
        part->setVisible(!byHost);
        al->addWidget(part);
        if (i < 3 && !byHost)
            al->addWidget(new QLabel(QStringLiteral("."), address));
        m_ip[size_t(i)] = part;
    }
    m_host = new QLineEdit(address);
    m_host->setObjectName(QStringLiteral("host"));
    m_host->setVisible(byHost);
    al->addWidget(m_host, 1);
    form->addRow(m_addressLabel, address);

    auto* priceRow = new QHBoxLayout;
    m_price = new QSpinBox(this);
    m_price->setObjectName(QStringLiteral("preciorel"));
    m_price->setRange(0, admin::MaxRelativePrice);
    m_price->setValue(100);
    priceRow->addWidget(m_price);
    priceRow->addWidget(new QLabel(QStringLiteral("% "), this));
    priceRow->addStretch(1);
    form->addRow(QStringLiteral("Precio relativo sobre el precio/hora"), priceRow);

    // Any name may be typed: a console that owns no station yet is not listed.
    m_consola = new QComboBox(this);
    m_consola->setObjectName(QStringLiteral("consola"));
    m_consola->setEditable(true);
    m_consola->setInsertPolicy(QComboBox::NoInsert);
    if (const Result<QStringList> names = m_config.consolas(); names)
        m_consola->addItems(*names);
    form->addRow(QStringLiteral("Consola"), m_consola);

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
    layout->addLayout(buttons);
}

void TFrmParamPuesto::prepareAdd() {
    m_adding = true;
    m_number->clear();
    m_number->setEnabled(true);
    for (QLineEdit* p : m_ip)
        p->clear();
    m_host->clear();
    m_price->setValue(100);
    m_consola->setEditText(m_config.consolaPropia());
    m_number->setFocus();
}

void TFrmParamPuesto::prepareChange(int number, const std::array<int, 4>& ip, const QString& host,
                                    int relativePrice, const QString& consola) {
    m_adding = false;
    m_number->setText(QString::number(number));
    m_number->setEnabled(false);
    for (int i = 0; i < 4; ++i)
        m_ip[size_t(i)]->setText(QString::number(ip[size_t(i)]));
    m_host->setText(host.trimmed());
    m_price->setValue(relativePrice);
    m_consola->setEditText(consola);
    (m_byHost ? m_host : m_ip[0])->setFocus();
}

admin::PuestoForm TFrmParamPuesto::form() const {
    admin::PuestoForm f;
    f.adding = m_adding;
    f.byHost = m_byHost;
    f.number = m_number->text();
    for (int i = 0; i < 4; ++i)
        f.ipParts[size_t(i)] = m_ip[size_t(i)]->text();
    f.host = m_host->text();
    f.relativePrice = m_price->value();
    f.consola = m_consola->currentText().trimmed();
    return f;
}

bool TFrmParamPuesto::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease) {
        // The third digit of a part moves on: to the next part, from the
        // last one to the relative price.
        auto* key = static_cast<QKeyEvent*>(event);
        for (int i = 0; i < 4; ++i) {
            QLineEdit* part = m_ip[size_t(i)];
            if (watched != part || key->text().isEmpty() || !key->text().at(0).isDigit())
                continue;
            if (part->text().size() == 3 && part->cursorPosition() == 3) {
                if (i < 3) {
                    m_ip[size_t(i + 1)]->setFocus();
                    m_ip[size_t(i + 1)]->selectAll();
                } else {
                    m_price->setFocus();
                    m_price->selectAll();
                }
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmParamPuesto::focusField(const QString& field) {
    if (QWidget* w = findChild<QWidget*>(field))
        w->setFocus();
}

void TFrmParamPuesto::done(int result) {
    if (result != QDialog::Accepted) {
        QDialog::done(result);
        return;
    }
    const Result<admin::ConfiguracionPuestos::Guardado> saved = m_config.guardar(form());
    if (!saved) {
        ui::showMessage(this, ui::MessageRequest{messages().text(QStringLiteral("Atencion")), saved.error(),
                                                 ui::Icon::Error, ui::Buttons::Ok});
        return;
    }
    const admin::PuestoCheck& c = saved->check;
    if (!c.ok()) {
        const bool error =
            c.messageKey == QLatin1String("IpNoValida") || c.messageKey == QLatin1String("IpRango");
        ui::showMessage(this, messages(), c.messageKey, error ? ui::Icon::Error : ui::Icon::Warning);
        focusField(c.field);
        return;
    }
    if (saved->efecto == admin::EfectoPuesto::SavedBusy) {
        // Saved; the running station keeps its old parameters until the next start.
        ui::showMessage(this, messages(), QStringLiteral("Ocupado"), ui::Icon::Warning);
        return;
    }
    QDialog::done(result);
}

// ---- TFrmConfPuestos ----

const ui::MessageTable& TFrmConfPuestos::messages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        {"Titulo", QStringLiteral("Quintor"), QStringLiteral("Quintor")},
        {"ModificarLibre", QStringLiteral("Para modificar un puesto debe estar libre."),
         QStringLiteral("A station must be free to be changed.")},
        {"EliminarLibre", QStringLiteral("Para eliminar un puesto debe estar libre."),
         QStringLiteral("A station must be free to be deleted.")},
        {"Eliminar", QStringLiteral("Se eliminará el puesto\r¿ Continuar?"),
         QStringLiteral("The station will be deleted\rContinue?")},
    };
    return table;
}

TFrmConfPuestos::TFrmConfPuestos(ConsoleContext& context, admin::ConfiguracionPuestos& config,
                                 ListaPuestos& puestos, std::function<bool()> permitted, QWidget* parent)
    : QDialog(parent)
    , m_context(context)
    , m_config(config)
    , m_puestos(puestos)
    , m_permitted(std::move(permitted)) {
    setObjectName(QStringLiteral("TFrmConfPuestos"));
    setWindowTitle(QStringLiteral("[ Configuración de puestos ]"));

    auto* menuBar = new QMenuBar(this);
    QMenu* archivo = menuBar->addMenu(QStringLiteral("&Archivo"));
    auto* toolBar = new QToolBar(this);
    auto entry = [&](const QString& text, const char* name, QList<QKeySequence> keys, const QString& hint,
                     QStyle::StandardPixmap icon) {
        QAction* a = archivo->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcuts(keys);
        a->setStatusTip(hint);
        a->setToolTip(hint);
        a->setIcon(style()->standardIcon(icon));
        toolBar->addAction(a);
        addAction(a);
        return a;
    };
    connect(entry(QStringLiteral("&1.- Añadir puesto.."), "anadir",
                  {QKeySequence(Qt::Key_F1), QKeySequence(Qt::CTRL | Qt::Key_A)},
                  QStringLiteral("Añadir puesto (Ctrl + A)"), QStyle::SP_FileIcon),
            &QAction::triggered, this, &TFrmConfPuestos::anadir);
    connect(entry(QStringLiteral("&2.- Modificar puesto..."), "modificar",
                  {QKeySequence(Qt::Key_F2), QKeySequence(Qt::CTRL | Qt::Key_M)},
                  QStringLiteral("Modificar puesto (Ctrl + M)"), QStyle::SP_FileDialogDetailedView),
            &QAction::triggered, this, &TFrmConfPuestos::modificar);
    connect(entry(QStringLiteral("&3.- Eliminar puesto.."), "eliminar",
                  {QKeySequence(Qt::Key_F3), QKeySequence(Qt::CTRL | Qt::Key_E)},
                  QStringLiteral("Borrar puesto (Ctrl + E)"), QStyle::SP_TrashIcon),
            &QAction::triggered, this, &TFrmConfPuestos::eliminar);
    archivo->addSeparator();
    toolBar->addSeparator();
    connect(entry(QStringLiteral("&4.- Salir..."), "salir", {}, QStringLiteral("Salir"),
                  QStyle::SP_DialogCloseButton),
            &QAction::triggered, this, &QDialog::reject);

    auto* idRow = new QHBoxLayout;
    idRow->addWidget(new QLabel(QStringLiteral("Identificación de puestos por:"), this));
    m_identification = new QComboBox(this);
    m_identification->setObjectName(QStringLiteral("identification"));
    m_identification->addItems({QStringLiteral("Nombre de host"), QStringLiteral("Dirección IP")});
    idRow->addWidget(m_identification);
    idRow->addStretch(1);

    m_grid = new QTableWidget(0, 4, this);
    m_grid->setObjectName(QStringLiteral("grid"));
    m_grid->verticalHeader()->hide();
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, [this] { modificar(); });

    auto* ok = new QPushButton(QStringLiteral("&Aceptar"), this);
    ok->setObjectName(QStringLiteral("aceptar"));
    auto* cancel = new QPushButton(QStringLiteral("&Cancelar"), this);
    cancel->setObjectName(QStringLiteral("cancelar"));
    for (QPushButton* b : {ok, cancel})
        b->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addWidget(toolBar);
    layout->addLayout(idRow);
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttons);
    resize(460, 480);

    try {
        m_storedHost = store::readOpciones(m_context.data->db()).Host;
    } catch (const store::DatabaseError& e) {
        showError(e.text());
    }
    m_identification->setCurrentIndex(m_storedHost ? 0 : 1);
    connect(m_identification, &QComboBox::currentIndexChanged, this, [this] { reread(); });
    reread();
    setCurrentRow(0);
}

bool TFrmConfPuestos::byHost() const {
    return m_identification->currentIndex() == 0;
}

void TFrmConfPuestos::showError(const QString& text) {
    ui::showMessage(this, ui::MessageRequest{messages().text(QStringLiteral("Atencion")), text,
                                             ui::Icon::Error, ui::Buttons::Ok});
}

void TFrmConfPuestos::reread() {
    const int row = currentRow();
    std::vector<store::Puesto> rows;
    try {
        rows = store::select<store::Puesto>(m_context.data->db(), QStringLiteral("ORDER BY npuesto"));
    } catch (const store::DatabaseError& e) {
        showError(e.text());
        return;
    }
    m_grid->setHorizontalHeaderLabels({QStringLiteral("Puesto"),
                                       byHost() ? QStringLiteral("Host") : QStringLiteral("IP"),
                                       QStringLiteral("Precio relativo"), QStringLiteral("Consola")});
    m_grid->setRowCount(int(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) {
        const store::Puesto& p = rows[i];
        auto* number = new QTableWidgetItem(QString::number(p.npuesto));
        number->setData(Qt::UserRole, p.npuesto);
        number->setData(Qt::UserRole + 1, QVariantList{p.ip1, p.ip2, p.ip3, p.ip4});
        number->setData(Qt::UserRole + 2, p.host);
        number->setData(Qt::UserRole + 3, p.preciorel);
        number->setData(Qt::UserRole + 4, p.CONSOLA);
        m_grid->setItem(int(i), 0, number);
        m_grid->setItem(int(i), 1, new QTableWidgetItem(byHost() ? p.host : p.ip));
        m_grid->setItem(int(i), 2, new QTableWidgetItem(QString::number(p.preciorel)));
        m_grid->setItem(int(i), 3, new QTableWidgetItem(p.CONSOLA));
    }
    setCurrentRow(qBound(0, row, qMax(0, int(rows.size()) - 1)));
}

void TFrmConfPuestos::setCurrentRow(int row) {
    if (row >= 0 && row < m_grid->rowCount())
        m_grid->setCurrentCell(row, 0);
}

int TFrmConfPuestos::currentRow() const {
    return m_grid->currentRow();
}

void TFrmConfPuestos::anadir() {
    if (!m_permitted())
        return;
    TFrmParamPuesto dialog(m_config, byHost(), this);
    dialog.prepareAdd();
    ui::execDialog(&dialog);
    reread();
}

void TFrmConfPuestos::modificar() {
    const int row = currentRow();
    if (m_grid->rowCount() == 0 || row < 0)
        return;
    if (!m_permitted())
        return;
    const QTableWidgetItem* item = m_grid->item(row, 0);
    const int number = item->data(Qt::UserRole).toInt();
    const Result<bool> free = m_config.puestoLibre(number);
    if (!free) {
        showError(free.error());
        return;
    }
    if (!*free) {
        ui::showMessage(this, messages(), QStringLiteral("ModificarLibre"), ui::Icon::Warning);
        return;
    }
    const QVariantList ip = item->data(Qt::UserRole + 1).toList();
    std::array<int, 4> parts{};
    for (int i = 0; i < 4 && i < ip.size(); ++i)
        parts[size_t(i)] = ip.at(i).toInt();
    TFrmParamPuesto dialog(m_config, byHost(), this);
    dialog.prepareChange(number, parts, item->data(Qt::UserRole + 2).toString(),
                         item->data(Qt::UserRole + 3).toInt(), item->data(Qt::UserRole + 4).toString());
    ui::execDialog(&dialog);
    reread();
}

void TFrmConfPuestos::eliminar() {
    const int row = currentRow();
    if (m_grid->rowCount() == 0 || row < 0)
        return;
    if (!m_permitted())
        return;
    const int number = m_grid->item(row, 0)->data(Qt::UserRole).toInt();
    const Result<bool> free = m_config.puestoLibre(number);
    if (!free) {
        showError(free.error());
        return;
    }
    if (!*free) {
        ui::showMessage(this, messages(), QStringLiteral("EliminarLibre"), ui::Icon::Warning);
        return;
    }
    if (ui::showMessage(this, messages(), QStringLiteral("Eliminar"), ui::Icon::Warning, ui::Buttons::YesNo,
                        QStringLiteral("Titulo")) != ui::Answer::Yes)
        return;
    const Status removed = m_config.eliminar(number);
    if (!removed)
        showError(removed.error());
    reread();
}

void TFrmConfPuestos::done(int result) {
    if (result == QDialog::Accepted && byHost() != m_storedHost) {
        try {
            store::run(m_context.data->db(), QStringLiteral("UPDATE opciones SET Host = ?"),
                       {store::sqlValue(byHost())});
        } catch (const store::DatabaseError& e) {
            showError(e.text());
            return;
        }
        m_storedHost = byHost();
        m_identificationChanged = true;
    }
    QDialog::done(result);
}
