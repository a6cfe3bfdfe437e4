// The start-up assistant's logic: proposals, checks and its one transaction.
#include "admin/operadoresrules.h"
#include "admin/puestaenmarcha.h"
#include "store/claves.h"
#include "store/datamodule.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "support/testdb.h"

#include <QTest>

namespace {

struct FirstStart : FirstStartDatabase {
    admin::PuestaEnMarcha logic() const { return admin::PuestaEnMarcha(db(), Regional::spanishSpain()); }
    int count(const QString& table) const {
        return store::toInt(store::scalar(db(), QStringLiteral("SELECT COUNT(*) FROM ") + table));
    }
    QString adminPass() const {
        return store::toText(
            store::scalar(db(), QStringLiteral("SELECT PASS FROM operadores WHERE NOMBRE = ?"), {"ADMIN"}));
    }
};

// "number@address" per row.
std::vector<admin::PuestoNuevo> rows(const QStringList& list) {
    std::vector<admin::PuestoNuevo> out;
    for (const QString& r : list)
        out.push_back({r.section(QLatin1Char('@'), 0, 0), r.section(QLatin1Char('@'), 1)});
    return out;
}

// A complete plan on loopback addresses.
admin::PlanPuestaEnMarcha filled(const admin::PuestaEnMarcha& logic) {
    admin::PlanPuestaEnMarcha p = logic.propuesta();
    p.adminClave = QStringLiteral("secreto");
    p.adminConfirmacion = QStringLiteral("secreto");
    p.cabecera = {QStringLiteral("Ciber Luna"), QStringLiteral("C/ Mayor 1"), QString()};
    p.pie = {QStringLiteral("Vuelva pronto"), QString()};
    p.puestos = rows({QStringLiteral("1@127.0.77.1"), QStringLiteral("2@127.0.77.2")});
    p.tarifa = QStringLiteral("NORMAL");
    p.costeHora = Currency::fromCents(200);
    p.costeMinimo = Currency::fromCents(60);
    p.redondeo = Currency::fromCents(10);
    p.iva = 10;
    p.impresora = QStringLiteral("TM-T20");
    p.conCajero = true;
    p.cajero = QStringLiteral("ANA");
    p.cajeroClave = QStringLiteral("1234");
    p.cajeroConfirmacion = QStringLiteral("1234");
    return p;
}

// What the assistant may change, to compare before and after.
QString snapshot(const QSqlDatabase& db) {
    QStringList out;
    for (const char* sql :
         {"SELECT NOMBRE || '|' || PASS FROM operadores ORDER BY ID", "SELECT npuesto || ip FROM puestos",
          "SELECT NOM || COS_HORA || COS_MIN FROM tarifas", "SELECT IdTax || valor FROM tasas",
          "SELECT TEXTO_TICK || TEXTO_FINAL || TXTCIBER_INI || redondeo || op4_2 || ini_tarifa_2 || "
          "impresoratick "
          "FROM opciones",
          "SELECT terminado FROM asistente"}) {
        QSqlQuery q = store::run(db, QLatin1String(sql));
        while (q.next())
            out << q.value(0).toString();
    }
    return out.join(QLatin1Char('\n'));
}

} // namespace

class TestPuestaEnMarcha : public QObject {
    Q_OBJECT
private slots:
    void onlyTheConsolesOwnDatabaseWaits();
    void proposal_data();
    void proposal();
    void serie_data();
    void serie();
    void stationRows_data();
    void stationRows();
    void adminPassword_data();
    void adminPassword();
    void cashier_data();
    void cashier();
    void tariff_data();
    void tariff();
    void writesEverythingAtOnce();
    void cashierCopiesTheDemoCashier();
    void skippedPagesWriteNothing();
    void failureMidwayWritesNothing_data();
    void failureMidwayWritesNothing();
    void checksAgainInsideTheTransaction();
    void secondRunAddsAndUpdates();
    void adminKeepsAPasswordAfterwards_data();
    void adminKeepsAPasswordAfterwards();
};

