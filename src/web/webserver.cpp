#include "web/webserver.h"

#include "store/sql.h"
#include "web/paginas.h"
#include "web/vistas.h"

#include <QHttpServerRequest>
#include <QTcpSocket>
#include <QUrlQuery>

namespace web {

using Status = QHttpServerResponder::StatusCode;

struct WebServer::Respuesta {
    Status status = Status::Ok;
    QByteArray tipo;
    QByteArray cuerpo;
    std::vector<std::pair<QByteArray, QByteArray>> cabeceras;

    static Respuesta redirigir(const QByteArray& destino) {
        Respuesta r;
        r.status = Status::SeeOther;
        r.cabeceras.push_back({QByteArrayLiteral("Location"), destino});
        return r;
    }
    static Respuesta json(const QByteArray& cuerpo, Status status = Status::Ok) {
        Respuesta r;
        r.status = status;
        r.tipo = QByteArrayLiteral("application/json");
        r.cuerpo = cuerpo;
        return r;
    }
    static Respuesta html(const QByteArray& cuerpo, Status status = Status::Ok) {
        Respuesta r;
        r.status = status;
        r.tipo = QByteArrayLiteral("text/html; charset=utf-8");
        r.cuerpo = cuerpo;
        return r;
    }
};

namespace {

const QByteArray cookieSesion = QByteArrayLiteral("quintor_sesion");
const QByteArray cookieIdioma = QByteArrayLiteral("quintor_idioma");

QByteArray cookie(const QHttpServerRequest& request, const QByteArray& nombre) {
    for (const auto& [clave, valor] : request.headers()) {
        if (clave.compare("cookie", Qt::CaseInsensitive) != 0)
            continue;
        for (const QByteArray& parte : valor.split(';')) {
            const QByteArray p = parte.trimmed();
            if (p.startsWith(QByteArray(nombre + '=')))
                return p.mid(nombre.size() + 1);
        }
    }
    return QByteArray();
}

QByteArray cabecera(const QHttpServerRequest& request, const char* nombre) {
    for (const auto& [clave, valor] : request.headers())
        if (clave.compare(nombre, Qt::CaseInsensitive) == 0)
            return valor;
    return QByteArray();
}

// application/x-www-form-urlencoded: "+" is a blank, the rest percent-encoded.
QHash<QString, QString> formulario(const QByteArray& cuerpo) {
    QHash<QString, QString> campos;
    for (const QByteArray& par : cuerpo.split('&')) {
        const qsizetype igual = par.indexOf('=');
        if (igual < 0)
            continue;
        QByteArray clave = par.left(igual);
        QByteArray valor = par.mid(igual + 1);
        clave.replace('+', ' ');
        valor.replace('+', ' ');
        campos.insert(QUrl::fromPercentEncoding(clave), QUrl::fromPercentEncoding(valor));
    }
    return campos;
}

QDate fechaIso(const QString& texto) {
    return QDate::fromString(texto, Qt::ISODate);
}

bool esPagina(const QString& ruta) {
    return ruta == QLatin1String("/puestos") || ruta == QLatin1String("/caja") ||
           ruta == QLatin1String("/cuentas") || ruta == QLatin1String("/estadisticas");
}

} // namespace

WebServer::WebServer(BaseSoloLectura& base, const Clock& clock, const Regional& regional, ConfigWeb config,
                     QObject* parent)
    : QAbstractHttpServer(parent)
    , m_base(base)
    , m_clock(clock)
    , m_regional(regional)
    , m_config(config)
    , m_sesiones(clock, config.sessionMinutes)
    , m_acceso(clock)
    , m_instantanea(clock, regional) {}

QSqlDatabase WebServer::db() {
    // A server that went away is looked for again at the next request.
    if (m_base.broken()) {
        if (const ::Status reopened = m_base.reopen(); !reopened)
            throw store::DatabaseError(reopened.error(), store::DatabaseError::Cause::ConnectionLost);
    }
    return m_base.db();
}

bool WebServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    responder(request, socket, atender(request));
    return true;
}

void WebServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
    responder(request, socket, Respuesta::json(QByteArrayLiteral("{\"error\":\"ruta\"}"), Status::NotFound));
}

