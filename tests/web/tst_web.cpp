#include "reports/format.h"
#include "reports/listings.h"
#include "sales/informecaja.h"
#include "store/bloqueos.h"
#include "store/claves.h"
#include "store/consolas.h"
#include "store/opciones.h"
#include "store/operadores.h"
#include "store/schemaupdates.h"
#include "store/sql.h"
#include "support/testdb.h"
#include "web/acceso.h"
#include "web/basedatos.h"
#include "web/instantanea.h"
#include "web/limitedserver.h"
#include "web/opciones.h"
#include "web/vistas.h"
#include "web/webserver.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// One HTTP answer as read off the socket.
struct Reply {
    int status = 0;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    bool closed = false;

    QList<QByteArray> all(const QByteArray& name) const {
        QList<QByteArray> found;
        for (const auto& [k, v] : headers)
            if (k.compare(name, Qt::CaseInsensitive) == 0)
                found << v;
        return found;
    }
    QByteArray header(const QByteArray& name) const {
        const QList<QByteArray> found = all(name);
        return found.isEmpty() ? QByteArray() : found.first();
    }
    QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
    QByteArray cookie() const {
        for (const QByteArray& c : all("Set-Cookie"))
            if (c.startsWith("quintor_sesion="))
                return c.left(c.indexOf(';'));
        return {};
    }
};

// Spins the event loop (the server runs on this thread) until done or timeout.
template <class F> bool spin(F done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QTest::qSleep(1);
    }
    return true;
}

// Reads one answer from an open socket.
Reply readReply(QTcpSocket& s, int timeoutMs = 5000) {
    Reply r;
    QByteArray buffer;
    qsizetype headEnd = -1;
    qint64 length = -1;
    spin(
        [&] {
            buffer += s.readAll();
            if (headEnd < 0 && (headEnd = buffer.indexOf("\r\n\r\n")) >= 0) {
                const QList<QByteArray> lines = buffer.left(headEnd).split('\n');
                r.status = lines.first().split(' ').value(1).toInt();
                for (qsizetype i = 1; i < lines.size(); ++i) {
                    const QByteArray line = lines.at(i).trimmed();
                    const qsizetype colon = line.indexOf(':');
                    r.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
                }
                length = r.header("Content-Length").toLongLong();
            }
            if (headEnd >= 0 && buffer.size() - headEnd - 4 >= length)
                return true;
            return s.state() == QAbstractSocket::UnconnectedState;
        },
        timeoutMs);
    if (headEnd >= 0)
        r.body = buffer.mid(headEnd + 4, length);
    r.closed = s.state() == QAbstractSocket::UnconnectedState;
    return r;
}

QByteArray request(const QByteArray& method, const QByteArray& path, const QByteArray& cookie = {},
                   const QByteArray& body = {}) {
    QByteArray r = method + ' ' + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    if (!cookie.isEmpty())
        r += "Cookie: " + cookie + "\r\n";
    if (method == "POST")
        r += "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
             QByteArray::number(body.size()) + "\r\n";
    return r + "\r\n" + body;
}

const QDate Today(2026, 3, 10);

// A café's database, the web's read-only connection to it and the server on
// a loopback port, with a clock the test moves.
struct Cafe {
    explicit Cafe(web::Limites limites = {}, web::ConfigWeb config = {}) {
        addOperator(QStringLiteral("DUENO"), QStringLiteral("secreto"), true);
        addOperator(QStringLiteral("CAJERO"), QStringLiteral("caja1"), false);
        addOperator(QStringLiteral("SINCLAVE"), QString(), true);
        QVERIFY(base.open(t.path));
        server = std::make_unique<web::WebServer>(base, clock, Regional::spanishSpain(), config);
        tcp = new web::LimitedTcpServer(limites, server.get());
        QVERIFY(tcp->listen(QHostAddress(QStringLiteral("127.0.0.1")), 0));
        server->bind(tcp);
    }
    QSqlDatabase console() const { return t.data.db(); }
    void addOperator(const QString& name, const QString& password, bool web) {
        store::Operador op;
        op.NOMBRE = name;
        op.PASS = password.isEmpty() ? QString() : store::claveProtegida(password, 1000);
        const int id = store::insertOperador(console(), op);
        store::run(console(), QStringLiteral("UPDATE operadores SET ACCESOWEB = ? WHERE ID = ?"),
                   {web ? 1 : 0, id});
    }
    Reply send(const QByteArray& raw) {
        QTcpSocket s;
        s.connectToHost(QHostAddress(QStringLiteral("127.0.0.1")), tcp->serverPort());
        s.write(raw);
        return readReply(s);
    }
    Reply get(const QByteArray& path, const QByteArray& cookie = {}) {
        return send(request("GET", path, cookie));
    }
    QByteArray login(const QByteArray& name = "DUENO", const QByteArray& password = "secreto") {
        return send(request("POST", "/acceso", {}, "nombre=" + name + "&clave=" + password)).cookie();
    }

    TestDatabase t;
    FakeClock clock{QDateTime(Today, QTime(12, 0, 0))};
    web::BaseSoloLectura base;
    std::unique_ptr<web::WebServer> server;
    web::LimitedTcpServer* tcp = nullptr;
};

} // namespace

