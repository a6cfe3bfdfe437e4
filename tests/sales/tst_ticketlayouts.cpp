#include "sales/taxes.h"
#include "sales/ticketlayouts.h"
#include "sales/tickets.h"
#include "store/sql.h"
#include "support/testdb.h"

#include <QFile>
#include <QTest>

using namespace sales;

// Every printed layout against its golden file under data/. Set
// QUINTOR_WRITE_GOLDEN=1 to write the files anew (then read them!).

namespace {

struct Fixture {
    TestDatabase t;
    int ticket = 0;
    int emptyTicket = 0;
    int moneyMove = 0;
    int timeMove = 0;

    QSqlDatabase db() const { return t.data.db(); }
    LayoutContext context(ui::Language language = ui::Language::Spanish) const {
        return LayoutContext{db(), Regional::spanishSpain(), language};
    }

    Fixture() {
        const QSqlDatabase d = db();
        store::run(d,
                   QStringLiteral("UPDATE opciones SET TEXTO_TICK = ?, TEXTO_FINAL = ?, TXTCIBER_INI = ?, "
                                  "TXTCIBER_FIN = ?, TXTCUENTA_INI = ?, TXTCUENTA_FIN = ?, desgloseiva = 1, "
                                  "iva_gen = 1"),
                   {QStringLiteral("CIBERCAFÉ €\r\nC/ Mayor 1"), QStringLiteral("Gracias por su visita"),
                    QStringLiteral("CIBER"), QStringLiteral("Hasta pronto"), QStringLiteral("CUENTAS"),
                    QStringLiteral("Fin cuentas")});
        const int reduced = addTasa(d, QStringLiteral("IVA REDUCIDO 10%"), 10, QString());
        store::Ticket head;
        head.CONTA = true;
        head = NuevoNumeroTicket(d, head, QDateTime(QDate(2026, 3, 7), QTime(9, 5, 3)));
        ticket = head.ID_TICK;
        addLine(ticket, QStringLiteral("CAFE"), QStringLiteral("Café con leche"), 2, 10000, reduced);
        addLine(ticket, QStringLiteral("ABCDEFGHIJKLMNOPQR"), QStringLiteral("Impresión color A4 doble cara"),
                1.5, 5000, 1);
        addLine(ticket, QString(), QStringLiteral("Varios"), 1, 10000, 0);
        recomputeTotal(d, ticket);
        store::Ticket empty;
        empty = NuevoNumeroTicket(d, empty, QDateTime(QDate(2026, 3, 7), QTime(10, 0, 0)));
        emptyTicket = empty.ID_TICK;
        store::run(d, QStringLiteral("UPDATE udart SET ENTREGADO = ?, CAMBIO = ?"), {100000, 62500});

        store::Cuenta c;
        c.Login = QStringLiteral("10001");
        c.Nombre = QStringLiteral("Íñigo Pérez");
        store::insert(d, c);
        store::MovCuenta m;
        m.CUENTA = c.Login;
        m.FECHA = QDate(2026, 3, 7);
        m.HORA = QTime(11, 30, 0);
        m.CONCEPTO = QStringLiteral("Recarga en metálico");
        m.SALDO_ANT = Currency::fromCents(250);
        m.SALDO_MOV = Currency::fromCents(1000);
        m.SALDO_FIN = Currency::fromCents(1250);
        moneyMove = int(store::insert(d, m));
        store::MovCuenta tm;
        tm.CUENTA = QStringLiteral("SINCUENTA");
        tm.FECHA = QDate(2026, 3, 8);
        tm.HORA = QTime(8, 0, 1);
        tm.CONCEPTO = QStringLiteral("Bono 2 horas");
        tm.saldoti_ant_bono = 3725;
        tm.SALDOTI_MOV = QStringLiteral("2:00:00");
        tm.saldoti_fin_bono = 10925;
        timeMove = int(store::insert(d, tm));
    }

    void addLine(int idTick, const QString& code, const QString& name, double cant, qint64 price, int tax) {
        store::LinTick l;
        l.ID_TICK = idTick;
        l.CODIGO = code;
        l.ARTICULO = name;
        l.CANT = cant;
        l.PRECIO = Currency::fromRaw(price);
        l.IMPORTE = Currency::roundHalfEven(static_cast<long double>(price) * cant);
        l.IdTax = tax;
        sales::addLine(db(), l);
    }
};

const QDateTime Now(QDate(2026, 3, 7), QTime(12, 0, 0));

} // namespace

class TstTicketLayouts : public QObject {
    Q_OBJECT
private slots:
    void golden_data();
    void golden();
    void codePage();
    void noLinesAndNoBreakdown();
};

void TstTicketLayouts::golden_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("venta") << "venta";
    QTest::newRow("venta sin desglose") << "venta_sin_desglose";
    QTest::newRow("venta en inglés") << "venta_en";
    QTest::newRow("venta vacía") << "venta_vacia";
    QTest::newRow("cuenta") << "cuenta";
    QTest::newRow("cuenta código") << "cuenta_codigo";
    QTest::newRow("recarga") << "recarga";
    QTest::newRow("recarga código") << "recarga_codigo";
    QTest::newRow("recibo código") << "recibo_codigo";
    QTest::newRow("recibo cuenta") << "recibo_cuenta";
    QTest::newRow("movimiento dinero") << "movimiento_dinero";
    QTest::newRow("movimiento tiempo") << "movimiento_tiempo";
    QTest::newRow("comprobante") << "comprobante";
    QTest::newRow("comprobante en inglés") << "comprobante_en";
    QTest::newRow("desglose") << "desglose";
}

