#pragma once

#include "accounts/busqueda.h"
#include "accounts/seguimiento.h"
#include "store/rows.h"

#include <QAbstractTableModel>
#include <QList>
#include <QWidget>

#include <vector>

class QAction;
class QLabel;
class QTableView;
class QTabBar;
struct ConsoleContext;

namespace accounts {

// The accounts (no time codes) as the accounts window lists them.
class CuentasModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CuentasModel(ConsoleContext& context, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Throws store::DatabaseError.
    void refresh();
    // After a booking: the rows of the accounts it moved, read again in
    // place. Throws store::DatabaseError.
    void seguir();
    // 0 Login, 1 Nombre, 2 Tarifa, 3 credito, 4 Bonotiempo, 5 Ultima.
    void sortByTab(int tab);
    // The search's live filter; an empty text lists every account again.
    // Throws store::DatabaseError.
    void setFiltro(CampoBusqueda campo, const QString& typed, bool startsWith);
    const FiltroBusqueda& filtro() const { return m_filtro; }
    const store::Cuenta& at(int row) const { return m_rows.at(size_t(row)); }
    // The row of the login (letter case aside), or -1.
    int rowOf(const QString& login) const;

private:
    ConsoleContext& m_context;
    std::vector<store::Cuenta> m_rows;
    int m_sort = 0;
    FiltroBusqueda m_filtro;
    SeguimientoMovimientos m_seguimiento;
};

} // namespace accounts

// "Cuentas de clientes": the dockable list of accounts and their commands,
// in the menus "&Archivo" and "Edición", the tool bar and the pop-up menu.
// Every command but adding, searching and e-mail does nothing while the list
// is empty; the permissions are checked by whoever answers the signals.
class TFrmusr final : public QWidget {
    Q_OBJECT
public:
    TFrmusr(ConsoleContext& context, QWidget* parent = nullptr);
    accounts::CuentasModel& model() { return m_model; }
    QTableView* view() const { return m_view; }
    // Widths from the table Grids, widened to what the columns show.
    void setColumnWidths(const QList<int>& saved);
    QString statusText() const;
    // The login under the cursor; empty when none.
    QString currentLogin() const;
    // The selected accounts and the one under the cursor, in list order.
    QStringList selectedLogins() const;
    // Makes the login's row current and the only one selected.
    void selectLogin(const QString& login);
    // The window's commands by object name ("anadirCuenta", "editarTarifas", ...).
    QAction* action(const QString& name) const;
    void refresh();
    // After a booking: only the accounts it moved are read again.
    void seguir();
    // "&7.- Buscar cuenta...": the live search over this list.
    void buscar();

signals:
    void anadirRequested();
    void modificarRequested(const QString& login);
    void eliminarRequested(const QString& login);
    void metalicoRequested(const QString& login);
    void tiempoRequested(const QString& login);
    void imprimirRequested(const QString& login);
    void emailRequested(const QStringList& selectedLogins);
    void caducadasRequested();
    void tarifasRequested(const QString& currentLogin, const QStringList& selectedLogins);
    void escritorioRequested(const QStringList& selectedLogins);

private:
    QAction* addCommand(const QString& text, const QString& name);
    bool listEmpty() const { return m_model.rowCount() == 0; }

    ConsoleContext& m_context;
    accounts::CuentasModel m_model;
    QList<QAction*> m_commands;
    QTableView* m_view = nullptr;
    QTabBar* m_tabs = nullptr;
    QLabel* m_status = nullptr;
};
