#include "reports/frmlistados.h"

#include <optional>

#include "core/consolecontext.h"
#include "reports/format.h"
#include "reports/frmpreview.h"
#include "store/datamodule.h"
#include "store/sql.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QButtonGroup>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHorizontalBarSeries>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSplitter>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>

namespace reports {

namespace {

// The chart shows the largest values; the table and the listing have them all.
constexpr int chartBars = 15;

} // namespace

ListadoWindow::ListadoWindow(ConsoleContext& context, const QString& name, const QString& caption,
                             bool statistic, bool dates, QWidget* parent)
    : QDialog(parent)
    , m_context(context) {
    setObjectName(name);
    setWindowTitle(caption);
    auto* left = new QVBoxLayout;
    if (dates) {
        auto* form = new QFormLayout;
        auto dateEdit = [this](const QString& objectName) {
            auto* e = new QDateEdit(this);
            e->setObjectName(objectName);
            e->setCalendarPopup(true);
            e->setDisplayFormat(m_context.regional.shortDateFormat());
            return e;
        };
        m_from = dateEdit(QStringLiteral("desde"));
        m_to = dateEdit(QStringLiteral("hasta"));
        form->addRow(QStringLiteral("Desde ......."), m_from);
        form->addRow(QStringLiteral("Hasta ........"), m_to);
        left->addLayout(form);
    }
    m_choices = new QVBoxLayout;
    left->addLayout(m_choices);
    left->addStretch();
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* print = buttons->addButton(QStringLiteral("&Imprimir"), QDialogButtonBox::ActionRole);
    print->setObjectName(QStringLiteral("imprimir"));
    print->setDefault(true);
    QPushButton* cancel = buttons->addButton(QStringLiteral("&Cancelar"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelar"));
    connect(print, &QPushButton::clicked, this, [this] { imprimir(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    left->addWidget(buttons);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    if (statistic) {
        auto* split = new QSplitter(Qt::Horizontal, this);
        m_table = new QTableWidget(split);
        m_table->setObjectName(QStringLiteral("resultado"));
        m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_table->verticalHeader()->hide();
        m_chart = new QChartView(split);
        m_chart->setObjectName(QStringLiteral("grafico"));
        m_chart->setRenderHint(QPainter::Antialiasing);
        m_chart->setMinimumSize(360, 300);
        split->addWidget(m_table);
        split->addWidget(m_chart);
        layout->addWidget(split, 1);
        resize(1000, 480);
        // A changed selection shows at once, once the typing pauses.
        m_refresh = new QTimer(this);
        m_refresh->setSingleShot(true);
        m_refresh->setInterval(RefreshDelayMs);
        connect(m_refresh, &QTimer::timeout, this, [this] {
            if (isVisible())
                consultar();
        });
        if (m_from) {
            connect(m_from, &QDateEdit::dateChanged, m_refresh, qOverload<>(&QTimer::start));
            connect(m_to, &QDateEdit::dateChanged, m_refresh, qOverload<>(&QTimer::start));
        }
    }
}

QGroupBox* ListadoWindow::addGroup(const QString& title, const QStringList& options, QButtonGroup*& group,
                                   QVBoxLayout** layoutOut) {
    auto* box = new QGroupBox(title, this);
    auto* layout = new QVBoxLayout(box);
    group = new QButtonGroup(box);
    for (int i = 0; i < options.size(); ++i) {
        auto* b = new QRadioButton(options.at(i), box);
        group->addButton(b, i);
        layout->addWidget(b);
    }
    group->button(0)->setChecked(true);
    if (m_refresh)
        connect(group, &QButtonGroup::idToggled, m_refresh, [this](int, bool on) {
            if (on)
                m_refresh->start();
        });
    m_choices->addWidget(box);
    if (layoutOut)
        *layoutOut = layout;
    return box;
}

void ListadoWindow::prepare() {
    const QDate today = m_context.clock->now().date();
    if (m_from) {
        m_from->setDate(today);
        m_to->setDate(today);
        m_from->setFocus();
    }
}

DateRange ListadoWindow::range() const {
    return m_from ? DateRange{m_from->date(), m_to->date()} : DateRange{};
}

bool ListadoWindow::consultar() {
    try {
        // Years of history take a moment to add up.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_result = build();
        QApplication::restoreOverrideCursor();
    } catch (const store::DatabaseError& e) {
        QApplication::restoreOverrideCursor();
        showDatabaseError(this, e.text());
        return false;
    }
    showResult();
    return true;
}

bool ListadoWindow::imprimir() {
    if (!consultar())
        return false;
    showPreview(this, ReportRenderer(m_result.report, m_context.regional.shortDateFormat(),
                                     m_context.regional.longTimeFormat()));
    return true;
}

void ListadoWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A statistic shows its default selection at once; the query waits until
    // the window is on screen. A restore from minimised is no new opening.
    if (m_table && !event->spontaneous())
        QTimer::singleShot(0, this, [this] {
            if (isVisible())
                consultar();
        });
}

void ListadoWindow::showResult() {
    if (!m_table)
        return;
    const Report& r = m_result.report;
    const QStringList heads = r.pageHeader.empty() ? QStringList() : r.pageHeader.back().cells;
    m_table->clear();
    m_table->setColumnCount(int(heads.size()));
    m_table->setHorizontalHeaderLabels(heads);
    m_table->setRowCount(int(r.body.size()));
    for (int i = 0; i < int(r.body.size()); ++i) {
        const QStringList& cells = r.body[size_t(i)].rows.front().cells;
        for (int c = 0; c < cells.size(); ++c)
            m_table->setItem(i, c, new QTableWidgetItem(cells.at(c)));
    }
    m_table->resizeColumnsToContents();

    auto* chart = new QChart;
    chart->setTitle(r.title.empty() ? QString() : r.title.front().cells.value(0));
    chart->legend()->hide();
    auto* set = new QBarSet(m_result.valueTitle);
    QStringList labels;
    const int n = std::min<int>(chartBars, int(m_result.values.size()));
    double largest = 0;
    for (int i = 0; i < n; ++i) {
        const QString label = m_result.labels.value(i);
        labels << (label.isEmpty() ? QStringLiteral("(anónimo)") : label);
        largest = std::max(largest, m_result.values[size_t(i)]);
    }
    labels = distinctLabels(labels);
    // Largest at the top.
    QStringList categories;
    for (int i = n - 1; i >= 0; --i) {
        *set << m_result.values[size_t(i)];
        categories << labels.at(i);
    }
    auto* series = new QHorizontalBarSeries;
    series->append(set);
    chart->addSeries(series);
    auto* axisY = new QBarCategoryAxis;
    axisY->append(categories);
    chart->addAxis(axisY, Qt::AlignLeft);
    series->attachAxis(axisY);
    auto* axisX = new QValueAxis;
    axisX->setTitleText(m_result.valueTitle);
    // Small values keep a decimal, or the axis reads "0 0 1 1".
    axisX->setLabelFormat(largest < 10 ? QStringLiteral("%.1f") : QStringLiteral("%.0f"));
    chart->addAxis(axisX, Qt::AlignBottom);
    series->attachAxis(axisX);
    QChart* old = m_chart->chart();
    m_chart->setChart(chart);
    delete old;
}

// Tickets.
Tfrmlstgentick::Tfrmlstgentick(ConsoleContext& context, QWidget* parent)
    : ListadoWindow(context, QStringLiteral("Tfrmlstgentick"),
                    QStringLiteral("[ Listado general de Tickets ]"), false, true, parent) {
    addGroup(QStringLiteral(" Tipo de listado "),
             {QStringLiteral("Listado de totales"), QStringLiteral("Listado de detalles")}, m_kind);
}

bool Tfrmlstgentick::imprimir() {
    std::optional<ReportRenderer> renderer;
    try {
        ListadoEnPartes listing = listadoTicketsEnPartes(m_context.data->db(), m_context.regional, range(),
                                                         m_kind->checkedId() == 1, m_context.clock->now());
        renderer.emplace(std::move(listing.report), m_context.regional.shortDateFormat(),
                         m_context.regional.longTimeFormat(), std::move(listing.source));
        // The first pages before the preview opens; it reads the rest.
        renderer->extend();
    } catch (const store::DatabaseError& e) {
        showDatabaseError(this, e.text());
        return false;
    }
    showPreview(this, std::move(*renderer));
    return true;
}

Statistic Tfrmlstgentick::build() {
    Statistic s;
    s.report = listadoTickets(m_context.data->db(), m_context.regional, range(), m_kind->checkedId() == 1,
                              m_context.clock->now());
    return s;
}

// Station activity.
Tfrmlstciber::Tfrmlstciber(ConsoleContext& context, QWidget* parent)
    : ListadoWindow(context, QStringLiteral("Tfrmlstciber"),
                    QStringLiteral("[ Listado de actividad en puestos ...]"), false, true, parent) {
    QVBoxLayout* layout = nullptr;
    addGroup(QStringLiteral(" Tipo de listado "),
             {QStringLiteral("Todos los puestos"), QStringLiteral("En puesto número ...")}, m_kind, &layout);
    m_stations = new QComboBox(this);
    m_stations->setObjectName(QStringLiteral("puestos"));
    layout->addWidget(m_stations);
    connect(m_kind, &QButtonGroup::idClicked, this, [this] { kindChanged(); });
}

void Tfrmlstciber::prepare() {
    ListadoWindow::prepare();
    try {
        m_numbers = stationNumbers(m_context.data->db());
    } catch (const store::DatabaseError& e) {
        m_numbers.clear();
        showDatabaseError(this, e.text());
    }
    kindChanged();
}

void Tfrmlstciber::kindChanged() {
    m_stations->clear();
    const bool one = m_kind->checkedId() == 1;
    if (one) {
        for (int n : m_numbers)
            m_stations->addItem(QString::number(n), n);
        m_stations->setCurrentIndex(m_stations->count() > 0 ? 0 : -1);
    }
    m_stations->setEnabled(one);
}

Statistic Tfrmlstciber::build() {
    std::optional<int> puesto;
    if (m_kind->checkedId() == 1) {
        // No station to choose: nothing can match.
        puesto = m_stations->currentIndex() >= 0 ? m_stations->currentData().toInt() : -1;
    }
    Statistic s;
    s.report =
        listadoActividad(m_context.data->db(), m_context.regional, range(), puesto, m_context.clock->now());
    return s;
}

// Account movements.
Tfrmlstmovcue::Tfrmlstmovcue(ConsoleContext& context, QWidget* parent)
    : ListadoWindow(context, QStringLiteral("Tfrmlstmovcue"),
                    QStringLiteral("[ Listado de movimientos de cuentas... ]"), false, true, parent) {
    QVBoxLayout* layout = nullptr;
    addGroup(QStringLiteral(" Tipo de listado  "),
             {QStringLiteral("Todas las cuentas"), QStringLiteral("Seleccionar cuenta"),
              QStringLiteral("Todos los códigos"), QStringLiteral("Seleccionar código")},
             m_scope, &layout);
    m_accounts = new QComboBox(this);
    m_accounts->setObjectName(QStringLiteral("cuentas"));
    m_codes = new QComboBox(this);
    m_codes->setObjectName(QStringLiteral("codigos"));
    layout->insertWidget(2, m_accounts);
    layout->addWidget(m_codes);
    addGroup(QStringLiteral("Tipo de movimiento"),
             {QStringLiteral("Todos"), QStringLiteral("Cargos"), QStringLiteral("Abonos")}, m_kind);
    connect(m_scope, &QButtonGroup::idClicked, this, [this] { scopeChanged(); });
}

void Tfrmlstmovcue::prepare() {
    ListadoWindow::prepare();
    m_scope->button(0)->setChecked(true);
    m_kind->button(0)->setChecked(true);
    m_accounts->clear();
    m_codes->clear();
    try {
        m_accounts->addItems(logins(m_context.data->db(), false));
        m_codes->addItems(logins(m_context.data->db(), true));
    } catch (const store::DatabaseError& e) {
        showDatabaseError(this, e.text());
    }
    scopeChanged();
}

void Tfrmlstmovcue::scopeChanged() {
    m_accounts->setEnabled(m_scope->checkedId() == 1);
    m_codes->setEnabled(m_scope->checkedId() == 3);
}

Statistic Tfrmlstmovcue::build() {
    static const MovScope scopes[] = {MovScope::TodasCuentas, MovScope::Cuenta, MovScope::TodosCodigos,
                                      MovScope::Codigo};
    static const MovKind kinds[] = {MovKind::Todos, MovKind::Cargos, MovKind::Abonos};
    const int scope = qMax(0, m_scope->checkedId());
    const QString login = scope == 1   ? m_accounts->currentText()
                          : scope == 3 ? m_codes->currentText()
                                       : QString();
    Statistic s;
    s.report = listadoMovimientos(m_context.data->db(), m_context.regional, range(), scopes[scope], login,
                                  kinds[qMax(0, m_kind->checkedId())], m_context.clock->now());
    return s;
}

// Customers.
Tfrmestclientes::Tfrmestclientes(ConsoleContext& context, QWidget* parent)
    : ListadoWindow(context, QStringLiteral("Tfrmestclientes"), QStringLiteral("[ Estadística de clientes ]"),
                    true, true, parent) {
    addGroup(QStringLiteral(" Tipo de estadística "),
             {QStringLiteral("Crédito consumido"), QStringLiteral("Crédito aportado"),
              QStringLiteral("Tiempo de utilización")},
             m_kind);
}

Statistic Tfrmestclientes::build() {
    static const EstClientes kinds[] = {EstClientes::CreditoConsumido, EstClientes::CreditoAportado,
                                        EstClientes::Tiempo};
    return estadisticaClientes(m_context.data->db(), m_context.regional, range(),
                               kinds[qMax(0, m_kind->checkedId())], m_context.clock->now());
}

// Stations.
TFrmestpuestos::TFrmestpuestos(ConsoleContext& context, QWidget* parent)
    : ListadoWindow(context, QStringLiteral("TFrmestpuestos"), QStringLiteral("[ Estadística de puestos ]"),
                    true, true, parent) {
    auto* order = new QComboBox(this);
    order->setObjectName(QStringLiteral("orden"));
    order->addItem(QStringLiteral("Tiempo"));
    order->setCurrentIndex(0);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Orden"), order);
    choices()->addLayout(form);
}

Statistic TFrmestpuestos::build() {
    return estadisticaPuestos(m_context.data->db(), m_context.regional, range(), m_context.clock->now());
}

// Article sales.
Tfrmestventas::Tfrmestventas(ConsoleContext& context, QWidget* parent)
    : ListadoWindow(context, QStringLiteral("Tfrmestventas"), QStringLiteral("[ Estadística de ventas ]"),
                    true, true, parent) {
    QVBoxLayout* layout = nullptr;
    addGroup(QStringLiteral(" Tipo de listado  "),
             {QStringLiteral("Todos los artículos"), QStringLiteral("Seleccionar...")}, m_kind, &layout);
    m_articles = new QComboBox(this);
    m_articles->setObjectName(QStringLiteral("articulos"));
    layout->addWidget(m_articles);
    connect(m_kind, &QButtonGroup::idClicked, this, [this] { kindChanged(); });
}

void Tfrmestventas::prepare() {
    ListadoWindow::prepare();
    m_articles->clear();
    try {
        m_list = articulos(m_context.data->db());
    } catch (const store::DatabaseError& e) {
        m_list.clear();
        showDatabaseError(this, e.text());
    }
    for (const auto& [code, description] : m_list)
        m_articles->addItem(description, code);
    kindChanged();
}

void Tfrmestventas::kindChanged() {
    m_articles->setEnabled(m_kind->checkedId() == 1);
}

Statistic Tfrmestventas::build() {
    // With nothing to choose the code is empty, and the listing too.
    std::optional<QString> code;
    if (m_kind->checkedId() == 1)
        code = m_articles->currentData().toString();
    return ventasArticulos(m_context.data->db(), m_context.regional, range(), code, m_context.clock->now());
}

// Voucher sales.
Tfrmestbonos::Tfrmestbonos(ConsoleContext& context, QWidget* parent)
    : ListadoWindow(context, QStringLiteral("Tfrmestbonos"), QStringLiteral("[ Ventas de bonos ]"), true,
                    true, parent) {}

Statistic Tfrmestbonos::build() {
    return ventasBonos(m_context.data->db(), m_context.regional, range(), m_context.clock->now());
}

// Accounts.
Tfrmlistcuentas::Tfrmlistcuentas(ConsoleContext& context, QWidget* parent)
    : ListadoWindow(context, QStringLiteral("Tfrmlistcuentas"),
                    QStringLiteral("[ Listado de cuentas de clientes ]"), false, false, parent) {
    auto* form = new QFormLayout;
    const QStringList keys{QString(),
                           QStringLiteral("Cuenta"),
                           QStringLiteral("Nombre"),
                           QStringLiteral("Tarifa"),
                           QStringLiteral("Crédito"),
                           QStringLiteral("Alta"),
                           QStringLiteral("Ultima visita")};
    for (int i = 0; i < 3; ++i) {
        m_keys[i] = new QComboBox(this);
        m_keys[i]->setObjectName(QStringLiteral("orden%1").arg(i + 1));
        m_keys[i]->addItems(keys);
        form->addRow(QStringLiteral("Ordenar por (%1)").arg(i + 1), m_keys[i]);
    }
    m_keys[0]->setCurrentIndex(1);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("nombre"));
    form->addRow(QStringLiteral("El nombre del cliente contiene...."), m_name);
    choices()->addLayout(form);
    addGroup(QStringLiteral(" Tipo de listado "),
             {QStringLiteral("Crédito disponible"), QStringLiteral("Datos personales")}, m_kind);
}

Statistic Tfrmlistcuentas::build() {
    std::vector<OrdenCuentas> order;
    for (QComboBox* k : m_keys)
        order.push_back(static_cast<OrdenCuentas>(qMax(0, k->currentIndex())));
    Statistic s;
    s.report = listadoCuentas(m_context.data->db(), m_context.regional, order, m_name->text(),
                              m_kind->checkedId() == 1 ? TipoListadoCuentas::DatosPersonales
                                                       : TipoListadoCuentas::CreditoDisponible,
                              m_context.clock->now());
    return s;
}

} // namespace reports
