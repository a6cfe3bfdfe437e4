#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>

// A headless Chromium driven through chromedriver's WebDriver protocol on
// loopback: just what the browser tests need, each call waiting for its
// answer. Failures leave their reason in error().
class WebDriver {
public:
    WebDriver() = default;
    ~WebDriver();
    WebDriver(const WebDriver&) = delete;
    WebDriver& operator=(const WebDriver&) = delete;

    // Whether chromedriver and Chromium are installed where Debian puts them.
    static bool available();

    // Starts chromedriver and a browser with a viewport of width × height.
    bool start(int width, int height);
    bool resize(int width, int height);

    bool open(const QUrl& url);
    QUrl currentUrl();
    // The first element matching the CSS selector; empty when none.
    QString find(const QString& css);
    // The element's attribute or text; a null string when it is gone.
    QString attribute(const QString& css, const QString& name);
    QString text(const QString& css);
    bool type(const QString& css, const QString& keys);
    bool click(const QString& css);
    // The viewport as PNG bytes.
    QByteArray screenshot();

    const QString& error() const { return m_error; }

private:
    // One command: the answer's "value", or undefined (and error()) on failure.
    QJsonValue call(const QByteArray& verb, const QString& path, const QJsonValue& body = QJsonValue());

    std::unique_ptr<QProcess> m_driver;
    QTemporaryDir m_profile;
    QUrl m_base;
    QString m_session;
    QString m_error;
};
