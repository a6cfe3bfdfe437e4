#pragma once

#include <QList>
#include <QWidget>

class QAction;
class QTableView;

namespace sales {
class PendingTicketsModel;
}
struct ConsoleContext;

// "Cola de puestos": the tickets the stations' use periods left pending, and
// their settling at the counter.
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
    // Reads the queue again, keeping the selected row number.
    void refresh();

    QTableView* view() const { return m_view; }
    // Widths from the table Grids, widened to what the columns show.
    void setColumnWidths(const QList<int>& saved);

signals:
    void modifyRequested(int idTick);

private:
    void showError(const QString& text);

    ConsoleContext& m_context;
    sales::PendingTicketsModel& m_model;
    QTableView* m_view = nullptr;
    QAction* m_ascendingAction = nullptr;
    QAction* m_descendingAction = nullptr;
};
