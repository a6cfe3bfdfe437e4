#include "app/frmmain.h"
#include "app/reportscontroller.h"
#include "core/consolecontext.h"
#include "reports/format.h"
#include "reports/frmlistados.h"
#include "reports/listings.h"
#include "reports/reportrenderer.h"
#include "reports/ticketlisting.h"
#include "sales/puntoventa.h"
#include "store/dialect.h"
#include "store/operadores.h"
#include "store/rows.h"
#include "store/sql.h"
#include "support/olddatabases.h"
#include "support/scriptedui.h"
#include "support/testdb.h"

#include <QAbstractBarSeries>
#include <QAction>
#include <QBarSet>
#include <QButtonGroup>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>

#include <functional>

using namespace reports;

namespace {

const QDate D1(2026, 3, 1);
const QDate D2(2026, 3, 10);
const QDateTime printed(QDate(2026, 3, 11), QTime(8, 0, 0));

void compareGolden(const QString& actual, const QString& name) {
    const QString path = QStringLiteral(REPORTS_DATA "/") + name;
    if (qEnvironmentVariableIsSet("QUINTOR_UPDATE_GOLDEN")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(actual.toUtf8());
    }
    QFile f(path);
    QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(path));
    QCOMPARE(actual, QString::fromUtf8(f.readAll()));
}

QString text(const Report& r) {
    const Regional es = Regional::spanishSpain();
    return ReportRenderer(r, es.shortDateFormat(), es.longTimeFormat()).text();
}

int ticket(const QSqlDatabase& db, const QString& num, const QDate& day, const QTime& time, qint64 cents,
           const QString& remark = QString()) {
    store::Ticket t;
    t.NUM_TICKET = num;
    t.FECHA = day;
    t.HORA = time;
    t.IMPORTE = Currency::fromCents(cents);
    t.OPERADOR = QStringLiteral("ANA");
    t.OBSERVACIONES = remark;
    return int(store::insert(db, t));
}

void line(const QSqlDatabase& db, int idTick, const QString& code, const QString& text, double units,
          qint64 cents, bool bono = false) {
    store::LinTick l;
    l.ID_TICK = idTick;
    l.CODIGO = code;
    l.ARTICULO = text;
    l.CANT = units;
    l.PRECIO = Currency::fromCents(units != 0 ? qint64(cents / units) : 0);
    l.IMPORTE = Currency::fromCents(cents);
    l.BONO = bono;
    store::insert(db, l);
}

void use(const QSqlDatabase& db, const QDate& day, const QTime& time, int station, const QVariant& customer,
         int seconds) {
    store::run(
        db,
        QStringLiteral("INSERT INTO ciber (FECHA, HORA, NPUESTO, MODALIDAD, NUM_TICKET, TARIFA, OPERADOR, "
                       "CLIENTE, TIEMPO) VALUES (?, ?, ?, 'CONTADOR', '7', 'NORMAL', 'ANA', ?, ?)"),
        {store::sqlValue(day), store::sqlValue(time), station, customer, seconds});
}

void account(const QSqlDatabase& db, const QString& login, const QString& name, const QString& tipo,
             qint64 cents) {
    store::Cuenta c;
    c.Login = login;
    c.Nombre = name;
    c.Tipo = tipo;
    c.credito = Currency::fromCents(cents);
    c.Alta = D1;
    c.Ultima = D2;
    c.Telf = QStringLiteral("600");
    store::insert(db, c);
}

void movement(const QSqlDatabase& db, const QString& login, const QDate& day, qint64 before, qint64 change,
              std::optional<int> tiBefore = {}, std::optional<int> tiAfter = {}) {
    store::MovCuenta m;
    m.CUENTA = login;
    m.FECHA = day;
    m.HORA = QTime(23, 59, 59);
    m.CONCEPTO = QStringLiteral("Mov");
    if (!tiBefore) {
        m.SALDO_ANT = Currency::fromCents(before);
        m.SALDO_MOV = Currency::fromCents(change);
        m.SALDO_FIN = Currency::fromCents(before + change);
    } else {
        m.saldoti_ant_bono = tiBefore;
        m.saldoti_fin_bono = tiAfter;
        m.SALDOTI_MOV = QStringLiteral("0:10:00");
    }
    store::insert(db, m);
}

