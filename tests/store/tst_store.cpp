#include "accounts/cuentas.h"
#include "accounts/modcuenta.h"
#include "store/computed.h"
#include "store/datamodule.h"
#include "store/opciones.h"
#include "store/operadores.h"
#include "store/rows.h"
#include "store/sql.h"
#include "store/transaction.h"
#include "store/views.h"
#include "support/testdb.h"

#include <QFile>
#include <QTest>

using namespace store;

class TestStore : public QObject {
    Q_OBJECT
private slots:
    void roundTripEveryTable();
    void emptyValuesReadAsDefaults();
    void optionBlankMarkers();
    void puestosDefaults();
    void accountsAndCodesNeverShareARow();
    void computedColumns_data();
    void computedColumns();
    void transactionRollsBackUnlessCommitted();
    void nestedTransactions();
    void foreignFileIsRefusedAndUntouched_data();
    void foreignFileIsRefusedAndUntouched();
    void missingFileIsNotCreated();
    void tableAndColumnLists();
    void boundValuesAreNeverSql();
    void letterCaseOfLogins_data();
    void letterCaseOfLogins();
};

void TestStore::roundTripEveryTable() {
    TestDatabase t;
    const QSqlDatabase db = t.data.db();
    const QDate day(2026, 2, 28);
    const QTime time(23, 59, 58);

    Articulo a{QStringLiteral("CAFE"), QStringLiteral("Café solo"), Currency::fromRaw(12345), 2};
    run(db, QStringLiteral("DELETE FROM articulos"));
    insert(db, a);
    QCOMPARE(select<Articulo>(db).front(), a);

    Bono b{QStringLiteral("B90"), QStringLiteral("Bono 90"), Currency::fromCents(150), 90};
    run(db, QStringLiteral("DELETE FROM bonos"));
    insert(db, b);
    QCOMPARE(select<Bono>(db).front(), b);

    Ciber c{day,
            time,
            12,
            QStringLiteral("CONTADOR"),
            QStringLiteral("57"),
            QStringLiteral("NORMAL"),
            QStringLiteral("CAJA"),
            QStringLiteral("o'brien"),
            2710};
    insert(db, c);
    QCOMPARE(select<Ciber>(db).back(), c);

    Cuenta cu;
    cu.Login = QStringLiteral("x\"1");
    cu.Pass = QStringLiteral("Pw");
    cu.Nombre = QStringLiteral("Ñandú");
    cu.Alta = day;
    cu.Ultima = day.addDays(1);
    cu.Tipo = QStringLiteral("2");
    cu.Tarifa = QStringLiteral("BONO TIEMPO");
    cu.credito = Currency::fromRaw(-15);
    cu.Bonotiempo = 3725;
    cu.Descuento = 10;
    cu.Bloquear = true;
    cu.Nomodpass = true;
    cu.CheckAviso = true;
    cu.Escritorio = 4;
    cu.Observaciones = QStringLiteral("line1\nline2");
    run(db, QStringLiteral("DELETE FROM cuentas"));
    insert(db, cu);
    QCOMPARE(select<Cuenta>(db).front(), cu);

    Franja f{0, QTime(20, 0), QTime(8, 0), 3, QStringLiteral("NOCHE")};
    run(db, QStringLiteral("DELETE FROM franjas"));
    f.id_fran = int(insert(db, f));
    QCOMPARE(select<Franja>(db).front(), f);

    Grids g;
    g.GRID1COL0 = 11;
    g.PANELIZQ = 222;
    g.GRIDCODCOL2 = 33;
    saveGrids(db, g);
    QCOMPARE(readGrids(db), g);

    LinTarifa lt{7, 30, 60, Currency::fromCents(180)};
    run(db, QStringLiteral("DELETE FROM lintarifas"));
    insert(db, lt);
    QCOMPARE(select<LinTarifa>(db).front(), lt);

    LinTick l{0,
              5,
              QString(),
              QStringLiteral("PUESTO 3  0:45:10"),
              1.5,
              Currency::fromCents(90),
              Currency::fromCents(135),
              true,
              1};
    l.ID_LIN = int(insert(db, l));
    QCOMPARE(select<LinTick>(db).back(), l);

    MovCuenta m;
    m.CUENTA = QStringLiteral("10001");
    m.FECHA = day;
    m.HORA = time;
    m.TICKET = QStringLiteral("9");
    m.CONCEPTO = QStringLiteral("PUESTO 1  1:00:00");
    m.SALDO_ANT = Currency::fromCents(500);
    m.SALDO_MOV = Currency::fromCents(-120);
    m.SALDO_FIN = Currency::fromCents(380);
    m.saldoti_ant_bono = 0;
    m.SALDOTI_MOV = QStringLiteral("-0:20:00");
    m.CONTA = false;
    m.ID = int(insert(db, m));
    QCOMPARE(select<MovCuenta>(db).back(), m);

    Opciones o = readOpciones(db);
    o.NUM_TICK = 99999999;
    o.redondeo = Currency::fromCents(5);
    o.alarmacredito = Currency::fromRaw(25000);
    o.stringtiempo = QTime(1, 2, 3);
    o.TEXTO_TICK = QStringLiteral("Línea 1\r\nLínea 2");
    o.porfranjas = true;
    o.ping = 60;
    saveOpciones(db, o);
    QCOMPARE(readOpciones(db), withBlankMarkers(o));

    Puesto p;
    p.npuesto = 9999;
    p.ip = QStringLiteral("127.0.1.9");
    p.ip1 = 127;
    p.ip4 = 9;
    p.host = QStringLiteral("PC9");
    p.preciorel = 150;
    p.estado = 3;
    p.sinconex = QStringLiteral("1");
    p.tiempo = 900;
    p.coste = Currency::fromCents(200);
    p.seg_prepago = 3600;
    p.coste_prepago = Currency::fromCents(200);
    p.cuenta = QStringLiteral("10004");
    p.tipotarifa = QStringLiteral("2");
    p.cerraraut = true;
    p.ticket = QStringLiteral("58");
    run(db, QStringLiteral("DELETE FROM puestos"));
    insert(db, p);
    QCOMPARE(select<Puesto>(db).front(), p);

    Recarga r{QStringLiteral("R5"), QStringLiteral("Cinco"), Currency::fromUnits(5)};
    insert(db, r);
    QCOMPARE(select<Recarga>(db, QStringLiteral("WHERE CODIGO = ?"), {r.CODIGO}).front(), r);

    Tarifa ta{0, QStringLiteral("NORMAL"), 0, Currency::fromCents(120), Currency::fromCents(50)};
    run(db, QStringLiteral("DELETE FROM tarifas"));
    ta.ID_TAR = int(insert(db, ta));
    QCOMPARE(select<Tarifa>(db).front(), ta);

    Tasa tx{0, QStringLiteral("IVA"), 21.0};
    tx.IdTax = int(insert(db, tx));
    QCOMPARE(select<Tasa>(db, QStringLiteral("WHERE IdTax = ?"), {tx.IdTax}).front(), tx);

    Ticket tk{0,
              QStringLiteral("58"),
              day,
              time,
              Currency::fromCents(90),
              QString(),
              3,
              QStringLiteral("CONTADOR"),
              false,
              QStringLiteral("CAJA"),
              QStringLiteral("ANULADO")};
    tk.ID_TICK = int(insert(db, tk));
    QCOMPARE(select<Ticket>(db).back(), tk);

    Turno tu{QStringLiteral("NOCHE"), QTime(23, 0), QTime(7, 0)};
    insert(db, tu);
    QCOMPARE(select<Turno>(db).back(), tu);

    Udart u{2.5,
            QStringLiteral("CAFE"),
            Currency::fromCents(100),
            Currency::fromCents(250),
            Currency::fromUnits(5),
            Currency::fromCents(250)};
    run(db, QStringLiteral("DELETE FROM udart"));
    insert(db, u);
    QCOMPARE(select<Udart>(db).front(), u);

    WebConfig w = readWebConfig(db);
    w.smtp = QStringLiteral("127.0.0.1");
    w.port = QStringLiteral("2525");
    w.fin = true;
    w.frecuencia = 15;
    saveWebConfig(db, w);
    QCOMPARE(readWebConfig(db), w);

    Operador op;
    op.NOMBRE = QStringLiteral("ana");
    op.PASS = QStringLiteral("Sec");
    op.set(Permiso::APAGA2, true);
    op.set(Permiso::MODFECHACAD, true);
    op.ID = insertOperador(db, op);
    const std::optional<Operador> back = operadorPorNombre(db, QStringLiteral("ANA"));
    QVERIFY(back);
    QCOMPARE(back->permisos, op.permisos);
    QCOMPARE(back->PASS, op.PASS);
    op.set(Permiso::APAGA2, false);
    updateOperador(db, op);
    QVERIFY(!operadorPorNombre(db, QStringLiteral("ana"))->tiene(Permiso::APAGA2));
}

