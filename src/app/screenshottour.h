#pragma once

#include <QObject>
#include <QSet>
#include <QString>

#include <vector>

class QDialog;
class QWidget;
class TFrmMain;

namespace app {

// The pictures of the manual: with "--screenshots DIR" the console logs in
// as ADMIN by itself, opens its main windows one after another and saves
// each as DIR/<name>.png, then ends. Nothing is ever accepted or saved:
// every dialog is pictured and cancelled, every question answered "No".
// QWidget::grab() paints the widgets themselves, so the pictures are the
// same on a real screen, under Xvfb or on the offscreen platform.
class ScreenshotTour : public QObject {
    Q_OBJECT
public:
    ScreenshotTour(QString folder, TFrmMain& window, QObject* parent = nullptr);
    ~ScreenshotTour() override;

    // Starts once the main window is up: waits for the stations' first
    // polls, then takes the pictures and closes the console.
    void start(int settleMs = 6000);

private:
    struct Step {
        QString name;
        QString action;
        int stationRow; // the grid's row to select first, or -1
    };

    int drive(QDialog* dialog);
    int logIn(QDialog* acceso);
    void runStep();
    void capture(QWidget* widget, const QString& name);
    void save(QWidget* widget, const QString& name);
    void selectStation(int row);
    QSet<QWidget*> visibleWindows() const;
    QString uniqueName(const QString& name);

    QString m_folder;
    TFrmMain& m_window;
    std::vector<Step> m_steps;
    size_t m_next = 0;
    QString m_current;
    QSet<QString> m_taken;
    bool m_loggedIn = false;
};

} // namespace app
