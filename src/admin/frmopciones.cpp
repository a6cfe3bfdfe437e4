#include "admin/frmopciones.h"

#include "admin/impresoras.h"
#include "admin/opcionesrules.h"
#include "admin/permisos.h"
#include "core/consolecontext.h"
#include "core/importes.h"
#include "session/tarifas.h"
#include "store/bloqueos.h"
#include "store/datamodule.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "ui/messagebox.h"
#include "ui/opcionespage.h"

#include "ui/decimalkeyfilter.h"
#include "ui/importebox.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString Ninguno = QStringLiteral("- ninguno -");
constexpr int PingChoices[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 15, 20, 30, 60};

QComboBox* combo(QWidget* parent, const char* name, const QStringList& items) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->addItems(items);
    return c;
}

QCheckBox* check(QWidget* parent, const char* name, const QString& text) {
    auto* c = new QCheckBox(text, parent);
    c->setObjectName(QString::fromLatin1(name));
    return c;
}

QLineEdit* edit(QWidget* parent, const char* name, int maxLength = 0) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    return e;
}

QStringList yesNo(const QString& yes) {
    return {yes, QStringLiteral("No")};
}

// Position of a code in a "- ninguno -" list: 0 for a blank or unknown code.
template <class Items> int codeIndex(const Items& items, const QString& code) {
    const QString wanted = code.trimmed();
    if (wanted.isEmpty())
        return 0;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].code.compare(wanted, Qt::CaseInsensitive) == 0)
            return int(i) + 1;
    }
    return 0;
}

QString toMemo(const QString& text) {
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return t;
}

QString fromMemo(const QString& text) {
    QString t = text;
    t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return t;
}

} // namespace

const ui::MessageTable& Tfrmopciones::messages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        {"NoPermiso", QStringLiteral("No tiene permiso de acceso."),
         QStringLiteral("You have no access permission.")},
        {"NoPermitida", QStringLiteral("Operación no permitida."), QStringLiteral("Operation not allowed.")},
        {"TarifasIntervalos",
         QStringLiteral("Utilizando tarifas por intervalos, los puestos ocupados\rno pueden cambiar "
                        "automáticamente de tarifa...\r\rSeleccione la opcion \"No\" o utilice sólo tarifas "
                        "fijas"),
         QStringLiteral("With interval tariffs, stations in use\rcannot change tariff automatically...\r\r"
                        "Choose \"No\" or use fixed tariffs only")},
        {"TicketIncorrecto",
         QStringLiteral("Próximo Número de ticket incorrecto. Debe ser mayor que el actual."),
         QStringLiteral("Wrong next ticket number. It must be greater than the current one.")},
        {"TicketMaximo", QStringLiteral("El próximo número de ticket no puede pasar de 99999999."),
         QStringLiteral("The next ticket number cannot exceed 99999999.")},
        {"Redondeo", QStringLiteral("El redondeo debe ser mayor de 0"),
         QStringLiteral("Rounding must be greater than 0")},
        {"EsperaToma",
         QStringLiteral("La espera para tomar los puestos de otra consola debe ser 0 (solo a mano) o de 5 "
                        "a 3600 segundos."),
         QStringLiteral("The wait before taking over another console's stations must be 0 (by hand only) "
                        "or 5 to 3600 seconds.")},
        {"BloqueoAccesos",
         QStringLiteral("Bloqueo de accesos: de 3 a 50 contraseñas erróneas por cuenta, de 5 a 500 intentos "
                        "por puesto, y de 1 a 1440 minutos."),
         QStringLiteral("Log-in lock-out: 3 to 50 wrong passwords per account, 5 to 500 attempts per "
                        "station, and 1 to 1440 minutes.")},
        {"PasswordVacia", QStringLiteral("Introduzca la password inicial."),
         QStringLiteral("Type the initial password.")},
        {"ImporteIncorrecto", QStringLiteral("Importe incorrecto."), QStringLiteral("Wrong amount.")},
        mensajeImporteMaximo(),
        {"PingIncorrecto", QStringLiteral("El intervalo de ping debe estar entre 1 y 60 segundos."),
         QStringLiteral("The ping interval must be between 1 and 60 seconds.")},
        {"NoDisponible", QStringLiteral("Esta página no está disponible todavía en esta versión de Quintor."),
         QStringLiteral("This page is not available yet in this version of Quintor.")},
    };
    return table;
}

QStringList Tfrmopciones::treeTexts() {
    return {QStringLiteral("Opciones Generales"),
            QStringLiteral("Alta Cuentas Usuario"),
            QStringLiteral("Alta Códigos Tiempo"),
            QStringLiteral("Apertura puestos"),
            QStringLiteral("Tarifas"),
            QStringLiteral("Franjas horarias"),
            QStringLiteral("Bonos tiempo"),
            QStringLiteral("Recargas metálico"),
            QStringLiteral("Tickets"),
            QStringLiteral("I.V.A. / Tasas"),
            QStringLiteral("Turnos caja"),
            QStringLiteral("Configuración de Logs"),
            QStringLiteral("Servidor de Logs"),
            QStringLiteral("Servidor de Informes")};
}

Tfrmopciones::Tfrmopciones(ConsoleContext& context, const ListaTarifas& tarifas, QWidget* parent)
    : QDialog(parent)
    , m_context(context)
    , m_tarifas(tarifas) {
    setObjectName(QStringLiteral("Tfrmopciones"));
    setWindowTitle(QStringLiteral("[ Parámetros generales ]"));

    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("tree"));
    m_tree->setHeaderHidden(true);
    m_tree->setMinimumWidth(190);
    const QStringList texts = treeTexts();
    for (int i = 0; i < texts.size(); ++i) {
        auto* item = new QTreeWidgetItem(m_tree, QStringList{texts.at(i)});
        item->setData(0, Qt::UserRole, i);
    }

    m_stack = new QStackedWidget(this);
    m_stack->setObjectName(QStringLiteral("pages"));
    m_empty = new QWidget(m_stack);
    m_stack->addWidget(m_empty);

    const auto& registry = ui::opcionesPages();
    for (int entry = 0; entry < admin::EntryCount; ++entry) {
        QWidget* p = nullptr;
        switch (entry) {
        case admin::EntryGenerales:
            p = buildGenerales();
            break;
        case admin::EntryCuentas:
            p = buildCuentas();
            break;
        case admin::EntryCodigos:
            p = buildCodigos();
            break;
        case admin::EntryApertura:
            p = buildApertura();
            break;
        case admin::EntryFranjas:
            p = buildFranjas();
            break;
        case admin::EntryTickets:
            p = buildTickets();
            break;
        default:
            if (auto it = registry.find(entry); it != registry.end() && it->second) {
                ui::OpcionesPage* registered = it->second(m_context, m_stack);
                if (registered) {
                    connect(registered, &ui::OpcionesPage::edited, this, &Tfrmopciones::enableApply);
                    m_registered.push_back(registered);
                    p = registered;
                }
            }
            if (!p)
                p = buildNotice();
        }
        p->setProperty("entry", entry);
        m_pages[size_t(entry)] = p;
        m_stack->addWidget(p);
    }
    m_stack->setCurrentWidget(m_empty);

    m_aceptar = new QPushButton(QStringLiteral("&Aceptar"), this);
    m_aceptar->setObjectName(QStringLiteral("aceptar"));
    m_cancelar = new QPushButton(QStringLiteral("&Cancelar"), this);
    m_cancelar->setObjectName(QStringLiteral("cancelar"));
    m_aplicar = new QPushButton(QStringLiteral("Aplicar"), this);
    m_aplicar->setObjectName(QStringLiteral("aplicar"));
    m_aplicar->setEnabled(false);
    for (QPushButton* b : {m_aceptar, m_cancelar, m_aplicar})
        b->setAutoDefault(false);
    connect(m_aceptar, &QPushButton::clicked, this, [this] {
        if (AplicarOpciones())
            accept();
    });
    connect(m_cancelar, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_aplicar, &QPushButton::clicked, this, [this] {
        if (AplicarOpciones())
            m_aplicar->setEnabled(false);
    });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_aceptar);
    buttons->addWidget(m_cancelar);
    buttons->addWidget(m_aplicar);
    auto* body = new QHBoxLayout;
    body->addWidget(m_tree);
    body->addWidget(m_stack, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);

    connect(m_tree, &QTreeWidget::currentItemChanged, this, &Tfrmopciones::treeChanged);
    watchEdits(this);
    resize(900, 620);
}