void TestPuestaEnMarcha::onlyTheConsolesOwnDatabaseWaits() {
    FirstStart first;
    QVERIFY(admin::creadaPorLaConsola(first.db()));
    QVERIFY(admin::asistentePendiente(first.db()));
    QVERIFY(admin::adminSinClave(first.db()));
    // The demo and --new-database keep today's start.
    for (bool demo : {false, true}) {
        TestDatabase other(demo);
        QVERIFY(!admin::creadaPorLaConsola(other.data.db()));
        QVERIFY(!admin::asistentePendiente(other.data.db()));
    }
}

void TestPuestaEnMarcha::proposal_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("iva");
    QTest::addColumn<QString>("hourly");
    QTest::newRow("Spain") << QLocale(QLocale::Spanish, QLocale::Spain) << 21.0 << "1,50 €";
    QTest::newRow("Portugal, euros") << QLocale(QLocale::Portuguese, QLocale::Portugal) << 23.0 << "1,50 €";
    // Pesos: no price is proposed, since Enter would accept it.
    QTest::newRow("Mexico") << QLocale(QLocale::Spanish, QLocale::Mexico) << 16.0 << "";
    // Unknown country: the database's own rate.
    QTest::newRow("C locale") << QLocale::c() << 21.0 << "";
}

void TestPuestaEnMarcha::proposal() {
    QFETCH(QLocale, locale);
    QFETCH(double, iva);
    QFETCH(QString, hourly);
    FirstStart first;
    const Regional regional = Regional::fromLocale(locale);
    const admin::PlanPuestaEnMarcha p = admin::PuestaEnMarcha(first.db(), regional).propuesta();
    QVERIFY(!p.adminTieneClave);
    QCOMPARE(p.cabecera[0], QStringLiteral("CIBERCAFÉ"));
    QCOMPARE(p.pie[0], QStringLiteral("Gracias por su visita"));
    QCOMPARE(int(p.puestos.size()), admin::PuestosPorDefecto);
    QCOMPARE(p.puestos.front(), (admin::PuestoNuevo{QStringLiteral("1"), QStringLiteral("192.168.1.101")}));
    QCOMPARE(p.puestos.back(), (admin::PuestoNuevo{QStringLiteral("10"), QStringLiteral("192.168.1.110")}));
    QCOMPARE(p.tarifa, QStringLiteral("NORMAL"));
    QCOMPARE(p.costeHora ? regional.formatCurrency(*p.costeHora) : QString(), hourly);
    QCOMPARE(p.redondeo, std::optional<Currency>(Currency::fromCents(5)));
    QCOMPARE(p.iva, iva);
    QCOMPARE(p.impresora, QString());
    QCOMPARE(p.cajero, QStringLiteral("CAJA"));
}

void TestPuestaEnMarcha::serie_data() {
    QTest::addColumn<int>("firstNumber");
    QTest::addColumn<QString>("first");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("last");
    QTest::newRow("a room of thirty") << 1 << "192.168.1.101" << 30 << ""
                                      << "30@192.168.1.130";
    QTest::newRow("past .254 into the next block") << 1 << "192.168.1.253" << 3 << ""
                                                   << "3@192.168.2.1";
    QTest::newRow("first ending in 0") << 1 << "10.0.0.0" << 2 << ""
                                       << "2@10.0.0.2";
    QTest::newRow("first ending in 255") << 5 << "10.0.0.255" << 1 << ""
                                         << "5@10.0.1.1";
    QTest::newRow("the very last address") << 1 << "255.255.255.253" << 2 << ""
                                           << "2@255.255.255.254";
    QTest::newRow("past the very last address") << 1 << "255.255.255.254" << 2 << "SerieFuera"
                                                << "";
    QTest::newRow("number 9999 is the last") << 9990 << "127.0.1.1" << 10 << ""
                                             << "9999@127.0.1.10";
    QTest::newRow("number 10000") << 9990 << "127.0.1.1" << 11 << "SerieNumeros"
                                  << "";
    QTest::newRow("part above 255") << 1 << "192.168.1.256" << 1 << "IpRango"
                                    << "";
    QTest::newRow("letters") << 1 << "192.168.x.1" << 1 << "IpNoValida"
                             << "";
    QTest::newRow("three parts") << 1 << "192.168.1" << 1 << "IpIncompleta"
                                 << "";
    QTest::newRow("five parts") << 1 << "1.2.3.4.5" << 1 << "IpNoValida"
                                << "";
    QTest::newRow("no stations") << 1 << "192.168.1.1" << 0 << "SinPuestos"
                                 << "";
}

