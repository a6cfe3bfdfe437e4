// A console killed with SIGKILL right after a customer's log-in, or right
// after a voucher was sold to the logged-in customer: the next start finds
// the period running with all the time bought, and bills the use once.
#include "accounts/accountdecisions.h"
#include "core/consolecontext.h"
#include "session/engine.h"
#include "store/datamodule.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "support/testdb.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

#include <csignal>

using station::Estado;

class TstMoneyCrash : public QObject {
    Q_OBJECT
private slots:
    void killedRightAfter_data();
    void killedRightAfter();
};

void TstMoneyCrash::killedRightAfter_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("credit");
    QTest::addColumn<int>("timeLeft");
    // 10004 holds three hours.
    QTest::newRow("log-in") << "login" << 10800 << 10800;
    // Ten minutes played, then one hour bought: 3:50:00 left of 4:00:00.
    QTest::newRow("voucher while logged in") << "voucher" << 14400 << 13800;
}

void TstMoneyCrash::killedRightAfter() {
    QFETCH(QString, mode);
    QFETCH(int, credit);
    QFETCH(int, timeLeft);
    TestHome home;
    const QString path = home.createDatabase(QStringLiteral("ciber.mdb"), true);
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationDirPath() + QStringLiteral("/moneychild"), {path, mode});
    QVERIFY(child.waitForStarted());
    QVERIFY2(child.waitForReadyRead(60000), qPrintable(QStringLiteral("exit %1").arg(child.exitCode())));
    QCOMPARE(child.readLine().trimmed(), QByteArray("READY"));
    ::kill(pid_t(child.processId()), SIGKILL);
    QVERIFY(child.waitForFinished(10000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);

    TDataModule1 data;
    QVERIFY(data.open(path));
    FakeClock clock(QDateTime(QDate(2026, 3, 10), QTime(12, 0, 0)));
    ConsoleContext context;
    context.data = &data;
    context.regional = Regional::spanishSpain();
    context.clock = &clock;
    context.currentOperator = QStringLiteral("CAJA");
    ConsoleEngine engine(context);
    accounts::AccountDecisions decisions(context, engine.tarifas(), engine.puestos().loginsInUse(), {});
    engine.setAccountDecisions(&decisions);
    QVERIFY(engine.cargarTarifas());
    QVERIFY(engine.puestos().CargarPuestos(nullptr));
    ListaPuestos& puestos = engine.puestos();
    const int pos = puestos.positionOf(4);
    const station::StationRecord& r = puestos.at(pos).rec();

    // The period is back, with every second the customer bought.
    QCOMPARE(r.estado, Estado::Prepago);
    QCOMPARE(r.accountLogin, QStringLiteral("10004"));
    QCOMPARE(r.prepaidSeconds, credit);
    QCOMPARE(r.clockMs, qint64(timeLeft) * 1000);
    QVERIFY(puestos.loginsInUse().contains(QStringLiteral("10004")));

    // The customer logs out: the account pays what the clock counted, once.
    QVERIFY(engine.cerrarPuesto(pos));
    engine.reloj().tick(clock.monotonicMs());
    const QSqlDatabase db = data.db();
    const store::Cuenta c = store::select<store::Cuenta>(db, QStringLiteral("WHERE Login = '10004'")).at(0);
    QCOMPARE(c.Bonotiempo, timeLeft);
    const std::vector<store::MovCuenta> moves = store::select<store::MovCuenta>(
        db, QStringLiteral("WHERE CUENTA = '10004' AND CONCEPTO LIKE 'PUESTO%' ORDER BY ID"));
    QCOMPARE(moves.size(), size_t(1));
    QCOMPARE(moves[0].saldoti_ant_bono, credit);
    QCOMPARE(moves[0].saldoti_fin_bono, timeLeft);
    QCOMPARE(store::toInt(store::scalar(db, QStringLiteral("SELECT COUNT(*) FROM ciber WHERE NPUESTO = 4"))),
             1);
    QCOMPARE(r.estado, Estado::Libre);
    QVERIFY(!puestos.loginsInUse().contains(QStringLiteral("10004")));
}

QTEST_GUILESS_MAIN(TstMoneyCrash)
#include "tst_moneycrash.moc"