class TestWeb : public QObject {
    Q_OBJECT

private slots:
    // The log-in's outcomes: only an operator with "Acceso web" and a
    // password gets in; the page names the refusal.
    void login_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error");
        QTest::newRow("accepted") << QByteArray("nombre=DUENO&clave=secreto") << 303 << QString();
        QTest::newRow("name in any case, blanks around")
            << QByteArray("nombre=+dueno+&clave=secreto") << 303 << QString();
        QTest::newRow("wrong password")
            << QByteArray("nombre=DUENO&clave=Secreto") << 401 << QStringLiteral("incorrectos");
        QTest::newRow("unknown operator, same answer")
            << QByteArray("nombre=NADIE&clave=secreto") << 401 << QStringLiteral("incorrectos");
        QTest::newRow("empty password")
            << QByteArray("nombre=SINCLAVE&clave=") << 403 << QStringLiteral("sin contraseña");
        QTest::newRow("no web access")
            << QByteArray("nombre=CAJERO&clave=caja1") << 403 << QStringLiteral("no tiene acceso web");
        QTest::newRow("password with form escapes")
            << QByteArray("nombre=DUENO&clave=secreto%26x") << 401 << QStringLiteral("incorrectos");
    }
    void login() {
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(QString, error);
        Cafe cafe;
        const Reply r = cafe.send(request("POST", "/acceso", {}, body));
        QCOMPARE(r.status, status);
        if (error.isEmpty()) {
            QCOMPARE(r.header("Location"), QByteArray("/puestos"));
            QVERIFY(!r.cookie().isEmpty());
            QCOMPARE(cafe.get("/api/puestos", r.cookie()).status, 200);
        } else {
            QVERIFY(r.cookie().isEmpty());
            const QString page = QString::fromUtf8(r.body);
            const qsizetype at = page.indexOf(QLatin1String("id=\"error\""));
            QVERIFY(at > 0);
            QVERIFY2(page.mid(at, 200).contains(error), qPrintable(page.mid(at, 200)));
        }
    }

    // A log-in or log-out posted from another site is refused; the
    // browser's own form (Origin "null" under no-referrer) goes through.
    void crossSitePosts_data() {
        QTest::addColumn<QByteArray>("headers");
        QTest::addColumn<int>("status");
        QTest::newRow("own form, no-referrer")
            << QByteArray("Origin: null\r\nSec-Fetch-Site: same-origin\r\n") << 303;
        QTest::newRow("own origin named") << QByteArray("Origin: http://127.0.0.1\r\n") << 303;
        QTest::newRow("no browser headers") << QByteArray() << 303;
        QTest::newRow("cross-site fetch")
            << QByteArray("Origin: null\r\nSec-Fetch-Site: cross-site\r\n") << 403;
        QTest::newRow("same site, other origin") << QByteArray("Sec-Fetch-Site: same-site\r\n") << 403;
        QTest::newRow("foreign origin") << QByteArray("Origin: http://evil.example\r\n") << 403;
    }
    void crossSitePosts() {
        QFETCH(QByteArray, headers);
        QFETCH(int, status);
        Cafe cafe;
        QByteArray raw = request("POST", "/acceso", {}, "nombre=DUENO&clave=secreto");
        raw.insert(raw.indexOf("\r\n") + 2, headers);
        const Reply r = cafe.send(raw);
        QCOMPARE(r.status, status);
        QCOMPARE(r.cookie().isEmpty(), status != 303);
    }

    // Session cookies: never readable by scripts, never sent cross-site,
    // Secure under HTTPS; the token is long and random.
    void cookieFlags_data() {
        QTest::addColumn<bool>("https");
        QTest::newRow("http") << false;
        QTest::newRow("https") << true;
    }
    void cookieFlags() {
        QFETCH(bool, https);
        Cafe cafe({}, {15, https});
        const Reply r = cafe.send(request("POST", "/acceso", {}, "nombre=DUENO&clave=secreto"));
        QByteArray set;
        for (const QByteArray& c : r.all("Set-Cookie"))
            if (c.startsWith("quintor_sesion="))
                set = c;
        QVERIFY(set.contains("; HttpOnly"));
        QVERIFY(set.contains("; SameSite=Strict"));
        QVERIFY(set.contains("; Path=/"));
        QCOMPARE(set.contains("; Secure"), https);
        QCOMPARE(r.cookie().size(), qsizetype(strlen("quintor_sesion=") + 64));
        QVERIFY(r.cookie() != cafe.login());
    }

    // Lock-outs in memory: the limit-th wrong password locks the operator,
    // whatever is typed next; the lock ends after its minutes.
    void lockOutPerOperator() {
        Cafe cafe;
        store::run(cafe.console(),
                   QStringLiteral("UPDATE opciones SET bloq_intentos = 3, bloq_minutos = 15"));
        web::ControlAcceso control(cafe.clock);
        const QSqlDatabase db = cafe.base.db();
        using M = web::ResultadoAcceso::Motivo;
        QCOMPARE(control.comprobar(db, "DUENO", "x", "127.0.0.5").motivo, M::ClaveIncorrecta);
        QCOMPARE(control.comprobar(db, "DUENO", "x", "127.0.0.6").motivo, M::ClaveIncorrecta);
        const web::ResultadoAcceso third = control.comprobar(db, "dueno", "x", "127.0.0.7");
        QCOMPARE(third.motivo, M::Bloqueado);
        QCOMPARE(third.minutos, 15);
        QCOMPARE(control.comprobar(db, "DUENO", "secreto", "127.0.0.8").motivo, M::Bloqueado);
        // Another operator is not concerned.
        QCOMPARE(control.comprobar(db, "CAJERO", "caja1", "127.0.0.8").motivo, M::SinAccesoWeb);
        cafe.clock.advance(15 * 60000 - 1);
        QCOMPARE(control.comprobar(db, "DUENO", "secreto", "127.0.0.8").motivo, M::Bloqueado);
        cafe.clock.advance(1);
        QCOMPARE(control.comprobar(db, "DUENO", "secreto", "127.0.0.8").motivo, M::Aceptado);
        // Nothing of it reached the database.
        QCOMPARE(store::toInt(store::scalar(cafe.console(), QStringLiteral("SELECT COUNT(*) FROM bloqueos"))),
                 0);
    }

    // Per address: guesses spread over names lock the address at the
    // station limit, the right password included; other addresses go on.
    void lockOutPerAddress() {
        Cafe cafe;
        store::run(cafe.console(),
                   QStringLiteral("UPDATE opciones SET bloq_intentos = 50, bloq_puesto_intentos = 5, "
                                  "bloq_puesto_minutos = 5"));
        web::ControlAcceso control(cafe.clock);
        const QSqlDatabase db = cafe.base.db();
        using M = web::ResultadoAcceso::Motivo;
        for (int i = 0; i < 4; ++i)
            QCOMPARE(control.comprobar(db, QStringLiteral("N%1").arg(i), "x", "127.0.0.9").motivo,
                     M::ClaveIncorrecta);
        const web::ResultadoAcceso fifth = control.comprobar(db, "N9", "x", "127.0.0.9");
        QCOMPARE(fifth.motivo, M::Bloqueado);
        QCOMPARE(fifth.minutos, 5);
        QCOMPARE(control.comprobar(db, "DUENO", "secreto", "127.0.0.9").motivo, M::Bloqueado);
        QCOMPARE(control.comprobar(db, "DUENO", "secreto", "127.0.0.10").motivo, M::Aceptado);
    }

    // The console's lock on an operator holds on the web too, for a new
    // log-in and for a session already open, and the web leaves it as it
    // found it.
    void databaseLockHonoured() {
        Cafe cafe;
        const QByteArray cookie = cafe.login();
        const QSqlDatabase db = cafe.console();
        const store::LimitesBloqueo limites = store::limitesBloqueo(store::readOpciones(db));
        const qint64 now = store::serverNowMs(db);
        for (int i = 0; i < limites.intentos; ++i)
            store::registrarFallo(db, store::TipoBloqueo::Operador, QStringLiteral("DUENO"), limites, now,
                                  QDateTime(Today, QTime(12, 0)));
        const Reply r = cafe.send(request("POST", "/acceso", {}, "nombre=DUENO&clave=secreto"));
        QCOMPARE(r.status, 403);
        QVERIFY(r.cookie().isEmpty());
        QVERIFY(QString::fromUtf8(r.body).contains(QStringLiteral("bloqueado")));
        const Reply page = cafe.get("/caja", cookie);
        QCOMPARE(page.status, 303);
        QCOMPARE(page.header("Location"), QByteArray("/acceso"));
        QCOMPARE(store::toInt(store::scalar(db, QStringLiteral("SELECT COUNT(*) FROM bloqueos"))), 1);
    }

    // What the console takes away from a logged-in operator ends the
    // session at the next request, and the session stays ended.
    void revokedAtTheConsole_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("web access taken") << "UPDATE operadores SET ACCESOWEB = 0 WHERE NOMBRE = 'DUENO'";
        QTest::newRow("password emptied") << "UPDATE operadores SET PASS = '' WHERE NOMBRE = 'DUENO'";
        QTest::newRow("operator deleted") << "DELETE FROM operadores WHERE NOMBRE = 'DUENO'";
        QTest::newRow("nothing") << QString();
    }
    void revokedAtTheConsole() {
        QFETCH(QString, change);
        Cafe cafe;
        const QByteArray cookie = cafe.login();
        QCOMPARE(cafe.get("/api/puestos", cookie).status, 200);
        if (!change.isEmpty())
            store::run(cafe.console(), change);
        const int expected = change.isEmpty() ? 200 : 401;
        QCOMPARE(cafe.get("/api/puestos", cookie).status, expected);
        store::run(cafe.console(),
                   QStringLiteral("UPDATE operadores SET ACCESOWEB = 1 WHERE NOMBRE = 'DUENO'"));
        QCOMPARE(cafe.get("/api/puestos", cookie).status, expected);
    }

    // A session lives while it is used: it ends at exactly the idle limit
    // after the last request, and at "Salir".
    void sessionExpiry() {
        Cafe cafe({}, {15, false});
        const QByteArray cookie = cafe.login();
        cafe.clock.advance(15 * 60000 - 1);
        QCOMPARE(cafe.get("/api/puestos", cookie).status, 200);
        cafe.clock.advance(15 * 60000 - 1);
        QCOMPARE(cafe.get("/caja", cookie).status, 200);
        cafe.clock.advance(15 * 60000);
        const Reply page = cafe.get("/caja", cookie);
        QCOMPARE(page.status, 303);
        QCOMPARE(page.header("Location"), QByteArray("/acceso"));
        QCOMPARE(cafe.get("/api/puestos", cookie).status, 401);

        const QByteArray other = cafe.login();
        const Reply out = cafe.send(request("POST", "/salir", other));
        QCOMPARE(out.status, 303);
        QCOMPARE(out.header("Location"), QByteArray("/acceso"));
        const Reply after = cafe.get("/api/puestos", other);
        QCOMPARE(after.status, 401);
        QCOMPARE(after.json().value("error").toString(), QStringLiteral("sesion"));
    }

    // Every answer carries the security headers: pages, API, static files,
    // redirections and refusals.
    void securityHeaders_data() {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<bool>("session");
        QTest::addColumn<int>("status");
        QTest::newRow("root") << QByteArray("GET") << QByteArray("/") << false << 303;
        QTest::newRow("log-in page") << QByteArray("GET") << QByteArray("/acceso") << false << 200;
        QTest::newRow("page without session") << QByteArray("GET") << QByteArray("/caja") << false << 303;
        QTest::newRow("api without session") << QByteArray("GET") << QByteArray("/api/caja") << false << 401;
        QTest::newRow("unknown path") << QByteArray("GET") << QByteArray("/nada") << false << 404;
        QTest::newRow("unknown static") << QByteArray("GET") << QByteArray("/static/../x.js") << true << 404;
        QTest::newRow("stylesheet") << QByteArray("GET") << QByteArray("/static/app.css") << false << 200;
        QTest::newRow("page") << QByteArray("GET") << QByteArray("/puestos?lang=en") << true << 200;
        QTest::newRow("api") << QByteArray("GET") << QByteArray("/api/caja") << true << 200;
        QTest::newRow("api, bad day") << QByteArray("GET") << QByteArray("/api/caja?dia=ayer") << true << 400;
        QTest::newRow("write method") << QByteArray("DELETE") << QByteArray("/api/puestos") << true << 405;
    }
    void securityHeaders() {
        QFETCH(QByteArray, method);
        QFETCH(QByteArray, path);
        QFETCH(bool, session);
        QFETCH(int, status);
        Cafe cafe;
        const Reply r = cafe.send(request(method, path, session ? cafe.login() : QByteArray()));
        QCOMPARE(r.status, status);
        QCOMPARE(
            r.header("Content-Security-Policy"),
            QByteArray("default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self' data:; "
                       "connect-src 'self'; form-action 'self'; frame-ancestors 'none'; base-uri 'none'"));
        QCOMPARE(r.header("X-Frame-Options"), QByteArray("DENY"));
        QCOMPARE(r.header("X-Content-Type-Options"), QByteArray("nosniff"));
        QCOMPARE(r.header("Referrer-Policy"), QByteArray("no-referrer"));
        QCOMPARE(r.header("Cache-Control"), QByteArray("no-store"));
    }

    // 16 KiB of request is served; one byte more is refused before the
    // server parses it, and the connection closed.
    void requestSize_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("status");
        QTest::newRow("exactly 16 KiB") << 16 * 1024 << 303;
        QTest::newRow("one byte more") << 16 * 1024 + 1 << 413;
        QTest::newRow("a megabyte") << 1024 * 1024 << 413;
    }
    void requestSize() {
        QFETCH(int, size);
        QFETCH(int, status);
        Cafe cafe;
        QByteArray raw = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Relleno: ";
        const QByteArray end = "\r\n\r\n";
        raw += QByteArray(size - raw.size() - end.size(), 'a') + end;
        QCOMPARE(raw.size(), size);
        const Reply r = cafe.send(raw);
        QCOMPARE(r.status, status);
        if (status == 413) {
            QCOMPARE(r.header("X-Frame-Options"), QByteArray("DENY"));
            QVERIFY(r.closed);
        }
    }

    // A request that never completes is cut off at the request limit; a
    // connection that idles after an answer at the idle limit; beyond the
    // connection limit the extra ones are closed at once.
    void slowAndIdleConnections() {
        web::Limites limites;
        limites.requestMs = 300;
        limites.idleMs = 600;
        limites.maxConnections = 3;
        Cafe cafe(limites);
        const quint16 port = cafe.tcp->serverPort();
        const QHostAddress lo(QStringLiteral("127.0.0.1"));

        QTcpSocket slow;
        slow.connectToHost(lo, port);
        slow.write("GET /acceso HTTP/1.1\r\nHost: 127.0.0.1\r\n");
        QElapsedTimer t;
        t.start();
        const Reply cut = readReply(slow, 3000);
        QCOMPARE(cut.status, 408);
        QVERIFY(cut.closed);
        QVERIFY2(t.elapsed() >= 250, qPrintable(QString::number(t.elapsed())));

        QTcpSocket idle;
        idle.connectToHost(lo, port);
        idle.write(request("GET", "/acceso"));
        QCOMPARE(readReply(idle).status, 200);
        QVERIFY(spin([&] { return idle.state() == QAbstractSocket::UnconnectedState; }, 300) == false);
        // Kept alive past the request limit, closed at the idle limit.
        QVERIFY(spin([&] { return idle.state() == QAbstractSocket::UnconnectedState; }, 3000));

        std::vector<std::unique_ptr<QTcpSocket>> open;
        for (int i = 0; i < 4; ++i) {
            open.push_back(std::make_unique<QTcpSocket>());
            open.back()->connectToHost(lo, port);
            QVERIFY(open.back()->waitForConnected(1000));
            spin([&] { return cafe.tcp->openConnections() >= std::min(i + 1, 3); }, 1000);
        }
        QVERIFY(spin([&] { return open.back()->state() == QAbstractSocket::UnconnectedState; }, 200));
        QCOMPARE(cafe.tcp->openConnections(), 3);
        QCOMPARE(open.front()->state(), QAbstractSocket::ConnectedState);
    }

    // The web's connection cannot write, whatever the engine.
    void connectionRefusesWrites() {
        Cafe cafe;
        QSqlQuery q(cafe.base.db());
        QVERIFY(!q.exec(QStringLiteral("UPDATE opciones SET bloq_intentos = 7")));
        QSqlQuery insert(cafe.base.db());
        QVERIFY(!insert.exec(QStringLiteral("INSERT INTO turnos (TURNO) VALUES ('X')")));
        QCOMPARE(store::toInt(store::scalar(cafe.console(),
                                            QStringLiteral("SELECT COUNT(*) FROM turnos WHERE TURNO = 'X'"))),
                 0);
        // And it still reads.
        QVERIFY(store::scalar(cafe.base.db(), QStringLiteral("SELECT COUNT(*) FROM operadores")).isValid());
    }

    // The day's takings equal the cash report's to the cent: the whole day,
    // each shift (one crossing into the next day), by kind and by console.
    void takingsEqualCashReport() {
        Cafe cafe;
        const QSqlDatabase db = cafe.console();
        store::run(db, QStringLiteral("DELETE FROM turnos"));
        store::run(db,
                   QStringLiteral("INSERT INTO turnos (TURNO, HORA_INI, HORA_FIN) VALUES "
                                  "('MAÑANA', '08:00:00', '15:00:00'), ('NOCHE', '15:00:01', '02:00:00')"));
        const QString d = store::dateText(Today);
        const QString next = store::dateText(Today.addDays(1));
        struct T {
            QString fecha, hora, modo, consola;
            qint64 raw;
        };
        const T tickets[] = {
            {d, "08:00:00", "CONTADOR", "CAJA1", 12345}, // 1.2345: rounds at the sum, not per ticket
            {d, "14:59:59", "", "CAJA1", 25000},         // a sale
            {d, "15:00:00", "PREPAGO", "CAJA2", 0},      // cancelled: counts with 0
            {d, "15:00:01", "CONTADOR", "CAJA2", 17655}, // the evening's first second
            {d, "23:59:59", "", "CAJA2", 10000},
            {next, "01:59:59", "CONTADOR", "CAJA2", 5000}, // the night shift's, not the day's
            {next, "09:00:00", "", "CAJA1", 99999},        // another day
        };
        int n = 0;
        for (const T& t : tickets)
            store::run(db,
                       QStringLiteral(
                           "INSERT INTO ticket (NUM_TICKET, FECHA, HORA, IMPORTE, MODO, OPERADOR, CONSOLA, "
                           "OBSERVACIONES) VALUES (?, ?, ?, ?, ?, 'DUENO', ?, ?)"),
                       {QString::number(++n), t.fecha, t.hora, t.raw, t.modo, t.consola,
                        t.raw == 0 ? QStringLiteral("ANULADO") : QString()});

        const Reply r = cafe.get("/api/caja?dia=2026-03-10", cafe.login());
        QCOMPARE(r.status, 200);
        const QJsonObject caja = r.json();
        const Regional es = Regional::spanishSpain();
        const auto report = [&](const sales::CajaSelection& s) {
            // The mailed report's total line, as the console sends it.
            const QStringList html = sales::sendcajaresumen(cafe.base.db(), es, s);
            return html.at(html.size() - 5);
        };
        QCOMPARE(caja.value("total_unidades").toInteger(), qint64(12345 + 25000 + 0 + 17655 + 10000));
        QCOMPARE(caja.value("total").toString(), es.formatCurrency(Currency::fromRaw(65000)));
        QCOMPARE(reports::formatCurrency2(es, Currency::fromRaw(caja.value("total_unidades").toInteger())),
                 report(sales::CajaSelection(Today, QTime(0, 0), QTime(0, 0))));

        QHash<QString, qint64> turnos;
        for (const QJsonValue v : caja.value("por_turno").toArray())
            turnos.insert(v["turno"].toString(), v["unidades"].toInteger());
        QCOMPARE(turnos.value(QStringLiteral("MAÑANA")), qint64(12345 + 25000));
        QCOMPARE(turnos.value(QStringLiteral("NOCHE")), qint64(17655 + 10000 + 5000));
        QCOMPARE(reports::formatCurrency2(es, Currency::fromRaw(turnos.value(QStringLiteral("NOCHE")))),
                 report(sales::CajaSelection(Today, QTime(15, 0, 1), QTime(2, 0))));

        qint64 kinds = 0;
        for (const QJsonValue v : caja.value("por_tipo").toArray())
            kinds += v["unidades"].toInteger();
        QCOMPARE(kinds, caja.value("total_unidades").toInteger());
        QHash<QString, qint64> consolas;
        for (const QJsonValue v : caja.value("por_consola").toArray())
            consolas.insert(v["consola"].toString(), v["unidades"].toInteger());
        QCOMPARE(consolas.value(QStringLiteral("CAJA1")), qint64(37345));
        QCOMPARE(consolas.value(QStringLiteral("CAJA2")), qint64(27655));

        // The page shows the same total, text and units.
        const QString page = QString::fromUtf8(cafe.get("/caja?dia=2026-03-10", cafe.login()).body);
        QVERIFY(page.contains(QStringLiteral("id=\"total\" data-unidades=\"65000\">%1<")
                                  .arg(es.formatCurrency(Currency::fromRaw(65000)).toHtmlEscaped())));
    }

    // A running station's clock goes on between the console's saves.
    void clockBetweenSaves_data() {
        QTest::addColumn<int>("estado");
        QTest::addColumn<qint64>("saved");
        QTest::addColumn<qint64>("savedAgoMs");
        QTest::addColumn<qint64>("shown");
        const qint64 unknown = std::numeric_limits<qint64>::min();
        QTest::newRow("counter counts up") << 2 << qint64(100) << qint64(61999) << qint64(161);
        QTest::newRow("prepaid counts down") << 3 << qint64(100) << qint64(30000) << qint64(70);
        QTest::newRow("prepaid stops at 0") << 3 << qint64(100) << qint64(100001) << qint64(0);
        QTest::newRow("save time unknown") << 2 << qint64(100) << unknown << qint64(100);
        QTest::newRow("console clock ahead") << 2 << qint64(100) << qint64(-5000) << qint64(100);
        QTest::newRow("free station as saved") << 1 << qint64(0) << qint64(60000) << qint64(0);
        QTest::newRow("admin as saved") << 5 << qint64(40) << qint64(60000) << qint64(40);
    }
    void clockBetweenSaves() {
        QFETCH(int, estado);
        QFETCH(qint64, saved);
        QFETCH(qint64, savedAgoMs);
        QFETCH(qint64, shown);
        Cafe cafe;
        // Saves are dated by the database server's clock, and so is the web's reading.
        const qint64 now = store::serverNowMs(cafe.console());
        const qint64 guardado = savedAgoMs == std::numeric_limits<qint64>::min() ? 0 : now - savedAgoMs;
        QCOMPARE(web::segundosAhora(estado, saved, guardado, now), shown);

        store::run(cafe.console(),
                   QStringLiteral("INSERT INTO puestos (npuesto, estado, tiempo, coste, cuenta, CONSOLA, "
                                  "GUARDADO) VALUES (7, ?, ?, 15000, '', 'CAJA2', ?)"),
                   {estado, saved, guardado});
        const Reply r = cafe.get("/api/puestos", cafe.login());
        const QJsonArray puestos = r.json().value("puestos").toArray();
        QCOMPARE(puestos.size(), 1);
        const QJsonObject p = puestos.first().toObject();
        QCOMPARE(p.value("numero").toInt(), 7);
        // The web reads the server's clock a moment later than the test did.
        const qint64 got = p.value("segundos").toInteger();
        QVERIFY2(qAbs(got - shown) <= (guardado > 0 && estado != 1 && estado != 5 ? 1 : 0),
                 qPrintable(QString::number(got)));
        QCOMPARE(p.value("estado").toString(),
                 QStringList({"libre", "contador", "prepago", "desactivado", "admin"}).at(estado - 1));
        QCOMPARE(p.value("consola").toString(), QStringLiteral("CAJA2"));
        QCOMPARE(p.value("importe").toString(),
                 Regional::spanishSpain().formatCurrency(Currency::fromRaw(15000)));
    }

    // The stations' JSON is written by hand: names with quotes, backslashes,
    // control characters and accents come back as stored.
    void stationTextsEscaped() {
        Cafe cafe;
        const QString name = QStringLiteral("PC \"7\" \\ ñ\n\t\x01</script>");
        store::run(cafe.console(),
                   QStringLiteral("INSERT INTO puestos (npuesto, host, estado, cuenta) VALUES (7, ?, 2, ?)"),
                   {name, QStringLiteral("añ\"o")});
        const Reply r = cafe.get("/api/puestos", cafe.login());
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(r.body, &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        const QJsonObject p = doc.object().value("puestos").toArray().first().toObject();
        QCOMPARE(p.value("nombre").toString(), name);
        QCOMPARE(p.value("usuario").toString(), QStringLiteral("añ\"o"));
        QCOMPARE(r.header("Content-Type"), QByteArray("application/json"));
    }

    // The grid's colours: out of reach is red unless treated as connected,
    // deactivated is black whatever its reach.
    void stationColours_data() {
        QTest::addColumn<int>("estado");
        QTest::addColumn<QString>("sinconex");
        QTest::addColumn<int>("treated");
        QTest::addColumn<QString>("color");
        QTest::newRow("free") << 1 << "0" << 0 << "verde";
        QTest::newRow("counter out of reach") << 2 << "1" << 0 << "rojo";
        QTest::newRow("counter treated as connected") << 2 << "1" << 1 << "cian";
        QTest::newRow("prepaid") << 3 << "0" << 0 << "amarillo";
        QTest::newRow("deactivated out of reach") << 4 << "1" << 0 << "negro";
        QTest::newRow("admin") << 5 << "0" << 0 << "naranja";
    }
    void stationColours() {
        QFETCH(int, estado);
        QFETCH(QString, sinconex);
        QFETCH(int, treated);
        QFETCH(QString, color);
        Cafe cafe;
        store::run(
            cafe.console(),
            QStringLiteral("INSERT INTO puestos (npuesto, estado, sinconex, trsinconex) VALUES (3, ?, ?, ?)"),
            {estado, sinconex, treated});
        const QJsonObject p =
            cafe.get("/api/puestos", cafe.login()).json().value("puestos").toArray().first().toObject();
        QCOMPARE(p.value("color").toString(), color);
        QCOMPARE(p.value("sinconexion").toBool(), sinconex == QLatin1String("1") && !treated);
    }

    // Searches take typed wildcards literally and fold letter case; an
    // account shows its newest 20 movements.
    void accounts() {
        Cafe cafe;
        const QSqlDatabase db = cafe.console();
        for (const char* login : {"ana_1", "anaX1", "100%", "1000"})
            store::run(db,
                       QStringLiteral("INSERT INTO cuentas (Login, Nombre, Tipo, credito, Bonotiempo) "
                                      "VALUES (?, 'Cliente', '0', 12345, 3725)"),
                       {QString::fromLatin1(login)});
        for (int i = 1; i <= 21; ++i)
            store::run(
                db,
                QStringLiteral("INSERT INTO movcuentas (CUENTA, FECHA, HORA, CONCEPTO, SALDO_ANT, SALDO_MOV, "
                               "SALDO_FIN) VALUES ('ana_1', '2026-03-10', '10:00:00', ?, 0, 10000, 10000)"),
                {QStringLiteral("M%1").arg(i)});
        const QByteArray cookie = cafe.login();
        const auto logins = [&](const QByteArray& q) {
            QStringList found;
            for (const QJsonValue v :
                 cafe.get("/api/cuentas?q=" + q, cookie).json().value("cuentas").toArray())
                found << v["login"].toString();
            return found;
        };
        QCOMPARE(logins("ANA_"), QStringList{"ana_1"});
        QCOMPARE(logins("0%25"), QStringList{"100%"});
        QCOMPARE(logins("%25"), QStringList{"100%"});
        QCOMPARE(logins(""), QStringList{});

        const QJsonObject a = cafe.get("/api/cuenta?login=ANA_1", cookie).json();
        QCOMPARE(a.value("login").toString(), QStringLiteral("ana_1"));
        QCOMPARE(a.value("saldo_unidades").toInteger(), qint64(12345));
        QCOMPARE(a.value("tiempo").toString(), QStringLiteral("1:02:05"));
        const QJsonArray movs = a.value("movimientos").toArray();
        QCOMPARE(movs.size(), 20);
        QCOMPARE(movs.first()["concepto"].toString(), QStringLiteral("M21"));
        QCOMPARE(movs.last()["concepto"].toString(), QStringLiteral("M2"));
        QCOMPARE(cafe.get("/api/cuenta?login=nadie", cookie).status, 404);
    }

    // Statistics come from the listings for the range, both end days
    // included; the default range is the current month.
    void statistics() {
        Cafe cafe;
        const QSqlDatabase db = cafe.console();
        const auto use = [&](const QDate& day, int station, int seconds) {
            store::run(db,
                       QStringLiteral(
                           "INSERT INTO ciber (FECHA, HORA, NPUESTO, TIEMPO) VALUES (?, '10:00:00', ?, ?)"),
                       {store::sqlValue(day), station, seconds});
        };
        use(QDate(2026, 3, 1), 4, 600);
        use(Today, 4, 60);
        use(Today, 2, 7200);
        use(QDate(2026, 2, 28), 9, 99999);
        const QByteArray cookie = cafe.login();
        const QJsonObject kinds = cafe.get("/api/estadisticas", cookie).json();
        QCOMPARE(kinds.value("tipos").toArray().size(), 6);

        const QJsonObject month = cafe.get("/api/estadisticas?tipo=puestos", cookie).json();
        QCOMPARE(month.value("desde").toString(), QStringLiteral("2026-03-01"));
        QCOMPARE(month.value("hasta").toString(), QStringLiteral("2026-03-10"));
        QCOMPARE(month.value("etiquetas").toArray().toVariantList(), (QVariantList{"2", "4"}));
        const reports::Statistic listing = reports::estadisticaPuestos(
            cafe.base.db(), Regional::spanishSpain(), {QDate(2026, 3, 1), Today}, cafe.clock.now());
        QCOMPARE(month.value("filas").toArray().size(), qsizetype(listing.report.body.size()));
        QCOMPARE(month.value("filas").toArray().first().toArray().toVariantList(),
                 QVariantList(listing.report.body.front().rows.front().cells.cbegin(),
                              listing.report.body.front().rows.front().cells.cend()));

        const QJsonObject lastDay =
            cafe.get("/api/estadisticas?tipo=puestos&desde=2026-02-28&hasta=2026-02-28", cookie).json();
        QCOMPARE(lastDay.value("etiquetas").toArray().toVariantList(), QVariantList{"9"});
        QCOMPARE(cafe.get("/api/estadisticas?tipo=otra", cookie).status, 400);
        QCOMPARE(cafe.get("/api/estadisticas?tipo=puestos&desde=2026-13-01", cookie).status, 400);
    }

    // --listen: host and port, IPv6 in brackets, every port but 0.
    void listenOption_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::newRow("address") << "192.168.1.10:8080" << true << "192.168.1.10" << 8080;
        QTest::newRow("every address") << ":80" << true << "" << 80;
        QTest::newRow("localhost") << "localhost:8080" << true << "127.0.0.1" << 8080;
        QTest::newRow("IPv6") << "[::1]:65535" << true << "::1" << 65535;
        QTest::newRow("port 0") << "127.0.0.1:0" << false << "" << 0;
        QTest::newRow("port too big") << "127.0.0.1:65536" << false << "" << 0;
        QTest::newRow("no port") << "127.0.0.1" << false << "" << 0;
        QTest::newRow("a name") << "cafe.example:80" << false << "" << 0;
    }
    void listenOption() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(QString, host);
        QFETCH(int, port);
        QHostAddress a;
        quint16 p = 0;
        QCOMPARE(web::leerEscucha(text, &a, &p), ok);
        if (ok) {
            QCOMPARE(a, host.isEmpty() ? QHostAddress(QHostAddress::Any) : QHostAddress(host));
            QCOMPARE(int(p), port);
        }
        const web::OpcionesWeb o =
            web::OpcionesWeb::parse({"quintor-web", "--listen", text, "--session-minutes", "1440"});
        QCOMPARE(o.error.isEmpty(), ok);
        QVERIFY(!web::OpcionesWeb::parse({"quintor-web", "--session-minutes", "0"}).error.isEmpty());
        QVERIFY(!web::OpcionesWeb::parse({"quintor-web", "--certificate", "c.pem"}).error.isEmpty());
    }

    // Over TLS: the same answers, and a client that never completes its
    // handshake is cut off at the request limit.
    void https() {
        QTemporaryDir dir;
        const QString cert = dir.filePath("cert.pem");
        const QString key = dir.filePath("key.pem");
        QProcess openssl;
        openssl.start("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out",
                                  cert, "-days", "2", "-subj", "/CN=127.0.0.1"});
        QVERIFY(openssl.waitForFinished(30000));
        QCOMPARE(openssl.exitCode(), 0);
        QFile c(cert);
        QFile k(key);
        QVERIFY(c.open(QIODevice::ReadOnly) && k.open(QIODevice::ReadOnly));
        QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
        ssl.setLocalCertificate(QSslCertificate(&c, QSsl::Pem));
        ssl.setPrivateKey(QSslKey(&k, QSsl::Rsa, QSsl::Pem));

        web::Limites limites;
        limites.requestMs = 400;
        Cafe cafe({}, {15, true});
        auto* tls = new web::LimitedSslServer(limites, cafe.server.get());
        tls->setSslConfiguration(ssl);
        QVERIFY(tls->listen(QHostAddress(QStringLiteral("127.0.0.1")), 0));
        cafe.server->bind(tls);

        QSslSocket s;
        s.setPeerVerifyMode(QSslSocket::VerifyNone);
        s.connectToHostEncrypted(QStringLiteral("127.0.0.1"), tls->serverPort());
        QVERIFY(spin([&] { return s.isEncrypted(); }, 5000));
        s.write(request("POST", "/acceso", {}, "nombre=DUENO&clave=secreto"));
        const Reply r = readReply(s);
        QCOMPARE(r.status, 303);
        QVERIFY(r.all("Set-Cookie").first().endsWith("; Secure"));
        QCOMPARE(r.header("X-Frame-Options"), QByteArray("DENY"));

        QTcpSocket plain;
        plain.connectToHost(QHostAddress(QStringLiteral("127.0.0.1")), tls->serverPort());
        QVERIFY(plain.waitForConnected(1000));
        QVERIFY(spin([&] { return plain.state() == QAbstractSocket::UnconnectedState; }, 3000));
    }

    // Viewers share one read per interval.
    void snapshotShared() {
        Cafe cafe;
        const QByteArray cookie = cafe.login();
        store::run(cafe.console(), QStringLiteral("INSERT INTO puestos (npuesto, estado) VALUES (1, 1)"));
        const Reply first = cafe.get("/api/puestos", cookie);
        store::run(cafe.console(), QStringLiteral("UPDATE puestos SET estado = 2 WHERE npuesto = 1"));
        cafe.clock.advance(web::InstantaneaPuestos::IntervaloMs - 1);
        QCOMPARE(cafe.get("/api/puestos", cookie).body, first.body);
        // A browser's request takes the same snapshot compressed, at no second read.
        QByteArray raw = request("GET", "/api/puestos", cookie);
        raw.insert(raw.indexOf("\r\n") + 2, "Accept-Encoding: gzip, deflate, br\r\n");
        const Reply packed = cafe.send(raw);
        QCOMPARE(packed.header("Content-Encoding"), QByteArray("deflate"));
        QByteArray sized(4, '\0');
        qToBigEndian(quint32(first.body.size()), sized.data());
        QCOMPARE(qUncompress(sized + packed.body), first.body);
        QCOMPARE(cafe.server->instantanea().lecturas(), 1);
        cafe.clock.advance(1);
        const QJsonObject next = cafe.get("/api/puestos", cookie).json();
        QCOMPARE(cafe.server->instantanea().lecturas(), 2);
        QCOMPARE(next.value("puestos").toArray().first()["estado"].toString(), QStringLiteral("contador"));
    }
};

QTEST_GUILESS_MAIN(TestWeb)
#include "tst_web.moc"
