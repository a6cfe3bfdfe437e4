#include "app/sessioncontroller.h"

#include "app/dockmanager.h"
#include "app/frmmain.h"
#include "app/stationcontroller.h"
#include "core/consolecontext.h"
#include "sales/frmcolpue.h"
#include "sales/impresion.h"
#include "sales/pendingtickets.h"
#include "sales/tickets.h"
#include "session/engine.h"
#include "session/franjas.h"
#include "session/frmabrirpuesto.h"
#include "session/stationgrid.h"
#include "store/datamodule.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "ui/listview.h"
#include "ui/messagebox.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

void showDatabaseError(QWidget* parent, const store::DatabaseError& e) {
    ui::showMessage(parent, ui::MessageRequest{session::sessionMessages().text(QStringLiteral("Atencion")),
                                               e.text(), ui::Icon::Error, ui::Buttons::Ok});
}

void showKey(QWidget* parent, const ui::MessageTable& table, const QString& key, ui::Icon icon) {
    ui::showMessage(parent, table, key, icon);
}

} // namespace

SessionController::SessionController(ConsoleEngine& engine, TFrmMain& window, StationController& stations,
                                     QObject* parent)
    : QObject(parent)
    , m_engine(engine)
    , m_window(window)
    , m_stations(stations) {
    m_queueModel = new sales::PendingTicketsModel(engine.context(), this);
    m_queue = new TFrmColPue(engine.context(), *m_queueModel);
    m_queueDock = new QDockWidget(m_queue->windowTitle(), &m_window);
    m_queueDock->setWidget(m_queue);
    m_window.docks()->registerWindow(QStringLiteral("FrmColPue"), m_queueDock,
                                     m_window.action(QStringLiteral("verColaPuestos")));
    m_window.action(QStringLiteral("verColaPuestos"))->setEnabled(true);
    m_window.docks()->dock(m_queueDock, app::DockHost::Bottom);
    m_queueDock->hide();
    // Tab from the grid reaches the tickets to collect first.
    QWidget::setTabOrder(m_stations.grid(), m_queue->view());

    connect(&m_engine, &ConsoleEngine::ticketsChanged, m_queue, &TFrmColPue::refresh);
    connect(&m_engine, &ConsoleEngine::fatalError, this, &SessionController::fatalError);
    connect(&m_engine, &ConsoleEngine::ticketBooked, this, &SessionController::offerTicket);
    // Periods booked by the shut-down itself are not offered: nobody is at the counter to answer.
    connect(&m_window, &TFrmMain::shutdownRequested, this, [this] {
        m_closing = true;
        m_offers.clear();
    });
    connect(&m_engine.reloj(), &session::StationClock::timeShown, m_stations.gridModel(),
            &StationGridModel::refreshTimeAndAmount);

    connect(m_window.action(QStringLiteral("abrirPuesto")), &QAction::triggered, this,
            &SessionController::abrirPuesto);
    connect(m_window.action(QStringLiteral("incrementarPrepago")), &QAction::triggered, this,
            &SessionController::incrementarPrepago);
    connect(m_window.action(QStringLiteral("cerrarPuesto")), &QAction::triggered, this,
            &SessionController::cerrarPuesto);
    connect(m_window.action(QStringLiteral("intercambiar")), &QAction::triggered, this,
            &SessionController::intercambiar);
    connect(m_window.action(QStringLiteral("borrarTicket")), &QAction::triggered, this,
            &SessionController::borrarTicket);
    for (const char* name :
         {"abrirPuesto", "incrementarPrepago", "cerrarPuesto", "intercambiar", "borrarTicket"})
        m_stations.setCommandAvailable(QString::fromLatin1(name), true);
}

SessionController::~SessionController() = default;