void TestStore::emptyValuesReadAsDefaults() {
    // An upgraded database leaves new columns empty.
    TestDatabase t;
    const QSqlDatabase db = t.data.db();
    run(db, QStringLiteral("DELETE FROM opciones"));
    run(db, QStringLiteral("INSERT INTO opciones (NUM_TICK) VALUES (NULL)"));
    run(db, QStringLiteral("UPDATE opciones SET porfranjas = NULL, sup = NULL"));
    const Opciones o = readOpciones(db);
    QCOMPARE(o.NUM_TICK, 0);
    QCOMPARE(o.porfranjas, false);
    QCOMPARE(o.sup, false);
    QCOMPARE(o.redondeo, Currency());
    QCOMPARE(o.ping, 0);
    QCOMPARE(o.pass_ini, QString());
    QVERIFY(!o.stringtiempo.isValid());

    run(db, QStringLiteral("INSERT INTO movcuentas (CUENTA) VALUES ('x')"));
    const MovCuenta m = select<MovCuenta>(db).back();
    QVERIFY(!m.saldoti_fin_bono.has_value());
    QCOMPARE(m.SALDO_FIN, Currency());
    QCOMPARE(m.CONTA, false);
}

void TestStore::optionBlankMarkers() {
    TestDatabase t;
    const QSqlDatabase db = t.data.db();
    Opciones o = readOpciones(db);
    o.pass_ini.clear();
    o.pass_ini2.clear();
    o.ini_met.clear();
    o.ini_time.clear();
    o.ini_time_cod.clear();
    o.ini_tarifa_2.clear();
    o.DBLookUp.clear();
    saveOpciones(db, o);
    const Opciones back = readOpciones(db);
    QCOMPARE(back.pass_ini, QString(10, QLatin1Char(' ')));
    QCOMPARE(back.pass_ini2, QString(9, QLatin1Char(' ')));
    QCOMPARE(back.ini_met, QString(5, QLatin1Char(' ')));
    QCOMPARE(back.ini_time, QString(4, QLatin1Char(' ')));
    QCOMPARE(back.ini_time_cod, QString(7, QLatin1Char(' ')));
    QCOMPARE(back.ini_tarifa_2, QString(5, QLatin1Char(' ')));
    QCOMPARE(back.DBLookUp, QStringLiteral(" "));
    // A value that is set is stored as it is.
    o.pass_ini = QStringLiteral("ab");
    saveOpciones(db, o);
    QCOMPARE(readOpciones(db).pass_ini, QStringLiteral("ab"));
}

