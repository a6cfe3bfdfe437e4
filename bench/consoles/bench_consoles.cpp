// Several consoles against one: 9,999 stations polled by one headless
// console, then by three consoles of 3,333 stations each, on one database of
// a PostgreSQL cluster, with the stations played by the simulator in this
// process. While customers log in and out, it prints per layout the
// consoles' clock tick (mean and longest), their CPU and the server's (% of
// one core), and the booking latency: from a station's log-out to its
// activity record in the database.
//
//   bench-consoles --pg SOCKETDIR [--stations N] [--seconds S] [--in-use PERCENT]
//
// --in-use 0 measures the free café: every station polled, nobody using one.
//
// The stations are played by velkar-sim in a process of its own (9,999
// stations and their connections want more descriptors than one process
// may open beside them), driven through its control channel.
#include "benchload.h"
#include "station/filelimit.h"
#include "station/stationaddress.h"
#include "store/datamodule.h"
#include "store/newdatabase.h"
#include "store/sql.h"
#include "store/transaction.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <algorithm>
#include <csignal>
#include <memory>

#include <unistd.h>

namespace {

QTextStream out(stdout);

struct Options {
    QString socketDir;
    int stations = 9999;
    int seconds = 30;
    // Stations in use, per cent; 0 measures the free café alone.
    int inUsePercent = 10;
    int controlPort = 47211;
    QString quintor;
};

QString serverUri(const Options& o, const QString& database) {
    return QStringLiteral("postgresql:///%1?host=%2&user=quintor").arg(database, o.socketDir);
}

void administer(const Options& o, const QString& sql) {
    TDataModule1 admin;
    if (const Status s = admin.open(serverUri(o, QStringLiteral("postgres"))); !s)
        qFatal("cannot reach the cluster: %s", qPrintable(s.error()));
    store::run(admin.db(), sql);
}

// The server's processes: the postmaster and its children.
QList<qint64> serverProcesses(const Options& o) {
    QFile pidFile(o.socketDir + QStringLiteral("/data/postmaster.pid"));
    QList<qint64> pids;
    qint64 postmaster = 0;
    if (pidFile.open(QIODevice::ReadOnly))
        postmaster = pidFile.readLine().trimmed().toLongLong();
    if (postmaster <= 0)
        return pids;
    pids << postmaster;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        entry.toLongLong(&isPid);
        if (!isPid)
            continue;
        const QByteArray line = procFile(QStringLiteral("/proc/%1/stat").arg(entry));
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields.at(1).toLongLong() == postmaster)
            pids << entry.toLongLong();
    }
    return pids;
}

double serverCpu(const Options& o) {
    double total = 0;
    for (qint64 pid : serverProcesses(o))
        total += processCpuSeconds(pid);
    return total;
}

class Console {
public:
    Console(const Options& o, const QString& name, const QString& uri, const QString& home) {
        QDir().mkpath(home);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUINTOR_HEADLESS_FIGURES"), QStringLiteral("5"));
        m_process.setProcessEnvironment(env);
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, [this] {
            m_buffer += m_process.readAllStandardOutput();
            for (qsizetype end = m_buffer.indexOf('\n'); end >= 0; end = m_buffer.indexOf('\n')) {
                const QString line = QString::fromUtf8(m_buffer.left(end));
                m_buffer.remove(0, end + 1);
                if (line.startsWith(QStringLiteral("lista ")))
                    m_ready = true;
                if (line.startsWith(QStringLiteral("reloj ")) && m_measuring) {
                    const QStringList f = line.split(QLatin1Char(' '));
                    m_ticks += f.at(1).toInt();
                    m_tickTotalMs += f.at(1).toInt() * f.at(2).toDouble();
                    m_tickMaxMs = std::max(m_tickMaxMs, f.at(3).toDouble());
                }
            }
        });
        m_process.start(o.quintor, {QStringLiteral("--headless"), QStringLiteral("--home"), home,
                                    QStringLiteral("--database"), uri, QStringLiteral("--console"), name});
    }
    ~Console() {
        if (m_process.state() != QProcess::NotRunning) {
            ::kill(pid_t(m_process.processId()), SIGTERM);
            if (!m_process.waitForFinished(60000))
                m_process.kill();
        }
    }
    bool ready() const { return m_ready; }
    qint64 pid() const { return m_process.processId(); }
    void measure(bool on) { m_measuring = on; }
    int ticks() const { return m_ticks; }
    double tickMeanMs() const { return m_ticks ? m_tickTotalMs / m_ticks : 0; }
    double tickMaxMs() const { return m_tickMaxMs; }

