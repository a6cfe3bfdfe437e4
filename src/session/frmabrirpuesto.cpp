#include "session/frmabrirpuesto.h"

#include "core/consolecontext.h"
#include "core/importes.h"
#include "session/franjas.h"
#include "session/precios.h"
#include "store/datamodule.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "ui/messagebox.h"

#include "ui/decimalkeyfilter.h"
#include "ui/importebox.h"

#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <functional>

namespace {

// The bands for a computation; a database error is shown here, at the window.
bool loadBands(QWidget* parent, const ConsoleContext& c, session::FranjasSnapshot& bands) {
    try {
        bands = session::FranjasSnapshot::load(c.data->db());
        return true;
    } catch (const store::DatabaseError& e) {
        ui::showError(parent, e.text());
        return false;
    }
}

// Enter in a box runs its action instead of pressing the default button.
class EnterFilter : public QObject {
public:
    EnterFilter(std::function<void()> action, QObject* parent)
        : QObject(parent)
        , m_action(std::move(action)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                m_action();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_action;
};

} // namespace

const ui::MessageTable& TFrmAbrirPuesto::messages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atencion"), QStringLiteral("Attention")},
        {"NoTarifa", QStringLiteral("No se ha seleccionado tarifa"),
         QStringLiteral("No tariff has been selected")},
        {"ImporteIncorrecto", QStringLiteral("El importe no es correcto."),
         QStringLiteral("The amount is not valid.")},
        {"SinTiempo", QStringLiteral("El tiempo de prepago debe ser mayor que cero."),
         QStringLiteral("The prepaid time must be greater than zero.")},
        {"PulseIntro", QStringLiteral("Pulse INTRO..."), QStringLiteral("Press ENTER...")},
        {"PulseSiguiente", QStringLiteral("Pulse Siguiente..."), QStringLiteral("Press Next...")},
        {"SinIntervalos", QStringLiteral("Tarifa sin intervalos..."),
         QStringLiteral("Tariff without intervals...")},
        mensajeImporteMaximo(),
    };
    return table;
}

