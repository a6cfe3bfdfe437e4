// One console's share of a busy hour on a shared database: top-ups, voucher
// sales, time-code top-ups and automatic code sales at the counter, and the
// settlements of use periods, all on the same few accounts that another
// console of the same database works on at the same time.
//
//   moneyrace DATABASE SEED ROUNDS
//
// Prints "DONE n" (n: automatic code sales, each one login counter step)
// once every round went through, or "FAIL text" at the first error.

#include "accounts/accountdecisions.h"
#include "accounts/codigos.h"
#include "accounts/movimientos.h"
#include "core/consolecontext.h"
#include "session/tarifas.h"
#include "station/loginsinuse.h"
#include "store/datamodule.h"
#include "store/sql.h"
#include "store/transaction.h"

#include <QCoreApplication>
#include <QRandomGenerator>

#include <cstdio>

namespace {

const QStringList MoneyAccounts{QStringLiteral("M1"), QStringLiteral("M2")};
const QStringList TimeAccounts{QStringLiteral("T1"), QStringLiteral("T2")};
const QStringList Codes{QStringLiteral("C1"), QStringLiteral("C2")};

store::Bono tenMinutes() {
    return store::Bono{QStringLiteral("B10"), QStringLiteral("BONO 10 MIN"), Currency::fromUnits(1), 10};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 4)
        return 2;
    TDataModule1 data;
    if (!data.open(QString::fromLocal8Bit(argv[1])))
        return 3;
    const QSqlDatabase db = data.db();
    QRandomGenerator random(QByteArray(argv[2]).toUInt());
    const int rounds = QByteArray(argv[3]).toInt();

    ConsoleContext context;
    context.data = &data;
    context.regional = Regional::spanishSpain();
    context.currentOperator = QStringLiteral("CAJA");
    ListaTarifas tarifas;
    station::LoginsInUse logins;
    accounts::AccountDecisions decisions(context, tarifas, logins, {});
    const auto pick = [&random](const QStringList& list) {
        return list.at(int(random.bounded(list.size())));
    };
    const QString op = context.currentOperator;

    int automatic = 0;
    try {
        for (int k = 0; k < rounds; ++k) {
            const QDateTime now = QDateTime::currentDateTime();
            switch (random.bounded(7)) {
            case 0: { // a money top-up at the counter
                accounts::Venta venta;
                venta.ticket = accounts::abrirVenta(db, op, now);
                venta.login = pick(MoneyAccounts);
                venta.descripcion = QStringLiteral("RECARGA");
                venta.precio = Currency::fromCents(100 + int(random.bounded(900)));
                const Currency remembered = store::toCurrency(store::scalar(
                    db, QStringLiteral("SELECT credito FROM cuentas WHERE Login = ?"), {venta.login}));
                if (!accounts::confirmarMetalico(db, venta, remembered, op, 0, nullptr).ok())
                    throw store::DatabaseError(QStringLiteral("top-up refused"));
                break;
            }
            case 1: { // a voucher sold to a time account
                const store::Bono bono = tenMinutes();
                accounts::Venta venta;
                venta.ticket = accounts::abrirVenta(db, op, now);
                venta.login = pick(TimeAccounts);
                venta.descripcion = bono.DESCRIPCION;
                venta.codigo = bono.CODIGO;
                venta.precio = bono.PRECIO;
                venta.minutos = bono.tiempo_bono;
                const int remembered = store::toInt(store::scalar(
                    db, QStringLiteral("SELECT Bonotiempo FROM cuentas WHERE Login = ?"), {venta.login}));
                if (!accounts::confirmarTiempo(db, venta, remembered, op, 0, nullptr).ok())
                    throw store::DatabaseError(QStringLiteral("voucher refused"));
                break;
            }
            case 2: { // time added to a code
                accounts::VentaCodigo venta;
                venta.login = pick(Codes);
                venta.bono = tenMinutes();
                if (!accounts::recargarCodigo(db, venta, op, 0, now).ok())
                    throw store::DatabaseError(QStringLiteral("code top-up refused"));
                break;
            }
            case 3: { // a code sold without a window: one login counter step
                const accounts::CodigoResultado sold = accounts::ventaAutomatica(db, random, op, now);
                if (!sold.ok() && sold.messageKey != QLatin1String("Código repetido"))
                    throw store::DatabaseError(QStringLiteral("automatic sale: ") + sold.messageKey);
                ++automatic;
                break;
            }
            default: { // the end of a use period, as the booking runs it
                const int kind = int(random.bounded(3));
                const QString login = pick(kind == 0 ? MoneyAccounts : kind == 1 ? TimeAccounts : Codes);
                const QString type = kind == 0   ? QStringLiteral("0")
                                     : kind == 1 ? QStringLiteral("2")
                                                 : QStringLiteral("9");
                store::Transaction tx(db);
                decisions.CerrarCuenta(login, 1 + int(random.bounded(20)), type, QString(),
                                       1 + int(random.bounded(60)),
                                       Currency::fromCents(1 + int(random.bounded(200))));
                tx.commit();
                break;
            }
            }
        }
    } catch (const store::DatabaseError& e) {
        std::printf("FAIL %s\n", qPrintable(e.text()));
        return 1;
    }
    std::printf("DONE %d\n", automatic);
    return 0;
}
