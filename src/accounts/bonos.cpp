#include "accounts/bonos.h"

#include "core/importes.h"
#include "store/cambios.h"
#include "store/dialect.h"
#include "store/sql.h"
#include "store/transaction.h"

#include <vector>

namespace accounts {

const ui::MessageTable& bonoMessages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Warning")},
        {"IntroducirCodigo", QStringLiteral("Debe introducir código "), QStringLiteral("Enter a code ")},
        {"IntroducirDes", QStringLiteral("Debe introducir descripción"),
         QStringLiteral("Enter a description")},
        {"PrecioMayor", QStringLiteral("Debe introducir un precio mayor que 0"),
         QStringLiteral("Enter a price greater than 0")},
        {"TiempoMayor", QStringLiteral("Debe introducir un tiempo mayor que 0"),
         QStringLiteral("Enter a time greater than 0")},
        {"CodigoExiste", QStringLiteral("Este código ya está introducido"),
         QStringLiteral("This code already exists")},
        {"DescripcionExiste", QStringLiteral("Esta descripción ya está introducida"),
         QStringLiteral("This description already exists")},
        {"CodigoDup", QStringLiteral("Código duplicado..."), QStringLiteral("Duplicate code...")},
        mensajeImporteMaximo(),
    };
    return table;
}

const ui::MessageTable& recargaMessages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Warning")},
        {"Codigo", QStringLiteral("Debe introducir código "), QStringLiteral("Enter a code ")},
        {"Descripcion", QStringLiteral("Dede introducir descripción"), QStringLiteral("Enter a description")},
        {"Importe", QStringLiteral("Debe introducir un importe mayor que 0"),
         QStringLiteral("Enter an amount greater than 0")},
        {"CodigoExiste", QStringLiteral("Este código ya está introducido"),
         QStringLiteral("This code already exists")},
        {"DescripcionExiste", QStringLiteral("Esta descripción ya está introducida"),
         QStringLiteral("This description already exists")},
        {"CodigoDup", QStringLiteral("Código duplicado..."), QStringLiteral("Duplicate code...")},
        mensajeImporteMaximo(),
    };
    return table;
}

const ui::MessageTable& bonosPageMessages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Warning")},
        {"Eliminar", QStringLiteral("¿Eliminar el registro seleccionado?"),
         QStringLiteral("Delete the selected record?")},
    };
    return table;
}

