#include "core/clock.h"
#include "core/consolecontext.h"
#include "station/estadohtml.h"
#include "station/listapuestos.h"
#include "station/menustate.h"
#include "station/progress.h"
#include "store/rows.h"
#include "store/sql.h"
#include "support/testdb.h"

#include <QSignalSpy>
#include <QTest>

using station::Estado;
using station::Pendiente;

namespace {

class CountingProgress : public station::Progress {
public:
    int begins = 0;
    int maximum = -1;
    int steps = 0;
    int ends = 0;
    void begin(int max) override {
        ++begins;
        maximum = max;
    }
    void step() override { ++steps; }
    void end() override { ++ends; }
};

// Addresses nobody listens on; the links only ever see refusals.
QString unusedAddress(int number) {
    return QStringLiteral("127.42.%1.%2").arg(number / 200 + 1).arg(number % 200 + 1);
}

store::Puesto row(int number, int estado = 1) {
    store::Puesto p;
    p.npuesto = number;
    p.ip = unusedAddress(number);
    p.host = QStringLiteral("pc%1").arg(number);
    p.preciorel = 100;
    p.estado = estado;
    p.sinconex = QStringLiteral("0");
    return p;
}

struct Registry {
    Registry() {
        ctx.data = &db.data;
        ctx.regional = Regional::spanishSpain();
        ctx.clock = &clock;
        lista = std::make_unique<ListaPuestos>(ctx);
        lista->scheduler().setDrive(station::LinkScheduler::Drive::Manual);
    }
    void insert(const store::Puesto& p) { store::insert(db.data.db(), p); }
    void insertRange(int from, int to) {
        for (int n = from; n <= to; ++n)
            insert(row(n));
    }
    store::Puesto stored(int number) {
        return *store::selectOne<store::Puesto>(db.data.db(), QStringLiteral("WHERE npuesto = ?"), {number});
    }
    QList<int> numbers() const {
        QList<int> n;
        for (int i = 0; i < lista->count(); ++i)
            n << lista->at(i).number;
        return n;
    }
    bool rowsValid() const {
        for (int i = 0; i < lista->count(); ++i) {
            if (lista->at(i).row != i + 1)
                return false;
        }
        return true;
    }

    TestDatabase db;
    FakeClock clock;
    ConsoleContext ctx;
    std::unique_ptr<ListaPuestos> lista;
};

} // namespace

class TestRegistry : public QObject {
    Q_OBJECT
private slots:
    void loadRestoresEveryColumn();
    void saveWritesEveryColumn();
    void stateOutOfRangeLoadsFree_data();
    void stateOutOfRangeLoadsFree();
    void hostOption();
    void progressAboveTenRows_data();
    void progressAboveTenRows();
    void sortThenSaveRestoresNumberOrder();
    void typedNumbers();
    void addRemoveAndPuestoLibre();
    void commandsOnSelected();
    void messageAndVolume();
    void menuState_data();
    void menuState();
    void estadoHtmlOfTwoStations();
    void estadoHtmlColours_data();
    void estadoHtmlColours();
};

