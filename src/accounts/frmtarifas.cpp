#include "accounts/frmtarifas.h"

#include "core/consolecontext.h"
#include "store/datamodule.h"
#include "store/sql.h"
#include "ui/decimalkeyfilter.h"
#include "ui/importebox.h"
#include "ui/messagebox.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace accounts {

namespace {

void showError(QWidget* parent, const store::DatabaseError& e) {
    ui::showMessage(
        parent, ui::MessageRequest{QStringLiteral("Atención"), e.text(), ui::Icon::Error, ui::Buttons::Ok});
}

QPushButton* button(const QString& text, const QString& name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

QLineEdit* lineEdit(const QString& name, int maxLength, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMaxLength(maxLength);
    return e;
}

QSpinBox* minutesBox(QWidget* parent) {
    auto* s = new QSpinBox(parent);
    s->setObjectName(QStringLiteral("minutos"));
    s->setRange(0, MaxIntervalMinutes);
    return s;
}

void setRow(QTableWidget* grid, int row, const QStringList& texts, const QVariant& key) {
    for (int c = 0; c < texts.size(); ++c) {
        auto* item = new QTableWidgetItem(texts.at(c));
        if (c == 0)
            item->setData(Qt::UserRole, key);
        grid->setItem(row, c, item);
    }
}

// The selection survives a reload when its key is still there.
void selectKey(QTableWidget* grid, const QVariant& key) {
    for (int r = 0; r < grid->rowCount(); ++r) {
        if (grid->item(r, 0)->data(Qt::UserRole) == key) {
            grid->selectRow(r);
            return;
        }
    }
    if (grid->rowCount() > 0)
        grid->selectRow(0);
}

} // namespace

QTableWidget* readOnlyGrid(const QStringList& headers, const QString& name, QWidget* parent) {
    auto* g = new QTableWidget(0, int(headers.size()), parent);
    g->setObjectName(name);
    g->setHorizontalHeaderLabels(headers);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->verticalHeader()->hide();
    g->horizontalHeader()->setStretchLastSection(true);
    return g;
}

EdicionDialog::EdicionDialog(const ui::MessageTable& messages, QWidget* parent)
    : QDialog(parent)
    , m_messages(messages) {}

void EdicionDialog::addButtons(QBoxLayout* layout) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    QPushButton* ok = button(QStringLiteral("&Aceptar"), QStringLiteral("aceptar"), this);
    QPushButton* cancel = button(QStringLiteral("&Cancelar"), QStringLiteral("cancelar"), this);
    ok->setDefault(true);
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
    connect(ok, &QPushButton::clicked, this, &EdicionDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void EdicionDialog::decimalBox(QLineEdit* box, const Regional& regional) {
    box->installEventFilter(new ui::DecimalKeyFilter(regional.decimalSeparator(), box));
    m_regional = &regional;
    m_amountBoxes << box;
}

void EdicionDialog::accept() {
    // Text too long to read at all must not pass for an empty box.
    for (QLineEdit* box : m_amountBoxes) {
        if (!ui::amountWithinLimit(this, m_messages, *m_regional, box))
            return;
    }
    EdicionOutcome outcome;
    try {
        if (m_action)
            outcome = m_action();
    } catch (const store::DatabaseError& e) {
        showError(this, e);
        return;
    }
    if (outcome.messageKey == QLatin1String("ImporteMaximo") && m_regional) {
        ui::refuseAmount(this, m_messages, *m_regional, findChild<QWidget*>(outcome.field));
        return;
    }
    if (!outcome.ok()) {
        const bool information = outcome.messageKey == QLatin1String("SeleccionarTarifa");
        const bool error = outcome.messageKey == QLatin1String("CodigoDup");
        ui::showMessage(this,
                        ui::MessageRequest{QStringLiteral("Atención"), m_messages.text(outcome.messageKey),
                                           error         ? ui::Icon::Error
                                           : information ? ui::Icon::Information
                                                         : ui::Icon::Warning,
                                           ui::Buttons::Ok});
        if (QWidget* w = findChild<QWidget*>(outcome.field))
            w->setFocus();
        return;
    }
    QDialog::accept();
}

// ---- Tfrmntarfija

Tfrmntarfija::Tfrmntarfija(const Regional& regional, const store::Tarifa* row, QWidget* parent)
    : EdicionDialog(tarifaFijaMessages(), parent)
    , m_regional(regional) {
    setObjectName(QStringLiteral("Tfrmntarfija"));
    setWindowTitle(QStringLiteral("[ Parámetros de tarifa ]"));
    m_name = lineEdit(QStringLiteral("nombre"), 50, this);
    m_hourly = lineEdit(QStringLiteral("cosHora"), 15, this);
    m_minimum = lineEdit(QStringLiteral("cosMin"), 15, this);
    connect(m_name, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int cursor = m_name->cursorPosition();
        m_name->setText(text.toUpper());
        m_name->setCursorPosition(cursor);
    });
    decimalBox(m_hourly, regional);
    decimalBox(m_minimum, regional);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Nombre de tarifa"), m_name);
    form->addRow(QStringLiteral("Precio / hora ........."), m_hourly);
    form->addRow(QStringLiteral("Coste mínimo ........."), m_minimum);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    addButtons(layout);
    if (row) {
        m_name->setText(row->NOM);
        m_name->setEnabled(false);
        m_hourly->setText(regional.formatAmount(row->COS_HORA));
        m_minimum->setText(regional.formatAmount(row->COS_MIN));
        m_hourly->setFocus();
    } else {
        m_name->setFocus();
    }
}

QString Tfrmntarfija::name() const {
    return m_name->text();
}
std::optional<Currency> Tfrmntarfija::hourly() const {
    return m_regional.parseCurrency(m_hourly->text());
}
std::optional<Currency> Tfrmntarfija::minimum() const {
    return m_regional.parseCurrency(m_minimum->text());
}

// ---- Tfrmntarvar

Tfrmntarvar::Tfrmntarvar(const Regional& regional, QWidget* parent)
    : EdicionDialog(tarifaVariableMessages(), parent)
    , m_regional(regional) {
    setObjectName(QStringLiteral("Tfrmntarvar"));
    setWindowTitle(QStringLiteral("[ Nombre de tarifa variable ]"));
    m_name = lineEdit(QStringLiteral("nombre"), 50, this);
    m_minutes = minutesBox(this);
    m_price = lineEdit(QStringLiteral("precio"), 15, this);
    m_price->setText(regional.formatAmount(Currency()));
    decimalBox(m_price, regional);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Nombre de la tarifa ....."), m_name);
    auto* group = new QGroupBox(QStringLiteral(" Primer intervalo"), this);
    auto* groupForm = new QFormLayout(group);
    groupForm->addRow(QStringLiteral("Hasta minutos ..."), m_minutes);
    groupForm->addRow(QStringLiteral("Precio ......"), m_price);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(group);
    addButtons(layout);
    m_name->setFocus();
}

QString Tfrmntarvar::name() const {
    return m_name->text();
}
int Tfrmntarvar::minutes() const {
    return m_minutes->value();
}
Currency Tfrmntarvar::price() const {
    return m_regional.parseCurrency(m_price->text()).value_or(Currency());
}

// ---- TfrmnIntervalo

TfrmnIntervalo::TfrmnIntervalo(const Regional& regional, const store::LinTarifa* row, QWidget* parent)
    : EdicionDialog(intervaloMessages(), parent)
    , m_regional(regional) {
    setObjectName(QStringLiteral("TfrmnIntervalo"));
    setWindowTitle(QStringLiteral("[ Intervalos de la tarifa ]"));
    m_minutes = minutesBox(this);
    m_price = lineEdit(QStringLiteral("precio"), 15, this);
    decimalBox(m_price, regional);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Hasta minutos ......."), m_minutes);
    form->addRow(QStringLiteral("Precio .........."), m_price);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    addButtons(layout);
    if (row) {
        m_minutes->setValue(row->franja_fin);
        m_minutes->setEnabled(false);
        m_price->setText(regional.formatAmount(row->precio));
        m_price->setFocus();
    } else {
        m_price->setText(regional.formatAmount(Currency()));
        m_minutes->setFocus();
    }
}

int TfrmnIntervalo::minutes() const {
    return m_minutes->value();
}
Currency TfrmnIntervalo::price() const {
    return m_regional.parseCurrency(m_price->text()).value_or(Currency());
}

// ---- TFormnfranjas

TFormnfranjas::TFormnfranjas(const QStringList& tariffs, const store::Franja* row, QWidget* parent)
    : EdicionDialog(franjaMessages(), parent) {
    setObjectName(QStringLiteral("TFormnfranjas"));
    setWindowTitle(QStringLiteral("[ Franja horaria... ]"));
    auto* form = new QFormLayout;
    m_end = new QTimeEdit(this);
    m_end->setObjectName(QStringLiteral("horaFinal"));
    m_end->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    m_tariff = new QComboBox(this);
    m_tariff->setObjectName(QStringLiteral("tarifa"));
    m_tariff->setEditable(false);
    m_tariff->addItems(tariffs);
    m_tariff->setCurrentIndex(-1);
    if (row) {
        auto* start = new QTimeEdit(row->franja_ini, this);
        start->setObjectName(QStringLiteral("desde"));
        start->setDisplayFormat(QStringLiteral("HH:mm:ss"));
        start->setReadOnly(true);
        m_end->setTime(row->franja_fin);
        m_end->setReadOnly(true);
        form->addRow(QStringLiteral("Desde ........."), start);
        form->addRow(QStringLiteral("Hasta .........."), m_end);
        m_tariff->setCurrentIndex(m_tariff->findText(row->tarifa, Qt::MatchExactly | Qt::MatchCaseSensitive));
    } else {
        m_end->setTime(QTime(0, 0, 0));
        form->addRow(QStringLiteral("Introduzca la hora final..."), m_end);
    }
    form->addRow(QStringLiteral("Tarifa .........."), m_tariff);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    addButtons(layout);
    if (row)
        m_tariff->setFocus();
    else
        m_end->setFocus();
}

QTime TFormnfranjas::end() const {
    return m_end->time();
}
QString TFormnfranjas::tariff() const {
    return m_tariff->currentIndex() >= 0 ? m_tariff->currentText() : QString();
}

// ---- TarifasPage

TarifasPage::TarifasPage(ConsoleContext& context, ListaTarifas& cache,
                         std::function<QStringList()> stationTariffs, QWidget* parent)
    : ui::OpcionesPage(parent)
    , m_context(context)
    , m_editor(context.data->db(), cache, [&context] { return context.currentOperator; })
    , m_stationTariffs(std::move(stationTariffs)) {
    setObjectName(QStringLiteral("pageTarifas"));
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabs"));

    auto* fixedTab = new QWidget(m_tabs);
    m_fijas = readOnlyGrid(
        {QStringLiteral("Nombre tarifa"), QStringLiteral("Coste / Hora"), QStringLiteral("Coste mínimo")},
        QStringLiteral("fijas"), fixedTab);
    auto* fixedButtons = new QHBoxLayout;
    QPushButton* addFixed = button(QStringLiteral("&Añadir"), QStringLiteral("fijaAnadir"), fixedTab);
    QPushButton* editFixed = button(QStringLiteral("&Modificar"), QStringLiteral("fijaModificar"), fixedTab);
    QPushButton* delFixed = button(QStringLiteral("&Borrar"), QStringLiteral("fijaBorrar"), fixedTab);
    for (QPushButton* b : {addFixed, editFixed, delFixed})
        fixedButtons->addWidget(b);
    fixedButtons->addStretch(1);
    auto* fixedLayout = new QVBoxLayout(fixedTab);
    fixedLayout->addWidget(m_fijas);
    fixedLayout->addLayout(fixedButtons);
    m_tabs->addTab(fixedTab, QStringLiteral("  Tarifas de coste / hora"));

    auto* varTab = new QWidget(m_tabs);
    m_variables = readOnlyGrid({QStringLiteral("Nombre tarifa")}, QStringLiteral("variables"), varTab);
    m_intervalos = readOnlyGrid({QStringLiteral("Desde"), QStringLiteral("Hasta"), QStringLiteral("Precio")},
                                QStringLiteral("intervalos"), varTab);
    QPushButton* addVar = button(QStringLiteral("&Añadir"), QStringLiteral("variableAnadir"), varTab);
    QPushButton* delVar = button(QStringLiteral("&Borrar"), QStringLiteral("variableBorrar"), varTab);
    QPushButton* addInt = button(QStringLiteral("&Añadir"), QStringLiteral("intervaloAnadir"), varTab);
    QPushButton* editInt = button(QStringLiteral("&Modificar"), QStringLiteral("intervaloModificar"), varTab);
    QPushButton* delInt = button(QStringLiteral("&Borrar"), QStringLiteral("intervaloBorrar"), varTab);
    auto* left = new QVBoxLayout;
    left->addWidget(m_variables);
    auto* varButtons = new QHBoxLayout;
    varButtons->addWidget(addVar);
    varButtons->addWidget(delVar);
    varButtons->addStretch(1);
    left->addLayout(varButtons);
    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel(QStringLiteral("Intervalos de esta tarifa (minutos):"), varTab));
    right->addWidget(m_intervalos);
    auto* intButtons = new QHBoxLayout;
    for (QPushButton* b : {addInt, editInt, delInt})
        intButtons->addWidget(b);
    intButtons->addStretch(1);
    right->addLayout(intButtons);
    auto* varLayout = new QHBoxLayout(varTab);
    varLayout->addLayout(left, 1);
    varLayout->addLayout(right, 2);
    m_tabs->addTab(varTab, QStringLiteral(" Tarifas de coste / intervalo minutos "));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tabs);

    connect(addFixed, &QPushButton::clicked, this, &TarifasPage::nuevaFija);
    connect(editFixed, &QPushButton::clicked, this, &TarifasPage::modificarFija);
    connect(delFixed, &QPushButton::clicked, this, &TarifasPage::borrarTarifa);
    connect(m_fijas, &QTableWidget::doubleClicked, this, &TarifasPage::modificarFija);
    connect(addVar, &QPushButton::clicked, this, &TarifasPage::nuevaVariable);
    connect(delVar, &QPushButton::clicked, this, &TarifasPage::borrarTarifa);
    connect(addInt, &QPushButton::clicked, this, &TarifasPage::nuevoIntervalo);
    connect(editInt, &QPushButton::clicked, this, &TarifasPage::modificarIntervalo);
    connect(delInt, &QPushButton::clicked, this, &TarifasPage::borrarIntervalo);
    connect(m_intervalos, &QTableWidget::doubleClicked, this, &TarifasPage::modificarIntervalo);
    connect(m_variables, &QTableWidget::itemSelectionChanged, this,
            [this] { guarded([this] { fillIntervals(); }); });
}

