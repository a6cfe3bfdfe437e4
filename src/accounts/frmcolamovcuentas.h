#pragma once

#include "store/rows.h"

#include <QAbstractTableModel>
#include <QList>
#include <QTimer>
#include <QWidget>

#include <vector>

class QAction;
class QTableView;
struct ConsoleContext;

namespace accounts {

// The movements of every console not yet marked done, in booking order,
// with the console that booked each.
class MovimientosPendientesModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit MovimientosPendientesModel(ConsoleContext& context, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    static constexpr int ColConsola = 6;

    // Throws store::DatabaseError.
    void refresh();
    // Reads again only when the pending movements changed since the last
    // reading (another console booked or settled one); true when it did.
    bool refreshIfChanged();
    void setAscending(bool ascending);
    bool ascending() const { return m_ascending; }
    const store::MovCuenta& at(int row) const { return m_rows.at(size_t(row)); }

private:
    ConsoleContext& m_context;
    std::vector<store::MovCuenta> m_rows;
    QVariantList m_digest;
    bool m_ascending = true;
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
