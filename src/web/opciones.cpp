#include "web/opciones.h"

namespace web {

bool leerEscucha(const QString& texto, QHostAddress* host, quint16* port) {
    const qsizetype colon = texto.lastIndexOf(QLatin1Char(':'));
    if (colon < 0)
        return false;
    QString h = texto.left(colon);
    bool ok = false;
    const uint p = texto.mid(colon + 1).toUInt(&ok);
    if (!ok || p == 0 || p > 65535)
        return false;
    if (h.startsWith(QLatin1Char('[')) && h.endsWith(QLatin1Char(']')))
        h = h.mid(1, h.size() - 2);
    QHostAddress a;
    if (h.isEmpty())
        a = QHostAddress(QHostAddress::Any);
    else if (h == QLatin1String("localhost"))
        a = QHostAddress(QHostAddress::LocalHost);
    else if (!a.setAddress(h))
        return false;
    *host = a;
    *port = quint16(p);
    return true;
}

OpcionesWeb OpcionesWeb::parse(const QStringList& arguments) {
    OpcionesWeb o;
    for (int i = 1; i < arguments.size(); ++i) {
        QString a = arguments.at(i);
        QString value;
        bool hasValue = false;
        if (a.startsWith(QLatin1String("--")) && a.contains(QLatin1Char('='))) {
            value = a.mid(a.indexOf(QLatin1Char('=')) + 1);
            a = a.left(a.indexOf(QLatin1Char('=')));
            hasValue = true;
        }
        const auto take = [&]() -> bool {
            if (hasValue)
                return true;
            if (i + 1 >= arguments.size()) {
                o.error = QStringLiteral("Falta el valor de %1").arg(a);
                return false;
            }
            value = arguments.at(++i);
            return true;
        };
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            o.showHelp = true;
        } else if (a == QLatin1String("--version")) {
            o.showVersion = true;
        } else if (a == QLatin1String("--home")) {
            if (!take())
                return o;
            o.home = value;
        } else if (a == QLatin1String("--database")) {
            if (!take())
                return o;
            o.database = value;
        } else if (a == QLatin1String("--listen")) {
            if (!take())
                return o;
            if (!leerEscucha(value, &o.host, &o.port)) {
                o.error = QStringLiteral("Dirección de escucha no válida: %1 (HOST:PUERTO)").arg(value);
                return o;
            }
        } else if (a == QLatin1String("--certificate")) {
            if (!take())
                return o;
            o.certificate = value;
        } else if (a == QLatin1String("--key")) {
            if (!take())
                return o;
            o.key = value;
        } else if (a == QLatin1String("--session-minutes")) {
            if (!take())
                return o;
            bool ok = false;
            o.sessionMinutes = value.toInt(&ok);
            if (!ok || o.sessionMinutes < 1 || o.sessionMinutes > 1440) {
                o.error = QStringLiteral("--session-minutes: de 1 a 1440 minutos");
                return o;
            }
        } else {
            o.error = QStringLiteral("Opción desconocida: %1").arg(arguments.at(i));
            return o;
        }
    }
    if (o.certificate.isEmpty() != o.key.isEmpty())
        o.error = QStringLiteral("--certificate y --key van juntos");
    return o;
}

QString OpcionesWeb::helpText() {
    return QStringLiteral(
        "Uso: quintor-web [opciones]\n"
        "Vista de solo lectura de Quintor para el propietario, en un navegador.\n\n"
        "  --database FICHERO|URI   la base de datos de la consola (un fichero o postgresql://...)\n"
        "  --home CARPETA           la carpeta de la consola (su base de datos de trabajo)\n"
        "  --listen HOST:PUERTO     dónde escuchar (por omisión 127.0.0.1:8080)\n"
        "  --certificate FICHERO    certificado PEM: sirve HTTPS\n"
        "  --key FICHERO            clave privada PEM del certificado\n"
        "  --session-minutes N      minutos sin uso que cierran una sesión (15)\n"
        "  --version                la versión\n"
        "  --help                   esta ayuda\n");
}

} // namespace web
