#pragma once

#include <QList>
#include <QObject>
#include <QString>

class ConsoleEngine;
class QLabel;
class TFrmMain;
class TFrmTodosPuestos;

// The consoles that share the database, as the operator sees them: every
// station of the café ("Ver"), the take-over of another console's stations
// by hand ("Utilidades"), and what the lease does on its own: stations that
// came over or went, and the wait while this console is cut off from the
// others.
class ConsolasController : public QObject {
    Q_OBJECT
public:
    ConsolasController(ConsoleEngine& engine, TFrmMain& window, QObject* parent = nullptr);
    ~ConsolasController() override;

    TFrmTodosPuestos* todosPuestos() const { return m_todos; }
    QLabel* fencedLabel() const { return m_fenced; }

    // "&4.- Tomar los puestos de otra consola...".
    void tomarPuestos();

    // A line "[System]: ..." in the message queue.
    void note(const QString& text);
    void stationsTaken(const QString& from, const QList<int>& stations);
    void stationsLost(const QList<int>& stations);
    void fencedChanged(bool fenced);

private:
    ConsoleEngine& m_engine;
    TFrmMain& m_window;
    TFrmTodosPuestos* m_todos = nullptr;
    QLabel* m_fenced = nullptr;
};