void TestRegistry::loadRestoresEveryColumn() {
    Registry r;
    store::Puesto p = row(2, 2);
    p.sinconex = QStringLiteral("1");
    p.tiempo = 65;
    p.coste = Currency::fromCents(120);
    p.seg_prepago = 0;
    p.coste_prepago = Currency::fromCents(0);
    p.cuenta = QStringLiteral("Ana");
    p.pass = QStringLiteral("pw");
    p.tarifa = QStringLiteral("NORMAL");
    p.tipotarifa = QStringLiteral("0");
    p.cerraraut = true;
    p.pagado = Currency::fromCents(500);
    p.descuento = 10;
    p.Modoconexion = 1;
    p.tiempointercambio = 30;
    p.costeintercambio = Currency::fromCents(50);
    p.ticket = QStringLiteral("000042");
    p.preciorel = 150;
    p.trsinconex = true;
    r.insert(p);
    r.insert(row(1));
    QSignalSpy reset(r.lista.get(), &ListaPuestos::rowsReset);
    QVERIFY(r.lista->CargarPuestos());
    QCOMPARE(reset.count(), 1);
    QVERIFY(r.lista->stationsLoaded());
    QCOMPARE(r.numbers(), (QList<int>{1, 2}));
    QVERIFY(r.rowsValid());

    const TPuestos& e = *r.lista->byNumber(2);
    QCOMPARE(e.address, unusedAddress(2));
    QCOMPARE(e.relativePrice, 150);
    QVERIFY(e.treatAsConnected);
    const station::StationRecord& s = e.rec();
    QCOMPARE(s.estado, Estado::Contador);
    QCOMPARE(s.estadoAnterior, Estado::Contador);
    QVERIFY(s.disconnected);
    QCOMPARE(s.clockMs, 65000);
    QCOMPARE(s.cost, Currency::fromCents(120));
    QCOMPARE(s.accountLogin, QStringLiteral("Ana"));
    QCOMPARE(s.password, QStringLiteral("pw"));
    QCOMPARE(s.tariffName, QStringLiteral("NORMAL"));
    QCOMPARE(s.accountType, QStringLiteral("0"));
    QVERIFY(s.closeWhenCreditExhausted);
    QCOMPARE(s.moneyCredit, Currency::fromCents(500));
    QCOMPARE(s.discountPercent, 10);
    QCOMPARE(s.noPasswordChange, 1);
    QCOMPARE(s.exchangeTimeMs, 30000);
    QCOMPARE(s.exchangeCost, Currency::fromCents(50));
    QCOMPARE(s.ticketNumber, QStringLiteral("000042"));
    QVERIFY(s.tariffCheckPending);
    QVERIFY(!r.lista->byNumber(1)->rec().tariffCheckPending);
    QVERIFY(!r.lista->byNumber(1)->rec().disconnected);
    QVERIFY(r.lista->loginsInUse().contains(QStringLiteral("ANA")));
    QCOMPARE(r.lista->loginsInUse().size(), 1);
}

void TestRegistry::saveWritesEveryColumn() {
    Registry r;
    for (int n = 1; n <= 4; ++n)
        r.insert(row(n));
    QVERIFY(r.lista->CargarPuestos());
    station::StationRecord& a = r.lista->byNumber(1)->rec();
    a.clockMs = 2500;
    station::StationRecord& b = r.lista->byNumber(2)->rec();
    b.clockMs = 3500;
    station::StationRecord& c = r.lista->byNumber(3)->rec();
    c.estado = Estado::Prepago;
    c.clockMs = 900000;
    c.prepaidSeconds = 1800;
    c.prepaidAmount = Currency::fromCents(200);
    c.cost = Currency::fromCents(200);
    c.ticketNumber = QStringLiteral("000007");
    station::StationRecord& d = r.lista->byNumber(4)->rec();
    d.estado = Estado::Admin;
    d.disconnected = true;
    d.accountLogin = QStringLiteral("luis");
    d.password = QStringLiteral("x\"y'z");
    d.tariffName = QStringLiteral("FRANJAS");
    d.accountType = QStringLiteral("1");
    d.closeWhenCreditExhausted = true;
    d.moneyCredit = Currency::fromRaw(12345);
    d.discountPercent = 15;
    d.noPasswordChange = 1;
    d.exchangeTimeMs = 42000;
    d.exchangeCost = Currency::fromCents(33);
    d.cost = Currency::fromCents(99);
    QVERIFY(r.lista->GuardarPuestos());

    QCOMPARE(r.stored(1).tiempo, 2);
    QCOMPARE(r.stored(2).tiempo, 4);
    const store::Puesto s3 = r.stored(3);
    QCOMPARE(s3.estado, 3);
    QCOMPARE(s3.tiempo, 900);
    QCOMPARE(s3.seg_prepago, 1800);
    QCOMPARE(s3.coste_prepago, Currency::fromCents(200));
    QCOMPARE(s3.ticket, QStringLiteral("000007"));
    const store::Puesto s4 = r.stored(4);
    QCOMPARE(s4.estado, 5);
    QCOMPARE(s4.sinconex, QStringLiteral("1"));
    QCOMPARE(s4.coste, Currency::fromCents(99));
    QCOMPARE(s4.cuenta, QStringLiteral("luis"));
    QCOMPARE(s4.pass, QStringLiteral("x\"y'z"));
    QCOMPARE(s4.tarifa, QStringLiteral("FRANJAS"));
    QCOMPARE(s4.tipotarifa, QStringLiteral("1"));
    QVERIFY(s4.cerraraut);
    QCOMPARE(s4.pagado, Currency::fromRaw(12345));
    QCOMPARE(s4.descuento, 15);
    QCOMPARE(s4.Modoconexion, 1);
    QCOMPARE(s4.tiempointercambio, 42);
    QCOMPARE(s4.costeintercambio, Currency::fromCents(33));
    // Configuration columns are not the registry's to write.
    QCOMPARE(s4.ip, unusedAddress(4));
    QCOMPARE(s4.preciorel, 100);

    // And back: the prepaid station continues from 15 minutes left.
    Registry again;
    again.ctx.data = &r.db.data;
    QVERIFY(again.lista->CargarPuestos());
    QCOMPARE(again.lista->byNumber(3)->rec().clockMs, 900000);
    QCOMPARE(again.lista->byNumber(3)->rec().estado, Estado::Prepago);
    QCOMPARE(again.lista->byNumber(4)->rec().moneyCredit, Currency::fromRaw(12345));
}

