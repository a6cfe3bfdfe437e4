#include "accounts/caducidad.h"
#include "accounts/cuentas.h"

#include "station/loginsinuse.h"
#include "store/consolas.h"
#include "store/dialect.h"
#include "store/rows.h"
#include "store/transaction.h"
#include "store/views.h"

namespace accounts {

ConfirmacionCaducidad confirmacionCodigos(const CaducidadCodigos& c) {
    const QString nulo = c.creditoNulo ? QStringLiteral("message_5") : QString();
    switch (c.criterio) {
    case CriterioCaducidad::Alta:
        return {QStringLiteral("message_2"), true, nulo};
    case CriterioCaducidad::Ultima:
        return {QStringLiteral("message_3"), true, nulo};
    case CriterioCaducidad::Ninguno:
        break;
    }
    if (c.creditoNulo)
        return {QStringLiteral("message_4"), false, QString()};
    return {QStringLiteral("CodigoEliminar"), false, QString()};
}

QStringList eliminarCodigosCaducados(const QSqlDatabase& db, const CaducidadCodigos& c,
                                     const station::LoginsInUse& inUse, const QString& operatorName,
                                     const QDateTime& now) {
    QStringList conditions;
    QVariantList values;
    if (c.criterio != CriterioCaducidad::Ninguno) {
        // Dates are stored as text in sortable form, so a date-only text
        // compares as midnight at the start of its day.
        conditions << (c.criterio == CriterioCaducidad::Alta ? QStringLiteral("Alta < ?")
                                                             : QStringLiteral("Ultima < ?"));
        values << store::sqlValue(c.fecha);
    }
    if (c.creditoNulo)
        conditions << QStringLiteral("COALESCE(Bonotiempo, 0) <= 0");
    if (conditions.isEmpty())
        return {};
    const QString where = store::codigosFilter() + QStringLiteral(" AND (") +
                          conditions.join(QStringLiteral(" OR ")) + QStringLiteral(")");
    store::Transaction t(db);
    QStringList busy;
    for (const store::Cuenta& code :
         store::select<store::Cuenta>(db,
                                      QStringLiteral("WHERE ") + where + QStringLiteral(" ORDER BY ") +
                                          store::caseless(db, QStringLiteral("Login")),
                                      values))
        if (inUse.contains(code.Login) || store::loginEnUso(db, code.Login))
            busy << code.Login;
    if (busy.isEmpty())
        borrarAuditando(db, where, values, operatorName, now);
    t.commit();
    return busy;
}

} // namespace accounts
