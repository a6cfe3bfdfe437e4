// The owner's view in a real browser: a headless Chromium, driven through
// chromedriver, logs in to a quintor-web process beside a console whose
// stations the simulator plays, and watches what the counter does.
#include "reports/report.h"
#include "sales/informecaja.h"
#include "session/engine.h"
#include "store/claves.h"
#include "store/sql.h"
#include "support/loopback.h"
#include "support/simcafe.h"
#include "webdriver.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

using station::Estado;

namespace {

const QString kOwnerPassword = QStringLiteral("dueño-2026");
const QString kCashierPassword = QStringLiteral("caja-2026");

QString webBinary() {
    return qEnvironmentVariable("QUINTOR_WEB_BIN");
}

} // namespace

class TestWebBrowser : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void refusedWithoutWebAccess();
    void ownerLogsIn();
    void stationTurnsOccupiedAndFree();
    void cashEqualsTheCashReport();

private:
    // Rounds of the console until the page shows the station in that state
    // (or out of "libre" when occupied), or some seconds have passed.
    bool pageShows(int number, bool occupied);
    void saveScreenshot(const QString& name);
    QUrl page(const QString& path) const;

    std::unique_ptr<SimCafe> m_cafe;
    QProcess m_web;
    quint16 m_port = 0;
    WebDriver m_browser;
};

QUrl TestWebBrowser::page(const QString& path) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path));
}

void TestWebBrowser::initTestCase() {
    if (!WebDriver::available())
        QFAIL("Chromium and chromedriver are missing: scripts/install-deps.sh installs them");
    QVERIFY2(!webBinary().isEmpty(), "QUINTOR_WEB_BIN names no program");

    m_cafe = std::make_unique<SimCafe>(loopbackBase(91), 2);
    // The web's day is the real one: so is the console's here.
    m_cafe->te.clock.setNow(QDateTime::currentDateTime());
    const QDate today = m_cafe->te.clock.now().date();
    const QSqlDatabase db = m_cafe->db();
    store::run(db, QStringLiteral("UPDATE cuentas SET Alta = ?, Ultima = ?"),
               {today.addDays(-40), today.addDays(-2)});
    store::run(db, QStringLiteral("UPDATE operadores SET PASS = ?, ACCESOWEB = 1 WHERE NOMBRE = 'ADMIN'"),
               {store::claveProtegida(kOwnerPassword, 1000)});
    // The demo's other operator has a password but no web access.
    store::run(db, QStringLiteral("UPDATE operadores SET PASS = ?, ACCESOWEB = 0 WHERE NOMBRE <> 'ADMIN'"),
               {store::claveProtegida(kCashierPassword, 1000)});
    QVERIFY(m_cafe->start());

    m_port = freePort(QHostAddress::LocalHost);
    m_web.setProcessChannelMode(QProcess::ForwardedChannels);
    // Amounts as the café's console shows them: the web formats in its locale.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("es_ES.UTF-8"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("es_ES.UTF-8"));
    m_web.setProcessEnvironment(env);
    m_web.start(webBinary(),
                {QStringLiteral("--home"), m_cafe->te.db.home.home(), QStringLiteral("--database"),
                 m_cafe->te.db.path, QStringLiteral("--listen"), QStringLiteral("127.0.0.1:%1").arg(m_port)});
    QVERIFY2(m_web.waitForStarted(10000), qPrintable(m_web.errorString()));
    QVERIFY(QTest::qWaitFor(
        [&] {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, m_port);
            return probe.waitForConnected(200);
        },
        15000));
    QVERIFY2(m_browser.start(390, 844), qPrintable(m_browser.error()));
}

void TestWebBrowser::cleanupTestCase() {
    if (m_web.state() != QProcess::NotRunning) {
        m_web.terminate();
        if (!m_web.waitForFinished(10000))
            m_web.kill();
        // Asked to stop, the program stops cleanly.
        QCOMPARE(m_web.exitStatus(), QProcess::NormalExit);
    }
}

void TestWebBrowser::refusedWithoutWebAccess() {
    const QString cashier = store::toText(
        store::scalar(m_cafe->db(), QStringLiteral("SELECT NOMBRE FROM operadores WHERE NOMBRE <> 'ADMIN'")));
    QVERIFY(!cashier.isEmpty());
    QVERIFY2(m_browser.open(page(QStringLiteral("/puestos"))), qPrintable(m_browser.error()));
    // Without a session the stations page sends the browser to the log-in.
    QCOMPARE(m_browser.currentUrl().path(), QStringLiteral("/acceso"));
    QVERIFY(m_browser.type(QStringLiteral("#nombre"), cashier));
    QVERIFY(m_browser.type(QStringLiteral("#clave"), kCashierPassword));
    QVERIFY(m_browser.click(QStringLiteral("#entrar")));
    QTRY_VERIFY_WITH_TIMEOUT(!m_browser.text(QStringLiteral("#error")).isEmpty(), 5000);
    QCOMPARE(m_browser.currentUrl().path(), QStringLiteral("/acceso"));
    saveScreenshot(QStringLiteral("web-acceso-rechazado-390x844.png"));
    // And the pages stay closed to it.
    QVERIFY(m_browser.open(page(QStringLiteral("/caja"))));
    QCOMPARE(m_browser.currentUrl().path(), QStringLiteral("/acceso"));
}

