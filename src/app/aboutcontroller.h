#pragma once

#include <QObject>

class ConsoleContext;
class TFrmMain;

// "&Acerca de Quintor..." of the help menu.
class AboutController : public QObject {
    Q_OBJECT
public:
    AboutController(ConsoleContext& context, TFrmMain& window, QObject* parent = nullptr);

    void acercaDe();

private:
    ConsoleContext& m_context;
    TFrmMain& m_window;
};
