#include "admin/frmopciones.h"
#include "admin/impresoras.h"
#include "core/consolecontext.h"
#include "store/opciones.h"
#include "support/scriptedui.h"
#include "support/testengine.h"

#include "store/sql.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

// A private CUPS scheduler on loopback with its own configuration, so the
// ticket printer list is the installed destinations of a real scheduler.
class PrivateCups {
public:
    bool start() {
        const QString cupsd =
            QStandardPaths::findExecutable(QStringLiteral("cupsd"), {"/usr/sbin", "/usr/bin"});
        m_lpadmin = QStandardPaths::findExecutable(QStringLiteral("lpadmin"), {"/usr/sbin", "/usr/bin"});
        if (cupsd.isEmpty() || m_lpadmin.isEmpty() || !m_dir.isValid())
            return false;
        {
            QTcpServer probe;
            if (!probe.listen(QHostAddress::LocalHost, 0))
                return false;
            m_port = probe.serverPort();
        }
        const QString root = m_dir.path();
        for (const char* sub : {"spool", "cache", "state", "log"})
            QDir(root).mkpath(QString::fromLatin1(sub));
        // The scheduler's helpers run as lp.
        QFile::setPermissions(root, QFileDevice::Permission(0x7777));
        for (const char* sub : {"spool", "cache", "state", "log"})
            QFile::setPermissions(root + QLatin1Char('/') + QString::fromLatin1(sub),
                                  QFileDevice::Permission(0x7777));
        write(QStringLiteral("cupsd.conf"),
              QStringLiteral(
                  "Listen 127.0.0.1:%1\nLogLevel warn\nWebInterface No\nDefaultAuthType None\n"
                  "<Location />\n Order allow,deny\n Allow all\n</Location>\n"
                  "<Policy default>\n <Limit All>\n  Order allow,deny\n  Allow all\n </Limit>\n</Policy>\n")
                  .arg(m_port));
        write(
            QStringLiteral("cups-files.conf"),
            QStringLiteral("ServerRoot %1\nRequestRoot %1/spool\nCacheDir %1/cache\nStateDir %1/state\n"
                           "ErrorLog %1/log/error_log\nAccessLog %1/log/access_log\nPageLog %1/log/page_log\n"
                           "ServerBin /usr/lib/cups\nDataDir /usr/share/cups\nUser lp\nGroup lp\n"
                           "Sandboxing relaxed\n")
                .arg(root));
        m_cupsd.start(cupsd,
                      {QStringLiteral("-f"), QStringLiteral("-c"), root + QStringLiteral("/cupsd.conf"),
                       QStringLiteral("-s"), root + QStringLiteral("/cups-files.conf")});
        if (!m_cupsd.waitForStarted(5000))
            return false;
        return QTest::qWaitFor(
            [this] {
                QTcpSocket s;
                s.connectToHost(QHostAddress::LocalHost, m_port);
                return s.waitForConnected(200);
            },
            10000);
    }
    bool addPrinter(const QString& name, int port) {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(m_lpadmin, {QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
                            QStringLiteral("socket://127.0.0.1:%1").arg(port)});
        return p.waitForFinished(10000) && p.exitCode() == 0;
    }
    QString server() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("CUPS_SERVER"), server());
        return env;
    }
    ~PrivateCups() {
        if (m_cupsd.state() != QProcess::NotRunning) {
            m_cupsd.terminate();
            if (!m_cupsd.waitForFinished(5000))
                m_cupsd.kill();
            m_cupsd.waitForFinished(2000);
        }
    }

private:
    void write(const QString& name, const QString& text) {
        QFile f(m_dir.filePath(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(text.toUtf8());
    }
    QTemporaryDir m_dir;
    QString m_lpadmin;
    QProcess m_cupsd;
    quint16 m_port = 0;
};

class TestImpresoras : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void installedDestinations();
    void chosenPrinterIsStored();

private:
    std::unique_ptr<PrivateCups> m_cups;
};

void TestImpresoras::initTestCase() {
    m_cups = std::make_unique<PrivateCups>();
    if (!m_cups->start())
        QSKIP("no CUPS scheduler could be started here (cups-daemon)");
    // Read by the client library at its first request.
    qputenv("CUPS_SERVER", m_cups->server().toLatin1());
    QVERIFY(m_cups->addPrinter(QStringLiteral("TPV-BARRA"), 9100));
    QVERIFY(m_cups->addPrinter(QStringLiteral("COCINA"), 9101));
}

void TestImpresoras::installedDestinations() {
    QCOMPARE(admin::impresorasInstaladas(),
             (QStringList{QStringLiteral("COCINA"), QStringLiteral("TPV-BARRA")}));
}

void TestImpresoras::chosenPrinterIsStored() {
    ScriptedUi ui;
    TestEngine engine;
    engine.context.currentOperator = QStringLiteral("ADMIN");
    // The demo names its own printer; this case starts from none chosen.
    store::run(engine.context.data->db(), QStringLiteral("UPDATE opciones SET impresoratick = ?"),
               {QStringLiteral("NoPrinter")});
    {
        Tfrmopciones window(engine.context, engine.engine->tarifas());
        QVERIFY(window.begin());
        auto* list = window.findChild<QComboBox*>(QStringLiteral("impresoratick"));
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->currentIndex(), -1);
        list->setCurrentIndex(list->findText(QStringLiteral("TPV-BARRA")));
        QVERIFY(window.AplicarOpciones());
    }
    QCOMPARE(store::readOpciones(engine.db.data.db()).impresoratick, QStringLiteral("TPV-BARRA"));
    Tfrmopciones again(engine.context, engine.engine->tarifas());
    QVERIFY(again.begin());
    QCOMPARE(again.findChild<QComboBox*>(QStringLiteral("impresoratick"))->currentText(),
             QStringLiteral("TPV-BARRA"));
}

QTEST_MAIN(TestImpresoras)
#include "tst_impresoras.moc"
