#include "app/paths.h"
#include "app/stopsignals.h"
#include "core/clock.h"
#include "core/regional.h"
#include "store/engine.h"
#include "web/basedatos.h"
#include "web/limitedserver.h"
#include "web/opciones.h"
#include "web/webserver.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QTextStream>

namespace {

// The console's working database when --database is not given: what its
// config.ini names, read without touching the file.
QString workingDatabase(const app::Paths& paths) {
    const QSettings ini(paths.configIni(), QSettings::IniFormat);
    QString where = ini.value(QStringLiteral("Base/Database")).toString().trimmed();
    if (where.isEmpty())
        where = ini.value(QStringLiteral("Empresa/ID")).toString().trimmed();
    if (where.isEmpty())
        where = QStringLiteral("ciber.mdb");
    return paths.databaseFile(where);
}

QByteArray readFile(const QString& path, QString* error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("No se puede leer %1: %2").arg(path, f.errorString());
        return {};
    }
    return f.readAll();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quintor"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUINTOR_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);

    const web::OpcionesWeb o = web::OpcionesWeb::parse(QCoreApplication::arguments());
    if (!o.error.isEmpty()) {
        err << "quintor-web: " << o.error << "\n" << web::OpcionesWeb::helpText();
        return 2;
    }
    if (o.showHelp) {
        out << web::OpcionesWeb::helpText();
        return 0;
    }
    if (o.showVersion) {
        out << "quintor-web " << QUINTOR_VERSION << "\n";
        return 0;
    }

    const QString where = o.database.trimmed().isEmpty() ? workingDatabase(app::Paths::forConsole(o.home))
                                                         : o.database.trimmed();
    web::BaseSoloLectura base;
    if (const Status opened = base.open(where); !opened) {
        err << "quintor-web: " << opened.error() << "\n";
        return 1;
    }

    std::unique_ptr<QTcpServer> tcp;
    if (o.https()) {
        QString error;
        const QByteArray certificate = readFile(o.certificate, &error);
        const QByteArray key = error.isEmpty() ? readFile(o.key, &error) : QByteArray();
        if (!error.isEmpty()) {
            err << "quintor-web: " << error << "\n";
            return 1;
        }
        QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
        const QList<QSslCertificate> chain = QSslCertificate::fromData(certificate, QSsl::Pem);
        QSslKey privateKey(key, QSsl::Rsa, QSsl::Pem);
        if (privateKey.isNull())
            privateKey = QSslKey(key, QSsl::Ec, QSsl::Pem);
        if (chain.isEmpty() || privateKey.isNull()) {
            err << "quintor-web: el certificado o la clave no se pueden leer (PEM)\n";
            return 1;
        }
        ssl.setLocalCertificate(chain.first());
        if (chain.size() > 1)
            ssl.setLocalCertificateChain(chain);
        ssl.setPrivateKey(privateKey);
        ssl.setProtocol(QSsl::TlsV1_2OrLater);
        auto server = std::make_unique<web::LimitedSslServer>();
        server->setSslConfiguration(ssl);
        tcp = std::move(server);
    } else {
        tcp = std::make_unique<web::LimitedTcpServer>();
    }
    if (!tcp->listen(o.host, o.port)) {
        err << "quintor-web: no se puede escuchar en " << o.host.toString() << ":" << o.port << ": "
            << tcp->errorString() << "\n";
        return 1;
    }

    const Regional regional = Regional::system();
    web::WebServer server(base, SystemClock::instance(), regional, {o.sessionMinutes, o.https()});
    QTcpServer* listening = tcp.release();
    listening->setParent(&server);
    server.bind(listening);
    out << "quintor-web: " << (o.https() ? "https" : "http") << "://" << o.host.toString() << ":" << o.port
        << "/ (" << store::withoutPassword(where) << ")\n";
    out.flush();

    // Stopped by its service manager or Ctrl+C, it closes its connections
    // and the database and ends as a program that finished.
    const std::unique_ptr<QSocketNotifier> stop = app::quitOnStopSignals();
    if (!stop)
        return 1;
    return application.exec();
}