void TestRegistry::stateOutOfRangeLoadsFree_data() {
    QTest::addColumn<int>("estado");
    QTest::addColumn<int>("state");
    QTest::newRow("0") << 0 << int(Estado::Libre);
    QTest::newRow("1") << 1 << int(Estado::Libre);
    QTest::newRow("3") << 3 << int(Estado::Prepago);
    QTest::newRow("4") << 4 << int(Estado::Desactivado);
    QTest::newRow("5") << 5 << int(Estado::Admin);
    QTest::newRow("6") << 6 << int(Estado::Libre);
    QTest::newRow("-1") << -1 << int(Estado::Libre);
}

void TestRegistry::stateOutOfRangeLoadsFree() {
    QFETCH(int, estado);
    QFETCH(int, state);
    Registry r;
    r.insert(row(1, estado));
    QVERIFY(r.lista->CargarPuestos());
    QCOMPARE(int(r.lista->at(0).rec().estado), state);
}

void TestRegistry::hostOption() {
    Registry r;
    r.insert(row(1));
    store::run(r.db.data.db(), QStringLiteral("UPDATE opciones SET Host = 1"));
    QVERIFY(r.lista->CargarPuestos());
    QCOMPARE(r.lista->at(0).address, QStringLiteral("pc1"));
    QCOMPARE(r.lista->at(0).tarea->address(), QStringLiteral("pc1"));
}

void TestRegistry::progressAboveTenRows_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("shown");
    QTest::newRow("10") << 10 << false;
    QTest::newRow("11") << 11 << true;
    QTest::newRow("12") << 12 << true;
}

void TestRegistry::progressAboveTenRows() {
    QFETCH(int, rows);
    QFETCH(bool, shown);
    Registry r;
    // Inserted out of order: the registry follows the numbers.
    r.insertRange(6, rows);
    r.insertRange(1, 5);
    CountingProgress load;
    QVERIFY(r.lista->CargarPuestos(&load));
    QCOMPARE(r.lista->count(), rows);
    QCOMPARE(r.numbers().first(), 1);
    QCOMPARE(r.numbers().last(), rows);
    QCOMPARE(load.begins, shown ? 1 : 0);
    QCOMPARE(load.steps, shown ? rows : 0);
    QCOMPARE(load.ends, shown ? 1 : 0);
    if (shown)
        QCOMPARE(load.maximum, rows);

    CountingProgress save;
    QVERIFY(r.lista->GuardarPuestos(&save));
    QCOMPARE(save.begins, 1);
    QCOMPARE(save.maximum, rows);
    QCOMPARE(save.steps, rows);
    QCOMPARE(save.ends, 1);
}