Tfrmopciones::~Tfrmopciones() = default;

QWidget* Tfrmopciones::buildNotice() {
    auto* w = new QWidget(m_stack);
    auto* l = new QVBoxLayout(w);
    auto* label = new QLabel(messages().text(QStringLiteral("NoDisponible")), w);
    label->setObjectName(QStringLiteral("noticeLabel"));
    label->setWordWrap(true);
    l->addWidget(label);
    l->addStretch(1);
    return w;
}

QWidget* Tfrmopciones::buildGenerales() {
    auto* w = new QWidget(m_stack);
    w->setObjectName(QStringLiteral("pageGenerales"));
    auto* l = new QVBoxLayout(w);
    auto* title = new QLabel(QStringLiteral("<b>Generales</b>"), w);
    l->addWidget(title);

    auto* alarms = new QFormLayout;
    m_alarmaPrepago = new QSpinBox(w);
    m_alarmaPrepago->setObjectName(QStringLiteral("alarmaprepago"));
    m_alarmaPrepago->setRange(0, 99999);
    m_alarmaPrepago->setSuffix(QStringLiteral(" Seg."));
    alarms->addRow(QStringLiteral("Alarma de fin de prepago ..................."), m_alarmaPrepago);
    m_alarmaCredito = edit(w, "alarmacredito", 16);
    m_alarmaCredito->installEventFilter(new ui::DecimalKeyFilter(m_context.regional.decimalSeparator(), w));
    alarms->addRow(QStringLiteral("Alarma de mínimo crédito de cliente .."), m_alarmaCredito);
    l->addLayout(alarms);

    auto* ping = new QGroupBox(QStringLiteral(" Intervalo de ping "), w);
    auto* pl = new QFormLayout(ping);
    m_ping = new QComboBox(ping);
    m_ping->setObjectName(QStringLiteral("ping"));
    m_ping->setEditable(true);
    m_ping->setInsertPolicy(QComboBox::NoInsert);
    for (int s : PingChoices)
        m_ping->addItem(QString::number(s));
    m_ping->setValidator(new QIntValidator(1, 60, m_ping));
    auto* pingRow = new QHBoxLayout;
    pingRow->addWidget(m_ping);
    pingRow->addWidget(new QLabel(QStringLiteral("Seg."), ping));
    pingRow->addStretch(1);
    pl->addRow(QStringLiteral("Enviar información a puestos cada ...."), pingRow);
    l->addWidget(ping);

    auto* consoles = new QGroupBox(QStringLiteral(" Varias consolas "), w);
    auto* cl = new QFormLayout(consoles);
    m_esperaToma = new QSpinBox(consoles);
    m_esperaToma->setObjectName(QStringLiteral("esperatoma"));
    m_esperaToma->setRange(0, RuntimeSettings::MaxTakeoverDelaySeconds);
    // The arrows are edits too.
    connect(m_esperaToma, &QSpinBox::valueChanged, this, &Tfrmopciones::enableApply);
    auto* esperaRow = new QHBoxLayout;
    esperaRow->addWidget(m_esperaToma);
    esperaRow->addWidget(new QLabel(QStringLiteral("(0 = solo a mano)"), consoles));
    esperaRow->addStretch(1);
    cl->addRow(QStringLiteral("Tomar los puestos de una consola que no responde tras (s)"), esperaRow);
    l->addWidget(consoles);

    using Limites = store::LimitesBloqueo;
    auto* lockouts = new QGroupBox(QStringLiteral(" Bloqueo de accesos "), w);
    auto* bl = new QFormLayout(lockouts);
    const auto spin = [&](const char* name, int min, int max) {
        auto* s = new QSpinBox(lockouts);
        s->setObjectName(QString::fromLatin1(name));
        s->setRange(min, max);
        connect(s, &QSpinBox::valueChanged, this, &Tfrmopciones::enableApply);
        return s;
    };
    const auto text = [lockouts](const QString& t) { return new QLabel(t, lockouts); };
    m_bloqIntentos = spin("bloq_intentos", Limites::MinIntentos, Limites::MaxIntentos);
    m_bloqVentana = spin("bloq_ventana", 1, Limites::MaxVentanaMinutos);
    m_bloqMinutos = spin("bloq_minutos", 1, Limites::MaxMinutos);
    m_bloqPuestoIntentos =
        spin("bloq_puesto_intentos", Limites::MinIntentosPuesto, Limites::MaxIntentosPuesto);
    m_bloqPuestoMinutos = spin("bloq_puesto_minutos", 1, Limites::MaxMinutos);
    auto* cuentaRow = new QHBoxLayout;
    cuentaRow->addWidget(m_bloqIntentos);
    cuentaRow->addWidget(text(QStringLiteral("en")));
    cuentaRow->addWidget(m_bloqVentana);
    cuentaRow->addWidget(text(QStringLiteral("min. bloquean durante")));
    cuentaRow->addWidget(m_bloqMinutos);
    cuentaRow->addWidget(text(QStringLiteral("min.")));
    cuentaRow->addStretch(1);
    bl->addRow(QStringLiteral("Contraseñas erróneas de una cuenta u operador"), cuentaRow);
    auto* puestoRow = new QHBoxLayout;
    puestoRow->addWidget(m_bloqPuestoIntentos);
    puestoRow->addWidget(text(QStringLiteral("en el mismo tiempo bloquean durante")));
    puestoRow->addWidget(m_bloqPuestoMinutos);
    puestoRow->addWidget(text(QStringLiteral("min.")));
    puestoRow->addStretch(1);
    bl->addRow(QStringLiteral("Accesos fallidos en un puesto"), puestoRow);
    l->addWidget(lockouts);

    auto* tickets = new QGroupBox(QStringLiteral(" Numeración tickets "), w);
    auto* tl = new QFormLayout(tickets);
    m_lastTicket = edit(tickets, "lastTicket");
    m_lastTicket->setReadOnly(true);
    tl->addRow(QStringLiteral("Ultimo número de ticket emitido ........"), m_lastTicket);
    m_nextTicket = new QSpinBox(tickets);
    m_nextTicket->setObjectName(QStringLiteral("nextTicket"));
    m_nextTicket->setRange(0, admin::MaxTicketNumber);
    tl->addRow(QStringLiteral("Próximo número de ticket ................."), m_nextTicket);
    l->addWidget(tickets);

    auto* rounding = new QGroupBox(QStringLiteral(" Redondeo "), w);
    auto* rl = new QFormLayout(rounding);
    m_redondeo = edit(rounding, "redondeo", 16);
    m_redondeo->installEventFilter(new ui::DecimalKeyFilter(m_context.regional.decimalSeparator(), w));
    rl->addRow(QStringLiteral("Redondeo para clientes anónimos..."), m_redondeo);
    l->addWidget(rounding);
    l->addStretch(1);
    return w;
}

