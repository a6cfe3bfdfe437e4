#pragma once

#include <QObject>

class ConsoleEngine;
class StationController;
class TFrmMain;
struct ConsoleContext;

// Puts the sales subsystem on the main window: the options page of the
// taxes, the ticket printer and the cash drawer.
class SalesController : public QObject {
    Q_OBJECT
public:
    SalesController(ConsoleEngine& engine, TFrmMain& window, StationController& stations,
                    QObject* parent = nullptr);

    // Registers the options pages this subsystem contributes (also for tests).
    static void registerPages();

private:
    ConsoleEngine& m_engine;
    ConsoleContext& m_context;
    TFrmMain& m_window;
    StationController& m_stations;
};
