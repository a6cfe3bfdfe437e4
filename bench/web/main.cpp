// Viewers of the owner's stations page: a quintor-web process on a database
// of 9,999 stations, a third of them in use, while a stand-in console saves
// a hundred station rows a second. Each viewer logs in, then asks for the
// stations every 1.5 s on its own kept-alive connection, as the page does; the
// benchmark records how long each answer took, first with one viewer alone
// (the comparison, same run), then with all of them, and what the web
// process spent in CPU and memory meanwhile.
//
//   BENCH_SECONDS   measured seconds per run (default 20)
//   BENCH_VIEWERS   viewers of the second run (default 50)
//   BENCH_STATIONS  stations (default 9999)
//
// The database is built once into /tmp/bench-web-<stations>.db.
#include "benchload.h"
#include "pendingdb.h"
#include "store/claves.h"
#include "store/consolas.h"
#include "store/datamodule.h"
#include "store/sql.h"
#include "store/transaction.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

const QString kPassword = QStringLiteral("bench-web");

int envInt(const char* name, int fallback) {
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok && v > 0 ? v : fallback;
}

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// One HTTP/1.1 exchange on a kept-alive socket: the status, headers and
// body, reconnecting when the server closed the connection.
struct Answer {
    int status = 0;
    QByteArray headers;
    QByteArray body;
};

class Viewer {
public:
    explicit Viewer(quint16 port)
        : m_port(port) {}

    bool logIn() {
        const QByteArray form = "nombre=ADMIN&clave=" + QUrl::toPercentEncoding(kPassword);
        const Answer a = exchange("POST /acceso HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: "
                                  "application/x-www-form-urlencoded\r\nContent-Length: " +
                                  QByteArray::number(form.size()) + "\r\n\r\n" + form);
        for (const QByteArray& line : a.headers.split('\n')) {
            if (line.toLower().startsWith("set-cookie:") && line.contains("quintor_sesion=")) {
                m_cookie = line.mid(line.indexOf("quintor_sesion=")).split(';').value(0).trimmed();
                return true;
            }
        }
        std::fprintf(stderr, "log-in refused: %d\n%s\n", a.status, a.headers.constData());
        return false;
    }

    // Milliseconds the stations took to arrive whole; negative on failure.
    double refresh(qsizetype* bytes) {
        QElapsedTimer t;
        t.start();
        const Answer a = exchange(stationsRequest());
        const double ms = double(t.nsecsElapsed()) / 1e6;
        *bytes = a.body.size();
        return a.status == 200 ? ms : -1;
    }

    // The same in two halves, so every viewer's request can be on the wire
    // before the first answer is read.
    bool send() {
        if (m_socket.state() != QAbstractSocket::ConnectedState)
            return false;
        m_socket.write(stationsRequest());
        return m_socket.flush() || m_socket.bytesToWrite() == 0;
    }
    bool receive() {
        Answer a;
        return read(a) && a.status == 200;
    }

private:
    // As a browser asks, compressed answers welcome.
    QByteArray stationsRequest() const {
        return "GET /api/puestos HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept-Encoding: gzip, deflate\r\nCookie: " +
               m_cookie + "\r\n\r\n";
    }

    Answer exchange(const QByteArray& request) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (m_socket.state() != QAbstractSocket::ConnectedState) {
                m_socket.abort();
                m_socket.connectToHost(QHostAddress::LocalHost, m_port);
                if (!m_socket.waitForConnected(5000))
                    return {};
            }
            m_socket.write(request);
            Answer a;
            if (read(a))
                return a;
            m_socket.abort();
        }
        return {};
    }

    bool read(Answer& a) {
        QByteArray buffer;
        qsizetype headerEnd = -1;
        while ((headerEnd = buffer.indexOf("\r\n\r\n")) < 0) {
            if (!m_socket.waitForReadyRead(5000))
                return false;
            buffer += m_socket.readAll();
        }
        a.headers = buffer.left(headerEnd);
        a.status = a.headers.mid(9, 3).toInt();
        qsizetype length = 0;
        bool close = false;
        for (const QByteArray& line : a.headers.split('\n')) {
            const QByteArray lower = line.toLower();
            if (lower.startsWith("content-length:"))
                length = lower.mid(15).trimmed().toLongLong();
            else if (lower.startsWith("connection:") && lower.contains("close"))
                close = true;
        }
        a.body = buffer.mid(headerEnd + 4);
        while (a.body.size() < length) {
            if (!m_socket.waitForReadyRead(5000))
                return false;
            a.body += m_socket.readAll();
        }
        if (close)
            m_socket.disconnectFromHost();
        return true;
    }

    quint16 m_port;
    QTcpSocket m_socket;
    QByteArray m_cookie;
};