// Days before, inside (both ends, to the last second) and after the range.
void fill(const QSqlDatabase& db) {
    const int a = ticket(db, QStringLiteral("1"), D1, QTime(0, 0, 0), 550);
    line(db, a, QStringLiteral("COLA"), QStringLiteral("Refresco"), 2, 300);
    line(db, a, QString(), QStringLiteral("PUESTO 2 0:30:00"), 1, 150);
    line(db, a, QStringLiteral("B60"), QStringLiteral("Bono 60 min"), 1, 100, true);
    const int b = ticket(db, QStringLiteral("2"), D2, QTime(23, 59, 59), 0, QStringLiteral("ANULADO"));
    line(db, b, QStringLiteral("COLA"), QStringLiteral("Refresco"), 0, 0);
    const int c = ticket(db, QStringLiteral("3"), D2, QTime(12, 0, 0), 300);
    line(db, c, QStringLiteral("CAFE"), QStringLiteral("Café"), 3, 300);
    const int d = ticket(db, QStringLiteral("4"), D2.addDays(1), QTime(0, 0, 0), 999);
    line(db, d, QStringLiteral("COLA"), QStringLiteral("Refresco"), 9, 999);
    ticket(db, QStringLiteral("0"), D1.addDays(-1), QTime(23, 59, 59), 999);

    use(db, D1, QTime(10, 0), 2, QVariant(), 27 * 3600);
    use(db, D2, QTime(23, 59, 59), 3, QStringLiteral(""), 5);
    use(db, D2, QTime(11, 0), 2, QStringLiteral("pepe"), 3600);
    use(db, D2.addDays(1), QTime(0, 0), 3, QStringLiteral("pepe"), 999);

    account(db, QStringLiteral("pepe"), QStringLiteral("Pepe Pérez"), QStringLiteral("0"), 1000);
    account(db, QStringLiteral("O'Hara"), QStringLiteral("100% Ana"), QStringLiteral("0"), 250);
    account(db, QStringLiteral("ana"), QStringLiteral("1000 Ana"), QStringLiteral("2"), -50);
    account(db, QStringLiteral("COD1"), QStringLiteral(""), QStringLiteral("9"), 0);
    movement(db, QStringLiteral("pepe"), D1, 1500, -500);
    movement(db, QStringLiteral("pepe"), D2, 1000, 200);
    movement(db, QStringLiteral("O'Hara"), D2, 0, 0, 1200, 600); // time spent: a charge
    movement(db, QStringLiteral("O'Hara"), D2, 0, 250);
    movement(db, QStringLiteral("COD1"), D2, 0, 0, 3600, 3000);
    movement(db, QStringLiteral("pepe"), D2.addDays(1), 1200, -1200);
}

// A new database, or one whose columns compare exactly because it was made
// before they declared their letter-case rule.
QString databaseOfLayout(const TestHome& home, bool upgraded) {
    if (!upgraded)
        return home.createDatabase();
    const QString path = home.databaseFile(QStringLiteral("upgraded.mdb"));
    createUpgradedDatabase(path);
    return path;
}

// One sale at the point of sale with the code as typed: F1, the code and
// Enter, F10.
void sell(const QSqlDatabase& db, const QString& typed, const QDateTime& now) {
    const store::Ticket t = sales::nuevaVenta(db, QStringLiteral("ANA"), now);
    const std::optional<store::Articulo> a = sales::articuloPorCodigo(db, typed);
    QVERIFY(a);
    store::Udart u = sales::readUdart(db);
    u.UD = 1;
    u.ART = a->ARTICULO;
    u.PRE = u.IMP = a->PRECIO;
    sales::saveUdart(db, u);
    QCOMPARE(sales::anadirLinea(db, t.ID_TICK, typed), QString());
}

// Fields of a CSV written by toCsv (no quoted fields in these listings).
QList<QStringList> csvRows(const Report& r) {
    QList<QStringList> rows;
    for (const QString& line : toCsv(r).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        rows << line.split(QLatin1Char(';'));
    return rows;
}

// The reports on the main window, over filled books, ADMIN logged in and
// the clock at noon of today.
struct ReportsConsole {
    explicit ReportsConsole(const QDate& today)
        : clock(QDateTime(today, QTime(12, 0))) {
        fill(t.data.db());
        context.data = &t.data;
        context.regional = Regional::spanishSpain();
        context.clock = &clock;
        context.currentOperator = QStringLiteral("ADMIN");
    }
    TestDatabase t{true};
    FakeClock clock;
    ConsoleContext context;
    TFrmMain window;
    ReportsController controller{context, window};
};

} // namespace