void TestRegistry::sortThenSaveRestoresNumberOrder() {
    Registry r;
    r.insertRange(1, 4);
    QVERIFY(r.lista->CargarPuestos());
    r.lista->byNumber(1)->rec().clockMs = 3000;
    r.lista->byNumber(2)->rec().clockMs = 1000;
    r.lista->byNumber(3)->rec().clockMs = 4000;
    r.lista->byNumber(4)->rec().clockMs = 2000;
    r.lista->byNumber(4)->rec().cost = Currency::fromCents(300);
    r.lista->setSelectedRow(2);
    QCOMPARE(r.lista->selected()->number, 2);

    QSignalSpy reset(r.lista.get(), &ListaPuestos::rowsReset);
    r.lista->OrdenarPuestos(2, false);
    QCOMPARE(r.numbers(), (QList<int>{3, 1, 4, 2}));
    QVERIFY(r.rowsValid());
    QCOMPARE(r.lista->selected()->number, 2);
    QCOMPARE(r.lista->selectedRow(), 4);
    r.lista->OrdenarPuestos(2, true);
    QCOMPARE(r.numbers(), (QList<int>{2, 4, 1, 3}));
    r.lista->OrdenarPuestos(3, false);
    QCOMPARE(r.numbers().first(), 4);
    // Columns 1 and 4 do not sort.
    const QList<int> before = r.numbers();
    r.lista->OrdenarPuestos(1, true);
    r.lista->OrdenarPuestos(4, true);
    QCOMPARE(r.numbers(), before);
    QCOMPARE(reset.count(), 3);

    QVERIFY(r.lista->GuardarPuestos());
    QCOMPARE(r.numbers(), (QList<int>{1, 2, 3, 4}));
    QVERIFY(r.rowsValid());
    QCOMPARE(r.lista->selected()->number, 2);
    QCOMPARE(reset.count(), 4);
}

void TestRegistry::typedNumbers() {
    Registry r;
    for (int n : {1, 2, 12, 30})
        r.insert(row(n));
    QVERIFY(r.lista->CargarPuestos());
    QSignalSpy menus(r.lista.get(), &ListaPuestos::menusRefreshRequested);
    r.lista->typeDigit(QLatin1Char('1'));
    r.lista->typeDigit(QLatin1Char('2'));
    r.lista->typeEnter();
    QCOMPARE(r.lista->selected()->number, 12);
    QCOMPARE(menus.count(), 1);
    QVERIFY(r.lista->typedNumber().isEmpty());

    r.lista->typeDigit(QLatin1Char('1'));
    r.lista->typeDigit(QLatin1Char('x'));
    r.lista->typeEnter();
    QCOMPARE(r.lista->selected()->number, 1);

    // No such station, or nothing typed: nothing changes.
    for (QChar c : QStringLiteral("99"))
        r.lista->typeDigit(c);
    r.lista->typeEnter();
    r.lista->typeEnter();
    QCOMPARE(r.lista->selected()->number, 1);
    QCOMPARE(menus.count(), 2);

    // Far more digits than any number.
    for (int i = 0; i < 100; ++i)
        r.lista->typeDigit(QLatin1Char('3'));
    QVERIFY(r.lista->typedNumber().size() <= 16);
    r.lista->typeEnter();
    QCOMPARE(r.lista->selected()->number, 1);
}