QString tiempoBonoStr(int minutes) {
    const qint64 seconds = qint64(minutes) * 60;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

namespace {

struct Keys {
    const char* codigo;
    const char* descripcion;
    const char* precio;
};

// Checks 1 to 3 and 5; vouchers add their time check between them.
template <class Row>
EdicionOutcome comprobar(const QSqlDatabase& db, const BonoEntrada& e, bool nuevo, const Keys& keys,
                         bool conTiempo) {
    if (e.codigo.isEmpty())
        return EdicionOutcome::refused(QString::fromLatin1(keys.codigo), QStringLiteral("codigo"));
    if (e.descripcion.isEmpty())
        return EdicionOutcome::refused(QString::fromLatin1(keys.descripcion), QStringLiteral("descripcion"));
    if (!e.precio || e.precio->raw() <= 0)
        return EdicionOutcome::refused(QString::fromLatin1(keys.precio), QStringLiteral("precio"));
    if (conTiempo && (e.horas < 0 || e.minutos < 0 || e.horas > MaxBonoHours || e.minutos > 59 ||
                      e.horas + e.minutos <= 0))
        return EdicionOutcome::refused(QStringLiteral("TiempoMayor"), QStringLiteral("horas"));
    if (nuevo) {
        const QString descripcion = e.descripcion.toUpper();
        for (const Row& r : store::select<Row>(db, store::tableOrder())) {
            // As the table's key compares codes.
            if (store::sameKey(r.CODIGO, e.codigo))
                return EdicionOutcome::refused(QStringLiteral("CodigoExiste"), QStringLiteral("codigo"));
            if (r.DESCRIPCION.toUpper() == descripcion)
                return EdicionOutcome::refused(QStringLiteral("DescripcionExiste"),
                                               QStringLiteral("descripcion"));
        }
    }
    return EdicionOutcome::done();
}

template <class Row> EdicionOutcome insertar(const QSqlDatabase& db, const Row& row) {
    try {
        // A savepoint of its own: a refused row leaves the caller's transaction usable.
        store::Transaction tx(db);
        store::insert(db, row);
        store::marcarCambio(db, store::Cambio::Bonos);
        tx.commit();
    } catch (const store::DatabaseError&) {
        // The table's own key refused it (a code the checks did not see as equal).
        if (store::toInt(store::scalar(db,
                                       QStringLiteral("SELECT COUNT(*) FROM ") + Row::table() +
                                           QStringLiteral(" WHERE ") +
                                           store::equalsCaseless(db, QStringLiteral("CODIGO")),
                                       {row.CODIGO})) > 0)
            return EdicionOutcome::refused(QStringLiteral("CodigoDup"), QStringLiteral("codigo"));
        throw;
    }
    return EdicionOutcome::done();
}

} // namespace

EdicionOutcome guardarBono(const QSqlDatabase& db, const BonoEntrada& e, bool nuevo) {
    const EdicionOutcome checked =
        comprobar<store::Bono>(db, e, nuevo, Keys{"IntroducirCodigo", "IntroducirDes", "PrecioMayor"}, true);
    if (!checked.ok())
        return checked;
    const int tiempo = e.horas * 60 + e.minutos;
    if (nuevo)
        return insertar(db, store::Bono{e.codigo, e.descripcion, *e.precio, tiempo});
    store::Transaction tx(db);
    store::run(db, QStringLiteral("UPDATE bonos SET PRECIO = ?, tiempo_bono = ? WHERE CODIGO = ?"),
               {store::sqlValue(*e.precio), tiempo, e.codigo});
    store::marcarCambio(db, store::Cambio::Bonos);
    tx.commit();
    return EdicionOutcome::done();
}

EdicionOutcome guardarRecarga(const QSqlDatabase& db, const BonoEntrada& e, bool nuevo) {
    const EdicionOutcome checked =
        comprobar<store::Recarga>(db, e, nuevo, Keys{"Codigo", "Descripcion", "Importe"}, false);
    if (!checked.ok())
        return checked;
    if (nuevo)
        return insertar(db, store::Recarga{e.codigo, e.descripcion, *e.precio});
    store::Transaction tx(db);
    store::run(db, QStringLiteral("UPDATE recargas SET PRECIO = ? WHERE CODIGO = ?"),
               {store::sqlValue(*e.precio), e.codigo});
    store::marcarCambio(db, store::Cambio::Bonos);
    tx.commit();
    return EdicionOutcome::done();
}

void borrarBono(const QSqlDatabase& db, const QString& codigo) {
    store::Transaction tx(db);
    store::run(db, QStringLiteral("DELETE FROM bonos WHERE CODIGO = ?"), {codigo});
    store::marcarCambio(db, store::Cambio::Bonos);
    tx.commit();
}

void borrarRecarga(const QSqlDatabase& db, const QString& codigo) {
    store::Transaction tx(db);
    store::run(db, QStringLiteral("DELETE FROM recargas WHERE CODIGO = ?"), {codigo});
    store::marcarCambio(db, store::Cambio::Bonos);
    tx.commit();
}

std::vector<store::Bono> bonosEnOrden(const QSqlDatabase& db) {
    return store::select<store::Bono>(db, store::tableOrder());
}

std::vector<store::Recarga> recargasEnOrden(const QSqlDatabase& db) {
    return store::select<store::Recarga>(db, store::tableOrder());
}

} // namespace accounts