class TestListings : public QObject {
    Q_OBJECT
private slots:
    void goldens() {
        TestDatabase t;
        const QSqlDatabase db = t.data.db();
        fill(db);
        const Regional es = Regional::spanishSpain();
        const DateRange range{D1, D2};
        QString all;
        all += text(listadoTickets(db, es, range, false, printed));
        all += text(listadoTickets(db, es, range, true, printed));
        all += text(listadoActividad(db, es, range, std::nullopt, printed));
        all += text(listadoActividad(db, es, range, 3, printed));
        all += text(listadoMovimientos(db, es, range, MovScope::TodasCuentas, {}, MovKind::Todos, printed));
        all += text(listadoMovimientos(db, es, range, MovScope::TodasCuentas, {}, MovKind::Cargos, printed));
        all += text(listadoMovimientos(db, es, range, MovScope::Cuenta, QStringLiteral("O'Hara"),
                                       MovKind::Abonos, printed));
        all += text(listadoMovimientos(db, es, range, MovScope::TodosCodigos, {}, MovKind::Todos, printed));
        all += text(estadisticaClientes(db, es, range, EstClientes::CreditoConsumido, printed).report);
        all += text(estadisticaClientes(db, es, range, EstClientes::CreditoAportado, printed).report);
        all += text(estadisticaClientes(db, es, range, EstClientes::Tiempo, printed).report);
        all += text(estadisticaPuestos(db, es, range, printed).report);
        all += text(ventasArticulos(db, es, range, std::nullopt, printed).report);
        all += text(ventasArticulos(db, es, range, QStringLiteral("CAFE"), printed).report);
        all += text(ventasBonos(db, es, range, printed).report);
        all +=
            text(listadoCuentas(db, es, {OrdenCuentas::Credito, OrdenCuentas::Ninguno, OrdenCuentas::Ninguno},
                                QString(), TipoListadoCuentas::CreditoDisponible, printed));
        all +=
            text(listadoCuentas(db, es, {OrdenCuentas::Nombre, OrdenCuentas::Ninguno, OrdenCuentas::Ninguno},
                                QStringLiteral("100%"), TipoListadoCuentas::DatosPersonales, printed));
        compareGolden(all, QStringLiteral("listings.txt"));
    }

    // A listing read a few tickets at a time is the listing read at once,
    // also when the tickets fill the last part exactly; a ticket written
    // while it is read does not join half-way.
    void ticketsReadInParts_data() {
        QTest::addColumn<bool>("details");
        QTest::addColumn<int>("partSize");
        for (bool details : {false, true}) {
            const char* kind = details ? "details" : "totals";
            for (int size : {1, 2, 3, 4})
                QTest::addRow("%s, parts of %d", kind, size) << details << size;
        }
    }
    void ticketsReadInParts() {
        QFETCH(bool, details);
        QFETCH(int, partSize);
        TestDatabase t;
        const QSqlDatabase db = t.data.db();
        fill(db);
        const Regional es = Regional::spanishSpain();
        TicketListingTexts texts;
        texts.remarks = true;
        texts.totalsColumns = {QStringLiteral("N"), QStringLiteral("F"), QStringLiteral("H"),
                               QStringLiteral("I"), QStringLiteral("O"), QStringLiteral("Op")};
        texts.sumLabel = QStringLiteral("Suma");
        texts.groupLabels = {QStringLiteral("N"), QStringLiteral("F"), QStringLiteral("H"),
                             QStringLiteral("Op"), QStringLiteral("O")};
        texts.lineColumns = {QStringLiteral("C"), QStringLiteral("D"), QStringLiteral("P"),
                             QStringLiteral("U"), QStringLiteral("I")};
        texts.groupTotalLabel = QStringLiteral("Total");
        texts.detailsSumLabel = QStringLiteral("Suma...");
        const TicketFilter filter{QStringLiteral("FECHA >= ? AND FECHA <= ?"),
                                  {store::sqlValue(D1), store::sqlValue(D2)}};
        auto read = [&](int size, const std::function<void()>& afterFirst) {
            Report r;
            r.printedAt = printed;
            TicketListing listing(r, db, es, filter, texts, details);
            int parts = 0;
            while (listing.next(r, size)) {
                if (++parts == 1 && afterFirst)
                    afterFirst();
            }
            [&] { QCOMPARE(listing.done(), listing.count()); }();
            return text(r);
        };
        const QString whole = read(1000, {});
        QVERIFY(whole.contains(QLatin1String("5,50")));
        const QString inParts = read(partSize, [&] {
            const int late = ticket(db, QStringLiteral("99"), D2, QTime(13, 0), 12345);
            line(db, late, QStringLiteral("TARDE"), QStringLiteral("Escrito durante la lectura"), 1, 12345);
        });
        QCOMPARE(inParts, whole);
    }

