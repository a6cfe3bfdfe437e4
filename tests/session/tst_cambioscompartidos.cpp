// Two consoles on one database, each on a connection of its own: an edit at
// one bumps its key when it commits, and the other sees it at its next look
// and applies it as it applies its own edits.
#include "accounts/bonos.h"
#include "accounts/tarifaseditor.h"
#include "admin/opcionesrules.h"
#include "admin/operadoresrules.h"
#include "admin/puestosconfig.h"
#include "store/cambios.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "store/transaction.h"
#include "support/testengine.h"

#include <QSignalSpy>
#include <QTest>

namespace {

const QString Here = QStringLiteral("AQUI");
const QString There = QStringLiteral("ALLI");

// The other console: its own connection to the same database, its own
// registry (empty: it owns no station) and tariff cache.
struct OtherConsole {
    explicit OtherConsole(const QString& where) {
        if (!data.open(where))
            qFatal("cannot open the database again");
        context.data = &data;
        context.regional = Regional::spanishSpain();
        context.currentOperator = QStringLiteral("ADMIN");
        context.settings = store::runtimeSettings(store::readOpciones(data.db()));
        engine = std::make_unique<ConsoleEngine>(context);
        engine->puestos().setConsoleName(There);
        if (!engine->cargarTarifas() || !engine->puestos().CargarPuestos(nullptr))
            qFatal("cannot load the other console");
    }
    QSqlDatabase db() const { return data.db(); }
    accounts::EditorTarifas tarifas() { return accounts::EditorTarifas(db(), engine->tarifasEditables()); }
    admin::ConfiguracionPuestos puestos() {
        return admin::ConfiguracionPuestos(db(), engine->puestos(), engine->reloj());
    }
    TDataModule1 data;
    ConsoleContext context;
    std::unique_ptr<ConsoleEngine> engine;
};

// This console: the demo's stations are its own.
struct HereConsole : TestEngine {
    HereConsole()
        : TestEngine(QStringLiteral("UPDATE puestos SET CONSOLA = 'AQUI'")) {
        engine->puestos().setConsoleName(Here);
    }
};

admin::PuestoForm stationForm(int number, const QString& address, int price, const QString& consola) {
    admin::PuestoForm f;
    f.adding = false;
    f.number = QString::number(number);
    const QStringList parts = address.split(QLatin1Char('.'));
    for (int i = 0; i < 4; ++i)
        f.ipParts[size_t(i)] = parts.at(i);
    f.relativePrice = price;
    f.consola = consola;
    return f;
}

enum class Edit { Options, FixedTariff, Interval, Band, Voucher, TopUp, Operator, Station };

} // namespace

Q_DECLARE_METATYPE(Edit)

class TstCambiosCompartidos : public QObject {
    Q_OBJECT
private slots:
    void editBumpsItsKey_data();
    void editBumpsItsKey();
    void onlyCommittedEditsAreSeen();
    void editsElsewhereApplyHere();
};

void TstCambiosCompartidos::editBumpsItsKey_data() {
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<QString>("key");
    QTest::newRow("options applied") << Edit::Options << QStringLiteral("opciones");
    QTest::newRow("fixed tariff's costs") << Edit::FixedTariff << QStringLiteral("tarifas");
    QTest::newRow("interval of a variable tariff") << Edit::Interval << QStringLiteral("tarifas");
    QTest::newRow("time band") << Edit::Band << QStringLiteral("franjas");
    QTest::newRow("voucher") << Edit::Voucher << QStringLiteral("bonos");
    QTest::newRow("money top-up") << Edit::TopUp << QStringLiteral("bonos");
    QTest::newRow("operator's permissions") << Edit::Operator << QStringLiteral("operadores");
    QTest::newRow("station's address") << Edit::Station << QStringLiteral("puestos");
}

