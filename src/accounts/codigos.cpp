#include "accounts/codigos.h"

#include "accounts/accountdecisions.h"
#include "accounts/altacuenta.h"
#include "accounts/busqueda.h"
#include "accounts/creditoenpuesto.h"
#include "accounts/cuentas.h"
#include "accounts/movimientos.h"
#include "core/formatohora.h"
#include "core/importes.h"
#include "sales/tickets.h"
#include "station/loginsinuse.h"
#include "store/consolas.h"
#include "store/dialect.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "store/transaction.h"
#include "store/views.h"

#include <QRandomGenerator>

namespace accounts {

const ui::MessageTable& codigosMessages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        {"NoLogin", QStringLiteral("Debe introducir el login de usuario"),
         QStringLiteral("Enter the user's login")},
        {"NoDescripcion", QStringLiteral("No hay descripción"), QStringLiteral("No description")},
        {"Bono", QStringLiteral("Un cliente no puede superar las 500 horas en bono"),
         QStringLiteral("A customer can not hold more than 500 hours of vouchers")},
        {"Cuenta repetida", QStringLiteral("Cuenta repetida"), QStringLiteral("Repeated account")},
        {"Código repetido", QStringLiteral("Código repetido"), QStringLiteral("Repeated code")},
        {"CodigoNoExiste", QStringLiteral("El código ya no existe."),
         QStringLiteral("The code no longer exists.")},
        {"LoginLargo",
         QStringLiteral("El login no cabe en 10 caracteres. Reduzca el contador o el número de dígitos "
                        "aleatorios en las opciones \"Alta Códigos Tiempo\", o escriba un login más corto."),
         QStringLiteral("The login does not fit 10 characters. Lower the counter or the number of random "
                        "digits in the \"Alta Códigos Tiempo\" options, or type a shorter login.")},
        {"Espere", QStringLiteral("Espere un momento..."), QStringLiteral("Please wait...")},
        mensajeCantidadNoValida(),
        mensajeImporteMaximo(),
        {"EliminarRegistro", QStringLiteral("¿Eliminar el registro seleccionado?"),
         QStringLiteral("Delete the selected record?")},
        {"CuentaUso", QStringLiteral("Cuenta en uso. Imposible eliminar"),
         QStringLiteral("Account in use. It can not be deleted")},
        {"NoPermitida", QStringLiteral("Operación no permitida"), QStringLiteral("Operation not allowed")},
    };
    return table;
}

namespace {

std::optional<store::Bono> bonoPorCodigo(const QSqlDatabase& db, const QString& codigo) {
    // The option holds the code as it was typed.
    return store::selectOne<store::Bono>(
        db, QStringLiteral("WHERE ") + store::equalsCaseless(db, QStringLiteral("CODIGO")), {codigo});
}

// Any row of cuentas, account or code, letter case aside.
bool loginExiste(const QSqlDatabase& db, const QString& login) {
    return store::toInt(store::scalar(db,
                                      QStringLiteral("SELECT COUNT(*) FROM cuentas WHERE ") +
                                          store::equalsCaseless(db, QStringLiteral("Login")),
                                      {login})) > 0;
}

QString tiempoMovimiento(double cantidad, int seconds) {
    return cantidad > 0 ? FormatoHora(seconds) : QStringLiteral(" - ") + FormatoHora(qAbs(qint64(seconds)));
}

// The sale's ticket with its one line and the time movement; answers
// {ID_TICK, movement ID}.
struct BonoVendido {
    int idTick = 0;
    int movId = 0;
    QString numero; // of the ticket
};

BonoVendido venderBono(const QSqlDatabase& db, const QString& login, const store::Bono& bono, double cantidad,
                       int saldoAnterior, int saldoFinal, int added, const QString& operatorName, int ivaGen,
                       const QDateTime& now) {
    const Currency amount = importeLinea(cantidad, bono.PRECIO);
    store::Ticket t;
    t.IMPORTE = amount;
    t.OPERADOR = operatorName;
    // Pending, as every top-up ticket: it waits in the station queue.
    t.CONTA = false;
    t = sales::NuevoNumeroTicket(db, t, now);
    store::LinTick line;
    line.ID_TICK = t.ID_TICK;
    line.CODIGO = bono.CODIGO;
    line.BONO = true;
    line.ARTICULO = bono.DESCRIPCION;
    line.CANT = cantidad;
    line.IdTax = ivaGen;
    line.PRECIO = bono.PRECIO;
    line.IMPORTE = amount;
    sales::addLine(db, line);

    store::MovCuenta m = movimiento(login, QDateTime(t.FECHA, t.HORA));
    m.TICKET = t.NUM_TICKET;
    m.CONCEPTO = bono.DESCRIPCION;
    m.saldoti_ant_bono = saldoAnterior;
    m.SALDOTI_MOV = tiempoMovimiento(cantidad, added);
    m.saldoti_fin_bono = saldoFinal;
    const int movId = int(store::insert(db, m));
    return {t.ID_TICK, movId, t.NUM_TICKET};
}

} // namespace

