#include "accounts/bonos.h"
#include "accounts/tarifaseditor.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "support/testdb.h"

#include <QRandomGenerator>
#include <QTest>

using accounts::EditorTarifas;

namespace {

// The demo database with its tariff cache, as the engine builds it.
struct Rig {
    Rig() { cache = ListaTarifas::load(db()); }
    QSqlDatabase db() { return data.data.db(); }
    int idOf(const QString& name) {
        return store::toInt(
            store::scalar(db(), QStringLiteral("SELECT ID_TAR FROM tarifas WHERE NOM = ?"), {name}));
    }
    QList<QPair<int, int>> intervals(const QString& name) {
        QList<QPair<int, int>> out;
        for (const store::LinTarifa& l : editor.intervalos(idOf(name)))
            out << qMakePair(l.franja_ini, l.franja_fin);
        return out;
    }
    QStringList bands() {
        QStringList out;
        for (const store::Franja& f : editor.franjas())
            out << f.franja_ini.toString(QStringLiteral("HH:mm")) + QLatin1Char('-') +
                       f.franja_fin.toString(QStringLiteral("HH:mm"));
        return out;
    }

    TestDatabase data{true};
    ListaTarifas cache;
    EditorTarifas editor{db(), cache};
    RuntimeSettings settings;
};

std::optional<Currency> cents(int c) {
    return c == -1 ? std::nullopt : std::optional<Currency>(Currency::fromCents(c));
}

} // namespace

class TestTarifasEditor : public QObject {
    Q_OBJECT
private slots:
    void fixedTariffChecks_data();
    void fixedTariffChecks();
    void variableTariffChecks_data();
    void variableTariffChecks();
    void upperAndLowerCaseNamesCoexist();
    void intervalEdits();
    void bandsFromEmpty();
    void deletionGuards();
    void failedEditLeavesCacheAndTables();
    void invariantsHoldOverRandomEdits();
    void voucherChecks_data();
    void voucherChecks();
    void voucherTimeAndModify();
};

void TestTarifasEditor::fixedTariffChecks_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("hourly");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<QString>("key");
    QTest::newRow("blank name first") << "   " << -1 << -1 << "Tarifa";
    QTest::newRow("no hourly") << "TARDE" << -1 << -1 << "CosteTarifa";
    QTest::newRow("no minimum") << "TARDE" << 100 << -1 << "CosteMinimo";
    QTest::newRow("duplicate") << "NORMAL" << 100 << 0 << "TarifaExiste";
    QTest::newRow("zero costs are fine") << "TARDE" << 0 << 0 << "";
    QTest::newRow("costs at the amount limit") << "TARDE" << 99999999 << 99999999 << "";
    QTest::newRow("hourly a cent past the limit") << "TARDE" << 100000000 << 0 << "ImporteMaximo";
    QTest::newRow("minimum a cent past the limit") << "TARDE" << 0 << -100000000 << "ImporteMaximo";
}

void TestTarifasEditor::fixedTariffChecks() {
    QFETCH(QString, name);
    QFETCH(int, hourly);
    QFETCH(int, minimum);
    QFETCH(QString, key);
    Rig rig;
    const int before = rig.cache.size();
    QCOMPARE(rig.editor.nuevaTarifaFija(name, cents(hourly), cents(minimum)).messageKey, key);
    QCOMPARE(rig.cache.size(), key.isEmpty() ? before + 1 : before);
    if (key.isEmpty()) {
        // A new tariff goes after every older one of both types.
        QCOMPARE(rig.cache.at(rig.cache.size() - 1).name, name);
        QVERIFY(rig.cache.at(rig.cache.size() - 2).isVariable());
    }
}

void TestTarifasEditor::variableTariffChecks_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QString>("key");
    QTest::newRow("blank") << " " << 0 << "Nom";
    QTest::newRow("zero minutes") << "bonos" << 0 << "Dato1";
    QTest::newRow("negative minutes") << "bonos" << -5 << "Dato1";
    QTest::newRow("over 1400") << "bonos" << 1401 << "Dato1";
    QTest::newRow("exact duplicate") << "PASES" << 30 << "Dupli";
    QTest::newRow("1400 is the last end") << "bonos" << 1400 << "";
}

