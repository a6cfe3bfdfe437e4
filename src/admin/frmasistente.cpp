#include "admin/frmasistente.h"

#include "accounts/tarifaseditor.h"
#include "admin/frmoperadores.h"
#include "admin/frmpuestos.h"
#include "admin/operadoresrules.h"
#include "core/importes.h"
#include "sales/ticketlayouts.h"
#include "sales/ticketprinter.h"
#include "store/sql.h"
#include "ui/decimalkeyfilter.h"
#include "ui/importebox.h"
#include "ui/messagebox.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

#include <map>

namespace {

enum Column { ColNumber, ColAddress, ColAnswer };

QString titleKey(int page) {
    static const char* keys[] = {"TituloAdmin",     "TituloPuestos", "TituloTarifa", "TituloImpuestos",
                                 "TituloImpresora", "TituloCajero",  "TituloResumen"};
    return QLatin1String(keys[page]);
}

int pageOf(admin::Paso paso) {
    switch (paso) {
    case admin::Paso::Admin:
        return TFrmAsistente::PageAdmin;
    case admin::Paso::Puestos:
        return TFrmAsistente::PagePuestos;
    case admin::Paso::Tarifa:
        return TFrmAsistente::PageTarifa;
    case admin::Paso::Impuestos:
        return TFrmAsistente::PageImpuestos;
    case admin::Paso::Impresora:
        return TFrmAsistente::PageImpresora;
    case admin::Paso::Cajero:
        return TFrmAsistente::PageCajero;
    }
    return TFrmAsistente::PageAdmin;
}

QString escaped(const QString& s) {
    return s.toHtmlEscaped();
}

// 21 or 4,5: no zeros after the separator.
QString percent(double rate, const Regional& regional) {
    QString s = QString::number(rate, 'f', 2);
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    if (s.endsWith(QLatin1Char('.')))
        s.chop(1);
    return s.replace(QLatin1Char('.'), regional.decimalSeparator());
}

} // namespace