void WebServer::responder(const QHttpServerRequest& request, QTcpSocket* socket, const Respuesta& r) {
    QHttpServerResponder responder = makeResponder(request, socket);
    responder.writeStatusLine(r.status);
    for (const auto& [nombre, valor] : cabecerasSeguridad())
        responder.writeHeader(nombre, valor);
    for (const auto& [nombre, valor] : r.cabeceras)
        responder.writeHeader(nombre, valor);
    if (!r.tipo.isEmpty())
        responder.writeHeader(QByteArrayLiteral("Content-Type"), r.tipo);
    responder.writeHeader(QByteArrayLiteral("Content-Length"), QByteArray::number(r.cuerpo.size()));
    responder.writeBody(r.cuerpo);
}

WebServer::Respuesta WebServer::pagina(const QString& nombre, bool english, const QString& operador,
                                       const QHash<QString, QString>& vars) {
    QHash<QString, QString> v = vars;
    v.insert(QStringLiteral("idioma"), english ? QStringLiteral("en") : QStringLiteral("es"));
    return Respuesta::html(web::pagina(nombre, english, operador, v));
}

WebServer::Respuesta WebServer::atender(const QHttpServerRequest& request) {
    const QString ruta = request.url().path();
    const QUrlQuery query = request.query();
    const bool get = request.method() == QHttpServerRequest::Method::Get;
    const bool post = request.method() == QHttpServerRequest::Method::Post;

    // The language: asked for in the link, else remembered in a cookie.
    const QString lang = query.queryItemValue(QStringLiteral("lang"));
    bool english = cookie(request, cookieIdioma) == "en";
    QByteArray idiomaCookie;
    if (lang == QLatin1String("en") || lang == QLatin1String("es")) {
        english = lang == QLatin1String("en");
        idiomaCookie = cookieIdioma + '=' + lang.toLatin1() + QByteArrayLiteral("; SameSite=Strict; Path=/");
    }
    Respuesta r = [&]() -> Respuesta {
        if (ruta.startsWith(QLatin1String("/static/"))) {
            if (!get)
                return Respuesta::json(QByteArrayLiteral("{\"error\":\"metodo\"}"), Status::MethodNotAllowed);
            const Estatico e = estatico(ruta.mid(8));
            if (e.datos.isEmpty())
                return Respuesta::json(QByteArrayLiteral("{\"error\":\"ruta\"}"), Status::NotFound);
            Respuesta s;
            s.tipo = e.tipo;
            s.cuerpo = e.datos;
            return s;
        }
        // A form posted from another site is refused. Browsers say where a
        // request comes from in Sec-Fetch-Site; Origin is "null" under our
        // no-referrer policy, so it only counts when it names a site.
        if (post) {
            const QByteArray sitio = cabecera(request, "sec-fetch-site").toLower();
            const QByteArray origen = cabecera(request, "origin");
            const QByteArray host = cabecera(request, "host");
            const bool ajeno = (!sitio.isEmpty() && sitio != "same-origin" && sitio != "none") ||
                               (!origen.isEmpty() && origen != "null" &&
                                QUrl(QString::fromLatin1(origen)).authority().toLatin1() != host);
            if (ajeno)
                return Respuesta::json(QByteArrayLiteral("{\"error\":\"origen\"}"), Status::Forbidden);
        }
        if (ruta == QLatin1String("/acceso")) {
            if (get || post)
                return acceso(request, english);
            return Respuesta::json(QByteArrayLiteral("{\"error\":\"metodo\"}"), Status::MethodNotAllowed);
        }

        const QByteArray token = cookie(request, cookieSesion);
        const std::optional<QString> operador = token.isEmpty() ? std::nullopt : m_sesiones.usar(token);
        if (ruta == QLatin1String("/salir")) {
            if (!post)
                return Respuesta::json(QByteArrayLiteral("{\"error\":\"metodo\"}"), Status::MethodNotAllowed);
            m_sesiones.cerrar(token);
            Respuesta s = Respuesta::redirigir(QByteArrayLiteral("/acceso"));
            s.cabeceras.push_back({QByteArrayLiteral("Set-Cookie"),
                                   cookieSesion +
                                       QByteArrayLiteral("=; Max-Age=0; HttpOnly; SameSite=Strict; Path=/") +
                                       (m_config.https ? QByteArrayLiteral("; Secure") : QByteArray())});
            return s;
        }
        if (ruta == QLatin1String("/"))
            return Respuesta::redirigir(QByteArrayLiteral("/puestos"));
        const bool esApi = ruta.startsWith(QLatin1String("/api/"));
        const bool conocida = esPagina(ruta) || esApi;
        if (!conocida)
            return Respuesta::json(QByteArrayLiteral("{\"error\":\"ruta\"}"), Status::NotFound);
        if (!operador) {
            if (esApi)
                return Respuesta::json(QByteArrayLiteral("{\"error\":\"sesion\"}"), Status::Unauthorized);
            return Respuesta::redirigir(QByteArrayLiteral("/acceso"));
        }
        if (!get)
            return Respuesta::json(QByteArrayLiteral("{\"error\":\"metodo\"}"), Status::MethodNotAllowed);
        try {
            // What the console took away since the log-in counts at once.
            if (!ControlAcceso::sigueDentro(db(), *operador)) {
                m_sesiones.cerrar(token);
                if (esApi)
                    return Respuesta::json(QByteArrayLiteral("{\"error\":\"sesion\"}"), Status::Unauthorized);
                return Respuesta::redirigir(QByteArrayLiteral("/acceso"));
            }
            if (esApi)
                return api(ruta.mid(5), request, english);
            const QDate hoy = m_clock.now().date();
            if (ruta == QLatin1String("/caja")) {
                QDate dia = fechaIso(query.queryItemValue(QStringLiteral("dia")));
                if (!dia.isValid())
                    dia = hoy;
                const CajaDia caja = cajaDia(db(), dia, english);
                return pagina(QStringLiteral("caja"), english, *operador,
                              {{QStringLiteral("dia"), dia.toString(Qt::ISODate)},
                               {QStringLiteral("dia_texto"), m_regional.formatDate(dia)},
                               {QStringLiteral("total"), m_regional.formatCurrency(caja.total)},
                               {QStringLiteral("total_unidades"), QString::number(caja.total.raw())}});
            }
            if (ruta == QLatin1String("/estadisticas")) {
                QDate desde = fechaIso(query.queryItemValue(QStringLiteral("desde")));
                QDate hasta = fechaIso(query.queryItemValue(QStringLiteral("hasta")));
                return pagina(
                    QStringLiteral("estadisticas"), english, *operador,
                    {{QStringLiteral("desde"),
                      (desde.isValid() ? desde : QDate(hoy.year(), hoy.month(), 1)).toString(Qt::ISODate)},
                     {QStringLiteral("hasta"), (hasta.isValid() ? hasta : hoy).toString(Qt::ISODate)},
                     {QStringLiteral("tipo"), query.queryItemValue(QStringLiteral("tipo"))}});
            }
            if (ruta == QLatin1String("/cuentas"))
                return pagina(
                    QStringLiteral("cuentas"), english, *operador,
                    {{QStringLiteral("q"), query.queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded)}});
            return pagina(ruta.mid(1), english, *operador);
        } catch (const store::DatabaseError& e) {
            if (esApi)
                return Respuesta::json(QByteArrayLiteral("{\"error\":\"base\"}"), Status::ServiceUnavailable);
            Respuesta s = Respuesta::html(
                QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\">"
                               "<title>Quintor</title></head><body><p id=\"error\">%1</p>"
                               "<p>%2</p></body></html>")
                    .arg(texto(QStringLiteral("error"), english).toHtmlEscaped(), e.text().toHtmlEscaped())
                    .toUtf8(),
                Status::ServiceUnavailable);
            return s;
        }
    }();
    if (!idiomaCookie.isEmpty())
        r.cabeceras.push_back({QByteArrayLiteral("Set-Cookie"), idiomaCookie});
    return r;
}

