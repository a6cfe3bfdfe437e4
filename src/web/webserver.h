#pragma once

#include "core/clock.h"
#include "core/regional.h"
#include "web/acceso.h"
#include "web/basedatos.h"
#include "web/instantanea.h"
#include "web/sesiones.h"

#include <QAbstractHttpServer>
#include <QHttpServerResponder>

#include <functional>

namespace web {

struct ConfigWeb {
    int sessionMinutes = 15;
    // Cookies get "Secure" when the server speaks HTTPS.
    bool https = false;
};

// The owner's read-only view: routes, sessions, pages and the API. Every
// answer carries the security headers, including refusals and 404s.
class WebServer : public QAbstractHttpServer {
    Q_OBJECT
public:
    WebServer(BaseSoloLectura& base, const Clock& clock, const Regional& regional, ConfigWeb config = {},
              QObject* parent = nullptr);

    Sesiones& sesiones() { return m_sesiones; }
    InstantaneaPuestos& instantanea() { return m_instantanea; }

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    struct Respuesta;
    Respuesta atender(const QHttpServerRequest& request);
    Respuesta pagina(const QString& nombre, bool english, const QString& operador,
                     const QHash<QString, QString>& vars = {});
    Respuesta acceso(const QHttpServerRequest& request, bool english);
    Respuesta api(const QString& ruta, const QHttpServerRequest& request, bool english);
    void responder(const QHttpServerRequest& request, QTcpSocket* socket, const Respuesta& r);
    QSqlDatabase db();

    BaseSoloLectura& m_base;
    const Clock& m_clock;
    Regional m_regional;
    ConfigWeb m_config;
    Sesiones m_sesiones;
    ControlAcceso m_acceso;
    InstantaneaPuestos m_instantanea;
};

} // namespace web