void TestTarifasEditor::variableTariffChecks() {
    QFETCH(QString, name);
    QFETCH(int, minutes);
    QFETCH(QString, key);
    Rig rig;
    QCOMPARE(rig.editor.nuevaTarifaVariable(name, minutes, Currency::fromCents(150)).messageKey, key);
    if (key.isEmpty()) {
        QCOMPARE(rig.intervals(name), (QList<QPair<int, int>>{{0, minutes}}));
        QCOMPARE(rig.cache.find(name)->intervals,
                 (std::vector<Tintervalo>{{minutes, Currency::fromCents(150)}}));
    }
}

void TestTarifasEditor::upperAndLowerCaseNamesCoexist() {
    Rig rig;
    QVERIFY(rig.editor.nuevaTarifaFija(QStringLiteral("TARDE"), cents(100), cents(0)).ok());
    QCOMPARE(rig.editor.nuevaTarifaFija(QStringLiteral("TARDE"), cents(100), cents(0)).messageKey,
             QStringLiteral("TarifaExiste"));
    QVERIFY(rig.editor.nuevaTarifaVariable(QStringLiteral("tarde"), 60, Currency::fromCents(100)).ok());
    QVERIFY(rig.cache.find(QStringLiteral("TARDE"))->isFixed());
    QVERIFY(rig.cache.find(QStringLiteral("tarde"))->isVariable());
}

void TestTarifasEditor::intervalEdits() {
    Rig rig;
    QVERIFY(rig.editor.nuevaTarifaVariable(QStringLiteral("SALA"), 30, Currency::fromCents(100)).ok());
    const int id = rig.idOf(QStringLiteral("SALA"));
    QVERIFY(rig.editor.nuevoIntervalo(id, 60, Currency::fromCents(180)).ok());
    QVERIFY(rig.editor.nuevoIntervalo(id, 45, Currency::fromCents(150)).ok());
    QCOMPARE(rig.intervals(QStringLiteral("SALA")), (QList<QPair<int, int>>{{0, 30}, {30, 45}, {45, 60}}));
    QCOMPARE(rig.cache.find(QStringLiteral("SALA"))->intervals.size(), size_t(3));

    QCOMPARE(rig.editor.nuevoIntervalo(id, 45, Currency::fromCents(1)).messageKey,
             QStringLiteral("IntervaloYaExiste"));
    QCOMPARE(rig.editor.nuevoIntervalo(id, 0, Currency::fromCents(1)).messageKey,
             QStringLiteral("DatosIntervalo"));
    // The same end in another tariff is another interval.
    QVERIFY(rig.editor.nuevoIntervalo(rig.idOf(QStringLiteral("PASES")), 45, Currency::fromCents(1)).ok());

    // Only the price changes.
    QVERIFY(rig.editor.modificarIntervalo(id, 45, Currency::fromCents(170)).ok());
    QCOMPARE(rig.cache.find(QStringLiteral("SALA"))->intervals.at(1),
             (Tintervalo{45, Currency::fromCents(170)}));

    rig.editor.borrarIntervalo(id, 30);
    rig.editor.borrarIntervalo(id, 45);
    QCOMPARE(rig.intervals(QStringLiteral("SALA")), (QList<QPair<int, int>>{{0, 60}}));
    QCOMPARE(rig.editor.puedeBorrarIntervalo(id).messageKey, QStringLiteral("NoBorrarIntervalo"));
    rig.editor.borrarIntervalo(id, 60);
    QCOMPARE(rig.intervals(QStringLiteral("SALA")), (QList<QPair<int, int>>{{0, 60}}));
    QCOMPARE(rig.cache.find(QStringLiteral("SALA"))->intervals,
             (std::vector<Tintervalo>{{60, Currency::fromCents(180)}}));
}

