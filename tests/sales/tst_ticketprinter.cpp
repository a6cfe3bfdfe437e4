#include "core/consolecontext.h"
#include "sales/cupsprinter.h"
#include "sales/impresion.h"
#include "sales/ticketlayouts.h"
#include "sales/ticketprinter.h"
#include "sales/tickets.h"
#include "store/sql.h"
#include "support/scriptedui.h"
#include "support/testdb.h"

#include <QFile>
#include <QProcess>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <cups/cups.h>
#include <unistd.h>

using namespace sales;

namespace {

// A printer that records its jobs and, when asked, holds each one until released.
class FakePrinter final : public RawPrinter {
public:
    QSemaphore release;
    bool hold = false;
    Outcome next;
    QList<QByteArray> jobs;
    QStringList names;

    QStringList printers() override { return {QStringLiteral("TM")}; }
    Outcome print(const QString& printer, const QByteArray& data, const QString& documentName) override {
        if (hold)
            release.acquire();
        jobs << data;
        names << printer + QLatin1Char('|') + documentName;
        return next;
    }
};

// A CUPS scheduler of the test's own: configuration, spool and socket in a
// temporary folder, one raw queue whose socket backend points at address.
class PrivateCups {
public:
    QTemporaryDir dir;
    QProcess cupsd;

    QString socketPath() const { return dir.filePath(QStringLiteral("cups.sock")); }

    bool start(const QString& queue, const QString& deviceUri) {
        const QString d = dir.path();
        // Backends run as an unprivileged user when the scheduler is root.
        QFile::setPermissions(d, QFileDevice::Permissions(0x7755));
        for (const char* sub : {"spool", "cache", "tmp", "state"}) {
            QDir(d).mkdir(QLatin1String(sub));
            QFile::setPermissions(d + QLatin1Char('/') + QLatin1String(sub),
                                  QFileDevice::Permissions(0x7777));
        }
        write(QStringLiteral("cupsd.conf"),
              QStringLiteral("Listen %1\nLogLevel warn\nWebInterface No\nBrowsing No\nDefaultAuthType None\n"
                             "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                             "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                  .arg(socketPath()));
        write(QStringLiteral("cups-files.conf"),
              QStringLiteral("ServerRoot %1\nStateDir %1/state\nCacheDir %1/cache\nRequestRoot %1/spool\n"
                             "TempDir %1/tmp\nAccessLog %1/access_log\nErrorLog %1/error_log\n"
                             "PageLog %1/page_log\n")
                  .arg(d));
        write(QStringLiteral("printers.conf"),
              QStringLiteral(
                  "<Printer %1>\nInfo Quintor test\nDeviceURI %2\nState Idle\nAccepting Yes\n</Printer>\n")
                  .arg(queue, deviceUri));
        cupsd.setProcessChannelMode(QProcess::ForwardedChannels);
        cupsd.start(QStringLiteral("/usr/sbin/cupsd"),
                    {QStringLiteral("-f"), QStringLiteral("-c"), dir.filePath(QStringLiteral("cupsd.conf")),
                     QStringLiteral("-s"), dir.filePath(QStringLiteral("cups-files.conf"))});
        if (!cupsd.waitForStarted(5000))
            return false;
        for (int i = 0; i < 100; ++i) {
            if (QFile::exists(socketPath()))
                return true;
            QTest::qWait(50);
        }
        return false;
    }
    QString errorLog() const {
        QFile f(dir.filePath(QStringLiteral("error_log")));
        return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll()) : QString();
    }
    ~PrivateCups() {
        if (cupsd.state() != QProcess::NotRunning) {
            cupsd.terminate();
            if (!cupsd.waitForFinished(5000))
                cupsd.kill();
            cupsd.waitForFinished(2000);
        }
    }

private:
    void write(const QString& name, const QString& text) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(text.toUtf8());
    }
};

// The receipt printer at the far end: collects what one connection sends.
class Listener : public QObject {
public:
    QTcpServer server;
    QByteArray received;
    bool closed = false;

    bool listen(const QHostAddress& address) {
        connect(&server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* s = server.nextPendingConnection();
            connect(s, &QTcpSocket::readyRead, this, [this, s] { received += s->readAll(); });
            connect(s, &QTcpSocket::disconnected, this, [this, s] {
                received += s->readAll();
                closed = true;
            });
        });
        return server.listen(address, 9100);
    }
};