namespace {

// " Password de usuario " with its three choices and the fixed password.
QGroupBox* passwordBox(QWidget* parent, QButtonGroup*& group, QLineEdit*& fixed, const char* fixedName,
                       int fixedLength) {
    auto* box = new QGroupBox(QStringLiteral(" Password de usuario "), parent);
    auto* l = new QVBoxLayout(box);
    group = new QButtonGroup(box);
    const QStringList texts{QStringLiteral("El cliente establece su password la 1ª vez que accede"),
                            QStringLiteral("Generar una password aleatoria de 4 digitos"),
                            QStringLiteral("Generar inicialmente la siguiente password")};
    for (int i = 0; i < texts.size(); ++i) {
        auto* r = new QRadioButton(texts.at(i), box);
        r->setObjectName(QStringLiteral("%1_%2").arg(QString::fromLatin1(fixedName)).arg(i));
        group->addButton(r, i);
        if (i < 2) {
            l->addWidget(r);
        } else {
            auto* row = new QHBoxLayout;
            row->addWidget(r);
            fixed = edit(box, fixedName, fixedLength);
            row->addWidget(fixed);
            l->addLayout(row);
        }
    }
    return box;
}

QHBoxLayout* digitsRow(QWidget* parent, QCheckBox*& generate, const char* checkName, QComboBox*& digits,
                       const char* comboName, const QString& caption) {
    auto* row = new QHBoxLayout;
    generate = check(parent, checkName, caption);
    digits = combo(parent, comboName, {QStringLiteral("4"), QStringLiteral("6"), QStringLiteral("8")});
    row->addWidget(generate);
    row->addWidget(digits);
    row->addWidget(new QLabel(QStringLiteral("digitos aleatorios"), parent));
    row->addStretch(1);
    return row;
}

QHBoxLayout* expiryRow(QWidget* parent, const QString& caption, QLineEdit*& days, const char* daysName,
                       QComboBox*& from, const char* fromName) {
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(caption, parent));
    days = edit(parent, daysName, 4);
    days->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,4}")), days));
    days->setMaximumWidth(70);
    row->addWidget(days);
    from =
        combo(parent, fromName,
              {QStringLiteral("días desde la fecha de alta"), QStringLiteral("días desde la última visita")});
    row->addWidget(from);
    row->addStretch(1);
    return row;
}

} // namespace

QWidget* Tfrmopciones::buildCuentas() {
    auto* w = new QWidget(m_stack);
    w->setObjectName(QStringLiteral("pageCuentas"));
    auto* l = new QVBoxLayout(w);
    l->addWidget(new QLabel(QStringLiteral("<b>Crear cuentas de clientes</b>"), w));
    l->addLayout(
        digitsRow(w, m_op2_1, "op2_1", m_cmb1, "cmb_1", QStringLiteral("Generar login de usuario con")));
    l->addWidget(passwordBox(w, m_op2_2, m_passIni, "pass_ini", 10));
    m_op2_6 = check(w, "op2_6", QStringLiteral("Usuario no podrá cambiar su password "));
    l->addWidget(m_op2_6);

    auto* metal = new QGroupBox(QStringLiteral(" Crédito inicial (metálico) "), w);
    auto* ml = new QHBoxLayout(metal);
    m_iniMet = combo(metal, "ini_met", {});
    ml->addWidget(m_iniMet, 1);
    m_op2_4 = check(metal, "op2_4", QStringLiteral("Bloquear sin crédito"));
    ml->addWidget(m_op2_4);
    l->addWidget(metal);
    auto* time = new QGroupBox(QStringLiteral(" Crédito inicial (tiempo) "), w);
    auto* tl = new QHBoxLayout(time);
    m_iniTime = combo(time, "ini_time", {});
    tl->addWidget(m_iniTime, 1);
    l->addWidget(time);

    auto* form = new QFormLayout;
    m_op2_5 = combo(w, "op2_5", {});
    form->addRow(QStringLiteral("Consumo de crédito...."), m_op2_5);
    m_iniDesktop = combo(w, "ini_desktop",
                         {QStringLiteral("-Todos-"), QStringLiteral("Escritorio"), QStringLiteral("Internet"),
                          QStringLiteral("Juegos"), QStringLiteral("Office")});
    form->addRow(QStringLiteral("Tipo de escritorio disponible en Velkar ............."), m_iniDesktop);
    l->addLayout(form);
    m_op2_7 = check(w, "op2_7", QStringLiteral("Imprimir automáticamente ticket con login y password."));
    l->addWidget(m_op2_7);
    l->addLayout(expiryRow(w, QStringLiteral("Las cuentas caducan a los "), m_diasCadCue, "dias_cad_cue",
                           m_cadCue, "cad_cue"));
    l->addStretch(1);
    connect(m_op2_2, &QButtonGroup::idClicked, this, [this](int id) {
        m_op2_6->setEnabled(id != 0);
        if (id == 0)
            m_op2_6->setChecked(false);
    });
    return w;
}

