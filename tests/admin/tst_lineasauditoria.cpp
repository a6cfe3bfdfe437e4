// The edits outside the normal flow, each leaving its line in the audit
// trail with the operator, what it touched and what changed.
#include "accounts/bonos.h"
#include "accounts/caducidad.h"
#include "accounts/cuentas.h"
#include "accounts/tarifaseditor.h"
#include "sales/puntoventa.h"
#include "sales/taxes.h"
#include "station/loginsinuse.h"
#include "store/auditoria.h"
#include "store/sql.h"
#include "support/testdb.h"

#include <QTest>

#include <functional>

namespace {

const QDateTime Now(QDate(2026, 3, 10), QTime(11, 0));
const QString Op = QStringLiteral("LUIS");

using Edit = std::function<void(const QSqlDatabase&)>;

int idOf(const QSqlDatabase& db, const QString& sql) {
    return store::toInt(store::scalar(db, sql));
}

void tariffs(const QSqlDatabase& db, const std::function<void(accounts::EditorTarifas&)>& edit) {
    ListaTarifas cache = ListaTarifas::load(db);
    accounts::EditorTarifas editor(db, cache, [] { return Op; });
    edit(editor);
}

} // namespace

Q_DECLARE_METATYPE(Edit)

class TestLineasAuditoria : public QObject {
    Q_OBJECT
private slots:
    void eachEditLeavesItsLines_data();
    void eachEditLeavesItsLines();
};

void TestLineasAuditoria::eachEditLeavesItsLines_data() {
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<QString>("accion");
    QTest::addColumn<QStringList>("objects");
    // The first line's before and after, joined by " => ".
    QTest::addColumn<QString>("change");
    using namespace store::accion;
    QTest::newRow("article price") << Edit([](const QSqlDatabase& db) {
        sales::updateArticulo(db, QStringLiteral("CAFE"), Currency::fromCents(120), 2, Op, Now);
    }) << Articulo << QStringList{"Artículo CAFE"}
                                   << QStringLiteral(" => Precio: 1,00 -> 1,20");
    QTest::newRow("article price kept") << Edit([](const QSqlDatabase& db) {
        sales::updateArticulo(db, QStringLiteral("CAFE"), Currency::fromCents(100), 2, Op, Now);
    }) << Articulo << QStringList{} << QString();
    QTest::newRow("article deleted") << Edit([](const QSqlDatabase& db) {
        sales::deleteArticulo(db, QStringLiteral("AGUA"), Op, Now);
    }) << BorrarArticulo << QStringList{"Artículo AGUA"}
                                     << QStringLiteral(
                                            "Artículo: Agua 50 cl\nPrecio: 0,80\nImpuesto: IVA REDUCIDO => ");
    // Only the articles whose tax changes.
    QTest::newRow("tax of every article")
        << Edit([](const QSqlDatabase& db) { sales::CambiarIva(db, 2, Op, Now); }) << Articulo
        << QStringList{"Artículo IMPBN", "Artículo IMPCOL", "Artículo CDR"}
        << QStringLiteral("Impuesto: IVA GENERAL => Impuesto: IVA REDUCIDO");
    QTest::newRow("tax rate") << Edit([](const QSqlDatabase& db) { sales::setTasaValor(db, 1, 23, Op); })
                              << Impuesto << QStringList{"Impuesto IVA GENERAL"}
                              << QStringLiteral("Tipo: 21 % => Tipo: 23 %");
    QTest::newRow("voucher") << Edit([](const QSqlDatabase& db) {
        accounts::guardarBono(
            db, {QStringLiteral("B1H"), QStringLiteral("Bono 1 hora"), Currency::fromCents(150), 1, 30},
            false, Op);
    }) << Bono << QStringList{"Bono B1H"}
                             << QStringLiteral(" => Precio: 1,00 -> 1,50\nTiempo: 1:00:00 -> 1:30:00");
    QTest::newRow("top-up deleted") << Edit([](const QSqlDatabase& db) {
        accounts::borrarRecarga(db, QStringLiteral("R5"), Op);
    }) << Bono << QStringList{"Recarga R5"}
                                    << QStringLiteral("Descripción: Recarga 5 euros\nPrecio: 5,00 => ");
    QTest::newRow("fixed tariff") << Edit([](const QSqlDatabase& db) {
        tariffs(db, [&db](accounts::EditorTarifas& e) {
            e.modificarTarifaFija(idOf(db, QStringLiteral("SELECT ID_TAR FROM tarifas WHERE NOM = 'NORMAL'")),
                                  Currency::fromCents(130), Currency::fromCents(50));
        });
    }) << Tarifa << QStringList{"Tarifa NORMAL"}
                                  << QStringLiteral(" => Coste hora: 1,20 -> 1,30");
    QTest::newRow("band") << Edit([](const QSqlDatabase& db) {
        tariffs(db, [&db](accounts::EditorTarifas& e) {
            e.modificarFranja(idOf(db, QStringLiteral("SELECT MIN(id_fran) FROM franjas")),
                              QStringLiteral("ESTUDIANTE"));
        });
    }) << Franja << QStringList{"Franja hasta 20:00:00"}
                          << QStringLiteral("Tarifa: NORMAL => Tarifa: ESTUDIANTE");
    QTest::newRow("account deleted") << Edit([](const QSqlDatabase& db) {
        store::run(db, QStringLiteral("UPDATE cuentas SET credito = 125000 WHERE Login = '10001'"));
        QVERIFY(accounts::eliminarCuenta(db, QStringLiteral("10001"), station::LoginsInUse(), Op, Now));
    }) << BorrarCuenta << QStringList{"Cuenta 10001"}
                                     << QStringLiteral("Crédito: 12,50");
    // One line for each code removed.
    QTest::newRow("expired codes") << Edit([](const QSqlDatabase& db) {
        accounts::CaducidadCodigos plan;
        plan.criterio = accounts::CriterioCaducidad::Alta;
        plan.fecha = QDate(2100, 1, 1);
        QVERIFY(accounts::eliminarCodigosCaducados(db, plan, station::LoginsInUse(), Op, Now).isEmpty());
    }) << BorrarCodigo << QStringList{"Código 90001", "Código 90002"}
                                   << QStringLiteral("Tiempo: 0:30:00");
    QTest::newRow("drawer") << Edit([](const QSqlDatabase& db) { sales::anotarCajonSinVenta(db, Op, Now); })
                            << AbrirCajon << QStringList{"Cajón"} << QStringLiteral(" => Abierto sin venta");
}

void TestLineasAuditoria::eachEditLeavesItsLines() {
    QFETCH(Edit, edit);
    QFETCH(QString, accion);
    QFETCH(QStringList, objects);
    QFETCH(QString, change);
    TestDatabase t(true);
    const QSqlDatabase db = t.data.db();
    edit(db);
    QStringList found;
    QString first;
    QSqlQuery q =
        store::run(db, QStringLiteral("SELECT OPERADOR, ACCION, OBJETO, ANTES, DESPUES FROM auditoria "
                                      "ORDER BY ID"));
    while (q.next()) {
        QCOMPARE(store::toText(q.value(0)), Op);
        QCOMPARE(store::toText(q.value(1)), accion);
        found << store::toText(q.value(2));
        if (first.isNull())
            first = store::toText(q.value(3)) + QStringLiteral(" => ") + store::toText(q.value(4));
    }
    found.sort();
    objects.sort();
    QCOMPARE(found, objects);
    QVERIFY2(change.isEmpty() || first.contains(change), qPrintable(first));
}

QTEST_GUILESS_MAIN(TestLineasAuditoria)
#include "tst_lineasauditoria.moc"
