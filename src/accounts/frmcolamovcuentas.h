#pragma once

#include "core/pagedrows.h"
#include "store/rows.h"
#include <QList>
#include <QTimer>
#include <QWidget>

#include <vector>

class QAction;
class QTableView;
struct ConsoleContext;

namespace accounts {

// The movements of every console not yet marked done, in booking order,
// with the console that booked each. Read a page at a time as the view scrolls.
class MovimientosPendientesModel final : public PagedRows<store::MovCuenta> {
    Q_OBJECT
public:
    explicit MovimientosPendientesModel(ConsoleContext& context, QObject* parent = nullptr);

    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    static constexpr int ColConsola = 6;

    // The first page again. Throws store::DatabaseError.
    void refresh() { PagedRows::refresh(); }
    // Reads the loaded rows again (a booking here, or another console's):
    // true when they changed. Throws store::DatabaseError.
    bool refreshIfChanged() { return update(); }

protected:
    std::vector<store::MovCuenta> read(std::optional<int> after, std::optional<int> through,
                                       int limit) const override;
    int idOf(const store::MovCuenta& m) const override { return m.ID; }
    bool sameRow(const store::MovCuenta& a, const store::MovCuenta& b) const override;

private:
    ConsoleContext& m_context;
};

} // namespace accounts

// "Cola de movimientos de cuentas": the account movements to deal with, at
// every console of the database; while shown it looks for other consoles'
// bookings every PollMs.
class TFrmcolamovcuentas final : public QWidget {
    Q_OBJECT
public:
    TFrmcolamovcuentas(ConsoleContext& context, accounts::MovimientosPendientesModel& model,
                       QWidget* parent = nullptr);

    void guardarSeleccionado();
    void guardarTodos();
    void setAscending(bool ascending);
    bool ascending() const;
    void refresh();
    static constexpr int PollMs = 2000;
    // Reads again when the pending movements changed meanwhile, keeping the
    // selected movement.
    void pollChanges();
    bool polling() const { return m_poll.isActive(); }
    QTableView* view() const { return m_view; }
    // Widths from the table Grids, widened to what the columns show.
    void setColumnWidths(const QList<int>& saved);
    // The login of the movement under the cursor; empty when none.
    QString currentLogin() const;
    // "Pri&nt": the receipt of the movement under the cursor; nothing when the queue is empty.
    void imprimir();

signals:
    void dineroRequested(const QString& login);
    void tiempoRequested(const QString& login);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showError(const QString& text);
    // The console column only where consoles share the database.
    void showConsoleColumn();

    ConsoleContext& m_context;
    accounts::MovimientosPendientesModel& m_model;
    QTableView* m_view = nullptr;
    QAction* m_ascendingAction = nullptr;
    QAction* m_descendingAction = nullptr;
    QTimer m_poll;
};
