#include "sales/turnos.h"

#include "store/dialect.h"
#include "store/sql.h"

namespace sales {

std::vector<store::Turno> turnos(const QSqlDatabase& db) {
    // In the order they were added: a server keeps no order of its own.
    std::vector<store::Turno> rows = store::select<store::Turno>(db, store::tableOrder());
    if (rows.size() > size_t(turnosShown))
        rows.resize(size_t(turnosShown));
    return rows;
}

QString addTurno(const QSqlDatabase& db, const store::Turno& turno) {
    if (turno.TURNO.isEmpty())
        return QStringLiteral("FaltaNombre");
    // Every row counts, also those past the first ten.
    for (const store::Turno& t : store::select<store::Turno>(db, store::tableOrder())) {
        if (t.TURNO.compare(turno.TURNO, Qt::CaseInsensitive) == 0)
            return QStringLiteral("TurnoRepetido");
    }
    store::insert(db, turno);
    return {};
}

void modifyTurno(const QSqlDatabase& db, const store::Turno& turno) {
    store::run(db, QStringLiteral("UPDATE turnos SET HORA_INI = ?, HORA_FIN = ? WHERE TURNO = ?"),
               {store::sqlValue(turno.HORA_INI), store::sqlValue(turno.HORA_FIN), turno.TURNO});
}

void deleteTurno(const QSqlDatabase& db, const QString& name) {
    store::run(db, QStringLiteral("DELETE FROM turnos WHERE TURNO = ?"), {name});
}

const ui::MessageTable& turnoMessages() {
    static const ui::MessageTable table{
        {"FaltaNombre", QStringLiteral("Falta nombre de turno."),
         QStringLiteral("The shift name is missing.")},
        {"TurnoRepetido", QStringLiteral("Nombre de turno ya introducido"),
         QStringLiteral("This shift name has already been input ")},
        {"BorrarTurno", QStringLiteral("Se eliminará el turno seleccionado ¿Continuar?"), QString()},
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
    };
    return table;
}

} // namespace sales
