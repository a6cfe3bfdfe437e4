#pragma once

#include "app/lifecycle.h"

#include <QObject>

#include <deque>

class ConsoleEngine;
class QDockWidget;
class StationController;
class TFrmAbrirPuesto;
class TFrmColPue;
class TFrmMain;

namespace sales {
class PendingTicketsModel;
}

// The session commands of the main window: open a station, add prepaid
// time, close, exchange and detach tickets, the station queue, and the end
// of the program when the clock fails.
class SessionController : public QObject, public GridLayoutParticipant {
    Q_OBJECT
public:
    SessionController(ConsoleEngine& engine, TFrmMain& window, StationController& stations,
                      QObject* parent = nullptr);
    ~SessionController() override;

    TFrmColPue* queueWindow() const { return m_queue; }
    sales::PendingTicketsModel* queueModel() const { return m_queueModel; }

    // Desbloquear1Click.
    void abrirPuesto();
    // Incrementarprepago1Click.
    void incrementarPrepago();
    // Bloquear1Click.
    void cerrarPuesto();
    // IntercambiarClick.
    void intercambiar();
    void borrarTicket();

    // The station queue's column widths (GRID1COL0 to 5) and order (sup).
    void applyGrids(const store::Grids& grids, const store::Opciones& opciones) override;
    void captureGrids(store::Grids& grids, store::Opciones& opciones) const override;

    // Whether the program ended on a clock failure (tests watch this).
    bool endedOnFatalError() const { return m_fatal; }

private:
    struct BookedTicket {
        int idTick = 0;
        QString number;
        int station = 0;
    };

    void fatalError(const QString& error);
    // A closed station's ticket: asked, printed or left alone by the option.
    // Offers that arrive while one is open wait their turn.
    void offerTicket(int idTick, const QString& number, int station);
    void offerOne(const BookedTicket& ticket);

    ConsoleEngine& m_engine;
    TFrmMain& m_window;
    StationController& m_stations;
    sales::PendingTicketsModel* m_queueModel = nullptr;
    TFrmColPue* m_queue = nullptr;
    QDockWidget* m_queueDock = nullptr;
    bool m_fatal = false;
    bool m_closing = false;
    bool m_offering = false;
    std::deque<BookedTicket> m_offers;
};
