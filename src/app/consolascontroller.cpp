#include "app/consolascontroller.h"

#include "app/frmmain.h"
#include "core/consolecontext.h"
#include "session/consolelease.h"
#include "session/engine.h"
#include "session/frmtodospuestos.h"
#include "session/frmtomarpuestos.h"
#include "session/otrasconsolas.h"
#include "ui/messagebox.h"

#include <QAction>
#include <QLabel>
#include <QStatusBar>

ConsolasController::ConsolasController(ConsoleEngine& engine, TFrmMain& window, QObject* parent)
    : QObject(parent)
    , m_engine(engine)
    , m_window(window) {
    m_todos = new TFrmTodosPuestos(engine.context(), &engine.puestos(), &m_window);
    QAction* view = m_window.action(QStringLiteral("verTodosPuestos"));
    view->setCheckable(true);
    view->setEnabled(true);
    connect(view, &QAction::triggered, m_todos, [this](bool on) {
        m_todos->setVisible(on);
        if (on) {
            m_todos->raise();
            m_todos->activateWindow();
        }
    });
    connect(m_todos, &TFrmTodosPuestos::shownChanged, view, &QAction::setChecked);

    QAction* take = m_window.action(QStringLiteral("tomarPuestos"));
    take->setEnabled(true);
    connect(take, &QAction::triggered, this, &ConsolasController::tomarPuestos);

    m_fenced = new QLabel(&m_window);
    m_fenced->setObjectName(QStringLiteral("consolaAislada"));
    m_fenced->setStyleSheet(QStringLiteral("color: red"));
    m_fenced->hide();
    m_window.statusBar()->addPermanentWidget(m_fenced);

    // From the event loop: the lease is in the middle of its step, and a box
    // must not run another one inside it.
    session::ConsoleLease& lease = engine.consola();
    connect(&lease, &session::ConsoleLease::taken, this, &ConsolasController::stationsTaken,
            Qt::QueuedConnection);
    connect(&lease, &session::ConsoleLease::lost, this, &ConsolasController::stationsLost,
            Qt::QueuedConnection);
    connect(&lease, &session::ConsoleLease::fencedChanged, this, &ConsolasController::fencedChanged,
            Qt::QueuedConnection);
}

ConsolasController::~ConsolasController() = default;

void ConsolasController::note(const QString& text) {
    const ConsoleContext& c = m_engine.context();
    m_engine.mensajes().append(
        {0, c.regional.formatTime(c.clock->now().time()), QStringLiteral("[System]: ") + text});
}

void ConsolasController::tomarPuestos() {
    TFrmTomarPuestos dialog(m_engine.consola(), &m_window);
    connect(&dialog, &TFrmTomarPuestos::taken, this, [this](const QString& from, const QList<int>& stations) {
        note(session::textoTomados(from, stations));
    });
    dialog.load();
    ui::execDialog(&dialog);
}

void ConsolasController::stationsTaken(const QString& from, const QList<int>& stations) {
    const QString text = session::textoTomados(from, stations);
    note(text);
    ui::showMessage(&m_window,
                    ui::MessageRequest{session::otrasConsolasMessages().text(QStringLiteral("Atencion")),
                                       text, ui::Icon::Information, ui::Buttons::Ok});
}

void ConsolasController::stationsLost(const QList<int>& stations) {
    const QString text = session::textoPerdidos(stations);
    note(text);
    ui::showMessage(&m_window,
                    ui::MessageRequest{session::otrasConsolasMessages().text(QStringLiteral("Atencion")),
                                       text, ui::Icon::Information, ui::Buttons::Ok});
}

void ConsolasController::fencedChanged(bool fenced) {
    note(session::textoAislada(fenced));
    m_fenced->setText(fenced ? session::textoAislada(true) : QString());
    m_fenced->setVisible(fenced);
}
