#pragma once

#include "core/currency.h"
#include "session/gridcells.h"
#include "station/stationrecord.h"

#include <QAbstractTableModel>
#include <QSqlDatabase>

#include <vector>

class ListaPuestos;
struct ConsoleContext;

namespace session {

// One station of the café as the all-stations view shows it.
struct VistaPuesto {
    int numero = 0;
    QString consola;
    station::Estado estado = station::Estado::Libre;
    // Out of reach and not treated as connected.
    bool sinConexion = false;
    QString cuenta;
    bool anonimo = true;
    qint64 segundos = 0;
    // With an account the credit left, else the cost.
    Currency importe;
    bool operator==(const VistaPuesto&) const = default;
};

// Every station of every console, by number, as the stations table holds
// them. Throws store::DatabaseError.
std::vector<VistaPuesto> leerTodosPuestos(const QSqlDatabase& db);

// The stations of every console sharing the database, read-only: number,
// console, state, user, time and amount. The rows come from the stations
// table, where each console writes its own; this console's stations show
// what its registry holds right now.
class TodosPuestosModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColPuesto, ColConsola, ColEstado, ColUsuario, ColTiempo, ColImporte, ColumnCount };
    enum Role {
        // A value that orders the column (numbers as numbers).
        SortRole = Qt::UserRole,
        // The station number's CellColour (int), and whether its text is white.
        BackgroundRole,
        WhiteTextRole,
    };

    // lista: this console's registry, shown live for its own stations; may be null.
    TodosPuestosModel(ConsoleContext& context, const ListaPuestos* lista, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Reads the table again. Rows that only changed are updated in place, so
    // the selection and the order stay; another set of stations resets the
    // model. Throws store::DatabaseError.
    void refresh();
    const VistaPuesto& at(int row) const { return m_rows.at(size_t(row)); }

private:
    void overlayOwn(std::vector<VistaPuesto>& rows) const;

    ConsoleContext& m_context;
    const ListaPuestos* m_lista;
    std::vector<VistaPuesto> m_rows;
};

} // namespace session
