// The first start of an installed console, as a new owner meets it: the real
// program from a folder it cannot write to, an empty user-data folder, an X
// server of its own and only the keyboard.
#include "sim/simulator.h"
#include "store/claves.h"
#include "store/sql.h"
#include "support/loopback.h"
#include "support/readonly.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Xvfb on a display it picks itself; it names the display once it accepts
// connections. It must not reset when its last client leaves: a client
// connecting during the reset is refused.
class PrivateDisplay {
public:
    ~PrivateDisplay() {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            if (!m_server.waitForFinished(5000))
                m_server.kill();
        }
    }
    bool start(const QString& xvfb) {
        m_server.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                              QStringLiteral("0"), QStringLiteral("1366x768x24"), QStringLiteral("-nolisten"),
                              QStringLiteral("tcp"), QStringLiteral("-noreset")});
        if (!m_server.waitForStarted())
            return false;
        QByteArray out;
        const bool named = QTest::qWaitFor(
            [&] {
                out += m_server.readAllStandardOutput();
                return out.contains('\n') || m_server.state() == QProcess::NotRunning;
            },
            10000);
        bool ok = false;
        const int number = out.trimmed().toInt(&ok);
        if (!named || !ok || m_server.state() != QProcess::Running)
            return false;
        m_display = QStringLiteral(":%1").arg(number);
        return true;
    }
    QString display() const { return m_display; }

private:
    QProcess m_server;
    QString m_display;
};

// The keyboard and the window list of that display.
class Keyboard {
public:
    Keyboard(QString xdotool, QString display)
        : m_xdotool(std::move(xdotool))
        , m_display(std::move(display)) {}

    QString run(const QStringList& args, int timeoutMs = 5000) const {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), m_display);
        p.setProcessEnvironment(env);
        p.start(m_xdotool, args);
        if (!p.waitForFinished(timeoutMs))
            p.kill();
        return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
    }
    // A shown window whose title matches, focused; empty when none came.
    QString focusWindow(const QString& titlePattern, int timeoutMs) const {
        QString id;
        const bool found = QTest::qWaitFor(
            [&] {
                id = run({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                          titlePattern})
                         .section(QLatin1Char('\n'), 0, 0);
                return !id.isEmpty();
            },
            timeoutMs);
        if (found)
            run({QStringLiteral("windowfocus"), QStringLiteral("--sync"), id});
        return id;
    }
    void keys(const QStringList& names) const {
        run(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("60")} + names);
    }
    void type(const QString& text) const {
        run({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text});
    }

private:
    QString m_xdotool;
    QString m_display;
};

QHostAddress base() {
    return loopbackBase(65);
}

// Reads the console's database while it runs, without claiming it.
QVariant read(const QString& file, const QString& sql) {
    QVariant value;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peek"));
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            try {
                value = store::scalar(db, sql);
            } catch (const store::DatabaseError&) {
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("peek"));
    return value;
}

} // namespace

class TestFirstStart : public QObject {
    Q_OBJECT
private slots:
    void fromAnEmptyDataFolderToPolledStations();
};