void TestWebBrowser::ownerLogsIn() {
    QVERIFY(m_browser.open(page(QStringLiteral("/acceso"))));
    QVERIFY(m_browser.type(QStringLiteral("#nombre"), QStringLiteral("ADMIN")));
    QVERIFY(m_browser.type(QStringLiteral("#clave"), kOwnerPassword));
    QVERIFY(m_browser.click(QStringLiteral("#entrar")));
    QTRY_COMPARE_WITH_TIMEOUT(m_browser.currentUrl().path(), QStringLiteral("/puestos"), 5000);
    // The password never travels in an address.
    QVERIFY(!m_browser.currentUrl().toString().contains(QStringLiteral("2026")));
    QTRY_COMPARE_WITH_TIMEOUT(m_browser.attribute(QStringLiteral("#puesto-1"), QStringLiteral("data-estado")),
                              QStringLiteral("libre"), 5000);
}

bool TestWebBrowser::pageShows(int number, bool occupied) {
    const QString css = QStringLiteral("#puesto-%1").arg(number);
    // The page refreshes every 1.5 s; allow it three refreshes and a slow start.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 6000) {
        const QString estado = m_browser.attribute(css, QStringLiteral("data-estado"));
        if (!estado.isEmpty() && (estado == QLatin1String("libre")) != occupied)
            return true;
        m_cafe->round();
        QTest::qWait(100);
    }
    return false;
}

void TestWebBrowser::stationTurnsOccupiedAndFree() {
    QVERIFY(m_browser.open(page(QStringLiteral("/puestos"))));
    m_cafe->tile(1).queueLogin(QStringLiteral("10001"), QStringLiteral("1111"));
    QVERIFY(m_cafe->round());
    QCOMPARE(m_cafe->rec(1).estado, Estado::Contador);
    QElapsedTimer seen;
    seen.start();
    QVERIFY2(pageShows(1, true), "the station never showed occupied");
    qInfo("occupied on the page %lld ms after the console", seen.elapsed());
    QVERIFY(m_browser.text(QStringLiteral("#puesto-1")).contains(QStringLiteral("10001")));
    QCOMPARE(m_browser.attribute(QStringLiteral("#puesto-2"), QStringLiteral("data-estado")),
             QStringLiteral("libre"));
    saveScreenshot(QStringLiteral("web-puestos-390x844.png"));
    QVERIFY(m_browser.resize(1366, 768));
    QTest::qWait(300);
    saveScreenshot(QStringLiteral("web-puestos-1366x768.png"));
    QVERIFY(m_browser.resize(390, 844));

    m_cafe->tile(1).queueLogout();
    QVERIFY(m_cafe->round());
    QCOMPARE(m_cafe->rec(1).estado, Estado::Libre);
    QVERIFY2(pageShows(1, false), "the station never showed free again");
}

void TestWebBrowser::cashEqualsTheCashReport() {
    // A prepaid hour sold at the counter: a ticket of today.
    session::AperturaPedido pedido;
    pedido.tariffName = QStringLiteral("NORMAL");
    pedido.prepago = true;
    pedido.hours = 1;
    pedido.amount = Currency::fromCents(250);
    const auto opened = m_cafe->te.engine->abrirPuesto(m_cafe->te.engine->puestos().positionOf(2), pedido);
    QVERIFY2(opened.ok(), qPrintable(opened.messageKey));

    const QDateTime now = m_cafe->te.clock.now();
    const sales::CajaSelection today(now.date(), QTime(0, 0), QTime(0, 0));
    const reports::Report report = sales::informeCaja(m_cafe->db(), m_cafe->te.context.regional, today,
                                                      sales::CajaListing::Totales, now);
    QVERIFY(!report.summary.empty());
    const QString reportTotal = report.summary.back().cells.value(1).trimmed();
    QVERIFY(!reportTotal.isEmpty());

    QVERIFY(m_browser.open(page(QStringLiteral("/caja"))));
    QTRY_VERIFY_WITH_TIMEOUT(!m_browser.text(QStringLiteral("#total")).isEmpty(), 5000);
    // The same amount as the console's report, to the cent, written the same way.
    const auto spaced = [](QString s) { return s.replace(QChar(0xA0), QLatin1Char(' ')).simplified(); };
    QCOMPARE(spaced(m_browser.text(QStringLiteral("#total"))), spaced(reportTotal));
    saveScreenshot(QStringLiteral("web-caja-390x844.png"));
    QVERIFY(m_browser.resize(1366, 768));
    QTest::qWait(300);
    saveScreenshot(QStringLiteral("web-caja-1366x768.png"));
}

void TestWebBrowser::saveScreenshot(const QString& name) {
    const QByteArray png = m_browser.screenshot();
    QVERIFY2(png.startsWith("\x89PNG"), qPrintable(m_browser.error()));
    const QString folder =
        qEnvironmentVariable("QUINTOR_SCREENSHOTS", QDir::currentPath() + QStringLiteral("/screenshots"));
    QDir().mkpath(folder);
    QFile out(folder + QLatin1Char('/') + name);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(png);
}

QTEST_GUILESS_MAIN(TestWebBrowser)
#include "tst_webbrowser.moc"
