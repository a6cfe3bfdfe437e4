// The two engines side by side, in one run: the bookings a console makes per
// second (a period's end: ticket, line, activity record and the station's
// row, in one transaction; with an account also its settlement), and the
// reports on the large database of bench-reports, copied once to the server.
//
//   bench-engines --pg SOCKET_DIR [--reports FILE] [--rounds N]
//
// SOCKET_DIR is the socket folder of a PostgreSQL cluster whose superuser
// "quintor" logs in without a password (./bench.sh starts one, durable:
// fsync on, as a café's server runs). The copy of the reports database stays
// on that cluster as "quintor_bench_reports" for the next runs.

#include "../reports/statistics.h"
#include "accounts/accountdecisions.h"
#include "benchload.h"
#include "core/consolecontext.h"
#include "core/regional.h"
#include "reports/listings.h"
#include "reports/reportrenderer.h"
#include "sales/informecaja.h"
#include "session/registrouso.h"
#include "session/tarifas.h"
#include "station/listapuestos.h"
#include "station/loginsinuse.h"
#include "store/datamodule.h"
#include "store/newdatabase.h"
#include "store/schemaupdates.h"
#include "store/sql.h"
#include "store/transaction.h"
#include "store/transfer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

QTextStream out(stdout);
QString g_socketDir;

QString serverUri(const QString& database) {
    return QStringLiteral("postgresql:///%1?host=%2&user=quintor").arg(database, g_socketDir);
}

// The cluster's maintenance database, where databases are made and dropped.
void openAdmin(TDataModule1& admin) {
    if (const Status s = admin.open(serverUri(QStringLiteral("postgres"))); !s)
        qFatal("cannot reach the cluster: %s", qPrintable(s.error()));
}

void administer(const QString& sql) {
    TDataModule1 admin;
    openAdmin(admin);
    store::run(admin.db(), sql);
}

bool serverHas(const QString& database) {
    TDataModule1 admin;
    openAdmin(admin);
    return store::scalar(admin.db(), QStringLiteral("SELECT COUNT(*) FROM pg_database WHERE datname = ?"),
                         {database})
               .toInt() > 0;
}

constexpr int kEnds = 200;
constexpr int kStations = 40;

// kEnds period ends, one transaction each, as the console books them.
// Answers bookings per second.
double bookings(const QString& where, bool account) {
    TDataModule1 data;
    if (const Status s = data.open(where); !s)
        qFatal("%s", qPrintable(s.error()));
    const QSqlDatabase db = data.db();
    {
        store::Transaction t(db);
        store::run(db, QStringLiteral("DELETE FROM puestos"));
        for (int i = 1; i <= kStations; ++i)
            store::run(db, QStringLiteral("INSERT INTO puestos (npuesto, ip, estado) VALUES (?, ?, 2)"),
                       {i, QStringLiteral("127.9.0.%1").arg(i)});
        for (int i = 0; i < kEnds; ++i)
            store::run(db,
                       QStringLiteral("INSERT INTO cuentas (Login, Nombre, Tipo, credito) "
                                      "SELECT ?, ?, '0', 1000000000 WHERE NOT EXISTS "
                                      "(SELECT 1 FROM cuentas WHERE Login = ?)"),
                       {QStringLiteral("bench%1").arg(i), QStringLiteral("Cliente %1").arg(i),
                        QStringLiteral("bench%1").arg(i)});
        t.commit();
    }
    FakeClock clock;
    ConsoleContext context;
    context.data = &data;
    context.clock = &clock;
    context.regional = Regional::spanishSpain();
    const ListaTarifas tarifas = ListaTarifas::load(db);
    station::LoginsInUse logins;
    accounts::AccountDecisions decisions(context, tarifas, logins, {});
    QElapsedTimer timer;
    timer.start();
    for (int k = 0; k < kEnds; ++k) {
        session::UsoTerminado uso;
        uso.tariffName = QStringLiteral("NORMAL");
        uso.station = 1 + k % kStations;
        uso.modo = session::Modo::Contador;
        uso.cost = Currency::fromCents(90);
        uso.seconds = 2710;
        store::Transaction t(db);
        if (account) {
            uso.accountLogin = QStringLiteral("bench%1").arg(k);
            decisions.CerrarCuenta(uso.accountLogin, uso.station, QStringLiteral("0"), QString(),
                                   int(uso.seconds), uso.cost);
        }
        session::RegistrarUso(db, uso, QStringLiteral("CAJA"), clock.now(), 1);
        ListaPuestos::escribirFila(db, uso.station, station::StationRecord{});
        t.commit();
        clock.advance(1000);
    }
    return kEnds / (double(timer.nsecsElapsed()) / 1e9);
}