void setPrinter(const QSqlDatabase& db, const QString& name) {
    store::run(db, QStringLiteral("UPDATE opciones SET impresoratick = ?"), {name});
}

} // namespace

class TstTicketPrinter : public QObject {
    Q_OBJECT
private slots:
    void refusals_data();
    void refusals();
    void busyWhileAJobPrints();
    void failureTextIsShown();
    void throughPrivateCups();
    void schedulerNotRunning();
};

void TstTicketPrinter::refusals_data() {
    QTest::addColumn<QString>("printer");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("icon");
    QTest::newRow("none chosen") << "NoPrinter" << 10
                                 << "Debe configurar la impresora de Tickets en parámetros generales."
                                 << int(ui::Icon::Information);
    QTest::newRow("empty name") << "" << 10
                                << "Debe configurar la impresora de Tickets en parámetros generales."
                                << int(ui::Icon::Information);
    QTest::newRow("2049 bytes") << "TM" << 2049 << "Número de caracteres a imprimir demasiado grande"
                                << int(ui::Icon::Error);
    QTest::newRow("2048 bytes") << "TM" << 2048 << "" << 0;
}

void TstTicketPrinter::refusals() {
    QFETCH(QString, printer);
    QFETCH(int, size);
    QFETCH(QString, shown);
    QFETCH(int, icon);
    ScriptedUi ui;
    TestDatabase t;
    ConsoleContext context;
    context.data = &t.data;
    setPrinter(t.data.db(), printer);
    auto fake = std::make_unique<FakePrinter>();
    FakePrinter* f = fake.get();
    TicketPrinter tp(std::move(fake));
    QSignalSpy done(&tp, &TicketPrinter::finished);
    const bool sent = EnviarImpresoraTickets(nullptr, context, QByteArray(size, 'x'));
    QCOMPARE(sent, shown.isEmpty());
    if (!shown.isEmpty()) {
        QCOMPARE(ui.messageTexts(), QStringList{shown});
        QCOMPARE(int(ui.messages().first().icon), icon);
        QCOMPARE(f->jobs.size(), 0);
        return;
    }
    QVERIFY(done.wait(5000));
    QCOMPARE(f->jobs, QList<QByteArray>{QByteArray(size, 'x')});
    QCOMPARE(f->names, QStringList{QStringLiteral("TM|Quintor ticket")});
    QVERIFY(ui.messages().isEmpty());
}

void TstTicketPrinter::busyWhileAJobPrints() {
    ScriptedUi ui;
    TestDatabase t;
    ConsoleContext context;
    context.data = &t.data;
    setPrinter(t.data.db(), QStringLiteral("TM"));
    auto fake = std::make_unique<FakePrinter>();
    FakePrinter* f = fake.get();
    f->hold = true;
    TicketPrinter tp(std::move(fake));
    QSignalSpy done(&tp, &TicketPrinter::finished);
    QVERIFY(abrirCajon(nullptr, context));
    // The counter goes on while the printer holds the first job.
    QVERIFY(tp.busy());
    QVERIFY(!EnviarImpresoraTickets(nullptr, context, QByteArray("second")));
    QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("La impresora está ocupada")});
    f->release.release();
    QVERIFY(done.wait(5000));
    QVERIFY(!tp.busy());
    QCOMPARE(f->jobs, QList<QByteArray>{drawerKick()});
    QVERIFY(abrirCajonBell(nullptr, context));
    f->release.release();
    QVERIFY(done.wait(5000));
    QCOMPARE(f->jobs.last(), QByteArray("\x07"));
}

void TstTicketPrinter::failureTextIsShown() {
    ScriptedUi ui;
    TestDatabase t;
    ConsoleContext context;
    context.data = &t.data;
    setPrinter(t.data.db(), QStringLiteral("TM"));
    auto fake = std::make_unique<FakePrinter>();
    fake->next = RawPrinter::Outcome{RawPrinter::Outcome::Kind::Failed, QStringLiteral("Printer on fire")};
    FakePrinter* f = fake.get();
    TicketPrinter tp(std::move(fake));
    QSignalSpy done(&tp, &TicketPrinter::finished);
    QVERIFY(EnviarImpresoraTickets(nullptr, context, QByteArray("x")));
    QVERIFY(done.wait(5000));
    QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("Printer on fire")});
    QCOMPARE(ui.messages().first().icon, ui::Icon::Error);
    f->next = RawPrinter::Outcome{RawPrinter::Outcome::Kind::NoPrinterInstalled, QString()};
    ui.clear();
    QVERIFY(EnviarImpresoraTickets(nullptr, context, QByteArray("x")));
    QVERIFY(done.wait(5000));
    QCOMPARE(ui.messageTexts(), QStringList{QStringLiteral("No se instaló ninguna impresora")});
}