QWidget* Tfrmopciones::buildCodigos() {
    auto* w = new QWidget(m_stack);
    w->setObjectName(QStringLiteral("pageCodigos"));
    auto* l = new QVBoxLayout(w);
    l->addWidget(new QLabel(QStringLiteral("<b>Crear códigos de tiempo</b>"), w));
    l->addLayout(digitsRow(w, m_op3_1, "op3_1", m_cmb2, "cmb_2", QStringLiteral("Generar login con")));
    l->addWidget(passwordBox(w, m_op3_2, m_passIni2, "pass_ini2", 10));
    m_op3_6 = check(w, "op3_6", QStringLiteral("Usuario no podrá cambiar su password "));
    l->addWidget(m_op3_6);
    m_op3_3 = check(w, "op3_3", QStringLiteral("Generar automáticamente sin vista previa"));
    l->addWidget(m_op3_3);
    m_op3_4 = check(w, "op3_4", QStringLiteral("Imprimir automáticamente login y password"));
    l->addWidget(m_op3_4);
    auto* form = new QFormLayout;
    m_iniDesktopCod = combo(w, "ini_desktop_cod",
                            {QStringLiteral("-Todos -"), QStringLiteral("Escritorio"),
                             QStringLiteral("Internet"), QStringLiteral("Juegos"), QStringLiteral("Office")});
    form->addRow(QStringLiteral("Tipo de escritorio disponible en Velkar..........."), m_iniDesktopCod);
    m_iniTimeCod = combo(w, "ini_time_cod", {});
    form->addRow(QStringLiteral("Crédito inicial (tiempo) .........................."), m_iniTimeCod);
    l->addLayout(form);
    l->addLayout(expiryRow(w, QStringLiteral("Los códigos caducan a los"), m_diasCadCod, "dias_cad_cod",
                           m_cadCod, "cad_cod"));
    l->addStretch(1);
    connect(m_op3_2, &QButtonGroup::idClicked, this, [this](int id) {
        m_op3_6->setEnabled(id != 0);
        if (id == 0)
            m_op3_6->setChecked(false);
    });
    return w;
}

QWidget* Tfrmopciones::buildApertura() {
    auto* w = new QWidget(m_stack);
    w->setObjectName(QStringLiteral("pageApertura"));
    auto* l = new QVBoxLayout(w);
    l->addWidget(new QLabel(QStringLiteral("<b>Abrir puesto</b>"), w));
    auto* note =
        new QLabel(QStringLiteral("Esta configuración no se aplicará si tiene activado el uso de franjas "
                                  "horarias para clientes anónimos."),
                   w);
    note->setWordWrap(true);
    l->addWidget(note);
    auto* form = new QFormLayout;
    m_op4_1 = combo(w, "op4_1", {QStringLiteral("Contador"), QStringLiteral("Prepago")});
    form->addRow(QStringLiteral("Modo ............."), m_op4_1);
    m_iniTarifa2 = combo(w, "ini_tarifa_2", {});
    form->addRow(QStringLiteral("Tarifa ............."), m_iniTarifa2);
    m_cashLabel = new QLabel(QStringLiteral("Importe prepago ...."), w);
    m_cashLabel->setObjectName(QStringLiteral("cashLabel"));
    m_op4Cash = edit(w, "op4_cash", 16);
    m_op4Cash->installEventFilter(new ui::DecimalKeyFilter(m_context.regional.decimalSeparator(), w));
    form->addRow(m_cashLabel, m_op4Cash);
    m_minCost = new QLabel(w);
    m_minCost->setObjectName(QStringLiteral("minCost"));
    form->addRow(m_minCost);
    l->addLayout(form);
    m_intervals = new QTableWidget(0, 3, w);
    m_intervals->setObjectName(QStringLiteral("op4_4"));
    m_intervals->setHorizontalHeaderLabels(
        {QStringLiteral("Desde"), QStringLiteral("Hasta"), QStringLiteral("Importe")});
    m_intervals->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_intervals->setSelectionMode(QAbstractItemView::SingleSelection);
    m_intervals->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_intervals->verticalHeader()->hide();
    l->addWidget(m_intervals, 1);
    m_op4_2 = check(w, "op4_2", QStringLiteral("Aplicar al abrir puestos"));
    m_op4_3 = check(w, "op4_3", QStringLiteral("Abrir puestos sin confirmación"));
    l->addWidget(m_op4_2);
    l->addWidget(m_op4_3);
    connect(m_op4_1, &QComboBox::currentIndexChanged, this, [this] { refreshApertura(); });
    connect(m_iniTarifa2, &QComboBox::currentIndexChanged, this, [this] { refreshApertura(); });
    connect(m_op4_2, &QCheckBox::toggled, this, [this] { refreshApertura(); });
    return w;
}

QWidget* Tfrmopciones::buildFranjas() {
    auto* w = new QWidget(m_stack);
    w->setObjectName(QStringLiteral("pageFranjas"));
    auto* l = new QVBoxLayout(w);
    l->addWidget(new QLabel(QStringLiteral("<b>Franjas horarias</b>"), w));
    auto* form = new QFormLayout;
    m_cambioTarifa = combo(w, "cambiotarifa", yesNo(QStringLiteral("Si ")));
    form->addRow(new QLabel(QStringLiteral("Puestos ocupados cambian de tarifa automáticamente al cambiar de "
                                           "franja horaria...."),
                            w),
                 m_cambioTarifa);
    m_porFranjas = combo(w, "porfranjas", yesNo(QStringLiteral("Si ")));
    form->addRow(QStringLiteral("Activar para clientes anónimos........................"), m_porFranjas);
    l->addLayout(form);
    // The band grid is another subsystem's page, shown under the two options.
    const auto& registry = ui::opcionesPages();
    ui::OpcionesPage* bands = nullptr;
    if (auto it = registry.find(admin::EntryFranjas); it != registry.end() && it->second)
        bands = it->second(m_context, w);
    if (bands) {
        // A band added or deleted may make the band options usable or not.
        connect(bands, &ui::OpcionesPage::edited, this, &Tfrmopciones::franjasEditadas);
        m_registered.push_back(bands);
        l->addWidget(bands, 1);
    } else {
        auto* later = new QLabel(messages().text(QStringLiteral("NoDisponible")), w);
        later->setObjectName(QStringLiteral("bandListNotice"));
        later->setWordWrap(true);
        l->addWidget(later);
        l->addStretch(1);
    }
    return w;
}

void Tfrmopciones::franjasEditadas() {
    try {
        // The row held here was read at opening; a deletion down to one band
        // has stored the band options off meanwhile, and "Aplicar" must not
        // write the old ones back.
        m_bandsUsable = admin::aplicarReglaFranjas(m_row, admin::numeroFranjas(m_context.data->db()));
    } catch (const store::DatabaseError& e) {
        ui::showMessage(this, ui::MessageRequest{messages().text(QStringLiteral("Atencion")), e.text(),
                                                 ui::Icon::Error, ui::Buttons::Ok});
        return;
    }
    if (!m_bandsUsable) {
        m_cambioTarifa->setCurrentIndex(1);
        m_porFranjas->setCurrentIndex(1);
    }
    m_cambioTarifa->setEnabled(m_bandsUsable);
    m_porFranjas->setEnabled(m_bandsUsable);
}