void TarifasPage::load(const store::Opciones&, const store::WebConfig&) {
    guarded([this] { reload(); });
}

void TarifasPage::showEvent(QShowEvent* event) {
    ui::OpcionesPage::showEvent(event);
    if (!event->spontaneous()) {
        m_tabs->setCurrentIndex(0);
        guarded([this] { reload(); });
    }
}

void TarifasPage::guarded(const std::function<void()>& edit) {
    try {
        edit();
    } catch (const store::DatabaseError& e) {
        showError(this, e);
    }
}

int TarifasPage::selectedId(QTableWidget* grid) const {
    const int row = grid->currentRow();
    if (row < 0 || !grid->item(row, 0))
        return -1;
    return grid->item(row, 0)->data(Qt::UserRole).toInt();
}

void TarifasPage::reload() {
    const QVariant fixedKey = selectedId(m_fijas);
    const QVariant varKey = selectedId(m_variables);
    const Regional& r = m_context.regional;
    const std::vector<store::Tarifa> fixed = m_editor.tarifas(Ttarifas::Fija);
    m_fijas->setRowCount(int(fixed.size()));
    for (size_t i = 0; i < fixed.size(); ++i)
        setRow(m_fijas, int(i),
               {fixed[i].NOM, r.formatCurrency(fixed[i].COS_HORA), r.formatCurrency(fixed[i].COS_MIN)},
               fixed[i].ID_TAR);
    selectKey(m_fijas, fixedKey);
    const std::vector<store::Tarifa> variable = m_editor.tarifas(Ttarifas::Variable);
    {
        const QSignalBlocker block(m_variables);
        m_variables->setRowCount(int(variable.size()));
        for (size_t i = 0; i < variable.size(); ++i)
            setRow(m_variables, int(i), {variable[i].NOM}, variable[i].ID_TAR);
        selectKey(m_variables, varKey);
    }
    fillIntervals();
}