CodigoPropuesto proponerCodigo(const QSqlDatabase& db, QRandomGenerator& random) {
    const store::Opciones o = store::readOpciones(db);
    CodigoPropuesto p;
    p.ticket = QString::number(o.NUM_TICK + 1);
    if (o.op3_1) {
        p.login = loginDelContador(db, o.cmb_2_val, random);
        if (p.login.isEmpty())
            p.messageKey = QStringLiteral("LoginLargo");
    }
    switch (o.op3_2) {
    case 0:
        p.intropass = true;
        break;
    case 1:
        p.password = digitosAleatorios(8, random).mid(3, 4);
        break;
    case 2:
        p.password = o.pass_ini2;
        break;
    default:
        break;
    }
    p.bono = bonoPorCodigo(db, o.ini_time_cod);
    // The two ticks exclude each other; the first-use one wins.
    p.nomodpass = o.op3_6 && !p.intropass;
    p.imprimir = o.op3_4;
    p.escritorio = o.ini_desktop_cod;
    return p;
}

int segundosVenta(const VentaCodigo& venta) {
    return venta.bono ? segundosLinea(venta.cantidad, venta.bono->tiempo_bono) : 0;
}

CodigoResultado crearCodigo(const QSqlDatabase& db, VentaCodigo venta, const QString& operatorName,
                            int ivaGen, const QDateTime& now, const CodigoCambiado& changed) {
    if (venta.login.isEmpty())
        return {QStringLiteral("NoLogin"), {}};
    if (venta.login.size() > MaxLoginLength)
        return {QStringLiteral("LoginLargo"), {}};
    if (!venta.bono)
        return {QStringLiteral("NoDescripcion"), {}};
    if (!cantidadValida(venta.cantidad))
        return {QStringLiteral("CantidadNoValida"), {}};
    const int added = segundosVenta(venta);
    if (added > MaxBonoSeconds)
        return {QStringLiteral("Bono"), {}};
    if (!importeLineaAcotado(venta.cantidad, venta.bono->PRECIO))
        return {QStringLiteral("ImporteMaximo"), {}};
    venta.login = venta.login.toUpper();
    venta.password = venta.intropass ? QString() : venta.password.toUpper();

    store::Transaction tx(db);
    if (loginExiste(db, venta.login))
        return {QStringLiteral("Cuenta repetida"), {}};
    store::Cuenta c;
    c.Login = venta.login;
    c.Pass = venta.password;
    c.Intropass = venta.intropass;
    c.Nomodpass = venta.nomodpass && !venta.intropass;
    c.Alta = now.date();
    c.Ultima = now.date();
    c.Tipo = TipoCodigo;
    c.Bonotiempo = qMax(0, added);
    c.Escritorio = venta.escritorio;
    store::insert(db, c);
    const BonoVendido sold = venderBono(db, c.Login, *venta.bono, venta.cantidad, 0, c.Bonotiempo, added,
                                        operatorName, ivaGen, now);
    tx.commit();
    if (changed)
        changed(c);
    return {QString(), c, 0, sold.idTick, sold.movId};
}

CodigoResultado recargarCodigo(const QSqlDatabase& db, const VentaCodigo& venta, const QString& operatorName,
                               int ivaGen, const QDateTime& now, const CodigoCambiado& changed,
                               CreditSync* sync) {
    if (!venta.bono)
        return {QStringLiteral("NoDescripcion"), {}};
    if (!cantidadValida(venta.cantidad))
        return {QStringLiteral("CantidadNoValida"), {}};
    if (!importeLineaAcotado(venta.cantidad, venta.bono->PRECIO))
        return {QStringLiteral("ImporteMaximo"), {}};
    store::Transaction tx(db);
    // Locked: the balances of the movement and the 500-hour check hold
    // against a settlement at another console.
    std::optional<store::Cuenta> c = cuentaParaCambiar(db, venta.login);
    if (!c || c->Tipo != TipoCodigo)
        return {QStringLiteral("CodigoNoExiste"), {}};
    const int added = segundosVenta(venta);
    const int before = c->Bonotiempo;
    if (qint64(before) + added > MaxBonoSeconds)
        return {QStringLiteral("Bono"), {}};
    c->Bonotiempo = qMax(0, before + added);
    c->Ultima = now.date();
    store::run(db,
               QStringLiteral("UPDATE cuentas SET ") + tiempoRelativo() +
                   QStringLiteral(", Ultima = ? WHERE Login = ?"),
               {added, added, store::sqlValue(c->Ultima), c->Login});
    const BonoVendido sold = venderBono(db, c->Login, *venta.bono, venta.cantidad, before, c->Bonotiempo,
                                        added, operatorName, ivaGen, now);
    auditarTiempo(db, operatorName, *c, before, c->Bonotiempo, added, sold.numero, now);
    escribirCreditoEnPuesto(sync, db, *c);
    tx.commit();
    aplicarCreditoEnPuesto(sync, *c);
    if (changed)
        changed(*c);
    return {QString(), *c, before, sold.idTick, sold.movId};
}