void TestPuestaEnMarcha::serie() {
    QFETCH(int, firstNumber);
    QFETCH(QString, first);
    QFETCH(int, count);
    QFETCH(QString, key);
    QFETCH(QString, last);
    const admin::PuestaEnMarcha::Serie s = admin::PuestaEnMarcha::serie(firstNumber, first, count);
    QCOMPARE(s.check.messageKey, key);
    if (!key.isEmpty()) {
        QVERIFY(s.puestos.empty());
        return;
    }
    QCOMPARE(int(s.puestos.size()), count);
    QCOMPARE(s.puestos.back().number + QLatin1Char('@') + s.puestos.back().address, last);
}

void TestPuestaEnMarcha::stationRows_data() {
    QTest::addColumn<QStringList>("table");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("row");
    // The database already holds station 1 at 127.0.77.50.
    QTest::newRow("fine") << QStringList{"2@127.0.77.60", "3@127.0.77.61"} << ""
                          << "" << -1;
    QTest::newRow("number in use") << QStringList{"1@127.0.77.60"} << "NumeroDuplicado"
                                   << "number" << 0;
    QTest::newRow("address in use") << QStringList{"2@127.0.77.50"} << "IpDuplicada"
                                    << "address" << 0;
    QTest::newRow("number twice in the table")
        << QStringList{"2@127.0.77.60", "2@127.0.77.61"} << "NumeroDuplicado"
        << "number" << 1;
    QTest::newRow("address twice, written differently")
        << QStringList{"2@127.0.77.60", "3@127.0.77.060"} << "IpDuplicada"
        << "address" << 1;
    QTest::newRow("empty part") << QStringList{"2@127.0..60"} << "IpIncompleta"
                                << "address" << 0;
    QTest::newRow("last row above 255")
        << QStringList{"2@127.0.77.60", "3@127.0.77.61", "4@127.0.77.256"} << "IpRango"
        << "address" << 2;
    QTest::newRow("five parts") << QStringList{"2@127.0.77.60.1"} << "IpNoValida"
                                << "address" << 0;
    QTest::newRow("number 0") << QStringList{"0@127.0.77.60"} << "NumeroRango"
                              << "number" << 0;
    QTest::newRow("no number") << QStringList{"@127.0.77.60"} << "NumeroVacio"
                               << "number" << 0;
}

void TestPuestaEnMarcha::stationRows() {
    QFETCH(QStringList, table);
    QFETCH(QString, key);
    QFETCH(QString, field);
    QFETCH(int, row);
    FirstStart first;
    store::run(first.db(), QStringLiteral("INSERT INTO puestos (npuesto, ip) VALUES (1, '127.0.77.50')"));
    admin::PlanPuestaEnMarcha p = first.logic().propuesta();
    p.puestos = rows(table);
    const admin::PasoCheck c = first.logic().comprobar(admin::Paso::Puestos, p);
    QCOMPARE(c.messageKey, key);
    QCOMPARE(c.field, field);
    QCOMPARE(c.row, row);
}