    void edges() {
        TestDatabase t;
        const QSqlDatabase db = t.data.db();
        fill(db);
        const Regional es = Regional::spanishSpain();
        const DateRange range{D1, D2};
        // A start after the end: headings only.
        QVERIFY(listadoTickets(db, es, DateRange{D2, D1}, false, printed).body.empty());
        // A station without use periods in the range.
        QVERIFY(listadoActividad(db, es, range, 8, printed).body.empty());
        // A quote in a login is only a character.
        QCOMPARE(int(listadoMovimientos(db, es, range, MovScope::Cuenta, QStringLiteral("O'Hara"),
                                        MovKind::Todos, printed)
                         .body.size()),
                 2);
        QVERIFY(listadoMovimientos(db, es, range, MovScope::Cuenta, QStringLiteral("x' OR '1'='1"),
                                   MovKind::Todos, printed)
                    .body.empty());
        // Anonymous use, null or empty, is one row; 27 h and 5 s.
        const Statistic time = estadisticaClientes(db, es, range, EstClientes::Tiempo, printed);
        QCOMPARE(time.labels, (QStringList{QString(), QStringLiteral("pepe")}));
        QCOMPARE(time.report.body.front().rows.front().cells.at(2),
                 QStringLiteral("27  Horas  0  Min.  5  Seg.  "));
        // A sum of hundreds of hours prints whole in its column, in the
        // report's 8-point type.
        {
            QFont type(QStringLiteral("DejaVu Sans"));
            type.setPixelSize(800);
            const double mm =
                QFontMetricsF(type).horizontalAdvance(formatTimeSum(999 * 3600 + 59 * 60 + 59)) / 100.0 *
                25.4 / 72.0;
            const int set = time.report.body.front().rows.front().columns;
            QVERIFY2(time.report.columnSets[size_t(set)].at(2).width >= mm, qPrintable(QString::number(mm)));
        }
        // Wildcards typed in the name are literal.
        QCOMPARE(int(listadoCuentas(db, es, {}, QStringLiteral("1_0"), TipoListadoCuentas::DatosPersonales,
                                    printed)
                         .body.size()),
                 0);
        QCOMPARE(int(listadoCuentas(db, es, {}, QStringLiteral("100"), TipoListadoCuentas::DatosPersonales,
                                    printed)
                         .body.size()),
                 2);
        // A code with a double quote is bound, not pasted.
        QVERIFY(ventasArticulos(db, es, range, QStringLiteral("\" OR \"\"=\""), printed).report.body.empty());
    }