void TarifasPage::fillIntervals() {
    const int id = selectedId(m_variables);
    const QVariant key = m_intervalos->currentRow() >= 0
                             ? QVariant(m_intervalos->item(m_intervalos->currentRow(), 0)->data(Qt::UserRole))
                             : QVariant();
    const std::vector<store::LinTarifa> rows =
        id >= 0 ? m_editor.intervalos(id) : std::vector<store::LinTarifa>();
    m_intervalos->setRowCount(int(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i)
        setRow(m_intervalos, int(i),
               {QString::number(rows[i].franja_ini), QString::number(rows[i].franja_fin),
                m_context.regional.formatCurrency(rows[i].precio)},
               rows[i].franja_fin);
    selectKey(m_intervalos, key);
}

void TarifasPage::nuevaFija() {
    Tfrmntarfija dialog(m_context.regional, nullptr, this);
    dialog.setAction([this, &dialog] {
        return m_editor.nuevaTarifaFija(dialog.name(), dialog.hourly(), dialog.minimum());
    });
    if (ui::execDialog(&dialog) == QDialog::Accepted)
        guarded([this] { reload(); });
}

void TarifasPage::modificarFija() {
    guarded([this] {
        const int id = selectedId(m_fijas);
        const std::optional<store::Tarifa> row = id >= 0 ? m_editor.tarifa(id) : std::nullopt;
        if (!row)
            return;
        Tfrmntarfija dialog(m_context.regional, &*row, this);
        dialog.setAction([this, &dialog, id] {
            return m_editor.modificarTarifaFija(id, dialog.hourly(), dialog.minimum());
        });
        if (ui::execDialog(&dialog) == QDialog::Accepted)
            reload();
    });
}

void TarifasPage::nuevaVariable() {
    Tfrmntarvar dialog(m_context.regional, this);
    dialog.setAction([this, &dialog] {
        return m_editor.nuevaTarifaVariable(dialog.name(), dialog.minutes(), dialog.price());
    });
    if (ui::execDialog(&dialog) == QDialog::Accepted)
        guarded([this] { reload(); });
}

void TarifasPage::borrarTarifa() {
    guarded([this] {
        const int id = selectedId(m_tabs->currentIndex() == 0 ? m_fijas : m_variables);
        const std::optional<store::Tarifa> row = id >= 0 ? m_editor.tarifa(id) : std::nullopt;
        if (!row)
            return;
        const session::TarifaBorrableResult guard = m_editor.tarifaBorrable(
            row->NOM, m_stationTariffs ? m_stationTariffs() : QStringList(), m_context.consoleName);
        if (!guard.allowed()) {
            ui::showMessage(this, ui::MessageRequest{QStringLiteral("Atención"),
                                                     session::tarifaMessages().text(guard.messageKey),
                                                     ui::Icon::Warning, ui::Buttons::Ok});
            return;
        }
        if (ui::showMessage(this, tarifasPageMessages(), QStringLiteral("BorrarTarifa"), ui::Icon::Question,
                            ui::Buttons::YesNo) != ui::Answer::Yes)
            return;
        m_editor.borrarTarifa(id);
        reload();
    });
}

void TarifasPage::nuevoIntervalo() {
    const int id = selectedId(m_variables);
    if (id < 0)
        return;
    TfrmnIntervalo dialog(m_context.regional, nullptr, this);
    dialog.setAction(
        [this, &dialog, id] { return m_editor.nuevoIntervalo(id, dialog.minutes(), dialog.price()); });
    if (ui::execDialog(&dialog) == QDialog::Accepted)
        guarded([this] { fillIntervals(); });
}

void TarifasPage::modificarIntervalo() {
    guarded([this] {
        const int id = selectedId(m_variables);
        const int end = selectedId(m_intervalos);
        if (id < 0 || end < 0)
            return;
        store::LinTarifa row;
        for (const store::LinTarifa& l : m_editor.intervalos(id)) {
            if (l.franja_fin == end)
                row = l;
        }
        TfrmnIntervalo dialog(m_context.regional, &row, this);
        dialog.setAction([this, &dialog, id] {
            return m_editor.modificarIntervalo(id, dialog.minutes(), dialog.price());
        });
        if (ui::execDialog(&dialog) == QDialog::Accepted)
            fillIntervals();
    });
}

void TarifasPage::borrarIntervalo() {
    guarded([this] {
        const int id = selectedId(m_variables);
        const int end = selectedId(m_intervalos);
        if (id < 0 || end < 0)
            return;
        if (!m_editor.puedeBorrarIntervalo(id).ok()) {
            ui::showMessage(this, tarifasPageMessages(), QStringLiteral("NoBorrarIntervalo"),
                            ui::Icon::Warning);
            return;
        }
        if (ui::showMessage(this, tarifasPageMessages(), QStringLiteral("BorrarIntervalo"),
                            ui::Icon::Question, ui::Buttons::YesNo) != ui::Answer::Yes)
            return;
        m_editor.borrarIntervalo(id, end);
        fillIntervals();
    });
}

// ---- FranjasPage

FranjasPage::FranjasPage(ConsoleContext& context, ListaTarifas& cache, QWidget* parent)
    : ui::OpcionesPage(parent)
    , m_context(context)
    , m_editor(context.data->db(), cache, [&context] { return context.currentOperator; }) {
    setObjectName(QStringLiteral("franjasGrid"));
    m_grid = readOnlyGrid({QStringLiteral("Desde"), QStringLiteral("Hasta"), QStringLiteral("Tarifa")},
                          QStringLiteral("franjas"), this);
    QPushButton* add = button(QStringLiteral("&Añadir"), QStringLiteral("franjaAnadir"), this);
    QPushButton* edit = button(QStringLiteral("&Modificar"), QStringLiteral("franjaModificar"), this);
    QPushButton* del = button(QStringLiteral("&Borrar"), QStringLiteral("franjaBorrar"), this);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {add, edit, del})
        buttons->addWidget(b);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Franjas definidas:"), this));
    layout->addWidget(m_grid);
    layout->addLayout(buttons);
    connect(add, &QPushButton::clicked, this, &FranjasPage::nuevaFranja);
    connect(edit, &QPushButton::clicked, this, &FranjasPage::modificarFranja);
    connect(del, &QPushButton::clicked, this, &FranjasPage::borrarFranja);
    connect(m_grid, &QTableWidget::doubleClicked, this, &FranjasPage::modificarFranja);
}