void TestPuestaEnMarcha::adminPassword_data() {
    QTest::addColumn<bool>("consolesOwn");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("confirmation");
    QTest::addColumn<QString>("key");
    QTest::newRow("required") << true << ""
                              << ""
                              << ""
                              << "ClaveAdminVacia";
    QTest::newRow("differ by one letter's case") << true << ""
                                                 << "secreto"
                                                 << "secretO"
                                                 << "Confirmacion";
    QTest::newRow("differ by a trailing blank") << true << ""
                                                << "secreto"
                                                << "secreto "
                                                << "Confirmacion";
    QTest::newRow("confirmation only") << true << ""
                                       << ""
                                       << "secreto"
                                       << "Confirmacion";
    QTest::newRow("eleven characters") << true << ""
                                       << "12345678901"
                                       << "12345678901"
                                       << "ClaveLarga";
    QTest::newRow("ten characters") << true << ""
                                    << "1234567890"
                                    << "1234567890"
                                    << "";
    QTest::newRow("kept when it has one") << true << "viejo"
                                          << ""
                                          << ""
                                          << "";
    // The demo and --new-database keep an open ADMIN unless given a password.
    QTest::newRow("--new-database: may stay open") << false << ""
                                                   << ""
                                                   << ""
                                                   << "";
    QTest::newRow("--new-database: still confirmed") << false << ""
                                                     << "secreto"
                                                     << "secretO"
                                                     << "Confirmacion";
}

void TestPuestaEnMarcha::adminPassword() {
    QFETCH(bool, consolesOwn);
    QFETCH(QString, stored);
    QFETCH(QString, password);
    QFETCH(QString, confirmation);
    QFETCH(QString, key);
    FirstStart first;
    TestDatabase other;
    const QSqlDatabase db = consolesOwn ? first.db() : other.data.db();
    store::run(db, QStringLiteral("UPDATE operadores SET PASS = ? WHERE NOMBRE = 'ADMIN'"), {stored});
    const admin::PuestaEnMarcha logic(db, Regional::spanishSpain());
    admin::PlanPuestaEnMarcha p = logic.propuesta();
    QCOMPARE(p.adminTieneClave, !stored.isEmpty());
    QCOMPARE(p.adminClaveObligatoria, consolesOwn && stored.isEmpty());
    p.adminClave = password;
    p.adminConfirmacion = confirmation;
    const admin::PasoCheck c = logic.comprobar(admin::Paso::Admin, p);
    QCOMPARE(c.messageKey, key);
    if (!key.isEmpty())
        QCOMPARE(c.field, QStringLiteral("adminClave"));
}

void TestPuestaEnMarcha::cashier_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("confirmation");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("field");
    QTest::newRow("fine") << "CAJA"
                          << "1234"
                          << "1234"
                          << ""
                          << "";
    QTest::newRow("ADMIN's name in other letters") << "admin"
                                                   << "1234"
                                                   << "1234"
                                                   << "NombreDuplicado"
                                                   << "cajero";
    QTest::newRow("no name") << " "
                             << "1234"
                             << "1234"
                             << "NombreVacio"
                             << "cajero";
    QTest::newRow("no password") << "CAJA"
                                 << ""
                                 << ""
                                 << "ClaveCajeroVacia"
                                 << "cajeroClave";
    QTest::newRow("differ by one digit") << "CAJA"
                                         << "1234"
                                         << "1235"
                                         << "Confirmacion"
                                         << "cajeroClave";
}

void TestPuestaEnMarcha::cashier() {
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(QString, confirmation);
    QFETCH(QString, key);
    QFETCH(QString, field);
    FirstStart first;
    admin::PlanPuestaEnMarcha p = first.logic().propuesta();
    p.conCajero = true;
    p.cajero = name;
    p.cajeroClave = password;
    p.cajeroConfirmacion = confirmation;
    const admin::PasoCheck c = first.logic().comprobar(admin::Paso::Cajero, p);
    QCOMPARE(c.messageKey, key);
    QCOMPARE(c.field, field);
}