QWidget* Tfrmopciones::buildTickets() {
    auto* w = new QWidget(m_stack);
    w->setObjectName(QStringLiteral("pageTickets"));
    auto* l = new QVBoxLayout(w);
    l->addWidget(new QLabel(QStringLiteral("<b>Tickets</b>"), w));
    auto* tabs = new QTabWidget(w);
    tabs->setObjectName(QStringLiteral("ticketTabs"));
    l->addWidget(tabs, 1);

    auto* general = new QWidget(tabs);
    auto* gl = new QVBoxLayout(general);
    auto* linked = new QGroupBox(QStringLiteral(" Tickets de TPV asociados a puestos "), general);
    auto* ll = new QFormLayout(linked);
    m_tickCargo = combo(linked, "tick_cargo", yesNo(QStringLiteral("Sí")));
    ll->addRow(new QLabel(QStringLiteral("Para cuentas de cliente, cargar automáticamente en el crédito al "
                                         "finalizar sesión."),
                          linked),
               m_tickCargo);
    m_tickAviso = combo(linked, "tick_aviso", yesNo(QStringLiteral("Sí")));
    ll->addRow(new QLabel(QStringLiteral("Con códigos de tiempo o cuentas de cliente, mostrar un aviso al "
                                         "finalizar sesión."),
                          linked),
               m_tickAviso);
    gl->addWidget(linked);
    auto* iva = new QGroupBox(QStringLiteral(" IVA / Tasas"), general);
    auto* il = new QFormLayout(iva);
    m_desgloseIva = combo(iva, "desgloseiva", yesNo(QStringLiteral("Sí")));
    il->addRow(QStringLiteral("Mostrar desglose al imprimir tickets"), m_desgloseIva);
    m_ivaGen = combo(iva, "iva_gen", {});
    il->addRow(QStringLiteral("Tipo aplicable al uso de puestos :"), m_ivaGen);
    gl->addWidget(iva);
    auto* printer = new QGroupBox(QStringLiteral(" Impresora de tickets "), general);
    auto* prl = new QVBoxLayout(printer);
    prl->addWidget(new QLabel(
        QStringLiteral("Seleccione una impresora de tickets de la lista de impresoras instaladas:"),
        printer));
    m_impresora = combo(printer, "impresoratick", {});
    prl->addWidget(m_impresora);
    // Positions are the stored values: 0 asks, 1 always, 2 never.
    m_impCierre = combo(printer, "imp_cierre",
                        {QStringLiteral("Preguntar"), QStringLiteral("Siempre"), QStringLiteral("Nunca")});
    auto* closing = new QFormLayout;
    closing->addRow(QStringLiteral("Imprimir el ticket al cerrar el puesto"), m_impCierre);
    prl->addLayout(closing);
    gl->addWidget(printer);
    gl->addStretch(1);
    tabs->addTab(general, QStringLiteral("Opciones generales"));

    const char* names[] = {"TEXTO_TICK",    "TEXTO_FINAL",  "TXTCUENTA_INI",
                           "TXTCUENTA_FIN", "TXTCIBER_INI", "TXTCIBER_FIN"};
    const QStringList tabTexts{QStringLiteral("Venta TPV "), QStringLiteral("Saldo en cuenta"),
                               QStringLiteral("Comprobante ciber")};
    for (int t = 0; t < 3; ++t) {
        auto* tab = new QWidget(tabs);
        auto* tl = new QVBoxLayout(tab);
        for (int k = 0; k < 2; ++k) {
            auto* box = new QGroupBox(k == 0 ? QStringLiteral(" Texto encabezado ticket ")
                                             : QStringLiteral(" Texto pie ticket "),
                                      tab);
            auto* bl = new QVBoxLayout(box);
            auto* text = new QPlainTextEdit(box);
            text->setObjectName(QString::fromLatin1(names[t * 2 + k]));
            text->setTabChangesFocus(true);
            bl->addWidget(text);
            tl->addWidget(box);
            m_textos[size_t(t * 2 + k)] = text;
        }
        tabs->addTab(tab, tabTexts.at(t));
    }
    return w;
}

void Tfrmopciones::watchEdits(QWidget* root) {
    root->installEventFilter(this);
    for (QWidget* child : root->findChildren<QWidget*>())
        child->installEventFilter(this);
    // Choices made with the mouse are edits as well.
    for (QComboBox* c : root->findChildren<QComboBox*>())
        connect(c, &QComboBox::activated, this, &Tfrmopciones::enableApply);
    for (QCheckBox* c : root->findChildren<QCheckBox*>())
        connect(c, &QCheckBox::clicked, this, &Tfrmopciones::enableApply);
    for (QButtonGroup* g : root->findChildren<QButtonGroup*>())
        connect(g, &QButtonGroup::idClicked, this, &Tfrmopciones::enableApply);
}

bool Tfrmopciones::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress)
        enableApply();
    return QDialog::eventFilter(watched, event);
}

void Tfrmopciones::enableApply() {
    if (!m_loading)
        m_aplicar->setEnabled(true);
}

bool Tfrmopciones::begin() {
    const QSqlDatabase db = m_context.data->db();
    try {
        m_row = store::readOpciones(db);
        m_web = store::readWebConfig(db);
        m_bandsUsable = admin::aplicarReglaFranjas(m_row, admin::numeroFranjas(db));
        readLists();
        m_tasas = store::select<store::Tasa>(db, QStringLiteral("ORDER BY IdTax"));
    } catch (const store::DatabaseError& e) {
        ui::showMessage(this, ui::MessageRequest{messages().text(QStringLiteral("Atencion")), e.text(),
                                                 ui::Icon::Error, ui::Buttons::Ok});
        return false;
    }
    m_printers = admin::impresorasInstaladas();
    m_cambioTarifa->setEnabled(m_bandsUsable);
    m_porFranjas->setEnabled(m_bandsUsable);

    fillLists();
    loadControls();
    for (ui::OpcionesPage* p : m_registered)
        p->load(m_row, m_web);
    m_tree->expandAll();
    if (PermisoPagina(admin::EntryGenerales)) {
        const QSignalBlocker block(m_tree);
        m_tree->setCurrentItem(m_tree->topLevelItem(admin::EntryGenerales));
        showEntry(admin::EntryGenerales);
    }
    m_aplicar->setEnabled(false);
    return true;
}