void SessionController::abrirPuesto() {
    ListaPuestos& puestos = m_engine.puestos();
    ConsoleContext& ctx = m_engine.context();
    const TPuestos* selected = puestos.selected();
    if (!selected)
        return;
    const int number = selected->number;
    store::Opciones o;
    session::FranjasSnapshot bands;
    try {
        o = store::readOpciones(ctx.data->db());
        bands = session::FranjasSnapshot::load(ctx.data->db());
    } catch (const store::DatabaseError& e) {
        showDatabaseError(&m_window, e);
        return;
    }
    // Defaults apply unless anonymous customers follow the time bands.
    const bool defaults = o.op4_2 && !ctx.settings.porfranjas;

    TFrmAbrirPuesto dialog(m_engine, &m_window);
    dialog.prepareOpen(number, selected->relativePrice);
    if (ctx.settings.porfranjas) {
        if (const store::Franja* band = session::franjaApertura(bands, ctx.clock->now().time()))
            dialog.lockTariff(band->tarifa, QStringLiteral("Franja horaria de %1 a %2")
                                                .arg(ctx.regional.formatTime(band->franja_ini),
                                                     ctx.regional.formatTime(band->franja_fin)));
    }
    if (defaults) {
        const QString tariff = o.ini_tarifa_2.trimmed();
        if (tariff.isEmpty() || !dialog.selectTariff(tariff)) {
            showKey(&m_window, session::sessionMessages(), QStringLiteral("NoTarifa"), ui::Icon::Warning);
            return;
        }
        const bool prepago = o.op4_1 == 1;
        dialog.setPrepaid(prepago);
        if (prepago) {
            dialog.setAmount(o.op4_cash);
            const Ttarifas* t = dialog.tariff();
            if (t && t->isVariable()) {
                const int wanted = o.op4_4 - 1;
                dialog.showIntervals(wanted >= 0 && wanted < int(t->intervals.size()) ? wanted : 0);
            }
        }
    }
    if (!(defaults && o.op4_3) && ui::execDialog(&dialog) != QDialog::Accepted)
        return;

    const int pos = puestos.positionOf(number);
    if (pos < 0 || puestos.at(pos).rec().estado != station::Estado::Libre) {
        showKey(&m_window, session::sessionMessages(), QStringLiteral("NoLibre"), ui::Icon::Information);
        return;
    }
    try {
        const session::Outcome outcome = m_engine.abrirPuesto(pos, dialog.pedido());
        if (!outcome.ok())
            showKey(&m_window, session::sessionMessages(), outcome.messageKey, ui::Icon::Warning);
    } catch (const store::DatabaseError& e) {
        showDatabaseError(&m_window, e);
    }
}

void SessionController::incrementarPrepago() {
    ListaPuestos& puestos = m_engine.puestos();
    ConsoleContext& ctx = m_engine.context();
    const TPuestos* selected = puestos.selected();
    if (!selected || selected->rec().estado != station::Estado::Prepago ||
        !selected->rec().accountLogin.isEmpty())
        return;
    const int number = selected->number;
    QString tariff = selected->rec().tariffName;
    if (!m_engine.tarifas().find(tariff) && ctx.settings.porfranjas) {
        try {
            if (const store::Franja* band = session::franjaApertura(
                    session::FranjasSnapshot::load(ctx.data->db()), ctx.clock->now().time()))
                tariff = band->tarifa;
        } catch (const store::DatabaseError& e) {
            showDatabaseError(&m_window, e);
            return;
        }
    }
    TFrmAbrirPuesto dialog(m_engine, &m_window);
    dialog.prepareIncrease(number, selected->relativePrice, tariff);
    if (ui::execDialog(&dialog) != QDialog::Accepted)
        return;
    const int pos = puestos.positionOf(number);
    try {
        const session::Outcome outcome = m_engine.incrementarPrepago(pos, dialog.incremento());
        if (!outcome.ok())
            showKey(&m_window, session::sessionMessages(), outcome.messageKey, ui::Icon::Warning);
    } catch (const store::DatabaseError& e) {
        showDatabaseError(&m_window, e);
    }
}

void SessionController::cerrarPuesto() {
    ListaPuestos& puestos = m_engine.puestos();
    const TPuestos* selected = puestos.selected();
    if (!selected)
        return;
    const int number = selected->number;
    const ui::MessageTable& t = session::sessionMessages();
    const ui::Answer answer =
        ui::showMessage(&m_window, ui::MessageRequest{t.text(QStringLiteral("CierrePuesto")),
                                                      t.text(QStringLiteral("ConfirmeCerrar")) +
                                                          QString::number(number) + QLatin1Char(':'),
                                                      ui::Icon::Question, ui::Buttons::YesNo});
    if (answer != ui::Answer::Yes)
        return;
    // The period may have ended while the question was open: it settles once.
    try {
        m_engine.cerrarPuesto(puestos.positionOf(number));
    } catch (const store::DatabaseError& e) {
        showDatabaseError(&m_window, e);
    }
}