void TestTarifasEditor::bandsFromEmpty() {
    Rig rig;
    store::run(rig.db(), QStringLiteral("DELETE FROM franjas"));
    QVERIFY(rig.editor.nuevaFranja(QTime(8, 0), QStringLiteral("NORMAL")).ok());
    QCOMPARE(rig.bands(), QStringList{QStringLiteral("08:00-08:00")});
    QCOMPARE(rig.editor.nuevaFranja(QTime(8, 0), QStringLiteral("NOCHE")).messageKey,
             QStringLiteral("HoraFinal"));
    QCOMPARE(rig.editor.nuevaFranja(QTime(20, 0), QString()).messageKey, QStringLiteral("SeleccionarTarifa"));
    QVERIFY(rig.editor.nuevaFranja(QTime(20, 0), QStringLiteral("NOCHE")).ok());
    QCOMPARE(rig.bands(), (QStringList{QStringLiteral("20:00-08:00"), QStringLiteral("08:00-20:00")}));
    QVERIFY(rig.editor.modificarFranja(rig.editor.franjas().front().id_fran, QStringLiteral("PASES")).ok());
    QCOMPARE(rig.editor.franjas().front().tarifa, QStringLiteral("PASES"));

    store::run(rig.db(),
               QStringLiteral("UPDATE opciones SET cambiotarifa = 0, porfranjas = 1, porfranjascli = 1"));
    rig.settings.cambiotarifa = 0;
    rig.settings.porfranjas = true;
    rig.editor.borrarFranja(rig.editor.franjas().front().id_fran, rig.settings);
    QCOMPARE(rig.bands(), QStringList{QStringLiteral("20:00-20:00")});
    const store::Opciones o = store::readOpciones(rig.db());
    QCOMPARE(o.cambiotarifa, 1);
    QVERIFY(!o.porfranjas);
    QVERIFY(!o.porfranjascli);
    QCOMPARE(rig.settings.cambiotarifa, 1);
    QVERIFY(!rig.settings.porfranjas);
}

void TestTarifasEditor::deletionGuards() {
    Rig rig;
    // NORMAL is named by a band.
    QCOMPARE(rig.editor.tarifaBorrable(QStringLiteral("NORMAL"), {}).messageKey,
             QStringLiteral("TarifaEnFranja"));
    QCOMPARE(session::tarifaMessages().text(QStringLiteral("TarifaEnFranja")),
             QStringLiteral("No se puede eliminar esta tarifa.\rAlguna franja horaria la utiliza."));
    QCOMPARE(rig.editor.tarifaBorrable(QStringLiteral("PASES"), {QStringLiteral("PASES")}).messageKey,
             QStringLiteral("TarifaEnPuesto"));
    QVERIFY(rig.editor.tarifaBorrable(QStringLiteral("PASES"), {QStringLiteral("pases")}).allowed());
    const int id = rig.idOf(QStringLiteral("PASES"));
    rig.editor.borrarTarifa(id);
    QVERIFY(!rig.cache.find(QStringLiteral("PASES")));
    QCOMPARE(store::toInt(store::scalar(
                 rig.db(), QStringLiteral("SELECT COUNT(*) FROM lintarifas WHERE id_tarifa = ?"), {id})),
             0);
}

void TestTarifasEditor::failedEditLeavesCacheAndTables() {
    Rig rig;
    const int tariffs = rig.cache.size();
    // The interval cannot be written: the tariff row must not stay behind.
    store::run(rig.db(), QStringLiteral("ALTER TABLE lintarifas RENAME TO lintarifas_old"));
    QVERIFY_THROWS_EXCEPTION(store::DatabaseError, rig.editor.nuevaTarifaVariable(QStringLiteral("SALA"), 30,
                                                                                  Currency::fromCents(100)));
    QCOMPARE(rig.cache.size(), tariffs);
    QVERIFY(!rig.cache.find(QStringLiteral("SALA")));
    QCOMPARE(store::toInt(
                 store::scalar(rig.db(), QStringLiteral("SELECT COUNT(*) FROM tarifas WHERE NOM = 'SALA'"))),
             0);
}

