#include "sales/puntoventa.h"

#include "core/importes.h"
#include "sales/tickets.h"
#include "store/auditoriatexto.h"
#include "store/consolas.h"
#include "store/dialect.h"
#include "store/sql.h"
#include "store/transaction.h"

namespace sales {

std::optional<store::Articulo> articuloPorCodigo(const QSqlDatabase& db, const QString& code) {
    return store::selectOne<store::Articulo>(
        db, QStringLiteral("WHERE ") + store::equalsCaseless(db, QStringLiteral("CODIGO")), {QVariant(code)});
}

// The scratch record of the sale being entered: a row per console, so two
// counters never enter into each other's sale. A database from before the
// consoles has one row without a console, which the first console takes.
namespace {

// Never a null string: bound, that would be SQL's NULL and match nothing.
QString udartConsole(const QSqlDatabase& db) {
    const QString console = store::writingConsole(db);
    return console.isNull() ? QStringLiteral("") : console;
}

} // namespace

store::Udart readUdart(const QSqlDatabase& db) {
    const QString console = udartConsole(db);
    if (std::optional<store::Udart> own =
            store::selectOne<store::Udart>(db, QStringLiteral("WHERE COALESCE(CONSOLA, '') = ?"), {console}))
        return *own;
    return store::selectOne<store::Udart>(db, QStringLiteral("WHERE COALESCE(CONSOLA, '') = ''"))
        .value_or(store::Udart{});
}

void saveUdart(const QSqlDatabase& db, const store::Udart& udart) {
    const QString console = udartConsole(db);
    store::Udart own = udart;
    own.CONSOLA = console;
    store::Transaction tx(db);
    const auto count = [&](const QString& where, const QVariantList& values) {
        QSqlQuery q = store::run(db, QStringLiteral("SELECT COUNT(*) FROM udart WHERE ") + where, values);
        return q.next() ? store::toInt(q.value(0)) : 0;
    };
    if (count(QStringLiteral("COALESCE(CONSOLA, '') = ?"), {console}) > 0)
        store::update(db, own, QStringLiteral("COALESCE(CONSOLA, '') = ?"), {console});
    else if (!console.isEmpty() && count(QStringLiteral("COALESCE(CONSOLA, '') = ''"), {}) > 0)
        store::update(db, own, QStringLiteral("COALESCE(CONSOLA, '') = ''"), {});
    else
        store::insert(db, own);
    tx.commit();
}

store::Udart resetUdart(const QSqlDatabase& db, bool all) {
    store::Udart u = readUdart(db);
    u.ART.clear();
    u.UD = 0;
    u.IMP = Currency();
    u.PRE = Currency();
    if (all) {
        u.ENTREGADO = Currency();
        u.CAMBIO = Currency();
    }
    saveUdart(db, u);
    return u;
}

Currency importeLinea(Currency precio, double cantidad) {
    return Currency::roundHalfEven(static_cast<long double>(precio.raw()) *
                                   static_cast<long double>(cantidad));
}

std::optional<double> parseQuantity(const QString& text) {
    return leerCantidad(text);
}

store::Ticket nuevaVenta(const QSqlDatabase& db, const QString& operatorName, const QDateTime& now) {
    store::Ticket t;
    t.NPUESTO = 0;
    t.OPERADOR = operatorName;
    t.CONTA = true;
    return NuevoNumeroTicket(db, t, now);
}

QString anadirLinea(const QSqlDatabase& db, int idTick, const QString& code,
                    const std::optional<Reapertura>& reapertura) {
    store::Transaction tx(db);
    const store::Udart u = readUdart(db);
    if (u.ART.isEmpty())
        return QStringLiteral("NoDescripcion");
    if (!cantidadValida(u.UD))
        return QStringLiteral("CantidadNoValida");
    const std::optional<Currency> amount = importeLineaAcotado(u.UD, u.PRE);
    if (!u.PRE.withinMaxAmount() || !amount || !u.IMP.withinMaxAmount())
        return QStringLiteral("ImporteMaximo");
    store::LinTick line;
    line.ID_TICK = idTick;
    line.ARTICULO = u.ART;
    line.CANT = u.UD;
    line.PRECIO = u.PRE;
    line.IMPORTE = u.IMP;
    const auto articulo = articuloPorCodigo(db, code);
    // The article's own code, not the typed one: "cafe" and "CAFE" are one
    // article in the statistics.
    line.CODIGO = articulo ? articulo->CODIGO : code;
    line.IdTax = articulo ? articulo->IdTax : 0;
    // The total it had, read under a lock, for the trail of a reopened ticket.
    const std::optional<store::Ticket> before =
        reapertura ? store::selectOne<store::Ticket>(
                         db, QStringLiteral("WHERE ID_TICK = ?") + store::forUpdate(db), {idTick})
                   : std::nullopt;
    addLine(db, line);
    const Currency total = recomputeTotal(db, idTick);
    if (before)
        store::auditar(db, {reapertura->operador, store::accion::ModificarTicket,
                            QStringLiteral("Ticket ") + before->NUM_TICKET,
                            QStringLiteral("Total ") + store::importeAuditado(before->IMPORTE),
                            QStringLiteral("+ %1 x %2 %3\nTotal %4")
                                .arg(store::cantidadAuditada(line.CANT), line.ARTICULO,
                                     store::importeAuditado(line.IMPORTE), store::importeAuditado(total)),
                            reapertura->cuando});
    resetUdart(db, false);
    tx.commit();
    return QString();
}

void anotarCajonSinVenta(const QSqlDatabase& db, const QString& operatorName, const QDateTime& now) {
    store::Transaction tx(db);
    store::auditar(db, {operatorName, store::accion::AbrirCajon, QStringLiteral("Cajón"), QString(),
                        QStringLiteral("Abierto sin venta"), now});
    tx.commit();
}

std::optional<store::Ticket> moverTicket(const QSqlDatabase& db, int fromId, Paso paso) {
    switch (paso) {
    case Paso::Primero:
        return store::selectOne<store::Ticket>(db, QStringLiteral("ORDER BY ID_TICK LIMIT 1"));
    case Paso::Anterior:
        return store::selectOne<store::Ticket>(
            db, QStringLiteral("WHERE ID_TICK < ? ORDER BY ID_TICK DESC LIMIT 1"), {fromId});
    case Paso::Siguiente:
        return store::selectOne<store::Ticket>(
            db, QStringLiteral("WHERE ID_TICK > ? ORDER BY ID_TICK LIMIT 1"), {fromId});
    case Paso::Ultimo:
        break;
    }
    return store::selectOne<store::Ticket>(db, QStringLiteral("ORDER BY ID_TICK DESC LIMIT 1"));
}

namespace {

// Codes sort as their key compares them, letter case aside.
QString orden(const QSqlDatabase& db, CampoBusqueda campo) {
    return campo == CampoBusqueda::Codigo ? store::caseless(db, QStringLiteral("CODIGO"))
                                          : QStringLiteral("ARTICULO");
}

} // namespace

QString likePattern(const QString& text) {
    QString out;
    for (QChar c : text) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        out += c == QLatin1Char('*') ? QLatin1Char('%') : c;
    }
    return out;
}