void SessionController::intercambiar() {
    ListaPuestos& puestos = m_engine.puestos();
    const TPuestos* selected = puestos.selected();
    if (!selected)
        return;
    const int pos = puestos.positionOf(selected->number);
    const std::vector<int> candidates = m_engine.candidatosIntercambio(pos);
    if (candidates.empty()) {
        showKey(&m_window, session::sessionMessages(), QStringLiteral("NoIntercambio"),
                ui::Icon::Information);
        return;
    }
    QDialog dialog(&m_window);
    dialog.setObjectName(QStringLiteral("TFrmIntercambio"));
    dialog.setWindowTitle(QStringLiteral(" Intercambio de puestos"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(
        QStringLiteral("Intercambiar el puesto nº  %1 con el puesto nº  ").arg(selected->number), &dialog));
    auto* list = new QComboBox(&dialog);
    list->setObjectName(QStringLiteral("candidateList"));
    for (int c : candidates)
        list->addItem(QString::number(puestos.at(c).number), puestos.at(c).number);
    list->setCurrentIndex(0);
    row->addWidget(list);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Aceptar"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("&Cancelar"));
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    const int source = selected->number;
    if (ui::execDialog(&dialog) != QDialog::Accepted)
        return;
    try {
        m_engine.intercambiar(puestos.positionOf(source), puestos.positionOf(list->currentData().toInt()));
    } catch (const store::DatabaseError& e) {
        showDatabaseError(&m_window, e);
    }
}

void SessionController::borrarTicket() {
    ListaPuestos& puestos = m_engine.puestos();
    const TPuestos* selected = puestos.selected();
    if (!selected)
        return;
    try {
        const session::Outcome outcome = m_engine.borrarTicket(puestos.positionOf(selected->number));
        if (!outcome.ok())
            ui::showMessage(&m_window, sales::ticketMessages(), outcome.messageKey, ui::Icon::Warning);
    } catch (const store::DatabaseError& e) {
        showDatabaseError(&m_window, e);
    }
}

void SessionController::applyGrids(const store::Grids& g, const store::Opciones& o) {
    m_queue->setColumnWidths(
        {g.GRID1COL0, g.GRID1COL1, g.GRID1COL2, g.GRID1COL3, g.GRID1COL4, g.GRID1COL5, g.GRID1COL6});
    m_queue->setAscending(o.sup);
}

void SessionController::captureGrids(store::Grids& g, store::Opciones& o) const {
    storeWidths(
        {&g.GRID1COL0, &g.GRID1COL1, &g.GRID1COL2, &g.GRID1COL3, &g.GRID1COL4, &g.GRID1COL5, &g.GRID1COL6},
        ui::columnWidths(m_queue->view(), 7));
    o.sup = m_queue->ascending();
}

void SessionController::offerTicket(int idTick, const QString& number, int station) {
    if (m_fatal || m_closing)
        return;
    m_offers.push_back({idTick, number, station});
    // The question's own event loop may deliver more bookings: one box at a time.
    if (m_offering)
        return;
    m_offering = true;
    while (!m_offers.empty() && !m_fatal && !m_closing) {
        const BookedTicket next = m_offers.front();
        m_offers.pop_front();
        offerOne(next);
    }
    m_offers.clear();
    m_offering = false;
}

void SessionController::offerOne(const BookedTicket& ticket) {
    ConsoleContext& ctx = m_engine.context();
    store::ImpresionCierre choice = store::ImpresionCierre::Preguntar;
    try {
        choice = store::impresionCierre(store::readOpciones(ctx.data->db()));
    } catch (const store::DatabaseError& e) {
        showDatabaseError(&m_window, e);
        return;
    }
    if (choice == store::ImpresionCierre::Nunca)
        return;
    if (choice == store::ImpresionCierre::Preguntar) {
        const ui::MessageTable& t = session::sessionMessages();
        const ui::Answer answer = ui::showMessage(
            &m_window, ui::MessageRequest{t.text(QStringLiteral("CierrePuesto")),
                                          t.text(QStringLiteral("ImprimirTicketCierre"))
                                              .arg(ticket.number, QString::number(ticket.station)),
                                          ui::Icon::Question, ui::Buttons::YesNo});
        if (answer != ui::Answer::Yes)
            return;
    }
    // The receipt the station queue's "Print" gives.
    const int id = ticket.idTick;
    sales::imprimir(&m_window, ctx,
                    [id](const sales::LayoutContext& c) { return sales::ComprobanteCiber(c, id); });
}

void SessionController::fatalError(const QString& error) {
    Q_UNUSED(error);
    m_fatal = true;
    m_engine.reloj().stop();
    ui::showMessage(&m_window,
                    ui::MessageRequest{ui::commonMessages().text(QStringLiteral("Atencion")),
                                       session::sessionMessages().text(QStringLiteral("ErrorGrave")),
                                       ui::Icon::Error, ui::Buttons::Ok});
    // Nothing of the periods running now may be lost.
    ListaPuestos& puestos = m_engine.puestos();
    puestos.stopPeriodicSave();
    // A period whose booking failed is saved as running, so the next start has it.
    const Status saved = puestos.GuardarPuestos(nullptr);
    if (!saved)
        ui::showMessage(
            &m_window,
            ui::MessageRequest{ui::commonMessages().text(QStringLiteral("Atencion")),
                               TFrmMain::messages().text(QStringLiteral("NoEscritura")) + saved.error(),
                               ui::Icon::Error, ui::Buttons::Ok});
    puestos.stopAll();
    m_window.setCloseConfirmed(true);
    QCoreApplication::exit(1);
}