void Tfrmopciones::readLists() {
    const QSqlDatabase db = m_context.data->db();
    m_recargas.clear();
    for (const store::Recarga& r : store::select<store::Recarga>(db))
        m_recargas.push_back({r.CODIGO.trimmed(), r.DESCRIPCION});
    m_bonos.clear();
    for (const store::Bono& b : store::select<store::Bono>(db))
        m_bonos.push_back({b.CODIGO.trimmed(), b.DESCRIPCION});
    m_tarifaRows = store::select<store::Tarifa>(db, QStringLiteral("ORDER BY ID_TAR"));
}

void Tfrmopciones::fillLists() {
    const bool wasLoading = m_loading;
    m_loading = true;
    auto fillCodes = [](QComboBox* c, const std::vector<Item>& items) {
        const QSignalBlocker block(c);
        c->clear();
        c->addItem(Ninguno);
        for (const Item& i : items)
            c->addItem(i.text);
    };
    fillCodes(m_iniMet, m_recargas);
    fillCodes(m_iniTime, m_bonos);
    fillCodes(m_iniTimeCod, m_bonos);
    {
        const QSignalBlocker block(m_op2_5);
        m_op2_5->clear();
        m_op2_5->addItem(QStringLiteral("Crédito de tiempo consumiendo BONOS DE TIEMPO"));
        m_op2_5->addItem(QStringLiteral("Crédito metálico SEGUN TARIFA DE FRANJAS HORARIAS"));
        for (const QString& name : m_tarifas.names())
            m_op2_5->addItem(QStringLiteral("Crédito metálico con tarifa ") + name);
    }
    {
        const QSignalBlocker block(m_iniTarifa2);
        m_iniTarifa2->clear();
        m_iniTarifa2->addItem(Ninguno);
        for (const store::Tarifa& t : m_tarifaRows)
            m_iniTarifa2->addItem(t.NOM);
    }
    {
        const QSignalBlocker block(m_ivaGen);
        m_ivaGen->clear();
        for (const store::Tasa& t : m_tasas)
            m_ivaGen->addItem(t.Nombre, t.IdTax);
    }
    {
        const QSignalBlocker block(m_impresora);
        m_impresora->clear();
        m_impresora->addItems(m_printers);
        // A printer that is configured but not installed right now stays the choice.
        const QString stored = m_row.impresoratick.trimmed();
        if (!stored.isEmpty() && stored != QLatin1String(admin::NoPrinter) && !m_printers.contains(stored))
            m_impresora->addItem(stored);
    }
    m_loading = wasLoading;
}

void Tfrmopciones::loadControls() {
    const bool wasLoading = m_loading;
    m_loading = true;
    const store::Opciones& o = m_row;
    const Regional& r = m_context.regional;
    // Generales
    m_alarmaPrepago->setValue(o.alarmaprepago);
    m_esperaToma->setValue(o.esperatoma);
    const store::LimitesBloqueo limites = store::limitesBloqueo(o);
    m_bloqIntentos->setValue(limites.intentos);
    m_bloqVentana->setValue(limites.ventanaMinutos);
    m_bloqMinutos->setValue(limites.minutos);
    m_bloqPuestoIntentos->setValue(limites.intentosPuesto);
    m_bloqPuestoMinutos->setValue(limites.minutosPuesto);
    m_alarmaCredito->setText(r.formatAmount(o.alarmacredito));
    m_ping->setCurrentText(QString::number(o.ping));
    m_lastTicket->setText(QString::number(o.NUM_TICK));
    m_nextTicket->setValue(qMin(o.NUM_TICK + 1, admin::MaxTicketNumber));
    m_redondeo->setText(r.formatAmount(o.redondeo));
    // Crear cuentas de clientes
    m_op2_1->setChecked(o.op2_1);
    m_cmb1->setCurrentIndex(qBound(0, o.cmb_1, 2));
    if (QAbstractButton* b = m_op2_2->button(qBound(0, o.op2_2, 2)))
        b->setChecked(true);
    m_passIni->setText(o.pass_ini.trimmed());
    m_op2_6->setChecked(o.op2_6);
    m_op2_6->setEnabled(o.op2_2 != 0);
    m_op2_4->setChecked(o.op2_4);
    m_iniMet->setCurrentIndex(codeIndex(m_recargas, o.ini_met));
    m_iniTime->setCurrentIndex(codeIndex(m_bonos, o.ini_time));
    m_op2_5->setCurrentIndex(o.op2_5 >= 0 && o.op2_5 < m_op2_5->count() ? o.op2_5 : 0);
    m_op2_7->setChecked(o.op2_7);
    m_iniDesktop->setCurrentIndex(qBound(0, o.ini_desktop, 4));
    m_diasCadCue->setText(QString::number(o.dias_cad_cue));
    m_cadCue->setCurrentIndex(o.cad_cue != 0 ? 1 : 0);
    // Crear códigos de tiempo
    m_op3_1->setChecked(o.op3_1);
    m_cmb2->setCurrentIndex(qBound(0, o.cmb_2, 2));
    if (QAbstractButton* b = m_op3_2->button(qBound(0, o.op3_2, 2)))
        b->setChecked(true);
    m_passIni2->setText(o.pass_ini2.trimmed());
    m_op3_6->setChecked(o.op3_6);
    m_op3_6->setEnabled(o.op3_2 != 0);
    m_op3_3->setChecked(o.op3_3);
    m_op3_4->setChecked(o.op3_4);
    m_iniDesktopCod->setCurrentIndex(qBound(0, o.ini_desktop_cod, 4));
    m_iniTimeCod->setCurrentIndex(codeIndex(m_bonos, o.ini_time_cod));
    m_diasCadCod->setText(QString::number(o.dias_cad_cod));
    m_cadCod->setCurrentIndex(o.cad_cod != 0 ? 1 : 0);
    // Abrir puesto
    m_op4_1->setCurrentIndex(o.op4_1 == 1 ? 1 : 0);
    const int tariff = m_iniTarifa2->findText(o.ini_tarifa_2.trimmed(), Qt::MatchExactly);
    m_iniTarifa2->setCurrentIndex(o.ini_tarifa_2.trimmed().isEmpty() || tariff < 0 ? 0 : tariff);
    m_op4Cash->setText(r.formatAmount(o.op4_cash));
    m_op4_2->setChecked(o.op4_2);
    m_op4_3->setChecked(o.op4_3);
    refreshApertura();
    if (o.op4_4 >= 1 && o.op4_4 <= m_intervals->rowCount())
        m_intervals->selectRow(o.op4_4 - 1);
    // Franjas horarias
    m_cambioTarifa->setCurrentIndex(o.cambiotarifa == 0 ? 0 : 1);
    m_porFranjas->setCurrentIndex(o.porfranjas ? 0 : 1);
    // Tickets
    m_tickCargo->setCurrentIndex(o.tick_cargo ? 0 : 1);
    m_tickAviso->setCurrentIndex(o.tick_aviso ? 0 : 1);
    m_desgloseIva->setCurrentIndex(o.desgloseiva ? 0 : 1);
    m_ivaGen->setCurrentIndex(m_ivaGen->findData(o.iva_gen));
    m_impresora->setCurrentIndex(m_impresora->findText(o.impresoratick.trimmed(), Qt::MatchExactly));
    m_impCierre->setCurrentIndex(int(store::impresionCierre(o)));
    const QString* texts[] = {&o.TEXTO_TICK,    &o.TEXTO_FINAL,  &o.TXTCUENTA_INI,
                              &o.TXTCUENTA_FIN, &o.TXTCIBER_INI, &o.TXTCIBER_FIN};
    for (size_t i = 0; i < m_textos.size(); ++i)
        m_textos[i]->setPlainText(toMemo(*texts[i]));
    m_loading = wasLoading;
}

