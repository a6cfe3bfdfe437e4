#include "store/operadores.h"

#include "store/dialect.h"
#include "store/sql.h"

#include <QSqlRecord>

namespace store {

const QStringList& permisoColumns() {
    static const QStringList c{
        QStringLiteral("CONFPUE"),     QStringLiteral("CONFTAR"),     QStringLiteral("CONFFRA"),
        QStringLiteral("CONFBON"),     QStringLiteral("CONFTPV"),     QStringLiteral("CONFTIC"),
        QStringLiteral("CONFTUR"),     QStringLiteral("CONFOP"),      QStringLiteral("CUEADD"),
        QStringLiteral("CUEMOD"),      QStringLiteral("CUEELI"),      QStringLiteral("CUECRE"),
        QStringLiteral("CUETAR"),      QStringLiteral("APAGA1"),      QStringLiteral("APAGA2"),
        QStringLiteral("APAGA3"),      QStringLiteral("APAGA4"),      QStringLiteral("APAGATODOS"),
        QStringLiteral("DESACTIVA"),   QStringLiteral("ACTIVA"),      QStringLiteral("VENTATPV"),
        QStringLiteral("LISTADO1"),    QStringLiteral("LISTADO2"),    QStringLiteral("LISTADO3"),
        QStringLiteral("LISTADO4"),    QStringLiteral("INFORME1"),    QStringLiteral("INFORME2"),
        QStringLiteral("INFORME3"),    QStringLiteral("INFORME4"),    QStringLiteral("INFORME5"),
        QStringLiteral("CONFIMP"),     QStringLiteral("CONFLOGS"),    QStringLiteral("IMPLOGPAS"),
        QStringLiteral("IMPLOGPAS_1"), QStringLiteral("MODFECHACAD"), QStringLiteral("AUDITORIA"),
        QStringLiteral("ACCESOWEB"),
    };
    return c;
}

QString permisoColumn(Permiso p) {
    return permisoColumns().at(static_cast<int>(p));
}

namespace {

QString selectSql() {
    return QStringLiteral("SELECT ID, NOMBRE, PASS, ") + permisoColumns().join(QStringLiteral(", ")) +
           QStringLiteral(" FROM operadores");
}

Operador fromRecord(const QSqlRecord& rec) {
    Operador op;
    op.ID = toInt(rec.value(0));
    op.NOMBRE = toText(rec.value(1));
    op.PASS = toText(rec.value(2));
    for (int i = 0; i < PermisoCount; ++i)
        op.permisos[i] = toBool(rec.value(3 + i));
    return op;
}

QVariantList permisoValues(const Operador& op) {
    QVariantList v;
    for (bool b : op.permisos)
        v << sqlValue(b);
    return v;
}

} // namespace

std::vector<Operador> operadores(const QSqlDatabase& db) {
    QSqlQuery q = run(db, selectSql() + QStringLiteral(" ORDER BY ID"));
    std::vector<Operador> list;
    while (q.next())
        list.push_back(fromRecord(q.record()));
    return list;
}

std::optional<Operador> operadorPorNombre(const QSqlDatabase& db, const QString& name) {
    // Compared in C++ so that the one case rule holds whatever the column's
    // collation: ASCII letters fold, Ñ and ñ are two operators.
    for (Operador& op : operadores(db)) {
        if (sameKey(op.NOMBRE, name))
            return op;
    }
    return std::nullopt;
}

int insertOperador(const QSqlDatabase& db, const Operador& op) {
    QStringList marks;
    for (int i = 0; i < PermisoCount + 2; ++i)
        marks << QStringLiteral("?");
    QVariantList values{op.NOMBRE, op.PASS};
    values << permisoValues(op);
    QSqlQuery q = run(db,
                      QStringLiteral("INSERT INTO operadores (NOMBRE, PASS, ") +
                          permisoColumns().join(QStringLiteral(", ")) + QStringLiteral(") VALUES (") +
                          marks.join(QStringLiteral(", ")) + QStringLiteral(") RETURNING ID"),
                      values);
    return q.next() ? q.value(0).toInt() : 0;
}

void updateOperador(const QSqlDatabase& db, const Operador& op) {
    QStringList sets{QStringLiteral("NOMBRE = ?"), QStringLiteral("PASS = ?")};
    for (const QString& c : permisoColumns())
        sets << c + QStringLiteral(" = ?");
    QVariantList values{op.NOMBRE, op.PASS};
    values << permisoValues(op) << op.ID;
    run(db,
        QStringLiteral("UPDATE operadores SET ") + sets.join(QStringLiteral(", ")) +
            QStringLiteral(" WHERE ID = ?"),
        values);
}

} // namespace store
