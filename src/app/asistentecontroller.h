#pragma once

#include <QObject>

class ConsoleEngine;
class ConsoleLifecycle;
class QLabel;
class TFrmMain;

// The start-up assistant in the running console: it opens by itself at
// ADMIN's log-ins while the console's own database has not been set up,
// and from "Utilidades" for ADMIN; what it wrote joins the running console.
class AsistenteController : public QObject {
    Q_OBJECT
public:
    AsistenteController(ConsoleEngine& engine, TFrmMain& window, ConsoleLifecycle& lifecycle,
                        QObject* parent = nullptr);

    // The database still waits for its assistant (a database error reads as no).
    bool pendiente() const;
    // Before the main window is first shown: a counter PC's first start fills the screen.
    void beforeShow();
    // After a log-in or a change of operator: ADMIN meets the assistant while it is pending.
    void afterLogin();
    // "&3.- Asistente de puesta en marcha...".
    void abrir();

    // The status-bar line that points to Configuración once the assistant finished.
    QLabel* note() const { return m_note; }

private:
    void run();
    void maximize();
    void showNote();

    ConsoleEngine& m_engine;
    TFrmMain& m_window;
    QLabel* m_note = nullptr;
    bool m_running = false;
};