private:
    QProcess m_process;
    QByteArray m_buffer;
    bool m_ready = false;
    bool m_measuring = false;
    int m_ticks = 0;
    double m_tickTotalMs = 0;
    double m_tickMaxMs = 0;
};

double percentile(QList<double> values, double p) {
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values.at(qMin(values.size() - 1, qsizetype(p * double(values.size()))));
}

void run(const Options& o, int consoles) {
    const QString database = QStringLiteral("bench_consoles_%1").arg(consoles);
    administer(o, QStringLiteral("DROP DATABASE IF EXISTS ") + database);
    administer(o, QStringLiteral("CREATE DATABASE ") + database);
    const QString uri = serverUri(o, database);
    if (const Status s = store::createDatabase(uri, true); !s)
        qFatal("%s", qPrintable(s.error()));
    TDataModule1 data;
    if (const Status s = data.open(uri); !s)
        qFatal("%s", qPrintable(s.error()));
    const QSqlDatabase db = data.db();

    const QHostAddress base(QStringLiteral("127.0.1.1"));
    const int customers = o.stations * o.inUsePercent / 100;
    // Free stations only: nobody comes or goes.
    const bool changes = customers > 0;
    {
        store::Transaction t(db);
        store::run(db, QStringLiteral("DELETE FROM puestos"));
        store::run(db, QStringLiteral("UPDATE opciones SET ping = 1"));
        const int each = (o.stations + consoles - 1) / consoles;
        for (int i = 0; i < o.stations; ++i)
            store::run(
                db, QStringLiteral("INSERT INTO puestos (npuesto, ip, host, CONSOLA) VALUES (?, ?, '', ?)"),
                {i + 1, station::loopbackStationAddress(base, i).toString(),
                 QStringLiteral("C%1").arg(i / each + 1)});
        const QDate today = QDate::currentDate();
        for (int i = 1; i <= std::max(customers, 1) * 20; ++i)
            store::run(
                db,
                QStringLiteral("INSERT INTO cuentas (Login, Pass, Alta, Ultima, Tipo, Tarifa, credito) "
                               "VALUES (?, '1', ?, ?, '0', 'NORMAL', 10000000)"),
                {QStringLiteral("b%1").arg(i), store::sqlValue(today.addDays(-10)),
                 store::sqlValue(today.addDays(-1))});
        t.commit();
    }
    QProcess sim;
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const QString control = QStringLiteral("127.0.0.1:%1").arg(o.controlPort);
    sim.start(QCoreApplication::applicationDirPath() + QStringLiteral("/velkar-sim"),
              {QStringLiteral("--headless"), QStringLiteral("--base"), base.toString(),
               QStringLiteral("--count"), QString::number(o.stations), QStringLiteral("--control"), control});
    QTcpSocket commands;
    if (!QTest::qWaitFor(
            [&] {
                if (commands.state() == QAbstractSocket::ConnectedState)
                    return true;
                commands.abort();
                commands.connectToHost(QHostAddress::LocalHost, quint16(o.controlPort));
                return commands.waitForConnected(200);
            },
            60000))
        qFatal("the simulator did not start");
    const auto command = [&](const QString& line) {
        commands.write((line + QLatin1Char('\n')).toUtf8());
        commands.flush();
    };
    const auto cuenta = [&](int number) {
        return store::toText(
            store::scalar(db, QStringLiteral("SELECT cuenta FROM puestos WHERE npuesto = ?"), {number}));
    };

    QTemporaryDir homes;
    std::vector<std::unique_ptr<Console>> list;
    for (int c = 1; c <= consoles; ++c)
        list.push_back(std::make_unique<Console>(o, QStringLiteral("C%1").arg(c), uri,
                                                 homes.path() + QStringLiteral("/C%1").arg(c)));
    if (!QTest::qWaitFor(
            [&] { return std::all_of(list.begin(), list.end(), [](const auto& c) { return c->ready(); }); },
            120000))
        qFatal("the consoles did not start");

    // The stations in use spread over the registry.
    int next = 0;
    const int stride = changes ? std::max(1, o.stations / customers) : 1;
    QRandomGenerator random(1);
    for (int i = 0; i < customers; ++i)
        command(QStringLiteral("station %1 login b%2 1").arg(i * stride + 1).arg(++next));
    if (!QTest::qWaitFor(
            [&] {
                return store::toInt(store::scalar(db, QStringLiteral("SELECT COUNT(*) FROM "
                                                                     "logins_en_uso"))) == customers;
            },
            120000))
        qFatal("the customers did not log in");
    QTest::qWait(5000);

    // Measured: every 100 ms one customer leaves and another comes.
    for (auto& c : list)
        c->measure(true);
    QList<double> latencies;
    struct Leaving {
        QString login;
        qint64 at;
        int station;
    };
    QList<Leaving> leaving;
    QElapsedTimer clock;
    clock.start();
    QList<double> consoleCpu;
    for (const auto& c : list)
        consoleCpu << processCpuSeconds(c->pid());
    const double serverBefore = serverCpu(o);
    qint64 nextChange = 0;
    while (clock.elapsed() < qint64(o.seconds) * 1000) {
        if (changes && clock.elapsed() >= nextChange) {
            nextChange += 100;
            const int number = int(random.bounded(customers)) * stride + 1;
            const QString login = cuenta(number);
            const bool busy = std::any_of(leaving.begin(), leaving.end(),
                                          [&](const Leaving& l) { return l.station == number; });
            if (!busy && !login.isEmpty()) {
                leaving.append({login, clock.elapsed(), number});
                command(QStringLiteral("station %1 logout").arg(number));
            } else if (!busy) {
                command(QStringLiteral("station %1 login b%2 1").arg(number).arg(++next));
            }
        }
        for (qsizetype i = leaving.size(); i-- > 0;) {
            if (store::toInt(store::scalar(db, QStringLiteral("SELECT COUNT(*) FROM ciber WHERE CLIENTE = ?"),
                                           {leaving.at(i).login})) > 0) {
                latencies << double(clock.elapsed() - leaving.at(i).at);
                leaving.removeAt(i);
            }
        }
        QTest::qWait(10);
    }
    const double elapsed = double(clock.elapsed()) / 1000.0;
    const double server = (serverCpu(o) - serverBefore) / elapsed * 100.0;
    QStringList perConsole;
    QStringList memory;
    double ticks = 0;
    double tickMax = 0;
    double tickTotal = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        const double cpu =
            (processCpuSeconds(list[i]->pid()) - consoleCpu.at(qsizetype(i))) / elapsed * 100.0;
        perConsole << QString::number(cpu, 'f', 1);
        const auto [rss, peak] = processMemoryMiB(list[i]->pid());
        memory << QStringLiteral("%1/%2").arg(rss, 0, 'f', 0).arg(peak, 0, 'f', 0);
        ticks += list[i]->ticks();
        tickTotal += list[i]->ticks() * list[i]->tickMeanMs();
        tickMax = std::max(tickMax, list[i]->tickMaxMs());
    }
    out << QStringLiteral(
               "%1 console(s) x %2 stations, %3 in use: tick mean %4 ms, longest %5 ms; console CPU "
               "%6 %; console memory now/peak %12 MiB; server CPU %7 %; booking latency p50 %8 ms, p95 %9 "
               "ms, max "
               "%10 ms (%11 bookings); load %13\n")
               .arg(consoles)
               .arg(o.stations / consoles)
               .arg(customers)
               .arg(ticks > 0 ? tickTotal / ticks : 0, 0, 'f', 2)
               .arg(tickMax, 0, 'f', 1)
               .arg(perConsole.join(QStringLiteral(" + ")))
               .arg(server, 0, 'f', 1)
               .arg(percentile(latencies, 0.5), 0, 'f', 0)
               .arg(percentile(latencies, 0.95), 0, 'f', 0)
               .arg(percentile(latencies, 1.0), 0, 'f', 0)
               .arg(latencies.size())
               .arg(memory.join(QStringLiteral(" + ")))
               .arg(loadAverage());
    out.flush();
    list.clear();
    command(QStringLiteral("quit"));
    if (!sim.waitForFinished(30000))
        sim.kill();
    data.close();
    administer(o, QStringLiteral("DROP DATABASE IF EXISTS ") + database);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Options o;
    o.quintor = QCoreApplication::applicationDirPath() + QStringLiteral("/quintor");
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == u"--pg")
            o.socketDir = args[i + 1];
        else if (args[i] == u"--stations")
            o.stations = args[i + 1].toInt();
        else if (args[i] == u"--seconds")
            o.seconds = args[i + 1].toInt();
        else if (args[i] == u"--in-use")
            o.inUsePercent = std::clamp(args[i + 1].toInt(), 0, 100);
    }
    if (o.socketDir.isEmpty() || o.stations < 30) {
        QTextStream(stderr)
            << "usage: bench-consoles --pg SOCKETDIR [--stations N] [--seconds S] [--in-use PERCENT]\n";
        return 2;
    }
    station::raiseOpenFileLimit();
    run(o, 1);
    run(o, 3);
    return 0;
}