    // Movements and use periods booked under the login as typed belong to
    // the one account; a difference in a letter outside A-Z is another login.
    void oneCustomerWhateverTheCase_data() {
        QTest::addColumn<bool>("upgraded");
        QTest::newRow("new database") << false;
        QTest::newRow("upgraded database") << true;
    }
    void oneCustomerWhateverTheCase() {
        QFETCH(bool, upgraded);
        TestHome home;
        TDataModule1 data;
        QVERIFY(data.open(databaseOfLayout(home, upgraded)));
        const QSqlDatabase db = data.db();
        store::run(db, QStringLiteral("DELETE FROM cuentas"));
        account(db, QStringLiteral("ANA"), QStringLiteral("Ana"), QStringLiteral("0"), 0);
        account(db, QStringLiteral("ÑU"), QStringLiteral("Ñu"), QStringLiteral("0"), 0);
        movement(db, QStringLiteral("ana"), D1, 1000, -300);
        movement(db, QStringLiteral("ANA"), D2, 700, -200);
        movement(db, QStringLiteral("Ana"), D2, 500, 400);
        movement(db, QStringLiteral("ñu"), D2, 500, -100);
        use(db, D1, QTime(10, 0), 1, QStringLiteral("ana"), 600);
        use(db, D2, QTime(10, 0), 2, QStringLiteral("ANA"), 1200);
        use(db, D2, QTime(11, 0), 2, QStringLiteral("ñu"), 60);
        const Regional es = Regional::spanishSpain();
        const DateRange range{D1, D2};

        for (const QString& login : {QStringLiteral("ANA"), QStringLiteral("ana")})
            QCOMPARE(int(listadoMovimientos(db, es, range, MovScope::Cuenta, login, MovKind::Todos, printed)
                             .body.size()),
                     3);
        QVERIFY(
            listadoMovimientos(db, es, range, MovScope::Cuenta, QStringLiteral("ÑU"), MovKind::Todos, printed)
                .body.empty());
        // "ñu" is no account's movement.
        QCOMPARE(int(listadoMovimientos(db, es, range, MovScope::TodasCuentas, {}, MovKind::Todos, printed)
                         .body.size()),
                 3);

        const Statistic consumed = estadisticaClientes(db, es, range, EstClientes::CreditoConsumido, printed);
        QCOMPARE(consumed.labels.size(), 2);
        QVERIFY2(store::sameKey(consumed.labels.at(0), QStringLiteral("ANA")),
                 qPrintable(consumed.labels.at(0)));
        QCOMPARE(consumed.labels.at(1), QStringLiteral("ñu"));
        QCOMPARE(consumed.values, (std::vector<double>{5.0, 1.0}));
        const Statistic time = estadisticaClientes(db, es, range, EstClientes::Tiempo, printed);
        QCOMPARE(time.labels.size(), 2);
        QVERIFY2(store::sameKey(time.labels.at(0), QStringLiteral("ANA")), qPrintable(time.labels.at(0)));
        QCOMPARE(time.values.at(0), 0.5);
    }

    // Two sales of one article typed in different letter case are one row,
    // under the article's own code.
    void oneArticleWhateverTheCase_data() {
        QTest::addColumn<bool>("upgraded");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("new database") << false << "cafe"
                                      << "CAFE";
        QTest::newRow("upgraded database") << true << "Cafe"
                                           << "cAFE";
    }
    void oneArticleWhateverTheCase() {
        QFETCH(bool, upgraded);
        QFETCH(QString, first);
        QFETCH(QString, second);
        TestHome home;
        TDataModule1 data;
        QVERIFY(data.open(databaseOfLayout(home, upgraded)));
        const QSqlDatabase db = data.db();
        store::run(db,
                   QStringLiteral("INSERT INTO articulos (CODIGO, ARTICULO, PRECIO) SELECT 'CAFE', 'Café', "
                                  "12000 WHERE NOT EXISTS (SELECT 1 FROM articulos WHERE CODIGO = 'CAFE')"));
        const QDateTime now(D2, QTime(9, 0));
        sell(db, first, now);
        sell(db, second, now);
        const Regional es = Regional::spanishSpain();
        const DateRange range{D1, D2};
        for (const std::optional<QString>& codigo :
             {std::optional<QString>(), std::optional<QString>(first)}) {
            const Statistic s = ventasArticulos(db, es, range, codigo, printed);
            QCOMPARE(s.labels, QStringList{QStringLiteral("Café")});
            QCOMPARE(s.values, std::vector<double>{2.0});
            QCOMPARE(s.report.body.front().rows.front().cells.at(0), QStringLiteral("CAFE"));
        }
    }

