#pragma once

#include "core/creditsync.h"
#include "core/currency.h"
#include "store/rows.h"
#include "ui/messagetable.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QRandomGenerator;
namespace station {
class LoginsInUse;
}

// Time codes: prepaid logins (cuentas rows of Tipo "9") sold over the
// counter with a voucher, topped up, edited and deleted.

namespace accounts {

// The messages of the sale, the automatic sale and the codes window.
const ui::MessageTable& codigosMessages();

// The type of every time code.
inline const QString TipoCodigo = QStringLiteral("9");

// What "Nuevo" of the sale window proposes for a new code.
struct CodigoPropuesto {
    QString login;
    QString password;
    // "Se establece al acceder la 1ª vez" and "No se puede cambiar".
    bool intropass = false;
    bool nomodpass = false;
    int escritorio = 0;
    bool imprimir = false;
    // The voucher ini_time_cod names, when it exists.
    std::optional<store::Bono> bono;
    // The ticket number the sale will get (no ticket exists yet).
    QString ticket;
    // "LoginLargo" when the generated login would not fit: the counter was
    // left as it was and the login is for the operator to type.
    QString messageKey;
};

// op3_1: the next contador followed by cmb_2_val random digits, the counter
// saved at once; op3_2: the password mode; op3_6, op3_4, ini_desktop_cod
// and ini_time_cod for the rest.
CodigoPropuesto proponerCodigo(const QSqlDatabase& db, QRandomGenerator& random);

// One sale of the sale window: a new code, or time added to an existing one.
struct VentaCodigo {
    QString login;
    QString password;
    bool intropass = false;
    bool nomodpass = false;
    int escritorio = 0;
    std::optional<store::Bono> bono;
    // NaN for a quantity box that does not read.
    double cantidad = 1;
};

struct CodigoResultado {
    // Empty when the sale was booked.
    QString messageKey;
    // The code as saved, and its balance before the sale.
    store::Cuenta cuenta;
    int saldoAnterior = 0;
    // The sale's ticket (0 when none was made) and movement.
    int idTick = 0;
    int movId = 0;
    bool ok() const { return messageKey.isEmpty(); }
};

// Called after the sale was committed with the code as saved, so a station
// where it is logged in follows the new time at once.
using CodigoCambiado = std::function<void(const store::Cuenta&)>;

// Seconds a sale adds: quantity x tiempo_bono x 60, truncated.
int segundosVenta(const VentaCodigo& venta);

// "[F2] Confirmar" of a new code: the checks in the window's order ("NoLogin",
// "LoginLargo", "NoDescripcion", "CantidadNoValida" for a quantity that is
// not a number other than 0, "Bono", "ImporteMaximo" for a line beyond
// Currency::MaxAmount, "Cuenta repetida"), then the code,
// the ticket with its line, the time movement and NUM_TICK in one
// transaction. Login and password are stored in upper case.
CodigoResultado crearCodigo(const QSqlDatabase& db, VentaCodigo venta, const QString& operatorName,
                            int ivaGen, const QDateTime& now, const CodigoCambiado& changed = {});
// "[F2] Confirmar" of a top-up of the code with venta.login: "NoDescripcion",
// "CantidadNoValida", "ImporteMaximo", "Bono" from the stored balance,
// "CodigoNoExiste" when it is gone. With a sync, the station where the code
// is logged in gets the new time in the same transaction.
CodigoResultado recargarCodigo(const QSqlDatabase& db, const VentaCodigo& venta, const QString& operatorName,
                               int ivaGen, const QDateTime& now, const CodigoCambiado& changed = {},
                               CreditSync* sync = nullptr);

// The sale without a window (op3_3): the code with the voucher ini_time_cod
// on its ticket, or with no time and no ticket when that voucher does not
// exist. "Código repetido" when the login exists, "LoginLargo" when it does
// not fit; nothing is created then.
CodigoResultado ventaAutomatica(const QSqlDatabase& db, QRandomGenerator& random, const QString& operatorName,
                                const QDateTime& now);

// What the modification window saves.
struct CambiosCodigo {
    QString password;
    bool intropass = false;
    bool nomodpass = false;
    int escritorio = 0;
    QDate alta;
    QDate ultima;
};
// False when the code no longer exists.
bool modificarCodigo(const QSqlDatabase& db, const QString& login, const CambiosCodigo& cambios);

// Deletes a code unless it is logged in at a station (false then), with its
// line in the audit trail.
bool eliminarCodigo(const QSqlDatabase& db, const QString& login, const station::LoginsInUse& inUse,
                    const QString& operatorName, const QDateTime& now);

// The time codes whose login matches the typed text (all with empty text);
// wildcards and quotes in it are plain text.
std::vector<store::Cuenta> buscarCodigos(const QSqlDatabase& db, const QString& typed, bool startsWith,
                                         const QString& orderBy = QStringLiteral("Login"));

} // namespace accounts