const ui::MessageTable& TFrmAsistente::messages() {
    static const ui::MessageTable table{
        {"Titulo", QStringLiteral("[ Asistente de puesta en marcha ]"),
         QStringLiteral("[ Start-up assistant ]")},
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        {"Anterior", QStringLiteral("< &Anterior"), QStringLiteral("< &Back")},
        {"Siguiente", QStringLiteral("&Siguiente >"), QStringLiteral("&Next >")},
        {"Terminar", QStringLiteral("&Terminar"), QStringLiteral("&Finish")},
        {"Cancelar", QStringLiteral("Cancelar"), QStringLiteral("Cancel")},
        {"Omitir", QStringLiteral("&Omitir"), QStringLiteral("&Skip")},

        {"TituloAdmin", QStringLiteral("Contraseña de ADMIN y tickets"),
         QStringLiteral("ADMIN's password and the tickets")},
        {"IntroAdmin",
         QStringLiteral(
             "Bienvenido a Quintor. ADMIN puede hacerlo todo en esta consola: dele una contraseña. "
             "El nombre del cibercafé y las líneas de cabecera y pie salen en cada ticket."),
         QStringLiteral("Welcome to Quintor. ADMIN can do everything at this console: give it a password. "
                        "The café's name and the header and footer lines appear on every ticket.")},
        {"IntroAdminConClave",
         QStringLiteral("ADMIN ya tiene contraseña: deje los dos campos en blanco para conservarla. "
                        "El nombre del cibercafé y las líneas de cabecera y pie salen en cada ticket."),
         QStringLiteral("ADMIN already has a password: leave both fields empty to keep it. "
                        "The café's name and the header and footer lines appear on every ticket.")},
        {"IntroAdminOpcional",
         QStringLiteral(
             "ADMIN no tiene contraseña en esta base de datos: puede darle una aquí o dejar los dos "
             "campos en blanco. El nombre del cibercafé y las líneas de cabecera y pie salen en cada "
             "ticket."),
         QStringLiteral(
             "ADMIN has no password in this database: give it one here or leave both fields empty. "
             "The café's name and the header and footer lines appear on every ticket.")},
        {"ClaveAdmin", QStringLiteral("&Contraseña de ADMIN:"), QStringLiteral("ADMIN's &password:")},
        {"RepitaClave", QStringLiteral("&Repita la contraseña:"), QStringLiteral("&Repeat the password:")},
        {"SinCambios", QStringLiteral("(sin cambios)"), QStringLiteral("(unchanged)")},
        {"NombreCafe", QStringLiteral("&Nombre del cibercafé:"), QStringLiteral("The café's &name:")},
        {"Cabecera2", QStringLiteral("Cabecera, línea &2:"), QStringLiteral("Header, line &2:")},
        {"Cabecera3", QStringLiteral("Cabecera, línea &3:"), QStringLiteral("Header, line &3:")},
        {"Pie1", QStringLiteral("&Pie, línea 1:"), QStringLiteral("&Footer, line 1:")},
        {"Pie2", QStringLiteral("P&ie, línea 2:"), QStringLiteral("F&ooter, line 2:")},

        {"TituloPuestos", QStringLiteral("Puestos"), QStringLiteral("Stations")},
        {"IntroPuestos",
         QStringLiteral(
             "Los puestos son los ordenadores de los clientes, con el programa Velkar. Diga cuántos "
             "hay y la dirección IP del primero: los demás siguen en orden, y cualquiera se corrige "
             "en la tabla. «Probar» pregunta una vez a cada dirección."),
         QStringLiteral("Stations are the customers' computers, running Velkar. Say how many there are and "
                        "the IP address of the first: the others follow in order, and any of them can be "
                        "corrected in the table. \"Test\" asks each address once.")},
        {"IntroPuestosHost",
         QStringLiteral("Esta consola identifica los puestos por nombre de host: añádalos en "
                        "Configuración › Puestos."),
         QStringLiteral("This console identifies stations by host name: add them under "
                        "Configuración › Puestos.")},
        {"PuestosExistentes",
         QStringLiteral(
             "Ya hay %1 puestos: los de la tabla se añaden a ellos; «Omitir» los deja como están."),
         QStringLiteral(
             "There are %1 stations already: those in the table are added to them; \"Skip\" leaves "
             "them as they are.")},
        {"Cantidad", QStringLiteral("&Número de puestos:"), QStringLiteral("&Number of stations:")},
        {"Primera", QStringLiteral("Primera &dirección IP:"), QStringLiteral("First IP &address:")},
        {"ColPuesto", QStringLiteral("Puesto"), QStringLiteral("Station")},
        {"ColDireccion", QStringLiteral("Dirección IP"), QStringLiteral("IP address")},
        {"ColResponde", QStringLiteral("Responde"), QStringLiteral("Answers")},
        {"Probar", QStringLiteral("&Probar"), QStringLiteral("&Test")},
        {"Probando", QStringLiteral("Probando…"), QStringLiteral("Testing…")},
        {"Si", QStringLiteral("Sí"), QStringLiteral("Yes")},
        {"No", QStringLiteral("No"), QStringLiteral("No")},
        {"Responden", QStringLiteral("Responden %1 de %2 puestos."),
         QStringLiteral("%1 of %2 stations answer.")},

        {"TituloTarifa", QStringLiteral("Tarifa"), QStringLiteral("Tariff")},
        {"IntroTarifa",
         QStringLiteral(
             "La tarifa con la que se abren los puestos: F1 la propone en modo contador. Las franjas "
             "horarias se preparan después en Configuración › Parámetros generales (necesitan al "
             "menos dos)."),
         QStringLiteral("The tariff stations open with: F1 proposes it in counter mode. Time bands are set "
                        "up later under Configuración › Parámetros generales (they need at least two).")},
        {"NombreTarifa", QStringLiteral("&Nombre de la tarifa:"), QStringLiteral("Tariff &name:")},
        {"CosteHora", QStringLiteral("&Precio por hora:"), QStringLiteral("&Price per hour:")},
        {"CosteMinimo", QStringLiteral("Coste &mínimo:"), QStringLiteral("&Minimum cost:")},
        {"RedondeoCampo", QStringLiteral("&Redondeo para clientes anónimos:"),
         QStringLiteral("&Rounding for anonymous customers:")},

        {"TituloImpuestos", QStringLiteral("Impuestos y moneda"), QStringLiteral("Taxes and money")},
        {"IntroImpuestos",
         QStringLiteral("Los precios llevan el impuesto incluido; los tickets lo desglosan con este tipo. La "
                        "moneda y su formato son los de la configuración regional del sistema."),
         QStringLiteral("Prices include the tax; tickets break it down at this rate. The currency and its "
                        "format are those of the system's regional settings.")},
        {"Iva", QStringLiteral("&IVA general (%):"), QStringLiteral("General &tax rate (%):")},
        {"Moneda", QStringLiteral("Así se imprimen los importes:"),
         QStringLiteral("Amounts print like this:")},
        {"MonedaNota",
         QStringLiteral("Para cambiar la moneda, cambie la configuración regional del sistema."),
         QStringLiteral("To change the currency, change the system's regional settings.")},

        {"TituloImpresora", QStringLiteral("Impresora de tickets"), QStringLiteral("Receipt printer")},
        {"IntroImpresora",
         QStringLiteral("Elija la impresora de tickets entre las impresoras del sistema (CUPS), o «Sin "
                        "impresora». «Imprimir prueba» imprime la cabecera y el pie de los tickets."),
         QStringLiteral("Choose the receipt printer among the system's printers (CUPS), or \"No printer\". "
                        "\"Print a test\" prints the tickets' header and footer.")},
        {"Impresora", QStringLiteral("&Impresora:"), QStringLiteral("&Printer:")},
        {"SinImpresora", QStringLiteral("Sin impresora"), QStringLiteral("No printer")},
        {"Prueba", QStringLiteral("Imprimir &prueba"), QStringLiteral("Print a &test")},
        {"PruebaEnviada", QStringLiteral("Imprimiendo…"), QStringLiteral("Printing…")},
        {"PruebaImpresa", QStringLiteral("Impresa."), QStringLiteral("Printed.")},

        {"TituloCajero", QStringLiteral("Cajero"), QStringLiteral("Cashier")},
        {"IntroCajero",
         QStringLiteral(
             "Un operador para el mostrador, con los permisos de un cajero: abrir y cerrar puestos, "
             "vender, cuentas de clientes, listados y caja diaria, sin configuración. Se crean más "
             "en Configuración › Operadores."),
         QStringLiteral("An operator for the counter with a cashier's permissions: opening and closing "
                        "stations, sales, customer accounts, listings and the daily cash report, no "
                        "configuration. More are created under Configuración › Operadores.")},
        {"ConCajero", QStringLiteral("&Crear un operador cajero"),
         QStringLiteral("&Create a cashier operator")},
        {"NombreCajero", QStringLiteral("&Nombre:"), QStringLiteral("&Name:")},
        {"ClaveCajero", QStringLiteral("Contras&eña:"), QStringLiteral("Pass&word:")},
        {"RepitaCajero", QStringLiteral("&Repita la contraseña:"), QStringLiteral("&Repeat the password:")},

        {"TituloResumen", QStringLiteral("Resumen"), QStringLiteral("Summary")},
        {"IntroResumen",
         QStringLiteral("Esto se guardará todo de una vez al pulsar «Terminar». «Cancelar» no guarda nada."),
         QStringLiteral("All of this is saved at once by \"Finish\". \"Cancel\" saves nothing.")},
        {"RAdminNueva", QStringLiteral("Contraseña de ADMIN: nueva"),
         QStringLiteral("ADMIN's password: new")},
        {"RAdminIgual", QStringLiteral("Contraseña de ADMIN: sin cambios"),
         QStringLiteral("ADMIN's password: unchanged")},
        {"RCabecera", QStringLiteral("Cabecera de los tickets: %1"), QStringLiteral("Ticket header: %1")},
        {"RPie", QStringLiteral("Pie de los tickets: %1"), QStringLiteral("Ticket footer: %1")},
        {"RPuestos", QStringLiteral("%1 puestos: del %2 (%3) al %4 (%5)"),
         QStringLiteral("%1 stations: from %2 (%3) to %4 (%5)")},
        {"RPuesto", QStringLiteral("1 puesto: el %1 (%2)"), QStringLiteral("1 station: number %1 (%2)")},
        {"ROmitido", QStringLiteral("%1: se deja como está"), QStringLiteral("%1: left as it is")},
        {"RTarifa", QStringLiteral("Tarifa «%1»: %2 la hora, mínimo %3, redondeo %4; F1 la propone"),
         QStringLiteral("Tariff \"%1\": %2 an hour, minimum %3, rounding %4; F1 proposes it")},
        {"RIva", QStringLiteral("IVA general: %1 %"), QStringLiteral("General tax rate: %1 %")},
        {"RImpresora", QStringLiteral("Impresora de tickets: %1"), QStringLiteral("Receipt printer: %1")},
        {"RCajero", QStringLiteral("Cajero: %1"), QStringLiteral("Cashier: %1")},
        {"RSinCajero", QStringLiteral("Cajero: ninguno"), QStringLiteral("Cashier: none")},
        {"RResto",
         QStringLiteral(
             "El resto (franjas horarias, bonos, artículos, correo…) está en el menú Configuración."),
         QStringLiteral("Everything else (time bands, vouchers, articles, mail…) is in the Configuración "
                        "menu.")},

        {"ClaveAdminVacia", QStringLiteral("ADMIN necesita una contraseña."),
         QStringLiteral("ADMIN needs a password.")},
        {"ClaveLarga", QStringLiteral("La contraseña no puede tener más de 10 caracteres."),
         QStringLiteral("The password cannot be longer than 10 characters.")},
        {"Confirmacion", QStringLiteral("La confirmación de contraseña no es correcta"),
         QStringLiteral("The password confirmation does not match")},
        {"SinPuestos", QStringLiteral("Indique al menos un puesto."),
         QStringLiteral("Give at least one station.")},
        {"SerieNumeros", QStringLiteral("Los números de puesto pasarían de 9999."),
         QStringLiteral("The station numbers would go past 9999.")},
        {"SerieFuera", QStringLiteral("Las direcciones pasarían de 255.255.255.254."),
         QStringLiteral("The addresses would go past 255.255.255.254.")},
        {"FilaPuesto", QStringLiteral("Fila %1: %2"), QStringLiteral("Row %1: %2")},
        {"ImporteNegativo", QStringLiteral("El importe no puede ser negativo."),
         QStringLiteral("The amount cannot be negative.")},
        {"Redondeo", QStringLiteral("El redondeo debe ser mayor de 0"),
         QStringLiteral("The rounding must be greater than 0")},
        {"IvaRango", QStringLiteral("El IVA debe estar entre 0 y 100."),
         QStringLiteral("The tax rate must be between 0 and 100.")},
        {"ClaveCajeroVacia", QStringLiteral("El cajero necesita una contraseña."),
         QStringLiteral("The cashier needs a password.")},
        {"NombreLargo", QStringLiteral("El nombre no puede tener más de 30 caracteres."),
         QStringLiteral("The name cannot be longer than 30 characters.")},
        {"CambioBase", QStringLiteral("%1: %2"), QStringLiteral("%1: %2")},
        {"CancelarSinClave",
         QStringLiteral("ADMIN sigue sin contraseña, y sin ella Quintor no puede quedar en marcha.\r\r"
                        "¿Salir del asistente y cerrar Quintor? No se guarda nada; el asistente se abrirá de "
                        "nuevo al entrar ADMIN."),
         QStringLiteral("ADMIN still has no password, and without one Quintor cannot stay running.\r\r"
                        "Leave the assistant and close Quintor? Nothing is saved; the assistant opens again "
                        "when ADMIN logs in.")},
        mensajeImporteMaximo(),
    };
    return table;
}