WebServer::Respuesta WebServer::acceso(const QHttpServerRequest& request, bool english) {
    QHash<QString, QString> vars{
        {QStringLiteral("otro"), english ? QStringLiteral("es") : QStringLiteral("en")}};
    if (request.method() == QHttpServerRequest::Method::Get)
        return pagina(QStringLiteral("acceso"), english, QString(), vars);

    const QByteArray tipo = cabecera(request, "content-type");
    if (!tipo.toLower().startsWith("application/x-www-form-urlencoded"))
        return Respuesta::json(QByteArrayLiteral("{\"error\":\"formulario\"}"), Status::UnsupportedMediaType);
    const QHash<QString, QString> campos = formulario(request.body());
    if (campos.value(QStringLiteral("lang")) == QLatin1String("en"))
        english = true;
    else if (campos.value(QStringLiteral("lang")) == QLatin1String("es"))
        english = false;
    vars.insert(QStringLiteral("otro"), english ? QStringLiteral("es") : QStringLiteral("en"));
    const QString nombre = campos.value(QStringLiteral("nombre")).left(100);
    ResultadoAcceso resultado;
    try {
        resultado = m_acceso.comprobar(db(), nombre, campos.value(QStringLiteral("clave")).left(200),
                                       request.remoteAddress().toString());
    } catch (const store::DatabaseError&) {
        vars.insert(QStringLiteral("nombre"), nombre);
        vars.insert(QStringLiteral("error"), texto(QStringLiteral("error"), english));
        Respuesta r = pagina(QStringLiteral("acceso"), english, QString(), vars);
        r.status = Status::ServiceUnavailable;
        return r;
    }
    if (!resultado.aceptado()) {
        vars.insert(QStringLiteral("nombre"), nombre);
        vars.insert(QStringLiteral("error"), textoAcceso(resultado, english));
        Respuesta r = pagina(QStringLiteral("acceso"), english, QString(), vars);
        r.status = resultado.motivo == ResultadoAcceso::Motivo::ClaveIncorrecta ? Status::Unauthorized
                                                                                : Status::Forbidden;
        return r;
    }
    const QByteArray token = m_sesiones.abrir(resultado.operador);
    Respuesta r =
        Respuesta::redirigir(english ? QByteArrayLiteral("/puestos?lang=en") : QByteArrayLiteral("/puestos"));
    r.cabeceras.push_back({QByteArrayLiteral("Set-Cookie"),
                           cookieSesion + '=' + token +
                               QByteArrayLiteral("; HttpOnly; SameSite=Strict; Path=/") +
                               (m_config.https ? QByteArrayLiteral("; Secure") : QByteArray())});
    return r;
}

