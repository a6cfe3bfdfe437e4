#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QUrl;
class TFrmAyuda;
class TFrmMain;

// "&Ayuda..." (Shift+F1): the manual in the desktop's web browser, or in the
// console's own viewer when there is no browser or it would not start.
class HelpController : public QObject {
    Q_OBJECT
public:
    // Hands a page to the desktop; false when it could not.
    using Opener = std::function<bool(const QUrl&)>;

    explicit HelpController(TFrmMain& window, QObject* parent = nullptr);
    ~HelpController() override;

    void setManualFolder(const QString& folder) { m_folder = folder; }
    void setOpener(Opener opener) { m_opener = std::move(opener); }

    void ayuda();
    // The viewer, once it was needed.
    TFrmAyuda* viewer() const;

private:
    TFrmMain& m_window;
    QString m_folder;
    Opener m_opener;
    QPointer<TFrmAyuda> m_viewer;
};