TFrmAsistente::TFrmAsistente(admin::PuestaEnMarcha& logic, admin::PlanPuestaEnMarcha proposal,
                             Regional regional, Clock& clock, sales::TicketPrinter* printer, QWidget* parent)
    : QWizard(parent)
    , m_logic(logic)
    , m_proposal(std::move(proposal))
    , m_regional(std::move(regional))
    , m_printer(printer)
    , m_sonda(m_regional, clock) {
    setObjectName(QStringLiteral("TFrmAsistente"));
    setWindowTitle(text(QStringLiteral("Titulo")));
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage);
    setOption(QWizard::HaveCustomButton1);
    setButtonText(QWizard::BackButton, text(QStringLiteral("Anterior")));
    setButtonText(QWizard::NextButton, text(QStringLiteral("Siguiente")));
    setButtonText(QWizard::FinishButton, text(QStringLiteral("Terminar")));
    setButtonText(QWizard::CancelButton, text(QStringLiteral("Cancelar")));
    setButtonText(QWizard::CustomButton1, text(QStringLiteral("Omitir")));
    button(QWizard::CustomButton1)->setObjectName(QStringLiteral("omitir"));
    setButtonLayout({QWizard::CustomButton1, QWizard::Stretch, QWizard::BackButton, QWizard::NextButton,
                     QWizard::FinishButton, QWizard::CancelButton});
    connect(this, &QWizard::customButtonClicked, this, [this](int which) {
        if (which == QWizard::CustomButton1)
            skip();
    });
    m_adminRequired = m_proposal.adminClaveObligatoria;

    setPage(PageAdmin, buildAdminPage());
    setPage(PagePuestos, buildPuestosPage());
    setPage(PageTarifa, buildTarifaPage());
    setPage(PageImpuestos, buildImpuestosPage());
    setPage(PageImpresora, buildImpresoraPage());
    setPage(PageCajero, buildCajeroPage());
    setPage(PageResumen, buildResumenPage());
    setStartId(PageAdmin);
    if (m_proposal.puestosPorHost || !m_proposal.conPuestos)
        m_skipped.insert(PagePuestos);

    connect(this, &QWizard::currentIdChanged, this, &TFrmAsistente::pageShown);
    connect(&m_sonda, &station::SondaPuestos::respuesta, this, [this](int row, bool answered) {
        if (row >= m_tabla->rowCount())
            return;
        auto* item = new QTableWidgetItem(text(answered ? QStringLiteral("Si") : QStringLiteral("No")));
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        item->setForeground(answered ? QColor(0, 120, 0) : QColor(180, 0, 0));
        m_tabla->setItem(row, ColAnswer, item);
        if (answered)
            ++m_answered;
    });
    connect(&m_sonda, &station::SondaPuestos::terminado, this, [this] {
        m_probar->setEnabled(true);
        m_probarEstado->setText(text(QStringLiteral("Responden")).arg(m_answered).arg(m_tabla->rowCount()));
    });
    resize(680, 560);
}