void TstTicketPrinter::throughPrivateCups() {
    QVERIFY2(QFile::exists(QStringLiteral("/usr/sbin/cupsd")) &&
                 QFile::exists(QStringLiteral("/usr/lib/cups/backend/socket")),
             "the CUPS scheduler and its socket backend are needed (scripts/install-deps.sh)");
    Listener printer;
    QVERIFY(printer.listen(QHostAddress(QStringLiteral("127.0.91.1"))));
    PrivateCups cups;
    QVERIFY(cups.start(QStringLiteral("quintor-test"), QStringLiteral("socket://127.0.91.1:9100")));
    qputenv("CUPS_SERVER", cups.socketPath().toLocal8Bit());

    ScriptedUi ui;
    TestDatabase t;
    ConsoleContext context;
    context.data = &t.data;
    context.regional = Regional::spanishSpain();
    setPrinter(t.data.db(), QStringLiteral("quintor-test"));
    store::Ticket ticket;
    ticket.CONTA = true;
    ticket = NuevoNumeroTicket(t.data.db(), ticket, QDateTime(QDate(2026, 3, 7), QTime(9, 0)));
    store::LinTick l;
    l.ID_TICK = ticket.ID_TICK;
    l.CODIGO = QStringLiteral("CAFE");
    l.ARTICULO = QStringLiteral("Café");
    l.CANT = 1;
    l.PRECIO = l.IMPORTE = Currency::fromCents(120);
    addLine(t.data.db(), l);
    recomputeTotal(t.data.db(), ticket.ID_TICK);
    const QByteArray expected = TicketVenta(layoutContext(context), ticket.ID_TICK);

    TicketPrinter tp(std::make_unique<CupsPrinter>());
    QCOMPARE(tp.printers(), QStringList{QStringLiteral("quintor-test")});
    QSignalSpy done(&tp, &TicketPrinter::finished);
    QVERIFY(
        imprimir(nullptr, context, [&](const LayoutContext& c) { return TicketVenta(c, ticket.ID_TICK); }));
    QVERIFY(done.wait(10000));
    QVERIFY2(done.first().at(0).toBool(), qPrintable(done.first().at(1).toString()));
    QTRY_VERIFY_WITH_TIMEOUT(printer.closed, 20000);
    QCOMPARE(printer.received, expected);
    QVERIFY(ui.messages().isEmpty());

    cups_job_t* jobs = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, "quintor-test", 0, CUPS_WHICHJOBS_ALL);
    QCOMPARE(n, 1);
    QCOMPARE(QString::fromUtf8(jobs[0].title), QStringLiteral("Quintor ticket"));
    cupsFreeJobs(n, jobs);

    // A queue that does not exist: the scheduler's own words.
    setPrinter(t.data.db(), QStringLiteral("no-such-queue"));
    QVERIFY(abrirCajon(nullptr, context));
    QVERIFY(done.wait(10000));
    QCOMPARE(done.last().at(0).toBool(), false);
    QCOMPARE(ui.messages().size(), 1);
    QVERIFY(!ui.messages().first().text.isEmpty());
    qunsetenv("CUPS_SERVER");
}

void TstTicketPrinter::schedulerNotRunning() {
    QTemporaryDir dir;
    qputenv("CUPS_SERVER", dir.filePath(QStringLiteral("nobody-home.sock")).toLocal8Bit());
    ScriptedUi ui;
    TestDatabase t;
    ConsoleContext context;
    context.data = &t.data;
    setPrinter(t.data.db(), QStringLiteral("quintor-test"));
    TicketPrinter tp(std::make_unique<CupsPrinter>());
    QSignalSpy done(&tp, &TicketPrinter::finished);
    QVERIFY(abrirCajon(nullptr, context));
    QVERIFY(done.wait(20000));
    QCOMPARE(done.first().at(0).toBool(), false);
    QCOMPARE(ui.messages().size(), 1);
    QVERIFY(!ui.messages().first().text.isEmpty());
    qunsetenv("CUPS_SERVER");
}

QTEST_MAIN(TstTicketPrinter)
#include "tst_ticketprinter.moc"
