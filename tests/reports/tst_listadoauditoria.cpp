// The audit trail's listing on both engines: its filters, the rows a long
// or many-lined text takes when printed, and its CSV.
#include "core/consolecontext.h"
#include "reports/frmauditoria.h"
#include "reports/listadoauditoria.h"
#include "store/auditoria.h"
#include "store/datamodule.h"
#include "support/testdb.h"

#include <QComboBox>
#include <QDateEdit>
#include <QTest>

using namespace reports;

namespace {

const QDateTime printed(QDate(2026, 3, 11), QTime(8, 0, 0));
const QString voided = QStringLiteral("Vendido por CAJA\n2 x CAFÉ 2,40\n1 x \"BONO\"; 1H 3,00\nTotal 5,40");

void line(const QSqlDatabase& db, const QDateTime& when, const QString& op, const QString& accion,
          const QString& objeto, const QString& antes = QString()) {
    store::auditar(db, {op, accion, objeto, antes, QString(), when});
}

// Lines at the edges of 2 and 3 March, by ANA, LUIS, O'Brien and the
// console itself.
void fill(const QSqlDatabase& db) {
    using namespace store::accion;
    line(db, QDateTime(QDate(2026, 3, 1), QTime(23, 59, 59)), QStringLiteral("ANA"), AnularTicket,
         QStringLiteral("Ticket 1"));
    line(db, QDateTime(QDate(2026, 3, 2), QTime(0, 0, 0)), QStringLiteral("ANA"), AnularTicket,
         QStringLiteral("Ticket 2"), voided);
    line(db, QDateTime(QDate(2026, 3, 2), QTime(12, 0, 0)), QStringLiteral("LUIS"), CreditoCuenta,
         QStringLiteral("Cuenta ANA"));
    line(db, QDateTime(QDate(2026, 3, 3), QTime(23, 59, 59)), QStringLiteral("O'Brien"), AbrirCajon,
         QStringLiteral("Cajón"));
    line(db, QDateTime(QDate(2026, 3, 3), QTime(8, 0, 0)), QString(), TomaPuestos,
         QStringLiteral("Consola B"));
    line(db, QDateTime(QDate(2026, 3, 4), QTime(0, 0, 0)), QStringLiteral("ANA"), AnularTicket,
         QStringLiteral("Ticket 3"));
}

// The OBJETO column of the records, in order.
QStringList objects(const Report& r) {
    QStringList out;
    for (const QStringList& record : r.records)
        out << record.at(5);
    return out;
}

// RFC 4180 fields, quoted ones with their line breaks and doubled quotes.
QList<QStringList> parseCsv(const QString& csv) {
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < csv.size(); ++i) {
        const QChar c = csv.at(i);
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < csv.size() && csv.at(i + 1) == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(';')) {
            row << field;
            field.clear();
        } else if (c == QLatin1Char('\r') && i + 1 < csv.size() && csv.at(i + 1) == QLatin1Char('\n')) {
            row << field;
            rows << row;
            row.clear();
            field.clear();
            ++i;
        } else {
            field += c;
        }
    }
    return rows;
}

} // namespace

class TestListadoAuditoria : public QObject {
    Q_OBJECT
private slots:
    void filters_data();
    void filters();
    void csvKeepsEachLineWhole();
    void longTextsTakeRowsKeptTogether();
    void wrapping_data();
    void wrapping();
    void windowOffersWhatTheTrailHolds();
};

void TestListadoAuditoria::filters_data() {
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QVariant>("operador"); // invalid: every operator
    QTest::addColumn<QString>("accion");    // empty: every action
    QTest::addColumn<QStringList>("found");
    const QVariant all;
    QTest::newRow("both days whole") << QDate(2026, 3, 2) << QDate(2026, 3, 3) << all << QString()
                                     << QStringList{"Ticket 2", "Cuenta ANA", "Consola B", "Cajón"};
    QTest::newRow("one day") << QDate(2026, 3, 1) << QDate(2026, 3, 1) << all << QString()
                             << QStringList{"Ticket 1"};
    QTest::newRow("start after end") << QDate(2026, 3, 3) << QDate(2026, 3, 2) << all << QString()
                                     << QStringList{};
    QTest::newRow("one operator") << QDate(2026, 3, 1) << QDate(2026, 3, 4) << QVariant(QStringLiteral("ANA"))
                                  << QString() << QStringList{"Ticket 1", "Ticket 2", "Ticket 3"};
    QTest::newRow("a quote in the name")
        << QDate(2026, 3, 1) << QDate(2026, 3, 4) << QVariant(QStringLiteral("O'Brien")) << QString()
        << QStringList{"Cajón"};
    QTest::newRow("the console itself") << QDate(2026, 3, 1) << QDate(2026, 3, 4) << QVariant(QString(""))
                                        << QString() << QStringList{"Consola B"};
    QTest::newRow("one action") << QDate(2026, 3, 2) << QDate(2026, 3, 4) << all
                                << store::accion::AnularTicket << QStringList{"Ticket 2", "Ticket 3"};
    QTest::newRow("operator and action")
        << QDate(2026, 3, 1) << QDate(2026, 3, 4) << QVariant(QStringLiteral("LUIS"))
        << store::accion::AnularTicket << QStringList{};
}