void TestRegistry::addRemoveAndPuestoLibre() {
    Registry r;
    r.insert(row(5));
    r.insert(row(9, 2));
    QVERIFY(r.lista->CargarPuestos());
    r.insert(row(7));
    const Result<bool> added = r.lista->AnadirPuesto(7);
    QVERIFY(added.ok());
    QVERIFY(added.value());
    QCOMPARE(r.numbers(), (QList<int>{5, 7, 9}));
    QVERIFY(r.rowsValid());
    QVERIFY(r.lista->byNumber(7)->tarea->isRunning());
    QVERIFY(!r.lista->byNumber(5)->tarea->isRunning());
    QVERIFY(!r.lista->AnadirPuesto(7).value());
    QVERIFY(!r.lista->AnadirPuesto(8).value());

    QVERIFY(r.lista->PuestoLibre(5));
    QVERIFY(!r.lista->PuestoLibre(9));
    QVERIFY(r.lista->PuestoLibre(1234));
    QVERIFY(!r.lista->QuitarPuesto(9));
    QCOMPARE(r.lista->count(), 3);

    r.lista->setSelectedRow(3);
    QVERIFY(r.lista->QuitarPuesto(7));
    QCOMPARE(r.numbers(), (QList<int>{5, 9}));
    QVERIFY(r.rowsValid());
    QCOMPARE(r.lista->selected()->number, 9);
    QVERIFY(store::select<store::Puesto>(r.db.data.db(), QStringLiteral("WHERE npuesto = 7")).empty());
    // A period that ended but is not booked yet keeps the station.
    r.lista->byNumber(9)->rec().estado = Estado::Libre;
    QVERIFY(!r.lista->QuitarPuesto(9));
    r.lista->byNumber(9)->rec().estadoAnterior = Estado::Libre;
    QVERIFY(r.lista->QuitarPuesto(9));
    QVERIFY(r.lista->QuitarPuesto(5));
    QCOMPARE(r.lista->count(), 0);
    QVERIFY(!r.lista->stationsLoaded());
    QCOMPARE(r.lista->selected(), nullptr);
    QCOMPARE(station::menuState(*r.lista), station::MenuState{});
}

void TestRegistry::commandsOnSelected() {
    Registry r;
    r.insertRange(1, 3);
    QVERIFY(r.lista->CargarPuestos());
    r.lista->setSelectedRow(0);
    QCOMPARE(r.lista->selected()->number, 1);
    QSignalSpy rows(r.lista.get(), &ListaPuestos::rowChanged);
    r.lista->setSelectedRow(2);
    QVERIFY(r.lista->apagar(station::FinalizarVelkar));
    QCOMPARE(r.lista->byNumber(2)->rec().shutdownKind, 3);
    QCOMPARE(r.lista->byNumber(2)->rec().pendiente, Pendiente::Apagar);
    QCOMPARE(rows.count(), 1);
    QCOMPARE(rows.first().first().toInt(), 1);
    QVERIFY(!r.lista->apagar(7));

    // Occupied stations are neither deactivated nor "activated".
    r.lista->byNumber(2)->rec().estado = Estado::Contador;
    QVERIFY(!r.lista->desactivar());
    QVERIFY(!r.lista->activar());
    QCOMPARE(r.lista->byNumber(2)->rec().estado, Estado::Contador);
}

void TestRegistry::messageAndVolume() {
    Registry r;
    QVERIFY(!r.lista->EnviarMensaje(QStringLiteral("hola")));
    QVERIFY(!r.lista->FijarVolumen(5000));
    r.insertRange(1, 2);
    QVERIFY(r.lista->CargarPuestos());
    r.lista->setSelectedRow(2);
    r.clock.setNow(QDateTime(QDate(2026, 1, 15), QTime(9, 5, 7)));
    const auto sent = r.lista->EnviarMensaje(QString(600, QLatin1Char('m')));
    QVERIFY(sent);
    QCOMPARE(sent->station, 2);
    QCOMPARE(sent->time, r.ctx.regional.formatTime(QTime(9, 5, 7)));
    QCOMPARE(sent->text, QStringLiteral("[Send]: ") + QString(508, QLatin1Char('m')));
    QCOMPARE(r.lista->byNumber(2)->rec().messageToSend.size(), 508);
    QCOMPARE(r.lista->byNumber(2)->rec().pendiente, Pendiente::Mensaje);
    QVERIFY(r.lista->FijarVolumen(65000));
    QCOMPARE(r.lista->byNumber(2)->rec().volume, 65000);
    QCOMPARE(r.lista->byNumber(2)->rec().pendiente, Pendiente::Volumen);
}

