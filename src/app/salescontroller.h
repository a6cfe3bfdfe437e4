#pragma once

#include <QObject>

#include <memory>

class ConsoleEngine;
class SessionController;
class StationController;
class TFrmMain;
struct ConsoleContext;

namespace sales {
class TFrmTPV;
class TFrmTPV2;
class TFrmcambio;
class TFrmconftpv;
class TicketPrinter;
} // namespace sales

// Puts the sales subsystem on the main window: the point of sale (F7), the
// station's ticket (Ctrl+F7 and the station queue), the cash drawer (F4),
// the ticket printer and the options page of the taxes.
class SalesController : public QObject {
    Q_OBJECT
public:
    SalesController(ConsoleEngine& engine, TFrmMain& window, StationController& stations,
                    SessionController& sessions, QObject* parent = nullptr);
    ~SalesController() override;

    // Registers the options pages this subsystem contributes (also for tests).
    static void registerPages();

    sales::TFrmTPV* saleWindow() const { return m_tpv; }
    sales::TFrmTPV2* stationTicketWindow() const { return m_tpv2; }
    sales::TFrmcambio* changeDisplay() const { return m_cambio; }
    sales::TFrmconftpv* articleList() const { return m_articulos; }

    // The commands.
    void ventaTpv();
    void modificarTicketEnPuesto();
    void modificarTicket(int idTick);
    void abrirCajon();
    void articulos();
    // The sale window's F7: the selected station holds ticket number.
    void anotarEnPuesto(const QString& number);

private:
    ConsoleEngine& m_engine;
    ConsoleContext& m_context;
    TFrmMain& m_window;
    StationController& m_stations;
    SessionController& m_sessions;
    std::unique_ptr<sales::TicketPrinter> m_printer;
    sales::TFrmcambio* m_cambio = nullptr;
    sales::TFrmTPV* m_tpv = nullptr;
    sales::TFrmTPV2* m_tpv2 = nullptr;
    sales::TFrmconftpv* m_articulos = nullptr;
};