TFrmAbrirPuesto::TFrmAbrirPuesto(ConsoleEngine& engine, QWidget* parent)
    : QDialog(parent)
    , m_engine(engine) {
    setObjectName(QStringLiteral("TFrmAbrirPuesto"));
    setWindowTitle(QStringLiteral("[ Abrir puesto...]"));
    auto* layout = new QVBoxLayout(this);
    m_question = new QLabel(this);
    m_question->setObjectName(QStringLiteral("question"));
    QFont bold = m_question->font();
    bold.setBold(true);
    m_question->setFont(bold);
    layout->addWidget(m_question);
    m_notice = new QLabel(this);
    m_notice->setObjectName(QStringLiteral("bandNotice"));
    layout->addWidget(m_notice);

    auto* form = new QFormLayout;
    m_mode = new QComboBox(this);
    m_mode->setObjectName(QStringLiteral("modeList"));
    m_mode->addItems({QStringLiteral("Contador"), QStringLiteral("Prepago")});
    m_tariff = new QComboBox(this);
    m_tariff->setObjectName(QStringLiteral("tariffList"));
    form->addRow(QStringLiteral("&Modo:"), m_mode);
    form->addRow(QStringLiteral("&Tarifa:"), m_tariff);
    layout->addLayout(form);

    m_pages = new QStackedWidget(this);
    layout->addWidget(m_pages);

    auto* first = new QWidget(m_pages);
    auto* firstLayout = new QVBoxLayout(first);
    firstLayout->setContentsMargins(0, 0, 0, 0);
    auto* amounts = new QFormLayout;
    m_amount = new QLineEdit(first);
    m_amount->setObjectName(QStringLiteral("amountEdit"));
    m_amount->installEventFilter(
        new ui::DecimalKeyFilter(m_engine.context().regional.decimalSeparator(), m_amount));
    amounts->addRow(QStringLiteral("&Importe:"), m_amount);
    auto* time = new QHBoxLayout;
    m_hours = new QSpinBox(first);
    m_hours->setObjectName(QStringLiteral("hoursSpin"));
    m_hours->setRange(0, 100);
    m_hours->setSuffix(QStringLiteral(" h"));
    m_minutes = new QSpinBox(first);
    m_minutes->setObjectName(QStringLiteral("minutesSpin"));
    m_minutes->setRange(0, 999);
    m_minutes->setSuffix(QStringLiteral(" min"));
    m_calcular = new QPushButton(QStringLiteral("Calcular"), first);
    m_calcular->setObjectName(QStringLiteral("calcularButton"));
    m_calcular->setAutoDefault(false);
    time->addWidget(m_hours);
    time->addWidget(m_minutes);
    time->addWidget(m_calcular);
    // A row label with a mnemonic needs a buddy, or it shows its ampersand.
    auto* timeLabel = new QLabel(QStringLiteral("T&iempo:"), first);
    timeLabel->setBuddy(m_hours);
    amounts->addRow(timeLabel, time);
    firstLayout->addLayout(amounts);
    m_status = new QLabel(first);
    m_status->setObjectName(QStringLiteral("statusLine"));
    firstLayout->addWidget(m_status);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_ok = new QPushButton(QStringLiteral("&Aceptar"), first);
    m_ok->setObjectName(QStringLiteral("acceptButton"));
    m_ok->setDefault(true);
    m_next = new QPushButton(QStringLiteral("&Siguiente >>"), first);
    m_next->setObjectName(QStringLiteral("nextButton"));
    auto* cancel = new QPushButton(QStringLiteral("&Cancelar"), first);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setAutoDefault(false);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_next);
    buttons->addWidget(cancel);
    firstLayout->addLayout(buttons);
    m_pages->addWidget(first);

    auto* second = new QWidget(m_pages);
    auto* secondLayout = new QVBoxLayout(second);
    secondLayout->setContentsMargins(0, 0, 0, 0);
    m_intervals = new QTableWidget(0, 3, second);
    m_intervals->setObjectName(QStringLiteral("intervalGrid"));
    m_intervals->setHorizontalHeaderLabels(
        {QStringLiteral("De"), QStringLiteral("A"), QStringLiteral("Precio")});
    m_intervals->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_intervals->setSelectionMode(QAbstractItemView::SingleSelection);
    m_intervals->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_intervals->verticalHeader()->hide();
    m_intervals->horizontalHeader()->setStretchLastSection(true);
    secondLayout->addWidget(m_intervals);
    auto* secondButtons = new QHBoxLayout;
    auto* back = new QPushButton(QStringLiteral("<< Anterior"), second);
    back->setObjectName(QStringLiteral("backButton"));
    m_ok2 = new QPushButton(QStringLiteral("&Aceptar"), second);
    m_ok2->setObjectName(QStringLiteral("acceptButton2"));
    auto* cancel2 = new QPushButton(QStringLiteral("&Cancelar"), second);
    secondButtons->addWidget(back);
    secondButtons->addStretch();
    secondButtons->addWidget(m_ok2);
    secondButtons->addWidget(cancel2);
    secondLayout->addLayout(secondButtons);
    m_pages->addWidget(second);

    connect(m_mode, &QComboBox::currentIndexChanged, this, &TFrmAbrirPuesto::tariffOrModeChanged);
    connect(m_tariff, &QComboBox::currentIndexChanged, this, &TFrmAbrirPuesto::tariffOrModeChanged);
    connect(m_amount, &QLineEdit::editingFinished, this, &TFrmAbrirPuesto::amountEdited);
    // "Pulse INTRO...": Enter computes the time the amount buys and moves to
    // "&Aceptar"; it never accepts from the amount box.
    m_amount->installEventFilter(new EnterFilter(
        [this] {
            amountEdited();
            m_ok->setFocus();
        },
        m_amount));
    connect(m_minutes, &QSpinBox::editingFinished, this, &TFrmAbrirPuesto::minutesEdited);
    connect(m_calcular, &QPushButton::clicked, this, &TFrmAbrirPuesto::calcular);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ok2, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cancel2, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_next, &QPushButton::clicked, this, [this] { showIntervals(m_intervals->currentRow()); });
    connect(back, &QPushButton::clicked, this, [this] { m_pages->setCurrentIndex(0); });
    connect(m_intervals, &QTableWidget::cellDoubleClicked, this, &QDialog::accept);

    // The list shows the tariffs as the table holds them.
    try {
        m_tarifas =
            store::select<store::Tarifa>(m_engine.context().data->db(), QStringLiteral("ORDER BY ID_TAR"));
    } catch (const store::DatabaseError&) {
        m_tarifas.clear();
    }
    for (const store::Tarifa& t : m_tarifas)
        m_tariff->addItem(t.NOM);
    m_tariff->setCurrentIndex(-1);
}

void TFrmAbrirPuesto::prepareOpen(int stationNumber, int relativePrice) {
    m_increase = false;
    m_relativePrice = relativePrice;
    setWindowTitle(QStringLiteral("[Abrir puesto...]"));
    m_question->setText(QStringLiteral("¿Confirma abrir puesto número %1?").arg(stationNumber));
    m_notice->clear();
    m_mode->setEnabled(true);
    m_mode->setCurrentIndex(0);
    m_tariff->setEnabled(true);
    m_pages->setCurrentIndex(0);
    // The tariff chosen last is proposed again (bands and defaults may override it).
    try {
        const QString kept = store::readOpciones(m_engine.context().data->db()).DBLookUp.trimmed();
        if (!kept.isEmpty())
            selectTariff(kept);
    } catch (const store::DatabaseError&) {
        // Nothing proposed; the operator picks the tariff.
    }
    tariffOrModeChanged();
}