QString TFrmAsistente::text(const QString& key) const {
    return messages().text(key);
}

QString TFrmAsistente::money(const std::optional<Currency>& amount) const {
    return amount ? m_regional.formatCurrency(*amount) : QString();
}

QWizardPage* TFrmAsistente::newPage(const QString& titleKey, const QString& introKey) {
    auto* page = new QWizardPage(this);
    page->setTitle(text(titleKey));
    auto* layout = new QVBoxLayout(page);
    auto* intro = new QLabel(text(introKey), page);
    intro->setObjectName(QStringLiteral("intro"));
    intro->setWordWrap(true);
    layout->addWidget(intro);
    return page;
}

namespace {

QLineEdit* lineEdit(QWidget* parent, const char* name, const QString& value, int maxLength) {
    auto* e = new QLineEdit(value, parent);
    e->setObjectName(QLatin1String(name));
    e->setMaxLength(maxLength);
    return e;
}

void addRow(QFormLayout* form, const QString& label, QWidget* field) {
    auto* l = new QLabel(label, field->parentWidget());
    l->setBuddy(field);
    form->addRow(l, field);
}

} // namespace

QWizardPage* TFrmAsistente::buildAdminPage() {
    QString intro = QStringLiteral("IntroAdminOpcional");
    if (m_adminRequired)
        intro = QStringLiteral("IntroAdmin");
    else if (m_proposal.adminTieneClave)
        intro = QStringLiteral("IntroAdminConClave");
    QWizardPage* page = newPage(QStringLiteral("TituloAdmin"), intro);
    auto* form = new QFormLayout;
    m_adminClave = lineEdit(page, "adminClave", QString(), admin::MaxOperatorPassword);
    m_adminConfirmacion = lineEdit(page, "adminConfirmacion", QString(), admin::MaxOperatorPassword);
    for (QLineEdit* e : {m_adminClave, m_adminConfirmacion}) {
        e->setEchoMode(QLineEdit::Password);
        if (!m_adminRequired)
            e->setPlaceholderText(text(QStringLiteral("SinCambios")));
    }
    addRow(form, text(QStringLiteral("ClaveAdmin")), m_adminClave);
    addRow(form, text(QStringLiteral("RepitaClave")), m_adminConfirmacion);
    const char* headerKeys[] = {"NombreCafe", "Cabecera2", "Cabecera3"};
    for (int i = 0; i < admin::LineasCabecera; ++i) {
        m_cabecera[size_t(i)] = lineEdit(page, QStringLiteral("cabecera%1").arg(i).toLatin1().constData(),
                                         m_proposal.cabecera[size_t(i)], 40);
        addRow(form, text(QLatin1String(headerKeys[i])), m_cabecera[size_t(i)]);
    }
    const char* footerKeys[] = {"Pie1", "Pie2"};
    for (int i = 0; i < admin::LineasPie; ++i) {
        m_pie[size_t(i)] = lineEdit(page, QStringLiteral("pie%1").arg(i).toLatin1().constData(),
                                    m_proposal.pie[size_t(i)], 40);
        addRow(form, text(QLatin1String(footerKeys[i])), m_pie[size_t(i)]);
    }
    qobject_cast<QVBoxLayout*>(page->layout())->addLayout(form);
    m_first[PageAdmin] = m_adminClave;
    return page;
}

