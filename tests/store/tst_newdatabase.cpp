#include "reports/listings.h"
#include "sales/informecaja.h"
#include "sales/tickets.h"
#include "store/claves.h"
#include "store/datamodule.h"
#include "store/newdatabase.h"
#include "store/opciones.h"
#include "store/operadores.h"
#include "store/rows.h"
#include "store/sql.h"
#include "store/transaction.h"
#include "store/views.h"
#include "support/testdb.h"
#include "support/testserver.h"

#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using namespace store;

namespace {

using namespace reports;

// The rows a listing prints, or the bars of a statistic's chart that have a
// height.
size_t rows(const Report& r) {
    return r.body.size();
}
size_t rows(const Statistic& s) {
    return size_t(std::count_if(s.values.begin(), s.values.end(), [](double v) { return v > 0; }));
}

struct DemoListing {
    const char* name;
    int today;      // rows at least when opened as it opens, on today
    int threeWeeks; // rows at least over the three weeks
    std::function<size_t(const QSqlDatabase&, const DateRange&)> rows;
};

const std::vector<DemoListing>& listings() {
    static const Regional es = Regional::spanishSpain();
    static const QDateTime at = QDateTime::currentDateTime();
    // The cash report of a shift on the range's last day but one: yesterday.
    const auto caja = [](QTime from, QTime to) {
        return [from, to](const QSqlDatabase& db, const DateRange& r) {
            return rows(
                sales::informeCaja(db, es, {r.to.addDays(-1), from, to}, sales::CajaListing::Totales, at));
        };
    };
    const auto mov = [](MovScope scope) {
        return [scope](const QSqlDatabase& db, const DateRange& r) {
            return rows(listadoMovimientos(db, es, r, scope, QString(), MovKind::Todos, at));
        };
    };
    using Db = const QSqlDatabase&;
    using R = const DateRange&;
    static const std::vector<DemoListing> all{
        {"tickets", 3, 300, [](Db db, R r) { return rows(listadoTickets(db, es, r, false, at)); }},
        {"activity", 2, 200, [](Db db, R r) { return rows(listadoActividad(db, es, r, std::nullopt, at)); }},
        {"activity of station 8", 0, 10, [](Db db, R r) { return rows(listadoActividad(db, es, r, 8, at)); }},
        {"account movements", 1, 30, mov(MovScope::TodasCuentas)},
        {"time code movements", 1, 3, mov(MovScope::TodosCodigos)},
        // On its first day: today, or the first of the three weeks.
        {"cash of the day", 3, 10,
         [](Db db, R r) {
             return rows(sales::informeCaja(db, es, {r.from, {0, 0}, {0, 0}}, {}, at));
         }},
        {"cash, morning shift", 0, 5, caja(QTime(8, 0), QTime(15, 0))},
        {"cash, afternoon shift", 0, 5, caja(QTime(15, 0), QTime(23, 0))},
        {"credit used", 1, 3,
         [](Db db, R r) { return rows(estadisticaClientes(db, es, r, EstClientes::CreditoConsumido, at)); }},
        {"credit bought", 1, 3,
         [](Db db, R r) { return rows(estadisticaClientes(db, es, r, EstClientes::CreditoAportado, at)); }},
        {"customers' time", 2, 7,
         [](Db db, R r) { return rows(estadisticaClientes(db, es, r, EstClientes::Tiempo, at)); }},
        {"stations", 2, 8, [](Db db, R r) { return rows(estadisticaPuestos(db, es, r, at)); }},
        {"articles", 1, 6, [](Db db, R r) { return rows(ventasArticulos(db, es, r, std::nullopt, at)); }},
        {"vouchers", 1, 4, [](Db db, R r) { return rows(ventasBonos(db, es, r, at)); }},
    };
    return all;
}

} // namespace

