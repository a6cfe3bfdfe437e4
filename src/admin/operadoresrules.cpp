#include "admin/operadoresrules.h"

#include "admin/puestaenmarcha.h"
#include "store/auditoria.h"
#include "store/auditoriatexto.h"
#include "store/cambios.h"
#include "store/claves.h"
#include "store/sql.h"
#include "store/transaction.h"

namespace admin {

namespace {

QString objeto(const store::Operador& op) {
    return QStringLiteral("Operador ") + op.NOMBRE;
}

QList<store::ValorAuditado> permisosComoValores(const store::Operador& op) {
    QList<store::ValorAuditado> values;
    for (int i = 0; i < store::PermisoCount; ++i)
        values.push_back({store::permisoColumns().at(i), store::valorAuditado(op.permisos[size_t(i)])});
    return values;
}

} // namespace

QString permisosAuditados(const store::Operador& op) {
    QStringList granted;
    for (int i = 0; i < store::PermisoCount; ++i) {
        if (op.permisos[size_t(i)])
            granted << store::permisoColumns().at(i);
    }
    return QStringLiteral("Permisos: ") +
           (granted.isEmpty() ? QStringLiteral("ninguno") : granted.join(QStringLiteral(", ")));
}

OperadorCheck comprobarOperador(const QSqlDatabase& db, const QString& name, const QString& password,
                                const QString& confirmation, bool adding) {
    if (name.trimmed().isEmpty())
        return {QStringLiteral("NombreVacio"), QStringLiteral("name")};
    if (adding && store::operadorPorNombre(db, name.trimmed()))
        return {QStringLiteral("NombreDuplicado"), QStringLiteral("name")};
    if (password != confirmation)
        return {QStringLiteral("Confirmacion"), QStringLiteral("password")};
    // A database the console made for itself never goes back to an open
    // ADMIN: empty boxes keep the password ADMIN has, and it must have one.
    if (!adding && name.trimmed() == QLatin1String("ADMIN") && password.isEmpty() && creadaPorLaConsola(db) &&
        adminSinClave(db))
        return {QStringLiteral("ClaveAdminVacia"), QStringLiteral("password")};
    return {};
}

Result<int> guardarOperador(const QSqlDatabase& db, const store::Operador& edited, const QString& clave,
                            bool adding, const Autor& autor) {
    try {
        if (adding) {
            store::Operador op = edited;
            op.NOMBRE = op.NOMBRE.trimmed();
            op.PASS = store::claveProtegida(clave);
            store::Transaction t(db);
            const int id = store::insertOperador(db, op);
            store::auditar(db, store::EntradaAuditoria{
                                   autor.operador, store::accion::Operador, objeto(op), QString(),
                                   QStringLiteral("Alta\n") + permisosAuditados(op) +
                                       (op.PASS.isEmpty() ? QStringLiteral("\nSin contraseña") : QString()),
                                   autor.cuando});
            store::marcarCambio(db, store::Cambio::Operadores);
            t.commit();
            return id;
        }
        // Hashed before the transaction: it takes a tenth of a second.
        const QString hashed = store::claveProtegida(clave);
        store::Transaction t(db);
        std::optional<store::Operador> stored;
        for (const store::Operador& o : store::operadores(db)) {
            if (o.ID == edited.ID)
                stored = o;
        }
        if (!stored)
            return Result<int>::failure(QStringLiteral("El operador ya no existe."));
        const store::Operador before = *stored;
        // Empty boxes keep the stored password: the window never shows it.
        if (!hashed.isEmpty())
            stored->PASS = hashed;
        // The administrator keeps every permission, whatever the dialog held.
        if (!stored->isAdmin())
            stored->permisos = edited.permisos;
        QStringList changes;
        if (!hashed.isEmpty())
            changes << QStringLiteral("Contraseña cambiada");
        const QString permisos =
            store::diferencias(permisosComoValores(before), permisosComoValores(*stored));
        if (!permisos.isEmpty())
            changes << permisos;
        store::updateOperador(db, *stored);
        if (!changes.isEmpty())
            store::auditar(db,
                           store::EntradaAuditoria{autor.operador, store::accion::Operador, objeto(*stored),
                                                   QString(), changes.join(QLatin1Char('\n')), autor.cuando});
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

Status eliminarOperador(const QSqlDatabase& db, const store::Operador& op, const Autor& autor) {
    if (!puedeEliminarOperador(op))
        return Status::failure(QStringLiteral("No se puede eliminar el usuario ADMIN"));
    try {
        store::Transaction t(db);
        const QSqlQuery q = store::run(db, QStringLiteral("DELETE FROM operadores WHERE ID = ?"), {op.ID});
        if (q.numRowsAffected() > 0)
            store::auditar(db, store::EntradaAuditoria{autor.operador, store::accion::Operador, objeto(op),
                                                       permisosAuditados(op), QStringLiteral("Borrado"),
                                                       autor.cuando});
        store::marcarCambio(db, store::Cambio::Operadores);
        t.commit();
    } catch (const store::DatabaseError& e) {
        return Status::failure(e.text());
    }
    return Status::success();
}

} // namespace admin
