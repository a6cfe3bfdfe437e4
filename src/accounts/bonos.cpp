#include "accounts/bonos.h"

#include "core/importes.h"
#include "store/auditoriatexto.h"
#include "store/cambios.h"
#include "store/consolas.h"
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

QList<store::ValorAuditado> campos(const store::Bono& b) {
    return {{QStringLiteral("Descripción"), b.DESCRIPCION},
            {QStringLiteral("Precio"), store::importeAuditado(b.PRECIO)},
            {QStringLiteral("Tiempo"), tiempoBonoStr(b.tiempo_bono)}};
}

QList<store::ValorAuditado> campos(const store::Recarga& r) {
    return {{QStringLiteral("Descripción"), r.DESCRIPCION},
            {QStringLiteral("Precio"), store::importeAuditado(r.PRECIO)}};
}

QString objeto(const store::Bono& b) {
    return QStringLiteral("Bono ") + b.CODIGO;
}

QString objeto(const store::Recarga& r) {
    return QStringLiteral("Recarga ") + r.CODIGO;
}

template <class Row>
void auditar(const QSqlDatabase& db, const QString& operatorName, const Row& row, const QString& antes,
             const QString& despues) {
    store::auditar(db, {operatorName, store::accion::Bono, objeto(row), antes, despues, {}});
}

// The stored row of code, locked until the change is written.
template <class Row> std::optional<Row> paraCambiar(const QSqlDatabase& db, const QString& codigo) {
    return store::selectOne<Row>(db, QStringLiteral("WHERE CODIGO = ?") + store::forUpdate(db), {codigo});
}

// The new values of the row of code, with its line when something changed.
template <class Row>
void modificar(const QSqlDatabase& db, const Row& changed, const QString& operatorName, const QString& sql,
               const QVariantList& values) {
    store::Transaction tx(db);
    if (const std::optional<Row> before = paraCambiar<Row>(db, changed.CODIGO)) {
        Row after = changed;
        after.DESCRIPCION = before->DESCRIPCION;
        const QString changes = store::diferencias(campos(*before), campos(after));
        if (!changes.isEmpty())
            auditar(db, operatorName, *before, QString(), changes);
    }
    store::run(db, sql, values);
    store::marcarCambio(db, store::Cambio::Bonos);
    tx.commit();
}

template <class Row> void borrar(const QSqlDatabase& db, const QString& codigo, const QString& operatorName) {
    store::Transaction tx(db);
    if (const std::optional<Row> before = paraCambiar<Row>(db, codigo))
        auditar(db, operatorName, *before, store::textoCampos(campos(*before)), QString());
    store::run(db, QStringLiteral("DELETE FROM ") + Row::table() + QStringLiteral(" WHERE CODIGO = ?"),
               {codigo});
    store::marcarCambio(db, store::Cambio::Bonos);
    tx.commit();
}

template <class Row>
EdicionOutcome insertar(const QSqlDatabase& db, const Row& row, const QString& operatorName) {
    try {
        // A savepoint of its own: a refused row leaves the caller's transaction usable.
        store::Transaction tx(db);
        store::insert(db, row);
        auditar(db, operatorName, row, QString(), store::textoCampos(campos(row)));
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

EdicionOutcome guardarBono(const QSqlDatabase& db, const BonoEntrada& e, bool nuevo,
                           const QString& operatorName) {
    const EdicionOutcome checked =
        comprobar<store::Bono>(db, e, nuevo, Keys{"IntroducirCodigo", "IntroducirDes", "PrecioMayor"}, true);
    if (!checked.ok())
        return checked;
    const int tiempo = e.horas * 60 + e.minutos;
    const store::Bono row{e.codigo, e.descripcion, *e.precio, tiempo};
    if (nuevo)
        return insertar(db, row, operatorName);
    modificar(db, row, operatorName,
              QStringLiteral("UPDATE bonos SET PRECIO = ?, tiempo_bono = ? WHERE CODIGO = ?"),
              {store::sqlValue(*e.precio), tiempo, e.codigo});
    return EdicionOutcome::done();
}

EdicionOutcome guardarRecarga(const QSqlDatabase& db, const BonoEntrada& e, bool nuevo,
                              const QString& operatorName) {
    const EdicionOutcome checked =
        comprobar<store::Recarga>(db, e, nuevo, Keys{"Codigo", "Descripcion", "Importe"}, false);
    if (!checked.ok())
        return checked;
    const store::Recarga row{e.codigo, e.descripcion, *e.precio};
    if (nuevo)
        return insertar(db, row, operatorName);
    modificar(db, row, operatorName, QStringLiteral("UPDATE recargas SET PRECIO = ? WHERE CODIGO = ?"),
              {store::sqlValue(*e.precio), e.codigo});
    return EdicionOutcome::done();
}

void borrarBono(const QSqlDatabase& db, const QString& codigo, const QString& operatorName) {
    borrar<store::Bono>(db, codigo, operatorName);
}

void borrarRecarga(const QSqlDatabase& db, const QString& codigo, const QString& operatorName) {
    borrar<store::Recarga>(db, codigo, operatorName);
}

std::vector<store::Bono> bonosEnOrden(const QSqlDatabase& db) {
    return store::select<store::Bono>(db, store::tableOrder());
}

std::vector<store::Recarga> recargasEnOrden(const QSqlDatabase& db) {
    return store::select<store::Recarga>(db, store::tableOrder());
}

} // namespace accounts