    // Totals and group totals sit under the column they add up, headings
    // over several columns over their first column; the rest of the row is
    // empty.
    void csvTotalsUnderTheirColumn_data() {
        QTest::addColumn<int>("listing");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("head");
        QTest::addColumn<int>("occurrence");
        QTest::addColumn<QString>("value");
        // The other heading of its row.
        QTest::addColumn<QString>("beside");
        QTest::newRow("ticket sum") << 0 << "Suma"
                                    << "Importe" << 0 << "8,50 €" << QString();
        QTest::newRow("ticket group total") << 1 << "Total ticket"
                                            << "Importe" << 0 << "0,00 €" << QString();
        QTest::newRow("ticket details sum") << 1 << "Suma..........."
                                            << "Importe" << 0 << "8,50 €" << QString();
        QTest::newRow("account credit sum") << 2 << "Suma Crédito"
                                            << "Crédito" << 0 << "12,00 €" << QString();
        QTest::newRow("money balances heading") << 3 << "Crédito en metálico"
                                                << "Saldo anterior" << 0 << "Crédito en metálico"
                                                << "Crédito en tiempo";
        QTest::newRow("time balances heading") << 3 << "Crédito en tiempo"
                                               << "Saldo anterior" << 1 << "Crédito en tiempo"
                                               << "Crédito en metálico";
    }
    void csvTotalsUnderTheirColumn() {
        QFETCH(int, listing);
        QFETCH(QString, label);
        QFETCH(QString, head);
        QFETCH(int, occurrence);
        QFETCH(QString, value);
        QFETCH(QString, beside);
        TestDatabase t;
        const QSqlDatabase db = t.data.db();
        fill(db);
        const Regional es = Regional::spanishSpain();
        const DateRange range{D1, D2};
        const Report reports[] = {
            listadoTickets(db, es, range, false, printed),
            listadoTickets(db, es, range, true, printed),
            listadoCuentas(db, es, {}, QString(), TipoListadoCuentas::CreditoDisponible, printed),
            listadoMovimientos(db, es, range, MovScope::TodasCuentas, {}, MovKind::Todos, printed),
        };
        const QList<QStringList> rows = csvRows(reports[listing]);
        QStringList heads;
        for (const QStringList& r : rows)
            if (r.contains(head)) {
                heads = r;
                break;
            }
        int at = heads.indexOf(head);
        for (int k = 0; k < occurrence; ++k)
            at = heads.indexOf(head, at + 1);
        QVERIFY(at >= 0);
        int found = 0;
        for (const QStringList& r : rows) {
            if (!r.contains(label))
                continue;
            ++found;
            QCOMPARE(r.size(), heads.size());
            QVERIFY2(!r.at(at).isEmpty(), qPrintable(r.join(QLatin1Char(';'))));
            for (int c = 0; c < r.size(); ++c)
                if (c != at && r.at(c) != label && (beside.isEmpty() || r.at(c) != beside))
                    QVERIFY2(r.at(c).isEmpty(), qPrintable(r.join(QLatin1Char(';'))));
        }
        QVERIFY(found > 0);
        QVERIFY(std::any_of(rows.begin(), rows.end(),
                            [&](const QStringList& r) { return r.contains(label) && r.at(at) == value; }));
    }

    // A failed query shows the standard error box and no listing, whether it
    // ran for "Imprimir" or for the opening of the window.
    void queryFailure_data() {
        QTest::addColumn<bool>("onOpening");
        QTest::newRow("Imprimir") << false;
        QTest::newRow("opening") << true;
    }
    void queryFailure() {
        QFETCH(bool, onOpening);
        TestDatabase t;
        ConsoleContext context;
        context.data = &t.data;
        context.regional = Regional::spanishSpain();
        FakeClock clock(QDateTime(D1, QTime(12, 0)));
        context.clock = &clock;
        store::run(t.data.db(), QStringLiteral("DROP TABLE ciber"));
        ScriptedUi ui;
        TFrmestpuestos window(context);
        window.prepare();
        if (onOpening) {
            window.show();
            QVERIFY(QTest::qWaitFor([&] { return !ui.messages().isEmpty(); }));
            QTest::qWait(20);
        } else {
            QVERIFY(!window.imprimir());
        }
        QCOMPARE(ui.messages().size(), 1);
        QCOMPARE(ui.messages().first().caption, QStringLiteral("Error"));
        QVERIFY(ui.dialogNames().isEmpty());
        QCOMPARE(window.table()->rowCount(), 0);
    }

