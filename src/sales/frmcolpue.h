#pragma once

#include <QList>
#include <QTimer>
#include <QWidget>

class QAction;
class QTableView;

namespace sales {
class PendingTicketsModel;
}
struct ConsoleContext;

// "Cola de puestos": the tickets the stations' use periods left pending, at
// every console of the database, and their settling at the counter. While
// shown it looks for other consoles' bookings every PollMs.
class TFrmColPue : public QWidget {
    Q_OBJECT
public:
    TFrmColPue(ConsoleContext& context, sales::PendingTicketsModel& model, QWidget* parent = nullptr);

    // "&1.- Guardar seleccionado" and "&2.- Guardar todos".
    void settleSelected();
    void settleAll();
    // "&Print": the use-period receipt of the selected ticket.
    void printSelected();
    // "M&odificar": asks for the station-ticket window on the selected ticket.
    void modifySelected();
    void setAscending(bool ascending);
    bool ascending() const;
    static constexpr int PollMs = 2000;

    // Reads the loaded rows again, keeping the selected row number.
    void refresh();
    // Reads it again when the pending tickets changed meanwhile, keeping the
    // selected ticket (rows may come and go above it).
    void pollChanges();
    bool polling() const { return m_poll.isActive(); }

    QTableView* view() const { return m_view; }
    // Widths from the table Grids, widened to what the columns show.
    void setColumnWidths(const QList<int>& saved);

signals:
    void modifyRequested(int idTick);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showError(const QString& text);
    // The console column only where consoles share the database.
    void showConsoleColumn();

    ConsoleContext& m_context;
    sales::PendingTicketsModel& m_model;
    QTableView* m_view = nullptr;
    QAction* m_ascendingAction = nullptr;
    QAction* m_descendingAction = nullptr;
    QTimer m_poll;
};