void TestFirstStart::fromAnEmptyDataFolderToPolledStations() {
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    if (xvfb.isEmpty() || xdotool.isEmpty())
        QSKIP("needs Xvfb and xdotool");

    // The program in a folder it cannot write to: the installed console's
    // choice of home, as from /usr/bin.
    QTemporaryDir root;
    const QString bin = root.path() + QStringLiteral("/bin");
    QVERIFY(QDir().mkpath(bin));
    const QString program = bin + QStringLiteral("/quintor");
    const QString built = qEnvironmentVariable("QUINTOR_BIN");
    QVERIFY2(!built.isEmpty(), "QUINTOR_BIN names the program (ctest sets it)");
    QVERIFY(QFile::copy(built, program));
    QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                               QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
    const ReadOnly readOnly(bin);
    if (!readOnly.effective())
        QSKIP("cannot make a folder read-only here");

    PrivateDisplay x;
    QVERIFY(x.start(xvfb));
    const Keyboard keyboard(xdotool, x.display());
    QVERIFY2(QTest::qWaitFor([&] { return !keyboard.run({QStringLiteral("getdisplaygeometry")}).isEmpty(); },
                             10000),
             qPrintable(x.display()));

    // Stations at the addresses the owner will type, answering on the
    // station port.
    velkarsim::Simulator sim;
    sim.addStations(base(), 2, 1);
    QString error;
    QVERIFY2(sim.start(&error), qPrintable(error));

    QProcess console;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), x.display());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("HOME"), root.path() + QStringLiteral("/home"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), root.path() + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), root.path() + QStringLiteral("/config"));
    const QString runtime = root.path() + QStringLiteral("/runtime");
    QVERIFY(QDir().mkpath(runtime));
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    console.setProcessEnvironment(env);
    console.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    console.start(program, {});
    QVERIFY(console.waitForStarted());
    const auto stop = qScopeGuard([&] {
        console.kill();
        console.waitForFinished();
    });
    const QString database = root.path() + QStringLiteral("/data/Quintor/database/ciber.mdb");

    // ADMIN, selected and without a password, then the database tools page.
    QVERIFY(!keyboard.focusWindow(QStringLiteral("^\\[ Acceso \\]$"), 20000).isEmpty());
    QVERIFY(QFileInfo::exists(database));
    // The café's data is its user's alone.
    QCOMPARE(int(QFileInfo(database).permissions() & 0x0777), int(QFile::ReadUser | QFile::WriteUser));
    QCOMPARE(int(QFileInfo(QFileInfo(database).absolutePath()).permissions() & 0x0777),
             int(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser));
    keyboard.keys({QStringLiteral("Return"), QStringLiteral("Return")});

    QVERIFY(
        !keyboard.focusWindow(QStringLiteral("^\\[ Asistente de puesta en marcha \\]$"), 20000).isEmpty());
    QCOMPARE(read(database, QStringLiteral("SELECT terminado FROM asistente")).toInt(), 0);
    keyboard.type(QStringLiteral("secreto"));
    keyboard.keys({QStringLiteral("Tab")});
    keyboard.type(QStringLiteral("secreto"));
    keyboard.keys({QStringLiteral("Return")});
    // Stations: how many, Tab, the first address; the table follows.
    keyboard.type(QStringLiteral("2"));
    keyboard.keys({QStringLiteral("Tab")});
    keyboard.type(base().toString());
    keyboard.keys({QStringLiteral("Return")});
    // Tariff: the name proposed, a price and a minimum.
    keyboard.keys({QStringLiteral("Tab")});
    keyboard.type(QStringLiteral("2"));
    keyboard.keys({QStringLiteral("Tab")});
    keyboard.type(QStringLiteral("0.5"));
    // Taxes, printer, cashier as proposed; the summary's Enter finishes.
    keyboard.keys({QStringLiteral("Return"), QStringLiteral("Return"), QStringLiteral("Return"),
                   QStringLiteral("Return"), QStringLiteral("Return")});

    QTRY_COMPARE_WITH_TIMEOUT(read(database, QStringLiteral("SELECT terminado FROM asistente")).toInt(), 1,
                              20000);
    QVERIFY(store::claveCorrecta(
        read(database, QStringLiteral("SELECT PASS FROM operadores WHERE NOMBRE = 'ADMIN'")).toString(),
        QStringLiteral("secreto")));
    QCOMPARE(read(database, QStringLiteral("SELECT COUNT(*) FROM puestos")).toInt(), 2);
    QCOMPARE(read(database, QStringLiteral("SELECT ini_tarifa_2 FROM opciones")).toString(),
             QStringLiteral("NORMAL"));
    // The main window fills the screen and its new stations are polled.
    const QString main = keyboard.focusWindow(QStringLiteral("^Quintor$"), 5000);
    QVERIFY(!main.isEmpty());
    QVERIFY(keyboard.run({QStringLiteral("getwindowgeometry"), main}).contains(QStringLiteral("1366x")));
    QTRY_VERIFY_WITH_TIMEOUT(sim.station(0).lastPoll().seen && sim.station(1).lastPoll().seen, 15000);
    QCOMPARE(console.state(), QProcess::Running);
}

QTEST_GUILESS_MAIN(TestFirstStart)
#include "tst_firststart.moc"
