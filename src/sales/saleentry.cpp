#include "sales/saleentry.h"

#include "core/consolecontext.h"
#include "core/importes.h"
#include "sales/decimalfield.h"
#include "sales/frmbusqart.h"
#include "sales/puntoventa.h"
#include "store/datamodule.h"
#include "store/sql.h"
#include "ui/importebox.h"
#include "ui/messagebox.h"

#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace sales {

const ui::MessageTable& SaleEntry::messages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        {"NoDescripcion", QStringLiteral("No hay descripción"), QStringLiteral("There is no description")},
        mensajeImporteMaximo(),
        mensajeCantidadNoValida(),
    };
    return table;
}

SaleEntry::SaleEntry(ConsoleContext& context, QWidget* parent)
    : QWidget(parent)
    , m_context(context) {
    m_code = new QLineEdit(this);
    m_code->setObjectName(QStringLiteral("codigo"));
    m_code->setMaxLength(20);
    m_code->setToolTip(
        QStringLiteral("Introduzca directamente el código de un artículo  y pulse ENTER o bien pulse "
                       "el botón Buscar (F5) para acceder a la base de datos de artículos."));
    m_description = new QLineEdit(this);
    m_description->setObjectName(QStringLiteral("descripcion"));
    m_description->setMaxLength(50);
    m_quantity = new DecimalField(context.regional.decimalSeparator(), this);
    m_quantity->setObjectName(QStringLiteral("cantidad"));
    m_price = new DecimalField(context.regional.decimalSeparator(), this);
    m_price->setObjectName(QStringLiteral("precio"));
    for (QLineEdit* field :
         {m_code, m_description, static_cast<QLineEdit*>(m_quantity), static_cast<QLineEdit*>(m_price)})
        field->installEventFilter(this);
    connect(m_description, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_udart.ART = text;
        store();
    });

    auto* hint = new QLabel(m_code->toolTip(), this);
    hint->setWordWrap(true);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Código"), this), 0, 0);
    grid->addWidget(m_code, 0, 1, 1, 2);
    grid->addWidget(hint, 1, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Descripción"), this), 2, 0);
    grid->addWidget(new QLabel(QStringLiteral("Cant."), this), 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Precio"), this), 2, 2);
    grid->addWidget(m_description, 3, 0);
    grid->addWidget(m_quantity, 3, 1);
    grid->addWidget(m_price, 3, 2);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
}

void SaleEntry::showError(const QString& text) {
    ui::showError(this, text);
}

void SaleEntry::store() {
    try {
        saveUdart(m_context.data->db(), m_udart);
    } catch (const store::DatabaseError& e) {
        showError(e.text());
    }
}

void SaleEntry::load() {
    try {
        m_udart = readUdart(m_context.data->db());
    } catch (const store::DatabaseError& e) {
        showError(e.text());
    }
    showFields();
}

void SaleEntry::showFields() {
    m_description->setText(m_udart.ART);
    QString quantity = QString::number(m_udart.UD, 'g', 12);
    quantity.replace(QLatin1Char('.'), m_context.regional.decimalSeparator());
    m_quantity->setText(quantity);
    m_price->setText(m_context.regional.formatAmount(m_udart.PRE.roundedToDecimals(4)));
    // formatAmount rounds to the currency decimals; a price with more keeps them.
    if (m_udart.PRE.roundedToDecimals(m_context.regional.currencyDecimals()) != m_udart.PRE) {
        QString exact = m_udart.PRE.toDebugString();
        exact.replace(QLatin1Char('.'), m_context.regional.decimalSeparator());
        m_price->setText(exact);
    }
}

void SaleEntry::lookUpCode() {
    std::optional<store::Articulo> articulo;
    try {
        articulo = articuloPorCodigo(m_context.data->db(), m_code->text());
    } catch (const store::DatabaseError& e) {
        showError(e.text());
        return;
    }
    m_udart.UD = 1;
    if (articulo) {
        m_udart.PRE = m_udart.IMP = articulo->PRECIO;
        m_udart.ART = articulo->ARTICULO;
        m_code->setText(articulo->CODIGO);
    } else {
        m_udart.PRE = m_udart.IMP = Currency();
        m_udart.ART.clear();
    }
    store();
    showFields();
    if (articulo) {
        m_quantity->setFocus();
        m_quantity->selectAll();
    }
}

bool SaleEntry::recompute(bool report) {
    const std::optional<double> quantity = parseQuantity(m_quantity->text());
    const ImporteTecleado price = leerImporte(m_context.regional, m_price->text());
    // Beyond the limit nothing is stored and the typed text stays for
    // correction; leaving a field only stays silent.
    if (price.excesivo()) {
        if (report)
            ui::refuseAmount(this, messages(), m_context.regional, m_price);
        return false;
    }
    if (!quantity) {
        // A quantity that does not read never becomes the stored one.
        if (report)
            ui::refuseQuantity(this, messages(), m_quantity);
        return false;
    }
    // A price that does not read keeps the amount; the fields show the stored values again.
    if (price.valido()) {
        const std::optional<Currency> amount = importeLineaAcotado(*quantity, price.valor);
        if (!amount) {
            if (report)
                ui::refuseAmount(this, messages(), m_context.regional, m_quantity);
            return false;
        }
        m_udart.UD = *quantity;
        m_udart.PRE = price.valor;
        m_udart.IMP = *amount;
        store();
    }
    showFields();
    return true;
}

bool SaleEntry::addTo(int idTick) {
    // With no description the line is refused for that first, whatever the numbers say.
    if (!m_udart.ART.isEmpty() && !recompute(true))
        return false;
    QString refusal;
    try {
        refusal = anadirLinea(m_context.data->db(), idTick, m_code->text(),
                              m_reopened ? std::optional<Reapertura>(
                                               Reapertura{m_context.currentOperator, m_context.clock->now()})
                                         : std::nullopt);
    } catch (const store::DatabaseError& e) {
        showError(e.text());
        return false;
    }
    if (refusal == QLatin1String("ImporteMaximo")) {
        ui::refuseAmount(this, messages(), m_context.regional, m_price);
        return false;
    }
    if (refusal == QLatin1String("CantidadNoValida")) {
        ui::refuseQuantity(this, messages(), m_quantity);
        return false;
    }
    if (!refusal.isEmpty()) {
        ui::showMessage(this, messages(), refusal, ui::Icon::Information);
        m_description->setFocus();
        return false;
    }
    load();
    m_code->clear();
    m_code->setFocus();
    emit lineAdded();
    return true;
}

void SaleEntry::search(bool resetChoice) {
    TFrmbusqart dialog(m_context, this);
    if (resetChoice || m_searchField < 0) {
        m_searchField = 0;
        m_searchMode = 0;
    }
    dialog.fieldList()->setCurrentIndex(m_searchField);
    dialog.modeList()->setCurrentIndex(m_searchMode);
    dialog.filterBox()->setFocus();
    const int result = ui::execDialog(&dialog);
    m_searchField = dialog.fieldList()->currentIndex();
    m_searchMode = dialog.modeList()->currentIndex();
    const std::optional<store::Articulo> chosen = dialog.chosen();
    if (result != QDialog::Accepted || !chosen)
        return;
    m_udart.UD = 1;
    m_udart.PRE = m_udart.IMP = chosen->PRECIO;
    m_udart.ART = chosen->ARTICULO;
    store();
    showFields();
    m_code->setText(chosen->CODIGO);
    m_quantity->setFocus();
}

void SaleEntry::reset(bool all) {
    m_code->clear();
    try {
        m_udart = resetUdart(m_context.data->db(), all);
    } catch (const store::DatabaseError& e) {
        showError(e.text());
    }
    showFields();
}

bool SaleEntry::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == m_code) {
                lookUpCode();
            } else if (m_addButton) {
                if (watched == m_description || recompute(true))
                    m_addButton->setFocus();
            }
            return true;
        }
    } else if (event->type() == QEvent::FocusOut && (watched == m_quantity || watched == m_price)) {
        recompute(false);
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace sales