void Tfrmopciones::saveControls(store::Opciones& o) const {
    const Regional& r = m_context.regional;
    o.alarmaprepago = m_alarmaPrepago->value();
    o.esperatoma = m_esperaToma->value();
    o.bloq_intentos = m_bloqIntentos->value();
    o.bloq_ventana = m_bloqVentana->value();
    o.bloq_minutos = m_bloqMinutos->value();
    o.bloq_puesto_intentos = m_bloqPuestoIntentos->value();
    o.bloq_puesto_minutos = m_bloqPuestoMinutos->value();
    if (const auto v = r.parseCurrency(m_alarmaCredito->text()))
        o.alarmacredito = *v;
    o.ping = m_ping->currentText().toInt();
    if (const auto v = r.parseCurrency(m_redondeo->text()))
        o.redondeo = *v;

    o.op2_1 = m_op2_1->isChecked();
    o.cmb_1 = m_cmb1->currentIndex();
    o.cmb_1_val = m_cmb1->currentText().toInt();
    o.op2_2 = qMax(0, m_op2_2->checkedId());
    o.pass_ini = m_passIni->text();
    o.op2_6 = m_op2_6->isChecked();
    o.op2_4 = m_op2_4->isChecked();
    const int met = m_iniMet->currentIndex();
    o.ini_met = met >= 1 ? m_recargas[size_t(met - 1)].code : QString();
    const int time = m_iniTime->currentIndex();
    o.ini_time = time >= 1 ? m_bonos[size_t(time - 1)].code : QString();
    o.op2_5 = qMax(0, m_op2_5->currentIndex());
    o.op2_7 = m_op2_7->isChecked();
    o.ini_desktop = qMax(0, m_iniDesktop->currentIndex());
    o.dias_cad_cue = m_diasCadCue->text().toInt();
    o.cad_cue = m_cadCue->currentIndex() == 1 ? 1 : 0;

    o.op3_1 = m_op3_1->isChecked();
    o.cmb_2 = m_cmb2->currentIndex();
    o.cmb_2_val = m_cmb2->currentText().toInt();
    o.op3_2 = qMax(0, m_op3_2->checkedId());
    o.pass_ini2 = m_passIni2->text();
    o.op3_6 = m_op3_6->isChecked();
    o.op3_3 = m_op3_3->isChecked();
    o.op3_4 = m_op3_4->isChecked();
    o.ini_desktop_cod = qMax(0, m_iniDesktopCod->currentIndex());
    const int timeCod = m_iniTimeCod->currentIndex();
    o.ini_time_cod = timeCod >= 1 ? m_bonos[size_t(timeCod - 1)].code : QString();
    o.dias_cad_cod = m_diasCadCod->text().toInt();
    o.cad_cod = m_cadCod->currentIndex() == 1 ? 1 : 0;

    o.op4_1 = m_op4_1->currentIndex() == 1 ? 1 : 0;
    o.ini_tarifa_2 = m_iniTarifa2->currentIndex() >= 1 ? m_iniTarifa2->currentText() : QString();
    if (const auto v = r.parseCurrency(m_op4Cash->text()))
        o.op4_cash = *v;
    const QModelIndexList rows = m_intervals->selectionModel()->selectedRows();
    o.op4_4 = rows.isEmpty() ? 0 : rows.first().row() + 1;
    o.op4_2 = m_op4_2->isChecked();
    o.op4_3 = m_op4_3->isChecked();

    if (m_bandsUsable) {
        o.cambiotarifa = m_cambioTarifa->currentIndex() == 0 ? 0 : 1;
        o.porfranjas = m_porFranjas->currentIndex() == 0;
        // Nothing reads it; it goes off with porfranjas.
        if (!o.porfranjas)
            o.porfranjascli = false;
    }

    o.tick_cargo = m_tickCargo->currentIndex() == 0;
    o.tick_aviso = m_tickAviso->currentIndex() == 0;
    o.desgloseiva = m_desgloseIva->currentIndex() == 0;
    if (m_ivaGen->currentIndex() >= 0)
        o.iva_gen = m_ivaGen->currentData().toInt();
    o.impresoratick =
        m_impresora->currentIndex() >= 0 ? m_impresora->currentText() : QString::fromLatin1(admin::NoPrinter);
    o.imp_cierre = m_impCierre->currentIndex();
    QString* texts[] = {&o.TEXTO_TICK,    &o.TEXTO_FINAL,  &o.TXTCUENTA_INI,
                        &o.TXTCUENTA_FIN, &o.TXTCIBER_INI, &o.TXTCIBER_FIN};
    for (size_t i = 0; i < m_textos.size(); ++i)
        *texts[i] = fromMemo(m_textos[i]->toPlainText());
}

store::Opciones Tfrmopciones::editedRow() const {
    store::Opciones o = m_row;
    saveControls(o);
    return o;
}

void Tfrmopciones::refreshApertura() {
    const Ttarifas* t =
        m_iniTarifa2->currentIndex() >= 1 ? m_tarifas.find(m_iniTarifa2->currentText()) : nullptr;
    const bool none = m_iniTarifa2->currentIndex() < 1;
    const bool prepaid = m_op4_1->currentIndex() == 1;
    const bool variable = t && t->isVariable();
    const bool fixed = !none && !variable;
    if (variable)
        fillIntervals(t);
    m_intervals->setVisible(variable && prepaid);
    m_intervals->setEnabled(variable && prepaid);
    m_cashLabel->setVisible((variable && prepaid) || (fixed && prepaid));
    m_op4Cash->setVisible(fixed && prepaid);
    m_minCost->setVisible(fixed && prepaid);
    if (fixed && prepaid) {
        const Currency minimum = t ? t->minimumCost : Currency();
        m_minCost->setText(QStringLiteral("Coste mínimo ......... ") +
                           m_context.regional.formatCurrency(minimum));
    }
    const bool canSkipDialog = !none && m_op4_2->isChecked();
    if (!canSkipDialog)
        m_op4_3->setChecked(false);
    m_op4_3->setEnabled(canSkipDialog);
}

