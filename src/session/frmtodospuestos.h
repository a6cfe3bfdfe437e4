#pragma once

#include <QDialog>
#include <QTimer>

class ListaPuestos;
class QComboBox;
class QSortFilterProxyModel;
class QTableView;
struct ConsoleContext;

namespace session {
class TodosPuestosModel;
}

// "[ Todos los puestos ]": every station of every console of the database,
// read-only, with its console, state, user, time and amount. While shown it
// reads the stations again every PollMs.
class TFrmTodosPuestos final : public QDialog {
    Q_OBJECT
public:
    static constexpr int PollMs = 2000;

    TFrmTodosPuestos(ConsoleContext& context, const ListaPuestos* lista, QWidget* parent = nullptr);
    ~TFrmTodosPuestos() override;

    // Reads the stations again; a refused read is shown once and the
    // reading stops until the window shows again.
    void refresh();
    // "&Ordenar por": a column of the model, ascending.
    void sortBy(int column);

    session::TodosPuestosModel* model() const { return m_model; }
    QSortFilterProxyModel* sorted() const { return m_sorted; }
    QTableView* view() const { return m_view; }
    QComboBox* orderList() const { return m_order; }
    bool polling() const { return m_poll.isActive(); }

signals:
    void shownChanged(bool shown);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    ConsoleContext& m_context;
    session::TodosPuestosModel* m_model = nullptr;
    QSortFilterProxyModel* m_sorted = nullptr;
    QTableView* m_view = nullptr;
    QComboBox* m_order = nullptr;
    QTimer m_poll;
};