QWizardPage* TFrmAsistente::buildPuestosPage() {
    const bool byHost = m_proposal.puestosPorHost;
    QWizardPage* page = newPage(QStringLiteral("TituloPuestos"),
                                byHost ? QStringLiteral("IntroPuestosHost") : QStringLiteral("IntroPuestos"));
    if (!byHost && m_proposal.puestosExistentes > 0) {
        // Again from the menu: the table adds stations, it does not replace the room.
        auto* intro = page->findChild<QLabel*>(QStringLiteral("intro"));
        intro->setText(intro->text() + QLatin1Char(' ') +
                       text(QStringLiteral("PuestosExistentes")).arg(m_proposal.puestosExistentes));
    }
    auto* form = new QFormLayout;
    m_cantidad = new QSpinBox(page);
    m_cantidad->setObjectName(QStringLiteral("cantidad"));
    // Again from the menu the room is there already: nothing is added until
    // asked, so Enter through this page never adds stations by itself.
    const bool again = m_proposal.puestosExistentes > 0;
    m_cantidad->setRange(again ? 0 : 1, qMax(1, admin::MaxStationNumber - m_proposal.primerNumero + 1));
    m_cantidad->setValue(again ? 0 : qMax(1, int(m_proposal.puestos.size())));
    m_primera = lineEdit(page, "primera", m_proposal.primeraDireccion, 15);
    addRow(form, text(QStringLiteral("Cantidad")), m_cantidad);
    addRow(form, text(QStringLiteral("Primera")), m_primera);
    auto* layout = qobject_cast<QVBoxLayout*>(page->layout());
    layout->addLayout(form);

    m_tabla = new QTableWidget(0, 3, page);
    m_tabla->setObjectName(QStringLiteral("tabla"));
    m_tabla->setHorizontalHeaderLabels({text(QStringLiteral("ColPuesto")),
                                        text(QStringLiteral("ColDireccion")),
                                        text(QStringLiteral("ColResponde"))});
    m_tabla->verticalHeader()->hide();
    m_tabla->horizontalHeader()->setSectionResizeMode(ColAddress, QHeaderView::Stretch);
    // Tab leaves the table for the buttons instead of walking every cell.
    m_tabla->setTabKeyNavigation(false);
    layout->addWidget(m_tabla, 1);

    auto* probeRow = new QHBoxLayout;
    m_probar = new QPushButton(text(QStringLiteral("Probar")), page);
    m_probar->setObjectName(QStringLiteral("probar"));
    m_probar->setAutoDefault(false);
    m_probarEstado = new QLabel(page);
    m_probarEstado->setObjectName(QStringLiteral("probarEstado"));
    probeRow->addWidget(m_probar);
    probeRow->addWidget(m_probarEstado, 1);
    layout->addLayout(probeRow);

    for (QWidget* w : {static_cast<QWidget*>(m_cantidad), static_cast<QWidget*>(m_primera),
                       static_cast<QWidget*>(m_tabla), static_cast<QWidget*>(m_probar)})
        w->setEnabled(!byHost);
    m_tabla->setRowCount(0);
    for (const admin::PuestoNuevo& p : again ? std::vector<admin::PuestoNuevo>() : m_proposal.puestos) {
        const int row = m_tabla->rowCount();
        m_tabla->insertRow(row);
        m_tabla->setItem(row, ColNumber, new QTableWidgetItem(p.number));
        m_tabla->setItem(row, ColAddress, new QTableWidgetItem(p.address));
    }
    connect(m_cantidad, &QSpinBox::valueChanged, this, &TFrmAsistente::fillStations);
    connect(m_primera, &QLineEdit::textEdited, this, &TFrmAsistente::fillStations);
    connect(m_probar, &QPushButton::clicked, this, &TFrmAsistente::probar);
    m_first[PagePuestos] = m_cantidad;
    return page;
}

QWizardPage* TFrmAsistente::buildTarifaPage() {
    QWizardPage* page = newPage(QStringLiteral("TituloTarifa"), QStringLiteral("IntroTarifa"));
    auto* form = new QFormLayout;
    m_tarifa = lineEdit(page, "tarifa", m_proposal.tarifa, 50);
    m_costeHora =
        lineEdit(page, "costeHora",
                 m_proposal.costeHora ? m_regional.formatAmount(*m_proposal.costeHora) : QString(), 20);
    m_costeMinimo =
        lineEdit(page, "costeMinimo",
                 m_proposal.costeMinimo ? m_regional.formatAmount(*m_proposal.costeMinimo) : QString(), 20);
    m_redondeo =
        lineEdit(page, "redondeo",
                 m_proposal.redondeo ? m_regional.formatAmount(*m_proposal.redondeo) : QString(), 20);
    for (QLineEdit* e : {m_costeHora, m_costeMinimo, m_redondeo})
        e->installEventFilter(new ui::DecimalKeyFilter(m_regional.decimalSeparator(), e));
    addRow(form, text(QStringLiteral("NombreTarifa")), m_tarifa);
    addRow(form, text(QStringLiteral("CosteHora")), m_costeHora);
    addRow(form, text(QStringLiteral("CosteMinimo")), m_costeMinimo);
    addRow(form, text(QStringLiteral("RedondeoCampo")), m_redondeo);
    qobject_cast<QVBoxLayout*>(page->layout())->addLayout(form);
    connect(m_costeHora, &QLineEdit::textChanged, this, &TFrmAsistente::updateExample);
    m_first[PageTarifa] = m_tarifa;
    return page;
}

QWizardPage* TFrmAsistente::buildImpuestosPage() {
    QWizardPage* page = newPage(QStringLiteral("TituloImpuestos"), QStringLiteral("IntroImpuestos"));
    auto* form = new QFormLayout;
    m_iva = new QDoubleSpinBox(page);
    m_iva->setObjectName(QStringLiteral("iva"));
    m_iva->setRange(0, 100);
    m_iva->setDecimals(2);
    m_iva->setValue(m_proposal.iva);
    addRow(form, text(QStringLiteral("Iva")), m_iva);
    m_ejemplo = new QLineEdit(page);
    m_ejemplo->setObjectName(QStringLiteral("ejemplo"));
    m_ejemplo->setReadOnly(true);
    m_ejemplo->setFocusPolicy(Qt::NoFocus);
    m_ejemplo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    form->addRow(text(QStringLiteral("Moneda")), m_ejemplo);
    auto* layout = qobject_cast<QVBoxLayout*>(page->layout());
    layout->addLayout(form);
    auto* note = new QLabel(text(QStringLiteral("MonedaNota")), page);
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addStretch(1);
    updateExample();
    m_first[PageImpuestos] = m_iva;
    return page;
}