void TestStore::puestosDefaults() {
    TestDatabase t;
    const QSqlDatabase db = t.data.db();
    run(db, QStringLiteral("INSERT INTO puestos DEFAULT VALUES"));
    const Puesto p = select<Puesto>(db).back();
    QCOMPARE(p.preciorel, 100);
    QCOMPARE(p.trsinconex, false);
}

void TestStore::accountsAndCodesNeverShareARow() {
    TestDatabase t(true);
    const QSqlDatabase db = t.data.db();
    run(db, QStringLiteral("INSERT INTO cuentas (Login, Tipo) VALUES ('SINTIPO', NULL)"));
    const std::vector<Cuenta> cuentas = cuentasView(db);
    const std::vector<Cuenta> codigos = codigosView(db);
    const qint64 total = toInt(scalar(db, QStringLiteral("SELECT COUNT(*) FROM cuentas")));
    QCOMPARE(qint64(cuentas.size() + codigos.size()), total);
    for (const Cuenta& c : cuentas)
        QVERIFY(c.Tipo != QLatin1String("9"));
    for (const Cuenta& c : codigos)
        QCOMPARE(c.Tipo, QStringLiteral("9"));
    QVERIFY(!codigos.empty());
    // Ordered by login.
    for (size_t i = 1; i < cuentas.size(); ++i)
        QVERIFY(cuentas[i - 1].Login.compare(cuentas[i].Login, Qt::CaseInsensitive) <= 0);
}

void TestStore::computedColumns_data() {
    QTest::addColumn<int>("bonotiempo");
    QTest::addColumn<QString>("text");
    QTest::newRow("3725 s") << 3725 << QStringLiteral("1:02:05");
    QTest::newRow("90 000 s") << 90000 << QStringLiteral("25:00:00");
    QTest::newRow("0 s") << 0 << QStringLiteral("0:00:00");
}