CodigoResultado ventaAutomatica(const QSqlDatabase& db, QRandomGenerator& random, const QString& operatorName,
                                const QDateTime& now) {
    const store::Opciones o = store::readOpciones(db);
    store::Cuenta c;
    c.Intropass = o.op3_2 == 0;
    // The same four digits as the window draws: a constant leading "0"
    // would leave a tenth of the passwords.
    if (o.op3_2 == 1)
        c.Pass = digitosAleatorios(8, random).mid(3, 4);
    else if (o.op3_2 == 2)
        c.Pass = o.pass_ini2;

    store::Transaction tx(db);
    // Nobody is there to type a login, so without op3_1 the counter takes four digits.
    c.Login = loginDelContador(db, o.op3_1 ? o.cmb_2_val : 4, random);
    if (c.Login.isEmpty())
        return {QStringLiteral("LoginLargo"), {}};
    if (loginExiste(db, c.Login)) {
        // The counter stays used.
        tx.commit();
        return {QStringLiteral("Código repetido"), {}};
    }
    c.Alta = now.date();
    c.Ultima = now.date();
    c.Nomodpass = o.op3_6 && !c.Intropass;
    c.Tipo = TipoCodigo;
    c.Escritorio = o.ini_desktop_cod;
    const std::optional<store::Bono> bono = bonoPorCodigo(db, o.ini_time_cod);
    if (bono)
        c.Bonotiempo = qMax(0, bono->tiempo_bono * 60);
    store::insert(db, c);
    CodigoResultado result{QString(), c, 0, 0, 0};
    if (bono) {
        const BonoVendido sold =
            venderBono(db, c.Login, *bono, 1, 0, c.Bonotiempo, c.Bonotiempo, operatorName, o.iva_gen, now);
        result.idTick = sold.idTick;
        result.movId = sold.movId;
    }
    tx.commit();
    return result;
}

bool modificarCodigo(const QSqlDatabase& db, const QString& login, const CambiosCodigo& cambios) {
    const bool intropass = cambios.intropass;
    QSqlQuery q = store::run(
        db,
        QStringLiteral("UPDATE cuentas SET Pass = ?, Intropass = ?, Nomodpass = ?, Escritorio = ?, Alta = ?, "
                       "Ultima = ? WHERE Login = ? AND ") +
            store::codigosFilter(),
        {intropass ? QString() : cambios.password, store::sqlValue(intropass),
         store::sqlValue(cambios.nomodpass && !intropass), cambios.escritorio, store::sqlValue(cambios.alta),
         store::sqlValue(cambios.ultima), login});
    return q.numRowsAffected() > 0;
}

bool eliminarCodigo(const QSqlDatabase& db, const QString& login, const station::LoginsInUse& inUse,
                    const QString& operatorName, const QDateTime& now) {
    // Logged in here, or at another console's station.
    if (inUse.contains(login) || store::loginEnUso(db, login))
        return false;
    store::Transaction tx(db);
    borrarAuditando(db, QStringLiteral("Login = ? AND ") + store::codigosFilter(), {login}, operatorName,
                    now);
    tx.commit();
    return true;
}

std::vector<store::Cuenta> buscarCodigos(const QSqlDatabase& db, const QString& typed, bool startsWith,
                                         const QString& orderBy) {
    QVariantList values;
    QString tail = QStringLiteral("WHERE ") +
                   condicionBusqueda(db, store::codigosFilter(),
                                     FiltroBusqueda{CampoBusqueda::Login, typed, startsWith}, values);
    const QString login = store::caseless(db, QStringLiteral("Login"));
    tail += QStringLiteral(" ORDER BY ") +
            (orderBy == QLatin1String("Login") ? login : orderBy + QStringLiteral(", ") + login);
    return store::select<store::Cuenta>(db, tail, values);
}

} // namespace accounts