std::vector<store::Articulo> buscarArticulos(const QSqlDatabase& db, CampoBusqueda campo, ModoBusqueda modo,
                                             const QString& text) {
    const QString column =
        campo == CampoBusqueda::Codigo ? QStringLiteral("CODIGO") : QStringLiteral("ARTICULO");
    if (text.isEmpty())
        return articulos(db, campo);
    const QString pattern = (modo == ModoBusqueda::Contiene ? QStringLiteral("%") : QString()) +
                            likePattern(text) + QStringLiteral("%");
    return store::select<store::Articulo>(db,
                                          QStringLiteral("WHERE ") + store::likeCaseless(db, column) +
                                              QStringLiteral(" ORDER BY ") + orden(db, campo),
                                          {pattern});
}

std::vector<store::Articulo> articulos(const QSqlDatabase& db, CampoBusqueda campo) {
    return store::select<store::Articulo>(db, QStringLiteral("ORDER BY ") + orden(db, campo));
}

ArticuloCheck checkArticulo(const QSqlDatabase& db, const QString& code, const QString& name, bool isNew) {
    if (code.isEmpty())
        return ArticuloCheck{QStringLiteral("DebeCodigo"), ArticuloCheck::Field::Codigo};
    if (name.isEmpty())
        return ArticuloCheck{QStringLiteral("DebeArticulo"), ArticuloCheck::Field::Articulo};
    if (isNew) {
        // In table order, code first then description, letter case ignored
        // (for the code, as the table's key ignores it).
        for (const store::Articulo& a : store::select<store::Articulo>(db, store::tableOrder())) {
            if (store::sameKey(a.CODIGO, code))
                return ArticuloCheck{QStringLiteral("CodigoRepetido"), ArticuloCheck::Field::Codigo};
            if (a.ARTICULO.compare(name, Qt::CaseInsensitive) == 0)
                return ArticuloCheck{QStringLiteral("ArticuloRepetido"), ArticuloCheck::Field::Articulo};
        }
    }
    return ArticuloCheck{};
}

