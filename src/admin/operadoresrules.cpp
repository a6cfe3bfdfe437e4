#include "admin/operadoresrules.h"

#include "admin/puestaenmarcha.h"
#include "store/cambios.h"
#include "store/sql.h"
#include "store/transaction.h"

namespace admin {

OperadorCheck comprobarOperador(const QSqlDatabase& db, const QString& name, const QString& password,
                                const QString& confirmation, bool adding) {
    if (name.trimmed().isEmpty())
        return {QStringLiteral("NombreVacio"), QStringLiteral("name")};
    if (adding && store::operadorPorNombre(db, name.trimmed()))
        return {QStringLiteral("NombreDuplicado"), QStringLiteral("name")};
    if (password != confirmation)
        return {QStringLiteral("Confirmacion"), QStringLiteral("password")};
    // A database the console made for itself never goes back to an open ADMIN.
    if (!adding && name.trimmed() == QLatin1String("ADMIN") && password.isEmpty() && creadaPorLaConsola(db))
        return {QStringLiteral("ClaveAdminVacia"), QStringLiteral("password")};
    return {};
}

Result<int> guardarOperador(const QSqlDatabase& db, const store::Operador& edited, bool adding) {
    try {
        if (adding) {
            store::Operador op = edited;
            op.NOMBRE = op.NOMBRE.trimmed();
            store::Transaction t(db);
            const int id = store::insertOperador(db, op);
            store::marcarCambio(db, store::Cambio::Operadores);
            t.commit();
            return id;
        }
        std::optional<store::Operador> stored;
        for (const store::Operador& o : store::operadores(db)) {
            if (o.ID == edited.ID)
                stored = o;
        }
        if (!stored)
            return Result<int>::failure(QStringLiteral("El operador ya no existe."));
        stored->PASS = edited.PASS;
        // The administrator keeps every permission, whatever the dialog held.
        if (!stored->isAdmin())
            stored->permisos = edited.permisos;
        store::Transaction t(db);
        store::updateOperador(db, *stored);
        store::marcarCambio(db, store::Cambio::Operadores);
        t.commit();
        return stored->ID;
    } catch (const store::DatabaseError& e) {
        return Result<int>::failure(e.text());
    }
}

bool puedeEliminarOperador(const store::Operador& op) {
    return !op.isAdmin();
}

Status eliminarOperador(const QSqlDatabase& db, const store::Operador& op) {
    if (!puedeEliminarOperador(op))
        return Status::failure(QStringLiteral("No se puede eliminar el usuario ADMIN"));
    try {
        store::Transaction t(db);
        store::run(db, QStringLiteral("DELETE FROM operadores WHERE ID = ?"), {op.ID});
        store::marcarCambio(db, store::Cambio::Operadores);
        t.commit();
    } catch (const store::DatabaseError& e) {
        return Status::failure(e.text());
    }
    return Status::success();
}

} // namespace admin