void TFrmAbrirPuesto::prepareIncrease(int stationNumber, int relativePrice, const QString& tariffName) {
    m_increase = true;
    m_relativePrice = relativePrice;
    setWindowTitle(QStringLiteral("[Incrementar prepago...]"));
    m_question->setText(QStringLiteral("¿Incrementar prepago en el puesto %1?").arg(stationNumber));
    m_notice->clear();
    m_mode->setCurrentIndex(1);
    m_mode->setEnabled(false);
    selectTariff(tariffName);
    m_tariff->setEnabled(false);
    m_pages->setCurrentIndex(0);
    tariffOrModeChanged();
    if (const Ttarifas* t = tariff(); t && t->isVariable()) {
        showIntervals(0);
    } else {
        setAmount(Currency());
        setTime(0, 0);
        m_amount->setFocus();
    }
}

void TFrmAbrirPuesto::lockTariff(const QString& tariffName, const QString& notice) {
    selectTariff(tariffName);
    m_notice->setText(notice);
    m_tariff->setEnabled(false);
}

bool TFrmAbrirPuesto::selectTariff(const QString& name) {
    const int index = m_tariff->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        return false;
    m_tariff->setCurrentIndex(index);
    return true;
}

void TFrmAbrirPuesto::setPrepaid(bool prepaid) {
    m_mode->setCurrentIndex(prepaid ? 1 : 0);
}

QString TFrmAbrirPuesto::tariffName() const {
    return m_tariff->currentIndex() >= 0 ? m_tariff->currentText() : QString();
}

bool TFrmAbrirPuesto::prepaid() const {
    return m_mode->currentIndex() == 1;
}

const Ttarifas* TFrmAbrirPuesto::tariff() const {
    return m_engine.tarifas().find(tariffName());
}

void TFrmAbrirPuesto::setAmount(Currency value) {
    m_amount->setText(m_engine.context().regional.formatAmount(value));
    amountEdited();
}

std::optional<Currency> TFrmAbrirPuesto::amount() const {
    return m_engine.context().regional.parseCurrency(m_amount->text());
}

void TFrmAbrirPuesto::setTime(int hours, int minutes) {
    m_hours->setValue(hours);
    m_minutes->setValue(minutes);
    minutesEdited();
}

void TFrmAbrirPuesto::tariffOrModeChanged() {
    const Ttarifas* t = tariff();
    const bool prepaidMode = prepaid();
    const bool variable = t && t->isVariable();
    m_pages->setCurrentIndex(0);
    if (!prepaidMode) {
        m_amount->setEnabled(false);
        m_hours->setEnabled(false);
        m_minutes->setEnabled(false);
        m_amount->setText(m_engine.context().regional.formatAmount(Currency()));
        m_hours->setValue(0);
        m_minutes->setValue(0);
        m_calcular->setVisible(false);
        m_ok->setEnabled(true);
        m_next->setEnabled(false);
        m_status->clear();
        return;
    }
    if (variable) {
        m_amount->setEnabled(false);
        m_hours->setEnabled(false);
        m_minutes->setEnabled(false);
        m_calcular->setVisible(false);
        m_ok->setEnabled(false);
        m_next->setEnabled(!t->intervals.empty());
        m_status->setText(messages().text(t->intervals.empty() ? QStringLiteral("SinIntervalos")
                                                               : QStringLiteral("PulseSiguiente")));
        fillIntervals();
        return;
    }
    m_amount->setEnabled(true);
    m_hours->setEnabled(true);
    m_minutes->setEnabled(true);
    m_calcular->setVisible(true);
    m_ok->setEnabled(true);
    m_next->setEnabled(false);
    m_status->setText(messages().text(QStringLiteral("PulseIntro")));
    if (!m_increase)
        setAmount(t ? t->minimumCost : Currency());
}

void TFrmAbrirPuesto::amountEdited() {
    const Ttarifas* t = tariff();
    const std::optional<Currency> a = amount();
    // An amount beyond the limit buys no time; accepting refuses it.
    if (!prepaid() || !t || t->isVariable() || !a || !a->withinMaxAmount())
        return;
    int hours = 0;
    int minutes = 0;
    if (t->hourlyCost > Currency()) {
        ConsoleContext& c = m_engine.context();
        session::FranjasSnapshot bands;
        if (!loadBands(this, c, bands))
            return;
        const session::HorasMinutos hm = session::horasMinutos(session::TiempoPorImporte(
            m_engine.tarifas(), bands, m_relativePrice, t->hourlyCost, *a, c.clock->now(), c.settings));
        hours = hm.hours;
        minutes = hm.minutes;
    }
    m_hours->setValue(qMin(hours, m_hours->maximum()));
    m_minutes->setValue(minutes);
}