struct Run {
    std::vector<double> ms;
    int failures = 0;
    qsizetype bytes = 0;
    double cpu = 0;
    double seconds = 0;
};

double percentile(std::vector<double> v, int p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, v.size() * size_t(p) / 100)];
}

// viewers refresh every 1.5 s for seconds, spread evenly over the period; the
// stand-in console saves rows of the database meanwhile.
Run viewersRun(std::vector<std::unique_ptr<Viewer>>& viewers, int seconds, qint64 webPid,
               const QSqlDatabase& db, int stations) {
    Run run;
    const qint64 periodMs = 1500;
    std::vector<qint64> due(viewers.size());
    for (size_t i = 0; i < viewers.size(); ++i)
        due[i] = qint64(i) * periodMs / qint64(viewers.size());
    QElapsedTimer clock;
    clock.start();
    const double cpu0 = processCpuSeconds(webPid);
    qint64 nextSave = 0;
    int saved = 0;
    QSqlQuery save(db);
    save.prepare(QStringLiteral("UPDATE puestos SET tiempo = tiempo + 1, coste = coste + 100, GUARDADO = ") +
                 store::nowExpression(db) + QStringLiteral(" WHERE npuesto = ?"));
    while (clock.elapsed() < qint64(seconds) * 1000) {
        if (clock.elapsed() >= nextSave) {
            // A hundred saves a second, ten a time, as a busy console makes them.
            store::Transaction t(db);
            for (int k = 0; k < 10; ++k) {
                save.addBindValue(1 + (saved++ * 3) % stations);
                save.exec();
            }
            t.commit();
            nextSave += 100;
        }
        size_t next = 0;
        for (size_t i = 1; i < due.size(); ++i)
            if (due[i] < due[next])
                next = i;
        const qint64 wait = std::min(due[next], nextSave) - clock.elapsed();
        if (wait > 0) {
            usleep(useconds_t(wait) * 1000);
            continue;
        }
        if (due[next] > clock.elapsed())
            continue;
        qsizetype bytes = 0;
        const double ms = viewers[next]->refresh(&bytes);
        if (ms < 0)
            ++run.failures;
        else
            run.ms.push_back(ms);
        run.bytes = std::max(run.bytes, bytes);
        due[next] += periodMs;
    }
    run.seconds = double(clock.elapsed()) / 1000;
    run.cpu = processCpuSeconds(webPid) - cpu0;
    return run;
}

// The worst case of the period: every viewer asks at the same instant;
// each answer's time runs from that instant.
Run burstRun(std::vector<std::unique_ptr<Viewer>>& viewers, int bursts, qint64 webPid) {
    Run run;
    QElapsedTimer clock;
    clock.start();
    const double cpu0 = processCpuSeconds(webPid);
    for (int b = 0; b < bursts; ++b) {
        QElapsedTimer t;
        t.start();
        std::vector<bool> sent;
        for (auto& v : viewers)
            sent.push_back(v->send());
        for (size_t i = 0; i < viewers.size(); ++i) {
            if (sent[i] && viewers[i]->receive())
                run.ms.push_back(double(t.nsecsElapsed()) / 1e6);
            else
                ++run.failures;
        }
        usleep(useconds_t(1500000 - std::min<qint64>(1499000, t.elapsed() * 1000)));
    }
    run.seconds = double(clock.elapsed()) / 1000;
    run.cpu = processCpuSeconds(webPid) - cpu0;
    return run;
}