void TstCambiosCompartidos::editBumpsItsKey() {
    QFETCH(Edit, edit);
    QFETCH(QString, key);
    HereConsole here;
    OtherConsole other(here.db.path);
    store::ChangeWatcher watcher(here.db.data);
    QSignalSpy changed(&watcher, &store::ChangeWatcher::changed);
    // The first look learns where the versions stand.
    QVERIFY(watcher.poll().isEmpty());

    const QSqlDatabase db = other.db();
    switch (edit) {
    case Edit::Options: {
        store::Opciones o = store::readOpciones(db);
        o.ping = 5;
        const auto applied = admin::aplicarOpciones(db, o, store::readWebConfig(db), o.NUM_TICK + 1,
                                                    other.context.settings, QString());
        QVERIFY(applied.ok() && applied->check.ok());
        break;
    }
    case Edit::FixedTariff: {
        const int id = store::toInt(
            store::scalar(db, QStringLiteral("SELECT ID_TAR FROM tarifas WHERE NOM = 'NORMAL'")));
        QVERIFY(
            other.tarifas().modificarTarifaFija(id, Currency::fromUnits(2), Currency::fromCents(60)).ok());
        break;
    }
    case Edit::Interval: {
        const int id =
            store::toInt(store::scalar(db, QStringLiteral("SELECT ID_TAR FROM tarifas WHERE NOM = 'PASES'")));
        QVERIFY(other.tarifas().nuevoIntervalo(id, 500, Currency::fromUnits(9)).ok());
        break;
    }
    case Edit::Band:
        QVERIFY(other.tarifas().nuevaFranja(QTime(3, 0), QStringLiteral("NORMAL")).ok());
        break;
    case Edit::Voucher:
        QVERIFY(accounts::guardarBono(
                    db,
                    {QStringLiteral("B2H"), QStringLiteral("Bono 2 horas"), Currency::fromUnits(18), 2, 0},
                    true, QString())
                    .ok());
        break;
    case Edit::TopUp:
        QVERIFY(accounts::guardarRecarga(
                    db, {QStringLiteral("R50"), QStringLiteral("Recarga 50"), Currency::fromUnits(50), 0, 0},
                    true, QString())
                    .ok());
        break;
    case Edit::Operator: {
        std::optional<store::Operador> caja = store::operadorPorNombre(db, QStringLiteral("CAJA"));
        QVERIFY(caja);
        caja->set(store::Permiso::CONFPUE, !caja->tiene(store::Permiso::CONFPUE));
        QVERIFY(admin::guardarOperador(db, *caja, QString(), false, {}).ok());
        break;
    }
    case Edit::Station: {
        const auto saved = other.puestos().guardar(stationForm(3, QStringLiteral("127.0.1.33"), 100, Here));
        QVERIFY(saved.ok() && saved->check.ok());
        QCOMPARE(saved->efecto, admin::EfectoPuesto::Elsewhere);
        break;
    }
    }
    QCOMPARE(watcher.poll(), QStringList{key});
    QCOMPARE(changed.count(), 1);
    // Seen once: the next look finds nothing new.
    QVERIFY(watcher.poll().isEmpty());
}

void TstCambiosCompartidos::onlyCommittedEditsAreSeen() {
    HereConsole here;
    OtherConsole other(here.db.path);
    store::ChangeWatcher watcher(here.db.data);
    QVERIFY(watcher.poll().isEmpty());
    {
        store::Transaction t(other.db());
        store::marcarCambio(other.db(), store::Cambio::Tarifas);
        QVERIFY(watcher.poll().isEmpty());
        // Rolled back: never seen.
    }
    QVERIFY(watcher.poll().isEmpty());
    {
        store::Transaction t(other.db());
        store::marcarCambios(other.db(), {store::Cambio::Puestos, store::Cambio::Tarifas});
        t.commit();
    }
    QStringList keys = watcher.poll();
    keys.sort();
    QCOMPARE(keys, (QStringList{QStringLiteral("puestos"), QStringLiteral("tarifas")}));
}

