#include "accounts/modcuenta.h"

#include "accounts/accountdecisions.h"
#include "accounts/creditoenpuesto.h"
#include "session/tarifas.h"
#include "store/dialect.h"
#include "store/sql.h"
#include "store/transaction.h"

namespace accounts {

std::vector<ModoTarifa> modosTarifa(const ListaTarifas& tarifas) {
    std::vector<ModoTarifa> modos{
        {QStringLiteral("Crédito de tiempo consumiendo BONOS DE TIEMPO"), QStringLiteral("2"),
         QStringLiteral("BONO TIEMPO")},
        {QStringLiteral("Crédito metálico SEGUN TARIFA DE FRANJAS HORARIAS"), QStringLiteral("1"),
         QStringLiteral("FRANJA HORARIA")},
    };
    for (int i = 0; i < tarifas.size(); ++i)
        modos.push_back({QStringLiteral("Crédito metálico con tarifa ") + tarifas.at(i).name,
                         QStringLiteral("0"), tarifas.at(i).name});
    return modos;
}

int indiceModo(const std::vector<ModoTarifa>& modos, const QString& tipo, const QString& tarifa) {
    for (size_t i = 0; i < modos.size(); ++i) {
        if (modos[i].tipo != tipo)
            continue;
        // Only the own-tariff mode is told apart by its tariff.
        if (tipo != QLatin1String("0") || modos[i].tarifa == tarifa)
            return int(i);
    }
    return -1;
}

namespace {

bool loginUsado(const QSqlDatabase& db, const QString& login) {
    return store::toInt(store::scalar(db,
                                      QStringLiteral("SELECT COUNT(*) FROM cuentas WHERE ") +
                                          store::equalsCaseless(db, QStringLiteral("Login")),
                                      {login})) > 0;
}

} // namespace

QString comprobarCuenta(const QSqlDatabase& db, const store::Cuenta& cuenta, const QString& passwordRepeat,
                        bool checkDuplicate) {
    if (cuenta.Login.trimmed().isEmpty())
        return QStringLiteral("MensajeCuenta");
    if (cuenta.Login.size() > MaxLoginLength)
        return QStringLiteral("LoginLargo");
    if (cuenta.Tipo.isEmpty())
        return QStringLiteral("NoTarifa");
    if (cuenta.Tipo == QLatin1String("1") &&
        store::toInt(store::scalar(db, QStringLiteral("SELECT COUNT(*) FROM tarifas"))) == 0)
        return QStringLiteral("noTarifa1");
    if (checkDuplicate && loginUsado(db, cuenta.Login))
        return QStringLiteral("cuentaexiste");
    if (cuenta.Pass != passwordRepeat)
        return QStringLiteral("RepetirPass");
    return {};
}

ModResultado guardarCuentaModificada(const QSqlDatabase& db, const QString& originalLogin,
                                     store::Cuenta cuenta, const QString& passwordRepeat, CreditSync* sync) {
    cuenta.Login = cuenta.Login.trimmed().toUpper();
    // A change of letter case alone keeps the row's own login.
    const bool renamed = !store::sameKey(cuenta.Login, originalLogin);
    ModResultado result;
    result.messageKey = comprobarCuenta(db, cuenta, passwordRepeat, renamed);
    if (!result.ok())
        return result;
    if (cuenta.email.isEmpty())
        cuenta.email = QStringLiteral("     ");

    store::Transaction tx(db);
    const QSqlQuery q = store::run(
        db,
        QStringLiteral("UPDATE cuentas SET Login = ?, Pass = ?, Nombre = ?, Dir = ?, email = ?, Telf = ?, "
                       "Ultima = ?, Alta = ?, Descuento = ?, Desactivada = ?, Nomodpass = ?, Intropass = ?, "
                       "Bloquear = ?, Tipo = ?, Tarifa = ?, Observaciones = ?, CheckAviso = ?, Aviso = ?, "
                       "Escritorio = ? WHERE Login = ?"),
        {cuenta.Login,
         cuenta.Pass,
         cuenta.Nombre,
         cuenta.Dir,
         cuenta.email,
         cuenta.Telf,
         store::sqlValue(cuenta.Ultima),
         store::sqlValue(cuenta.Alta),
         cuenta.Descuento,
         store::sqlValue(cuenta.Desactivada),
         store::sqlValue(cuenta.Nomodpass),
         store::sqlValue(cuenta.Intropass),
         store::sqlValue(cuenta.Bloquear),
         cuenta.Tipo,
         cuenta.Tarifa,
         cuenta.Observaciones,
         store::sqlValue(cuenta.CheckAviso),
         cuenta.Aviso,
         cuenta.Escritorio,
         originalLogin});
    if (q.numRowsAffected() != 1) {
        result.messageKey = QStringLiteral("CuentaNoExiste");
        return result;
    }
    result.cuenta =
        store::select<store::Cuenta>(db, QStringLiteral("WHERE Login = ?"), {QVariant(cuenta.Login)}).at(0);
    escribirCreditoEnPuesto(sync, db, result.cuenta);
    tx.commit();
    aplicarCreditoEnPuesto(sync, result.cuenta);
    return result;
}

} // namespace accounts