struct Engine {
    QString name;
    std::function<QString()> newDatabase; // a new demo database, fresh for each round
};

void benchBookings(const std::vector<Engine>& engines, int rounds) {
    out << QStringLiteral("Bookings per second (%1 period ends, one transaction each; durable on both)\n")
               .arg(kEnds);
    out << QStringLiteral("%1 %2 %3\n")
               .arg(QStringLiteral("round"), -8)
               .arg(QStringLiteral("engine"), -12)
               .arg(QStringLiteral("anonymous     account"));
    for (int round = 1; round <= rounds; ++round) {
        // Alternately, so that the machine's state weighs on both alike.
        for (const Engine& e : engines) {
            const QString where = e.newDatabase();
            const double anonymous = bookings(where, false);
            const double account = bookings(where, true);
            out << QStringLiteral("%1 %2 %3 %4\n")
                       .arg(round, -8)
                       .arg(e.name, -12)
                       .arg(anonymous, 9, 'f', 0)
                       .arg(account, 11, 'f', 0);
            out.flush();
        }
    }
}

QString rows(const reports::Report& r) {
    return QStringLiteral("%1 rows").arg(r.body.size());
}

struct Measure {
    QString what;
    std::function<QString(const QSqlDatabase&)> work;
};

void benchReports(const QString& file, const QString& uri) {
    const QDate first(2025, 1, 1);
    const Regional es = Regional::spanishSpain();
    const QDateTime now = QDateTime::currentDateTime();
    const QDate day = first.addDays(400);
    const reports::DateRange month{QDate(2026, 2, 1), QDate(2026, 2, 28)};
    const reports::DateRange all{first, first.addDays(730)};
    using namespace reports;
    const std::vector<Measure> measures{
        {QStringLiteral("cash report, one day, details"),
         [&](const QSqlDatabase& db) {
             return rows(sales::informeCaja(db, es, {day, QTime(0, 0), QTime(0, 0)},
                                            sales::CajaListing::Detalles, now));
         }},
        {QStringLiteral("movements, charges of all accounts, month"),
         [&](const QSqlDatabase& db) {
             return rows(listadoMovimientos(db, es, month, MovScope::TodasCuentas, {}, MovKind::Cargos, now));
         }},
        {QStringLiteral("station activity, month"),
         [&](const QSqlDatabase& db) { return rows(listadoActividad(db, es, month, std::nullopt, now)); }},
        {QStringLiteral("ticket listing, month, details: whole PDF"),
         [&](const QSqlDatabase& db) {
             ReportRenderer renderer(listadoTickets(db, es, month, true, now), es.shortDateFormat(),
                                     es.longTimeFormat());
             QTemporaryDir dir;
             QString error;
             if (!renderer.writePdf(dir.filePath(QStringLiteral("l.pdf")), &error))
                 return error;
             return QStringLiteral("%1 pages").arg(renderer.pageCount());
         }},
    };
    TDataModule1 sqlite;
    TDataModule1 server;
    if (!sqlite.open(file) || !server.open(uri))
        qFatal("cannot open the reports databases");
    // Databases copied before the summaries get them here, once.
    for (TDataModule1* data : {&sqlite, &server})
        if (const Status s = store::applySchemaUpdates(data->db()); !s)
            qFatal("%s", qPrintable(s.error()));
    out << QStringLiteral("\nReports on %1 (ms; SQLite | PostgreSQL)\n").arg(file);
    double totalSqlite = 0;
    double totalServer = 0;
    for (const Measure& m : measures) {
        double ms[2] = {0, 0};
        QString note;
        int i = 0;
        for (TDataModule1* data : {&sqlite, &server}) {
            QElapsedTimer timer;
            timer.start();
            const QString n = m.work(data->db());
            ms[i++] = double(timer.nsecsElapsed()) / 1e6;
            if (!note.isEmpty() && note != n)
                note += QStringLiteral(" / ") + n; // the engines disagree: shown, never hidden
            else
                note = n;
        }
        totalSqlite += ms[0];
        totalServer += ms[1];
        out << QStringLiteral("%1 %2 | %3  %4\n")
                   .arg(m.what, -44)
                   .arg(ms[0], 9, 'f', 1)
                   .arg(ms[1], 9, 'f', 1)
                   .arg(note);
        out.flush();
    }
    out << QStringLiteral("%1 %2 | %3\n")
               .arg(QStringLiteral("total"), -44)
               .arg(totalSqlite, 9, 'f', 1)
               .arg(totalServer, 9, 'f', 1);

    // Every statistic from the summaries beside the rows alone, on both engines.
    out << QStringLiteral("\nStatistics (ms; SQLite summaries | rows alone | PostgreSQL summaries | rows "
                          "alone), load %1\n")
               .arg(loadAverage());
    bool allSame = true;
    double worst[2] = {0, 0};
    for (const auto& [label, range] :
         {std::pair{QStringLiteral("month"), month}, std::pair{QStringLiteral("all"), all}}) {
        for (const StatisticCase& c : statisticCases(es, range, now)) {
            const Compared a = compare(sqlite.db(), c);
            const Compared b = compare(server.db(), c);
            // The engines agree with each other too.
            const bool same = a.same && b.same &&
                              statisticCells(c.make(sqlite.db(), Origen::Resumenes)) ==
                                  statisticCells(c.make(server.db(), Origen::Resumenes));
            allSame = allSame && same;
            worst[0] = std::max(worst[0], a.summaryMs);
            worst[1] = std::max(worst[1], b.summaryMs);
            out << QStringLiteral("%1 %2 | %3 | %4 | %5  %6 (%7 rows)\n")
                       .arg(c.what + QStringLiteral(", ") + label, -40)
                       .arg(a.summaryMs, 8, 'f', 1)
                       .arg(a.rowsMs, 8, 'f', 1)
                       .arg(b.summaryMs, 8, 'f', 1)
                       .arg(b.rowsMs, 8, 'f', 1)
                       .arg(same ? QStringLiteral("identical") : QStringLiteral("DIFFERENT"))
                       .arg(a.rows);
            out.flush();
        }
    }
    out << QStringLiteral("slowest from the summaries: SQLite %1 ms, PostgreSQL %2 ms; %3; load %4\n")
               .arg(worst[0], 0, 'f', 1)
               .arg(worst[1], 0, 'f', 1)
               .arg(allSame ? QStringLiteral("every listing identical to the rows alone, on both engines")
                            : QStringLiteral("SOME LISTINGS DIFFER"))
               .arg(loadAverage());
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QString reportsFile = QStringLiteral("/tmp/bench-reports.db");
    int rounds = 3;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--pg"))
            g_socketDir = args.at(++i);
        else if (args.at(i) == QLatin1String("--reports"))
            reportsFile = args.at(++i);
        else if (args.at(i) == QLatin1String("--rounds"))
            rounds = args.at(++i).toInt();
    }
    if (g_socketDir.isEmpty()) {
        out << "usage: bench-engines --pg SOCKET_DIR [--reports FILE] [--rounds N]\n";
        return 2;
    }

    QTemporaryDir dir;
    int made = 0;
    QStringList serverDatabases;
    const std::vector<Engine> engines{
        {QStringLiteral("SQLite"),
         [&] {
             const QString path = dir.filePath(QStringLiteral("ciber%1.mdb").arg(++made));
             if (const Status s = store::createDatabase(path, true); !s)
                 qFatal("%s", qPrintable(s.error()));
             return path;
         }},
        {QStringLiteral("PostgreSQL"),
         [&] {
             const QString name = QStringLiteral("quintor_bench_%1_%2").arg(app.applicationPid()).arg(++made);
             administer(QStringLiteral("CREATE DATABASE ") + name);
             serverDatabases << name;
             if (const Status s = store::createDatabase(serverUri(name), true); !s)
                 qFatal("%s", qPrintable(s.error()));
             return serverUri(name);
         }},
    };
    benchBookings(engines, rounds);
    for (const QString& name : std::as_const(serverDatabases))
        administer(QStringLiteral("DROP DATABASE ") + name);

    if (!QFile::exists(reportsFile)) {
        out << "\n(no " << reportsFile << ": run bench-reports first to build it; reports skipped)\n";
        return 0;
    }
    const QString reports = QStringLiteral("quintor_bench_reports");
    if (!serverHas(reports)) {
        out << "\ncopying " << reportsFile << " to the server (once; kept for the next runs) ...\n";
        out.flush();
        administer(QStringLiteral("CREATE DATABASE ") + reports);
        QElapsedTimer timer;
        timer.start();
        if (const Status s = store::transferDatabase(reportsFile, serverUri(reports)); !s) {
            administer(QStringLiteral("DROP DATABASE ") + reports);
            qFatal("%s", qPrintable(s.error()));
        }
        TDataModule1 data;
        if (data.open(serverUri(reports)))
            store::run(data.db(), QStringLiteral("ANALYZE"));
        out << QStringLiteral("copied in %1 s\n").arg(double(timer.elapsed()) / 1000, 0, 'f', 1);
    }
    benchReports(reportsFile, serverUri(reports));
    return 0;
}
