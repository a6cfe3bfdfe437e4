#pragma once

#include "admin/puestosconfig.h"

#include <QObject>

#include <memory>

class ConsoleEngine;
class QLabel;
class StationController;
class TFrmMain;

// The administration commands of the main window: the options window, the
// operators window, the station configuration and the log-in locks.
class AdminController : public QObject {
    Q_OBJECT
public:
    AdminController(ConsoleEngine& engine, TFrmMain& window, StationController& stations,
                    QObject* parent = nullptr);
    ~AdminController() override;

    // "&2.- Parámetros generales...".
    void parametros();
    // "&4.- Operadores...": ADMIN only.
    void operadores();
    // "&1.- Puestos...": under CONFPUE.
    void puestos();
    // "&6.- Bloqueos de acceso...": the locks in force and their unlock.
    void bloqueos();

    admin::ConfiguracionPuestos& configuracion();
    // The restart note of the status bar, once the identification changed.
    QLabel* restartNote() const { return m_restartNote; }

private:
    ConsoleEngine& m_engine;
    TFrmMain& m_window;
    StationController& m_stations;
    std::unique_ptr<admin::ConfiguracionPuestos> m_config;
    QLabel* m_restartNote = nullptr;
};