void TestListadoAuditoria::filters() {
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QVariant, operador);
    QFETCH(QString, accion);
    QFETCH(QStringList, found);
    TestDatabase t;
    fill(t.data.db());
    FiltroAuditoria f{{from, to},
                      operador.isValid() ? std::optional<QString>(operador.toString()) : std::nullopt,
                      accion.isEmpty() ? std::nullopt : std::optional<QString>(accion)};
    const Report r = listadoAuditoria(t.data.db(), Regional::spanishSpain(), f, printed);
    QCOMPARE(objects(r), found);
    QCOMPARE(r.body.size(), r.records.size());
}

void TestListadoAuditoria::csvKeepsEachLineWhole() {
    TestDatabase t;
    fill(t.data.db());
    const Report r =
        listadoAuditoria(t.data.db(), Regional::spanishSpain(),
                         {{QDate(2026, 3, 2), QDate(2026, 3, 2)}, std::nullopt, std::nullopt}, printed);
    const QList<QStringList> rows = parseCsv(toCsv(r));
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows.at(0),
             (QStringList{"Fecha", "Hora", "Consola", "Operador", "Acción", "Objeto", "Antes", "Después"}));
    QCOMPARE(rows.at(1).size(), 8);
    QCOMPARE(rows.at(1).at(0), QStringLiteral("02/03/2026"));
    QCOMPARE(rows.at(1).at(1), QStringLiteral("0:00:00"));
    QCOMPARE(rows.at(1).at(5), QStringLiteral("Ticket 2"));
    // Line breaks, a quote and a separator inside one field.
    QCOMPARE(rows.at(1).at(6), voided);
    QCOMPARE(rows.at(2).at(3), QStringLiteral("LUIS"));
}

void TestListadoAuditoria::longTextsTakeRowsKeptTogether() {
    TestDatabase t;
    fill(t.data.db());
    const Report r =
        listadoAuditoria(t.data.db(), Regional::spanishSpain(),
                         {{QDate(2026, 3, 2), QDate(2026, 3, 2)}, std::nullopt, std::nullopt}, printed);
    QCOMPARE(r.body.size(), size_t(2));
    // Four lines before: one group of four rows, the other cells on the first.
    const Group& g = r.body.front();
    QCOMPARE(g.rows.size(), size_t(4));
    QCOMPARE(g.rows[0].cells.at(5), QStringLiteral("Ticket 2"));
    QCOMPARE(g.rows[0].cells.at(6), QStringLiteral("Vendido por CAJA"));
    QCOMPARE(g.rows[3].cells.at(5), QString());
    QCOMPARE(g.rows[3].cells.at(6), QStringLiteral("Total 5,40"));
    QCOMPARE(r.body.back().rows.size(), size_t(1));
}

void TestListadoAuditoria::wrapping_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty") << QString() << 10 << QStringList{QString()};
    QTest::newRow("exactly the width") << QStringLiteral("abcde fghi") << 10 << QStringList{"abcde fghi"};
    QTest::newRow("one past it, at the blank")
        << QStringLiteral("abcde fghij") << 10 << QStringList{"abcde", "fghij"};
    QTest::newRow("a word longer than the width")
        << QStringLiteral("abcdefghijkl") << 5 << QStringList{"abcde", "fghij", "kl"};
    QTest::newRow("its own breaks") << QStringLiteral("a\n\nb") << 10 << QStringList{"a", "", "b"};
}

void TestListadoAuditoria::wrapping() {
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QStringList, lines);
    QCOMPARE(envolver(text, width), lines);
}

void TestListadoAuditoria::windowOffersWhatTheTrailHolds() {
    TestDatabase t;
    fill(t.data.db());
    FakeClock clock(QDateTime(QDate(2026, 3, 2), QTime(12, 0)));
    ConsoleContext context;
    context.data = &t.data;
    context.regional = Regional::spanishSpain();
    context.clock = &clock;
    TfrmAuditoria window(context);
    window.prepare();
    QCOMPARE(window.fromEdit()->date(), QDate(2026, 3, 2));
    QStringList ops;
    for (int i = 0; i < window.operators()->count(); ++i)
        ops << window.operators()->itemText(i);
    QCOMPARE(ops, (QStringList{"- Todos -", "(la consola)", "ANA", "LUIS", "O'Brien"}));
    // Today, ANA only.
    window.operators()->setCurrentIndex(2);
    QVERIFY(window.consultar());
    QCOMPARE(objects(window.result().report), QStringList{"Ticket 2"});
}

QTEST_MAIN(TestListadoAuditoria)
#include "tst_listadoauditoria.moc"