void TestStore::computedColumns() {
    QFETCH(int, bonotiempo);
    QFETCH(QString, text);
    Cuenta c;
    c.Bonotiempo = bonotiempo;
    QCOMPARE(bonotiempostr(c), text);

    Bono b;
    b.tiempo_bono = 90;
    QCOMPARE(tiempo_bono_str(b), QStringLiteral("1:30:00"));

    MovCuenta m;
    QCOMPARE(saldoti_fin_bono_str(m), QString());
    QCOMPARE(saldoti_ant_bono_str(m), QString());
    m.saldoti_fin_bono = 0;
    m.saldoti_ant_bono = bonotiempo;
    QCOMPARE(saldoti_fin_bono_str(m), QStringLiteral("0:00:00"));
    QCOMPARE(saldoti_ant_bono_str(m), text);
}

void TestStore::transactionRollsBackUnlessCommitted() {
    TestDatabase t;
    const QSqlDatabase db = t.data.db();
    const int before = toInt(scalar(db, QStringLiteral("SELECT NUM_TICK FROM opciones")));
    try {
        Transaction tr(db);
        run(db, QStringLiteral("UPDATE opciones SET NUM_TICK = NUM_TICK + 1"));
        run(db, QStringLiteral("INSERT INTO no_such_table VALUES (1)"));
        tr.commit();
        QFAIL("the failing statement must throw");
    } catch (const DatabaseError& e) {
        QVERIFY(!e.text().isEmpty());
    }
    QCOMPARE(toInt(scalar(db, QStringLiteral("SELECT NUM_TICK FROM opciones"))), before);
    {
        Transaction tr(db);
        run(db, QStringLiteral("UPDATE opciones SET NUM_TICK = 41"));
        tr.commit();
    }
    QCOMPARE(toInt(scalar(db, QStringLiteral("SELECT NUM_TICK FROM opciones"))), 41);
}

void TestStore::nestedTransactions() {
    TestDatabase t;
    const QSqlDatabase db = t.data.db();
    {
        Transaction outer(db);
        run(db, QStringLiteral("UPDATE opciones SET NUM_TICK = 5"));
        {
            Transaction inner(db);
            run(db, QStringLiteral("UPDATE opciones SET contador = 7"));
            // not committed: only the inner work goes
        }
        outer.commit();
    }
    QCOMPARE(toInt(scalar(db, QStringLiteral("SELECT NUM_TICK FROM opciones"))), 5);
    QCOMPARE(toInt(scalar(db, QStringLiteral("SELECT contador FROM opciones"))), 0);
    {
        Transaction outer(db);
        {
            Transaction inner(db);
            run(db, QStringLiteral("UPDATE opciones SET contador = 8"));
            inner.commit();
        }
        // outer not committed: the inner commit goes with it
    }
    QCOMPARE(toInt(scalar(db, QStringLiteral("SELECT contador FROM opciones"))), 0);
}

void TestStore::foreignFileIsRefusedAndUntouched_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("text") << QByteArray("Standard Jet DB\0 this is not sqlite at all", 42);
    QTest::newRow("garbage header") << QByteArray(4096, '\x5a');
    QByteArray truncated("SQLite format 3\0", 16);
    truncated += QByteArray(84, '\xff');
    QTest::newRow("damaged sqlite header") << truncated;
}

void TestStore::foreignFileIsRefusedAndUntouched() {
    QFETCH(QByteArray, bytes);
    TestHome home;
    home.writeFile(QStringLiteral("ciber.mdb"), bytes);
    TDataModule1 data;
    const Status s = data.open(home.databaseFile(QStringLiteral("ciber.mdb")));
    QVERIFY(!s);
    QVERIFY(!s.error().isEmpty());
    QVERIFY(!data.isOpen());
    QFile f(home.databaseFile(QStringLiteral("ciber.mdb")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), bytes);
    QVERIFY(!QFile::exists(home.databaseFile(QStringLiteral("ciber.mdb-wal"))));
}

void TestStore::missingFileIsNotCreated() {
    TestHome home;
    TDataModule1 data;
    QVERIFY(!data.open(home.databaseFile(QStringLiteral("nada.mdb"))));
    QVERIFY(!QFile::exists(home.databaseFile(QStringLiteral("nada.mdb"))));
}

void TestStore::tableAndColumnLists() {
    TestDatabase t;
    QVERIFY(t.data.isCurrentVersion());
    QVERIFY(t.data.columnNames(QStringLiteral("puestos")).contains(QStringLiteral("costeintercambio")));
    QCOMPARE(t.data.columnNames(QStringLiteral("operadores")).size(), 3 + store::PermisoCount);
    run(t.data.db(), QStringLiteral("DROP TABLE tasas"));
    QVERIFY(!t.data.isCurrentVersion());
}