void TestPuestaEnMarcha::tariff_data() {
    // Amounts in cents; -1 is an empty box.
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("hourly");
    QTest::addColumn<qint64>("minimum");
    QTest::addColumn<qint64>("rounding");
    QTest::addColumn<QString>("key");
    QTest::newRow("fine") << "NORMAL" << qint64(150) << qint64(50) << qint64(5) << "";
    QTest::newRow("free of charge") << "GRATIS" << qint64(0) << qint64(0) << qint64(1) << "";
    QTest::newRow("no name") << "  " << qint64(150) << qint64(50) << qint64(5) << "Tarifa";
    QTest::newRow("no price") << "NORMAL" << qint64(-1) << qint64(50) << qint64(5) << "CosteTarifa";
    QTest::newRow("no minimum") << "NORMAL" << qint64(150) << qint64(-1) << qint64(5) << "CosteMinimo";
    QTest::newRow("negative price") << "NORMAL" << qint64(-150) << qint64(50) << qint64(5)
                                    << "ImporteNegativo";
    QTest::newRow("rounding 0") << "NORMAL" << qint64(150) << qint64(50) << qint64(0) << "Redondeo";
    QTest::newRow("price beyond the limit")
        << "NORMAL" << qint64(100000000) << qint64(50) << qint64(5) << "ImporteMaximo";
    QTest::newRow("a variable tariff's name")
        << "PASES" << qint64(150) << qint64(50) << qint64(5) << "TarifaExiste";
}

void TestPuestaEnMarcha::tariff() {
    QFETCH(QString, name);
    QFETCH(qint64, hourly);
    QFETCH(qint64, minimum);
    QFETCH(qint64, rounding);
    QFETCH(QString, key);
    FirstStart first;
    store::run(first.db(), QStringLiteral("INSERT INTO tarifas (NOM, TIPO) VALUES ('PASES', 1)"));
    const auto amount = [](qint64 cents) {
        return cents == -1 ? std::nullopt : std::optional<Currency>(Currency::fromCents(cents));
    };
    admin::PlanPuestaEnMarcha p = first.logic().propuesta();
    p.tarifa = name;
    p.costeHora = amount(hourly);
    p.costeMinimo = amount(minimum);
    p.redondeo = amount(rounding);
    QCOMPARE(first.logic().comprobar(admin::Paso::Tarifa, p).messageKey, key);
}

void TestPuestaEnMarcha::writesEverythingAtOnce() {
    FirstStart first;
    const QSqlDatabase db = first.db();
    const admin::PuestaEnMarcha logic = first.logic();
    const Result<admin::Escritura> written = logic.escribir(filled(logic));
    QVERIFY2(written.ok(), qPrintable(written.error()));
    QVERIFY(written->check.ok());

    QVERIFY(store::claveCorrecta(first.adminPass(), QStringLiteral("secreto")));
    const store::Opciones o = store::readOpciones(db);
    // Memo columns keep Windows line breaks; the other tickets follow.
    QCOMPARE(o.TEXTO_TICK, QStringLiteral("Ciber Luna\r\nC/ Mayor 1"));
    QCOMPARE(o.TXTCIBER_INI, o.TEXTO_TICK);
    QCOMPARE(o.TXTCUENTA_INI, o.TEXTO_TICK);
    QCOMPARE(o.TEXTO_FINAL, QStringLiteral("Vuelva pronto"));
    QCOMPARE(o.TXTCUENTA_FIN, o.TEXTO_FINAL);
    // F1 proposes the new tariff in counter mode.
    QVERIFY(o.op4_2);
    QCOMPARE(o.op4_1, 0);
    QCOMPARE(o.ini_tarifa_2, QStringLiteral("NORMAL"));
    QCOMPARE(o.redondeo, Currency::fromCents(10));
    QCOMPARE(o.impresoratick, QStringLiteral("TM-T20"));

    const std::vector<store::Puesto> puestos =
        store::select<store::Puesto>(db, QStringLiteral("ORDER BY npuesto"));
    QCOMPARE(int(puestos.size()), 2);
    QCOMPARE(puestos[1].ip, QStringLiteral("127.0.77.2"));
    QCOMPARE((std::array{puestos[1].ip1, puestos[1].ip2, puestos[1].ip3, puestos[1].ip4}),
             (std::array{127, 0, 77, 2}));
    QCOMPARE(puestos[1].preciorel, 100);
    QCOMPARE(written->escrita.puestos, (std::vector<int>{1, 2}));

    const std::vector<store::Tarifa> tarifas = store::select<store::Tarifa>(db);
    QCOMPARE(int(tarifas.size()), 1);
    QCOMPARE(tarifas[0].COS_HORA, Currency::fromCents(200));
    QCOMPARE(tarifas[0].COS_MIN, Currency::fromCents(60));
    QCOMPARE(store::toDouble(
                 store::scalar(db, QStringLiteral("SELECT valor FROM tasas WHERE IdTax = ?"), {o.iva_gen})),
             10.0);
    const std::optional<store::Operador> ana = store::operadorPorNombre(db, QStringLiteral("ANA"));
    QVERIFY(ana);
    QVERIFY(store::claveCorrecta(ana->PASS, QStringLiteral("1234")));
    QVERIFY(!admin::asistentePendiente(db));
}

