#include "accounts/cambioscuentas.h"

#include "store/sql.h"
#include "store/transaction.h"
#include "store/views.h"

namespace accounts {

namespace {

QString filtro(Ambito ambito) {
    return ambito == Ambito::Codigos ? store::codigosFilter() : store::cuentasFilter();
}

} // namespace

void aplicarEscritorio(const QSqlDatabase& db, Ambito ambito, int escritorio, const Destino& destino) {
    store::Transaction t(db);
    const QString update = QStringLiteral("UPDATE cuentas SET Escritorio = ? WHERE ") + filtro(ambito);
    if (destino.todas) {
        store::run(db, update, {escritorio});
    } else {
        for (const QString& login : destino.logins)
            store::run(db, update + QStringLiteral(" AND Login = ?"), {escritorio, login});
    }
    t.commit();
}

QString aplicarTarifa(const QSqlDatabase& db, const QString& actual, const QString& tipo,
                      const QString& tarifa, const Destino& destino) {
    const bool porTarifa = tipo == QLatin1String("0");
    if (porTarifa && tarifa.trimmed().isEmpty())
        return QStringLiteral("SeleccionarTarifa");
    const QString nombre = porTarifa ? tarifa : QString();
    const QString update =
        QStringLiteral("UPDATE cuentas SET Tipo = ?, Tarifa = ? WHERE ") + store::cuentasFilter();
    store::Transaction t(db);
    if (!actual.isEmpty())
        store::run(db, update + QStringLiteral(" AND Login = ?"), {tipo, nombre, actual});
    if (destino.todas) {
        store::run(db, update, {tipo, nombre});
    } else {
        for (const QString& login : destino.logins)
            if (login != actual)
                store::run(db, update + QStringLiteral(" AND Login = ?"), {tipo, nombre, login});
    }
    t.commit();
    return {};
}

} // namespace accounts