void TFrmAbrirPuesto::minutesEdited() {
    // Minutes above 59 carry into the hours.
    if (m_minutes->value() > 59) {
        const int carry = m_minutes->value() / 60;
        m_hours->setValue(qMin(m_hours->maximum(), m_hours->value() + carry));
        m_minutes->setValue(m_minutes->value() % 60);
    }
}

void TFrmAbrirPuesto::calcular() {
    minutesEdited();
    const Ttarifas* t = tariff();
    if (!t || t->isVariable())
        return;
    ConsoleContext& c = m_engine.context();
    session::FranjasSnapshot bands;
    if (!loadBands(this, c, bands))
        return;
    const qint64 seconds = qint64(m_hours->value()) * 3600 + qint64(m_minutes->value()) * 60;
    const Currency value = session::ImportePorTiempo(m_engine.tarifas(), bands, seconds, m_relativePrice,
                                                     t->hourlyCost, c.clock->now(), c.settings);
    m_amount->setText(c.regional.formatAmount(value));
}

void TFrmAbrirPuesto::fillIntervals() {
    m_intervals->setRowCount(0);
    const Ttarifas* t = tariff();
    if (!t || !t->isVariable())
        return;
    const Regional& regional = m_engine.context().regional;
    int start = 0;
    for (const Tintervalo& iv : t->intervals) {
        const int row = m_intervals->rowCount();
        m_intervals->insertRow(row);
        m_intervals->setItem(row, 0, new QTableWidgetItem(QString::number(start)));
        m_intervals->setItem(row, 1, new QTableWidgetItem(QString::number(iv.endMinutes)));
        m_intervals->setItem(row, 2, new QTableWidgetItem(regional.formatCurrency(iv.price)));
        start = iv.endMinutes;
    }
    if (m_intervals->rowCount() > 0)
        m_intervals->selectRow(0);
}

void TFrmAbrirPuesto::showIntervals(int index) {
    fillIntervals();
    if (m_intervals->rowCount() == 0)
        return;
    m_pages->setCurrentIndex(1);
    if (index >= 0 && index < m_intervals->rowCount())
        m_intervals->selectRow(index);
    m_intervals->setFocus();
}

session::AperturaPedido TFrmAbrirPuesto::pedido() const {
    session::AperturaPedido p;
    p.prepago = prepaid();
    p.tariffName = tariffName();
    p.amount = amount().value_or(Currency());
    p.hours = m_hours->value();
    p.minutes = m_minutes->value();
    p.interval = m_pages->currentIndex() == 1 ? m_intervals->currentRow() : -1;
    return p;
}

session::IncrementoPedido TFrmAbrirPuesto::incremento() const {
    const session::AperturaPedido p = pedido();
    session::IncrementoPedido inc;
    inc.tariffName = p.tariffName;
    inc.amount = p.amount;
    inc.hours = p.hours;
    inc.minutes = p.minutes;
    inc.interval = p.interval;
    return inc;
}

bool TFrmAbrirPuesto::checkAccept() {
    if (tariffName().isEmpty()) {
        ui::showMessage(this, messages(), QStringLiteral("NoTarifa"), ui::Icon::Warning);
        return false;
    }
    if (!prepaid())
        return true;
    const Ttarifas* t = tariff();
    if (t && t->isVariable())
        return m_pages->currentIndex() == 1 && m_intervals->currentRow() >= 0;
    minutesEdited();
    if (!ui::amountWithinLimit(this, messages(), m_engine.context().regional, m_amount))
        return false;
    const std::optional<Currency> a = amount();
    if (!a || a->isNegative()) {
        ui::showMessage(this, messages(), QStringLiteral("ImporteIncorrecto"), ui::Icon::Warning);
        m_amount->setFocus();
        m_amount->selectAll();
        return false;
    }
    if (m_hours->value() == 0 && m_minutes->value() == 0) {
        ui::showMessage(this, messages(), QStringLiteral("SinTiempo"), ui::Icon::Warning);
        m_minutes->setFocus();
        return false;
    }
    return true;
}

void TFrmAbrirPuesto::done(int result) {
    if (result == QDialog::Accepted && !checkAccept())
        return;
    if (result == QDialog::Accepted && !m_increase) {
        try {
            store::saveOpenDialogChoice(m_engine.context().data->db(), tariffName(),
                                        amount().value_or(Currency()));
        } catch (const store::DatabaseError&) {
            // Only the proposal of the next opening is lost; the opening goes on.
        }
    }
    QDialog::done(result);
}
