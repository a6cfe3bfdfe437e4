// A day at the counter played as fast as the database allows, until the
// process is killed: opens (counter, prepaid, account), closes, increases,
// exchanges, prepaid expiries and credit exhaustion on a fake clock, with the
// saves in between. The kill test restarts it on the same database after
// every SIGKILL and checks that each period is booked exactly once.
//
//   crashday DATABASE SEED JOURNAL
//
// Every period carries its own identity: an anonymous one in its tariff name
// (an unknown tariff prices at 0, which is all the test needs), an account
// one in its login. JOURNAL receives "O id" once a period is in the database.

#include "core/consolecontext.h"
#include "session/engine.h"
#include "store/datamodule.h"
#include "store/sql.h"
#include "store/transaction.h"

#include <QCoreApplication>

#include <cstdio>
#include <random>

namespace {

// Stands in for the account settlement: one row per settled period, written
// inside the booking's transaction.
class Settlements final : public station::LinkDecisions {
public:
    explicit Settlements(QSqlDatabase db)
        : m_db(std::move(db)) {}
    int CheckStationLogin(TPuestos&, const QString&) override { return 2; }
    QString ChangeStationPassword(const QString&, const QString&) override { return QStringLiteral("0"); }
    void CerrarCuenta(const QString& login, int, const QString&, const QString&, int seconds,
                      Currency cost) override {
        store::Transaction tx(m_db);
        store::run(m_db,
                   QStringLiteral("INSERT INTO crash_cuentas (login, segundos, coste) VALUES (?, ?, ?)"),
                   {login, seconds, store::sqlValue(cost)});
        tx.commit();
    }

private:
    QSqlDatabase m_db;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 4)
        return 2;
    TDataModule1 data;
    if (!data.open(QString::fromLocal8Bit(argv[1])))
        return 3;
    const unsigned seed = unsigned(QByteArray(argv[2]).toUInt());
    std::FILE* journal = std::fopen(argv[3], "a");
    if (!journal)
        return 5;
    store::run(data.db(), QStringLiteral("CREATE TABLE IF NOT EXISTS crash_cuentas (login TEXT, segundos "
                                         "INTEGER, coste INTEGER)"));

    FakeClock clock(QDateTime(QDate(2026, 3, 10), QTime(8, 0)).addSecs(qint64(seed) * 600));
    ConsoleContext context;
    context.data = &data;
    context.clock = &clock;
    context.currentOperator = QStringLiteral("CAJA");
    context.settings.roundingUnit = Currency::fromCents(5);
    ConsoleEngine engine(context);
    Settlements settlements(data.db());
    engine.setAccountDecisions(&settlements);
    if (!engine.cargarTarifas() || !engine.puestos().CargarPuestos(nullptr))
        return 4;
    ListaPuestos& puestos = engine.puestos();

    std::mt19937 rng(seed);
    const auto rnd = [&](int n) { return int(rng() % unsigned(n)); };
    const auto opened = [&](const QString& id) {
        std::fprintf(journal, "O %s\n", qPrintable(id));
        std::fflush(journal);
    };
    std::printf("READY\n");
    std::fflush(stdout);

    for (int k = 0;; ++k) {
        const QString id = QStringLiteral("%1-%2").arg(seed).arg(k);
        const int pos = rnd(puestos.count());
        station::StationRecord& r = puestos.at(pos).rec();
        if (r.estado == station::Estado::Libre && !r.bookingPending()) {
            switch (rnd(3)) {
            case 0: {
                session::AperturaPedido counter;
                counter.tariffName = QStringLiteral("C") + id;
                if (engine.abrirPuesto(pos, counter).ok())
                    opened(counter.tariffName);
                break;
            }
            case 1: {
                session::AperturaPedido prepaid;
                prepaid.prepago = true;
                prepaid.tariffName = QStringLiteral("P") + id;
                prepaid.amount = Currency::fromCents(50 + rnd(200));
                prepaid.minutes = 1 + rnd(3);
                if (engine.abrirPuesto(pos, prepaid).ok())
                    opened(prepaid.tariffName);
                break;
            }
            default:
                // An account period as a log-in leaves it.
                r.estado = station::Estado::Contador;
                r.accountLogin = QStringLiteral("A") + id;
                r.accountType = QStringLiteral("0");
                r.tariffName = QStringLiteral("NORMAL");
                r.moneyCredit = Currency::fromCents(5 + rnd(30));
                r.closeWhenCreditExhausted = rnd(2) == 0;
                puestos.loginsInUse().add(r.accountLogin);
                if (puestos.guardarPuesto(pos))
                    opened(r.accountLogin);
                break;
            }
        } else if (r.occupied() && !r.closed) {
            switch (rnd(4)) {
            case 0:
                engine.cerrarPuesto(pos);
                // Saves between the close and its booking.
                if (rnd(2) == 0)
                    (void)puestos.GuardarPuestos(nullptr);
                else
                    engine.guardarPuesto(pos);
                break;
            case 1:
                if (r.estado == station::Estado::Prepago && r.accountLogin.isEmpty()) {
                    session::IncrementoPedido more;
                    more.amount = Currency::fromCents(50);
                    more.minutes = 1;
                    (void)engine.incrementarPrepago(pos, more);
                }
                break;
            case 2: {
                const std::vector<int> others = engine.candidatosIntercambio(pos);
                if (!others.empty())
                    engine.intercambiar(pos, others[size_t(rnd(int(others.size())))]);
                break;
            }
            default:
                break;
            }
        }
        if (rnd(10) == 0)
            (void)puestos.GuardarPuestos(nullptr);
        clock.advance(rnd(40000));
        engine.reloj().tick(clock.monotonicMs());
    }
}