void TstCambiosCompartidos::editsElsewhereApplyHere() {
    HereConsole here;
    OtherConsole other(here.db.path);
    session::CambiosCompartidos& cambios = here.engine->cambios();
    QVERIFY(cambios.watcher().poll().isEmpty());
    ListaPuestos& puestos = here.engine->puestos();
    const ListaTarifas& tarifas = here.engine->tarifas();

    // Options: the run-time values, as after "Aplicar" here.
    store::Opciones o = store::readOpciones(other.db());
    o.ping = 7;
    o.esperatoma = 90;
    o.redondeo = Currency::fromCents(20);
    QVERIFY(admin::aplicarOpciones(other.db(), o, store::readWebConfig(other.db()), o.NUM_TICK + 1,
                                   other.context.settings, QString())
                ->check.ok());
    // Tariffs: costs change in the record stations price with; a new one
    // joins at the end, a deleted one leaves.
    const Ttarifas* normal = tarifas.find(QStringLiteral("NORMAL"));
    QVERIFY(normal);
    accounts::EditorTarifas editor = other.tarifas();
    const auto idOf = [&](const char* name) {
        return store::toInt(store::scalar(other.db(),
                                          QStringLiteral("SELECT ID_TAR FROM tarifas WHERE NOM = ?"),
                                          {QString::fromLatin1(name)}));
    };
    QVERIFY(editor.modificarTarifaFija(idOf("NORMAL"), Currency::fromUnits(3), Currency::fromUnits(1)).ok());
    QVERIFY(
        editor.nuevaTarifaFija(QStringLiteral("TARDE"), Currency::fromUnits(2), Currency::fromUnits(1)).ok());
    editor.borrarTarifa(idOf("ESTUDIANTE"));
    // Stations: a free one gets a new address and price, one in use keeps
    // its own until its next start, one is given to the other console.
    here.rec(4).estado = station::Estado::Contador;
    QVERIFY(puestos.guardarPuesto(here.pos(4)));
    admin::ConfiguracionPuestos config = other.puestos();
    for (const admin::PuestoForm& f : {stationForm(3, QStringLiteral("127.0.1.33"), 120, Here),
                                       stationForm(4, QStringLiteral("127.0.1.44"), 80, Here),
                                       stationForm(5, QStringLiteral("127.0.1.5"), 100, There)}) {
        const auto saved = config.guardar(f);
        QVERIFY2(saved.ok(), qPrintable(saved.error()));
        QVERIFY(saved->check.ok());
    }
    QVERIFY(other.engine->puestos().byNumber(5));

    QSignalSpy applied(&cambios, &session::CambiosCompartidos::aplicados);
    QStringList keys = cambios.watcher().poll();
    keys.sort();
    QCOMPARE(keys,
             (QStringList{QStringLiteral("opciones"), QStringLiteral("puestos"), QStringLiteral("tarifas")}));
    QCOMPARE(applied.count(), 1);

    const RuntimeSettings& s = here.context.settings;
    QCOMPARE(s.pollIntervalMs, 7000);
    QCOMPARE(s.takeoverDelaySeconds, 90);
    QCOMPARE(s.roundingUnit, Currency::fromCents(20));

    QCOMPARE(tarifas.find(QStringLiteral("NORMAL")), normal);
    QCOMPARE(normal->hourlyCost, Currency::fromUnits(3));
    QCOMPARE(tarifas.names().last(), QStringLiteral("TARDE"));
    QVERIFY(!tarifas.find(QStringLiteral("ESTUDIANTE")));

    QCOMPARE(puestos.byNumber(3)->address, QStringLiteral("127.0.1.33"));
    QCOMPARE(puestos.byNumber(3)->relativePrice, 120);
    QCOMPARE(puestos.byNumber(4)->address, QStringLiteral("127.0.1.4"));
    QCOMPARE(puestos.byNumber(4)->relativePrice, 100);
    QCOMPARE(here.rec(4).estado, station::Estado::Contador);
    QVERIFY(!puestos.byNumber(5));
    QCOMPARE(puestos.count(), 7);
}

QTEST_GUILESS_MAIN(TstCambiosCompartidos)
#include "tst_cambioscompartidos.moc"
