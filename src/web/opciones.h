#pragma once

#include <QHostAddress>
#include <QString>
#include <QStringList>

namespace web {

// quintor-web's command line.
struct OpcionesWeb {
    QString home;     // --home DIR, as the console takes it
    QString database; // --database FILE|URI
    QHostAddress host = QHostAddress(QHostAddress::LocalHost);
    quint16 port = 8080; // --listen HOST:PORT
    QString certificate; // --certificate FILE
    QString key;         // --key FILE
    int sessionMinutes = 15;
    bool showHelp = false;
    bool showVersion = false;
    QString error;

    bool https() const { return !certificate.isEmpty(); }

    static OpcionesWeb parse(const QStringList& arguments);
    static QString helpText();
};

// "HOST:PORT", "[v6]:PORT" or ":PORT"; false when it does not read.
bool leerEscucha(const QString& texto, QHostAddress* host, quint16* port);

} // namespace web