QWizardPage* TFrmAsistente::buildImpresoraPage() {
    QWizardPage* page = newPage(QStringLiteral("TituloImpresora"), QStringLiteral("IntroImpresora"));
    auto* form = new QFormLayout;
    m_impresora = new QComboBox(page);
    m_impresora->setObjectName(QStringLiteral("impresora"));
    m_impresora->addItem(text(QStringLiteral("SinImpresora")), QString());
    const QStringList printers = m_printer ? m_printer->printers() : QStringList();
    for (const QString& name : printers)
        m_impresora->addItem(name, name);
    // A printer the options name but the system no longer has stays visible.
    if (!m_proposal.impresora.isEmpty() && !printers.contains(m_proposal.impresora))
        m_impresora->addItem(m_proposal.impresora, m_proposal.impresora);
    m_impresora->setCurrentIndex(qMax(0, m_impresora->findData(m_proposal.impresora)));
    addRow(form, text(QStringLiteral("Impresora")), m_impresora);
    auto* layout = qobject_cast<QVBoxLayout*>(page->layout());
    layout->addLayout(form);
    auto* row = new QHBoxLayout;
    m_prueba = new QPushButton(text(QStringLiteral("Prueba")), page);
    m_prueba->setObjectName(QStringLiteral("prueba"));
    m_prueba->setAutoDefault(false);
    m_pruebaEstado = new QLabel(page);
    m_pruebaEstado->setObjectName(QStringLiteral("pruebaEstado"));
    row->addWidget(m_prueba);
    row->addWidget(m_pruebaEstado, 1);
    layout->addLayout(row);
    layout->addStretch(1);
    const auto enable = [this] {
        m_prueba->setEnabled(m_printer && !m_impresora->currentData().toString().isEmpty() &&
                             !m_printer->busy());
    };
    connect(m_impresora, &QComboBox::currentIndexChanged, this, enable);
    enable();
    connect(m_prueba, &QPushButton::clicked, this, &TFrmAsistente::printTest);
    m_first[PageImpresora] = m_impresora;
    return page;
}

QWizardPage* TFrmAsistente::buildCajeroPage() {
    QWizardPage* page = newPage(QStringLiteral("TituloCajero"), QStringLiteral("IntroCajero"));
    auto* layout = qobject_cast<QVBoxLayout*>(page->layout());
    m_conCajero = new QCheckBox(text(QStringLiteral("ConCajero")), page);
    m_conCajero->setObjectName(QStringLiteral("conCajero"));
    layout->addWidget(m_conCajero);
    auto* form = new QFormLayout;
    m_cajero = lineEdit(page, "cajero", m_proposal.cajero, admin::MaxOperatorName);
    m_cajeroClave = lineEdit(page, "cajeroClave", QString(), admin::MaxOperatorPassword);
    m_cajeroConfirmacion = lineEdit(page, "cajeroConfirmacion", QString(), admin::MaxOperatorPassword);
    m_cajeroClave->setEchoMode(QLineEdit::Password);
    m_cajeroConfirmacion->setEchoMode(QLineEdit::Password);
    addRow(form, text(QStringLiteral("NombreCajero")), m_cajero);
    addRow(form, text(QStringLiteral("ClaveCajero")), m_cajeroClave);
    addRow(form, text(QStringLiteral("RepitaCajero")), m_cajeroConfirmacion);
    layout->addLayout(form);
    layout->addStretch(1);
    connect(m_conCajero, &QCheckBox::toggled, this, &TFrmAsistente::updateCashier);
    updateCashier();
    m_first[PageCajero] = m_conCajero;
    return page;
}

QWizardPage* TFrmAsistente::buildResumenPage() {
    QWizardPage* page = newPage(QStringLiteral("TituloResumen"), QStringLiteral("IntroResumen"));
    m_resumen = new QTextBrowser(page);
    m_resumen->setObjectName(QStringLiteral("resumen"));
    page->layout()->addWidget(m_resumen);
    page->setFinalPage(true);
    m_first[PageResumen] = m_resumen;
    return page;
}

void TFrmAsistente::updateExample() {
    m_ejemplo->setText(sales::lineaTotal(m_regional, sampleAmount()));
}

Currency TFrmAsistente::sampleAmount() const {
    const std::optional<Currency> hourly = leerImporte(m_regional, m_costeHora->text()).importe();
    return hourly && hourly->raw() > 0 ? *hourly : Currency::fromCents(150);
}

void TFrmAsistente::updateCashier() {
    const bool on = m_conCajero->isChecked();
    for (QLineEdit* e : {m_cajero, m_cajeroClave, m_cajeroConfirmacion})
        e->setEnabled(on);
}

void TFrmAsistente::fillStations() {
    m_sonda.probar({});
    m_probarEstado->clear();
    if (m_cantidad->value() == 0) {
        m_tabla->setRowCount(0);
        return;
    }
    const admin::PuestaEnMarcha::Serie s =
        admin::PuestaEnMarcha::serie(m_proposal.primerNumero, m_primera->text(), m_cantidad->value());
    // An address still being typed leaves the table as it was.
    if (!s.check.ok())
        return;
    m_tabla->setRowCount(0);
    m_tabla->setRowCount(int(s.puestos.size()));
    for (int row = 0; row < int(s.puestos.size()); ++row) {
        m_tabla->setItem(row, ColNumber, new QTableWidgetItem(s.puestos[size_t(row)].number));
        m_tabla->setItem(row, ColAddress, new QTableWidgetItem(s.puestos[size_t(row)].address));
    }
}