    // A statistic opens with its default selection already in its table and
    // chart: nothing pressed, no preview. The window is up before the query.
    void statisticFillsOnOpening_data() {
        QTest::addColumn<QString>("action");
        QTest::newRow("customers") << "estadClientes";
        QTest::newRow("stations") << "estadPuestos";
        QTest::newRow("article sales") << "ventasArticulos";
        QTest::newRow("voucher sales") << "ventasBonos";
    }
    void statisticFillsOnOpening() {
        QFETCH(QString, action);
        // Today is D1: every statistic's default selection has rows that day.
        ReportsConsole c(D1);
        ScriptedUi ui;
        int rowsAtShow = -1;
        int rows = -1;
        int series = 0;
        bool emptiedOnChange = false;
        ui.onNextDialog([&](QDialog* d) {
            auto* w = qobject_cast<ListadoWindow*>(d);
            if (!w || !w->table())
                return int(QDialog::Rejected);
            w->show();
            rowsAtShow = w->table()->rowCount();
            (void)QTest::qWaitFor([&] { return w->table()->rowCount() > 0; });
            rows = w->table()->rowCount();
            // A day without sales shows at once, with nothing pressed.
            w->fromEdit()->setDate(D1.addDays(-30));
            w->toEdit()->setDate(D1.addDays(-30));
            emptiedOnChange = QTest::qWaitFor([&] { return w->table()->rowCount() == 0; });
            w->fromEdit()->setDate(D1);
            w->toEdit()->setDate(D1);
            (void)QTest::qWaitFor([&] { return w->table()->rowCount() > 0; });
            if (QChart* chart = w->chart()->chart())
                for (QAbstractSeries* s : chart->series())
                    if (auto* bars = qobject_cast<QAbstractBarSeries*>(s))
                        for (QBarSet* set : bars->barSets())
                            series += int(set->count());
            w->hide();
            return int(QDialog::Rejected);
        });
        QVERIFY(c.controller.open(action));
        QCOMPARE(rowsAtShow, 0);
        QVERIFY(rows > 0);
        QVERIFY(emptiedOnChange);
        QVERIFY(series > 0);
        QCOMPARE(ui.dialogNames().size(), 1); // no preview
        QVERIFY(ui.messages().isEmpty());
    }

    // Every entry of "&Utilidades" opens its window, runs its listing and
    // previews it; the statistics fill their table and chart.
    void controller() {
        ReportsConsole c(D2);
        ScriptedUi ui;
        const QStringList names{QStringLiteral("listadoTickets"),  QStringLiteral("listadoActividad"),
                                QStringLiteral("listadoCuentas"),  QStringLiteral("listadoMovimientos"),
                                QStringLiteral("estadClientes"),   QStringLiteral("estadPuestos"),
                                QStringLiteral("ventasArticulos"), QStringLiteral("ventasBonos")};
        const QStringList captions{QStringLiteral("[Listado de tickets]"),
                                   QStringLiteral("[Listado de actividad en puestos]"),
                                   QStringLiteral("[Listado de cuentas de clientes]"),
                                   QStringLiteral("[Listado de movimientos]"),
                                   QStringLiteral("[Estadística de clientes]"),
                                   QStringLiteral("[Estadística de puestos]"),
                                   QStringLiteral("[Estadística de ventas]"),
                                   QStringLiteral("[Ventas de bonos]")};
        for (int i = 0; i < names.size(); ++i) {
            QAction* a = c.window.action(names.at(i));
            QVERIFY(a && a->isEnabled());
            QString preview;
            int rows = -1;
            bool chart = false;
            ui.onNextDialog([&](QDialog* d) {
                auto* w = qobject_cast<ListadoWindow*>(d);
                if (!w)
                    return int(QDialog::Rejected);
                if (w->fromEdit())
                    w->fromEdit()->setDate(D1);
                ui.onNextDialog([&](QDialog* p) {
                    preview = p->windowTitle();
                    return int(QDialog::Accepted);
                });
                w->imprimir();
                if (w->table()) {
                    rows = w->table()->rowCount();
                    chart = w->chart()->chart() && !w->chart()->chart()->series().isEmpty();
                }
                return int(QDialog::Rejected);
            });
            a->trigger();
            QCOMPARE(preview, captions.at(i));
            if (names.at(i).startsWith(QLatin1String("estad")) ||
                names.at(i).startsWith(QLatin1String("ventas"))) {
                QVERIFY(rows > 0);
                QVERIFY(chart);
            }
        }
        QVERIFY(ui.messages().isEmpty());

        // Without the permission: the operator's name and the refusal, nothing opens.
        store::Operador op;
        op.NOMBRE = QStringLiteral("LUIS");
        op.setAll(true);
        op.set(store::Permiso::INFORME4, false);
        store::insertOperador(c.t.data.db(), op);
        c.context.currentOperator = QStringLiteral("LUIS");
        QVERIFY(!c.controller.open(QStringLiteral("ventasArticulos")));
        QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("LUIS:\r\rOperación no permitida.")});
        QVERIFY(ui.dialogNames().size() == 16);
    }
};

QTEST_MAIN(TestListings)
#include "tst_listings.moc"