void TestPuestaEnMarcha::cashierCopiesTheDemoCashier() {
    TestDatabase demo(true);
    const std::optional<store::Operador> caja =
        store::operadorPorNombre(demo.data.db(), QStringLiteral("CAJA"));
    QVERIFY(caja);
    QCOMPARE(caja->permisos, admin::permisosCajero());
}

void TestPuestaEnMarcha::skippedPagesWriteNothing() {
    FirstStart first;
    const admin::PuestaEnMarcha logic = first.logic();
    admin::PlanPuestaEnMarcha p = filled(logic);
    p.conPuestos = p.conTarifa = p.conImpuestos = p.conImpresora = p.conCajero = false;
    const store::Opciones before = store::readOpciones(first.db());
    QVERIFY(logic.escribir(p).ok());
    const store::Opciones after = store::readOpciones(first.db());
    QCOMPARE(first.count(QStringLiteral("puestos")), 0);
    QCOMPARE(first.count(QStringLiteral("tarifas")), 0);
    QCOMPARE(first.count(QStringLiteral("operadores")), 1);
    QCOMPARE(after.impresoratick, before.impresoratick);
    QCOMPARE(after.redondeo, before.redondeo);
    QCOMPARE(after.op4_2, before.op4_2);
    QCOMPARE(store::toDouble(store::scalar(first.db(), QStringLiteral("SELECT valor FROM tasas"))), 21.0);
    // ADMIN's page always counts, and the assistant is done.
    QVERIFY(store::claveCorrecta(first.adminPass(), QStringLiteral("secreto")));
    QVERIFY(!admin::asistentePendiente(first.db()));
}

void TestPuestaEnMarcha::failureMidwayWritesNothing_data() {
    QTest::addColumn<QString>("trigger");
    QTest::newRow("the first station") << "BEFORE INSERT ON puestos";
    QTest::newRow("the cashier") << "BEFORE INSERT ON operadores";
    QTest::newRow("the very last write") << "BEFORE UPDATE ON asistente";
}

void TestPuestaEnMarcha::failureMidwayWritesNothing() {
    QFETCH(QString, trigger);
    FirstStart first;
    store::run(
        first.db(),
        QStringLiteral("CREATE TRIGGER lleno %1 BEGIN SELECT RAISE(ABORT, 'disco lleno'); END").arg(trigger));
    const QString before = snapshot(first.db());
    const admin::PuestaEnMarcha logic = first.logic();
    const Result<admin::Escritura> written = logic.escribir(filled(logic));
    QVERIFY(!written.ok());
    QVERIFY(written.error().contains(QStringLiteral("disco lleno")));
    QCOMPARE(snapshot(first.db()), before);
    QVERIFY(admin::asistentePendiente(first.db()));
    QVERIFY(admin::adminSinClave(first.db()));
}