void print(const char* what, size_t viewers, const Run& r) {
    std::printf(
        "%-28s %3zu viewer(s): %6zu refreshes, %d failed, answer p50 %.1f ms, p99 %.1f ms, max %.1f ms; "
        "web CPU %.1f %% of a core; %lld KiB a refresh\n",
        what, viewers, r.ms.size(), r.failures, percentile(r.ms, 50), percentile(r.ms, 99),
        r.ms.empty() ? 0.0 : *std::max_element(r.ms.begin(), r.ms.end()), 100 * r.cpu / r.seconds,
        qlonglong(r.bytes / 1024));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int seconds = envInt("BENCH_SECONDS", 20);
    const int viewerCount = envInt("BENCH_VIEWERS", 50);
    const int stations = envInt("BENCH_STATIONS", 9999);
    const QString web = QCoreApplication::applicationDirPath() + QStringLiteral("/quintor-web");
    if (!QFile::exists(web)) {
        std::fprintf(stderr, "%s is not built\n", qPrintable(web));
        return 1;
    }
    const QString path = QStringLiteral("/tmp/bench-web-%1.db").arg(stations);
    if (!buildPendingDatabase(path, stations, 0, 0))
        return 1;
    TDataModule1 data;
    if (!data.open(path))
        return 1;
    const QSqlDatabase db = data.db();
    {
        // A third of the stations in use by a customer of one of three consoles.
        store::Transaction t(db);
        store::run(db, QStringLiteral(
                           "UPDATE puestos SET estado = 1, cuenta = NULL, tiempo = 0, coste = 0, CONSOLA = "
                           "'CAJA' || (npuesto % 3)"));
        store::run(db, QStringLiteral(
                           "UPDATE puestos SET estado = 2, cuenta = 'cliente' || npuesto, tiempo = npuesto % "
                           "7200, coste = (npuesto % 7200) * 10, GUARDADO = ") +
                           store::nowExpression(db) + QStringLiteral(" WHERE npuesto % 3 = 0"));
        store::run(db, QStringLiteral("UPDATE operadores SET PASS = ?, ACCESOWEB = 1 WHERE NOMBRE = 'ADMIN'"),
                   {store::claveProtegida(kPassword, 1000)});
        t.commit();
    }

    const quint16 port = freePort();
    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.setStandardOutputFile(QProcess::nullDevice());
    server.start(web, {QStringLiteral("--database"), path, QStringLiteral("--listen"),
                       QStringLiteral("127.0.0.1:%1").arg(port)});
    if (!server.waitForStarted(10000))
        return 1;
    bool up = false;
    for (int i = 0; i < 150 && !up; ++i) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        up = probe.waitForConnected(100);
        if (!up)
            usleep(100000);
    }
    if (!up) {
        std::fprintf(stderr, "quintor-web did not listen\n");
        return 1;
    }

    std::vector<std::unique_ptr<Viewer>> viewers;
    for (int i = 0; i < viewerCount; ++i) {
        viewers.push_back(std::make_unique<Viewer>(port));
        if (!viewers.back()->logIn())
            return 1;
    }
    std::printf("bench-web: %d stations, load %s\n", stations, qPrintable(loadAverage()));
    std::vector<std::unique_ptr<Viewer>> alone;
    alone.push_back(std::move(viewers.back()));
    viewers.pop_back();
    const Run one = viewersRun(alone, seconds, server.processId(), db, stations);
    viewers.push_back(std::move(alone.back()));
    print("one viewer (comparison)", 1, one);
    const Run all = viewersRun(viewers, seconds, server.processId(), db, stations);
    print("every viewer", viewers.size(), all);
    const Run burst = burstRun(viewers, std::max(3, seconds / 4), server.processId());
    print("every viewer at one instant", viewers.size(), burst);
    const auto [rss, peak] = processMemoryMiB(server.processId());
    std::printf("web process memory: %.1f MiB resident, %.1f MiB at its peak; load %s\n", rss, peak,
                qPrintable(loadAverage()));
    server.terminate();
    server.waitForFinished(10000);
    const double p99 = percentile(all.ms, 99);
    std::printf("target: every refresh of %zu viewers answered in <= 50 ms: %s (p99 %.1f ms)\n",
                viewers.size(),
                all.failures == 0 && !all.ms.empty() && *std::max_element(all.ms.begin(), all.ms.end()) <= 50
                    ? "met"
                    : "not met",
                p99);
    return 0;
}