void FranjasPage::load(const store::Opciones&, const store::WebConfig&) {
    try {
        reload();
    } catch (const store::DatabaseError& e) {
        showError(this, e);
    }
}

void FranjasPage::showEvent(QShowEvent* event) {
    ui::OpcionesPage::showEvent(event);
    if (!event->spontaneous()) {
        try {
            reload();
        } catch (const store::DatabaseError& e) {
            showError(this, e);
        }
    }
}

void FranjasPage::reload() {
    const QVariant key =
        m_grid->currentRow() >= 0 ? m_grid->item(m_grid->currentRow(), 0)->data(Qt::UserRole) : QVariant();
    const std::vector<store::Franja> rows = m_editor.franjas();
    m_grid->setRowCount(int(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i)
        setRow(m_grid, int(i),
               {m_context.regional.formatTime(rows[i].franja_ini),
                m_context.regional.formatTime(rows[i].franja_fin), rows[i].tarifa},
               rows[i].id_fran);
    selectKey(m_grid, key);
}

void FranjasPage::nuevaFranja() {
    try {
        TFormnfranjas dialog(m_editor.nombresTarifas(), nullptr, this);
        dialog.setAction([this, &dialog] { return m_editor.nuevaFranja(dialog.end(), dialog.tariff()); });
        ui::execDialog(&dialog);
        // Also after "&Cancelar": the bands are contiguous again whatever was there.
        m_editor.renumerarFranjas();
        reload();
    } catch (const store::DatabaseError& e) {
        showError(this, e);
    }
    emit edited();
}

void FranjasPage::modificarFranja() {
    try {
        const int row = m_grid->currentRow();
        if (row < 0)
            return;
        const int id = m_grid->item(row, 0)->data(Qt::UserRole).toInt();
        std::optional<store::Franja> band;
        for (const store::Franja& f : m_editor.franjas()) {
            if (f.id_fran == id)
                band = f;
        }
        if (!band)
            return;
        TFormnfranjas dialog(m_editor.nombresTarifas(), &*band, this);
        dialog.setAction([this, &dialog, id] { return m_editor.modificarFranja(id, dialog.tariff()); });
        ui::execDialog(&dialog);
        reload();
    } catch (const store::DatabaseError& e) {
        showError(this, e);
    }
}

void FranjasPage::borrarFranja() {
    const int row = m_grid->currentRow();
    if (row < 0)
        return;
    const int id = m_grid->item(row, 0)->data(Qt::UserRole).toInt();
    try {
        if (ui::showMessage(this, tarifasPageMessages(), QStringLiteral("MensajeBorrar"), ui::Icon::Question,
                            ui::Buttons::YesNo) == ui::Answer::Yes)
            m_editor.borrarFranja(id, m_context.settings);
        m_editor.renumerarFranjas();
        reload();
    } catch (const store::DatabaseError& e) {
        showError(this, e);
    }
    emit edited();
}

} // namespace accounts
