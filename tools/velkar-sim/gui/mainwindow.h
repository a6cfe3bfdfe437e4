#pragma once

#include "sim/options.h"

#include <QMainWindow>

class QCheckBox;
class QLabel;
class QPlainTextEdit;

namespace velkarsim {

class Session;
class StationTile;

// The tiles of every simulated station, a log of the exchanges and a
// summary in the status bar.
class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(Session& session, QWidget* parent = nullptr);

    void appendLog(const QString& line);
    // Takes a third of the screen at that edge, its full height.
    void placeAtEdge(Options::Place place);

private:
    void refresh();
    void setAllPower(bool on);

    Session& m_session;
    QList<StationTile*> m_tiles;
    QPlainTextEdit* m_log;
    QCheckBox* m_showPolls;
    QLabel* m_summary;
    qint64 m_lastMs = 0;
    quint64 m_lastLines = 0;
};

// Shows the window and runs until it is closed or "quit" arrives.
int runGui(const Options& options);

} // namespace velkarsim
