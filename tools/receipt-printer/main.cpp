// A network receipt printer for the demo: listens on raw TCP (port 9100 by
// default) and shows each job as paper, on the terminal and in --log FILE.

#include "paper.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextStream>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("receipt-printer"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Impresora de tickets de red para la demo: muestra cada trabajo como papel."));
    parser.addHelpOption();
    QCommandLineOption address(QStringLiteral("address"), QStringLiteral("Dirección (127.0.0.1)."),
                               QStringLiteral("ip"), QStringLiteral("127.0.0.1"));
    QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Puerto (9100)."), QStringLiteral("port"),
                            QStringLiteral("9100"));
    QCommandLineOption log(QStringLiteral("log"), QStringLiteral("Añade cada trabajo a este fichero."),
                           QStringLiteral("file"));
    QCommandLineOption quiet(QStringLiteral("quiet"), QStringLiteral("No escribe en la terminal."));
    parser.addOptions({address, port, log, quiet});
    parser.process(app);

    QTextStream err(stderr);
    const QHostAddress host(parser.value(address));
    bool portOk = false;
    const int portNumber = parser.value(port).toInt(&portOk);
    if (host.isNull() || !host.isLoopback() || !portOk || portNumber <= 0 || portNumber > 65535) {
        err << "receipt-printer: una dirección de loopback y un puerto válidos, por favor\n";
        return 2;
    }
    QTcpServer server;
    if (!server.listen(host, quint16(portNumber))) {
        err << "receipt-printer: no puedo escuchar en " << host.toString() << ':' << portNumber << ": "
            << server.errorString() << '\n';
        return 1;
    }
    const QString logFile = parser.value(log);
    const bool toTerminal = !parser.isSet(quiet);
    err << "receipt-printer: escuchando en " << host.toString() << ':' << portNumber << '\n';
    err.flush();

    int jobNumber = 0;
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&] {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            auto* job = new QByteArray;
            QObject::connect(socket, &QTcpSocket::readyRead, socket,
                             [socket, job] { *job += socket->readAll(); });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, [&, socket, job] {
                *job += socket->readAll();
                ++jobNumber;
                QStringList out;
                out << QStringLiteral("==== trabajo %1 · %2 bytes · %3 ====")
                           .arg(jobNumber)
                           .arg(job->size())
                           .arg(QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss")));
                out << receipt::renderJob(*job);
                out << QString();
                const QByteArray text = out.join(QLatin1Char('\n')).toUtf8() + '\n';
                if (toTerminal) {
                    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
                    std::fflush(stdout);
                }
                if (!logFile.isEmpty()) {
                    QFile f(logFile);
                    if (f.open(QIODevice::Append))
                        f.write(text);
                }
                delete job;
                socket->deleteLater();
            });
        }
    });
    return app.exec();
}
