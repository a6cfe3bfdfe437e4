#pragma once

#include "core/result.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <vector>

class ListaPuestos;
namespace session {
class StationClock;
}

namespace admin {

// Limits of a station's configuration.
constexpr int MinStationNumber = 1;
constexpr int MaxStationNumber = 9999;
constexpr int MaxRelativePrice = 1000;
constexpr int MaxAddressLength = 16;

// What the station parameters dialog holds.
struct PuestoForm {
    bool adding = true;
    bool byHost = false;
    QString number;
    std::array<QString, 4> ipParts;
    QString host;
    int relativePrice = 100;
    // The console that polls the station; empty is this console.
    QString consola;
};

// The first failed check: message key and the field to focus ("number",
// "ip1" … "ip4", "host"). Empty key: all passed.
struct PuestoCheck {
    QString messageKey;
    QString field;
    bool ok() const { return messageKey.isEmpty(); }
};

// The dialog's checks, in order. Every value reaches the database bound.
PuestoCheck comprobarPuesto(const QSqlDatabase& db, const PuestoForm& form);
// Its checks of the four parts of an address alone: complete, digits, 0 to 255.
PuestoCheck comprobarDireccion(const std::array<QString, 4>& parts);

// The dotted address of four valid parts ("001" is 1).
QString direccionIp(const std::array<QString, 4>& parts);

// Writes the columns a station's configuration owns, for a form that passed
// its checks: a new row (polled by form.consola) when adding, else the
// address and price of the row with that number; the owning console changes
// only through store::moverPuesto. Throws store::DatabaseError, so that it
// can run inside a caller's transaction.
void escribirPuesto(const QSqlDatabase& db, const PuestoForm& form);

// What saving a station did to the running registry.
enum class EfectoPuesto {
    Added,     // added and polling
    Reloaded,  // changed while free: polling its new address
    SavedBusy, // changed while in use: takes effect at the next start
    Elsewhere, // another console's station: that console follows the change
    Moved,     // given to another console, or taken from one, under a new epoch
};

// The station configuration against the running console: every change is
// saved at once, then the registry follows with the clock and the periodic
// save stopped around it.
class ConfiguracionPuestos {
public:
    // operador names the operator on duty at each change, for the audit
    // trail (every change gets its line in its own transaction).
    ConfiguracionPuestos(const QSqlDatabase& db, ListaPuestos& puestos, session::StationClock& clock,
                         std::function<QString()> operador = {});

    // This console's name (empty: a registry that polls every station).
    QString consolaPropia() const;
    // The names the console field offers: this console's and every other
    // that owns stations.
    Result<QStringList> consolas() const;
    // The console a station's row names; empty when none does.
    Result<QString> consolaDe(int number) const;
    // Free here, or, for a station another console polls, free as its row
    // last told.
    Result<bool> puestoLibre(int number) const;

    // Checks and saves the dialog's station. A failed check answers the
    // check and writes nothing; a database failure answers its text. A
    // station given to another console leaves this registry; one taken from
    // another joins it.
    struct Guardado {
        PuestoCheck check;
        EfectoPuesto efecto = EfectoPuesto::Added;
    };
    Result<Guardado> guardar(const PuestoForm& form);
    // Removes a free station: link stopped, entry gone, row deleted.
    Status eliminar(int number);
    // Stations whose new rows were written elsewhere join the registry and
    // poll, as an added one does.
    Status anadirEscritos(const std::vector<int>& numbers);

private:
    class Pause;
    void auditar(int number, const QString& antes, const QString& despues) const;

    QSqlDatabase m_db;
    ListaPuestos& m_puestos;
    session::StationClock& m_clock;
    std::function<QString()> m_operador;
};

} // namespace admin