class TestNewDatabase : public QObject {
    Q_OBJECT
private slots:
    void baseContents();
    void demoContents();
    void demoTickets();
    void demoActivity();
    void demoBalances_data();
    void demoBalances();
    void demoListings_data();
    void demoListings();
    void scriptSplitting();
    void existingFileIsNeverOverwritten();
    void serverDatabaseWithTablesIsNeverOverwritten();
    void commandLine_data();
    void commandLine();

private:
    // The demo with its history, made on one day: its "today" is m_today.
    const QSqlDatabase& demo();
    std::unique_ptr<TestDatabase> m_demo;
    QSqlDatabase m_db;
    QDate m_today;
};

const QSqlDatabase& TestNewDatabase::demo() {
    while (!m_demo || QDate::currentDate() != m_today) {
        m_today = QDate::currentDate();
        m_demo = std::make_unique<TestDatabase>(true, DemoHistory::With);
        m_db = m_demo->data.db();
    }
    return m_db;
}

void TestNewDatabase::baseContents() {
    TestDatabase t;
    const QSqlDatabase db = t.data.db();
    const QStringList tables = t.data.tableNames();
    for (const char* name : {"articulos",       "bonos",          "ciber",           "cuentas",
                             "franjas",         "Grids",          "lintarifas",      "lintick",
                             "movcuentas",      "opciones",       "operadores",      "puestos",
                             "recargas",        "tarifas",        "tasas",           "ticket",
                             "turnos",          "udart",          "webconfig",       "consolas",
                             "logins_en_uso",   "cambios",        "auditoria",       "bloqueos",
                             "fallos_acceso",   "resumen_ventas", "resumen_puestos", "resumen_clientes",
                             "resumen_cuentas", "resumenes_pausa"})
        QVERIFY2(tables.contains(QString::fromLatin1(name), Qt::CaseInsensitive), name);
    QCOMPARE(tables.size(), 30);

    QCOMPARE(toInt(scalar(db, QStringLiteral("SELECT COUNT(*) FROM opciones"))), 1);
    QCOMPARE(toInt(scalar(db, QStringLiteral("SELECT COUNT(*) FROM Grids"))), 1);
    QCOMPARE(toInt(scalar(db, QStringLiteral("SELECT COUNT(*) FROM udart"))), 1);
    QCOMPARE(toInt(scalar(db, QStringLiteral("SELECT COUNT(*) FROM webconfig"))), 1);
    QCOMPARE(toInt(scalar(db, QStringLiteral("SELECT COUNT(*) FROM puestos"))), 0);

    const Opciones o = readOpciones(db);
    QCOMPARE(o.NUM_TICK, 0);
    QVERIFY(o.redondeo > Currency());
    QVERIFY(o.ping >= 1 && o.ping <= 60);
    QCOMPARE(o.DBLookUp, QStringLiteral(" "));
    QCOMPARE(o.pass_ini, QString(10, QLatin1Char(' ')));
    QCOMPARE(o.ini_tarifa_2, QString(5, QLatin1Char(' ')));
    QCOMPARE(o.impresoratick, QStringLiteral("NoPrinter"));
    // A closed station's ticket is offered, not printed unasked.
    QCOMPARE(o.imp_cierre, 0);
    QCOMPARE(o.panelinf, 400);

    const std::vector<Operador> ops = operadores(db);
    QCOMPARE(ops.size(), size_t(1));
    QCOMPARE(ops[0].NOMBRE, QStringLiteral("ADMIN"));
    for (int i = 0; i < PermisoCount; ++i)
        QVERIFY2(ops[0].permisos[size_t(i)], qPrintable(permisoColumns().at(i)));

    // The journal mode stays with the file.
    if (!testserver::onServer())
        QCOMPARE(scalar(db, QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
}

void TestNewDatabase::demoContents() {
    TestDatabase t(true);
    const QSqlDatabase db = t.data.db();
    const std::vector<Operador> ops = operadores(db);
    QVERIFY(ops.size() >= 2);
    QCOMPARE(ops[0].NOMBRE, QStringLiteral("CAJA"));
    // The cashier's 1234, kept hashed at the current cost like every operator's.
    QCOMPARE(iteracionesDe(ops[0].PASS), IteracionesClave);
    QVERIFY(claveCorrecta(ops[0].PASS, QStringLiteral("1234")));
    QVERIFY(!ops[0].tiene(Permiso::CONFOP));
    QVERIFY(ops[0].tiene(Permiso::VENTATPV));
    QCOMPARE(ops[1].NOMBRE, QStringLiteral("ADMIN"));

    const std::vector<Puesto> puestos = select<Puesto>(db, QStringLiteral("ORDER BY npuesto"));
    QCOMPARE(puestos.size(), size_t(8));
    for (int i = 0; i < 8; ++i) {
        QCOMPARE(puestos[size_t(i)].npuesto, i + 1);
        QCOMPARE(puestos[size_t(i)].ip, QStringLiteral("127.0.1.%1").arg(i + 1));
        QCOMPARE(puestos[size_t(i)].estado, 1);
    }

    const std::vector<Tarifa> tarifas = select<Tarifa>(db);
    QVERIFY(std::count_if(tarifas.begin(), tarifas.end(), [](const Tarifa& x) { return x.TIPO == 0; }) >= 2);
    QVERIFY(std::count_if(tarifas.begin(), tarifas.end(), [](const Tarifa& x) { return x.TIPO == 1; }) >= 1);
    QCOMPARE(select<Franja>(db).size(), size_t(2));
    QVERIFY(select<LinTarifa>(db).size() >= 3);
    // Every band names an existing tariff.
    for (const Franja& f : select<Franja>(db))
        QVERIFY(std::any_of(tarifas.begin(), tarifas.end(),
                            [&](const Tarifa& x) { return x.NOM == f.tarifa && x.ID_TAR == f.id_tar; }));

    const std::vector<Cuenta> cuentas = select<Cuenta>(db);
    for (const char* tipo : {"0", "1", "2", "9"})
        QVERIFY2(std::any_of(cuentas.begin(), cuentas.end(),
                             [&](const Cuenta& c) { return c.Tipo == QLatin1String(tipo); }),
                 tipo);
    const std::vector<Bono> bonos = select<Bono>(db);
    QVERIFY(!bonos.empty());
    // The voucher a code sale proposes exists, or the sale makes an empty code.
    const QString timeCod = readOpciones(db).ini_time_cod.trimmed();
    QVERIFY(!timeCod.isEmpty());
    QVERIFY2(std::any_of(bonos.begin(), bonos.end(), [&](const Bono& b) { return b.CODIGO == timeCod; }),
             qPrintable(timeCod));
    // F1 proposes a fixed tariff that exists, or Enter is refused at once.
    const Opciones options = readOpciones(db);
    QVERIFY(options.op4_2);
    QVERIFY(std::any_of(tarifas.begin(), tarifas.end(), [&](const Tarifa& x) {
        return x.NOM == options.ini_tarifa_2.trimmed() && x.TIPO == 0;
    }));
    QVERIFY(!select<Recarga>(db).empty());
    QVERIFY(!select<Articulo>(db).empty());
    QVERIFY(select<Tasa>(db).size() >= 2);
    QVERIFY(!select<Turno>(db).empty());
}

void TestNewDatabase::demoTickets() {
    const QSqlDatabase& db = demo();
    const std::vector<Ticket> tickets = select<Ticket>(db);
    const QTime now = QTime::currentTime();
    QSet<QString> numbers;
    int last = 0;
    for (const Ticket& t : tickets) {
        // Three weeks up to a moment ago.
        QVERIFY2(t.FECHA >= m_today.addDays(-21) &&
                     (t.FECHA < m_today || (t.FECHA == m_today && t.HORA <= now)),
                 qPrintable(t.NUM_TICKET));
        const std::vector<LinTick> lines = sales::lines(db, t.ID_TICK);
        QVERIFY2(!lines.empty(), qPrintable(t.NUM_TICKET));
        Currency sum;
        for (const LinTick& l : lines)
            sum += l.IMPORTE;
        QVERIFY2(sum == t.IMPORTE, qPrintable(t.NUM_TICKET));
        // Numbered as the console numbers: plain decimals, never twice.
        QCOMPARE(QString::number(t.NUM_TICKET.toInt()), t.NUM_TICKET);
        QVERIFY2(!numbers.contains(t.NUM_TICKET), qPrintable(t.NUM_TICKET));
        numbers.insert(t.NUM_TICKET);
        last = std::max(last, t.NUM_TICKET.toInt());
    }
    {
        Transaction t(db); // rolled back
        const Ticket next = sales::NuevoNumeroTicket(db, Ticket{}, QDateTime::currentDateTime());
        QCOMPARE(next.NUM_TICKET, QString::number(last + 1));
    }
    // Everything collected and dealt with: the console starts with empty queues.
    QVERIFY(pendingTickets(db).empty());
    QVERIFY(pendingMovements(db).empty());
}

void TestNewDatabase::demoActivity() {
    const QSqlDatabase& db = demo();
    const QTime now = QTime::currentTime();
    QSet<QString> tariffs{QStringLiteral("BONO TIEMPO")};
    for (const Tarifa& t : select<Tarifa>(db))
        tariffs.insert(t.NOM);
    QSet<QString> logins{QString()};
    for (const Cuenta& c : select<Cuenta>(db))
        logins.insert(c.Login);
    const std::vector<Ciber> records = select<Ciber>(db);
    for (const Ciber& c : records) {
        const QString what = c.FECHA.toString(Qt::ISODate) + QLatin1Char(' ') + c.HORA.toString();
        QVERIFY2(c.FECHA >= m_today.addDays(-21) &&
                     (c.FECHA < m_today || (c.FECHA == m_today && c.HORA <= now)),
                 qPrintable(what));
        QVERIFY2(tariffs.contains(c.TARIFA), qPrintable(what));
        QVERIFY2(logins.contains(c.CLIENTE), qPrintable(what));
        // The ticket a period names is that station's, in the period's mode.
        if (!c.NUM_TICKET.isEmpty()) {
            const std::optional<Ticket> t = sales::findTicket(db, c.NUM_TICKET);
            QVERIFY2(t && t->NPUESTO == c.NPUESTO && t->MODO == c.MODALIDAD, qPrintable(what));
            QVERIFY2(c.CLIENTE.isEmpty(), qPrintable(what));
        }
    }
}

void TestNewDatabase::demoBalances_data() {
    QTest::addColumn<QString>("login");
    for (const char* login : {"10001", "10002", "10003", "10004", "10005", "90001", "90002"})
        QTest::newRow(login) << QString::fromLatin1(login);
}

// Each account's movements add up, from nothing for an account made in these
// weeks, to the credit the account holds; its last period is its last visit.
void TestNewDatabase::demoBalances() {
    QFETCH(QString, login);
    const QSqlDatabase& db = demo();
    const std::optional<Cuenta> c = selectOne<Cuenta>(db, QStringLiteral("WHERE Login = ?"), {login});
    QVERIFY(c);
    const std::vector<MovCuenta> m =
        select<MovCuenta>(db, QStringLiteral("WHERE CUENTA = ? ORDER BY ID"), {login});
    QVERIFY(!m.empty());
    const bool time = c->Tipo == QLatin1String("2") || c->Tipo == QLatin1String("9");
    const bool madeNow = c->Alta >= m_today.addDays(-21);
    std::optional<qint64> balance;
    QDate lastVisit;
    for (const MovCuenta& x : m) {
        const qint64 before = time ? qint64(x.saldoti_ant_bono.value_or(-1)) : x.SALDO_ANT.raw();
        const qint64 after = time ? qint64(x.saldoti_fin_bono.value_or(-1)) : x.SALDO_FIN.raw();
        if (balance || madeNow)
            QVERIFY2(before == balance.value_or(0), qPrintable(x.CONCEPTO));
        QVERIFY2(after >= 0, qPrintable(x.CONCEPTO));
        if (!time)
            QCOMPARE(after, before + x.SALDO_MOV.raw());
        balance = after;
        if (x.CONCEPTO.startsWith(QLatin1String("PUESTO ")) || x.FECHA == c->Alta)
            lastVisit = std::max(lastVisit, x.FECHA);
    }
    QCOMPARE(*balance, time ? qint64(c->Bonotiempo) : c->credito.raw());
    QCOMPARE(lastVisit, c->Ultima);
}

void TestNewDatabase::demoListings_data() {
    QTest::addColumn<int>("listing");
    QTest::addColumn<int>("fromDay"); // days before today
    QTest::addColumn<int>("atLeast");
    for (int i = 0; i < int(listings().size()); ++i) {
        const DemoListing& l = listings()[size_t(i)];
        if (l.today > 0)
            QTest::addRow("%s, today", l.name) << i << 0 << l.today;
        QTest::addRow("%s, three weeks", l.name) << i << 21 << l.threeWeeks;
    }
}

void TestNewDatabase::demoListings() {
    QFETCH(int, listing);
    QFETCH(int, fromDay);
    QFETCH(int, atLeast);
    const QSqlDatabase& db = demo();
    const size_t n = listings()[size_t(listing)].rows(db, {m_today.addDays(-fromDay), m_today});
    QVERIFY2(n >= size_t(atLeast), qPrintable(QString::number(n)));
}

void TestNewDatabase::scriptSplitting() {
    const QStringList s = splitSqlScript(QStringLiteral("-- c;omment\nINSERT INTO t VALUES ('a;b'); -- x\n"
                                                        "SELECT 1;\n\n;SELECT 'it''s';"));
    QCOMPARE(s, QStringList({QStringLiteral("INSERT INTO t VALUES ('a;b')"), QStringLiteral("SELECT 1"),
                             QStringLiteral("SELECT 'it''s'")}));
}

void TestNewDatabase::existingFileIsNeverOverwritten() {
    if (testserver::onServer())
        QSKIP("a database file");
    TestHome home;
    home.writeFile(QStringLiteral("ciber.mdb"), QByteArray("precious"));
    const Status s = createDatabase(home.databaseFile(QStringLiteral("ciber.mdb")), true);
    QVERIFY(!s);
    QFile f(home.databaseFile(QStringLiteral("ciber.mdb")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("precious"));
    QVERIFY(!createDatabase(home.databaseFile(QStringLiteral("no/such/folder/x.mdb")), false));
    QVERIFY(!createDatabase(QString(), false));
}

void TestNewDatabase::serverDatabaseWithTablesIsNeverOverwritten() {
    if (!testserver::onServer())
        QSKIP("a server's database");
    const QString taken = testserver::newDatabase();
    const QString empty = testserver::newDatabase();
    {
        TDataModule1 data;
        QVERIFY(data.open(taken));
        run(data.db(), QStringLiteral("CREATE TABLE precioso (a BIGINT)"));
        run(data.db(), QStringLiteral("INSERT INTO precioso (a) VALUES (7)"));
    }
    QVERIFY(!createDatabase(taken, true));
    {
        TDataModule1 data;
        QVERIFY(data.open(taken));
        QCOMPARE(data.tableNames(), QStringList{QStringLiteral("precioso")});
        QCOMPARE(toInt(scalar(data.db(), QStringLiteral("SELECT a FROM precioso"))), 7);
    }
    const Status made = createDatabase(empty, false);
    QVERIFY2(made.ok(), qPrintable(made.error()));
    {
        TDataModule1 data;
        QVERIFY(data.open(empty));
        QVERIFY(data.isCurrentVersion());
        QCOMPARE(operadores(data.db()).size(), size_t(1));
    }
    testserver::dropDatabase(taken);
    testserver::dropDatabase(empty);
}

void TestNewDatabase::commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<bool>("fileAfter");
    QTest::newRow("new database") << QStringList{QStringLiteral("--new-database"), QStringLiteral("@/a.mdb")}
                                  << 0 << true;
    QTest::newRow("demo") << QStringList{QStringLiteral("--new-database"), QStringLiteral("@/b.mdb"),
                                         QStringLiteral("--demo")}
                          << 0 << true;
    QTest::newRow("existing file") << QStringList{QStringLiteral("--new-database"),
                                                  QStringLiteral("@/exists.mdb")}
                                   << 1 << true;
    QTest::newRow("missing folder") << QStringList{QStringLiteral("--new-database"),
                                                   QStringLiteral("@/none/c.mdb")}
                                    << 1 << false;
    QTest::newRow("no file name") << QStringList{QStringLiteral("--new-database")} << 2 << false;
    QTest::newRow("demo alone") << QStringList{QStringLiteral("--demo")} << 2 << false;
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--frobnicate")} << 2 << false;
    QTest::newRow("version") << QStringList{QStringLiteral("--version")} << 0 << false;
    QTest::newRow("help") << QStringList{QStringLiteral("--help")} << 0 << false;
}

void TestNewDatabase::commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(bool, fileAfter);
    const QString bin = qEnvironmentVariable("QUINTOR_BIN");
    if (bin.isEmpty())
        QSKIP("QUINTOR_BIN not set");
    QTemporaryDir dir;
    QFile existing(dir.path() + QStringLiteral("/exists.mdb"));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("keep");
    existing.close();
    // On a server: a new database for each file, one with a table of its
    // own for the file that exists, and one that is not there for the file
    // whose folder is missing.
    QString file;
    QStringList made;
    for (QString& a : arguments) {
        if (!a.startsWith(QLatin1Char('@')))
            continue;
        if (testserver::onServer()) {
            const QString name = a;
            a = testserver::newDatabase();
            made << a;
            if (name == QLatin1String("@/exists.mdb")) {
                TDataModule1 data;
                QVERIFY(data.open(a));
                run(data.db(), QStringLiteral("CREATE TABLE precioso (a BIGINT)"));
            } else if (name == QLatin1String("@/none/c.mdb")) {
                testserver::dropDatabase(a);
            }
        } else {
            a = dir.path() + a.mid(1);
        }
        file = a;
    }
    const auto present = [](const QString& where) {
        if (!testserver::onServer())
            return QFile::exists(where);
        TDataModule1 data;
        return bool(data.open(where));
    };
    QProcess p;
    p.start(bin, arguments);
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), exitCode);
    if (!file.isEmpty())
        QCOMPARE(present(file), fileAfter);
    if (exitCode != 0)
        QVERIFY(!p.readAllStandardError().trimmed().isEmpty());
    QFile kept(dir.path() + QStringLiteral("/exists.mdb"));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("keep"));
    if (QTest::currentDataTag() == QLatin1String("demo")) {
        TDataModule1 data;
        QVERIFY(data.open(file));
        QCOMPARE(toInt(scalar(data.db(), QStringLiteral("SELECT COUNT(*) FROM puestos"))), 8);
    }
    if (testserver::onServer() && QTest::currentDataTag() == QLatin1String("existing file")) {
        TDataModule1 data;
        QVERIFY(data.open(file));
        QCOMPARE(data.tableNames(), QStringList{QStringLiteral("precioso")});
    }
    for (const QString& uri : made)
        testserver::dropDatabase(uri);
}

QTEST_GUILESS_MAIN(TestNewDatabase)
#include "tst_newdatabase.moc"
