#pragma once

#include "store/rows.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QWidget>

#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;
class QTabBar;
class ListaTarifas;
struct ConsoleContext;
namespace ui {
class MessageTable;
}

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
    // 0 Login, 1 Nombre, 2 Tarifa, 3 credito, 4 Bonotiempo, 5 Ultima.
    void sortByTab(int tab);
    const store::Cuenta& at(int row) const { return m_rows.at(size_t(row)); }

private:
    ConsoleContext& m_context;
    std::vector<store::Cuenta> m_rows;
    int m_sort = 0;
};

} // namespace accounts

// "Cuentas de clientes": the dockable list of accounts and their commands.
class TFrmusr final : public QWidget {
    Q_OBJECT
public:
    TFrmusr(ConsoleContext& context, QWidget* parent = nullptr);
    accounts::CuentasModel& model() { return m_model; }
    QTableView* view() const { return m_view; }
    QString statusText() const;
    // The login under the cursor; empty when none.
    QString currentLogin() const;
    void refresh();

signals:
    void anadirRequested();
    void modificarRequested(const QString& login);
    void eliminarRequested(const QString& login);
    void metalicoRequested(const QString& login);
    void tiempoRequested(const QString& login);
    void imprimirRequested(const QString& login);

private:
    ConsoleContext& m_context;
    accounts::CuentasModel m_model;
    QTableView* m_view = nullptr;
    QTabBar* m_tabs = nullptr;
    QLabel* m_status = nullptr;
};