void TestTarifasEditor::invariantsHoldOverRandomEdits() {
    Rig rig;
    QRandomGenerator rng(20261209);
    const QStringList stationTariffs{QStringLiteral("NORMAL")};
    auto anyTariff = [&](int tipo) -> std::optional<store::Tarifa> {
        const std::vector<store::Tarifa> rows = rig.editor.tarifas(tipo);
        if (rows.empty())
            return std::nullopt;
        return rows[rng.bounded(int(rows.size()))];
    };
    for (int step = 0; step < 400; ++step) {
        const int op = rng.bounded(10);
        const QString name = QStringLiteral("T%1").arg(rng.bounded(12));
        const int minutes = rng.bounded(-2, 1403);
        const Currency price = Currency::fromCents(rng.bounded(0, 500));
        switch (op) {
        case 0:
            rig.editor.nuevaTarifaFija(name, price, Currency::fromCents(rng.bounded(0, 100)));
            break;
        case 1:
            rig.editor.nuevaTarifaVariable(rng.bounded(2) ? name : name.toLower(), minutes, price);
            break;
        case 2:
            if (auto t = anyTariff(0))
                rig.editor.modificarTarifaFija(t->ID_TAR, price, price);
            break;
        case 3:
        case 4:
            if (auto t = anyTariff(1))
                rig.editor.nuevoIntervalo(t->ID_TAR, rng.bounded(2) ? minutes : rng.bounded(1, 8) * 15,
                                          price);
            break;
        case 5:
            if (auto t = anyTariff(1)) {
                const std::vector<store::LinTarifa> ls = rig.editor.intervalos(t->ID_TAR);
                const int end = ls[rng.bounded(int(ls.size()))].franja_fin;
                if (rng.bounded(2))
                    rig.editor.modificarIntervalo(t->ID_TAR, end, price);
                else
                    rig.editor.borrarIntervalo(t->ID_TAR, end);
            }
            break;
        case 6:
            if (auto t = anyTariff(int(rng.bounded(2)));
                t && rig.editor.tarifaBorrable(t->NOM, stationTariffs).allowed())
                rig.editor.borrarTarifa(t->ID_TAR);
            break;
        case 7:
            if (auto t = anyTariff(int(rng.bounded(2))))
                rig.editor.nuevaFranja(QTime(rng.bounded(24), rng.bounded(4) * 15), t->NOM);
            break;
        case 8: {
            const std::vector<store::Franja> bands = rig.editor.franjas();
            if (!bands.empty())
                rig.editor.borrarFranja(bands[rng.bounded(int(bands.size()))].id_fran, rig.settings);
            break;
        }
        case 9:
            store::run(rig.db(), QStringLiteral("UPDATE franjas SET franja_ini = '00:00:00'"));
            rig.editor.renumerarFranjas();
            break;
        }

        const std::vector<store::Tarifa> all = store::select<store::Tarifa>(rig.db());
        // 5: one cache record per tariff, equal to its rows.
        QCOMPARE(rig.cache.size(), int(all.size()));
        for (const store::Tarifa& t : all) {
            const Ttarifas* r = rig.cache.find(t.NOM);
            QVERIFY(r);
            QCOMPARE(r->type, t.TIPO);
            if (t.TIPO == 0) {
                QCOMPARE(r->hourlyCost, t.COS_HORA);
                QCOMPARE(r->minimumCost, t.COS_MIN);
                continue;
            }
            // 1 and 2: at least one interval, contiguous from 0.
            const std::vector<store::LinTarifa> ls = rig.editor.intervalos(t.ID_TAR);
            QVERIFY2(!ls.empty(), qPrintable(t.NOM));
            QCOMPARE(r->intervals.size(), ls.size());
            int start = 0;
            for (size_t i = 0; i < ls.size(); ++i) {
                QCOMPARE(ls[i].franja_ini, start);
                QVERIFY(ls[i].franja_fin > start && ls[i].franja_fin <= 1400);
                QCOMPARE(r->intervals[i], (Tintervalo{ls[i].franja_fin, ls[i].precio}));
                start = ls[i].franja_fin;
            }
        }
        // 3: the bands are a cycle; 4: the tariffs they name still exist.
        const std::vector<store::Franja> bands = rig.editor.franjas();
        for (size_t i = 0; i < bands.size(); ++i) {
            QCOMPARE(bands[i].franja_ini, bands[i == 0 ? bands.size() - 1 : i - 1].franja_fin);
            if (i > 0)
                QVERIFY(bands[i - 1].franja_fin < bands[i].franja_fin);
            QVERIFY2(rig.cache.find(bands[i].tarifa), qPrintable(bands[i].tarifa));
        }
        QVERIFY(rig.cache.find(QStringLiteral("NORMAL")));
    }
}