void TFrmAsistente::probar() {
    QStringList addresses;
    for (int row = 0; row < m_tabla->rowCount(); ++row) {
        const QTableWidgetItem* item = m_tabla->item(row, ColAddress);
        addresses << (item ? item->text().trimmed() : QString());
        auto* waiting = new QTableWidgetItem(QStringLiteral("…"));
        waiting->setFlags(waiting->flags() & ~Qt::ItemIsEditable);
        m_tabla->setItem(row, ColAnswer, waiting);
    }
    m_answered = 0;
    m_probar->setEnabled(false);
    m_probarEstado->setText(text(QStringLiteral("Probando")));
    m_sonda.probar(addresses);
}

void TFrmAsistente::printTest() {
    const QString printer = m_impresora->currentData().toString();
    if (!m_printer || printer.isEmpty())
        return;
    const admin::PlanPuestaEnMarcha p = plan();
    const QByteArray bytes =
        sales::PruebaImpresora(m_regional, ui::language(), p.textoCabecera(), p.textoPie(), sampleAmount());
    const QString refusal = m_printer->submit(printer, bytes);
    if (!refusal.isEmpty()) {
        ui::showError(this, sales::TicketPrinter::messages().text(refusal));
        return;
    }
    m_prueba->setEnabled(false);
    m_pruebaEstado->setText(text(QStringLiteral("PruebaEnviada")));
    connect(
        m_printer, &sales::TicketPrinter::finished, this,
        [this](bool ok, const QString& error) {
            m_prueba->setEnabled(!m_impresora->currentData().toString().isEmpty());
            m_pruebaEstado->setText(ok ? text(QStringLiteral("PruebaImpresa")) : QString());
            if (!ok)
                ui::showError(this, error);
        },
        Qt::SingleShotConnection);
}

admin::PlanPuestaEnMarcha TFrmAsistente::plan() const {
    admin::PlanPuestaEnMarcha p = m_proposal;
    p.adminClave = m_adminClave->text();
    p.adminConfirmacion = m_adminConfirmacion->text();
    for (size_t i = 0; i < p.cabecera.size(); ++i)
        p.cabecera[i] = m_cabecera[i]->text();
    for (size_t i = 0; i < p.pie.size(); ++i)
        p.pie[i] = m_pie[i]->text();

    p.conPuestos = !m_skipped.contains(PagePuestos);
    p.primeraDireccion = m_primera->text();
    p.puestos.clear();
    for (int row = 0; row < m_tabla->rowCount(); ++row) {
        const QTableWidgetItem* number = m_tabla->item(row, ColNumber);
        const QTableWidgetItem* address = m_tabla->item(row, ColAddress);
        p.puestos.push_back({number ? number->text() : QString(), address ? address->text() : QString()});
    }

    p.conTarifa = !m_skipped.contains(PageTarifa);
    p.tarifa = m_tarifa->text();
    p.costeHora = leerImporte(m_regional, m_costeHora->text()).importe();
    p.costeMinimo = leerImporte(m_regional, m_costeMinimo->text()).importe();
    p.redondeo = leerImporte(m_regional, m_redondeo->text()).importe();

    p.conImpuestos = !m_skipped.contains(PageImpuestos);
    p.iva = m_iva->value();

    p.conImpresora = !m_skipped.contains(PageImpresora);
    p.impresora = m_impresora->currentData().toString();

    p.conCajero = !m_skipped.contains(PageCajero) && m_conCajero->isChecked();
    p.cajero = m_cajero->text();
    p.cajeroClave = m_cajeroClave->text();
    p.cajeroConfirmacion = m_cajeroConfirmacion->text();
    return p;
}

void TFrmAsistente::pageShown(int id) {
    if (id < 0)
        return;
    // ADMIN's page cannot be left out; nor can the summary.
    QAbstractButton* omitir = button(QWizard::CustomButton1);
    omitir->setVisible(id != PageAdmin && id != PageResumen);
    omitir->setEnabled(!(id == PagePuestos && (m_proposal.puestosPorHost || !m_proposal.conPuestos)));
    if (id == PageImpuestos)
        updateExample();
    if (id == PageResumen)
        fillSummary();
    if (QWidget* first = m_first[size_t(id)]) {
        first->setFocus();
        // Typing replaces a proposal instead of adding to it.
        if (auto* edit = qobject_cast<QLineEdit*>(first))
            edit->selectAll();
        else if (auto* spin = qobject_cast<QAbstractSpinBox*>(first))
            spin->selectAll();
    }
}

void TFrmAsistente::skip() {
    const int id = currentId();
    if (id == PageAdmin || id == PageResumen)
        return;
    m_skipped.insert(id);
    m_skipping = true;
    next();
    m_skipping = false;
}

void TFrmAsistente::showCheck(const admin::PasoCheck& check, int page) {
    const ui::MessageTable* table = &messages();
    if (!table->contains(check.messageKey)) {
        if (page == PagePuestos)
            table = &TFrmParamPuesto::messages();
        else if (page == PageTarifa)
            table = &accounts::tarifaFijaMessages();
        else if (page == PageCajero)
            table = &TFrmNivelAcceso::messages();
    }
    QString message = check.messageKey == QLatin1String("ImporteMaximo")
                          ? textoImporteMaximo(*table, m_regional)
                          : table->text(check.messageKey);
    if (check.row >= 0)
        message = text(QStringLiteral("FilaPuesto")).arg(check.row + 1).arg(message);
    const bool error =
        check.messageKey == QLatin1String("IpNoValida") || check.messageKey == QLatin1String("IpRango");
    ui::showMessage(this, ui::MessageRequest{text(QStringLiteral("Atencion")), message,
                                             error ? ui::Icon::Error : ui::Icon::Warning, ui::Buttons::Ok});
    if (check.row >= 0) {
        const int column = check.field == QLatin1String("number") ? ColNumber : ColAddress;
        m_tabla->setFocus();
        m_tabla->setCurrentCell(check.row, column);
        return;
    }
    if (auto* w = findChild<QWidget*>(check.field)) {
        w->setFocus();
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            edit->selectAll();
    }
}

