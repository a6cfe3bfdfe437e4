#include "web/paginas.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace web {

namespace {

QByteArray recurso(const QString& nombre) {
    QFile f(QStringLiteral(":/web/") + nombre);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QJsonObject& textos() {
    static const QJsonObject t = QJsonDocument::fromJson(recurso(QStringLiteral("textos.json"))).object();
    return t;
}

// {{t:key}} a text, {{v:key}} a value, {{lang}} the language's query suffix.
QString rellenar(const QString& plantilla, bool english, const QHash<QString, QString>& vars) {
    static const QRegularExpression marca(QStringLiteral(R"(\{\{(t|v):([a-z_0-9]+)\}\})"));
    QString out;
    out.reserve(plantilla.size() + 256);
    qsizetype desde = 0;
    for (auto it = marca.globalMatch(plantilla); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(plantilla).mid(desde, m.capturedStart() - desde);
        const QString clave = m.captured(2);
        const QString valor = m.captured(1) == QLatin1String("t") ? texto(clave, english) : vars.value(clave);
        out += valor.toHtmlEscaped();
        desde = m.capturedEnd();
    }
    out += QStringView(plantilla).mid(desde);
    return out;
}

} // namespace

const std::vector<std::pair<QByteArray, QByteArray>>& cabecerasSeguridad() {
    static const std::vector<std::pair<QByteArray, QByteArray>> h{
        {QByteArrayLiteral("Content-Security-Policy"),
         QByteArrayLiteral(
             "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self' data:; "
             "connect-src 'self'; form-action 'self'; frame-ancestors 'none'; base-uri 'none'")},
        {QByteArrayLiteral("X-Frame-Options"), QByteArrayLiteral("DENY")},
        {QByteArrayLiteral("X-Content-Type-Options"), QByteArrayLiteral("nosniff")},
        {QByteArrayLiteral("Referrer-Policy"), QByteArrayLiteral("no-referrer")},
        {QByteArrayLiteral("Cache-Control"), QByteArrayLiteral("no-store")},
    };
    return h;
}

QString texto(const QString& clave, bool english) {
    const QJsonObject idioma =
        textos().value(english ? QStringLiteral("en") : QStringLiteral("es")).toObject();
    return idioma.value(clave).toString(clave);
}

QByteArray pagina(const QString& nombre, bool english, const QString& operador,
                  const QHash<QString, QString>& vars) {
    const QString cuerpo =
        rellenar(QString::fromUtf8(recurso(nombre + QStringLiteral(".html"))), english, vars);
    const QString lang = english ? QStringLiteral("?lang=en") : QStringLiteral("?lang=es");
    QString barra;
    if (!operador.isEmpty()) {
        barra = QStringLiteral("<header class=\"barra\"><nav>");
        for (const QString& p : {QStringLiteral("puestos"), QStringLiteral("caja"), QStringLiteral("cuentas"),
                                 QStringLiteral("estadisticas")}) {
            barra += QStringLiteral("<a id=\"nav-%1\" href=\"/%1%2\"%3>%4</a>")
                         .arg(p, lang, p == nombre ? QStringLiteral(" class=\"activo\"") : QString(),
                              texto(p, english).toHtmlEscaped());
        }
        barra +=
            QStringLiteral("</nav><div class=\"derecha\"><span class=\"operador\">%1</span>"
                           "<a class=\"idioma\" href=\"/%2?lang=%3\">%4</a>"
                           "<form method=\"post\" action=\"/salir\"><button id=\"salir\" type=\"submit\">%5"
                           "</button></form></div></header>")
                .arg(operador.toHtmlEscaped(), nombre, english ? QStringLiteral("es") : QStringLiteral("en"),
                     texto(QStringLiteral("idioma_otro"), english).toHtmlEscaped(),
                     texto(QStringLiteral("salir"), english).toHtmlEscaped());
    }
    const QString html =
        QStringLiteral("<!DOCTYPE html>\n<html lang=\"%1\"><head><meta charset=\"utf-8\">"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
                       "<title>%2 - Quintor</title><link rel=\"icon\" href=\"data:,\"><link "
                       "rel=\"stylesheet\" href=\"/static/app.css\">"
                       "<script src=\"/static/app.js\" defer></script></head>"
                       "<body data-pagina=\"%3\" data-lang=\"%1\">%4<main>%5</main></body></html>\n")
            .arg(english ? QStringLiteral("en") : QStringLiteral("es"),
                 texto(nombre, english).toHtmlEscaped(), nombre, barra, cuerpo);
    return html.toUtf8();
}

Estatico estatico(const QString& nombre) {
    static const QRegularExpression valido(QStringLiteral(R"(^[a-z0-9_-]+\.(css|js|json|svg)$)"));
    if (!valido.match(nombre).hasMatch())
        return {};
    Estatico e;
    e.datos = recurso(nombre);
    if (e.datos.isNull())
        return {};
    if (nombre.endsWith(QLatin1String(".css")))
        e.tipo = QByteArrayLiteral("text/css; charset=utf-8");
    else if (nombre.endsWith(QLatin1String(".js")))
        e.tipo = QByteArrayLiteral("text/javascript; charset=utf-8");
    else if (nombre.endsWith(QLatin1String(".svg")))
        e.tipo = QByteArrayLiteral("image/svg+xml");
    else
        e.tipo = QByteArrayLiteral("application/json");
    return e;
}

} // namespace web