void TestPuestaEnMarcha::checksAgainInsideTheTransaction() {
    FirstStart first;
    const admin::PuestaEnMarcha logic = first.logic();
    const admin::PlanPuestaEnMarcha p = filled(logic);
    QVERIFY(logic.comprobar(admin::Paso::Puestos, p).ok());
    // Someone adds station 2 while the assistant sits on its summary.
    store::run(first.db(), QStringLiteral("INSERT INTO puestos (npuesto, ip) VALUES (2, '127.0.77.9')"));
    const QString before = snapshot(first.db());
    const Result<admin::Escritura> written = logic.escribir(p);
    QVERIFY(written.ok());
    QCOMPARE(written->paso, admin::Paso::Puestos);
    QCOMPARE(written->check.messageKey, QStringLiteral("NumeroDuplicado"));
    QCOMPARE(written->check.row, 1);
    QCOMPARE(snapshot(first.db()), before);
}

void TestPuestaEnMarcha::secondRunAddsAndUpdates() {
    FirstStart first;
    const QSqlDatabase db = first.db();
    const admin::PuestaEnMarcha logic = first.logic();
    QVERIFY(logic.escribir(filled(logic)).ok());
    // A text of its own on one ticket stays when the header changes.
    store::run(db, QStringLiteral("UPDATE opciones SET TXTCUENTA_INI = 'SALDO'"));

    admin::PlanPuestaEnMarcha again = logic.propuesta();
    QVERIFY(again.adminTieneClave);
    QCOMPARE(again.cabecera[1], QStringLiteral("C/ Mayor 1"));
    QCOMPARE(again.puestos.front(), (admin::PuestoNuevo{QStringLiteral("3"), QStringLiteral("127.0.77.3")}));
    QCOMPARE(again.costeHora, std::optional<Currency>(Currency::fromCents(200)));
    QCOMPARE(again.iva, 10.0);
    QCOMPARE(again.impresora, QStringLiteral("TM-T20"));
    again.puestos.resize(1);
    again.cabecera[0] = QStringLiteral("Ciber Sol");
    again.costeHora = Currency::fromCents(250);
    const Result<admin::Escritura> written = logic.escribir(again);
    QVERIFY(written.ok() && written->check.ok());

    QVERIFY(store::claveCorrecta(first.adminPass(), QStringLiteral("secreto")));
    QCOMPARE(first.count(QStringLiteral("puestos")), 3);
    QCOMPARE(first.count(QStringLiteral("tarifas")), 1);
    QVERIFY(!written->escrita.tarifaNueva);
    QCOMPARE(written->escrita.tarifa->COS_HORA, Currency::fromCents(250));
    const store::Opciones o = store::readOpciones(db);
    QCOMPARE(o.TXTCIBER_INI, QStringLiteral("Ciber Sol\r\nC/ Mayor 1"));
    QCOMPARE(o.TXTCUENTA_INI, QStringLiteral("SALDO"));
}

void TestPuestaEnMarcha::adminKeepsAPasswordAfterwards_data() {
    QTest::addColumn<bool>("consolesOwn");
    QTest::addColumn<QString>("key");
    QTest::newRow("the console's own database") << true << "ClaveAdminVacia";
    // The demo and --new-database keep today's behaviour.
    QTest::newRow("a database made with --new-database") << false << "";
}

void TestPuestaEnMarcha::adminKeepsAPasswordAfterwards() {
    QFETCH(bool, consolesOwn);
    QFETCH(QString, key);
    FirstStart first;
    TestDatabase other;
    const QSqlDatabase db = consolesOwn ? first.db() : other.data.db();
    QCOMPARE(admin::comprobarOperador(db, QStringLiteral("ADMIN"), QString(), QString(), false).messageKey,
             key);
    // Anyone else may still be given an empty password.
    QVERIFY(admin::comprobarOperador(db, QStringLiteral("ANA"), QString(), QString(), false).ok());
}

QTEST_GUILESS_MAIN(TestPuestaEnMarcha)
#include "tst_puestaenmarcha.moc"