bool TFrmAsistente::validateCurrentPage() {
    const int id = currentId();
    if (m_skipping)
        return true;
    m_skipped.remove(id);
    static const std::map<int, admin::Paso> checked{{PageAdmin, admin::Paso::Admin},
                                                    {PagePuestos, admin::Paso::Puestos},
                                                    {PageTarifa, admin::Paso::Tarifa},
                                                    {PageImpuestos, admin::Paso::Impuestos},
                                                    {PageCajero, admin::Paso::Cajero}};
    if (id == PagePuestos &&
        (m_proposal.puestosPorHost || !m_proposal.conPuestos || m_cantidad->value() == 0)) {
        m_skipped.insert(id);
        return true;
    }
    if (id == PageCajero && !m_conCajero->isChecked())
        return true;
    if (id == PageTarifa) {
        // Beyond the limit is refused by name, before the rules see it.
        for (QLineEdit* box : {m_costeHora, m_costeMinimo, m_redondeo}) {
            if (!ui::amountWithinLimit(this, messages(), m_regional, box))
                return false;
        }
    }
    const admin::PlanPuestaEnMarcha p = plan();
    try {
        if (const auto it = checked.find(id); it != checked.end()) {
            const admin::PasoCheck check = m_logic.comprobar(it->second, p);
            if (!check.ok()) {
                showCheck(check, id);
                return false;
            }
            return true;
        }
        if (id != PageResumen)
            return true;
        const Result<admin::Escritura> written = m_logic.escribir(p);
        if (!written) {
            ui::showError(this, written.error());
            return false;
        }
        if (!written->check.ok()) {
            // The database changed under the assistant: say where.
            const int page = pageOf(written->paso);
            ui::showMessage(this, ui::MessageRequest{text(QStringLiteral("Atencion")),
                                                     text(QStringLiteral("CambioBase"))
                                                         .arg(text(titleKey(page)),
                                                              messages().contains(written->check.messageKey)
                                                                  ? text(written->check.messageKey)
                                                                  : written->check.messageKey),
                                                     ui::Icon::Warning, ui::Buttons::Ok});
            return false;
        }
        m_escrita = written->escrita;
        return true;
    } catch (const store::DatabaseError& e) {
        ui::showError(this, e.text());
        return false;
    }
}

void TFrmAsistente::fillSummary() {
    const admin::PlanPuestaEnMarcha p = plan();
    QStringList items;
    const auto omitted = [this](int page) {
        return text(QStringLiteral("ROmitido")).arg(text(titleKey(page)));
    };
    items << text(p.adminClave.isEmpty() ? QStringLiteral("RAdminIgual") : QStringLiteral("RAdminNueva"));
    items << text(QStringLiteral("RCabecera"))
                 .arg(p.textoCabecera().split(QStringLiteral("\r\n")).join(u" · "));
    items << text(QStringLiteral("RPie")).arg(p.textoPie().split(QStringLiteral("\r\n")).join(u" · "));
    if (!p.conPuestos || p.puestos.empty()) {
        items << omitted(PagePuestos);
    } else if (p.puestos.size() == 1) {
        items << text(QStringLiteral("RPuesto")).arg(p.puestos.front().number, p.puestos.front().address);
    } else {
        items << text(QStringLiteral("RPuestos"))
                     .arg(QString::number(p.puestos.size()), p.puestos.front().number,
                          p.puestos.front().address, p.puestos.back().number, p.puestos.back().address);
    }
    if (p.conTarifa)
        items << text(QStringLiteral("RTarifa"))
                     .arg(p.tarifa.trimmed(), money(p.costeHora), money(p.costeMinimo), money(p.redondeo));
    else
        items << omitted(PageTarifa);
    if (p.conImpuestos)
        items << text(QStringLiteral("RIva")).arg(percent(p.iva, m_regional));
    else
        items << omitted(PageImpuestos);
    if (p.conImpresora)
        items << text(QStringLiteral("RImpresora")).arg(m_impresora->currentText());
    else
        items << omitted(PageImpresora);
    items << (p.conCajero ? text(QStringLiteral("RCajero")).arg(p.cajero.trimmed())
                          : text(QStringLiteral("RSinCajero")));
    QString html = QStringLiteral("<ul>");
    for (const QString& item : items)
        html += QStringLiteral("<li>") + escaped(item) + QStringLiteral("</li>");
    html += QStringLiteral("</ul><p>") + escaped(text(QStringLiteral("RResto"))) + QStringLiteral("</p>");
    m_resumen->setHtml(html);
}

void TFrmAsistente::showEvent(QShowEvent* event) {
    QWizard::showEvent(event);
    raise();
    activateWindow();
}

void TFrmAsistente::done(int result) {
    if (result != QDialog::Accepted && m_adminRequired) {
        // Nothing to lose yet, but the console would be left open to anyone.
        if (ui::showMessage(this, messages(), QStringLiteral("CancelarSinClave"), ui::Icon::Question,
                            ui::Buttons::YesNo) != ui::Answer::Yes)
            return;
        m_cancelledWithoutPassword = true;
    }
    m_sonda.probar({});
    QWizard::done(result);
}