void TestStore::boundValuesAreNeverSql() {
    TestDatabase t;
    const QSqlDatabase db = t.data.db();
    Cuenta c;
    c.Login = QStringLiteral("'; DROP TABLE cuentas; --");
    insert(db, c);
    QCOMPARE(select<Cuenta>(db, QStringLiteral("WHERE Login = ?"), {c.Login}).size(), size_t(1));
    QVERIFY(t.data.tableNames().contains(QStringLiteral("cuentas")));
}

namespace {

// Logins whose byte order is not their caseless order: "[" lies between "Z"
// and "a", and the letters outside A-Z never fold.
const QStringList kLogins{QStringLiteral("zeta"), QStringLiteral("Beto"), QStringLiteral("ÑANDU"),
                          QStringLiteral("[a]"),  QStringLiteral("ana"),  QStringLiteral("ñu"),
                          QStringLiteral("ÉLIA")};

QStringList loginsOf(const std::vector<Cuenta>& rows) {
    QStringList out;
    for (const Cuenta& c : rows)
        out << c.Login;
    return out;
}

} // namespace

// The one letter-case rule of logins, the same on every engine: A-Z and a-z
// fold, every other character is itself.
void TestStore::letterCaseOfLogins_data() {
    QTest::addColumn<QString>("check");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("expected");
    const QStringList none;
    QTest::newRow("found in other case") << "find"
                                         << "ANA" << QStringList{"ana"};
    QTest::newRow("found in mixed case") << "find"
                                         << "bEtO" << QStringList{"Beto"};
    QTest::newRow("ASCII folds beside Ñ") << "find"
                                          << "Ñandu" << QStringList{"ÑANDU"};
    QTest::newRow("ñ is not Ñ") << "find"
                                << "ñandu" << none;
    QTest::newRow("Ñ is not ñ") << "find"
                                << "ÑU" << none;
    QTest::newRow("é is not É") << "find"
                                << "élia" << none;
    QTest::newRow("caseless order") << "search"
                                    << "" << QStringList{"[a]", "ana", "Beto", "zeta", "ÉLIA", "ÑANDU", "ñu"};
    QTest::newRow("search folds ASCII") << "search"
                                        << "A" << QStringList{"ana"};
    QTest::newRow("search keeps É") << "search"
                                    << "Élia" << QStringList{"ÉLIA"};
    QTest::newRow("search does not fold é") << "search"
                                            << "élia" << none;
    QTest::newRow("search does not fold ñ") << "search"
                                            << "ñ" << QStringList{"ñu"};
    QTest::newRow("duplicate in other case") << "add"
                                             << "ZETA" << QStringList{"cuentaexiste"};
    QTest::newRow("duplicate in mixed case") << "add"
                                             << "[A]" << QStringList{"cuentaexiste"};
    QTest::newRow("Ñ beside ñ is new") << "add"
                                       << "ÑU" << none;
    QTest::newRow("É beside é is new") << "add"
                                       << "élia" << none;
}

void TestStore::letterCaseOfLogins() {
    QFETCH(QString, check);
    QFETCH(QString, typed);
    QFETCH(QStringList, expected);
    TestDatabase t;
    const QSqlDatabase db = t.data.db();
    run(db, QStringLiteral("DELETE FROM cuentas"));
    for (const QString& login : kLogins) {
        Cuenta c;
        c.Login = login;
        c.Tipo = QStringLiteral("0");
        insert(db, c);
    }
    if (check == QLatin1String("find")) {
        const std::optional<Cuenta> c = accounts::cuentaPorLogin(db, typed);
        QCOMPARE(c ? QStringList{c->Login} : QStringList{}, expected);
    } else if (check == QLatin1String("search")) {
        QCOMPARE(loginsOf(accounts::buscarCuentas(db, false, typed, true)), expected);
        if (typed.isEmpty())
            QCOMPARE(loginsOf(cuentasView(db)), expected);
    } else {
        Cuenta c;
        c.Login = typed;
        c.Tipo = QStringLiteral("0");
        const QString refusal = accounts::comprobarCuenta(db, c, QString(), true);
        QCOMPARE(refusal.isEmpty() ? QStringList{} : QStringList{refusal}, expected);
        // The database's own key refuses what the check refuses, also
        // for a console that skipped it.
        bool stored = true;
        try {
            insert(db, c);
        } catch (const DatabaseError&) {
            stored = false;
        }
        QCOMPARE(stored, expected.isEmpty());
        QCOMPARE(toInt(scalar(db, QStringLiteral("SELECT COUNT(*) FROM cuentas"))),
                 int(kLogins.size()) + (stored ? 1 : 0));
    }
}

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