void TestRegistry::menuState_data() {
    QTest::addColumn<int>("estado");
    QTest::addColumn<bool>("account");
    QTest::addColumn<bool>("disconnected");
    QTest::addColumn<QString>("flags");
    QTest::addColumn<QString>("station");
    QTest::addColumn<QString>("tariff");
    // Flags in order: open, close, shut-down, increase prepaid, money credit,
    // time credit, exchange, deactivate, activate.
    QTest::newRow("free") << int(Estado::Libre) << false << false << "O.S....D."
                          << "Puesto 3 Libre"
                          << "";
    QTest::newRow("free, unreachable") << int(Estado::Libre) << false << true << "O......D."
                                       << "Puesto 3 Libre"
                                       << "";
    QTest::newRow("counter, anonymous") << int(Estado::Contador) << false << false << ".CS...X.."
                                        << "Puesto 3 ocupado en modo contador."
                                        << "Tarifa: NORMAL";
    QTest::newRow("counter, account") << int(Estado::Contador) << true << false << ".CS.M.X.."
                                      << "Puesto 3 ocupado en modo contador."
                                      << "Tarifa: NORMAL";
    QTest::newRow("counter, unreachable") << int(Estado::Contador) << true << true << ".C..M.X.."
                                          << "Puesto 3 ocupado en modo contador."
                                          << "Tarifa: NORMAL";
    QTest::newRow("prepaid, anonymous") << int(Estado::Prepago) << false << false << ".CSP..X.."
                                        << "Puesto 3 ocupado en modo prepago."
                                        << "Tarifa: NORMAL";
    QTest::newRow("prepaid, account") << int(Estado::Prepago) << true << false << ".CS..TX.."
                                      << "Puesto 3 ocupado en modo prepago."
                                      << "Tarifa: NORMAL";
    QTest::newRow("deactivated") << int(Estado::Desactivado) << false << true << "..S.....A"
                                 << "Puesto 3 Desactivado"
                                 << "";
    QTest::newRow("admin") << int(Estado::Admin) << false << true << "..S......"
                           << "Puesto 3 en modo ADMIN"
                           << "";
}

void TestRegistry::menuState() {
    QFETCH(int, estado);
    QFETCH(bool, account);
    QFETCH(bool, disconnected);
    QFETCH(QString, flags);
    QFETCH(QString, station);
    QFETCH(QString, tariff);
    Registry r;
    r.insertRange(1, 3);
    QVERIFY(r.lista->CargarPuestos());
    r.lista->setSelectedRow(3);
    station::StationRecord& s = r.lista->byNumber(3)->rec();
    s.estado = Estado(estado);
    s.disconnected = disconnected;
    s.tariffName = QStringLiteral("NORMAL");
    if (account)
        s.accountLogin = QStringLiteral("ana");
    station::MenuState m = station::menuState(*r.lista);
    const QString got = QString() + (m.open ? 'O' : '.') + (m.close ? 'C' : '.') +
                        (m.shutdownSubmenu ? 'S' : '.') + (m.increasePrepaid ? 'P' : '.') +
                        (m.creditMoney ? 'M' : '.') + (m.creditTime ? 'T' : '.') + (m.exchange ? 'X' : '.') +
                        (m.deactivate ? 'D' : '.') + (m.activate ? 'A' : '.');
    QCOMPARE(got, flags);
    QCOMPARE(m.statusStation, station);
    QCOMPARE(m.statusTariff, tariff);
    QVERIFY(m.modifyTicket);
    QVERIFY(m.shutdownAll);
    QVERIFY(!m.deleteTicket);
    s.ticketNumber = QStringLiteral("000001");
    QVERIFY(station::menuState(*r.lista).deleteTicket);
}

