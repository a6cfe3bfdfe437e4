// Two consoles on one database sell top-ups, vouchers and time codes and
// settle use periods of the same accounts at the same time (on a server;
// a file has one console, so there they take turns). Afterwards every
// account holds its starting balance plus its movements, the movements of a
// code follow one another, and the tickets and generated logins were
// numbered once each, without gaps.
#include "store/datamodule.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "support/testdb.h"
#include "support/testserver.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

#include <memory>
#include <set>

namespace {

constexpr int Rounds = 300;
const Currency StartMoney = Currency::fromUnits(100);
constexpr int StartSeconds = 100 * 3600;

// SALDOTI_MOV: "H:MM:SS", " - H:MM:SS" for a sale's decrease, "-H:MM:SS" for a use period's.
int seconds(const QString& text) {
    QString t = text.trimmed();
    const bool negative = t.startsWith(QLatin1Char('-'));
    if (negative)
        t = t.mid(1).trimmed();
    const QStringList parts = t.split(QLatin1Char(':'));
    if (parts.size() != 3)
        return 0;
    const int s = parts[0].toInt() * 3600 + parts[1].toInt() * 60 + parts[2].toInt();
    return negative ? -s : s;
}

} // namespace

class TstMoneyRace : public QObject {
    Q_OBJECT
private slots:
    void twoConsolesOnTheSameAccounts();
};

void TstMoneyRace::twoConsolesOnTheSameAccounts() {
    TestHome home;
    const QString where = home.createDatabase();
    {
        TDataModule1 data;
        QVERIFY(data.open(where));
        const QSqlDatabase db = data.db();
        for (const auto& [login, tipo] :
             {std::pair{"M1", "0"}, {"M2", "0"}, {"T1", "2"}, {"T2", "2"}, {"C1", "9"}, {"C2", "9"}}) {
            store::Cuenta c;
            c.Login = QString::fromLatin1(login);
            c.Tipo = QString::fromLatin1(tipo);
            c.Tarifa =
                c.Tipo == QLatin1String("0") ? QStringLiteral("NORMAL") : QStringLiteral("BONO TIEMPO");
            c.credito = StartMoney;
            c.Bonotiempo = StartSeconds;
            store::insert(db, c);
        }
    }

    // Two processes, as two consoles are; a file takes them one after the other.
    const bool together = testserver::onServer();
    std::vector<std::unique_ptr<QProcess>> children;
    const auto launch = [&](int seed) {
        auto child = std::make_unique<QProcess>();
        child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child->start(QCoreApplication::applicationDirPath() + QStringLiteral("/moneyrace"),
                     {home.database(), QString::number(seed), QString::number(Rounds)});
        QVERIFY(child->waitForStarted());
        children.push_back(std::move(child));
    };
    int automatic = 0;
    const auto finish = [&](QProcess& child) {
        QVERIFY(child.waitForFinished(240000));
        const QByteArray out = child.readAllStandardOutput().trimmed();
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, out.constData());
        QVERIFY2(out.startsWith("DONE "), out.constData());
        automatic += out.mid(5).toInt();
    };
    for (int seed : {11, 12}) {
        launch(seed);
        if (!together)
            finish(*children.back());
    }
    if (together) {
        for (auto& child : children)
            finish(*child);
    }
    if (QTest::currentTestFailed())
        return;

    TDataModule1 data;
    QVERIFY(data.open(where));
    const QSqlDatabase db = data.db();
    for (const char* name : {"M1", "M2", "T1", "T2", "C1", "C2"}) {
        const QString login = QString::fromLatin1(name);
        const store::Cuenta c =
            store::select<store::Cuenta>(db, QStringLiteral("WHERE Login = ?"), {login}).at(0);
        const std::vector<store::MovCuenta> moves =
            store::select<store::MovCuenta>(db, QStringLiteral("WHERE CUENTA = ? ORDER BY ID"), {login});
        QVERIFY2(moves.size() > 10, name);
        Currency money = StartMoney;
        int time = StartSeconds;
        for (const store::MovCuenta& m : moves) {
            money += m.SALDO_MOV;
            time += seconds(m.SALDOTI_MOV);
        }
        QCOMPARE(c.credito, money);
        QCOMPARE(c.Bonotiempo, time);
        // A code's sales and settlements each start from the balance the
        // one before left, in the order they were booked.
        if (c.Tipo == QLatin1String("9")) {
            int balance = StartSeconds;
            for (const store::MovCuenta& m : moves) {
                QCOMPARE(m.saldoti_ant_bono.value_or(-1), balance);
                balance += seconds(m.SALDOTI_MOV);
                QCOMPARE(m.saldoti_fin_bono.value_or(-1), balance);
            }
        }
    }

    // Every ticket its own number, 1 to the last one issued.
    const int last = store::readOpciones(db).NUM_TICK;
    std::set<int> numbers;
    QSqlQuery q = store::run(db, QStringLiteral("SELECT NUM_TICKET FROM ticket"));
    int tickets = 0;
    while (q.next()) {
        numbers.insert(store::toText(q.value(0)).toInt());
        ++tickets;
    }
    QVERIFY(tickets > 50);
    QCOMPARE(int(numbers.size()), tickets);
    QCOMPARE(*numbers.begin(), 1);
    QCOMPARE(*numbers.rbegin(), last);
    QCOMPARE(tickets, last);
    // One step of the login counter per automatic sale, none lost.
    QCOMPARE(store::readOpciones(db).contador, automatic);
}

QTEST_GUILESS_MAIN(TstMoneyRace)
#include "tst_moneyrace.moc"
