#include "webdriver.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTcpServer>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace {

const QString kChromium = QStringLiteral("/usr/bin/chromium");
const QString kDriver = QStringLiteral("/usr/bin/chromedriver");
// The key under which WebDriver answers an element's handle.
const QString kElement = QStringLiteral("element-6066-11e4-a52e-4f735466cecf");

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

WebDriver::~WebDriver() {
    if (!m_session.isEmpty())
        call("DELETE", QStringLiteral("/session/") + m_session);
    if (m_driver) {
        m_driver->terminate();
        if (!m_driver->waitForFinished(5000))
            m_driver->kill();
        m_driver->waitForFinished(2000);
    }
}

bool WebDriver::available() {
    return QFileInfo(kChromium).isExecutable() && QFileInfo(kDriver).isExecutable();
}

bool WebDriver::start(int width, int height) {
    const quint16 port = freePort();
    m_base = QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port));
    m_driver = std::make_unique<QProcess>();
    m_driver->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_driver->setStandardOutputFile(QProcess::nullDevice());
    m_driver->start(kDriver,
                    {QStringLiteral("--port=%1").arg(port), QStringLiteral("--allowed-ips=127.0.0.1")});
    if (!m_driver->waitForStarted(10000)) {
        m_error = QStringLiteral("chromedriver did not start: ") + m_driver->errorString();
        return false;
    }
    bool ready = false;
    for (int i = 0; i < 100 && !ready; ++i) {
        const QJsonValue status = call("GET", QStringLiteral("/status"));
        ready = status.toObject().value(QStringLiteral("ready")).toBool();
        if (!ready)
            QThread::msleep(100);
    }
    if (!ready) {
        m_error = QStringLiteral("chromedriver never became ready");
        return false;
    }
    // Root in a container has no sandbox to give; the profile is private.
    const QStringList args{QStringLiteral("--headless=new"),
                           QStringLiteral("--no-sandbox"),
                           QStringLiteral("--disable-gpu"),
                           QStringLiteral("--disable-dev-shm-usage"),
                           QStringLiteral("--no-first-run"),
                           QStringLiteral("--lang=es-ES"),
                           QStringLiteral("--hide-scrollbars"),
                           QStringLiteral("--user-data-dir=") + m_profile.path(),
                           QStringLiteral("--window-size=%1,%2").arg(width).arg(height)};
    const QJsonObject options{{QStringLiteral("binary"), kChromium},
                              {QStringLiteral("args"), QJsonArray::fromStringList(args)}};
    const QJsonObject caps{{QStringLiteral("browserName"), QStringLiteral("chrome")},
                           {QStringLiteral("goog:chromeOptions"), options}};
    const QJsonObject body{
        {QStringLiteral("capabilities"), QJsonObject{{QStringLiteral("alwaysMatch"), caps}}}};
    const QJsonValue session = call("POST", QStringLiteral("/session"), body);
    m_session = session.toObject().value(QStringLiteral("sessionId")).toString();
    return !m_session.isEmpty() && resize(width, height);
}

bool WebDriver::resize(int width, int height) {
    // A window is never narrower than the browser allows; a phone's viewport
    // is emulated as the browser's own device mode does it.
    if (call("POST", QStringLiteral("/session/%1/window/rect").arg(m_session),
             QJsonObject{{QStringLiteral("width"), std::max(width, 800)},
                         {QStringLiteral("height"), height + 200}})
            .isUndefined())
        return false;
    const QJsonObject metrics{{QStringLiteral("width"), width},
                              {QStringLiteral("height"), height},
                              {QStringLiteral("deviceScaleFactor"), 1},
                              {QStringLiteral("mobile"), width < 600}};
    return !call("POST", QStringLiteral("/session/%1/goog/cdp/execute").arg(m_session),
                 QJsonObject{{QStringLiteral("cmd"), QStringLiteral("Emulation.setDeviceMetricsOverride")},
                             {QStringLiteral("params"), metrics}})
                .isUndefined();
}

bool WebDriver::open(const QUrl& url) {
    return !call("POST", QStringLiteral("/session/%1/url").arg(m_session),
                 QJsonObject{{QStringLiteral("url"), url.toString()}})
                .isUndefined();
}

QUrl WebDriver::currentUrl() {
    return QUrl(call("GET", QStringLiteral("/session/%1/url").arg(m_session)).toString());
}

QString WebDriver::find(const QString& css) {
    const QJsonValue found = call("POST", QStringLiteral("/session/%1/element").arg(m_session),
                                  QJsonObject{{QStringLiteral("using"), QStringLiteral("css selector")},
                                              {QStringLiteral("value"), css}});
    return found.toObject().value(kElement).toString();
}

QString WebDriver::attribute(const QString& css, const QString& name) {
    const QString id = find(css);
    if (id.isEmpty())
        return QString();
    const QJsonValue v =
        call("GET", QStringLiteral("/session/%1/element/%2/attribute/%3").arg(m_session, id, name));
    return v.isString() ? v.toString() : QString();
}

QString WebDriver::text(const QString& css) {
    const QString id = find(css);
    if (id.isEmpty())
        return QString();
    return call("GET", QStringLiteral("/session/%1/element/%2/text").arg(m_session, id)).toString();
}

bool WebDriver::type(const QString& css, const QString& keys) {
    const QString id = find(css);
    return !id.isEmpty() && !call("POST", QStringLiteral("/session/%1/element/%2/value").arg(m_session, id),
                                  QJsonObject{{QStringLiteral("text"), keys}})
                                 .isUndefined();
}

bool WebDriver::click(const QString& css) {
    const QString id = find(css);
    return !id.isEmpty() &&
           !call("POST", QStringLiteral("/session/%1/element/%2/click").arg(m_session, id), QJsonObject())
                .isUndefined();
}

QByteArray WebDriver::screenshot() {
    return QByteArray::fromBase64(
        call("GET", QStringLiteral("/session/%1/screenshot").arg(m_session)).toString().toLatin1());
}

QJsonValue WebDriver::call(const QByteArray& verb, const QString& path, const QJsonValue& body) {
    QNetworkAccessManager nam;
    QUrl url = m_base;
    url.setPath(path);
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    const QByteArray payload =
        body.isObject() ? QJsonDocument(body.toObject()).toJson(QJsonDocument::Compact) : QByteArray();
    QNetworkReply* reply = nam.sendCustomRequest(request, verb, payload);
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, reply, &QNetworkReply::abort);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    limit.start(60000);
    loop.exec();
    const QByteArray answer = reply->readAll();
    const bool failed = reply->error() != QNetworkReply::NoError && answer.isEmpty();
    reply->deleteLater();
    if (failed) {
        m_error =
            QString::fromLatin1(verb) + QLatin1Char(' ') + path + QStringLiteral(": ") + reply->errorString();
        return QJsonValue(QJsonValue::Undefined);
    }
    const QJsonValue value = QJsonDocument::fromJson(answer).object().value(QStringLiteral("value"));
    if (value.isObject() && value.toObject().contains(QStringLiteral("error"))) {
        m_error = QString::fromLatin1(verb) + QLatin1Char(' ') + path + QStringLiteral(": ") +
                  value.toObject().value(QStringLiteral("message")).toString();
        return QJsonValue(QJsonValue::Undefined);
    }
    // A command without an answer of its own answers null.
    return value.isNull() ? QJsonValue(true) : value;
}