void TestTarifasEditor::voucherChecks_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("description");
    QTest::addColumn<int>("price");
    QTest::addColumn<int>("hours");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("topUpKey");
    QTest::newRow("no code") << ""
                             << "" << -1 << 0 << 0 << "IntroducirCodigo"
                             << "Codigo";
    QTest::newRow("no description") << "B2H"
                                    << "" << -1 << 0 << 0 << "IntroducirDes"
                                    << "Descripcion";
    QTest::newRow("no price") << "B2H"
                              << "Bono 2 horas" << -1 << 0 << 0 << "PrecioMayor"
                              << "Importe";
    QTest::newRow("price 0") << "B2H"
                             << "Bono 2 horas" << 0 << 2 << 0 << "PrecioMayor"
                             << "Importe";
    QTest::newRow("negative price") << "B2H"
                                    << "Bono 2 horas" << -50 << 2 << 0 << "PrecioMayor"
                                    << "Importe";
    QTest::newRow("no time") << "B2H"
                             << "Bono 2 horas" << 100 << 0 << 0 << "TiempoMayor"
                             << "";
    QTest::newRow("501 hours") << "B2H"
                               << "Bono 2 horas" << 100 << 501 << 0 << "TiempoMayor"
                               << "";
    QTest::newRow("code in other case") << "b1h"
                                        << "Recarga 5 EUROS" << 100 << 1 << 0 << "CodigoExiste"
                                        << "DescripcionExiste";
    QTest::newRow("description in other case") << "r5"
                                               << "BONO 5 HORAS" << 100 << 1 << 0 << "DescripcionExiste"
                                               << "CodigoExiste";
    QTest::newRow("500 hours") << "B500"
                               << "Bono 500 horas" << 100 << 500 << 59 << ""
                               << "";
}

void TestTarifasEditor::voucherChecks() {
    QFETCH(QString, code);
    QFETCH(QString, description);
    QFETCH(int, price);
    QFETCH(int, hours);
    QFETCH(int, minutes);
    QFETCH(QString, key);
    QFETCH(QString, topUpKey);
    Rig rig;
    const accounts::BonoEntrada e{code, description, cents(price), hours, minutes};
    QCOMPARE(accounts::guardarBono(rig.db(), e, true, QString()).messageKey, key);
    QCOMPARE(accounts::guardarRecarga(rig.db(), e, true, QString()).messageKey, topUpKey);
}

void TestTarifasEditor::voucherTimeAndModify() {
    Rig rig;
    QVERIFY(accounts::guardarBono(rig.db(),
                                  {QStringLiteral("B90"), QStringLiteral("Hora y media"), cents(150), 1, 30},
                                  true, QString())
                .ok());
    auto bono = store::selectOne<store::Bono>(rig.db(), QStringLiteral("WHERE CODIGO = 'B90'"));
    QCOMPARE(bono->tiempo_bono, 90);
    QCOMPARE(accounts::tiempoBonoStr(bono->tiempo_bono), QStringLiteral("1:30:00"));
    // Modifying skips the duplicate test and keeps code and description.
    QVERIFY(accounts::guardarBono(rig.db(),
                                  {QStringLiteral("B90"), QStringLiteral("Hora y media"), cents(200), 2, 0},
                                  false, QString())
                .ok());
    bono = store::selectOne<store::Bono>(rig.db(), QStringLiteral("WHERE CODIGO = 'B90'"));
    QCOMPARE(bono->tiempo_bono, 120);
    QCOMPARE(bono->PRECIO, Currency::fromCents(200));
    QCOMPARE(bono->DESCRIPCION, QStringLiteral("Hora y media"));
}

QTEST_GUILESS_MAIN(TestTarifasEditor)
#include "tst_tarifaseditor.moc"