void Tfrmopciones::fillIntervals(const Ttarifas* tarifa) {
    m_intervals->setRowCount(0);
    int from = 0;
    for (const Tintervalo& i : tarifa->intervals) {
        const int row = m_intervals->rowCount();
        m_intervals->insertRow(row);
        m_intervals->setItem(row, 0, new QTableWidgetItem(QString::number(from)));
        m_intervals->setItem(row, 1, new QTableWidgetItem(QString::number(i.endMinutes)));
        m_intervals->setItem(row, 2, new QTableWidgetItem(m_context.regional.formatCurrency(i.price)));
        from = i.endMinutes;
    }
}

bool Tfrmopciones::PermisoPagina(int entry) {
    static const store::Permiso permisos[] = {
        store::Permiso::CONFOP,   store::Permiso::CONFOP,  store::Permiso::CONFOP,  store::Permiso::CONFOP,
        store::Permiso::CONFTAR,  store::Permiso::CONFFRA, store::Permiso::CONFBON, store::Permiso::CONFBON,
        store::Permiso::CONFTIC,  store::Permiso::CONFIMP, store::Permiso::CONFTUR, store::Permiso::CONFLOGS,
        store::Permiso::CONFLOGS, store::Permiso::CONFLOGS};
    admin::PermisoCheck check = admin::PermisoCheck::NoOperator;
    try {
        if (!store::operadorPorNombre(m_context.data->db(), m_context.currentOperator))
            return false;
        if (entry < 0 || entry >= admin::EntryCount)
            return true;
        check = admin::TienePermiso(m_context.data->db(), m_context.currentOperator, permisos[entry]);
    } catch (const store::DatabaseError& e) {
        ui::showMessage(this, ui::MessageRequest{messages().text(QStringLiteral("Atencion")), e.text(),
                                                 ui::Icon::Error, ui::Buttons::Ok});
        return false;
    }
    if (check == admin::PermisoCheck::Allowed)
        return true;
    if (check == admin::PermisoCheck::Refused) {
        const QString key = (entry == admin::EntryFranjas || entry == 9) ? QStringLiteral("NoPermiso")
                                                                         : QStringLiteral("NoPermitida");
        ui::showRefusal(this, m_context.currentOperator, messages().text(key));
    }
    return false;
}

void Tfrmopciones::treeChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous) {
    if (!current)
        return;
    const int entry = current->data(0, Qt::UserRole).toInt();
    if (!PermisoPagina(entry)) {
        // The previous page stays.
        const QSignalBlocker block(m_tree);
        m_tree->setCurrentItem(m_currentEntry >= 0 ? m_tree->topLevelItem(m_currentEntry) : previous);
        if (m_currentEntry < 0)
            m_tree->clearSelection();
        return;
    }
    showEntry(entry);
    if (entry <= admin::EntryApertura) {
        // The lists of the account, code and opening pages are filled again
        // and set from the row as the window holds it now.
        const store::Opciones now = editedRow();
        m_row = now;
        // Vouchers, top-ups and tariffs may have been edited on their pages.
        try {
            readLists();
        } catch (const store::DatabaseError& e) {
            ui::showMessage(this, ui::MessageRequest{messages().text(QStringLiteral("Atencion")), e.text(),
                                                     ui::Icon::Error, ui::Buttons::Ok});
        }
        fillLists();
        loadControls();
    }
}

void Tfrmopciones::showEntry(int entry) {
    m_currentEntry = entry;
    m_stack->setCurrentWidget(m_pages[size_t(entry)]);
    if (entry == admin::EntryApertura)
        refreshApertura();
}

void Tfrmopciones::selectEntry(int entry) {
    m_tree->setCurrentItem(m_tree->topLevelItem(entry));
}

QWidget* Tfrmopciones::currentPage() const {
    return m_stack->currentWidget() == m_empty ? nullptr : m_stack->currentWidget();
}

QWidget* Tfrmopciones::page(int entry) const {
    return entry >= 0 && entry < admin::EntryCount ? m_pages[size_t(entry)] : nullptr;
}

void Tfrmopciones::focusField(const QString& field) {
    if (QWidget* w = findChild<QWidget*>(field))
        w->setFocus();
}

bool Tfrmopciones::AplicarOpciones() {
    // Amounts that do not read as money are refused before anything else.
    const Regional& r = m_context.regional;
    for (QLineEdit* e : {m_alarmaCredito, m_redondeo, m_op4Cash}) {
        // The default prepaid amount opens stations without the dialog's own check.
        const ImporteTecleado typed = leerImporte(r, e->text());
        if (!typed.valido()) {
            const int entry = e == m_op4Cash ? admin::EntryApertura : admin::EntryGenerales;
            {
                const QSignalBlocker block(m_tree);
                m_tree->setCurrentItem(m_tree->topLevelItem(entry));
            }
            showEntry(entry);
            if (typed.excesivo()) {
                ui::refuseAmount(this, messages(), r, e);
                return false;
            }
            ui::showMessage(this, messages(), QStringLiteral("ImporteIncorrecto"), ui::Icon::Warning);
            e->setFocus();
            return false;
        }
    }
    const int ping = m_ping->currentText().toInt();
    if (ping < 1 || ping > 60) {
        {
            const QSignalBlocker block(m_tree);
            m_tree->setCurrentItem(m_tree->topLevelItem(admin::EntryGenerales));
        }
        showEntry(admin::EntryGenerales);
        ui::showMessage(this, messages(), QStringLiteral("PingIncorrecto"), ui::Icon::Warning);
        m_ping->setFocus();
        return false;
    }

    store::Opciones edited = editedRow();
    store::WebConfig web = m_web;
    for (ui::OpcionesPage* p : m_registered) {
        if (!p->check())
            return false;
        p->save(edited, web);
    }
    const Result<admin::AplicarResultado> result =
        admin::aplicarOpciones(m_context.data->db(), edited, web, m_nextTicket->value(), m_context.settings,
                               m_context.currentOperator);
    if (!result) {
        ui::showMessage(this, ui::MessageRequest{messages().text(QStringLiteral("Atencion")), result.error(),
                                                 ui::Icon::Error, ui::Buttons::Ok});
        return false;
    }
    const admin::OpcionesCheck& c = result->check;
    if (!c.ok()) {
        {
            const QSignalBlocker block(m_tree);
            m_tree->setCurrentItem(m_tree->topLevelItem(c.entry));
        }
        showEntry(c.entry);
        ui::showMessage(this, messages(), c.messageKey, ui::Icon::Warning);
        focusField(c.field);
        return false;
    }
    m_row = result->saved;
    m_web = web;
    loadControls();
    for (ui::OpcionesPage* p : m_registered)
        p->load(m_row, m_web);
    return true;
}

void Tfrmopciones::done(int result) {
    const Result<store::Opciones> closed = admin::cerrarOpciones(m_context.data->db(), m_context.settings);
    if (closed)
        m_row = *closed;
    QDialog::done(result);
}
