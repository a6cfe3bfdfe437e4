#include "app/salescontroller.h"

#include "app/frmmain.h"
#include "app/sessioncontroller.h"
#include "app/stationcontroller.h"
#include "core/consolecontext.h"
#include "sales/cupsprinter.h"
#include "sales/frmcambio.h"
#include "sales/frmcolpue.h"
#include "sales/frmconftpv.h"
#include "sales/frmimpuestos.h"
#include "sales/frmtpv.h"
#include "sales/frmtpv2.h"
#include "sales/impresion.h"
#include "sales/puntoventa.h"
#include "sales/ticketprinter.h"
#include "sales/tickets.h"
#include "session/engine.h"
#include "station/listapuestos.h"
#include "store/datamodule.h"
#include "store/sql.h"
#include "ui/messagebox.h"
#include "ui/opcionespage.h"

#include <QAction>

namespace {
// The options window's tree entry "I.V.A. / Tasas".
constexpr int TasasEntry = 9;

const ui::MessageTable& controllerMessages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        {"NoHayTicket", QStringLiteral("En este puesto no hay ticket..."),
         QStringLiteral("On this terminal there is no ticket")},
    };
    return table;
}

void showDatabaseError(QWidget* parent, const store::DatabaseError& e) {
    ui::showError(parent, e.text());
}
} // namespace

SalesController::SalesController(ConsoleEngine& engine, TFrmMain& window, StationController& stations,
                                 SessionController& sessions, QObject* parent)
    : QObject(parent)
    , m_engine(engine)
    , m_context(engine.context())
    , m_window(window)
    , m_stations(stations)
    , m_sessions(sessions)
    , m_printer(std::make_unique<sales::TicketPrinter>(std::make_unique<sales::CupsPrinter>())) {
    registerPages();
    m_cambio = new sales::TFrmcambio(m_context, &m_window);
    m_tpv = new sales::TFrmTPV(m_context, *m_cambio, &m_window);
    m_tpv2 = new sales::TFrmTPV2(m_context, *m_cambio, &m_window);
    m_tpv->setAttachHandler([this](const QString& number) { anotarEnPuesto(number); });
    connect(m_cambio, &sales::TFrmcambio::printRequested, this, [this](int idTick) {
        sales::imprimir(m_cambio, m_context,
                        [idTick](const sales::LayoutContext& c) { return sales::TicketVenta(c, idTick); });
    });
    connect(m_cambio, &sales::TFrmcambio::drawerRequested, this, [this] {
        // The sale window's drawer command, which waits while a sale is entered.
        if (!m_tpv->entryMode())
            sales::abrirCajon(m_cambio, m_context);
    });

    const struct {
        const char* action;
        void (SalesController::*slot)();
    } commands[] = {{"ventaTpv", &SalesController::ventaTpv},
                    {"modificarTicket", &SalesController::modificarTicketEnPuesto},
                    {"abrirCajon", &SalesController::abrirCajon},
                    {"articulos", &SalesController::articulos}};
    for (const auto& c : commands) {
        const QString name = QString::fromLatin1(c.action);
        if (QAction* a = m_window.action(name)) {
            connect(a, &QAction::triggered, this, c.slot);
            a->setEnabled(true);
            m_stations.setCommandAvailable(name, true);
        }
    }
    if (TFrmColPue* queue = m_sessions.queueWindow())
        connect(queue, &TFrmColPue::modifyRequested, this, &SalesController::modificarTicket);
}

SalesController::~SalesController() = default;

void SalesController::registerPages() {
    ui::registerOpcionesPage(TasasEntry, [](ConsoleContext& context, QWidget* parent) -> ui::OpcionesPage* {
        return new sales::TasasPage(context, parent);
    });
}

void SalesController::ventaTpv() {
    if (!m_stations.permitted(store::Permiso::VENTATPV))
        return;
    m_tpv->open();
    ui::execDialog(m_tpv);
    emit m_engine.ticketsChanged();
}

void SalesController::modificarTicketEnPuesto() {
    if (!m_stations.permitted(store::Permiso::VENTATPV))
        return;
    const TPuestos* selected = m_engine.puestos().selected();
    if (!selected)
        return;
    const QString number =
        m_engine.puestos().at(m_engine.puestos().positionOf(selected->number)).rec().ticketNumber;
    std::optional<store::Ticket> ticket;
    try {
        if (!number.isEmpty())
            ticket = sales::findTicket(m_context.data->db(), number);
    } catch (const store::DatabaseError& e) {
        showDatabaseError(&m_window, e);
        return;
    }
    if (!ticket) {
        ui::showMessage(&m_window, controllerMessages(), QStringLiteral("NoHayTicket"),
                        ui::Icon::Information);
        return;
    }
    m_tpv2->openOn(ticket->ID_TICK);
    ui::execDialog(m_tpv2);
    emit m_engine.ticketsChanged();
}

void SalesController::modificarTicket(int idTick) {
    try {
        sales::resetUdart(m_context.data->db(), false);
    } catch (const store::DatabaseError& e) {
        showDatabaseError(&m_window, e);
        return;
    }
    m_tpv2->openOn(idTick);
    ui::execDialog(m_tpv2);
}

void SalesController::abrirCajon() {
    sales::abrirCajonSinVenta(&m_window, m_context);
}

void SalesController::articulos() {
    if (!m_stations.permitted(store::Permiso::CONFTPV))
        return;
    if (!m_articulos) {
        m_articulos = new sales::TFrmconftpv(
            m_context,
            [this](const QString& refusalKey) {
                return m_stations.permitted(store::Permiso::CONFTPV, refusalKey);
            },
            &m_window);
    }
    m_articulos->refresh();
    m_articulos->show();
    m_articulos->raise();
}

void SalesController::anotarEnPuesto(const QString& number) {
    ListaPuestos& puestos = m_engine.puestos();
    const TPuestos* selected = puestos.selected();
    if (!selected)
        return;
    const int pos = puestos.positionOf(selected->number);
    const sales::TicketOutcome outcome = sales::attachTicket(puestos.at(pos).rec(), number);
    if (!outcome.ok()) {
        ui::showMessage(m_tpv, sales::ticketMessages(), outcome.messageKey, ui::Icon::Warning);
        return;
    }
    puestos.RedibujarFila(pos);
    puestos.RefrescarMenus();
    try {
        // The station's row holds its ticket at once, so a restart keeps it.
        m_engine.guardarPuesto(pos);
    } catch (const store::DatabaseError& e) {
        showDatabaseError(m_tpv, e);
    }
}