WebServer::Respuesta WebServer::api(const QString& ruta, const QHttpServerRequest& request, bool english) {
    const QUrlQuery query = request.query();
    if (ruta == QLatin1String("puestos")) {
        // Every browser takes deflate; a client that does not gets the text.
        const bool comprimido = cabecera(request, "Accept-Encoding").toLower().contains("deflate");
        Respuesta r = Respuesta::json(comprimido ? m_instantanea.deflate(db()) : m_instantanea.json(db()));
        if (comprimido)
            r.cabeceras.push_back({QByteArrayLiteral("Content-Encoding"), QByteArrayLiteral("deflate")});
        r.cabeceras.push_back({QByteArrayLiteral("Vary"), QByteArrayLiteral("Accept-Encoding")});
        return r;
    }
    if (ruta == QLatin1String("caja")) {
        const QString texto = query.queryItemValue(QStringLiteral("dia"));
        QDate dia = texto.isEmpty() ? m_clock.now().date() : fechaIso(texto);
        if (!dia.isValid())
            return Respuesta::json(QByteArrayLiteral("{\"error\":\"dia\"}"), Status::BadRequest);
        return Respuesta::json(cajaJson(cajaDia(db(), dia, english), m_regional));
    }
    if (ruta == QLatin1String("cuentas"))
        return Respuesta::json(cuentasJson(
            db(), m_regional, query.queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded), english));
    if (ruta == QLatin1String("cuenta")) {
        const QByteArray json =
            cuentaJson(db(), m_regional, query.queryItemValue(QStringLiteral("login"), QUrl::FullyDecoded));
        if (json == "{}")
            return Respuesta::json(QByteArrayLiteral("{\"error\":\"cuenta\"}"), Status::NotFound);
        return Respuesta::json(json);
    }
    if (ruta == QLatin1String("estadisticas")) {
        const QString tipo = query.queryItemValue(QStringLiteral("tipo"));
        if (tipo.isEmpty())
            return Respuesta::json(tiposEstadisticaJson(english));
        const QDate hoy = m_clock.now().date();
        const QString d = query.queryItemValue(QStringLiteral("desde"));
        const QString h = query.queryItemValue(QStringLiteral("hasta"));
        const QDate desde = d.isEmpty() ? QDate(hoy.year(), hoy.month(), 1) : fechaIso(d);
        const QDate hasta = h.isEmpty() ? hoy : fechaIso(h);
        if (!desde.isValid() || !hasta.isValid())
            return Respuesta::json(QByteArrayLiteral("{\"error\":\"fecha\"}"), Status::BadRequest);
        QByteArray json;
        if (!estadisticaJson(db(), m_regional, tipo, desde, hasta, m_clock.now(), &json))
            return Respuesta::json(QByteArrayLiteral("{\"error\":\"tipo\"}"), Status::BadRequest);
        return Respuesta::json(json);
    }
    return Respuesta::json(QByteArrayLiteral("{\"error\":\"ruta\"}"), Status::NotFound);
}

} // namespace web
