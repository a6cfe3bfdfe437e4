#pragma once

#include "accounts/seguimiento.h"
#include "store/rows.h"

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>
#include <QWidget>

#include <vector>

class QAction;
class QLabel;
class QMenu;
class QTabBar;
class QTableView;
struct ConsoleContext;

namespace accounts {

// The time codes as the codes window lists them: Login, "Tiempo disponible"
// and "Ultima visita".
class CodigosModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CodigosModel(ConsoleContext& context, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Throws store::DatabaseError.
    void refresh();
    // After a booking: the rows of the codes it moved, read again in place.
    // Throws store::DatabaseError.
    void seguir();
    // The codes whose login begins with (or contains) the typed text; empty
    // text shows them all. Wildcards and quotes in it are plain text.
    void setFiltro(const QString& typed, bool startsWith);
    // 0 Login, 1 Bonotiempo, 2 Ultima.
    void sortByTab(int tab);
    const store::Cuenta& at(int row) const { return m_rows.at(size_t(row)); }
    // The row of that login, or -1.
    int rowOf(const QString& login) const;

private:
    ConsoleContext& m_context;
    std::vector<store::Cuenta> m_rows;
    int m_sort = 0;
    QString m_typed;
    bool m_startsWith = true;
    SeguimientoMovimientos m_seguimiento;
};

} // namespace accounts

// " [ Códigos de tiempo... ]": the dockable list of time codes and their
// commands. The commands are requests; the controller checks permissions.
class TFrmcodigos final : public QWidget {
    Q_OBJECT
public:
    explicit TFrmcodigos(ConsoleContext& context, QWidget* parent = nullptr);

    accounts::CodigosModel& model() { return m_model; }
    QTableView* view() const { return m_view; }
    // Widths from the table Grids, widened to what the columns show.
    void setColumnWidths(const QList<int>& saved);
    QAction* action(const QString& name) const;
    QMenu* popupMenu() const { return m_popup; }

    // The login under the cursor; empty when none.
    QString currentLogin() const;
    void selectLogin(const QString& login);
    // The selected logins, the one under the cursor included.
    QStringList selectedLogins() const;
    // Reads the codes again and keeps the current one.
    void refresh();
    // After a booking: only the codes it moved are read again.
    void seguir();

signals:
    void venderRequested();
    void modificarRequested(const QString& login);
    void eliminarRequested(const QString& login);
    void aumentarRequested(const QString& login);
    void imprimirRequested(const QString& login);
    void buscarRequested();
    void caducadosRequested();
    void escritorioRequested(const QStringList& selectedLogins);

private:
    void updateActions();

    ConsoleContext& m_context;
    accounts::CodigosModel m_model;
    QTableView* m_view = nullptr;
    QTabBar* m_tabs = nullptr;
    QMenu* m_popup = nullptr;
    QList<QAction*> m_needCode;
};
