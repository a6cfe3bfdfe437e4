#pragma once

#include "store/consolas.h"

#include <QDialog>
#include <QList>

#include <vector>

class QPushButton;
class QTableWidget;

namespace session {
class ConsoleLease;
}

// "[ Tomar los puestos de otra consola ]": the other consoles that own
// stations (name, computer, last heartbeat, stations) and the take-over by
// hand of the chosen one's stations, after a question that warns when that
// console looks alive.
class TFrmTomarPuestos final : public QDialog {
    Q_OBJECT
public:
    explicit TFrmTomarPuestos(session::ConsoleLease& lease, QWidget* parent = nullptr);

    // Reads the other consoles again; false (the error shown) when refused.
    bool load();
    // "&Tomar puestos" on the chosen console.
    void tomar();

    const std::vector<store::ConsolaRow>& consolas() const { return m_rows; }
    QTableWidget* table() const { return m_table; }
    QPushButton* takeButton() const { return m_take; }

signals:
    // Stations that came over by hand, for the message queue.
    void taken(const QString& from, const QList<int>& stations);

private:
    session::ConsoleLease& m_lease;
    std::vector<store::ConsolaRow> m_rows;
    QTableWidget* m_table = nullptr;
    QPushButton* m_take = nullptr;
};