namespace {

QString objetoArticulo(const QString& code) {
    return QStringLiteral("Artículo ") + code;
}

QList<store::ValorAuditado> camposArticulo(const QSqlDatabase& db, const store::Articulo& a) {
    return {{QStringLiteral("Artículo"), a.ARTICULO},
            {QStringLiteral("Precio"), store::importeAuditado(a.PRECIO)},
            {QStringLiteral("Impuesto"), store::nombreImpuesto(db, a.IdTax)}};
}

// The rows as they are before the change, held until it is written.
std::vector<store::Articulo> articulosParaCambiar(const QSqlDatabase& db, const QString& where,
                                                  const QVariantList& values) {
    return store::select<store::Articulo>(db, where + store::forUpdate(db), values);
}

// Every article of rows whose tax is not idTax gets it, each with its line.
void cambiarImpuesto(const QSqlDatabase& db, const std::vector<store::Articulo>& rows, int idTax,
                     const QString& operatorName, const QDateTime& now) {
    const QString despues = store::nombreImpuesto(db, idTax);
    for (const store::Articulo& a : rows) {
        if (a.IdTax == idTax)
            continue;
        store::auditar(db, {operatorName, store::accion::Articulo, objetoArticulo(a.CODIGO),
                            QStringLiteral("Impuesto: ") + store::nombreImpuesto(db, a.IdTax),
                            QStringLiteral("Impuesto: ") + despues, now});
    }
}

} // namespace

void addArticulo(const QSqlDatabase& db, const store::Articulo& articulo, const QString& operatorName,
                 const QDateTime& now) {
    store::Transaction tx(db);
    store::insert(db, articulo);
    store::auditar(db, {operatorName, store::accion::Articulo, objetoArticulo(articulo.CODIGO), QString(),
                        store::textoCampos(camposArticulo(db, articulo)), now});
    tx.commit();
}

void updateArticulo(const QSqlDatabase& db, const QString& code, Currency precio, int idTax,
                    const QString& operatorName, const QDateTime& now) {
    store::Transaction tx(db);
    for (const store::Articulo& before :
         articulosParaCambiar(db, QStringLiteral("WHERE CODIGO = ?"), {QVariant(code)})) {
        store::Articulo after = before;
        after.PRECIO = precio;
        after.IdTax = idTax;
        const QString changes = store::diferencias(camposArticulo(db, before), camposArticulo(db, after));
        if (!changes.isEmpty())
            store::auditar(db, {operatorName, store::accion::Articulo, objetoArticulo(before.CODIGO),
                                QString(), changes, now});
    }
    store::run(db, QStringLiteral("UPDATE articulos SET PRECIO = ?, IdTax = ? WHERE CODIGO = ?"),
               {store::sqlValue(precio), idTax, QVariant(code)});
    tx.commit();
}

void deleteArticulo(const QSqlDatabase& db, const QString& code, const QString& operatorName,
                    const QDateTime& now) {
    store::Transaction tx(db);
    for (const store::Articulo& before :
         articulosParaCambiar(db, QStringLiteral("WHERE CODIGO = ?"), {QVariant(code)}))
        store::auditar(db, {operatorName, store::accion::BorrarArticulo, objetoArticulo(before.CODIGO),
                            store::textoCampos(camposArticulo(db, before)), QString(), now});
    store::run(db, QStringLiteral("DELETE FROM articulos WHERE CODIGO = ?"), {QVariant(code)});
    tx.commit();
}

void CambiarIva(const QSqlDatabase& db, int idTax, const QString& operatorName, const QDateTime& now) {
    store::Transaction tx(db);
    cambiarImpuesto(db, articulosParaCambiar(db, store::tableOrder(), {}), idTax, operatorName, now);
    store::run(db, QStringLiteral("UPDATE articulos SET IdTax = ?"), {idTax});
    tx.commit();
}

void cambiarIvaDe(const QSqlDatabase& db, const QStringList& codes, int idTax, const QString& operatorName,
                  const QDateTime& now) {
    store::Transaction tx(db);
    for (const QString& code : codes) {
        cambiarImpuesto(db, articulosParaCambiar(db, QStringLiteral("WHERE CODIGO = ?"), {QVariant(code)}),
                        idTax, operatorName, now);
        store::run(db, QStringLiteral("UPDATE articulos SET IdTax = ? WHERE CODIGO = ?"),
                   {idTax, QVariant(code)});
    }
    tx.commit();
}

} // namespace sales