void TstTicketLayouts::golden() {
    QFETCH(QString, file);
    Fixture f;
    const LayoutContext c = f.context();
    const QString credit = QStringLiteral("12,50 €");
    const QString time = QStringLiteral("1:02:05");
    QByteArray bytes;
    if (file == QLatin1String("venta"))
        bytes = TicketVenta(c, f.ticket);
    else if (file == QLatin1String("venta_sin_desglose")) {
        store::run(f.db(), QStringLiteral("UPDATE opciones SET desgloseiva = 0"));
        bytes = TicketVenta(c, f.ticket);
    } else if (file == QLatin1String("venta_en"))
        bytes = TicketVenta(f.context(ui::Language::English), f.ticket);
    else if (file == QLatin1String("venta_vacia"))
        bytes = TicketVenta(c, f.emptyTicket);
    else if (file == QLatin1String("cuenta"))
        bytes =
            TicketCuenta(c, f.ticket, false, QStringLiteral("10001"), credit, time, QStringLiteral("clave"));
    else if (file == QLatin1String("cuenta_codigo"))
        bytes =
            TicketCuenta(c, f.ticket, true, QStringLiteral("T4821"), credit, time, QStringLiteral("9981"));
    else if (file == QLatin1String("recarga"))
        bytes =
            TicketRecarga(c, f.ticket, false, QStringLiteral("10001"), credit, time, QStringLiteral("clave"));
    else if (file == QLatin1String("recarga_codigo"))
        bytes =
            TicketRecarga(c, f.ticket, true, QStringLiteral("T4821"), credit, time, QStringLiteral("9981"));
    else if (file == QLatin1String("recibo_codigo"))
        bytes = ReciboCodigo(c, Now, QStringLiteral("T4821"), time, QStringLiteral("9981"));
    else if (file == QLatin1String("recibo_cuenta"))
        bytes = ReciboCuenta(c, Now, QStringLiteral("10001"), QStringLiteral("clave"), credit, time);
    else if (file == QLatin1String("movimiento_dinero"))
        bytes = ReciboMovimiento(c, f.moneyMove);
    else if (file == QLatin1String("movimiento_tiempo"))
        bytes = ReciboMovimiento(c, f.timeMove);
    else if (file == QLatin1String("comprobante"))
        bytes = ComprobanteCiber(c, f.ticket);
    else if (file == QLatin1String("comprobante_en"))
        bytes = ComprobanteCiber(f.context(ui::Language::English), f.ticket);
    else if (file == QLatin1String("desglose"))
        bytes = toWindows1252(DesgloseImpuestos(c, f.ticket));
    QVERIFY(!bytes.isEmpty());
    QVERIFY(!bytes.contains('\r'));

    QFile golden(QStringLiteral(GOLDEN_DIR "/") + file + QStringLiteral(".txt"));
    if (qEnvironmentVariableIsSet("QUINTOR_WRITE_GOLDEN")) {
        QVERIFY(golden.open(QIODevice::WriteOnly));
        golden.write(bytes);
        return;
    }
    QVERIFY2(golden.open(QIODevice::ReadOnly), qPrintable(golden.fileName()));
    const QByteArray expected = golden.readAll();
    if (bytes != expected) {
        const QList<QByteArray> got = bytes.split('\n');
        const QList<QByteArray> want = expected.split('\n');
        for (int i = 0; i < qMax(got.size(), want.size()); ++i)
            QCOMPARE(got.value(i).toHex(' '), want.value(i).toHex(' '));
    }
    QCOMPARE(bytes, expected);
}

void TstTicketLayouts::codePage() {
    QCOMPARE(toWindows1252(QStringLiteral("€ñÑáÍ‘’“”—…ß")),
             QByteArray("\x80\xf1\xd1\xe1\xcd\x91\x92\x93\x94\x97\x85\xdf"));
    // Characters the printer lacks print as "?", never as several bytes.
    QCOMPARE(toWindows1252(QStringLiteral("a\u4e2db\u0100")), QByteArray("a?b?"));
}

void TstTicketLayouts::noLinesAndNoBreakdown() {
    Fixture f;
    // With the breakdown on and no taxed line, the breakdown is the subtotal alone.
    const QString block = DesgloseImpuestos(f.context(), f.emptyTicket);
    QCOMPARE(block, QStringLiteral("\nSubtotal                   0,00 €\n"));
    const QByteArray bytes = TicketVenta(f.context(), f.emptyTicket);
    const QByteArray rule(40, '-');
    QVERIFY(bytes.contains(QByteArray(rule + "\n" + rule + "\n")));
    QVERIFY(bytes.endsWith("Gracias por su visita\x1b\x64\x0a\x1b\x6d"));
}

QTEST_MAIN(TstTicketLayouts)
#include "tst_ticketlayouts.moc"