void TestRegistry::estadoHtmlOfTwoStations() {
    Registry r;
    r.insertRange(1, 2);
    QVERIFY(r.lista->CargarPuestos());
    station::StationRecord& s = r.lista->byNumber(2)->rec();
    s.estado = Estado::Contador;
    s.accountLogin = QStringLiteral("ana");
    s.clockMs = 65400;
    s.moneyCredit = Currency::fromCents(500);
    s.cost = Currency::fromCents(120);
    s.ticketNumber = QStringLiteral("000042");
    const QString plain = QStringLiteral("<FONT color =black face=verdana size=-10>");
    const QString spaced = QStringLiteral("<FONT color =black face=verdana size=-10 >");
    QStringList expected{QStringLiteral("<FONT face=verdana size=-10>"),
                         QStringLiteral("<TABLE cols=5 border=0 cellspacing = 0  width=75% bgcolor=silver >"),
                         QStringLiteral("<TR >"),
                         QStringLiteral("<TD width=8%>"),
                         QStringLiteral("<B><FONT face=verdana size=-10>Puesto</FONT></B>"),
                         QStringLiteral("</TD>")};
    for (const char* t : {"Usuario", "Tiempo", "Importe", "Ticket"})
        expected << QStringLiteral("<TD>")
                 << QStringLiteral("<B><FONT face=verdana size=-10>%1</FONT></B>").arg(QLatin1String(t))
                 << QStringLiteral("</TD>");
    expected << QStringLiteral("</TR>");
    auto frame = [&](const QString& font, const QString& content) {
        expected << QStringLiteral("<TD>") << font << content << QStringLiteral("</FONT>")
                 << QStringLiteral("</TD>");
    };
    expected << QStringLiteral("<TR >") << QStringLiteral("<TD bgcolor=\"#00FF00\">") << plain
             << QStringLiteral("1") << QStringLiteral("</FONT>") << QStringLiteral("</TD>");
    frame(spaced, QString());
    frame(plain, QString());
    frame(plain, QString());
    frame(plain, QString());
    expected << QStringLiteral("</TR>");
    expected << QStringLiteral("<TR >") << QStringLiteral("<TD bgcolor=\"#00FFFF\">") << spaced
             << QStringLiteral("2") << QStringLiteral("</FONT>") << QStringLiteral("</TD>");
    frame(spaced, QStringLiteral("ana"));
    frame(plain, QStringLiteral("0:01:05"));
    frame(plain, QStringLiteral("3,80 \u20ac"));
    frame(plain, QStringLiteral("000042"));
    expected << QStringLiteral("</TR>") << QStringLiteral("</TABLE>");
    QCOMPARE(station::EstadoHTML(*r.lista, r.ctx.regional), expected);
}

void TestRegistry::estadoHtmlColours_data() {
    QTest::addColumn<int>("estado");
    QTest::addColumn<bool>("disconnected");
    QTest::addColumn<bool>("treatAsConnected");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("font");
    QTest::addColumn<QString>("user");
    const QString plain = QStringLiteral("<FONT color =black face=verdana size=-10>");
    QTest::newRow("deactivated") << int(Estado::Desactivado) << true << false << "<TD bgcolor=\"black\">"
                                 << "<FONT color =white face=verdana  size=-10>"
                                 << "AN.";
    QTest::newRow("unreachable") << int(Estado::Contador) << true << false << "<TD bgcolor=\"red\">" << plain
                                 << "AN.";
    QTest::newRow("treated as connected")
        << int(Estado::Contador) << true << true << "<TD bgcolor=\"#00FFFF\">"
        << "<FONT color =black face=verdana size=-10 >"
        << "AN.";
    QTest::newRow("prepaid") << int(Estado::Prepago) << false << false << "<TD bgcolor=\"#FFFF00\">" << plain
                             << "AN.";
    QTest::newRow("admin") << int(Estado::Admin) << false << false << "<TD bgcolor=\"#FF9900\">" << plain
                           << "";
}

void TestRegistry::estadoHtmlColours() {
    QFETCH(int, estado);
    QFETCH(bool, disconnected);
    QFETCH(bool, treatAsConnected);
    QFETCH(QString, cell);
    QFETCH(QString, font);
    QFETCH(QString, user);
    Registry r;
    r.insert(row(1));
    QVERIFY(r.lista->CargarPuestos());
    r.lista->at(0).treatAsConnected = treatAsConnected;
    r.lista->at(0).rec().estado = Estado(estado);
    r.lista->at(0).rec().disconnected = disconnected;
    const QStringList html = station::EstadoHTML(*r.lista, r.ctx.regional);
    const qsizetype first = html.indexOf(QStringLiteral("</TR>")) + 1;
    QCOMPARE(html.at(first), QStringLiteral("<TR >"));
    QCOMPARE(html.at(first + 1), cell);
    QCOMPARE(html.at(first + 2), font);
    QCOMPARE(html.at(first + 8), user);
}

QTEST_GUILESS_MAIN(TestRegistry)
#include "tst_registry.moc"
